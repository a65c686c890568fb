#include "tv/instancehandover.h"

#include <QLocalSocket>

#include <utility>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int WaitMs = 1000;
constexpr qint64 MaxMessage = 64 * 1024;

// One name per user.
QString& ServerName() {
#ifdef Q_OS_UNIX
    static QString name = u"viewdial-%1"_s.arg(getuid());
#else
    static QString name = u"viewdial-%1"_s.arg(qEnvironmentVariable("USERNAME"));
#endif
    return name;
}

// A name in the abstract namespace leaves no file behind but carries no permissions,
// so the peer's user is asked instead.
bool FromThisUser(const QLocalSocket* socket) {
#ifdef Q_OS_LINUX
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) ==
               0 &&
           peer.uid == getuid();
#else
    Q_UNUSED(socket);
    return true;
#endif
}

} // namespace

bool TInstanceHandOver::HandOver(const QString& location) {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(WaitMs))
        return false;
    socket.write(location.toUtf8() + '\n');
    // The running viewer closes the connection once it has the whole line.
    return socket.waitForBytesWritten(WaitMs) &&
           (socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(WaitMs));
}

QString TInstanceHandOver::SetServerName(const QString& name) {
    return std::exchange(ServerName(), name);
}

void TInstanceHandOver::Listen() {
    FServer.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(&FServer, &QLocalServer::newConnection, this, &TInstanceHandOver::Accept);
    // A viewer started alongside may have the name already; this one then plays alone.
    FServer.listen(ServerName());
}

void TInstanceHandOver::Accept() {
    while (QLocalSocket* socket = FServer.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!FromThisUser(socket)) {
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // However the bytes come in, a location is at most MaxMessage long.
            if (socket->bytesAvailable() > MaxMessage)
                return socket->abort();
            if (!socket->canReadLine())
                return;
            const QString location = QString::fromUtf8(socket->readLine()).trimmed();
            socket->disconnectFromServer();
            emit received(location);
        });
    }
}
