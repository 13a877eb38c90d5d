#include "FlatDocuments.h"

#include <QStringList>

namespace fk::test {

QString Words(int seed, int count) {
    static const QStringList vocabulary =
        QStringLiteral(
            "harbour lantern orchard meadow granite cobalt willow thistle saddle copper ledger compass "
            "anchor "
            "bramble candle drizzle ember falcon glacier hazel island juniper kettle lattice marble nectar")
            .split(QLatin1Char(' '));
    QStringList words;
    quint32 state = static_cast<quint32>(seed) * 2654435761u + 1u;
    for (int index = 0; index < count; ++index) {
        state = state * 1664525u + 1013904223u;
        words << vocabulary.at(static_cast<int>((state >> 16) % vocabulary.size()));
    }
    return words.join(QLatin1Char(' '));
}

QString Paragraphs(int seed, int count, int words) {
    QString body;
    for (int paragraph = 0; paragraph < count; ++paragraph)
        body += QStringLiteral("<text:p text:style-name=\"Standard\">%1</text:p>")
                    .arg(Words(seed + paragraph, words));
    return body;
}

QString FlatOdt(const FlatParts& parts) {
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
               "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
               "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
               "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
               "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
               "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
               "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
               "xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
               "xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\" "
               // The office reads a settings set's name as a qualified name: "ooo:view-settings".
               "xmlns:ooo=\"http://openoffice.org/2004/office\" "
               "office:version=\"1.3\" office:mimetype=\"application/vnd.oasis.opendocument.text\">"
               "%4"
               "<office:automatic-styles>%1</office:automatic-styles>"
               "<office:master-styles>%2</office:master-styles>"
               "<office:body><office:text>%3</office:text></office:body></office:document>\n")
        .arg(parts.automaticStyles, parts.masterStyles, parts.body,
             parts.settings.isEmpty()
                 ? QString()
                 : QStringLiteral("<office:settings>%1</office:settings>").arg(parts.settings));
}

}  // namespace fk::test
