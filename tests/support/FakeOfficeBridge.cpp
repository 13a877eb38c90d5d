#include "FakeOfficeBridge.h"

#include <zip.h>

#include <QFile>
#include <QUrl>

#include "base/Failure.h"

namespace fk::test {

struct FakeOfficeBridge::Document {
    QString url;
    int pages = 1;
    int cursorPage = 1;
    bool namesPageBefore = false;
    bool inTable = false;
    QString selection;
    QString content;
    bool closed = false;
};

namespace {

struct FakeObject : office::Object {
    QString kind;
    std::shared_ptr<FakeOfficeBridge::Document> document;
};

}  // namespace

// A private alias makes the nested type usable in this file's helpers.
using Document = FakeOfficeBridge::Document;

static office::Ref make(const QString& kind, std::shared_ptr<Document> document = {}) {
    auto object = std::make_shared<FakeObject>();
    object->kind = kind;
    object->document = std::move(document);
    return object;
}

static const FakeObject& fake(const office::Ref& object, const QString& kind) {
    const auto* found = dynamic_cast<const FakeObject*>(object.get());
    if (found == nullptr)
        throw Failure::officeGone();
    if (found->kind != kind)
        throw Failure(FailureKind::OfficeRefused, QStringLiteral("Object doesn't support this property or method"));
    return *found;
}

void FakeOfficeBridge::record(const QString& call) {
    const int index = static_cast<int>(calls.size());
    calls << call;
    if (onCall) onCall(call);
    if (index == dieAtCall) alive = false;
    if (!alive && !call.startsWith(QLatin1String("createServiceManager"))) {
        throw Failure::officeRefused(QStringLiteral("the office has gone away"));
    }
    if (refuse.contains(call)) throw Failure::officeRefused(QStringLiteral("refused ") + call);
}

static void arrive(FakeOfficeBridge& office, Document& doc, int page) {
    doc.cursorPage = page;
    doc.namesPageBefore = office.headingRowPages.contains(page);
    doc.inTable = office.tableStartPages.contains(page);
    doc.selection.clear();
}

std::shared_ptr<Document> FakeOfficeBridge::document(const office::Ref& object) {
    const auto* found = dynamic_cast<const FakeObject*>(object.get());
    if (found == nullptr || !found->document)
        throw Failure::officeGone();
    if (found->document->closed)
        throw Failure::officeRefused(QStringLiteral("document is closed"));
    return found->document;
}

office::Ref FakeOfficeBridge::createServiceManager() {
    if (!available) {
        calls << QStringLiteral("createServiceManager");
        throw Failure::officeUnreachable();
    }
    if (!alive) {
        alive = true;
        ++starts;
        open_.clear();
    }
    record(QStringLiteral("createServiceManager"));
    return make(QStringLiteral("ServiceManager"));
}

office::Ref FakeOfficeBridge::createInstance(const office::Ref& serviceManager, const QString& serviceName) {
    record(QStringLiteral("createInstance(%1)").arg(serviceName));
    fake(serviceManager, QStringLiteral("ServiceManager"));
    if (serviceName == QLatin1String("com.sun.star.frame.Desktop")) return make(QStringLiteral("Desktop"));
    if (serviceName == QLatin1String("com.sun.star.frame.DispatchHelper"))
        return make(QStringLiteral("DispatchHelper"));
    throw Failure::officeUnreachable();
}

office::PropertyValue FakeOfficeBridge::Bridge_GetStruct(const office::Ref& serviceManager,
                                                         const QString& typeName) {
    record(QStringLiteral("Bridge_GetStruct(%1)").arg(typeName));
    fake(serviceManager, QStringLiteral("ServiceManager"));
    return {};
}

office::Ref FakeOfficeBridge::loadComponentFromURL(const office::Ref& desktop, const QString& url,
                                                   const QString& targetFrame, int searchFlags,
                                                   const office::Arguments& arguments) {
    record(QStringLiteral("loadComponentFromURL(%1,%2,%3,%4)")
               .arg(url, targetFrame)
               .arg(searchFlags)
               .arg(arguments.size()));
    fake(desktop, QStringLiteral("Desktop"));
    lastLoadArguments.clear();
    for (const office::PropertyValue& argument : arguments)
        lastLoadArguments << argument.name + QLatin1Char('=') + argument.value.toString();
    loadArguments.insert(url, lastLoadArguments);
    auto loaded = std::make_shared<Document>();
    loaded->url = url;
    if (url != QLatin1String("private:factory/swriter")) {
        if (!documents.contains(url))
            throw Failure::officeRefused(QStringLiteral("cannot load ") + url);
        loaded->pages = documents.value(url);
    }
    open_.insert(loaded.get());
    return make(QStringLiteral("Document"), loaded);
}

office::Ref FakeOfficeBridge::getCurrentController(const office::Ref& document_) {
    record(QStringLiteral("getCurrentController"));
    return make(QStringLiteral("Controller"), document(document_));
}

office::Ref FakeOfficeBridge::getViewCursor(const office::Ref& controller) {
    record(QStringLiteral("getViewCursor"));
    return make(QStringLiteral("ViewCursor"), fake(controller, QStringLiteral("Controller")).document);
}

office::Ref FakeOfficeBridge::getFrame(const office::Ref& controller) {
    record(QStringLiteral("getFrame"));
    return make(QStringLiteral("Frame"), fake(controller, QStringLiteral("Controller")).document);
}

bool FakeOfficeBridge::jumpToLastPage(const office::Ref& viewCursor) {
    record(QStringLiteral("jumpToLastPage"));
    auto doc = document(viewCursor);
    arrive(*this, *doc, doc->pages);
    return true;
}

bool FakeOfficeBridge::jumpToFirstPage(const office::Ref& viewCursor) {
    record(QStringLiteral("jumpToFirstPage"));
    auto doc = document(viewCursor);
    if (firstPageSticks) return false;
    arrive(*this, *doc, 1);
    return true;
}

bool FakeOfficeBridge::jumpToPage(const office::Ref& viewCursor, int page) {
    record(QStringLiteral("jumpToPage(%1)").arg(page));
    auto doc = document(viewCursor);
    if (jumpToPageIgnored || page < 1 || page > doc->pages || blankPages.contains(page)) return false;
    arrive(*this, *doc, page);
    return true;
}

int FakeOfficeBridge::getPage(const office::Ref& viewCursor) {
    record(QStringLiteral("getPage"));
    const auto doc = document(viewCursor);
    return doc->namesPageBefore ? doc->cursorPage - 1 : doc->cursorPage;
}

bool FakeOfficeBridge::isCollapsed(const office::Ref& viewCursor) {
    record(QStringLiteral("isCollapsed"));
    return document(viewCursor)->selection.isEmpty();
}

bool FakeOfficeBridge::isInTable(const office::Ref& viewCursor) {
    record(QStringLiteral("isInTable"));
    return document(viewCursor)->inTable;
}

void FakeOfficeBridge::executeDispatch(const office::Ref& dispatcher, const office::Ref& frame,
                                       const QString& command, const QString& targetFrame, int searchFlags,
                                       const office::Arguments& arguments) {
    QStringList names;
    for (const office::PropertyValue& argument : arguments)
        names << argument.name + QLatin1Char('=') + argument.value.toString();
    record(QStringLiteral("executeDispatch(%1,'%2',%3,[%4])")
               .arg(command, targetFrame)
               .arg(searchFlags)
               .arg(names.join(',')));
    fake(dispatcher, QStringLiteral("DispatchHelper"));
    auto doc = document(frame);
    const QString pageText = doc->url + QLatin1Char('#') + QString::number(doc->cursorPage);
    if (command == QLatin1String(".uno:GoToEndOfPageSel")) {
        const bool nothing = doc->inTable || emptySelectionOnPages.contains(doc->cursorPage);
        doc->selection = nothing ? QString() : pageText;
    } else if (command == QLatin1String(".uno:SelectTable")) {
        if (doc->inTable) doc->selection = pageText + QStringLiteral("#table");
    } else if (command == QLatin1String(".uno:GoDown")) {
        doc->inTable = false;
        doc->selection.clear();
    } else if (command == QLatin1String(".uno:Copy")) {
        // Like the office, a copy without a selection leaves the clipboard as it was.
        if (!doc->selection.isEmpty()) clipboard_ = doc->selection;
    } else if (command == QLatin1String(".uno:Paste")) {
        doc->content += (doc->content.isEmpty() ? QString() : QStringLiteral("+")) + clipboard_;
    } else if (command == QLatin1String(".uno:InsertBookmark")) {
        bookmarks << QStringLiteral("%1@%2").arg(arguments.value(0).value.toString()).arg(doc->cursorPage);
    } else if (command == QLatin1String(".uno:GoToStartOfNextPage")) {
        int next = doc->cursorPage + 1;
        while (blankPages.contains(next)) ++next;
        if (!stallOnPages.contains(doc->cursorPage) && next <= doc->pages) arrive(*this, *doc, next);
    } else if (command == QLatin1String(".uno:SaveAs")) {
        const QString path = QUrl(arguments.value(0).value.toString()).toLocalFile();
        stored.insert(path, doc->content);
        if (!skipWrites) {
            writePackage(path, doc->content);
            QFile out(path);
            if (!out.exists())
                throw Failure::officeRefused(QStringLiteral("cannot store ") + path);
            if (cutWritesAt >= 0) out.resize(cutWritesAt);
        }
    }
}

void FakeOfficeBridge::Close(const office::Ref& document_, bool deliverOwnership) {
    record(
        QStringLiteral("Close(%1)").arg(deliverOwnership ? QStringLiteral("True") : QStringLiteral("False")));
    auto doc = document(document_);
    doc->closed = true;
    closedDocuments << doc->url;
    open_.remove(doc.get());
}

bool FakeOfficeBridge::jumpToStartOfPage(const office::Ref& viewCursor) {
    record(QStringLiteral("jumpToStartOfPage"));
    document(viewCursor)->namesPageBefore = false;
    return true;
}

QString FakeOfficeBridge::getPropertyValue(const office::Ref& object, const QString& name) {
    record(QStringLiteral("getPropertyValue(%1)").arg(name));
    return pageStyles.value(document(object)->cursorPage, QStringLiteral("Standard"));
}

void FakeOfficeBridge::storeToURL(const office::Ref& document_, const QString& url,
                                  const office::Arguments&) {
    record(QStringLiteral("storeToURL(%1)").arg(url));
    document(document_);
    if (packageToStore.isEmpty()) return;
    const QString path = QUrl(url).toLocalFile();
    QFile::remove(path);
    if (!QFile::copy(packageToStore, path))
        throw Failure::officeRefused(QStringLiteral("cannot store ") + url);
}

std::optional<QStringList> FakeOfficeBridge::runBasic(const office::BasicModule& module,
                                                      const QString& function, const office::Ref& object,
                                                      const QString& text) {
    record(QStringLiteral("runBasic(%1.%2.%3, %4)").arg(module.library, module.name, function, text));
    document(object);
    if (basicAnswers.contains(function)) return basicAnswers.value(function);
    return basicAnswer;
}

void FakeOfficeBridge::writePackage(const QString& path, const QString& pageText) {
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
    zip_close(archive);
}

QString FakeOfficeBridge::storedText(const QString& path) {
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
