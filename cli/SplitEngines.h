#pragma once

#include <memory>

#include "cli/CommandLine.h"
#include "split/ConvertingEngine.h"
#include "split/CopyPageEngine.h"
#include "split/PdfPageEngine.h"
#include "split/SliceThenCopyEngine.h"

namespace fk::cli {

// The engine of one job, as the command line chose it: the slicer with the copy procedure to fall
// back on, or the copy procedure alone; for PDF outputs the cut of the office's own PDF, and for other
// formats either of the first two with the office converting each output.
class SplitEngines : public SplitEngine {
public:
    SplitEngines(SplitMethod method, office::OfficeSession& office, PageSelection pages = {},
                 OutputFormat format = OutputFormat::Odt)
        : method_(method),
          format_(format),
          copy_(office),
          slice_(office),
          sliceThenCopy_(slice_, copy_),
          pdf_(office),
          converting_(chosen(), office, format) {
        slice_.setSelection(pages);
        pdf_.setSelection(std::move(pages));
    }

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override {
        switch (format_) {
            case OutputFormat::Odt:
                return chosen().split(documentPath, outputFolder, inputs, observer);
            case OutputFormat::Pdf:
                return pdf_.split(documentPath, outputFolder, inputs, observer);
            case OutputFormat::Docx:
                break;
        }
        return converting_.split(documentPath, outputFolder, inputs, observer);
    }

private:
    SplitEngine& chosen() {
        if (method_ == SplitMethod::Copy) return copy_;
        return sliceThenCopy_;
    }

    SplitMethod method_;
    OutputFormat format_;
    CopyPageEngine copy_;
    SlicePageEngine slice_;
    SliceThenCopyEngine sliceThenCopy_;
    PdfPageEngine pdf_;
    ConvertingEngine converting_;
};

inline std::unique_ptr<SplitEngine> MakeSplitEngine(SplitMethod method, office::OfficeSession& office,
                                                    const PageSelection& pages = {},
                                                    OutputFormat format = OutputFormat::Odt) {
    return std::make_unique<SplitEngines>(method, office, pages, format);
}

}  // namespace fk::cli
