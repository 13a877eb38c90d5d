// folioknife-split's page slicer on the hard cases: every output is one page by the office's own count,
// and the outputs together hold the input's words, no fewer and no others.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "Corpus.h"
#include "DocumentWords.h"
#include "QtPrinters.h"
#include "TestOffice.h"
#include "fsutil/ProgramFolder.h"
#include "split/OfficeSession.h"

using namespace fk;
using namespace fk::test;

namespace {

const QString kHardCases = QStringLiteral(FOLIOKNIFE_SOURCE_DIR "/tests/data/hard-cases");

// Words of the body, and separately those of repeated table heading rows, which the layout shows
// again on every page a table runs over.
struct BodyWords {
    WordCounts all;
    WordCounts headingRows;
};

BodyWords WordsOf(const QString& odtPath) {
    BodyWords words;
    QXmlStreamReader xml(ContentXml(odtPath));
    int inBody = 0, inHeadingRows = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("text") && xml.namespaceUri().contains(QLatin1String(":office:")))
                ++inBody;
            if (xml.name() == QLatin1String("table-header-rows")) ++inHeadingRows;
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("table-header-rows")) --inHeadingRows;
        } else if (xml.isCharacters() && inBody > 0) {
            CountWords(xml.text().toString(), words.all);
            if (inHeadingRows > 0) CountWords(xml.text().toString(), words.headingRows);
        }
    }
    return words;
}

class SliceEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { office_ = new TestOffice; }
    static void TearDownTestSuite() { delete office_; }

    // Splits one input with the slicer alone; the outputs' paths in page order, none on failure.
    QStringList SplitAlone(const QString& input) const {
        const QString out = work_.filePath(QFileInfo(input).completeBaseName() + QStringLiteral("-out"));
        QDir().mkpath(out);
        QProcess split;
        split.setProcessEnvironment(SplitEnvironment(work_.path()));
        split.start(ProgramFolder() + QStringLiteral("/folioknife-split"),
                    {QStringLiteral("-o"), out, input});
        split.waitForFinished(600000);
        const QString errors = QString::fromUtf8(split.readAllStandardError());
        EXPECT_EQ(split.exitCode(), 0) << errors.toStdString();
        EXPECT_FALSE(errors.contains(QLatin1String("copy method"))) << errors.toStdString();
        QStringList outputs;
        for (const QString& name :
             QDir(out).entryList({QStringLiteral("*_????.odt")}, QDir::Files, QDir::Name))
            outputs << out + QLatin1Char('/') + name;
        return outputs;
    }

    // The text of each page as the office prints the document.
    QStringList PdfPages(const QString& path) const {
        const QString pdf = work_.filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".pdf"));
        office_->storeAsPdf(path, pdf);
        QStringList pages =
            PdfText(pdf, {QStringLiteral("-enc"), QStringLiteral("UTF-8")}).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
        return pages;
    }

    static TestOffice* office_;
    QTemporaryDir work_;
};

TestOffice* SliceEndToEnd::office_ = nullptr;

}  // namespace

TEST_F(SliceEndToEnd, HardCasesGiveOnePageEachWithTheInputsWords) {
    QFile expectedFile(kHardCases + QStringLiteral("/expected.json"));
    ASSERT_TRUE(expectedFile.open(QIODevice::ReadOnly));
    const QJsonObject expected =
        QJsonDocument::fromJson(expectedFile.readAll()).object().value("pages").toObject();
    ASSERT_FALSE(expected.isEmpty());

    QStringList inputs;
    QMap<QString, QByteArray> digests;
    for (const QString& name : expected.keys()) {
        inputs << kHardCases + QLatin1Char('/') + name;
        digests.insert(name, FileDigest(inputs.last()));
    }
    const QString out = work_.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    QProcess split;
    split.setProcessEnvironment(SplitEnvironment(work_.path()));
    split.start(ProgramFolder() + QStringLiteral("/folioknife-split"),
                QStringList{QStringLiteral("-o"), out} + inputs);
    ASSERT_TRUE(split.waitForFinished(600000));
    const QString errors = QString::fromUtf8(split.readAllStandardError());
    EXPECT_EQ(split.exitCode(), 0) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QLatin1String("copy method"))) << errors.toStdString();

    for (const QString& name : expected.keys()) {
        SCOPED_TRACE(name.toStdString());
        const QString input = kHardCases + QLatin1Char('/') + name;
        EXPECT_EQ(FileDigest(input), digests.value(name)) << "input changed";
        const QString stem = QFileInfo(name).completeBaseName();
        const int pages = expected.value(name).toInt();
        const QStringList outputs =
            QDir(out).entryList({stem + QStringLiteral("_????.odt")}, QDir::Files, QDir::Name);
        ASSERT_EQ(outputs.size(), pages);

        const BodyWords in =
            WordsOf(name.endsWith(QLatin1String(".odt"))
                        ? input
                        : office_->storeAsOdt(input, work_.filePath(QFileInfo(input).fileName() + ".odt")));
        WordCounts outWords;
        for (const QString& output : outputs) {
            const QString path = out + QLatin1Char('/') + output;
            EXPECT_EQ(office_->pageCounts(path).body, 1) << output.toStdString();
            EXPECT_FALSE(ContentXml(path).contains("__folioknife_page_")) << output.toStdString();
            AddWords(outWords, WordsOf(path).all);
        }
        for (auto word = in.all.begin(); word != in.all.end(); ++word)
            EXPECT_GE(outWords.value(word.key()), word.value()) << "lost: " << word.key().toStdString();
        for (auto word = outWords.begin(); word != outWords.end(); ++word) {
            const int extra = word.value() - in.all.value(word.key());
            EXPECT_TRUE(extra <= 0 || in.headingRows.contains(word.key()))
                << "repeated or foreign: " << word.key().toStdString() << " x" << extra;
        }
    }
}

