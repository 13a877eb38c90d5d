#include "files/StagedFile.h"

#include "files/TemporaryName.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace fk::files {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwErrno(int error) {
    throw std::system_error(error, std::generic_category());
}

}  // namespace

TemporaryFolder::TemporaryFolder(const fs::path& target) : path_(TemporaryName::beside(target)) {
    if (::mkdir(path_.c_str(), 0700) != 0) throwErrno(errno);
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);  // links in it are removed, never followed
}

StagedFile::StagedFile(fs::path target, Layout layout) : target_(std::move(target)) {
    if (layout == Layout::InOwnFolder) {
        folder_ = TemporaryName::beside(target_);
        path_ = folder_ / target_.filename();
    } else {
        path_ = TemporaryName::beside(target_);
    }
}

StagedFile::~StagedFile() {
    closeFile();
    // Through the folder as it was opened: a folder moved away meanwhile keeps nothing of ours.
    if (fileMade_ && !committed_) {
        if (folder_.empty())
            ::unlinkat(folderDescriptor_, path_.filename().c_str(), 0);
        else
            ::unlink(path_.c_str());
    }
    if (folderDescriptor_ >= 0) ::close(folderDescriptor_);
    if (folderMade_) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

void StagedFile::closeFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
}

void StagedFile::reserve() {
    if (folderDescriptor_ < 0) {
        const fs::path parent = (folder_.empty() ? path_ : folder_).parent_path();
        folderDescriptor_ = ::open(parent.empty() ? "." : parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folderDescriptor_ < 0) throwErrno(errno);
    }
    if (!folder_.empty() && !folderMade_) {
        if (::mkdir(folder_.c_str(), 0700) != 0) throwErrno(errno);
        folderMade_ = true;
    }
    // O_EXCL with O_NOFOLLOW: a file someone else made at the name, or a link planted there, is never
    // written.
    descriptor_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor_ < 0) throwErrno(errno);
    fileMade_ = true;
}

void StagedFile::write(std::string_view bytes) {
    if (descriptor_ < 0) throwErrno(EBADF);
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(descriptor_, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) throwErrno(wrote < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
}

void StagedFile::closeWritten() {
    if (descriptor_ < 0) return;
    // A full disk can show first when the file is closed.
    const int closed = ::close(descriptor_);
    descriptor_ = -1;
    if (closed != 0) throwErrno(errno);
}

void StagedFile::commit() {
    sync();
    putInPlace();
}

void StagedFile::finish() {
    if (!fileMade_) throwErrno(ENOENT);
    // Only a hint: the sync later waits for whatever it did not take.
    if (descriptor_ >= 0) ::sync_file_range(descriptor_, 0, 0, SYNC_FILE_RANGE_WRITE);
    closeWritten();
}

void StagedFile::sync() {
    if (!fileMade_) throwErrno(ENOENT);
    closeWritten();
    // On the disk before it has its name. Opened again by name: another writer (the office) may have
    // replaced the file we reserved with its own.
    const int written = ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (written < 0) throwErrno(errno);
    const int synced = ::fsync(written);
    const int syncError = errno;
    ::close(written);
    if (synced != 0) throwErrno(syncError);
    synced_ = true;
}

void StagedFile::putInPlace() {
    if (!synced_) throwErrno(EINVAL);
    // The target's folder must still be the one the temporary was made in: one moved away (or moved
    // and made anew) is not where the file was asked for.
    const fs::path parent = (folder_.empty() ? path_ : folder_).parent_path();
    struct stat now {
    }, reserved{};
    if (::stat(parent.empty() ? "." : parent.c_str(), &now) != 0 ||
        ::fstat(folderDescriptor_, &reserved) != 0 || now.st_dev != reserved.st_dev ||
        now.st_ino != reserved.st_ino)
        throwErrno(ENOENT);
    // Only a complete file is renamed over the target: whatever is there is replaced, never written
    // through.
    if (::rename(path_.c_str(), target_.c_str()) != 0) throwErrno(errno);
    committed_ = true;
}

FileSystemSync::FileSystemSync(const fs::path& folder)
    : descriptor_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (descriptor_ < 0) throwErrno(errno);
}

FileSystemSync::~FileSystemSync() {
    ::close(descriptor_);
}

void FileSystemSync::sync(std::span<StagedFile* const> files) {
    for (StagedFile* file : files) {
        // Still open, it may be written after the sync.
        if (!file->fileMade_ || file->descriptor_ >= 0) throwErrno(EINVAL);
    }
    // Reports a write back error of the file system since the folder was opened, not only one of its
    // own making.
    if (::syncfs(descriptor_) != 0) throwErrno(errno);
    for (StagedFile* file : files) file->synced_ = true;
}

}  // namespace fk::files
