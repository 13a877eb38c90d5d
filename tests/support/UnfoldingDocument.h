#pragma once

#include <QString>

namespace fk::test {

// Writes at `path` a copy of the text package `plain` whose first paragraph carries a comment that
// unfolds to 200 MB of words: small on disk, an office busy for minutes once it loads it.
void WriteUnfoldingDocument(const QString& plain, const QString& path);

}  // namespace fk::test
