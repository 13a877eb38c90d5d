#include "cli/RunEstimate.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace fk::cli {

void RunEstimate::weigh(const QString& path, qint64 textBytes) {
    weights_.insert(path, static_cast<double>(std::max<qint64>(0, textBytes)) + kDocumentBytes);
}

double RunEstimate::weightOf(const QString& path) const {
    if (const auto found = weights_.constFind(path); found != weights_.cend()) return *found;
    if (weights_.isEmpty()) return 1;
    double sum = 0;
    for (const double weight : weights_) sum += weight;
    return sum / static_cast<double>(weights_.size());
}

double RunEstimate::totalWeight() const {
    // Documents not weighed count as the average; the run may hold more documents than were weighed.
    double total = 0;
    int counted = 0;
    for (auto weight = weights_.cbegin(); weight != weights_.cend(); ++weight) {
        total += *weight;
        ++counted;
    }
    for (auto document = documents_.cbegin(); document != documents_.cend(); ++document) {
        if (!weights_.contains(document.key())) {
            total += weightOf(document.key());
            ++counted;
        }
    }
    if (counted < documentCount_) total += (documentCount_ - counted) * weightOf(QString());
    return total;
}

RunEstimate::Document& RunEstimate::document(const QString& path, double now) {
    Document& document = documents_[path];
    if (document.begun < 0) {
        document.begun = now;
        document.lastChange = now;
        if (workBegun_ < 0) workBegun_ = now;
    }
    return document;
}

template <typename Update>
void RunEstimate::update(const QString& path, Document& document, double now, bool reckon, Update&& change) {
    const double reckoned = reckon ? done(path, document, secondsPerWeight(now), now) : 0;
    const double toldBefore = told(document);
    change(document.work);
    document.reckoned = std::min(reckoned, document.work.stageEnd());
    document.lastChange = now;
    toldWeight_ += weightOf(path) * (told(document) - toldBefore);
    toldSeconds_ = workSeconds(now);
    // Past the layout the time the work took so far says how long the rest takes.
    if (document.work.done() >= DocumentWork::SpanOf(SplitStage::CountPages)->end) paceKept_ = true;
}

void RunEstimate::started(const QString& path) {
    documents_[path];
}

void RunEstimate::reached(const QString& path, SplitStage stage, double now) {
    update(path, document(path, now), now, true, [&](DocumentWork& work) { work.reached(stage); });
}

void RunEstimate::advanced(const QString& path, SplitStage stage, double fraction, double now) {
    update(path, document(path, now), now, true, [&](DocumentWork& work) { work.advanced(stage, fraction); });
}

void RunEstimate::pagesStored(const QString& path, int stored, int count, double now) {
    Document& written = documents_[path];
    written.outputs = count;
    // Outputs are told a batch at a time, right after the batch is written: a tell that comes later
    // than kBatchGapSeconds after the one before begins a batch.
    if (written.storedAt < 0 || now - written.storedAt > kBatchGapSeconds) {
        written.lastBatchSize = written.storedAt < 0 ? 0 : written.stored - written.storedBeforeBatch;
        // The batch told last was written since the one before it was told.
        if (written.firstBatchSize > 0) {
            BatchPace& pace = written.tellingAlone ? written.alone : written.besideOffice;
            pace.seconds += written.batchToldAt - written.previousBatchToldAt;
            pace.pages += written.lastBatchSize;
        }
        written.storedBeforeBatch = written.stored;
        written.previousBatchToldAt = written.batchToldAt;
        written.batchToldAt = now;
        // A batch is written after the one before it is told: as things stood then it goes.
        written.tellingAlone = written.idleAtLastBatch;
        written.idleAtLastBatch = officesIdle();
        if (written.firstBatchToldAt < 0)
            written.firstBatchToldAt = now;
        else if (written.firstBatchSize == 0)
            written.firstBatchSize = written.stored;
    }
    written.stored = stored;
    written.storedAt = now;
    paceKept_ = true;
    update(path, written, now, false, [&](DocumentWork& work) { work.pagesStored(stored, count); });
}

void RunEstimate::officeDone(const QString& path) {
    documents_[path].officeDone = true;
}

