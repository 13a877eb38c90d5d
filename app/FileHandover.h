#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

namespace fk {

// A second start of the window with files hands them to the window already running, as a desktop's
// "Open With" expects of a program that keeps one list.

// Beyond any list a desktop hands over; a bigger message is refused unread.
inline constexpr qint64 kMaxHandoverBytes = 1 << 20;
inline constexpr int kMaxHandoverNameLength = 4096;

// The user's own socket: in XDG_RUNTIME_DIR, else in /tmp under the user's id.
QString HandoverServerName();

// The message: each name in UTF-8 followed by a NUL, behind the message's length (4 bytes, big-endian).
QByteArray EncodeHandover(const QStringList& files);
// The names of a message's body; nothing when one is not an absolute path of printable characters, or
// the body is not UTF-8.
std::optional<QStringList> DecodeHandover(const QByteArray& body);

enum class HandoverResult {
    NoWindow,  // nothing listens: this start opens its own window
    Taken,
    Refused,
};
HandoverResult HandFilesToRunningWindow(const QString& serverName, const QStringList& files,
                                        int timeoutMs = 5000);

// Listens for the files of later starts and passes the names of each message to `take`, on the thread
// it lives on.
class FileHandoverServer : public QObject {
public:
    FileHandoverServer(QString serverName, std::function<void(const QStringList&)> take);
    // False when another window listens already, or the socket cannot be made.
    bool listen();

private:
    void accept();

    QString serverName_;
    std::function<void(const QStringList&)> take_;
    QLocalServer server_;
};

}  // namespace fk
