#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "Bounds.h"
#include "files/BoundedFile.h"
#include "files/StagedFile.h"
#include "files/TemporaryName.h"

namespace fk::files {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("fk-files-test-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_)) found.push_back(entry.path().filename());
        std::sort(found.begin(), found.end());
        return found;
    }

    fs::path folder_;
};

TEST_F(FilesTest, TemporaryNamesTellTheirOwnerAndNothingElseIsTakenForOne) {
    const TemporaryOwner owner{0x1a2b3c4d, 4242};
    const std::string name = TemporaryName::of("report_0001.odt", owner, 0xdeadbeef);
    EXPECT_EQ(name, ".report_0001.odt.fk-1a2b3c4d-4242-deadbeef.part");
    EXPECT_EQ(TemporaryName::ownerOf(name), owner);

    const fs::path beside = TemporaryName::beside(folder_ / "a.odt");
    EXPECT_EQ(beside.parent_path(), folder_);
    EXPECT_EQ(TemporaryName::ownerOf(beside.filename().string()), TemporaryOwner::thisProcess());
    EXPECT_NE(TemporaryName::beside(folder_ / "a.odt"), beside);

    const std::string longest = TemporaryName::of("a.odt", {0xffffffff, INT_MAX}, 0);
    EXPECT_EQ(longest.size(), 5 + TemporaryName::kLongestAddition);

    for (const char* other :
         {"lunch-menu.tmp", "lu12345abc.tmp", ".report.odt.fk-a1b2c3d4",
          ".report.odt.fk-1A2B3C4D-4242-deadbeef.part", "..fk-1a2b3c4d-4242-deadbeef.part",
          ".a.fk-1a2b3c4d-04242-deadbeef.part", ".a.fk-1a2b3c4d-0-deadbeef.part",
          ".a.fk-1a2b3c4d-4242-deadbeef.part~", "a.fk-1a2b3c4d-4242-deadbeef.part",
          ".a.fk-1a2b3c4-4242-deadbeef.part", ".a.fk-1a2b3c4d-99999999999-deadbeef.part"}) {
        EXPECT_EQ(TemporaryName::ownerOf(other), std::nullopt) << other;
    }
}

TEST_F(FilesTest, LeftoversAreThoseOfGoneProcessesOfThisHostOnly) {
    const TemporaryOwner here = TemporaryOwner::thisProcess();
    const TemporaryOwner gone{here.host, test::DeadPid()};
    const TemporaryOwner elsewhere{here.host ^ 1, gone.pid};
    const auto make = [&](const std::string& target, const TemporaryOwner& owner, bool folder = false) {
        const fs::path path = folder_ / TemporaryName::of(target, owner, 7);
        if (folder)
            fs::create_directories(path / "inside");
        else
            std::ofstream(path) << "x";
        return path;
    };
    const fs::path goneFile = make("a.odt", gone);
    const fs::path goneFolder = make("folioknife-split", gone, true);
    make("b.odt", here);
    make("c.odt", elsewhere);
    make("d.odt", {here.host, 1});
    fs::create_symlink(goneFile, folder_ / TemporaryName::of("e.odt", gone, 7));
    std::ofstream(folder_ / "lunch-menu.tmp") << "soup";
    std::ofstream(folder_ / "lu1234.tmp") << "office";

    std::vector<fs::path> found = LeftoverTemporaries(folder_);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<fs::path>{goneFile, goneFolder}));
    EXPECT_TRUE(LeftoverTemporaries(folder_ / "absent").empty());
}

TEST_F(FilesTest, AStagedFileReplacesALinkAndLeavesNothingWhenNotCommitted) {
    const fs::path precious = folder_ / "precious.odt";
    std::ofstream(precious) << "keep me";
    const fs::path target = folder_ / "page.odt";
    fs::create_symlink(precious, target);
    {
        StagedFile staged(target);
        staged.reserve();
        staged.write("new page");
        EXPECT_TRUE(fs::is_symlink(target)) << "the target stays as it was until the commit";
        staged.commit();
    }
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(*ReadFilePrefix(target, 100), "new page");
    EXPECT_EQ(*ReadFilePrefix(precious, 100), "keep me");

    {
        StagedFile abandoned(folder_ / "other.odt");
        abandoned.reserve();
        abandoned.write("half a page");
    }
    {
        StagedFile planted(folder_ / "third.odt");
        fs::create_symlink(precious, planted.path());
        EXPECT_THROW(planted.reserve(), std::system_error) << "a link at the temporary name is not opened";
        fs::remove(planted.path());
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"page.odt", "precious.odt"}));
}

