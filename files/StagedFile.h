#pragma once

#include <filesystem>
#include <span>
#include <string_view>

namespace fk::files {

// A folder of this process's own, named as a temporary beside `target` (say $TMPDIR/folioknife-split),
// removed with everything in it when this object goes. A run killed before then leaves it for
// LeftoverTemporaries().
class TemporaryFolder {
public:
    // Throws std::system_error when the folder cannot be made.
    explicit TemporaryFolder(const std::filesystem::path& target);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A file made under a temporary name and renamed over its target once complete: a file or symbolic
// link at the target is replaced, never written through; no partial file is ever left under the
// target's name; the temporary is removed unless it was put in place, even from a folder moved away
// meanwhile; and it is never put in place in a folder moved away.
class StagedFile {
public:
    enum class Layout {
        // The temporary is a file beside the target.
        Beside,
        // The temporary is a file named as the target in a private folder beside it, for a writer that
        // puts files of its own beside what it writes (the office's store does): they go with the folder.
        InOwnFolder,
    };

    // Chooses the temporary name; nothing is made yet.
    explicit StagedFile(std::filesystem::path target, Layout layout = Layout::Beside);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    const std::filesystem::path& target() const { return target_; }
    // Where the file is written.
    const std::filesystem::path& path() const { return path_; }

    // Makes the temporary, a new empty regular file of ours: a file or link already at its name is
    // never opened. Throws std::system_error.
    void reserve();
    // Writes the bytes to the reserved file. Throws std::system_error.
    void write(std::string_view bytes);
    // Renames the temporary over the target. Throws std::system_error; the target then stays as it was.
    void commit();

    // The same in steps, for many files at once: each is finished as soon as written, then all are
    // synced (by one FileSystemSync, or each on its own), then renamed. Every file is still on the disk
    // before it has its name.
    //
    // Closes the written file and asks the disk to start taking it, without waiting: many files then
    // wait to be synced without a descriptor each. Throws std::system_error.
    void finish();
    // Syncs this file alone. Throws std::system_error.
    void sync();
    bool synced() const { return synced_; }
    // Renames the synced temporary over the target; refuses (EINVAL) one never synced. Throws
    // std::system_error; the target then stays as it was.
    void putInPlace();

private:
    friend class FileSystemSync;

    void closeFile();
    void closeWritten();

    std::filesystem::path target_;
    std::filesystem::path folder_;  // empty unless Layout::InOwnFolder
    std::filesystem::path path_;
    bool folderMade_ = false;
    bool fileMade_ = false;
    int descriptor_ = -1;
    int folderDescriptor_ = -1;  // the folder the temporary (or its own folder) was made in
    bool synced_ = false;
    bool committed_ = false;
};

// One wait for the disk for many staged files: syncing each file on its own makes the disk flush its
// cache once a file, a few milliseconds each, where one sync of their file system flushes it once.
// Made before the files are written, so that an error the disk gives while taking them is reported,
// whoever's file it was.
class FileSystemSync {
public:
    // Watches the file system that holds `folder`. Throws std::system_error.
    explicit FileSystemSync(const std::filesystem::path& folder);
    ~FileSystemSync();
    FileSystemSync(const FileSystemSync&) = delete;
    FileSystemSync& operator=(const FileSystemSync&) = delete;

    // Flushes the file system and waits for it; when the disk took everything, the finished `files`
    // count as synced. Throws std::system_error, and then each file must be synced on its own to learn
    // which the disk did not take.
    void sync(std::span<StagedFile* const> files);

private:
    int descriptor_ = -1;
};

}  // namespace fk::files
