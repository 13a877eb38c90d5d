#include "BodyRangeCopier.h"

#include "OdfNodes.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

namespace fk::slicer {

namespace {

// The child of `parent` that holds the position, or null when it is at the end of `parent` or outside.
pugi::xml_node childHolding(pugi::xml_node parent, const BodyPosition& position) {
    if (position.parent == parent) return position.before;
    for (pugi::xml_node node = position.parent; node; node = node.parent())
        if (node.parent() == parent) return node;
    return {};
}

std::unordered_set<const void*> ancestorsOrSelf(pugi::xml_node node) {
    std::unordered_set<const void*> path;
    for (; node; node = node.parent()) path.insert(node.internal_object());
    return path;
}

bool continuesNumbering(pugi::xml_node list) {
    return std::strcmp(list.attribute("text:continue-numbering").value(), "true") == 0 ||
           list.attribute("text:continue-list");
}

// Whether the last thing a paragraph (or inline wrapper) shows is a manual line break; nullopt when it
// shows nothing.
std::optional<bool> endsWithLineBreak(pugi::xml_node container) {
    for (pugi::xml_node node = container.last_child(); node; node = node.previous_sibling()) {
        if (odf::isInlineWrapper(node)) {
            if (const auto inside = endsWithLineBreak(node)) return inside;
        } else if (!odf::isContentFree(node)) {
            return odf::is(node, "text:line-break");
        }
    }
    return std::nullopt;
}

// Drops the spaces a paragraph (or inline wrapper) ends with; returns whether it reached something
// shown before them.
bool trimTrailingSpaces(pugi::xml_node container) {
    for (pugi::xml_node node = container.last_child(); node;) {
        const pugi::xml_node previous = node.previous_sibling();
        if (node.type() == pugi::node_pcdata) {
            std::string text = node.value();
            text.erase(text.find_last_not_of(" \t\r\n") + 1);
            if (!text.empty()) {
                node.set_value(text.c_str());
                return true;
            }
            container.remove_child(node);
        } else if (odf::is(node, "text:s")) {
            container.remove_child(node);
        } else if (odf::isInlineWrapper(node)) {
            if (trimTrailingSpaces(node)) return true;
        } else if (!odf::isContentFree(node)) {
            return true;
        }
        node = previous;
    }
    return false;
}

// Removes the manual line break a paragraph (or inline wrapper) ends with, and the spaces after it.
void dropTrailingLineBreak(pugi::xml_node container) {
    for (pugi::xml_node node = container.last_child(); node;) {
        const pugi::xml_node previous = node.previous_sibling();
        if (odf::isInlineWrapper(node)) {
            if (endsWithLineBreak(node).has_value()) {
                dropTrailingLineBreak(node);
                return;
            }
        } else if (odf::is(node, "text:line-break")) {
            container.remove_child(node);
            return;
        } else if (!odf::isContentFree(node)) {
            return;
        }
        node = previous;
    }
}

// Whether a covered cell is covered by a cell of its own row rather than by one of a row above.
bool coveredFromTheLeft(pugi::xml_node covered) {
    int reach = 0;  // how many cells further the last spanning cell reaches
    for (pugi::xml_node cell = covered.parent().first_child(); cell && cell != covered;
         cell = cell.next_sibling()) {
        if (cell.type() != pugi::node_element) continue;
        const int columns = std::max(1, cell.attribute("table:number-columns-repeated").as_int(1));
        if (odf::is(cell, "table:table-cell"))
            reach = std::max(1, cell.attribute("table:number-columns-spanned").as_int(1)) - 1;
        else
            reach = std::max(0, reach - columns);
    }
    return reach > 0;
}

// "0.139in" -> true, "0cm" or "" -> false; the unit does not matter for that. Read without the
// locale, which may write decimals with a comma.
bool lengthIsPositive(std::string_view length) {
    double value = 0;
    std::from_chars(length.data(), length.data() + length.size(), value);
    return value > 0;
}

void setAttribute(pugi::xml_node element, const char* name, const std::string& value) {
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) attribute = element.append_attribute(name);
    attribute.set_value(value.c_str());
}

// Where a hidden heading that carries a number goes before `heading`: before the sections the heading
// opens. Opening a section itself, the hidden heading takes away the space the layout gives above the
// heading.
pugi::xml_node carrierPlace(pugi::xml_node heading) {
    pugi::xml_node place = heading;
    while (odf::is(place.parent(), "text:section")) {
        for (pugi::xml_node before = place.previous_sibling(); before; before = before.previous_sibling())
            if (!odf::isContentFree(before)) return place;
        place = place.parent();
    }
    return place;
}

bool inList(pugi::xml_node node) {
    for (node = node.parent(); node; node = node.parent())
        if (odf::isList(node)) return true;
    return false;
}

}  // namespace

