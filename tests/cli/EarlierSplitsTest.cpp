#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include "QtPrinters.h"
#include "cli/EarlierSplits.h"

using namespace fk;
using namespace fk::cli;

namespace {

class EarlierSplitsTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return work.filePath(name); }
    // A file whose last change is `minutes` after a fixed moment.
    void make(const QString& name, int minutes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.flush();  // else the write on closing sets the time anew
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2026, 1, 1), QTime(12, 0)).addSecs(60 * minutes),
                                     QFileDevice::FileModificationTime));
    }
    QJsonObject record(const QString& input, const QString& status, const QStringList& outputs) const {
        QStringList paths;
        for (const QString& output : outputs) paths << path(output);
        return {{"input", path(input)},
                {"status", status},
                {"outputs", QJsonArray::fromStringList(paths)},
                {"pages", static_cast<int>(outputs.size())},
                {"method", "slice"}};
    }
    static QJsonObject report(const QJsonArray& documents) {
        return {{"program", "folioknife-split"}, {"documents", documents}};
    }

    QTemporaryDir work;
};

TEST_F(EarlierSplitsTest, ASplitStandsWhileEveryOutputIsThereAndNoOlderThanTheDocument) {
    make("a.odt", 0);
    make("a_0001.odt", 1);
    make("a_0002.odt", 0);
    make("old.odt", 5);
    make("old_0001.odt", 4);
    make("gone.odt", 0);
    make("gone_0001.odt", 1);
    make("failed.odt", 0);
    make("failed_0001.odt", 1);
    make("resumed.odt", 0);
    make("resumed_0001.odt", 1);
    make("never.odt", 0);
    const EarlierSplits earlier(report({record("a.odt", "split", {"a_0001.odt", "a_0002.odt"}),
                                        record("old.odt", "split", {"old_0001.odt"}),
                                        record("gone.odt", "split", {"gone_0001.odt", "gone_0002.odt"}),
                                        record("failed.odt", "failed", {"failed_0001.odt"}),
                                        record("resumed.odt", "skipped", {"resumed_0001.odt"}),
                                        record("missing.odt", "split", {"a_0001.odt"})}));
    const struct {
        const char* input;
        bool stands;
    } cases[] = {
        {"a.odt", true},         // an output as old as the document is no older
        {"old.odt", false},      // changed since it was split
        {"gone.odt", false},     // an output is missing
        {"failed.odt", false},   // only splits are kept
        {"resumed.odt", true},   // skipped by a run resumed before
        {"missing.odt", false},  // the document itself is gone
        {"never.odt", false},    // not in the report
    };
    for (const auto& [input, stands] : cases) {
        const std::optional<SkippedDocument> found = earlier.standing(path(input));
        EXPECT_EQ(found.has_value(), stands) << input;
    }
    const SkippedDocument a = *earlier.standing(path("a.odt"));
    EXPECT_EQ(a.outputs, (QStringList{path("a_0001.odt"), path("a_0002.odt")}));
    EXPECT_EQ(a.pages, 2);
    EXPECT_EQ(a.method, "slice");
}

TEST_F(EarlierSplitsTest, OfDocumentsSharingOutputNamesOnlyThoseBeforeTheFirstToSplitAgainAreSkipped) {
    // first/x.odt, second/x.odt and third/x.odt all write x_0001.odt; y.odt stands alone.
    for (const QString folder : {"first", "second", "third"}) ASSERT_TRUE(QDir(work.path()).mkpath(folder));
    make("first/x.odt", 0);
    make("second/x.odt", 0);
    make("third/x.odt", 0);
    make("x_0001.odt", 1);
    make("y.odt", 0);
    make("y_0001.odt", 1);
    const EarlierSplits earlier(
        report({record("first/x.odt", "split", {"x_0001.odt"}),
                record("third/x.odt", "split", {"x_0001.odt"}), record("y.odt", "split", {"y_0001.odt"})}));
    const QStringList documents{path("first/x.odt"), path("y.odt"), path("second/x.odt"),
                                path("third/x.odt")};
    const ResumePlan plan = PlanResume(documents, earlier);
    QStringList skipped;
    for (const SkippedDocument& document : plan.skipped) skipped << document.input;
    EXPECT_EQ(skipped, (QStringList{path("first/x.odt"), path("y.odt")}));
    // Splitting second/x.odt again replaces third/x.odt's pages, which must then be written again.
    EXPECT_EQ(plan.documents, (QStringList{path("second/x.odt"), path("third/x.odt")}));
}

}  // namespace
