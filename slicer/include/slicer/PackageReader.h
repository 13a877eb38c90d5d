#pragma once

#include "files/BoundedFile.h"
#include "slicer/SliceError.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace fk::slicer {

class PackageError : public SliceError {
public:
    enum class Kind {
        Unreadable,    // not a regular file, or the file system refused it
        NotAPackage,   // no zip directory that the reader understands: a store cut short, or another file
        DamagedEntry,  // an entry that does not read back whole or does not match its checksum
        TooLarge,      // an entry, or all entries together, larger than the reader takes
    };
    PackageError(Kind kind, const std::string& what) : SliceError(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

struct PackageReadOptions {
    files::Links links = files::Links::Follow;
    // Also compare each entry's own header with the directory's: for a file that was just written.
    bool checkConsistency = false;
};

// Reads a zip package without trusting the sizes it declares: each entry is streamed into a buffer
// that grows only with the bytes it really holds, and neither an entry nor the package as a whole may
// hold more than the caps, so a package that claims (or inflates to) gigabytes is refused instead of
// being allocated. Every entry is read to its end, which makes its checksum checked. Throws
// PackageError.
class PackageReader {
public:
    // Far more than any document's content.xml needs.
    static constexpr std::uint64_t kMaxEntryBytes = std::uint64_t{512} << 20;
    // All entries read from one package together, and the size of a package file read into memory.
    static constexpr std::uint64_t kMaxPackageBytes = std::uint64_t{2} << 30;
    static constexpr std::uint64_t kMaxManifestBytes = std::uint64_t{16} << 20;

    // The package in a regular file; a named pipe or a device is refused without blocking.
    static PackageReader open(const std::filesystem::path& path, PackageReadOptions options = {});
    // A package held in memory; the reader keeps the bytes.
    static PackageReader inMemory(std::shared_ptr<const std::string> bytes);

    ~PackageReader();
    PackageReader(PackageReader&&) noexcept;
    PackageReader& operator=(PackageReader&&) noexcept;

    std::size_t entryCount() const;
    std::string entryName(std::size_t index) const;
    std::optional<std::size_t> find(std::string_view name) const;
    // The entry's size once read, as the package's directory declares it; nothing where it does not.
    std::optional<std::uint64_t> declaredSize(std::size_t index) const;

    // The entry's bytes, at most `maxBytes` of them.
    std::string read(std::size_t index, std::uint64_t maxBytes = kMaxEntryBytes);
    // Reads the entry through and keeps nothing: whether it is whole and matches its checksum.
    void verify(std::size_t index, std::uint64_t maxBytes = kMaxEntryBytes);

private:
    struct Archive;
    friend struct ArchiveAccess;  // for taking entries over as they are compressed

    explicit PackageReader(std::unique_ptr<Archive> archive);
    template <typename Sink>
    void stream(std::size_t index, std::uint64_t maxBytes, Sink&& sink);

    std::unique_ptr<Archive> archive_;
    std::uint64_t bytesRead_ = 0;
};

}  // namespace fk::slicer
