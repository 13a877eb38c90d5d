#pragma once

#include <exception>
#include <optional>
#include <vector>

#include "base/Failure.h"
#include "split/PageSelection.h"
#include "split/SplitEngine.h"

namespace fk {

// Runs the stages of one document's split for an engine: each failure goes into the result and to the
// observer as it happens, with the kind the exception carries.
class SplitStages {
public:
    SplitStages(SplitResult& result, SplitObserver& observer) : result_(result), observer_(observer) {}

    // False when `body` threw.
    template <typename Body>
    bool run(SplitStage stage, int page, Body&& body) {
        if (stage != reached_) {
            reached_ = stage;
            observer_.stageReached(stage);
        }
        try {
            body();
            return true;
        } catch (...) {
            fail(stage, page, DescriptionOf(std::current_exception(), QStringLiteral("unknown error")),
                 KindOf(std::current_exception()));
            return false;
        }
    }
    void fail(SplitStage stage, int page, const QString& message, FailureKind kind = FailureKind::Other) {
        const SplitFailure failure{stage, page, message, SplitAction::Unnamed, kind};
        result_.failures.append(failure);
        observer_.failed(failure);
    }

private:
    SplitResult& result_;
    SplitObserver& observer_;
    std::optional<SplitStage> reached_;
};

// What an engine that writes pages tells of the outputs `selection` makes of a document of `pageCount`
// pages: a failure when they are none (false then), a note when the selection names pages beyond the
// document's last.
inline bool TellSelectedOutputs(const PageSelection& selection,
                                const std::vector<PageSelection::Output>& outputs, int pageCount,
                                SplitStages& stages, SplitObserver& observer) {
    if (outputs.empty()) {
        stages.fail(
            SplitStage::Slice, 0,
            QStringLiteral("the page selection names no page of this document, which has %1")
                .arg(pageCount == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(pageCount)),
            FailureKind::InvalidArgument);
        return false;
    }
    if (selection.namesPagesBeyond(pageCount))
        observer.noted(
            QStringLiteral("the page selection names pages beyond the last one, %1").arg(pageCount));
    return true;
}

}  // namespace fk
