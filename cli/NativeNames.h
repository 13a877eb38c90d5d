#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace fk::cli {

// Whether a file name as the file system holds it is valid UTF-8: only then does it survive the way
// through QString to the office and back.
bool IsUtf8(const QByteArray& nativeName);

// A native name for messages: valid UTF-8 as it is, every other byte as \xHH, so that the user can
// find the file.
QString DisplayName(const QByteArray& nativeName);

// Arguments that are not UTF-8, keyed by the text Qt makes of them (with replacement characters), so
// that such an input is reported by its real name instead of as a file that does not exist.
using NonUtf8Arguments = QHash<QString, QByteArray>;
NonUtf8Arguments FindNonUtf8Arguments(int argc, const char* const* argv);

}  // namespace fk::cli
