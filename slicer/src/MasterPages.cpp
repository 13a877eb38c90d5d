#include "MasterPages.h"

#include <charconv>

namespace fk::slicer {

namespace {

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

MasterPages::MasterPages(pugi::xml_node stylesRoot) {
    for (pugi::xml_node page : stylesRoot.child("office:master-styles").children("style:master-page"))
        pages_.push_back({page.attribute("style:name").as_string(),
                          page.attribute("style:display-name").as_string(),
                          page.attribute("style:next-style-name").as_string(),
                          page.attribute("style:page-layout-name").as_string()});
}

std::string MasterPages::decodeName(std::string_view encoded) {
    std::string decoded;
    std::size_t i = 0;
    while (i < encoded.size()) {
        if (encoded[i] == '_') {
            const std::size_t close = encoded.find('_', i + 1);
            const std::size_t digits = close == std::string_view::npos ? 0 : close - i - 1;
            unsigned code = 0;
            if (digits >= 1 && digits <= 6) {
                const char* begin = encoded.data() + i + 1;
                const auto [end, error] = std::from_chars(begin, begin + digits, code, 16);
                if (error == std::errc() && end == begin + digits) {
                    appendUtf8(decoded, static_cast<char32_t>(code));
                    i = close + 1;
                    continue;
                }
            }
        }
        decoded += encoded[i++];
    }
    return decoded;
}

std::string MasterPages::resolve(std::string_view pageStyle) const {
    if (pageStyle.empty()) return {};
    for (const Page& page : pages_)
        if (page.displayName == pageStyle || page.name == pageStyle) return page.name;
    for (const Page& page : pages_)
        if (decodeName(page.name) == pageStyle) return page.name;
    return {};
}

std::string MasterPages::next(std::string_view name) const {
    for (const Page& page : pages_)
        if (page.name == name) return page.nextName.empty() ? page.name : page.nextName;
    return std::string(name);
}

std::string MasterPages::initial() const {
    for (const Page& page : pages_)
        if (page.name == "Standard") return page.name;
    return pages_.empty() ? std::string() : pages_.front().name;
}

std::string MasterPages::layoutOf(std::string_view name) const {
    for (const Page& page : pages_)
        if (page.name == name) return page.layoutName;
    return {};
}

}  // namespace fk::slicer
