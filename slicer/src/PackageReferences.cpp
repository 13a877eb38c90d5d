#include "PackageReferences.h"

#include <cctype>

namespace fk::slicer {

namespace {

// Hrefs are IRIs; names with spaces may come percent-encoded.
std::string percentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            decoded += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// The package path an href names, or empty for links outside the package.
std::string packagePath(std::string_view href) {
    if (href.empty() || href.front() == '#' || href.front() == '/' || href.starts_with("../")) return {};
    const std::size_t colon = href.find(':');
    if (colon != std::string_view::npos && colon < href.find('/')) return {};  // has a scheme
    while (href.starts_with("./")) href.remove_prefix(2);
    while (href.ends_with('/')) href.remove_suffix(1);
    return std::string(href);
}

}  // namespace

void PackageReferences::collect(pugi::xml_node root) {
    struct Walker : pugi::xml_tree_walker {
        std::set<std::string>* paths;
        bool for_each(pugi::xml_node& node) override {
            const std::string path = packagePath(node.attribute("xlink:href").as_string());
            if (!path.empty()) {
                paths->insert(path);
                paths->insert(percentDecoded(path));
            }
            return true;
        }
    } walker;
    walker.paths = &paths_;
    root.traverse(walker);
}

bool PackageReferences::covers(std::string_view entryName) const {
    for (const std::string& path : paths_)
        if (entryName == path ||
            (entryName.starts_with(path) && entryName.size() > path.size() && entryName[path.size()] == '/'))
            return true;
    return false;
}

}  // namespace fk::slicer
