#include "slicer/WordPackageSlicer.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "PackageArchive.h"
#include "WordFields.h"
#include "WordListCarriers.h"
#include "WordProperties.h"
#include "WordSections.h"
#include "WordXml.h"
#include "slicer/MarkNames.h"
#include "slicer/PackageReader.h"
#include "slicer/WordLinks.h"

namespace fk::slicer {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDocumentPart = "word/document.xml";
constexpr std::string_view kDocumentRelations = "word/_rels/document.xml.rels";
constexpr std::string_view kImageRelation =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";

// The last text of a piece, for the space that ended its page's last line.
pugi::xml_node lastText(pugi::xml_node paragraph) {
    pugi::xml_node found;
    for (pugi::xpath_node text : paragraph.select_nodes(".//w:t")) found = text.node();
    return found;
}

// The line break that ended a piece's last line, if its last thing shown is one.
pugi::xml_node endingLineBreak(pugi::xml_node paragraph) {
    for (pugi::xml_node run = paragraph.last_child(); run; run = run.previous_sibling()) {
        if (!Shows(run)) continue;
        if (!IsElement(run, "w:r")) return {};
        for (pugi::xml_node part = run.last_child(); part; part = part.previous_sibling()) {
            if (IsElement(part, "w:rPr") || IsElement(part, "w:lastRenderedPageBreak")) continue;
            const std::string_view type = part.attribute("w:type").value();
            return IsElement(part, "w:br") && (type.empty() || type == "textWrapping") ? part
                                                                                       : pugi::xml_node();
        }
        return {};
    }
    return {};
}

// Removes the page breaks before the first thing `paragraph` shows (`leading`) or after the last.
void dropPageBreaks(pugi::xml_node paragraph, bool leading) {
    std::vector<pugi::xml_node> breaks;
    for (pugi::xml_node child = leading ? paragraph.first_child() : paragraph.last_child(); child;
         child = leading ? child.next_sibling() : child.previous_sibling()) {
        if (!IsElement(child, "w:r")) {
            if (Shows(child)) break;
            continue;
        }
        bool shown = false;
        for (pugi::xml_node part = leading ? child.first_child() : child.last_child(); part && !shown;
             part = leading ? part.next_sibling() : part.previous_sibling()) {
            if (IsPageBreak(part))
                breaks.push_back(part);
            else if (part.type() == pugi::node_element && !IsElement(part, "w:rPr") &&
                     !IsElement(part, "w:lastRenderedPageBreak"))
                shown = true;
        }
        if (shown) break;
    }
    for (pugi::xml_node pageBreak : breaks) pageBreak.parent().remove_child(pageBreak);
}

}  // namespace

// A place where a page starts: before `mark`, a child of body block `block` (a paragraph); a null mark
// is the block's start.
struct WordPageStart {
    std::size_t block = 0;
    pugi::xml_node mark;  // in a paragraph of the body, or in one of a cell of table `block`
    pugi::xml_node row;   // the table's row the page starts in; null outside tables
    // The row began on the page before: each of its cells goes on where its mark stands (the page's
    // own, or one of `cellMarks`), or has shown all it holds there.
    bool midRow = false;
    std::vector<pugi::xml_node> cellMarks;
};

class WordDocument {
public:
    WordDocument(const fs::path& package, int pageCount, WordPackageSlicer::Options options);

    int pageCount() const { return pageCount_; }
    const std::string& notUnderstood() const { return notUnderstood_; }
    void placePagesIn(const fs::path& folder);
    std::string pagesPackage(int first, int last) const;

private:
    void refuse(const std::string& why) {
        if (notUnderstood_.empty()) notUnderstood_ = why;
    }
    const PackageEntry* entry(std::string_view name) const;
    void checkSettings();
    // The lists' numbers and the sections, once the pages' starts are known.
    void readListsAndSections();
    void checkParts();
    void findPageStarts();
    // Whether page `page`, which starts in a row of a table, starts with the row or inside it; false
    // (and refused) where the row cannot be cut.
    bool readRowStart(int page, WordPageStart& start, const std::vector<pugi::xml_node>& cellMarks);
    bool follows(const WordPageStart& start, const WordPageStart& before) const;
    // Whether the page starts where its first block starts.
    bool beginsBlock(const WordPageStart& start) const;

