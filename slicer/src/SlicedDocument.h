#pragma once

#include "DocumentFacts.h"
#include "MasterPages.h"
#include "OutputStyles.h"
#include "PackageArchive.h"
#include "PackageManifest.h"
#include "PackageReferences.h"
#include "PageMap.h"
#include "PagePlan.h"
#include "PartMap.h"
#include "StyleCatalog.h"
#include "slicer/PackageSlicer.h"

#include <pugixml.hpp>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fk::slicer {

class BodyRangeCopier;
class EndnotePages;
class NotesGoingOn;
class ObjectsDrawnLater;
class ReferenceTargets;

// The parsed input package and everything worked out from it once, shared by all outputs.
class SlicedDocument {
public:
    // With `headings`, the body is also cut into parts at the heading marks (see PartMap).
    SlicedDocument(const std::filesystem::path& markedPackage, std::vector<PlannedPage> plan,
                   std::optional<std::vector<std::string>> headings = std::nullopt);
    ~SlicedDocument();

    int pageCount() const { return plan_.pageCount(); }
    void markOrigin(const std::string& documentName);
    const std::vector<SliceIssue>& issues() const { return issues_; }
    void writePages(int first, int last, const std::filesystem::path& target) const;
    std::string pagesPackage(int first, int last) const;

    // 0 unless cut at headings.
    int partCount() const { return parts_ ? parts_->partCount() : 0; }
    const PartSpan& part(int k) const;
    void writePart(int part, const std::filesystem::path& target) const;
    std::string partPackage(int part) const;

private:
    // A stretch of the body written as one output, and how it stands in the input's layout.
    struct OutputCut {
        BodyPosition start, end;
        // Where the cut starts and ends in the other cells of a table row it starts or ends inside.
        std::vector<BodyPosition> startCells, endCells;
        int firstPage = 1;  // the input page whose style and number the output's first page takes
        // The page whose start the cut starts at; 0 for a cut that starts in the middle of a page.
        int opensPage = 0;
        // The page whose start the cut ends at; 0 at the end of the body or in the middle of a page.
        int endsBeforePage = 0;
        int anchoredFirst = 1, anchoredLast = 0;  // pages whose page-anchored objects it holds
        bool blank = false;                       // one page the layout left blank
        bool hasBody = true;                      // false for a cut of endnote pages alone
        int endnotesFirst = 0, endnotesLast = 0;  // endnote pages after the body's part; 0: none
    };
    OutputCut pagesCut(int first, int last) const;
    OutputCut partCut(int part) const;
    // Hands the cut's package entries, in their order, to `use` (which writes them or makes bytes).
    void withEntries(const OutputCut& cut,
                     const std::function<void(const std::vector<const PackageEntry*>&)>& use) const;

    const PackageEntry* entry(std::string_view name) const;
    void buildContent(const OutputCut& cut, pugi::xml_document& output) const;
    void buildStyles(const OutputCut& cut, pugi::xml_document& output) const;
    void confineToPages(pugi::xml_document& content, pugi::xml_document& styles) const;

    // The passes of buildContent, in the order it runs them.
    struct OutputContent {
        pugi::xml_node text, automaticStyles;
    };
    OutputContent copyFrame(pugi::xml_document& output) const;
    void placePageAnchoredObjects(const OutputCut& cut, pugi::xml_node outputText,
                                  BodyRangeCopier& copier) const;
    void styleFirstPage(const OutputCut& cut, pugi::xml_node outputText, OutputStyles& styles) const;
    void appendEndnotePages(int first, int last, pugi::xml_node outputText, OutputStyles& styles) const;
    // The pages before the endnote pages, which the body holds.
    static PagePlan bodyPart(const PagePlan& plan);
    const std::string& masterPageOf(int page) const;

    bool isMedia(const std::string& entryName) const;
    // How a page the layout left blank is written: its own page style, without header or footer.
    struct BlankPage {
        std::string masterPage;
        std::string pageLayout;
        int shownNumber = 0;
    };
    BlankPage blankPage(int page) const;
    static void openOnLayoutOfAnyParity(pugi::xml_node stylesRoot, const std::string& pageLayout);

    // Neither made for each page (the type, the body, its styles) nor dropped: taken over as it is.
    static bool isTakenOver(const std::string& name);
    // Taken over and not a picture: what every page's package carries.
    bool isOnEveryPage(const std::string& name) const;
    void packEveryPagesEntries();

    static inline const std::string kBlankMasterPage = "Folioknife_20_Blank_20_Page";

    PagePlan plan_;
    PagePlan bodyPlan_;
    std::vector<PackageEntry> entries_;
    pugi::xml_document content_, styles_;
    pugi::xml_node text_;
    std::unique_ptr<PackageManifest> manifest_;
    std::unique_ptr<StyleCatalog> catalog_;
    std::unique_ptr<MasterPages> masterPages_;
    std::unique_ptr<DocumentFacts> facts_;
    std::unique_ptr<ReferenceTargets> inputTargets_;
    std::unique_ptr<PageMap> pages_;
    std::unique_ptr<PartMap> parts_;
    // The body's page-anchored objects, in order: each page looks for its own among them, not among
    // every block of the body.
    std::vector<pugi::xml_node> pageAnchored_;
    std::unique_ptr<EndnotePages> endnotes_;  // null without endnote pages
    std::unique_ptr<ObjectsDrawnLater> objectsDrawnLater_;
    std::unique_ptr<NotesGoingOn> notesGoingOn_;
    PackageReferences inputReferences_;
    std::vector<SliceIssue> issues_;
    bool changesHidden_ = false;  // the input's view hides tracked changes, and so will each page's
    mutable RepeatedEntries repeatedStyles_;
    mutable RepeatedEntries repeatedManifests_;  // alike on pages that take the same pictures
};

}  // namespace fk::slicer
