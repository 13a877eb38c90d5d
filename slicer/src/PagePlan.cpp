#include "PagePlan.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace fk::slicer {

namespace {
constexpr std::string_view kMarkPrefix = "__folioknife_page_";
}

std::string_view PageMarkPrefix() {
    return kMarkPrefix;
}

std::string PageMarkName(int page) {
    std::string digits = std::to_string(page);
    if (digits.size() < static_cast<std::size_t>(kPageNumberDigits))
        digits.insert(0, static_cast<std::size_t>(kPageNumberDigits) - digits.size(), '0');
    return std::string(kMarkPrefix) + digits;
}

int PageOfMark(std::string_view bookmarkName) {
    if (!bookmarkName.starts_with(kMarkPrefix)) return 0;
    const std::string_view digits = bookmarkName.substr(kMarkPrefix.size());
    int page = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), page);
    if (error != std::errc() || end != digits.data() + digits.size() || page <= 0) return 0;
    // Only the exact spelling we write is ours; "…_02" or "…_0002 copy" were made by someone else.
    return PageMarkName(page) == bookmarkName ? page : 0;
}

namespace {
constexpr std::string_view kCellInfix = "_cell_";
}

std::string CellMarkName(int page, int cell) {
    return PageMarkName(page) + std::string(kCellInfix) + std::to_string(cell);
}

int PageOfCellMark(std::string_view bookmarkName) {
    const std::size_t infix = bookmarkName.find(kCellInfix);
    if (infix == std::string_view::npos) return 0;
    const int page = PageOfMark(bookmarkName.substr(0, infix));
    const std::string_view digits = bookmarkName.substr(infix + kCellInfix.size());
    int cell = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), cell);
    if (page == 0 || error != std::errc() || end != digits.data() + digits.size() || cell <= 0) return 0;
    return CellMarkName(page, cell) == bookmarkName ? page : 0;
}

const PlannedPage& PagePlan::page(int k) const {
    if (k < 1 || k > pageCount())
        throw std::out_of_range("Page " + std::to_string(k) + " is not in the plan of " +
                                std::to_string(pageCount()));
    return pages_[static_cast<std::size_t>(k - 1)];
}

}  // namespace fk::slicer
