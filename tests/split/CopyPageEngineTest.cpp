#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "FakeOfficeSession.h"
#include "QtPrinters.h"
#include "split/CopyPageEngine.h"
#include "split/OfficeSession.h"

using namespace fk;
using namespace fk::test;

namespace {

class RecordingObserver : public SplitObserver {
public:
    void pageCountKnown(int count) override { pageCount = count; }
    void pageStored(int page, const QString& path) override {
        stored << QStringLiteral("%1 %2").arg(page).arg(path);
    }
    void failed(const SplitFailure& failure) override { failures << failure; }

    int pageCount = 0;
    QStringList stored;
    QList<SplitFailure> failures;
};

class CopyPageEngineTest : public ::testing::Test {
protected:
    CopyPageEngineTest() {
        office.alive = true;  // the job reaches the office before an engine runs
    }
    QString input(const QString& name, int pages) {
        const QString path = in.filePath(name);
        office.pageCounts.insert(ToFileUrl(path), pages);
        return path;
    }
    SplitResult split(const QString& path) {
        return engine.split(path, out.path(), ProtectedPaths({path}), observer);
    }

    QTemporaryDir in, out;
    FakeOfficeSession office;
    CopyPageEngine engine{office};
    RecordingObserver observer;
};

}  // namespace

TEST_F(CopyPageEngineTest, AResultCountsPagesAndTellsEachStoredPage) {
    const SplitResult result = split(input("report.odt", 3));
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.method, "copy");
    EXPECT_EQ(result.pageCount, 3);
    EXPECT_EQ(result.pagesStored, 3);
    EXPECT_EQ(observer.pageCount, 3);
    EXPECT_EQ(observer.stored,
              (QStringList{"1 " + out.path() + "/report_0001.odt", "2 " + out.path() + "/report_0002.odt",
                           "3 " + out.path() + "/report_0003.odt"}));
    EXPECT_EQ(office.openDocuments(), 0);
}

TEST_F(CopyPageEngineTest, FailuresCarryStageStepAndPage) {
    const SplitResult unopened = split(in.filePath("missing.odt"));
    ASSERT_EQ(unopened.failures.size(), 1);
    EXPECT_EQ(unopened.failures[0].stage, SplitStage::Open);
    EXPECT_EQ(unopened.failures[0].stage, SplitStage::Open);
    EXPECT_EQ(unopened.failures[0].page, 0);
    EXPECT_FALSE(unopened.succeeded());

    office.stallOnPages = {2};
    office.jumpToPageIgnored = true;
    const SplitResult stalled = split(input("stalls.odt", 3));
    ASSERT_EQ(stalled.failures.size(), 1);
    EXPECT_EQ(stalled.failures[0].stage, SplitStage::NextPage);
    EXPECT_EQ(stalled.failures[0].stage, SplitStage::NextPage);
    EXPECT_EQ(stalled.failures[0].page, 3);
    EXPECT_EQ(stalled.pagesStored, 2);
    EXPECT_EQ(observer.failures.size(), 2) << "the observer hears each failure as it happens";
}

TEST_F(CopyPageEngineTest, ADeadOfficeCostsOneFailure) {
    const QString path = input("dies.odt", 5);
    office.dieAtCall = 20;
    const SplitResult result = split(path);
    EXPECT_EQ(result.failures.size(), 1);
    EXPECT_LT(result.pagesStored, 5);
}

TEST_F(CopyPageEngineTest, ALinkAtAPageNameIsReplacedNeverWrittenThrough) {
    const QString path = input("report.odt", 2);
    QFile precious(in.filePath("precious.odt"));
    ASSERT_TRUE(precious.open(QIODevice::WriteOnly));
    precious.write("keep me");
    precious.close();
    ASSERT_TRUE(QFile::link(precious.fileName(), out.filePath("report_0001.odt")));

    EXPECT_TRUE(split(path).succeeded());

    ASSERT_TRUE(precious.open(QIODevice::ReadOnly));
    EXPECT_EQ(precious.readAll(), "keep me");
    const QFileInfo page(out.filePath("report_0001.odt"));
    EXPECT_FALSE(page.isSymLink());
    EXPECT_EQ(FakeOfficeSession::storedText(page.filePath()), ToFileUrl(path) + "#1");
    EXPECT_EQ(
        QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
        (QStringList{"report_0001.odt", "report_0002.odt"}))
        << "nothing of the private names is left";
}

