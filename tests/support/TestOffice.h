#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "split/LibreOfficeSession.h"

namespace fk::test {

// A real LibreOffice with a profile of its own, stopped by process id when the test ends: headless,
// or in view on the test's display as the window program starts it.
class TestOffice {
public:
    enum class View { Headless, Visible };

    TestOffice();
    explicit TestOffice(View view);
    ~TestOffice();

    LibreOfficeSession& session() { return *session_; }
    // The office's documents, the office reached first.
    office::DocumentStore& documents();
    QString folder() const { return scratch_.path(); }

    struct Content {
        QStringList pages;  // one text per page, each on a page of its own
        bool headerAndFooter = false;
        bool leadingTable = false;  // the first page begins with a table
    };
    // Writes an .odt document through the office itself.
    void makeDocument(const QString& odtPath, const Content& content);

private:
    QTemporaryDir scratch_;
    std::unique_ptr<LibreOfficeSession> session_;
};

// The paragraphs of an .odt document's body, headers and footers left out.
QStringList OdtBodyText(const QString& odtPath);
// SHA-256 of a file's bytes, to show that an input was left as it was.
QByteArray FileDigest(const QString& path);
// Whether a file is a readable ODF text package.
bool IsOdtPackage(const QString& path);

}  // namespace fk::test
