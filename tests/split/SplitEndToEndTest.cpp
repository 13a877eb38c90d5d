// Splits real documents with a real headless LibreOffice through the main window's code path.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "EngineChoices.h"
#include "FakePrompts.h"
#include "MemorySettingsStore.h"
#include "TestOffice.h"
#include "app/Form1.h"
#include "fsutil/ProgramFolder.h"
#include "split/CopyPageEngine.h"
#include "split/OfficeSession.h"

using namespace fk;
using namespace fk::test;

namespace {

// Passes every call to the real office, and lets a test act just before a chosen dispatch.
class ObservedSession : public office::OfficeSession, public office::PageCursor {
public:
    explicit ObservedSession(office::OfficeSession& real) : real_(real) {}
    std::function<void(const QString&)> before;

    void reach() override { real_.reach(); }
    bool isAlive() override { return real_.isAlive(); }
    office::DocumentStore& documents() override { return real_.documents(); }
    office::PageCursor& cursor() override { return *this; }

    // The commands are what is observed; the rest of the cursor is the real one's.
    void dispatch(const office::DocumentRef& d, const QString& c, const office::Arguments& a) override {
        if (before) before(c);
        real_.cursor().dispatch(d, c, a);
    }
    bool move(const office::DocumentRef& d, office::CursorMove m) override {
        return real_.cursor().move(d, m);
    }
    int currentPage(const office::DocumentRef& d) override { return real_.cursor().currentPage(d); }
    bool holds(const office::DocumentRef& d, office::CursorTest t) override {
        return real_.cursor().holds(d, t);
    }
    QString pageStyle(const office::DocumentRef& d) override { return real_.cursor().pageStyle(d); }

private:
    office::OfficeSession& real_;
};

class SplitEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { office_ = new TestOffice(); }
    static void TearDownTestSuite() {
        delete office_;
        office_ = nullptr;
    }

    void SetUp() override {
        QDir().mkpath(inputs());
        QDir().mkpath(outputs());
    }

    QString inputs() const { return work.filePath("in"); }
    QString outputs() const { return work.filePath("out"); }

    QString makeDocument(const QString& name, const TestOffice::Content& content) {
        const QString path = inputs() + "/" + name;
        office_->makeDocument(path, content);
        return path;
    }

    static QStringList numberedPages(const QString& stem, int pages) {
        QStringList texts;
        for (int page = 1; page <= pages; ++page)
            texts << QStringLiteral("%1 page %2 marker").arg(stem).arg(page);
        return texts;
    }

    Form1& window(office::OfficeSession& office) {
        Form1Services services{prompts,
                               settings,
                               office,
                               test::MethodOnly(SplitMethod::Copy),
                               fileSystem,
                               programFolder.path(),
                               [] { return 0.5; },
                               [this](int) { return work.path(); },
                               [] {}};
        form = std::make_unique<Form1>(std::move(services));
        form->Form_Load();
        form->Text1->setText(outputs() + "/");
        return *form;
    }

    QString write(const QString& name, const QByteArray& bytes) const {
        QFile file(inputs() + "/" + name);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }

    QStringList outputNames() const { return QDir(outputs()).entryList(QDir::Files, QDir::Name); }

    // Each output holds its own page's text and no other page's.
    // Pages listed in `emptyPages` must hold no page's text at all.
    void expectPagesOf(const QString& baseName, const QStringList& pageTexts,
                       const QList<int>& emptyPages = {}) {
        for (int page = 1; page <= pageTexts.size(); ++page) {
            const QString path =
                outputs() + "/" + QStringLiteral("%1_%2.odt").arg(baseName).arg(page, 4, 10, QChar('0'));
            ASSERT_TRUE(IsOdtPackage(path)) << path.toStdString();
            const QString text = OdtBodyText(path).join('\n');
            for (int other = 1; other <= pageTexts.size(); ++other) {
                EXPECT_EQ(text.contains(pageTexts.at(other - 1)), other == page && !emptyPages.contains(page))
                    << baseName.toStdString() << " output " << page << " holds: " << text.toStdString();
            }
        }
        EXPECT_FALSE(QFile::exists(
            outputs() + "/" +
            QStringLiteral("%1_%2.odt").arg(baseName).arg(pageTexts.size() + 1, 4, 10, QChar('0'))));
    }

