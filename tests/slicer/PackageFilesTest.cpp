#include "Bounds.h"
#include "PackageArchive.h"
#include "TestPackage.h"
#include "files/BoundedFile.h"
#include "slicer/PackageInfo.h"
#include "slicer/PackageReader.h"
#include "slicer/PackageSlicer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <optional>
#include <system_error>

namespace fk::slicer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kMimetype = "application/vnd.oasis.opendocument.text";
const std::string kManifestOpen =
    R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">)";

// Little-endian fields of the given widths, as zip headers hold them.
void put(std::string& into, std::initializer_list<std::pair<std::uint64_t, int>> fields) {
    for (const auto& [value, width] : fields)
        for (int i = 0; i < width; ++i) into += static_cast<char>(value >> (8 * i) & 0xFF);
}

// A zip written by hand, whose entries declare the sizes they are given rather than the ones they
// hold; sizes of 4 GiB and more go in a zip64 field, as the format keeps them.
class CraftedZip {
public:
    void add(const std::string& name, const std::string& data, std::uint64_t declaredSize, bool deflated) {
        // A deflated entry holds one uncompressed deflate block: any inflater takes it.
        std::string held;
        if (deflated) put(held, {{1, 1}, {data.size(), 2}, {~data.size() & 0xFFFF, 2}});
        held += data;
        const bool zip64 = declaredSize >= kEscaped;
        std::string extra;
        if (zip64) put(extra, {{1, 2}, {16, 2}, {declaredSize, 8}, {held.size(), 8}});
        // Version needed, flags, method, 1980-01-01, checksum, both sizes, name and extra lengths.
        std::string header;
        put(header, {{zip64 ? 45 : 20, 2},
                     {0, 2},
                     {deflated ? 8 : 0, 2},
                     {0x00210000, 4},
                     {crc32(data), 4},
                     {zip64 ? kEscaped : held.size(), 4},
                     {zip64 ? kEscaped : declaredSize, 4},
                     {name.size(), 2},
                     {extra.size(), 2}});
        // Made by; then comment length, disk, attributes and where the entry starts.
        put(directory_, {{0x02014b50, 4}, {0x031E, 2}});
        directory_ += header;
        put(directory_, {{0, 2}, {0, 2}, {0, 2}, {0, 4}, {bytes_.size(), 4}});
        directory_ += name + extra;
        put(bytes_, {{0x04034b50, 4}});
        bytes_ += header + name + extra + held;
        ++count_;
    }

    void write(const fs::path& path) const {
        std::string end;
        put(end, {{0x06054b50, 4},
                  {0, 4},
                  {count_, 2},
                  {count_, 2},
                  {directory_.size(), 4},
                  {bytes_.size(), 4},
                  {0, 2}});
        std::ofstream(path, std::ios::binary) << bytes_ << directory_ << end;
    }

private:
    static constexpr std::uint64_t kEscaped = 0xFFFFFFFFu;

    static std::uint32_t crc32(const std::string& data) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (const char byte : data) {
            crc ^= static_cast<unsigned char>(byte);
            for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        return ~crc;
    }

    std::string bytes_;
    std::string directory_;
    std::uint64_t count_ = 0;
};

class PackageFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("fk-package-test-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path writePackage(const std::string& name, const std::string& manifest) {
        const fs::path path = folder_ / name;
        TestPackage::write(path, {{"mimetype", kMimetype},
                                  {"content.xml", "<office:document-content/>"},
                                  {"META-INF/manifest.xml", manifest}});
        return path;
    }

    fs::path folder_;
};

TEST_F(PackageFilesTest, AnEntryDeclaringGigabytesIsRefusedAtOnceWithoutTheMemory) {
    for (const std::uint64_t declared : {std::uint64_t{1} << 62, std::uint64_t{8} << 30}) {
        SCOPED_TRACE(declared);
        const fs::path path = folder_ / "claims.odt";
        CraftedZip zip;
        zip.add("mimetype", kMimetype, kMimetype.size(), false);
        zip.add("content.xml", "<office:document-content/>", declared, true);
        zip.add("META-INF/manifest.xml", kManifestOpen + "</manifest:manifest>", declared, true);
        zip.write(path);
        ASSERT_LT(fs::file_size(path), 1000u);

        const long peakBefore = test::PeakResidentKiB();
        const auto start = std::chrono::steady_clock::now();
        PackageReader reader = PackageReader::open(path);
        ASSERT_EQ(reader.entryCount(), 3u);
        try {
            reader.read(1);
            ADD_FAILURE() << "the entry was read";
        } catch (const PackageError& error) {
            EXPECT_EQ(error.kind(), PackageError::Kind::TooLarge) << error.what();
        }
        EXPECT_THROW(PackageArchive::read(path), PackageError);
        EXPECT_THROW(PackageSlicer(path, std::vector<PlannedPage>(1)), SliceError);
        EXPECT_FALSE(IsEncryptedPackage(path));
        EXPECT_EQ(PackageDefect(path), "too large: content.xml is larger than 512 MiB");
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        EXPECT_LT(test::PeakResidentKiB() - peakBefore, 64 * 1024);
    }
}

