#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "split/OutputNames.h"
#include "split/PageSelection.h"
#include "split/SplitEngine.h"
#include "split/StagedPageFile.h"

namespace fk {

// Writes the outputs of one document's split into the output folder, the same way for every engine:
// output N is named after the document and N; an output that would replace one of the run's documents
// is failed and never written; each output is made under a private name and renamed into place only
// once complete; a folder that takes no more files stops the writing after the outputs already begun,
// so that it costs one failure and not one per output; a run asked to stop begins no further output;
// and each output stored is counted in the
// result and told to the observer, in order.
//
// Failures and stored outputs go into the result and to the observer on the thread that calls; the
// writers writeAll() starts never call the observer.
class PageWriter {
public:
    PageWriter(QString outputFolder, QString documentPath, OutputFormat format, const ProtectedPaths& inputs,
               SplitResult& result, SplitObserver& observer);

    QString pathOf(int number) const;
    // Whether the folder refused an output in a way that refuses every later one too.
    bool folderRefuses() const { return folderRefuses_; }

    // For a writer in another process (the office) that stores one output at a time, in steps whose
    // failures the caller reports. Names output `number` and chooses its private name; throws
    // Failure(ProtectedInput) when it would replace one of the run's documents.
    void stage(int number, std::optional<StagedPageFile>& staged) const;
    // Has `store` write the staged file, and puts it in place. Throws Failure of the kind the folder's
    // state makes it; a folder that takes no more files is remembered (folderRefuses()).
    void store(StagedPageFile& staged, const std::function<void(const QString& stagingPath)>& store);
    // Counts output `number` as stored and tells the observer.
    void stored(int number);

    // For a writer that puts its file in place itself, one output at a time: `write` makes output
    // `number` at the given path. Its failure goes into the result; once the folder refused, nothing
    // more is tried. True when stored.
    bool write(int number, const std::function<void(const QString& target)>& write);

    // Makes the bytes of one output; throws when it cannot.
    using Cutter = std::function<QByteArray(const PageSelection::Output&)>;
    struct Parallelism {
        int writers = 1;
        // Outputs written before they are synced, at once, and named: few enough that a long
        // document's first outputs take their names early and the temporaries waiting stay few.
        int batch = 100;
    };
    // Writes many outputs made without the office: `newCutter` gives each writer thread a cutter of its
    // own, made when the thread takes its first output. A failed output's page is its first.
    void writeAll(const std::vector<PageSelection::Output>& outputs, const std::function<Cutter()>& newCutter,
                  Parallelism parallelism);

private:
    // The kind a failed store is reported as, given the folder's state.
    FailureKind refusal(FailureKind failure) const;
    // A full or lost folder, or a name too long: no later output could be stored either.
    static bool failsEveryLaterOutput(FailureKind kind);
    void fail(int page, const QString& message, FailureKind kind);

    QString outputFolder_;
    QString documentPath_;
    OutputFormat format_;
    const ProtectedPaths& inputs_;
    SplitResult& result_;
    SplitObserver& observer_;
    bool folderRefuses_ = false;
    bool refusalTold_ = false;
};

}  // namespace fk
