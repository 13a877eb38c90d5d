#include "FakeSplitEngine.h"

#include <QFile>

namespace fk::test {

SplitResult FakeSplitEngine::split(const QString& documentPath, const QString& outputFolder,
                                   const ProtectedPaths& inputs, SplitObserver& observer) {
    {
        const std::lock_guard lock(*guard);
        splitDocuments << documentPath;
    }
    SplitResult result;
    result.method = method;
    if (tellsOpening) observer.stageReached(SplitStage::Open);
    if (beforeDocument && !beforeDocument(documentPath)) {
        const SplitFailure failure{SplitStage::Open, 0, QStringLiteral("the office went away")};
        result.failures << failure;
        observer.failed(failure);
        return result;
    }
    if (!pageCounts.contains(documentPath)) {
        const SplitFailure failure{SplitStage::Open, 0, QStringLiteral("cannot load ") + documentPath};
        result.failures << failure;
        observer.failed(failure);
        return result;
    }
    result.pageCount = pageCounts.value(documentPath);
    observer.pageCountKnown(result.pageCount);
    if (afterPageCount) afterPageCount(documentPath);
    observer.officeDone();
    if (afterOfficeDone) afterOfficeDone(documentPath);
    const int outputs = (result.pageCount + pagesPerOutput - 1) / pagesPerOutput;
    if (pagesPerOutput > 1) result.outputsExpected = result.lastNumber = outputs;
    for (int page = 1; page <= outputs; ++page) {
        const QString path = PageFilePath(outputFolder, documentPath, page);
        if (inputs.covers(path)) {
            const SplitFailure failure{SplitStage::Store, page, ProtectedPaths::refusal(path),
                                       SplitAction::NamePage};
            result.failures << failure;
            observer.failed(failure);
            continue;
        }
        QFile file(path);
        if (failingPages.value(documentPath).contains(page) || !file.open(QIODevice::WriteOnly)) {
            const SplitFailure failure{SplitStage::Store, page, QStringLiteral("not stored: ") + path,
                                       SplitAction::StorePage};
            result.failures << failure;
            observer.failed(failure);
            continue;
        }
        file.write(
            writtenInstead.value(page, documentPath + QLatin1Char('#') + QString::number(page)).toUtf8());
        ++result.pagesStored;
        observer.pageStored(page, path);
    }
    return result;
}

}  // namespace fk::test