TEST_F(PackageFilesTest, AnEntryHoldingMoreThanItDeclaresIsCutOffOrFoundDamaged) {
    const fs::path path = folder_ / "understates.odt";
    CraftedZip zip;
    zip.add("content.xml", std::string(5000, 'x'), 10, false);
    zip.write(path);
    try {
        PackageReader::open(path).read(0, 1000);
        ADD_FAILURE() << "read past the cap";
    } catch (const PackageError& error) {
        EXPECT_EQ(error.kind(), PackageError::Kind::TooLarge);
    }
    try {
        PackageReader::open(path).read(0);
        ADD_FAILURE() << "a size that does not match was taken";
    } catch (const PackageError& error) {
        EXPECT_EQ(error.kind(), PackageError::Kind::DamagedEntry);
    }
}

TEST_F(PackageFilesTest, EncryptionIsTakenFromTheParsedManifestOnly) {
    struct Case {
        const char* name;
        std::string manifest;
        bool encrypted;
    };
    const std::string entry = R"(<manifest:file-entry manifest:full-path="content.xml">)";
    const Case cases[] = {
        {"encryption data",
         kManifestOpen + entry + "<manifest:encryption-data/></manifest:file-entry>" + "</manifest:manifest>",
         true},
        {"another prefix",
         R"(<m:manifest xmlns:m="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><m:file-entry>)"
         "<m:encryption-data/></m:file-entry></m:manifest>",
         true},
        {"a file named so",
         kManifestOpen +
             R"(<manifest:file-entry manifest:full-path="encryption-data.xml"/></manifest:manifest>)",
         false},
        {"a comment", kManifestOpen + "<!-- <manifest:encryption-data/> --></manifest:manifest>", false},
        {"another namespace",
         kManifestOpen + R"(<manifest:file-entry><x:encryption-data xmlns:x="urn:other"/>)" +
             "</manifest:file-entry></manifest:manifest>",
         false},
        {"no XML", "encryption-data", false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(IsEncryptedPackage(writePackage("case.odt", test.manifest)), test.encrypted);
    }
    std::ofstream(folder_ / "text.odt") << "manifest:encryption-data";
    EXPECT_FALSE(IsEncryptedPackage(folder_ / "text.odt"));
    EXPECT_FALSE(IsEncryptedPackage(folder_ / "absent.odt"));
    ASSERT_EQ(::mkfifo((folder_ / "pipe.odt").c_str(), 0600), 0);
    EXPECT_TRUE(test::EndsWithin(2s, [path = folder_ / "pipe.odt"] { IsEncryptedPackage(path); }))
        << "a named pipe is refused without waiting for a writer";
}

TEST_F(PackageFilesTest, OnlyAWholePackageWithItsMimetypeFirstIsComplete) {
    const fs::path page = writePackage("page.odt", kManifestOpen + "</manifest:manifest>");
    EXPECT_EQ(PackageDefect(page), "");
    EXPECT_EQ(PackageDefect(folder_ / "missing.odt"), "cannot be read");
    fs::create_symlink(page, folder_ / "link.odt");
    EXPECT_EQ(PackageDefect(folder_ / "link.odt"), "cannot be read") << "a link is not followed";

    std::string bytes = *files::ReadFilePrefix(page, 1 << 20);
    const auto rewrite = [&](const std::string& name, const std::string& content) {
        std::ofstream(folder_ / name, std::ios::binary) << content;
        return PackageDefect(folder_ / name);
    };
    EXPECT_EQ(rewrite("empty.odt", ""), "empty");
    EXPECT_EQ(rewrite("cut.odt", bytes.substr(0, bytes.size() / 2)).rfind("incomplete: ", 0), 0u);
    EXPECT_EQ(rewrite("plain.odt", "PK\x03\x04 but not the mimetype entry first, and long enough to be read"),
              "not an OpenDocument package");
    const std::size_t content = bytes.find("content.xml") + 11;  // the entry's data follows its name
    bytes[content + 2] = static_cast<char>(bytes[content + 2] ^ 0x55);
    EXPECT_EQ(rewrite("damaged.odt", bytes).rfind("damaged: content.xml: ", 0), 0u)
        << rewrite("damaged.odt", bytes);
}

TEST_F(PackageFilesTest, TextBytesAreTheBodysDeclaredSizeOrTheFilesOwn) {
    const std::string body(70'000, 'x');  // compresses to next to nothing
    TestPackage::write(folder_ / "text.odt", {{"mimetype", kMimetype}, {"content.xml", body}});
    TestPackage::write(folder_ / "text.docx",
                       {{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", body}});
    TestPackage::write(folder_ / "bodiless.odt", {{"mimetype", kMimetype}});
    std::ofstream(folder_ / "text.rtf", std::ios::binary) << "{\\rtf1 " << std::string(500, 'y') << "}";
    const struct {
        const char* name;
        std::uint64_t bytes;
    } cases[] = {
        {"text.odt", body.size()},
        {"text.docx", body.size()},
        {"bodiless.odt", fs::file_size(folder_ / "bodiless.odt")},
        {"text.rtf", fs::file_size(folder_ / "text.rtf")},
        {"missing.odt", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(TextBytes(folder_ / c.name), c.bytes) << c.name;
    EXPECT_LT(fs::file_size(folder_ / "text.odt"), body.size() / 10) << "the file's size would not tell";
}

}  // namespace
}  // namespace fk::slicer
