#include "split/PageMarking.h"

#include "base/Failure.h"

namespace fk {

namespace {

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
    // Marks in the office's own process, where a bookmark object costs less than a dispatch, which
    // goes through the frame. Basic's And does not short-circuit, hence the Ifs.
    //
    // Where every page starts is taken before the first mark goes in: a mark makes the office lay out
    // its paragraph again, and with large pictures the pages after it can come out otherwise. All marks
    // then stand where one layout, the one a fresh office makes, put the pages. (markCallByCall, for
    // an office without Basic, keeps no text positions across calls and marks as it goes.)
    //
    // A page that opens at the very start of a paragraph carrying objects may follow a page that holds
    // those objects but none of the paragraph's lines ("^" instead of "+"). Asked only there: asking at
    // every page costs more than the marking.
    const QString source =
        QStringLiteral(R"(Option Explicit

Function MarkPages(document As Object, unused As String) As Variant
    Dim cursor As Object, bookmark As Object, start As Object
    cursor = document.getCurrentController().getViewCursor()
    cursor.jumpToLastPage()
    Dim pageCount As Long, page As Long, reached As Boolean
    pageCount = cursor.getPage()
    Dim pages(pageCount - 1) As String, starts(pageCount - 1) As Object, withObjects As Boolean
    withObjects = document.getDrawPage().hasElements()
    ' Nobody undoes our marks and nobody sees them: without undo records and view updates they cost
    ' a quarter as much. The view is locked before the cursor walks the pages, too: a move of the
    ' cursor in a view that follows it costs more the longer the document, a millisecond at 1,000
    ' pages against a hundredth locked.
    document.getUndoManager().lock()
    document.lockControllers()
    For page = 1 To pageCount
        reached = cursor.jumpToPage(page)
        If reached Then reached = cursor.jumpToStartOfPage()
        If reached Then reached = (cursor.getPage() = page)
        If reached Then
            start = cursor.getText().createTextCursorByRange(cursor.getStart())
            starts(page - 1) = start
            pages(page - 1) = "+" & cursor.PageStyleName
            If withObjects And page > 1 Then
                If pages(page - 2) <> "-" Then
                    If start.isStartOfParagraph() Then
                        If BegunOnPageBefore(cursor, start, page) Then pages(page - 1) = "^" & Mid(pages(page - 1), 2)
                    End If
                End If
            End If
        Else
            pages(page - 1) = "-"
        End If
    Next
    For page = 1 To pageCount
        If pages(page - 1) <> "-" Then
            bookmark = document.createInstance("com.sun.star.text.Bookmark")
            bookmark.setName("%1" & Format(page, "%2"))
            starts(page - 1).getText().insertTextContent(starts(page - 1), bookmark, False)
        End If
    Next
    ' The view stays locked until the document is closed: unlocked, the store would first lay out
    ' again every paragraph a mark went into, as long again as the whole layout on a long document,
    ' and the store writes from the layout the marks were taken from anyway.
    document.getUndoManager().unlock()
    MarkPages = pages
End Function

' Whether the paragraph at start, which opens this page, has objects and the page before ends inside it.
' Leaves the view cursor back at the start of this page. An office that cannot tell says no: the
' objects then go with their paragraph's text, which the document survives.
Function BegunOnPageBefore(cursor As Object, start As Object, page As Long) As Boolean
    Dim paragraph As Object, pageEnd As Object
    BegunOnPageBefore = False
    On Error GoTo Back
    If Not start.getPropertySetInfo().hasPropertyByName("TextParagraph") Then Exit Function
    paragraph = start.TextParagraph
    If IsNull(paragraph) Then Exit Function
    If Not paragraph.createContentEnumeration("com.sun.star.text.TextContent").hasMoreElements() Then Exit Function
    If cursor.jumpToPage(page - 1) Then
        If cursor.jumpToEndOfPage() Then
            If cursor.getPage() = page - 1 Then
                pageEnd = cursor.getText().createTextCursorByRange(cursor.getEnd())
                BegunOnPageBefore = Not pageEnd.isEndOfParagraph()
            End If
        End If
    End If
Back:
    On Error GoTo 0
    cursor.jumpToPage(page)
    cursor.jumpToStartOfPage()
End Function
)")
            .arg(QString::fromUtf8(slicer::PageMarkPrefix().data(),
                                   static_cast<qsizetype>(slicer::PageMarkPrefix().size())),
                 QString(slicer::kPageNumberDigits, QLatin1Char('0')));
    return {QStringLiteral("FolioknifeSplit"), QStringLiteral("PageMarks"), source};
}

std::vector<slicer::PlannedPage> PageMarking::planFromAnswer(const QStringList& answer, int pageCount) {
    if (answer.size() != pageCount) {
        throw Failure::officeRefused(
            QStringLiteral("the office marked %1 pages of %2").arg(answer.size()).arg(pageCount));
    }
    std::vector<slicer::PlannedPage> plan(static_cast<size_t>(pageCount));
    for (int page = 0; page < pageCount; ++page) {
        const QString& entry = answer.at(page);
        slicer::PlannedPage& planned = plan[static_cast<size_t>(page)];
        if (entry.startsWith(QLatin1Char('+')) || entry.startsWith(QLatin1Char('^'))) {
            planned.pageStyle = entry.mid(1).toStdString();
            planned.openingParagraphBegunBefore = entry.startsWith(QLatin1Char('^'));
        } else if (entry == QLatin1String("-"))
            planned.blank = true;
        else
            throw Failure::officeRefused(QStringLiteral("the office's marking answered \"%1\"").arg(entry));
    }
    GiveBlankPagesTheFollowingStyle(plan);
    return plan;
}

std::vector<slicer::PlannedPage> PageMarking::mark(const office::DocumentRef& document, int pageCount) {
    if (const std::optional<QStringList> answer = office_.runBasic(module(), kFunction, document, {}))
        return planFromAnswer(*answer, pageCount);
    return markCallByCall(document, pageCount);
}

std::vector<slicer::PlannedPage> PageMarking::markCallByCall(const office::DocumentRef& document,
                                                             int pageCount) {
    std::vector<slicer::PlannedPage> plan(static_cast<size_t>(pageCount));
    for (int page = 1; page <= pageCount; ++page) {
        slicer::PlannedPage& planned = plan[static_cast<size_t>(page - 1)];
        // A page the cursor cannot reach holds no text: a blank page the layout inserted. The cursor's
        // page is asked only at the page's start: right after the jump into a table that a repeated
        // heading row continues, the office still names the page before.
        if (!office_.jumpToPage(document, page) || !office_.jumpToStartOfPage(document) ||
            office_.currentPage(document) != page) {
            planned.blank = true;
            continue;
        }
        planned.pageStyle = office_.pageStyleAtCursor(document).toStdString();
        // One dispatch inserts the bookmark where the cursor stands: a quarter of the round trips of
        // making, naming and inserting a bookmark object.
        office_.dispatch(document, kInsertBookmark,
                         {{QStringLiteral("Bookmark"), QString::fromStdString(slicer::PageMarkName(page))}});
    }
    GiveBlankPagesTheFollowingStyle(plan);
    return plan;
}

}  // namespace fk
