#pragma once

#include <optional>

#include "split/SplitEngine.h"

namespace fk {

// Passes everything on but an engine's "not understood", which is held until it is known whether
// another engine takes the document over.
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

}  // namespace fk
