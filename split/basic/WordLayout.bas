Option Explicit

' Runs on a loaded page just before the office stores it as Word. The office reads a Word file back
' with Word's own compatibility settings, not with the page's; where the page lays out otherwise, it is
' said here in terms that Word's file keeps. Answers what it changed, one word each.

Function KeepLayoutForWord(document As Object, unused As String) As Variant
    Dim settings As Object, made As String
    settings = document.createInstance("com.sun.star.text.DocumentSettings")
    made = ""
    ' Pages from older files lay their lines out without the fonts' external leading on this office's
    ' platform; Word's "no leading", which the office stores for AddExternalLeading off, says the same.
    ' Read back without it, every line grows and a full page runs onto a second one.
    If settings.UnxForceZeroExtLeading And settings.AddExternalLeading Then
        settings.AddExternalLeading = False
        made = made & " no-leading"
    End If
    ' Such pages also leave out the space below a cell's last paragraph, which Word adds.
    If Not settings.AddParaSpacingToTableCells Then
        If DropSpaceBelowCells(document) Then made = made & " cell-spacing"
    End If
    ' And the space above a page's first paragraph, which Word keeps; a page is one page, so that is
    ' the body's first paragraph that shows (those that carry a chapter's number into the page do not).
    If Not settings.AddParaTableSpacingAtStart Then
        Dim first As Object, blocks As Object
        blocks = document.getText().createEnumeration()
        first = blocks.nextElement()
        Do While HiddenByField(first) And blocks.hasMoreElements()
            first = blocks.nextElement()
        Loop
        If first.supportsService("com.sun.star.text.Paragraph") Then
            If first.ParaTopMargin <> 0 Then
                first.ParaTopMargin = 0
                made = made & " top-spacing"
            End If
        End If
    End If
    ' Word leaves the larger of a paragraph's space below and the next one's space above between them,
    ' where such a page adds the two (as the office's own files do): read back, a heading after text
    ' stood higher by the text's space below, and so did every line after it.
    If settings.AddParaTableSpacing Then
        If AddSpaceBelowToSpaceAbove(document) Then made = made & " added-spacing"
    End If
    ' Word has no field that hides a paragraph: read back, such a paragraph (the slicer's carriers of
    ' list numbers are some) shows, and a page break that the hidden paragraph kept from opening the
    ' page then leaves the page empty and moves everything onto a second one. Hidden text says it.
    If HideHiddenParagraphs(document) Then made = made & " hidden-paragraphs"
    If made = "" Then
        KeepLayoutForWord = Array()
    Else
        KeepLayoutForWord = Split(Trim(made), " ")
    End If
End Function

Function DropSpaceBelowCells(document As Object) As Boolean
    Dim tables As Object, table As Object, cell As Object, paragraphs As Object, last As Object
    Dim names As Variant, t As Long, c As Long, changed As Boolean, found As Boolean
    tables = document.getTextTables()
    For t = 0 To tables.getCount() - 1
        table = tables.getByIndex(t)
        names = table.getCellNames()
        For c = LBound(names) To UBound(names)
            cell = table.getCellByName(names(c))
            paragraphs = cell.getText().createEnumeration()
            found = False
            Do While paragraphs.hasMoreElements()
                last = paragraphs.nextElement()
                found = True
            Loop
            If found Then
                If last.supportsService("com.sun.star.text.Paragraph") Then
                    If last.ParaBottomMargin <> 0 Then
                        last.ParaBottomMargin = 0
                        changed = True
                    End If
                End If
            End If
        Next
    Next
    DropSpaceBelowCells = changed
End Function

