#include "SlicedDocument.h"

#include "BodyRangeCopier.h"
#include "LiftedObjects.h"
#include "OdfNodes.h"
#include "OutputStyles.h"
#include "PageStartStyler.h"
#include "StylesAdjuster.h"

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

// Entries of the input that say nothing true about a single page, or that our edits invalidate.
bool isDropped(const std::string& name) {
    return name.starts_with("META-INF/") || name.starts_with("Thumbnails/") ||
           name.starts_with("Configurations2/") || name == "layout-cache";
}

}  // namespace

SlicedDocument::SlicedDocument(const std::filesystem::path& markedPackage, std::vector<PlannedPage> plan)
    : plan_(std::move(plan)), entries_(PackageArchive::read(markedPackage)) {
    if (plan_.pageCount() == 0) throw SliceError("The page plan is empty");
    const PackageEntry* mimetype = entry("mimetype");
    if (!mimetype || !isTextMediaType(mimetype->data))
        throw SliceError(markedPackage.string() + " is not an OpenDocument text package");
    const PackageEntry* content = entry("content.xml");
    if (!content) throw SliceError(markedPackage.string() + " has no content.xml");
    parse(content_, *content);
    text_ = content_.child("office:document-content").child("office:body").child("office:text");
    if (!text_) throw SliceError(markedPackage.string() + " has no text body");
    if (const PackageEntry* styles = entry("styles.xml")) parse(styles_, *styles);
    const PackageEntry* manifest = entry("META-INF/manifest.xml");
    manifest_ =
        std::make_unique<PackageManifest>(manifest ? std::string_view(manifest->data) : std::string_view());

    const pugi::xml_node contentRoot = content_.document_element();
    const pugi::xml_node stylesRoot = styles_.document_element();
    catalog_ = std::make_unique<StyleCatalog>(contentRoot, stylesRoot);
    masterPages_ = std::make_unique<MasterPages>(stylesRoot);
    facts_ = std::make_unique<DocumentFacts>(text_, *catalog_);
    pages_ = std::make_unique<PageMap>(text_, plan_, *catalog_, *masterPages_, *facts_);
    issues_ = pages_->issues();
    inputReferences_.collect(contentRoot);
    inputReferences_.collect(stylesRoot);
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
    if (first < 1 || last < first || last > pageCount())
        throw SliceError("Pages " + std::to_string(first) + "-" + std::to_string(last) + " are not in 1-" +
                         std::to_string(pageCount()));
    pugi::xml_document content, styles;
    buildContent(first, last, content);
    buildStyles(first, styles);
    PackageReferences outputReferences;
    outputReferences.collect(content.document_element());
    outputReferences.collect(styles.document_element());

    std::vector<PackageEntry> written{{"mimetype", "application/vnd.oasis.opendocument.text"},
                                      {"content.xml", serialised(content)}};
    if (styles.document_element())
        written.push_back(repeatedStyles_.share({"styles.xml", serialised(styles)}));
    std::vector<const PackageEntry*> kept;
    for (const PackageEntry& input : entries_) {
        if (input.name == "mimetype" || input.name == "content.xml" || input.name == "styles.xml" ||
            isDropped(input.name))
            continue;
        if (isMedia(input.name) && !outputReferences.covers(input.name)) continue;
        kept.push_back(&input);
    }
    std::vector<std::string> names;
    for (const PackageEntry& entry : written) names.push_back(entry.name);
    for (const PackageEntry* entry : kept) names.push_back(entry->name);
    const PackageEntry manifest{"META-INF/manifest.xml", manifest_->render(names)};

    std::vector<const PackageEntry*> ordered;
    for (const PackageEntry& entry : written) ordered.push_back(&entry);
    ordered.insert(ordered.end(), kept.begin(), kept.end());
    ordered.push_back(&manifest);
    PackageArchive::write(target, ordered);
}

void SlicedDocument::buildContent(int first, int last, pugi::xml_document& output) const {
    const pugi::xml_node inputRoot = content_.document_element();
    declareUtf8(output);
    pugi::xml_node root = output.append_child(inputRoot.name());
    for (pugi::xml_attribute attribute : inputRoot.attributes()) root.append_copy(attribute);
    pugi::xml_node outputText;
    for (pugi::xml_node child : inputRoot.children()) {
        if (!odf::is(child, "office:body")) {
            root.append_copy(child);
            continue;
        }
        pugi::xml_node body = root.append_child("office:body");
        for (pugi::xml_attribute attribute : child.attributes()) body.append_copy(attribute);
        outputText = body.append_child("office:text");
        for (pugi::xml_attribute attribute : text_.attributes()) outputText.append_copy(attribute);
        // The input's soft page breaks are not copied, they describe the input's layout.
        outputText.remove_attribute("text:use-soft-page-breaks");
    }
    pugi::xml_node automaticStyles = root.child("office:automatic-styles");
    if (!automaticStyles)
        automaticStyles = root.insert_child_before("office:automatic-styles", root.child("office:body"));

    OutputStyles styles(*catalog_, automaticStyles);
    BodyRangeCopier copier(*facts_, styles, std::to_string(pageCount()));
    copier.copy(text_, pages_->startOf(first), pages_->startOf(last + 1), outputText);
    placePageAnchoredObjects(first, last, outputText, copier);
    if (!objectsLeftOnPageBefore(first).empty()) dropObjectsLeftOnPageBefore(outputText);
    keepObjectsOfParagraphBegunHere(last, outputText, copier, styles);
    LiftedObjects::drawOverText(outputText, styles);
    const bool blank = first == last && plan_.page(first).blank;
    const BlankPage blankStyle = blank ? blankPage(first) : BlankPage{};
    PageStartStyler::styleFirstPage(outputText, blank ? blankStyle.masterPage : pages_->masterPage(first),
                                    blank ? blankStyle.shownNumber : pages_->shownNumber(first),
                                    pages_->showsSpaceAbove(first), styles);
    PageStartStyler::dropTrailingBreak(outputText, styles);
    PageStartStyler::closeAfterTable(outputText, styles);
}

