#include "split/DocumentWork.h"

namespace fk {

std::optional<DocumentWork::Span> DocumentWork::SpanOf(SplitStage stage) {
    // Seconds at 1,000 pages of text in folioknife-split on two busy cores, three runs: load and layout
    // 1.4 to 1.5 (a fresh office lays the document out within its load, after reporting the load's first
    // 0.05; otherwise when the pages are counted), marking 0.35 to 0.38 (its reports cover nearly all of
    // it), store 1.15 to 1.25, closing and reading the package 0.02 to 0.08, pages 0.35 to 0.52.
    switch (stage) {
        case SplitStage::Connect:
            return Span{0, 0, 0};
        case SplitStage::Open:
            return Span{0, 0.01, 0.42};
        case SplitStage::CountPages:
            return Span{0.01, 0.42, 0.42};
        case SplitStage::Mark:
            return Span{0.42, 0.52, 0.53};
        case SplitStage::Store:
            return Span{0.53, 0.88, 0.88};
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
