#pragma once

#include <memory>

#include "split/OfficeSession.h"

namespace fk {

// The office one job of a split job splits its documents on.
class JobOffice {
public:
    virtual ~JobOffice() = default;
    virtual office::OfficeSession& session() = 0;
    // Starts an office unless one is listening; throws Failure when none can be started.
    virtual void ensureStarted() = 0;
    // Kills an office that does not answer; called from another thread while a call may be waiting.
    virtual void abandon() = 0;
    // Removes a lock file beside the document that an office of ours left when it was killed (by a
    // deadline, a crash or an interrupted run): the office would refuse the document because of it.
    virtual void clearStaleLock(const QString& documentPath) = 0;
    // After this job's office was lost: removes the lock files it left on page documents it had
    // open in the folder, which would keep the next office from storing them again.
    virtual void clearLocksLeftIn(const QString& folder) = 0;
    // The job has no further document for the office, and the last one is done with it: an office the
    // job owns may be stopped now, while that document's pages are still being written.
    virtual void release() {}
};

}  // namespace fk
