#include "SlicedDocument.h"
#include "IdentifiedPageStarts.h"

#include "BodyRangeCopier.h"
#include "EndnotePages.h"
#include "FrozenFields.h"
#include "LiftedObjects.h"
#include "NotesGoingOn.h"
#include "ObjectsDrawnLater.h"
#include "ObjectsLeftAtFoot.h"
#include "OdfNodes.h"
#include "OutputStyles.h"
#include "PageConfinement.h"
#include "PageStartStyler.h"
#include "RunningHeads.h"
#include "StylesAdjuster.h"
#include "slicer/PageOrigin.h"

#include <algorithm>
#include <sstream>

namespace fk::slicer {

namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata;

bool isTextMediaType(std::string_view mimetype) {
    while (!mimetype.empty() &&
           (mimetype.back() == '\n' || mimetype.back() == '\r' || mimetype.back() == ' '))
        mimetype.remove_suffix(1);
    return mimetype == "application/vnd.oasis.opendocument.text" ||
           mimetype == "application/vnd.oasis.opendocument.text-template";
}

void parse(pugi::xml_document& document, const PackageEntry& entry) {
    const pugi::xml_parse_result result =
        document.load_buffer(entry.data.data(), entry.data.size(), kParseOptions);
    if (!result) throw SliceError(entry.name + " is not well-formed: " + result.description());
}

void declareUtf8(pugi::xml_document& document) {
    pugi::xml_node declaration = document.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
}

std::string serialised(const pugi::xml_document& document) {
    std::ostringstream text;
    // Raw: indentation would add spaces to paragraphs.
    document.save(text, "", pugi::format_raw, pugi::encoding_utf8);
    return text.str();
}

// The cutting rules follow the body's elements by recursion. The office nests a body a dozen elements
// deep (lists in tables in sections); one nested deeper than this is refused rather than run out of
// stack.
constexpr int kMaxBodyDepth = 200;

bool nestsDeeperThan(pugi::xml_node root, int limit) {
    struct Walker : pugi::xml_tree_walker {
        int limit = 0;
        bool deeper = false;
        bool for_each(pugi::xml_node&) override {
            deeper = depth() >= limit;
            return !deeper;
        }
    } walker;
    walker.limit = limit;
    root.traverse(walker);
    return walker.deeper;
}

// Entries of the input that say nothing true about a single page, or that our edits invalidate.
bool isDropped(const std::string& name) {
    return name.starts_with("META-INF/") || name.starts_with("Thumbnails/") ||
           name.starts_with("Configurations2/") || name == "layout-cache";
}

}  // namespace

