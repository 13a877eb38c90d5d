// folioknife-split on documents whose printed pages the view cursor does not show as it shows the
// body's: pages of endnotes after the body, and a layout that follows a printer's metrics. Every page
// the office prints becomes one output that prints as one page, and the outputs hold the printed words.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "../slicer/TestPackage.h"
#include "QtPrinters.h"
#include "TestOffice.h"
#include "fsutil/ProgramFolder.h"
#include "split/OfficeSession.h"

using namespace fk;
using namespace fk::test;

namespace {

using WordCounts = QMap<QString, int>;

const QStringList kVocabulary =
    QStringLiteral(
        "harbour lantern orchard meadow granite cobalt willow thistle saddle copper "
        "ledger compass anchor bramble candle drizzle ember falcon glacier hazel "
        "island juniper kettle lattice marble nectar oyster pepper quarry raven")
        .split(QLatin1Char(' '));

// `count` words picked by a small deterministic generator, so that every run writes the same document.
QString Words(int seed, int count) {
    QStringList words;
    quint32 state = static_cast<quint32>(seed) * 2654435761u + 1u;
    for (int index = 0; index < count; ++index) {
        state = state * 1664525u + 1013904223u;
        words << kVocabulary.at(static_cast<int>((state >> 16) % kVocabulary.size()));
    }
    return words.join(QLatin1Char(' '));
}

// Flat OpenDocument text: body paragraphs, and `notes` endnotes of two paragraphs spread over them.
QString FlatDocument(int paragraphs, int notes) {
    QString body;
    int note = 0;
    for (int paragraph = 0; paragraph < paragraphs; ++paragraph) {
        QString text = Words(paragraph, 80);
        for (; note < notes && note * paragraphs < (paragraph + 1) * notes; ++note) {
            text += QStringLiteral(
                        " %1<text:note text:id=\"en%2\" text:note-class=\"endnote\"><text:note-citation>"
                        "%2</text:note-citation><text:note-body>"
                        "<text:p text:style-name=\"Endnote\">%3</text:p>"
                        "<text:p text:style-name=\"Endnote\">%4</text:p></text:note-body></text:note>")
                        .arg(Words(500 + note, 5))
                        .arg(note + 1)
                        .arg(Words(1000 + note * 2, 60), Words(1001 + note * 2, 60));
        }
        body += QStringLiteral("<text:p text:style-name=\"Standard\">%1</text:p>\n").arg(text);
    }
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
               "office:version=\"1.3\" office:mimetype=\"application/vnd.oasis.opendocument.text\">"
               "<office:body><office:text>%1</office:text></office:body></office:document>\n")
        .arg(body);
}

void CountWords(const QString& text, WordCounts& counts) {
    static const QRegularExpression separators(QStringLiteral("[^\\w]+"));
    for (const QString& word : text.toLower().split(separators, Qt::SkipEmptyParts)) ++counts[word];
}

QByteArray ContentXml(const QString& odtPath) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), odtPath, QStringLiteral("content.xml")});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput();
}

// The words the office prints of a document's body: an endnote's citation is printed twice, in the
// text and before the note.
WordCounts PrintedWords(const QString& odtPath) {
    WordCounts words;
    QXmlStreamReader xml(ContentXml(odtPath));
    int inBody = 0, inCitation = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("text") && xml.namespaceUri().contains(QLatin1String(":office:")))
                ++inBody;
            if (xml.name() == QLatin1String("note-citation")) ++inCitation;
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("note-citation")) --inCitation;
        } else if (xml.isCharacters() && inBody > 0) {
            CountWords(xml.text().toString(), words);
            if (inCitation > 0) CountWords(xml.text().toString(), words);
        }
    }
    return words;
}

class PrintedPagesEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { office_ = new TestOffice; }
    static void TearDownTestSuite() { delete office_; }

    struct Pages {
        int body = 0;
        int printed = 0;
    };
    static Pages PagesOf(const QString& path) {
        office::DocumentStore& office = office_->documents();
        const office::DocumentRef document = office.load(ToFileUrl(path), {.hidden = true});
        office.completeLayout(document);
        const Pages pages{office.countPages(document), office.countRenderedPages(document)};
        office.close(document);
        return pages;
    }

    // The flat document stored by the office as .odt, as a user's document would be.
    QString Stored(const QString& name, const QString& flat) {
        const QString source = work_.filePath(name + QStringLiteral(".fodt"));
        QFile file(source);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(flat.toUtf8());
        file.close();
        office::DocumentStore& office = office_->documents();
        const office::DocumentRef document = office.load(ToFileUrl(source), {.hidden = true});
        const QString target = work_.filePath(name + QStringLiteral(".odt"));
        office.storeToUrl(document, ToFileUrl(target),
                          {{QStringLiteral("FilterName"), QStringLiteral("writer8")}});
        office.close(document);
        return target;
    }

    // Splits the document; every printed page must be one output that prints as one page, and the
    // outputs must print the input's words, no fewer and no others.
    void ExpectOnePrintedPageEach(const QString& input) {
        const QString out = work_.filePath(QStringLiteral("out-") + QFileInfo(input).completeBaseName());
        QDir().mkpath(out);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), work_.filePath(QStringLiteral("cache")));
        QProcess split;
        split.setProcessEnvironment(environment);
        split.start(ProgramFolder() + QStringLiteral("/folioknife-split"),
                    {QStringLiteral("-o"), out, input});
        ASSERT_TRUE(split.waitForFinished(300000));
        const QString errors = QString::fromUtf8(split.readAllStandardError());
        ASSERT_EQ(split.exitCode(), 0) << errors.toStdString();
        EXPECT_FALSE(errors.contains(QLatin1String("copy method"))) << errors.toStdString();

        const QStringList outputs = QDir(out).entryList({QStringLiteral("*.odt")}, QDir::Files, QDir::Name);
        EXPECT_EQ(outputs.size(), PagesOf(input).printed);
        WordCounts outWords;
        for (const QString& output : outputs) {
            const QString path = out + QLatin1Char('/') + output;
            EXPECT_EQ(PagesOf(path).printed, 1) << output.toStdString();
            const WordCounts words = PrintedWords(path);
            for (auto word = words.begin(); word != words.end(); ++word) outWords[word.key()] += word.value();
        }
        EXPECT_EQ(outWords, PrintedWords(input));
    }

    static TestOffice* office_;
    QTemporaryDir work_;
};

TestOffice* PrintedPagesEndToEnd::office_ = nullptr;

TEST_F(PrintedPagesEndToEnd, EndnotesOnOnePageAndOnTwoPagesAfterTheBody) {
    const QString onePage = Stored(QStringLiteral("endnotes-one-page"), FlatDocument(4, 6));
    const Pages one = PagesOf(onePage);
    ASSERT_EQ(one.printed - one.body, 1) << "the document is not the case it should be";
    ExpectOnePrintedPageEach(onePage);

    // A note's paragraph runs from the first endnote page onto the second.
    const QString twoPages = Stored(QStringLiteral("endnotes-two-pages"), FlatDocument(10, 14));
    const Pages two = PagesOf(twoPages);
    ASSERT_GE(two.body, 2);
    ASSERT_EQ(two.printed - two.body, 2) << "the document is not the case it should be";
    ExpectOnePrintedPageEach(twoPages);
}

TEST_F(PrintedPagesEndToEnd, LayoutAfterAPrintersMetrics) {
    // Settings as old documents store them: laid out with the metrics of a printer rather than the
    // office's own. The office keeps no such setting from a flat document, so it goes in afterwards.
    const QString input = Stored(QStringLiteral("printer-metrics"), FlatDocument(24, 0));
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& entry : slicer::TestPackage::read(input.toStdString()))
        if (entry.name != "settings.xml") entries.emplace_back(entry.name, entry.data);
    entries.emplace_back(
        "settings.xml",
        R"(<?xml version="1.0" encoding="UTF-8"?><office:document-settings )"
        R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
        R"(xmlns:config="urn:oasis:names:tc:opendocument:xmlns:config:1.0" office:version="1.3"><office:settings>)"
        R"(<config:config-item-set config:name="ooo:configuration-settings"><config:config-item )"
        R"(config:name="PrinterIndependentLayout" config:type="string">disabled</config:config-item>)"
        R"(</config:config-item-set></office:settings></office:document-settings>)");
    slicer::TestPackage::write(input.toStdString(), entries);
    ASSERT_GE(PagesOf(input).printed, 3);
    ExpectOnePrintedPageEach(input);
}

}  // namespace
