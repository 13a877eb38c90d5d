#pragma once

#include "slicer/PagePlan.h"
#include "slicer/SliceError.h"

#include <filesystem>
#include <memory>
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
};

class SlicedDocument;

// Cuts an OpenDocument text package, which carries a bookmark at the start of every page, into one
// package per page (or per range of pages), without an office.
class PackageSlicer {
public:
    // Reads the marked package; throws SliceError when it is not a readable ODF text package.
    // plan[k-1] describes page k; plan.size() is the page count of the input layout.
    PackageSlicer(const std::filesystem::path& markedPackage, std::vector<PlannedPage> plan);
    ~PackageSlicer();
    PackageSlicer(PackageSlicer&&) noexcept;
    PackageSlicer& operator=(PackageSlicer&&) noexcept;

    int pageCount() const;

    // Non-empty when the body holds something at a mark that the slicer cannot cut faithfully; the
    // caller then uses another method for the document.
    const std::vector<SliceIssue>& issues() const;
    bool layoutMovedWhileMarked() const;

    // Writes pages first..last (1-based, inclusive) as one package at `target`, atomically: a file or
    // symbolic link already at target is replaced, never written through, and no partial file is
    // ever left under the final name. Throws SliceError with the reason.
    void writePages(int first, int last, const std::filesystem::path& target) const;
    void writePage(int page, const std::filesystem::path& target) const { writePages(page, page, target); }

private:
    std::unique_ptr<SlicedDocument> document_;
};

}  // namespace fk::slicer
