#include "split/PageMarking.h"

#include "base/RuntimeError.h"
#include "split/OfficeServices.h"

namespace fk {

namespace {

const QString kPageStyleName = QStringLiteral("PageStyleName");
const QString kInsertBookmark = QStringLiteral(".uno:InsertBookmark");

// A blank page is laid out with the style of the page it makes way for.
void GiveBlankPagesTheFollowingStyle(std::vector<slicer::PlannedPage>& plan) {
    std::string following;
    for (auto planned = plan.rbegin(); planned != plan.rend(); ++planned) {
        if (planned->blank)
            planned->pageStyle = following;
        else
            following = planned->pageStyle;
    }
}

}  // namespace

office::BasicModule PageMarking::module() {
    // The steps of markCallByCall, in the office's own process. In there a bookmark object costs less
    // than a dispatch, which goes through the frame. Basic's And does not short-circuit, hence the Ifs.
    const QString source =
        QStringLiteral(R"(Option Explicit

Function MarkPages(document As Object, unused As String) As Variant
    Dim cursor As Object, bookmark As Object
    cursor = document.getCurrentController().getViewCursor()
    cursor.jumpToLastPage()
    Dim pageCount As Long, page As Long, reached As Boolean
    pageCount = cursor.getPage()
    Dim pages(pageCount - 1) As String
    For page = 1 To pageCount
        reached = cursor.jumpToPage(page)
        If reached Then reached = cursor.jumpToStartOfPage()
        If reached Then reached = (cursor.getPage() = page)
        If reached Then
            pages(page - 1) = "+" & cursor.PageStyleName
            bookmark = document.createInstance("com.sun.star.text.Bookmark")
            bookmark.setName("%1" & Format(page, "0000"))
            cursor.getText().insertTextContent(cursor, bookmark, False)
        Else
            pages(page - 1) = "-"
        End If
    Next
    MarkPages = pages
End Function

Function EndsInsideParagraph(document As Object, pageList As String) As Variant
    Dim cursor As Object, listed As Variant, i As Long
    cursor = document.getCurrentController().getViewCursor()
    listed = Split(pageList, ",")
    Dim answers(UBound(listed)) As String
    For i = 0 To UBound(listed)
        answers(i) = "-"
        If cursor.jumpToPage(CLng(listed(i))) Then
            If cursor.jumpToEndOfPage() Then
                If cursor.getPage() = CLng(listed(i)) Then
                    If Not cursor.getText().createTextCursorByRange(cursor).isEndOfParagraph() Then answers(i) = "+"
                End If
            End If
        End If
    Next
    EndsInsideParagraph = answers
End Function
)")
            .arg(QString::fromUtf8(slicer::PageMarkPrefix().data(),
                                   static_cast<qsizetype>(slicer::PageMarkPrefix().size())));
    return {QStringLiteral("FolioknifeSplit"), QStringLiteral("PageMarks"), source};
}

std::vector<slicer::PlannedPage> PageMarking::planFromAnswer(const QStringList& answer, int pageCount) {
    if (answer.size() != pageCount) {
        throw RuntimeError::automation(
            QStringLiteral("the office marked %1 pages of %2").arg(answer.size()).arg(pageCount));
    }
    std::vector<slicer::PlannedPage> plan(static_cast<size_t>(pageCount));
    for (int page = 0; page < pageCount; ++page) {
        const QString& entry = answer.at(page);
        slicer::PlannedPage& planned = plan[static_cast<size_t>(page)];
        if (entry.startsWith(QLatin1Char('+')))
            planned.pageStyle = entry.mid(1).toStdString();
        else if (entry == QLatin1String("-"))
            planned.blank = true;
        else
            throw RuntimeError::automation(QStringLiteral("the office's marking answered \"%1\"").arg(entry));
    }
    GiveBlankPagesTheFollowingStyle(plan);
    return plan;
}

std::vector<slicer::PlannedPage> PageMarking::mark(const office::Ref& document, int pageCount) {
    if (const std::optional<QStringList> answer = bridge_.runBasic(module(), kFunction, document, {}))
        return planFromAnswer(*answer, pageCount);
    return markCallByCall(document, pageCount);
}

std::vector<int> PageMarking::pagesBegunBefore(const office::Ref& document,
                                               const std::vector<int>& candidates) {
    if (candidates.empty()) return {};
    QStringList before;
    for (const int page : candidates) before << QString::number(page - 1);
    const std::optional<QStringList> answer =
        bridge_.runBasic(module(), kEndsInsideParagraph, document, before.join(QLatin1Char(',')));
    // An office without Basic cannot tell; the objects then go with their paragraph's text.
    if (!answer) return {};
    if (answer->size() != static_cast<qsizetype>(candidates.size()))
        throw RuntimeError::automation(QStringLiteral("the office answered for %1 pages of %2")
                                           .arg(answer->size())
                                           .arg(candidates.size()));
    std::vector<int> begunBefore;
    for (size_t i = 0; i < candidates.size(); ++i)
        if (answer->at(static_cast<qsizetype>(i)) == QLatin1String("+")) begunBefore.push_back(candidates[i]);
    return begunBefore;
}

std::vector<slicer::PlannedPage> PageMarking::markCallByCall(const office::Ref& document, int pageCount) {
    const office::Ref controller = bridge_.getCurrentController(document);
    const office::Ref viewCursor = bridge_.getViewCursor(controller);
    const office::Ref frame = bridge_.getFrame(controller);
    const office::Ref dispatcher =
        bridge_.createInstance(bridge_.createServiceManager(), office::kDispatchHelperService);
    std::vector<slicer::PlannedPage> plan(static_cast<size_t>(pageCount));
    for (int page = 1; page <= pageCount; ++page) {
        slicer::PlannedPage& planned = plan[static_cast<size_t>(page - 1)];
        // A page the cursor cannot reach holds no text: a blank page the layout inserted. The cursor's
        // page is asked only at the page's start: right after the jump into a table that a repeated
        // heading row continues, the office still names the page before.
        if (!bridge_.jumpToPage(viewCursor, page) || !bridge_.jumpToStartOfPage(viewCursor) ||
            bridge_.getPage(viewCursor) != page) {
            planned.blank = true;
            continue;
        }
        planned.pageStyle = bridge_.getPropertyValue(viewCursor, kPageStyleName).toStdString();
        // One dispatch inserts the bookmark where the cursor stands: a quarter of the round trips of
        // making, naming and inserting a bookmark object.
        bridge_.executeDispatch(
            dispatcher, frame, kInsertBookmark, {}, 0,
            {{QStringLiteral("Bookmark"), QString::fromStdString(slicer::PageMarkName(page))}});
    }
    GiveBlankPagesTheFollowingStyle(plan);
    return plan;
}

}  // namespace fk