SlicedDocument::SlicedDocument(const std::filesystem::path& markedPackage, std::vector<PlannedPage> plan,
                               std::optional<std::vector<std::string>> headings)
    : plan_(std::move(plan)), bodyPlan_(bodyPart(plan_)), entries_(PackageArchive::read(markedPackage)) {
    if (plan_.pageCount() == 0) throw SliceError("The page plan is empty");
    const PackageEntry* mimetype = entry("mimetype");
    if (!mimetype || !isTextMediaType(mimetype->data))
        throw SliceError(markedPackage.string() + " is not an OpenDocument text package");
    const PackageEntry* content = entry("content.xml");
    if (!content) throw SliceError(markedPackage.string() + " has no content.xml");
    parse(content_, *content);
    text_ = content_.child("office:document-content").child("office:body").child("office:text");
    if (!text_) throw SliceError(markedPackage.string() + " has no text body");
    if (nestsDeeperThan(text_, kMaxBodyDepth))
        throw SliceError(markedPackage.string() + " nests its body more than " +
                         std::to_string(kMaxBodyDepth) + " elements deep");
    BookmarkIdentifiedPageStarts(text_);
    if (const PackageEntry* styles = entry("styles.xml")) parse(styles_, *styles);
    if (const PackageEntry* settings = entry("settings.xml"))
        changesHidden_ = PageConfinement::changesHidden(settings->data);
    const PackageEntry* manifest = entry("META-INF/manifest.xml");
    manifest_ =
        std::make_unique<PackageManifest>(manifest ? std::string_view(manifest->data) : std::string_view());

    const pugi::xml_node contentRoot = content_.document_element();
    const pugi::xml_node stylesRoot = styles_.document_element();
    catalog_ = std::make_unique<StyleCatalog>(contentRoot, stylesRoot);
    masterPages_ = std::make_unique<MasterPages>(stylesRoot);
    const int bodyPages = bodyPlan_.pageCount();
    if (bodyPages == 0) throw SliceError("The page plan has no page of the body");
    for (int page = 1; page <= bodyPages; ++page)
        if (plan_.page(page).endnotes)
            issues_.push_back({page, "an endnote page before the body's last page"});
    // Before anything else reads the body: it takes the endnote pages' marks out of it.
    if (bodyPages < plan_.pageCount())
        endnotes_ = std::make_unique<EndnotePages>(text_, stylesRoot, *catalog_, *masterPages_, bodyPages + 1,
                                                   plan_.pageCount() - bodyPages,
                                                   plan_.page(bodyPages + 1).pageStyle);
    facts_ = std::make_unique<DocumentFacts>(text_, *catalog_);
    pages_ = std::make_unique<PageMap>(text_, bodyPlan_, *catalog_, *masterPages_, *facts_);
    objectsDrawnLater_ = std::make_unique<ObjectsDrawnLater>(bodyPlan_, text_);
    notesGoingOn_ = std::make_unique<NotesGoingOn>(text_);
    if (headings) {
        // Cut at headings, the body is cut at the heading marks only. A page mark the slicer cannot cut
        // at (in a table row that breaks across pages) still places its page near enough to tell which
        // pages a part spans and what its first page shows.
        parts_ = std::make_unique<PartMap>(text_, *headings, bodyPlan_, *pages_, *facts_);
        issues_.insert(issues_.end(), parts_->issues().begin(), parts_->issues().end());
    } else {
        issues_.insert(issues_.end(), pages_->issues().begin(), pages_->issues().end());
    }
    if (endnotes_) issues_.insert(issues_.end(), endnotes_->issues().begin(), endnotes_->issues().end());
    for (pugi::xml_node child : text_.children())
        if (odf::isPageAnchored(child)) pageAnchored_.push_back(child);
    inputReferences_.collect(contentRoot);
    inputReferences_.collect(stylesRoot);
    inputTargets_ =
        std::make_unique<ReferenceTargets>(std::initializer_list<pugi::xml_node>{text_, stylesRoot});
    packEveryPagesEntries();
}

bool SlicedDocument::isTakenOver(const std::string& name) {
    return name != "mimetype" && name != "content.xml" && name != "styles.xml" && !isDropped(name);
}

bool SlicedDocument::isOnEveryPage(const std::string& name) const {
    return isTakenOver(name) && !isMedia(name);
}

void SlicedDocument::packEveryPagesEntries() {
    // Every page carries these as they are. In a small package of their own, compressed once, they are
    // taken over from there: a page would otherwise open the whole marked package for them (its last
    // 64 KiB are copied to find the directory) or compress an entry that changed (meta.xml) again.
    std::vector<const PackageEntry*> everyPages;
    for (const PackageEntry& entry : entries_)
        if (isOnEveryPage(entry.name)) everyPages.push_back(&entry);
    if (everyPages.empty()) return;
    const auto packed = std::make_shared<const std::string>(PackageArchive::bytesAsStored(everyPages));
    std::uint64_t index = 0;
    for (PackageEntry& entry : entries_) {
        if (!isOnEveryPage(entry.name)) continue;
        entry.storedIn = packed;
        entry.storedAt = index++;
    }
}

SlicedDocument::~SlicedDocument() = default;

PagePlan SlicedDocument::bodyPart(const PagePlan& plan) {
    int bodyPages = plan.pageCount();
    while (bodyPages > 0 && plan.page(bodyPages).endnotes) --bodyPages;
    std::vector<PlannedPage> body;
    for (int page = 1; page <= bodyPages; ++page) body.push_back(plan.page(page));
    return PagePlan(std::move(body));
}

const std::string& SlicedDocument::masterPageOf(int page) const {
    return endnotes_ && page >= endnotes_->firstPage() ? endnotes_->masterPage() : pages_->masterPage(page);
}

