#pragma once

#include <QString>

namespace fk {

// The program's one table of document extensions (lower case, without the dot). Folders give the
// Writer formats the program splits; the other formats are documents too, named here so that nothing
// the program writes (a report) is ever given a document's name.
struct DocumentExtension {
    const char* extension;
    bool gatheredFromFolders;
};

// Whether a file name ends in ".EXT" for an extension gathered from folders (.odt, .ott, .stw, .sxw),
// in any letter case, with at least one character before the dot: "b.odt.bak", "x.odtx" and ".odt"
// are not.
bool HasGatheredExtension(const QString& name);

// Whether a file name's last extension, in any letter case, is any document's of the table (".docx"
// included).
bool HasDocumentExtension(const QString& name);

}  // namespace fk