// Public documents from other projects, read where they lie beside the repository: each output prints
// as one page, there is an output for every printed page, and together they print the input's words.
TEST_F(SliceEndToEnd, RealDocumentsGiveAnOutputForEveryPrintedPage) {
    FK_SKIP_WITHOUT_CORPUS();
    const QString corpus = CorpusFolder();
    // The small ones: an endnote page, endnotes in a poem, tracked changes in Word, a row over pages.
    for (const char* name : {"odftk_footnote.odt", "odfdo_dormeur_notes.odt", "docx4j_sample-docx.docx",
                             "odftk_brokenList.odt"}) {
        SCOPED_TRACE(name);
        const QString input = corpus + QLatin1Char('/') + QLatin1String(name);
        ASSERT_TRUE(QFileInfo(input).isReadable())
            << "the corpus document is missing: " << input.toStdString();
        const QByteArray digest = FileDigest(input);
        const QStringList printed = PdfPages(input);
        const QStringList outputs = SplitAlone(input);
        EXPECT_EQ(FileDigest(input), digest) << "input changed";
        ASSERT_EQ(outputs.size(), printed.size());

        WordCounts inWords, outWords;
        for (const QString& page : printed) CountWords(page, inWords);
        for (const QString& output : outputs) {
            const QStringList pages = PdfPages(output);
            EXPECT_EQ(pages.size(), 1) << output.toStdString();
            for (const QString& page : pages) CountWords(page, outWords);
        }
        for (auto word = inWords.begin(); word != inWords.end(); ++word)
            EXPECT_GE(outWords.value(word.key()), word.value()) << "lost: " << word.key().toStdString();
    }
}

