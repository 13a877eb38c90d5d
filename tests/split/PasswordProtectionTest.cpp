#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <string>

#include "split/PasswordProtection.h"

using namespace fk;

namespace {

const std::string kSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

std::string utf16(const std::string& ascii) {
    std::string bytes;
    for (const char c : ascii) bytes += std::string{c, '\0'};
    return bytes + std::string(2, '\0');
}

// A compound file's header and one directory sector holding the named entries.
std::string compoundFile(const std::vector<std::string>& entries) {
    std::string file = kSignature + std::string(512 - kSignature.size(), '\0');
    for (const std::string& name : entries) {
        std::string entry = utf16(name);
        entry.resize(128, '\0');
        entry[64] = static_cast<char>(utf16(name).size());
        file += entry;
    }
    return file;
}

}  // namespace

TEST(PasswordProtection, AWordFileSavedWithAPasswordIsToldFromOnesThatOnlyMentionIt) {
    EXPECT_TRUE(
        CompoundFileDeclaresEncryption(compoundFile({"Root Entry", "EncryptionInfo", "EncryptedPackage"})));
    EXPECT_FALSE(CompoundFileDeclaresEncryption(compoundFile({"Root Entry", "WordDocument", "1Table"})));
    // The name as text inside a stream, off an entry's start, or in a file of another kind.
    std::string mentioned = compoundFile({"Root Entry", "WordDocument"}) + "xx" + utf16("EncryptionInfo");
    mentioned.resize(mentioned.size() + 200, '\0');
    EXPECT_FALSE(CompoundFileDeclaresEncryption(mentioned));
    std::string other = compoundFile({"Root Entry", "EncryptionInfo"});
    other[0] = 'P';
    EXPECT_FALSE(CompoundFileDeclaresEncryption(other));
}

TEST(PasswordProtection, ReadFromTheFileWithoutFollowingItsDeclaredSizes) {
    QTemporaryDir dir;
    const QString protectedDocx = dir.filePath("secret.docx");
    QFile file(protectedDocx);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const std::string bytes = compoundFile({"Root Entry", "EncryptionInfo", "EncryptedPackage"});
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();
    EXPECT_TRUE(NeedsPassword(protectedDocx));
    EXPECT_FALSE(NeedsPassword(dir.filePath("missing.doc")));
    EXPECT_FALSE(NeedsPassword("/dev/zero")) << "not a regular file: never read";
}

// A Word 97 file: its "WordDocument" stream, in sector 4 or, when small, in mini sector 9 of the root's
// stream (sectors 2 and 3 by the allocation table in sector 1); its file information block first, and
// the flag word at offset 10 of it.
TEST(PasswordProtection, AWord97FileSaysItIsEncryptedInItsFileInformationBlock) {
    const struct {
        const char* name;
        std::uint16_t flags;
        std::uint32_t streamSize;
        std::uint16_t ident;
        bool encrypted;
    } cases[] = {
        {"encrypted", 0x0100, 8192, 0xA5EC, true},
        {"encrypted, in the mini stream", 0x13F0, 3645, 0xA5EC, true},
        {"obfuscated with a password", 0x8100, 8192, 0xA5EC, true},
        {"not encrypted", 0x0200, 8192, 0xA5EC, false},
        {"not encrypted, in the mini stream", 0x0200, 2048, 0xA5EC, false},
        {"no Word file information block there", 0x0100, 8192, 0x1234, false},
    };
    const auto put = [](std::string& bytes, std::size_t at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::string file = compoundFile({"Root Entry", "WordDocument", "1Table"});
        file.resize(6 * 512, '\0');
        put(file, 30, 9, 2);  // sectors of 512 bytes
        put(file, 76, 1, 4);  // the allocation table in sector 1
        put(file, 512 + 116, 2, 4);
        put(file, 1024 + 4 * 2, 3, 4);
        put(file, 1024 + 4 * 3, 0xFFFFFFFE, 4);
        const bool mini = test.streamSize < 4096;
        put(file, 512 + 128 + 116, mini ? 9 : 4, 4);
        put(file, 512 + 128 + 120, test.streamSize, 4);
        const std::size_t block = mini ? 4 * 512 + 64 : 5 * 512;
        put(file, block, test.ident, 2);
        put(file, block + 10, test.flags, 2);
        EXPECT_EQ(CompoundFileDeclaresEncryption(file), test.encrypted);
        file.resize(block + 6);
        EXPECT_FALSE(CompoundFileDeclaresEncryption(file)) << "a block cut short is read no further";
    }
}
