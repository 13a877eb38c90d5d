#pragma once

#include "split/SplitEngine.h"

namespace fk {

// Word pages cut from one Word file of the whole document where the Word slicer understands the
// document, and otherwise each page converted by the office on its own: slower, but it keeps what a
// page alone cannot say in Word's terms (lists counted on, notes, sections, pictures placed on the page).
class WordThenConvertingEngine : public SplitEngine {
public:
    WordThenConvertingEngine(SplitEngine& word, SplitEngine& converting)
        : word_(word), converting_(converting) {}

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override;

private:
    SplitEngine& word_;
    SplitEngine& converting_;
};

}  // namespace fk
