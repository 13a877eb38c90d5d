#include "WordProperties.h"

#include <algorithm>
#include <array>

namespace fk::slicer {

namespace {

// The order of w:pPr's and w:sectPr's children in Word's schema.
constexpr std::array<std::string_view, 34> kParagraphOrder = {"w:pStyle",
                                                              "w:keepNext",
                                                              "w:keepLines",
                                                              "w:pageBreakBefore",
                                                              "w:framePr",
                                                              "w:widowControl",
                                                              "w:numPr",
                                                              "w:suppressLineNumbers",
                                                              "w:pBdr",
                                                              "w:shd",
                                                              "w:tabs",
                                                              "w:suppressAutoHyphens",
                                                              "w:kinsoku",
                                                              "w:wordWrap",
                                                              "w:overflowPunct",
                                                              "w:topLinePunct",
                                                              "w:autoSpaceDE",
                                                              "w:autoSpaceDN",
                                                              "w:bidi",
                                                              "w:adjustRightInd",
                                                              "w:snapToGrid",
                                                              "w:spacing",
                                                              "w:ind",
                                                              "w:contextualSpacing",
                                                              "w:mirrorIndents",
                                                              "w:suppressOverlap",
                                                              "w:jc",
                                                              "w:textDirection",
                                                              "w:textAlignment",
                                                              "w:textboxTightWrap",
                                                              "w:outlineLvl",
                                                              "w:divId",
                                                              "w:cnfStyle",
                                                              "w:rPr"};
constexpr std::array<std::string_view, 21> kSectionOrder = {
    "w:headerReference", "w:footerReference", "w:footnotePr",     "w:endnotePr", "w:type",          "w:pgSz",
    "w:pgMar",           "w:paperSrc",        "w:pgBorders",      "w:lnNumType", "w:pgNumType",     "w:cols",
    "w:formProt",        "w:vAlign",          "w:noEndnote",      "w:titlePg",   "w:textDirection", "w:bidi",
    "w:rtlGutter",       "w:docGrid",         "w:printerSettings"};

template <std::size_t N>
std::size_t rank(const std::array<std::string_view, N>& order, std::string_view name) {
    return static_cast<std::size_t>(std::find(order.begin(), order.end(), name) - order.begin());
}

// The child `name` of `parent`, inserted where `order` puts it when there is none.
template <std::size_t N>
pugi::xml_node orderedChild(pugi::xml_node parent, std::string_view name,
                            const std::array<std::string_view, N>& order) {
    const std::string key(name);
    if (pugi::xml_node found = parent.child(key.c_str())) return found;
    const std::size_t wanted = rank(order, name);
    for (pugi::xml_node sibling : parent.children())
        if (sibling.type() == pugi::node_element && rank(order, sibling.name()) > wanted)
            return parent.insert_child_before(key.c_str(), sibling);
    return parent.append_child(key.c_str());
}

void setAttribute(pugi::xml_node node, std::string_view name, std::string_view value) {
    const std::string key(name);
    pugi::xml_attribute attribute = node.attribute(key.c_str());
    if (!attribute) attribute = node.append_attribute(key.c_str());
    attribute.set_value(std::string(value).c_str());
}

}  // namespace

void WordStyles::read(pugi::xml_document styles) {
    document_ = std::move(styles);
    const pugi::xml_node root = document_.document_element();
    defaults_ = root.child("w:docDefaults").child("w:pPrDefault").child("w:pPr");
    for (pugi::xml_node style : root.children("w:style")) {
        if (std::string_view(style.attribute("w:type").value()) != "paragraph") continue;
        paragraphStyles_[style.attribute("w:styleId").value()] = style;
        if (style.attribute("w:default").as_bool()) defaultStyle_ = style.attribute("w:styleId").value();
    }
}

pugi::xml_node WordStyles::paragraphProperty(pugi::xml_node paragraph, std::string_view name) const {
    const std::string key(name);
    const pugi::xml_node own = paragraph.child("w:pPr");
    if (pugi::xml_node found = own.child(key.c_str())) return found;
    std::string styleId = own.child("w:pStyle").attribute("w:val").value();
    if (styleId.empty()) styleId = defaultStyle_;
    // A chain of styles based on each other; a loop in a damaged file ends it.
    for (int depth = 0; depth < 32 && !styleId.empty(); ++depth) {
        const auto style = paragraphStyles_.find(styleId);
        if (style == paragraphStyles_.end()) break;
        if (pugi::xml_node found = style->second.child("w:pPr").child(key.c_str())) return found;
        styleId = style->second.child("w:basedOn").attribute("w:val").value();
    }
    return defaults_.child(key.c_str());
}

bool WordStyles::inList(pugi::xml_node paragraph) const {
    const pugi::xml_node numbering = paragraphProperty(paragraph, "w:numPr");
    const std::string_view id = numbering.child("w:numId").attribute("w:val").value();
    return numbering && id != "0";
}

bool WordStyles::justified(pugi::xml_node paragraph) const {
    const std::string_view value = paragraphProperty(paragraph, "w:jc").attribute("w:val").value();
    return value == "both" || value == "distribute";
}

WordListCounters::WordListCounters(pugi::xml_node numbering) {
    std::unordered_map<std::string, List> abstract;
    for (pugi::xml_node list : numbering.children("w:abstractNum")) {
        List& counted = abstract[list.attribute("w:abstractNumId").value()];
        counted.abstractId = list.attribute("w:abstractNumId").value();
        counted.start.fill(1);
        for (pugi::xml_node level : list.children("w:lvl")) {
            const int depth = level.attribute("w:ilvl").as_int(-1);
            if (depth < 0 || depth >= kLevels) continue;
            const std::string_view format = level.child("w:numFmt").attribute("w:val").value();
            counted.counting[depth] = !format.empty() && format != "bullet" && format != "none";
            counted.start[depth] = level.child("w:start").attribute("w:val").as_int(1);
            if (level.child("w:lvlRestart")) understood_ = false;
        }
    }
    for (pugi::xml_node num : numbering.children("w:num")) {
        const auto found = abstract.find(num.child("w:abstractNumId").attribute("w:val").value());
        if (found == abstract.end()) continue;
        List list = found->second;
        for (pugi::xml_node override : num.children("w:lvlOverride")) {
            const int depth = override.attribute("w:ilvl").as_int(-1);
            const pugi::xml_node start = override.child("w:startOverride");
            if (depth >= 0 && depth < kLevels && start)
                list.start[depth] = start.attribute("w:val").as_int(1);
        }
        lists_[num.attribute("w:numId").value()] = list;
    }
}

const WordListCounters::List* WordListCounters::list(const std::string& id) const {
    const auto found = lists_.find(id);
    return found == lists_.end() ? nullptr : &found->second;
}

std::vector<int> WordListCounters::count(Counts& counts, const std::string& id, int level) const {
    const auto found = lists_.find(id);
    if (found == lists_.end()) return {};
    const List& list = found->second;
    level = std::clamp(level, 0, kLevels - 1);
    const auto [counters, fresh] = counts.try_emplace(id);
    std::array<int, kLevels>& numbers = counters->second;
    if (fresh)
        for (int l = 0; l < kLevels; ++l) numbers[l] = list.start[l] - 1;
    ++numbers[level];
    for (int l = level + 1; l < kLevels; ++l) numbers[l] = list.start[l] - 1;
    std::vector<int> shown;
    bool counted = false;
    for (int l = 0; l <= level; ++l) {
        // A level not yet used shows its start.
        shown.push_back(list.counting[l] ? std::max(numbers[l], list.start[l]) : 0);
        counted = counted || list.counting[l];
    }
    if (!counted) shown.clear();
    return shown;
}

WordParagraphProperties::WordParagraphProperties(pugi::xml_node paragraph) : paragraph_(paragraph) {}

pugi::xml_node WordParagraphProperties::child(std::string_view name) {
    pugi::xml_node properties = paragraph_.child("w:pPr");
    if (!properties) properties = paragraph_.prepend_child("w:pPr");
    return orderedChild(properties, name, kParagraphOrder);
}

void WordParagraphProperties::remove(std::string_view name) {
    paragraph_.child("w:pPr").remove_child(std::string(name).c_str());
}

void WordParagraphProperties::set(std::string_view name, std::string_view attribute, std::string_view value) {
    setAttribute(child(name), attribute, value);
}

void WordParagraphProperties::setSpacing(std::string_view side, std::string_view twips) {
    pugi::xml_node spacing = child("w:spacing");
    setAttribute(spacing, side, twips);
    // Automatic spacing would replace the value; said off, the office reading the file lost the space
    // between the list items after such a paragraph.
    spacing.remove_attribute((std::string(side) + "Autospacing").c_str());
    spacing.remove_attribute((std::string(side) + "Lines").c_str());
}

void WordParagraphProperties::setFirstLineIndent(std::string_view twips) {
    pugi::xml_node indent = child("w:ind");
    for (const char* name : {"w:hanging", "w:hangingChars", "w:firstLineChars"})
        indent.remove_attribute(name);
    setAttribute(indent, "w:firstLine", twips);
}

void WordParagraphProperties::appendTiny(pugi::xml_node body) {
    pugi::xml_node paragraph = body.append_child("w:p");
    pugi::xml_node properties = paragraph.append_child("w:pPr");
    pugi::xml_node spacing = properties.append_child("w:spacing");
    spacing.append_attribute("w:before") = "0";
    spacing.append_attribute("w:after") = "0";
    // A twip: six were still seen to push a page that a table fills onto a second one.
    spacing.append_attribute("w:line") = "1";
    spacing.append_attribute("w:lineRule") = "exact";
    pugi::xml_node run = properties.append_child("w:rPr");
    run.append_child("w:sz").append_attribute("w:val") = "2";
    run.append_child("w:szCs").append_attribute("w:val") = "2";
}

void WordParagraphProperties::appendListCarrier(pugi::xml_node body, const std::string& style,
                                                const std::string& id, int level) {
    WordParagraphProperties properties(body.append_child("w:p"));
    if (!style.empty()) properties.set("w:pStyle", "w:val", style);
    // Whatever the style opens or keeps a paragraph with, the carrier shows nothing and takes no room.
    properties.set("w:keepNext", "w:val", "0");
    properties.set("w:pageBreakBefore", "w:val", "0");
    pugi::xml_node list = properties.child("w:numPr");
    list.append_child("w:ilvl").append_attribute("w:val") = level;
    list.append_child("w:numId").append_attribute("w:val") = id.c_str();
    properties.setSpacing("w:before", "0");
    properties.setSpacing("w:after", "0");
    properties.set("w:spacing", "w:line", "1");
    properties.set("w:spacing", "w:lineRule", "exact");
    properties.child("w:rPr").append_child("w:vanish");
}

void WordSectionProperties::remove(std::string_view name) {
    section_.remove_child(std::string(name).c_str());
}

void WordSectionProperties::giveFirstPageTheRoomOf(std::string_view reference, std::string_view side,
                                                   std::string_view distance) {
    const std::string name(reference);
    bool others = false;
    for (pugi::xml_node found : section_.children(name.c_str())) {
        if (std::string_view(found.attribute("w:type").value()) == "first") return;
        others = true;
    }
    const pugi::xml_node margins = section_.child("w:pgMar");
    const pugi::xml_attribute edge = margins.attribute(std::string(distance).c_str());
    if (others && edge) setAttribute(margins, side, edge.value());
}

void WordSectionProperties::setNumberingStart(int number) {
    setAttribute(orderedChild(section_, "w:pgNumType", kSectionOrder), "w:start", std::to_string(number));
}

void WordSectionProperties::openOnNextPage() {
    pugi::xml_attribute type = section_.child("w:type").attribute("w:val");
    const std::string_view value = type.value();
    if (value == "oddPage" || value == "evenPage") type.set_value("nextPage");
}

}  // namespace fk::slicer