BodyRangeCopier::BodyRangeCopier(const DocumentFacts& facts, OutputStyles& styles, std::string pageCountText)
    : facts_(facts), styles_(styles), pageCountText_(std::move(pageCountText)) {}

void BodyRangeCopier::copy(pugi::xml_node sourceText, const BodyPosition& start, const BodyPosition& end,
                           pugi::xml_node targetText) {
    copy(sourceText, BodyCut{start, {}}, BodyCut{end, {}}, targetText);
}

void BodyRangeCopier::copy(pugi::xml_node sourceText, const BodyCut& start, const BodyCut& end,
                           pugi::xml_node targetText) {
    startCuts_.clear();
    endCuts_.clear();
    startPath_.clear();
    endPath_.clear();
    startPosition_ = start.position;
    addCut(start.position, startCuts_, startPath_);
    for (const BodyPosition& cut : start.cellCuts) addCut(cut, startCuts_, startPath_);
    addCut(end.position, endCuts_, endPath_);
    for (const BodyPosition& cut : end.cellCuts) addCut(cut, endCuts_, endPath_);
    copyChildren(sourceText, targetText, true, true);
}

void BodyRangeCopier::addCut(const BodyPosition& position, Cuts& cuts,
                             std::unordered_set<const void*>& path) {
    cuts[position.parent.internal_object()] = position.before;
    const std::unordered_set<const void*> ancestors = ancestorsOrSelf(position.parent);
    path.insert(ancestors.begin(), ancestors.end());
}

std::optional<pugi::xml_node> BodyRangeCopier::cutIn(const Cuts& cuts, pugi::xml_node parent) {
    const auto found = cuts.find(parent.internal_object());
    if (found == cuts.end()) return std::nullopt;
    return found->second;
}

pugi::xml_node BodyRangeCopier::copyWhole(pugi::xml_node source, pugi::xml_node targetParent) {
    const pugi::xml_node previous = targetParent.last_child();
    copyNode(source, targetParent, false, false);
    const pugi::xml_node added = targetParent.last_child();
    return added == previous ? pugi::xml_node() : added;
}

void BodyRangeCopier::copyChildren(pugi::xml_node source, pugi::xml_node target, bool holdsStart,
                                   bool holdsEnd) {
    const bool isBody = odf::is(source, "office:text");
    bool wantListStart = odf::isList(source) && (holdsStart || continuesNumbering(source));
    if (wantListStart) {
        // The explicit start value replaces the link to a list the output may not hold.
        target.remove_attribute("text:continue-numbering");
        target.remove_attribute("text:continue-list");
    }
    bool started = !holdsStart;
    const std::optional<pugi::xml_node> startHere = holdsStart ? cutIn(startCuts_, source) : std::nullopt;
    const std::optional<pugi::xml_node> endHere = holdsEnd ? cutIn(endCuts_, source) : std::nullopt;
    // A row is cut in every cell, not in one.
    const bool cutInEachChild = odf::is(source, "table:table-row");
    // Before the page's start a body gives only its prologue, which it opens with: past that the walk
    // goes straight to the start, rather than over every block of the pages before.
    const pugi::xml_node startChild =
        isBody && holdsStart ? childHolding(source, startPosition_) : pugi::xml_node();
    for (pugi::xml_node child = source.first_child(); child; child = child.next_sibling()) {
        if (isBody && !started && child != startChild && !odf::isPrologue(child)) {
            child = startChild;
            if (!child) break;
        }
        if (endHere && child == *endHere) break;
        if (startHere && child == *startHere) started = true;
        // Page-anchored objects are placed by page number, not by position.
        if (isBody && odf::isPageAnchored(child)) continue;

        const pugi::xml_node previous = target.last_child();
        const bool childHoldsStart = holdsStart && (!started || cutInEachChild) && onStartPath(child);
        const bool childHoldsEnd = holdsEnd && onEndPath(child);
        if (childHoldsStart || childHoldsEnd) {
            copyNode(child, target, childHoldsStart, childHoldsEnd);
            started = true;
        } else if (started || (holdsStart && odf::isPrologue(child))) {
            copyNode(child, target, false, false);
        }

        const pugi::xml_node added = target.last_child();
        if (wantListStart && added != previous && odf::is(added, "text:list-item")) {
            if (odf::isListWrapper(child))
                startWrappedLevels(child, added);
            else if (const auto number = facts_.listItemNumber(child))
                setAttribute(added, "text:start-value", std::to_string(*number));
            wantListStart = false;
        }
        if (childHoldsEnd && !cutInEachChild) break;
    }
}