    // Copies the children of `paragraph` between `from` and `to` (null: its start, its end) into `body`
    // as a paragraph, styled as a piece of the page; false when the piece shows nothing.
    bool copyPiece(pugi::xml_node body, pugi::xml_node paragraph, pugi::xml_node from, pugi::xml_node to,
                   bool opensPage, bool afterBreak) const;
    // Copies the rows of `table` the page shows into `body`, from where page `from` starts (null: the
    // table's start) to where page `to` starts (null: its end); false when it shows none.
    bool copyRows(pugi::xml_node body, pugi::xml_node table, const WordPageStart* from,
                  const WordPageStart* to) const;
    // The part of a row that the page shows: what its cells show after the page `from` starts (null:
    // from their start) and before the page `to` starts (null: to their end).
    void copyCutRow(pugi::xml_node table, pugi::xml_node row, const WordPageStart* from,
                    const WordPageStart* to) const;
    // The package's relations of the page's document without the pictures it does not show.
    std::string relationsFor(const pugi::xml_node document, std::set<std::string>& droppedMedia) const;

    int pageCount_;
    WordPackageSlicer::Options options_;
    std::string notUnderstood_;
    std::vector<PackageEntry> entries_;
    pugi::xml_document document_;
    pugi::xml_document relations_;
    WordStyles styles_;
    std::vector<pugi::xml_node> blocks_;  // the body's children, its section's properties left out
    pugi::xml_node section_;              // the body's own section properties, its last section's
    std::optional<WordSections> sections_;
    std::optional<WordListCarriers> lists_;  // when the document has lists
    std::vector<WordPageStart> starts_;      // page k starts at starts_[k - 1]
    std::set<std::string> ourMarkIds_;
    std::set<std::string> mediaShownElsewhere_;  // by headers, footers and other parts
    std::vector<PackageEntry> frozenParts_;      // headers and footers with their page counts frozen
    fs::path storedIn_;
};

WordDocument::WordDocument(const fs::path& package, int pageCount, WordPackageSlicer::Options options)
    : pageCount_(pageCount), options_(options), storedIn_(fs::absolute(package).parent_path()) {
    entries_ = PackageArchive::read(package);
    const PackageEntry* main = entry(kDocumentPart);
    if (!main) throw SliceError("The Word package has no " + std::string(kDocumentPart));
    document_ = ParsedPart(main->data, kDocumentPart);
    if (const PackageEntry* relations = entry(kDocumentRelations))
        relations_ = ParsedPart(relations->data, kDocumentRelations);
    const PackageEntry* styles = entry("word/styles.xml");
    if (styles) styles_.read(ParsedPart(styles->data, "word/styles.xml"));

    const pugi::xml_node body = document_.document_element().child("w:body");
    if (!body) throw SliceError("The Word package's document has no body");
    for (pugi::xml_node block : body.children()) {
        if (block.type() != pugi::node_element) continue;
        if (IsElement(block, "w:sectPr") && !block.next_sibling()) {
            section_ = block;
        } else {
            blocks_.push_back(block);
        }
    }
    if (!section_) refuse("a document with no page settings");
    if (blocks_.empty()) refuse("a document with no paragraph");
    checkSettings();
    checkParts();
    findPageStarts();
    if (notUnderstood_.empty()) readListsAndSections();
}

const PackageEntry* WordDocument::entry(std::string_view name) const {
    for (const PackageEntry& candidate : entries_)
        if (candidate.name == name) return &candidate;
    return nullptr;
}

