#pragma once

#include <vector>

#include "slicer/PagePlan.h"
#include "split/OfficeSession.h"
#include "split/PageSelection.h"
#include "split/SplitEngine.h"
#include "split/SplitStages.h"

namespace fk {

// Splits a document into one-page Word files with one load and one conversion: the office marks where
// each page begins, as for the page slicer, and stores the marked document as Word once; each output
// is cut from that file without the office. A document the Word slicer does not understand fails with
// FailureKind::NotUnderstood, which leaves the caller free to convert its pages one by one.
class WordPageEngine : public SplitEngine {
public:
    explicit WordPageEngine(office::OfficeSession& office) : office_(office) {}

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override;

    // Which pages to write, and how many to a document; every page on its own unless set.
    void setSelection(PageSelection selection) { selection_ = std::move(selection); }

    static inline const QString kMethod = QStringLiteral("slice");

private:
    using Stages = SplitStages;

    // What the office's part left for the cutting.
    struct Marked {
        int pageCount = 0;  // 0 when a stage failed
        QString notUnderstood;
        bool dropSpaceAtPageTop = false;
    };

    // Loads, marks, stores the marked document as Word at `package` and closes it; does not store a
    // document whose layout no Word page alone can keep.
    Marked markAndStore(const QString& documentPath, const QString& package, const QString& pagesFolder,
                        Stages& stages);
    // What of the marking no Word page alone keeps, empty when nothing.
    static QString notUnderstoodIn(const std::vector<slicer::PlannedPage>& plan, int renderedPages);

    // Cutting is the processor's work, and each writer has the whole package in memory.
    static constexpr int kWriters = 2;

    office::OfficeSession& office_;
    PageSelection selection_;
};

}  // namespace fk
