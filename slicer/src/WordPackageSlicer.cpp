#include "slicer/WordPackageSlicer.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <optional>
#include <cstring>
#include <set>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "PackageArchive.h"
#include "WordFields.h"
#include "WordProperties.h"
#include "slicer/MarkNames.h"
#include "slicer/PackageReader.h"

namespace fk::slicer {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDocumentPart = "word/document.xml";
constexpr std::string_view kDocumentRelations = "word/_rels/document.xml.rels";
constexpr std::string_view kImageRelation =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";

bool named(pugi::xml_node node, std::string_view name) {
    return node.type() == pugi::node_element && name == node.name();
}

bool isPageBreak(pugi::xml_node node) {
    return named(node, "w:br") && std::string_view(node.attribute("w:type").value()) == "page";
}

// Whether a child of a paragraph shows anything on the page. Bookmarks, proofing marks and the break
// that opens a page do not.
bool shows(pugi::xml_node child) {
    static constexpr std::array<std::string_view, 8> kUnseen = {
        "w:pPr",       "w:bookmarkStart", "w:bookmarkEnd",       "w:proofErr",
        "w:permStart", "w:permEnd",       "w:commentRangeStart", "w:commentRangeEnd"};
    if (child.type() != pugi::node_element) return false;
    if (std::find(kUnseen.begin(), kUnseen.end(), child.name()) != kUnseen.end()) return false;
    if (!named(child, "w:r")) return true;  // links, changes, fields and controls hold runs that show
    for (pugi::xml_node part : child.children()) {
        if (named(part, "w:rPr") || named(part, "w:lastRenderedPageBreak") || isPageBreak(part)) continue;
        if (part.type() == pugi::node_element) return true;
    }
    return false;
}

bool showsAny(pugi::xml_node first, pugi::xml_node end) {
    for (pugi::xml_node child = first; child && child != end; child = child.next_sibling())
        if (shows(child)) return true;
    return false;
}

pugi::xml_document parsed(const std::string& xml, std::string_view part) {
    pugi::xml_document document;
    // Whitespace is text in Word's runs (a w:t of one space).
    const pugi::xml_parse_result result =
        document.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata);
    if (!result)
        throw SliceError("The Word package's " + std::string(part) + " is not XML: " + result.description());
    return document;
}

std::string serialized(const pugi::xml_document& document) {
    std::ostringstream out;
    document.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(out).str();
}

// The last text of a piece, for the space that ended its page's last line.
pugi::xml_node lastText(pugi::xml_node paragraph) {
    pugi::xml_node found;
    for (pugi::xpath_node text : paragraph.select_nodes(".//w:t")) found = text.node();
    return found;
}

