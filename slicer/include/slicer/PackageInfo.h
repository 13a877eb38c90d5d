#pragma once

#include <filesystem>
#include <string>

namespace fk::slicer {

// True when the file is a zip package whose manifest declares encrypted parts: an OpenDocument file
// saved with a password. False for anything else, unreadable files included. Reads no more than the
// manifest, and no more than a manifest needs of it.
bool IsEncryptedPackage(const std::filesystem::path& path);

// What keeps the file at `path` from being a complete OpenDocument package: a zip archive whose first
// entry is its stored "mimetype" and whose every entry reads back whole. Empty when it is complete. A
// store cut short (a full disk, a lost office) leaves a file without its directory or with entries
// that do not match their checksums. A link at `path` is not followed.
std::string PackageDefect(const std::filesystem::path& path);

}  // namespace fk::slicer
