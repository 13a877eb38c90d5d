// folioknife-split on generated documents, one kind of page the slicer once wrote unlike its input per
// case: every printed page becomes one output that prints as one page and shows what the input's page
// shows, its header and footer included.
#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>

#include "DocumentWords.h"
#include "FlatDocuments.h"
#include "QtPrinters.h"
#include "TestOffice.h"
#include "fsutil/ProgramFolder.h"

using namespace fk;
using namespace fk::test;

namespace {

QString Para(const QString& text, const QString& style = QStringLiteral("Standard")) {
    return QStringLiteral("<text:p text:style-name=\"%1\">%2</text:p>").arg(style, text);
}

QString Entries(const QString& style, int count) {
    QString entries;
    for (int entry = 1; entry <= count; ++entry)
        entries +=
            Para(QStringLiteral("%1 %2<text:tab/>%3").arg(Words(entry, 3)).arg(entry).arg(entry), style);
    return entries;
}

// Pages that start inside an index or a protected section.
QString TableOfContents() {
    return FlatOdt({Paragraphs(1, 3) +
                    "<text:table-of-content text:name=\"Contents\" text:protected=\"true\">"
                    "<text:table-of-content-source text:outline-level=\"3\"/><text:index-body>"
                    "<text:index-title text:name=\"Contents_Head\">" +
                    Para("Contents", "Contents_20_Heading") + "</text:index-title>" +
                    Entries("Contents_20_1", 150) + "</text:index-body></text:table-of-content>" +
                    Paragraphs(9, 4)});
}

QString ProtectedSection() {
    return FlatOdt({Paragraphs(1, 3) + "<text:section text:name=\"Locked\" text:protected=\"true\">" +
                    Paragraphs(20, 20) + "</text:section>" + Paragraphs(50, 3)});
}

// A row with a minimum height whose first cell runs over the page.
QString TallRowCutByThePage() {
    const auto cell = [](const QString& content) {
        return QStringLiteral("<table:table-cell>%1</table:table-cell>").arg(content);
    };
    const auto row = [&](const QString& a, const QString& b) {
        return QStringLiteral("<table:table-row table:style-name=\"Tall\">%1%2</table:table-row>")
            .arg(cell(a), cell(b));
    };
    return FlatOdt({Paragraphs(1, 3, 80) +
                        "<table:table table:name=\"T\" table:style-name=\"Table\">"
                        "<table:table-column table:number-columns-repeated=\"2\"/>" +
                        row(Para(Words(1, 20)), Para(Words(2, 20))) +
                        row(Paragraphs(3, 9, 70), Para(Words(4, 30))) + row(Para("a"), Para("b")) +
                        "</table:table>" + Paragraphs(90, 2),
                    "<style:style style:name=\"Table\" style:family=\"table\"><style:table-properties "
                    "style:width=\"17cm\" table:align=\"left\" fo:margin-bottom=\"1cm\"/></style:style>"
                    "<style:style style:name=\"Tall\" style:family=\"table-row\"><style:table-row-properties "
                    "style:min-row-height=\"4.2cm\"/></style:style>"});
}

// Rows that may break, whose cells keep room below their text: the part of a cut row on the page before
// has none, its text running down to the border.
QString RowsWithRoomBelowCutByThePage() {
    QString rows;
    for (int row = 1; row <= 6; ++row)
        rows += QStringLiteral(
                    "<table:table-row table:style-name=\"Row\"><table:table-cell table:style-name=\"Cell\">"
                    "%1</table:table-cell><table:table-cell table:style-name=\"Cell\">%2</table:table-cell>"
                    "</table:table-row>")
                    .arg(Para(Words(600 + row, 3), "Spaced"), Para(Words(610 + row, 300), "Spaced"));
    return FlatOdt(
        {Paragraphs(1, 2) +
             "<table:table table:name=\"T\"><table:table-column "
             "table:number-columns-repeated=\"2\"/>" +
             rows + "</table:table>",
         "<style:style style:name=\"Cell\" style:family=\"table-cell\"><style:table-cell-properties "
         "fo:padding=\"0.1cm\" fo:padding-bottom=\"0.3cm\" fo:border=\"0.5pt solid #000000\"/>"
         "</style:style><style:style style:name=\"Row\" "
         "style:family=\"table-row\"><style:table-row-properties "
         "fo:keep-together=\"auto\"/></style:style><style:style style:name=\"Spaced\" "
         "style:family=\"paragraph\" style:parent-style-name=\"Standard\"><style:paragraph-properties "
         "fo:line-height=\"150%\" fo:margin-bottom=\"0.2cm\" fo:orphans=\"0\" fo:widows=\"0\"/>"
         "</style:style>"});
}

// A page style whose first page has a header and footer of its own.
QString FirstPageHeader() {
    return FlatOdt(
        {Paragraphs(1, 16, 90),
         "<style:page-layout style:name=\"Layout\"><style:page-layout-properties fo:page-width=\"21cm\" "
         "fo:page-height=\"29.7cm\" fo:margin-top=\"2cm\" fo:margin-bottom=\"2cm\" fo:margin-left=\"2cm\" "
         "fo:margin-right=\"2cm\"/><style:header-style><style:header-footer-properties fo:min-height=\"0cm\" "
         "fo:margin-bottom=\"0.5cm\"/></"
         "style:header-style><style:footer-style><style:header-footer-properties "
         "fo:min-height=\"0cm\" fo:margin-top=\"0.5cm\"/></style:footer-style></style:page-layout>",
         "<style:master-page style:name=\"Standard\" style:page-layout-name=\"Layout\">"
         "<style:header><text:p>Running head</text:p></style:header>"
         "<style:header-first><text:p>Confidential cover head</text:p></style:header-first>"
         "<style:footer><text:p>Page <text:page-number "
         "text:select-page=\"current\">1</text:page-number></text:p>"
         "</style:footer><style:footer-first><text:p>Cover "
         "foot</text:p></style:footer-first></style:master-page>"});
}

// Headings numbered by a list as Word documents number them: each heading a list of its own that goes on
// with the first, a section's heading in an item that only wraps the deeper level ("2.1" after "2").
QString HeadingsNumberedByAList() {
    QString body;
    const auto heading = [&](int chapter, int section) {
        const QString label = section ? QStringLiteral("Section %1 %2").arg(chapter).arg(section)
                                      : QStringLiteral("Chapter %1").arg(chapter);
        QString item = QStringLiteral("<text:list-item>%1</text:list-item>").arg(Para(label));
        if (section)
            item = QStringLiteral("<text:list-item><text:list>%1</text:list></text:list-item>").arg(item);
        const QString id = chapter == 1 && !section ? QStringLiteral(" xml:id=\"headings\"")
                                                    : QStringLiteral(" text:continue-list=\"headings\"");
        return QStringLiteral("<text:list text:style-name=\"Numbers\"%1>%2</text:list>").arg(id, item);
    };
    for (int chapter = 1; chapter <= 5; ++chapter) {
        body += heading(chapter, 0) + Paragraphs(chapter * 100, 4, 80);
        for (int section = 1; section <= 2; ++section)
            body += heading(chapter, section) + Paragraphs(chapter * 100 + section * 10, 3, 80);
    }
    return FlatOdt(
        {body,
         "<text:list-style style:name=\"Numbers\"><text:list-level-style-number text:level=\"1\" "
         "style:num-format=\"1\" style:num-suffix=\".\"/><text:list-level-style-number text:level=\"2\" "
         "style:num-format=\"1\" text:display-levels=\"2\"/></text:list-style>"});
}

// Whole paragraphs deleted under change tracking, the changes hidden: one deletion where a page starts
// after a page break, one where a page starts as the text flows, one in mid-page.
QString HiddenParagraphDeletions() {
    const auto deletion = [](const QString& id, int seed) {
        return QStringLiteral(
                   "<text:changed-region xml:id=\"%1\" text:id=\"%1\"><text:deletion><office:change-info>"
                   "<dc:creator>Reviewer</dc:creator><dc:date>2026-01-01T10:00:00</dc:date>"
                   "</office:change-info>%2<text:p/></text:deletion></text:changed-region>")
            .arg(id, Paragraphs(seed, 2, 40));
    };
    const auto point = [](const QString& id) {
        return QStringLiteral("<text:change text:change-id=\"%1\"/>").arg(id);
    };
    // Tall paragraphs of one line: four fit on a page, so the fifth opens the next as the text flows.
    QString tall;
    for (int line = 1; line <= 8; ++line)
        tall += Para((line == 5 ? point(QStringLiteral("flow")) : QString()) + Words(300 + line, 5),
                     line == 1 ? QStringLiteral("TallOnANewPage") : QStringLiteral("Tall"));
    return FlatOdt(
        {"<text:tracked-changes>" + deletion(QStringLiteral("broken"), 10) +
             deletion(QStringLiteral("flow"), 20) + deletion(QStringLiteral("middle"), 30) +
             "</text:tracked-changes>" + Paragraphs(1, 3) +
             Para(point(QStringLiteral("broken")) + Words(40, 50), QStringLiteral("Break")) +
             Paragraphs(41, 1) + Para(point(QStringLiteral("middle")) + Words(42, 50)) + tall,
         "<style:style style:name=\"Break\" style:family=\"paragraph\"><style:paragraph-properties "
         "fo:break-before=\"page\"/></style:style><style:style style:name=\"Tall\" "
         "style:family=\"paragraph\"><style:paragraph-properties fo:margin-bottom=\"6cm\"/>"
         "</style:style><style:style style:name=\"TallOnANewPage\" style:family=\"paragraph\">"
         "<style:paragraph-properties fo:break-before=\"page\" fo:margin-bottom=\"6cm\"/>"
         "</style:style>",
         {},
         "<config:config-item-set config:name=\"ooo:view-settings\"><config:config-item "
         "config:name=\"ShowRedlineChanges\" config:type=\"boolean\">false</config:config-item>"
         "</config:config-item-set>"});
}

// A picture anchored to a page's last paragraph that no longer fits under it: following the text flow, the
// layout draws it at the top of the next page, where the text makes way for it.
QString PictureDrawnOnTheNextPage() {
    const QString picture = QStringLiteral(
        "<draw:frame draw:style-name=\"Picture\" draw:name=\"Drawn later\" text:anchor-type=\"paragraph\" "
        "svg:y=\"1.5cm\" svg:width=\"8cm\" svg:height=\"9cm\"><draw:image><office:binary-data>"
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGMwTjsDAAI1AWaKkkQyAAAAAElFTkSuQmCC"
        "</office:binary-data></draw:image></draw:frame>");
    QString body;
    for (int paragraph = 1; paragraph <= 9; ++paragraph)
        body += Para((paragraph == 5 ? picture : QString()) + Words(500 + paragraph, 4),
                     QStringLiteral("Spaced"));
    return FlatOdt(
        {body,
         "<style:style style:name=\"Spaced\" style:family=\"paragraph\"><style:paragraph-properties "
         "fo:margin-bottom=\"5cm\"/></style:style><style:style style:name=\"Picture\" "
         "style:family=\"graphic\"><style:graphic-properties style:wrap=\"none\" "
         "style:vertical-pos=\"from-top\" style:vertical-rel=\"paragraph\" style:flow-with-text=\"true\" "
         "style:horizontal-pos=\"center\" style:horizontal-rel=\"paragraph\"/></style:style>"});
}

// A footnote of `noteParagraphs` cited near a page's foot, followed by `paragraphsAfter` paragraphs.
QString FootnoteCitedNearAPageFoot(int noteParagraphs, int paragraphsAfter) {
    const QString note = QStringLiteral(
                             "<text:note text:id=\"ftn1\" text:note-class=\"footnote\"><text:note-citation>1"
                             "</text:note-citation><text:note-body>%1</text:note-body></text:note>")
                             .arg(Paragraphs(700, noteParagraphs, 150));
    return FlatOdt(
        {Paragraphs(1, 9) + Para(Words(20, 30) + note + Words(21, 20)) + Paragraphs(30, paragraphsAfter)});
}

// A footnote the page cannot hold whole: the layout goes on with it at the foot of the next page.
QString FootnoteGoingOnOnTheNextPage() {
    return FootnoteCitedNearAPageFoot(2, 8);
}

// A footnote too long for two pages' feet: the layout goes on with it over the feet of two more.
QString FootnoteGoingOnOverPages() {
    return FootnoteCitedNearAPageFoot(9, 16);
}

// A long paragraph of one-word reference fields, as an index of names lists them: every page after the
// first opens with a field.
QString PagesOpeningWithAField() {
    QString targets, references;
    for (int word = 1; word <= 12; ++word)
        targets += QStringLiteral(
                       "<text:bookmark-start text:name=\"w%1\"/>%2<text:bookmark-end text:name=\"w%1\"/> ")
                       .arg(word)
                       .arg(Words(800 + word, 1));
    for (int reference = 0; reference < 1400; ++reference)
        references += QStringLiteral(
                          "<text:bookmark-ref text:reference-format=\"text\" text:ref-name=\"w%1\">%2"
                          "</text:bookmark-ref>, ")
                          .arg(reference % 12 + 1)
                          .arg(Words(800 + reference % 12 + 1, 1));
    return FlatOdt({Para(targets) + Paragraphs(1, 2) + Para(QStringLiteral("Listed: ") + references)});
}

// A table whose heading row has cells reaching into the first row below it: the heading repeated on later
// pages shows them down to the heading's end only.
QString HeadingRowsReachingBelowTheHeading() {
    const auto cell = [](const QString& text, const QString& span = {}) {
        return QStringLiteral("<table:table-cell%1>%2</table:table-cell>").arg(span, Para(text));
    };
    const QString covered = QStringLiteral("<table:covered-table-cell/>");
    QString rows;
    for (int row = 1; row <= 90; ++row)
        rows += QStringLiteral("<table:table-row>%1</table:table-row>")
                    .arg(cell(QString::number(row)) + cell(Words(900 + row, 2)) + cell(Words(950 + row, 1)) +
                         cell(Words(980 + row, 1)));
    return FlatOdt({Paragraphs(1, 2) +
                    "<table:table table:name=\"T\"><table:table-column table:number-columns-repeated=\"4\"/>"
                    "<table:table-header-rows><table:table-row>" +
                    cell(QStringLiteral("Number"), QStringLiteral(" table:number-rows-spanned=\"2\"")) +
                    cell(QStringLiteral("Name"), QStringLiteral(" table:number-rows-spanned=\"2\"")) +
                    cell(QStringLiteral("Seen in"), QStringLiteral(" table:number-columns-spanned=\"2\"")) +
                    covered + "</table:table-row></table:table-header-rows><table:table-row>" + covered +
                    covered + cell(QStringLiteral("spring")) + cell(QStringLiteral("autumn")) +
                    "</table:table-row>" + rows + "</table:table>" + Paragraphs(2, 1)});
}

// References to bookmarks the document does not hold, stored with the text another word processor showed for
// them: the office shows its own error in their place.
QString ReferencesToNothing() {
    QString body;
    for (int paragraph = 1; paragraph <= 40; ++paragraph)
        body += Para(
            Words(600 + paragraph, 12) +
            QStringLiteral(" <text:bookmark-ref text:reference-format=\"number\" text:ref-name=\"gone%1\">"
                           "Error! Reference source not found.</text:bookmark-ref>")
                .arg(paragraph));
    return FlatOdt({body});
}

// References stored with a text far longer than their target's: the office updates every field before
// it prints, so the pages it prints hold more paragraphs than those of the file as it loads.
QString ReferencesStoredWithAnotherText() {
    QString body = Para(QStringLiteral("<text:bookmark text:name=\"short\"/>See"));
    for (int paragraph = 1; paragraph <= 60; ++paragraph)
        body +=
            Para(Words(700 + paragraph, 15) +
                 QStringLiteral(" <text:bookmark-ref text:reference-format=\"text\" text:ref-name=\"short\">"
                                "%1</text:bookmark-ref>")
                     .arg(Words(800 + paragraph, 40)));
    return FlatOdt({body});
}

// References to bookmarks the document does not hold, each the whole of a narrow cell, as Word files
// have them, in rows that may break: the pages divide some of them.
constexpr int kDividedReferences = 70;
QString ReferencesInNarrowCells() {
    QString rows;
    for (int row = 1; row <= kDividedReferences; ++row)
        rows += QStringLiteral(
                    "<table:table-row table:style-name=\"Row\"><table:table-cell>%1</table:table-cell>"
                    "<table:table-cell>%2"
                    "</table:table-cell></table:table-row>")
                    .arg(Para(Words(500 + row, 4)),
                         Para(QStringLiteral("§<text:bookmark-ref text:reference-format=\"number\" "
                                             "text:ref-name=\"gone%1\">Error! Reference source not found."
                                             "</text:bookmark-ref>")
                                  .arg(row)));
    return FlatOdt(
        {"<table:table table:name=\"T\" table:style-name=\"Table\"><table:table-column "
         "table:style-name=\"Wide\"/><table:table-column table:style-name=\"Narrow\"/>" +
             rows + "</table:table>",
         "<style:style style:name=\"Table\" style:family=\"table\"><style:table-properties "
         "style:width=\"16cm\" table:align=\"left\"/></style:style><style:style "
         "style:name=\"Wide\" style:family=\"table-column\"><style:table-column-properties "
         "style:column-width=\"14.6cm\"/></style:style><style:style style:name=\"Narrow\" "
         "style:family=\"table-column\"><style:table-column-properties "
         "style:column-width=\"1.4cm\"/></style:style><style:style style:name=\"Row\" "
         "style:family=\"table-row\"><style:table-row-properties fo:keep-together=\"auto\"/>"
         "</style:style>"});
}

// Long items of a bulleted list indented by the list alone: the pages cut items inside their text.
QString ListItemsIndentedByTheList() {
    QString items;
    for (int item = 1; item <= 14; ++item)
        items += QStringLiteral("<text:list-item>%1</text:list-item>").arg(Para(Words(400 + item, 110)));
    return FlatOdt(
        {Paragraphs(1, 2) + "<text:list text:style-name=\"Bullets\">" + items + "</text:list>",
         "<text:list-style style:name=\"Bullets\"><text:list-level-style-bullet text:level=\"1\" "
         "text:bullet-char=\"•\"><style:list-level-properties "
         "text:list-level-position-and-space-mode=\"label-alignment\"><style:list-level-label-alignment "
         "text:label-followed-by=\"listtab\" text:list-tab-stop-position=\"2.5cm\" "
         "fo:text-indent=\"-0.5cm\" fo:margin-left=\"2.5cm\"/></style:list-level-properties>"
         "</text:list-level-style-bullet></text:list-style>"});
}

class PageFidelityEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { office_ = new TestOffice; }
    static void TearDownTestSuite() { delete office_; }

