#include "cli/DocumentContent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace fk::cli {

namespace {

constexpr qint64 kHeadSize = 512;

bool isXml(const QByteArray& head) {
    QByteArrayView rest(head);
    if (rest.startsWith("\xEF\xBB\xBF")) rest = rest.sliced(3);
    rest = rest.trimmed();
    return rest.startsWith("<?xml") || rest.startsWith("<office:document");
}

}  // namespace

DocumentContent ClassifyContent(const QByteArray& head) {
    if (head.isEmpty()) return DocumentContent::Empty;
    if (head.startsWith(QByteArrayView("PK\x03\x04", 4))) return DocumentContent::Document;
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return DocumentContent::Document;
    if (head.startsWith("{\\rtf")) return DocumentContent::Document;
    if (head.startsWith("\xFFWPC")) return DocumentContent::Document;
    if (isXml(head)) return DocumentContent::Document;
    return DocumentContent::NotADocument;
}

DocumentContent ExamineDocument(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    // Opening a device may act on it (a tape rewinds).
    struct stat named {};
    if (::stat(native.constData(), &named) == 0 && !S_ISREG(named.st_mode)) return DocumentContent::NotAFile;
    // Non-blocking, so that a named pipe put in the file's place meanwhile cannot hang the run.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return DocumentContent::Unreadable;
    struct stat info {};
    DocumentContent content = DocumentContent::NotAFile;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        QByteArray head(kHeadSize, '\0');
        const ssize_t got = ::read(fd, head.data(), kHeadSize);
        content = got < 0 ? DocumentContent::Unreadable : ClassifyContent(head.left(got));
    }
    ::close(fd);
    return content;
}

QString ContentProblem(DocumentContent content) {
    switch (content) {
        case DocumentContent::Document:
            return {};
        case DocumentContent::Empty:
            return QStringLiteral("empty file, not split");
        case DocumentContent::NotADocument:
            return QStringLiteral(
                "not a word-processor document (neither OpenDocument nor another zip package, Word, RTF, "
                "WordPerfect nor XML), not split");
        case DocumentContent::NotAFile:
            return QStringLiteral("not a regular file (a named pipe, a device or a socket), not split");
        case DocumentContent::Unreadable:
            return QStringLiteral("cannot be read, not split");
    }
    return {};
}

}  // namespace fk::cli
