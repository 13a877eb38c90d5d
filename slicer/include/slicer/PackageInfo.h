#pragma once

#include <cstdint>
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

// How much text a document holds, as far as its file tells without reading it: the size its package's
// directory declares for the body (content.xml of an OpenDocument, word/document.xml of a Word
// document), which unlike the file's size grows with the text and not with how well it compresses; the
// file's size for a file that is not a package (.doc, .rtf, flat XML); 0 where it cannot be read.
std::uint64_t TextBytes(const std::filesystem::path& path);

}  // namespace fk::slicer
