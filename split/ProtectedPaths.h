#pragma once

#include <QSet>
#include <QStringList>

namespace fk {

// The documents of one run, which no page of that run may replace. Paths are compared with the links
// and dots of their folders resolved, so that another spelling of a document's folder still names the
// document; a document that is itself a link is protected under both its own name and its target's.
class ProtectedPaths {
public:
    ProtectedPaths() = default;
    explicit ProtectedPaths(const QStringList& paths);

    // Whether a file stored at `path` (renamed into place there) would replace one of the documents.
    bool covers(const QString& path) const;

    // The failure text for a page that is not stored because of it.
    static QString refusal(const QString& path);

private:
    // The folder entry a path names: its folder resolved, its own name as it is.
    static QString entryOf(const QString& path);

    QSet<QString> entries_;
};

}  // namespace fk
