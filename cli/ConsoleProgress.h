#pragma once

#include <QHash>
#include <QTextStream>
#include <functional>

#include "cli/FailureExplanation.h"
#include "cli/RunEstimate.h"
#include "split/SplitJob.h"

namespace fk::cli {

struct BatchSummary {
    int documents = 0;
    int failed = 0;
    int skipped = 0;    // split by an earlier run and left alone (--resume); counted in `documents`
    int pages = 0;      // the outputs written: pages, parts, or documents of several pages each
    int pagesHeld = 0;  // the input pages those hold
    int inputProblems = 0;
    int withOlderPages = 0;  // documents whose earlier, longer split left pages beside the new ones
    double seconds = 0;
    int exitStatus() const;
};

BatchSummary Summarize(const QList<DocumentResult>& results, int inputProblems, double seconds,
                       int skipped = 0);

// Progress and errors of a command-line run. On a terminal one live line (a bar, documents and
// pages done, rate, time left) that error reports interrupt; otherwise one line per document. The bar,
// the rate and the time left follow the run's work (RunEstimate), the office's stages included. Names
// and reports are shown as DisplayName shows them: one line each, nothing that steers the terminal.
class ConsoleProgress : public SplitJobEvents {
public:
    ConsoleProgress(QTextStream& out, QTextStream& err, bool live, int documentCount,
                    std::function<double()> secondsSinceStart, bool verbose = false);

    void documentStarted(const QString& path) override;
    void stageReached(const QString& path, SplitStage stage) override;
    void stageAdvanced(const QString& path, SplitStage stage, double fraction) override;
    void pageStored(const QString& path, int page, int pageCount) override;
    void officeDone(const QString& path) override { estimate_.officeDone(path); }
    void failed(const QString& path, const SplitFailure& failure) override;
    void noted(const QString& path, const QString& text) override { report(path, text); }
    // A line on the document, interrupting the live line.
    void report(const QString& path, const QString& text);
    void documentFinished(const DocumentResult& result) override;
    void idle() override;

    // A document weighs as much as its text (slicer::TextBytes) in the estimate of the run's work.
    void weigh(const QString& path, qint64 textBytes) { estimate_.weigh(path, textBytes); }
    // The time left as the live line would show it; nothing until some work is done.
    std::optional<double> secondsLeft() const { return estimate_.secondsLeft(now_()); }

    // Outputs are counted as parts, not pages: the documents are cut at their headings.
    void cutAtHeadings() { unit_ = Unit::Part; }
    // The live line fits in this many columns, so that it never wraps and cannot be redrawn.
    void fitTo(int columns) { columns_ = columns; }
    // Nothing on standard output: no progress, no lines per document, no summary. Errors stay.
    void quiet() {
        quiet_ = true;
        live_ = false;
    }

    // A problem outside any document (an input that cannot be read).
    void problem(const QString& text);
    void summary(const BatchSummary& summary);

    static QString clock(double seconds);

private:
    enum class Unit { Page, Part };
    QString outputsText(int count) const;
    // "9 documents holding 60 pages" where outputs hold several pages each, else as outputsText.
    QString outputsText(int count, int pagesHeld) const;
    QString unitName() const {
        return unit_ == Unit::Part ? QStringLiteral("parts") : QStringLiteral("pages");
    }
    QString statusLine() const;
    void redraw();
    void clearLive();

    QTextStream& out_;
    QTextStream& err_;
    bool live_;
    int documentCount_;
    std::function<double()> now_;
    FailureExplanation explanation_;
    int finished_ = 0;
    int pages_ = 0;
    QHash<QString, int> inProgress_;  // path -> pages stored
    RunEstimate estimate_;
    bool lineShown_ = false;
    Unit unit_ = Unit::Page;
    int columns_ = 0;  // 0: as wide as the line is
    bool quiet_ = false;
};

}  // namespace fk::cli