void WordDocument::checkSettings() {
    const PackageEntry* settings = entry("word/settings.xml");
    if (!settings) return;
    const pugi::xml_document parsedSettings = ParsedPart(settings->data, "word/settings.xml");
    const pugi::xml_node root = parsedSettings.document_element();
    // Which of a page's headers and margins shows depends on the page's place among the others.
    if (root.child("w:evenAndOddHeaders")) refuse("headers that differ on left and right pages");
    if (root.child("w:mirrorMargins")) refuse("margins mirrored on left and right pages");
}

void WordDocument::readListsAndSections() {
    std::vector<WordPageOpening> openings;
    std::set<std::size_t> cutTables;
    for (const WordPageStart& start : starts_) {
        openings.push_back({start.block, beginsBlock(start)});
        if (start.row) cutTables.insert(start.block);
    }
    sections_.emplace(blocks_, section_, openings);
    const PackageEntry* numbering = entry("word/numbering.xml");
    if (!numbering) return;
    // The page each block's first line is on.
    std::vector<int> pageOfBlock;
    int page = 1;
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        while (page < pageCount_) {
            const WordPageOpening& next = openings[static_cast<std::size_t>(page)];
            if (next.block > b || (next.block == b && !next.atBlockStart)) break;
            ++page;
        }
        pageOfBlock.push_back(page);
    }
    lists_.emplace(ParsedPart(numbering->data, "word/numbering.xml"), styles_, blocks_, pageOfBlock,
                   cutTables, pageCount_);
    if (!lists_->notUnderstood().empty()) refuse(lists_->notUnderstood());
}

void WordDocument::checkParts() {
    const pugi::xml_node body = document_.document_element().child("w:body");
    if (body.select_node(".//w:footnoteReference") || body.select_node(".//w:endnoteReference"))
        refuse("footnotes or endnotes");
    // Pictures and shapes placed on the page may show on another page than their paragraph's.
    if (body.select_node(".//wp:anchor") || body.select_node(".//w:pict") ||
        body.select_node(".//mc:AlternateContent"))
        refuse("pictures, frames or text boxes placed on the page");
    for (pugi::xml_node block : blocks_)
        if (!IsElement(block, "w:p") && block.select_node(".//w:sectPr"))
            refuse("a section that ends in a table");
    // A page shows the page counts of the whole document, as the input printed them; in headers and
    // footers too.
    int fields = 0;
    if (!FreezePageCountingFields(document_.document_element(), fields)) refuse("fields that count pages");
    for (const PackageEntry& part : entries_) {
        const bool headOrFoot =
            (part.name.starts_with("word/header") || part.name.starts_with("word/footer")) &&
            part.name.ends_with(".xml");
        if (!headOrFoot) continue;
        pugi::xml_document frozen = ParsedPart(part.data, part.name);
        int headFields = 0;
        if (!FreezePageCountingFields(frozen.document_element(), headFields))
            refuse("fields that count pages");
        if (headFields > 0)
            frozenParts_.push_back(PackageArchive::storedAlone({part.name, SerializedPart(frozen)}));
    }
    if (!relations_) return;
    for (const PackageEntry& part : entries_) {
        if (!part.name.ends_with(".rels") || part.name == kDocumentRelations) continue;
        const pugi::xml_document other = ParsedPart(part.data, part.name);
        const std::string folder = part.name.substr(0, part.name.find("_rels/"));
        for (pugi::xml_node relation : other.document_element().children("Relationship"))
            if (std::string_view(relation.attribute("TargetMode").value()) != "External")
                mediaShownElsewhere_.insert(folder + relation.attribute("Target").value());
    }
}

