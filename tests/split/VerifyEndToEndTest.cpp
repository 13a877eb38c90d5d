// --verify with a real headless LibreOffice: pages made wrong on purpose are flagged, each on its own
// page and kept; faithful pages of real documents pass.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestOffice.h"
#include "split/EngineChoice.h"
#include "split/SplitJob.h"

using namespace fk;
using namespace fk::test;

namespace {

const QString kHardCases = QStringLiteral(FOLIOKNIFE_SOURCE_DIR "/tests/data/hard-cases");

// The test's office for the job, never stopped by it.
class SharedOffice : public JobOffice {
public:
    explicit SharedOffice(office::OfficeSession& office) : office_(office) {}
    office::OfficeSession& session() override { return office_; }
    void ensureStarted() override { office_.reach(); }
    void abandon() override {}
    void clearStaleLock(const QString&) override {}
    void clearLocksLeftIn(const QString&) override {}

private:
    office::OfficeSession& office_;
};

// The engine the choice makes, with one output then replaced by another file, as a faulty cut would
// leave it.
class SpoilingEngine : public SplitEngine {
public:
    SpoilingEngine(std::unique_ptr<SplitEngine> real, int page, QString replacement)
        : real_(std::move(real)), page_(page), replacement_(std::move(replacement)) {}
    SplitResult split(const QString& path, const QString& folder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override {
        const SplitResult result = real_->split(path, folder, inputs, observer);
        if (!replacement_.isEmpty()) {
            const QString output = PageFilePath(folder, path, page_);
            QFile::remove(output);
            QFile::copy(replacement_, output);
        }
        return result;
    }

private:
    std::unique_ptr<SplitEngine> real_;
    int page_;
    QString replacement_;
};

class Silent : public SplitJobEvents {
public:
    void documentStarted(const QString&) override {}
    void pageStored(const QString&, int, int) override {}
    void failed(const QString&, const SplitFailure&) override {}
    void noted(const QString&, const QString&) override {}
    void documentFinished(const DocumentResult&) override {}
};

class VerifyEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { office_ = new TestOffice(); }
    static void TearDownTestSuite() {
        delete office_;
        office_ = nullptr;
    }

    // Splits with --verify; page `spoiled` is then replaced by `replacement` when one is given.
    DocumentResult split(const QString& document, EngineChoice choice, int spoiled = 0,
                         const QString& replacement = {}) {
        choice.verify = true;
        SplitJobConfig config;
        config.documents = {document};
        config.outputFolder = out.path() + "/";
        config.engine = choice;
        Silent events;
        const QList<DocumentResult> results =
            SplitJob(
                config, [](int) { return std::make_unique<SharedOffice>(office_->session()); }, events,
                [&](office::OfficeSession& office) -> std::unique_ptr<SplitEngine> {
                    return std::make_unique<SpoilingEngine>(MakeSplitEngine(choice, office), spoiled,
                                                            replacement);
                })
                .run();
        return results.value(0);
    }

    QString makeDocument(const QString& name, const QStringList& pages) {
        const QString path = work.filePath(name);
        office_->makeDocument(path, {.pages = pages, .headerAndFooter = true});
        return path;
    }

    static TestOffice* office_;
    QTemporaryDir work, out;
};

TestOffice* VerifyEndToEnd::office_ = nullptr;

QString Prose(const QString& word, int words) {
    QStringList text;
    for (int i = 0; i < words; ++i) text << word + QString::number(i % 7);
    return text.join(' ');
}

QStringList VerifyFailures(const DocumentResult& result) {
    QStringList failures;
    for (const SplitFailure& failure : result.split.failures) {
        if (failure.stage == SplitStage::Verify)
            failures << QString::number(failure.page) + ": " + failure.message;
    }
    return failures;
}

}  // namespace

TEST_F(VerifyEndToEnd, APageOfAnotherDocumentAndAPageThatPrintsAsTwoAreFlaggedAndKept) {
    const QString report =
        makeDocument("report.odt", {Prose("harbour", 40), Prose("lantern", 300), Prose("orchard", 120)});
    const QString other = makeDocument("other.odt", {Prose("granite", 120)});
    const QString twoPages = makeDocument("two.odt", {Prose("lantern", 300), Prose("cobalt", 80)});
    const struct {
        const char* name;
        QString replacement;
        QString failure;  // its start
    } cases[] = {
        {"a page of another document", other, "2: does not look like page 2 of the input"},
        {"a page that prints as two", twoPages, "2: prints as 2 pages, not 1 page"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DocumentResult result = split(report, {}, 2, c.replacement);
        const QStringList failures = VerifyFailures(result);
        ASSERT_EQ(failures.size(), 1) << failures.join('\n').toStdString();
        EXPECT_TRUE(failures[0].startsWith(c.failure)) << failures[0].toStdString();
        EXPECT_FALSE(result.succeeded());
        ASSERT_EQ(result.verification.size(), 3);
        EXPECT_TRUE(result.verification[0].faithful());
        EXPECT_TRUE(result.verification[2].faithful());
        EXPECT_TRUE(QFile::exists(out.filePath("report_0002.odt"))) << "the outputs are kept";
    }
}

TEST_F(VerifyEndToEnd, FaithfulPagesOfRealDocumentsPass) {
    const struct {
        const char* document;
        OutputFormat format;
        int pages;
    } cases[] = {
        {"header-footer-fields.odt", OutputFormat::Odt, 3},
        {"left-right-blank.odt", OutputFormat::Odt, 5},
        {"landscape-middle.odt", OutputFormat::Pdf, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        EngineChoice choice;
        choice.format = c.format;
        const DocumentResult result = split(kHardCases + "/" + c.document, choice);
        EXPECT_EQ(VerifyFailures(result), QStringList());
        EXPECT_TRUE(result.succeeded());
        ASSERT_EQ(result.verification.size(), c.pages);
        for (const PageVerdict& verdict : result.verification) {
            EXPECT_EQ(verdict.printedPages, 1) << verdict.number;
            EXPECT_GE(verdict.similarity, kFaithfulLikeness) << verdict.number;
        }
    }
}
