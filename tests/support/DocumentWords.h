#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace fk::test {

// How often each word occurs: lower case, split at anything but ASCII letters, digits and underscores.
using WordCounts = QMap<QString, int>;

void CountWords(const QString& text, WordCounts& counts);
// Adds the counts of `more` to `total`.
void AddWords(WordCounts& total, const WordCounts& more);

// The content.xml of an ODF package; empty when it cannot be read.
QByteArray ContentXml(const QString& odtPath);

// The text pdftotext reads from a PDF (options before the file, such as "-layout"): pages end in a
// form feed.
QString PdfText(const QString& pdfPath, const QStringList& options = {});

}  // namespace fk::test
