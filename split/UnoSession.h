#pragma once

#include "split/OfficeBridge.h"
#include "split/OfficeConnection.h"

namespace fk {

// What the UNO plugin offers: the office calls, plus connecting to an office that listens on a pipe.
class UnoSession : public office::OfficeBridge {
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
