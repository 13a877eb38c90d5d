#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace fk::cli {

// Whether a file name as the file system holds it is valid UTF-8: only then does it survive the way
// through QString to the office and back.
bool IsUtf8(const QByteArray& nativeName);

// A name as the terminal and log lines show it: valid UTF-8 as it is, but every byte that is not part of
// valid UTF-8, and every control character (C0, DEL, C1, U+2028 and U+2029), as \xHH per byte, and
// every format character (bidi overrides and isolates, zero-width characters; a joiner only where it
// does not stand between characters that need joining) as \u{HHHH}. So the user can find the file,
// and no name can move the cursor, retitle the terminal, break a record across lines or show reversed. Every
// name, and every line that may hold one, passes here on its way out; a text that did already is unchanged by
// a second pass.
QString DisplayName(const QByteArray& nativeName);
QString DisplayName(const QString& name);

// Arguments that are not UTF-8, keyed by the text Qt makes of them (with replacement characters), so
// that such an input is reported by its real name instead of as a file that does not exist.
using NonUtf8Arguments = QHash<QString, QByteArray>;
NonUtf8Arguments FindNonUtf8Arguments(int argc, const char* const* argv);

// Takes C.UTF-8 for characters where the environment's locale is not UTF-8 (LC_ALL=C, no LANG), so that
// names are read and written as UTF-8 in this process too, the office runtime it loads included.
// Called after the application has set the locale from the environment.
void UseUtf8CharacterLocale();

}  // namespace fk::cli
