#pragma once

#include <QStringList>

#include "split/OutputNames.h"

namespace fk {

// The page documents an earlier, longer split of the same document left in the output folder: the
// files after the last one this split writes, NAME_(last+1).odt, NAME_(last+2).odt ... as long as they
// follow one another, in the format this split writes (pages of another format are not this split's
// to speak of). They are kept, and the user is told.
QStringList OlderPagesAfter(const QString& outputFolder, const QString& documentPath, int lastOutputNumber,
                            OutputFormat format = OutputFormat::Odt);

// "doc_0003.odt" or "doc_0003.odt to doc_0005.odt".
QString OlderPagesText(const QStringList& olderPages);

}  // namespace fk
