// folioknife-split: the split run of the Folioknife window, for many documents and without a display.
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

#include "base/RuntimeError.h"
#include "cli/BatchDocuments.h"
#include "cli/BatchSplit.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleProgress.h"
#include "cli/LibreOfficeJobOffice.h"
#include "cli/OfficeProfiles.h"
#include "cli/SplitEngines.h"
#include "cli/StreamPrompts.h"
#include "fsutil/FileSystem.h"

namespace {

void stopOfficesAndDie(int signalNumber) {
    fk::cli::KillJobOfficesFromSignalHandler();
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

[[noreturn]] void finish(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    // Skips the UNO runtime's exit handlers, which race its threads; the offices are already stopped.
    std::_Exit(status);
}

int run(const QStringList& arguments) {
    using namespace fk::cli;
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString workingFolder = QDir::currentPath();

    const ParsedCommandLine parsed = ParseCommandLine(arguments, workingFolder);
    const CommandLine& options = parsed.options;
    if (options.help) {
        out << UsageText();
        return kExitSplit;
    }
    if (!parsed.error.isEmpty()) {
        err << "folioknife-split: " << parsed.error
            << "\nTry 'folioknife-split --help' for more information.\n";
        return kExitUsage;
    }

    fk::OfficeOptions officeOptions = fk::OfficeOptions::fromEnvironment();
    officeOptions.headless = !options.visible;
    officeOptions.quiet = true;
    if (!QFileInfo(officeOptions.soffice).isExecutable()) {
        err << "folioknife-split: LibreOffice was not found (" << officeOptions.soffice
            << "); install libreoffice-writer or set FOLIOKNIFE_SOFFICE.\n";
        return kExitSomeFailed;
    }

    QElapsedTimer clock;
    clock.start();
    fk::LocalFileSystem fileSystem;
    StreamPrompts walkReports(err);
    const BatchDocuments input = CollectDocuments(options.inputs, workingFolder, fileSystem, walkReports);
    for (const QString& problem : input.problems) err << "folioknife-split: " << problem << "\n";
    if (input.documents.isEmpty()) {
        err << "folioknife-split: no documents to split\n";
        return input.problems.isEmpty() ? kExitUsage : kExitSomeFailed;
    }
    const QList<QStringList> groups = GroupBySharedOutputNames(input.documents);
    for (const QStringList& group : groups) {
        if (group.size() > 1) {
            err << "folioknife-split: these documents make the same output names and are split in this "
                   "order, the last one's pages replacing the earlier ones':\n    "
                << group.join(QStringLiteral("\n    ")) << "\n";
        }
    }
    err.flush();

    const int jobs = std::min<int>(options.jobs, static_cast<int>(groups.size()));
    std::unique_ptr<OfficeProfiles> profiles;
    ProcessTableOrphans orphans;
    try {
        profiles = std::make_unique<OfficeProfiles>(OfficeProfiles::defaultBaseFolder(), jobs, orphans);
    } catch (const fk::RuntimeError& error) {
        err << "folioknife-split: " << error.description() << "\n";
        return kExitSomeFailed;
    }

    // Offices of an earlier run that was killed may have left locks on the outputs it was storing, and
    // their pipes.
    RemoveDeadOfficePipes();
    RemoveStaleLockFilesIn(options.outputFolder,
                           [&profiles](const QString& folder) { return profiles->isStale(folder); });

    ConsoleProgress progress(out, err, ::isatty(STDOUT_FILENO) == 1, static_cast<int>(input.documents.size()),
                             [&clock] { return static_cast<double>(clock.nsecsElapsed()) / 1e9; });
    BatchSettings settings;
    settings.outputFolder = options.outputFolder;
    settings.jobs = jobs;
    settings.timeout = std::chrono::milliseconds(std::llround(options.timeoutSeconds * 1000));
    BatchSplit batch(
        settings,
        [&](int job) {
            fk::OfficeOptions jobOptions = officeOptions;
            jobOptions.profileFolder = profiles->folders().at(job);
            return std::make_unique<LibreOfficeJobOffice>(job, jobOptions, *profiles);
        },
        [method = options.method](fk::office::OfficeBridge& office) {
            return MakeSplitEngine(method, office);
        },
        progress);
    const QList<DocumentResult> results = batch.run(groups);
    const BatchSummary summary = Summarize(results, static_cast<int>(input.problems.size()),
                                           static_cast<double>(clock.nsecsElapsed()) / 1e9);
    progress.summary(summary);
    return summary.exitStatus();
}

}  // namespace

int main(int argc, char** argv) {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) ::signal(signalNumber, stopOfficesAndDie);
    QCoreApplication application(argc, argv);
    finish(run(application.arguments()));
}
