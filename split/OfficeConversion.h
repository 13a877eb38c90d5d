#pragma once

#include <QString>

#include "split/OfficeSession.h"
#include "split/OutputNames.h"

namespace fk {

// Makes a finished OpenDocument output (a page, a run of pages, any part) into another format with the
// office: loads it hidden, stores it through the format's filter in a private folder of its own, and
// copies it into place under a private name once the office wrote a file of that format. A file at the
// target stays as it was when the conversion fails.
class OfficeConversion {
public:
    OfficeConversion(office::DocumentStore& documents, OutputFormat format)
        : documents_(documents), format_(format) {}

    OutputFormat format() const { return format_; }

    // Throws Failure naming the target when the office cannot convert the document or the target's
    // folder takes no file.
    void convert(const QString& openDocument, const QString& target) const;

    // The office's store arguments for the format; empty for OpenDocument, which needs no conversion.
    static office::Arguments storeArguments(OutputFormat format);
    // Whether the first bytes of a file are those of the format, so that an empty or cut-off store is
    // never put in place.
    static bool looksLike(OutputFormat format, const QByteArray& head);

    // The Basic module the office runs on a page before it stores it as Word: it says in Word's terms
    // what of the page's layout Word's compatibility settings would change (the fonts' leading, space
    // below cells and at the page's top, paragraphs a field hides), so that the page still prints as one
    // page when read back.
    // Answers the changes it made; an office without Basic stores the page as it is.
    static office::BasicModule wordLayoutModule();
    static inline const QString kWordLayoutFunction = QStringLiteral("KeepLayoutForWord");
    // In the same module: answers one word when the document's layout leaves out the space above a
    // page's first paragraph, which Word's keeps; nothing otherwise.
    static inline const QString kSpaceAtPageTopFunction = QStringLiteral("DropsSpaceAtPageTop");

private:
    office::DocumentStore& documents_;
    OutputFormat format_;
};

}  // namespace fk
