#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "split/OfficeSession.h"
#include "split/OutputNames.h"
#include "split/PageSelection.h"
#include "split/SplitEngine.h"

namespace fk {

// How each document is split: the page slicer (falling back on the copy procedure where it cannot
// cut a document), or the copy-and-paste procedure alone.
enum class SplitMethod { Slice, Copy };

// "slice" or "copy", as options and settings name the methods.
QString SplitMethodName(SplitMethod method);
std::optional<SplitMethod> SplitMethodNamed(const QString& name);

// The office's outline has ten levels.
inline constexpr int kMaxHeadingLevel = 10;

// Where documents are cut, as "page" or "heading:N" name it: 0 for "page", N for "heading:N" (1 to
// kMaxHeadingLevel); nothing when the text is neither.
std::optional<int> ParseCutAt(const QString& text);

// What a split makes of each document: the method, the outputs' format, and which pages go into
// which output (every page on its own, a selection, runs of N pages, or a part per chapter).
struct EngineChoice {
    SplitMethod method = SplitMethod::Slice;
    OutputFormat format = OutputFormat::Odt;
    PageSelection pages;
    int headingLevel = 0;  // cut at the headings of levels 1 to N; 0: at pages
    // The copy procedure taking over from the slicer runs hidden, so that no office window covers the
    // program's; chosen by the user it runs in view, as it always has.
    bool hideFallbackCopy = false;
    // After each document is split, its outputs are printed and compared with the input's printed
    // pages; a page that prints otherwise is a failed page, and kept. Not for parts cut at headings.
    bool verify = false;
};

// The engine for one job's office, as `choice` says: for PDF pages the cut of the office's own PDF;
// for other formats (and PDF parts cut at headings) the OpenDocument engine with the office
// converting each output.
std::unique_ptr<SplitEngine> MakeSplitEngine(const EngineChoice& choice, office::OfficeSession& office);

}  // namespace fk