std::optional<RunEstimate::ObservedPages> RunEstimate::observedPages(const Document& document, double now) {
    if (document.finished || !document.officeDone || document.firstBatchSize <= 0) return std::nullopt;
    // When a batch begins to be told, all of it is written: taken to be as large as the one before, the
    // tells still to come of the batch being told are not taken for work still to do. The pace is that
    // of the batches after the first, which also holds the reading of the package.
    const int written = std::min(document.outputs, document.storedBeforeBatch + document.lastBatchSize);
    if (written <= document.firstBatchSize || document.batchToldAt <= document.firstBatchToldAt)
        return std::nullopt;
    BatchPace besideOffice = document.besideOffice, alone = document.alone;
    BatchPace& telling = document.tellingAlone ? alone : besideOffice;
    telling.seconds += document.batchToldAt - document.previousBatchToldAt;
    telling.pages += written - document.storedBeforeBatch;
    const auto perPage = [](const BatchPace& pace, const BatchPace& otherwise, double share) {
        if (pace.pages > 0) return pace.seconds / pace.pages;
        return otherwise.pages > 0 ? otherwise.seconds / otherwise.pages * share : 0.0;
    };
    return ObservedPages{static_cast<double>(document.outputs - written),
                         perPage(besideOffice, alone, 1 / kBatchesAloneShare),
                         perPage(alone, besideOffice, kBatchesAloneShare), now - document.batchToldAt};
}

RunEstimate::PagesOutlook RunEstimate::PagesBesideOffice(const ObservedPages& observed,
                                                         double officeSeconds) {
    // Counted from when the last batch began to be told; the office at work since then, if it is now.
    const double since = observed.sinceLastBatch;
    const double office = officeSeconds > 0 ? since + officeSeconds / kOfficeBesidePagesShare : 0;
    const double beside = observed.pages * observed.besidePerPage;
    if (beside <= office || observed.besidePerPage <= 0) {
        const double left = std::max(0.0, beside - since);
        return {left, left * (1 - kOfficeBesidePagesShare)};
    }
    const double all = office + (observed.pages - office / observed.besidePerPage) * observed.alonePerPage;
    return {std::max(0.0, all - since), officeSeconds / kOfficeBesidePagesShare - officeSeconds};
}

bool RunEstimate::officesIdle() const {
    return static_cast<qsizetype>(documentCount_) <= documents_.size() &&
           std::all_of(documents_.cbegin(), documents_.cend(),
                       [](const Document& d) { return d.finished || d.officeDone; });
}

void RunEstimate::finished(const QString& path, int outputs, double now) {
    Document& ended = documents_[path];
    ended.finished = true;
    ended.outputs = outputs;
    update(path, ended, now, false, [](DocumentWork& work) { work.finished(); });
}

double RunEstimate::told(const Document& document) {
    return std::max(document.work.done(), document.reckoned);
}

std::optional<double> RunEstimate::secondsPerWeight(double now) const {
    if (paceKept_) {
        // The pace as of the last tell holds until the work reckoned at it, which stops at the end of
        // each document's stage, falls behind the time gone: a silent stage (the store's word count)
        // does not slow the run's pace while it lasts no longer than that pace allows.
        const std::optional<double> toldPace =
            toldWeight_ > 0 && toldSeconds_ > 0 ? std::optional(toldSeconds_ / toldWeight_) : std::nullopt;
        double reckoned = 0;
        for (auto document = documents_.cbegin(); document != documents_.cend(); ++document)
            reckoned += weightOf(document.key()) * done(document.key(), *document, toldPace, now);
        if (reckoned > 0 && workSeconds(now) > 0)
            return std::max(toldPace.value_or(0), workSeconds(now) / reckoned);
    }
    // Weights are bytes of text only where documents were weighed.
    if (workBegun_ >= 0 && !weights_.isEmpty()) return kSecondsPerByte;
    return std::nullopt;
}

double RunEstimate::done(const QString& path, const Document& document, std::optional<double> pace,
                         double now) const {
    const double told = std::max(document.work.done(), document.reckoned);
    if (document.finished || document.begun < 0 || !pace) return told;
    // The run's pace carried on since the document was last told of, to the end of the stage it is in.
    const double perSecond = 1 / (weightOf(path) * *pace);
    return std::min(document.work.stageEnd(), told + perSecond * std::max(0.0, now - document.lastChange));
}

