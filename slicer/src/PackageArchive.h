#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fk::slicer {

struct PackageEntry {
    std::string name;
    std::string data;
};

// Zip I/O for packages.
class PackageArchive {
public:
    // Every file entry of the package, in stored order. Throws SliceError when it cannot be read.
    static std::vector<PackageEntry> read(const std::filesystem::path& package);

    // Writes the entries as a new package at target, the first one stored uncompressed (the mimetype),
    // all others deflated. The package is written under a temporary name beside target and renamed
    // over it once complete, so target is replaced (never written through) and never left partial.
    // Throws SliceError on failure, leaving no temporary file behind.
    static void write(const std::filesystem::path& target, const std::vector<const PackageEntry*>& entries);
};

}  // namespace fk::slicer
