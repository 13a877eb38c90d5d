#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "cli/OrphanOffices.h"

namespace fk::cli {

// Office profile folders for the jobs of one run, kept between runs so that an office starts without
// first building a profile. A folder is locked while a run uses it; a second run at the same time
// takes other folders.
class OfficeProfiles {
public:
    // Folders base/1, base/2, ...: the first `count` that no other run holds, each set up for the
    // office installed in officeProgramFolder. An office an earlier, killed run left on a folder is
    // stopped as the folder is taken over.
    OfficeProfiles(const QString& baseFolder, int count, OrphanOffices& orphans,
                   const QString& officeProgramFolder);
    ~OfficeProfiles();
    OfficeProfiles(const OfficeProfiles&) = delete;
    OfficeProfiles& operator=(const OfficeProfiles&) = delete;

    const QStringList& folders() const { return folders_; }
    // Whether an office with this profile can no longer be running: the profile is one of this run's
    // (whose offices only open a document while splitting it), or one of the base folder that no
    // run holds.
    bool isStale(const QString& profileFolder) const;

    // $XDG_CACHE_HOME/folioknife/offices, or ~/.cache/folioknife/offices.
    static QString defaultBaseFolder();

private:
    QString base_;
    QStringList folders_;
    std::vector<int> locks_;
};

}  // namespace fk::cli
