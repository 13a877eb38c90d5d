#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace fk {

// Which pages of a document the page slicer writes, and how many pages each written document holds:
// every page on its own (the default), chosen pages under their own page numbers, or documents of N
// pages each numbered 1, 2, ...
class PageSelection {
public:
    struct Range {
        int first = 1;
        int last = 0;  // 0: to the end
        // Counted from the end instead: 1 is the last page ("z" or "r1"), 2 the one before it.
        bool firstFromEnd = false;
        bool lastFromEnd = false;
    };
    // Pages first..last (1-based, inclusive) written as NAME_number.
    struct Output {
        int first;
        int last;
        int number;
        bool operator==(const Output&) const = default;
    };

    PageSelection() = default;
    static PageSelection ranges(std::vector<Range> ranges);
    static PageSelection every(int pagesPerDocument);
    static constexpr int kMaxPagesPerDocument = 1000000;
    // "N", documents of N pages, N from 1 to kMaxPagesPerDocument; nothing for any other text.
    static std::optional<PageSelection> parseEvery(const QString& text);
    // "1-3,7,10-": single pages, closed ranges and ranges to the end, separated by commas; a page may
    // also be counted from the end, "z" for the last and "rN" for the N-th from the end ("r3-z", the
    // last three). Returns nothing and sets `error` when the text is not such a list or a range runs
    // backwards.
    static std::optional<PageSelection> parse(const QString& text, QString& error);

    bool isEveryPage() const { return ranges_.empty() && pagesPerDocument_ == 1; }
    // The documents to write for a document of `pageCount` pages, in order.
    std::vector<Output> outputs(int pageCount) const;
    // Whether the selection names a page beyond the last of a document of `pageCount` pages; a range
    // to the end ("10-") asks for whatever pages there are, and names none.
    bool namesPagesBeyond(int pageCount) const;

private:
    std::vector<Range> ranges_;  // empty: every page
    int pagesPerDocument_ = 1;
};

}  // namespace fk
