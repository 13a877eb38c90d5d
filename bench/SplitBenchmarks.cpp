// The split benchmarks: the page slicer beside the floor up to 1,000 pages with the time of each of
// its stages, time per page of the split run beside a Python UNO reference on the same headless
// office, its growth with document length, memory of the office and of folioknife-split, and the
// speed-up of two jobs. Prints a table and writes the figures as JSON.
// Usage: folioknife_bench --reference SCRIPT [--json FILE] [--quick] [--only SECTION]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "EngineChoices.h"
#include "FakePrompts.h"
#include "SharedJobOffice.h"
#include "TestOffice.h"
#include "app/SplitRun.h"
#include "cli/AllocatorTuning.h"
#include "cli/ConsoleProgress.h"
#include "cli/LibreOfficeJobOffice.h"
#include "cli/OfficeProfileSettings.h"
#include "cli/OfficeProfiles.h"
#include "cli/OrphanOffices.h"
#include "fsutil/ProgramFolder.h"
#include "slicer/PackageInfo.h"
#include "slicer/PackageSlicer.h"
#include "split/CopyPageEngine.h"
#include "split/EndnoteMarking.h"
#include "split/OfficeSession.h"
#include "split/PageMarking.h"
#include "split/PdfExport.h"
#include "split/PdfPageCutter.h"
#include "split/PdfPageEngine.h"
#include "split/SlicePageEngine.h"
#include "split/SliceThenCopyEngine.h"
#include "split/SplitJob.h"

extern char** environ;

namespace {

using fk::test::TestOffice;

class QuietWindow : public fk::SplitRunWindow {
public:
    QStringList rows;
    QString folder;
    int documentCount() override { return static_cast<int>(rows.size()); }
    QString documentText(int index) override { return rows.at(index - 1); }
    QString outputFolderText() override { return folder; }
    void setProgressValue(double) override {}
    void setProgressText(const QString&) override {}
    void setPointer(int) override {}
    void yield() override {}
};

double megabytes(long kilobytes) {
    return static_cast<double>(kilobytes) / 1024.0;
}

// Resident memory of every process in a group, in kB: the office is a wrapper and the office proper.
long GroupResidentKilobytes(pid_t group) {
    long total = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isNumber = false;
        entry.toInt(&isNumber);
        if (!isNumber) continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray line = stat.readAll();
        // Fields after the command name, which may hold blanks: state ppid pgrp ...
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 3 || fields[2].toInt() != group) continue;
        QFile status(QStringLiteral("/proc/%1/status").arg(entry));
        if (!status.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& statusLine : status.readAll().split('\n')) {
            if (statusLine.startsWith("VmRSS:"))
                total += statusLine.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return total;
}

long HighWaterKilobytes(pid_t pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Passes a run's events to folioknife-split's console progress and reads its estimate of the time left
// after each, unrounded; beside it the estimate the live line gave before it followed the office's
// stages: documents done and pages written, over the time since the run began.
class ProgressSampler : public fk::SplitJobEvents {
public:
    struct Sample {
        double seconds = 0;
        int pages = 0;
        double left = -1;        // -1: no estimate yet
        double formerLeft = -1;  // likewise
        QString event;
    };

    ProgressSampler(fk::cli::ConsoleProgress& console, const QElapsedTimer& clock, int documents)
        : console_(console), clock_(clock), documents_(documents) {}

    void documentStarted(const QString& path) override {
        console_.documentStarted(path);
        sample("started");
    }
    void stageReached(const QString& path, fk::SplitStage stage) override {
        if (officeUp < 0) officeUp = now();
        console_.stageReached(path, stage);
        sample(fk::StageName(stage));
    }
    void stageAdvanced(const QString& path, fk::SplitStage stage, double fraction) override {
        console_.stageAdvanced(path, stage, fraction);
        ++reports;
        sample(fk::StageName(stage) + QStringLiteral(" report"));
    }
    void officeDone(const QString& path) override { console_.officeDone(path); }
    void pageStored(const QString& path, int page, int pageCount) override {
        ++pages_;
        auto& [stored, count] = stored_[path];
        ++stored;
        count = pageCount;
        console_.pageStored(path, page, pageCount);
        sample("page");
    }
    void failed(const QString& path, const fk::SplitFailure& failure) override {
        console_.failed(path, failure);
    }
    void noted(const QString& path, const QString& text) override { console_.noted(path, text); }
    void documentFinished(const fk::DocumentResult& result) override {
        stored_.remove(result.path);
        ++finished_;
        console_.documentFinished(result);
        sample("finished");
    }
    void idle() override {
        console_.idle();
        sample("idle");
    }

    std::vector<Sample> samples;
    double officeUp = -1;  // the first stage of the first document
    int reports = 0;       // the office's reports of its stages

private:
    double now() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }
    void sample(const QString& event) {
        const double seconds = now();
        double done = finished_;
        for (const auto& [stored, count] : stored_) {
            if (count > 0) done += static_cast<double>(stored) / count;
        }
        const double fraction = std::min(1.0, done / documents_);
        samples.push_back({seconds, pages_, console_.secondsLeft().value_or(-1),
                           fraction > 0 ? seconds * (1 - fraction) / fraction : -1, event});
    }

    fk::cli::ConsoleProgress& console_;
    const QElapsedTimer& clock_;
    int documents_;
    int pages_ = 0;
    int finished_ = 0;
    QHash<QString, std::pair<int, int>> stored_;
};

struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Bench {
public:
    Bench(QString referenceScript, bool quick) : reference_(std::move(referenceScript)), quick_(quick) {}

    QString document(const QString& name, int pages) {
        const QString path = work_.filePath(name + QStringLiteral(".odt"));
        if (QFile::exists(path)) return path;
        TestOffice::Content content;
        for (int page = 1; page <= pages; ++page)
            content.pages << QStringLiteral("%1, page %2: some text to lay out").arg(name).arg(page);
        office_.makeDocument(path, content);
        return path;
    }

    // Pages full of text, each a paragraph that ends where the page ends, as in a long report: the
    // office lays out lines, not a word per page.
    QString textDocument(int pages) {
        const QString name = QStringLiteral("text-%1").arg(pages);
        const QString path = work_.filePath(name + QStringLiteral(".odt"));
        if (QFile::exists(path)) return path;
        QString filler;
        for (int line = 0; line < 25; ++line)
            filler += QStringLiteral("Words that fill a line of the page, and a few more words after them. ");
        TestOffice::Content content;
        for (int page = 1; page <= pages; ++page)
            content.pages << QStringLiteral("%1, page %2. ").arg(name).arg(page) + filler;
        office_.makeDocument(path, content);
        return path;
    }

    QString freshFolder(const QString& name) {
        const QString folder = work_.filePath(name);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        return folder + QLatin1Char('/');
    }

    // A new folder for each round of the slicer, removed with the benchmark's work. Removing the last
    // round's thousands of pages just before would make this round's files slower to create on an ext4
    // without a journal, which passes over inodes freed in the last half minute: 0.9 s of a 5,000-page
    // split on this machine, a cost of the benchmark's own cleaning, not of a split.
    QString roundFolder(const QString& name) {
        const QString folder = work_.filePath(QStringLiteral("%1-%2").arg(name).arg(++rounds_));
        QDir().mkpath(folder);
        return folder + QLatin1Char('/');
    }

    // The kept rounds are written out before a measurement starts, so that no sync in it waits for
    // them; the floor's measurements start the same way.
    static void nothingLeftToWrite() { ::sync(); }

    // Milliseconds of our split run for the documents, on the shared office.
    double ours(const QStringList& documents, int expectedPages) {
        fk::test::FakePrompts prompts;
        QuietWindow window;
        window.rows = documents;
        window.folder = freshFolder(QStringLiteral("ours"));
        fk::SplitRun run(office_.session(), fk::test::MethodOnly(fk::SplitMethod::Copy), prompts, window);
        QElapsedTimer clock;
        clock.start();
        run.PushButton7_Click();
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        check(window.folder, expectedPages, prompts.messages.size() == 1);
        return elapsed;
    }

    // Milliseconds of the reference script for the same documents, on the same office.
    double theirs(const QStringList& documents, int expectedPages) {
        const QString folder = freshFolder(QStringLiteral("reference"));
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     QStringList{reference_, QStringLiteral("--pipe"), office_.session().process().pipeName(),
                                 QStringLiteral("--output"), folder} +
                         documents);
        python.waitForFinished(-1);
        const QJsonObject result = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        if (python.exitCode() != 0 || !result.contains(QStringLiteral("ms"))) {
            throw BenchFailure("reference script failed:\n" + python.readAllStandardError().toStdString());
        }
        check(folder, expectedPages, true);
        return result.value(QStringLiteral("ms")).toDouble();
    }

