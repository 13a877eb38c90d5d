#include "DocumentWords.h"

#include <QProcess>
#include <QRegularExpression>

namespace fk::test {

void CountWords(const QString& text, WordCounts& counts) {
    static const QRegularExpression separators(QStringLiteral("[^\\w]+"));
    for (const QString& word : text.toLower().split(separators, Qt::SkipEmptyParts)) ++counts[word];
}

void AddWords(WordCounts& total, const WordCounts& more) {
    for (auto word = more.begin(); word != more.end(); ++word) total[word.key()] += word.value();
}

QByteArray ContentXml(const QString& odtPath) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), odtPath, QStringLiteral("content.xml")});
    unzip.waitForFinished(30000);
    return unzip.exitStatus() == QProcess::NormalExit && unzip.exitCode() == 0 ? unzip.readAllStandardOutput()
                                                                               : QByteArray();
}

QString PdfText(const QString& pdfPath, const QStringList& options) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"), options + QStringList{pdfPath, QStringLiteral("-")});
    text.waitForFinished(60000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

}  // namespace fk::test
