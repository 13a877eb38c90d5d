Option Explicit

' Marks the start of every page of a document in the office's own process, where a bookmark object
' costs less than a dispatch, which goes through the frame. Basic's And does not short-circuit, hence
' the Ifs.
'
' Where every page starts is taken before the first mark goes in: a mark makes the office lay out its
' paragraph again, and with large pictures the pages after it can come out otherwise. All marks then
' stand where one layout, the one a fresh office makes, put the pages.
'
' A page that opens at the very start of a paragraph carrying objects may follow a page that holds
' those objects but none of the paragraph's lines ("^" instead of "+"). Asked only there: asking at
' every page costs more than the marking.
'
' Indexes and protected sections take no text from a cursor. The office marks its private loaded copy
' of the document, never written back, so their protection is lifted while the marks go in and put back
' before the store. A page whose start still takes no mark is marked at the first line of the page that
' takes one, and answered with "~": the page is cut there, approximately.

' The marks of cut cells and of notes going on: Global, for a second walk that keeps the first's
' takes them over as they are (see MarkPages).
Global cellStarts() As Object, cellMarks() As String, cellCount As Long
Global noteStarts() As Object, noteMarks() As String, noteCount As Long
Dim lifted() As Object, liftedCount As Long
Dim dividedCount As Long
' The first walk's pages, kept for the second walk (see MarkPages): their starts, texts and answers;
' and for each page a divided field opens, the field's text as given (a
' position at its end and its length) and how far down the page the field ended. Global: a module's
' other variables begin anew with every call.
Global earlierCount As Long, earlierStarts() As Object, earlierTexts() As Object, earlierPages() As String
Global dividedPages() As Long, dividedEnds() As Object, dividedLengths() As Long, dividedTops() As Long
Global earlierDividedCount As Long
Dim dividedFields() As Object, dividedStarts() As Object, givenLength As Long

' Tells progress how far it has come every 32 pages: the walk over the pages is the first half, the
' marks the second.
'
' Where the walk gave fields a page divides their text (see BeforeField), the answer is "=" alone
' and no mark is in: the caller has the office lay the document out again and asks again, with "=" in
' options, when the walk no longer looks for such fields. The text can break into lines otherwise than
' the field did and move the pages after it (two lines lower, five pages on, in a Word file whose
' narrow cells hold such fields), while the first walk, whose view is locked, goes on in the layout the
' document prints with: where the second walk counts as many pages, every page keeps the first walk's
' start, answer and cell marks, and a page such a field opens starts in its text where the field's
' lines on it begin (see WhereDividedTextGoesOn). With "#" in options, a page that
' opens at the start of a paragraph of the body is marked by the paragraph's identifier.
Function MarkPages(document As Object, options As String, progress As Object) As Variant
    Dim cursor As Object, bookmark As Object, start As Object
    Dim body As Object
    dividedCount = 0
    Dim again As Boolean, keptWalk As Boolean, divided As Long
    again = InStr(options, "=") > 0
    If Not again Then ForgetEarlier()
    cursor = document.getCurrentController().getViewCursor()
    cursor.jumpToLastPage()
    Dim pageCount As Long, page As Long, reached As Boolean
    pageCount = cursor.getPage()
    keptWalk = again And earlierCount = pageCount
    If Not keptWalk Then
        cellCount = 0
        ReDim cellStarts(15) As Object
        ReDim cellMarks(15) As String
    End If
    Dim pages(pageCount - 1) As String, starts(pageCount - 1) As Object, texts(pageCount - 1) As Object
    Dim withObjects As Boolean, text As Object, atParagraphStart As Boolean, probe As Object, field As Variant
    progress.start("", pageCount * 2)
    withObjects = document.getDrawPage().hasElements()
    ' Nobody undoes our marks and nobody sees them: without undo records and view updates they cost
    ' a quarter as much. The view is locked before the cursor walks the pages, too: a move of the
    ' cursor in a view that follows it costs more the longer the document, a millisecond at 1,000
    ' pages against a hundredth locked.
    If keptWalk Then PlaceDividedStarts(cursor)
    document.getUndoManager().lock()
    document.lockControllers()
    LiftProtection(document)
    For page = 1 To pageCount
        ' The next page from the one before: a jump to page N walks the layout's pages from the first,
        ' which made the walk grow with the square of the length (5,000 pages: 1.3 s against 0.85).
        reached = False
        If page > 1 Then
            If cursor.jumpToNextPage() Then reached = (cursor.getPage() = page)
        End If
        If Not reached Then reached = cursor.jumpToPage(page)
        If reached Then reached = cursor.jumpToStartOfPage()
        If reached Then reached = (cursor.getPage() = page)
        divided = -1
        If keptWalk Then divided = DividedOn(page)
        If keptWalk And (divided < 0 Or Not reached) Then
            ' Where no field was given its text, the page starts where the document prints it.
            starts(page - 1) = earlierStarts(page - 1)
            texts(page - 1) = earlierTexts(page - 1)
            pages(page - 1) = earlierPages(page - 1)
        ElseIf reached And divided >= 0 Then
            ' The first walk's answer and cells stand; the start goes into the field's text.
            starts(page - 1) = dividedStarts(divided)
            If IsNull(starts(page - 1)) Then starts(page - 1) = cursor.getText().createTextCursorByRange(cursor)
            texts(page - 1) = starts(page - 1).getText()
            pages(page - 1) = earlierPages(page - 1)
        ElseIf reached Then
            ' Every object Basic is handed costs it a lookup of its interfaces on first use, which
            ' outweighs most calls: a page touches as few new ones as it can (the view cursor itself as
            ' the range, its text kept for the mark).
            text = cursor.getText()
            start = text.createTextCursorByRange(cursor)
            ' Asked here, not in BeforeField: a function that calls on an object it is handed looks
            ' its interfaces up once more, and most pages open a paragraph or at least no field.
            atParagraphStart = start.isStartOfParagraph()
            If page > 1 And Not atParagraphStart Then
                probe = text.createTextCursorByRange(start)
                If probe.goLeft(1, False) Then
                    field = probe.TextField
                    If Not IsEmpty(field) Then
                        If Not IsNull(field) Then
                            start = BeforeField(cursor, start, probe, field, page, InStr(options, "=") = 0)
                            ' Before a field that opens the paragraph, the page opens the paragraph.
                            atParagraphStart = start.isStartOfParagraph()
                        End If
                    End If
                End If
            End If
            starts(page - 1) = start
            texts(page - 1) = text
            pages(page - 1) = "+" & cursor.PageStyleName
            ' The view cursor, which stands at the page's start, answers without a new object.
            If Not IsEmpty(cursor.Cell) Then MarkRowsAround(cursor, start, page, body)
            If withObjects And page > 1 Then
                If pages(page - 2) <> "-" Then
                    If atParagraphStart Then
                        If BegunOnPageBefore(cursor, start, page) Then pages(page - 1) = "^" & Mid(pages(page - 1), 2)
                    End If
                End If
            End If
        Else
            pages(page - 1) = "-"
        End If
        If page Mod 32 = 0 Then progress.setValue(page)
    Next
    If dividedCount > 0 Then
        ' Objects and notes as the document prints them, before any field is given its text.
        If withObjects Then NoteObjectsDrawnLater(document, cursor, pages, pageCount)
        MarkNotesGoingOn(document, cursor, pageCount)
        GiveDividedFieldsText(document, cursor)
        KeepFirstWalk(starts, texts, pages, pageCount)
        RestoreProtection()
        document.unlockControllers()
        document.getUndoManager().unlock()
        progress.end()
        MarkPages = Array("=")
        Exit Function
    End If
    ' A kept walk has the first walk's cell and note marks still in place, and its objects in the answers.
    If Not keptWalk Then
        If withObjects Then NoteObjectsDrawnLater(document, cursor, pages, pageCount)
        MarkNotesGoingOn(document, cursor, pageCount)
    End If
    ' The walk holds what it kept now: the office keeps every text cursor in step with each mark.
    If again Then ForgetEarlier()
    Dim byIdentifier As Boolean, bodyText As Object, markName As String, markedById As Boolean
    ' One pair for every page: a new one each time cost a tenth of the marking.
    Dim identifier As New com.sun.star.beans.StringPair, paragraph As Object, marks As Object
    identifier.First = "content.xml"
    byIdentifier = False
    If InStr(options, "#") > 0 Then byIdentifier = StoresIdentifiers()
    bodyText = document.getText()
    Dim askParagraph As Boolean
    askParagraph = bodyText.createTextCursor().getPropertySetInfo().hasPropertyByName("TextParagraph")
    marks = document.getBookmarks()
    For page = 1 To pageCount
        If pages(page - 1) <> "-" Then
            markName = "@PAGE_MARK_PREFIX@" & Format(page, "@MARK_NUMBER_FORMAT@")
            ' A page that opens a paragraph of the body, outside an index, is marked by giving the
            ' paragraph the mark's name as its identifier. A bookmark in a paragraph makes the office
            ' work the paragraph over again when it stores the document, even with the view locked
            ' (1,000 pages of one paragraph each: 0.9 s of store against 0.07 s unmarked); an
            ' identifier does not. Asked here rather than in a function: a function that calls on the
            ' objects it is handed looks their interfaces up again, three times the cost of the questions.
            markedById = False
            If byIdentifier Then
                If starts(page - 1).isStartOfParagraph() Then
                    If EqualUnoObjects(texts(page - 1), bodyText) Then
                        If IsEmpty(starts(page - 1).DocumentIndex) Then
                            ' At a paragraph's start, the paragraph the position stands in is that paragraph;
                            ' asked of the position where the office answers, which costs less than an
                            ' enumeration of the paragraphs from it.
                            If askParagraph Then
                                paragraph = starts(page - 1).TextParagraph
                            Else
                                paragraph = starts(page - 1).createEnumeration().nextElement()
                            End If
                            ' One of the author's own is kept, and the page takes a bookmark; so it does where
                            ' the office refuses the name.
                            If paragraph.MetadataReference.Second = "" Then
                                identifier.Second = markName
                                On Error Resume Next
                                paragraph.MetadataReference = identifier
                                On Error GoTo 0
                                markedById = (paragraph.MetadataReference.Second = markName)
                            End If
                        End If
                    End If
                End If
            End If
            If Not markedById Then
                bookmark = document.createInstance("com.sun.star.text.Bookmark")
                bookmark.setName(markName)
                ' Inserted here for the same reason; where the office refuses, the mark has no place.
                On Error Resume Next
                texts(page - 1).insertTextContent(starts(page - 1), bookmark, False)
                On Error GoTo 0
                If Not marks.hasByName(markName) Then
                    If InsertedOnPage(cursor, page, bookmark) Then pages(page - 1) = "~" & Mid(pages(page - 1), 2)
                End If
            End If
            ' Each text cursor the office holds is kept in step with every change to the text: let go
            ' once used, they no longer make each mark cost more than the one before (5,000 pages: 2.1 s
            ' of marks against 1.4).
            starts(page - 1) = Nothing
            texts(page - 1) = Nothing
        End If
        If page Mod 32 = 0 Then progress.setValue(pageCount + page)
    Next
    Dim cell As Long
    For cell = 1 To cellCount
        bookmark = document.createInstance("com.sun.star.text.Bookmark")
        bookmark.setName(cellMarks(cell - 1))
        Inserted(cellStarts(cell - 1), bookmark)
    Next
    Dim note As Long
    For note = 1 To noteCount
        bookmark = document.createInstance("com.sun.star.text.Bookmark")
        bookmark.setName(noteMarks(note - 1))
        Inserted(noteStarts(note - 1), bookmark)
    Next
    ' Let go: the office keeps every text cursor in step with each change.
    cellCount = 0
    noteCount = 0
    ReDim cellStarts(0) As Object
    ReDim noteStarts(0) As Object
    RestoreProtection()
    ' The view stays locked until the document is closed: unlocked, the store would first lay out
    ' again every paragraph a mark went into, as long again as the whole layout on a long document,
    ' and the store writes from the layout the marks were taken from anyway.
    document.getUndoManager().unlock()
    progress.end()
    MarkPages = pages
End Function

'' An object anchored to a paragraph that no longer fits under it can follow the text flow onto the next
' page, while the paragraph stays. Such an object is told with the page that draws it: its name, and x and
' y from the page's corner, each after Chr(31). The layout stacks the pages one under the other, centred
' on the widest, with the document's border (284 twips) above each, which is how a shape's layout
' position gives its page. An office that cannot tell says nothing more: the object stays with its
' paragraph.
Sub NoteObjectsDrawnLater(document As Object, cursor As Object, pages() As String, pageCount As Long)
    Const border = 501
    Dim tops(pageCount - 1) As Long, heights(pageCount - 1) As Long, widths(pageCount - 1) As Long
    Dim widest As Long, page As Long, styleName As String, style As Object, styles As Object, top As Long
    Dim shapes As Object, shape As Object, i As Long, anchorPage As Long, drawnPage As Long
    Dim bounds As Object, left As Long
    On Error GoTo Done
    styles = document.getStyleFamilies().getByName("PageStyles")
    ' A blank page is laid out with the style of the page after it.
    For page = pageCount To 1 Step -1
        If pages(page - 1) <> "-" Then styleName = Mid(pages(page - 1), 2)
        If styleName = "" Then Exit Sub
        style = styles.getByName(styleName)
        heights(page - 1) = style.Height
        widths(page - 1) = style.Width
        If widths(page - 1) > widest Then widest = widths(page - 1)
    Next
    top = border
    For page = 1 To pageCount
        tops(page - 1) = top
        top = top + heights(page - 1) + border
    Next
    shapes = document.getDrawPage()
    For i = 0 To shapes.getCount() - 1
        shape = shapes.getByIndex(i)
        If shape.getPropertySetInfo().hasPropertyByName("AnchorType") Then
            If shape.AnchorType = com.sun.star.text.TextContentAnchorType.AT_PARAGRAPH Then
                cursor.gotoRange(shape.getAnchor().getStart(), False)
                anchorPage = cursor.getPage()
                bounds = shape.BoundRect
                drawnPage = 0
                For page = anchorPage + 1 To pageCount
                    If bounds.Y >= tops(page - 1) And bounds.Y < tops(page - 1) + heights(page - 1) Then drawnPage = page
                Next
                If drawnPage > 0 Then
                    If pages(drawnPage - 1) <> "-" Then
                        left = border + (widest - widths(drawnPage - 1)) \ 2
                        pages(drawnPage - 1) = pages(drawnPage - 1) & Chr(31) & shape.Name & Chr(31) & _
                            CStr(bounds.X - left) & Chr(31) & CStr(bounds.Y - tops(drawnPage - 1))
                    End If
                End If
            End If
        End If
    Next
Done:
End Sub

' A footnote that does not fit on its citation's page goes on at the foot of the next pages, or moves
' there whole. Its text gets a mark where each later page's part begins, found as a cell's continuation
' is, line by line; each page shows the note from its own mark up to the next. Positions are taken before any mark goes
' in. A note the office cannot answer for keeps no mark and stays whole with its citation.
Sub MarkNotesGoingOn(document As Object, cursor As Object, pageCount As Long)
    Dim notes As Object, note As Object, i As Long, citedOn As Long, found As Object, probe As Object
    Dim endsOn As Long, page As Long
    noteCount = 0
    ReDim noteStarts(7) As Object
    ReDim noteMarks(7) As String
    On Error GoTo Done
    notes = document.getFootnotes()
    For i = 0 To notes.getCount() - 1
        note = notes.getByIndex(i)
        cursor.gotoRange(note.getAnchor().getStart(), False)
        citedOn = cursor.getPage()
        If citedOn < pageCount Then
            probe = note.getText().createTextCursor()
            probe.gotoEnd(False)
            cursor.gotoRange(probe, False)
            endsOn = cursor.getPage()
            ' A mark for each later page that goes on with the note, so that each prints its own part.
            page = citedOn + 1
            Do While page <= endsOn
                found = Continuation(cursor, note, page)
                If IsNull(found) Then Exit Do
                cursor.gotoRange(found, False)
                page = cursor.getPage()
                AddNoteMark(found, page)
                page = page + 1
            Loop
        End If
    Next
Done:
End Sub

Sub AddNoteMark(position As Object, page As Long)
    If noteCount > UBound(noteStarts) Then
        ReDim Preserve noteStarts(noteCount * 2) As Object
        ReDim Preserve noteMarks(noteCount * 2) As String
    End If
    noteCount = noteCount + 1
    noteStarts(noteCount - 1) = position
    noteMarks(noteCount - 1) = "@PAGE_MARK_PREFIX@" & Format(page, "@MARK_NUMBER_FORMAT@") & "@NOTE_MARK_INFIX@" & noteCount
End Sub

' Whether the office writes paragraphs' identifiers when it stores OpenDocument: not when it is set
' to versions 1.0 or 1.1 (1 and 2), which have none; the pages would lose their marks.
Function StoresIdentifiers() As Boolean
    StoresIdentifiers = False
    On Error GoTo Unknown
    Dim path(0) As New com.sun.star.beans.PropertyValue, provider As Object, settings As Object
    path(0).Name = "nodepath"
    path(0).Value = "/org.openoffice.Office.Common/Save/ODF"
    provider = CreateUnoService("com.sun.star.configuration.ConfigurationProvider")
    settings = provider.createInstanceWithArguments("com.sun.star.configuration.ConfigurationAccess", path())
    StoresIdentifiers = settings.DefaultVersion > 2
Unknown:
End Function

' Inserts the mark at position; false when the office refuses it there.
Function Inserted(position As Object, bookmark As Object) As Boolean
    Inserted = InsertedIn(position.getText(), position, bookmark)
End Function

' The same in text, the text that holds position.
Function InsertedIn(text As Object, position As Object, bookmark As Object) As Boolean
    InsertedIn = False
    On Error GoTo Refused
    text.insertTextContent(position, bookmark, False)
    InsertedIn = True
Refused:
End Function

' Inserts the mark at the start of the first line of page that takes it; false when none does.
Function InsertedOnPage(cursor As Object, page As Long, bookmark As Object) As Boolean
    Dim steps As Long, position As Object
    InsertedOnPage = False
    On Error GoTo Done
    If Not cursor.jumpToPage(page) Then Exit Function
    cursor.jumpToStartOfPage()
    For steps = 1 To 10000
        cursor.gotoEndOfLine(False)
        If Not cursor.goRight(1, False) Then Exit Function
        cursor.gotoStartOfLine(False)
        If cursor.getPage() <> page Then Exit Function
        position = cursor.getText().createTextCursorByRange(cursor.getStart())
        If Inserted(position, bookmark) Then
            InsertedOnPage = True
            Exit Function
        End If
    Next
Done:
End Function

' Lifts the protection of every protected section and index, remembering which to protect again.
Sub LiftProtection(document As Object)
    liftedCount = 0
    ReDim lifted(15) As Object
    On Error Resume Next
    LiftEach(document.getTextSections())
    LiftEach(document.getDocumentIndexes())
End Sub

Sub LiftEach(protectables As Object)
    Dim protectable As Object, i As Long
    On Error GoTo Done
    For i = 0 To protectables.getCount() - 1
        protectable = protectables.getByIndex(i)
        If protectable.getPropertySetInfo().hasPropertyByName("IsProtected") Then
            If protectable.IsProtected Then
                If liftedCount > UBound(lifted) Then ReDim Preserve lifted(liftedCount * 2) As Object
                protectable.IsProtected = False
                lifted(liftedCount) = protectable
                liftedCount = liftedCount + 1
            End If
        End If
    Next
Done:
End Sub

Sub RestoreProtection()
    Dim i As Long
    On Error Resume Next
    For i = 0 To liftedCount - 1
        lifted(i).IsProtected = True
    Next
End Sub

' The start of a page whose first line opens with a one-word field: the view cursor's start of the page
' lies after the field, and the page before ends before it, so the field would go with neither. It opens
' this page (as printed) when the page before ends right before it. A field of several words may instead
' have been broken over both pages: no cursor stops inside it, so the page before would take all of it
' and print as two pages. With giveText, such a field (one whose text the body shows as it stands) is
' given its text in its place, in the office's private copy, where it lays out alike and a cursor can
' stop inside it, and dividedCount counts it; else it stays with the page before, where it begins.
' Asked only for a page after the first that does not open a paragraph, whose start follows field:
' probe stands before the field. Leaves the view cursor at start.
Function BeforeField(cursor As Object, start As Object, probe As Object, field As Variant, page As Long, _
                     giveText As Boolean) As Object
    Dim words As Boolean
    BeforeField = start
    On Error GoTo Back
    words = InStr(Trim(field.getPresentation(False)), " ") > 0
    If words Then
        If Not giveText Then Exit Function
        If Not ShowsItsText(field) Then Exit Function
    End If
    ' Back from this page rather than a jump to the one before, which walks the pages from the first.
    If cursor.jumpToPreviousPage() Then
        If cursor.jumpToEndOfPage() Then
            If cursor.getPage() = page - 1 Then
                If start.getText().compareRegionStarts(cursor.getEnd(), probe) = 0 Then
                    If Not words Then
                        BeforeField = probe
                    Else
                        NoteDivided(page, field)
                    End If
                End If
            End If
        End If
    End If
Back:
    On Error GoTo 0
    cursor.gotoRange(start, False)
End Function

Sub NoteDivided(page As Long, field As Object)
    If dividedCount > UBound(dividedPages) Then
        ReDim Preserve dividedPages(dividedCount * 2) As Long
        ReDim Preserve dividedFields(dividedCount * 2) As Object
    End If
    dividedPages(dividedCount) = page
    dividedFields(dividedCount) = field
    dividedCount = dividedCount + 1
End Sub

' Notes how far down its page each divided field ends, then gives the fields their text. A locked view
' tells no cursor's position, and a field given its text before would move the pages after it: the
' positions are all taken first, in the layout the walk went through, with the view unlocked.
Sub GiveDividedFieldsText(document As Object, cursor As Object)
    Dim i As Long
    ReDim dividedEnds(dividedCount) As Object
    ReDim dividedLengths(dividedCount) As Long
    ReDim dividedTops(dividedCount) As Long
    document.unlockControllers()
    For i = 0 To dividedCount - 1
        dividedTops(i) = -1
        If cursor.jumpToPage(dividedPages(i)) Then
            ' At the page's start the view cursor stands right after the field, on its last line.
            If cursor.jumpToStartOfPage() Then
                If cursor.getPage() = dividedPages(i) Then dividedTops(i) = cursor.getPosition().Y
            End If
        End If
    Next
    document.lockControllers()
    For i = 0 To dividedCount - 1
        dividedEnds(i) = GivenText(dividedFields(i))
        dividedLengths(i) = givenLength
    Next
    ReDim dividedFields(0) As Object
End Sub

' A position at the end of the text the field is replaced by, and its length in givenLength; Nothing
' where the office will not replace it, whose page then keeps the second walk's start.
Function GivenText(field As Object) As Object
    Dim anchor As Object, given As Object, shown As String
    GivenText = Nothing
    givenLength = 0
    On Error GoTo Done
    shown = field.getPresentation(False)
    anchor = field.getAnchor()
    given = anchor.getText().createTextCursorByRange(anchor)
    anchor.getText().insertString(given, shown, True)
    given.collapseToEnd()
    GivenText = given
    givenLength = Len(shown)
Done:
End Function

' The index of the field the first walk gave its text on page, or -1.
Function DividedOn(page As Long) As Long
    Dim i As Long
    DividedOn = -1
    For i = 0 To earlierDividedCount - 1
        If dividedPages(i) = page Then
            DividedOn = i
            Exit Function
        End If
    Next
End Function

' Where each page a field's text opens starts in it, found before the view is locked, which tells no
' cursor's position. The text breaks into lines as the field did, but the page can break after another
' of them (a Word file's reference: after its first line as a field, its second as text). The page
' holds as many of the text's lines as it held of the field's: its last line ends where the field's
' did. Where this layout opens the page outside the text, or the lines cannot be measured, its own
' start stands.
Sub PlaceDividedStarts(cursor As Object)
    Dim i As Long
    ReDim dividedStarts(earlierDividedCount) As Object
    For i = 0 To earlierDividedCount - 1
        dividedStarts(i) = Nothing
        If cursor.jumpToPage(dividedPages(i)) Then
            If cursor.jumpToStartOfPage() Then dividedStarts(i) = WhereDividedTextGoesOn(cursor, i)
        End If
    Next