void BodyRangeCopier::copyNode(pugi::xml_node source, pugi::xml_node targetParent, bool holdsStart,
                               bool holdsEnd) {
    if (source.type() == pugi::node_pcdata || source.type() == pugi::node_cdata) {
        targetParent.append_copy(source);
        return;
    }
    if (source.type() != pugi::node_element) return;
    if (odf::isReservedMark(source) || odf::is(source, "text:soft-page-break")) return;
    if (odf::is(source, "text:page-count")) {
        // The output has fewer pages than the input it stands for; show the input's count.
        targetParent.append_child(pugi::node_pcdata)
            .set_value(odf::pageCountShown(source, pageCountText_).c_str());
        return;
    }

    pugi::xml_node copy = targetParent.append_child(source.name());
    for (pugi::xml_attribute attribute : source.attributes()) copy.append_copy(attribute);
    if (holdsStart && odf::is(copy, "table:covered-table-cell") && !coveredFromTheLeft(source))
        continueCell(copy);
    if (holdsStart && odf::is(copy, "text:list-item")) {
        // The rest of an item: its label was shown on the earlier page.
        copy.set_name("text:list-header");
        copy.remove_attribute("text:start-value");
    }
    if (holdsEnd && odf::is(copy, "text:section")) {
        // The input's columns ran on to the next page, filled to the foot of this one; ending here,
        // the office would balance them instead.
        pugi::xml_node style = styles_.derive("section", copy.attribute("text:style-name").as_string());
        styles_.setProperty(style, "style:section-properties", "text:dont-balance-text-columns", "true");
        setAttribute(copy, "text:style-name", style.attribute("style:name").value());
    }
    if (holdsEnd && odf::isTable(source)) dropTableSpaceBelow(copy);
    if ((holdsStart || holdsEnd) && odf::is(source, "table:table-row")) dropRowMinimumHeight(copy);
    if (odf::isParagraph(source) && !holdsStart) continueHeadingNumber(source, copy);
    if (odf::is(source, "text:sequence")) continueSequence(source, copy);
    copyChildren(source, copy, holdsStart, holdsEnd);
    if (holdsEnd && odf::is(source, "table:table-row")) {
        for (pugi::xml_node cell : copy.children("table:table-cell")) endCutCell(cell);
    }
    if (holdsStart && odf::isTable(source)) endHeadingSpansWithTheHeading(copy);
    if (odf::isParagraph(copy) && (holdsStart || holdsEnd)) {
        // The rest of a paragraph numbered as a heading by its style must not be numbered again; only
        // a heading element can say so.
        if (holdsStart && odf::is(copy, "text:p") && facts_.headingNumber(source)) {
            copy.set_name("text:h");
            setAttribute(copy, "text:outline-level", std::to_string(facts_.headingLevel(source)));
        }
        restyleCutParagraph(copy, holdsStart, holdsEnd);
    }
}

void BodyRangeCopier::continueCell(pugi::xml_node copy) {
    // The cell covering it from a row above stays on the page before: in the row that opens this
    // page's table it is a cell of its own, empty.
    copy.set_name("table:table-cell");
}

void BodyRangeCopier::startWrappedLevels(pugi::xml_node source, pugi::xml_node copy) {
    // The office counts each level of a list on its own: a start value on an item that only wraps a
    // deeper list would number nothing. The wrapper's level gets its number from a hidden item before
    // it, and the first item of each deeper level its own.
    if (const auto number = facts_.listItemNumber(source); number && *number > 0) {
        pugi::xml_node carrier = copy.parent().insert_child_before("text:list-item", copy);
        setAttribute(carrier, "text:start-value", std::to_string(*number));
        pugi::xml_node paragraph = carrier.append_child("text:p");
        setAttribute(paragraph, "text:style-name", styles_.deriveTiny("").attribute("style:name").value());
        odf::hide(paragraph);
    }
    copy.remove_attribute("text:start-value");
    while (odf::isListWrapper(source)) {
        source = odf::firstContentChild(odf::firstContentChild(source));
        copy = odf::firstContentChild(odf::firstContentChild(copy));
        if (!odf::is(source, "text:list-item") || !odf::is(copy, "text:list-item")) return;
        if (odf::isListWrapper(source)) continue;
        if (const auto number = facts_.listItemNumber(source))
            setAttribute(copy, "text:start-value", std::to_string(*number));
    }
}

