// The only code that speaks UNO. Built as a plugin that the program opens on first use.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/bridge/XBridgeFactory.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnector.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchHelper.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/script/XLibraryContainer.hpp>
#include <com/sun/star/script/provider/XScript.hpp>
#include <com/sun/star/script/provider/XScriptProvider.hpp>
#include <com/sun/star/script/provider/XScriptProviderFactory.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionDisapprove.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/task/XInteractionRequest.hpp>
#include <com/sun/star/task/XStatusIndicator.hpp>
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextViewCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XRefreshable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include "base/Failure.h"
#include "split/OfficeCallFailure.h"
#include "split/UnoSession.h"

namespace css = com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

rtl::OUString toUno(const QString& text) {
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()),
                         static_cast<sal_Int32>(text.size()));
}

QString fromUno(const rtl::OUString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

css::uno::Sequence<css::beans::PropertyValue> toSequence(const fk::office::Arguments& arguments);

css::uno::Any toAny(const QVariant& value) {
    // A filter's own settings (FilterData) are a property list inside the argument list.
    if (value.metaType() == QMetaType::fromType<fk::office::Arguments>())
        return css::uno::Any(toSequence(value.value<fk::office::Arguments>()));
    switch (value.typeId()) {
        case QMetaType::Bool:
            return css::uno::Any(value.toBool());
        case QMetaType::Short:
            return css::uno::Any(static_cast<sal_Int16>(value.toInt()));
        case QMetaType::Int:
        case QMetaType::LongLong:
            return css::uno::Any(static_cast<sal_Int32>(value.toInt()));
        default:
            return css::uno::Any(toUno(value.toString()));
    }
}

// Answers every question of the office with its abort choice, or its disapprove choice where it offers
// no abort: a stale or damaged lock, a document with macros, a damaged file never wait for a user.
class AbortingInteractionHandler : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
    void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override {
        if (!request.is()) return;
        Reference<css::task::XInteractionContinuation> disapprove;
        for (const auto& continuation : request->getContinuations()) {
            if (Reference<css::task::XInteractionAbort>(continuation, css::uno::UNO_QUERY).is()) {
                continuation->select();
                return;
            }
            if (!disapprove.is() &&
                Reference<css::task::XInteractionDisapprove>(continuation, css::uno::UNO_QUERY).is())
                disapprove = continuation;
        }
        if (disapprove.is()) disapprove->select();
    }
};

// The office's progress indicator for our calls: the load, layout and store of a document (handed in
// with each call, and kept by the document for the layout) and our marking macro report through it.
// Calls arrive on the bridge's threads while our call waits; the report they go to may be replaced
// meanwhile by the thread that made the call.
class ProgressIndicator : public cppu::WeakImplHelper1<css::task::XStatusIndicator> {
public:
    void reportTo(fk::office::ProgressReport report) {
        const std::lock_guard lock(mutex_);
        report_ = std::move(report);
    }
    bool reporting() {
        const std::lock_guard lock(mutex_);
        return static_cast<bool>(report_);
    }

    void SAL_CALL start(const rtl::OUString&, sal_Int32 range) override {
        const std::lock_guard lock(mutex_);
        range_ = range;
        tell(0);
    }
    void SAL_CALL end() override {
        const std::lock_guard lock(mutex_);
        if (range_ > 0) tell(range_);
        range_ = 0;
    }
    void SAL_CALL setText(const rtl::OUString&) override {}
    void SAL_CALL setValue(sal_Int32 value) override {
        const std::lock_guard lock(mutex_);
        tell(value);
    }
    void SAL_CALL reset() override {}

private:
    void tell(sal_Int32 value) {
        if (range_ <= 0 || !report_) return;
        report_(std::clamp(static_cast<double>(value) / range_, 0.0, 1.0));
    }

    std::mutex mutex_;
    fk::office::ProgressReport report_;
    sal_Int32 range_ = 0;
};

