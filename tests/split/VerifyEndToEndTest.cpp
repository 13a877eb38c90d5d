// Checking outputs with a real headless LibreOffice: pages made wrong on purpose are flagged on their
// own page and kept; faithful pages of real documents pass.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "Corpus.h"
#include "SharedJobOffice.h"

using namespace fk;
using namespace fk::test;

namespace {

using SharedOffice = SharedJobOffice;

// The chosen engine, with page 2 then replaced by another file, as a faulty cut would leave it.
class SpoilingEngine : public SplitEngine {
public:
    SpoilingEngine(std::unique_ptr<SplitEngine> real, QString replacement)
        : real_(std::move(real)), replacement_(std::move(replacement)) {}
    SplitResult split(const QString& path, const QString& folder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override {
        const SplitResult result = real_->split(path, folder, inputs, observer);
        if (!replacement_.isEmpty() && QFile::remove(PageFilePath(folder, path, 2)))
            QFile::copy(replacement_, PageFilePath(folder, path, 2));
        return result;
    }

private:
    std::unique_ptr<SplitEngine> real_;
    QString replacement_;
};

using Silent = SilentJobEvents;

class VerifyEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SharedOffice::office = new TestOffice(); }
    static void TearDownTestSuite() { delete SharedOffice::office; }

    DocumentResult split(const QString& document, EngineChoice choice, const QString& replacement = {}) {
        choice.verify = true;
        Silent events;
        SplitJobConfig config;
        config.documents = {document};
        config.outputFolder = out.path() + "/";
        config.engine = choice;
        SplitJob job(
            config, [](int) { return std::make_unique<SharedOffice>(); }, events,
            [&](office::OfficeSession& office) -> std::unique_ptr<SplitEngine> {
                return std::make_unique<SpoilingEngine>(MakeSplitEngine(choice, office), replacement);
            });
        return job.run().value(0);
    }
    QString makeDocument(const QString& name, const QStringList& pages) {
        SharedOffice::office->makeDocument(work.filePath(name), {.pages = pages, .headerAndFooter = true});
        return work.filePath(name);
    }

    QTemporaryDir work, out;
};

QString Prose(const char* word, int words) {
    return (QString::fromLatin1(word) + ' ').repeated(words).trimmed();
}

QStringList FailureTexts(const DocumentResult& result) {
    QStringList texts;
    for (const SplitFailure& failure : result.split.failures)
        texts << QString::number(failure.page) + ": " + failure.message;
    return texts;
}

}  // namespace

TEST_F(VerifyEndToEnd, APageOfAnotherDocumentAndAPageThatPrintsAsTwoAreFlaggedAndKept) {
    const QString report =
        makeDocument("report.odt", {Prose("harbour", 40), Prose("lantern", 300), Prose("orchard", 120)});
    const struct {
        const char* name;
        QString replacement;
        QString failure;  // its start
    } cases[] = {
        {"a page of another document", makeDocument("other.odt", {Prose("granite", 120)}),
         "2: does not look like page 2 of the input"},
        {"a page that prints as two", makeDocument("two.odt", {Prose("lantern", 300), Prose("cobalt", 80)}),
         "2: prints as 2 pages, not 1 page"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DocumentResult result = split(report, {}, c.replacement);
        const QStringList failures = FailureTexts(result);
        ASSERT_EQ(failures.size(), 1) << failures.join('\n').toStdString();
        EXPECT_TRUE(failures[0].startsWith(c.failure)) << failures[0].toStdString();
        ASSERT_EQ(result.verification.size(), 3);
        EXPECT_TRUE(result.verification[0].faithful() && result.verification[2].faithful());
        EXPECT_TRUE(QFile::exists(out.filePath("report_0002.odt"))) << "kept";
    }
}

TEST_F(VerifyEndToEnd, FaithfulPagesOfRealDocumentsPass) {
    const QString hardCases = QStringLiteral(FOLIOKNIFE_SOURCE_DIR "/tests/data/hard-cases/");
    // Headers with fields, blank pages between left and right ones, and a landscape page cut as PDF.
    for (const auto& [document, format, pages] :
         {std::tuple{"header-footer-fields.odt", OutputFormat::Odt, 3},
          std::tuple{"left-right-blank.odt", OutputFormat::Odt, 5},
          std::tuple{"landscape-middle.odt", OutputFormat::Pdf, 3}}) {
        SCOPED_TRACE(document);
        EngineChoice choice;
        choice.format = format;
        const DocumentResult result = split(hardCases + document, choice);
        EXPECT_EQ(FailureTexts(result), QStringList());
        EXPECT_EQ(result.verification.size(), pages);
    }
}

// A Word file whose fields were stored with Word's results, and whose narrow cells hold references that
// pages divide: its print and its pages, as the slicer cuts them and as the office's PDF, come out alike
// only when the office prints it as its converter does, in one call with its load. Loaded first, it
// printed 14 pages otherwise, and 17 of 40 outputs were flagged.
TEST_F(VerifyEndToEnd, PagesOfAWordFileWithDividedFieldsPass) {
    FK_SKIP_WITHOUT_CORPUS();
    for (const OutputFormat format : {OutputFormat::Odt, OutputFormat::Pdf}) {
        SCOPED_TRACE(FormatName(format).toStdString());
        EngineChoice choice;
        choice.format = format;
        const DocumentResult result = split(CorpusFolder() + QStringLiteral("/docx4j_headers_footers.docx"), choice);
        EXPECT_EQ(FailureTexts(result), QStringList());
        EXPECT_EQ(result.verification.size(), 40);
    }
}
