#include <QStandardPaths>

#include "app/Platform.h"
#include "app/RuntimeError.h"
#include "app/StartUp.h"

namespace fk {

QString GetSpecialFolderPath(int folderNumber) {
    if (folderNumber != 0) return {};
    // XDG's desktop folder (xdg-user-dirs), which falls back to ~/Desktop.
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString GetDesktopFolder(const std::function<QString(int)>& specialFolderPath) {
    const QString folder = specialFolderPath(0);
    if (folder.isEmpty()) throw RuntimeError::invalidProcedureCall();
    return folder.endsWith(platform::kPathSeparator) ? folder : folder + platform::kPathSeparator;
}

}  // namespace fk