// The line break that ended a piece's last line, if its last thing shown is one.
pugi::xml_node endingLineBreak(pugi::xml_node paragraph) {
    for (pugi::xml_node run = paragraph.last_child(); run; run = run.previous_sibling()) {
        if (!shows(run)) continue;
        if (!named(run, "w:r")) return {};
        for (pugi::xml_node part = run.last_child(); part; part = part.previous_sibling()) {
            if (named(part, "w:rPr") || named(part, "w:lastRenderedPageBreak")) continue;
            const std::string_view type = part.attribute("w:type").value();
            return named(part, "w:br") && (type.empty() || type == "textWrapping") ? part : pugi::xml_node();
        }
        return {};
    }
    return {};
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
    std::string pagesPackage(int first, int last) const;

private:
    void refuse(const std::string& why) {
        if (notUnderstood_.empty()) notUnderstood_ = why;
    }
    const PackageEntry* entry(std::string_view name) const;
    void checkSettings();
    void readNumbering();
    // The hidden list items a page starts with, in order: each list's id and the item's level.
    std::vector<std::pair<std::string, int>> carriersFor(const WordListCounters::Counts& counts) const;
    // Puts the carriers of page `page`'s list numbers at the start of `body`; answers the page's
    // numbering part, empty when the page needs none of its own.
    std::string carryListNumbers(pugi::xml_node body, int page) const;
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
    bool copyRows(pugi::xml_node body, pugi::xml_node table, const WordPageStart* from, const WordPageStart* to) const;
    // The part of a row cut by the page that starts at `at`: what its cells show before (`head`) or after.
    void copyCutRow(pugi::xml_node table, pugi::xml_node row, const WordPageStart& at, bool head) const;
    // Reads the sections, gives each the headers and footers it takes over from the one before, and
    // numbers the pages as the input does.
    void readSections();
    // Ends the page's body with the properties of the section its last block is in, and numbers the
    // page and gives it its header as the input does.
    void endWithSection(pugi::xml_node body, std::size_t lastBlock, int first) const;
    bool sectionBeginsPage(int page) const;
    // The package's relations of the body without the pictures the page does not show.
    std::string relationsFor(const pugi::xml_node body, std::set<std::string>& droppedMedia) const;

    int pageCount_;
    WordPackageSlicer::Options options_;
    std::string notUnderstood_;
    std::vector<PackageEntry> entries_;
    pugi::xml_document document_;
    pugi::xml_document relations_;
    WordStyles styles_;
    std::vector<pugi::xml_node> blocks_;  // the body's children, its section's properties left out
    pugi::xml_node section_;                 // the body's last section's
    std::vector<pugi::xml_node> sections_;  // in order, the last one section_
    std::vector<std::size_t> sectionOfBlock_;
    std::vector<std::size_t> firstBlockOf_;  // by section
    std::vector<int> pageNumbers_;          // page k's number, [k - 1]
    std::vector<WordPageStart> starts_;  // page k starts at starts_[k - 1]
    std::set<std::string> ourMarkIds_;
    std::set<std::string> mediaShownElsewhere_;  // by headers, footers and other parts
    pugi::xml_document numbering_;
    std::optional<WordListCounters> lists_;
    std::vector<WordListCounters::Counts> countsAtStart_;  // by page, when the document has lists
    std::unordered_map<std::string, std::array<std::string, WordListCounters::kLevels>> carrierStyles_;
    static constexpr std::size_t kMaxCarriers = 500;
    std::vector<PackageEntry> frozenParts_;      // headers and footers with their page counts frozen
};

WordDocument::WordDocument(const fs::path& package, int pageCount, WordPackageSlicer::Options options)
    : pageCount_(pageCount), options_(options) {
    entries_ = PackageArchive::read(package);
    const PackageEntry* main = entry(kDocumentPart);
    if (!main) throw SliceError("The Word package has no " + std::string(kDocumentPart));
    document_ = parsed(main->data, kDocumentPart);
    if (const PackageEntry* relations = entry(kDocumentRelations))
        relations_ = parsed(relations->data, kDocumentRelations);
    const PackageEntry* styles = entry("word/styles.xml");
    if (styles) styles_.read(parsed(styles->data, "word/styles.xml"));

    const pugi::xml_node body = document_.document_element().child("w:body");
    if (!body) throw SliceError("The Word package's document has no body");
    for (pugi::xml_node block : body.children()) {
        if (block.type() != pugi::node_element) continue;
        if (named(block, "w:sectPr") && !block.next_sibling()) {
            section_ = block;
        } else {
            blocks_.push_back(block);
        }
    }
    if (!section_) refuse("a document without page settings");
    checkSettings();
    checkParts();
    findPageStarts();
    if (notUnderstood_.empty()) readNumbering();
    if (notUnderstood_.empty()) readSections();
}

const PackageEntry* WordDocument::entry(std::string_view name) const {
    for (const PackageEntry& candidate : entries_)
        if (candidate.name == name) return &candidate;
    return nullptr;
}

void WordDocument::checkSettings() {
    const PackageEntry* settings = entry("word/settings.xml");
    if (!settings) return;
    const pugi::xml_document parsedSettings = parsed(settings->data, "word/settings.xml");
    const pugi::xml_node root = parsedSettings.document_element();
    // Which of a page's headers and margins shows depends on the page's place among the others.
    if (root.child("w:evenAndOddHeaders")) refuse("headers that differ on left and right pages");
    if (root.child("w:mirrorMargins")) refuse("margins mirrored on left and right pages");
}