void WordDocument::findPageStarts() {
    // Each page's mark, where fields begun before it are still open.
    std::unordered_map<int, std::pair<pugi::xml_node, int>> marks;
    std::unordered_map<int, std::vector<pugi::xml_node>> cellMarks;
    int openFields = 0;
    const pugi::xml_node body = document_.document_element().child("w:body");
    for (pugi::xml_node node = body.first_child(); node;) {
        if (IsElement(node, "w:fldChar")) {
            const std::string_view type = node.attribute("w:fldCharType").value();
            if (type == "begin") ++openFields;
            if (type == "end" && openFields > 0) --openFields;
        } else if (IsElement(node, "w:bookmarkStart") && IsOurMark(node.attribute("w:name").value())) {
            ourMarkIds_.insert(node.attribute("w:id").value());
            if (const int page = PageOfMark(node.attribute("w:name").value()); page > 0)
                marks.emplace(page, std::pair{node, openFields});
            if (const int page = PageOfCellMark(node.attribute("w:name").value()); page > 0)
                cellMarks[page].push_back(node);
        }
        // Depth first, in document order.
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != body && !node.next_sibling()) node = node.parent();
        node = node == body ? pugi::xml_node() : node.next_sibling();
    }

    std::unordered_map<pugi::xml_node_struct*, std::size_t> blockOf;
    for (std::size_t i = 0; i < blocks_.size(); ++i) blockOf[blocks_[i].internal_object()] = i;
    starts_.push_back(WordPageStart{});  // the first page holds whatever comes before its mark
    for (int page = 2; page <= pageCount_; ++page) {
        const auto found = marks.find(page);
        if (found == marks.end()) {
            refuse("page " + std::to_string(page) + " has no mark");
            return;
        }
        const auto [mark, fieldsOpen] = found->second;
        const pugi::xml_node paragraph = mark.parent();
        WordPageStart start;
        start.mark = mark;
        // In the body, or in a cell of a table in the body.
        auto block = blockOf.find(paragraph.internal_object());
        const pugi::xml_node cell = paragraph.parent();
        if (block == blockOf.end() && IsElement(cell, "w:tc") && IsElement(cell.parent(), "w:tr")) {
            start.row = cell.parent();
            block = blockOf.find(start.row.parent().internal_object());
        }
        if (!IsElement(paragraph, "w:p") || block == blockOf.end()) {
            refuse("page " + std::to_string(page) +
                   " starts inside a frame, a control or a table in a table");
            return;
        }
        start.block = block->second;
        if (fieldsOpen > 0) {
            refuse("page " + std::to_string(page) +
                   " starts inside a field (an index or a table of contents)");
            return;
        }
        if (start.row && !readRowStart(page, start, cellMarks[page])) return;
        if (!follows(start, starts_.back())) {
            refuse("page " + std::to_string(page) + " marked before the page before it");
            return;
        }
        // The rest of a list item would show no label and keep the list's indent, which a page alone
        // cannot say without the list.
        if (ShowsAny(paragraph.first_child(), mark) && styles_.inList(paragraph))
            refuse("page " + std::to_string(page) + " starts inside a list item");
        starts_.push_back(std::move(start));
    }
}

bool WordDocument::readRowStart(int page, WordPageStart& start,
                                const std::vector<pugi::xml_node>& cellMarks) {
    const pugi::xml_node table = blocks_[start.block];
    // Rows in controls are not rows to cut at.
    for (pugi::xml_node child : table.children())
        if (child.type() == pugi::node_element && !IsElement(child, "w:tblPr") &&
            !IsElement(child, "w:tblGrid") && !IsElement(child, "w:tr") &&
            !IsElement(child, "w:bookmarkStart") && !IsElement(child, "w:bookmarkEnd")) {
            refuse("page " + std::to_string(page) + " starts inside a table whose rows are in controls");
            return false;
        }
    // Merged cells would have to be cut and merged again on both pages.
    if (table.select_node(".//w:vMerge")) {
        refuse("page " + std::to_string(page) + " starts inside a table with cells merged down its rows");
        return false;
    }
    const pugi::xml_node paragraph = start.mark.parent();
    bool before = ShowsAny(paragraph.first_child(), start.mark);
    for (pugi::xml_node sibling = paragraph.previous_sibling(); sibling && !before;
         sibling = sibling.previous_sibling())
        before =
            IsElement(sibling, "w:tbl") || (IsElement(sibling, "w:p") && ShowsAny(sibling.first_child(), {}));
    start.midRow = before || !cellMarks.empty();
    for (pugi::xml_node mark : cellMarks) {
        const pugi::xml_node cell = mark.parent().parent();
        if (!IsElement(mark.parent(), "w:p") || !IsElement(cell, "w:tc") || cell.parent() != start.row) {
            refuse("page " + std::to_string(page) + " goes on inside a table in a table");
            return false;
        }
        start.cellMarks.push_back(mark);
    }
    return true;
}

