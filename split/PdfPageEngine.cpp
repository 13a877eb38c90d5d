#include "split/PdfPageEngine.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "base/Failure.h"
#include "slicer/StagedFile.h"
#include "split/DocumentOpening.h"
#include "split/OutputFolderState.h"
#include "split/PdfExport.h"
#include "split/PdfPageCutter.h"

namespace fk {

bool PdfPageEngine::exportPdf(const QString& path, const QString& pdf, Stages& stages) {
    office::DocumentRef document;
    if (!stages.run(SplitStage::Open, 0,
                    [&] { document = OpenForSplitting(office_.documents(), path, {.hidden = true}); }))
        return false;
    const bool exported = stages.run(SplitStage::Store, 0, [&] {
        office_.documents().storeToUrl(document, ToFileUrl(pdf), PdfExportArguments());
    });
    const bool closed = stages.run(SplitStage::Close, 0, [&] { office_.documents().close(document); });
    return exported && closed;
}

SplitResult PdfPageEngine::split(const QString& path, const QString& outputFolder,
                                 const ProtectedPaths& inputs, SplitObserver& observer) {
    SplitResult result;
    result.method = kMethod;
    Stages stages(result, observer);
    // The office's PDF is kept in a folder of this process's, which a later run removes should this one
    // be killed.
    std::optional<slicer::TemporaryFolder> work;
    try {
        work.emplace(QFile::encodeName(QDir::tempPath() + QStringLiteral("/folioknife-split")).toStdString());
    } catch (const std::system_error& error) {
        stages.fail(
            SplitStage::Store, 0,
            QStringLiteral("no private temporary folder: ") + QString::fromLocal8Bit(error.code().message()));
        return result;
    }
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
    if (outputs.empty()) {
        stages.fail(SplitStage::Slice, 0,
                    QStringLiteral("the page selection names no page of this document, which has %1")
                        .arg(result.pageCount == 1 ? QStringLiteral("1 page")
                                                   : QStringLiteral("%1 pages").arg(result.pageCount)),
                    FailureKind::InvalidArgument);
        return result;
    }
    if (selection_.namesPagesBeyond(result.pageCount))
        observer.noted(
            QStringLiteral("the page selection names pages beyond the last one, %1").arg(result.pageCount));
    whole.reset();
    writeOutputs(bytes, outputs, path, outputFolder, inputs, result, stages, observer);
    return result;
}

void PdfPageEngine::writeOutputs(const std::shared_ptr<const QByteArray>& pdf,
                                 const std::vector<PageSelection::Output>& outputs, const QString& path,
                                 const QString& outputFolder, const ProtectedPaths& inputs,
                                 SplitResult& result, Stages& stages, SplitObserver& observer) const {
    // A few threads cut and write a batch of outputs at once, each with a reading of the PDF's bytes of
    // its own; then the batch is synced at once and named. The observer is told on this thread, in
    // order, as each batch is named.
    struct Outcome {
        std::unique_ptr<slicer::StagedFile> staged;
        std::optional<QString> failure;
        FailureKind kind = FailureKind::Other;
        bool tried = false;
    };
    const int count = static_cast<int>(outputs.size());
    std::vector<Outcome> outcomes(outputs.size());
    const auto fail = [&](Outcome& outcome, const QString& target, const std::system_error& error) {
        outcome.staged.reset();  // the temporary goes
        outcome.failure = QStringLiteral("The page document was not stored: ") + target +
                          QStringLiteral(" (") + QString::fromLocal8Bit(error.code().message()) +
                          QLatin1Char(')');
        outcome.kind = OutputRefusal(FailureKindOfErrno(error.code().value()), outputFolder);
    };
    // Once the folder takes no more files, the outputs not yet begun are not tried: one failure says it.
    std::atomic<bool> folderRefuses{false};
    for (int batchStart = 0; batchStart < count && !folderRefuses; batchStart += kBatch) {
        const int batchEnd = std::min(count, batchStart + kBatch);
        std::atomic<int> next{batchStart};
        std::optional<slicer::FileSystemSync> fileSystem;
        try {
            fileSystem.emplace(QFile::encodeName(outputFolder).toStdString());
        } catch (const std::system_error&) {
            // Each file is synced on its own then.
        }
        auto work = [&] {
            std::optional<PdfPageCutter> cutter;
            while (!folderRefuses) {
                const int index = next++;
                if (index >= batchEnd) break;
                const PageSelection::Output& output = outputs[static_cast<size_t>(index)];
                Outcome& outcome = outcomes[static_cast<size_t>(index)];
                outcome.tried = true;
                const QString target = PageFilePath(outputFolder, path, output.number, OutputFormat::Pdf);
                if (inputs.covers(target)) {
                    outcome.failure = ProtectedPaths::refusal(target);
                    outcome.kind = FailureKind::ProtectedInput;
                    continue;
                }
                try {
                    if (!cutter) cutter.emplace(pdf);
                    const QByteArray bytes = cutter->cut(output.first, output.last);
                    outcome.staged =
                        std::make_unique<slicer::StagedFile>(QFile::encodeName(target).toStdString());
                    outcome.staged->reserve();
                    outcome.staged->write(
                        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
                    outcome.staged->finish();
                } catch (const std::system_error& error) {
                    fail(outcome, target, error);
                } catch (...) {
                    outcome.staged.reset();
                    outcome.failure =
                        DescriptionOf(std::current_exception(), QStringLiteral("unknown error"));
                    outcome.kind = KindOf(std::current_exception());
                }
                if (RefusesEveryPage(outcome.kind)) folderRefuses = true;
            }
        };
        {
            std::vector<std::jthread> threads;
            for (int writer = 0; writer < std::min(kWriters, batchEnd - batchStart); ++writer)
                threads.emplace_back(work);
        }
        // One wait for the disk for the whole batch. Should it fail, each file's own sync below says
        // which of them the disk did not take.
        if (fileSystem) {
            std::vector<slicer::StagedFile*> written;
            for (int index = batchStart; index < batchEnd; ++index) {
                if (slicer::StagedFile* staged = outcomes[static_cast<size_t>(index)].staged.get())
                    written.push_back(staged);
            }
            try {
                fileSystem->sync(written);
            } catch (const std::system_error&) {
            }
        }
        for (int index = batchStart; index < batchEnd; ++index) {
            Outcome& outcome = outcomes[static_cast<size_t>(index)];
            if (!outcome.tried) break;  // never begun: the folder refused earlier outputs
            const PageSelection::Output& output = outputs[static_cast<size_t>(index)];
            const QString target = PageFilePath(outputFolder, path, output.number, OutputFormat::Pdf);
            if (outcome.staged) {
                try {
                    if (!outcome.staged->synced()) outcome.staged->sync();
                    outcome.staged->putInPlace();
                    outcome.staged.reset();
                } catch (const std::system_error& error) {
                    fail(outcome, target, error);
                }
            }
            if (outcome.failure) {
                stages.fail(SplitStage::Store, output.first, *outcome.failure, outcome.kind);
            } else {
                ++result.pagesStored;
                observer.pageStored(output.number, target);
            }
        }
    }
}

}  // namespace fk
