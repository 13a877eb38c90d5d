#pragma once

#include "split/SlicePageEngine.h"
#include "split/SplitEngine.h"

namespace fk {

// The default way to split: the page slicer, and the copy procedure for a document the slicer does
// not understand, so that every document is split, the pages of most of them faithfully. The user is
// told when the copy procedure took over, and why. With a page selection or a cut at headings there is
// no fallback: the copy procedure writes every page, so such a document fails instead.
class SliceThenCopyEngine : public SplitEngine {
public:
    SliceThenCopyEngine(SlicePageEngine& slicer, SplitEngine& copy) : slicer_(slicer), copy_(copy) {}

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override;

private:
    SlicePageEngine& slicer_;
    SplitEngine& copy_;
};

}  // namespace fk