void SlicedDocument::markOrigin(const std::string& documentName) {
    const auto meta = std::find_if(entries_.begin(), entries_.end(),
                                   [](const PackageEntry& entry) { return entry.name == "meta.xml"; });
    if (meta != entries_.end())
        *meta = {meta->name, WithPageOrigin(meta->data, documentName)};
    else
        entries_.push_back({"meta.xml", WithPageOrigin({}, documentName)});
    packEveryPagesEntries();
}

const PackageEntry* SlicedDocument::entry(std::string_view name) const {
    for (const PackageEntry& candidate : entries_)
        if (candidate.name == name) return &candidate;
    return nullptr;
}

bool SlicedDocument::isMedia(const std::string& name) const {
    return name.starts_with("Pictures/") || name.starts_with("Media/") ||
           name.starts_with("ObjectReplacements/") || inputReferences_.covers(name);
}

void SlicedDocument::writePages(int first, int last, const std::filesystem::path& target) const {
    withEntries(pagesCut(first, last), [&](const std::vector<const PackageEntry*>& entries) {
        PackageArchive::write(target, entries);
    });
}

std::string SlicedDocument::pagesPackage(int first, int last) const {
    std::string bytes;
    withEntries(pagesCut(first, last), [&](const std::vector<const PackageEntry*>& entries) {
        bytes = PackageArchive::bytes(entries);
    });
    return bytes;
}

SlicedDocument::OutputCut SlicedDocument::pagesCut(int first, int last) const {
    if (first < 1 || last < first || last > pageCount())
        throw SliceError("Pages " + std::to_string(first) + "-" + std::to_string(last) + " are not in 1-" +
                         std::to_string(pageCount()));
    OutputCut cut;
    const int bodyPages = bodyPlan_.pageCount();
    const int bodyLast = std::min(last, bodyPages);
    cut.firstPage = first;
    cut.hasBody = first <= bodyLast;
    if (cut.hasBody) {
        cut.start = pages_->startOf(first);
        cut.end = pages_->startOf(bodyLast + 1);
        cut.startCells = pages_->cellCutsOf(first);
        cut.endCells = pages_->cellCutsOf(bodyLast + 1);
        cut.opensPage = cut.anchoredFirst = first;
        cut.endsBeforePage = bodyLast < bodyPages ? bodyLast + 1 : 0;
        cut.anchoredLast = bodyLast;
        cut.blank = first == last && plan_.page(first).blank;
    }
    if (last > bodyLast) {
        cut.endnotesFirst = std::max(first, bodyLast + 1);
        cut.endnotesLast = last;
    }
    return cut;
}

const PartSpan& SlicedDocument::part(int k) const {
    if (k < 1 || k > partCount())
        throw SliceError("Part " + std::to_string(k) + " is not in 1-" + std::to_string(partCount()));
    return parts_->part(k).span;
}

void SlicedDocument::writePart(int k, const std::filesystem::path& target) const {
    withEntries(partCut(k), [&](const std::vector<const PackageEntry*>& entries) {
        PackageArchive::write(target, entries);
    });
}

std::string SlicedDocument::partPackage(int k) const {
    std::string bytes;
    withEntries(partCut(k), [&](const std::vector<const PackageEntry*>& entries) {
        bytes = PackageArchive::bytes(entries);
    });
    return bytes;
}

SlicedDocument::OutputCut SlicedDocument::partCut(int k) const {
    part(k);  // refuses a part that is not there
    const PartMap::Part& planned = parts_->part(k);
    OutputCut cut;
    cut.start = planned.start;
    cut.end = planned.end;
    cut.firstPage = planned.span.firstPage;
    cut.opensPage = planned.opensPage;
    cut.endsBeforePage = planned.endsBeforePage;
    cut.anchoredFirst = planned.anchoredFirst;
    cut.anchoredLast = planned.anchoredLast;
    // The endnotes leave the body's parts as they leave its pages: the last part shows their pages.
    if (k == partCount() && bodyPlan_.pageCount() < pageCount()) {
        cut.endnotesFirst = bodyPlan_.pageCount() + 1;
        cut.endnotesLast = pageCount();
    }
    return cut;
}