End Sub

Function WhereDividedTextGoesOn(cursor As Object, divided As Long) As Object
    Dim text As Object, start As Object, textStart As Object, textEnd As Object
    Dim page As Long, lastLine As Long, pitch As Long, lines As Long, n As Long
    text = cursor.getText()
    start = text.createTextCursorByRange(cursor)
    page = cursor.getPage()
    WhereDividedTextGoesOn = start
    On Error GoTo Back
    If dividedTops(divided) < 0 Then GoTo Back
    textEnd = dividedEnds(divided)
    textStart = text.createTextCursorByRange(textEnd)
    textStart.goLeft(dividedLengths(divided), False)
    If text.compareRegionStarts(start, textStart) = 1 Then GoTo Back
    If text.compareRegionStarts(start, textEnd) = -1 Then GoTo Back
    cursor.gotoRange(textEnd, False)
    If cursor.getPage() <> page Then GoTo Back
    lastLine = cursor.getPosition().Y
    pitch = LinePitch(cursor, text, textStart, textEnd)
    If pitch <= 0 Then GoTo Back
    lines = CLng((dividedTops(divided) - lastLine) / pitch)
    cursor.gotoRange(start, False)
    For n = 1 To lines
        cursor.gotoStartOfLine(False)
        If Not cursor.goLeft(1, False) Then Exit For
        cursor.gotoStartOfLine(False)
        If text.compareRegionStarts(cursor.getStart(), textStart) = 1 Then
            cursor.gotoRange(textStart, False)
            Exit For
        End If
    Next
    For n = 1 To -lines
        cursor.gotoEndOfLine(False)
        If Not cursor.goRight(1, False) Then Exit For
        cursor.gotoStartOfLine(False)
        If text.compareRegionStarts(cursor.getStart(), textEnd) = -1 Then
            cursor.gotoRange(textEnd, False)
            Exit For
        End If
    Next
    WhereDividedTextGoesOn = text.createTextCursorByRange(cursor.getStart())
