#pragma once

#include <optional>

#include "files/StagedFile.h"
#include "split/SplitStages.h"

namespace fk {

// A folder of this process's for what an engine keeps on its way to the outputs (the office's marked
// copy or PDF, outputs still to be converted), which a later run removes should this one be killed.
// None, and the document's failure told, when it cannot be made.
std::optional<files::TemporaryFolder> PrivateFolder(SplitStages& stages);

}  // namespace fk
