#pragma once

#include "DocumentFacts.h"
#include "MasterPages.h"
#include "OutputStyles.h"
#include "PackageArchive.h"
#include "PackageManifest.h"
#include "PackageReferences.h"
#include "PageMap.h"
#include "PagePlan.h"
#include "StyleCatalog.h"
#include "slicer/PackageSlicer.h"

#include <pugixml.hpp>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fk::slicer {

class BodyRangeCopier;

// The parsed input package and everything worked out from it once, shared by all outputs.
class SlicedDocument {
public:
    SlicedDocument(const std::filesystem::path& markedPackage, std::vector<PlannedPage> plan);

    int pageCount() const { return pages_->pageCount(); }
    const std::vector<SliceIssue>& issues() const { return issues_; }
    void writePages(int first, int last, const std::filesystem::path& target) const;

private:
    const PackageEntry* entry(std::string_view name) const;
    void buildContent(int first, int last, pugi::xml_document& output) const;
    void buildStyles(int first, pugi::xml_document& output) const;
    void confineToPages(pugi::xml_document& content, pugi::xml_document& styles) const;

    // The passes of buildContent, in the order it runs them.
    struct OutputContent {
        pugi::xml_node text, automaticStyles;
    };
    OutputContent copyFrame(pugi::xml_document& output) const;
    void placePageAnchoredObjects(int first, int last, pugi::xml_node outputText,
                                  BodyRangeCopier& copier) const;
    void styleFirstPage(int first, int last, pugi::xml_node outputText, OutputStyles& styles) const;

    bool isMedia(const std::string& entryName) const;
    // How a page the layout left blank is written: its own page style, without header or footer.
    struct BlankPage {
        std::string masterPage;
        std::string pageLayout;
        int shownNumber = 0;
    };
    BlankPage blankPage(int page) const;
    static void openOnLayoutOfAnyParity(pugi::xml_node stylesRoot, const std::string& pageLayout);

    static inline const std::string kBlankMasterPage = "Folioknife_20_Blank_20_Page";

    PagePlan plan_;
    std::vector<PackageEntry> entries_;
    pugi::xml_document content_, styles_;
    pugi::xml_node text_;
    std::unique_ptr<PackageManifest> manifest_;
    std::unique_ptr<StyleCatalog> catalog_;
    std::unique_ptr<MasterPages> masterPages_;
    std::unique_ptr<DocumentFacts> facts_;
    std::unique_ptr<PageMap> pages_;
    PackageReferences inputReferences_;
    std::vector<SliceIssue> issues_;
    mutable RepeatedEntries repeatedStyles_;
};

}  // namespace fk::slicer
