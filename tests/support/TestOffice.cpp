#include "TestOffice.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QXmlStreamReader>

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

static QByteArray contentXml(const QString& odtPath) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), odtPath, QStringLiteral("content.xml")});
    unzip.waitForFinished(30000);
    return unzip.exitCode() == 0 ? unzip.readAllStandardOutput() : QByteArray();
}

QStringList OdtBodyText(const QString& odtPath) {
    QStringList paragraphs;
    QXmlStreamReader xml(contentXml(odtPath));
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
           !contentXml(path).isEmpty();
}

}  // namespace fk::test