Back:
    On Error GoTo 0
End Function

' The distance from one line of the text to the next: the largest between two of its lines on one page,
' for a page's first line stands closer to the line under it.
Function LinePitch(cursor As Object, text As Object, textStart As Object, textEnd As Object) As Long
    Dim y As Long, page As Long, above As Long, n As Long
    LinePitch = 0
    cursor.gotoRange(textEnd, False)
    y = cursor.getPosition().Y
    page = cursor.getPage()
    For n = 1 To 64
        cursor.gotoStartOfLine(False)
        If text.compareRegionStarts(cursor.getStart(), textStart) <> -1 Then Exit Function
        If Not cursor.goLeft(1, False) Then Exit Function
        above = cursor.getPosition().Y
        If cursor.getPage() = page And y - above > LinePitch Then LinePitch = y - above
        y = above
        page = cursor.getPage()
    Next
End Function

' The first walk's pages, with the objects each draws.
Sub KeepFirstWalk(starts() As Object, texts() As Object, pages() As String, pageCount As Long)
    Dim i As Long
    earlierCount = pageCount
    earlierDividedCount = dividedCount
    ReDim earlierStarts(pageCount - 1) As Object
    ReDim earlierTexts(pageCount - 1) As Object
    ReDim earlierPages(pageCount - 1) As String
    For i = 0 To pageCount - 1
        earlierStarts(i) = starts(i)
        earlierTexts(i) = texts(i)
        earlierPages(i) = pages(i)
    Next
