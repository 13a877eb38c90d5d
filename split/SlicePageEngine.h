#pragma once

#include <optional>
#include <string>
#include <vector>

#include "slicer/PackageSlicer.h"
#include "slicer/PagePlan.h"
#include "split/OfficeSession.h"
#include "split/PageSelection.h"
#include "split/SplitEngine.h"
#include "split/SplitStages.h"

namespace fk {

class PageWriter;

// Splits a document with one load and one store: the office marks where each page begins and stores
// the marked document once; our slicer then cuts that package into one package per page, keeping page
// styles, headers, footers and pictures. A document the slicer does not understand fails with
// FailureKind::NotUnderstood, which leaves the caller free to split it another way.
class SlicePageEngine : public SplitEngine {
public:
    explicit SlicePageEngine(office::OfficeSession& office) : office_(office) {}

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override;

    // Which pages to write, and how many to a document; every page on its own unless set.
    void setSelection(PageSelection selection) { selection_ = std::move(selection); }
    const PageSelection& selection() const { return selection_; }

    // Cuts the document into parts at its headings of outline levels 1 to `level` instead of into
    // pages, one output per part; 0 (the default) cuts pages. The selection is not used then.
    void setHeadingLevel(int level) { headingLevel_ = level; }
    int headingLevel() const { return headingLevel_; }

    static inline const QString kMethod = QStringLiteral("slice");

private:
    using Stages = SplitStages;
    class LoadedDocument;

    // What the office told while it marked the document.
    struct Marks {
        std::vector<slicer::PlannedPage> plan;
        std::optional<std::vector<std::string>> headings;  // when cutting at headings
    };

    // Loads the document hidden, marks every page's start (and the headings, when cutting at them) and
    // stores the marked document at `package`, its links written for pages in `pagesFolder`, leaving it
    // loaded. The plan is empty when a stage failed.
    Marks markAndStore(const QString& documentPath, const QString& package, const QString& pagesFolder,
                       LoadedDocument& document, Stages& stages);

    // Reads the stored package into `slicer` (null when it cannot be read); returns what the slicer
    // does not understand, empty when it understands everything. Pages the office gave no mark are
    // not a reason to give up the document: they go to `unmarkedPages`.
    static QString readMarkedPackage(const QString& package, const Marks& marks,
                                     std::unique_ptr<slicer::PackageSlicer>& slicer,
                                     std::vector<int>& unmarkedPages);
    // Tells each page written that is cut other than at its start: without a mark, or at a mark the
    // office put later on the page.
    static void noteApproximatePages(const std::vector<slicer::PlannedPage>& plan,
                                     const std::vector<int>& unmarkedPages,
                                     const std::vector<PageSelection::Output>& outputs,
                                     SplitObserver& observer);
    // The outputs to write: the selected pages, or every part.
    std::vector<PageSelection::Output> plannedOutputs(const slicer::PackageSlicer& slicer,
                                                      SplitResult& result) const;
    void writeOutputs(const slicer::PackageSlicer& slicer, const std::vector<PageSelection::Output>& outputs,
                      PageWriter& writer) const;

    // More writers than cores only queue for them; the packages are small.
    static constexpr int kMaxWriters = 4;

    office::OfficeSession& office_;
    PageSelection selection_;
    int headingLevel_ = 0;
};

}  // namespace fk
