#include "PagePlan.h"

#include <stdexcept>
#include <string>

namespace fk::slicer {

const PlannedPage& PagePlan::page(int k) const {
    if (k < 1 || k > pageCount())
        throw std::out_of_range("Page " + std::to_string(k) + " is not in the plan of " +
                                std::to_string(pageCount()));
    return pages_[static_cast<std::size_t>(k - 1)];
}

}  // namespace fk::slicer
