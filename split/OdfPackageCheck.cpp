#include "split/OdfPackageCheck.h"

#include <zip.h>

#include <QFile>
#include <memory>

namespace fk {

namespace {

// The fixed part of a zip entry's local header, and the name the first entry must have.
constexpr int kLocalHeaderSize = 30;
const QByteArray kMimetypeName = QByteArrayLiteral("mimetype");

quint16 little16(const QByteArray& bytes, int offset) {
    return static_cast<quint16>(static_cast<quint8>(bytes[offset]) | static_cast<quint8>(bytes[offset + 1])
                                                                         << 8);
}

QString headDefect(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("cannot be read");
    if (file.size() == 0) return QStringLiteral("empty");
    const QByteArray head = file.read(kLocalHeaderSize + kMimetypeName.size());
    const bool firstIsMimetype =
        head.size() == kLocalHeaderSize + kMimetypeName.size() &&
        head.startsWith(QByteArrayLiteral("PK\x03\x04")) && little16(head, 8) == 0 /* stored */ &&
        little16(head, 26) == kMimetypeName.size() && head.mid(kLocalHeaderSize) == kMimetypeName;
    return firstIsMimetype ? QString() : QStringLiteral("not an OpenDocument package");
}

QString entriesDefect(const QString& path) {
    int openError = 0;
    const std::unique_ptr<zip_t, void (*)(zip_t*)> archive(
        zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &openError), zip_discard);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, openError);
        const QString text = QString::fromLocal8Bit(zip_error_strerror(&error));
        zip_error_fini(&error);
        return QStringLiteral("incomplete: ") + text;
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    char buffer[16384];
    for (zip_int64_t index = 0; index < count; ++index) {
        const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> entry(
            zip_fopen_index(archive.get(), index, 0), zip_fclose);
        if (!entry) return QStringLiteral("damaged: ") + QString::fromLocal8Bit(zip_strerror(archive.get()));
        // Reading to the end makes the library compare the entry with its checksum.
        zip_int64_t got = 0;
        while ((got = zip_fread(entry.get(), buffer, sizeof buffer)) > 0) {
        }
        if (got < 0)
            return QStringLiteral("damaged: ") + QString::fromLocal8Bit(zip_file_strerror(entry.get()));
    }
    return {};
}

}  // namespace

QString OdfPackageDefect(const QString& path) {
    const QString head = headDefect(path);
    return head.isEmpty() ? entriesDefect(path) : head;
}

}  // namespace fk
