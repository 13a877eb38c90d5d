#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace fk::files {

// Whether a read follows a symbolic link at the path's last component.
enum class Links { Follow, Refuse };

// At most `maxBytes` from the start of the file at `path`, for small files that anyone may have put
// there (an office's lock file): only a regular file is read, and never through a link, so a named
// pipe, a device or a link to /dev/zero cannot hang the caller or fill its memory. Empty when the
// path is anything else or cannot be read.
std::optional<std::string> ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace fk::files
