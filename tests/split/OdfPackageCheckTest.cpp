#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "FakeOfficeSession.h"
#include "QtPrinters.h"
#include "split/OdfPackageCheck.h"

using namespace fk;

TEST(OdfPackageCheck, OnlyAWholePackageWithItsMimetypeFirstPasses) {
    const QTemporaryDir folder;
    const QString page = folder.filePath("page.odt");
    test::FakeOfficeSession::writePackage(page,
                                          QStringLiteral("some text that is long enough to be deflated"));
    EXPECT_EQ(OdfPackageDefect(page), "");
    EXPECT_EQ(OdfPackageDefect(folder.filePath("missing.odt")), "cannot be read");

    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype text = bytes.indexOf("content.xml") + 11;  // the entry's data follows its name
    bytes[text + 2] = static_cast<char>(bytes[text + 2] ^ 0x55);
    file.seek(0);
    file.write(bytes);
    file.close();
    EXPECT_TRUE(OdfPackageDefect(page).startsWith("damaged: ")) << OdfPackageDefect(page).toStdString();

    const QString plain = folder.filePath("plain.odt");
    QFile other(plain);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("PK\x03\x04 but not the mimetype entry first, and long enough to be read");
    other.close();
    EXPECT_EQ(OdfPackageDefect(plain), "not an OpenDocument package");
}
