#pragma once

#include <QString>

namespace fk {

// Removes the pipes (sockets named OSL_PIPE_<uid>_<our pipe name>) that offices of ours left in
// `folder` when they were killed: nobody listens on them any more. Pipes an office still listens on,
// and every other pipe, are left alone. Returns how many were removed.
int RemoveDeadOfficePipes(const QString& folder = QStringLiteral("/tmp"));

// Removes what runs of ours on this host left in `folder` when they were killed: the temporaries
// named by our scheme (a page being stored, a run's working folder) whose process is gone. Nothing is
// removed by a looser pattern: a user's "lunch-menu.tmp", another host's temporaries in a shared
// folder and those of runs still going stay. Returns how many were removed.
int RemoveLeftoverTemporaries(const QString& folder);

}  // namespace fk
