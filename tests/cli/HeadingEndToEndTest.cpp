// folioknife-split --at heading:N on generated books: one document per chapter (or section), which
// together hold the book's words, open on their heading page's style and go on numbering as the book.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "DocumentWords.h"
#include "QtPrinters.h"
#include "TestOffice.h"
#include "fsutil/ProgramFolder.h"
#include "split/OfficeSession.h"

using namespace fk;
using namespace fk::test;

namespace {

const QStringList kChapterNames{"one", "two", "three", "four", "five"};

// A book of five numbered chapters, each a few paragraphs long, with or without a title before the
// first. Chapters 1 and 4 open a page in the "Chapter" page style (wider margins, a header); the others
// begin wherever the chapter before ends, in mid-page. Chapter 3 has a section (heading level 2), and
// chapters 2 and 4 a footnote each.
QString BookXml(bool titleMatter) {
    const auto words = [](const QString& tag, int count) {
        QStringList list;
        for (int i = 0; i < count; ++i) list << QStringLiteral("%1w%2").arg(tag).arg(i);
        return list.join(QLatin1Char(' '));
    };
    QString body;
    if (titleMatter)
        body += QStringLiteral("<text:p text:style-name=\"Text\">Title %1</text:p>").arg(words("front", 20));
    for (int chapter = 1; chapter <= 5; ++chapter) {
        const bool opensPage = chapter == 1 || chapter == 4;
        body += QStringLiteral("<text:h text:style-name=\"%1\" text:outline-level=\"1\">Chapter %2</text:h>")
                    .arg(opensPage ? QStringLiteral("ChapterBreak") : QStringLiteral("Heading_20_1"),
                         kChapterNames[chapter - 1]);
        for (int paragraph = 0; paragraph < 3; ++paragraph) {
            const QString note =
                paragraph == 1 && (chapter == 2 || chapter == 4)
                    ? QStringLiteral(
                          "<text:note text:id=\"n%1\" text:note-class=\"footnote\"><text:note-citation>"
                          "1</text:note-citation><text:note-body><text:p>note%1</text:p></text:note-body>"
                          "</text:note>")
                          .arg(chapter)
                    : QString();
            body += QStringLiteral("<text:p text:style-name=\"Text\">%1%2</text:p>")
                        .arg(words(QStringLiteral("c%1p%2").arg(chapter).arg(paragraph), 40), note);
        }
        if (chapter == 3) {
            body += QStringLiteral(
                        "<text:h text:style-name=\"Heading_20_2\" text:outline-level=\"2\">Section inside "
                        "three</text:h><text:p text:style-name=\"Text\">%1</text:p>")
                        .arg(words(QStringLiteral("c3s"), 30));
        }
    }
    return QStringLiteral(
               R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:styles>
<style:style style:name="Standard" style:family="paragraph"/>
<style:style style:name="Text" style:family="paragraph"><style:paragraph-properties fo:margin-bottom="0.3cm"/><style:text-properties fo:font-size="12pt"/></style:style>
<style:style style:name="Heading_20_1" style:display-name="Heading 1" style:family="paragraph" style:default-outline-level="1"><style:paragraph-properties fo:margin-top="0.6cm" fo:margin-bottom="0.3cm"/><style:text-properties fo:font-size="18pt" fo:font-weight="bold"/></style:style>
<style:style style:name="Heading_20_2" style:display-name="Heading 2" style:family="paragraph" style:default-outline-level="2"><style:text-properties fo:font-size="14pt" fo:font-weight="bold"/></style:style>
<text:outline-style style:name="Outline">
<text:outline-level-style text:level="1" style:num-format="1" style:num-suffix="."/>
<text:outline-level-style text:level="2" style:num-format="1" text:display-levels="2"/>
</text:outline-style>
</office:styles>
<office:automatic-styles>
<style:style style:name="ChapterBreak" style:family="paragraph" style:parent-style-name="Heading_20_1" style:master-page-name="Chapter"><style:paragraph-properties fo:break-before="page"/></style:style>
<style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="2cm" fo:margin-bottom="2cm" fo:margin-left="2cm" fo:margin-right="2cm"/></style:page-layout>
<style:page-layout style:name="pm2"><style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="2cm" fo:margin-bottom="2cm" fo:margin-left="4cm" fo:margin-right="4cm"/><style:header-style/></style:page-layout>
</office:automatic-styles>
<office:master-styles>
<style:master-page style:name="Standard" style:page-layout-name="pm1"/>
<style:master-page style:name="Chapter" style:page-layout-name="pm2"><style:header><text:p>Chapter header</text:p></style:header></style:master-page>
</office:master-styles>
<office:body><office:text>%1</office:text></office:body></office:document>
)")
        .arg(body);
}

// The words of an output's body (notes included), numbers left out: a note's citation is rewritten.
WordCounts BodyWords(const QString& odtPath) {
    QXmlStreamReader xml(ContentXml(odtPath));
    WordCounts words;
    int inBody = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("text") &&
            xml.namespaceUri().contains(QLatin1String(":office:")))
            ++inBody;
        if (xml.isCharacters() && inBody > 0) CountWords(xml.text().toString(), words);
    }
    static const QRegularExpression number(QStringLiteral("^\\d+$"));
    words.removeIf([](const auto& word) { return number.match(word.key()).hasMatch(); });
    return words;
}

class HeadingEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { office_ = new TestOffice; }
    static void TearDownTestSuite() { delete office_; }

    QString book(const QString& name, bool titleMatter) const {
        const QString path = work_.filePath(name + QStringLiteral(".fodt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(BookXml(titleMatter).toUtf8());
        return path;
    }

    struct Run {
        int exitCode = -1;
        QString out, err;
        QJsonObject record;  // the JSON report's record of the one document
        QStringList outputs;
    };
    Run split(const QString& input, const QString& at, const QStringList& more = {}) const {
        const QString out =
            work_.filePath(QStringLiteral("out-") + at.section(QLatin1Char(':'), 1) + more.join(QString()));
        QDir(out).removeRecursively();
        QProcess process;
        process.setProcessEnvironment(SplitEnvironment(work_.path()));
        const QString report = work_.filePath(QStringLiteral("report.json"));
        process.start(ProgramFolder() + QStringLiteral("/folioknife-split"),
                      QStringList{QStringLiteral("--at"), at, QStringLiteral("--json"), report,
                                  QStringLiteral("-o"), out} +
                          more + QStringList{input});
        EXPECT_TRUE(process.waitForFinished(300000));
        Run run{process.exitCode(),
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError()),
                {},
                {}};
        QFile json(report);
        if (json.open(QIODevice::ReadOnly))
            run.record = QJsonDocument::fromJson(json.readAll())["documents"].toArray().first().toObject();
        for (const QString& name : QDir(out).entryList(QDir::Files, QDir::Name))
            run.outputs << out + "/" + name;
        return run;
    }

    // The text of a document as the office prints it, number labels included, without white space.
    static QString PrintedText(const QString& path) {
        const QString pdf = path + QStringLiteral(".pdf");
        office_->storeAsPdf(path, pdf);
        // Without spaces: a label and its heading stand a tab apart, which shows as a space or none.
        return PdfText(pdf, {QStringLiteral("-layout")}).remove(QRegularExpression(QStringLiteral("\\s")));
    }

    // The page style the office lays a document's first page out in.
    static QString FirstPageStyle(const QString& path) {
        office::DocumentStore& office = office_->documents();
        const office::DocumentRef document = office.load(ToFileUrl(path), {.hidden = true, .readOnly = true});
        office.completeLayout(document);
        office::PageCursor& cursor = office_->session().cursor();
        cursor.move(document, office::CursorMove::toFirstPage());
        const QString style = cursor.pageStyle(document);
        office.close(document);
        return style;
    }

    static QStringList Headings(const QJsonObject& record) {
        QStringList headings;
        for (const QJsonValue& part : record["parts"].toArray()) headings << part["heading"].toString();
        return headings;
    }

    static TestOffice* office_;
    QTemporaryDir work_;
};

TestOffice* HeadingEndToEnd::office_ = nullptr;

}  // namespace

TEST_F(HeadingEndToEnd, FiveChaptersGiveFiveDocumentsThatTogetherHoldTheBooksWords) {
    const QString input = book(QStringLiteral("chapters"), false);
    const QByteArray before = FileDigest(input);
    const Run run = split(input, QStringLiteral("heading:1"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QLatin1String("5 parts written"))) << run.out.toStdString();
    ASSERT_EQ(run.outputs.size(), 5);
    EXPECT_EQ(FileDigest(input), before) << "the input is never changed";

    // The book as the office stores it, beside the parts.
    const QString whole = office_->storeAsOdt(input, work_.filePath(QStringLiteral("whole.odt")));
    WordCounts together;
    for (const QString& output : run.outputs) {
        EXPECT_TRUE(IsOdtPackage(output)) << output.toStdString();
        AddWords(together, BodyWords(output));
    }
    EXPECT_EQ(together, BodyWords(whole));
    for (int chapter = 1; chapter <= 5; ++chapter) {
        const WordCounts words = BodyWords(run.outputs[chapter - 1]);
        EXPECT_TRUE(words.contains(kChapterNames[chapter - 1])) << chapter;
        EXPECT_TRUE(words.contains(QStringLiteral("c%1p2w39").arg(chapter))) << "its last word, " << chapter;
    }

    EXPECT_EQ(Headings(run.record), (QStringList{"1. Chapter one", "2. Chapter two", "3. Chapter three",
                                                 "4. Chapter four", "5. Chapter five"}));
    int previousLast = 1;
    for (const QJsonValue& part : run.record["parts"].toArray()) {
        const int first = part["pages"][0].toInt(), last = part["pages"][1].toInt();
        EXPECT_LE(first, last);
        EXPECT_GE(first, previousLast) << "parts follow each other";
        EXPECT_LE(first, previousLast + 1) << "no page between them";
        previousLast = last;
    }
    EXPECT_EQ(previousLast, run.record["pages"].toInt());
}

