#pragma once

#include <QHash>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>

#include "split/SplitEngine.h"

namespace fk::test {

// A split engine that writes a small text file per page ("<document>#<page>") for every document it
// knows, and fails to open the rest. Like the slicer, it lets the office go once it knows the page
// count, before it writes pages.
class FakeSplitEngine : public SplitEngine {
public:
    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override;

    QHash<QString, int> pageCounts;  // document path -> pages
    // Pages that fail to be stored, by document path.
    QHash<QString, QList<int>> failingPages;
    // Tells the document opened before beforeDocument, as the slicer tells its stages.
    bool tellsOpening = false;
    // Called before each document, on the engine's thread; false: the office went away meanwhile.
    std::function<bool(const QString&)> beforeDocument;
    // Called after the office is let go, before the pages are written, on the engine's thread.
    std::function<void(const QString&)> afterOfficeDone;
    // Runs once the pages are counted, while the office part (and its deadline) still runs.
    std::function<void(const QString&)> afterPageCount;
    QStringList splitDocuments;  // guarded by `guard`: jobs split two documents at once
    std::shared_ptr<std::mutex> guard = std::make_shared<std::mutex>();
    QString method = QStringLiteral("fake");
    // Pages to each output, as --every writes them; the outputs are numbered 1, 2, ...
    int pagesPerOutput = 1;
    // What a page holds instead of "<document>#<page>", by page number, in every document.
    QHash<int, QString> writtenInstead;
};

}  // namespace fk::test