End Sub

' Lets go of the first walk's text cursors, which the office keeps in step with every change; a first walk
' whose second never came leaves them until the next document's first.
Sub ForgetEarlier()
    earlierCount = 0
    earlierDividedCount = 0
    ReDim earlierStarts(0) As Object
    ReDim earlierTexts(0) As Object
    ReDim dividedPages(15) As Long
    ReDim dividedFields(15) As Object
    ReDim dividedEnds(0) As Object
End Sub

' Fields whose presentation is the text they show in the body, as it shows. Not comments, hidden text,
' invisible variables or combined characters, which show otherwise or not at all, nor a variable's
' setting, whose later references would lose it.
Function ShowsItsText(field As Object) As Boolean
    Dim kind As Variant
    ShowsItsText = False
    If field.getPropertySetInfo().hasPropertyByName("IsVisible") Then
        If Not field.IsVisible Then Exit Function
    End If
    For Each kind In Array("GetReference", "GetExpression", "User", "Chapter", "Author", _
                           "FileName", "DateTime", "Bibliography", "TemplateName", "DocInfo.Title", _
                           "DocInfo.Subject", "DocInfo.Description", "DocInfo.KeyWords", "DocInfo.Custom")
        If field.supportsService("com.sun.star.text.TextField." & kind) Then ShowsItsText = True
    Next
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

