#include <gtest/gtest.h>

#include <QFile>

#include "app/CursorHotSpot.h"

using namespace fk;

namespace {

const QString kHandCursor = QStringLiteral(FOLIOKNIFE_SOURCE_DIR "/resources/HAND-M.CUR");

// A cursor file's header and first entry, without the picture.
QByteArray cursorHeader(quint16 type, quint16 count, quint16 x, quint16 y) {
    QByteArray bytes(22, '\0');
    bytes[2] = static_cast<char>(type);
    bytes[4] = static_cast<char>(count);
    bytes[6] = 32;
    bytes[7] = 32;
    bytes[10] = static_cast<char>(x & 0xff);
    bytes[11] = static_cast<char>(x >> 8);
    bytes[12] = static_cast<char>(y & 0xff);
    bytes[13] = static_cast<char>(y >> 8);
    return bytes;
}

}  // namespace

TEST(CursorHotSpot, ShippedHandPointsWithItsFingertip) {
    EXPECT_EQ(CursorFileHotSpot(kHandCursor), QPoint(13, 1));
    QFile file(kHandCursor);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(CursorHotSpot(file.readAll()), QPoint(13, 1));
}

TEST(CursorHotSpot, ReadsLittleEndianWords) {
    EXPECT_EQ(CursorHotSpot(cursorHeader(2, 1, 0x0102, 31)), QPoint(0x0102, 31));
}

TEST(CursorHotSpot, AnythingButACursorFileHasNone) {
    EXPECT_EQ(CursorHotSpot(cursorHeader(1, 1, 13, 1)), std::nullopt);  // an icon file
    EXPECT_EQ(CursorHotSpot(cursorHeader(2, 0, 13, 1)), std::nullopt);  // no pictures
    EXPECT_EQ(CursorHotSpot(cursorHeader(2, 1, 13, 1).left(13)), std::nullopt);
    EXPECT_EQ(CursorHotSpot(QByteArray("\x89PNG\r\n\x1a\n0000000000000000")), std::nullopt);
    EXPECT_EQ(CursorFileHotSpot(QStringLiteral("/nonexistent/HAND-M.CUR")), std::nullopt);
}
