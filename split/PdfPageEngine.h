#pragma once

#include <vector>

#include "split/OfficeSession.h"
#include "split/PageSelection.h"
#include "split/SplitEngine.h"

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
    class Stages;

    // The office's part: load, export, close. False when a stage failed.
    bool exportPdf(const QString& documentPath, const QString& pdf, Stages& stages);
    void writeOutputs(const QString& pdf, const std::vector<PageSelection::Output>& outputs,
                      const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitResult& result, Stages& stages, SplitObserver& observer) const;

    // More writers than cores only queue for them.
    static constexpr int kMaxWriters = 4;

    office::OfficeSession& office_;
    PageSelection selection_;
};

}  // namespace fk
