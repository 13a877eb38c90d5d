#pragma once

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

// Removes the pipes (sockets named OSL_PIPE_<uid>_<our pipe name>) that offices of ours left in
// `folder` when they were killed: nobody listens on them any more. Pipes an office still listens on,
// and every other pipe, are left alone. Returns how many were removed.
int RemoveDeadOfficePipes(const QString& folder = QStringLiteral("/tmp"));

// Removes what runs of ours on this host left in `folder` when they were killed: the temporaries
// named by our scheme (a page being stored, a run's working folder) whose process is gone. Nothing is
// removed by a looser pattern: a user's "lunch-menu.tmp", another host's temporaries in a shared
// folder and those of runs still going stay. Returns how many were removed.
int RemoveLeftoverTemporaries(const QString& folder);

}  // namespace fk::cli
