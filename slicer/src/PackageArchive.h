#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fk::slicer {

struct PackageEntry {
    std::string name;
    std::string data;
    // The entry as a package held in memory stores it, compressed: written from there, it is taken over
    // as it is instead of compressed again for every page that carries it. Null: compressed when written.
    std::shared_ptr<const std::string> storedIn = nullptr;
    std::uint64_t storedAt = 0;  // its index in that package
};

// Packages read whole into memory (with PackageReader's caps) and written whole (through a StagedFile).
class PackageArchive {
public:
    // Every file entry of the package, in stored order, each also taken over compressed (and an entry
    // stored uncompressed, such as a picture, stays so). Throws PackageError when it cannot be read.
    static std::vector<PackageEntry> read(const std::filesystem::path& package);

    // Writes the entries as a new package at target, the first one stored uncompressed (the mimetype),
    // entries taken over as they were stored, all others deflated. The package is written under a temporary
    // name beside target and renamed over it once complete, so target is replaced (never written through) and
    // never left partial. Throws SliceError on failure, leaving no temporary file behind.
    static void write(const std::filesystem::path& target, const std::vector<const PackageEntry*>& entries);
    // The same package's bytes, for a caller that stages and syncs the file itself. Throws SliceError.
    static std::string bytes(const std::vector<const PackageEntry*>& entries);

    // A package of the entries alone, none of them first or stored uncompressed because of its place:
    // entry k is at index k. For entries many packages take over from one place.
    static std::string bytesAsStored(const std::vector<const PackageEntry*>& entries);

    // The entry with a package of its own in memory, for writing it to many packages.
    static PackageEntry storedAlone(PackageEntry entry);
};

// Entries that many packages carry alike (styles.xml is the same on most pages): one seen before is
// compressed once and shared, so that each later package takes it over as it is. Safe to use from
// several threads.
class RepeatedEntries {
public:
    PackageEntry share(PackageEntry entry);

private:
    static constexpr std::size_t kMaxShared = 32;  // documents whose every page differs gain nothing
    static constexpr std::size_t kMaxSeen = 4096;

    std::mutex mutex_;
    std::unordered_map<std::size_t, int> seen_;  // hash of the data -> sightings
    std::unordered_map<std::size_t, PackageEntry> shared_;
};

}  // namespace fk::slicer
