#include "slicer/WordLinks.h"

#include "PackageArchive.h"
#include "WordXml.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace fk::slicer {

namespace fs = std::filesystem;

namespace {

std::string percentEncoded(const std::string& path) {
    std::string encoded;
    for (const unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            encoded += escape;
        }
    }
    return encoded;
}

bool isRelativePath(std::string_view link) {
    if (link.empty() || link.front() == '/' || link.front() == '#' || link.front() == '\\') return false;
    const std::size_t colon = link.find(':');
    return colon == std::string_view::npos || colon > link.find_first_of("/?#");
}

}  // namespace

WordLinks::WordLinks(const fs::path& storedIn, const fs::path& goesTo)
    : storedIn_(percentEncoded(storedIn.lexically_normal().generic_string())),
      goesTo_(percentEncoded(goesTo.lexically_normal().generic_string())) {}

std::string WordLinks::moved(std::string_view target) const {
    if (!isRelativePath(target)) return std::string(target);
    // A query or a place in the file is not part of the path. Both folders are percent-encoded as the
    // link is, so that the path is worked out in the link's own spelling.
    const std::size_t pathEnd = std::min(target.find_first_of("?#"), target.size());
    const fs::path file = (storedIn_ / fs::path(target.substr(0, pathEnd))).lexically_normal();
    std::string path = file.lexically_relative(goesTo_).generic_string();
    if (path.empty()) return std::string(target);  // no way from one to the other
    if (path == ".") path = "./";
    // A first segment with a colon would read as a scheme.
    if (path.substr(0, path.find('/')).find(':') != std::string::npos) path = "./" + path;
    return path + std::string(target.substr(pathEnd));
}

std::optional<std::string> WordLinks::movedRelations(const std::string& xml, std::string_view part) const {
    pugi::xml_document relations = ParsedPart(xml, part);
    bool moved = false;
    for (pugi::xml_node relation : relations.document_element().children("Relationship")) {
        if (std::string_view(relation.attribute("TargetMode").value()) != "External") continue;
        pugi::xml_attribute target = relation.attribute("Target");
        const std::string placed = this->moved(target.value());
        if (placed == target.value()) continue;
        target.set_value(placed.c_str());
        moved = true;
    }
    if (!moved) return std::nullopt;
    return SerializedPart(relations);
}

void WordLinks::place(const fs::path& package) const {
    std::vector<PackageEntry> entries = PackageArchive::read(package);
    bool moved = false;
    for (PackageEntry& entry : entries) {
        if (!entry.name.ends_with(".rels")) continue;
        if (std::optional<std::string> relations = movedRelations(entry.data, entry.name)) {
            entry = {entry.name, std::move(*relations)};
            moved = true;
        }
    }
    if (!moved) return;
    std::vector<const PackageEntry*> written;
    for (const PackageEntry& entry : entries) written.push_back(&entry);
    PackageArchive::write(package, written);
}

}  // namespace fk::slicer
