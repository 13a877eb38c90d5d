#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

namespace fk::office {

// A name/value pair as the office's argument lists carry them.
struct PropertyValue {
    QString name;
    QVariant value;
};
using Arguments = QList<PropertyValue>;

// A load argument named kInteractionHandler with this value is turned by the bridge into an interaction
// handler that answers every question of the office with its abort choice (disapprove where it offers
// no abort), so that no dialog ever waits for a user: a load that would ask fails instead.
inline const QString kInteractionHandler = QStringLiteral("InteractionHandler");
inline const QString kAbortEveryInteraction = QStringLiteral("abort");

// An office object (service manager, desktop, document, frame, ...) whose type only the bridge knows.
class Object {
public:
    virtual ~Object() = default;
};
using Ref = std::shared_ptr<Object>;

// A Basic module of this program's own, run inside the office's process among the office's own macros
// (never a document's): a loop that calls the office thousands of times costs a round trip per call
// when it runs here, and next to nothing there.
struct BasicModule {
    QString library;
    QString name;
    QString source;
};

// The calls the program makes on the office suite, one method per call, named as the office names them.
// Every method throws fk::Failure when the office refuses the call.
class OfficeBridge {
public:
    virtual ~OfficeBridge() = default;

    // Connects to the office (starting it when needed) and returns its service manager.
    virtual Ref createServiceManager() = 0;
    virtual Ref createInstance(const Ref& serviceManager, const QString& serviceName) = 0;
    virtual PropertyValue Bridge_GetStruct(const Ref& serviceManager, const QString& typeName) = 0;
    virtual Ref loadComponentFromURL(const Ref& desktop, const QString& url, const QString& targetFrame,
                                     int searchFlags, const Arguments& arguments) = 0;
    virtual Ref getCurrentController(const Ref& document) = 0;
    virtual Ref getViewCursor(const Ref& controller) = 0;
    virtual Ref getFrame(const Ref& controller) = 0;
    virtual bool jumpToLastPage(const Ref& viewCursor) = 0;
    virtual bool jumpToFirstPage(const Ref& viewCursor) = 0;
    virtual bool jumpToPage(const Ref& viewCursor, int page) = 0;
    virtual int getPage(const Ref& viewCursor) = 0;
    // True when the view cursor selects nothing.
    virtual bool isCollapsed(const Ref& viewCursor) = 0;
    // True when the view cursor stands inside a table.
    virtual bool isInTable(const Ref& viewCursor) = 0;
    virtual void executeDispatch(const Ref& dispatcher, const Ref& frame, const QString& command,
                                 const QString& targetFrame, int searchFlags, const Arguments& arguments) = 0;
    virtual void Close(const Ref& document, bool deliverOwnership) = 0;

    // For marking page starts: the view cursor to the start of its page, a property of an object
    // (as text, for names), and the document stored to a URL without becoming that file's document.
    virtual bool jumpToStartOfPage(const Ref& viewCursor) = 0;
    virtual QString getPropertyValue(const Ref& object, const QString& name) = 0;
    virtual void storeToURL(const Ref& document, const QString& url, const Arguments& arguments) = 0;

    // Installs the module in the office (replacing an older version) and runs its function with the
    // object and the text as its arguments; returns the strings the function returns. Returns nothing
    // when the office cannot take or find the module (it has no Basic); throws when the office has
    // gone away or the function fails.
    virtual std::optional<QStringList> runBasic(const BasicModule& module, const QString& function,
                                                const Ref& object, const QString& text) = 0;

    // False once the office behind the last service manager has gone away.
    virtual bool isAlive() = 0;
};

}  // namespace fk::office
