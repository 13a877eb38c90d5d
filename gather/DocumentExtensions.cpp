#include "gather/DocumentExtensions.h"

#include <array>

namespace fk {

namespace {

constexpr std::array<DocumentExtension, 21> kDocumentExtensions{{
    {"odt", true},   {"ott", true},   {"stw", true},  {"sxw", true},  {"fodt", false}, {"odm", false},
    {"oth", false},  {"sxg", false},  {"doc", false}, {"dot", false}, {"docx", false}, {"docm", false},
    {"dotx", false}, {"dotm", false}, {"rtf", false}, {"wpd", false}, {"wps", false},  {"pdf", false},
    {"ods", false},  {"odp", false},  {"odg", false},
}};

bool listed(const QString& name, bool gatheredOnly) {
    // A gathered document has a name before its extension; any name that ends so may pass for a document.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < (gatheredOnly ? 1 : 0)) return false;
    const QString extension = name.mid(dot + 1);
    for (const DocumentExtension& entry : kDocumentExtensions) {
        if (gatheredOnly && !entry.gatheredFromFolders) continue;
        if (extension.compare(QLatin1String(entry.extension), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

}  // namespace

bool HasGatheredExtension(const QString& name) {
    return listed(name, true);
}

bool HasDocumentExtension(const QString& name) {
    return listed(name, false);
}

}  // namespace fk
