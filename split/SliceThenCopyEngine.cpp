#include "split/SliceThenCopyEngine.h"

#include <optional>

namespace fk {

namespace {

// Passes everything on but the slicer's "not understood", which is held until it is known whether
// the copy procedure takes the document over.
class HoldingBackNotUnderstood : public SplitObserver {
public:
    explicit HoldingBackNotUnderstood(SplitObserver& observer) : observer_(observer) {}

    void stageReached(SplitStage stage) override { observer_.stageReached(stage); }
    void stageAdvanced(double fraction) override { observer_.stageAdvanced(fraction); }
    void pageCountKnown(int pageCount) override { observer_.pageCountKnown(pageCount); }
    void outputCountKnown(int outputCount) override { observer_.outputCountKnown(outputCount); }
    void pageStored(int page, const QString& path) override { observer_.pageStored(page, path); }
    void failed(const SplitFailure& failure) override {
        if (failure.kind == FailureKind::NotUnderstood) {
            held_ = failure;
        } else {
            observer_.failed(failure);
        }
    }
    void noted(const QString& text) override { observer_.noted(text); }
    void officeDone() override { observer_.officeDone(); }
    bool stopRequested() const override { return observer_.stopRequested(); }

    const std::optional<SplitFailure>& held() const { return held_; }

private:
    SplitObserver& observer_;
    std::optional<SplitFailure> held_;
};

}  // namespace

SplitResult SliceThenCopyEngine::split(const QString& documentPath, const QString& outputFolder,
                                       const ProtectedPaths& inputs, SplitObserver& observer) {
    HoldingBackNotUnderstood sliceObserver(observer);
    SplitResult result = slicer_.split(documentPath, outputFolder, inputs, sliceObserver);
    if (!sliceObserver.held()) return result;

    SplitFailure notUnderstood = *sliceObserver.held();
    const bool everyPage = slicer_.selection().isEveryPage() && slicer_.headingLevel() == 0;
    if (result.failures.size() == 1 && everyPage) {
        observer.noted(QStringLiteral("split with the copy method instead: ") + notUnderstood.message);
        return copy_.split(documentPath, outputFolder, inputs, observer);
    }
    if (slicer_.headingLevel() > 0)
        notUnderstood.message += QStringLiteral("; the copy method cannot cut at headings");
    else if (!everyPage)
        notUnderstood.message += QStringLiteral("; a page selection cannot be split with the copy method");
    for (SplitFailure& failure : result.failures) {
        if (failure.kind == FailureKind::NotUnderstood) failure = notUnderstood;
    }
    observer.failed(notUnderstood);
    return result;
}

}  // namespace fk
