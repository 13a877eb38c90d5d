#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "slicer/SliceError.h"

namespace fk::slicer {

class WordDocument;

// Cuts a Word package (.docx) that the office stored with a bookmark at the start of every page into
// one package per page (or per range of pages), without an office: the office converts a document to
// Word once, not once a page.
//
// It cuts what it can cut faithfully and says so otherwise, for the caller to make the pages another
// way: every page must start in a paragraph of the body (not in a table, a frame or a field), in one
// section of one page layout, without numbered lists, notes, pictures placed on the page, or fields
// that count pages, whose numbers no page alone keeps.
//
// Threads: once constructed, every const method may run at once on any thread; each page is built in
// documents of its own from trees that are only read.
class WordPackageSlicer {
public:
    struct Options {
        // The input's layout adds no space above a page's first paragraph; Word's would.
        bool dropSpaceAtPageTop = false;
    };

    // Reads the marked package; throws SliceError when it is not a readable Word package.
    WordPackageSlicer(const std::filesystem::path& markedPackage, int pageCount, Options options);
    ~WordPackageSlicer();
    WordPackageSlicer(WordPackageSlicer&&) noexcept;
    WordPackageSlicer& operator=(WordPackageSlicer&&) noexcept;

    int pageCount() const;
    // Empty when every page can be cut faithfully; otherwise what cannot, and no page can be cut.
    const std::string& notUnderstood() const;

    // The pages go to `folder`: their links to files outside the package are moved to lead from there
    // (see WordLinks). It must not overlap any other call.
    void placePagesIn(const std::filesystem::path& folder);

    // The package of pages first..last (1-based, inclusive), in memory. Throws SliceError.
    std::string pagesPackage(int first, int last) const;

private:
    std::unique_ptr<WordDocument> document_;
};

}  // namespace fk::slicer