' A page can start inside a table row: the office breaks each cell where its own content runs out of
' room. Every other cell of that row (and of the rows around it, for a nested table) gets a mark where
' its content goes on, found by asking the layout the page of each line. A cell whose content ended on
' an earlier page gets none; one that starts on this page is marked at its start. A page that starts
' at the start of a cell starts the row: no marks. Positions are taken before any mark goes in, as the
' page starts are.
' Marks the other cells of every row around start, inside the cell outer (null: the body).
Sub MarkRowsAround(cursor As Object, start As Object, page As Long, outer As Object)
    Dim position As Object, cell As Variant, table As Object, found As Object
    Dim others As Variant, count As Long, i As Long
    ' Cells the office cannot answer for keep no mark: their content stays whole on the page before,
    ' which loses nothing, rather than the marking failing the document.
    On Error GoTo Done
    position = start
    Do
        ' Every position here is a collapsed text cursor, which has a cell (empty outside tables).
        If IsNull(position) Then Exit Sub
        cell = position.Cell
        If IsNull(cell) Or IsEmpty(cell) Then Exit Sub
        If Not IsNull(outer) Then
            If EqualUnoObjects(cell, outer) Then Exit Sub
        End If
        table = position.TextTable
        others = Split(Trim(CellsOfRow(table, cell.CellName)), " ")
        count = UBound(others) + 1
        ' A page that starts at a cell's start starts the row there (the slicer takes it so too): the
        ' cells beside it start on the page as well, unless a paragraph kept whole left its cell empty
        ' on the page before. Not asking saves a few calls on every page of a long table.
        If Not IsCellStart(position, cell) Then
            For i = 1 To count
                found = Continuation(cursor, table.getCellByName(others(i - 1)), page)
                If Not IsNull(found) Then
                    AddCellMark(found, page)
                    MarkRowsAround(cursor, found, page, table.getCellByName(others(i - 1)))
                End If
            Next
        End If
        position = OuterPosition(cursor, table, cell.CellName)
    Loop
