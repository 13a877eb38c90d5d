#include "split/DocumentWork.h"

namespace fk {

std::optional<DocumentWork::Span> DocumentWork::SpanOf(SplitStage stage) {
    // Seconds at 1,000 pages of text in folioknife-split on two busy cores: load and layout 2.0 (a fresh
    // office lays the document out within its load, after reporting the load's first 0.05; otherwise
    // when the pages are counted), marking 1.2 (its reports cover the first 0.35, the endnotes the rest),
    // store 0.95, pages 0.3 to 0.5.
    switch (stage) {
        case SplitStage::Connect:
            return Span{0, 0, 0};
        case SplitStage::Open:
            return Span{0, 0.01, 0.42};
        case SplitStage::CountPages:
            return Span{0.01, 0.42, 0.42};
        case SplitStage::Mark:
            return Span{0.42, 0.52, 0.70};
        case SplitStage::Store:
            return Span{0.70, 0.92, 0.92};
        case SplitStage::Close:
            return Span{0.92, 0.92, 0.92};
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