TEST_F(SliceEndToEnd, BadInputsGetOneReportEachAndLeaveNoPartialFile) {
    const QString in = work_.filePath(QStringLiteral("in"));
    const QString out = work_.filePath(QStringLiteral("out"));
    QDir().mkpath(in);
    QDir().mkpath(out);
    // A document that needs a password, stored by the office itself.
    {
        office::DocumentStore& office = office_->documents();
        const office::DocumentRef document = office.load(
            ToFileUrl(kHardCases + QStringLiteral("/title-page.odt")), {.hidden = true, .readOnly = true});
        office.storeToUrl(document, ToFileUrl(in + QStringLiteral("/locked.odt")),
                          {{QStringLiteral("FilterName"), QStringLiteral("writer8")},
                           {QStringLiteral("Password"), QStringLiteral("secret")}});
        office.close(document);
    }
    // A package cut short, as a broken download leaves it.
    QFile whole(kHardCases + QStringLiteral("/pictures.odt"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile damaged(in + QStringLiteral("/damaged.odt"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(whole.read(whole.size() / 2));
    damaged.close();
    const QStringList bad{in + QStringLiteral("/locked.odt"), in + QStringLiteral("/damaged.odt")};
    QMap<QString, QByteArray> digests;
    for (const QString& path : bad) digests.insert(path, FileDigest(path));

    QProcess split;
    split.setProcessEnvironment(SplitEnvironment(work_.path()));
    split.start(
        ProgramFolder() + QStringLiteral("/folioknife-split"),
        QStringList{QStringLiteral("-o"), out} + bad + QStringList{kHardCases + QStringLiteral("/toc.odt")});
    ASSERT_TRUE(split.waitForFinished(600000));
    const QString errors = QString::fromUtf8(split.readAllStandardError());
    EXPECT_EQ(split.exitCode(), 1) << errors.toStdString();
    EXPECT_TRUE(errors.contains(bad[0] + QStringLiteral(": the document needs a password")))
        << errors.toStdString();
    for (const QString& path : bad) {
        EXPECT_EQ(errors.count(path + QStringLiteral(": ")), 1) << errors.toStdString();
        EXPECT_EQ(FileDigest(path), digests.value(path)) << "input changed";
    }
    const QStringList written = QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(written.filter(QStringLiteral("toc_")).size(), 6);
    EXPECT_EQ(written.size(), 6) << "nothing of the bad inputs, and no temporary file: "
                                 << written.join(' ').toStdString();
}

namespace {

// Three pages cut by page breaks, each with its own tracked changes and comment, a change running from
// page 2 onto page 3, a reference on page 2 to a bookmark on page 1, and a header and footer that show
// the chapter and the file's name.
QString FieldsDocument() {
    const auto region = [](const char* id, const char* kind, const char* author, const char* deleted = "") {
        return QStringLiteral(
                   "<text:changed-region text:id=\"%1\"><text:%2><office:change-info><dc:creator>%3"
                   "</dc:creator><dc:date>2020-01-01T00:00:00</dc:date></office:change-info>%4"
                   "</text:%2></text:changed-region>")
            .arg(QLatin1String(id), QLatin1String(kind), QLatin1String(author), QLatin1String(deleted));
    };
    const auto comment = [](const char* text) {
        return QStringLiteral(
                   "<office:annotation><dc:creator>Reviewer</dc:creator><text:p>%1</text:p>"
                   "</office:annotation>")
            .arg(QLatin1String(text));
    };
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
               "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
               "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
               "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" office:version=\"1.3\" "
               "office:mimetype=\"application/vnd.oasis.opendocument.text\"><office:styles>"
               "<style:style style:name=\"Heading_20_1\" style:display-name=\"Heading 1\" "
               "style:family=\"paragraph\" style:default-outline-level=\"1\"/></office:styles>"
               "<office:automatic-styles><style:style style:name=\"Break\" style:family=\"paragraph\">"
               "<style:paragraph-properties fo:break-before=\"page\"/></style:style>"
               "<style:page-layout style:name=\"Layout\"><style:page-layout-properties "
               "fo:page-width=\"21cm\" "
               "fo:page-height=\"29.7cm\" fo:margin-top=\"2cm\" fo:margin-bottom=\"2cm\" "
               "fo:margin-left=\"2cm\" "
               "fo:margin-right=\"2cm\"/><style:header-style/><style:footer-style/></style:page-layout>"
               "</office:automatic-styles><office:master-styles><style:master-page style:name=\"Standard\" "
               "style:page-layout-name=\"Layout\"><style:header><text:p>Running <text:chapter "
               "text:display=\"name\" text:outline-level=\"1\">?</text:chapter></text:p></style:header>"
               "<style:footer><text:p>Stored as <text:file-name text:display=\"name-and-extension\">?"
               "</text:file-name></text:p></style:footer></style:master-page></office:master-styles>"
               "<office:body><office:text><text:tracked-changes text:track-changes=\"false\">") +
           region("c1", "insertion", "Author One") +
           region("c2", "deletion", "Author Two", "<text:p>vanished words</text:p>") +
           region("c3", "insertion", "Author Three") + region("c4", "insertion", "Author Four") +
           QStringLiteral(
               "</text:tracked-changes>"
               "<text:h text:style-name=\"Heading_20_1\" text:outline-level=\"1\">Alphachapter</text:h>"
               "<text:p>Some <text:bookmark-start text:name=\"farmark\"/>far target<text:bookmark-end "
               "text:name=\"farmark\"/> and <text:change-start text:change-id=\"c1\"/>newly added"
               "<text:change-end text:change-id=\"c1\"/> text.") +
           comment("Remark one") +
           QStringLiteral(
               "</text:p><text:p text:style-name=\"Break\">Page two: see <text:bookmark-ref "
               "text:reference-format=\"text\" text:ref-name=\"farmark\">far target</text:bookmark-ref>, "
               "before<text:change text:change-id=\"c2\"/> after.") +
           comment("Remark two") +
           QStringLiteral(
               "</text:p><text:h text:style-name=\"Heading_20_1\" text:outline-level=\"1\">Betachapter"
               "</text:h><text:p>Straddling <text:change-start text:change-id=\"c3\"/>begins</text:p>"
               "<text:p text:style-name=\"Break\">ends<text:change-end text:change-id=\"c3\"/> on page "
               "three, <text:change-start text:change-id=\"c4\"/>added<text:change-end "
               "text:change-id=\"c4\"/>.") +
           comment("Remark three") +
           QStringLiteral("</text:p></office:text></office:body></office:document>");
}

}  // namespace

// Each page holds what its own body refers to, nothing of another page's, and shows what the input shows
// on that page: references to other pages, running heads and the file's name.
TEST_F(SliceEndToEnd, PagesHoldOnlyTheirOwnChangesCommentsAndMarksAndShowWhatTheInputShows) {
    const QString input =
        office_->storeFlatAsOdt(FieldsDocument(), work_.filePath(QStringLiteral("fields.odt")));
    const QStringList outputs = SplitAlone(input);
    ASSERT_EQ(outputs.size(), 3);

    const QStringList inputPages = PdfPages(input);
    ASSERT_EQ(inputPages.size(), 3);
    // Who changed or remarked what on which page.
    const QList<QStringList> own{{"Author One", "Remark one", "farmark"},
                                 {"Author Two", "vanished", "Remark two", "Author Three"},
                                 {"Author Three", "Remark three", "Author Four"}};
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(outputs[page].toStdString());
        const QString& path = outputs[page];
        const QString content = QString::fromUtf8(ContentXml(path));
        for (int other = 0; other < 3; ++other)
            for (const QString& mark : own[other])
                EXPECT_EQ(content.contains(mark), own[page].contains(mark)) << mark.toStdString();
        EXPECT_EQ(content.count(QStringLiteral("<text:change-start")),
                  content.count(QStringLiteral("<text:change-end")));

        const QStringList rendered = PdfPages(path);
        ASSERT_EQ(rendered.size(), 1);
        EXPECT_FALSE(rendered[0].contains(QStringLiteral("Reference source not found")));
        EXPECT_EQ(rendered[0].simplified(), inputPages[page].simplified());
    }
    EXPECT_TRUE(inputPages[1].contains(QStringLiteral("Running Alphachapter")));
}

namespace {

// Headings over seven pages in every way the office numbers them by the outline: headings whose chapter or
// section began on an earlier page, a heading restarting its count, a heading not numbered, a paragraph
// numbered as a heading by its style; and headings numbered by a list of their
// own, whose outer level began on an earlier page; numbered the old way, as files of older office versions
// are, where a level not counted yet shows as 0. Right pages show the section in force in their header,
// left pages the chapter.
QString HeadingsDocument() {
    const auto heading = [](int level, const QString& text, const QString& extra = {}) {
        return QStringLiteral(
                   "<text:h text:style-name=\"Heading_20_%1\" text:outline-level=\"%1\"%3>%2</text:h>")
            .arg(level)
            .arg(text, extra);
    };
    const QString filler = QStringLiteral(
        "<text:p>Words enough to fill a line of the page and a little more than that, so that "
        "the paragraph runs on.</text:p>");
    QString levels;
    for (int level = 1; level <= 3; ++level)
        levels += QStringLiteral(
                      "<text:outline-level-style text:level=\"%1\" style:num-format=\"%2\" "
                      "text:display-levels=\"%1\" style:num-suffix=\" \"/>")
                      .arg(level)
                      .arg(level == 3 ? QStringLiteral("a") : QStringLiteral("1"));
    QString headingStyles;
    for (int level = 1; level <= 3; ++level)
        headingStyles += QStringLiteral(
                             "<style:style style:name=\"Heading_20_%1\" style:display-name=\"Heading %1\" "
                             "style:family=\"paragraph\" style:default-outline-level=\"%1\"/>")
                             .arg(level);
    QString body =
        heading(1, QStringLiteral("Intro")) + heading(2, QStringLiteral("First")) + filler +
        QStringLiteral("<text:h text:style-name=\"BreakHeading\" text:outline-level=\"2\">Second</text:h>") +
        heading(3, QStringLiteral("Deep")) + filler +
        QStringLiteral("<text:p text:style-name=\"Break\">Page three goes on.</text:p>") +
        heading(3, QStringLiteral("Deeper")) +
        heading(1, QStringLiteral("Five"),
                QStringLiteral(" text:restart-numbering=\"true\" "
                               "text:start-value=\"5\"")) +
        heading(2, QStringLiteral("Sub")) +
        QStringLiteral(
            "<text:h text:style-name=\"BreakHeading\" text:outline-level=\"2\">Sub two</text:h>"
            "<text:p text:style-name=\"Heading_20_3\">Styled as a heading</text:p>") +
        heading(2, QStringLiteral("Unnumbered"), QStringLiteral(" text:is-list-header=\"true\"")) +
        heading(2, QStringLiteral("Sub three")) +
        QStringLiteral(
            "<text:p text:style-name=\"Break\">Page five:</text:p>"
            "<text:list text:style-name=\"Numbered\"><text:list-item>") +
        heading(1, QStringLiteral("Listed one")) + QStringLiteral("<text:list><text:list-item>") +
        heading(2, QStringLiteral("Listed one a")) +
        QStringLiteral(
            "</text:list-item><text:list-item><text:p text:style-name=\"BreakListed\">"
            "Listed one b, on page six</text:p></text:list-item><text:list-item>") +
        heading(2, QStringLiteral("Listed one c")) +
        QStringLiteral(
            "</text:list-item></text:list></text:list-item></text:list>"
            "<text:p text:style-name=\"Break\">Page seven:</text:p>") +
        heading(2, QStringLiteral("After the list"));
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
               "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
               "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
               "office:version=\"1.3\" "
               "xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\" "
               "office:mimetype=\"application/vnd.oasis.opendocument.text\"><office:settings>"
               "<config:config-item-set config:name=\"ooo:configuration-settings\"><config:config-item "
               "config:name=\"UseOldNumbering\" config:type=\"boolean\">true</config:config-item>"
               "</config:config-item-set></office:settings><office:styles>") +
           headingStyles + QStringLiteral("<text:outline-style style:name=\"Outline\">") + levels +
           QStringLiteral(
               "</text:outline-style><text:list-style style:name=\"Numbered\"><text:list-level-style-number "
               "text:level=\"1\" style:num-format=\"I\" "
               "style:num-suffix=\".\"/><text:list-level-style-number "
               "text:level=\"2\" style:num-format=\"1\" text:display-levels=\"2\" style:num-suffix=\".\"/>"
               "</text:list-style></office:styles><office:automatic-styles>"
               "<style:style style:name=\"Break\" style:family=\"paragraph\"><style:paragraph-properties "
               "fo:break-before=\"page\"/></style:style><style:style style:name=\"BreakHeading\" "
               "style:family=\"paragraph\" "
               "style:parent-style-name=\"Heading_20_2\"><style:paragraph-properties "
               "fo:break-before=\"page\"/></style:style><style:style style:name=\"BreakListed\" "
               "style:family=\"paragraph\"><style:paragraph-properties "
               "fo:break-before=\"page\"/></style:style>"
               "<style:page-layout style:name=\"Layout\" style:page-usage=\"mirrored\">"
               "<style:page-layout-properties fo:page-width=\"21cm\" fo:page-height=\"29.7cm\" "
               "fo:margin-top=\"2cm\" fo:margin-bottom=\"2cm\" fo:margin-left=\"3cm\" "
               "fo:margin-right=\"1.5cm\"/>"
               "<style:header-style/></style:page-layout></office:automatic-styles>"
               "<office:master-styles><style:master-page style:name=\"Standard\" "
               "style:page-layout-name=\"Layout\">"
               "<style:header><text:p>Section <text:chapter text:display=\"number-and-name\" "
               "text:outline-level=\"2\">?</text:chapter> of <text:chapter text:display=\"plain-number\" "
               "text:outline-level=\"1\">?</text:chapter></text:p></style:header><style:header-left><text:p>"
               "Chapter <text:chapter text:display=\"name\" "
               "text:outline-level=\"1\">?</text:chapter></text:p>"
               "</style:header-left></style:master-page>"
               "</office:master-styles><office:body><office:text>") +
           body + QStringLiteral("</office:text></office:body></office:document>");
}

}  // namespace

TEST_F(SliceEndToEnd, HeadingsAndRunningHeadsAreNumberedAsInTheInput) {
    const QString input =
        office_->storeFlatAsOdt(HeadingsDocument(), work_.filePath(QStringLiteral("headings.odt")));
    const QStringList outputs = SplitAlone(input);
    const QStringList inputPages = PdfPages(input);
    ASSERT_EQ(inputPages.size(), 7);
    ASSERT_EQ(outputs.size(), 7);
    for (int page = 0; page < 7; ++page) {
        SCOPED_TRACE(QFileInfo(outputs[page]).fileName().toStdString());
        const QStringList rendered = PdfPages(outputs[page]);
        ASSERT_EQ(rendered.size(), 1);
        EXPECT_EQ(rendered[0].simplified(), inputPages[page].simplified());
    }
}