Done:
End Sub

' A position in the cell around a table nested in it; null for a table in the body, or when the office
' cannot say. Tried left of the table's first cell and right of its last, which can also lead into the
' cell before or after the one that holds the table.
Function OuterPosition(cursor As Object, table As Object, cellName As String) As Object
    Dim walker As Object, probe As Object, side As Integer, moved As Boolean
    OuterPosition = Nothing
    On Error GoTo Done
    walker = table.createCursorByCellName(cellName)
    For side = 0 To 1
        If side = 0 Then walker.gotoStart(False) Else walker.gotoEnd(False)
        probe = table.getCellByName(walker.getRangeName()).getText()
        If side = 0 Then cursor.gotoRange(probe.getStart(), False) Else cursor.gotoRange(probe.getEnd(), False)
        If side = 0 Then moved = cursor.goLeft(1, False) Else moved = cursor.goRight(1, False)
        If moved Then
            probe = cursor.getText().createTextCursorByRange(cursor.getStart())
            If probe.getPropertySetInfo().hasPropertyByName("Cell") Then
                If Not (IsNull(probe.Cell) Or IsEmpty(probe.Cell)) Then
                    If Holds(probe.Cell, table) Then
                        OuterPosition = probe
                        Exit Function
                    End If
                End If
            End If
        End If
    Next
