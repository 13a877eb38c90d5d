#pragma once

#include <QStringList>
#include <vector>

#include "slicer/PagePlan.h"
#include "split/OfficeSession.h"

namespace fk {

// Marks the start of every page of a loaded document with a bookmark of the slicer's and tells each
// page's style; a page the view cursor cannot reach is a blank page the layout inserted.
class PageMarking {
public:
    // How a page that opens at the start of a paragraph of the body is marked: by the paragraph's
    // identifier where the document is stored as OpenDocument (the slicer reads both), by a bookmark
    // where it is stored in Word's format, which keeps no identifiers of paragraphs.
    enum class ParagraphStarts { Bookmarked, Identified };

    PageMarking(office::DocumentStore& documents, office::PageCursor& cursor,
                ParagraphStarts paragraphStarts = ParagraphStarts::Bookmarked)
        : documents_(documents), cursor_(cursor), paragraphStarts_(paragraphStarts) {}

    // Marks pages 1 to pageCount. Inside the office when it runs Basic, else call by call over the
    // session. Throws Failure when the office fails. Where fields were given their text (see module()),
    // pageCount is counted again.
    std::vector<slicer::PlannedPage> mark(const office::DocumentRef& document, int& pageCount);

    // The Basic module that marks inside the office, and how its answer reads: one entry per page,
    // "+" and the page style's name for a marked page, "-" for a blank one; "^" instead of "+" where
    // the page before holds the objects of the paragraph that opens the page, but none of its lines;
    // "~" where the page's start took no mark and a later line of the page has it. A marked page's style
    // may be followed by objects the page draws though they are anchored to a paragraph of an earlier
    // page: for each, its name, x and y on the page (1/100 mm), each after kFieldSeparator. An answer
    // of kFieldsGivenText alone marks nothing: fields a page divides, which no cursor enters, were
    // given their text, and the module is asked again, with kFieldsGivenText, once the office has laid
    // the document out again.
    static office::BasicModule module();
    static std::vector<slicer::PlannedPage> planFromAnswer(const QStringList& answer, int pageCount);

    static inline const QString kFunction = QStringLiteral("MarkPages");
    static inline const QChar kFieldSeparator = QChar(31);
    static inline const QString kFieldsGivenText = QStringLiteral("=");
    // In the module's options: mark paragraph starts by identifier.
    static inline const QString kByIdentifier = QStringLiteral("#");

private:
    std::vector<slicer::PlannedPage> markCallByCall(const office::DocumentRef& document, int pageCount);

    office::DocumentStore& documents_;
    office::PageCursor& cursor_;
    ParagraphStarts paragraphStarts_;
};

}  // namespace fk
