#pragma once

#include <QString>

namespace fk {

// Where the adders put documents: the document list, seen from code below it.
class DocumentSink {
public:
    virtual ~DocumentSink() = default;
    // True when a row's text equals the path exactly.
    virtual bool contains(const QString& path) const = 0;
    virtual void AppendDocument(const QString& path) = 0;
};

}  // namespace fk
