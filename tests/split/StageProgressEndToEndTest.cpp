// The office's own reports of its load, layout, marking and store reach a split job's events as they
// happen, before the first page is written, with a real headless LibreOffice.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <mutex>

#include "SharedJobOffice.h"

using namespace fk;
using namespace fk::test;

namespace {

// Keeps the stages, the office's reports and the pages in the order told, as "Mark 0.50" or "page".
class StageRecorder : public SilentJobEvents {
public:
    void stageReached(const QString&, SplitStage stage) override {
        const std::lock_guard lock(mutex_);
        events << StageName(stage);
    }
    void stageAdvanced(const QString&, SplitStage stage, double fraction) override {
        const std::lock_guard lock(mutex_);
        events << QStringLiteral("%1 %2").arg(StageName(stage)).arg(fraction, 0, 'f', 2);
        fractions << fraction;
    }
    void pageStored(const QString&, int, int) override {
        const std::lock_guard lock(mutex_);
        events << QStringLiteral("page");
    }

    QStringList events;
    QList<double> fractions;

private:
    std::mutex mutex_;
};

TEST(StageProgressEndToEnd, TheOfficeReportsItsStagesBeforeTheFirstPage) {
    TestOffice office;
    SharedJobOffice::office = &office;
    QTemporaryDir work;
    const QString document = work.filePath("long.odt");
    TestOffice::Content content;
    // Beyond the 32 pages after which the marking tells how far it has come.
    for (int page = 1; page <= 80; ++page)
        content.pages << QStringLiteral("page %1 of a long text").arg(page);
    office.makeDocument(document, content);

    StageRecorder events;
    SplitJobConfig config;
    config.documents = {document};
    config.outputFolder = work.filePath("out") + "/";
    QDir().mkpath(config.outputFolder);
    SplitJob job(
        config, [](int) { return std::make_unique<SharedJobOffice>(); }, events);
    const QList<DocumentResult> results = job.run();
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results[0].succeeded());
    for (const SplitFailure& failure : results[0].split.failures)
        ADD_FAILURE() << StageName(failure.stage).toStdString() << ": " << failure.message.toStdString();

    const qsizetype firstPage = events.events.indexOf("page");
    ASSERT_GT(firstPage, 0) << events.events.join(", ").toStdString();
    const QStringList before = events.events.mid(0, firstPage);
    // The load, the marking and the store each tell how far they have come while they run.
    for (const QString& stage :
         {StageName(SplitStage::Open), StageName(SplitStage::Mark), StageName(SplitStage::Store)}) {
        EXPECT_FALSE(before.filter(QRegularExpression("^" + stage + " [0-9.]+$")).isEmpty())
            << stage.toStdString() << " told nothing: " << before.join(", ").toStdString();
    }
    EXPECT_TRUE(before.contains(StageName(SplitStage::Mark) + " 1.00")) << "the marking tells its end";
    for (const double fraction : events.fractions) {
        EXPECT_GE(fraction, 0);
        EXPECT_LE(fraction, 1);
    }
    SharedJobOffice::office = nullptr;
}

}  // namespace
