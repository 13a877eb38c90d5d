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
// Not for several threads at once: the source is parsed as it is needed. Threads use a cutter each,
// on the same bytes.
class PdfPageCutter {
public:
    // The bytes of the PDF at `path`, read once for every cutter; throws Failure when it cannot be read.
    static std::shared_ptr<const QByteArray> read(const QString& path);

    // Throws Failure (Damaged) when the bytes are no PDF.
    explicit PdfPageCutter(std::shared_ptr<const QByteArray> pdf);
    explicit PdfPageCutter(const QString& path) : PdfPageCutter(read(path)) {}
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