TEST_F(CopyPageEngineTest, AnIncompletePageIsAFailureAndLeavesTheOlderPageAndNoPrivateFile) {
    const QString path = input("report.odt", 1);
    const QString older = out.filePath("report_0001.odt");
    struct Case {
        const char* name;
        bool skip;
        qint64 cutAt;
        QString why;
    };
    // A page whose store was cut short keeps the head of a package but loses its directory.
    for (const Case& store :
         {Case{"nothing written", true, -1, {}}, Case{"cut short", false, 100, "(incomplete: "},
          Case{"empty", false, 0, "(empty)"}, Case{"not a package", false, 20, "(not an"}}) {
        SCOPED_TRACE(store.name);
        FakeOfficeSession::writePackage(older, "older page");
        office.skipWrites = store.skip;
        office.cutWritesAt = store.cutAt;

        const SplitResult result = split(path);

        ASSERT_EQ(result.failures.size(), 1);
        EXPECT_EQ(result.failures[0].action, SplitAction::StorePage);
        EXPECT_EQ(result.failures[0].stage, SplitStage::Store);
        EXPECT_TRUE(result.failures[0].message.startsWith("The page document was not stored: " + older))
            << result.failures[0].message.toStdString();
        EXPECT_TRUE(result.failures[0].message.contains(store.why));
        EXPECT_EQ(result.pagesStored, 0);
        EXPECT_FALSE(result.succeeded());
        EXPECT_EQ(FakeOfficeSession::storedText(older), "older page");
        EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{"report_0001.odt"});
    }
}

TEST_F(CopyPageEngineTest, APageThatWouldReplaceAnInputOfTheRunIsFailedAndTheOthersStored) {
    const QString path = input("a.odt", 3);
    const QString other = out.filePath("a_0002.odt");
    FakeOfficeSession::writePackage(other, "another input");

    const SplitResult result = engine.split(path, out.path(), ProtectedPaths({other, path}), observer);

    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].stage, SplitStage::Store);
    EXPECT_EQ(result.failures[0].page, 2);
    EXPECT_EQ(result.failures[0].action, SplitAction::NamePage);
    EXPECT_EQ(result.failures[0].message,
              "The page document would overwrite an input of this run and was not stored: " + other);
    EXPECT_EQ(FakeOfficeSession::storedText(other), "another input");
    EXPECT_EQ(result.pagesStored, 2);
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("a_0003.odt")), ToFileUrl(path) + "#3");
    EXPECT_EQ(office.calls.count("createTextDocument"), 2) << "no page document is made for it";
    EXPECT_EQ(office.openDocuments(), 0);
}

TEST_F(CopyPageEngineTest, ABlankPageTheLayoutInsertedIsStoredEmptyAndTheRestFollow) {
    const QString path = input("left-right.odt", 5);
    office.blankPages = {2, 4};
    const SplitResult result = split(path);

    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.pagesStored, 5) << "one output for every page the office counts";
    const QString url = ToFileUrl(path);
    const QStringList expected{url + "#1", "", url + "#3", "", url + "#5"};
    for (int page = 1; page <= 5; ++page)
        EXPECT_EQ(FakeOfficeSession::storedText(PageFilePath(out.path(), path, page)), expected[page - 1])
            << "page " << page;
}

TEST_F(CopyPageEngineTest, APageThatBeginsInATableWithARepeatedHeadingRowIsReached) {
    const QString path = input("long-table.odt", 4);
    office.tableStartPages = {2, 3};
    office.headingRowPages = {2, 3};
    const SplitResult result = split(path);

    EXPECT_TRUE(result.succeeded()) << (result.failures.isEmpty() ? ""
                                                                  : result.failures[0].message.toStdString());
    EXPECT_EQ(result.pagesStored, 4);
    const QString url = ToFileUrl(path);
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("long-table_0003.odt")),
              url + "#3#table+" + url + "#3");
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("long-table_0004.odt")), url + "#4");
}