    void check(const QString& folder, int expectedPages, bool clean) {
        const auto written = QDir(folder).entryList(QDir::Files).size();
        if (written != expectedPages || !clean) {
            throw BenchFailure("a run stored " + std::to_string(written) + " of " +
                               std::to_string(expectedPages) + " pages" +
                               (clean ? "" : " and reported errors"));
        }
    }

    // A new office that has already split a small document by the given side: every measured run
    // starts on an office of the same age, since an office slows down as it makes documents.
    void freshOffice(bool forReference) {
        office_.session().process().stop();
        const QString warmUp = document(QStringLiteral("warm-up"), 3);
        if (forReference) {
            office_.session().reach();
            theirs({warmUp}, 3);
        } else {
            ours({warmUp}, 3);
        }
    }

    QJsonObject throughput() {
        QJsonArray rows;
        const QList<int> sizes = quick_ ? QList<int>{10, 50} : QList<int>{10, 50, 200};
        const int rounds = quick_ ? 1 : 2;
        for (const int pages : sizes) {
            const QString input = document(QStringLiteral("pages-%1").arg(pages), pages);
            double best = 1e300, bestReference = 1e300;
            for (int round = 0; round < rounds; ++round) {
                // Taking turns to go first, so that neither side always meets a warmer machine.
                for (const bool reference : {round % 2 == 1, round % 2 == 0}) {
                    freshOffice(reference);
                    if (reference) {
                        bestReference = std::min(bestReference, theirs({input}, pages));
                    } else {
                        best = std::min(best, ours({input}, pages));
                    }
                }
            }
            QJsonObject row;
            row[QStringLiteral("pages")] = pages;
            row[QStringLiteral("ours_ms_per_page")] = best / pages;
            row[QStringLiteral("reference_ms_per_page")] = bestReference / pages;
            row[QStringLiteral("ratio")] = best / bestReference;
            rows.append(row);
            std::printf("%-42s %10.1f %10.1f %8.2f   <= 1.00\n",
                        qPrintable(QStringLiteral("ms per page, %1 pages").arg(pages)), best / pages,
                        bestReference / pages, best / bestReference);
            std::fflush(stdout);
        }
        const double first = rows.first().toObject()[QStringLiteral("ours_ms_per_page")].toDouble();
        const double last = rows.last().toObject()[QStringLiteral("ours_ms_per_page")].toDouble();
        const double firstReference =
            rows.first().toObject()[QStringLiteral("reference_ms_per_page")].toDouble();
        const double lastReference =
            rows.last().toObject()[QStringLiteral("reference_ms_per_page")].toDouble();
        std::printf(
            "%-42s %10.2f %10.2f %8s   <= 1.15\n",
            qPrintable(
                QStringLiteral("growth, ms/page at %1 / at %2 pages").arg(sizes.last()).arg(sizes.first())),
            last / first, lastReference / firstReference, "");
        std::fflush(stdout);
        QJsonObject result;
        result[QStringLiteral("sizes")] = rows;
        result[QStringLiteral("growth")] = last / first;
        result[QStringLiteral("reference_growth")] = lastReference / firstReference;
        return result;
    }

