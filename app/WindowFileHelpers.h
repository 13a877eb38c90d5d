#pragma once

#include <QString>
#include <QStringList>

#include "app/Platform.h"
#include "fsutil/FileHelpers.h"

namespace fk {

// Names found by GetFilesInFolder, indexed from 1. When nothing was found it has the single
// index 0 holding the empty text, so that a loop from 1 to upperBound() does nothing.
class FileNameList {
public:
    int upperBound() const { return static_cast<int>(names_.size()); }
    const QString& at(int index) const;  // 1..upperBound(); index 0 of an empty list is ""
    const QStringList& names() const { return names_; }

private:
    friend FileNameList GetFilesInFolder(const QString&, const QString&, QChar);
    QStringList names_;
};

bool FileExistsEx(const QString& path);
QString GetFileNameFromPath(const QString& path, QChar separator = platform::kPathSeparator);

// Regular files of `folder` whose names match the wildcard `pattern` (case-insensitive; "*.*" matches
// every name), in name order (see SortNamesAsListed). Throws Failure when a folder that exists cannot
// be read.
FileNameList GetFilesInFolder(const QString& folder, const QString& pattern,
                              QChar separator = platform::kPathSeparator);

// Attribute bits of fk::attr for the entry; throws Failure (path not found) when it cannot be read.
int FileAttributes(const QString& path);

bool MatchesWildcard(const QString& name, const QString& pattern);

}  // namespace fk