TEST_F(HeadingEndToEnd, AChapterInMidPageOpensAFreshPageInItsStyleAndNumbersGoOn) {
    const QString input = book(QStringLiteral("book"), true);
    const Run run = split(input, QStringLiteral("heading:1"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.outputs.size(), 6) << "the title is a part of its own";
    EXPECT_EQ(Headings(run.record).first(), QString());
    EXPECT_TRUE(BodyWords(run.outputs[0]).contains(QStringLiteral("frontw0")));
    EXPECT_FALSE(BodyWords(run.outputs[0]).contains(QStringLiteral("one")));

    // Chapter 2 begins in mid-page on a page of the "Chapter" style, which chapter 1 opened: its part
    // opens a page of that style, with the chapter's heading on top.
    const QJsonArray parts = run.record["parts"].toArray();
    EXPECT_EQ(parts[2]["pages"][0].toInt(), parts[1]["pages"][1].toInt()) << "chapters 1 and 2 share a page";
    EXPECT_EQ(FirstPageStyle(run.outputs[2]), "Chapter");
    EXPECT_EQ(FirstPageStyle(run.outputs[0]), "Standard");
    const QString two = PrintedText(run.outputs[2]);
    EXPECT_TRUE(two.startsWith(QLatin1String("Chapterheader2.Chaptertwo"))) << two.toStdString();

    // Chapter 3 (part 4) still reads 3, its section 3.1; chapter 4's footnote is the book's second.
    const QString three = PrintedText(run.outputs[3]);
    EXPECT_TRUE(three.contains(QLatin1String("3.Chapterthree"))) << three.toStdString();
    EXPECT_TRUE(three.contains(QLatin1String("3.1Sectioninsidethree"))) << three.toStdString();
    const QString four = PrintedText(run.outputs[4]);
    EXPECT_TRUE(four.contains(QLatin1String("4.Chapterfour"))) << four.toStdString();
    EXPECT_TRUE(four.contains(QLatin1String("2note4"))) << four.toStdString();
}

TEST_F(HeadingEndToEnd, LevelTwoCutsAtSectionsToo) {
    const QString input = book(QStringLiteral("book"), true);
    const Run run = split(input, QStringLiteral("heading:2"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Headings(run.record),
              (QStringList{"", "1. Chapter one", "2. Chapter two", "3. Chapter three",
                           "3.1 Section inside three", "4. Chapter four", "5. Chapter five"}));
    ASSERT_EQ(run.outputs.size(), 7);
    const WordCounts three = BodyWords(run.outputs[3]);
    EXPECT_TRUE(three.contains(QStringLiteral("c3p2w39")));
    EXPECT_FALSE(three.contains(QStringLiteral("c3sw0"))) << "the section is a part of its own";
    EXPECT_TRUE(BodyWords(run.outputs[4]).contains(QStringLiteral("c3sw29")));
}

TEST_F(HeadingEndToEnd, PartsAsPdfAreTheOfficesRenderingOfEachPart) {
    const QString input = book(QStringLiteral("book"), true);
    const Run run =
        split(input, QStringLiteral("heading:1"), {QStringLiteral("--format"), QStringLiteral("pdf")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.outputs.size(), 6);
    for (int part = 1; part <= 6; ++part)
        EXPECT_TRUE(
            run.outputs[part - 1].endsWith(QStringLiteral("_%1.pdf").arg(part, 4, 10, QLatin1Char('0'))));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {run.outputs[3], QStringLiteral("-")});
    text.waitForFinished(60000);
    const QString three =
        QString::fromUtf8(text.readAllStandardOutput()).remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_TRUE(three.contains(QLatin1String("3.Chapterthree"))) << three.toStdString();
    EXPECT_FALSE(three.contains(QLatin1String("4.Chapterfour"))) << "a part holds its chapter only";
}
