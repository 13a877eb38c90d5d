#pragma once

#include "split/LeftoverFiles.h"

#include <sys/types.h>

#include <QList>
#include <QString>

namespace fk::cli {

// Offices an earlier run left running when it was killed at once: they still use a profile folder the
// run held, and the next run that takes the folder over would attach to them and could not stop them.
class OrphanOffices {
public:
    virtual ~OrphanOffices() = default;
    // Stops every office of this user that runs on the profile folder, before the folder is used again.
    virtual void stopOfficesUsing(const QString& profileFolder) = 0;
};

// Finds them in the process table by the profile argument on their command lines and kills them by
// process id.
class ProcessTableOrphans : public OrphanOffices {
public:
    explicit ProcessTableOrphans(QString processRoot = QStringLiteral("/proc"))
        : processRoot_(std::move(processRoot)) {}

    void stopOfficesUsing(const QString& profileFolder) override;
    // This user's processes, other than this one, whose command line names the profile folder.
    QList<pid_t> officesUsing(const QString& profileFolder) const;

private:
    bool isRunning(pid_t pid) const;

    QString processRoot_;
};

}  // namespace fk::cli
