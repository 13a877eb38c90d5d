#pragma once

#include "BodyPosition.h"
#include "DocumentFacts.h"
#include "MasterPages.h"
#include "OutputStyles.h"
#include "StyleCatalog.h"
#include "slicer/PackageSlicer.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace fk::slicer {

// The layout sets endnotes on pages of their own after the body's last page, which the office prints.
// Each such page is written as a page of its own: its body holds the endnote text that page shows,
// as paragraphs in the notes' own styles, each note opening with its citation as the endnote area
// shows it; the body's pages keep only the citations, for an endnote left in them would add the
// endnote pages to every output that holds one.
//
// The office marks the start of each endnote page inside the endnote text, as it marks the body's
// pages. The endnotes' text is gathered once into a body of its own, in which the marks are found and
// the pages cut as the body's are.
class EndnotePages {
public:
    // Pages firstPage .. firstPage + count - 1 are endnote pages. Takes our marks out of the input's
    // endnotes, so that the body's pages never see them; call before anything else reads the body.
    // `pageStyle` is the page style the office names for them.
    EndnotePages(pugi::xml_node officeText, pugi::xml_node stylesRoot, const StyleCatalog& styles,
                 const MasterPages& masterPages, int firstPage, int count, const std::string& pageStyle);
    ~EndnotePages();

    int firstPage() const { return firstPage_; }
    int lastPage() const { return firstPage_ + static_cast<int>(starts_.size()) - 2; }
    const std::vector<SliceIssue>& issues() const { return issues_; }
    // The page style of the endnote pages, as a master page of styles.xml.
    const std::string& masterPage() const { return masterPage_; }

    // Copies the endnote text of endnote pages first..last into an output body.
    void copy(int first, int last, OutputStyles& styles, const std::string& pageCountText,
              pugi::xml_node outputText) const;

    // Replaces every endnote of a copied body that the layout sets on the endnote pages with its
    // citation, styled as the body shows it.
    void citeInBody(pugi::xml_node outputText, OutputStyles& styles) const;

private:
    void gather(pugi::xml_node officeText);
    void locateStarts(int count);
    void labelNotes();
    bool isGathered(pugi::xml_node note) const;
    std::string characterStyle(const std::string& named, OutputStyles& styles) const;

    int firstPage_;
    pugi::xml_document gathered_;
    pugi::xml_node text_;
    // The first paragraph of each gathered note, and its citation.
    std::vector<std::pair<pugi::xml_node, std::string>> openings_;
    std::unordered_set<std::string> gatheredIds_;
    bool gatheredAll_ = true;
    std::vector<BodyPosition> starts_;
    std::unique_ptr<DocumentFacts> facts_;
    std::vector<SliceIssue> issues_;
    std::string masterPage_, citationStyle_, citationBodyStyle_;
    const StyleCatalog& styles_;
};

}  // namespace fk::slicer
