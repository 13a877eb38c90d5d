#include "app/WindowChoices.h"

#include <QDir>
#include <array>
#include <cmath>
#include <optional>

#include "app/SettingsKeys.h"
#include "split/DocumentDeadline.h"

namespace fk {

namespace {

enum class Origin { Default, Settings, CommandLine };

// One choice as the command line or the settings gave it, before the choices are checked together.
struct Given {
    QString text;
    Origin origin = Origin::Default;
    bool other = false;  // given by the choice's other name ("--every" for "--pages")
};

enum Choice { kMethod, kFormat, kCutAt, kPages, kChoiceCount };

struct ChoiceNames {
    QString option;
    QString settingsKey;
    // The same choice in another form: documents of N pages are a page choice, as on the command line.
    QString otherOption = {};
    QString otherSettingsKey = {};
};

const std::array<ChoiceNames, kChoiceCount>& Names() {
    static const std::array<ChoiceNames, kChoiceCount> names{{
        {QStringLiteral("--method"), settings::kSplitMethod},
        {QStringLiteral("--format"), settings::kOutputFormat},
        {QStringLiteral("--at"), settings::kCutAt},
        {QStringLiteral("--pages"), settings::kPages, QStringLiteral("--every"), settings::kEvery},
    }};
    return names;
}

// Sets `error` for the text the command line gave, or a warning's reason for the settings'.
bool Apply(Choice choice, const Given& given, EngineChoice& engine, QString& error) {
    const QString& text = given.text;
    switch (choice) {
        case kMethod:
            if (const std::optional<SplitMethod> method = SplitMethodNamed(text)) {
                engine.method = *method;
                return true;
            }
            error = QStringLiteral("is 'slice' or 'copy', not '%1'.").arg(text);
            return false;
        case kFormat:
            if (const std::optional<OutputFormat> format = FormatNamed(text.trimmed())) {
                engine.format = *format;
                return true;
            }
            error = QStringLiteral("is 'odt', 'pdf' or 'docx', not '%1'.").arg(text);
            return false;
        case kCutAt:
            if (const std::optional<int> level = ParseCutAt(text.trimmed())) {
                engine.headingLevel = *level;
                return true;
            }
            error = QStringLiteral("is 'page' or 'heading:N' with N from 1 to %1, not '%2'.")
                        .arg(kMaxHeadingLevel)
                        .arg(text);
            return false;
        case kPages:
            if (given.other) {
                if (const std::optional<PageSelection> documents = PageSelection::parseEvery(text)) {
                    engine.pages = *documents;
                    return true;
                }
                error = QStringLiteral("is a whole number of pages from 1 to %1, not '%2'.")
                            .arg(PageSelection::kMaxPagesPerDocument)
                            .arg(text);
                return false;
            }
            if (const std::optional<PageSelection> pages = PageSelection::parse(text.trimmed(), error)) {
                engine.pages = *pages;
                return true;
            }
            error.prepend(QStringLiteral("is not a page list: "));
            return false;
        case kChoiceCount:
            break;
    }
    return false;
}

// Two choices that cannot go together, and why.
struct Conflict {
    Choice first;
    Choice second;
    bool (*applies)(const EngineChoice&);
    const char* reason;
};

const std::array<Conflict, 4> kConflicts{{
    {kMethod, kFormat,
     [](const EngineChoice& c) { return c.method == SplitMethod::Copy && c.format == OutputFormat::Pdf; },
     "PDF pages are cut from the office's own PDF of the document, never copied"},
    {kMethod, kPages,
     [](const EngineChoice& c) { return c.method == SplitMethod::Copy && !c.pages.isEveryPage(); },
     "a page list needs the page slicer"},
    {kMethod, kCutAt,
     [](const EngineChoice& c) { return c.method == SplitMethod::Copy && c.headingLevel > 0; },
     "cutting at headings needs the page slicer"},
    {kPages, kCutAt, [](const EngineChoice& c) { return !c.pages.isEveryPage() && c.headingLevel > 0; },
     "cutting at headings writes one document per part, not chosen pages"},
}};

// Back to the default of one choice, once it is left out.
void Reset(Choice choice, EngineChoice& engine) {
    const EngineChoice defaults;
    switch (choice) {
        case kMethod:
            engine.method = defaults.method;
            break;
        case kFormat:
            engine.format = defaults.format;
            break;
        case kCutAt:
            engine.headingLevel = defaults.headingLevel;
            break;
        case kPages:
            engine.pages = defaults.pages;
            break;
        case kChoiceCount:
            break;
    }
}

QString SettingText(Choice choice, const Given& given) {
    const ChoiceNames& names = Names()[choice];
    return (given.other ? names.otherSettingsKey : names.settingsKey) + QLatin1Char('=') + given.text;
}

QString OptionText(Choice choice, const Given& given) {
    const ChoiceNames& names = Names()[choice];
    return (given.other ? names.otherOption : names.option) + QLatin1Char(' ') + given.text;
}

// Reads the options into `given`, the rest into `files`; returns a usage error, or nothing.
QString ReadArguments(const QStringList& arguments, const QString& workingFolder,
                      std::array<Given, kChoiceCount>& given, QStringList& files) {
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            files << QDir::cleanPath(QDir(workingFolder).absoluteFilePath(argument));
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        bool known = false;
        for (int choice = 0; choice < kChoiceCount && !known; ++choice) {
            const ChoiceNames& names = Names()[choice];
            for (const bool other : {false, true}) {
                const QString& option = other ? names.otherOption : names.option;
                if (option.isEmpty()) continue;
                Given read{{}, Origin::CommandLine, other};
                if (argument == option) {
                    if (i + 1 == arguments.size()) return option + QStringLiteral(" needs a value.");
                    read.text = arguments.at(++i);
                } else if (argument.startsWith(option + QLatin1Char('='))) {
                    read.text = argument.mid(option.size() + 1);
                } else {
                    continue;
                }
                if (given[choice].origin == Origin::CommandLine && given[choice].other != other)
                    return names.option + QStringLiteral(" and ") + names.otherOption +
                           QStringLiteral(" cannot be given together.");
                given[choice] = read;
                known = true;
                break;
            }
        }
        if (!known) return QStringLiteral("Unknown option '%1' (a file named so follows --).").arg(argument);
    }
    return {};
}

// Verify=true: a setting only, read after the choices it depends on.
void ReadVerifySetting(SettingsStore& settings, WindowStart& start) {
    QString text;
    try {
        text = settings.read(settings::kVerify, QString()).trimmed();
    } catch (...) {
        return;  // an unreadable store leaves the default
    }
    const QString setting = settings::kVerify + QLatin1Char('=') + text;
    if (text.isEmpty() || text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return;
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) != 0) {
        start.warnings << setting + QStringLiteral(" is 'true' or 'false'. The default is used.");
        return;
    }
    if (start.engine.headingLevel > 0) {
        start.warnings << setting + QStringLiteral(
                                        " is left out, as parts cut at headings are not checked page by "
                                        "page.");
        return;
    }
    start.engine.verify = true;
}

