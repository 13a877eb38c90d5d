#pragma once

#include <memory>

#include "cli/CommandLine.h"
#include "split/CopyPageEngine.h"
#include "split/SliceThenCopyEngine.h"

namespace fk::cli {

// The engine of one job, as the command line chose it: the slicer with the copy procedure to fall
// back on, or the copy procedure alone.
class SplitEngines : public SplitEngine {
public:
    SplitEngines(SplitMethod method, office::OfficeSession& office, PageSelection pages = {},
                 int headingLevel = 0)
        : method_(method), copy_(office), slice_(office), sliceThenCopy_(slice_, copy_) {
        slice_.setSelection(std::move(pages));
        slice_.setHeadingLevel(headingLevel);
    }

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override {
        if (method_ == SplitMethod::Copy) return copy_.split(documentPath, outputFolder, inputs, observer);
        return sliceThenCopy_.split(documentPath, outputFolder, inputs, observer);
    }

private:
    SplitMethod method_;
    CopyPageEngine copy_;
    SlicePageEngine slice_;
    SliceThenCopyEngine sliceThenCopy_;
};

inline std::unique_ptr<SplitEngine> MakeSplitEngine(SplitMethod method, office::OfficeSession& office,
                                                    const PageSelection& pages = {}, int headingLevel = 0) {
    return std::make_unique<SplitEngines>(method, office, pages, headingLevel);
}

}  // namespace fk::cli
