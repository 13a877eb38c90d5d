#include "split/WordPageEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

#include "base/Failure.h"
#include "files/StagedFile.h"
#include "slicer/WordPackageSlicer.h"
#include "split/DocumentOpening.h"
#include "split/OfficeConversion.h"
#include "split/PageMarking.h"
#include "split/PageWriter.h"
#include "split/PrivateFolder.h"

namespace fk {

QString WordPageEngine::notUnderstoodIn(const std::vector<slicer::PlannedPage>& plan, int renderedPages) {
    if (renderedPages != static_cast<int>(plan.size())) return QStringLiteral("endnote pages");
    for (const slicer::PlannedPage& page : plan) {
        if (page.blank) return QStringLiteral("blank pages the layout inserts");
        if (page.approximate) return QStringLiteral("pages that start inside a frame or a text box");
        if (page.openingParagraphBegunBefore || !page.objectsDrawnHere.empty())
            return QStringLiteral("pictures drawn on another page than their paragraph's");
    }
    return {};
}

WordPageEngine::Marked WordPageEngine::markAndStore(const QString& path, const QString& package,
                                                    const QString& pagesFolder, Stages& stages) {
    office::DocumentRef document;
    if (!stages.run(SplitStage::Open, 0,
                    [&] { document = OpenForSplitting(office_, path, {.hidden = true}); }))
        return {};
    office::DocumentStore& documents = office_.documents();
    Marked marked;
    int pageCount = 0;
    int renderedPages = 0;
    const bool done = stages.run(SplitStage::CountPages, 0, [&] {
        documents.completeLayout(document);
        pageCount = documents.countPages(document);
        if (pageCount < 1)
            throw Failure(FailureKind::Damaged, QStringLiteral("the document reports no pages"));
        renderedPages = documents.countRenderedPages(document);
    }) && stages.run(SplitStage::Mark, 0, [&] {
        const int counted = pageCount;
        const std::vector<slicer::PlannedPage> plan =
            PageMarking(documents, office_.cursor()).mark(document, pageCount);
        if (pageCount != counted) renderedPages = documents.countRenderedPages(document);
        marked.notUnderstood = notUnderstoodIn(plan, renderedPages);
    }) && (!marked.notUnderstood.isEmpty() || stages.run(SplitStage::Store, 0, [&] {
                          // As each page converted on its own would be, after the marks, whose places come
                          // from the layout before.
                          documents.runBasic(OfficeConversion::wordLayoutModule(),
                                             OfficeConversion::kWordLayoutFunction, document, {});
                          const std::optional<QStringList> top =
                              documents.runBasic(OfficeConversion::wordLayoutModule(),
                                                 OfficeConversion::kSpaceAtPageTopFunction, document, {});
                          marked.dropSpaceAtPageTop = top && !top->isEmpty();
                          StoreInPrivateFolder(QFileInfo(package).path(), [&] {
                              office::Arguments arguments =
                                  OfficeConversion::storeArguments(OutputFormat::Docx);
                              arguments << LinksFrom(QDir(pagesFolder).filePath(QFileInfo(path).fileName()));
                              documents.storeToUrl(document, ToFileUrl(package), arguments);
                          });
                      }));
    const bool closed = stages.run(SplitStage::Close, 0, [&] { documents.close(document); });
    if (done && closed) marked.pageCount = pageCount;
    return marked;
}

SplitResult WordPageEngine::split(const QString& path, const QString& outputFolder,
                                  const ProtectedPaths& inputs, SplitObserver& observer) {
    SplitResult result;
    result.method = kMethod;
    Stages stages(result, observer);
    const std::optional<files::TemporaryFolder> work = PrivateFolder(stages);
    if (!work) return result;
    const QString package = QFile::decodeName((work->path() / "marked.docx").c_str());
    Marked marked = markAndStore(path, package, outputFolder, stages);
    if (marked.pageCount == 0 || !result.failures.isEmpty()) return result;

    std::optional<slicer::WordPackageSlicer> slicer;
    if (marked.notUnderstood.isEmpty()) {
        try {
            slicer.emplace(
                package.toStdString(), marked.pageCount,
                slicer::WordPackageSlicer::Options{.dropSpaceAtPageTop = marked.dropSpaceAtPageTop});
            marked.notUnderstood = QString::fromStdString(slicer->notUnderstood());
            slicer->placePagesIn(QFile::encodeName(QFileInfo(outputFolder).absoluteFilePath()).toStdString());
        } catch (const std::exception& error) {
            marked.notUnderstood = QString::fromLocal8Bit(error.what());
        }
    }
    // Held in memory from here on.
    QFile::remove(package);
    if (!marked.notUnderstood.isEmpty()) {
        stages.fail(SplitStage::Slice, 0,
                    QStringLiteral("the Word slicer does not understand ") + marked.notUnderstood,
                    FailureKind::NotUnderstood);
        return result;
    }

    // The pages are cut and written without the office.
    observer.officeDone();
    result.pageCount = marked.pageCount;
    observer.pageCountKnown(result.pageCount);
    const std::vector<PageSelection::Output> outputs = selection_.outputs(result.pageCount);
    if (!selection_.isEveryPage()) {
        result.outputsExpected = static_cast<int>(outputs.size());
        result.lastNumber = outputs.empty() ? 0 : outputs.back().number;
        observer.outputCountKnown(result.outputsExpected);
    }
    if (!TellSelectedOutputs(selection_, outputs, result.pageCount, stages, observer)) return result;
    PageWriter(outputFolder, path, OutputFormat::Docx, inputs, result, observer)
        .writeAll(outputs,
                  [&slicer] {
                      return [&slicer](const PageSelection::Output& output) {
                          return QByteArray::fromStdString(slicer->pagesPackage(output.first, output.last));
                      };
                  },
                  {.writers = kWriters});
    return result;
}

}  // namespace fk
