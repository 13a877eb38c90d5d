#include "split/StagedPageFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/RuntimeError.h"
#include "split/OdfPackageCheck.h"

namespace fk {

namespace {

constexpr int kNameAttempts = 16;

QString randomSuffix() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 8; ++i)
        suffix += QLatin1Char(kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters) - 1)]);
    return suffix;
}

RuntimeError notStored(const QString& path, const QString& why) {
    return RuntimeError(75, QStringLiteral("The page document was not stored: ") + path +
                                (why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')')));
}

}  // namespace

QString StagedPageFile::reserveBeside(const QString& finalPath) {
    const QFileInfo target(finalPath);
    const QString prefix =
        target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".fk-");
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString candidate = prefix + randomSuffix();
        // A new regular file of our own: a name someone else made, or a link planted there, is never used.
        const int file = ::open(QFile::encodeName(candidate).constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file >= 0) {
            ::close(file);
            return candidate;
        }
        if (errno != EEXIST) throw notStored(finalPath, QString::fromLocal8Bit(std::strerror(errno)));
    }
    throw notStored(finalPath, QStringLiteral("no free temporary name in its folder"));
}

StagedPageFile::StagedPageFile(QString finalPath)
    : final_(std::move(finalPath)), staging_(reserveBeside(final_)), probe_(staging_) {}

StagedPageFile::~StagedPageFile() {
    if (!committed_) ::unlink(QFile::encodeName(staging_).constData());
}

void StagedPageFile::commit() {
    if (!probe_.written()) throw notStored(final_, {});
    const QString defect = OdfPackageDefect(staging_);
    if (!defect.isEmpty()) throw notStored(final_, defect);
    if (::rename(QFile::encodeName(staging_).constData(), QFile::encodeName(final_).constData()) != 0)
        throw notStored(final_, QString::fromLocal8Bit(std::strerror(errno)));
    committed_ = true;
}

}  // namespace fk