    static TestOffice* office_;
    QTemporaryDir work;
    QTemporaryDir programFolder;
    FakePrompts prompts;
    MemorySettingsStore settings;
    LocalFileSystem fileSystem;
    std::unique_ptr<Form1> form;
};

TestOffice* SplitEndToEnd::office_ = nullptr;

}  // namespace

TEST_F(SplitEndToEnd, SplitsEveryPageOfRealDocumentsIntoItsOwnDocument) {
    const QStringList plain = numberedPages("Plain", 3);
    const QStringList headed = numberedPages("Headed", 2);
    const QStringList table = numberedPages("Tabled", 3);
    const QStringList foreign{QStringLiteral("Übersicht Grüße page 1"), QStringLiteral("Отчёт страница 2"),
                              QStringLiteral("日本語のページ 3")};
    const QStringList odd = numberedPages("Odd", 2);
    const QStringList paths{
        makeDocument("plain.odt", {plain}),
        makeDocument("headed.odt", {headed, true}),
        makeDocument("tabled.odt", {table, false, true}),
        makeDocument("Übersicht отчёт.odt", {foreign}),
        makeDocument("100% sure #1?.odt", {odd}),
    };
    QList<QByteArray> before;
    for (const QString& path : paths) before << FileDigest(path);

    Form1& main = window(office_->session());
    for (const QString& path : paths) main.documents().AppendDocument(path);
    main.PushButton7_Click();

    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    EXPECT_EQ(outputNames().size(), 13);
    expectPagesOf("plain", plain);
    expectPagesOf("headed", headed);
    expectPagesOf("tabled", table);
    EXPECT_TRUE(OdtBodyText(outputs() + "/tabled_0001.odt").contains("Cell A1"));
    expectPagesOf("Übersicht отчёт", foreign);
    expectPagesOf("100% sure #1?", odd);
    for (qsizetype i = 0; i < paths.size(); ++i)
        EXPECT_EQ(FileDigest(paths[i]), before[i]) << "input changed";
    EXPECT_EQ(main.progressValue(), 0);
    EXPECT_EQ(main.progressText(), "Progress Bar");
    EXPECT_FALSE(main.IsSplitting());
}

TEST_F(SplitEndToEnd, ShippedSamplesLoadAndSplit) {
    Form1Services services{
        prompts,    settings,        office_->session(), test::MethodOnly(SplitMethod::Copy),
        fileSystem, ProgramFolder(), [] { return 0.5; }, [this](int) { return work.path(); },
        [] {}};
    form = std::make_unique<Form1>(std::move(services));
    form->Form_Load();
    form->Text1->setText(outputs() + "/");
    form->PushButton10_Click();
    ASSERT_EQ(form->documents().count(), 4);
    form->PushButton7_Click();
    EXPECT_EQ(prompts.messageTexts().last(), "Done.");
    EXPECT_EQ(prompts.messages.size(), 2) << prompts.messageTexts().join("\n----\n").toStdString();
    EXPECT_EQ(outputNames().size(), 8);
    EXPECT_TRUE(OdtBodyText(outputs() + "/Price list_0001.odt").join(' ').contains("Toner"));
    EXPECT_TRUE(OdtBodyText(outputs() + "/Grüße aus Köln – Привет_0002.odt").join(' ').contains("кириллицу"));
}

