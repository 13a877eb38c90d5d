#pragma once

#include <QHash>
#include <QString>
#include <optional>

#include "split/DocumentWork.h"

namespace fk::cli {

// How far a run has come and how long it has left, from the work its documents have done rather than
// the pages written so far, which come in a burst once the office is done with a document. Each
// document weighs as much as its text (slicer::TextBytes), plus what every document costs whatever its
// size, and is as far as its stages, the office's reports and its pages say (DocumentWork). The work
// goes at the pace the run had kept, when last told of, since an office first began on a document (an
// office's start is paid once, before that), slower only once a stage outlasts it; until a document's layout,
// which reports nothing, has been waited out once, at a pace assumed from the text's size. Between reports a
// document is taken to go on at that pace, up to the end of the stage it is in (a report behind that
// reckoning does not set it back: the store reports little at first and most at the end; pages written are
// taken as they are). A document's pages are written while the office takes the next: the time left runs to
// the last of them to end, and the offices' stop. Once a document's pages are told in a second batch without
// the office, the rest are taken at the pace of those batches: of those written beside an office at work
// while an office works on the documents after it (itself slowed by them), then of those written alone.
class RunEstimate {
public:
    explicit RunEstimate(int documentCount) : documentCount_(documentCount) {}

    // The document's text in bytes. Documents not weighed weigh as much as the average of those that
    // are, and all alike when none is.
    void weigh(const QString& path, qint64 textBytes);

    void started(const QString& path);
    void reached(const QString& path, SplitStage stage, double now);
    void advanced(const QString& path, SplitStage stage, double fraction, double now);
    // `stored` of the document's `count` outputs are written.
    void pagesStored(const QString& path, int stored, int count, double now);
    // The office is done with the document: its pages still to come are written without it.
    void officeDone(const QString& path);
    void finished(const QString& path, int outputs, double now);

    // The run's work done, 0 to 1.
    double fraction(double now) const;
    // Nothing until an office has begun on a document.
    std::optional<double> secondsLeft(double now) const;
    // Outputs a second that the work done stands for, counted where a document's outputs are known and
    // reckoned from its weight where they are not; nothing until some are known.
    std::optional<double> outputsPerSecond(double now) const;

    // What every document costs beyond its text (opening, closing, naming its outputs), in bytes of
    // text: about thirty pages.
    static constexpr double kDocumentBytes = 64 * 1024;
    // The pace assumed before the run has kept one: seconds a byte of text takes from load to the last
    // page (1,000 pages of text and 40 more, 1.9 MB, in 2.3 to 2.6 s on two cores with nothing else
    // running and 2.9 s on two busy ones, the office's idle work off).
    static constexpr double kSecondsPerByte = 1.35e-6;
    // What the run has left once the last page is written: its offices are stopped while the last
    // document's pages are written, so only the end of the run itself (about 0.01 s).
    static constexpr double kStopSeconds = 0.01;
    // The time a page takes once no office works beside it, against the run's pace: 0.2 ms a page of a
    // 1,000-page text against 0.46 on two cores, where the writers then have both to themselves.
    static constexpr double kPagesAloneShare = 0.45;
    // Tells of outputs this close together are of one batch: a batch's are told one after the other as
    // its files are named, microseconds apart, and batches are milliseconds apart.
    static constexpr double kBatchGapSeconds = 0.002;
    // A batch of pages written once no office works beside it, against one written while an office
    // works: 23 to 25 ms for 100 pages of text against 31 to 37 on two cores.
    static constexpr double kBatchesAloneShare = 0.7;
    // The office's pace while a document's pages are written beside it, against the run's: the 40 pages
    // after 1,000 took the office 0.27 s beside their writing, twice what their weight gives.
    static constexpr double kOfficeBesidePagesShare = 0.5;

    // A document's pages still to be written, once the office is done with it, and the pace its batches
    // after the first took beside an office at work and alone.
    struct ObservedPages {
        double pages;
        double besidePerPage, alonePerPage;  // seconds
        double sinceLastBatch;               // since the last batch began to be told
    };
    struct PagesOutlook {
        double seconds;       // from now until the last of the pages is written
        double officeLonger;  // what writing them beside the office adds to the office's time
    };
    // The pages go at the pace beside an office for as long as an office works on (`officeSeconds` of
    // its work at its own pace, which it does at kOfficeBesidePagesShare of that pace beside them), and
    // at the pace alone after.
    static PagesOutlook PagesBesideOffice(const ObservedPages& observed, double officeSeconds);

private:
    // Seconds that batches of pages took, and their pages.
    struct BatchPace {
        double seconds = 0;
        int pages = 0;
    };

    struct Document {
        DocumentWork work;
        double begun = -1;          // when the office began on it; -1 not yet
        double lastChange = -1;     // when its work was last told
        double reckoned = 0;        // how far it was taken to be then
        int outputs = 0;            // 0 while unknown
        int stored = 0;             // outputs told written so far
        double storedAt = -1;       // when the last of them was told
        int storedBeforeBatch = 0;  // of those, the ones told before the batch being told
        int lastBatchSize = 0;      // outputs in the batch told before that one; 0 before it
        double batchToldAt = -1;    // when the batch being told began to be told
        double previousBatchToldAt = -1;
        double firstBatchToldAt = -1;
        int firstBatchSize = 0;  // known once the second batch is told
        // The batches after the first whose size is known, written beside an office at work and alone,
        // as things stood when the batch before each was told; and how they stood for the batch being
        // told, and when it began to be told.
        BatchPace besideOffice, alone;
        bool tellingAlone = false;
        bool idleAtLastBatch = false;
        bool officeDone = false;
        bool finished = false;
    };

    // How far the document was last told to be, or reckoned to be then.
    static double told(const Document& document);
    double weightOf(const QString& path) const;
    double totalWeight() const;
    // Seconds a unit of weight takes; nothing while no pace is known.
    std::optional<double> secondsPerWeight(double now) const;
    double done(const QString& path, const Document& document, std::optional<double> pace, double now) const;
    double weightDone(double now) const;
    double workSeconds(double now) const;
    // Nothing before a second batch of the document's pages is told.
    static std::optional<ObservedPages> observedPages(const Document& document, double now);
    // No office has a document left to work on.
    bool officesIdle() const;
    Document& document(const QString& path, double now);
    // `reckon`: a report behind the reckoning leaves it; else the report is taken as it is.
    template <typename Update>
    void update(const QString& path, Document& document, double now, bool reckon, Update&& change);

    int documentCount_;
    QHash<QString, double> weights_;
    QHash<QString, Document> documents_;
    double workBegun_ = -1;   // the first office stage of the run; -1 not yet
    bool paceKept_ = false;   // a document has gone past its layout, or written pages
    double toldWeight_ = 0;   // the work told done, summed over the documents
    double toldSeconds_ = 0;  // the run's work seconds when it was last told
};

}  // namespace fk::cli
