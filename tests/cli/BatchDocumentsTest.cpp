#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

#include "FakeOfficeSession.h"
#include "QtPrinters.h"
#include "cli/BatchDocuments.h"
#include "cli/DocumentContent.h"
#include "cli/NativeNames.h"
#include "split/OutputNames.h"

using namespace fk;
using namespace fk::cli;

namespace {

const QByteArray kZip("PK\x03\x04 rest of a package", 24);

class BatchDocumentsTest : public ::testing::Test {
protected:
    // QTemporaryDir cannot remove a name that is not UTF-8: it would stay behind in the system's folder.
    ~BatchDocumentsTest() override {
        std::filesystem::remove_all(QFile::encodeName(work.path()).toStdString());
    }
    QString touch(const QString& relative, const QByteArray& content = kZip) {
        const QString path = work.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    // A file whose name has bytes that are not UTF-8; returns its native path.
    QByteArray touchNative(const QByteArray& relative) {
        const QByteArray path = QFile::encodeName(work.path()) + '/' + relative;
        FILE* file = std::fopen(path.constData(), "wb");
        EXPECT_NE(file, nullptr);
        if (file) {
            std::fwrite(kZip.constData(), 1, kZip.size(), file);
            std::fclose(file);
        }
        return path;
    }
    BatchDocuments collect(const QStringList& inputs, const NonUtf8Arguments& nonUtf8 = {}) {
        return CollectDocuments(inputs, work.path(), nonUtf8);
    }
    QTemporaryDir work;
};

TEST_F(BatchDocumentsTest, FoldersGiveTheirWriterDocumentsFilesAreTakenAsGiven) {
    const QString report = touch("in/report.odt");
    const QString nested = touch("in/sub/letter.OTT");
    touch("in/notes.txt");
    touch("in/~lock.odt");
    touch("in/.hidden.odt");
    const QString word = touch("memo.docx");

    const BatchDocuments found = collect({"in/", "memo.docx", report, "./in/../in/report.odt"});
    EXPECT_TRUE(found.problems.isEmpty()) << found.problems.join('\n').toStdString();
    EXPECT_EQ(found.documents, (QStringList{report, nested, word}))
        << "each document once, in the order given";
}

TEST_F(BatchDocumentsTest, MissingInputsAreProblemsAndTheRestStays) {
    const QString report = touch("report.odt");
    const BatchDocuments found = collect({"gone.odt", "report.odt", "gone/"});
    EXPECT_EQ(found.documents, QStringList{report});
    ASSERT_EQ(found.problems.size(), 2);
    EXPECT_TRUE(found.problems[0].startsWith("gone.odt: no such file"));
}

TEST_F(BatchDocumentsTest, DocumentsLeftToAnotherShardAreInputFilesStillButNotLookedAt) {
    const QString mine = touch("in/mine.odt");
    const QString theirs = touch("in/theirs.odt");
    const QString theirsEmpty = touch("in/theirs-empty.odt", {});
    const QString note = touch("in/empty.odt", {});
    const BatchDocuments found = CollectDocuments({"in"}, work.path(), {}, [](const QString& path) {
        return !QFileInfo(path).fileName().startsWith("theirs");
    });
    EXPECT_EQ(found.documents, QStringList{mine});
    EXPECT_EQ(found.problems, QStringList{note + ": empty file, not split"})
        << "another shard reports its own problems";
    EXPECT_EQ(found.inputFiles, (QStringList{note, mine, theirsEmpty, theirs}));
}

// Folder inputs: which names are documents.

TEST_F(BatchDocumentsTest, OnlyNamesThatEndInAWriterExtensionAreDocuments) {
    const QStringList kept{touch("in/a.odt"), touch("in/b.ODT"), touch("in/c.Ott"), touch("in/d.stw"),
                           touch("in/e.SXW")};
    for (const char* name : {"in/b.odt.bak", "in/c.odt~", "in/d.odt#", "in/a.odtfoo", "in/j.odt ", "in/odt",
                             "in/x.sxw.orig", "in/y.odt.txt"})
        touch(name);
    const BatchDocuments found = collect({"in"});
    EXPECT_EQ(found.documents, kept);
    EXPECT_TRUE(found.problems.isEmpty()) << found.problems.join('\n').toStdString();
}

TEST_F(BatchDocumentsTest, LinksInsideTheFolderPassTheSameNameTestsAsFiles) {
    const QString target = touch("in/elsewhere/target.odt");
    const QString linked = work.filePath("in/linked.odt");
    ASSERT_TRUE(QFile::link(target, linked));
    ASSERT_TRUE(QFile::link(target, work.filePath("in/.hidden-link.odt")));
    ASSERT_TRUE(QFile::link(target, work.filePath("in/~lock-link.odt")));
    ASSERT_TRUE(QFile::link(target, work.filePath("in/.~lock.linked.odt#")));
    ASSERT_TRUE(QFile::link(target, work.filePath("in/linked.odt.bak")));
    const BatchDocuments found = collect({"in"});
    EXPECT_EQ(found.documents, (QStringList{target, linked}));
    EXPECT_TRUE(found.problems.isEmpty()) << found.problems.join('\n').toStdString();
}

TEST_F(BatchDocumentsTest, ALinkOutOfTheFolderIsReportedNotFollowed) {
    const QString target = touch("elsewhere/target.odt");
    QDir().mkpath(work.filePath("in"));
    ASSERT_TRUE(QFile::link(target, work.filePath("in/linked.odt")));
    const BatchDocuments found = collect({"in"});
    EXPECT_TRUE(found.documents.isEmpty());
    EXPECT_EQ(found.problems,
              QStringList{work.filePath("in/linked.odt") + ": link leads out of the folder, not split"});
}

TEST_F(BatchDocumentsTest, ALinkThatLeadsNowhereIsReportedAndALinkUpTheTreeIsWalkedOnce) {
    const QString report = touch("in/sub/report.odt");
    ASSERT_TRUE(QFile::link("/nonexistent/target.odt", work.filePath("in/dangling.odt")));
    ASSERT_TRUE(QFile::link(work.filePath("in"), work.filePath("in/sub/up")));
    const BatchDocuments found = collect({"in"});
    EXPECT_EQ(found.documents, QStringList{report});
    ASSERT_EQ(found.problems.size(), 1);
    EXPECT_EQ(found.problems[0], work.filePath("in/dangling.odt") + ": link leads nowhere, not split");
}

TEST_F(BatchDocumentsTest, HiddenAndDotFoldersAreNotWalked) {
    touch("in/.cache/report.odt");
    const QString kept = touch("in/visible/report.odt");
    EXPECT_EQ(collect({"in"}).documents, QStringList{kept});
}

// Names that are not UTF-8.

TEST_F(BatchDocumentsTest, ADocumentWhoseNameIsNotUtf8IsReportedFromAFolder) {
    QDir().mkpath(work.filePath("in"));
    touchNative("in/caf\xE9.odt");
    touchNative("in/caf\xE9.txt");
    const QString kept = touch("in/plain.odt");
    ASSERT_EQ(::mkdir((QFile::encodeName(work.path()) + "/in/d\xFF").constData(), 0700), 0);
    const BatchDocuments found = collect({"in"});
    EXPECT_EQ(found.documents, QStringList{kept});
    EXPECT_EQ(found.problems,
              (QStringList{work.filePath("in/caf\\xe9.odt") +
                               ": the name is not valid UTF-8; rename the file to split it",
                           work.filePath("in/d\\xff") +
                               ": the folder name is not valid UTF-8; its documents are not split"}));
}

TEST_F(BatchDocumentsTest, AnInputWhoseNameIsNotUtf8IsReportedByItsRealNameNotAsMissing) {
    const QByteArray native = touchNative("caf\xE9.odt");
    const char* argv[] = {"folioknife-split", native.constData(), "plain.odt"};
    const NonUtf8Arguments nonUtf8 = FindNonUtf8Arguments(3, argv);
    ASSERT_EQ(nonUtf8.size(), 1);
    const BatchDocuments found = collect({QString::fromLocal8Bit(native)}, nonUtf8);
    EXPECT_TRUE(found.documents.isEmpty());
    ASSERT_EQ(found.problems.size(), 1);
    EXPECT_EQ(found.problems[0],
              work.filePath("caf\\xe9.odt") + ": the name is not valid UTF-8; rename it to split it");
}

TEST(NativeNames, Utf8ValidityAndDisplay) {
    EXPECT_TRUE(IsUtf8("Grüße – Привет.odt"));
    EXPECT_TRUE(IsUtf8(""));
    EXPECT_FALSE(IsUtf8("caf\xE9.odt"));
    EXPECT_FALSE(IsUtf8("\xC0\xAF")) << "overlong";
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80")) << "surrogate";
    EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80")) << "beyond U+10FFFF";
    EXPECT_FALSE(IsUtf8("ab\xE2\x82")) << "cut short";
    EXPECT_EQ(DisplayName(QByteArray("Grüße\xFF.odt")), QStringLiteral("Grüße\\xff.odt"));
}

TEST(NativeNames, ControlCharactersAreShownAsTheirBytesAndNeverReachTheTerminal) {
    // An escape sequence, a terminal title, a line break, DEL, a C1 CSI and the Unicode line and
    // paragraph separators: none may steer the terminal or split a record.
    const QString hostile = QStringLiteral(
        "a\x1b[2Jb\x1b]0;title\x07"
        "c\nd\x7f\u009be\u2028f\u2029g\th.odt");
    const QString shown = DisplayName(hostile);
    EXPECT_EQ(shown, QStringLiteral("a\\x1b[2Jb\\x1b]0;title\\x07c\\x0ad\\x7f\\xc2\\x9be\\xe2\\x80\\xa8f"
                                    "\\xe2\\x80\\xa9g\\x09h.odt"));
    for (const QChar c : shown) EXPECT_TRUE(c.unicode() >= 0x20 && c.unicode() != 0x7f) << int(c.unicode());
    EXPECT_EQ(DisplayName(shown), shown) << "a second pass changes nothing";
    EXPECT_EQ(DisplayName(QStringLiteral("Grüße – Привет ½ €.odt")),
              QStringLiteral("Grüße – Привет ½ €.odt"));
    EXPECT_EQ(DisplayName(QByteArray("caf\xE9\n.odt")), QStringLiteral("caf\\xe9\\x0a.odt"));
}

// A name can show reversed or hide characters by format characters; joiners stay where a script needs them.
TEST(NativeNames, FormatCharactersAreShownAsCodePointsWhereTheyCanMislead) {
    const struct {
        const char16_t* name;
        const char16_t* shown;
    } cases[] = {
        {u"invoice\u202Efdp.odt", u"invoice\\u{202e}fdp.odt"},                   // right-to-left override
        {u"a\u2066b\u2069.odt", u"a\\u{2066}b\\u{2069}.odt"},                    // isolates
        {u"\u200Bpay\uFEFF.odt", u"\\u{200b}pay\\u{feff}.odt"},                  // zero width, BOM
        {u"pa\u200Dy.odt", u"pa\\u{200d}y.odt"},                                 // Latin needs no joiner
        {u"\u200Dلا.odt", u"\\u{200d}لا.odt"},                                   // nothing to join before it
        {u"می\u200Cخواهم.odt", u"می\u200Cخواهم.odt"},                            // Persian non-joiner
        {u"क्\u200Dष.odt", u"क्\u200Dष.odt"},                                      // Devanagari half form
        {u"\U0001F469\u200D\U0001F4BB.odt", u"\U0001F469\u200D\U0001F4BB.odt"},  // one emoji
    };
    for (const auto& test : cases) {
        const QString shown = DisplayName(QString::fromUtf16(test.name));
        EXPECT_EQ(shown, QString::fromUtf16(test.shown));
        EXPECT_EQ(DisplayName(shown), shown) << "a second pass changes nothing";
    }
}

// Contents: empty files and files that are no documents.

TEST_F(BatchDocumentsTest, EmptyFilesAndFilesThatAreNoDocumentsAreReportedNotSplit) {
    const QString empty = touch("in/empty.odt", {});
    const QString text = touch("in/text.odt", "just some words\n");
    const QString png = touch("picture.odt", "\x89PNG\r\n\x1a\n");
    const QString kept = touch("in/real.odt");
    const BatchDocuments found = collect({"in", "picture.odt"});
    EXPECT_EQ(found.documents, QStringList{kept});
    EXPECT_EQ(found.problems, (QStringList{empty + ": empty file, not split",
                                           text + ": " + ContentProblem(DocumentContent::NotADocument),
                                           png + ": " + ContentProblem(DocumentContent::NotADocument)}));
}

TEST(DocumentContent, KnownWordProcessorFormatsByTheirFirstBytes) {
    EXPECT_EQ(ClassifyContent(kZip), DocumentContent::Document);
    EXPECT_EQ(ClassifyContent(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10)),
              DocumentContent::Document);
    EXPECT_EQ(ClassifyContent("{\\rtf1\\ansi"), DocumentContent::Document);
    EXPECT_EQ(ClassifyContent("\xFFWPC"), DocumentContent::Document);
    EXPECT_EQ(ClassifyContent("\xEF\xBB\xBF  <?xml version=\"1.0\"?><office:document"),
              DocumentContent::Document);
    EXPECT_EQ(ClassifyContent("<office:document xmlns:office="), DocumentContent::Document);
    EXPECT_EQ(ClassifyContent(""), DocumentContent::Empty);
    EXPECT_EQ(ClassifyContent("PK\x05\x06"), DocumentContent::NotADocument) << "an empty zip archive";
    EXPECT_EQ(ClassifyContent("\xD0\xCF\x11\xE0"), DocumentContent::NotADocument) << "cut short";
    EXPECT_EQ(ClassifyContent("Dear Sir,"), DocumentContent::NotADocument);
    EXPECT_EQ(ClassifyContent("%PDF-1.7"), DocumentContent::NotADocument);
}

TEST_F(BatchDocumentsTest, ANamedPipeOrDeviceIsReportedGivenDirectlyOrFoundInAFolderAndHangsNothing) {
    QDir().mkpath(work.filePath("in"));
    const QString pipe = work.filePath("in/pipe.odt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/null", work.filePath("in/device.odt")));
    const QString kept = touch("in/real.odt");
    EXPECT_EQ(ExamineDocument(pipe), DocumentContent::NotAFile);
    const QString problem = ": " + ContentProblem(DocumentContent::NotAFile);

    const BatchDocuments inFolder = collect({"in"});
    EXPECT_EQ(inFolder.documents, QStringList{kept});
    // The device is reached through a link out of the folder: not followed, reported as such.
    EXPECT_EQ(inFolder.problems,
              (QStringList{pipe + problem,
                           work.filePath("in/device.odt") + ": link leads out of the folder, not split"}));
    const BatchDocuments direct = collect({"in/pipe.odt"});
    EXPECT_EQ(direct.problems, QStringList{pipe + problem});
}

TEST(GroupBySharedOutputNames, SameOutputNamesShareAGroupInListOrder) {
    const QList<QStringList> groups = GroupBySharedOutputNames(
        {"/a/report.odt", "/b/letter.odt", "/c/report.ott", "/d/Report.odt", "/e/report.odt"});
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(groups[0], (QStringList{"/a/report.odt", "/c/report.ott", "/e/report.odt"}));
    EXPECT_EQ(groups[1], QStringList{"/b/letter.odt"});
    EXPECT_EQ(groups[2], QStringList{"/d/Report.odt"}) << "names differ in case on this file system";
}

}  // namespace
