#include "files/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace fk::files {

std::optional<RegularFile> RegularFile::open(const std::filesystem::path& path, Links links,
                                             std::string& why) {
    const int flags =
        O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int descriptor = ::open(path.c_str(), flags);
    if (descriptor < 0) {
        why = errno == ELOOP && links == Links::Refuse ? "a symbolic link" : std::strerror(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = "not a regular file";
        ::close(descriptor);
        return std::nullopt;
    }
    return RegularFile(descriptor, static_cast<std::size_t>(info.st_size));
}

RegularFile::~RegularFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

int RegularFile::release() {
    return std::exchange(descriptor_, -1);
}

std::optional<std::string> RegularFile::readUpTo(std::size_t maxBytes) {
    // The size the file system tells is that of a regular file, not one its content claims; it is read
    // in one go, and the file may still grow or shrink while it is read.
    std::string bytes(std::min(size_, maxBytes), '\0');
    std::size_t done = 0;
    const auto readInto = [this](char* into, std::size_t count) -> ssize_t {
        for (;;) {
            const ssize_t got = ::read(descriptor_, into, count);
            if (got >= 0 || errno != EINTR) return got;
        }
    };
    while (done < bytes.size()) {
        const ssize_t got = readInto(bytes.data() + done, bytes.size() - done);
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    if (done < size_) return bytes;
    char buffer[64 * 1024];
    while (bytes.size() < maxBytes) {
        const ssize_t got = readInto(buffer, std::min(sizeof buffer, maxBytes - bytes.size()));
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

std::optional<std::string> ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes) {
    std::string why;
    std::optional<RegularFile> file = RegularFile::open(path, Links::Refuse, why);
    return file ? file->readUpTo(maxBytes) : std::nullopt;
}

}  // namespace fk::files
