#include "gather/DocumentExtensions.h"

#include <array>

namespace fk {

namespace {

constexpr std::array<DocumentExtension, 21> kDocumentExtensions{{
    {"odt", true, true},   {"ott", true, true},   {"stw", true, true},   {"sxw", true, true},
    {"fodt", false, true}, {"odm", false, false}, {"oth", false, false}, {"sxg", false, false},
    {"doc", false, true},  {"dot", false, true},  {"docx", false, true}, {"docm", false, true},
    {"dotx", false, true}, {"dotm", false, true}, {"rtf", false, true},  {"wpd", false, true},
    {"wps", false, true},  {"pdf", false, false}, {"ods", false, false}, {"odp", false, false},
    {"odg", false, false},
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

QStringList SplitExtensions() {
    QStringList extensions;
    for (const DocumentExtension& entry : kDocumentExtensions)
        if (entry.split) extensions << QString::fromLatin1(entry.extension);
    return extensions;
}

}  // namespace fk
