#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

namespace fk::test {

// Runs `body` in a child process in which `folder` is a small file system that is already full, and
// returns the child's exit status; kNoFullFileSystem where no such file system can be made here.
inline constexpr int kNoFullFileSystem = 99;
inline int InFullFileSystem(const QString& folder, const std::function<int()>& body) {
    const QByteArray mountPoint = QFile::encodeName(folder);
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    const pid_t child = ::fork();
    if (child == 0) {
        // One thread only after fork, as a new user namespace needs; the mount is the child's alone.
        if (uid != 0) {
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) ::_exit(kNoFullFileSystem);
            const auto write = [](const char* file, const QByteArray& text) {
                const int fd = ::open(file, O_WRONLY);
                const bool ok = fd >= 0 && ::write(fd, text.constData(), text.size()) == text.size();
                if (fd >= 0) ::close(fd);
                return ok;
            };
            write("/proc/self/setgroups", "deny");
            if (!write("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") ||
                !write("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))
                ::_exit(kNoFullFileSystem);
        } else if (::unshare(CLONE_NEWNS) != 0) {
            ::_exit(kNoFullFileSystem);
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(kNoFullFileSystem);
        const int fill = ::open((mountPoint + "/fill").constData(), O_WRONLY | O_CREAT, 0600);
        const char block[4096] = {};
        while (fill >= 0 && ::write(fill, block, sizeof block) > 0) {
        }
        ::close(fill);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace fk::test