void BodyRangeCopier::dropTableSpaceBelow(pugi::xml_node copy) {
    // The office gives a table's space below to its last part only: the page kept no room for it, and
    // the first part would push it onto a page of its own.
    dropLength(copy, "table:style-name", "table", "style:table-properties", "fo:margin-bottom");
}

void BodyRangeCopier::dropLength(pugi::xml_node element, const char* styleAttribute, std::string_view family,
                                 std::string_view properties, std::string_view length) {
    const std::string base = element.attribute(styleAttribute).as_string();
    if (!lengthIsPositive(styles_.inheritedProperty(family, base, properties, length))) return;
    pugi::xml_node style = styles_.derive(family, base);
    styles_.setProperty(style, properties, length, "0cm");
    setAttribute(element, styleAttribute, style.attribute("style:name").value());
}

void BodyRangeCopier::endCutCell(pugi::xml_node copy) {
    // The office lays the part of a cut row on the page before out without the space below its cells'
    // text, in every cell: the text runs down to the border. Kept, that space would push the part's last
    // line over. A cell that ends in a table keeps its space below the table.
    const pugi::xml_node last = odf::lastContentChild(copy);
    if (odf::isTable(last)) return;
    if (odf::isParagraph(last))
        dropLength(last, "text:style-name", "paragraph", "style:paragraph-properties", "fo:margin-bottom");
    constexpr std::string_view kProperties = "style:table-cell-properties";
    const std::string base = copy.attribute("table:style-name").as_string();
    const std::string below = styles_.inheritedProperty("table-cell", base, kProperties, "fo:padding-bottom");
    const std::string all = styles_.inheritedProperty("table-cell", base, kProperties, "fo:padding");
    if (!lengthIsPositive(below.empty() ? all : below)) return;
    pugi::xml_node style = styles_.derive("table-cell", base);
    // The other sides keep what the shorthand gave them.
    for (const char* side : {"fo:padding-top", "fo:padding-left", "fo:padding-right"}) {
        std::string value = styles_.inheritedProperty("table-cell", base, kProperties, side);
        if (value.empty()) value = all;
        if (!value.empty()) styles_.setProperty(style, kProperties, side, value);
    }
    style.child(kProperties.data()).remove_attribute("fo:padding");
    styles_.setProperty(style, kProperties, "fo:padding-bottom", "0cm");
    setAttribute(copy, "table:style-name", style.attribute("style:name").value());
}

void BodyRangeCopier::endHeadingSpansWithTheHeading(pugi::xml_node copy) {
    // The layout repeats the heading rows only: a heading cell that reaches into the rows below shows
    // down to the heading's end, and the rows it covers lie on an earlier page. Left spanning, it would
    // cover the page's first rows instead.
    const pugi::xml_node heading = copy.child("table:table-header-rows");
    int rowsLeft = 0;
    for (pugi::xml_node row : heading.children("table:table-row")) ++rowsLeft;
    for (pugi::xml_node row : heading.children("table:table-row")) {
        for (pugi::xml_node cell : row.children("table:table-cell")) {
            pugi::xml_attribute span = cell.attribute("table:number-rows-spanned");
            if (span.as_int(1) <= rowsLeft) continue;
            if (rowsLeft > 1)
                span.set_value(rowsLeft);
            else
                cell.remove_attribute(span);
        }
        --rowsLeft;
    }
}

void BodyRangeCopier::dropRowMinimumHeight(pugi::xml_node copy) {
    // A row the page cuts is as tall on each page as the part of its content there; its minimum height
    // held in each part would push the page over.
    constexpr std::string_view kProperties = "style:table-row-properties";
    const std::string base = copy.attribute("table:style-name").as_string();
    if (!lengthIsPositive(styles_.inheritedProperty("table-row", base, kProperties, "style:min-row-height")))
        return;
    pugi::xml_node style = styles_.derive("table-row", base);
    style.child(kProperties.data()).remove_attribute("style:min-row-height");
    if (lengthIsPositive(styles_.inheritedProperty("table-row", style.attribute("style:name").value(),
                                                   kProperties, "style:min-row-height")))
        styles_.setProperty(style, kProperties, "style:min-row-height", "0cm");
    setAttribute(copy, "table:style-name", style.attribute("style:name").value());
}

