#pragma once

#include <QString>

namespace fk {

// What keeps the file at `path` from being a complete OpenDocument package: a zip archive whose first
// entry is its stored "mimetype" and whose every entry reads back whole. Empty when it is complete. A
// store cut short (a full disk, a lost office) leaves a file without its directory or with entries
// that do not match their checksums.
QString OdfPackageDefect(const QString& path);

}  // namespace fk
