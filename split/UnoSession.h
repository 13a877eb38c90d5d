#pragma once

#include "split/OfficeConnection.h"
#include "split/OfficeSession.h"

namespace fk {

// What the UNO plugin offers: both roles of an office, on the office it connects to over a pipe.
class UnoSession : public office::DocumentStore, public office::PageCursor {
public:
    // False while nothing listens there yet.
    virtual bool connect(const OfficeConnection& connection) = 0;
    // False before the first connect, and once the office at the other end has gone away.
    virtual bool isConnected() = 0;
};

}  // namespace fk

// The plugin's one exported function; officeProgramFolder holds the office's bootstrap files.
extern "C" {
using CreateUnoSessionFunction = fk::UnoSession* (*)(const char* officeProgramFolder);
inline constexpr const char* kCreateUnoSessionSymbol = "folioknife_create_uno_session";
}
