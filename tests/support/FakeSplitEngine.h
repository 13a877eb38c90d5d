#pragma once

#include <QHash>
#include <QStringList>
#include <functional>

#include "split/SplitEngine.h"

namespace fk::test {

// A split engine that writes a small text file per page ("<document>#<page>") for every document it
// knows, and fails to open the rest.
class FakeSplitEngine : public SplitEngine {
public:
    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override;

    QHash<QString, int> pageCounts;  // document path -> pages
    // Pages that fail to be stored, by document path.
    QHash<QString, QList<int>> failingPages;
    // Called before each document, on the engine's thread; false: the office went away meanwhile.
    std::function<bool(const QString&)> beforeDocument;
    QStringList splitDocuments;
    QString method = QStringLiteral("fake");
};

}  // namespace fk::test
