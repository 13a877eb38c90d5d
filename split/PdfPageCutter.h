#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace fk {

// Cuts a PDF into shorter ones: each holds a run of its pages, as they are, with the document's
// information (title, author ...), its XMP metadata, language and output intents, so that a PDF/A
// stays one and every part still carries the document's title. Links to pages a part does not hold
// are dropped, for they would lead nowhere.
//
// Not for several threads at once: the source is read as it is needed. Threads use a cutter each.
class PdfPageCutter {
public:
    // Reads the PDF at `path`; throws Failure (Damaged) when it is no PDF.
    explicit PdfPageCutter(const QString& path);
    ~PdfPageCutter();
    PdfPageCutter(const PdfPageCutter&) = delete;
    PdfPageCutter& operator=(const PdfPageCutter&) = delete;

    int pageCount() const;

    // A PDF of pages first..last (1-based, inclusive). Throws Failure.
    QByteArray cut(int first, int last);

private:
    struct Source;
    std::unique_ptr<Source> source_;
};

}  // namespace fk
