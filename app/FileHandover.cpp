#include "app/FileHandover.h"

#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStringDecoder>
#include <QTimer>
#include <QtEndian>

namespace fk {

namespace {

constexpr int kLengthBytes = 4;
constexpr char kTaken = 'y';
constexpr char kRefused = 'n';
// A start that connects and then says nothing is dropped after this.
constexpr int kSilentClientMs = 10000;

bool IsPrintable(const QString& name) {
    for (const QChar character : name)
        if (character.category() == QChar::Other_Control) return false;
    return true;
}

// A socket of another user in a shared folder would be handed the names: only our own is spoken to.
bool IsOwnSocket(const QString& path) {
    const QFileInfo socket(path);
    return socket.exists() && socket.ownerId() == ::getuid();
}

}  // namespace

QString HandoverServerName() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("folioknife-window"));
    return QStringLiteral("/tmp/folioknife-window-%1").arg(::getuid());
}

QByteArray EncodeHandover(const QStringList& files) {
    QByteArray body;
    for (const QString& file : files) body += file.toUtf8() + '\0';
    QByteArray message(kLengthBytes, '\0');
    qToBigEndian(static_cast<quint32>(body.size()), message.data());
    return message + body;
}

std::optional<QStringList> DecodeHandover(const QByteArray& body) {
    if (!body.isEmpty() && !body.endsWith('\0')) return std::nullopt;
    QStringList names;
    for (const QByteArray& bytes : body.split('\0').mid(0, body.count('\0'))) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString name = utf8(bytes);
        if (utf8.hasError() || !name.startsWith(QLatin1Char('/')) || name.size() > kMaxHandoverNameLength ||
            !IsPrintable(name))
            return std::nullopt;
        names << name;
    }
    return names;
}

HandoverResult HandFilesToRunningWindow(const QString& serverName, const QStringList& files, int timeoutMs) {
    if (!IsOwnSocket(serverName)) return HandoverResult::NoWindow;
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) return HandoverResult::NoWindow;
    const QByteArray message = EncodeHandover(files);
    if (message.size() > kLengthBytes + kMaxHandoverBytes) return HandoverResult::Refused;
    socket.write(message);
    // The window answers once it has the names; a window that goes meanwhile took nothing.
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(timeoutMs)) return HandoverResult::Refused;
    }
    return socket.read(1) == QByteArray(1, kTaken) ? HandoverResult::Taken : HandoverResult::Refused;
}

FileHandoverServer::FileHandoverServer(QString serverName, std::function<void(const QStringList&)> take)
    : serverName_(std::move(serverName)), take_(std::move(take)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &FileHandoverServer::accept);
}

bool FileHandoverServer::listen() {
    // The socket is made aside and moved into place, so listening would take a running window's name:
    // a window that answers keeps it.
    QLocalSocket probe;
    probe.connectToServer(serverName_);
    if (probe.waitForConnected(1000)) return false;
    if (QFileInfo::exists(serverName_)) {
        // Left by a window that did not close, unless it is another user's.
        if (!IsOwnSocket(serverName_)) return false;
        QLocalServer::removeServer(serverName_);
    }
    return server_.listen(serverName_);
}

void FileHandoverServer::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kSilentClientMs, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (socket->bytesAvailable() < kLengthBytes) return;
            const quint32 length = qFromBigEndian<quint32>(socket->peek(kLengthBytes).constData());
            if (length > kMaxHandoverBytes) {
                socket->write(QByteArray(1, kRefused));
                socket->disconnectFromServer();
                return;
            }
            if (socket->bytesAvailable() < kLengthBytes + qint64(length)) return;
            socket->read(kLengthBytes);
            const std::optional<QStringList> names = DecodeHandover(socket->read(length));
            socket->write(QByteArray(1, names ? kTaken : kRefused));
            socket->disconnectFromServer();
            if (names) take_(*names);
        });
    }
}

}  // namespace fk
