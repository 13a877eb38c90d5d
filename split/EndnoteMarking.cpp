#include "split/EndnoteMarking.h"

#include "base/Failure.h"

namespace fk {

office::BasicModule EndnoteMarking::module() {
    // The jump to an endnote page leaves the view cursor at the page's first character, in the endnote
    // text; the move to the page's start that the body's pages take is refused there. Every start is
    // taken before the first mark goes in, as for the body's pages; a page that does not begin in an
    // endnote leaves every page unmarked.
    const QString source =
        QStringLiteral(R"(Option Explicit

Function MarkEndnotePages(document As Object, range As String) As Variant
    Dim cursor As Object, bookmark As Object, bounds As Variant
    Dim first As Long, last As Long, page As Long, reached As Boolean, everyPage As Boolean
    bounds = Split(range, " ")
    first = CLng(bounds(0))
    last = CLng(bounds(1))
    Dim pages(last - first) As String, starts(last - first) As Object
    cursor = document.getCurrentController().getViewCursor()
    everyPage = True
    For page = first To last
        reached = cursor.jumpToPage(page)
        If reached Then reached = (cursor.getPage() = page)
        If reached Then reached = cursor.getText().supportsService("com.sun.star.text.Endnote")
        If reached Then
            starts(page - first) = cursor.getText().createTextCursorByRange(cursor.getStart())
            pages(page - first) = "+" & cursor.PageStyleName
        Else
            pages(page - first) = "-"
            everyPage = False
        End If
    Next
    If everyPage Then
        document.getUndoManager().lock()
        document.lockControllers()
        For page = first To last
            bookmark = document.createInstance("com.sun.star.text.Bookmark")
            bookmark.setName("%1" & Format(page, "%2"))
            starts(page - first).getText().insertTextContent(starts(page - first), bookmark, False)
        Next
        document.unlockControllers()
        document.getUndoManager().unlock()
    End If
    MarkEndnotePages = pages
End Function
)")
            .arg(QString::fromUtf8(slicer::PageMarkPrefix().data(),
                                   static_cast<qsizetype>(slicer::PageMarkPrefix().size())),
                 QString(slicer::kPageNumberDigits, QLatin1Char('0')));
    return {QStringLiteral("FolioknifeSplit"), QStringLiteral("EndnoteMarks"), source};
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

void EndnoteMarking::mark(const office::DocumentRef& document, std::vector<slicer::PlannedPage>& plan) {
    const int bodyPages = static_cast<int>(plan.size());
    const int rendered = documents_.countRenderedPages(document);
    if (rendered <= bodyPages) return;
    const std::optional<QStringList> answer = documents_.runBasic(
        module(), kFunction, document, QStringLiteral("%1 %2").arg(bodyPages + 1).arg(rendered));
    if (!answer) return;
    if (const auto pages = pagesFromAnswer(*answer, rendered - bodyPages))
        plan.insert(plan.end(), pages->begin(), pages->end());
}

}  // namespace fk
