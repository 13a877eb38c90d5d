#pragma once

#include "app/WindowSplitMethod.h"
#include "split/CopyPageEngine.h"
#include "split/SlicePageEngine.h"
#include "split/SliceThenCopyEngine.h"

namespace fk {

// The engines Start Splitting chooses from, on one office session.
class WindowEngines {
public:
    explicit WindowEngines(office::OfficeSession& office)
        : copy_(office), hiddenCopy_(office, true), slicer_(office), sliceThenCopy_(slicer_, hiddenCopy_) {}
    WindowEngines(const WindowEngines&) = delete;
    WindowEngines& operator=(const WindowEngines&) = delete;

    SplitEngine& engine(WindowSplitMethod method) {
        return method == WindowSplitMethod::Copy ? static_cast<SplitEngine&>(copy_) : sliceThenCopy_;
    }

private:
    // The copy procedure chosen by the user runs in view, as it always has; taking over from the slicer
    // it runs hidden like the slicer, so that no office window covers the program's own.
    CopyPageEngine copy_;
    CopyPageEngine hiddenCopy_;
    SlicePageEngine slicer_;
    SliceThenCopyEngine sliceThenCopy_;
};

}  // namespace fk
