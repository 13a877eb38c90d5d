Option Explicit

' Marks the start of each endnote page after the body's last page, inside the endnote text. The jump
' to an endnote page leaves the view cursor at the page's first character, in the endnote text; the
' move to the page's start that the body's pages take is refused there. Every start is taken before
' the first mark goes in, as for the body's pages; a page that does not begin in an endnote leaves
' every page unmarked.

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
            bookmark.setName("@PAGE_MARK_PREFIX@" & Format(page, "@MARK_NUMBER_FORMAT@"))
            starts(page - first).getText().insertTextContent(starts(page - first), bookmark, False)
        Next
        document.unlockControllers()
        document.getUndoManager().unlock()
    End If
    MarkEndnotePages = pages
End Function
