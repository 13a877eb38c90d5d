#pragma once

#include "BodyPosition.h"
#include "DocumentFacts.h"

#include <pugixml.hpp>

#include <string>

namespace fk::slicer {

// The changes one output needs in styles.xml so its headers, footers and notes look as in the input.
class StylesAdjuster {
public:
    // Replaces every page-count field with the input's count (see odf::pageCountShown).
    static void replacePageCounts(pugi::xml_node root, const std::string& pageCountText);

    // Makes footnote and endnote numbers go on from where the input stands at `pageStart`.
    static void continueNoteNumbers(pugi::xml_node stylesRoot, const DocumentFacts& facts,
                                    const BodyPosition& pageStart);

    // An output opens on a right-hand page. Where the input showed the page as a left-hand one, the
    // master page takes the left header and footer in place of the right ones, and mirrored margins are
    // swapped, so the page shows what the input showed.
    // An output opens on the first page of its page style. Where the input page was not the first of its
    // page style's run, the master page loses its first page's header and footer, so the page shows the
    // normal ones as the input did.
    static void showAsLaterPage(pugi::xml_node stylesRoot, const std::string& masterPage);

    static void showAsLeftPage(pugi::xml_node stylesRoot, const std::string& masterPage);
};

}  // namespace fk::slicer