TEST_F(FilesTest, AStagedFileWhoseFolderIsMovedAwayIsNeitherPutInPlaceNorLeftThere) {
    const fs::path out = folder_ / "out", moved = folder_ / "moved";
    fs::create_directories(out);
    {
        StagedFile staged(out / "page.odt");
        staged.reserve();
        staged.write("page");
        fs::rename(out, moved);
        fs::create_directories(out);  // a new folder at the old name is not the one asked for either
        EXPECT_THROW(staged.commit(), std::system_error);
    }
    EXPECT_TRUE(fs::is_empty(moved)) << "the temporary went from where the folder went";
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(FilesTest, StagedFilesSyncedTogetherTakeTheirNamesOnlyOnceSynced) {
    const fs::path blocked = folder_ / "page-2.pdf";
    fs::create_directory(blocked);
    std::ofstream(blocked / "inside") << "a folder is never replaced";
    {
        std::vector<std::unique_ptr<StagedFile>> batch;
        for (const char* name : {"page-1.pdf", "page-2.pdf", "page-3.pdf"}) {
            batch.push_back(std::make_unique<StagedFile>(folder_ / name));
            batch.back()->reserve();
            batch.back()->write(name);
        }
        FileSystemSync fileSystem(folder_);
        std::vector<StagedFile*> files;
        for (const auto& file : batch) files.push_back(file.get());
        EXPECT_THROW(fileSystem.sync(files), std::system_error) << "a file still open may be written after";
        EXPECT_FALSE(batch[0]->synced());
        EXPECT_THROW(batch[0]->putInPlace(), std::system_error) << "never synced, never named";
        EXPECT_FALSE(fs::exists(folder_ / "page-1.pdf"));

        for (const auto& file : batch) file->finish();
        fileSystem.sync(files);
        batch[0]->putInPlace();
        EXPECT_THROW(batch[1]->putInPlace(), std::system_error);
        // page-3 is left unnamed, as when the run ends before it.
    }
    EXPECT_EQ(*ReadFilePrefix(folder_ / "page-1.pdf", 100), "page-1.pdf");
    EXPECT_TRUE(fs::exists(blocked / "inside"));
    EXPECT_EQ(names(), (std::vector<std::string>{"page-1.pdf", "page-2.pdf"})) << "no temporary is left";
}

TEST_F(FilesTest, FilesAWriterPutsBesideAStagedFileGoWithItsFolder) {
    for (const bool commit : {true, false}) {
        SCOPED_TRACE(commit);
        {
            StagedFile staged(folder_ / "page.odt", StagedFile::Layout::InOwnFolder);
            staged.reserve();
            EXPECT_EQ(staged.path().filename(), "page.odt");
            std::ofstream(staged.path().parent_path() / "lu1234.tmp") << "the office's";
            std::ofstream(staged.path().parent_path() / ".~lock.page.odt#") << "lock";
            if (commit) staged.commit();
        }
        EXPECT_EQ(names(), commit ? std::vector<std::string>{"page.odt"} : std::vector<std::string>{});
        fs::remove(folder_ / "page.odt");
    }
    fs::path made;
    {
        const TemporaryFolder work(folder_ / "folioknife-split");
        made = work.path();
        fs::create_directories(made / "inside");
        EXPECT_EQ(TemporaryName::ownerOf(made.filename().string()), TemporaryOwner::thisProcess());
    }
    EXPECT_FALSE(fs::exists(made));
}

TEST_F(FilesTest, AFilePrefixIsReadOnlyFromARegularFileAndNeverBeyondTheLimit) {
    std::ofstream(folder_ / "lock") << ",ada,analytical,08.12.2026 09:15,file:///home/ada;";
    const int big = ::open((folder_ / "big").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::ftruncate(big, 300 << 20), 0);
    ::close(big);
    ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder_ / "zero");
    fs::create_symlink(folder_ / "lock", folder_ / "link");
    fs::create_directory(folder_ / "folder");

    EXPECT_EQ(ReadFilePrefix(folder_ / "lock", 4096), ",ada,analytical,08.12.2026 09:15,file:///home/ada;");
    EXPECT_EQ(ReadFilePrefix(folder_ / "lock", 4), ",ada");
    const long peakBefore = test::PeakResidentKiB();
    EXPECT_EQ(ReadFilePrefix(folder_ / "big", 4096), std::string(4096, '\0'));
    EXPECT_LT(test::PeakResidentKiB() - peakBefore, 16 * 1024);
    for (const char* refused : {"pipe", "zero", "link", "folder", "absent"}) {
        auto read = std::make_shared<std::optional<std::string>>("not yet read");
        EXPECT_TRUE(test::EndsWithin(2s, [read, path = folder_ / refused] {
            *read = ReadFilePrefix(path, 4096);
        })) << refused;
        EXPECT_EQ(*read, std::nullopt) << refused;
    }
    EXPECT_EQ(ReadFilePrefix("/dev/zero", 4096), std::nullopt);
}

}  // namespace
}  // namespace fk::files
