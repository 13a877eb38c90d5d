#include "split/LockFile.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include "files/BoundedFile.h"
#include "split/OutputNames.h"

namespace fk {

QString LockFile::pathBeside(const QString& documentPath) {
    return LockFilePath(documentPath);
}

std::optional<QString> LockFile::readBeside(const QString& documentPath) {
    const std::optional<std::string> bytes =
        files::ReadFilePrefix(QFile::encodeName(pathBeside(documentPath)).toStdString(), kMaxBytes);
    if (!bytes) return std::nullopt;
    return QString::fromUtf8(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

QString LockFile::holderOf(const QString& documentPath, const QString& ownProfiles) {
    const std::optional<QString> lock = readBeside(documentPath);
    if (!lock) return {};
    QString text = *lock;
    const QStringList raw = text.trimmed().split(QLatin1Char(','));
    if (!ownProfiles.isEmpty() && raw.size() >= 5) {
        QString url = raw.last();
        if (url.endsWith(QLatin1Char(';'))) url.chop(1);
        const QString profile = QDir::cleanPath(QUrl(url).toLocalFile());
        const QString own = QDir::cleanPath(ownProfiles);
        if (!profile.isEmpty() && (profile == own || profile.startsWith(own + QLatin1Char('/')))) return {};
    }
    for (QChar& character : text)
        if (!character.isPrint()) character = QChar::ReplacementCharacter;
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() < 4) return QStringLiteral("another office");
    const QString who = fields.at(0).trimmed().isEmpty() ? fields.at(1).trimmed() : fields.at(0).trimmed();
    return QStringLiteral("%1 on %2 since %3").arg(who, fields.at(2).trimmed(), fields.at(3).trimmed());
}

}  // namespace fk
