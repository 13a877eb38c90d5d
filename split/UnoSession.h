#pragma once

#include "split/OfficeConnection.h"
#include "split/OfficeSession.h"

namespace fk {

// What the UNO plugin offers: the office session, plus connecting to an office that listens on a pipe.
class UnoSession : public office::OfficeSession {
public:
    // False while nothing listens there yet.
    virtual bool connect(const OfficeConnection& connection) = 0;
};

}  // namespace fk

// The plugin's one exported function; officeProgramFolder holds the office's bootstrap files.
extern "C" {
using CreateUnoSessionFunction = fk::UnoSession* (*)(const char* officeProgramFolder);
inline constexpr const char* kCreateUnoSessionSymbol = "folioknife_create_uno_session";
}
