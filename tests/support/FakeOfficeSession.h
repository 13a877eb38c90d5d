#pragma once

#include <QMap>
#include <QSet>
#include <QStringList>
#include <functional>

#include "split/OfficeSession.h"

namespace fk::test {

// An office that lives in memory, in both roles: documents are page counts with a view cursor, copy
// and paste move a "page text", SaveAs writes that text to the output file. It records every call
// (by the names of its calls in the office), and can refuse a chosen call or die at one.
class FakeOfficeSession : public office::OfficeSession,
                          public office::DocumentStore,
                          public office::PageCursor {
public:
    void reach() override;
    bool isAlive() override { return alive; }
    office::DocumentStore& documents() override { return *this; }
    office::PageCursor& cursor() override { return *this; }
    QString profileFolder() const override { return profile; }

    office::DocumentRef load(const QString& url, const office::LoadOptions& options) override;
    office::DocumentRef createTextDocument(bool hidden) override;
    void close(const office::DocumentRef& document) override;
    // Not recorded among the calls: a question, not a step of the split.
    QString filterName(const office::DocumentRef& document) override;
    void completeLayout(const office::DocumentRef& document) override;
    void updateFields(const office::DocumentRef& document) override;
    int countPages(const office::DocumentRef& document) override;
    int countRenderedPages(const office::DocumentRef& document) override;
    void storeToUrl(const office::DocumentRef& document, const QString& url,
                    const office::Arguments& arguments) override;
    // Recorded, then as load, storeToUrl and close in turn (a document read as plain text is closed
    // unstored); a refused load throws LoadRefused.
    QString loadAndStore(const QString& url, const office::LoadOptions& options, const QString& targetUrl,
                         const office::Arguments& storeArguments) override;
    // Answers with basicAnswers or basicAnswer when set, else as an office that runs no Basic.
    std::optional<QStringList> runBasic(const office::BasicModule& module, const QString& function,
                                        const office::DocumentRef& document, const QString& text) override;
    void reportProgressTo(office::ProgressReport report) override { progress_ = std::move(report); }
    // Whether anyone takes the office's reports: the real office then calls back through the bridge.
    bool takesReports() const { return static_cast<bool>(progress_); }

    bool move(const office::DocumentRef& document, office::CursorMove to) override;
    int currentPage(const office::DocumentRef& document) override;
    bool holds(const office::DocumentRef& document, office::CursorTest test) override;
    QString pageStyle(const office::DocumentRef& document) override;
    void dispatch(const office::DocumentRef& document, const QString& command,
                  const office::Arguments& arguments) override;

    // Input documents by file URL, with their page counts.
    QMap<QString, int> pageCounts;
    // The filter each document by file URL was loaded with; "writer8" for the others.
    QMap<QString, QString> filters;
    QString profile;  // the office's profile folder

    // Calls as "name(argument)", in order.
    QStringList calls;
    // Calls (as recorded) that the office refuses every time.
    QSet<QString> refuse;
    // The office dies when the call with this index (0-based, in `calls`) is made; -1 never.
    int dieAtCall = -1;
    bool available = true;  // false: no office can be started at all
    bool alive = false;
    int starts = 0;

    // Office quirks: jumpToFirstPage leaves the cursor where it was; the move to the next page
    // stalls on these pages; jumpToPage does nothing.
    bool firstPageSticks = false;
    QSet<int> stallOnPages;
    // The office lays out the last lateLayoutPages pages of a document only after it was sent to its
    // last page that many times: a layout still settling.
    int lateLayoutPages = 0;
    int lateLayoutAfterLastPageJumps = 0;
    bool failCompleteLayout = false;
    bool failUpdateFields = false;
    bool jumpToPageIgnored = false;
    // Selecting to the end of these pages selects nothing.
    QSet<int> emptySelectionOnPages;
    // These pages begin inside a table.
    QSet<int> tableStartPages;
    // SaveAs reports success but writes nothing.
    bool skipWrites = false;
    // SaveAs reports success but its file ends after this many bytes, as on a full disk; -1 whole.
    qint64 cutWritesAt = -1;
    // Blank pages the layout inserted: the cursor cannot go there, and the move to the next page passes
    // over them.
    QSet<int> blankPages;
    // Pages that begin in a table whose heading row repeats: right after the cursor arrives there, it
    // names the page before until it is moved to the start of its page.
    QSet<int> headingRowPages;
    // Pages of endnotes the layout adds after every document's body.
    int endnotePages = 0;
    // Page style names by page; "Standard" for the rest.
    QMap<int, QString> pageStyles;
    // What storeToUrl writes: a copy of this file (nothing when empty).
    QString packageToStore;
    // What runBasic answers, by function or else basicAnswer; nothing: the office runs no Basic.
    std::optional<QStringList> basicAnswer;
    QMap<QString, QStringList> basicAnswers;
    // Taken first, one a call, while any are left.
    QList<QStringList> basicAnswersInTurn;
    // Bookmarks inserted, as "name@page".
    QStringList bookmarks;
    // The arguments each URL's last load handed the office, as "Name=value".
    QMap<QString, QStringList> loadArguments;

    // SaveAs writes a small OpenDocument package whose content.xml is the page text
    // ("<input url>#<page>"); this reads it back from a page document wherever it was moved afterwards
    // (empty when there is none).
    static QString storedText(const QString& path);
    // A package holding the text as its content.xml, and `meta` as its meta.xml when given.
    static void writePackage(const QString& path, const QString& pageText, const QByteArray& meta = {});
    QStringList closedDocuments;
    int openDocuments() const { return static_cast<int>(open_.size()); }

    std::function<void(const QString& call)> onCall;
    // Loads and stores report half and all of their work, as the office does, where set.
    bool reportsProgress = false;

    struct Document;

private:
    void record(const QString& call);
    void reportHalfAndAll();
    Document& document(const office::DocumentRef& reference);
    bool jumpToPage(Document& document, int page);
    bool jumpToLastPage(Document& document);
    office::DocumentRef open(const QString& url, int pages);
    void arrive(Document& document, int page) const;

    QSet<const office::Document*> open_;
    QString clipboard_;
    office::ProgressReport progress_;
};

}  // namespace fk::test
