#include "split/StagedPageFile.h"

#include <QFile>
#include <QFileInfo>
#include <system_error>

#include "base/RuntimeError.h"
#include "slicer/PackageInfo.h"

namespace fk {

namespace {

RuntimeError notStored(const QString& path, const QString& why) {
    return RuntimeError(75, QStringLiteral("The page document was not stored: ") + path +
                                (why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')')));
}

}  // namespace

StagedPageFile::StagedPageFile(QString finalPath)
    : final_(std::move(finalPath)),
      staged_(QFile::encodeName(QFileInfo(final_).absoluteFilePath()).toStdString(),
              slicer::StagedFile::Layout::InOwnFolder),
      staging_(QFile::decodeName(staged_.path().c_str())) {}

void StagedPageFile::reserve() {
    try {
        staged_.reserve();
    } catch (const std::system_error& error) {
        throw notStored(final_, QString::fromLocal8Bit(error.code().message()));
    }
    probe_.emplace(staging_);
}

void StagedPageFile::commit() {
    if (!probe_ || !probe_->written()) throw notStored(final_, {});
    const std::string defect = slicer::PackageDefect(staged_.path());
    if (!defect.empty()) throw notStored(final_, QString::fromStdString(defect));
    try {
        staged_.commit();
    } catch (const std::system_error& error) {
        throw notStored(final_, QString::fromLocal8Bit(error.code().message()));
    }
}

}  // namespace fk
