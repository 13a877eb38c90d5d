#pragma once

#include <QStringList>

#include "base/SettingsStore.h"
#include "split/EngineChoice.h"

namespace fk {

// The method Start Splitting uses: "--method copy" (or "--method=copy") on the command line, else the
// "SplitMethod" entry of the settings, else the slicer. The copy procedure stays available for those
// who want the pages it has always made.
SplitMethod ChooseWindowSplitMethod(const QStringList& arguments, SettingsStore& settings);

}  // namespace fk
