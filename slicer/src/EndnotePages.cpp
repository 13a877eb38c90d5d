#include "EndnotePages.h"

#include "BodyRangeCopier.h"
#include "BoundaryLocator.h"
#include "OdfNodes.h"

namespace fk::slicer {

namespace {

bool isEndnote(pugi::xml_node node) {
    return odf::is(node, "text:note") &&
           std::string_view(node.attribute("text:note-class").as_string()) == "endnote";
}

std::vector<pugi::xml_node> endnotesOf(pugi::xml_node root) {
    struct Walker : pugi::xml_tree_walker {
        std::vector<pugi::xml_node> found;
        bool for_each(pugi::xml_node& node) override {
            if (isEndnote(node)) found.push_back(node);
            return true;
        }
    } walker;
    root.traverse(walker);
    return walker.found;
}

std::vector<pugi::xml_node> marksIn(pugi::xml_node root) {
    struct Walker : pugi::xml_tree_walker {
        std::vector<pugi::xml_node> found;
        bool for_each(pugi::xml_node& node) override {
            if (odf::isReservedMark(node)) found.push_back(node);
            return true;
        }
    } walker;
    root.traverse(walker);
    return walker.found;
}

bool holdsMarkOf(pugi::xml_node note, int page) {
    for (const pugi::xml_node mark : marksIn(note))
        if (odf::markedPage(mark) == page) return true;
    return false;
}

pugi::xml_node endnoteConfiguration(pugi::xml_node stylesRoot) {
    for (pugi::xml_node configuration :
         stylesRoot.child("office:styles").children("text:notes-configuration"))
        if (std::string_view(configuration.attribute("text:note-class").as_string()) == "endnote")
            return configuration;
    return {};
}

// The text a note's citation shows: its label, or the number the office wrote.
std::string citationOf(pugi::xml_node note) {
    const pugi::xml_node citation = note.child("text:note-citation");
    return citation.text().as_string();
}

pugi::xml_node firstParagraphIn(pugi::xml_node node) {
    for (pugi::xml_node child : node.children()) {
        if (odf::isParagraph(child)) return child;
        if (odf::isList(child) || odf::is(child, "text:list-item") || odf::is(child, "text:section"))
            if (const pugi::xml_node found = firstParagraphIn(child)) return found;
    }
    return {};
}

}  // namespace

EndnotePages::EndnotePages(pugi::xml_node officeText, pugi::xml_node stylesRoot, const StyleCatalog& styles,
                           const MasterPages& masterPages, int firstPage, int count,
                           const std::string& pageStyle)
    : firstPage_(firstPage), styles_(styles) {
    const pugi::xml_node configuration = endnoteConfiguration(stylesRoot);
    citationStyle_ = configuration.attribute("text:citation-style-name").as_string();
    citationBodyStyle_ = configuration.attribute("text:citation-body-style-name").as_string();
    masterPage_ = masterPages.resolve(pageStyle);
    if (masterPage_.empty()) masterPage_ = configuration.attribute("text:master-page-name").as_string();
    if (masterPage_.empty()) masterPage_ = masterPages.initial();

    gather(officeText);
    facts_ = std::make_unique<DocumentFacts>(text_, styles);
    locateStarts(count);
    labelNotes();
}

EndnotePages::~EndnotePages() = default;

void EndnotePages::gather(pugi::xml_node officeText) {
    text_ = gathered_.append_child("office:text");
    const std::vector<pugi::xml_node> notes = endnotesOf(officeText);
    // Endnotes before the one the first endnote page opens with are set elsewhere (at the end of a
    // section that collects its own): they stay where they are.
    std::size_t from = 0;
    for (std::size_t index = 0; index < notes.size(); ++index) {
        if (holdsMarkOf(notes[index], firstPage_)) {
            from = index;
            break;
        }
    }
    gatheredAll_ = from == 0;
    for (std::size_t index = from; index < notes.size(); ++index) {
        const pugi::xml_node note = notes[index];
        gatheredIds_.insert(note.attribute("text:id").as_string());
        pugi::xml_node firstCopied;
        for (pugi::xml_node child : note.child("text:note-body").children()) {
            const pugi::xml_node copy = text_.append_copy(child);
            if (!firstCopied) firstCopied = copy;
        }
        pugi::xml_node opening;
        if (firstCopied)
            opening = odf::isParagraph(firstCopied) ? firstCopied : firstParagraphIn(firstCopied);
        if (!opening) {
            // A note that opens with a table gets a paragraph of its own for its citation.
            opening =
                firstCopied ? text_.insert_child_before("text:p", firstCopied) : text_.append_child("text:p");
            opening.append_attribute("text:style-name") = "Endnote";
        }
        openings_.emplace_back(opening, citationOf(note));
    }
    // Our marks in the input's endnotes would be taken for marks of the body's pages.
    for (const pugi::xml_node note : notes)
        for (const pugi::xml_node mark : marksIn(note)) mark.parent().remove_child(mark);
}

void EndnotePages::locateStarts(int count) {
    starts_.assign(static_cast<std::size_t>(count) + 1, BodyPosition::endOf(text_));
    starts_[0] = BodyPosition::startOf(text_);
    std::vector<bool> marked(static_cast<std::size_t>(count), false);
    marked[0] = true;
    for (const pugi::xml_node mark : marksIn(text_)) {
        const int index = odf::markedPage(mark) - firstPage_;
        if (index <= 0 || index >= count) continue;
        if (marked[static_cast<std::size_t>(index)]) {
            issues_.push_back({firstPage_ + index, "the page mark appears twice"});
            continue;
        }
        const PageBoundary boundary = BoundaryLocator::locate(mark);
        if (!boundary.issue.empty()) issues_.push_back({firstPage_ + index, boundary.issue});
        starts_[static_cast<std::size_t>(index)] = boundary.position;
        marked[static_cast<std::size_t>(index)] = true;
    }
    for (int index = 1; index < count; ++index)
        if (!marked[static_cast<std::size_t>(index)])
            issues_.push_back({firstPage_ + index, "the endnote page has no mark in the endnotes"});
    for (std::size_t index = 1; index < starts_.size(); ++index)
        if (facts_->orderOf(starts_[index]) < facts_->orderOf(starts_[index - 1]))
            issues_.push_back(
                {firstPage_ + static_cast<int>(index), "the page marks are out of order", true});
}

void EndnotePages::labelNotes() {
    // After the starts are found: a page that opens with a note begins before its paragraph, so that the
    // citation goes with the note's text.
    for (auto [paragraph, citation] : openings_) {
        pugi::xml_node span = paragraph.prepend_child("text:span");
        if (!citationStyle_.empty()) span.append_attribute("text:style-name") = citationStyle_.c_str();
        span.append_child(pugi::node_pcdata).set_value(citation.c_str());
        // The endnote area sets the text at the paragraph's indent, after its hanging citation.
        paragraph.insert_child_after("text:tab", span);
    }
}

void EndnotePages::copy(int first, int last, OutputStyles& styles, const std::string& pageCountText,
                        pugi::xml_node outputText) const {
    BodyRangeCopier copier(*facts_, styles, pageCountText);
    copier.copy(text_, starts_.at(static_cast<std::size_t>(first - firstPage_)),
                starts_.at(static_cast<std::size_t>(last - firstPage_ + 1)), outputText);
}

bool EndnotePages::isGathered(pugi::xml_node note) const {
    return gatheredAll_ || gatheredIds_.contains(note.attribute("text:id").as_string());
}

std::string EndnotePages::characterStyle(const std::string& named, OutputStyles& styles) const {
    if (!named.empty() && styles_.style("text", named)) return named;
    // The office's own look of a citation where the document names no style for it.
    const pugi::xml_node derived = styles.derive("text", "");
    styles.setProperty(derived, "style:text-properties", "style:text-position", "super 58%");
    return derived.attribute("style:name").as_string();
}

void EndnotePages::citeInBody(pugi::xml_node outputText, OutputStyles& styles) const {
    std::string style;
    for (const pugi::xml_node note : endnotesOf(outputText)) {
        if (!isGathered(note)) continue;
        if (style.empty()) style = characterStyle(citationBodyStyle_, styles);
        pugi::xml_node span = note.parent().insert_child_before("text:span", note);
        span.append_attribute("text:style-name") = style.c_str();
        span.append_child(pugi::node_pcdata).set_value(citationOf(note).c_str());
        note.parent().remove_child(note);
    }
}

}  // namespace fk::slicer
