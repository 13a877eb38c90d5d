#pragma once

#include <QString>

#include "base/Platform.h"

namespace fk {

class DocumentSink;

// Repairs the doubled separators that joining a folder and a name can produce. On Windows a leading
// run of separators becomes the network prefix "\\"; on POSIX it becomes the root "/".
QString NormalizePath(const QString& path, QChar separator = platform::kPathSeparator);

// True when a row's text equals the path exactly (case-sensitive, untrimmed).
bool IsInList(const DocumentSink& list, const QString& path);

}  // namespace fk