    // The text of each page as the office prints the document, white space left out; with `lineStarts`, each
    // line kept apart with the room before it, which tells where it begins.
    QStringList PrintedPages(const QString& path, bool lineStarts = false) const {
        const QString pdf = work_.filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".pdf"));
        office_->storeAsPdf(path, pdf);
        QStringList options{QStringLiteral("-enc"), QStringLiteral("UTF-8")};
        if (lineStarts) options << QStringLiteral("-layout");
        QStringList pages = PdfText(pdf, options).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
        static const QRegularExpression space(QStringLiteral("\\s")), trailing(QStringLiteral("\\s+\\n"));
        for (QString& page : pages) {
            if (lineStarts)
                page = page.replace(trailing, QStringLiteral("\n")).trimmed();
            else
                page.remove(space);
        }
        return pages;
    }

    // The outputs of a split that must succeed, in page order.
    QStringList Split(const QString& input) const {
        const QString out = work_.filePath(QFileInfo(input).completeBaseName() + QStringLiteral("-out"));
        QDir().mkpath(out);
        QProcess split;
        split.setProcessEnvironment(SplitEnvironment(work_.path()));
        split.start(ProgramFolder() + QStringLiteral("/folioknife-split"),
                    {QStringLiteral("-o"), out, input});
        split.waitForFinished(300000);
        const QString errors = QString::fromUtf8(split.readAllStandardError());
        EXPECT_EQ(split.exitCode(), 0) << errors.toStdString();
        EXPECT_FALSE(errors.contains(QLatin1String("approximate"))) << errors.toStdString();
        QStringList outputs;
        for (const QString& name :
             QDir(out).entryList({QStringLiteral("*_????.odt")}, QDir::Files, QDir::Name))
            outputs << out + QLatin1Char('/') + name;
        return outputs;
    }

    static TestOffice* office_;
    QTemporaryDir work_;
};

