#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "cli/NativeNames.h"
#include "cli/Shard.h"
#include "split/DocumentDeadline.h"
#include "split/EngineChoice.h"
#include "split/OutputNames.h"
#include "split/PageSelection.h"

namespace fk::cli {

inline constexpr int kExitSplit = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;
// Nothing could run, or its outcome not be kept: no office, no usable cache or output folder, no list
// of files, a report that cannot be written. Worth trying again once that is mended.
inline constexpr int kExitCannotRun = 3;
// More offices than this only fight over memory and cores.
inline constexpr int kMaxJobs = 64;
// A week; beyond it a deadline means nothing, and the milliseconds must stay countable.
inline constexpr int kMaxTimeoutSeconds = DocumentDeadline::kMaxSeconds;
// Beyond any document's page count.
inline constexpr int kMaxPagesPerDocument = PageSelection::kMaxPagesPerDocument;
// --at's parser and bound are the split job's, shared with the window.
using fk::kMaxHeadingLevel;
using fk::ParseCutAt;

// When the live progress line is drawn: on a terminal that can redraw a line (auto), always, or
// never (one line per document instead).
enum class ProgressMode { Auto, Always, Never };

struct CommandLine {
    QStringList inputs;
    QString outputFolder;  // absolute, ending in a separator, as the output folder box holds it
    int jobs = 1;
    bool jobsAuto = false;  // --jobs auto: sized to the machine when the documents are known
    // --timeout: 0 for no deadline; none given: each document's grows with its size (DocumentDeadline).
    std::optional<double> timeoutSeconds;
    bool visible = false;
    bool verbose = false;
    bool help = false;
    bool version = false;
    SplitMethod method = SplitMethod::Slice;
    PageSelection pages;   // --pages or --every; every page on its own when neither is given
    int headingLevel = 0;  // --at heading:N cuts at the headings of levels 1 to N; 0: --at page
    OutputFormat format = OutputFormat::Odt;
    QString jsonFile;           // absolute, or "-" for standard output; empty: no JSON report
    QString resumeReport;       // absolute: an earlier run's report; empty: split every document
    QString filesFrom;          // a list of inputs to read, "-" for standard input; empty: none
    bool nulSeparated = false;  // the list's names end with NUL bytes, not newlines
    bool quiet = false;         // nothing on standard output; errors still on standard error
    ProgressMode progress = ProgressMode::Auto;
    bool verify = false;  // each output printed and checked against the input's pages
    std::optional<Shard> shard;
};

struct ParsedCommandLine {
    CommandLine options;
    QString error;  // not empty: a usage error
};

// Reads the arguments (program name first). Relative paths are taken from workingFolder; `nonUtf8`
// holds the arguments that are not UTF-8, by the text Qt made of them.
ParsedCommandLine ParseCommandLine(const QStringList& arguments, const QString& workingFolder,
                                   const NonUtf8Arguments& nonUtf8 = {});

// Makes the output folder with its parents where it is missing, as mkdir -p would; returns an error
// text, empty once the folder is there.
QString MakeOutputFolder(const QString& folder);

QString UsageText();

// The project's version, and "folioknife-split VERSION" as --version prints it.
QString ProgramVersion();
QString VersionText();

}  // namespace fk::cli
