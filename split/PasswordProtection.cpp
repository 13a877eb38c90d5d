#include "split/PasswordProtection.h"

#include <QFile>
#include <array>
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

}  // namespace

bool CompoundFileDeclaresEncryption(const std::string& prefix) {
    if (!prefix.starts_with(kCompoundFileSignature)) return false;
    // The entry's name, its terminator, and the name's length in bytes (UTF-16 with terminator) at
    // offset 64 of the entry: a match of all three is a directory entry, not text that says so.
    const std::string name = utf16le("EncryptionInfo") + std::string(2, '\0');
    const auto length = static_cast<unsigned char>(name.size());
    for (std::size_t entry = kDirectoryEntrySize * 4; entry + kDirectoryEntrySize <= prefix.size();
         entry += kDirectoryEntrySize) {
        if (prefix.compare(entry, name.size(), name) == 0 &&
            static_cast<unsigned char>(prefix[entry + 64]) == length && prefix[entry + 65] == '\0')
            return true;
    }
    return false;
}

bool NeedsPassword(const QString& documentPath) {
    const std::string path = QFile::encodeName(documentPath).toStdString();
    if (slicer::IsEncryptedPackage(path)) return true;
    const std::optional<std::string> prefix = files::ReadFilePrefix(path, kMaxPrefix);
    return prefix && CompoundFileDeclaresEncryption(*prefix);
}

}  // namespace fk
