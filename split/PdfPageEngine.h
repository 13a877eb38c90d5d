#pragma once

#include "split/OfficeSession.h"
#include "split/PageSelection.h"
#include "split/SplitEngine.h"
#include "split/SplitStages.h"

namespace fk {

// Splits a document into one-page PDFs: the office renders the whole document to PDF once, and each
// output is cut from that PDF without the office. Output k is page k of the office's own rendering,
// blank and endnote pages included, so the pages look exactly as the office prints the document.
class PdfPageEngine : public SplitEngine {
public:
    explicit PdfPageEngine(office::OfficeSession& office) : office_(office) {}

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override;

    // Which pages to write, and how many to a document; every page on its own unless set.
    void setSelection(PageSelection selection) { selection_ = std::move(selection); }

    static inline const QString kMethod = QStringLiteral("pdf");

private:
    using Stages = SplitStages;

    // The office's part: load, export, close. False when a stage failed.
    bool exportPdf(const QString& documentPath, const QString& pdf, Stages& stages);
    // Cutting and writing are work for the processor now that the disk is waited for once a batch, and
    // each writer parses the PDF again: more writers than a small machine's cores cost.
    static constexpr int kWriters = 2;

    office::OfficeSession& office_;
    PageSelection selection_;
};

}  // namespace fk
