#pragma once

#include <filesystem>

namespace fk::slicer {

// True when the file is a zip package whose manifest declares encrypted parts: an OpenDocument file
// saved with a password. False for anything else, unreadable files included.
bool IsEncryptedPackage(const std::filesystem::path& path);

}  // namespace fk::slicer
