#pragma once

#include <QProcessEnvironment>
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

    // A document as the office stores it in OpenDocument, as a user's document would be: odtPath.
    QString storeAsOdt(const QString& documentPath, const QString& odtPath);
    // Flat OpenDocument written beside odtPath (as .fodt), then stored as above.
    QString storeFlatAsOdt(const QString& flatXml, const QString& odtPath);
    // The office's own PDF of a document.
    void storeAsPdf(const QString& documentPath, const QString& pdfPath);

    struct PageCounts {
        int body = 0;     // the pages the view cursor reaches
        int printed = 0;  // with the endnote pages after the body
    };
    // The office's page counts of a document, its layout complete.
    PageCounts pageCounts(const QString& documentPath);

private:
    QTemporaryDir scratch_;
    std::unique_ptr<LibreOfficeSession> session_;
};

// The environment folioknife-split runs in from a test: office profiles in the test's cache, its and
// its offices' temporary files in the test's folder.
QProcessEnvironment SplitEnvironment(const QString& workFolder);

// The paragraphs of an .odt document's body, headers and footers left out.
QStringList OdtBodyText(const QString& odtPath);
// SHA-256 of a file's bytes, to show that an input was left as it was.
QByteArray FileDigest(const QString& path);
// Whether a file is a readable ODF text package.
bool IsOdtPackage(const QString& path);

}  // namespace fk::test
