#pragma once

#include <QString>
#include <QStringList>

#include "base/SettingsStore.h"

namespace fk {

enum class WindowSplitMethod { SliceThenCopy, Copy };

inline const QString kCopyMethodName = QStringLiteral("copy");

// The engine Start Splitting uses: "--method copy" (or "--method=copy") on the command line, else the
// "SplitMethod" entry of the settings, else the slicer. The copy procedure stays available for those
// who want the pages it has always made.
WindowSplitMethod ChooseWindowSplitMethod(const QStringList& arguments, SettingsStore& settings);

}  // namespace fk
