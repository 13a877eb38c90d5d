#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace fk {

// --help and --version: what the program prints for them, answered before any window is made, so
// that they need no display. Empty when the arguments ask for neither; the first one asked wins.
std::optional<QString> InfoOptionText(const QStringList& arguments);
std::optional<QString> InfoOptionText(int argc, char* argv[]);

QString WindowUsageText();

}  // namespace fk