TEST_F(SplitEndToEnd, BadInputIsReportedAndTheRunGoesOn) {
    const QStringList bad{
        inputs() + "/missing.odt",
        write("corrupt.odt", QByteArray("PK\x03\x04 this is no zip archive at all", 36)),
    };
    const QString good = makeDocument("good.odt", {numberedPages("Good", 2)});
    Form1& main = window(office_->session());
    for (const QString& path : bad) main.documents().AppendDocument(path);
    main.documents().AppendDocument(good);
    main.PushButton7_Click();

    const QStringList messages = prompts.messageTexts();
    ASSERT_EQ(messages.size(), 3) << messages.join("\n----\n").toStdString();
    EXPECT_TRUE(messages[0].contains("at line 124\r\r"));
    EXPECT_TRUE(messages[1].contains("at line 124\r\r"));
    EXPECT_EQ(messages.last(), "Done.\r\n1 of 3 documents split, 2 pages stored.");
    expectPagesOf("good", numberedPages("Good", 2));
}

TEST_F(SplitEndToEnd, OddFilesNamedLikeDocumentsNeverStopTheRun) {
    Form1& main = window(office_->session());
    main.documents().AppendDocument(write("empty.odt", {}));
    main.documents().AppendDocument(write("text.odt", "plain text that only pretends to be a document\n"));
    const QString good = makeDocument("after.odt", {numberedPages("After", 2)});
    main.documents().AppendDocument(good);
    main.PushButton7_Click();
    // Each costs at most one report; text the office reads only as plain text is no document to split.
    EXPECT_LE(prompts.messages.size(), 3);
    EXPECT_TRUE(prompts.messageTexts().last().startsWith("Done.")) << prompts.messageTexts().last().toStdString();
    EXPECT_FALSE(outputNames().contains("text_0001.odt"));
    expectPagesOf("after", numberedPages("After", 2));
}

TEST_F(SplitEndToEnd, UnwritableOutputFolderIsReportedOncePerDocumentWithThePagesItCost) {
    const QString doc = makeDocument("two.odt", {numberedPages("Two", 2)});
    Form1& main = window(office_->session());
    main.documents().AppendDocument(doc);
    main.Text1->setText("/proc/");
    main.PushButton7_Click();
    const QStringList messages = prompts.messageTexts();
    ASSERT_EQ(messages.size(), 2) << messages.join("\n----\n").toStdString();
    EXPECT_TRUE(messages[0].contains("at line 158\r\r"));
    EXPECT_TRUE(messages[0].contains("2 pages of this document were not stored."))
        << messages[0].toStdString();
    EXPECT_EQ(messages[1], "Done.\r\n0 of 1 document split, 0 pages stored.");
}

TEST_F(SplitEndToEnd, OfficeKilledInTheMiddleOfADocumentCostsThatDocumentOnly) {
    const QString first = makeDocument("first.odt", {numberedPages("First", 4)});
    const QString second = makeDocument("second.odt", {numberedPages("Second", 2)});
    ObservedSession observed(office_->session());
    int saves = 0;
    observed.before = [&](const QString& command) {
        if (command == ".uno:SaveAs" && ++saves == 2) ::kill(-office_->session().process().pid(), SIGKILL);
    };
    const pid_t killedOffice = office_->session().process().pid();
    Form1& main = window(observed);
    main.documents().AppendDocument(first);
    main.documents().AppendDocument(second);
    main.PushButton7_Click();

    const QStringList messages = prompts.messageTexts();
    ASSERT_EQ(messages.size(), 2) << messages.join("\n----\n").toStdString();
    EXPECT_TRUE(messages[0].contains("in Tamberlon2021/08/31.Form1.PushButton7_Click at line 158"));
    EXPECT_EQ(messages[1], "Done.\r\n1 of 2 documents split, 3 pages stored.");
    EXPECT_TRUE(QFile::exists(outputs() + "/first_0001.odt"));
    EXPECT_NE(office_->session().process().pid(), killedOffice);
    expectPagesOf("second", numberedPages("Second", 2));
}