css::uno::Sequence<css::beans::PropertyValue> toSequence(const fk::office::Arguments& arguments) {
    css::uno::Sequence<css::beans::PropertyValue> sequence(static_cast<sal_Int32>(arguments.size()));
    auto* out = sequence.getArray();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        out[i].Name = toUno(arguments.at(i).name);
        out[i].Value = toAny(arguments.at(i).value);
    }
    return sequence;
}

css::uno::Sequence<css::beans::PropertyValue> withArgument(
    css::uno::Sequence<css::beans::PropertyValue> sequence, const char* name, const css::uno::Any& value) {
    const sal_Int32 last = sequence.getLength();
    sequence.realloc(last + 1);
    sequence.getArray()[last].Name = rtl::OUString::createFromAscii(name);
    sequence.getArray()[last].Value = value;
    return sequence;
}

// `progress` where set: each of the office's reports through it is a round trip.
css::uno::Sequence<css::beans::PropertyValue> withProgress(
    css::uno::Sequence<css::beans::PropertyValue> sequence,
    const Reference<css::task::XStatusIndicator>& progress) {
    return progress.is() ? withArgument(std::move(sequence), "StatusIndicator", css::uno::Any(progress))
                         : sequence;
}

css::uno::Sequence<css::beans::PropertyValue> loadArguments(
    const fk::office::LoadOptions& options, const Reference<css::task::XStatusIndicator>& progress) {
    return withProgress(
        withArgument(
            toSequence(fk::office::UnattendedLoadArguments(options)), "InteractionHandler",
            css::uno::Any(Reference<css::task::XInteractionHandler>(new AbortingInteractionHandler))),
        progress);
}

