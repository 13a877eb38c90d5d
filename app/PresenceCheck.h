#pragma once

#include <functional>

#include "app/Prompts.h"
#include "split/OfficeSession.h"

namespace fk {

inline const QString kOfficeDownloadPage = QStringLiteral("https://www.libreoffice.org/download/index.html");
QString OfficeMissingMessage();

// Returns when the office can be reached. When the office program is missing, tells the user, offers
// the download page and calls endProgram, whatever the answer. Any other failure (a plugin that does
// not load, an office that does not answer in time) is thrown on to the caller's error report, and
// the program goes on: the user can put it right and try again.
void IsOpenOfficeInstalled(office::OfficeSession& office, Prompts& prompts,
                           const std::function<void()>& endProgram);

}  // namespace fk
