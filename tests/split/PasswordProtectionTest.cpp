#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
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
