#pragma once

#include <QIODevice>
#include <QStringList>
#include <optional>

#include "cli/NativeNames.h"

namespace fk::cli {

// Names read from a list, as --files-from gives them: one a line (a final line without its newline
// included, a carriage return before the newline kept as part of the name, empty lines skipped), or
// separated by NUL bytes, as find -print0 writes them. Names that are not UTF-8 are added to
// `nonUtf8`, so that they are reported by their real name.
struct FileList {
    QStringList names;
    QString error;  // not empty: the list could not be read whole
};

inline constexpr qint64 kMaxFileListBytes = qint64{1} << 30;

// At most `maxBytes` are read: a list larger than that is an error, not a truncated batch.
FileList ReadFileList(QIODevice& device, bool nulSeparated, NonUtf8Arguments& nonUtf8,
                      qint64 maxBytes = kMaxFileListBytes);

}  // namespace fk::cli
