#include "fsutil/ProgramFolder.h"

#include <QFileInfo>

namespace fk {

QString ProgramFolder() {
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    return QFileInfo(self.canonicalFilePath()).absolutePath();
}

}  // namespace fk