TEST_F(CopyPageEngineTest, ACursorThatReachesNoFurtherPageIsStillAFailure) {
    // Not a blank page: the page after it cannot be reached either, or it is the last page.
    office.jumpToPageIgnored = true;
    for (const int stall : {1, 2}) {
        office.stallOnPages = {stall};
        const SplitResult result = split(input(QStringLiteral("stuck%1.odt").arg(stall), 3));
        ASSERT_EQ(result.failures.size(), 1);
        EXPECT_EQ(result.failures[0].stage, SplitStage::NextPage);
        // Never a silent short split: the report says how much of the document was stored.
        EXPECT_EQ(result.failures[0].message,
                  QStringLiteral("The view cursor cannot be moved to page %1; %2 of 3 pages were stored, and "
                                 "the pages after them are not")
                      .arg(stall + 1)
                      .arg(stall));
        EXPECT_EQ(result.pagesStored, stall);
    }
}

TEST_F(CopyPageEngineTest, TheDocumentIsLoadedVisibleButWithoutMacros) {
    const QString path = input("macros.odt", 1);
    split(path);
    EXPECT_EQ(office.loadArguments.value(ToFileUrl(path)),
              (QStringList{"MacroExecutionMode=0", "UpdateDocMode=0"}));
}

TEST(UnattendedLoadArguments, NeverRunMacrosOrUpdateLinksAndHideOrProtectOnlyWhenAsked) {
    const auto pairs = [](const office::LoadOptions& options) {
        QStringList listed;
        for (const office::PropertyValue& argument : office::UnattendedLoadArguments(options))
            listed << argument.name + "=" + argument.value.toString();
        return listed;
    };
    EXPECT_EQ(pairs({}), (QStringList{"MacroExecutionMode=0", "UpdateDocMode=0"}));
    EXPECT_EQ(pairs({.hidden = true, .readOnly = true}),
              (QStringList{"Hidden=true", "ReadOnly=true", "MacroExecutionMode=0", "UpdateDocMode=0"}));
    // The office reads both modes as 16-bit numbers only.
    for (const office::PropertyValue& argument : office::UnattendedLoadArguments({}))
        EXPECT_EQ(argument.value.typeId(), QMetaType::Short) << argument.name.toStdString();
}

TEST(PageFilePath, JoinsFolderAndNameWithOneSeparator) {
    EXPECT_EQ(PageFilePath("/out", "/in/a.odt", 1), "/out/a_0001.odt");
    EXPECT_EQ(PageFilePath("/out/", "/in/a.odt", 1), "/out/a_0001.odt");
    EXPECT_EQ(PageFilePath("/", "/in/a.odt", 12), "/a_0012.odt");
}

TEST(StageName, NamesEveryStage) {
    for (const SplitStage stage :
         {SplitStage::Connect, SplitStage::Open, SplitStage::CountPages, SplitStage::Copy, SplitStage::Store,
          SplitStage::NextPage, SplitStage::Close, SplitStage::Slice})
        EXPECT_FALSE(StageName(stage).isEmpty());
}

TEST_F(CopyPageEngineTest, PagesTheOfficeLaysOutLateAreSplitToo) {
    // Settling while counting, and pages that appear only once the others are stored.
    for (const int jumps : {1, 2}) {
        office.lateLayoutPages = 2;
        office.lateLayoutAfterLastPageJumps = jumps;
        const QString path = input(QStringLiteral("late%1.odt").arg(jumps), 5);
        const SplitResult result = split(path);
        EXPECT_TRUE(result.succeeded()) << jumps;
        EXPECT_EQ(result.pageCount, 5) << jumps;
        EXPECT_EQ(result.pagesStored, 5) << jumps;
        for (int page = 1; page <= 5; ++page)
            EXPECT_EQ(FakeOfficeSession::storedText(PageFilePath(out.path(), path, page)),
                      ToFileUrl(path) + "#" + QString::number(page))
                << jumps << " page " << page;
    }
}