' Each paragraph of the body that follows another on its page is given both spaces above, which Word
' then leaves between them; one that pictures are anchored to takes the space below the paragraph before
' as its own even where it has none above. A paragraph that opens a page (a page's mark at its start, in
' a document cut into pages afterwards) has nothing above it on its page and keeps its own.
Function AddSpaceBelowToSpaceAbove(document As Object) As Boolean
    Dim text As Object, marks As Object, names As Variant, anchor As Object
    Dim opening() As Object, openingCount As Long, nextOpening As Long, i As Long
    text = document.getText()
    marks = document.getBookmarks()
    names = marks.getElementNames()
    ReDim opening(UBound(names) + 1) As Object
    ' The office lists bookmarks in the order they stand in the document.
    For i = LBound(names) To UBound(names)
        If Left(names(i), Len("@PAGE_MARK_PREFIX@")) = "@PAGE_MARK_PREFIX@" Then
            anchor = marks.getByName(names(i)).getAnchor()
            If EqualUnoObjects(anchor.getText(), text) Then
                opening(openingCount) = anchor.getStart()
                openingCount = openingCount + 1
            End If
        End If
    Next
    Dim paragraphs As Object, paragraph As Object, before As Object, opens As Boolean, order As Integer
    Dim below As Long, above As Long, changed As Boolean, withObjects As Boolean, anchors As Boolean
    withObjects = HasAnchoredPictures(document)
    paragraphs = text.createEnumeration()
    Do While paragraphs.hasMoreElements()
        paragraph = paragraphs.nextElement()
        If Not paragraph.supportsService("com.sun.star.text.Paragraph") Then
            ' A table between them: the space around it is another matter.
            before = Nothing
        Else
            opens = False
            Do While nextOpening < openingCount
                order = text.compareRegionStarts(opening(nextOpening), paragraph)
                If order = 0 Then opens = True
                If order <> 1 Then Exit Do
                nextOpening = nextOpening + 1
            Loop
            If Not opens And Not IsNull(before) Then
                If Not (before Is Nothing) Then
                    below = before.ParaBottomMargin
                    above = paragraph.ParaTopMargin
                    anchors = False
                    If withObjects Then anchors = paragraph.createContentEnumeration("com.sun.star.text.TextContent").hasMoreElements()
                    If below > 0 And (above > 0 Or anchors) And Not SpacedAsOne(before, paragraph) Then
                        paragraph.ParaTopMargin = above + below
                        ' Read back from Word, the space below the paragraph before a picture's paragraph
                        ' stood both above the picture and between the picture and the text under it.
                        If anchors Then before.ParaBottomMargin = 0
                        changed = True
                    End If
                End If
            End If
            before = paragraph
        End If
    Loop
    AddSpaceBelowToSpaceAbove = changed
End Function

' Pictures, shapes or frames anchored to a paragraph or a character, which sit in the text's flow.
Function HasAnchoredPictures(document As Object) As Boolean
    Dim shapes As Object, i As Long, anchor As Long
    shapes = document.getDrawPage()
    For i = 0 To shapes.getCount() - 1
        anchor = shapes.getByIndex(i).AnchorType
        If anchor = com.sun.star.text.TextContentAnchorType.AT_PARAGRAPH Or _
           anchor = com.sun.star.text.TextContentAnchorType.AT_CHARACTER Then
            HasAnchoredPictures = True
            Exit Function
        End If
    Next
    HasAnchoredPictures = False
End Function

' Paragraphs of one style that leave no space between them (contextual spacing), in both formats.
Function SpacedAsOne(before As Object, paragraph As Object) As Boolean
    If before.ParaStyleName <> paragraph.ParaStyleName Then
        SpacedAsOne = False
    Else
        SpacedAsOne = before.ParaContextMargin Or paragraph.ParaContextMargin
    End If
End Function

' A paragraph that a hidden-paragraph field hides.
Function HiddenByField(block As Object) As Boolean
    Dim portions As Object, portion As Object
    HiddenByField = False
    If Not block.supportsService("com.sun.star.text.Paragraph") Then Exit Function
    portions = block.createEnumeration()
    Do While portions.hasMoreElements()
        portion = portions.nextElement()
        If portion.TextPortionType = "TextField" Then
            If portion.TextField.supportsService("com.sun.star.text.TextField.HiddenParagraph") Then
                If portion.TextField.IsHidden Then
                    HiddenByField = True
                    Exit Function
                End If
            End If
        End If
    Loop
End Function

Function HideHiddenParagraphs(document As Object) As Boolean
    Dim fields As Object, field As Object, cursor As Object, changed As Boolean
    fields = document.getTextFields().createEnumeration()
    Do While fields.hasMoreElements()
        field = fields.nextElement()
        If field.supportsService("com.sun.star.text.TextField.HiddenParagraph") Then
            If field.IsHidden Then
                cursor = field.getAnchor().getText().createTextCursorByRange(field.getAnchor())
                cursor.gotoStartOfParagraph(False)
                cursor.gotoEndOfParagraph(True)
                cursor.CharHidden = True
                changed = True
            End If
        End If
    Loop
    HideHiddenParagraphs = changed
End Function

Function DropsSpaceAtPageTop(document As Object, unused As String) As Variant
    Dim settings As Object
    settings = document.createInstance("com.sun.star.text.DocumentSettings")
    If settings.AddParaTableSpacingAtStart Then
        DropsSpaceAtPageTop = Array()
    Else
        DropsSpaceAtPageTop = Array("top-spacing")
    End If
End Function
