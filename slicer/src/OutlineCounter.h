#pragma once

#include <array>
#include <optional>

namespace fk::slicer {

// The heading numbers of the outline: one counter per level, deeper levels restarting under each heading.
class OutlineCounter {
public:
    static constexpr int kLevels = 10;

    // Counts a heading of `level` (1-based) and returns its number at that level.
    int advance(int level, std::optional<int> restartAt = std::nullopt) {
        const int index = clampLevel(level) - 1;
        counters_[index] = restartAt ? *restartAt : counters_[index] + 1;
        for (int deeper = index + 1; deeper < kLevels; ++deeper) counters_[deeper] = 0;
        return counters_[index];
    }

    void set(int level, int value) { counters_[clampLevel(level) - 1] = value; }
    int at(int level) const { return counters_[clampLevel(level) - 1]; }

    static int clampLevel(int level) { return level < 1 ? 1 : level > kLevels ? kLevels : level; }

private:
    std::array<int, kLevels> counters_{};
};

}  // namespace fk::slicer
