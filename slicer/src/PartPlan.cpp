#include "slicer/PartPlan.h"

#include "slicer/PagePlan.h"

#include <charconv>
#include <string>

namespace fk::slicer {

namespace {
constexpr std::string_view kMarkPrefix = "__folioknife_heading_";
}

std::string_view HeadingMarkPrefix() {
    return kMarkPrefix;
}

std::string HeadingMarkName(int heading) {
    std::string digits = std::to_string(heading);
    if (digits.size() < static_cast<std::size_t>(kPageNumberDigits))
        digits.insert(0, static_cast<std::size_t>(kPageNumberDigits) - digits.size(), '0');
    return std::string(kMarkPrefix) + digits;
}

int HeadingOfMark(std::string_view bookmarkName) {
    if (!bookmarkName.starts_with(kMarkPrefix)) return 0;
    const std::string_view digits = bookmarkName.substr(kMarkPrefix.size());
    int heading = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), heading);
    if (error != std::errc() || end != digits.data() + digits.size() || heading <= 0) return 0;
    return HeadingMarkName(heading) == bookmarkName ? heading : 0;
}

}  // namespace fk::slicer
