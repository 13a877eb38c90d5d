#include "split/StagedPageFile.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <system_error>

#include "base/Failure.h"
#include "slicer/PackageInfo.h"

namespace fk {

namespace {

Failure notStored(const QString& path, const QString& why, FailureKind kind = FailureKind::FileAccess) {
    return Failure(kind, QStringLiteral("The page document was not stored: ") + path +
                             (why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')')));
}

// The folder's own answer, so that callers can tell a full or read-only folder from a bad page.
Failure notStoredForErrno(const QString& path, int error) {
    return notStored(path, QString::fromLocal8Bit(std::strerror(error)), FailureKindOfErrno(error));
}

}  // namespace

StagedPageFile::StagedPageFile(QString finalPath)
    : final_(std::move(finalPath)),
      staged_(QFile::encodeName(QFileInfo(final_).absoluteFilePath()).toStdString(),
              files::StagedFile::Layout::InOwnFolder),
      staging_(QFile::decodeName(staged_.path().c_str())) {}

void StagedPageFile::reserve() {
    try {
        staged_.reserve();
    } catch (const std::system_error& error) {
        throw notStoredForErrno(final_, error.code().value());
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
        throw notStoredForErrno(final_, error.code().value());
    }
}

}  // namespace fk
