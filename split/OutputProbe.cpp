#include "split/OutputProbe.h"

#include <sys/stat.h>
#include <time.h>

#include <QFile>

#include "base/RuntimeError.h"

namespace fk {

namespace {

// File times come from the kernel's coarse clock, which can lag the precise one by a tick.
constexpr qint64 kClockSlackNs = 50'000'000;

qint64 nowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<qint64>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

OutputProbe::Snapshot OutputProbe::take(const QString& path) {
    Snapshot snapshot;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode)) {
        snapshot.exists = true;
        snapshot.inode = static_cast<qint64>(info.st_ino);
        snapshot.modifiedNs = static_cast<qint64>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
        snapshot.size = static_cast<qint64>(info.st_size);
    }
    return snapshot;
}

OutputProbe::OutputProbe(const QString& path) : path_(path), before_(take(path)), startNs_(nowNs()) {}

void OutputProbe::verifyWritten() const {
    const Snapshot after = take(path_);
    const bool changed = !before_.exists || after.inode != before_.inode ||
                         after.modifiedNs != before_.modifiedNs || after.size != before_.size;
    if (after.exists && changed && after.modifiedNs >= startNs_ - kClockSlackNs) return;
    throw RuntimeError(75, QStringLiteral("The page document was not stored: ") + path_);
}

}  // namespace fk