    QJsonObject officeMemory() {
        const int documents = 5;
        const int pages = quick_ ? 20 : 100;
        QStringList inputs;
        for (int i = 1; i <= documents; ++i) inputs << document(QStringLiteral("memory-%1").arg(i), pages);
        freshOffice(false);
        const pid_t group = office_.session().process().groupId();
        const long before = GroupResidentKilobytes(group);
        const double elapsed = ours(inputs, documents * pages);
        const long after = GroupResidentKilobytes(group);
        std::printf("%-42s %10.0f %10s %8s\n",
                    qPrintable(QStringLiteral("office MB before %1 pages").arg(documents * pages)),
                    megabytes(before), "", "");
        std::printf("%-42s %10.0f %10s %8s\n", "office MB after", megabytes(after), "", "");
        std::printf("%-42s %10.1f %10s %8s   < 64\n", "office growth MB", megabytes(after - before), "", "");
        QJsonObject result;
        result[QStringLiteral("pages")] = documents * pages;
        result[QStringLiteral("office_mb_before")] = megabytes(before);
        result[QStringLiteral("office_mb_after")] = megabytes(after);
        result[QStringLiteral("office_growth_mb")] = megabytes(after - before);
        result[QStringLiteral("ms_per_page")] = elapsed / (documents * pages);
        return result;
    }

    struct CommandRun {
        double seconds = 0;
        long peakKilobytes = 0;
        int status = -1;
        QString output;  // what it printed, for a failed run
    };

