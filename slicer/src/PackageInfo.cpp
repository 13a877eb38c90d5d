#include "slicer/PackageInfo.h"

#include "PackageManifest.h"
#include "slicer/PackageReader.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace fk::slicer {

namespace {

// The fixed part of a zip entry's local header, and the name the first entry must have.
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::string_view kMimetypeName = "mimetype";

std::uint16_t little16(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                      static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

bool startsWithStoredMimetype(std::string_view head) {
    return head.size() == kLocalHeaderSize + kMimetypeName.size() && head.starts_with("PK\x03\x04") &&
           little16(head, 8) == 0 /* stored */ && little16(head, 26) == kMimetypeName.size() &&
           head.substr(kLocalHeaderSize) == kMimetypeName;
}

std::string defectOf(const PackageError& error) {
    switch (error.kind()) {
        case PackageError::Kind::Unreadable:
            return "cannot be read";
        case PackageError::Kind::NotAPackage:
            return std::string("incomplete: ") + error.what();
        case PackageError::Kind::DamagedEntry:
            return std::string("damaged: ") + error.what();
        case PackageError::Kind::TooLarge:
            return std::string("too large: ") + error.what();
    }
    return error.what();
}

}  // namespace

std::uint64_t TextBytes(const std::filesystem::path& path) {
    std::error_code error;
    const std::uintmax_t fileSize = std::filesystem::file_size(path, error);
    if (error) return 0;
    try {
        const PackageReader package = PackageReader::open(path);
        for (const std::string_view body : {"content.xml", "word/document.xml"}) {
            if (const std::optional<std::size_t> entry = package.find(body))
                return package.declaredSize(*entry).value_or(fileSize);
        }
    } catch (const SliceError&) {
        // Not a package: the file is its text.
    }
    return fileSize;
}

bool IsEncryptedPackage(const std::filesystem::path& path) {
    try {
        PackageReader package = PackageReader::open(path);
        const std::optional<std::size_t> manifest = package.find("META-INF/manifest.xml");
        return manifest &&
               PackageManifest::declaresEncryption(package.read(*manifest, PackageReader::kMaxManifestBytes));
    } catch (const SliceError&) {
        return false;
    }
}

std::string PackageDefect(const std::filesystem::path& path) {
    const std::optional<std::string> head =
        files::ReadFilePrefix(path, kLocalHeaderSize + kMimetypeName.size());
    if (!head) return "cannot be read";
    if (head->empty()) return "empty";
    if (!startsWithStoredMimetype(*head)) return "not an OpenDocument package";
    try {
        PackageReader package =
            PackageReader::open(path, {.links = files::Links::Refuse, .checkConsistency = true});
        for (std::size_t index = 0; index < package.entryCount(); ++index) package.verify(index);
    } catch (const PackageError& error) {
        return defectOf(error);
    }
    return {};
}

}  // namespace fk::slicer