TEST_F(SplitEndToEnd, LinksAtPageNamesAndListedDocumentsInTheOutputFolderAreNeverWritten) {
    const QString doc = makeDocument("a.odt", {numberedPages("A", 3)});
    // A listed document that bears a page's name, and a link at another page's name to a document.
    const QString listed = outputs() + "/a_0002.odt";
    office_->makeDocument(listed, {numberedPages("Listed", 1)});
    const QString precious = makeDocument("precious.odt", {numberedPages("Precious", 1)});
    ASSERT_TRUE(QFile::link(precious, outputs() + "/a_0003.odt"));
    const QByteArray listedBefore = FileDigest(listed), preciousBefore = FileDigest(precious);

    Form1& main = window(office_->session());
    main.documents().AppendDocument(doc);
    main.documents().AppendDocument(listed);
    main.PushButton7_Click();

    const QStringList messages = prompts.messageTexts();
    ASSERT_EQ(messages.size(), 2) << messages.join("\n----\n").toStdString();
    EXPECT_TRUE(messages[0].contains("would overwrite an input of this run")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("at line 146\r\r"));
    EXPECT_EQ(messages[1], "Done.\r\n1 of 2 documents split, 3 pages stored.");
    EXPECT_EQ(FileDigest(listed), listedBefore);
    EXPECT_EQ(FileDigest(precious), preciousBefore);
    EXPECT_FALSE(QFileInfo(outputs() + "/a_0003.odt").isSymLink());
    EXPECT_EQ(OdtBodyText(outputs() + "/a_0003.odt"), QStringList{"A page 3 marker"});
    EXPECT_EQ(outputNames(), (QStringList{"a_0001.odt", "a_0002.odt", "a_0002_0001.odt", "a_0003.odt"}))
        << "no private file is left";
    EXPECT_TRUE(QDir(outputs()).entryList(QDir::AllEntries | QDir::Hidden).filter(".fk-").isEmpty())
        << "neither a private file nor the folder the office stored a page in";
}

TEST_F(SplitEndToEnd, HardLayoutsGiveOnePageDocumentPerPageTheOfficeCounts) {
    // Blank pages the layout inserts between left and right pages, and a table whose heading row
    // repeats on every page it spans.
    const QString hard = QStringLiteral(FOLIOKNIFE_SOURCE_DIR) + "/tests/data/hard-cases/";
    Form1& main = window(office_->session());
    for (const QString& name :
         {QStringLiteral("left-right-blank.odt"), QStringLiteral("table-three-pages.odt")}) {
        QFile::copy(hard + name, inputs() + "/" + name);
        main.documents().AppendDocument(inputs() + "/" + name);
    }
    main.PushButton7_Click();

    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    EXPECT_EQ(outputNames().filter("left-right-blank_").size(), 5);
    EXPECT_EQ(outputNames().filter("table-three-pages_").size(), 3);
    for (const QString& name : outputNames())
        EXPECT_TRUE(IsOdtPackage(outputs() + "/" + name)) << name.toStdString();
}

TEST_F(SplitEndToEnd, OlderPagesOfALongerSplitAreToldOnceBeforeDone) {
    const QString longer = makeDocument("report.odt", {numberedPages("Long", 4)});
    Form1& first = window(office_->session());
    first.documents().AppendDocument(longer);
    first.PushButton7_Click();
    ASSERT_EQ(prompts.messageTexts(), QStringList{"Done."});
    prompts.messages.clear();

    QFile::remove(longer);
    makeDocument("report.odt", {numberedPages("Short", 2)});
    Form1& second = window(office_->session());
    second.documents().AppendDocument(longer);
    second.PushButton7_Click();

    EXPECT_EQ(prompts.messageTexts(),
              (QStringList{
                  "Older pages remain beside the new ones:\r\nreport.odt: report_0003.odt to report_0004.odt",
                  "Done."}));
    EXPECT_EQ(outputNames().size(), 4);
}
