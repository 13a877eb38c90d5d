#include "split/PageWriter.h"

#include <QFile>
#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "base/Failure.h"
#include "files/StagedFile.h"
#include "split/OutputFolderState.h"

namespace fk {

namespace {

QString notStored(const QString& target, const std::system_error& error) {
    return QStringLiteral("The page document was not stored: ") + target + QStringLiteral(" (") +
           QString::fromLocal8Bit(error.code().message()) + QLatin1Char(')');
}

}  // namespace

PageWriter::PageWriter(QString outputFolder, QString documentPath, OutputFormat format,
                       const ProtectedPaths& inputs, SplitResult& result, SplitObserver& observer)
    : outputFolder_(std::move(outputFolder)),
      documentPath_(std::move(documentPath)),
      format_(format),
      inputs_(inputs),
      result_(result),
      observer_(observer) {}

QString PageWriter::pathOf(int number) const {
    return PageFilePath(outputFolder_, documentPath_, number, format_);
}

FailureKind PageWriter::refusal(FailureKind failure) const {
    return OutputRefusal(failure, outputFolder_);
}

bool PageWriter::failsEveryLaterOutput(FailureKind kind) {
    // A later output's name is never shorter than an earlier one's.
    return RefusesEveryPage(kind) || kind == FailureKind::NameTooLong;
}

void PageWriter::fail(int page, const QString& message, FailureKind kind) {
    // Outputs begun at once (several writers) meet the same refusal: it is told once for the document.
    if (failsEveryLaterOutput(kind)) {
        if (refusalTold_) return;
        refusalTold_ = true;
    }
    const SplitFailure failure{SplitStage::Store, page, message, SplitAction::Unnamed, kind};
    result_.failures.append(failure);
    observer_.failed(failure);
}

void PageWriter::stored(int number) {
    ++result_.pagesStored;
    observer_.pageStored(number, pathOf(number));
}

void PageWriter::stage(int number, std::optional<StagedPageFile>& staged) const {
    const QString target = pathOf(number);
    if (inputs_.covers(target)) throw Failure(FailureKind::ProtectedInput, ProtectedPaths::refusal(target));
    staged.emplace(target);
}

void PageWriter::store(StagedPageFile& staged, const std::function<void(const QString& stagingPath)>& store) {
    try {
        staged.reserve();
        store(staged.stagingPath());
        staged.commit();
    } catch (...) {
        // The office's own store says little of why it failed; the folder tells whether every later
        // output would fail alike.
        const FailureKind kind = refusal(KindOf(std::current_exception()));
        if (failsEveryLaterOutput(kind)) folderRefuses_ = true;
        throw Failure(kind, DescriptionOf(std::current_exception()));
    }
}

bool PageWriter::write(int number, const std::function<void(const QString& target)>& write) {
    if (folderRefuses_ || observer_.stopRequested()) return false;  // told once already, or not wanted
    const QString target = pathOf(number);
    try {
        if (inputs_.covers(target))
            throw Failure(FailureKind::ProtectedInput, ProtectedPaths::refusal(target));
        write(target);
    } catch (...) {
        FailureKind kind = KindOf(std::current_exception());
        if (kind != FailureKind::ProtectedInput) kind = refusal(kind);
        if (failsEveryLaterOutput(kind)) folderRefuses_ = true;
        fail(number, DescriptionOf(std::current_exception(), QStringLiteral("unknown error")), kind);
        return false;
    }
    stored(number);
    return true;
}

void PageWriter::writeAll(const std::vector<PageSelection::Output>& outputs,
                          const std::function<Cutter()>& newCutter, Parallelism parallelism) {
    // A few threads cut and stage a batch of outputs at once; then the batch is synced at once and
    // named, and told on this thread, in order.
    struct Outcome {
        std::unique_ptr<files::StagedFile> staged;
        std::optional<QString> failure;
        FailureKind kind = FailureKind::Other;
        bool tried = false;
    };
    const int count = static_cast<int>(outputs.size());
    std::vector<Outcome> outcomes(outputs.size());
    const auto failWith = [&](Outcome& outcome, const QString& target, const std::system_error& error) {
        outcome.staged.reset();  // the temporary goes
        outcome.failure = notStored(target, error);
        outcome.kind = refusal(FailureKindOfErrno(error.code().value()));
    };
    // Once the folder takes no more files, the outputs not yet begun are not tried. An output once
    // taken is always finished.
    // Each writer keeps its cutter from one batch to the next.
    std::vector<Cutter> cutters(static_cast<size_t>(std::max(1, parallelism.writers)));
    std::atomic<bool> refuses{folderRefuses_};
    // A stopped run begins no further output either; each writer asks before it takes one.
    const auto goOn = [&] { return !refuses && !observer_.stopRequested(); };
    for (int batchStart = 0; batchStart < count && goOn(); batchStart += parallelism.batch) {
        const int batchEnd = std::min(count, batchStart + parallelism.batch);
        std::atomic<int> next{batchStart};
        std::optional<files::FileSystemSync> fileSystem;
        try {
            fileSystem.emplace(QFile::encodeName(outputFolder_).toStdString());
        } catch (const std::system_error&) {
            // Each file is synced on its own then.
        }
        auto work = [&](Cutter& cut) {
            while (goOn()) {
                const int index = next++;
                if (index >= batchEnd) break;
                const PageSelection::Output& output = outputs[static_cast<size_t>(index)];
                Outcome& outcome = outcomes[static_cast<size_t>(index)];
                outcome.tried = true;
                const QString target = pathOf(output.number);
                if (inputs_.covers(target)) {
                    outcome.failure = ProtectedPaths::refusal(target);
                    outcome.kind = FailureKind::ProtectedInput;
                    continue;
                }
                try {
                    if (!cut) {
                        cut = newCutter();
                        // A cutter can take seconds to make (a PDF is parsed whole): the run may have
                        // been stopped meanwhile.
                        if (!goOn()) {
                            outcome.tried = false;
                            break;
                        }
                    }
                    const QByteArray bytes = cut(output);
                    outcome.staged =
                        std::make_unique<files::StagedFile>(QFile::encodeName(target).toStdString());
                    outcome.staged->reserve();
                    outcome.staged->write(
                        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
                    outcome.staged->finish();
                } catch (const std::system_error& error) {
                    failWith(outcome, target, error);
                } catch (...) {
                    outcome.staged.reset();
                    outcome.failure =
                        DescriptionOf(std::current_exception(), QStringLiteral("unknown error"));
                    outcome.kind = KindOf(std::current_exception());
                }
                if (failsEveryLaterOutput(outcome.kind)) refuses = true;
            }
        };
        {
            std::vector<std::jthread> threads;
            const int writers = std::clamp(parallelism.writers, 1, batchEnd - batchStart);
            for (int writer = 0; writer < writers; ++writer)
                threads.emplace_back(work, std::ref(cutters[static_cast<size_t>(writer)]));
        }
        // One wait for the disk for the whole batch. Should it fail, each file's own sync below says
        // which of them the disk did not take.
        if (fileSystem) {
            std::vector<files::StagedFile*> written;
            for (int index = batchStart; index < batchEnd; ++index) {
                if (files::StagedFile* staged = outcomes[static_cast<size_t>(index)].staged.get())
                    written.push_back(staged);
            }
            try {
                fileSystem->sync(written);
            } catch (const std::system_error&) {
            }
        }
        for (int index = batchStart; index < batchEnd; ++index) {
            Outcome& outcome = outcomes[static_cast<size_t>(index)];
            // Never begun: the folder refused an output, or the run stops. A writer that was still making
            // its cutter gives its output up when another's output was refused, so an output after it can
            // hold the refusal to tell.
            if (!outcome.tried) continue;
            const PageSelection::Output& output = outputs[static_cast<size_t>(index)];
            if (outcome.staged) {
                try {
                    if (!outcome.staged->synced()) outcome.staged->sync();
                    outcome.staged->putInPlace();
                    outcome.staged.reset();
                } catch (const std::system_error& error) {
                    failWith(outcome, pathOf(output.number), error);
                    if (failsEveryLaterOutput(outcome.kind)) refuses = true;
                }
            }
            if (outcome.failure)
                fail(output.first, *outcome.failure, outcome.kind);
            else
                stored(output.number);
        }
    }
    folderRefuses_ = refuses;
}

}  // namespace fk
