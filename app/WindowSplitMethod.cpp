#include "app/WindowSplitMethod.h"

#include "app/SettingsKeys.h"

namespace fk {

namespace {

// Anything but a method's name leaves the slicer, as it always has.
SplitMethod methodNamed(const QString& name) {
    return SplitMethodNamed(name).value_or(SplitMethod::Slice);
}

}  // namespace

SplitMethod ChooseWindowSplitMethod(const QStringList& arguments, SettingsStore& settings) {
    const QString option = QStringLiteral("--method");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == option && i + 1 < arguments.size()) return methodNamed(arguments.at(i + 1));
        if (arguments.at(i).startsWith(option + QLatin1Char('=')))
            return methodNamed(arguments.at(i).mid(option.size() + 1));
    }
    try {
        return methodNamed(settings.read(settings::kSplitMethod, QString()));
    } catch (...) {
        return SplitMethod::Slice;  // an unreadable store leaves the default
    }
}

}  // namespace fk
