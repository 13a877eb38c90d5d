#pragma once

#include <QByteArray>
#include <memory>
#include <vector>

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
    void writeOutputs(const std::shared_ptr<const QByteArray>& pdf,
                      const std::vector<PageSelection::Output>& outputs, const QString& documentPath,
                      const QString& outputFolder, const ProtectedPaths& inputs, SplitResult& result,
                      Stages& stages, SplitObserver& observer) const;

    // Storing a page is mostly waiting for the disk to take it (each is synced before it takes its
    // name), and those waits overlap: more writers than a small machine's cores pay.
    static constexpr int kWriters = 4;

    office::OfficeSession& office_;
    PageSelection selection_;
};

}  // namespace fk
