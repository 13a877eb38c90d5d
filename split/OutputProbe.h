#pragma once

#include <QDateTime>
#include <QString>

namespace fk {

// Tells whether a store step really wrote its output file: the file must exist afterwards and be
// new, replaced or rewritten since the probe was made.
class OutputProbe {
public:
    explicit OutputProbe(const QString& path);
    // Throws RuntimeError when the file was not written.
    void verifyWritten() const;

private:
    struct Snapshot {
        bool exists = false;
        qint64 inode = 0;
        qint64 modifiedNs = 0;
        qint64 size = 0;
    };
    static Snapshot take(const QString& path);

    QString path_;
    Snapshot before_;
    qint64 startNs_;
};

}  // namespace fk