namespace {

bool isParagraphAnchored(pugi::xml_node node) {
    return std::string_view(node.attribute("text:anchor-type").value()) == "paragraph";
}

}  // namespace

std::vector<pugi::xml_node> SlicedDocument::objectsOfOpeningParagraph(int page) const {
    // After a blank page the layout inserted, the paragraph cannot have begun on the page before.
    if (page < 2 || page > pageCount() || plan_.page(page).blank || plan_.page(page - 1).blank) return {};
    const pugi::xml_node opening = PageMap::openingBlock(pages_->startOf(page));
    // A paragraph only where the page begins at its very start: one cut in its middle keeps its
    // objects with its first part already.
    if (!odf::isParagraph(opening)) return {};
    std::vector<pugi::xml_node> objects;
    for (pugi::xml_node child : opening.children())
        if (isParagraphAnchored(child)) objects.push_back(child);
    return objects;
}

std::vector<pugi::xml_node> SlicedDocument::objectsLeftOnPageBefore(int page) const {
    if (page < 2 || page > pageCount() || !plan_.page(page).openingParagraphBegunBefore) return {};
    return objectsOfOpeningParagraph(page);
}

void SlicedDocument::keepObjectsOfParagraphBegunHere(int last, pugi::xml_node outputText,
                                                     BodyRangeCopier& copier, OutputStyles& styles) const {
    const std::vector<pugi::xml_node> objects = objectsLeftOnPageBefore(last + 1);
    if (objects.empty()) return;
    // The objects stand at the foot of this page, anchored to a paragraph that takes next to no room,
    // as the input's paragraph did here before its text went on to the next page.
    const pugi::xml_node opening = PageMap::openingBlock(pages_->startOf(last + 1));
    pugi::xml_node holder = outputText.append_child(opening.name());
    pugi::xml_node style = styles.deriveTiny(opening.attribute("text:style-name").value());
    style.remove_attribute("style:master-page-name");
    styles.setProperty(style, "style:paragraph-properties", "fo:break-before", "auto");
    styles.setProperty(style, "style:paragraph-properties", "fo:break-after", "auto");
    holder.append_attribute("text:style-name") = style.attribute("style:name").value();
    for (pugi::xml_node object : objects) copier.copyWhole(object, holder);
}

void SlicedDocument::dropObjectsLeftOnPageBefore(pugi::xml_node outputText) {
    pugi::xml_node opening = PageMap::openingBlock(BodyPosition::startOf(outputText));
    std::vector<pugi::xml_node> dropped;
    for (pugi::xml_node child : opening.children())
        if (isParagraphAnchored(child)) dropped.push_back(child);
    for (pugi::xml_node child : dropped) opening.remove_child(child);
}

void SlicedDocument::placePageAnchoredObjects(int first, int last, pugi::xml_node outputText,
                                              BodyRangeCopier& copier) const {
    const pugi::xml_node firstBlock = odf::firstContentChild(outputText);
    for (pugi::xml_node object : text_.children()) {
        if (!odf::isPageAnchored(object)) continue;
        const int page = object.attribute("text:anchor-page-number").as_int(1);
        if (page < first || page > last) continue;
        pugi::xml_node copy = copier.copyWhole(object, outputText);
        if (!copy) continue;
        if (firstBlock) copy = outputText.insert_move_before(copy, firstBlock);
        pugi::xml_attribute anchorPage = copy.attribute("text:anchor-page-number");
        if (!anchorPage) anchorPage = copy.append_attribute("text:anchor-page-number");
        anchorPage.set_value(page - first + 1);
    }
}

void SlicedDocument::buildStyles(int first, pugi::xml_document& output) const {
    if (!styles_.document_element()) return;
    output.reset(styles_);
    declareUtf8(output);
    StylesAdjuster::replacePageCounts(output.document_element(), std::to_string(pageCount()));
    StylesAdjuster::continueNoteNumbers(output.document_element(), *facts_, pages_->startOf(first));
    openOnLayoutOfAnyParity(output.document_element(), masterPages_->layoutOf(pages_->masterPage(first)));
    if (!plan_.page(first).blank) return;
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
