#pragma once

#include <QString>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace fk::cli {

// One value in the office's configuration, as its profile stores it (registrymodifications.xcu).
struct OfficeSetting {
    std::string path;   // the group, "/org.openoffice.Office.Writer/AutoFunction/Completion"
    std::string name;   // the property in it
    std::string value;  // as the file writes it: "false"
};

// What an office of ours, installed in programFolder, is told before it starts. The work it does
// while idle for someone at the keyboard (checking spelling as the text is laid out, collecting words
// to complete) runs beside every call of ours, on text no one types into: at 1,000 pages it was a
// quarter of the office's time.
//
// And the version it last ran as. Only an office with a window records it; one without runs its
// graphics self-test on every start as if newly upgraded, 0.6 s of a 0.9 s run over 10 pages. Told
// nothing when the installation's version cannot be read: the office then tests as before.
std::vector<OfficeSetting> UnattendedOfficeSettings(const QString& programFolder);

// Gives the profile's text documents an empty status bar (user/config/soffice.cfg/modules/swriter/
// statusbar/statusbar.xml). The status bar of a hidden document is there all the same, and its word
// count counted every word of each document as soon as it was loaded, before the office answered
// again: 0.8 s at 1,000 pages, which only a store needs (for the statistics it writes) and pays
// itself. Returns what kept the file from being written, empty when it was or already held it.
QString WriteEmptyWriterStatusBar(const QString& profileFolder);

// The installation's "major.minor" version ("7.4"), as its own configuration gives it, where the
// office compares it with the version it last ran as.
std::optional<std::string> InstalledOfficeVersion(const QString& programFolder);

// Sets them in the profile folder's user/registrymodifications.xcu, keeping what an earlier office
// stored there, and leaves a file that already holds them as it is. Returns what kept the file from
// being written, empty when it was; an office whose profile lacks them still works, only slower.
QString WriteOfficeSettings(const QString& profileFolder, std::span<const OfficeSetting> settings);

}  // namespace fk::cli
