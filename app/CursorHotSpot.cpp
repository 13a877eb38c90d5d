#include "app/CursorHotSpot.h"

#include <QFile>
#include <QtEndian>

namespace fk {

namespace {

// The file starts with a 6-byte header (reserved 0, type 2 for cursors, picture count), then one
// 16-byte entry per picture whose bytes 4 to 7 hold the hot spot's x and y, little-endian.
constexpr qsizetype kHeaderBytes = 6;
constexpr qsizetype kHotSpotOffset = kHeaderBytes + 4;
constexpr qsizetype kFirstEntryEnd = kHeaderBytes + 16;
constexpr quint16 kCursorType = 2;

quint16 wordAt(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

}  // namespace

std::optional<QPoint> CursorHotSpot(const QByteArray& fileBytes) {
    if (fileBytes.size() < kFirstEntryEnd) return std::nullopt;
    if (wordAt(fileBytes, 0) != 0 || wordAt(fileBytes, 2) != kCursorType || wordAt(fileBytes, 4) == 0)
        return std::nullopt;
    return QPoint(wordAt(fileBytes, kHotSpotOffset), wordAt(fileBytes, kHotSpotOffset + 2));
}

std::optional<QPoint> CursorFileHotSpot(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return CursorHotSpot(file.read(kFirstEntryEnd));
}

}  // namespace fk