bool WordDocument::follows(const WordPageStart& start, const WordPageStart& before) const {
    if (start.block != before.block) return start.block > before.block;
    if (!before.mark) return true;  // the document's start
    if (start.row || before.row) {
        if (!start.row || !before.row) return false;
        // A row over three pages: the page goes on in the row the page before went on in.
        if (start.row == before.row) return start.midRow;
        for (pugi::xml_node row = before.row.next_sibling(); row; row = row.next_sibling())
            if (row == start.row) return true;
        return false;
    }
    const pugi::xml_node paragraph = start.mark.parent();
    for (pugi::xml_node sibling = before.mark ? before.mark.next_sibling() : paragraph.first_child(); sibling;
         sibling = sibling.next_sibling())
        if (sibling == start.mark) return true;
    return false;
}

bool WordDocument::beginsBlock(const WordPageStart& start) const {
    if (start.row) return !start.midRow && start.row == blocks_[start.block].child("w:tr");
    return !ShowsAny(blocks_[start.block].first_child(), start.mark);
}

bool WordDocument::copyPiece(pugi::xml_node body, pugi::xml_node paragraph, pugi::xml_node from,
                             pugi::xml_node to, bool opensPage, bool afterBreak) const {
    const pugi::xml_node begin = from ? from : paragraph.first_child();
    const bool continues = from && ShowsAny(paragraph.first_child(), from);
    // A piece with nothing of its own to show stays with the page that shows the rest; an empty
    // paragraph that a page starts in is that page's.
    if ((to || continues) && !ShowsAny(begin, to)) return false;
    const bool continued = to && ShowsAny(to, pugi::xml_node());

    pugi::xml_node piece = body.append_child("w:p");
    for (pugi::xml_attribute attribute : paragraph.attributes()) piece.append_copy(attribute);
    if (const pugi::xml_node properties = paragraph.child("w:pPr")) piece.append_copy(properties);
    for (pugi::xml_node child = begin; child && child != to; child = child.next_sibling()) {
        if (IsElement(child, "w:pPr")) continue;
        if ((IsElement(child, "w:bookmarkStart") || IsElement(child, "w:bookmarkEnd")) &&
            ourMarkIds_.contains(child.attribute("w:id").value()))
            continue;
        piece.append_copy(child);
    }
    WordParagraphProperties properties(piece);
    if (opensPage) {
        // The input's layout leaves out the space above a page's first paragraph where the text flowed
        // onto the page, not where a page break opened it.
        const std::string_view breakBefore =
            styles_.paragraphProperty(paragraph, "w:pageBreakBefore").attribute("w:val").value();
        bool broken = afterBreak || (styles_.paragraphProperty(paragraph, "w:pageBreakBefore") &&
                                     breakBefore != "0" && breakBefore != "false");
        for (pugi::xml_node child = paragraph.first_child(); child && child != to && !broken;
             child = child.next_sibling())
            broken = child.select_node(".//w:br[@w:type='page']") || IsPageBreak(child);
        // The page opens the output: no break before it, not even one its style asks for.
        properties.set("w:pageBreakBefore", "w:val", "0");
        if (options_.dropSpaceAtPageTop && !broken) properties.setSpacing("w:before", "0");
        // The breaks that opened the page in the input, before anything it shows.
        dropPageBreaks(piece, true);
    }
    if (continues) {
        // The rest of a paragraph from the page before: no first-line indent, no space above, no drop cap.
        properties.setFirstLineIndent("0");
        properties.setSpacing("w:before", "0");
        properties.remove("w:framePr");
    }
    // The break that opens the next output's page, after all the piece shows.
    if (to) dropPageBreaks(piece, false);
    if (continued) {
        if (pugi::xml_node lineBreak = endingLineBreak(piece)) {
            // The break ended the page's last line; ending the piece, it would open an empty line.
            lineBreak.parent().remove_child(lineBreak);
        } else {
            // The space at the end of the page's last line took no room there.
            if (pugi::xml_node text = lastText(piece)) {
                std::string value = text.text().get();
                value.erase(value.find_last_not_of(' ') + 1);
                text.text().set(value.c_str());
            }
            // The input justified the page's last line, as every line but a paragraph's last.
            if (styles_.justified(paragraph)) properties.set("w:jc", "w:val", "distribute");
        }
        // The input gives a paragraph's space below to its last part only.
        properties.setSpacing("w:after", "0");
    }
    return true;
}

