#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

#include "base/Failure.h"

namespace fk::office {

// A name/value pair as the office's argument lists carry them; the session converts it.
struct PropertyValue {
    QString name;
    QVariant value;
};
using Arguments = QList<PropertyValue>;

// A document the office holds open. What stands behind it only the session knows.
class Document {
public:
    virtual ~Document() = default;
};
using DocumentRef = std::shared_ptr<Document>;

// How a document is loaded. Every load is unattended besides: macros never run, links are not
// updated, and a question the office would ask (a lock, a damaged file) fails the load instead of
// waiting for a user.
struct LoadOptions {
    bool hidden = false;
    bool readOnly = false;
};

// The arguments a load with these options hands the office. The session adds its interaction handler,
// which answers every question with its abort choice (disapprove where it offers no abort).
inline Arguments UnattendedLoadArguments(const LoadOptions& options) {
    // The office's MacroExecutionMode NEVER_EXECUTE and UpdateDocMode NO_UPDATE.
    constexpr short kNeverExecuteMacros = 0;
    constexpr short kNoLinkUpdate = 0;
    Arguments arguments;
    if (options.hidden) arguments.append({QStringLiteral("Hidden"), true});
    if (options.readOnly) arguments.append({QStringLiteral("ReadOnly"), true});
    arguments.append({QStringLiteral("MacroExecutionMode"), QVariant::fromValue(kNeverExecuteMacros)});
    arguments.append({QStringLiteral("UpdateDocMode"), QVariant::fromValue(kNoLinkUpdate)});
    return arguments;
}

// A Basic module of this program's own, run inside the office's process among the office's own macros
// (never a document's): a loop that calls the office thousands of times costs a round trip per call
// when it runs here, and next to nothing there.
struct BasicModule {
    QString library;
    QString name;
    QString source;
    // The function takes a third argument, the office's progress indicator (start(text, total),
    // setValue(done), end()), through which it tells how far it has come.
    bool reportsProgress = false;
};

// How far a long call of the office has come (a load, a layout, a store, a macro of ours that says so),
// 0 to 1, as the office reports it. Called on a thread of the office's connection while the call
// waits, never once it has returned.
using ProgressReport = std::function<void(double fraction)>;

// Where the view cursor is sent. The office refuses a move where it will not put the cursor there.
struct CursorMove {
    enum class Target { Page, FirstPage, LastPage, StartOfPage };
    Target target;
    int page = 0;  // the page a Target::Page move goes to

    static CursorMove toPage(int page) { return {Target::Page, page}; }
    static CursorMove toFirstPage() { return {Target::FirstPage}; }
    static CursorMove toLastPage() { return {Target::LastPage}; }
    // The start of the page the cursor stands on.
    static CursorMove toStartOfPage() { return {Target::StartOfPage}; }
};

// What can be asked of where the view cursor stands.
enum class CursorTest {
    Collapsed,  // it selects nothing
    InTable,    // it stands in a table
};

// Whether the office's filter of this name is its plain-text fallback, the one it takes for bytes that
// no other filter recognises.
inline bool IsPlainTextFilter(const QString& filterName) {
    return filterName == QLatin1String("Text") || filterName.startsWith(QLatin1String("Text ("));
}

// The office's refusal to load a document, where a call loads and does more (see loadAndStore).
class LoadRefused : public Failure {
public:
    explicit LoadRefused(const Failure& refusal) : Failure(refusal) {}
};

// The documents an office holds open, as the engines that load, mark and store whole documents use
// them. Every method throws fk::Failure when the office refuses the call, of kind OfficeGone once the
// office has gone away.
class DocumentStore {
public:
    virtual ~DocumentStore() = default;

    // Loads the document at a file URL; it opens in a window of its own unless hidden.
    virtual DocumentRef load(const QString& url, const LoadOptions& options) = 0;
    // A new, empty text document in a window of its own.
    virtual DocumentRef createTextDocument(bool hidden) = 0;
    // Closes the document unsaved; its reference is of no use afterwards.
    virtual void close(const DocumentRef& document) = 0;
    // The name of the office's filter that loaded the document ("writer8", "MS Word 97", "Text").
    virtual QString filterName(const DocumentRef& document) = 0;

