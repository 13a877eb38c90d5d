#pragma once

#include <QString>

namespace fk {

// How our client and the office it started meet: a named pipe, the URP protocol and the office's
// component context as the first object. The office's --accept argument and the client's connect
// string are both made here, so that they cannot drift apart.
struct OfficeConnection {
    QString pipeName;

    static inline const QString kProtocol = QStringLiteral("urp");
    static inline const QString kInitialObject = QStringLiteral("StarOffice.ComponentContext");

    // What the connector is given: "pipe,name=<pipe>".
    QString connectionDescription() const { return QStringLiteral("pipe,name=") + pipeName; }
    // The office's command-line argument that makes it listen there.
    QString acceptArgument() const {
        return QStringLiteral("--accept=") + connectionDescription() + QLatin1Char(';') + kProtocol +
               QLatin1Char(';') + kInitialObject;
    }
};

}  // namespace fk
