#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "QtPrinters.h"
#include "cli/FailureExplanation.h"

using namespace fk;
using namespace fk::cli;

namespace {

const SplitFailure kOpenFailure{SplitStage::Open, 0, "Automation error: The document cannot be opened", 124};

TEST(FailureExplanation, NamesWhoHoldsADocumentFromItsLockFile) {
    QTemporaryDir folder;
    const QString document = folder.filePath("report.odt");
    QFile lock(folder.filePath(".~lock.report.odt#"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("Ada Lovelace,analytical,ada,08.12.2026 09:15,file:///home/ada/.config/libreoffice/4;");
    lock.close();

    const QString text = FailureExplanation(false).text(kOpenFailure, document);
    EXPECT_EQ(text,
              "the document is open in Ada Lovelace on analytical since 08.12.2026 09:15; close it there, "
              "or remove its lock file if that office is gone (open)");
    EXPECT_FALSE(text.contains("Automation error")) << "the office's words only with --verbose";
}

TEST(FailureExplanation, VerboseAddsTheOfficesWordsAndPagesComeFirst) {
    QTemporaryDir folder;
    const QString text = FailureExplanation(true).text(kOpenFailure, folder.filePath("broken.odt"));
    EXPECT_TRUE(text.startsWith("LibreOffice cannot open the document")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("[office: Automation error: The document cannot be opened] (open)"))
        << text.toStdString();

    const SplitFailure store{SplitStage::Store, 7, "disk full", 0};
    EXPECT_EQ(FailureExplanation(true).text(store, folder.filePath("a.odt")), "page 7: disk full (store)");
}

TEST(FailureExplanation, APageNameTooLongForTheFileSystemIsSaidSo) {
    const SplitFailure store{SplitStage::Store, 1, "Cannot write: File name too long", 0};
    // 240 bytes fit the file system, but not with the private name a page is first stored under.
    const QString text = FailureExplanation(false).text(store, "/in/" + QString(231, 'x') + ".odt");
    EXPECT_TRUE(text.contains("too long for the file system")) << text.toStdString();
    const SplitFailure other{SplitStage::Store, 1, "disk full", 0};
    EXPECT_EQ(FailureExplanation(false).text(other, "/in/short.odt"), "page 1: disk full (store)");
}

TEST(FailureExplanation, AnOfficeThatDoesNotStartIsNamed) {
    const SplitFailure connect{SplitStage::Connect, 0, "ActiveX component can't create object", 0};
    const QString text = FailureExplanation(false).text(connect, "/in/a.odt");
    EXPECT_TRUE(text.startsWith("LibreOffice could not be started")) << text.toStdString();
    EXPECT_FALSE(text.contains("ActiveX"));
}

}  // namespace
