#pragma once

#include <QString>

namespace fk {

// Where the window keeps its choices, and under which keys.
namespace settings {
inline const QString kApplication = QStringLiteral("Kestrune");
inline const QString kSection = QStringLiteral("Folioknife");
inline const QString kText1 = QStringLiteral("Text1");
inline const QString kLastFolderDot = QStringLiteral("LastFolderDot");
inline const QString kLastFolder = QStringLiteral("LastFolder");
inline const QString kExtension = QStringLiteral("Extension");
}  // namespace settings

}  // namespace fk
