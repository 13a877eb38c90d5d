#pragma once

#include <QString>

#include "base/Failure.h"
#include "split/OfficeSession.h"

namespace fk {

// Loads a document to be split. Before the office is asked, the name of its lock file is looked at:
// anything but a regular file there (a named pipe would block the office for good) fails the document
// untouched. Where the office refuses it, the refusal is told by its cause, as the document and its
// folder show it at that moment (a document that is no longer there vanished during the run); a
// document the office reads only with its plain-text fallback is
// closed again and failed as damaged, for its pages would be mojibake.
office::DocumentRef OpenForSplitting(office::OfficeSession& office, const QString& path,
                                     const office::LoadOptions& options);

// Has the office load the document as OpenForSplitting does and store it at targetUrl in the same call
// (see DocumentStore::loadAndStore): how the office's own converter prints it. A document that is not
// opened throws LoadRefused with the cause OpenForSplitting would throw; a refused store, the office's
// Failure.
void PrintForSplitting(office::OfficeSession& office, const QString& path, const office::LoadOptions& options,
                       const QString& targetUrl, const office::Arguments& storeArguments);

// The failure an office's refusal to open the document stands for: a name too long for the office's
// lock file, a password, or another office's lock (the message then names who
// holds it; a lock of `ownProfile`, the refusing office's own, is nobody else's); else `refusal`.
Failure CauseOfRefusal(const QString& path, const Failure& refusal, const QString& ownProfile = {});

// What stands at the name of the document's lock file, where it is not a regular file or nothing:
// "a named pipe", "a link", ...; empty otherwise.
QString UnsafeLockFileKind(const QString& documentPath);

// Where the offices of folioknife-split keep their profiles.
QString OwnOfficeProfilesFolder();

}  // namespace fk