bool WordDocument::copyRows(pugi::xml_node body, pugi::xml_node table, const WordPageStart* from,
                            const WordPageStart* to) const {
    const pugi::xml_node first = from && from->row ? from->row : table.child("w:tr");
    const pugi::xml_node last = to && to->row ? to->row : pugi::xml_node();
    if (to && !to->row) return false;  // cannot be: a page that starts after the table starts in a paragraph
    if (!(from && from->row) && !last) {
        body.append_copy(table);
        return true;
    }
    pugi::xml_node copy = body.append_child("w:tbl");
    for (pugi::xml_node child : table.children())
        if (IsElement(child, "w:tblPr") || IsElement(child, "w:tblGrid")) copy.append_copy(child);
    // The rows the layout repeats at the top of every page the table goes on to.
    if (first != table.child("w:tr") && !first.child("w:trPr").child("w:tblHeader"))
        for (pugi::xml_node row = table.child("w:tr");
             row && row != first && row.child("w:trPr").child("w:tblHeader"); row = row.next_sibling("w:tr"))
            copy.append_copy(row);
    bool shown = false;
    for (pugi::xml_node row = first; row; row = row.next_sibling()) {
        const WordPageStart* cutBefore = from && row == from->row && from->midRow ? from : nullptr;
        if (row == last) {
            // A row over three pages or more is cut at both ends on the pages between.
            if (to->midRow) {
                copyCutRow(copy, row, cutBefore, to);
                shown = true;
            }
            break;
        }
        if (!IsElement(row, "w:tr")) {
            if (!((IsElement(row, "w:bookmarkStart") || IsElement(row, "w:bookmarkEnd")) &&
                  ourMarkIds_.contains(row.attribute("w:id").value())))
                copy.append_copy(row);
            continue;
        }
        if (cutBefore)
            copyCutRow(copy, row, cutBefore, nullptr);
        else
            copy.append_copy(row);
        shown = true;
    }
    if (!shown) body.remove_child(copy);
    return shown;
}

void WordDocument::copyCutRow(pugi::xml_node table, pugi::xml_node row, const WordPageStart* from,
                              const WordPageStart* to) const {
    // Where a cell goes on at a page's start: the page's mark, a cell mark, or nowhere when it has
    // shown all it holds on the pages before.
    const auto cutIn = [](const WordPageStart* at, pugi::xml_node cell) {
        pugi::xml_node cut;
        if (!at) return cut;
        for (pugi::xml_node mark : at->cellMarks)
            if (mark.parent().parent() == cell) cut = mark;
        if (at->mark.parent().parent() == cell) cut = at->mark;
        return cut;
    };
    pugi::xml_node part = table.append_child("w:tr");
    for (pugi::xml_attribute attribute : row.attributes()) part.append_copy(attribute);
    for (pugi::xml_node child : row.children()) {
        if (IsElement(child, "w:trPr")) {
            // Each part takes the height of what it shows on its page, not the row's least height.
            part.append_copy(child).remove_child("w:trHeight");
            continue;
        }
        if (!IsElement(child, "w:tc")) {
            part.append_copy(child);
            continue;
        }
        pugi::xml_node cell = part.append_child("w:tc");
        const pugi::xml_node start = cutIn(from, child), end = cutIn(to, child);
        // Begun on a page before, a cell without a mark of this page has shown all it holds.
        bool inside = !from;
        for (pugi::xml_node content : child.children()) {
            if (IsElement(content, "w:tcPr")) {
                cell.append_copy(content);
                continue;
            }
            const bool starts = start && content == start.parent(), ends = end && content == end.parent();
            if (starts || ends) {
                if (starts || inside)
                    copyPiece(cell, content, starts ? start : pugi::xml_node(), ends ? end : pugi::xml_node(),
                              false, false);
                inside = starts && !ends;
                if (ends) break;
                continue;
            }
            if (inside) cell.append_copy(content);
        }
        // A cell ends with a paragraph in Word's format.
        if (!IsElement(cell.last_child(), "w:p")) cell.append_child("w:p");
    }
}

