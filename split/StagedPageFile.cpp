#include "split/StagedPageFile.h"

#include <QDir>
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

// The folder's own answer, so that callers can tell a full, read-only or lost folder from a bad page.
Failure notStoredForErrno(const QString& path, int error) {
    return notStored(path, QString::fromLocal8Bit(std::strerror(error)), FailureKindOfErrno(error));
}

QString packageDefect(const QString& file) {
    return QString::fromStdString(slicer::PackageDefect(QFile::encodeName(file).toStdString()));
}

}  // namespace

StagedPageFile::StagedPageFile(QString finalPath, Check check)
    : final_(std::move(finalPath)),
      check_(check ? std::move(check) : Check(packageDefect)),
      staged_(QFile::encodeName(QFileInfo(final_).absoluteFilePath()).toStdString()) {}

void StagedPageFile::reserve() {
    try {
        staged_.reserve();
    } catch (const std::system_error& error) {
        throw notStoredForErrno(final_, error.code().value());
    }
    try {
        officeFolder_.emplace(
            QFile::encodeName(QDir::tempPath() + QStringLiteral("/folioknife-page")).toStdString());
    } catch (const std::system_error& error) {
        throw notStored(final_,
                        QDir::tempPath() + QStringLiteral(": ") +
                            QString::fromLocal8Bit(std::strerror(error.code().value())),
                        FailureKind::FileAccess);
    }
    staging_ =
        QFile::decodeName(officeFolder_->path().c_str()) + QLatin1Char('/') + QFileInfo(final_).fileName();
    probe_.emplace(staging_);
}

void StagedPageFile::commit() {
    if (!probe_ || !probe_->written()) throw notStored(final_, {});
    const QString defect = check_(staging_);
    if (!defect.isEmpty()) throw notStored(final_, defect);
    QFile stored(staging_);
    if (!stored.open(QIODevice::ReadOnly)) throw notStored(final_, stored.errorString());
    const QByteArray bytes = stored.readAll();
    try {
        staged_.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        staged_.commit();
    } catch (const std::system_error& error) {
        throw notStoredForErrno(final_, error.code().value());
    }
}

}  // namespace fk
