#pragma once

#include <QByteArray>
#include <QString>

namespace fk {

// Tells whether a store step really wrote its output file: the file must exist afterwards and be
// new, replaced or rewritten since the probe was made.
class OutputProbe {
public:
    explicit OutputProbe(const QString& path);
    // Whether the file is there now and is not the very file that was there before.
    bool written() const;
    // Throws Failure when the file was not written.
    void verifyWritten() const;

private:
    struct Snapshot {
        bool exists = false;
        qint64 device = 0;
        qint64 inode = 0;
        qint64 modifiedNs = 0;
        qint64 size = 0;
        QByteArray signature;  // of the file's head and tail

        bool sameFileAs(const Snapshot& other) const;
    };
    static Snapshot take(const QString& path);

    QString path_;
    Snapshot before_;
};

}  // namespace fk