std::string WordDocument::relationsFor(const pugi::xml_node document,
                                       std::set<std::string>& droppedMedia) const {
    std::set<std::string> shown;
    for (pugi::xpath_node attribute : document.select_nodes(".//@*"))
        if (std::string_view(attribute.attribute().name()).starts_with("r:"))
            shown.insert(attribute.attribute().value());
    pugi::xml_document relations = CopiedPart(relations_);
    std::set<std::string> kept;
    std::vector<pugi::xml_node> dropped;
    for (pugi::xml_node relation : relations.document_element().children("Relationship")) {
        const bool picture = kImageRelation == relation.attribute("Type").value() &&
                             std::string_view(relation.attribute("TargetMode").value()) != "External";
        const std::string target = std::string("word/") + relation.attribute("Target").value();
        if (picture && !shown.contains(relation.attribute("Id").value())) {
            dropped.push_back(relation);
            droppedMedia.insert(target);
        } else {
            kept.insert(target);
        }
    }
    if (dropped.empty()) return {};
    for (pugi::xml_node relation : dropped) relations.document_element().remove_child(relation);
    std::erase_if(droppedMedia, [&](const std::string& target) {
        return kept.contains(target) || mediaShownElsewhere_.contains(target);
    });
    return SerializedPart(relations);
}

void WordDocument::placePagesIn(const fs::path& folder) {
    const WordLinks links(storedIn_, fs::absolute(folder));
    for (PackageEntry& part : entries_) {
        if (!part.name.ends_with(".rels")) continue;
        std::optional<std::string> moved = links.movedRelations(part.data, part.name);
        if (!moved) continue;
        part = {part.name, std::move(*moved)};
        if (part.name == kDocumentRelations) relations_ = ParsedPart(part.data, part.name);
    }
}

