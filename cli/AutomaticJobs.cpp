#include "cli/AutomaticJobs.h"

#include <QFile>
#include <algorithm>
#include <thread>

namespace fk::cli {

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;
constexpr qint64 kOfficeBaseBytes = 220 * kMegabyte;
constexpr qint64 kOfficeBytesPerDocumentByte = 440;

}  // namespace

MachineResources MeasureMachine() {
    MachineResources machine;
    machine.cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : meminfo.readAll().split('\n')) {
            if (line.startsWith("MemAvailable:"))
                machine.availableBytes = line.mid(13).trimmed().split(' ').value(0).toLongLong() * 1024;
        }
    }
    return machine;
}

qint64 OfficeBytesFor(qint64 documentBytes) {
    return kOfficeBaseBytes + kOfficeBytesPerDocumentByte * std::max<qint64>(0, documentBytes);
}

int AutomaticJobCount(const MachineResources& machine, qint64 largestDocumentBytes, int groups) {
    qint64 jobs = std::max(1, machine.cores);
    if (machine.availableBytes > 0)
        jobs = std::min(jobs, machine.availableBytes / OfficeBytesFor(largestDocumentBytes));
    return static_cast<int>(std::clamp<qint64>(jobs, 1, std::max(1, groups)));
}

}  // namespace fk::cli
