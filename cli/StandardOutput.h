#pragma once

#include <QIODevice>

namespace fk::cli {

// Standard output with every write checked. A reader that has gone (`| head -1`: EPIPE) or a device
// that takes no more (`>/dev/full`: ENOSPC) is noted once, so that the run stops as for an interrupt,
// and later writes are dropped. SIGPIPE is ignored (InterruptSignals), so it never ends the program.
class StandardOutput : public QIODevice {
public:
    explicit StandardOutput(int descriptor);
    bool isSequential() const override { return true; }

    // The error that made a write to standard output fail, or EPIPE once stopIfReaderGone() saw its
    // reader gone; 0 while neither happened. A reader that goes after everything was written loses
    // nothing (`--version | grep -q`), so this alone never looks for one.
    static int lost();
    // lost(), after noting a reader that has gone even before anything more was written: a run asks
    // this to stop early rather than work for output no one will read.
    static int lostOrReaderGone();

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    int descriptor_;
};

}  // namespace fk::cli