// Timeout=SECONDS, read as folioknife-split reads --timeout.
void ReadTimeoutSetting(SettingsStore& settings, WindowStart& start) {
    QString text;
    try {
        text = settings.read(settings::kTimeout, QString()).trimmed();
    } catch (...) {
        return;  // an unreadable store leaves the default
    }
    if (text.isEmpty()) return;
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !(seconds == 0 || seconds >= 1) || seconds > DocumentDeadline::kMaxSeconds) {
        start.warnings << settings::kTimeout + QLatin1Char('=') + text +
                              QStringLiteral(
                                  " is 0 (no deadline) or a number of seconds from 1 to %1. "
                                  "The default is used.")
                                  .arg(DocumentDeadline::kMaxSeconds);
        return;
    }
    start.timeout = std::chrono::milliseconds(std::llround(seconds * 1000));
}

}  // namespace

WindowStart ReadWindowStart(const QStringList& arguments, const QString& workingFolder,
                            SettingsStore& settings) {
    WindowStart start;
    std::array<Given, kChoiceCount> given;
    start.usageError = ReadArguments(arguments, workingFolder, given, start.files);
    if (!start.usageError.isEmpty()) return start;

    try {
        start.reportFile = settings.read(settings::kReport, QString()).trimmed();
    } catch (...) {
        // An unreadable store writes no report.
    }
    for (int choice = 0; choice < kChoiceCount; ++choice) {
        if (given[choice].origin == Origin::CommandLine) continue;
        try {
            const ChoiceNames& names = Names()[choice];
            const QString text = settings.read(names.settingsKey, QString());
            const QString otherText = names.otherSettingsKey.isEmpty()
                                          ? QString()
                                          : settings.read(names.otherSettingsKey, QString());
            // An empty entry is one never made.
            if (!text.trimmed().isEmpty()) {
                given[choice] = {text, Origin::Settings};
                if (!otherText.trimmed().isEmpty())
                    start.warnings << names.otherSettingsKey + QLatin1Char('=') + otherText +
                                          QStringLiteral(" is left out, as ") +
                                          SettingText(static_cast<Choice>(choice), given[choice]) +
                                          QStringLiteral(" is chosen: they cannot go together.");
            } else if (!otherText.trimmed().isEmpty()) {
                given[choice] = {otherText, Origin::Settings, true};
            }
        } catch (...) {
            // An unreadable store leaves the defaults.
        }
    }
    for (int choice = 0; choice < kChoiceCount; ++choice) {
        if (given[choice].origin == Origin::Default) continue;
        QString problem;
        if (Apply(static_cast<Choice>(choice), given[choice], start.engine, problem)) continue;
        if (given[choice].origin == Origin::CommandLine) {
            const ChoiceNames& names = Names()[choice];
            start.usageError =
                (given[choice].other ? names.otherOption : names.option) + QLatin1Char(' ') + problem;
            return start;
        }
        start.warnings << SettingText(static_cast<Choice>(choice), given[choice]) + QStringLiteral(" ") +
                              problem + QStringLiteral(" The default is used.");
        given[choice] = {};
    }
    // Of two choices that cannot go together the command line's wins, and of two settings the method
    // (the older choice) does.
    for (const Conflict& conflict : kConflicts) {
        if (!conflict.applies(start.engine)) continue;
        const Given& first = given[conflict.first];
        const Given& second = given[conflict.second];
        if (first.origin == Origin::CommandLine && second.origin == Origin::CommandLine) {
            start.usageError = OptionText(conflict.second, second) +
                               QStringLiteral(" cannot be given with ") + OptionText(conflict.first, first) +
                               QStringLiteral(": ") + QLatin1String(conflict.reason) + QLatin1Char('.');
            return start;
        }
        const Choice dropped = second.origin == Origin::CommandLine ? conflict.first : conflict.second;
        const Choice kept = dropped == conflict.first ? conflict.second : conflict.first;
        const QString keptText = given[kept].origin == Origin::CommandLine ? OptionText(kept, given[kept])
                                                                           : SettingText(kept, given[kept]);
        start.warnings << SettingText(dropped, given[dropped]) + QStringLiteral(" is left out, as ") +
                              keptText + QStringLiteral(" is chosen: ") + QLatin1String(conflict.reason) +
                              QLatin1Char('.');
        Reset(dropped, start.engine);
        given[dropped] = {};
    }
    ReadVerifySetting(settings, start);
    ReadTimeoutSetting(settings, start);
    return start;
}

}  // namespace fk
