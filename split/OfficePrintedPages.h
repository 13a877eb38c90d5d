#pragma once

#include <QByteArray>
#include <optional>

#include "split/OfficeSession.h"
#include "split/OutputVerification.h"

namespace fk {

// Prints documents as a reader would: the office exports each to PDF (blank pages kept), and poppler's
// pdftoppm renders its pages in grey at kLikenessDpi. A PDF is rendered as it is. The files live in a
// private temporary folder for the call only.
class OfficePrintedPages : public PrintedPageSource {
public:
    explicit OfficePrintedPages(office::OfficeSession& office) : office_(office) {}
    std::vector<GrayPage> pagesOf(const QString& document) override;

    // A binary grey map (P5) as pdftoppm writes it; nothing when it is not one.
    static std::optional<GrayPage> readGrayMap(const QByteArray& bytes);

private:
    office::OfficeSession& office_;
};

}  // namespace fk
