#pragma once

#include "split/OfficeConversion.h"
#include "split/SplitEngine.h"

namespace fk {

// Splits with another engine into OpenDocument outputs in a private folder, and has the office
// convert each output into the outputs' format as it is told stored: NAME_0001.docx ... in the output
// folder. The office stays this document's until the last output is converted, so it does not tell
// the caller that the office is done before the split is.
class ConvertingEngine : public SplitEngine {
public:
    ConvertingEngine(SplitEngine& inner, office::OfficeSession& office, OutputFormat format)
        : inner_(inner), office_(office), format_(format) {}

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override;

private:
    class Converter;

    SplitEngine& inner_;
    office::OfficeSession& office_;
    OutputFormat format_;
};

}  // namespace fk