TestOffice* PageFidelityEndToEnd::office_ = nullptr;

TEST_F(PageFidelityEndToEnd, EveryPrintedPageIsOneOutputShowingWhatThePageShows) {
    const struct {
        const char* name;
        std::function<QString()> document;
        int atLeastPages;
        bool lineStarts = false;  // the lines must begin where the input's do
    } cases[] = {
        {"pages start inside a table of contents", TableOfContents, 3},
        {"pages start inside a protected section", ProtectedSection, 3},
        {"a row with a minimum height is cut by the page", TallRowCutByThePage, 2},
        {"rows whose cells keep room below their text, cut by the page", RowsWithRoomBelowCutByThePage, 3},
        {"later pages of a style with a first page of its own", FirstPageHeader, 3},
        {"headings numbered by a list, each level counted on its own", HeadingsNumberedByAList, 5},
        {"hidden tracked deletions of whole paragraphs", HiddenParagraphDeletions, 4},
        {"a picture anchored to the last paragraph of a page, drawn on the next", PictureDrawnOnTheNextPage,
         3},
        {"a footnote that goes on on the next page", FootnoteGoingOnOnTheNextPage, 3},
        {"a footnote that goes on over several pages", FootnoteGoingOnOverPages, 4},
        {"pages that open with a one-word field", PagesOpeningWithAField, 3},
        {"heading cells that reach below the repeated heading", HeadingRowsReachingBelowTheHeading, 3},
        {"references to bookmarks the document does not hold", ReferencesToNothing, 2},
        {"list items indented by the list, cut by the pages", ListItemsIndentedByTheList, 3, true},
        {"references stored with another text than their target's", ReferencesStoredWithAnotherText, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString input = office_->storeFlatAsOdt(
            c.document(),
            work_.filePath(QString::fromLatin1(c.name).replace(QLatin1Char(' '), QLatin1Char('-')) +
                           QStringLiteral(".odt")));
        const QStringList printed = PrintedPages(input, c.lineStarts);
        ASSERT_GE(printed.size(), c.atLeastPages) << "the document is not the case it should be";
        const QStringList outputs = Split(input);
        ASSERT_EQ(outputs.size(), printed.size());
        for (int page = 1; page <= printed.size(); ++page) {
            const QStringList shown = PrintedPages(outputs.at(page - 1), c.lineStarts);
            ASSERT_EQ(shown.size(), 1) << "page " << page;
            EXPECT_EQ(shown.first(), printed.at(page - 1)) << "page " << page;
        }
    }
}

// A field the page divides cannot be cut where the page does: no cursor stops inside it, so the page
// before took all of it and printed as two pages. Every output prints as one page, and each reference's
// text is printed once over the outputs.
TEST_F(PageFidelityEndToEnd, FieldsThatPagesDivideLeaveEveryOutputOnePage) {
    const QString input = office_->storeFlatAsOdt(ReferencesInNarrowCells(),
                                                  work_.filePath(QStringLiteral("divided-references.odt")));
    const QStringList printed = PrintedPages(input);
    ASSERT_GE(printed.size(), 3);
    const QString reference = QStringLiteral("Error:Referencesourcenotfound");
    const auto opensInsideAReference = [&](const QString& page) {
        for (qsizetype cut = 1; cut + 4 <= reference.size(); ++cut) {
            if (page.startsWith(reference.mid(cut))) return true;
        }
        return false;
    };
    ASSERT_TRUE(std::any_of(printed.cbegin() + 1, printed.cend(), opensInsideAReference))
        << "no page divides a reference";
    const QStringList outputs = Split(input);
    ASSERT_EQ(outputs.size(), printed.size());
    QString shown;
    for (int page = 1; page <= outputs.size(); ++page) {
        const QStringList pages = PrintedPages(outputs.at(page - 1));
        EXPECT_EQ(pages.size(), 1) << "page " << page;
        shown += pages.join(QString());
    }
    EXPECT_EQ(shown.count(QStringLiteral("found")), kDividedReferences);
}

}  // namespace
