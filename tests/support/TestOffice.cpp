#include "TestOffice.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include "DocumentWords.h"
#include "cli/OfficeProfileSettings.h"
#include "split/OfficeSession.h"

namespace fk::test {

namespace {

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString flatDocument(const TestOffice::Content& content) {
    QString body;
    for (qsizetype i = 0; i < content.pages.size(); ++i) {
        if (i == 0 && content.leadingTable) {
            body += QStringLiteral(
                "<table:table table:name=\"T1\"><table:table-column table:number-columns-repeated=\"2\"/>"
                "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>Cell "
                "A1</text:p></table:table-cell>"
                "<table:table-cell office:value-type=\"string\"><text:p>Cell B1</text:p></table:table-cell>"
                "</table:table-row></table:table>");
        }
        body += QStringLiteral("<text:p%1>%2</text:p>")
                    .arg(i == 0 ? QString() : QStringLiteral(" text:style-name=\"PageBreak\""),
                         escaped(content.pages.at(i)));
    }
    const QString headerFooter = content.headerAndFooter
                                     ? QStringLiteral(
                                           "<style:header><text:p>Running header</text:p></style:header>"
                                           "<style:footer><text:p>Running footer</text:p></style:footer>")
                                     : QString();
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
               "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
               "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
               "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
               "office:version=\"1.2\" office:mimetype=\"application/vnd.oasis.opendocument.text\">"
               "<office:automatic-styles>"
               "<style:style style:name=\"PageBreak\" style:family=\"paragraph\">"
               "<style:paragraph-properties fo:break-before=\"page\"/></style:style>"
               "<style:page-layout style:name=\"pm1\"><style:page-layout-properties fo:page-width=\"21cm\" "
               "fo:page-height=\"29.7cm\"/><style:header-style/><style:footer-style/></style:page-layout>"
               "</office:automatic-styles>"
               "<office:master-styles><style:master-page style:name=\"Standard\" "
               "style:page-layout-name=\"pm1\">%1"
               "</style:master-page></office:master-styles>"
               "<office:body><office:text>%2</office:text></office:body></office:document>")
        .arg(headerFooter, body);
}

}  // namespace

TestOffice::TestOffice() : TestOffice(View::Headless) {}

TestOffice::TestOffice(View view) {
    OfficeOptions options = OfficeOptions::fromEnvironment();
    options.headless = view == View::Headless;
    options.quiet = true;
    options.profileFolder = scratch_.filePath(QStringLiteral("profile"));
    options.temporaryFolder = scratch_.filePath(QStringLiteral("tmp"));
    // A headless test office stands for the command line's, whose profiles have the idle work off; a
    // visible one for the window's, which keeps its user's settings.
    if (view == View::Headless) {
        cli::WriteOfficeSettings(options.profileFolder,
                                 cli::UnattendedOfficeSettings(options.programFolder()));
        cli::WriteEmptyWriterStatusBar(options.profileFolder);
    }
    session_ = std::make_unique<LibreOfficeSession>(options);
}

TestOffice::~TestOffice() {
    session_->process().stop();
}

office::DocumentStore& TestOffice::documents() {
    session_->reach();
    return session_->documents();
}

void TestOffice::makeDocument(const QString& odtPath, const Content& content) {
    const QString flatPath = scratch_.filePath(QStringLiteral("source.fodt"));
    QFile flat(flatPath);
    flat.open(QIODevice::WriteOnly | QIODevice::Truncate);
    flat.write(flatDocument(content).toUtf8());
    flat.close();

    office::DocumentStore& office = documents();
    const office::DocumentRef document = office.load(ToFileUrl(flatPath), {});
    session_->cursor().dispatch(document, QStringLiteral(".uno:SaveAs"),
                                {{QStringLiteral("URL"), ToFileUrl(odtPath)},
                                 {QStringLiteral("FilterName"), QStringLiteral("writer8")}});
    office.close(document);
}

QString TestOffice::storeAsOdt(const QString& documentPath, const QString& odtPath) {
    office::DocumentStore& office = documents();  // reached first
    const office::DocumentRef document =
        office.load(ToFileUrl(documentPath), {.hidden = true, .readOnly = true});
    office.storeToUrl(document, ToFileUrl(odtPath),
                      {{QStringLiteral("FilterName"), QStringLiteral("writer8")}});
    office.close(document);
    return odtPath;
}

QString TestOffice::storeFlatAsOdt(const QString& flatXml, const QString& odtPath) {
    const QFileInfo target(odtPath);
    const QString flatPath = target.dir().filePath(target.completeBaseName() + QStringLiteral(".fodt"));
    QFile flat(flatPath);
    if (!flat.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    flat.write(flatXml.toUtf8());
    flat.close();
    return storeAsOdt(flatPath, odtPath);
}

void TestOffice::storeAsPdf(const QString& documentPath, const QString& pdfPath) {
    office::DocumentStore& office = documents();  // reached first
    const office::DocumentRef document =
        office.load(ToFileUrl(documentPath), {.hidden = true, .readOnly = true});
    office.storeToUrl(document, ToFileUrl(pdfPath),
                      {{QStringLiteral("FilterName"), QStringLiteral("writer_pdf_Export")}});
    office.close(document);
}

TestOffice::PageCounts TestOffice::pageCounts(const QString& documentPath) {
    office::DocumentStore& office = documents();  // reached first
    const office::DocumentRef document = office.load(ToFileUrl(documentPath), {.hidden = true});
    // The pages of the whole layout, not those laid out so far.
    office.completeLayout(document);
    const PageCounts counts{office.countPages(document), office.countRenderedPages(document)};
    office.close(document);
    return counts;
}

QProcessEnvironment SplitEnvironment(const QString& workFolder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QDir work(workFolder);
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), work.filePath(QStringLiteral("cache")));
    work.mkpath(QStringLiteral("tmp"));
    environment.insert(QStringLiteral("TMPDIR"), work.filePath(QStringLiteral("tmp")));
    return environment;
}

QStringList OdtBodyText(const QString& odtPath) {
    QStringList paragraphs;
    QXmlStreamReader xml(ContentXml(odtPath));
    QString current;
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && (xml.name() == QLatin1String("p") || xml.name() == QLatin1String("h"))) {
            if (depth++ == 0) current.clear();
        } else if (xml.isEndElement() &&
                   (xml.name() == QLatin1String("p") || xml.name() == QLatin1String("h"))) {
            if (--depth == 0 && !current.isEmpty()) paragraphs << current;
        } else if (xml.isCharacters() && depth > 0) {
            current += xml.text();
        }
    }
    return paragraphs;
}

QByteArray FileDigest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

bool IsOdtPackage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(80);
    return head.startsWith("PK") && head.contains("mimetypeapplication/vnd.oasis.opendocument.text") &&
           !ContentXml(path).isEmpty();
}

}  // namespace fk::test