// Loads, stores and closes a document in one call (see DocumentStore::loadAndStore). Answers what became
// of it: "stored" and the loading filter's name; "filter" and its name where that is the plain-text
// fallback, closed unstored (see office::IsPlainTextFilter); or the step refused ("load", "store", "close") and
// the office's words.
const fk::office::BasicModule kLoadAndStoreModule{QStringLiteral("FolioknifeSplit"), QStringLiteral("Converting"),
                                                  QStringLiteral(R"basic(Option Explicit

Function LoadAndStore(source As String, loadArguments As Variant, target As String, storeArguments As Variant) As Variant
    Dim document As Object, filter As String, argument As Variant, failure As String, stage As String
    stage = "load"
    On Error GoTo Refused
    document = StarDesktop.loadComponentFromURL(source, "_blank", 0, loadArguments)
    If IsNull(document) Then
        LoadAndStore = Array("load", "The document cannot be opened: " & source)
        Exit Function
    End If
    stage = "store"
    filter = ""
    For Each argument In document.getArgs()
        If argument.Name = "FilterName" Then filter = argument.Value
    Next
    If filter = "Text" Or Left(filter, 6) = "Text (" Then
        stage = "close"
        document.close(True)
        LoadAndStore = Array("filter", filter)
        Exit Function
    End If
    document.storeToURL(target, storeArguments)
    stage = "close"
    document.close(True)
    LoadAndStore = Array("stored", filter)
    Exit Function
Refused:
    failure = Error$
    Resume Answer
Answer:
    ' A document that is still open after a refused store is closed all the same.
    On Error Resume Next
    If stage = "store" Then document.close(True)
    LoadAndStore = Array(stage, failure)
End Function
)basic")};

// The office's own words in what Basic tells of a failed call: "Type: ...", then "Message: ...".
QString OfficeWordsIn(const QString& basicError) {
    const qsizetype message = basicError.indexOf(QLatin1String("Message: "));
    return (message < 0 ? basicError : basicError.mid(message + 9)).simplified();
}

// A loaded document and what the session has already asked of it: each question to a remote object
// is a round trip to the office, and the copy procedure asks the same few on every page.
struct UnoDocument : fk::office::Document {
    explicit UnoDocument(Reference<css::lang::XComponent> loaded) : component(std::move(loaded)) {}
    Reference<css::lang::XComponent> component;
    Reference<css::frame::XController> controller;
    Reference<css::text::XTextViewCursor> cursor;
    Reference<css::text::XPageCursor> pages;
    Reference<css::beans::XPropertySet> cursorProperties;
    Reference<css::frame::XDispatchProvider> frame;
};

UnoDocument& unoDocument(const fk::office::DocumentRef& document) {
    auto* uno = dynamic_cast<UnoDocument*>(document.get());
    if (uno == nullptr || !uno->component.is()) throw fk::Failure::officeGone();
    return *uno;
}

// Every office failure reaches the caller as the program's own run-time error. A disposed object or
// bridge means the office has gone away, and so does any failure once the connection is lost.
template <typename Call>
auto guarded(Call&& call, std::atomic<bool>& alive) -> decltype(call()) {
    try {
        return call();
    } catch (const css::lang::DisposedException&) {
        alive = false;
        throw fk::Failure::officeGone();
    } catch (const css::uno::Exception& error) {
        const fk::Failure failure = fk::OfficeCallFailure(fromUno(error.Message), !alive);
        if (failure.kind() == fk::FailureKind::OfficeGone) alive = false;
        throw failure;
    }
}

class BridgeListener : public cppu::WeakImplHelper1<css::lang::XEventListener> {
public:
    explicit BridgeListener(std::shared_ptr<std::atomic<bool>> alive) : alive_(std::move(alive)) {}
    void SAL_CALL disposing(const css::lang::EventObject&) override { *alive_ = false; }

private:
    std::shared_ptr<std::atomic<bool>> alive_;
};

class Session : public fk::UnoSession {
public:
    explicit Session(Reference<css::uno::XComponentContext> local) : local_(std::move(local)) {}

    bool connect(const fk::OfficeConnection& description) override {
        try {
            const Reference<css::lang::XMultiComponentFactory> factory = local_->getServiceManager();
            const Reference<css::connection::XConnector> connector(
                factory->createInstanceWithContext("com.sun.star.connection.Connector", local_),
                UNO_QUERY_THROW);
            const auto connection = connector->connect(toUno(description.connectionDescription()));
            const Reference<css::bridge::XBridgeFactory> bridges(
                factory->createInstanceWithContext("com.sun.star.bridge.BridgeFactory", local_),
                UNO_QUERY_THROW);
            const Reference<css::bridge::XBridge> bridge =
                bridges->createBridge("", toUno(fk::OfficeConnection::kProtocol), connection, nullptr);
            alive_ = std::make_shared<std::atomic<bool>>(true);
            Reference<css::lang::XComponent>(bridge, UNO_QUERY_THROW)
                ->addEventListener(new BridgeListener(alive_));
            remote_.set(bridge->getInstance(toUno(fk::OfficeConnection::kInitialObject)), UNO_QUERY_THROW);
            bridge_ = bridge;
            desktop_.clear();
            dispatcher_.clear();
            scripts_.clear();
            return true;
        } catch (const css::uno::Exception&) {
            return false;
        }
    }

    bool isConnected() override { return alive_ && *alive_ && remote_.is(); }

    fk::office::DocumentRef load(const QString& url, const fk::office::LoadOptions& options) override {
        return open(url, loadArguments(options, reportedProgress()));
    }

    QString filterName(const fk::office::DocumentRef& document) override {
        return call([&] {
            const Reference<css::frame::XModel> model(unoDocument(document).component, UNO_QUERY_THROW);
            for (const css::beans::PropertyValue& argument : model->getArgs()) {
                rtl::OUString name;
                if (argument.Name == "FilterName" && (argument.Value >>= name)) return fromUno(name);
            }
            return QString();
        });
    }

    fk::office::DocumentRef createTextDocument(bool hidden) override {
        fk::office::Arguments arguments;
        if (hidden) arguments.append({QStringLiteral("Hidden"), true});
        return open(QStringLiteral("private:factory/swriter"), toSequence(arguments));
    }

    void close(const fk::office::DocumentRef& document) override {
        call([&] {
            Reference<css::util::XCloseable>(unoDocument(document).component, UNO_QUERY_THROW)->close(true);
        });
    }

    int countPages(const fk::office::DocumentRef& document) override {
        return call([&] {
            const Reference<css::text::XPageCursor> pages = pageCursorOf(unoDocument(document));
            pages->jumpToLastPage();
            return pageNumber(pages->getPage());
        });
    }

    int countRenderedPages(const fk::office::DocumentRef& document) override {
        return call([&] {
            // The view's own count, endnote pages included.
            const Reference<css::beans::XPropertySet> view(controllerOf(unoDocument(document)),
                                                           UNO_QUERY_THROW);
            sal_Int32 pages = 0;
            view->getPropertyValue("PageCount") >>= pages;
            return static_cast<int>(pages);
        });
    }

    bool move(const fk::office::DocumentRef& document, fk::office::CursorMove to) override {
        using Target = fk::office::CursorMove::Target;
        return call([&] {
            const Reference<css::text::XPageCursor> pages = pageCursorOf(unoDocument(document));
            switch (to.target) {
                case Target::Page:
                    return bool(pages->jumpToPage(static_cast<sal_Int16>(to.page)));
                case Target::FirstPage:
                    return bool(pages->jumpToFirstPage());
                case Target::LastPage:
                    return bool(pages->jumpToLastPage());
                case Target::StartOfPage:
                    return bool(pages->jumpToStartOfPage());
            }
            return false;
        });
    }

    int currentPage(const fk::office::DocumentRef& document) override {
        return call([&] { return pageNumber(pageCursorOf(unoDocument(document))->getPage()); });
    }

    bool holds(const fk::office::DocumentRef& document, fk::office::CursorTest test) override {
        return call([&] {
            if (test == fk::office::CursorTest::Collapsed)
                return bool(viewCursorOf(unoDocument(document))->isCollapsed());
            const css::uno::Any table =
                cursorPropertiesOf(unoDocument(document))->getPropertyValue("TextTable");
            return table.hasValue() && table.getValueTypeClass() == css::uno::TypeClass_INTERFACE &&
                   static_cast<const Reference<css::uno::XInterface>*>(table.getValue())->is();
        });
    }

    QString pageStyle(const fk::office::DocumentRef& document) override {
        return call([&] {
            rtl::OUString name;
            cursorPropertiesOf(unoDocument(document))->getPropertyValue("PageStyleName") >>= name;
            return fromUno(name);
        });
    }

    void completeLayout(const fk::office::DocumentRef& document) override {
        // Tools > Update > Page Formatting: the office formats every page before it returns. Then the
        // fields as printed, and the pages they change formatted again (unchanged paragraphs are not).
        dispatch(document, QStringLiteral(".uno:Repaginate"), {});
        updateFields(document);
        dispatch(document, QStringLiteral(".uno:Repaginate"), {});
    }

    void updateFields(const fk::office::DocumentRef& document) override {
        call([&] {
            Reference<css::text::XTextFieldsSupplier> fields(unoDocument(document).component, UNO_QUERY);
            if (!fields.is()) return;
            // A document without fields has none to update, and the refresh would still count every
            // word of it for its statistics: 0.9 s at 1,000 pages.
            const Reference<css::container::XEnumerationAccess> all = fields->getTextFields();
            if (!all.is() || !all->createEnumeration()->hasMoreElements()) return;
            const Reference<css::util::XModifiable> modifiable(unoDocument(document).component, UNO_QUERY);
            const bool edited = modifiable.is() && modifiable->isModified();
            Reference<css::util::XRefreshable>(all, UNO_QUERY_THROW)->refresh();
            // Printing leaves the document as unedited as it was, and so must this: an edited document's
            // modification-date fields show the time of day instead of the date the file keeps. A
            // document that refuses (read-only, say) is split all the same.
            try {
                if (modifiable.is() && !edited) modifiable->setModified(false);
            } catch (const css::uno::Exception&) {
            }
        });
    }

    void dispatch(const fk::office::DocumentRef& document, const QString& command,
                  const fk::office::Arguments& arguments) override {
        call([&] {
            dispatcher()->executeDispatch(frameOf(unoDocument(document)), toUno(command), rtl::OUString(), 0,
                                          toSequence(arguments));
        });
    }

    void storeToUrl(const fk::office::DocumentRef& document, const QString& url,
                    const fk::office::Arguments& arguments) override {
        call([&] {
            Reference<css::frame::XStorable>(unoDocument(document).component, UNO_QUERY_THROW)
                ->storeToURL(toUno(url), withProgress(toSequence(arguments), reportedProgress()));
        });
    }

    QString loadAndStore(const QString& url, const fk::office::LoadOptions& options, const QString& targetUrl,
                         const fk::office::Arguments& storeArguments) override {
        const Reference<css::script::provider::XScript> script =
            installedScript(kLoadAndStoreModule, QStringLiteral("LoadAndStore"));
        if (!script.is()) {
            // An office without Basic loads and stores call by call.
            fk::office::DocumentRef document;
            try {
                document = load(url, options);
            } catch (const fk::Failure& refusal) {
                if (refusal.kind() == fk::FailureKind::OfficeGone) throw;
                throw fk::office::LoadRefused(refusal);
            }
            QString filter;
            try {
                filter = filterName(document);
                if (fk::office::IsPlainTextFilter(filter)) {
                    close(document);
                    return filter;
                }
                // As printing updates them; in one call the store does so itself.
                updateFields(document);
                storeToUrl(document, targetUrl, storeArguments);
            } catch (...) {
                try {
                    close(document);
                } catch (const fk::Failure&) {
                }
                throw;
            }
            close(document);
            return filter;
        }
        const QStringList answer = call([&] {
            css::uno::Sequence<sal_Int16> outIndex;
            css::uno::Sequence<css::uno::Any> out;
            css::uno::Sequence<css::uno::Any> arguments(4);
            arguments.getArray()[0] <<= toUno(url);
            arguments.getArray()[1] <<= loadArguments(options, reportedProgress());
            arguments.getArray()[2] <<= toUno(targetUrl);
            arguments.getArray()[3] <<= withProgress(toSequence(storeArguments), reportedProgress());
            return strings(script->invoke(arguments, outIndex, out));
        });
        if (answer.size() == 2 && (answer[0] == QLatin1String("stored") || answer[0] == QLatin1String("filter")))
            return answer[1];
        if (answer.size() != 2)
            throw fk::Failure::officeRefused(QStringLiteral("the office's loading and storing answered \"") +
                                             answer.join(QLatin1Char(' ')) + QLatin1Char('"'));
        const fk::Failure refusal = fk::OfficeCallFailure(OfficeWordsIn(answer[1]), !isConnected());
        if (answer[0] == QLatin1String("load")) throw fk::office::LoadRefused(refusal);
        throw refusal;
    }

    std::optional<QStringList> runBasic(const fk::office::BasicModule& module, const QString& function,
                                        const fk::office::DocumentRef& document,
                                        const QString& text) override {
        const Reference<css::script::provider::XScript> script = installedScript(module, function);
        if (!script.is()) return std::nullopt;
        return call([&] {
            css::uno::Sequence<sal_Int16> outIndex;
            css::uno::Sequence<css::uno::Any> out;
            css::uno::Sequence<css::uno::Any> arguments(module.reportsProgress ? 3 : 2);
            arguments.getArray()[0] <<=
                Reference<css::uno::XInterface>(unoDocument(document).component, UNO_QUERY_THROW);
            arguments.getArray()[1] <<= toUno(text);
            if (module.reportsProgress) arguments.getArray()[2] <<= progressIndicator();
            return strings(script->invoke(arguments, outIndex, out));
        });
    }

    // Basic hands an array of strings back as strings, or as anys when it mixes types.
    static QStringList strings(const css::uno::Any& answer) {
        QStringList texts;
        css::uno::Sequence<rtl::OUString> strings;
        css::uno::Sequence<css::uno::Any> items;
        if (answer >>= strings) {
            for (const rtl::OUString& string : strings) texts << fromUno(string);
        } else if (answer >>= items) {
            for (const css::uno::Any& item : items) {
                rtl::OUString string;
                item >>= string;
                texts << fromUno(string);
            }
        } else {
            throw fk::Failure::officeRefused(QStringLiteral("the office's macro returned a ") +
                                             fromUno(answer.getValueTypeName()));
        }
        return texts;
    }

    void reportProgressTo(fk::office::ProgressReport report) override {
        progress_->reportTo(std::move(report));
    }

private:
    Reference<css::task::XStatusIndicator> progressIndicator() const {
        return Reference<css::task::XStatusIndicator>(progress_.get());
    }
    // The indicator for a load, layout or store, where someone takes its reports.
    Reference<css::task::XStatusIndicator> reportedProgress() const {
        return progress_->reporting() ? progressIndicator() : Reference<css::task::XStatusIndicator>();
    }

    fk::office::DocumentRef open(const QString& url,
                                 const css::uno::Sequence<css::beans::PropertyValue>& arguments) {
        return call([&] {
            const Reference<css::lang::XComponent> document =
                desktop()->loadComponentFromURL(toUno(url), "_blank", 0, arguments);
            if (!document.is())
                throw fk::Failure::officeRefused(QStringLiteral("The document cannot be opened: ") + url);
            return std::make_shared<UnoDocument>(document);
        });
    }

    // The office counts pages in 16 bits; read them unsigned to reach 65535.
    static int pageNumber(sal_Int16 page) { return int(static_cast<sal_uInt16>(page)); }

    // The desktop and the dispatcher are the office's, one each per connection.
    Reference<css::frame::XComponentLoader> desktop() {
        if (!desktop_.is()) desktop_.set(service("com.sun.star.frame.Desktop"), UNO_QUERY_THROW);
        return desktop_;
    }
    Reference<css::frame::XDispatchHelper> dispatcher() {
        if (!dispatcher_.is()) dispatcher_.set(service("com.sun.star.frame.DispatchHelper"), UNO_QUERY_THROW);
        return dispatcher_;
    }
    Reference<css::uno::XInterface> service(const char* name) {
        if (!isConnected()) throw fk::Failure::officeGone();
        const Reference<css::uno::XInterface> instance =
            remote_->getServiceManager()->createInstanceWithContext(rtl::OUString::createFromAscii(name),
                                                                    remote_);
        if (!instance.is())
            throw fk::Failure::officeRefused(QString::fromLatin1(name) + QStringLiteral(" returned nothing"));
        return instance;
    }

    // The view cursor of the document's window, asked for once, and the faces of it the calls use.
    static Reference<css::text::XTextViewCursor> viewCursorOf(UnoDocument& document) {
        if (!document.cursor.is()) {
            document.cursor =
                Reference<css::text::XTextViewCursorSupplier>(controllerOf(document), UNO_QUERY_THROW)
                    ->getViewCursor();
            if (!document.cursor.is())
                throw fk::Failure::officeRefused(QStringLiteral("getViewCursor returned nothing"));
        }
        return document.cursor;
    }
    static Reference<css::text::XPageCursor> pageCursorOf(UnoDocument& document) {
        if (!document.pages.is()) document.pages.set(viewCursorOf(document), UNO_QUERY_THROW);
        return document.pages;
    }
    static Reference<css::beans::XPropertySet> cursorPropertiesOf(UnoDocument& document) {
        if (!document.cursorProperties.is())
            document.cursorProperties.set(viewCursorOf(document), UNO_QUERY_THROW);
        return document.cursorProperties;
    }
    static Reference<css::frame::XDispatchProvider> frameOf(UnoDocument& document) {
        if (!document.frame.is()) document.frame.set(controllerOf(document)->getFrame(), UNO_QUERY_THROW);
        return document.frame;
    }
    static Reference<css::frame::XController> controllerOf(UnoDocument& document) {
        if (!document.controller.is()) {
            document.controller =
                Reference<css::frame::XModel>(document.component, UNO_QUERY_THROW)->getCurrentController();
            if (!document.controller.is())
                throw fk::Failure::officeRefused(QStringLiteral("getCurrentController returned nothing"));
        }
        return document.controller;
    }

    // The module put among the office's own Basic macros (where no document's settings can stop it),
    // and its function found; nothing when the office has no Basic.
    Reference<css::script::provider::XScript> installedScript(const fk::office::BasicModule& module,
                                                              const QString& function) {
        if (!isConnected()) throw fk::Failure::officeGone();
        // Installed once per connection; the office keeps the module until it ends.
        const QString key = module.library + QLatin1Char('.') + module.name + QLatin1Char('.') + function;
        if (const auto found = scripts_.find(key); found != scripts_.end()) return found->second;
        try {
            const Reference<css::lang::XMultiComponentFactory> factory = remote_->getServiceManager();
            const Reference<css::script::XLibraryContainer> libraries(
                factory->createInstanceWithContext("com.sun.star.script.ApplicationScriptLibraryContainer",
                                                   remote_),
                UNO_QUERY_THROW);
            const rtl::OUString library = toUno(module.library);
            if (!libraries->hasByName(library)) libraries->createLibrary(library);
            libraries->loadLibrary(library);
            const Reference<css::container::XNameContainer> modules(libraries->getByName(library),
                                                                    UNO_QUERY_THROW);
            const css::uno::Any source(toUno(module.source));
            const rtl::OUString name = toUno(module.name);
            if (modules->hasByName(name))
                modules->replaceByName(name, source);
            else
                modules->insertByName(name, source);
            const Reference<css::script::provider::XScriptProviderFactory> providers(
                factory->createInstanceWithContext("com.sun.star.script.provider.MasterScriptProviderFactory",
                                                   remote_),
                UNO_QUERY_THROW);
            const Reference<css::script::provider::XScriptProvider> provider(
                providers->createScriptProvider(css::uno::Any(rtl::OUString())), UNO_QUERY_THROW);
            const Reference<css::script::provider::XScript> script = provider->getScript(
                toUno(QStringLiteral("vnd.sun.star.script:%1.%2.%3?language=Basic&location=application")
                          .arg(module.library, module.name, function)));
            if (script.is()) scripts_.emplace(key, script);
            return script;
        } catch (const css::lang::DisposedException&) {
            *alive_ = false;
            throw fk::Failure::officeGone();
        } catch (const css::uno::Exception& error) {
            // A connection that broke meanwhile is an office gone, not an office without Basic.
            if (!isConnected() || fk::SaysConnectionGone(fromUno(error.Message))) {
                *alive_ = false;
                throw fk::Failure::officeGone();
            }
            return {};
        }
    }

    template <typename Call>
    auto call(Call&& body) -> decltype(body()) {
        if (!isConnected()) throw fk::Failure::officeGone();
        return guarded(std::forward<Call>(body), *alive_);
    }

    Reference<css::uno::XComponentContext> local_;
    Reference<css::uno::XComponentContext> remote_;
    Reference<css::bridge::XBridge> bridge_;
    Reference<css::frame::XComponentLoader> desktop_;
    Reference<css::frame::XDispatchHelper> dispatcher_;
    std::shared_ptr<std::atomic<bool>> alive_;
    std::map<QString, Reference<css::script::provider::XScript>> scripts_;  // by library.module.function
    rtl::Reference<ProgressIndicator> progress_ = new ProgressIndicator;
};

// One local UNO runtime per process, shared by every session: sessions may be made on several
// threads at once (one per office), and the bootstrap reads the environment.
Reference<css::uno::XComponentContext> localContext(const char* officeProgramFolder) {
    static std::mutex guard;
    static Reference<css::uno::XComponentContext> context;
    const std::lock_guard lock(guard);
    if (context.is()) return context;
    // The local runtime finds its type and service registries through the office's bootstrap file.
    if (std::getenv("URE_BOOTSTRAP") == nullptr) {
        const std::string bootstrap =
            std::string("vnd.sun.star.pathname:") + officeProgramFolder + "/fundamentalrc";
        ::setenv("URE_BOOTSTRAP", bootstrap.c_str(), 0);
    }
    context = cppu::defaultBootstrap_InitialComponentContext();
    return context;
}

}  // namespace

extern "C" SAL_DLLPUBLIC_EXPORT fk::UnoSession* folioknife_create_uno_session(
    const char* officeProgramFolder) {
    try {
        return new Session(localContext(officeProgramFolder));
    } catch (const css::uno::Exception&) {
        return nullptr;
    }
}
