#include "RunningHeads.h"

#include "FrozenFields.h"
#include "OdfNodes.h"

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

namespace fk::slicer {

namespace {

std::string roman(int number, bool upper) {
    static constexpr std::array<std::pair<int, const char*>, 13> kDigits{{{1000, "m"},
                                                                          {900, "cm"},
                                                                          {500, "d"},
                                                                          {400, "cd"},
                                                                          {100, "c"},
                                                                          {90, "xc"},
                                                                          {50, "l"},
                                                                          {40, "xl"},
                                                                          {10, "x"},
                                                                          {9, "ix"},
                                                                          {5, "v"},
                                                                          {4, "iv"},
                                                                          {1, "i"}}};
    std::string text;
    for (const auto& [value, digits] : kDigits)
        for (; number >= value; number -= value) text += digits;
    if (upper) std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c - 'a' + 'A'; });
    return text;
}

// a ... z, aa ... zz, aaa ...: the letter repeated, as the office counts with letters.
std::string letters(int number, char first) {
    const int repeats = (number - 1) / 26 + 1;
    return std::string(static_cast<std::size_t>(repeats), static_cast<char>(first + (number - 1) % 26));
}

void appendText(pugi::xml_node node, std::string& text) {
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            text += child.value();
        } else if (odf::is(child, "text:s")) {
            text.append(static_cast<std::size_t>(std::clamp(child.attribute("text:c").as_int(1), 1, 1000)),
                        ' ');
        } else if (odf::is(child, "text:tab") || odf::is(child, "text:line-break")) {
            text += ' ';
        } else if (child.type() == pugi::node_element && !odf::is(child, "text:note") &&
                   !odf::is(child, "office:annotation") && !odf::is(child, "text:hidden-paragraph") &&
                   !std::string_view(child.name()).starts_with("draw:")) {
            appendText(child, text);
        }
    }
}

}  // namespace

RunningHeads::RunningHeads(const DocumentFacts& facts, const StyleCatalog& styles)
    : facts_(facts), styles_(styles) {}

void RunningHeads::freezeChapters(pugi::xml_node stylesRoot, const BodyPosition& pageStart) const {
    std::vector<pugi::xml_node> fields;
    for (pugi::xpath_node found : stylesRoot.select_nodes("//text:chapter")) fields.push_back(found.node());
    for (pugi::xml_node field : fields) {
        field.remove_children();
        const std::string text = shown(field, pageStart);
        if (!text.empty()) field.append_child(pugi::node_pcdata).set_value(text.c_str());
        FrozenFields::replaceByItsText(field);
    }
}

std::string RunningHeads::shown(pugi::xml_node field, const BodyPosition& pageStart) const {
    const int level = OutlineCounter::clampLevel(field.attribute("text:outline-level").as_int(1));
    const DocumentFacts::Chapter* chapter = facts_.chapterInForce(pageStart, level);
    if (!chapter) return {};
    const std::string_view display = field.attribute("text:display").as_string("number-and-name");
    if (display == "name") return title(chapter->heading);
    if (display == "number") return label(*chapter, true);
    if (display == "plain-number") return label(*chapter, false);
    // The office puts a space between number and name.
    const std::string number = label(*chapter, display != "plain-number-and-name");
    return number.empty() ? title(chapter->heading) : number + " " + title(chapter->heading);
}

pugi::xml_node RunningHeads::levelFormat(const DocumentFacts::Chapter& chapter, int level) const {
    if (chapter.listStyle.empty()) return styles_.outlineLevelStyle(level);
    for (pugi::xml_node format : styles_.listStyle(chapter.listStyle).children())
        if (format.attribute("text:level").as_int() == level) return format;
    return {};
}

std::string RunningHeads::label(const DocumentFacts::Chapter& chapter, bool withPrefixAndSuffix) const {
    const int deepest = static_cast<int>(chapter.numbers.size());
    if (deepest == 0) return {};
    const pugi::xml_node format = levelFormat(chapter, deepest);
    const std::string_view ownFormat = format.attribute("style:num-format").as_string();
    if (ownFormat.empty()) return {};
    const auto number = [&](int level) {
        const std::string_view shownAs =
            levelFormat(chapter, level).attribute("style:num-format").as_string("1");
        return formatNumber(chapter.numbers[static_cast<std::size_t>(level - 1)], shownAs);
    };
    const std::string prefix = format.attribute("style:num-prefix").as_string();
    const std::string suffix = format.attribute("style:num-suffix").as_string();
    std::string text;
    if (const std::string_view listFormat = format.attribute("loext:num-list-format").as_string();
        !listFormat.empty()) {
        // The office's own label ("%1%.%2% "): its separators, prefix and suffix as written.
        text = substituteLevels(listFormat, deepest, number);
        if (withPrefixAndSuffix) return text;
        if (text.starts_with(prefix)) text.erase(0, prefix.size());
        if (text.ends_with(suffix)) text.erase(text.size() - suffix.size());
        return text;
    }
    const int shownLevels = std::clamp(format.attribute("text:display-levels").as_int(1), 1, deepest);
    for (int level = deepest - shownLevels + 1; level <= deepest; ++level) {
        if (!text.empty()) text += '.';
        text += number(level);
    }
    return withPrefixAndSuffix ? prefix + text + suffix : text;
}

std::string RunningHeads::substituteLevels(std::string_view listFormat, int deepest,
                                           const std::function<std::string(int)>& number) {
    std::string text;
    while (!listFormat.empty()) {
        const std::size_t open = listFormat.find('%');
        const std::size_t close = open == std::string_view::npos ? open : listFormat.find('%', open + 1);
        if (close == std::string_view::npos) {
            text += listFormat;
            break;
        }
        text += listFormat.substr(0, open);
        const auto level = odf::statedNumber(listFormat.substr(open + 1, close - open - 1));
        if (level && *level >= 1 && *level <= deepest)
            text += number(*level);
        else
            text += listFormat.substr(open, close - open + 1);
        listFormat.remove_prefix(close + 1);
    }
    return text;
}

std::string RunningHeads::title(pugi::xml_node heading) {
    std::string text;
    appendText(heading, text);
    return text;
}

std::string RunningHeads::formatNumber(int number, std::string_view format) {
    // Beyond these the office's own forms are of no use to a reader either.
    constexpr int kMaxRoman = 3999, kMaxLetters = 26 * 10;
    if (number < 1 || format.empty()) return std::to_string(number);
    switch (format.front()) {
        case 'i':
        case 'I':
            return number <= kMaxRoman ? roman(number, format.front() == 'I') : std::to_string(number);
        case 'a':
        case 'A':
            return number <= kMaxLetters ? letters(number, format.front()) : std::to_string(number);
        default:
            return std::to_string(number);
    }
}

}  // namespace fk::slicer
