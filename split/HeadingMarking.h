#pragma once

#include <QStringList>
#include <string>
#include <vector>

#include "split/OfficeSession.h"

namespace fk {

// Marks, in a loaded document, the start of every heading of the outline down to a level, with a
// bookmark of the slicer's (slicer::HeadingMarkName), and tells each heading's text. Only headings in
// the body's flow count (sections included); one in a table, frame, header or note opens no part.
class HeadingMarking {
public:
    explicit HeadingMarking(office::DocumentStore& documents) : documents_(documents) {}

    // Marks the headings of levels 1 to deepestLevel, runs after the page marks are in, and returns
    // their texts in document order. Throws Failure when the office fails or cannot run Basic: there
    // is no call-by-call way to find the headings.
    std::vector<std::string> mark(const office::DocumentRef& document, int deepestLevel);

    // The Basic module that marks inside the office, and how its answer reads: the number of headings
    // marked, then the text of each, its number label first where it shows one ("3 Results").
    static office::BasicModule module();
    static std::vector<std::string> headingsFromAnswer(const QStringList& answer);

    static inline const QString kFunction = QStringLiteral("MarkHeadings");

private:
    office::DocumentStore& documents_;
};

}  // namespace fk
