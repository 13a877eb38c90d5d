#include "split/WordThenConvertingEngine.h"

#include "split/HoldingBackNotUnderstood.h"

namespace fk {

SplitResult WordThenConvertingEngine::split(const QString& documentPath, const QString& outputFolder,
                                            const ProtectedPaths& inputs, SplitObserver& observer) {
    HoldingBackNotUnderstood wordObserver(observer);
    SplitResult result = word_.split(documentPath, outputFolder, inputs, wordObserver);
    if (!wordObserver.held()) return result;
    // Another failure beside it (the office gone, the folder refused) is the document's own.
    if (result.failures.size() != 1) {
        observer.failed(*wordObserver.held());
        return result;
    }
    return converting_.split(documentPath, outputFolder, inputs, observer);
}

}  // namespace fk