void WordDocument::readNumbering() {
    const PackageEntry* numbering = entry("word/numbering.xml");
    if (!numbering) return;
    numbering_ = parsed(numbering->data, "word/numbering.xml");
    lists_.emplace(numbering_.document_element());
    if (!lists_->understood()) {
        refuse("lists whose levels restart otherwise than after the level above");
        return;
    }
    // Each list's numbers where each page starts, which the page's hidden carriers count up to.
    WordListCounters::Counts counts;
    std::unordered_map<std::string, std::string> listOfAbstract;
    countsAtStart_.assign(static_cast<std::size_t>(pageCount_), {});
    std::set<std::size_t> cutTables;
    for (const WordPageStart& start : starts_)
        if (start.row) cutTables.insert(start.block);
    int page = 1;
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        // A paragraph's number shows on the page its first line is on.
        while (page < pageCount_) {
            const WordPageStart& next = starts_[static_cast<std::size_t>(page)];
            if (next.block > b || (next.block == b && !beginsBlock(next))) break;
            countsAtStart_[static_cast<std::size_t>(page)] = counts;
            ++page;
        }
        const auto count = [&](pugi::xml_node paragraph) {
            const pugi::xml_node list = styles_.paragraphProperty(paragraph, "w:numPr");
            const std::string id = list.child("w:numId").attribute("w:val").value();
            const WordListCounters::List* counted = lists_->list(id);
            if (!counted) return true;
            // A table's items count with the page the table starts on.
            if (cutTables.contains(b)) return false;
            // Lists that share their levels may count on from one another.
            const auto [known, added] = listOfAbstract.try_emplace(counted->abstractId, id);
            if (!added && known->second != id) return false;
            pugi::xml_node level = paragraph.child("w:pPr").child("w:numPr").child("w:ilvl");
            if (!level) level = list.child("w:ilvl");
            const int depth = std::clamp(level.attribute("w:val").as_int(0), 0, WordListCounters::kLevels - 1);
            lists_->count(counts, id, depth);
            carrierStyles_[id][static_cast<std::size_t>(depth)] =
                paragraph.child("w:pPr").child("w:pStyle").attribute("w:val").value();
            return true;
        };
        bool understood = named(blocks_[b], "w:p") ? count(blocks_[b]) : true;
        for (pugi::xpath_node nested : blocks_[b].select_nodes(".//w:p")) understood = count(nested.node()) && understood;
        if (!understood) {
            refuse("lists that count on from one another, or across the pages of a table");
            return;
        }
    }
    for (const WordListCounters::Counts& atStart : countsAtStart_)
        if (carriersFor(atStart).size() > kMaxCarriers) {
            refuse("lists with too many items before a page to count up to");
            return;
        }
}

std::vector<std::pair<std::string, int>> WordDocument::carriersFor(const WordListCounters::Counts& counts) const {
    std::vector<std::string> ids;
    for (const auto& [id, numbers] : counts) ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    std::vector<std::pair<std::string, int>> carriers;
    for (const std::string& id : ids) {
        const WordListCounters::List& list = *lists_->list(id);
        const std::array<int, WordListCounters::kLevels>& numbers = counts.at(id);
        // The first level counts up at once from its start, which the page's numbering sets; each level
        // below it restarts after it, and counts one carrier at a time.
        for (int level = 0; level < WordListCounters::kLevels; ++level) {
            const int items = numbers[static_cast<std::size_t>(level)] - list.start[static_cast<std::size_t>(level)] + 1;
            if (items <= 0 || !list.counting[static_cast<std::size_t>(level)]) continue;
            for (int item = 0; item < (level == 0 ? 1 : items) && carriers.size() <= kMaxCarriers; ++item)
                carriers.emplace_back(id, level);
        }
    }
    return carriers;
}

