#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <tuple>

#include "QtPrinters.h"
#include "RecordingSplitObserver.h"
#include "base/Failure.h"
#include "split/PageWriter.h"

using namespace fk;

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

class PageWriterTest : public ::testing::Test {
protected:
    PageWriterTest() : document(in.filePath("report.odt")) {}

    PageWriter writerInto(const QString& folder) {
        return PageWriter(folder, document, OutputFormat::Odt, inputs, result, observer);
    }
    // Outputs of one page each, numbered as their pages.
    static std::vector<PageSelection::Output> pages(int count) {
        std::vector<PageSelection::Output> outputs;
        for (int page = 1; page <= count; ++page) outputs.push_back({page, page, page});
        return outputs;
    }

    QTemporaryDir in, out;
    QString document;
    ProtectedPaths inputs;
    SplitResult result;
    test::RecordingSplitObserver observer;
};

TEST_F(PageWriterTest, ManyOutputsAreStoredAndToldInOrderWhateverFailsBesideThem) {
    struct Case {
        const char* name;
        std::vector<PageSelection::Output> outputs;
        int protectedNumber;  // an input of the run stands at this output's name; 0: none
        int badNumber;        // this output's cutter throws; 0: none
        QList<int> stored;
        QList<QPair<int, FailureKind>> failures;  // page, kind
    };
    const std::vector<PageSelection::Output> everyTwoPages{{1, 2, 1}, {3, 4, 2}, {5, 6, 3}};
    const Case cases[] = {
        {"every output, the first cut last", pages(5), 0, 0, {1, 2, 3, 4, 5}, {}},
        {"one would replace an input", pages(4), 2, 0, {1, 3, 4}, {{2, FailureKind::ProtectedInput}}},
        {"one cannot be cut", pages(4), 0, 3, {1, 2, 4}, {{3, FailureKind::Damaged}}},
        {"a failure names its output's first page", everyTwoPages, 0, 2, {1, 3}, {{3, FailureKind::Damaged}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        result = {};
        observer = {};
        QTemporaryDir folder;
        PageWriter writer = writerInto(folder.path());
        if (c.protectedNumber) {
            QFile other(writer.pathOf(c.protectedNumber));
            ASSERT_TRUE(other.open(QIODevice::WriteOnly));
            other.write("input");
            other.close();
            inputs = ProtectedPaths({other.fileName()});
        }
        writer.writeAll(c.outputs,
                        [&] {
                            return [&](const PageSelection::Output& output) {
                                // The first output finishes last, so that the writers end out of order.
                                if (output.number == 1) QThread::msleep(50);
                                if (output.number == c.badNumber)
                                    throw Failure(FailureKind::Damaged, "cannot cut");
                                return QByteArray::number(output.first) + "-" +
                                       QByteArray::number(output.last);
                            };
                        },
                        {.writers = 3, .batch = 2});

        EXPECT_EQ(observer.numbers, c.stored);
        EXPECT_EQ(result.pagesStored, c.stored.size());
        QList<QPair<int, FailureKind>> failures;
        for (const SplitFailure& failure : result.failures) failures.append({failure.page, failure.kind});
        EXPECT_EQ(failures, c.failures);
        EXPECT_EQ(observer.failures.size(), result.failures.size());
        for (qsizetype k = 0; k < observer.numbers.size(); ++k) {
            const PageSelection::Output& output = c.outputs[static_cast<size_t>(observer.numbers[k] - 1)];
            EXPECT_EQ(observer.paths[k], writer.pathOf(output.number));
            EXPECT_EQ(contentOf(observer.paths[k]),
                      QByteArray::number(output.first) + "-" + QByteArray::number(output.last));
        }
        if (c.protectedNumber) EXPECT_EQ(contentOf(writer.pathOf(c.protectedNumber)), "input");
        inputs = {};
    }
}

TEST_F(PageWriterTest, AFolderThatRefusesEveryOutputIsOneFailureWhateverTheWritersAndNothingAfter) {
    const QString gone = out.filePath("gone"), tooLong = in.filePath(QString(250, 'n') + ".odt");
    // With a slow first cutter, the first output is given up once the second is refused, and the
    // refusal is told all the same.
    const std::tuple<QString, QString, FailureKind, int, bool> cases[] = {
        {gone, document, FailureKind::NotFound, 1, false},
        {gone, document, FailureKind::NotFound, 4, false},
        {gone, document, FailureKind::NotFound, 2, true},
        {out.path(), tooLong, FailureKind::NameTooLong, 1, false},
        {out.path(), tooLong, FailureKind::NameTooLong, 4, false}};
    for (const auto& [folder, longerDocument, kind, writers, slowFirstCutter] : cases) {
        SCOPED_TRACE(writers);
        result = {};
        observer = {};
        document = longerDocument;
        PageWriter writer = writerInto(folder);
        std::atomic<int> cut{0}, cutters{0};
        writer.writeAll(pages(20),
                        [&, slow = slowFirstCutter] {
                            if (slow && cutters++ == 0) {
                                while (cut == 0) QThread::msleep(1);
                                QThread::msleep(200);  // the other writer's output is refused meanwhile
                            }
                            return [&](const PageSelection::Output&) { return QByteArray::number(++cut); };
                        },
                        {.writers = writers});
        EXPECT_TRUE(writer.folderRefuses());
        EXPECT_EQ(result.pagesStored, 0);
        ASSERT_EQ(result.failures.size(), 1) << "told once for the document";
        EXPECT_EQ(observer.failures.size(), 1);
        for (const SplitFailure& failure : result.failures) {
            EXPECT_EQ(failure.kind, kind);
            EXPECT_EQ(failure.stage, SplitStage::Store);
        }
        // A writer that puts its file in place itself is not asked either.
        const qsizetype told = result.failures.size();
        bool asked = false;
        EXPECT_FALSE(writer.write(21, [&](const QString&) { asked = true; }));
        EXPECT_FALSE(asked);
        EXPECT_EQ(result.failures.size(), told);
    }
}

TEST_F(PageWriterTest, AStoppedRunBeginsNoFurtherOutputAndLeavesNoTemporary) {
    std::atomic<int> cut{0};
    observer.stopping = [&] { return cut >= 3; };
    PageWriter writer = writerInto(out.path());
    writer.writeAll(pages(60),
                    [&] { return [&](const PageSelection::Output&) { return QByteArray::number(++cut); }; },
                    {.writers = 2});
    EXPECT_TRUE(result.pagesStored == 3 || result.pagesStored == 4) << "one begun is finished";
    EXPECT_TRUE(result.failures.isEmpty());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), result.pagesStored);
}

TEST_F(PageWriterTest, AnOfficeStoreIntoAFolderThatIsGoneRefusesTheOutputsAfterIt) {
    const QString gone = out.filePath("gone");
    ASSERT_TRUE(QDir().mkpath(gone));
    PageWriter writer = writerInto(gone);
    std::optional<StagedPageFile> staged;
    writer.stage(1, staged);
    ASSERT_TRUE(QDir(gone).removeRecursively());
    try {
        writer.store(*staged, [](const QString&) {});
        ADD_FAILURE() << "stored into a folder that is gone";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.kind(), FailureKind::NotFound);
    }
    EXPECT_TRUE(writer.folderRefuses());
}

}  // namespace
