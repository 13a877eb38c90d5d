#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "files/StagedFile.h"
#include "split/SplitStages.h"

namespace fk {

// A folder of this process's for what an engine keeps on its way to the outputs (the office's marked
// copy or PDF, outputs still to be converted), which a later run removes should this one be killed.
// None, and the document's failure told, when it cannot be made.
std::optional<files::TemporaryFolder> PrivateFolder(SplitStages& stages);

// Runs `store`, the office storing into the private folder `folder`. Its failure, where the folder
// then takes no more files (a full or read-only $TMPDIR, the folder removed), is the folder's and
// names it; otherwise it is the office's, as it was.
// The failure of a temporary folder (by default $TMPDIR) that takes no more files: full, read-only or
// gone, naming it; nothing while it takes files. The office keeps its own temporary files there too,
// and loads no document without them.
std::optional<Failure> TemporaryFolderRefusal(const QString& folder = {});

void StoreInPrivateFolder(const QString& folder, const std::function<void()>& store);

}  // namespace fk