Done:
End Function

Function Holds(cell As Object, table As Object) As Boolean
    Dim parts As Object
    Holds = False
    parts = cell.getText().createEnumeration()
    Do While parts.hasMoreElements()
        If EqualUnoObjects(parts.nextElement(), table) Then
            Holds = True
            Exit Function
        End If
    Loop
End Function

' The names of the other cells in the row of the cell named name, separated by spaces. The office
' names columns A to Z, then a to z; a cell merged from the row above still has its name.
Function CellsOfRow(table As Object, name As String) As String
    Dim row As String, column As Long, letters As String, other As String
    letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
    row = RowOf(name)
    CellsOfRow = ""
    For column = 1 To table.getColumns().getCount()
        If column > Len(letters) Then Exit For
        other = Mid(letters, column, 1) & row
        If other <> name Then
            If Not IsNull(table.getCellByName(other)) Then CellsOfRow = CellsOfRow & " " & other
        End If
    Next
End Function

Function RowOf(name As String) As String
    Dim i As Long
    RowOf = ""
    For i = 1 To Len(name)
        If InStr("0123456789", Mid(name, i, 1)) > 0 Then
            RowOf = Mid(name, i)
            Exit Function
        End If
    Next
End Function

Function IsCellStart(position As Object, cell As Object) As Boolean
    Dim first As Object
    first = cell.getText().createTextCursor()
    first.gotoStart(False)
    IsCellStart = False
    On Error GoTo Done
    IsCellStart = (cell.getText().compareRegionStarts(first, position) = 0)
