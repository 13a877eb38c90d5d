#include "cli/FileList.h"

#include <QFile>

namespace fk::cli {

FileList ReadFileList(QIODevice& device, bool nulSeparated, NonUtf8Arguments& nonUtf8, qint64 maxBytes) {
    FileList list;
    QByteArray bytes;
    // Standard input does not tell its size: read in blocks until its end, never more than the cap.
    constexpr qint64 kBlock = 1 << 20;
    for (;;) {
        const QByteArray block = device.read(std::min(kBlock, maxBytes + 1 - bytes.size()));
        if (block.isEmpty()) {
            if (device.atEnd() || !device.waitForReadyRead(-1)) break;
            continue;
        }
        bytes += block;
        if (bytes.size() > maxBytes) {
            list.error = QStringLiteral("the list of files is larger than %1 MB").arg(maxBytes >> 20);
            return list;
        }
    }
    const char separator = nulSeparated ? '\0' : '\n';
    for (const QByteArray& name : bytes.split(separator)) {
        if (name.isEmpty()) continue;
        const QString text = QFile::decodeName(name);
        if (!IsUtf8(name)) nonUtf8.insert(text, name);
        list.names << text;
    }
    return list;
}

}  // namespace fk::cli
