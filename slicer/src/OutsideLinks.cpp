#include "OutsideLinks.h"

#include <cctype>
#include <cstdio>

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

OutsideLinks::OutsideLinks(const fs::path& storedIn, const fs::path& pagesIn)
    : storedIn_(percentEncoded(storedIn.lexically_normal().generic_string())),
      pagesIn_(percentEncoded(pagesIn.lexically_normal().generic_string())) {}

std::string OutsideLinks::moved(std::string_view href) const {
    // Only "../" leaves the package; anything else is inside it or says in full where it leads.
    if (!href.starts_with("../")) return std::string(href);
    return "../" + movedFromFolder(href.substr(3));
}

std::string OutsideLinks::movedFromFolder(std::string_view target) const {
    if (!isRelativePath(target)) return std::string(target);
    // A query or a place in the file is not part of the path. Both folders are percent-encoded as the
    // link is, so that the path is worked out in the link's own spelling.
    const std::size_t pathEnd = std::min(target.find_first_of("?#"), target.size());
    const fs::path file = (storedIn_ / fs::path(target.substr(0, pathEnd))).lexically_normal();
    std::string path = file.lexically_relative(pagesIn_).generic_string();
    if (path.empty()) return std::string(target);  // no way from one to the other
    if (path == ".") path = "./";
    return path + std::string(target.substr(pathEnd));
}

void OutsideLinks::move(pugi::xml_node root) const {
    for (pugi::xml_node node = root; node;) {
        if (pugi::xml_attribute href = node.attribute("xlink:href")) {
            const std::string link = moved(href.value());
            if (link != href.value()) href.set_value(link.c_str());
        }
        // In document order, without recursion: a body may nest deeply.
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != root && !node.next_sibling()) node = node.parent();
        if (node == root) break;
        node = node.next_sibling();
    }
}

}  // namespace fk::slicer
