#include "DocumentFacts.h"

#include "OdfNodes.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

namespace fk::slicer {

namespace {

bool isTrue(pugi::xml_attribute attribute) {
    return std::strcmp(attribute.value(), "true") == 0;
}

// Lists of one list style continue each other; nested lists count on at deeper levels.
int firstNumberOfLevel(const StyleCatalog& styles, const std::string& listStyle, int level) {
    for (pugi::xml_node levelStyle : styles.listStyle(listStyle).children("text:list-level-style-number"))
        if (levelStyle.attribute("text:level").as_int() == level + 1)
            return odf::statedNumber(levelStyle.attribute("text:start-value"), 1);
    return 1;
}

}  // namespace

struct DocumentFacts::ListChain {
    std::string style;
    std::array<int, OutlineCounter::kLevels> counters{};
};

struct DocumentFacts::ListWalk {
    std::deque<ListChain> chains;
    std::map<std::string, ListChain*> byId;
    std::map<std::string, ListChain*> lastByStyle;
    ListChain* last = nullptr;
};

DocumentFacts::DocumentFacts(pugi::xml_node officeText, const StyleCatalog& styles) : styles_(styles) {
    ListWalk lists;
    visit(officeText, lists, nullptr, 0);
}

std::optional<int> DocumentFacts::find(pugi::xml_node node) const {
    const auto found = numbers_.find(node.internal_object());
    if (found == numbers_.end()) return std::nullopt;
    return found->second;
}

void DocumentFacts::visit(pugi::xml_node node, ListWalk& lists, ListChain* chain, int level) {
    order_[node.internal_object()] = nodeCount_++;
    if (node.type() != pugi::node_element) return;
    if (odf::isList(node)) return visitList(node, lists, chain, level);
    // Text deleted under change tracking is not in the document: its headings, items and notes count
    // for nothing, and its paragraphs start no page.
    if (odf::is(node, "text:tracked-changes")) return;
    if (odf::isParagraph(node)) paragraphStarts_.push_back(nodeCount_ - 1);
    if (odf::is(node, "text:h")) {
        countHeading(node, outlineLevel(node));
        if (chain) numberByList(*chain, level);
    }
    // Not inside a list: there the list numbers the paragraph.
    if (odf::is(node, "text:p") && !chain)
        if (const int outline = styleOutlineLevel(node, styles_); outline > 0) {
            countHeading(node, outline);
            headings_.back().second.ofEveryLevel = true;
        }
    if (odf::is(node, "text:sequence")) countSequence(node);
    if (odf::is(node, "text:note")) countNote(node);
    for (pugi::xml_node child : node.children()) visit(child, lists, chain, level);
}

void DocumentFacts::visitList(pugi::xml_node list, ListWalk& lists, ListChain* chain, int level) {
    if (!chain) {
        const std::string style = list.attribute("text:style-name").as_string();
        if (const auto continued = lists.byId.find(list.attribute("text:continue-list").as_string());
            continued != lists.byId.end())
            chain = continued->second;
        else if (isTrue(list.attribute("text:continue-numbering"))) {
            const auto sameStyle = lists.lastByStyle.find(style);
            chain = sameStyle != lists.lastByStyle.end() ? sameStyle->second : lists.last;
        }
        if (!chain) chain = &lists.chains.emplace_back(ListChain{style, {}});
        if (const char* id = list.attribute("xml:id").as_string(); *id) lists.byId[id] = chain;
        lists.lastByStyle[style] = lists.last = chain;
    }
    const int index = std::min(level, OutlineCounter::kLevels - 1);
    for (pugi::xml_node child : list.children()) {
        if (odf::is(child, "text:list-item")) {
            int& counter = chain->counters[index];
            const pugi::xml_attribute start = child.attribute("text:start-value");
            // An item that only wraps a deeper list counts nothing at its own level: "4.1" after "4".
            if (odf::isListWrapper(child) && !start) {
                numbers_[child.internal_object()] = counter;
            } else {
                counter = start     ? odf::statedNumber(start, 0)
                          : counter ? counter + 1
                                    : firstNumberOfLevel(styles_, chain->style, index);
                std::fill(chain->counters.begin() + index + 1, chain->counters.end(), 0);
                numbers_[child.internal_object()] = counter;
            }
        }
        order_[child.internal_object()] = nodeCount_++;
        for (pugi::xml_node grandchild : child.children()) visit(grandchild, lists, chain, index + 1);
    }
}

int DocumentFacts::outlineLevel(pugi::xml_node heading) {
    return heading.attribute("text:outline-level").as_int(1);
}

int DocumentFacts::styleOutlineLevel(pugi::xml_node paragraph, const StyleCatalog& styles) {
    const pugi::xml_attribute level = styles.inheritedAttribute(
        "paragraph", paragraph.attribute("text:style-name").as_string(), "style:default-outline-level");
    return level ? level.as_int(0) : 0;
}

int DocumentFacts::headingLevel(pugi::xml_node heading) const {
    const auto found = levels_.find(heading.internal_object());
    return found != levels_.end() ? found->second : outlineLevel(heading);
}

bool DocumentFacts::takesOutlineNumber(pugi::xml_node heading, const StyleCatalog& styles) {
    if (isTrue(heading.attribute("text:is-list-header"))) return false;
    const std::string style = heading.attribute("text:style-name").as_string();
    if (!styles.style("paragraph", style)) return true;  // nothing known says otherwise
    if (!styles.inheritedAttribute("paragraph", style, "style:default-outline-level")) return false;
    const pugi::xml_attribute ownList =
        styles.inheritedAttribute("paragraph", style, "style:list-style-name");
    return !ownList || !*ownList.value();
}

void DocumentFacts::countHeading(pugi::xml_node heading, int level) {
    // A level outside the outline's counts at its nearest end, as the heading's number does; a label
    // shows at most the levels down to its own.
    level = OutlineCounter::clampLevel(level);
    if (level == 1) chapterStarts_.push_back(nodeCount_ - 1);
    Chapter& chapter = headings_.emplace_back(nodeCount_ - 1, Chapter{heading, level, {}}).second;
    if (!takesOutlineNumber(heading, styles_)) return;
    levels_[heading.internal_object()] = level;
    std::optional<int> restartAt;
    if (isTrue(heading.attribute("text:restart-numbering")))
        restartAt = odf::statedNumber(heading.attribute("text:start-value"), 1);
    numbers_[heading.internal_object()] = outline_.advance(level, restartAt);
    for (int counted = 1; counted <= level; ++counted) chapter.numbers.push_back(outline_.at(counted));

    const pugi::xml_node format = styles_.outlineLevelStyle(level);
    const int shownLevels = std::clamp(format.attribute("text:display-levels").as_int(1), 1, level);
    std::vector<OuterNumber> outer;
    for (int parent = std::max(1, level - shownLevels + 1); parent < level; ++parent) {
        const pugi::xml_node parentFormat = styles_.outlineLevelStyle(parent);
        if (!*parentFormat.attribute("style:num-format").as_string()) continue;  // shows nothing
        std::string style = styles_.outlineParagraphStyle(parent);
        if (!style.empty()) outer.push_back({parent, outline_.at(parent), std::move(style)});
    }
    if (!outer.empty()) outerNumbers_[heading.internal_object()] = std::move(outer);
}

void DocumentFacts::numberByList(const ListChain& chain, int depth) {
    Chapter& chapter = headings_.back().second;
    if (!chapter.numbers.empty() || depth < 1) return;
    const int levels = std::min(depth, OutlineCounter::kLevels);
    chapter.numbers.assign(chain.counters.begin(), chain.counters.begin() + levels);
    const pugi::xml_attribute own = styles_.inheritedAttribute(
        "paragraph", chapter.heading.attribute("text:style-name").as_string(), "style:list-style-name");
    chapter.listStyle = own && *own.value() ? own.value() : chain.style;
}

std::vector<DocumentFacts::OuterNumber> DocumentFacts::outerNumbers(pugi::xml_node heading) const {
    const auto found = outerNumbers_.find(heading.internal_object());
    return found == outerNumbers_.end() ? std::vector<OuterNumber>{} : found->second;
}

void DocumentFacts::countSequence(pugi::xml_node field) {
    int& count = sequenceCounts_[field.attribute("text:name").as_string()];
    std::string_view formula = field.attribute("text:formula").as_string();
    if (formula.starts_with("ooow:")) formula.remove_prefix(5);
    // A formula that is a plain number sets the counter; anything else counts on.
    count = odf::statedNumber(formula).value_or(count + 1);
    numbers_[field.internal_object()] = count;
}

void DocumentFacts::countNote(pugi::xml_node note) {
    if (note.child("text:note-citation").attribute("text:label")) return;
    const std::string_view noteClass = note.attribute("text:note-class").as_string("footnote");
    (noteClass == "endnote" ? endnotes_ : footnotes_).push_back(nodeCount_ - 1);
}

std::size_t DocumentFacts::orderOf(const BodyPosition& position) const {
    pugi::xml_node next = position.before;
    for (pugi::xml_node up = position.parent; !next && up; up = up.parent()) next = up.next_sibling();
    if (!next) return nodeCount_;
    const auto found = order_.find(next.internal_object());
    return found == order_.end() ? nodeCount_ : found->second;
}

const DocumentFacts::Chapter* DocumentFacts::chapterInForce(const BodyPosition& position, int level) const {
    // The page's first paragraph: the one the page starts in, or the first after its start.
    std::size_t first = orderOf(position);
    for (pugi::xml_node up = position.parent; up; up = up.parent())
        if (odf::isParagraph(up)) {
            const auto found = order_.find(up.internal_object());
            if (found != order_.end()) first = found->second;
        }
    const auto paragraph = std::lower_bound(paragraphStarts_.begin(), paragraphStarts_.end(), first);
    if (paragraph != paragraphStarts_.end()) first = *paragraph;
    const Chapter* inForce = nullptr;
    for (const auto& [order, chapter] : headings_) {
        if (order > first) break;
        if (chapter.level <= level || chapter.ofEveryLevel) inForce = &chapter;
    }
    return inForce;
}

int DocumentFacts::notesBefore(std::string_view noteClass, const BodyPosition& position,
                               bool sinceChapter) const {
    const std::vector<std::size_t>& notes = noteClass == "endnote" ? endnotes_ : footnotes_;
    const std::size_t end = orderOf(position);
    std::size_t begin = 0;
    if (sinceChapter) {
        const auto chapter = std::lower_bound(chapterStarts_.begin(), chapterStarts_.end(), end);
        if (chapter != chapterStarts_.begin()) begin = *std::prev(chapter);
    }
    const auto from = std::lower_bound(notes.begin(), notes.end(), begin);
    const auto to = std::lower_bound(notes.begin(), notes.end(), end);
    return static_cast<int>(to - from);
}

}  // namespace fk::slicer
