#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace fk {

// The kind of document the outputs are: the slicer's OpenDocument pages, or the office's rendering of
// them in a format people send.
enum class OutputFormat { Odt, Pdf, Docx };

// "odt", "pdf", "docx": the format's name on the command line, and its extension.
QString FormatName(OutputFormat format);
std::optional<OutputFormat> FormatNamed(const QString& name);

// How the files of a split are named, in one place: every engine, the older-page check, the shards,
// the grouping of documents and the explanations of failures ask here.

// The name every output of a document starts with: its file name without the last extension.
QString OutputBaseName(const QString& documentPath);

// The number of output `page` as it stands in names: at least kPageNumberDigits digits.
QString PageNumberText(int page);

// "NAME_0001.odt": the document's base name, "_", the page number, the format's extension.
QString PageFileName(const QString& documentPath, int page, OutputFormat format = OutputFormat::Odt);

// The folder and the page file name joined with one separator.
QString PageFilePath(const QString& outputFolder, const QString& documentPath, int page,
                     OutputFormat format = OutputFormat::Odt);

// The lock file an office keeps beside a document it has open: ".~lock.NAME#" in the same folder.
QString LockFilePath(const QString& documentPath);
inline const QString kLockFilePrefix = QStringLiteral(".~lock.");
inline const QChar kLockFileSuffix = QLatin1Char('#');

// Documents whose outputs would have the same names, in list order; the groups in order of first
// appearance. Splitting a group in order keeps the outputs the same whatever the number of jobs.
QList<QStringList> GroupBySharedOutputNames(const QStringList& documents);

}  // namespace fk
