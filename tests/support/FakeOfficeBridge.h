#pragma once

#include <QMap>
#include <QSet>
#include <QStringList>
#include <functional>

#include "split/OfficeBridge.h"

namespace fk::test {

// An office that lives in memory: documents are page counts, copy and paste move a "page text",
// SaveAs writes that text to the output file. It records every call, and can refuse a chosen call
// or die at one.
class FakeOfficeBridge : public office::OfficeBridge {
public:
    office::Ref createServiceManager() override;
    office::Ref createInstance(const office::Ref& serviceManager, const QString& serviceName) override;
    office::PropertyValue Bridge_GetStruct(const office::Ref& serviceManager,
                                           const QString& typeName) override;
    office::Ref loadComponentFromURL(const office::Ref& desktop, const QString& url,
                                     const QString& targetFrame, int searchFlags,
                                     const office::Arguments& arguments) override;
    office::Ref getCurrentController(const office::Ref& document) override;
    office::Ref getViewCursor(const office::Ref& controller) override;
    office::Ref getFrame(const office::Ref& controller) override;
    bool jumpToLastPage(const office::Ref& viewCursor) override;
    bool jumpToFirstPage(const office::Ref& viewCursor) override;
    bool jumpToPage(const office::Ref& viewCursor, int page) override;
    int getPage(const office::Ref& viewCursor) override;
    bool isCollapsed(const office::Ref& viewCursor) override;
    bool isInTable(const office::Ref& viewCursor) override;
    void executeDispatch(const office::Ref& dispatcher, const office::Ref& frame, const QString& command,
                         const QString& targetFrame, int searchFlags,
                         const office::Arguments& arguments) override;
    void Close(const office::Ref& document, bool deliverOwnership) override;
    bool jumpToStartOfPage(const office::Ref& viewCursor) override;
    QString getPropertyValue(const office::Ref& object, const QString& name) override;
    void storeToURL(const office::Ref& document, const QString& url,
                    const office::Arguments& arguments) override;
    // Answers with basicAnswer when set, else as an office that runs no Basic.
    std::optional<QStringList> runBasic(const office::BasicModule& module, const QString& function,
                                        const office::Ref& object, const QString& text) override;
    bool isAlive() override { return alive; }

    // Input documents by file URL, with their page counts.
    QMap<QString, int> documents;

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
    // Page style names by page; "Standard" for the rest.
    QMap<int, QString> pageStyles;
    // What storeToURL writes: a copy of this file (nothing when empty).
    QString packageToStore;
    // What runBasic answers, by function or else basicAnswer; nothing: the office runs no Basic.
    std::optional<QStringList> basicAnswer;
    QMap<QString, QStringList> basicAnswers;
    // Bookmarks inserted, as "name@page".
    QStringList bookmarks;
    // The argument names and values of the last load, as "Name=value", and of each URL's last load.
    QStringList lastLoadArguments;
    QMap<QString, QStringList> loadArguments;

    // What each SaveAs stored: the path it was given -> page text ("<input url>#<page>").
    QMap<QString, QString> stored;
    // SaveAs writes a small OpenDocument package whose content.xml is the page text; this reads it back
    // from a page document wherever it was moved afterwards (empty when there is none).
    static QString storedText(const QString& path);
    static void writePackage(const QString& path, const QString& pageText);
    QStringList closedDocuments;
    int openDocuments() const { return static_cast<int>(open_.size()); }

    std::function<void(const QString& call)> onCall;

    struct Document;

private:
    void record(const QString& call);
    std::shared_ptr<Document> document(const office::Ref& object);

    QSet<Document*> open_;
    QString clipboard_;
    int nextId_ = 0;
};

}  // namespace fk::test
