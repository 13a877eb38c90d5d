#include "split/DocumentDeadline.h"

#include <QFileInfo>
#include <algorithm>

namespace fk {

std::chrono::milliseconds DocumentDeadline::forSize(qint64 fileBytes) {
    constexpr qint64 kStep = 100 * 1024;
    // Past this a deadline means nothing, and the product below stays far from overflowing.
    constexpr qint64 kMaxBytes = qint64{1} << 40;
    const qint64 bytes = std::clamp<qint64>(fileBytes, 0, kMaxBytes);
    return kBase + std::chrono::milliseconds(bytes * kPer100KiB.count() / kStep);
}

std::chrono::milliseconds DocumentDeadline::forDocument(const QString& path) {
    const QFileInfo file(path);
    return forSize(file.isFile() ? file.size() : 0);
}

}  // namespace fk
