#pragma once

#include <QString>

namespace fk {

class DocumentSink;

// Repairs the doubled separators that joining a folder and a name can produce. On Windows a leading
// run of separators becomes the network prefix "\\"; on POSIX it becomes the root "/".
QString NormalizePath(const QString& path, QChar separator = QLatin1Char('/'));

// True when a row's text equals the path exactly (case-sensitive, untrimmed).
bool IsInList(const DocumentSink& list, const QString& path);

}  // namespace fk
