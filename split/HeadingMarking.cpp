#include "split/HeadingMarking.h"

#include "base/Failure.h"
#include "slicer/PagePlan.h"
#include "slicer/PartPlan.h"

namespace fk {

office::BasicModule HeadingMarking::module() {
    // The paragraphs of the body's text come in order, those of its sections among them; a table
    // comes as one element, which is not a paragraph. Where each heading starts is taken before the
    // first mark goes in, as the page marks are. The answer opens with the count, so that it is never
    // an empty array, which Basic hands back as no array at all.
    const QString source =
        QStringLiteral(R"(Option Explicit

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
        bookmark.setName("%1" & Format(k + 1, "%2"))
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
)")
            .arg(QString::fromUtf8(slicer::HeadingMarkPrefix().data(),
                                   static_cast<qsizetype>(slicer::HeadingMarkPrefix().size())),
                 QString(slicer::kPageNumberDigits, QLatin1Char('0')));
    return {QStringLiteral("FolioknifeSplit"), QStringLiteral("HeadingMarks"), source};
}

std::vector<std::string> HeadingMarking::headingsFromAnswer(const QStringList& answer) {
    bool isNumber = false;
    const qsizetype count = answer.isEmpty() ? -1 : answer.first().toLongLong(&isNumber);
    if (!isNumber || count < 0 || count != answer.size() - 1) {
        throw Failure::officeRefused(QStringLiteral("the office's heading marking answered %1 entries for %2")
                                         .arg(answer.size())
                                         .arg(answer.isEmpty() ? QString() : answer.first()));
    }
    std::vector<std::string> headings;
    headings.reserve(static_cast<size_t>(count));
    for (qsizetype k = 1; k < answer.size(); ++k) headings.push_back(answer.at(k).simplified().toStdString());
    return headings;
}

std::vector<std::string> HeadingMarking::mark(const office::DocumentRef& document, int deepestLevel) {
    const std::optional<QStringList> answer =
        documents_.runBasic(module(), kFunction, document, QString::number(deepestLevel));
    if (!answer)
        throw Failure(FailureKind::OfficeRefused,
                      QStringLiteral("the office runs no Basic, which finding the headings needs"));
    return headingsFromAnswer(*answer);
}

}  // namespace fk