    // folioknife-split as a user runs it, with its own offices and profiles.
    CommandRun command(const QStringList& arguments, const QString& cache) {
        QList<QByteArray> storage{
            QFile::encodeName(fk::ProgramFolder() + QStringLiteral("/folioknife-split"))};
        for (const QString& argument : arguments) storage << argument.toLocal8Bit();
        std::vector<char*> argv;
        for (QByteArray& item : storage) argv.push_back(item.data());
        argv.push_back(nullptr);
        QList<QByteArray> environment{"XDG_CACHE_HOME=" + QFile::encodeName(cache)};
        for (char** variable = environ; *variable != nullptr; ++variable) {
            if (!QByteArray(*variable).startsWith("XDG_CACHE_HOME=")) environment << QByteArray(*variable);
        }
        std::vector<char*> envp;
        for (QByteArray& item : environment) envp.push_back(item.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        const QByteArray log = QFile::encodeName(work_.filePath(QStringLiteral("command.log")));
        posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, log.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
        QElapsedTimer clock;
        clock.start();
        pid_t pid = -1;
        CommandRun run;
        if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), envp.data()) != 0) return run;
        posix_spawn_file_actions_destroy(&files);
        // The process's own high-water mark, read while it runs: wait4's figure would include the
        // offices it reaped. Its end is waited for on a descriptor of the process, which wakes the
        // wait as it ends: a run of 0.2 s measured by looks every 20 ms came out up to 20 ms long.
        const int process = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            run.peakKilobytes = std::max(run.peakKilobytes, HighWaterKilobytes(pid));
            if (process >= 0) {
                pollfd ended{process, POLLIN, 0};
                poll(&ended, 1, 20);
            } else {
                QThread::msleep(5);  // no descriptor: looked for, a little late
            }
        }
        run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (process >= 0) close(process);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -128 - WTERMSIG(status);
        QFile printed(QFile::decodeName(log));
        if (run.status != 0 && printed.open(QIODevice::ReadOnly))
            run.output = QString::fromLocal8Bit(printed.readAll().right(4000));
        return run;
    }

    // Milliseconds of one engine on one document, on the shared office.
    double engineMs(fk::SplitEngine& engine, const QString& document, int expectedPages) {
        const QString folder = roundFolder(QStringLiteral("engine"));
        nothingLeftToWrite();
        fk::SplitObserver quiet;
        QElapsedTimer clock;
        clock.start();
        const fk::SplitResult result = engine.split(document, folder, fk::ProtectedPaths({document}), quiet);
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        check(folder, expectedPages, result.succeeded());
        return elapsed;
    }

    // The least any splitter that lets the office lay out must spend: one load and one store. The
    // office's store renders a thumbnail of the first page unless told not to, as the slicer tells it.
    double floorMs(const QString& document, bool thumbnail = true) {
        fk::LibreOfficeSession& session = office_.session();
        const QString copy = work_.filePath(QStringLiteral("floor.odt"));
        nothingLeftToWrite();
        QElapsedTimer clock;
        clock.start();
        session.reach();
        fk::office::DocumentStore& office = session.documents();
        const fk::office::DocumentRef loaded = office.load(fk::ToFileUrl(document), {.hidden = true});
        office.storeToUrl(loaded, fk::ToFileUrl(copy),
                          {{QStringLiteral("FilterName"), QStringLiteral("writer8")},
                           {QStringLiteral("NoThumbnail"), !thumbnail}});
        office.close(loaded);
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }

    std::vector<int> slicerSizes() const {
        return quick_ ? std::vector<int>{10, 50} : std::vector<int>{10, 50, 200, 500, 1000, 5000};
    }

    // Milliseconds of each stage of the page slicer, run one after the other as the engine runs them.
    struct StageTimes {
        double load = 1e300, layout = 1e300, count = 1e300, mark = 1e300, store = 1e300, cutAndWrite = 1e300;
        double total() const { return load + layout + count + mark + store + cutAndWrite; }
        // The round with the least total: the office lays out during the load in one round and
        // when asked in another, so stages of different rounds do not add up.
        void keepBest(const StageTimes& other) {
            if (other.total() < total()) *this = other;
        }
        QJsonObject json() const {
            return {{QStringLiteral("load"), load},   {QStringLiteral("complete_layout"), layout},
                    {QStringLiteral("count"), count}, {QStringLiteral("mark"), mark},
                    {QStringLiteral("store"), store}, {QStringLiteral("cut_and_write"), cutAndWrite}};
        }
    };

    StageTimes stageMs(const QString& document, int expectedPages) {
        fk::LibreOfficeSession& session = office_.session();
        const QString marked = work_.filePath(QStringLiteral("marked.odt"));
        const QString folder = roundFolder(QStringLiteral("stages"));
        nothingLeftToWrite();
        StageTimes times;
        QElapsedTimer clock;
        const auto lap = [&] {
            const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            clock.restart();
            return elapsed;
        };
        session.reach();
        fk::office::DocumentStore& office = session.documents();
        clock.start();
        const fk::office::DocumentRef loaded = office.load(fk::ToFileUrl(document), {.hidden = true});
        times.load = lap();
        office.completeLayout(loaded);
        times.layout = lap();
        int pages = office.countPages(loaded);
        const int renderedPages = office.countRenderedPages(loaded);
        times.count = lap();
        // Marked as the engine marks them.
        std::vector<fk::slicer::PlannedPage> plan =
            fk::PageMarking(office, session.cursor(), fk::PageMarking::ParagraphStarts::Identified)
                .mark(loaded, pages);
        fk::EndnoteMarking(office).mark(loaded, plan, renderedPages);
        times.mark = lap();
        office.storeToUrl(loaded, fk::ToFileUrl(marked),
                          {{QStringLiteral("FilterName"), QStringLiteral("writer8")},
                           {QStringLiteral("NoThumbnail"), true}});
        times.store = lap();
        office.close(loaded);
        lap();
        const fk::slicer::PackageSlicer slicer(marked.toStdString(), std::move(plan));
        // As many writers as the engine runs on this machine.
        std::atomic<int> next{1}, failed{0};
        std::vector<std::jthread> writers;
        for (unsigned writer = 0; writer < std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
             ++writer) {
            writers.emplace_back([&] {
                for (int page = next++; page <= slicer.pageCount(); page = next++) {
                    try {
                        slicer.writePage(page,
                                         (folder + QStringLiteral("page-%1.odt").arg(page)).toStdString());
                    } catch (const std::exception&) {
                        ++failed;
                    }
                }
            });
        }
        writers.clear();
        times.cutAndWrite = lap();
        check(folder, expectedPages, pages == expectedPages && slicer.issues().empty() && failed == 0);
        return times;
    }

    // The page slicer beside the copy engine and the floor, on the same warm office, best of rounds.
    QJsonArray slicer() {
        QJsonArray rows;
        fk::CopyPageEngine copy(office_.session());
        fk::SlicePageEngine slicer(office_.session());
        fk::SliceThenCopyEngine slice(slicer, copy);
        // The slicer and the floor take a fraction of a second and vary by tens of ms on a busy
        // machine, so they get more rounds than the copy engine, which takes most of a minute.
        // Long documents take seconds a round and vary less in proportion; the copy engine would take
        // minutes on them and is measured up to 200 pages.
        const auto roundsFor = [&](int pages) { return quick_ ? 1 : pages > 200 ? 3 : 5; };
        const int copyRounds = quick_ ? 1 : 2;
        constexpr int kLongestCopied = 200;
        for (const int pages : slicerSizes()) {
            const QString input = textDocument(pages);
            double sliceBest = 1e300, copyBest = 1e300, floorBest = 1e300, bareFloorBest = 1e300;
            double busiestRatio = 0;  // the highest of the rounds' own ratios
            StageTimes stagesBest;
            for (int round = 0; round < roundsFor(pages); ++round) {
                const double floor = floorMs(input);
                floorBest = std::min(floorBest, floor);
                bareFloorBest = std::min(bareFloorBest, floorMs(input, false));
                const double sliced = engineMs(slice, input, pages);
                sliceBest = std::min(sliceBest, sliced);
                busiestRatio = std::max(busiestRatio, sliced / floor);
                stagesBest.keepBest(stageMs(input, pages));
                if (round < copyRounds && pages <= kLongestCopied)
                    copyBest = std::min(copyBest, engineMs(copy, input, pages));
            }
            if (pages <= kLongestCopied)
                std::printf("%-42s %10.0f %10.0f %8.3f   <= 0.2 at 200\n",
                            qPrintable(QStringLiteral("slice / copy ms, %1 pages").arg(pages)), sliceBest,
                            copyBest, sliceBest / copyBest);
            std::printf("%-42s %10.0f %10.0f %8.2f   <= 1.2\n",
                        qPrintable(QStringLiteral("slice / floor ms, %1 pages").arg(pages)), sliceBest,
                        floorBest, sliceBest / floorBest);
            std::printf("%-42s %10s %10s %8.2f   <= 1.3\n",
                        qPrintable(QStringLiteral("  busiest round of %1").arg(roundsFor(pages))), "", "",
                        busiestRatio);
            std::printf("%-42s %10.0f %10.0f %8.2f\n",
                        qPrintable(QStringLiteral("slice / floor without thumbnail, %1").arg(pages)),
                        sliceBest, bareFloorBest, sliceBest / bareFloorBest);
            std::printf("%-42s %10s %10s %8s\n",
                        qPrintable(QStringLiteral("  stages ms: load %1, layout %2, count %3,")
                                       .arg(stagesBest.load, 0, 'f', 0)
                                       .arg(stagesBest.layout, 0, 'f', 0)
                                       .arg(stagesBest.count, 0, 'f', 0)),
                        "", "", "");
            std::printf("%-42s %10s %10s %8s\n",
                        qPrintable(QStringLiteral("    mark %1, store %2, cut+write %3")
                                       .arg(stagesBest.mark, 0, 'f', 0)
                                       .arg(stagesBest.store, 0, 'f', 0)
                                       .arg(stagesBest.cutAndWrite, 0, 'f', 0)),
                        "", "", "");
            std::fflush(stdout);
            QJsonObject row;
            row[QStringLiteral("pages")] = pages;
            row[QStringLiteral("slice_ms")] = sliceBest;
            if (pages <= kLongestCopied) row[QStringLiteral("copy_ms")] = copyBest;
            row[QStringLiteral("floor_ms")] = floorBest;
            row[QStringLiteral("floor_without_thumbnail_ms")] = bareFloorBest;
            row[QStringLiteral("busiest_round_ratio")] = busiestRatio;
            row[QStringLiteral("stages_ms")] = stagesBest.json();
            rows.append(row);
        }
        const QString big = textDocument(quick_ ? 50 : 200);
        const CommandRun run =
            command({QStringLiteral("-o"), freshFolder(QStringLiteral("slice-memory")), big},
                    work_.filePath(QStringLiteral("cache")));
        std::printf("%-42s %10.1f %10s %8s   < 80\n", "folioknife-split --method slice peak MB",
                    megabytes(run.peakKilobytes), "", "");
        return rows;
    }

    QJsonObject jobs() {
        const int count = 8, pages = 20;
        QStringList inputs;
        for (int i = 1; i <= count; ++i) inputs << document(QStringLiteral("jobs-%1").arg(i), pages);
        const QString cache = work_.filePath(QStringLiteral("cache"));
        // Both profiles are made before timing: a first start builds a profile and starts again.
        command({QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("-o"),
                 freshFolder(QStringLiteral("jobs-warm")), document(QStringLiteral("warm-up"), 3),
                 document(QStringLiteral("pages-10"), 10)},
                cache);
        CommandRun one, two;
        const int rounds = quick_ ? 1 : 2;
        one.seconds = two.seconds = 1e300;
        for (int round = 0; round < rounds; ++round) {
            for (const int jobCount : {1, 2}) {
                const QString folder = freshFolder(QStringLiteral("jobs-%1").arg(jobCount));
                const CommandRun run =
                    command(QStringList{QStringLiteral("--jobs"), QString::number(jobCount),
                                        QStringLiteral("-o"), folder} +
                                inputs,
                            cache);
                if (run.status != 0)
                    throw BenchFailure("folioknife-split exited with " + std::to_string(run.status) + ":\n" +
                                       run.output.toStdString());
                check(folder, count * pages, true);
                CommandRun& best = jobCount == 1 ? one : two;
                best.peakKilobytes = std::max(best.peakKilobytes, run.peakKilobytes);
                best.seconds = std::min(best.seconds, run.seconds);
            }
        }
        std::printf("%-42s %10.1f %10s %8s\n",
                    qPrintable(QStringLiteral("--jobs 1 s, %1 x %2 pages").arg(count).arg(pages)),
                    one.seconds, "", "");
        std::printf("%-42s %10.1f %10s %8s\n", "--jobs 2 s", two.seconds, "", "");
        std::printf("%-42s %10.2f %10s %8s   >= 1.6\n", "speed-up", one.seconds / two.seconds, "", "");
        std::printf("%-42s %10.1f %10s %8s   < 80\n", "folioknife-split peak MB, --jobs 1",
                    megabytes(one.peakKilobytes), "", "");
        std::printf("%-42s %10.1f %10s %8s   < 80\n", "folioknife-split peak MB, --jobs 2",
                    megabytes(two.peakKilobytes), "", "");
        QJsonObject result;
        result[QStringLiteral("documents")] = count;
        result[QStringLiteral("pages_each")] = pages;
        result[QStringLiteral("jobs1_seconds")] = one.seconds;
        result[QStringLiteral("jobs2_seconds")] = two.seconds;
        result[QStringLiteral("speedup")] = one.seconds / two.seconds;
        result[QStringLiteral("peak_mb_jobs1")] = megabytes(one.peakKilobytes);
        result[QStringLiteral("peak_mb_jobs2")] = megabytes(two.peakKilobytes);
        return result;
    }

    // The office's own export of the document to one PDF, with the settings the PDF engine uses: the
    // least any one-page PDFs of the office's rendering cost.
    double officePdfMs(const QString& document) {
        fk::LibreOfficeSession& session = office_.session();
        const QString pdf = work_.filePath(QStringLiteral("whole.pdf"));
        QElapsedTimer clock;
        clock.start();
        session.reach();
        fk::office::DocumentStore& office = session.documents();
        const fk::office::DocumentRef loaded = office.load(fk::ToFileUrl(document), {.hidden = true});
        office.storeToUrl(loaded, fk::ToFileUrl(pdf), fk::PdfExportArguments());
        office.close(loaded);
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }

    // --format pdf beside the office's own export of the same document to one PDF, best of rounds.
    QJsonArray pdf() {
        QJsonArray rows;
        fk::PdfPageEngine engine(office_.session());
        const int rounds = quick_ ? 1 : 5;
        for (const int pages : quick_ ? QList<int>{10, 50} : QList<int>{10, 50, 200}) {
            const QString input = document(QStringLiteral("pages-%1").arg(pages), pages);
            double pdfBest = 1e300, exportBest = 1e300;
            for (int round = 0; round < rounds; ++round) {
                exportBest = std::min(exportBest, officePdfMs(input));
                pdfBest = std::min(pdfBest, engineMs(engine, input, pages));
            }
            std::printf("%-42s %10.0f %10.0f %8.2f   <= 1.3\n",
                        qPrintable(QStringLiteral("pdf pages / one PDF ms, %1 pages").arg(pages)), pdfBest,
                        exportBest, pdfBest / exportBest);
            // The cut alone, on one thread, without the disk: what is left of the difference is making
            // and writing the files, and one sync a batch of them.
            QElapsedTimer clock;
            clock.start();
            fk::PdfPageCutter cutter(work_.filePath(QStringLiteral("whole.pdf")));
            for (int page = 1; page <= cutter.pageCount(); ++page) cutter.cut(page, page);
            const double cutMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            std::printf("%-42s %10.0f\n",
                        qPrintable(QStringLiteral("  of which cutting, one thread, %1").arg(pages)), cutMs);
            QJsonObject row;
            row[QStringLiteral("pages")] = pages;
            row[QStringLiteral("pdf_pages_ms")] = pdfBest;
            row[QStringLiteral("office_pdf_ms")] = exportBest;
            row[QStringLiteral("cut_only_ms")] = cutMs;
            rows.append(row);
        }
        return rows;
    }

    // Seconds of what a user would script for one PDF per page: the office's own conversion of the
    // document to PDF, started for it as folioknife-split starts its own, then qpdf's page split.
    double exportThenSplitSeconds(const QString& document, int expectedPages,
                                  const QString& profileName = QStringLiteral("pipeline-profile")) {
        const QString exported = freshFolder(QStringLiteral("pipeline-pdf"));
        const QString pages = freshFolder(QStringLiteral("pipeline-pages"));
        const QString profile = QStringLiteral("-env:UserInstallation=") +
                                QUrl::fromLocalFile(work_.filePath(profileName)).toString();
        QElapsedTimer clock;
        clock.start();
        QProcess office;
        office.start(QStringLiteral("soffice"),
                     {profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                      QStringLiteral("pdf"), QStringLiteral("--outdir"), exported, document});
        office.waitForFinished(-1);
        const QString pdf = exported + QFileInfo(document).completeBaseName() + QStringLiteral(".pdf");
        QProcess qpdf;
        qpdf.start(QStringLiteral("qpdf"),
                   {QStringLiteral("--split-pages"), pdf, pages + QStringLiteral("p-%d.pdf")});
        qpdf.waitForFinished(-1);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (office.exitCode() != 0 || qpdf.exitCode() != 0)
            throw BenchFailure("soffice --convert-to pdf or qpdf --split-pages failed:\n" +
                               qpdf.readAllStandardError().toStdString());
        check(pages, expectedPages, true);
        return seconds;
    }

    // folioknife-split --format pdf as a user runs it beside export-then-split, best of rounds, with
    // both programs' offices started within the measure; and its peak memory beside --format odt's.
    QJsonArray pdfPipeline() {
        QJsonArray rows;
        const QString cache = work_.filePath(QStringLiteral("cache"));
        const QString warmUp = document(QStringLiteral("warm-up"), 3);
        // Profiles made before timing: a first start builds a profile and starts again.
        command({QStringLiteral("-o"), freshFolder(QStringLiteral("pdf-warm")), warmUp}, cache);
        exportThenSplitSeconds(warmUp, 3);
        // A headless office runs its graphics self-test at every start until an office with a window
        // has recorded its version, as it has for a user who once opened it; folioknife-split records
        // it in its own profiles. The pipeline is measured both ways.
        const QString settledProfile = QStringLiteral("pipeline-profile-settled");
        exportThenSplitSeconds(warmUp, 3, settledProfile);
        std::vector<fk::cli::OfficeSetting> settled =
            fk::cli::UnattendedOfficeSettings(fk::OfficeOptions::fromEnvironment().programFolder());
        std::erase_if(settled, [](const auto& setting) { return setting.name != "ooSetupLastVersion"; });
        fk::cli::WriteOfficeSettings(work_.filePath(settledProfile), settled);
        for (const int pages : quick_ ? QList<int>{10, 50} : QList<int>{10, 200, 1000}) {
            const QString input = textDocument(pages);
            // 10 pages take a fifth of a second on either side and vary by tens of ms: more rounds.
            const int rounds = quick_ || pages > 200 ? 1 : pages <= 10 ? 5 : 2;
            CommandRun ours;
            ours.seconds = 1e300;
            double theirs = 1e300, theirsSettled = 1e300;
            for (int round = 0; round < rounds; ++round) {
                const QString folder = freshFolder(QStringLiteral("pdf-command"));
                const CommandRun run = command(
                    {QStringLiteral("--format"), QStringLiteral("pdf"), QStringLiteral("-o"), folder, input},
                    cache);
                if (run.status != 0)
                    throw BenchFailure("folioknife-split --format pdf exited with " +
                                       std::to_string(run.status) + ":\n" + run.output.toStdString());
                check(folder, pages, true);
                ours.seconds = std::min(ours.seconds, run.seconds);
                ours.peakKilobytes = std::max(ours.peakKilobytes, run.peakKilobytes);
                theirs = std::min(theirs, exportThenSplitSeconds(input, pages));
                theirsSettled = std::min(theirsSettled, exportThenSplitSeconds(input, pages, settledProfile));
            }
            const CommandRun odt =
                command({QStringLiteral("-o"), freshFolder(QStringLiteral("odt-command")), input}, cache);
            std::printf("%-42s %10.1f %10.1f %8.2f   < 1.0\n",
                        qPrintable(QStringLiteral("pdf / (export + qpdf split) s, %1").arg(pages)),
                        ours.seconds, theirs, ours.seconds / theirs);
            std::printf("%-42s %10.1f %10.1f %8.2f   < 1.0\n",
                        qPrintable(QStringLiteral("  beside an office once opened, %1").arg(pages)),
                        ours.seconds, theirsSettled, ours.seconds / theirsSettled);
            std::printf("%-42s %10.1f %10.1f %8.2f   <= 2\n",
                        qPrintable(QStringLiteral("  peak MB, --format pdf / odt, %1").arg(pages)),
                        megabytes(ours.peakKilobytes), megabytes(odt.peakKilobytes),
                        static_cast<double>(ours.peakKilobytes) / std::max(1L, odt.peakKilobytes));
            std::fflush(stdout);
            QJsonObject row;
            row[QStringLiteral("pages")] = pages;
            row[QStringLiteral("pdf_seconds")] = ours.seconds;
            row[QStringLiteral("export_then_split_seconds")] = theirs;
            row[QStringLiteral("ratio")] = ours.seconds / theirs;
            row[QStringLiteral("export_then_split_settled_seconds")] = theirsSettled;
            row[QStringLiteral("ratio_settled")] = ours.seconds / theirsSettled;
            row[QStringLiteral("pdf_peak_mb")] = megabytes(ours.peakKilobytes);
            row[QStringLiteral("odt_peak_mb")] = megabytes(odt.peakKilobytes);
            rows.append(row);
        }
        return rows;
    }

    // folioknife-split's estimate of the time left on a 1,000-page document followed by a 40-page one
    // (the reference column: the estimate the live line gave before it followed the office's stages),
    // run as folioknife-split runs them (its job and console progress, its own office started within
    // the measure), read unrounded after every event: its error against the time the run really had
    // left, at 10, 50 and 90 % of the run's pages, and at 10, 50 and 90 % of the run's time after its
    // office came up; beside the error of the estimate the live line gave before.
    QJsonObject progress() {
        const int longPages = quick_ ? 200 : 1000;
        const QStringList inputs{textDocument(longPages), textDocument(40)};
        const int totalPages = longPages + 40;
        fk::cli::ProcessTableOrphans orphans;
        fk::OfficeOptions options = fk::OfficeOptions::fromEnvironment();
        fk::cli::OfficeProfiles profiles(work_.filePath(QStringLiteral("progress-profiles")), 1, orphans,
                                         options.programFolder());
        options.headless = true;
        options.quiet = true;
        options.profileFolder = profiles.folders().at(0);
        const auto runJob = [&](const QStringList& documents, fk::SplitJobEvents& events) {
            fk::SplitJobConfig config;
            config.documents = documents;
            config.outputFolder = freshFolder(QStringLiteral("progress"));
            fk::SplitJob run(
                config,
                [&](int job) {
                    return std::make_unique<fk::cli::LibreOfficeJobOffice>(job, options, profiles);
                },
                events);
            const QList<fk::DocumentResult> results = run.run();
            for (const fk::DocumentResult& result : results) {
                if (!result.succeeded())
                    throw BenchFailure("the progress run failed " + result.path.toStdString());
            }
        };
        // The profile is made beforehand: a first start builds it and starts again.
        fk::test::SilentJobEvents quiet;
        runJob({document(QStringLiteral("warm-up"), 3)}, quiet);
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QElapsedTimer clock;
        fk::cli::ConsoleProgress console(
            outStream, errStream, true, static_cast<int>(inputs.size()),
            [&clock] { return static_cast<double>(clock.nsecsElapsed()) / 1e9; });
        for (const QString& input : inputs)
            console.weigh(input, static_cast<qint64>(fk::slicer::TextBytes(input.toStdString())));
        ProgressSampler sampler(console, clock, static_cast<int>(inputs.size()));
        clock.start();
        runJob(inputs, sampler);
        const double total = static_cast<double>(clock.nsecsElapsed()) / 1e9;

        const auto error = [&](const ProgressSampler::Sample& at, bool former) {
            const double estimate = former ? at.formerLeft : at.left;
            const double truth = total - at.seconds;
            return estimate < 0 || truth <= 0 ? std::nan("") : (estimate - truth) / truth;
        };
        QJsonArray rows;
        const auto print = [&](const QString& where, const ProgressSampler::Sample& at) {
            const double ours = error(at, false), former = error(at, true);
            const auto percent = [](double share) {
                return std::isnan(share) ? QStringLiteral("--") : QString::number(share * 100, 'f', 0) + '%';
            };
            std::printf("%-42s %10s %10s %8s   within 25%%\n",
                        qPrintable(QStringLiteral("time left error, %1").arg(where)),
                        qPrintable(percent(ours)), qPrintable(percent(former)), "");
            std::printf(
                "%-42s %10.2f %10.2f\n",
                qPrintable(QStringLiteral("  s left: estimate / truth at %1 s").arg(at.seconds, 0, 'f', 1)),
                at.left, total - at.seconds);
            std::fflush(stdout);
            QJsonObject row;
            row[QStringLiteral("at")] = where;
            row[QStringLiteral("seconds")] = at.seconds;
            row[QStringLiteral("estimate_s")] = at.left;
            row[QStringLiteral("former_estimate_s")] = at.formerLeft;
            row[QStringLiteral("truth_s")] = total - at.seconds;
            row[QStringLiteral("error")] = ours;
            row[QStringLiteral("former_error")] = former;
            rows.append(row);
        };
        for (const double share : {0.1, 0.5, 0.9}) {
            const auto at = std::find_if(sampler.samples.begin(), sampler.samples.end(),
                                         [&](const auto& s) { return s.pages >= share * totalPages; });
            if (at != sampler.samples.end())
                print(QStringLiteral("%1 % of pages").arg(share * 100, 0, 'f', 0), *at);
        }
        for (const double share : {0.1, 0.5, 0.9}) {
            const double when = sampler.officeUp + share * (total - sampler.officeUp);
            const auto after = std::find_if(sampler.samples.begin(), sampler.samples.end(),
                                            [&](const auto& s) { return s.seconds > when; });
            if (after != sampler.samples.begin())
                print(QStringLiteral("%1 % of time").arg(share * 100, 0, 'f', 0), *std::prev(after));
        }
        std::printf("%-42s %10.1f %10s %8s\n",
                    qPrintable(QStringLiteral("  run s, %1 + 40 pages, office up at").arg(longPages)), total,
                    qPrintable(QString::number(sampler.officeUp, 'f', 1)), "");
        std::printf("%-42s %10d\n", "  office's reports of its stages", sampler.reports);
        std::fflush(stdout);
        QJsonObject result;
        result[QStringLiteral("pages")] = totalPages;
        result[QStringLiteral("run_seconds")] = total;
        result[QStringLiteral("office_up_seconds")] = sampler.officeUp;
        result[QStringLiteral("office_reports")] = sampler.reports;
        result[QStringLiteral("samples")] = rows;
        result[QStringLiteral("input_text_bytes")] =
            QJsonArray{static_cast<qint64>(fk::slicer::TextBytes(inputs[0].toStdString())),
                       static_cast<qint64>(fk::slicer::TextBytes(inputs[1].toStdString()))};
        // Every event's estimate, for a look at where it goes astray.
        QJsonArray trace;
        for (const ProgressSampler::Sample& at : sampler.samples)
            trace.append(QJsonArray{at.seconds, at.event, at.pages, at.left, total - at.seconds});
        result[QStringLiteral("trace")] = trace;
        return result;
    }

    // Seconds of the office's own conversion of the whole document to Word, started for it as
    // folioknife-split starts its own: what a user who wants the document as Word would run.
    double wholeDocxSeconds(const QString& document) {
        const QString converted = freshFolder(QStringLiteral("whole-docx"));
        const QString profile =
            QStringLiteral("-env:UserInstallation=") +
            QUrl::fromLocalFile(work_.filePath(QStringLiteral("pipeline-profile"))).toString();
        QElapsedTimer clock;
        clock.start();
        QProcess office;
        office.start(
            QStringLiteral("soffice"),
            {profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"),
             QStringLiteral("docx:MS Word 2007 XML"), QStringLiteral("--outdir"), converted, document});
        office.waitForFinished(-1);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (office.exitCode() != 0 || QDir(converted).entryList(QDir::Files).size() != 1)
            throw BenchFailure("soffice --convert-to docx failed:\n" +
                               office.readAllStandardError().toStdString());
        return seconds;
    }

    // folioknife-split --format docx as a user runs it beside the office's conversion of the whole
    // document to Word, both offices started within the measure, one round each.
    QJsonArray docx() {
        QJsonArray rows;
        const QString cache = work_.filePath(QStringLiteral("cache"));
        const QString warmUp = document(QStringLiteral("warm-up"), 3);
        // Profiles made before timing: a first start builds a profile and starts again.
        command({QStringLiteral("-o"), freshFolder(QStringLiteral("docx-warm")), warmUp}, cache);
        wholeDocxSeconds(warmUp);
        for (const int pages : quick_ ? QList<int>{10, 50} : QList<int>{10, 200, 1000}) {
            const QString input = textDocument(pages);
            const QString folder = freshFolder(QStringLiteral("docx-command"));
            const CommandRun run = command(
                {QStringLiteral("--format"), QStringLiteral("docx"), QStringLiteral("-o"), folder, input},
                cache);
            if (run.status != 0)
                throw BenchFailure("folioknife-split --format docx exited with " +
                                   std::to_string(run.status) + ":\n" + run.output.toStdString());
            check(folder, pages, true);
            const double whole = wholeDocxSeconds(input);
            std::printf("%-42s %10.1f %10.1f %8.2f   <= 3 at 1000\n",
                        qPrintable(QStringLiteral("docx pages / whole docx s, %1").arg(pages)), run.seconds,
                        whole, run.seconds / whole);
            std::fflush(stdout);
            QJsonObject row;
            row[QStringLiteral("pages")] = pages;
            row[QStringLiteral("docx_seconds")] = run.seconds;
            row[QStringLiteral("whole_docx_seconds")] = whole;
            row[QStringLiteral("ratio")] = run.seconds / whole;
            row[QStringLiteral("docx_peak_mb")] = megabytes(run.peakKilobytes);
            rows.append(row);
        }
        return rows;
    }

