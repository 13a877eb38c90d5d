#include "OdfNodes.h"

#include <algorithm>

#include "slicer/MarkNames.h"

#include <array>
#include <charconv>
#include <cstring>

namespace fk::slicer::odf {

namespace {

bool isOneOf(pugi::xml_node node, std::initializer_list<std::string_view> names) {
    const std::string_view name = node.name();
    for (const std::string_view candidate : names)
        if (candidate == name) return true;
    return false;
}

bool isIndexContainer(pugi::xml_node node) {
    return isOneOf(node, {"text:table-of-content", "text:illustration-index", "text:table-index",
                          "text:object-index", "text:user-index", "text:alphabetical-index",
                          "text:bibliography", "text:index-body", "text:index-title"});
}

constexpr int kMaxStatedNumber = 1'000'000'000;

int bounded(int number) {
    return std::clamp(number, -kMaxStatedNumber, kMaxStatedNumber);
}

bool isDrawing(pugi::xml_node node) {
    const std::string_view name = node.name();
    return name.starts_with("draw:") || name.starts_with("dr3d:");
}

bool isWhitespace(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

bool isInlineWrapper(pugi::xml_node node) {
    return isOneOf(node, {"text:span", "text:a", "text:meta", "text:meta-field"});
}

bool isMarker(pugi::xml_node node) {
    return isOneOf(node, {"text:bookmark",
                          "text:bookmark-start",
                          "text:bookmark-end",
                          "text:reference-mark",
                          "text:reference-mark-start",
                          "text:reference-mark-end",
                          "text:toc-mark",
                          "text:toc-mark-start",
                          "text:toc-mark-end",
                          "text:alphabetical-index-mark",
                          "text:alphabetical-index-mark-start",
                          "text:alphabetical-index-mark-end",
                          "text:user-index-mark",
                          "text:user-index-mark-start",
                          "text:user-index-mark-end",
                          "text:soft-page-break",
                          "text:change",
                          "text:change-start",
                          "text:change-end",
                          "office:annotation",
                          "office:annotation-end"});
}

bool isReservedMark(pugi::xml_node node) {
    return isOneOf(node, {"text:bookmark", "text:bookmark-start", "text:bookmark-end"}) &&
           IsOurMark(node.attribute("text:name").as_string());
}

int markedCellPage(pugi::xml_node node) {
    if (!is(node, "text:bookmark") && !is(node, "text:bookmark-start")) return 0;
    return PageOfCellMark(node.attribute("text:name").as_string());
}

int markedPage(pugi::xml_node node) {
    if (!is(node, "text:bookmark") && !is(node, "text:bookmark-start")) return 0;
    return PageOfMark(node.attribute("text:name").as_string());
}

bool isPageAnchored(pugi::xml_node node) {
    return node.type() == pugi::node_element &&
           std::strcmp(node.attribute("text:anchor-type").value(), "page") == 0;
}

bool isPrologue(pugi::xml_node node) {
    const std::string_view name = node.name();
    if (name.starts_with("text:") && (name.ends_with("-decls") || name.ends_with("-source"))) return true;
    return isOneOf(node,
                   {"office:forms", "text:tracked-changes", "text:alphabetical-index-auto-mark-file",
                    "table:calculation-settings", "table:content-validations", "table:label-ranges",
                    "table:table-source", "table:scenario", "office:dde-source", "table:title", "table:desc",
                    "table:table-column", "table:table-columns", "table:table-column-group",
                    "table:table-header-columns", "table:table-header-rows"});
}

bool isContentFree(pugi::xml_node node) {
    switch (node.type()) {
        case pugi::node_pcdata:
        case pugi::node_cdata:
            // Leading white space collapses in a paragraph, and carries nothing between blocks.
            return isWhitespace(node.value());
        case pugi::node_element:
            break;
        default:
            return true;
    }
    if (isMarker(node)) return true;
    if (isPrologue(node)) return !is(node, "table:table-header-rows");
    if (isDrawing(node)) {
        const std::string_view anchor = node.attribute("text:anchor-type").as_string("as-char");
        return anchor != "as-char";
    }
    if (isInlineWrapper(node)) {
        for (pugi::xml_node child : node.children())
            if (!isContentFree(child)) return false;
        return true;
    }
    return false;
}

bool isBlockContainer(pugi::xml_node node) {
    return isOneOf(node, {"text:section", "text:list", "text:list-item", "text:list-header"}) ||
           isIndexContainer(node);
}

bool canHoldBoundary(pugi::xml_node node) {
    return isOneOf(node, {"office:text", "table:table", "table:table-rows", "table:table-row-group"}) ||
           isBlockContainer(node) || isParagraph(node) || isInlineWrapper(node);
}

std::string pageCountShown(pugi::xml_node field, const std::string& inputPageCount) {
    const std::string stored = field.text().as_string();
    const bool decimal =
        std::all_of(stored.begin(), stored.end(), [](char c) { return c >= '0' && c <= '9'; });
    return decimal ? inputPageCount : stored;
}

void hide(pugi::xml_node paragraph) {
    pugi::xml_node field = paragraph.prepend_child("text:hidden-paragraph");
    field.append_attribute("text:condition") = "ooow:1";
    field.append_attribute("text:is-hidden") = "true";
}

bool isHidden(pugi::xml_node paragraph) {
    return isParagraph(paragraph) && paragraph.child("text:hidden-paragraph") &&
           std::strcmp(paragraph.child("text:hidden-paragraph").attribute("text:condition").value(),
                       "ooow:1") == 0;
}

int statedNumber(pugi::xml_attribute attribute, int fallback) {
    return bounded(attribute.as_int(fallback));
}

std::optional<int> statedNumber(std::string_view text) {
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return bounded(number);
}

pugi::xml_node firstContentChild(pugi::xml_node parent) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && !isPrologue(child) && !isPageAnchored(child) &&
            !isMarker(child))
            return child;
    return {};
}

pugi::xml_node lastContentChild(pugi::xml_node parent) {
    for (pugi::xml_node child = parent.last_child(); child; child = child.previous_sibling())
        if (child.type() == pugi::node_element && !isPrologue(child) && !isPageAnchored(child) &&
            !isMarker(child))
            return child;
    return {};
}

}  // namespace fk::slicer::odf
