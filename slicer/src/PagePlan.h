#pragma once

#include "slicer/PagePlan.h"

#include <utility>
#include <vector>

namespace fk::slicer {

// What the office told about each page of the input layout, looked up by page number (1-based).
class PagePlan {
public:
    explicit PagePlan(std::vector<PlannedPage> pages) : pages_(std::move(pages)) {}

    int pageCount() const { return static_cast<int>(pages_.size()); }

    // Page k of the layout. A page outside 1..pageCount() is a fault of ours, not of the input: it
    // throws std::out_of_range.
    const PlannedPage& page(int k) const;

private:
    std::vector<PlannedPage> pages_;
};

}  // namespace fk::slicer