void SlicedDocument::withEntries(
    const OutputCut& cut, const std::function<void(const std::vector<const PackageEntry*>&)>& use) const {
    pugi::xml_document content, styles;
    buildContent(cut, content);
    buildStyles(cut, styles);
    confineToPages(content, styles);
    PackageReferences outputReferences;
    outputReferences.collect(content.document_element());
    outputReferences.collect(styles.document_element());

    std::vector<PackageEntry> written{{"mimetype", "application/vnd.oasis.opendocument.text"},
                                      {"content.xml", serialised(content)}};
    if (styles.document_element())
        written.push_back(repeatedStyles_.share({"styles.xml", serialised(styles)}));
    std::vector<const PackageEntry*> kept;
    for (const PackageEntry& input : entries_) {
        if (!isTakenOver(input.name)) continue;
        if (isMedia(input.name) && !outputReferences.covers(input.name)) continue;
        kept.push_back(&input);
    }
    std::vector<std::string> names;
    for (const PackageEntry& entry : written) names.push_back(entry.name);
    for (const PackageEntry* entry : kept) names.push_back(entry->name);
    const PackageEntry manifest =
        repeatedManifests_.share({"META-INF/manifest.xml", manifest_->render(names)});

    std::vector<const PackageEntry*> ordered;
    for (const PackageEntry& entry : written) ordered.push_back(&entry);
    ordered.insert(ordered.end(), kept.begin(), kept.end());
    ordered.push_back(&manifest);
    use(ordered);
}

// The output body is built in passes, each of which needs those before it:
//  1. copyFrame: the input's root and everything in it but the body; an empty body.
//  2. copy: the body between the two page starts, cut at both ends.
//  3. placePageAnchoredObjects: objects anchored to these pages, before the first block that 2 copied.
//  4. dropFromOpening: objects the layout left on the page before leave the opening paragraph (of 2).
//  5. holdAtFoot: objects the next page left on this one, in a paragraph at the end of the body (after
//     2); to the passes after it they are objects like any other. Then objects drawn on a later page
//     than their paragraph leave it for the page that draws them (ObjectsDrawnLater), and footnotes that
//     go on after the cut's last page leave the rest to the page that shows it (NotesGoingOn).
//  6. drawOverText: lifted objects, found among all of the page's (2 to 5), drawn over the text.
//  7. styleFirstPage: the first block, final once 2 to 5 have run (an empty body gets one), takes the
//     page's style and number.
//  8. dropTrailingBreak: the last block, final after 5, loses a page break after it.
//  9. closeAfterTable: a paragraph after a closing table; it adds the body's last block.
// 10. takeNamedFromInput: the input's automatic styles that the page names; last, for every pass
//     before may name one.
// Passes 2 to 7 cover the body's pages of the cut; endnote pages follow them (appendEndnotePages),
// and the endnotes that they show leave the body's pages before pass 8.
// Styles derived on the way are numbered in the order of the passes.
void SlicedDocument::buildContent(const OutputCut& cut, pugi::xml_document& output) const {
    const OutputContent content = copyFrame(output);
    OutputStyles styles(*catalog_, content.automaticStyles);
    if (cut.hasBody) {
        BodyRangeCopier copier(*facts_, styles, std::to_string(pageCount()));
        const ObjectsLeftAtFoot objectsLeftAtFoot(bodyPlan_, *pages_);
        copier.copy(text_, BodyCut{cut.start, cut.startCells}, BodyCut{cut.end, cut.endCells}, content.text);
        placePageAnchoredObjects(cut, content.text, copier);
        // Objects left at a page's foot belong to a cut at that page's start; one in mid-page has none.
        if (cut.opensPage) objectsLeftAtFoot.dropFromOpening(cut.opensPage, content.text);
        if (cut.endsBeforePage)
            objectsLeftAtFoot.holdAtFoot(cut.endsBeforePage - 1, content.text, copier, styles);
        objectsDrawnLater_->takeOut(cut.anchoredLast, content.text);
        objectsDrawnLater_->placeOnPages(cut.anchoredFirst, cut.anchoredLast, content.text, copier, styles);
        notesGoingOn_->cutAtPageEnd(cut.anchoredLast, content.text, copier);
        notesGoingOn_->carryOnto(cut.anchoredFirst, cut.anchoredLast, content.text, copier);
        LiftedObjects::drawOverText(content.text, styles);
        styleFirstPage(cut, content.text, styles);
    }
    if (endnotes_) {
        endnotes_->citeInBody(content.text, styles);
        if (cut.endnotesFirst) appendEndnotePages(cut.endnotesFirst, cut.endnotesLast, content.text, styles);
    }
    PageStartStyler::dropTrailingBreak(content.text, styles);
    PageStartStyler::closeAfterTable(content.text, styles);
    styles.takeNamedFromInput();
}

