#pragma once

#include <QString>
#include <optional>

namespace fk {

// The office's lock file beside a document: ".~lock.NAME#", one line "name,system user,host,date,
// profile URL;", the name empty where the user gave the office none. Anyone who can write the document's
// folder can put anything under that name, so it is read from a regular file only, never through a link, and
// no further than a lock file goes: a named pipe, a link to /dev/zero or a file of gigabytes cannot hang a
// run or fill its memory.
class LockFile {
public:
    static constexpr qsizetype kMaxBytes = 4096;

    static QString pathBeside(const QString& documentPath);
    // The lock file's text, decoded from UTF-8; empty when there is none, or none that can be a lock.
    static std::optional<QString> readBeside(const QString& documentPath);

    // Who holds the document, as people read it: "NAME on HOST since DATE", the system user where the
    // name is empty ("another office" when the file says no more), printable characters only, so that a
    // planted lock file can neither move a terminal's cursor nor split a report's line. Empty when the
    // document is not locked, or when `ownProfiles` (a folder) holds the profile of the office that locked
    // it: an office of ours that was stopped holding the document is nobody else.
    static QString holderOf(const QString& documentPath, const QString& ownProfiles = {});
};

}  // namespace fk
