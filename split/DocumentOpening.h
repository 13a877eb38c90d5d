#pragma once

#include <QString>

#include "base/Failure.h"
#include "split/OfficeSession.h"

namespace fk {

// Loads a document to be split. Where the office refuses it, the refusal is told by its cause, as the
// document and its folder show it at that moment: a name too long for the office's lock file, a
// password, or another office's lock (the failure's message then names who holds it).
office::DocumentRef OpenForSplitting(office::DocumentStore& documents, const QString& path,
                                     const office::LoadOptions& options);

// The failure an office's refusal to open the document stands for: `refusal` itself unless one of
// the causes above applies.
Failure CauseOfRefusal(const QString& path, const Failure& refusal);

// Where the offices of folioknife-split keep their profiles: a lock one of them left is nobody's.
QString OwnOfficeProfilesFolder();

}  // namespace fk
