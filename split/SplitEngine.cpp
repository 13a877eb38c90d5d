#include "split/SplitEngine.h"

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
        case SplitStage::Verify:
            return QStringLiteral("verify");
    }
    return {};
}

}  // namespace fk
