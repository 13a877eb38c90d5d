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
    ' the body's first paragraph.
    If Not settings.AddParaTableSpacingAtStart Then
        Dim first As Object
        first = document.getText().createEnumeration().nextElement()
        If first.supportsService("com.sun.star.text.Paragraph") Then
            If first.ParaTopMargin <> 0 Then
                first.ParaTopMargin = 0
                made = made & " top-spacing"
            End If
        End If
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
