#pragma once

#include <QStringList>

namespace fk {

// Where the adders put documents: the document list, seen from code below it.
class DocumentSink {
public:
    virtual ~DocumentSink() = default;
    // Every row's text, top to bottom.
    virtual QStringList texts() const = 0;
    virtual void AppendDocument(const QString& path) = 0;
};

}  // namespace fk
