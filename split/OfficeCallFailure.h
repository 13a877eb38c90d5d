#pragma once

#include <QString>

#include "base/Failure.h"

namespace fk {

// Whether the office's words for a failed call say that the connection to it was torn down under the
// call: the office died, and refused nothing.
inline bool SaysConnectionGone(const QString& message) {
    return message.contains(QLatin1String("bridge"), Qt::CaseInsensitive) &&
           message.contains(QLatin1String("disposed"), Qt::CaseInsensitive);
}

// The failure a call the office did not complete stands for: an office gone once the connection is
// lost, else the office's refusal in its own words.
inline Failure OfficeCallFailure(const QString& message, bool connectionLost) {
    if (connectionLost || SaysConnectionGone(message)) return Failure::officeGone();
    return Failure::officeRefused(message.isEmpty() ? QStringLiteral("the office refused the call")
                                                    : message);
}

}  // namespace fk
