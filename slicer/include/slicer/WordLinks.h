#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace fk::slicer {

// A Word package's links to files outside it start from the package's folder, and the office writes
// them from where it stores the package. A package the office stored somewhere else first (a private
// folder) has them moved, so that they lead from the folder it goes to, to the same files; links with a
// scheme or an absolute path stay as they are.
class WordLinks {
public:
    // Both folders absolute: where the office stored the package, and where it goes.
    WordLinks(const std::filesystem::path& storedIn, const std::filesystem::path& goesTo);

    std::string moved(std::string_view target) const;
    // A relationships part (`*.rels`) with its external targets moved; nothing when none moves.
    std::optional<std::string> movedRelations(const std::string& xml, std::string_view part) const;
    // Writes the package at `package` anew where any of its links move. Throws SliceError.
    void place(const std::filesystem::path& package) const;

private:
    // Percent-encoded, as a link's path is.
    std::filesystem::path storedIn_, goesTo_;
};

}  // namespace fk::slicer