void BodyRangeCopier::restyleCutParagraph(pugi::xml_node copy, bool continues, bool continued) {
    constexpr std::string_view kProperties = "style:paragraph-properties";
    const std::string base = copy.attribute("text:style-name").as_string();
    // The space at the end of the page's last line took no room there; ending the part, it would be
    // stretched by a justified last line.
    if (continued) trimTrailingSpaces(copy);
    // The input showed the last line on the page justified, as every line but a paragraph's last; a
    // line ended by a manual break is not.
    const bool justifyLastLine =
        continued && !endsWithLineBreak(copy).value_or(false) &&
        styles_.inheritedProperty("paragraph", base, kProperties, "fo:text-align") == "justify";
    // The break ended the page's last line and the next line is on the next page; ending the part, it
    // would open an empty line of its own there.
    if (continued && endsWithLineBreak(copy).value_or(false)) dropTrailingLineBreak(copy);
    // The office gives a paragraph's space below to its last part only: the page before kept no room
    // for it, and a part that ends its page with it would not fit there.
    const bool dropSpaceBelow = continued && lengthIsPositive(styles_.inheritedProperty(
                                                 "paragraph", base, kProperties, "fo:margin-bottom"));
    if (!continues && !justifyLastLine && !dropSpaceBelow) return;
    pugi::xml_node style = styles_.derive("paragraph", base);
    setAttribute(copy, "text:style-name", style.attribute("style:name").value());
    if (justifyLastLine) styles_.setProperty(style, kProperties, "fo:text-align-last", "justify");
    if (dropSpaceBelow) styles_.setProperty(style, kProperties, "fo:margin-bottom", "0cm");
    if (!continues) return;
    // The rest of a paragraph that flowed onto the next page: no first-line indent, no space above,
    // no drop cap, and no second heading number. A list's paragraph whose style gives no indent takes
    // the list's, which the rest, unlabelled, shows without a first-line indent; an indent of its own
    // would replace the list's left one too.
    const bool indentedByList =
        inList(copy) && styles_.inheritedProperty("paragraph", base, kProperties, "fo:margin-left").empty() &&
        styles_.inheritedProperty("paragraph", base, kProperties, "fo:text-indent").empty();
    if (!indentedByList) {
        styles_.setProperty(style, kProperties, "fo:text-indent", "0cm");
        styles_.setProperty(style, kProperties, "style:auto-text-indent", "false");
    }
    styles_.setProperty(style, kProperties, "fo:margin-top", "0cm");
    style.child(kProperties.data()).remove_child("style:drop-cap");
    style.remove_attribute("style:master-page-name");
    if (odf::is(copy, "text:h")) {
        setAttribute(copy, "text:is-list-header", "true");
        copy.remove_attribute("text:restart-numbering");
        copy.remove_attribute("text:start-value");
    }
}

void BodyRangeCopier::continueHeadingNumber(pugi::xml_node source, pugi::xml_node copy) {
    const auto number = facts_.headingNumber(source);
    if (!number) return;
    const int level = facts_.headingLevel(source);
    for (const DocumentFacts::OuterNumber& outer : facts_.outerNumbers(source)) {
        // A level the output has not counted yet shows as 1, or as 0 in documents that keep the old
        // numbering (those of older office versions), so its number is always carried.
        if (shownOutline_.at(outer.level) == outer.number) continue;
        // A heading can restart only its own level: a hidden heading of the outer level carries its number.
        const pugi::xml_node place = carrierPlace(copy);
        pugi::xml_node carrier = place.parent().insert_child_before("text:h", place);
        setAttribute(carrier, "text:style-name",
                     styles_.deriveTiny(outer.headingStyle).attribute("style:name").value());
        setAttribute(carrier, "text:outline-level", std::to_string(outer.level));
        setAttribute(carrier, "text:restart-numbering", "true");
        setAttribute(carrier, "text:start-value", std::to_string(outer.number));
        odf::hide(carrier);
        shownOutline_.advance(outer.level, outer.number);
    }
    std::optional<int> restartAt;
    if (std::strcmp(copy.attribute("text:restart-numbering").value(), "true") == 0)
        restartAt = odf::statedNumber(copy.attribute("text:start-value"), 1);
    if (shownOutline_.advance(level, restartAt) == *number) return;
    // Without the headings before it the output would count this level afresh. Only a heading element
    // restarts the count; a paragraph numbered by its style is one, so it becomes one.
    if (odf::is(copy, "text:p")) {
        copy.set_name("text:h");
        setAttribute(copy, "text:outline-level", std::to_string(level));
    }
    setAttribute(copy, "text:restart-numbering", "true");
    setAttribute(copy, "text:start-value", std::to_string(*number));
    shownOutline_.set(level, *number);
}

void BodyRangeCopier::continueSequence(pugi::xml_node source, pugi::xml_node copy) {
    if (!sequencesSeen_.insert(source.attribute("text:name").as_string()).second) return;
    if (const auto number = facts_.sequenceNumber(source))
        setAttribute(copy, "text:formula", "ooow:" + std::to_string(*number));
}

}  // namespace fk::slicer
