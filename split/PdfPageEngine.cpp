#include "split/PdfPageEngine.h"

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <optional>

#include "base/Failure.h"
#include "files/StagedFile.h"
#include "split/DocumentOpening.h"
#include "split/PageWriter.h"
#include "split/PdfExport.h"
#include "split/PdfPageCutter.h"
#include "split/PrivateFolder.h"

namespace fk {

bool PdfPageEngine::exportPdf(const QString& path, const QString& pdf, Stages& stages) {
    // Loaded and exported in one call of the office's, as its own converter prints the document, the
    // fields updated by the export: loaded first and exported in a second call, a document whose fields
    // were stored with other results printed many pages otherwise (see DocumentStore::loadAndStore).
    std::optional<Failure> notStored;
    if (!stages.run(SplitStage::Open, 0, [&] {
            try {
                PrintForSplitting(office_, path, {.hidden = true}, ToFileUrl(pdf), PdfExportArguments());
            } catch (const office::LoadRefused&) {
                throw;
            } catch (const Failure& failure) {
                // An office gone within the call may have gone at the load: told where the run stood.
                if (failure.kind() == FailureKind::OfficeGone) throw;
                notStored = failure;
            }
        }))
        return false;
    if (!notStored) return true;
    stages.run(SplitStage::Store, 0,
               [&] { StoreInPrivateFolder(QFileInfo(pdf).path(), [&] { throw *notStored; }); });
    return false;
}

SplitResult PdfPageEngine::split(const QString& path, const QString& outputFolder,
                                 const ProtectedPaths& inputs, SplitObserver& observer) {
    SplitResult result;
    result.method = kMethod;
    Stages stages(result, observer);
    const std::optional<files::TemporaryFolder> work = PrivateFolder(stages);
    if (!work) return result;
    const QString pdf = QFile::decodeName((work->path() / "document.pdf").c_str());
    if (!exportPdf(path, pdf, stages)) return result;

    // The pages are cut and written without the office.
    observer.officeDone();
    std::shared_ptr<const QByteArray> bytes;
    std::optional<PdfPageCutter> whole;
    if (!stages.run(SplitStage::Slice, 0, [&] { whole.emplace(bytes = PdfPageCutter::read(pdf)); }))
        return result;
    // Held in memory from here on.
    QFile::remove(pdf);
    result.pageCount = whole->pageCount();
    if (result.pageCount < 1) {
        stages.fail(SplitStage::CountPages, 0,
                    QStringLiteral("the office's PDF of the document has no pages"), FailureKind::Damaged);
        return result;
    }
    observer.pageCountKnown(result.pageCount);
    const std::vector<PageSelection::Output> outputs = selection_.outputs(result.pageCount);
    if (!selection_.isEveryPage()) {
        result.outputsExpected = static_cast<int>(outputs.size());
        result.lastNumber = outputs.empty() ? 0 : outputs.back().number;
    }
    if (!TellSelectedOutputs(selection_, outputs, result.pageCount, stages, observer)) return result;
    whole.reset();
    // Each writer parses the PDF's bytes again, with a reading of its own.
    PageWriter(outputFolder, path, OutputFormat::Pdf, inputs, result, observer)
        .writeAll(outputs,
                  [&bytes] {
                      return [cutter = std::make_shared<PdfPageCutter>(bytes)](
                                 const PageSelection::Output& output) {
                          return cutter->cut(output.first, output.last);
                      };
                  },
                  {.writers = kWriters});
    return result;
}

}  // namespace fk