    // Lays the whole document out now. Right after a load the office has laid out only part of it and
    // goes on while it is idle, so a page count or a page's start taken before can be a stale one;
    // one taken after is the one the office prints.
    // Fields are updated too, as printing updates them: a loaded file shows the results its author's
    // program stored, which can be longer or shorter than the office's own ("Error! Reference source
    // not found."), and the pages start where the office prints them only once they are updated.
    virtual void completeLayout(const DocumentRef& document) = 0;
    // Updates every field as printing does, and leaves the document as unedited as it was; the pages
    // are formatted again when next asked for (an export does so).
    virtual void updateFields(const DocumentRef& document) = 0;
    // The number of pages as the view cursor finds it on the last page, where it is left.
    virtual int countPages(const DocumentRef& document) = 0;
    // The number of pages the office lays out and prints: the body's, and after them the pages it
    // sets endnotes on, which the view cursor's last page leaves out.
    virtual int countRenderedPages(const DocumentRef& document) = 0;

    // Stores the document at a file URL without it becoming that file's document.
    virtual void storeToUrl(const DocumentRef& document, const QString& url, const Arguments& arguments) = 0;

    // Loads the document at url, stores it at targetUrl and closes it, all in one call of the office's,
    // as its own converter does. Between two calls the office lays a loaded document out while it is
    // idle, with the results its fields were stored with, and the store's own update of the fields
    // then moves only part of that layout: in one call, the store lays the document out once, as the
    // converter prints it. Returns the name of the filter that loaded it; a document read with the
    // plain-text fallback (IsPlainTextFilter) is closed unstored. Throws LoadRefused where the load was
    // refused, Failure where the store or the close was, or the office went away.
    virtual QString loadAndStore(const QString& url, const LoadOptions& options, const QString& targetUrl,
                                 const Arguments& storeArguments) = 0;

    // Installs the module in the office (replacing an older version) and runs its function with the
    // document and the text as its arguments; returns the strings the function returns. Returns nothing
    // when the office cannot take or find the module (it has no Basic); throws when the office has
    // gone away or the function fails.
    virtual std::optional<QStringList> runBasic(const BasicModule& module, const QString& function,
                                                const DocumentRef& document, const QString& text) = 0;

    // From now on the office's reports of how far its long calls have come go to `report`, until it is
    // replaced; an empty one ends them. A store that cannot tell never calls it.
    virtual void reportProgressTo(ProgressReport report) { (void)report; }
};

// The view cursor of each open document, the one of its window, moved and read call by call: what
// copying page by page needs, and marking pages where the office runs no Basic. Every method throws
// fk::Failure as DocumentStore's do.
class PageCursor {
public:
    virtual ~PageCursor() = default;

    // False where the office refuses to move the cursor there.
    virtual bool move(const DocumentRef& document, CursorMove to) = 0;
    virtual int currentPage(const DocumentRef& document) = 0;
    virtual bool holds(const DocumentRef& document, CursorTest test) = 0;
    // The name of the page style of the page the cursor stands on.
    virtual QString pageStyle(const DocumentRef& document) = 0;

    // Runs a dispatch command (".uno:Copy") in the document's window, as its menus would.
    virtual void dispatch(const DocumentRef& document, const QString& command,
                          const Arguments& arguments) = 0;
};

// The office suite the split engines work on: one office, reached when needed, and its two roles.
class OfficeSession {
public:
    virtual ~OfficeSession() = default;

    // Makes sure an office answers, starting one when needed.
    virtual void reach() = 0;
    // False once the office has gone away.
    virtual bool isAlive() = 0;

    // The office's roles, from the first reach() on; asked for before it, they fail as an office gone.
    virtual DocumentStore& documents() = 0;
    virtual PageCursor& cursor() = 0;

    // The profile folder the office runs with; empty where it is the user's own. A lock file that names
    // it is this office's, left by an earlier load it was killed in, and nobody else's.
    virtual QString profileFolder() const { return {}; }
};

}  // namespace fk::office

namespace fk {

// A local path as a file URL the office accepts: absolute, percent-encoded UTF-8.
QString ToFileUrl(const QString& path);

// The office writes a link to a file outside a document relative to where it stores the document. A
// document stored first somewhere else (a private folder, a temporary name) takes this store argument,
// so that its links lead from `finalPath`, where it is to be, to the files they led to.
office::PropertyValue LinksFrom(const QString& finalPath);

}  // namespace fk
