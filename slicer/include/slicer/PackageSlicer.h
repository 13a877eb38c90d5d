#pragma once

#include "slicer/PagePlan.h"
#include "slicer/PartPlan.h"
#include "slicer/SliceError.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fk::slicer {

// Something the slicer does not understand, by page.
struct SliceIssue {
    int page;
    std::string what;
    // The marks are out of order: the layout moved while the office marked the pages, and marking
    // the document again may succeed.
    bool layoutMoved = false;
    // The office put no mark where the page starts (it starts inside something the marks do not
    // reach): the page's content is cut with the page before, and the page itself cannot be written.
    bool unmarked = false;
};

class SlicedDocument;

// Cuts an OpenDocument text package, which carries a bookmark at the start of every page, into one
// package per page (or per range of pages), without an office.
//
// Threads: pages are written on several threads from one slicer. Once constructed, every const method
// may run at once with any other on any thread: writePages() or pagesPackage() of different pages or of the
// same page, pageCount(), issues(), layoutMovedWhileMarked(). That is safe because the constructor parses the
// input and works out everything that is the same for all pages (styles, page starts, numbers), and
// nothing changes it afterwards: each call builds its page in documents of its own and only reads the
// input's pugixml trees (a tree only read is never changed, and pugixml keeps no global state), the
// facts worked out once and the input's bytes (entries taken over compressed are read through a zip
// handle of the call's own). The only thing that calls share as they go, the compressed styles.xml of
// pages that have it alike (RepeatedEntries), takes its own mutex. Each package goes to a temporary
// file of its own before it is renamed over the target, so two calls for one target leave one complete
// package. The constructor, the move operations and the destructor must not overlap any other call.
// Slicers of different documents share nothing.
class PackageSlicer {
public:
    // Reads the marked package; throws SliceError when it is not a readable ODF text package.
    // plan[k-1] describes page k; plan.size() is the page count of the input layout.
    // With `headings` (the text of each heading the office marked, in order; none for a document
    // without), the body is also cut into parts at the heading marks: see partCount().
    PackageSlicer(const std::filesystem::path& markedPackage, std::vector<PlannedPage> plan,
                  std::optional<std::vector<std::string>> headings = std::nullopt);
    ~PackageSlicer();
    PackageSlicer(PackageSlicer&&) noexcept;
    PackageSlicer& operator=(PackageSlicer&&) noexcept;

    int pageCount() const;

    // Every output says in its metadata that it was cut from the document of this file name (see
    // PageOrigin.h). Like the constructor, it must not overlap any other call.
    void markOrigin(const std::string& documentName);

    // Non-empty when the body holds something at a mark that the slicer cannot cut faithfully; the
    // caller then uses another method for the document.
    const std::vector<SliceIssue>& issues() const;
    bool layoutMovedWhileMarked() const;

    // Writes pages first..last (1-based, inclusive) as one package at `target`, atomically: a file or
    // symbolic link already at target is replaced, never written through, and no partial file is
    // ever left under the final name. Throws SliceError with the reason.
    void writePages(int first, int last, const std::filesystem::path& target) const;
    void writePage(int page, const std::filesystem::path& target) const { writePages(page, page, target); }
    // The package writePages would write, in memory, for a caller that stages the file itself.
    std::string pagesPackage(int first, int last) const;

    // The parts of a document cut at its headings, each from one heading to the next, the matter before
    // the first heading on its own when anything shows in it; 0 when not cut at headings.
    int partCount() const;
    // Part k (1-based); throws SliceError outside 1..partCount().
    const PartSpan& part(int k) const;
    // Writes part k as one package at `target`, as writePages does: it opens on the page style and page
    // number of the page its heading stands on, on a fresh page where the heading stands in mid-page.
    void writePart(int k, const std::filesystem::path& target) const;
    std::string partPackage(int k) const;

private:
    std::unique_ptr<SlicedDocument> document_;
};

}  // namespace fk::slicer
