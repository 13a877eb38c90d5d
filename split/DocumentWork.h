#pragma once

#include <algorithm>
#include <optional>

#include "split/SplitEngine.h"

namespace fk {

// How much of one document's split is done, 0 to 1, from the stage it is in, how far the office says
// that stage has come, and the pages written. Each of the office's stages has the share of the time it
// takes on a long text (at 1,000 pages the layout two fifths, marking a tenth, the store a third);
// the pages take the rest, from wherever the office's part left off. Never moves back.
class DocumentWork {
public:
    void reached(SplitStage stage);
    void advanced(SplitStage stage, double fraction);
    void pagesStored(int stored, int count);
    // The split is over: all of it is done.
    void finished() { done_ = 1; }

    double done() const { return done_; }
    // Where the stage the document is in ends: as far as it can get before the next is told.
    double stageEnd() const { return std::max(done_, stageEnd_); }
    // The office's part is over and the pages are being written, which the office's next document
    // need not wait for.
    bool writingPages() const { return pagesFrom_ >= 0 || done_ >= OfficeShare(); }
    // The office's part of a document's work, as far as the office's stages reach.
    static double OfficeShare() { return SpanOf(SplitStage::Close)->end; }

    // Where a stage begins and ends in a document's work, and how far the office's reports of it reach:
    // some stages go on silently after their reports end. Stages outside the office's part have none.
    struct Span {
        double begin = 0;
        double reported = 0;  // a report of the whole stage
        double end = 0;
    };
    static std::optional<Span> SpanOf(SplitStage stage);

private:
    void reach(double value) { done_ = std::max(done_, std::min(1.0, value)); }

    double done_ = 0;
    double stageEnd_ = 0;
    double pagesFrom_ = -1;  // where the pages began; -1 before the first
};

}  // namespace fk
