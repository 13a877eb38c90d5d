#include "cli/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "cli/CommandLineOptions.h"
#include "fsutil/FileHelpers.h"
#include "split/JsonReport.h"

namespace fk::cli {

namespace {

QString absoluteFolderText(const QString& folder, const QString& workingFolder) {
    QString path = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(folder));
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}

// A folder that is there, or that mkdir -p would make: the nearest part of its path that is there is
// a folder.
bool FolderCanBeMade(QString folder) {
    QFileInfo info(folder);
    while (!info.exists() && !info.isSymLink()) {
        const QString parent = info.absolutePath();
        if (parent == folder) return false;
        folder = parent;
        info = QFileInfo(folder);
    }
    return info.isDir();
}

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments, const QString& workingFolder,
                                   const NonUtf8Arguments& nonUtf8) {
    using Option = CommandLineOptions::Option;
    ParsedCommandLine parsed;
    CommandLine& options = parsed.options;
    const std::optional<CommandLineOptions> read = CommandLineOptions::read(arguments, parsed.error);
    if (!read) return parsed;
    const CommandLineOptions& parser = *read;
    constexpr Option output = Option::Output, jobs = Option::Jobs, timeout = Option::Timeout,
                     visible = Option::Visible, verbose = Option::Verbose, method = Option::Method,
                     pages = Option::Pages, every = Option::Every, at = Option::At, format = Option::Format,
                     json = Option::Json, shard = Option::Shard, resume = Option::Resume, help = Option::Help,
                     version = Option::Version, filesFrom = Option::FilesFrom, nulSeparated = Option::Null,
                     quiet = Option::Quiet, progress = Option::Progress;
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    if (options.help || options.version) return parsed;

    if (parser.isSet(jobs) && parser.value(jobs) == QLatin1String("auto")) {
        options.jobsAuto = true;
    } else if (parser.isSet(jobs)) {
        bool ok = false;
        options.jobs = parser.value(jobs).toInt(&ok);
        if (!ok || options.jobs < 1 || options.jobs > kMaxJobs) {
            parsed.error = QStringLiteral("--jobs takes a whole number from 1 to %1, or auto, not '%2'.")
                               .arg(kMaxJobs)
                               .arg(parser.value(jobs));
            return parsed;
        }
    }
    if (parser.isSet(timeout)) {
        bool ok = false;
        const double seconds = parser.value(timeout).toDouble(&ok);
        options.timeoutSeconds = seconds;
        // 0 is no deadline. Under a second an office cannot even load a document; and a deadline that
        // rounds to 0 ms would mean none.
        if (!ok || !(seconds == 0 || seconds >= 1) || seconds > kMaxTimeoutSeconds) {
            parsed.error =
                QStringLiteral(
                    "--timeout takes 0 (no deadline) or a number of seconds from 1 to %1, not '%2'.")
                    .arg(kMaxTimeoutSeconds)
                    .arg(parser.value(timeout));
            return parsed;
        }
    }
    if (parser.isSet(method)) {
        const QString name = parser.value(method);
        if (name == QLatin1String("slice")) {
            options.method = SplitMethod::Slice;
        } else if (name == QLatin1String("copy")) {
            options.method = SplitMethod::Copy;
        } else {
            parsed.error = QStringLiteral("--method is 'slice' or 'copy', not '%1'.").arg(name);
            return parsed;
        }
    }
    if (parser.isSet(format)) {
        const std::optional<OutputFormat> named = FormatNamed(parser.value(format));
        if (!named) {
            parsed.error =
                QStringLiteral("--format is 'odt', 'pdf' or 'docx', not '%1'.").arg(parser.value(format));
            return parsed;
        }
        options.format = *named;
        // The PDF pages are cut from the office's own PDF of the whole document, never copied.
        if (options.format == OutputFormat::Pdf && options.method == SplitMethod::Copy) {
            parsed.error = QStringLiteral(
                "--format pdf cuts the office's own PDF of the document: it cannot be given with --method "
                "copy.");
            return parsed;
        }
    }
    if (parser.isSet(pages) && parser.isSet(every)) {
        parsed.error = QStringLiteral("--pages and --every cannot be given together.");
        return parsed;
    }
    if ((parser.isSet(pages) || parser.isSet(every)) && options.method == SplitMethod::Copy) {
        parsed.error = QStringLiteral(
            "--pages and --every need the page slicer: they cannot be given with --method copy.");
        return parsed;
    }
    if (parser.isSet(pages)) {
        const std::optional<PageSelection> selection =
            PageSelection::parse(parser.value(pages), parsed.error);
        if (!selection) {
            parsed.error.prepend(QStringLiteral("--pages: "));
            return parsed;
        }
        options.pages = *selection;
    }
    if (parser.isSet(every)) {
        const std::optional<PageSelection> documents = PageSelection::parseEvery(parser.value(every));
        if (!documents) {
            parsed.error = QStringLiteral("--every takes a whole number of pages from 1 to %1, not '%2'.")
                               .arg(kMaxPagesPerDocument)
                               .arg(parser.value(every));
            return parsed;
        }
        options.pages = *documents;
    }
    if (parser.isSet(at)) {
        const std::optional<int> level = ParseCutAt(parser.value(at));
        if (!level) {
            parsed.error = QStringLiteral("--at is 'page' or 'heading:N' with N from 1 to %1, not '%2'.")
                               .arg(kMaxHeadingLevel)
                               .arg(parser.value(at));
            return parsed;
        }
        options.headingLevel = *level;
        if (options.headingLevel > 0 && (parser.isSet(pages) || parser.isSet(every))) {
            parsed.error = QStringLiteral(
                "--at heading:N writes one document per part: it cannot be given with --pages or --every.");
            return parsed;
        }
        if (options.headingLevel > 0 && options.method == SplitMethod::Copy) {
            parsed.error = QStringLiteral(
                "--at heading:N needs the page slicer: it cannot be given with --method copy.");
            return parsed;
        }
    }
    if (parser.isSet(shard)) {
        options.shard = ParseShard(parser.value(shard), parsed.error);
        if (!options.shard) return parsed;
    }
    if (parser.isSet(json) && IsStandardOutput(parser.value(json))) {
        options.jsonFile = parser.value(json);
    } else if (parser.isSet(json)) {
        options.jsonFile = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(parser.value(json)));
        const QFileInfo file(options.jsonFile);
        // Its folder is made when missing, as the output folder is, so that it may lie inside that.
        if (parser.value(json).isEmpty() || file.isDir() || !FolderCanBeMade(file.absolutePath())) {
            parsed.error =
                QStringLiteral("--json names a file in a folder that is there or can be made, not '%1'.")
                    .arg(parser.value(json));
            return parsed;
        }
    }
    options.verify = parser.isSet(Option::Verify);
    if (options.verify && options.headingLevel > 0) {
        parsed.error = QStringLiteral(
            "--verify checks each output against the input's pages: it cannot be given with --at heading:N, "
            "whose parts open on a fresh page.");
        return parsed;
    }
    options.quiet = parser.isSet(quiet);
    if (parser.isSet(progress)) {
        const QString mode = parser.value(progress);
        if (mode == QLatin1String("auto")) {
            options.progress = ProgressMode::Auto;
        } else if (mode == QLatin1String("always")) {
            options.progress = ProgressMode::Always;
        } else if (mode == QLatin1String("never")) {
            options.progress = ProgressMode::Never;
        } else {
            parsed.error = QStringLiteral("--progress is 'auto', 'always' or 'never', not '%1'.").arg(mode);
            return parsed;
        }
    }
    if (parser.isSet(resume)) {
        options.resumeReport = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(parser.value(resume)));
        if (parser.value(resume).isEmpty() || !IsJsonReport(options.resumeReport)) {
            parsed.error =
                QStringLiteral("--resume names a report of folioknife-split (--json FILE), not '%1'.")
                    .arg(parser.value(resume));
            return parsed;
        }
    }
    options.visible = parser.isSet(visible);
    options.verbose = parser.isSet(verbose);
    if (options.visible && (options.jobs > 1 || options.jobsAuto)) {
        parsed.error = QStringLiteral(
            "--visible works with one job only: visible offices share the desktop's clipboard.");
        return parsed;
    }
    options.inputs = parser.positionalArguments();
    options.filesFrom = parser.value(filesFrom);
    options.nulSeparated = parser.isSet(nulSeparated);
    if (parser.isSet(filesFrom) && options.filesFrom.isEmpty()) {
        parsed.error = QStringLiteral("--files-from names a file of names, or - for standard input.");
        return parsed;
    }
    if (options.nulSeparated && options.filesFrom.isEmpty()) {
        parsed.error = QStringLiteral("--null tells how the names of --files-from end: give that too.");
        return parsed;
    }
    if (options.inputs.isEmpty() && options.filesFrom.isEmpty()) {
        parsed.error = QStringLiteral("No input given: name documents or folders to split.");
        return parsed;
    }
    if (!options.jsonFile.isEmpty() && !IsStandardOutput(options.jsonFile)) {
        QStringList inputPaths;
        for (const QString& input : options.inputs)
            inputPaths << QDir::cleanPath(QDir(workingFolder).absoluteFilePath(input));
        parsed.error = JsonReportPathProblem(options.jsonFile, inputPaths);
        if (!parsed.error.isEmpty()) return parsed;
    }
    const QString outputText = parser.isSet(output) ? parser.value(output) : QStringLiteral(".");
    if (outputText.isEmpty()) {
        parsed.error = QStringLiteral("-o names the output folder; '' names none (use -o . for this one).");
        return parsed;
    }
    const auto native = nonUtf8.constFind(outputText);
    if (native != nonUtf8.cend()) {
        parsed.error =
            DisplayName(*native) + QStringLiteral(
                                       ": the output folder's name is not valid UTF-8; rename it or name "
                                       "another folder with -o.");
        return parsed;
    }
    options.outputFolder = absoluteFolderText(outputText, workingFolder);
    if (QFileInfo::exists(options.outputFolder.chopped(1)) && !FolderExists(options.outputFolder)) {
        parsed.error = options.outputFolder.chopped(1) +
                       QStringLiteral(": not a folder; name a folder with -o (a missing one is made).");
    }
    return parsed;
}