double RunEstimate::weightDone(double now) const {
    const std::optional<double> pace = secondsPerWeight(now);
    double done = 0;
    for (auto document = documents_.cbegin(); document != documents_.cend(); ++document)
        done += weightOf(document.key()) * this->done(document.key(), *document, pace, now);
    return done;
}

double RunEstimate::workSeconds(double now) const {
    return now - std::max(0.0, workBegun_);
}

double RunEstimate::fraction(double now) const {
    const double total = totalWeight();
    return total > 0 ? std::clamp(weightDone(now) / total, 0.0, 1.0) : 1;
}

std::optional<double> RunEstimate::secondsLeft(double now) const {
    const std::optional<double> pace = secondsPerWeight(now);
    if (!pace) return std::nullopt;
    // The office takes the documents one after the other, and each document's pages are written once
    // the office is done with it, while the office takes the next: the run ends when the last of those
    // does. Documents go in the order they were begun, those not begun after them.
    struct Left {
        double begun, office, pages;  // seconds
        std::optional<ObservedPages> observed;
    };
    // The pages written once the office has no document left go faster, with the processor to
    // themselves; not those an office writes itself (the copy method, conversions).
    const bool officeIdle = officesIdle();
    const double pagesPace = *pace * (officeIdle ? kPagesAloneShare : 1);
    std::vector<Left> lefts;
    const double officeShare = DocumentWork::OfficeShare();
    double restWeight = totalWeight();
    int restCount = documentCount_;
    for (auto document = documents_.cbegin(); document != documents_.cend(); ++document) {
        const double weight = weightOf(document.key());
        const double done = this->done(document.key(), *document, pace, now);
        restWeight -= weight;
        --restCount;
        const double pages =
            weight * (1 - (document->work.writingPages() ? done : std::max(done, officeShare)));
        lefts.push_back({document->begun < 0 ? std::numeric_limits<double>::infinity() : document->begun,
                         (weight * (1 - done) - pages) * *pace, pages * pagesPace,
                         observedPages(*document, now)});
    }
    std::stable_sort(lefts.begin(), lefts.end(),
                     [](const Left& a, const Left& b) { return a.begun < b.begun; });
    if (restCount > 0 && restWeight > 0)
        lefts.push_back({std::numeric_limits<double>::infinity(), restWeight * officeShare * *pace,
                         restWeight / restCount * (1 - officeShare) * *pace, std::nullopt});
    double officeLeft = 0;
    for (const Left& left : lefts) officeLeft += std::max(0.0, left.office);
    // A document's pages whose pace is known go at it while the office works on the documents after
    // it, and faster once it is done; the office, sharing the processor with them, goes slower too.
    double office = 0, end = 0;
    for (const Left& left : lefts) {
        office += std::max(0.0, left.office);
        if (left.observed) {
            const PagesOutlook outlook =
                PagesBesideOffice(*left.observed, std::max(0.0, officeLeft - office));
            end = std::max(end, office + outlook.seconds);
            office += outlook.officeLonger;
        } else {
            end = std::max(end, office + left.pages);
        }
    }
    return std::max(end, office) + kStopSeconds;
}

std::optional<double> RunEstimate::outputsPerSecond(double now) const {
    const double seconds = workSeconds(now);
    double outputs = 0, knownOutputs = 0, knownWeight = 0;
    for (auto document = documents_.cbegin(); document != documents_.cend(); ++document) {
        if (document->outputs <= 0) continue;
        outputs += document->outputs * done(document.key(), *document, secondsPerWeight(now), now);
        knownOutputs += document->outputs;
        knownWeight += weightOf(document.key());
    }
    if (knownOutputs <= 0 || seconds <= 0) return std::nullopt;
    // A document whose outputs are not known yet has as many for its weight as those that are known.
    for (auto document = documents_.cbegin(); document != documents_.cend(); ++document) {
        if (document->outputs <= 0)
            outputs += knownOutputs / knownWeight * weightOf(document.key()) *
                       done(document.key(), *document, secondsPerWeight(now), now);
    }
    return outputs / seconds;
}

}  // namespace fk::cli
