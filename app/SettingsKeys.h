#pragma once

#include <QString>

namespace fk {

// Where the window keeps its choices, and under which keys.
namespace settings {
inline const QString kApplication = QStringLiteral("Kestrune");
inline const QString kSection = QStringLiteral("Folioknife");
inline const QString kText1 = QStringLiteral("Text1");
inline const QString kLastFolderDot = QStringLiteral("LastFolderDot");
inline const QString kLastFolder = QStringLiteral("LastFolder");
inline const QString kExtension = QStringLiteral("Extension");
// Which engine Start Splitting uses: "copy" for the copy-and-paste procedure, anything else (or
// nothing) for the page slicer with the copy procedure to fall back on.
inline const QString kSplitMethod = QStringLiteral("SplitMethod");
// The outputs' format ("odt", "pdf", "docx"), where documents are cut ("page", "heading:N") and which
// pages are written ("1-3,7,10-"); as the command line's --format, --at and --pages take them.
inline const QString kOutputFormat = QStringLiteral("OutputFormat");
inline const QString kCutAt = QStringLiteral("CutAt");
inline const QString kPages = QStringLiteral("Pages");
// "N": documents of N pages each, as folioknife-split's --every; "Pages" wins where both are set.
inline const QString kEvery = QStringLiteral("Every");
// Where each run's report is written, as folioknife-split's --json writes it; a relative name is taken
// in the run's output folder. No report when it is empty.
inline const QString kReport = QStringLiteral("Report");
// "true" checks each output against the input's printed page after a document is split, as the
// command line's --verify does.
inline const QString kVerify = QStringLiteral("Verify");
// Seconds each document may take, as folioknife-split's --timeout: 0 for no deadline; unset, each
// document has the deadline its size gives it.
inline const QString kTimeout = QStringLiteral("Timeout");
}  // namespace settings

}  // namespace fk
