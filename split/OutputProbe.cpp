#include "split/OutputProbe.h"

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QFile>

#include "base/Failure.h"

namespace fk {

namespace {

// Office documents are zip files whose directory sits at the end, so a store that changes anything
// changes the head or the tail.
constexpr qint64 kSignatureBytes = 4096;

QByteArray signatureOf(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(file.read(kSignatureBytes));
    if (size > kSignatureBytes && file.seek(qMax(kSignatureBytes, size - kSignatureBytes)))
        hash.addData(file.read(kSignatureBytes));
    return hash.result();
}

}  // namespace

bool OutputProbe::Snapshot::sameFileAs(const Snapshot& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           modifiedNs == other.modifiedNs && size == other.size && signature == other.signature;
}

OutputProbe::Snapshot OutputProbe::take(const QString& path) {
    Snapshot snapshot;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode)) {
        snapshot.exists = true;
        snapshot.device = static_cast<qint64>(info.st_dev);
        snapshot.inode = static_cast<qint64>(info.st_ino);
        snapshot.modifiedNs = static_cast<qint64>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
        snapshot.size = static_cast<qint64>(info.st_size);
        snapshot.signature = signatureOf(path, snapshot.size);
    }
    return snapshot;
}

OutputProbe::OutputProbe(const QString& path) : path_(path), before_(take(path)) {}

bool OutputProbe::written() const {
    // Stored: the file is there and is not the very file that was there before. The office's save
    // normally puts a new file in place of the old one (a new inode); a save in place still changes
    // the size, the time stamp or the bytes. The time stamp is compared with its own earlier value
    // only, never with this machine's clock: FAT keeps times in 2-second steps and network shares
    // run on clocks of their own, so a page stored a moment ago can look older than the store.
    // Only a rewrite with the very same bytes within one time step goes unseen, and that leaves
    // the same page behind.
    const Snapshot after = take(path_);
    return after.exists && !after.sameFileAs(before_);
}

void OutputProbe::verifyWritten() const {
    if (written()) return;
    throw Failure(FailureKind::FileAccess, QStringLiteral("The page document was not stored: ") + path_);
}

}  // namespace fk
