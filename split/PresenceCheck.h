#pragma once

#include <functional>

#include "base/Prompts.h"
#include "split/OfficeBridge.h"

namespace fk {

inline const QString kOfficeDownloadPage = QStringLiteral("https://www.libreoffice.org/download/index.html");
QString OfficeMissingMessage();

// Returns when the office can be reached. Otherwise tells the user, offers the download page and
// calls endProgram, whatever the answer.
void IsOpenOfficeInstalled(office::OfficeBridge& bridge, Prompts& prompts,
                           const std::function<void()>& endProgram);

}  // namespace fk
