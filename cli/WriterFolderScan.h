#pragma once

#include <QByteArray>
#include <QStringList>

namespace fk::cli {

// A name that ends in .odt, .ott, .stw or .sxw, in any letter case: "b.odt.bak" or "a.odt " is not one.
bool HasWriterExtension(const QByteArray& nativeName);

// Hidden files and folders and the lock files office suites leave ("~…", ".~lock…#").
bool IsHiddenOrLockName(const QByteArray& nativeName);

struct FolderScanFindings {
    QStringList documents;  // absolute paths, in a stable order: a folder's files by name, then its folders
    QStringList problems;   // one line each, starting with the path concerned
};

// Every Writer document of a folder tree, as the command line takes a folder input. Links are followed
// when their own names pass the same tests as files; a folder reached twice (a link back up the tree)
// is walked once. Names that are not UTF-8, unreadable folders and links that lead nowhere are reported,
// not skipped in silence. Whatever else bears a Writer document's name (a named pipe, a device) is
// listed with the documents, for the content check to report as when it is given directly.
FolderScanFindings ScanWriterFolder(const QString& folder);

}  // namespace fk::cli
