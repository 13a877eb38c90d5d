#include "split/PdfExport.h"

namespace fk {

office::Arguments PdfExportArguments() {
    // The office's SelectPdfVersion 2 is PDF/A-2b.
    constexpr int kPdfA2b = 2;
    const office::Arguments filterData{
        {QStringLiteral("SelectPdfVersion"), kPdfA2b}, {QStringLiteral("IsSkipEmptyPages"), false},
        {QStringLiteral("ExportBookmarks"), false},    {QStringLiteral("ExportNotes"), false},
        {QStringLiteral("UseTaggedPDF"), false},
    };
    return {{QStringLiteral("FilterName"), QStringLiteral("writer_pdf_Export")},
            {QStringLiteral("FilterData"), QVariant::fromValue(filterData)}};
}

}  // namespace fk
