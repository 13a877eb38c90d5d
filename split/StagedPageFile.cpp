#include "split/StagedPageFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/Failure.h"
#include "split/OdfPackageCheck.h"

namespace fk {

namespace {

QString randomSuffix() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 8; ++i)
        suffix += QLatin1Char(kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters) - 1)]);
    return suffix;
}

Failure notStored(const QString& path, const QString& why, FailureKind kind = FailureKind::FileAccess) {
    return Failure(kind, QStringLiteral("The page document was not stored: ") + path +
                             (why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')')));
}

// The folder's own answer, so that callers can tell a full or read-only folder from a bad page.
Failure notStoredForErrno(const QString& path, int error) {
    return notStored(path, QString::fromLocal8Bit(std::strerror(error)), FailureKindOfErrno(error));
}

}  // namespace

QString StagedPageFile::nameBeside(const QString& finalPath) {
    const QFileInfo target(finalPath);
    return target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".fk-") +
           randomSuffix();
}

StagedPageFile::StagedPageFile(QString finalPath)
    : final_(std::move(finalPath)), staging_(nameBeside(final_)) {}

StagedPageFile::~StagedPageFile() {
    if (probe_ && !committed_) ::unlink(QFile::encodeName(staging_).constData());
}

void StagedPageFile::reserve() {
    // A new regular file of our own: a file someone else made there, or a link planted there, is
    // never written.
    const int file = ::open(QFile::encodeName(staging_).constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (file < 0) throw notStoredForErrno(final_, errno);
    ::close(file);
    probe_.emplace(staging_);
}

void StagedPageFile::commit() {
    if (!probe_ || !probe_->written()) throw notStored(final_, {});
    const QString defect = OdfPackageDefect(staging_);
    if (!defect.isEmpty()) throw notStored(final_, defect);
    if (::rename(QFile::encodeName(staging_).constData(), QFile::encodeName(final_).constData()) != 0)
        throw notStoredForErrno(final_, errno);
    committed_ = true;
}

}  // namespace fk
