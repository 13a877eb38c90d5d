#include "cli/Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <QByteArray>
#include <QtGlobal>

namespace fk::cli {

Terminal TerminalOf(int fileDescriptor) {
    Terminal terminal;
    const QByteArray type = qgetenv("TERM");
    terminal.redraws = ::isatty(fileDescriptor) == 1 && !type.isEmpty() && type != "dumb";
    winsize size{};
    if (::ioctl(fileDescriptor, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        terminal.columns = size.ws_col;
    } else {
        bool ok = false;
        const int columns = qEnvironmentVariableIntValue("COLUMNS", &ok);
        if (ok && columns > 0) terminal.columns = columns;
    }
    return terminal;
}

}  // namespace fk::cli
