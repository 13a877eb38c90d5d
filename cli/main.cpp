// folioknife-split: the split run of the Folioknife window, for many documents and without a display.
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <system_error>

#include "base/Failure.h"
#include "cli/AllocatorTuning.h"
#include "cli/AutomaticJobs.h"
#include "cli/BatchDocuments.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleProgress.h"
#include "cli/EarlierSplits.h"
#include "cli/FileList.h"
#include "cli/InterruptSignals.h"
#include "cli/LibreOfficeJobOffice.h"
#include "cli/NativeNames.h"
#include "cli/OfficeProfiles.h"
#include "cli/OrphanOffices.h"
#include "cli/RunInterruption.h"
#include "cli/Shard.h"
#include "cli/StandardOutput.h"
#include "cli/Terminal.h"
#include "files/StagedFile.h"
#include "slicer/PackageInfo.h"
#include "split/DocumentDeadline.h"
#include "split/JsonReport.h"
#include "split/SplitJob.h"

namespace {

[[noreturn]] void finish(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    // Skips the UNO runtime's exit handlers, which race its threads; the offices are already stopped.
    std::_Exit(status);
}

// Writes the JSON report when one was asked for, its folder made as the output folder is; false when
// it could not be written.
bool writeReport(const fk::cli::CommandLine& options, const fk::RunRecord& record, QTextStream& err) {
    if (options.jsonFile.isEmpty()) return true;
    QString error;
    if (!fk::IsStandardOutput(options.jsonFile))
        error = fk::cli::MakeOutputFolder(QFileInfo(options.jsonFile).absolutePath());
    if (error.isEmpty()) error = fk::WriteJsonReport(options.jsonFile, record, fk::cli::ProgramVersion());
    if (error.isEmpty()) return true;
    err << "folioknife-split: " << fk::cli::DisplayName(error) << "\n";
    err.flush();
    return false;
}

// Adds the names of --files-from to the inputs; returns what kept the list from being read.
QString readFilesFrom(const fk::cli::CommandLine& options, QStringList& inputs,
                      fk::cli::NonUtf8Arguments& nonUtf8) {
    QFile list;
    const bool standardInput = options.filesFrom == QLatin1String("-");
    if (standardInput ? !list.open(stdin, QIODevice::ReadOnly)
                      : (list.setFileName(options.filesFrom), !list.open(QIODevice::ReadOnly)))
        return options.filesFrom + QStringLiteral(": the list of files cannot be read: ") +
               list.errorString();
    const fk::cli::FileList read = fk::cli::ReadFileList(list, options.nulSeparated, nonUtf8);
    if (!read.error.isEmpty()) return options.filesFrom + QStringLiteral(": ") + read.error;
    inputs += read.names;
    return {};
}

int run(const QStringList& arguments, const fk::cli::NonUtf8Arguments& nonUtf8) {
    using namespace fk;
    using namespace fk::cli;
    StandardOutput checkedOutput(STDOUT_FILENO);
    QTextStream standardOutput(&checkedOutput);
    QTextStream err(stderr);
    const QString workingFolder = QDir::currentPath();

    const ParsedCommandLine parsed = ParseCommandLine(arguments, workingFolder, nonUtf8);
    const CommandLine& options = parsed.options;
    if (options.help || options.version) {
        standardOutput << (options.help ? UsageText() : VersionText());
        standardOutput.flush();
        return StandardOutput::lost() == 0 ? kExitSplit : kExitCannotRun;
    }
    // With the report on standard output, everything else the run prints goes to standard error.
    const bool reportToStandardOutput = IsStandardOutput(options.jsonFile);
    QTextStream& out = reportToStandardOutput ? err : standardOutput;
    const int progressDescriptor = reportToStandardOutput ? STDERR_FILENO : STDOUT_FILENO;
    if (!parsed.error.isEmpty()) {
        err << "folioknife-split: " << DisplayName(parsed.error)
            << "\nTry 'folioknife-split --help' for more information.\n";
        return kExitUsage;
    }
    QStringList inputs = options.inputs;
    NonUtf8Arguments nonUtf8Names = nonUtf8;
    if (!options.filesFrom.isEmpty()) {
        const QString problem = readFilesFrom(options, inputs, nonUtf8Names);
        if (!problem.isEmpty()) {
            err << "folioknife-split: " << DisplayName(problem) << "\n";
            return kExitCannotRun;
        }
    }

    fk::OfficeOptions officeOptions = fk::OfficeOptions::fromEnvironment();
    officeOptions.headless = !options.visible;
    officeOptions.quiet = true;
    if (!QFileInfo(officeOptions.soffice).isExecutable()) {
        err << "folioknife-split: LibreOffice was not found (" << DisplayName(officeOptions.soffice)
            << "); install libreoffice-writer or set FOLIOKNIFE_SOFFICE.\n";
        return kExitCannotRun;
    }

    QElapsedTimer clock;
    clock.start();
    std::function<bool(const QString&)> inShard;
    if (options.shard) {
        inShard = [shard = *options.shard](const QString& path) { return shard.holds(path); };
    }
    const BatchDocuments input = CollectDocuments(inputs, workingFolder, nonUtf8Names, inShard);
    for (const QString& problem : input.problems) err << "folioknife-split: " << DisplayName(problem) << "\n";
    RunRecord record;
    record.problems = input.problems;
    record.format = options.format;
    QStringList documents = input.documents;
    if (!options.resumeReport.isEmpty()) {
        ResumePlan plan = PlanResume(documents, EarlierSplits(ReadJsonReport(options.resumeReport)));
        record.skipped = plan.skipped;
        documents = plan.documents;
        if (documents.isEmpty() && !record.skipped.isEmpty()) {
            const BatchSummary summary = Summarize({}, static_cast<int>(input.problems.size()), 0,
                                                   static_cast<int>(record.skipped.size()));
            ConsoleProgress(out, err, false, 0, [] { return 0.0; }).summary(summary);
            return writeReport(options, record, err) ? summary.exitStatus() : kExitCannotRun;
        }
    }
    if (documents.isEmpty()) {
        // A shard may rightly have nothing to do.
        if (options.shard && input.problems.isEmpty()) {
            if (!options.quiet)
                out << "no documents in shard " << options.shard->part << "/" << options.shard->count << "\n";
            return writeReport(options, record, err) ? kExitSplit : kExitCannotRun;
        }
        err << "folioknife-split: no documents to split\n";
        writeReport(options, record, err);
        return input.problems.isEmpty() ? kExitUsage : kExitSomeFailed;
    }
    // Made only now that there is something to split.
    const QString folderProblem = MakeOutputFolder(options.outputFolder);
    if (!folderProblem.isEmpty()) {
        err << "folioknife-split: " << DisplayName(folderProblem) << "\n";
        return kExitCannotRun;
    }
    const QList<QStringList> groups = fk::GroupBySharedOutputNames(documents);
    for (const QStringList& group : groups) {
        if (group.size() > 1) {
            err << "folioknife-split: these documents make the same output names and are split in this "
                   "order, the last one's pages replacing the earlier ones':\n";
            for (const QString& document : group) err << "    " << DisplayName(document) << "\n";
        }
    }
    err.flush();

    int jobs = std::min<int>(options.jobs, static_cast<int>(groups.size()));
    if (options.jobsAuto) {
        qint64 largest = 0;
        for (const QString& document : documents) largest = std::max(largest, QFileInfo(document).size());
        jobs =
            std::min(kMaxJobs, AutomaticJobCount(MeasureMachine(), largest, static_cast<int>(groups.size())));
        if (options.verbose) err << "folioknife-split: --jobs auto starts " << jobs << " offices\n";
    }
    std::unique_ptr<OfficeProfiles> profiles;
    ProcessTableOrphans orphans;
    try {
        profiles = std::make_unique<OfficeProfiles>(OfficeProfiles::defaultBaseFolder(), jobs, orphans,
                                                    officeOptions.programFolder());
    } catch (const fk::Failure& error) {
        err << "folioknife-split: " << DisplayName(error.message()) << "\n";
        return kExitCannotRun;
    }

    // An earlier run that was killed may have left its temporaries here and in $TMPDIR, and its offices
    // their locks on the outputs they were storing, and their pipes.
    fk::RemoveDeadOfficePipes();
    RemoveStaleLockFilesIn(options.outputFolder,
                           [&profiles](const QString& folder) { return profiles->isStale(folder); });
    const QStringList temporaryFolders{options.outputFolder, QDir::tempPath()};
    for (const QString& folder : temporaryFolders) fk::RemoveLeftoverTemporaries(folder);

    const Terminal terminal = TerminalOf(progressDescriptor);
    const bool live = options.progress == ProgressMode::Always ||
                      (options.progress == ProgressMode::Auto && terminal.redraws);
    ConsoleProgress progress(
        out, err, live, static_cast<int>(documents.size()),
        [&clock] { return static_cast<double>(clock.nsecsElapsed()) / 1e9; }, options.verbose);
    for (const QString& document : documents)
        progress.weigh(document,
                       static_cast<qint64>(fk::slicer::TextBytes(QFile::encodeName(document).toStdString())));
    if (options.headingLevel > 0) progress.cutAtHeadings();
    if (terminal.redraws) progress.fitTo(terminal.columns);
    if (options.quiet) progress.quiet();
    fk::SplitJobConfig config;
    config.documents = documents;
    config.outputFolder = options.outputFolder;
    config.engine = {.method = options.method,
                     .format = options.format,
                     .pages = options.pages,
                     .headingLevel = options.headingLevel,
                     .verify = options.verify};
    config.jobs = jobs;
    config.otherInputs = input.inputFiles;
    // The office's reports move the live line only.
    config.officeProgress = live;
    if (options.timeoutSeconds)
        config.timeout = std::chrono::milliseconds(std::llround(*options.timeoutSeconds * 1000));
    else {
        config.deadlineOf = &fk::DocumentDeadline::forDocument;
        config.deadlinePerPage = fk::DocumentDeadline::kPerPage;
    }
    config.stopRequested = [] {
        return InterruptSignals::received() != 0 || StandardOutput::lostOrReaderGone() != 0;
    };
    // The offices' own temporary files, which an office that is stopped rather than closed leaves
    // behind, go to a folder of the run's, removed when the run ends (or by a later run, if this one is
    // killed).
    std::optional<fk::files::TemporaryFolder> officeTemporaries;
    try {
        officeTemporaries.emplace(
            QFile::encodeName(QDir::tempPath() + QStringLiteral("/folioknife-offices")).toStdString());
    } catch (const std::system_error&) {
        // The offices then keep them where the environment says.
    }
    fk::SplitJob job(
        config,
        [&](int jobNumber) {
            fk::OfficeOptions jobOptions = officeOptions;
            jobOptions.profileFolder = profiles->folders().at(jobNumber);
            if (officeTemporaries)
                jobOptions.temporaryFolder = QFile::decodeName(officeTemporaries->path().c_str()) +
                                             QLatin1Char('/') + QString::number(jobNumber);
            return std::make_unique<LibreOfficeJobOffice>(jobNumber, jobOptions, *profiles);
        },
        progress);
    record.results = job.run();
    // The offices are stopped now; the pipes they listened on would stay in /tmp. Runs killed while this
    // one went leave their temporaries.
    fk::RemoveDeadOfficePipes();
    for (const QString& folder : temporaryFolders) fk::RemoveLeftoverTemporaries(folder);
    const BatchSummary summary =
        Summarize(record.results, static_cast<int>(input.problems.size()),
                  static_cast<double>(clock.nsecsElapsed()) / 1e9, static_cast<int>(record.skipped.size()));
    progress.summary(summary);
    record.signalNumber = InterruptSignals::received();
    const int outputLost = StandardOutput::lost();
    if (record.signalNumber != 0 || outputLost != 0) {
        const RunInterruption where = WhereRunStopped(groups, record.results);
        if (record.signalNumber != 0) {
            if (!options.quiet) PrintInterruption(out, record.signalNumber, where);
        } else {
            // Standard output shows nothing more: the run's end is told where it can still be read.
            PrintInterruption(err,
                              QStringLiteral("a standard output that takes no more (%1)")
                                  .arg(QString::fromLocal8Bit(std::strerror(outputLost))),
                              where);
        }
        record.notStarted = where.notStarted;
    }
    const bool reported = writeReport(options, record, err);
    if (record.signalNumber != 0) {
        out.flush();
        standardOutput.flush();
        err.flush();
        std::fflush(stdout);
        std::fflush(stderr);
        // The offices are stopped and the report is written: the program now ends as the signal asked.
        InterruptSignals::endBy(record.signalNumber);
    }
    if (outputLost != 0) return kExitCannotRun;
    return reported ? summary.exitStatus() : kExitCannotRun;
}

}  // namespace

int main(int argc, char** argv) {
    fk::cli::InterruptSignals::install();
    fk::cli::KeepFreedMemoryForReuse();
    const fk::cli::NonUtf8Arguments nonUtf8 = fk::cli::FindNonUtf8Arguments(argc, argv);
    QCoreApplication application(argc, argv);
    fk::cli::UseUtf8CharacterLocale();
    const int status = run(application.arguments(), nonUtf8);
    // Whatever run() printed last went out as its streams closed: a standard output that took no more
    // makes no run a success.
    finish(status == fk::cli::kExitSplit && fk::cli::StandardOutput::lost() != 0 ? fk::cli::kExitCannotRun
                                                                                 : status);
}