std::string WordDocument::pagesPackage(int first, int last) const {
    if (first < 1 || last < first || last > pageCount_)
        throw SliceError("Pages " + std::to_string(first) + "-" + std::to_string(last) + " are not in 1-" +
                         std::to_string(pageCount_));
    if (!notUnderstood_.empty()) throw SliceError("The Word package cannot be cut: " + notUnderstood_);

    pugi::xml_document page;
    std::string numbering;
    for (pugi::xml_node node = document_.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element) {
            page.append_copy(node);
            continue;
        }
        pugi::xml_node root = page.append_child(node.name());
        for (pugi::xml_attribute attribute : node.attributes()) root.append_copy(attribute);
        for (pugi::xml_node child : node.children())
            if (!IsElement(child, "w:body")) root.append_copy(child);
        pugi::xml_node body = root.append_child("w:body");
        if (lists_) numbering = lists_->carry(body, first);

        const WordPageStart& start = starts_[static_cast<std::size_t>(first - 1)];
        const WordPageStart* end = last < pageCount_ ? &starts_[static_cast<std::size_t>(last)] : nullptr;
        const std::size_t lastBlock = end ? end->block : blocks_.size() - 1;
        bool opensPage = true;
        std::size_t lastEmitted = start.block;
        // The page before ended in a page break.
        const bool afterBreak =
            start.block > 0 && !blocks_[start.block - 1].select_nodes(".//w:br[@w:type='page']").empty();
        for (std::size_t b = start.block; !blocks_.empty() && b <= lastBlock; ++b) {
            const pugi::xml_node block = blocks_[b];
            if (IsElement(block, "w:p")) {
                const pugi::xml_node from = b == start.block ? start.mark : pugi::xml_node();
                const pugi::xml_node to = end && b == end->block ? end->mark : pugi::xml_node();
                if (copyPiece(body, block, from, to, opensPage, afterBreak)) {
                    opensPage = false;
                    lastEmitted = b;
                }
            } else if (!IsElement(block, "w:tbl") ||
                       copyRows(body, block, b == start.block ? &start : nullptr,
                                end && b == end->block ? end : nullptr)) {
                // Controls (a table of contents) go whole: no page starts inside one.
                if (!IsElement(block, "w:tbl")) body.append_copy(block);
                opensPage = false;
                lastEmitted = b;
            }
        }
        // Word's format ends a body with a paragraph: after a table that fills the page, one that takes
        // no room, or it would open a second page.
        const pugi::xml_node lastShown = body.last_child();
        if (!lastShown || !IsElement(lastShown, "w:p")) WordParagraphProperties::appendTiny(body);
        sections_->endPage(body, lastEmitted, first);
    }

    // Our marks in what went whole into the page: a table's rows, a control.
    std::vector<pugi::xml_node> ours;
    for (pugi::xpath_node found : page.select_nodes("//w:bookmarkStart | //w:bookmarkEnd"))
        if (ourMarkIds_.contains(found.node().attribute("w:id").value())) ours.push_back(found.node());
    for (pugi::xml_node mark : ours) mark.parent().remove_child(mark);

    std::set<std::string> droppedMedia;
    const std::string relations =
        relations_ ? relationsFor(page.document_element(), droppedMedia) : std::string();
    std::deque<PackageEntry> changed;  // stays where it is as it grows: `entries` points into it
    std::vector<const PackageEntry*> entries;
    for (const PackageEntry& original : entries_) {
        if (droppedMedia.contains(original.name)) continue;
        if (original.name == kDocumentPart) {
            entries.push_back(&changed.emplace_back(PackageEntry{original.name, SerializedPart(page)}));
        } else if (const auto frozen =
                       std::find_if(frozenParts_.begin(), frozenParts_.end(),
                                    [&](const PackageEntry& part) { return part.name == original.name; });
                   frozen != frozenParts_.end()) {
            entries.push_back(&*frozen);
        } else if (original.name == "word/numbering.xml" && !numbering.empty()) {
            entries.push_back(&changed.emplace_back(PackageEntry{original.name, numbering}));
        } else if (original.name == kDocumentRelations && !relations.empty()) {
            entries.push_back(&changed.emplace_back(PackageEntry{original.name, relations}));
        } else {
            entries.push_back(&original);
        }
    }
    return PackageArchive::bytes(entries);
}

WordPackageSlicer::WordPackageSlicer(const fs::path& markedPackage, int pageCount, Options options)
    : document_(std::make_unique<WordDocument>(markedPackage, pageCount, options)) {}
WordPackageSlicer::~WordPackageSlicer() = default;
WordPackageSlicer::WordPackageSlicer(WordPackageSlicer&&) noexcept = default;
WordPackageSlicer& WordPackageSlicer::operator=(WordPackageSlicer&&) noexcept = default;

int WordPackageSlicer::pageCount() const {
    return document_->pageCount();
}
const std::string& WordPackageSlicer::notUnderstood() const {
    return document_->notUnderstood();
}
void WordPackageSlicer::placePagesIn(const std::filesystem::path& folder) {
    document_->placePagesIn(folder);
}

std::string WordPackageSlicer::pagesPackage(int first, int last) const {
    return document_->pagesPackage(first, last);
}

}  // namespace fk::slicer
