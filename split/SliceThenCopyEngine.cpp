#include "split/SliceThenCopyEngine.h"

#include <optional>

#include "split/HoldingBackNotUnderstood.h"

namespace fk {

SplitResult SliceThenCopyEngine::split(const QString& documentPath, const QString& outputFolder,
                                       const ProtectedPaths& inputs, SplitObserver& observer) {
    HoldingBackNotUnderstood sliceObserver(observer);
    SplitResult result = slicer_.split(documentPath, outputFolder, inputs, sliceObserver);
    if (!sliceObserver.held()) return result;

    SplitFailure notUnderstood = *sliceObserver.held();
    const bool everyPage = slicer_.selection().isEveryPage() && slicer_.headingLevel() == 0;
    if (result.failures.size() == 1 && everyPage) {
        observer.noted(QStringLiteral("split with the copy method instead: ") + notUnderstood.message);
        return copy_.split(documentPath, outputFolder, inputs, observer);
    }
    if (slicer_.headingLevel() > 0)
        notUnderstood.message += QStringLiteral("; the copy method cannot cut at headings");
    else if (!everyPage)
        notUnderstood.message += QStringLiteral("; a page selection cannot be split with the copy method");
    for (SplitFailure& failure : result.failures) {
        if (failure.kind == FailureKind::NotUnderstood) failure = notUnderstood;
    }
    observer.failed(notUnderstood);
    return result;
}

}  // namespace fk
