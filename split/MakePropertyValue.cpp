#include "split/MakePropertyValue.h"

#include <QFileInfo>
#include <QUrl>

namespace fk {

namespace office {

Arguments UnattendedLoadArguments() {
    // The office's MacroExecutionMode NEVER_EXECUTE and UpdateDocMode NO_UPDATE.
    constexpr short kNeverExecuteMacros = 0;
    constexpr short kNoLinkUpdate = 0;
    return {{QStringLiteral("MacroExecutionMode"), QVariant::fromValue(kNeverExecuteMacros)},
            {QStringLiteral("UpdateDocMode"), QVariant::fromValue(kNoLinkUpdate)},
            {kInteractionHandler, kAbortEveryInteraction}};
}

}  // namespace office

office::PropertyValue MakePropertyValue(office::OfficeBridge& bridge, const QString& name,
                                        const QVariant& value) {
    const office::Ref serviceManager = bridge.createServiceManager();
    office::PropertyValue property =
        bridge.Bridge_GetStruct(serviceManager, QStringLiteral("com.sun.star.beans.PropertyValue"));
    property.name = name;
    property.value = value;
    return property;
}

QString ToFileUrl(const QString& path) {
    // The office resolves relative paths against its own working folder, not ours.
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

}  // namespace fk
