#include "split/SplitEngine.h"

#include "base/Platform.h"
#include "fsutil/FileHelpers.h"

namespace fk {

QString StageName(SplitStage stage) {
    switch (stage) {
        case SplitStage::Connect:
            return QStringLiteral("connect");
        case SplitStage::Open:
            return QStringLiteral("open");
        case SplitStage::CountPages:
            return QStringLiteral("count pages");
        case SplitStage::Mark:
            return QStringLiteral("mark pages");
        case SplitStage::Copy:
            return QStringLiteral("copy");
        case SplitStage::Store:
            return QStringLiteral("store");
        case SplitStage::NextPage:
            return QStringLiteral("next page");
        case SplitStage::Close:
            return QStringLiteral("close");
        case SplitStage::Slice:
            return QStringLiteral("slice");
    }
    return {};
}

QString PageFilePath(const QString& outputFolder, const QString& documentPath, int page) {
    QString folder = outputFolder;
    if (!folder.isEmpty() && !folder.endsWith(platform::kPathSeparator)) folder += platform::kPathSeparator;
    return folder + RemoveExtension(GetFileNameFromPath(documentPath)) + QLatin1Char('_') +
           QStringLiteral("%1").arg(page, 4, 10, QLatin1Char('0')) + QStringLiteral(".odt");
}

}  // namespace fk