QString MakeOutputFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (!error) return {};
    return folder + QStringLiteral(": the output folder cannot be made: ") +
           QString::fromLocal8Bit(error.message());
}

QString ProgramVersion() {
    return QStringLiteral(FOLIOKNIFE_VERSION);
}

QString VersionText() {
    return QStringLiteral("folioknife-split ") + ProgramVersion() + QLatin1Char('\n');
}

QString UsageText() {
    return QStringLiteral(R"(NAME
    folioknife-split - split word-processor documents into one-page documents

SYNOPSIS
    folioknife-split [-o DIR] [--method slice|copy] [--format odt|pdf|docx]
                     [--pages LIST | --every N | --at heading:N] [--jobs N|auto] [--timeout SECONDS]
                     [--visible] [--verbose] [--json FILE] [--resume REPORT]
                     [--shard K/N] [--files-from FILE [--null]] [-q]
                     [--progress auto|always|never] [--verify] [INPUT...]
    folioknife-split --help | --version

DESCRIPTION
    Every INPUT document is laid out by LibreOffice, and each of its pages becomes a document
    of its own, stored as NAME_0001.odt, NAME_0002.odt, ... in the output folder. An INPUT
    folder adds every Writer document (names ending in .odt, .ott, .stw or .sxw, in any letter
    case) of its tree, in path order (letter case aside); hidden files, lock files (~...,
    .~lock...) and links with such names are left out, and dot-folders are not entered. Empty
    files, files that are no word-processor document by their first bytes, names that are not
    UTF-8 and links that lead nowhere or out of the folder are reported and not split. Input documents are never changed; existing outputs of the same
    name are replaced. Documents whose names give the same output names are split one after
    the other, in the order given, so that the last one wins whatever the number of jobs.

OPTIONS
    Options are written as with GNU tools: -j2, -opages, --jobs=2, long options shortened
    as far as they stay unambiguous, options after the inputs, and -- before inputs that
    begin with -.

    -o, --output DIR
        Folder for the one-page documents, made with its parents when missing, once there is
        a document to split. Default: the current folder.
    --method slice|copy
        slice (the default): the office marks where each page begins and stores the
        document once; folioknife-split then cuts it into one document per page, keeping
        page styles, headers, footers, pictures and numbering. A document the slicer does
        not understand is split with the copy method instead, and standard error says so.
        copy: for every page the office copies the page into a new document and stores
        it, as the Folioknife window does.
    --format odt|pdf|docx
        The outputs' format, and their extension (NAME_0001.pdf). odt (the default): the
        pages as the method makes them. pdf: the office renders the whole document to one
        PDF/A-2b, and folioknife-split cuts it into one PDF per page, so that output k is
        page k as the office prints it, blank pages included; each keeps the document's
        title. Not with --method copy. docx: each OpenDocument page is converted by the
        office to Word (Office Open XML).
    --pages LIST
        Write only these pages, each under its own page number: single pages and ranges
        separated by commas, such as 1-3,7,10- (10- is page 10 to the end). A page may
        be counted from the end: z is the last page and rN the N-th from the end, so r3-z
        is the last three. A range that runs backwards is a usage error. Not with
        --method copy.
    --every N
        Write documents of N pages each: NAME_0001.odt holds pages 1 to N, NAME_0002.odt
        pages N+1 to 2N, and so on. Not with --method copy.
    --at page|heading:N
        Where the documents are cut. page (the default): at every page. heading:N: at every
        heading of outline level 1 to N, one document per part from one heading to the next;
        the matter before the first heading is a part of its own when anything shows in it.
        Each part opens on a fresh page in the page style of its heading's page, and heading,
        list, note and page numbers go on as in the input. Page slicer only; not with
        --pages or --every. With --format pdf or docx the office converts each part.
    -j, --jobs N|auto
        Split N documents at once, each on an office of its own (own profile, own pipe).
        auto: one office per core, fewer where the memory available would not hold them.
        Default: 1.
    -t, --timeout SECONDS
        Deadline per document, 1 second or more; 0 for none. An office that has not finished
        the document by then is killed, the document is reported as failed, and a new office
        takes the next. Default: 60 seconds plus 2 seconds per 100 KiB of the document's file.
    --visible
        Show the office's windows (one job only). Without it the office runs headless and no
        display is needed.
    --verbose
        Add the office's own words to each failure, after what folioknife-split makes of it.
    --json FILE
        Write a JSON report to FILE when the run ends: one record per document with its
        input, outputs, pages, method, status (split, failed, timed-out, interrupted,
        not-started, skipped), failures (stage, page, message) and seconds, and the outputs'
        format; with --at heading:N also its parts, each with its heading and its first and
        last page. Its schema field names its version; the JSON Schema is installed as
        share/folioknife/folioknife-split-report.schema.json.
        FILE may replace an earlier report, but never an input nor any other file, and may not
        have a document's extension (.odt, .doc, .docx, .rtf, ...). Its folder is made when
        missing, as the output folder is (-o out --json out/run.json). With --json - the
        report goes to standard output and the progress to standard error.
    --resume REPORT
        Skip the documents that the earlier run's REPORT lists as split whose outputs are all
        there and no older than the document; they are reported as skipped. The others are
        split again. REPORT may be that of an interrupted run, and the same file as --json.
    --shard K/N
        Split only part K of N of the documents, counted from 1 (1/4 to 4/4 for four hosts).
        A document's part comes from a hash of its output base name, so N hosts given the
        same inputs split every document exactly once, and documents whose outputs would share
        names are split in one part, in the order given; all parts may write to one folder.
    --files-from FILE
        Also split the inputs named in FILE (- for standard input), one a line, as a list too
        long for the command line gives them. Empty lines are skipped.
    --null
        The names of --files-from end with NUL bytes, as find -print0 writes them, instead
        of newlines: for names that hold a newline.
    -q, --quiet
        Nothing on standard output: no progress, no line per document, no summary. Errors
        still go to standard error, and the exit status tells the outcome.
    --progress auto|always|never
        When the live progress line is drawn: auto (the default) on a terminal that can
        redraw a line (not TERM=dumb), fitted to its width; always; never, one line per
        document instead.
    --verify
        After each document is split, the office prints it and each output (PDF export,
        blank pages kept), and poppler's pdftoppm renders them in grey at 40 dpi. An output
        that prints as another number of pages than it should, or a page of it that looks
        less than 0.90 alike to the input's page (ink within a pixel of ink, over all ink),
        is a failed page: told on standard error with its likeness, listed in the JSON
        report's verification with every output's figure, and the exit status is 1. The
        outputs are kept. Needs poppler-utils; not with --at heading:N.
    -h, --help
        Show this text.
    --version
        Show the version.

OUTPUT
    On a terminal, a live bar with documents and pages done, pages per second and the time
    left; otherwise one line per document. A summary ends the run. Errors go to standard
    error, one line each: folioknife-split: FILE: page N: what failed, and what to do (stage).
    Names show bytes that are not UTF-8 and control characters as \xHH.
    A cause is named where it can be told: a password, another office's lock (who, where and
    since when), a page name too long for the file system, an office that does not start.

EXIT STATUS
    0   every document was split
    1   at least one document, page or input failed
    2   usage error: unknown option or method, no input, or an output folder that is not a
        folder
    3   nothing could run, or its outcome not be kept: LibreOffice missing, an output or
        cache folder that cannot be made, a list of files that cannot be read, a report
        that cannot be written, a standard output that takes no more (its reader gone,
        as with | head -1, or a full device): the run then stops as for a signal, but
        for the status; worth trying again once that is mended
    128+N  ended by signal N (130 for Ctrl-C, 143 for SIGTERM, 129 for SIGHUP): the offices
        are stopped, the summary names the documents done, cut short (with their pages so
        far) and not started, the report is written, and then the program ends by the
        signal itself, so that a shell loop around it stops too. A second signal ends the
        program at once. A signal ignored at start (SIGHUP under nohup) is left ignored.
        No further page is begun, so a document stops within a second.

ENVIRONMENT
    FOLIOKNIFE_SOFFICE   the soffice program to start (default: soffice on PATH)
    XDG_CACHE_HOME       office profiles are kept in $XDG_CACHE_HOME/folioknife/offices
                         (default ~/.cache/folioknife/offices), one per job

EXAMPLES
    folioknife-split -o pages/ report.odt letters/
    folioknife-split --jobs 2 --timeout 300 -o /srv/pages /srv/incoming
    folioknife-split --pages 1,3- -o covers/ report.odt
    folioknife-split --at heading:1 -o chapters/ book.odt
    folioknife-split --format pdf -o pages/ report.odt
    folioknife-split --shard "$((JOB_COMPLETION_INDEX + 1))/8" --json run.json -o /srv/pages /srv/incoming
)");
}

}  // namespace fk::cli
