#pragma once

#include <QString>

#include "base/Failure.h"

namespace fk {

// Why a folder takes no more files, when that is so: it is gone (NotFound), it may not be written
// (AccessDenied: read-only, no permission) or the file system is full (NoSpace). Other when the
// folder looks able to take files, so that a failed page is that page's own fault.
FailureKind OutputFolderRefusal(const QString& folder);

// The kind a failed page is reported as: a full file system, which fails every page alike, as it is;
// a folder that is gone or may not be written, where the folder says so itself. Anything else, a
// refused rename of another user's file among them, is the page's own failure.
FailureKind OutputRefusal(FailureKind pageFailure, const QString& folder);

// Whether a failure means that no further page can be stored in the folder either.
inline bool RefusesEveryPage(FailureKind kind) {
    return kind == FailureKind::NotFound || kind == FailureKind::AccessDenied || kind == FailureKind::NoSpace;
}

}  // namespace fk
