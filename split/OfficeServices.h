#pragma once

#include <QString>

namespace fk::office {

// Names the engines give the office when they ask it for its services and frames.
inline const QString kDesktopService = QStringLiteral("com.sun.star.frame.Desktop");
inline const QString kDispatchHelperService = QStringLiteral("com.sun.star.frame.DispatchHelper");
inline const QString kBlankFrame = QStringLiteral("_blank");

}  // namespace fk::office