std::string WordDocument::carryListNumbers(pugi::xml_node body, int page) const {
    if (countsAtStart_.empty()) return {};
    const WordListCounters::Counts& counts = countsAtStart_[static_cast<std::size_t>(page - 1)];
    const std::vector<std::pair<std::string, int>> carriers = carriersFor(counts);
    if (carriers.empty()) return {};
    pugi::xml_document numbering;
    numbering.append_copy(numbering_.first_child());
    for (pugi::xml_node node = numbering_.first_child().next_sibling(); node; node = node.next_sibling())
        numbering.append_copy(node);
    for (const auto& [id, level] : carriers) {
        const auto styles = carrierStyles_.find(id);
        WordParagraphProperties::appendListCarrier(
            body, styles == carrierStyles_.end() ? std::string() : styles->second[static_cast<std::size_t>(level)], id,
            level);
        if (level != 0) continue;
        // The first level's carrier shows the number the page's first level goes on from.
        pugi::xml_node num =
            numbering.document_element().find_child_by_attribute("w:num", "w:numId", id.c_str());
        pugi::xml_node override = num.find_child_by_attribute("w:lvlOverride", "w:ilvl", "0");
        if (!override) {
            override = num.append_child("w:lvlOverride");
            override.append_attribute("w:ilvl") = "0";
        }
        pugi::xml_node start = override.child("w:startOverride");
        if (!start) start = override.prepend_child("w:startOverride");
        if (!start.attribute("w:val")) start.append_attribute("w:val");
        start.attribute("w:val") = counts.at(id)[0];
    }
    return serialized(numbering);
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
        if (!named(block, "w:p") && block.select_node(".//w:sectPr")) refuse("a section that ends in a table");
    // A page shows the page counts of the whole document, as the input printed them; in headers and
    // footers too.
    if (!FreezePageCountingFields(document_.document_element())) refuse("fields that count pages");
    for (const PackageEntry& part : entries_) {
        const bool headOrFoot =
            (part.name.starts_with("word/header") || part.name.starts_with("word/footer")) &&
            part.name.ends_with(".xml");
        if (!headOrFoot || part.data.find("PAGE") == std::string::npos) continue;
        pugi::xml_document frozen = parsed(part.data, part.name);
        if (!FreezePageCountingFields(frozen.document_element())) refuse("fields that count pages");
        frozenParts_.push_back(PackageArchive::storedAlone({part.name, serialized(frozen)}));
    }
    if (!relations_) return;
    for (const PackageEntry& part : entries_) {
        if (!part.name.ends_with(".rels") || part.name == kDocumentRelations) continue;
        const pugi::xml_document other = parsed(part.data, part.name);
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
        if (named(node, "w:fldChar")) {
            const std::string_view type = node.attribute("w:fldCharType").value();
            if (type == "begin") ++openFields;
            if (type == "end" && openFields > 0) --openFields;
        } else if (named(node, "w:bookmarkStart") && IsOurMark(node.attribute("w:name").value())) {
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
    starts_.push_back({0, {}});  // the first page holds whatever comes before its mark
    for (int page = 2; page <= pageCount_; ++page) {
        const auto found = marks.find(page);
        if (found == marks.end()) {
            refuse("page " + std::to_string(page) + " without a mark");
            return;
        }
        const auto [mark, fieldsOpen] = found->second;
        const pugi::xml_node paragraph = mark.parent();
        WordPageStart start{.mark = mark};
        // In the body, or in a cell of a table in the body.
        auto block = blockOf.find(paragraph.internal_object());
        const pugi::xml_node cell = paragraph.parent();
        if (block == blockOf.end() && named(cell, "w:tc") && named(cell.parent(), "w:tr")) {
            start.row = cell.parent();
            block = blockOf.find(start.row.parent().internal_object());
        }
        if (!named(paragraph, "w:p") || block == blockOf.end()) {
            refuse("page " + std::to_string(page) + " starts inside a frame, a control or a table in a table");
            return;
        }
        start.block = block->second;
        if (fieldsOpen > 0) {
            refuse("page " + std::to_string(page) +
                   " starts inside a field (an index or a table of contents)");
            return;
        }
        if (start.row && !readRowStart(page, start, cellMarks[page])) return;
        if (start.row && start.row == starts_.back().row) {
            refuse("page " + std::to_string(page) + " goes on in a row that began two pages before");
            return;
        }
        if (!follows(start, starts_.back())) {
            refuse("page " + std::to_string(page) + " marked before the page before it");
            return;
        }
        // The rest of a list item would show no label and keep the list's indent, which a page alone
        // cannot say without the list.
        if (showsAny(paragraph.first_child(), mark) && styles_.inList(paragraph))
            refuse("page " + std::to_string(page) + " starts inside a list item");
        starts_.push_back(std::move(start));
    }
}

bool WordDocument::readRowStart(int page, WordPageStart& start, const std::vector<pugi::xml_node>& cellMarks) {
    const pugi::xml_node table = blocks_[start.block];
    // Merged cells would have to be cut and merged again on both pages.
    if (table.select_node(".//w:vMerge")) {
        refuse("page " + std::to_string(page) + " starts inside a table with cells merged down its rows");
        return false;
    }
    const pugi::xml_node paragraph = start.mark.parent();
    bool before = showsAny(paragraph.first_child(), start.mark);
    for (pugi::xml_node sibling = paragraph.previous_sibling(); sibling && !before; sibling = sibling.previous_sibling())
        before = named(sibling, "w:tbl") || (named(sibling, "w:p") && showsAny(sibling.first_child(), {}));
    start.midRow = before || !cellMarks.empty();
    for (pugi::xml_node mark : cellMarks) {
        const pugi::xml_node cell = mark.parent().parent();
        if (!named(mark.parent(), "w:p") || !named(cell, "w:tc") || cell.parent() != start.row) {
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
        // A row across three pages would be cut twice.
        if (!start.row || !before.row || start.row == before.row) return false;
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
    return !showsAny(blocks_[start.block].first_child(), start.mark);
}

bool WordDocument::copyPiece(pugi::xml_node body, pugi::xml_node paragraph, pugi::xml_node from,
                             pugi::xml_node to, bool opensPage, bool afterBreak) const {
    const pugi::xml_node begin = from ? from : paragraph.first_child();
    const bool continues = from && showsAny(paragraph.first_child(), from);
    // A piece with nothing of its own to show stays with the page that shows the rest; an empty
    // paragraph that a page starts in is that page's.
    if ((to || continues) && !showsAny(begin, to)) return false;
    const bool continued = to && showsAny(to, pugi::xml_node());

    pugi::xml_node piece = body.append_child("w:p");
    for (pugi::xml_attribute attribute : paragraph.attributes()) piece.append_copy(attribute);
    if (const pugi::xml_node properties = paragraph.child("w:pPr")) piece.append_copy(properties);
    for (pugi::xml_node child = begin; child && child != to; child = child.next_sibling()) {
        if (named(child, "w:pPr")) continue;
        if ((named(child, "w:bookmarkStart") || named(child, "w:bookmarkEnd")) &&
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
        const bool broken = afterBreak || !piece.select_nodes(".//w:br[@w:type='page']").empty() ||
                            (styles_.paragraphProperty(paragraph, "w:pageBreakBefore") &&
                             breakBefore != "0" && breakBefore != "false");
        properties.remove("w:pageBreakBefore");
        if ((options_.dropSpaceAtPageTop && !broken) || continues) properties.setSpacing("w:before", "0");
    }
    if (continues) {
        // The rest of a paragraph from the page before: no first-line indent, no drop cap.
        properties.setFirstLineIndent("0");
        properties.remove("w:framePr");
    }
    // A page has no page break: the one in its first paragraph opened it in the input.
    for (pugi::xpath_node pageBreak : piece.select_nodes(".//w:br[@w:type='page']"))
        pageBreak.parent().remove_child(pageBreak.node());
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
    pugi::xml_node copy = body.append_child("w:tbl");
    for (pugi::xml_node child : table.children()) {
        if (named(child, "w:tr")) break;
        copy.append_copy(child);
    }
    // The rows the layout repeats at the top of every page the table goes on to.
    if (first != table.child("w:tr") && !first.child("w:trPr").child("w:tblHeader"))
        for (pugi::xml_node row = table.child("w:tr"); row && row != first && row.child("w:trPr").child("w:tblHeader");
             row = row.next_sibling("w:tr"))
            copy.append_copy(row);
    bool shown = false;
    for (pugi::xml_node row = first; row; row = row.next_sibling()) {
        if (row == last) {
            if (to->midRow) {
                copyCutRow(copy, row, *to, true);
                shown = true;
            }
            break;
        }
        if (!named(row, "w:tr")) {
            if (!((named(row, "w:bookmarkStart") || named(row, "w:bookmarkEnd")) &&
                  ourMarkIds_.contains(row.attribute("w:id").value())))
                copy.append_copy(row);
            continue;
        }
        if (from && row == from->row && from->midRow)
            copyCutRow(copy, row, *from, false);
        else
            copy.append_copy(row);
        shown = true;
    }
    if (!shown) body.remove_child(copy);
    return shown;
}

void WordDocument::copyCutRow(pugi::xml_node table, pugi::xml_node row, const WordPageStart& at, bool head) const {
    pugi::xml_node part = table.append_child("w:tr");
    for (pugi::xml_attribute attribute : row.attributes()) part.append_copy(attribute);
    for (pugi::xml_node child : row.children()) {
        if (named(child, "w:trPr")) {
            // Each part takes the height of what it shows on its page, not the row's least height.
            part.append_copy(child).remove_child("w:trHeight");
            continue;
        }
        if (!named(child, "w:tc")) {
            part.append_copy(child);
            continue;
        }
        // Where the cell goes on: the page's mark, a cell mark, or nowhere when it has shown all it holds.
        pugi::xml_node cut;
        for (pugi::xml_node mark : at.cellMarks)
            if (mark.parent().parent() == child) cut = mark;
        if (at.mark.parent().parent() == child) cut = at.mark;
        pugi::xml_node cell = part.append_child("w:tc");
        const pugi::xml_node cutParagraph = cut.parent();
        bool before = true;
        for (pugi::xml_node content : child.children()) {
            if (named(content, "w:tcPr")) {
                cell.append_copy(content);
                continue;
            }
            if (content == cutParagraph) {
                copyPiece(cell, content, head ? pugi::xml_node() : cut, head ? cut : pugi::xml_node(), false, false);
                before = false;
                continue;
            }
            if (head ? (before || !cut) : (!before && cut)) cell.append_copy(content);
        }
        // A cell ends with a paragraph in Word's format.
        if (!named(cell.last_child(), "w:p")) cell.append_child("w:p");
    }
}

void WordDocument::readSections() {
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        sectionOfBlock_.push_back(sections_.size());
        if (const pugi::xml_node ends = blocks_[b].child("w:pPr").child("w:sectPr")) sections_.push_back(ends);
    }
    sections_.push_back(section_);
    // Each section's first block: the one after the block that ends the section before.
    firstBlockOf_.assign(sections_.size(), 0);
    for (std::size_t b = 1; b < blocks_.size(); ++b)
        if (sectionOfBlock_[b] != sectionOfBlock_[b - 1]) firstBlockOf_[sectionOfBlock_[b]] = b;

    // A section without a header or footer of a kind shows the one of the section before.
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        for (const char* reference : {"w:headerReference", "w:footerReference"}) {
            for (pugi::xml_node inherited : sections_[i - 1].children(reference)) {
                const std::string_view type = inherited.attribute("w:type").value();
                bool own = false;
                for (pugi::xml_node mine : sections_[i].children(reference))
                    own = own || type == mine.attribute("w:type").value();
                if (!own) sections_[i].prepend_copy(inherited);
            }
        }
    }

    // Numbers go on from page to page but where a section that opens a page starts them again.
    for (int page = 1; page <= pageCount_; ++page) {
        const pugi::xml_attribute start =
            sections_[sectionOfBlock_[starts_[static_cast<std::size_t>(page - 1)].block]].child("w:pgNumType").attribute(
                "w:start");
        if (sectionBeginsPage(page) && start)
            pageNumbers_.push_back(start.as_int(1));
        else
            pageNumbers_.push_back(page == 1 ? 1 : pageNumbers_.back() + 1);
    }
}

bool WordDocument::sectionBeginsPage(int page) const {
    if (page == 1) return true;
    const WordPageStart& start = starts_[static_cast<std::size_t>(page - 1)];
    return firstBlockOf_[sectionOfBlock_[start.block]] == start.block && beginsBlock(start);
}

void WordDocument::endWithSection(pugi::xml_node body, std::size_t lastBlock, int first) const {
    // The page's last paragraph, if it ends a section, ends the page's body instead: ended inside
    // the page, the section would open another.
    pugi::xml_node last = body.last_child();
    if (named(last, "w:p")) last.child("w:pPr").remove_child("w:sectPr");
    body.append_copy(sections_[sectionOfBlock_[lastBlock]]);

    bool opening = true;
    for (pugi::xpath_node found : body.select_nodes("./w:p/w:pPr/w:sectPr | ./w:sectPr")) {
        WordSectionProperties properties(found.node());
        // A page alone has no page before it to leave blank.
        properties.openOnNextPage();
        if (!opening) {
            properties.continueNumbering();
            continue;
        }
        opening = false;
        // The page's number is its number in the input; a first page's own header only on the first
        // page of its section.
        properties.setNumberingStart(pageNumbers_[static_cast<std::size_t>(first - 1)]);
        if (!sectionBeginsPage(first)) {
            properties.remove("w:titlePg");
        } else if (found.node().child("w:titlePg")) {
            // The office gives a section's first page no header or footer where its first page style has
            // none, and its body the room they take on the other pages; Word's margins are the section's.
            properties.giveFirstPageTheRoomOf("w:headerReference", "w:top", "w:header");
            properties.giveFirstPageTheRoomOf("w:footerReference", "w:bottom", "w:footer");
        }
    }
}

std::string WordDocument::relationsFor(const pugi::xml_node body, std::set<std::string>& droppedMedia) const {
    std::set<std::string> shown;
    for (pugi::xpath_node attribute : body.select_nodes(".//@*"))
        if (std::string_view(attribute.attribute().name()).starts_with("r:"))
            shown.insert(attribute.attribute().value());
    pugi::xml_document relations;
    relations.append_copy(relations_.first_child());
    for (pugi::xml_node node = relations_.first_child().next_sibling(); node; node = node.next_sibling())
        relations.append_copy(node);
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
    return serialized(relations);
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
            if (!named(child, "w:body")) root.append_copy(child);
        pugi::xml_node body = root.append_child("w:body");
        numbering = carryListNumbers(body, first);

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
            if (named(block, "w:p")) {
                const pugi::xml_node from = b == start.block ? start.mark : pugi::xml_node();
                const pugi::xml_node to = end && b == end->block ? end->mark : pugi::xml_node();
                if (copyPiece(body, block, from, to, opensPage, afterBreak)) {
                    opensPage = false;
                    lastEmitted = b;
                }
            } else if (!named(block, "w:tbl") || copyRows(body, block, b == start.block ? &start : nullptr,
                                                          end && b == end->block ? end : nullptr)) {
                // Controls (a table of contents) go whole: no page starts inside one.
                if (!named(block, "w:tbl")) body.append_copy(block);
                opensPage = false;
                lastEmitted = b;
            }
        }
        // Word's format ends a body with a paragraph: after a table that fills the page, one that takes
        // no room, or it would open a second page.
        const pugi::xml_node lastShown = body.last_child();
        if (!lastShown || !named(lastShown, "w:p")) WordParagraphProperties::appendTiny(body);
        endWithSection(body, lastEmitted, first);
    }

    std::set<std::string> droppedMedia;
    const std::string relations =
        relations_ ? relationsFor(page.document_element().child("w:body"), droppedMedia) : std::string();
    std::vector<PackageEntry> changed;
    changed.reserve(3);
    std::vector<const PackageEntry*> entries;
    for (const PackageEntry& original : entries_) {
        if (droppedMedia.contains(original.name)) continue;
        if (original.name == kDocumentPart) {
            entries.push_back(&changed.emplace_back(PackageEntry{original.name, serialized(page)}));
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
std::string WordPackageSlicer::pagesPackage(int first, int last) const {
    return document_->pagesPackage(first, last);
}

}  // namespace fk::slicer
