Option Explicit

' Marks the start of every heading of the body down to a level. The paragraphs of the body's text
' come in order, those of its sections among them; a table comes as one element, which is not a
' paragraph. Where each heading starts is taken before the first mark goes in, as the page marks are.
' The answer opens with the count, so that it is never an empty array, which Basic hands back as no
' array at all.

Function MarkHeadings(document As Object, deepest As String) As Variant
    Dim paragraphs As Object, paragraph As Object, bookmark As Object
    Dim deepestLevel As Integer, level As Integer, count As Long, k As Long, label As String
    Dim starts(15) As Object, texts(15) As String
    deepestLevel = CInt(deepest)
    count = 0
    paragraphs = document.getText().createEnumeration()
    Do While paragraphs.hasMoreElements()
        paragraph = paragraphs.nextElement()
        If paragraph.supportsService("com.sun.star.text.Paragraph") Then
            level = paragraph.OutlineLevel
            If level >= 1 And level <= deepestLevel Then
                If count > UBound(starts) Then
                    ReDim Preserve starts(2 * count) As Object
                    ReDim Preserve texts(2 * count) As String
                End If
                starts(count) = paragraph.getText().createTextCursorByRange(paragraph.getStart())
                label = ""
                If paragraph.getPropertySetInfo().hasPropertyByName("ListLabelString") Then label = paragraph.ListLabelString
                If label <> "" Then label = label & " "
                texts(count) = label & paragraph.getString()
                count = count + 1
            End If
        End If
    Loop
    ' Nobody undoes our marks and nobody sees them.
    document.getUndoManager().lock()
    document.lockControllers()
    For k = 0 To count - 1
        bookmark = document.createInstance("com.sun.star.text.Bookmark")
        bookmark.setName("@HEADING_MARK_PREFIX@" & Format(k + 1, "@MARK_NUMBER_FORMAT@"))
        starts(k).getText().insertTextContent(starts(k), bookmark, False)
    Next
    document.unlockControllers()
    document.getUndoManager().unlock()
    Dim answer(count) As String
    answer(0) = CStr(count)
    For k = 1 To count
        answer(k) = texts(k - 1)
    Next
    MarkHeadings = answer
End Function