private:
    QString reference_;
    bool quick_;
    TestOffice office_;
    QTemporaryDir work_;
    int rounds_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    fk::cli::KeepFreedMemoryForReuse();  // as folioknife-split does, since the engines run in here
    QCoreApplication application(argc, argv);
    QString reference, jsonPath, only;
    bool quick = false;
    const QStringList arguments = application.arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--reference") && i + 1 < arguments.size()) {
            reference = arguments[++i];
        } else if (arguments[i] == QLatin1String("--json") && i + 1 < arguments.size()) {
            jsonPath = arguments[++i];
        } else if (arguments[i] == QLatin1String("--quick")) {
            quick = true;
        } else if (arguments[i] == QLatin1String("--only") && i + 1 < arguments.size()) {
            only = arguments[++i];
        } else {
            std::fprintf(stderr,
                         "usage: folioknife_bench --reference SCRIPT [--json FILE] [--quick] "
                         "[--only slicer|pdf|pdf_pipeline|throughput|office_memory|jobs|progress|docx]\n");
            return 2;
        }
    }
    if (reference.isEmpty()) reference = QStringLiteral(FOLIOKNIFE_SOURCE_DIR "/bench/reference_split.py");

    QJsonObject figures;
    // A failed measurement unwinds through the bench, so that its office is stopped, not left running.
    try {
        Bench bench(reference, quick);
        std::printf("%-42s %10s %10s %8s   %s\n", "measure", "ours", "reference", "ratio", "target");
        const auto wanted = [&](const char* section) {
            return only.isEmpty() || only == QLatin1String(section);
        };
        if (wanted("slicer")) figures[QStringLiteral("slicer")] = bench.slicer();
        if (wanted("pdf")) figures[QStringLiteral("pdf")] = bench.pdf();
        if (wanted("pdf_pipeline")) figures[QStringLiteral("pdf_pipeline")] = bench.pdfPipeline();
        if (wanted("throughput")) figures[QStringLiteral("throughput")] = bench.throughput();
        if (wanted("office_memory")) figures[QStringLiteral("office_memory")] = bench.officeMemory();
        if (wanted("jobs")) figures[QStringLiteral("jobs")] = bench.jobs();
        if (wanted("progress")) figures[QStringLiteral("progress")] = bench.progress();
        if (wanted("docx")) figures[QStringLiteral("docx")] = bench.docx();
    } catch (const BenchFailure& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    if (!jsonPath.isEmpty()) {
        QFile json(jsonPath);
        if (json.open(QIODevice::WriteOnly)) json.write(QJsonDocument(figures).toJson());
        std::printf("figures written to %s\n", qPrintable(jsonPath));
    }
    std::fflush(stdout);
    std::_Exit(0);  // the office is already stopped; UNO's exit handlers would race its threads
}
