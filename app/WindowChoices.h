#pragma once

#include <QStringList>
#include <chrono>
#include <optional>

#include "base/SettingsStore.h"
#include "split/EngineChoice.h"

namespace fk {

// What the window starts with: how Start Splitting splits, and the files handed to it to list.
struct WindowStart {
    EngineChoice engine;
    QStringList files;     // absolute, in the order given
    QString reportFile;    // the "Report" setting: where each run's report goes; empty for none
    // The "Timeout" setting: each document's deadline (0: none); unset, the one its size gives it.
    std::optional<std::chrono::milliseconds> timeout;
    QString usageError;    // not empty: the command line cannot be followed
    QStringList warnings;  // settings that were left out, one line each
};

// Reads "--method slice|copy", "--format odt|pdf|docx", "--at page|heading:N", "--pages LIST" and "--every N"
// (also as --option=value) and the files after them, "--" ending the options; each choice the command
// line does not make comes from the "SplitMethod", "OutputFormat", "CutAt" and "Pages" (or "Every")
// settings.
// Choices that cannot go together are a usage error on the command line; a setting that cannot be read,
// or cannot go with the other choices, is left at its default with a warning. "Verify" (true or
// false) and "Timeout" (seconds) are settings only.
WindowStart ReadWindowStart(const QStringList& arguments, const QString& workingFolder,
                            SettingsStore& settings);

}  // namespace fk
