#pragma once

#include <QString>
#include <QStringList>

namespace fk {

// The program's one table of document extensions (lower case, without the dot). Folders give the
// Writer formats the program splits; the other formats are documents too, named here so that nothing
// the program writes (a report) is ever given a document's name.
struct DocumentExtension {
    const char* extension;
    bool gatheredFromFolders;
    bool split;  // a word-processor document the office opens as text, so the program splits it
};

// Whether a file name ends in ".EXT" for an extension gathered from folders (.odt, .ott, .stw, .sxw),
// in any letter case, with at least one character before the dot: "b.odt.bak", "x.odtx" and ".odt"
// are not.
bool HasGatheredExtension(const QString& name);

// Whether a file name's last extension, in any letter case, is any document's of the table (".docx"
// included).
bool HasDocumentExtension(const QString& name);

// The extensions of the documents the program splits, in the table's order (".odt" first).
QStringList SplitExtensions();

}  // namespace fk
