#pragma once

#include <QString>
#include <functional>

#include "app/Prompts.h"

namespace fk {

inline const QString kProductName = QStringLiteral("Folioknife");
inline const QString kMakerHomePage = QStringLiteral("http://www.kestrune.com/");
inline const QString kMakerContactPage = QStringLiteral("http://www.kestrune.com/contact/");
inline constexpr int kAppTitleMaxLength = 40;

// The title message boxes carry: the product name cut at blanks to at most 40 characters, the last
// word always dropped. A name without a blank stays whole (cut to 40 characters).
QString SetAppTitle(const QString& productName);

// A random number in [0, 1), injected so that tests decide when the maker's page would open.
using RandomSource = std::function<double()>;
RandomSource TimerSeededRandom();

// On about one start in a hundred, opens the maker's home page.
void OpenMakerSiteAtRandom(const RandomSource& random, Prompts& prompts);

// The path of a desktop folder by its shell folder number (0 is the desktop);
// the empty text when it cannot be found.
QString GetSpecialFolderPath(int folderNumber);
// The desktop folder followed by the separator; throws when the desktop cannot be found.
QString GetDesktopFolder(const std::function<QString(int)>& specialFolderPath = GetSpecialFolderPath);

QString HelpMessage();

}  // namespace fk
