#include <gtest/gtest.h>

#include <QBuffer>

#include "QtPrinters.h"
#include "cli/FileList.h"

using namespace fk::cli;

namespace {

FileList Read(const QByteArray& bytes, bool nulSeparated, NonUtf8Arguments& nonUtf8,
              qint64 maxBytes = 1 << 20) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadFileList(buffer, nulSeparated, nonUtf8, maxBytes);
}

TEST(FileList, NamesByLineOrByNulAsFindAndTarWriteThem) {
    const struct {
        QByteArray bytes;
        bool nulSeparated;
        QStringList names;
    } lists[] = {
        {"a.odt\nb c.odt\n", false, {"a.odt", "b c.odt"}},
        {"a.odt\n\n\nlast.odt", false, {"a.odt", "last.odt"}},  // empty lines skipped, last line whole
        {"dos.odt\r\n", false, {"dos.odt\r"}},                  // a name may end in a carriage return
        {QByteArray("new\nline.odt\0x.odt\0", 18), true, {"new\nline.odt", "x.odt"}},
        {"", false, {}},
    };
    for (const auto& [bytes, nulSeparated, names] : lists) {
        NonUtf8Arguments nonUtf8;
        const FileList list = Read(bytes, nulSeparated, nonUtf8);
        EXPECT_EQ(list.error, QString());
        EXPECT_EQ(list.names, names) << bytes.toStdString();
        EXPECT_TRUE(nonUtf8.isEmpty());
    }
}

TEST(FileList, ANameThatIsNotUtf8IsKeptByItsBytesAndAListBeyondTheCapIsRefused) {
    NonUtf8Arguments nonUtf8;
    const FileList list = Read("caf\xe9.odt\nok.odt\n", false, nonUtf8);
    ASSERT_EQ(list.names.size(), 2);
    EXPECT_EQ(nonUtf8.value(list.names[0]), QByteArray("caf\xe9.odt"));
    EXPECT_FALSE(nonUtf8.contains(list.names[1]));

    const FileList tooLarge = Read(QByteArray(2000, 'a'), false, nonUtf8, 1000);
    EXPECT_FALSE(tooLarge.error.isEmpty());
    EXPECT_TRUE(tooLarge.names.isEmpty()) << "no truncated batch";
}

}  // namespace