// What the output holds of the rest of the document: ranges cut at its ends are closed, fields that would
// show something else on their own show what the input showed, and declarations no field of the output
// uses are dropped, after the fields that used them were frozen.
void SlicedDocument::confineToPages(pugi::xml_document& content, pugi::xml_document& styles) const {
    const pugi::xml_node outputText = content.document_element().child("office:body").child("office:text");
    PageConfinement::closeCutRanges(outputText);
    const FrozenFields fields(outputText, *inputTargets_);
    fields.freeze(outputText);
    if (styles.document_element()) fields.freeze(styles.document_element());
    PageConfinement::keepNeededDeclarations(outputText, {outputText, styles.document_element()});
    if (changesHidden_) PageConfinement::leaveOutParagraphDeletions(outputText);
    PageConfinement::keepOwnTrackedChanges(outputText);
}

SlicedDocument::OutputContent SlicedDocument::copyFrame(pugi::xml_document& output) const {
    const pugi::xml_node inputRoot = content_.document_element();
    declareUtf8(output);
    pugi::xml_node root = output.append_child(inputRoot.name());
    for (pugi::xml_attribute attribute : inputRoot.attributes()) root.append_copy(attribute);
    OutputContent content;
    for (pugi::xml_node child : inputRoot.children()) {
        // The automatic styles are taken over as the page names them, when it is built.
        if (odf::is(child, "office:automatic-styles")) {
            pugi::xml_node styles = root.append_child(child.name());
            for (pugi::xml_attribute attribute : child.attributes()) styles.append_copy(attribute);
            continue;
        }
        if (!odf::is(child, "office:body")) {
            root.append_copy(child);
            continue;
        }
        pugi::xml_node body = root.append_child("office:body");
        for (pugi::xml_attribute attribute : child.attributes()) body.append_copy(attribute);
        content.text = body.append_child("office:text");
        for (pugi::xml_attribute attribute : text_.attributes()) content.text.append_copy(attribute);
        // The input's soft page breaks are not copied, they describe the input's layout.
        content.text.remove_attribute("text:use-soft-page-breaks");
    }
    content.automaticStyles = root.child("office:automatic-styles");
    if (!content.automaticStyles)
        content.automaticStyles =
            root.insert_child_before("office:automatic-styles", root.child("office:body"));
    return content;
}

void SlicedDocument::placePageAnchoredObjects(const OutputCut& cut, pugi::xml_node outputText,
                                              BodyRangeCopier& copier) const {
    const pugi::xml_node firstBlock = odf::firstContentChild(outputText);
    const int first = cut.firstPage;
    for (pugi::xml_node object : pageAnchored_) {
        const int page = object.attribute("text:anchor-page-number").as_int(1);
        if (page < cut.anchoredFirst || page > cut.anchoredLast) continue;
        pugi::xml_node copy = copier.copyWhole(object, outputText);
        if (!copy) continue;
        if (firstBlock) copy = outputText.insert_move_before(copy, firstBlock);
        pugi::xml_attribute anchorPage = copy.attribute("text:anchor-page-number");
        if (!anchorPage) anchorPage = copy.append_attribute("text:anchor-page-number");
        anchorPage.set_value(page - first + 1);
    }
}

void SlicedDocument::styleFirstPage(const OutputCut& cut, pugi::xml_node outputText,
                                    OutputStyles& styles) const {
    const int first = cut.firstPage;
    const BlankPage blankStyle = cut.blank ? blankPage(first) : BlankPage{};
    // A cut in mid-page opens a fresh page, where its first block shows its space above.
    PageStartStyler::styleFirstPage(outputText, cut.blank ? blankStyle.masterPage : pages_->masterPage(first),
                                    cut.blank ? blankStyle.shownNumber : pages_->shownNumber(first),
                                    cut.opensPage ? pages_->showsSpaceAbove(cut.opensPage) : true, styles);
}

