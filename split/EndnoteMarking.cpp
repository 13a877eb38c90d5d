#include "split/EndnoteMarking.h"

#include "base/Failure.h"
#include "basic/EndnoteMarks.h"

namespace fk {

office::BasicModule EndnoteMarking::module() {
    return {QStringLiteral("FolioknifeSplit"), QStringLiteral("EndnoteMarks"),
            QString::fromUtf8(basic::kEndnoteMarks)};
}

std::optional<std::vector<slicer::PlannedPage>> EndnoteMarking::pagesFromAnswer(const QStringList& answer,
                                                                                int pageCount) {
    if (answer.size() != pageCount) {
        throw Failure::officeRefused(
            QStringLiteral("the office marked %1 endnote pages of %2").arg(answer.size()).arg(pageCount));
    }
    std::vector<slicer::PlannedPage> pages;
    for (const QString& entry : answer) {
        if (entry == QLatin1String("-")) return std::nullopt;
        if (!entry.startsWith(QLatin1Char('+')))
            throw Failure::officeRefused(
                QStringLiteral("the office's endnote marking answered \"%1\"").arg(entry));
        pages.push_back({.pageStyle = entry.mid(1).toStdString(), .endnotes = true});
    }
    return pages;
}

void EndnoteMarking::mark(const office::DocumentRef& document, std::vector<slicer::PlannedPage>& plan,
                          int renderedPages) {
    const int bodyPages = static_cast<int>(plan.size());
    const int rendered = renderedPages;
    if (rendered <= bodyPages) return;
    const std::optional<QStringList> answer = documents_.runBasic(
        module(), kFunction, document, QStringLiteral("%1 %2").arg(bodyPages + 1).arg(rendered));
    if (!answer) return;
    if (const auto pages = pagesFromAnswer(*answer, rendered - bodyPages))
        plan.insert(plan.end(), pages->begin(), pages->end());
}

}  // namespace fk
