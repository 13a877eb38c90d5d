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

    // The error that made a write to standard output fail, EPIPE once its reader has gone even before
    // anything more was written; 0 while neither happened.
    static int lost();

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    int descriptor_;
};

}  // namespace fk::cli
