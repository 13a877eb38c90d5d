#include "split/WordThenConvertingEngine.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "FakeSplitEngine.h"
#include "RecordingSplitObserver.h"

namespace fk {
namespace {

// A Word slicer that fails each document with the failures it is given.
class FailingWordEngine : public SplitEngine {
public:
    SplitResult split(const QString&, const QString&, const ProtectedPaths&,
                      SplitObserver& observer) override {
        SplitResult result;
        for (const SplitFailure& failure : failures) {
            result.failures << failure;
            observer.failed(failure);
        }
        return result;
    }
    QList<SplitFailure> failures;
};

TEST(WordThenConvertingEngineTest, ConvertsPageByPageOnlyWhatTheWordSlicerDoesNotUnderstandAlone) {
    const SplitFailure notUnderstood{SplitStage::Slice, 0, QStringLiteral("not understood"),
                                     SplitAction::Unnamed, FailureKind::NotUnderstood};
    const SplitFailure gone{SplitStage::Store, 0, QStringLiteral("the office went away"),
                            SplitAction::Unnamed, FailureKind::Other};
    const struct {
        const char* name;
        QList<SplitFailure> wordFailures;
        bool converted;
        QStringList told;  // failures the caller hears of
    } cases[] = {
        {"understood", {}, false, {}},
        {"not understood", {notUnderstood}, true, {}},
        // The document's own failure stands: converting it again would fail the same way, or worse.
        {"not understood, and the office gone",
         {notUnderstood, gone},
         false,
         {QStringLiteral("the office went away"), QStringLiteral("not understood")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FailingWordEngine word;
        word.failures = c.wordFailures;
        test::FakeSplitEngine converting;
        converting.pageCounts[QStringLiteral("/in/a.odt")] = 2;
        WordThenConvertingEngine engine(word, converting);
        test::RecordingSplitObserver observer;
        const QTemporaryDir output;
        const SplitResult result = engine.split(QStringLiteral("/in/a.odt"), output.path() + QLatin1Char('/'),
                                                ProtectedPaths{}, observer);
        EXPECT_EQ(converting.splitDocuments.size(), c.converted ? 1 : 0);
        QStringList told;
        for (const SplitFailure& failure : observer.failures) told << failure.message;
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(result.failures.isEmpty(), c.told.isEmpty());
    }
}

}  // namespace
}  // namespace fk
