#pragma once

#include "files/BoundedFile.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace fk::files {

// A regular file open for reading, closed with this object. Opening never blocks (a named pipe or a
// device is refused once open, before anything is read) and follows a link only when asked to.
class RegularFile {
public:
    // Empty with `why` set when the path cannot be opened or is not a regular file.
    static std::optional<RegularFile> open(const std::filesystem::path& path, Links links, std::string& why);
    ~RegularFile();
    RegularFile(RegularFile&& other) noexcept : descriptor_(other.release()), size_(other.size_) {}
    RegularFile& operator=(RegularFile&&) = delete;

    // Hands the descriptor over to a new owner.
    int release();
    std::size_t size() const { return size_; }
    // Reads from the start up to `maxBytes`, never more than the file holds. Empty on a read error.
    std::optional<std::string> readUpTo(std::size_t maxBytes);

private:
    RegularFile(int descriptor, std::size_t size) : descriptor_(descriptor), size_(size) {}

    int descriptor_;
    std::size_t size_;
};

}  // namespace fk::files
