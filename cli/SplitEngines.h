#pragma once

#include <memory>

#include "cli/CommandLine.h"
#include "split/ConvertingEngine.h"
#include "split/CopyPageEngine.h"
#include "split/PdfPageEngine.h"
#include "split/SliceThenCopyEngine.h"

namespace fk::cli {

// The engine of one job, as the command line chose it: the slicer with the copy procedure to fall
// back on, or the copy procedure alone; for PDF pages the cut of the office's own PDF, and otherwise
// (other formats, or PDF parts cut at headings) either of the first two with the office converting
// each output.
class SplitEngines : public SplitEngine {
public:
    SplitEngines(SplitMethod method, office::OfficeSession& office, PageSelection pages = {},
                 OutputFormat format = OutputFormat::Odt, int headingLevel = 0)
        : method_(method),
          format_(format),
          headingLevel_(headingLevel),
          copy_(office),
          slice_(office),
          sliceThenCopy_(slice_, copy_),
          pdf_(office),
          converting_(chosen(), office, format) {
        slice_.setSelection(pages);
        slice_.setHeadingLevel(headingLevel);
        pdf_.setSelection(std::move(pages));
    }

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override {
        switch (format_) {
            case OutputFormat::Odt:
                return chosen().split(documentPath, outputFolder, inputs, observer);
            case OutputFormat::Pdf:
                // A part opens on a fresh page, so the office's PDF of the whole document has no page
                // that matches it: parts are converted one by one.
                if (headingLevel_ == 0) return pdf_.split(documentPath, outputFolder, inputs, observer);
                break;
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
    int headingLevel_;
    CopyPageEngine copy_;
    SlicePageEngine slice_;
    SliceThenCopyEngine sliceThenCopy_;
    PdfPageEngine pdf_;
    ConvertingEngine converting_;
};

inline std::unique_ptr<SplitEngine> MakeSplitEngine(SplitMethod method, office::OfficeSession& office,
                                                    const PageSelection& pages = {},
                                                    OutputFormat format = OutputFormat::Odt,
                                                    int headingLevel = 0) {
    return std::make_unique<SplitEngines>(method, office, pages, format, headingLevel);
}

}  // namespace fk::cli
