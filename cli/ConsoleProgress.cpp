#include "cli/ConsoleProgress.h"

#include <cmath>

#include "cli/CommandLine.h"
#include "cli/NativeNames.h"

namespace fk::cli {

namespace {
constexpr int kBarWidth = 24;
const QString kProgramName = QStringLiteral("folioknife-split");

}  // namespace

QString ConsoleProgress::outputsText(int count) const {
    if (unit_ == Unit::Part)
        return count == 1 ? QStringLiteral("1 part") : QStringLiteral("%1 parts").arg(count);
    return count == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(count);
}

QString ConsoleProgress::outputsText(int count, int pagesHeld) const {
    if (unit_ == Unit::Part || pagesHeld == count) return outputsText(count);
    return QStringLiteral("%1 holding %2")
        .arg(count == 1 ? QStringLiteral("1 document") : QStringLiteral("%1 documents").arg(count),
             outputsText(pagesHeld));
}

int BatchSummary::exitStatus() const {
    return failed == 0 && inputProblems == 0 ? kExitSplit : kExitSomeFailed;
}

BatchSummary Summarize(const QList<DocumentResult>& results, int inputProblems, double seconds, int skipped) {
    BatchSummary summary;
    summary.documents = static_cast<int>(results.size()) + skipped;
    summary.skipped = skipped;
    for (const DocumentResult& result : results) {
        if (!result.succeeded()) ++summary.failed;
        summary.pages += result.split.pagesStored;
        summary.pagesHeld += result.pagesHeld();
        if (!result.olderPages.isEmpty()) ++summary.withOlderPages;
    }
    summary.inputProblems = inputProblems;
    summary.seconds = seconds;
    return summary;
}

ConsoleProgress::ConsoleProgress(QTextStream& out, QTextStream& err, bool live, int documentCount,
                                 std::function<double()> secondsSinceStart, bool verbose)
    : out_(out),
      err_(err),
      live_(live),
      documentCount_(documentCount),
      now_(std::move(secondsSinceStart)),
      explanation_(verbose),
      estimate_(documentCount) {}

QString ConsoleProgress::clock(double seconds) {
    const long total = std::lround(std::max(0.0, seconds));
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2").arg((total / 60) % 60).arg(total % 60, 2, 10, QLatin1Char('0'));
    return total >= 3600
               ? QStringLiteral("%1:%2").arg(total / 3600).arg(minutesAndSeconds.rightJustified(5, '0'))
               : minutesAndSeconds;
}

void ConsoleProgress::documentStarted(const QString& path) {
    inProgress_.insert(path, 0);
    estimate_.started(path);
    redraw();
}

void ConsoleProgress::stageReached(const QString& path, SplitStage stage) {
    estimate_.reached(path, stage, now_());
    redraw();
}

// Reports come many a second: the line is drawn again with the next other event or idle().
void ConsoleProgress::stageAdvanced(const QString& path, SplitStage stage, double fraction) {
    estimate_.advanced(path, stage, fraction, now_());
}

void ConsoleProgress::pageStored(const QString& path, int, int pageCount) {
    int& stored = inProgress_[path];
    ++stored;
    ++pages_;
    estimate_.pagesStored(path, stored, pageCount, now_());
    redraw();
}

void ConsoleProgress::report(const QString& path, const QString& text) {
    clearLive();
    err_ << kProgramName << ": " << DisplayName(path) << ": " << DisplayName(text) << "\n";
    err_.flush();
    redraw();
}

void ConsoleProgress::failed(const QString& path, const SplitFailure& failure) {
    report(path, explanation_.text(failure));
}

void ConsoleProgress::documentFinished(const DocumentResult& result) {
    inProgress_.remove(result.path);
    estimate_.finished(result.path, result.split.pagesStored, now_());
    ++finished_;
    if (!live_ && !quiet_) {
        QString outcome;
        if (result.succeeded()) {
            outcome = outputsText(result.split.pagesStored, result.pagesHeld());
        } else if (result.timedOut) {
            outcome =
                QStringLiteral("FAILED (timed out), %1 stored").arg(outputsText(result.split.pagesStored));
        } else if (result.split.expectedOutputs() > 0 &&
                   (unit_ == Unit::Page || result.split.outputsExpected >= 0)) {
            outcome = QStringLiteral("FAILED, %1 of %2 %3 stored")
                          .arg(result.split.pagesStored)
                          .arg(result.split.expectedOutputs())
                          .arg(unitName());
        } else {
            outcome = QStringLiteral("FAILED, %1 stored").arg(outputsText(result.split.pagesStored));
        }
        out_ << QStringLiteral("[%1/%2] %3: %4 in %5 s\n")
                    .arg(finished_)
                    .arg(documentCount_)
                    .arg(DisplayName(result.path), outcome)
                    .arg(result.seconds, 0, 'f', 1);
        out_.flush();
    }
    redraw();
}

void ConsoleProgress::idle() {
    redraw();
}

void ConsoleProgress::problem(const QString& text) {
    clearLive();
    err_ << kProgramName << ": " << DisplayName(text) << "\n";
    err_.flush();
    redraw();
}

QString ConsoleProgress::statusLine() const {
    const double now = now_();
    const double fraction = documentCount_ > 0 ? estimate_.fraction(now) : 1.0;
    const int filled = static_cast<int>(fraction * kBarWidth);
    const std::optional<double> perSecond = estimate_.outputsPerSecond(now);
    const QString rate = perSecond ? QString::number(*perSecond, 'f', 1)
                         : now > 0 ? QString::number(pages_ / now, 'f', 1)
                                   : QStringLiteral("0.0");
    const std::optional<double> secondsLeft = estimate_.secondsLeft(now);
    const QString left = secondsLeft ? clock(*secondsLeft) : QStringLiteral("--:--");
    const QString figures = QStringLiteral("%1/%2 documents  %3 %4  %5 %4/s  %6 left")
                                .arg(finished_)
                                .arg(documentCount_)
                                .arg(pages_)
                                .arg(unitName(), rate, left);
    const QString bar = QStringLiteral("[%1%2] ").arg(QString(filled, QLatin1Char('#')),
                                                      QString(kBarWidth - filled, QLatin1Char('.')));
    // The last column stays free: a line that fills it makes some terminals wrap at once.
    if (columns_ <= 0 || bar.size() + figures.size() < columns_) return bar + figures;
    return figures.left(std::max(0, columns_ - 1));
}

void ConsoleProgress::redraw() {
    if (!live_) return;
    out_ << "\r\x1b[K" << statusLine();
    out_.flush();
    lineShown_ = true;
}

void ConsoleProgress::clearLive() {
    if (!live_ || !lineShown_) return;
    out_ << "\r\x1b[K";
    out_.flush();
    lineShown_ = false;
}

void ConsoleProgress::summary(const BatchSummary& summary) {
    if (quiet_) return;
    if (live_) {
        redraw();
        out_ << "\n";
        lineShown_ = false;
    }
    out_ << QStringLiteral("%1: %2 split, %3 failed%4\n")
                .arg(summary.documents == 1 ? QStringLiteral("1 document")
                                            : QStringLiteral("%1 documents").arg(summary.documents))
                .arg(summary.documents - summary.failed - summary.skipped)
                .arg(summary.failed)
                .arg(summary.skipped > 0 ? QStringLiteral(", %1 skipped").arg(summary.skipped) : QString());
    if (summary.inputProblems > 0)
        out_ << (summary.inputProblems == 1 ? QStringLiteral("1 input was not found or not read fully\n")
                                            : QStringLiteral("%1 inputs were not found or not read fully\n")
                                                  .arg(summary.inputProblems));
    if (summary.withOlderPages > 0)
        out_ << (summary.withOlderPages == 1
                     ? QStringLiteral("1 document has older pages beside its new ones\n")
                     : QStringLiteral("%1 documents have older pages beside their new ones\n")
                           .arg(summary.withOlderPages));
    // Pages are counted as the input's pages; parts as parts.
    const int counted = unit_ == Unit::Part ? summary.pages : summary.pagesHeld;
    const double rate = summary.seconds > 0 ? counted / summary.seconds : 0;
    out_ << QStringLiteral("%1 written in %2 (%3 %4/s)\n")
                .arg(outputsText(summary.pages, summary.pagesHeld))
                .arg(summary.seconds < 60 ? QString::number(summary.seconds, 'f', 1) + QStringLiteral(" s")
                                          : clock(summary.seconds))
                .arg(rate, 0, 'f', 1)
                .arg(unitName());
    out_.flush();
}

}  // namespace fk::cli
