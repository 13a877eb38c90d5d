#include "split/PasswordProtection.h"

#include <QFile>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/BoundedFile.h"
#include "slicer/PackageInfo.h"

namespace fk {

namespace {

constexpr std::string_view kCompoundFileSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};
// Directory entries are 128 bytes, in sectors of 512 bytes or more after a 512-byte header, so an
// entry always starts at a multiple of 128 from the file's start. Its name is UTF-16LE.
constexpr std::size_t kDirectoryEntrySize = 128;
// Enough for the directory of any document a password protects: the encrypted package follows it.
constexpr std::size_t kMaxPrefix = 8 * 1024 * 1024;

std::string utf16le(std::string_view ascii) {
    std::string bytes;
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

std::uint32_t littleEndian(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The offset of the directory entry of this name, or npos. The entry's name, its terminator, and the
// name's length in bytes (UTF-16 with terminator) at offset 64 of the entry: a match of all three is a
// directory entry, not text that says so.
std::size_t directoryEntry(const std::string& prefix, std::string_view ascii) {
    const std::string name = utf16le(ascii) + std::string(2, '\0');
    const auto length = static_cast<unsigned char>(name.size());
    for (std::size_t entry = kDirectoryEntrySize * 4; entry + kDirectoryEntrySize <= prefix.size();
         entry += kDirectoryEntrySize) {
        if (prefix.compare(entry, name.size(), name) == 0 &&
            static_cast<unsigned char>(prefix[entry + 64]) == length && prefix[entry + 65] == '\0')
            return entry;
    }
    return std::string::npos;
}

// Where byte `position` of the stream that begins at `start` lies in the file, following the stream's
// chain of sectors through the allocation table; npos where the chain leaves the prefix. A chain longer
// than the prefix has sectors runs in a circle, and is not followed.
std::size_t streamOffset(const std::string& prefix, std::uint32_t shift, std::uint32_t start,
                         std::size_t position) {
    constexpr std::size_t kHeaderTableAt = 76, kHeaderTableEntries = 109;
    constexpr std::uint32_t kLastRegularSector = 0xFFFFFFF9;
    const std::size_t sectorSize = std::size_t{1} << shift;
    const std::size_t perTableSector = sectorSize / 4;
    std::uint32_t sector = start;
    std::size_t steps = position >> shift;
    if (steps > prefix.size() / sectorSize) return std::string::npos;
    for (; steps > 0; --steps) {
        if (sector > kLastRegularSector || sector / perTableSector >= kHeaderTableEntries)
            return std::string::npos;
        const std::size_t tableSector =
            littleEndian(prefix, kHeaderTableAt + 4 * (sector / perTableSector), 4);
        const std::size_t at = ((tableSector + 1) << shift) + 4 * (sector % perTableSector);
        if (at + 4 > prefix.size()) return std::string::npos;
        sector = littleEndian(prefix, at, 4);
    }
    if (sector > kLastRegularSector) return std::string::npos;
    const std::size_t offset = ((std::size_t{sector} + 1) << shift) + (position & (sectorSize - 1));
    return offset < prefix.size() ? offset : std::string::npos;
}

// A Word 97 document saved with a password keeps its "WordDocument" stream readable up to the flag
// word of its file information block, whose fEncrypted bit says so; the key lives elsewhere. A stream
// under the cutoff lives in the mini stream (64-byte sectors within the root entry's stream).
bool WordDocumentDeclaresEncryption(const std::string& prefix) {
    constexpr std::size_t kSectorShiftAt = 30, kDirectoryStartAt = 48, kStartSectorAt = 116,
                          kStreamSizeAt = 120, kMiniSectorSize = 64;
    constexpr std::uint32_t kMiniStreamCutoff = 4096, kWordIdent = 0xA5EC, kEncrypted = 0x0100;
    const std::size_t entry = directoryEntry(prefix, "WordDocument");
    const std::uint32_t shift = littleEndian(prefix, kSectorShiftAt, 2);
    if (entry == std::string::npos || (shift != 9 && shift != 12)) return false;
    const std::uint32_t start = littleEndian(prefix, entry + kStartSectorAt, 4);
    std::size_t block = std::string::npos;
    if (littleEndian(prefix, entry + kStreamSizeAt, 4) >= kMiniStreamCutoff) {
        block = streamOffset(prefix, shift, start, 0);
    } else {
        const std::size_t root = (std::size_t{littleEndian(prefix, kDirectoryStartAt, 4)} + 1) << shift;
        if (root + kDirectoryEntrySize > prefix.size()) return false;
        block = streamOffset(prefix, shift, littleEndian(prefix, root + kStartSectorAt, 4),
                             std::size_t{start} * kMiniSectorSize);
    }
    if (block == std::string::npos || block + 12 > prefix.size() ||
        littleEndian(prefix, block, 2) != kWordIdent)
        return false;
    return (littleEndian(prefix, block + 10, 2) & kEncrypted) != 0;
}

}  // namespace

bool CompoundFileDeclaresEncryption(const std::string& prefix) {
    if (!prefix.starts_with(kCompoundFileSignature) || prefix.size() < 512) return false;
    return directoryEntry(prefix, "EncryptionInfo") != std::string::npos ||
           WordDocumentDeclaresEncryption(prefix);
}

bool NeedsPassword(const QString& documentPath) {
    const std::string path = QFile::encodeName(documentPath).toStdString();
    if (slicer::IsEncryptedPackage(path)) return true;
    const std::optional<std::string> prefix = files::ReadFilePrefix(path, kMaxPrefix);
    return prefix && CompoundFileDeclaresEncryption(*prefix);
}

}  // namespace fk
