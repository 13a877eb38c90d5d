#include "split/SlicePageEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <thread>

#include "base/Failure.h"
#include "files/StagedFile.h"
#include "slicer/PackageSlicer.h"
#include "split/DocumentOpening.h"
#include "split/EndnoteMarking.h"
#include "split/HeadingMarking.h"
#include "split/PageMarking.h"
#include "split/PageWriter.h"
#include "split/PrivateFolder.h"

namespace fk {

// The document as the office has it loaded; closed unsaved when the split is done with it, for the
// marks live only in our copy.
class SlicePageEngine::LoadedDocument {
public:
    LoadedDocument(office::DocumentStore& documents, Stages& stages)
        : documents_(documents), stages_(stages) {}
    ~LoadedDocument() { close(); }
    LoadedDocument(const LoadedDocument&) = delete;
    LoadedDocument& operator=(const LoadedDocument&) = delete;

    void close() {
        if (!ref) return;
        stages_.run(SplitStage::Close, 0, [&] { documents_.close(ref); });
        ref.reset();
    }

    office::DocumentRef ref;

private:
    office::DocumentStore& documents_;
    Stages& stages_;
};

SlicePageEngine::Marks SlicePageEngine::markAndStore(const QString& path, const QString& package,
                                                     const QString& pagesFolder, LoadedDocument& document,
                                                     Stages& stages) {
    if (!stages.run(SplitStage::Open, 0,
                    [&] { document.ref = OpenForSplitting(office_, path, {.hidden = true}); }))
        return {};

    Marks marks;
    std::vector<slicer::PlannedPage>& plan = marks.plan;
    int pageCount = 0;
    int renderedPages = 0;  // endnote pages included
    const bool marked = stages.run(SplitStage::CountPages, 0, [&] {
        office_.documents().completeLayout(document.ref);
        pageCount = office_.documents().countPages(document.ref);
        if (pageCount < 1)
            throw Failure(FailureKind::Damaged, QStringLiteral("the document reports no pages"));
        renderedPages = office_.documents().countRenderedPages(document.ref);
    }) && stages.run(SplitStage::Mark, 0, [&] {
        const int counted = pageCount;
        plan = PageMarking(office_.documents(), office_.cursor(), PageMarking::ParagraphStarts::Identified)
                   .mark(document.ref, pageCount);
        if (pageCount != counted) renderedPages = office_.documents().countRenderedPages(document.ref);
        EndnoteMarking(office_.documents()).mark(document.ref, plan, renderedPages);
        // After the page marks, whose places are taken from the layout before any mark goes in.
        if (headingLevel_ > 0)
            marks.headings = HeadingMarking(office_.documents()).mark(document.ref, headingLevel_);
    }) && stages.run(SplitStage::Store, 0, [&] {
        // No thumbnail: the office would render the first page for it, and no page keeps it.
        StoreInPrivateFolder(QFileInfo(package).path(), [&] {
            office_.documents().storeToUrl(
                document.ref, ToFileUrl(package),
                {{QStringLiteral("FilterName"), QStringLiteral("writer8")},
                 {QStringLiteral("NoThumbnail"), true},
                 LinksFrom(QDir(pagesFolder).filePath(QFileInfo(path).fileName()))});
        });
    });
    return marked ? marks : Marks{};
}

SplitResult SlicePageEngine::split(const QString& path, const QString& outputFolder,
                                   const ProtectedPaths& inputs, SplitObserver& observer) {
    SplitResult result;
    result.method = kMethod;
    Stages stages(result, observer);
    const std::optional<files::TemporaryFolder> work = PrivateFolder(stages);
    if (!work) return result;
    const QString package = QFile::decodeName((work->path() / "marked.odt").c_str());
    LoadedDocument document(office_.documents(), stages);
    Marks marks;
    std::unique_ptr<slicer::PackageSlicer> slicer;
    QString notUnderstood;
    std::vector<int> unmarkedPages;
    for (int attempt = 1;; ++attempt) {
        marks = markAndStore(path, package, outputFolder, document, stages);
        if (marks.plan.empty() || !result.failures.isEmpty()) {
            document.close();  // here, so that a failure to close is in the result too
            return result;
        }
        notUnderstood = readMarkedPackage(package, marks, slicer, unmarkedPages);
        // The slicer holds the package in memory now: the marked copy of the document is not kept a
        // moment longer than that.
        QFile::remove(package);
        // The office can still be moving page breaks while it marks them (seen with many pictures in
        // a new profile); the document is loaded and marked once more before the slicer gives up.
        if (attempt > 1 || !slicer || !slicer->layoutMovedWhileMarked()) break;
        document.close();
        if (!result.failures.isEmpty()) return result;
    }
    result.pageCount = static_cast<int>(marks.plan.size());
    observer.pageCountKnown(result.pageCount);
    if (slicer) slicer->markOrigin(QFileInfo(path).fileName().toStdString());

    document.close();
    if (!result.failures.isEmpty()) return result;
    if (!notUnderstood.isEmpty()) {
        stages.fail(SplitStage::Slice, 0, QStringLiteral("the slicer does not understand ") + notUnderstood,
                    FailureKind::NotUnderstood);
        return result;
    }

    // The pages are cut and written without the office.
    observer.officeDone();
    std::vector<PageSelection::Output> outputs = plannedOutputs(*slicer, result);
    if (result.outputsExpected >= 0) observer.outputCountKnown(result.outputsExpected);
    if (!TellSelectedOutputs(selection_, outputs, result.pageCount, stages, observer)) return result;
    noteApproximatePages(marks.plan, unmarkedPages, outputs, observer);
    PageWriter writer(outputFolder, path, OutputFormat::Odt, inputs, result, observer);
    writeOutputs(*slicer, outputs, writer);
    return result;
}

std::vector<PageSelection::Output> SlicePageEngine::plannedOutputs(const slicer::PackageSlicer& slicer,
                                                                   SplitResult& result) const {
    std::vector<PageSelection::Output> outputs;
    if (headingLevel_ > 0) {
        // A part's pages stand in the output's place for failures; it is written by its number.
        for (int k = 1; k <= slicer.partCount(); ++k) {
            const slicer::PartSpan& part = slicer.part(k);
            outputs.push_back({part.firstPage, part.lastPage, k});
            result.parts.append({QString::fromStdString(part.heading), part.firstPage, part.lastPage});
        }
    } else {
        outputs = selection_.outputs(result.pageCount);
        if (selection_.isEveryPage()) return outputs;
    }
    result.outputsExpected = static_cast<int>(outputs.size());
    result.lastNumber = outputs.empty() ? 0 : outputs.back().number;
    return outputs;
}

QString SlicePageEngine::readMarkedPackage(const QString& package, const Marks& marks,
                                           std::unique_ptr<slicer::PackageSlicer>& slicer,
                                           std::vector<int>& unmarkedPages) {
    slicer.reset();
    unmarkedPages.clear();
    QString notUnderstood;
    try {
        slicer = std::make_unique<slicer::PackageSlicer>(package.toStdString(), marks.plan, marks.headings);
        for (const slicer::SliceIssue& issue : slicer->issues()) {
            if (issue.unmarked) {
                unmarkedPages.push_back(issue.page);
                continue;
            }
            if (!notUnderstood.isEmpty()) notUnderstood += QStringLiteral("; ");
            notUnderstood +=
                issue.page > 0
                    ? QStringLiteral("page %1: %2").arg(issue.page).arg(QString::fromStdString(issue.what))
                    : QString::fromStdString(issue.what);
        }
    } catch (const std::exception& error) {
        // Memory running out on a huge package included: the document is not cut, and says why.
        notUnderstood = QString::fromLocal8Bit(error.what());
    }
    return notUnderstood;
}

void SlicePageEngine::noteApproximatePages(const std::vector<slicer::PlannedPage>& plan,
                                           const std::vector<int>& unmarkedPages,
                                           const std::vector<PageSelection::Output>& outputs,
                                           SplitObserver& observer) {
    // Every page is written, so that no page number is missing and output k stays page k; where the
    // office gave no mark at the page's start, the page is cut at the nearest place it did give, which is
    // told, not failed.
    const auto written = [&](int page) {
        return std::any_of(outputs.begin(), outputs.end(), [page](const PageSelection::Output& output) {
            return output.first <= page && page <= output.last;
        });
    };
    for (int page = 1; page <= static_cast<int>(plan.size()); ++page) {
        if (!written(page)) continue;
        if (std::find(unmarkedPages.begin(), unmarkedPages.end(), page) != unmarkedPages.end())
            observer.noted(
                QStringLiteral("page %1 is approximate: it starts inside something the office gives no "
                               "mark (a frame or a text box), so its content is in the output of the "
                               "page before")
                    .arg(page));
        else if (plan[static_cast<size_t>(page - 1)].approximate)
            observer.noted(
                QStringLiteral("page %1 is approximate: the office gave no mark where it starts, so it "
                               "is cut at its first line that took one")
                    .arg(page));
    }
}

void SlicePageEngine::writeOutputs(const slicer::PackageSlicer& slicer,
                                   const std::vector<PageSelection::Output>& outputs,
                                   PageWriter& writer) const {
    // Outputs are independent of each other and of the office, so a few threads cut them at once.
    const bool parts = headingLevel_ > 0;
    const int writers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxWriters);
    writer.writeAll(
        outputs,
        [&slicer, parts] {
            return [&slicer, parts](const PageSelection::Output& output) {
                return QByteArray::fromStdString(parts ? slicer.partPackage(output.number)
                                                       : slicer.pagesPackage(output.first, output.last));
            };
        },
        {.writers = writers});
}

}  // namespace fk
