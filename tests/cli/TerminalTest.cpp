#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QByteArray>
#include <QtGlobal>

#include "cli/Terminal.h"

using namespace fk::cli;

namespace {

// A pseudo-terminal of a given width, as a terminal window gives the program.
class PseudoTerminal {
public:
    explicit PseudoTerminal(unsigned short columns) {
        winsize size{};
        size.ws_col = columns;
        size.ws_row = 24;
        ok_ = ::openpty(&controller_, &terminal_, nullptr, nullptr, &size) == 0;
    }
    ~PseudoTerminal() {
        if (!ok_) return;
        ::close(controller_);
        ::close(terminal_);
    }
    bool ok() const { return ok_; }
    int terminal() const { return terminal_; }

private:
    int controller_ = -1;
    int terminal_ = -1;
    bool ok_ = false;
};

TEST(Terminal, RedrawsOnlyOnATerminalThatIsNotDumbAndKnowsItsWidth) {
    const QByteArray before = qgetenv("TERM");
    PseudoTerminal pty(52);
    ASSERT_TRUE(pty.ok());
    const struct {
        const char* term;
        bool redraws;
    } cases[] = {{"xterm-256color", true}, {"dumb", false}, {"", false}};
    for (const auto& [term, redraws] : cases) {
        qputenv("TERM", term);
        const Terminal terminal = TerminalOf(pty.terminal());
        EXPECT_EQ(terminal.redraws, redraws) << term;
        EXPECT_EQ(terminal.columns, 52) << term;
    }
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    qputenv("TERM", "xterm");
    EXPECT_FALSE(TerminalOf(pipeEnds[1]).redraws) << "a pipe is no terminal";
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    qputenv("TERM", before);
}

}  // namespace