void SlicedDocument::appendEndnotePages(int first, int last, pugi::xml_node outputText,
                                        OutputStyles& styles) const {
    // Built apart, so that the first block styled is the endnote pages' own.
    pugi::xml_document part;
    const pugi::xml_node partText = part.append_child("office:text");
    endnotes_->copy(first, last, styles, std::to_string(pageCount()), partText);
    const int bodyPages = bodyPlan_.pageCount();
    PageStartStyler::styleFirstPage(partText, endnotes_->masterPage(),
                                    pages_->shownNumber(bodyPages) + first - bodyPages, true, styles);
    for (pugi::xml_node child : partText.children()) outputText.append_copy(child);
}

void SlicedDocument::buildStyles(const OutputCut& cut, pugi::xml_document& output) const {
    if (!styles_.document_element()) return;
    const int first = cut.firstPage;
    output.reset(styles_);
    declareUtf8(output);
    StylesAdjuster::replacePageCounts(output.document_element(), std::to_string(pageCount()));
    // Endnote pages are in no chapter of the body and show no left-hand header of it.
    const BodyPosition& start = cut.hasBody ? cut.start : pages_->startOf(bodyPlan_.pageCount() + 1);
    StylesAdjuster::continueNoteNumbers(output.document_element(), *facts_, start);
    if (cut.hasBody && !cut.blank && !pages_->opensStyleRun(first))
        StylesAdjuster::showAsLaterPage(output.document_element(), pages_->masterPage(first));
    if (cut.hasBody && !cut.blank && pages_->shownNumber(first) % 2 == 0)
        StylesAdjuster::showAsLeftPage(output.document_element(), pages_->masterPage(first));
    RunningHeads(*facts_, *catalog_).freezeChapters(output.document_element(), start);
    openOnLayoutOfAnyParity(output.document_element(), masterPages_->layoutOf(masterPageOf(first)));
    // Endnote pages are never left blank: their marks stand in the notes.
    if (!cut.blank) return;
    const BlankPage blank = blankPage(first);
    pugi::xml_node masters = output.document_element().child("office:master-styles");
    if (!masters) masters = output.document_element().append_child("office:master-styles");
    pugi::xml_node master = masters.append_child("style:master-page");
    master.append_attribute("style:name") = blank.masterPage.c_str();
    master.append_attribute("style:display-name") = "Folioknife Blank Page";
    master.append_attribute("style:page-layout-name") = blank.pageLayout.c_str();
}

void SlicedDocument::openOnLayoutOfAnyParity(pugi::xml_node stylesRoot, const std::string& pageLayout) {
    // A document's first page is a right-hand page. One that opens on a left-only page style (or on a
    // right-only one with an even number) would get a blank page of the office's own before it, so the
    // opening page's layout serves pages of any parity; its margins and headers stay as they are.
    for (pugi::xml_node layout : stylesRoot.child("office:automatic-styles").children("style:page-layout")) {
        if (pageLayout != layout.attribute("style:name").as_string()) continue;
        const std::string usage = layout.attribute("style:page-usage").as_string();
        if (usage == "left" || usage == "right") layout.attribute("style:page-usage").set_value("all");
    }
}

SlicedDocument::BlankPage SlicedDocument::blankPage(int page) const {
    BlankPage blank{kBlankMasterPage, masterPages_->layoutOf(pages_->masterPage(page)),
                    pages_->shownNumber(page)};
    // A page layout for right (or left) pages only would make the office insert a blank page of its own
    // before a page whose number has the other parity; the blank page shows no number, so pick one that fits.
    const pugi::xml_node root = styles_.document_element();
    for (pugi::xml_node layout : root.child("office:automatic-styles").children("style:page-layout")) {
        if (blank.pageLayout != layout.attribute("style:name").as_string()) continue;
        const std::string usage = layout.attribute("style:page-usage").as_string();
        const bool odd = blank.shownNumber % 2 == 1;
        if ((usage == "right" && !odd) || (usage == "left" && odd)) ++blank.shownNumber;
    }
    return blank;
}

}  // namespace fk::slicer
