#pragma once

#include <QString>
#include <span>

namespace fk::cli {

// One value in the office's configuration, as its profile stores it (registrymodifications.xcu).
struct OfficeSetting {
    const char* path;   // the group, "/org.openoffice.Office.Writer/AutoFunction/Completion"
    const char* name;   // the property in it
    const char* value;  // as the file writes it: "false"
};

// What an office of ours is told before it starts. The work it does while idle for someone at the
// keyboard (checking spelling as the text is laid out, collecting words to complete) runs beside every
// call of ours, on text no one types into: at 1,000 pages it was a quarter of the office's time.
std::span<const OfficeSetting> UnattendedOfficeSettings();

// Sets them in the profile folder's user/registrymodifications.xcu, keeping what an earlier office
// stored there, and leaves a file that already holds them as it is. Returns what kept the file from
// being written, empty when it was; an office whose profile lacks them still works, only slower.
QString WriteOfficeSettings(const QString& profileFolder, std::span<const OfficeSetting> settings);

}  // namespace fk::cli
