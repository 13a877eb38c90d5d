#include "FakeOfficeSession.h"

#include <zip.h>
#include <algorithm>

#include <QFile>
#include <QUrl>

#include "base/Failure.h"

namespace fk::test {

struct FakeOfficeSession::Document : office::Document {
    QString url;
    int pages = 1;
    int lastPageJumps = 0;
    int cursorPage = 1;
    bool namesPageBefore = false;
    bool inTable = false;
    QString selection;
    QString content;
    bool closed = false;
};

namespace {

const QString kNewTextDocument = QStringLiteral("private:factory/swriter");

QStringList Pairs(const office::Arguments& arguments) {
    QStringList pairs;
    for (const office::PropertyValue& argument : arguments)
        pairs << argument.name + QLatin1Char('=') + argument.value.toString();
    return pairs;
}

}  // namespace

void FakeOfficeSession::record(const QString& call) {
    const int index = static_cast<int>(calls.size());
    calls << call;
    if (onCall) onCall(call);
    if (index == dieAtCall) alive = false;
    if (!alive) throw Failure::officeGone();
    if (refuse.contains(call)) throw Failure::officeRefused(QStringLiteral("refused ") + call);
}

FakeOfficeSession::Document& FakeOfficeSession::document(const office::DocumentRef& reference) {
    auto* found = dynamic_cast<Document*>(reference.get());
    if (found == nullptr) throw Failure::officeGone();
    if (found->closed) throw Failure::officeRefused(QStringLiteral("document is closed"));
    return *found;
}

void FakeOfficeSession::arrive(Document& doc, int page) const {
    doc.cursorPage = page;
    doc.namesPageBefore = headingRowPages.contains(page);
    doc.inTable = tableStartPages.contains(page);
    doc.selection.clear();
}

void FakeOfficeSession::reach() {
    if (!available) {
        calls << QStringLiteral("reach");
        throw Failure::officeUnreachable();
    }
    if (!alive) {
        alive = true;
        ++starts;
        open_.clear();
    }
    record(QStringLiteral("reach"));
}

office::DocumentRef FakeOfficeSession::open(const QString& url, int pages) {
    auto loaded = std::make_shared<Document>();
    loaded->url = url;
    loaded->pages = pages;
    open_.insert(loaded.get());
    return loaded;
}

office::DocumentRef FakeOfficeSession::load(const QString& url, const office::LoadOptions& options) {
    record(QStringLiteral("load(%1)").arg(url));
    loadArguments.insert(url, Pairs(office::UnattendedLoadArguments(options)));
    if (!pageCounts.contains(url)) throw Failure::officeRefused(QStringLiteral("cannot load ") + url);
    reportHalfAndAll();
    return open(url, pageCounts.value(url));
}

QString FakeOfficeSession::loadAndStore(const QString& url, const office::LoadOptions& options,
                                        const QString& targetUrl, const office::Arguments& storeArguments) {
    record(QStringLiteral("loadAndStore(%1)").arg(url));
    office::DocumentRef loaded;
    try {
        loaded = load(url, options);
    } catch (const Failure& refusal) {
        if (refusal.kind() == FailureKind::OfficeGone) throw;
        throw office::LoadRefused(refusal);
    }
    const QString filter = filterName(loaded);
    if (office::IsPlainTextFilter(filter)) {
        close(loaded);
        return filter;
    }
    try {
        storeToUrl(loaded, targetUrl, storeArguments);
    } catch (const Failure&) {
        close(loaded);
        throw;
    }
    close(loaded);
    return filter;
}

void FakeOfficeSession::reportHalfAndAll() {
    if (!reportsProgress || !progress_) return;
    progress_(0.5);
    progress_(1);
}

void FakeOfficeSession::updateFields(const office::DocumentRef& reference) {
    record(QStringLiteral("updateFields"));
    document(reference);
    if (failUpdateFields) throw Failure::officeRefused(QStringLiteral("refused updateFields"));
}

void FakeOfficeSession::completeLayout(const office::DocumentRef& reference) {
    record(QStringLiteral("completeLayout"));
    Document& doc = document(reference);
    doc.lastPageJumps = lateLayoutAfterLastPageJumps;  // whatever was laid out late is laid out now
    if (failCompleteLayout) throw Failure::officeRefused(QStringLiteral("refused completeLayout"));
}

office::DocumentRef FakeOfficeSession::createTextDocument(bool hidden) {
    record(hidden ? QStringLiteral("createTextDocument(hidden)") : QStringLiteral("createTextDocument"));
    return open(kNewTextDocument, 1);
}

void FakeOfficeSession::close(const office::DocumentRef& reference) {
    record(QStringLiteral("close"));
    Document& doc = document(reference);
    doc.closed = true;
    closedDocuments << doc.url;
    open_.remove(&doc);
}

QString FakeOfficeSession::filterName(const office::DocumentRef& reference) {
    return filters.value(document(reference).url, QStringLiteral("writer8"));
}

int FakeOfficeSession::countPages(const office::DocumentRef& reference) {
    record(QStringLiteral("countPages"));
    Document& doc = document(reference);
    jumpToLastPage(doc);
    return doc.cursorPage;
}

int FakeOfficeSession::countRenderedPages(const office::DocumentRef& reference) {
    record(QStringLiteral("countRenderedPages"));
    return document(reference).pages + endnotePages;
}

bool FakeOfficeSession::move(const office::DocumentRef& reference, office::CursorMove to) {
    using Target = office::CursorMove::Target;
    switch (to.target) {
        case Target::Page:
            record(QStringLiteral("jumpToPage(%1)").arg(to.page));
            return jumpToPage(document(reference), to.page);
        case Target::FirstPage: {
            record(QStringLiteral("jumpToFirstPage"));
            Document& doc = document(reference);
            if (firstPageSticks) return false;
            arrive(doc, 1);
            return true;
        }
        case Target::LastPage:
            record(QStringLiteral("jumpToLastPage"));
            return jumpToLastPage(document(reference));
        case Target::StartOfPage:
            record(QStringLiteral("jumpToStartOfPage"));
            document(reference).namesPageBefore = false;
            return true;
    }
    return false;
}

bool FakeOfficeSession::jumpToPage(Document& doc, int page) {
    if (jumpToPageIgnored || page < 1 || page > doc.pages || blankPages.contains(page)) return false;
    arrive(doc, page);
    return true;
}

bool FakeOfficeSession::jumpToLastPage(Document& doc) {
    ++doc.lastPageJumps;
    const bool laidOut = doc.lastPageJumps > lateLayoutAfterLastPageJumps;
    arrive(doc, laidOut ? doc.pages : std::max(1, doc.pages - lateLayoutPages));
    return true;
}

int FakeOfficeSession::currentPage(const office::DocumentRef& reference) {
    record(QStringLiteral("currentPage"));
    const Document& doc = document(reference);
    return doc.namesPageBefore ? doc.cursorPage - 1 : doc.cursorPage;
}

bool FakeOfficeSession::holds(const office::DocumentRef& reference, office::CursorTest test) {
    if (test == office::CursorTest::Collapsed) {
        record(QStringLiteral("isCursorCollapsed"));
        return document(reference).selection.isEmpty();
    }
    record(QStringLiteral("isCursorInTable"));
    return document(reference).inTable;
}

QString FakeOfficeSession::pageStyle(const office::DocumentRef& reference) {
    record(QStringLiteral("pageStyleAtCursor"));
    return pageStyles.value(document(reference).cursorPage, QStringLiteral("Standard"));
}

void FakeOfficeSession::dispatch(const office::DocumentRef& reference, const QString& command,
                                 const office::Arguments& arguments) {
    record(arguments.isEmpty()
               ? QStringLiteral("dispatch(%1)").arg(command)
               : QStringLiteral("dispatch(%1,%2)").arg(command, Pairs(arguments).join(QLatin1Char(','))));
    Document& doc = document(reference);
    const QString pageText = doc.url + QLatin1Char('#') + QString::number(doc.cursorPage);
    if (command == QLatin1String(".uno:GoToEndOfPageSel")) {
        const bool nothing = doc.inTable || emptySelectionOnPages.contains(doc.cursorPage);
        doc.selection = nothing ? QString() : pageText;
    } else if (command == QLatin1String(".uno:SelectTable")) {
        if (doc.inTable) doc.selection = pageText + QStringLiteral("#table");
    } else if (command == QLatin1String(".uno:GoDown")) {
        doc.inTable = false;
        doc.selection.clear();
    } else if (command == QLatin1String(".uno:Copy")) {
        // Like the office, a copy without a selection leaves the clipboard as it was.
        if (!doc.selection.isEmpty()) clipboard_ = doc.selection;
    } else if (command == QLatin1String(".uno:Paste")) {
        doc.content += (doc.content.isEmpty() ? QString() : QStringLiteral("+")) + clipboard_;
    } else if (command == QLatin1String(".uno:InsertBookmark")) {
        bookmarks << QStringLiteral("%1@%2").arg(arguments.value(0).value.toString()).arg(doc.cursorPage);
    } else if (command == QLatin1String(".uno:GoToStartOfNextPage")) {
        int next = doc.cursorPage + 1;
        while (blankPages.contains(next)) ++next;
        if (!stallOnPages.contains(doc.cursorPage) && next <= doc.pages) arrive(doc, next);
    } else if (command == QLatin1String(".uno:SaveAs")) {
        const QString path = QUrl(arguments.value(0).value.toString()).toLocalFile();
        if (skipWrites) return;
        writePackage(path, doc.content);
        QFile out(path);
        if (!out.exists()) throw Failure::officeRefused(QStringLiteral("cannot store ") + path);
        if (cutWritesAt >= 0) out.resize(cutWritesAt);
    }
}

void FakeOfficeSession::storeToUrl(const office::DocumentRef& reference, const QString& url,
                                   const office::Arguments&) {
    record(QStringLiteral("storeToUrl(%1)").arg(url));
    document(reference);
    reportHalfAndAll();
    if (packageToStore.isEmpty()) return;
    const QString path = QUrl(url).toLocalFile();
    QFile::remove(path);
    if (!QFile::copy(packageToStore, path))
        throw Failure::officeRefused(QStringLiteral("cannot store ") + url);
}

std::optional<QStringList> FakeOfficeSession::runBasic(const office::BasicModule& module,
                                                       const QString& function,
                                                       const office::DocumentRef& reference,
                                                       const QString& text) {
    record(QStringLiteral("runBasic(%1.%2.%3, %4)").arg(module.library, module.name, function, text));
    document(reference);
    if (!basicAnswersInTurn.isEmpty()) return basicAnswersInTurn.takeFirst();
    if (basicAnswers.contains(function)) return basicAnswers.value(function);
    return basicAnswer;
}

void FakeOfficeSession::writePackage(const QString& path, const QString& pageText, const QByteArray& meta) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) return;
    static const QByteArray mimetype = QByteArrayLiteral("application/vnd.oasis.opendocument.text");
    const QByteArray content = pageText.toUtf8();
    const zip_int64_t first = zip_file_add(
        archive, "mimetype", zip_source_buffer(archive, mimetype.constData(), mimetype.size(), 0), 0);
    zip_set_file_compression(archive, first, ZIP_CM_STORE, 0);
    zip_file_add(archive, "content.xml", zip_source_buffer(archive, content.constData(), content.size(), 0),
                 0);
    if (!meta.isEmpty())
        zip_file_add(archive, "meta.xml", zip_source_buffer(archive, meta.constData(), meta.size(), 0), 0);
    zip_close(archive);
}

QString FakeOfficeSession::storedText(const QString& path) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (archive == nullptr) return {};
    QByteArray text;
    zip_stat_t stat;
    if (zip_stat(archive, "content.xml", 0, &stat) == 0) {
        text.resize(static_cast<qsizetype>(stat.size));
        zip_file_t* file = zip_fopen(archive, "content.xml", 0);
        if (file != nullptr) {
            zip_fread(file, text.data(), stat.size);
            zip_fclose(file);
        }
    }
    zip_discard(archive);
    return QString::fromUtf8(text);
}

}  // namespace fk::test
