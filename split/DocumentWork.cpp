#include "split/DocumentWork.h"

namespace fk {

std::optional<DocumentWork::Span> DocumentWork::SpanOf(SplitStage stage) {
    // Seconds at 1,000 pages of text on two cores with nothing else running, three benchmark rounds
    // (2026-12-11): load and layout 0.85 to 0.96 (a fresh office lays the document out within its load,
    // after reporting the load's first 0.05; otherwise when the pages are counted), marking 0.14 to 0.15
    // (its reports cover nearly all of it), store 0.99 to 1.0 (most of it counting the words for the
    // statistics the package carries, which reports nothing), closing and reading the package 0.02,
    // pages 0.2 to 0.35. The shares were set by the estimate's error in `scripts/bench.sh --only
    // progress`, the pages' once the rest was.
    switch (stage) {
        case SplitStage::Connect:
            return Span{0, 0, 0};
        case SplitStage::Open:
            return Span{0, 0.01, 0.38};
        case SplitStage::CountPages:
            return Span{0.01, 0.38, 0.38};
        case SplitStage::Mark:
            return Span{0.38, 0.435, 0.44};
        case SplitStage::Store:
            return Span{0.44, 0.88, 0.88};
        case SplitStage::Close:
            return Span{0.88, 0.88, 0.88};
        case SplitStage::Verify:  // the pages are written; printing them to be checked takes the rest
            return Span{0.95, 1, 1};
        default:  // the pages' own stages
            return std::nullopt;
    }
}

void DocumentWork::reached(SplitStage stage) {
    const std::optional<Span> span = SpanOf(stage);
    if (!span) return;
    reach(span->begin);
    stageEnd_ = span->end;
}

void DocumentWork::advanced(SplitStage stage, double fraction) {
    const std::optional<Span> span = SpanOf(stage);
    if (!span) return;
    reach(span->begin + (span->reported - span->begin) * std::clamp(fraction, 0.0, 1.0));
}

void DocumentWork::pagesStored(int stored, int count) {
    if (count <= 0) return;
    if (pagesFrom_ < 0) pagesFrom_ = done_;
    stageEnd_ = 1;
    reach(pagesFrom_ + (1 - pagesFrom_) * std::min(1.0, static_cast<double>(stored) / count));
}

}  // namespace fk
