#include "split/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <system_error>

namespace fk {

std::optional<files::TemporaryFolder> PrivateFolder(SplitStages& stages) {
    try {
        return std::optional<files::TemporaryFolder>(
            std::in_place,
            QFile::encodeName(QDir::tempPath() + QStringLiteral("/folioknife-split")).toStdString());
    } catch (const std::system_error& error) {
        stages.fail(
            SplitStage::Store, 0,
            QStringLiteral("no private temporary folder: ") + QString::fromLocal8Bit(error.code().message()));
        return std::nullopt;
    }
}

}  // namespace fk