Done:
End Function

' Where the cell goes on on page, or Nothing when its content all lies on earlier pages.
Function Continuation(cursor As Object, cell As Object, page As Long) As Object
    Dim probe As Object, steps As Long
    Continuation = Nothing
    If IsNull(cell) Then Exit Function
    probe = cell.getText().createTextCursor()
    probe.gotoStart(False)
    cursor.gotoRange(probe, False)
    If cursor.getPage() >= page Then
        Continuation = probe
        Exit Function
    End If
    probe.gotoEnd(False)
    cursor.gotoRange(probe, False)
    If cursor.getPage() < page Then Exit Function
    ' Line by line: the first line the layout put on the page.
    probe.gotoStart(False)
    cursor.gotoRange(probe, False)
    For steps = 1 To 100000
        cursor.gotoEndOfLine(False)
        If Not cursor.goRight(1, False) Then Exit Function
        ' Right of a line's end can be the second character of the next line.
        cursor.gotoStartOfLine(False)
        If cursor.getPage() >= page Then
            Continuation = cursor.getText().createTextCursorByRange(cursor.getStart())
            Exit Function
        End If
    Next
End Function

Sub AddCellMark(position As Object, page As Long)
    If cellCount > UBound(cellStarts) Then
        ReDim Preserve cellStarts(cellCount * 2) As Object
        ReDim Preserve cellMarks(cellCount * 2) As String
    End If
    cellCount = cellCount + 1
    cellStarts(cellCount - 1) = position
    cellMarks(cellCount - 1) = "@PAGE_MARK_PREFIX@" & Format(page, "@MARK_NUMBER_FORMAT@") & "@CELL_MARK_INFIX@" & cellCount
End Sub
