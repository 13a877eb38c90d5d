// The only code that speaks UNO. Built as a plugin that the program opens on first use.
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
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XTextViewCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>

#include "base/Failure.h"
#include "split/UnoSession.h"

namespace css = com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

namespace {

rtl::OUString toUno(const QString& text) {
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()),
                         static_cast<sal_Int32>(text.size()));
}

QString fromUno(const rtl::OUString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

// An office object and the interfaces already asked of it: each question to a remote object is a
// round trip to the office, and the split run asks the same few of the same objects on every page.
struct UnoObject : fk::office::Object {
    explicit UnoObject(Reference<css::uno::XInterface> object) : reference(std::move(object)) {}
    Reference<css::uno::XInterface> reference;
    mutable std::vector<std::pair<css::uno::Type, Reference<css::uno::XInterface>>> interfaces;
};

fk::office::Ref wrap(const Reference<css::uno::XInterface>& object, const char* what) {
    if (!object.is())
        throw fk::Failure::officeRefused(QString::fromLatin1(what) + QStringLiteral(" returned nothing"));
    return std::make_shared<UnoObject>(object);
}

template <typename Interface>
Reference<Interface> as(const fk::office::Ref& object) {
    const auto* uno = dynamic_cast<const UnoObject*>(object.get());
    if (uno == nullptr || !uno->reference.is()) {
        throw fk::Failure::officeGone();
    }
    const css::uno::Type& type = cppu::UnoType<Interface>::get();
    for (const auto& [known, answer] : uno->interfaces) {
        if (known == type) return Reference<Interface>(static_cast<Interface*>(answer.get()));
    }
    Reference<Interface> answer(uno->reference, UNO_QUERY_THROW);
    uno->interfaces.emplace_back(type, Reference<css::uno::XInterface>(answer.get()));
    return answer;
}

css::uno::Any toAny(const QVariant& value) {
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

css::uno::Any toArgumentValue(const fk::office::PropertyValue& argument) {
    if (argument.name == fk::office::kInteractionHandler &&
        argument.value.toString() == fk::office::kAbortEveryInteraction) {
        return css::uno::Any(Reference<css::task::XInteractionHandler>(new AbortingInteractionHandler));
    }
    return toAny(argument.value);
}

css::uno::Sequence<css::beans::PropertyValue> toSequence(const fk::office::Arguments& arguments) {
    css::uno::Sequence<css::beans::PropertyValue> sequence(static_cast<sal_Int32>(arguments.size()));
    auto* out = sequence.getArray();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        out[i].Name = toUno(arguments.at(i).name);
        out[i].Value = toArgumentValue(arguments.at(i));
    }
    return sequence;
}

// Every office failure reaches the caller as the program's own run-time error. A disposed bridge
// means the office has gone away.
template <typename Call>
auto guarded(Call&& call, std::atomic<bool>* alive = nullptr) -> decltype(call()) {
    try {
        return call();
    } catch (const css::lang::DisposedException& error) {
        if (alive != nullptr) *alive = false;
        throw fk::Failure::officeRefused(fromUno(error.Message));
    } catch (const css::uno::Exception& error) {
        const QString message = fromUno(error.Message);
        throw fk::Failure::officeRefused(message.isEmpty() ? QStringLiteral("the office refused the call")
                                                             : message);
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
            scripts_.clear();
            return true;
        } catch (const css::uno::Exception&) {
            return false;
        }
    }

    bool isAlive() override { return alive_ && *alive_ && remote_.is(); }

    fk::office::Ref createServiceManager() override {
        if (!isAlive()) throw fk::Failure::officeUnreachable();
        // The office has one service manager; asked for on every page, it is fetched once per connection.
        if (!serviceManager_ || serviceManagerBridge_ != bridge_) {
            serviceManager_ = call([&] { return wrap(remote_->getServiceManager(), "getServiceManager"); });
            serviceManagerBridge_ = bridge_;
        }
        return serviceManager_;
    }

    fk::office::Ref createInstance(const fk::office::Ref& serviceManager,
                                   const QString& serviceName) override {
        return call([&] {
            return wrap(as<css::lang::XMultiComponentFactory>(serviceManager)
                            ->createInstanceWithContext(toUno(serviceName), remote_),
                        "createInstance");
        });
    }

    fk::office::PropertyValue Bridge_GetStruct(const fk::office::Ref& serviceManager,
                                               const QString&) override {
        as<css::lang::XMultiComponentFactory>(serviceManager);
        return {};
    }

    fk::office::Ref loadComponentFromURL(const fk::office::Ref& desktop, const QString& url,
                                         const QString& targetFrame, int searchFlags,
                                         const fk::office::Arguments& arguments) override {
        return call([&] {
            const auto document = as<css::frame::XComponentLoader>(desktop)->loadComponentFromURL(
                toUno(url), toUno(targetFrame), searchFlags, toSequence(arguments));
            if (!document.is())
                throw fk::Failure::officeRefused(QStringLiteral("The document cannot be opened: ") + url);
            return wrap(document, "loadComponentFromURL");
        });
    }

    fk::office::Ref getCurrentController(const fk::office::Ref& document) override {
        return call([&] {
            return wrap(as<css::frame::XModel>(document)->getCurrentController(), "getCurrentController");
        });
    }

    fk::office::Ref getViewCursor(const fk::office::Ref& controller) override {
        return call([&] {
            return wrap(as<css::text::XTextViewCursorSupplier>(controller)->getViewCursor(), "getViewCursor");
        });
    }

    fk::office::Ref getFrame(const fk::office::Ref& controller) override {
        return call([&] { return wrap(as<css::frame::XController>(controller)->getFrame(), "getFrame"); });
    }

    bool jumpToLastPage(const fk::office::Ref& viewCursor) override {
        return call([&] { return bool(as<css::text::XPageCursor>(viewCursor)->jumpToLastPage()); });
    }

    bool jumpToFirstPage(const fk::office::Ref& viewCursor) override {
        return call([&] { return bool(as<css::text::XPageCursor>(viewCursor)->jumpToFirstPage()); });
    }

    bool jumpToPage(const fk::office::Ref& viewCursor, int page) override {
        return call([&] {
            return bool(as<css::text::XPageCursor>(viewCursor)->jumpToPage(static_cast<sal_Int16>(page)));
        });
    }

    bool isInTable(const fk::office::Ref& viewCursor) override {
        return call([&] {
            const css::uno::Any table =
                as<css::beans::XPropertySet>(viewCursor)->getPropertyValue("TextTable");
            return table.hasValue() && table.getValueTypeClass() == css::uno::TypeClass_INTERFACE &&
                   static_cast<const Reference<css::uno::XInterface>*>(table.getValue())->is();
        });
    }

    bool isCollapsed(const fk::office::Ref& viewCursor) override {
        return call([&] { return bool(as<css::text::XTextViewCursor>(viewCursor)->isCollapsed()); });
    }

    int getPage(const fk::office::Ref& viewCursor) override {
        // The office counts pages in 16 bits; read them unsigned to reach 65535.
        return call(
            [&] { return int(static_cast<sal_uInt16>(as<css::text::XPageCursor>(viewCursor)->getPage())); });
    }

    void executeDispatch(const fk::office::Ref& dispatcher, const fk::office::Ref& frame,
                         const QString& command, const QString& targetFrame, int searchFlags,
                         const fk::office::Arguments& arguments) override {
        call([&] {
            as<css::frame::XDispatchHelper>(dispatcher)
                ->executeDispatch(as<css::frame::XDispatchProvider>(frame), toUno(command),
                                  toUno(targetFrame), searchFlags, toSequence(arguments));
        });
    }

    void Close(const fk::office::Ref& document, bool deliverOwnership) override {
        call([&] { as<css::util::XCloseable>(document)->close(deliverOwnership); });
    }

    bool jumpToStartOfPage(const fk::office::Ref& viewCursor) override {
        return call([&] { return bool(as<css::text::XPageCursor>(viewCursor)->jumpToStartOfPage()); });
    }

    QString getPropertyValue(const fk::office::Ref& object, const QString& name) override {
        return call([&] {
            rtl::OUString text;
            as<css::beans::XPropertySet>(object)->getPropertyValue(toUno(name)) >>= text;
            return fromUno(text);
        });
    }

    void storeToURL(const fk::office::Ref& document, const QString& url,
                    const fk::office::Arguments& arguments) override {
        call([&] { as<css::frame::XStorable>(document)->storeToURL(toUno(url), toSequence(arguments)); });
    }

    std::optional<QStringList> runBasic(const fk::office::BasicModule& module, const QString& function,
                                        const fk::office::Ref& object, const QString& text) override {
        const Reference<css::script::provider::XScript> script = installedScript(module, function);
        if (!script.is()) return std::nullopt;
        return call([&] {
            css::uno::Sequence<sal_Int16> outIndex;
            css::uno::Sequence<css::uno::Any> out;
            css::uno::Sequence<css::uno::Any> arguments(2);
            arguments.getArray()[0] <<= as<css::uno::XInterface>(object);
            arguments.getArray()[1] <<= toUno(text);
            const css::uno::Any answer = script->invoke(arguments, outIndex, out);
            // Basic hands an array of strings back as strings, or as anys when it mixes types.
            QStringList texts;
            css::uno::Sequence<rtl::OUString> strings;
            css::uno::Sequence<css::uno::Any> items;
            if (answer >>= strings) {
                for (const rtl::OUString& text : strings) texts << fromUno(text);
            } else if (answer >>= items) {
                for (const css::uno::Any& item : items) {
                    rtl::OUString text;
                    item >>= text;
                    texts << fromUno(text);
                }
            } else {
                throw fk::Failure::officeRefused(QStringLiteral("the office's macro returned a ") +
                                                   fromUno(answer.getValueTypeName()));
            }
            return texts;
        });
    }

private:
    // The module put among the office's own Basic macros (where no document's settings can stop it),
    // and its function found; nothing when the office has no Basic.
    Reference<css::script::provider::XScript> installedScript(const fk::office::BasicModule& module,
                                                              const QString& function) {
        if (!isAlive()) throw fk::Failure::officeUnreachable();
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
        } catch (const css::lang::DisposedException& error) {
            *alive_ = false;
            throw fk::Failure::officeRefused(fromUno(error.Message));
        } catch (const css::uno::Exception&) {
            // A connection that broke meanwhile is an office gone, not an office without Basic.
            if (!isAlive()) throw fk::Failure::officeRefused(QStringLiteral("the office went away"));
            return {};
        }
    }

    template <typename Call>
    auto call(Call&& body) -> decltype(body()) {
        return guarded(std::forward<Call>(body), alive_.get());
    }

    Reference<css::uno::XComponentContext> local_;
    Reference<css::uno::XComponentContext> remote_;
    fk::office::Ref serviceManager_;
    Reference<css::bridge::XBridge> serviceManagerBridge_;
    Reference<css::bridge::XBridge> bridge_;
    std::shared_ptr<std::atomic<bool>> alive_;
    std::map<QString, Reference<css::script::provider::XScript>> scripts_;  // by library.module.function
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
