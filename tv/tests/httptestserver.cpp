#include "tv/tests/httptestserver.h"

#include <QFile>
#include <QTcpSocket>

#include <zlib.h>

using namespace Qt::Literals::StringLiterals;

THttpTestServer::THttpTestServer() {
    listen(QHostAddress::LocalHost, 0);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                // The whole head first: a conditional request says so in its fields.
                socket->setProperty("head",
                                    socket->property("head").toByteArray() + socket->readAll());
                const QByteArray head = socket->property("head").toByteArray();
                if (head.contains("\r\n\r\n") && !socket->property("answered").toBool()) {
                    socket->setProperty("answered", true);
                    Answer(socket, head.first(head.indexOf("\r\n\r\n")));
                }
            });
        }
    });
}

QString THttpTestServer::Url(const QString& path) const {
    return u"http://127.0.0.1:%1%2"_s.arg(serverPort()).arg(path);
}

void THttpTestServer::Serve(const QString& path, const QByteArray& body) {
    FBodies.insert(path, body);
}

void THttpTestServer::ServeFolder(const QString& folder) {
    FFolder = folder;
}

void THttpTestServer::Answer(QTcpSocket* socket, const QByteArray& request) {
    FRequests.append(request);
    const QString path = QString::fromUtf8(request.split(' ').value(1));
    if (path == u"/stall"_s)
        return;
    QByteArray head = "HTTP/1.1 200 OK\r\n";
    QByteArray body = FBodies.value(path);
    QFile file(FFolder + path);
    if (path.startsWith(u"/hop/"_s) && path != u"/hop/0"_s)
        head = "HTTP/1.1 302 Found\r\nLocation: /hop/" +
               QByteArray::number(path.sliced(5).toInt() - 1) + "\r\n";
    else if (!FBodies.contains(path) && !FFolder.isEmpty() && file.open(QIODevice::ReadOnly))
        body = file.readAll();
    else if (!FBodies.contains(path))
        head = "HTTP/1.1 404 Not Found\r\n";
    else {
        // A body's validator is its hash; the client is to ask each time whether it is
        // still the one it keeps.
        const QByteArray tag = '"' + QByteArray::number(qHash(body), 16) + '"';
        head += "ETag: " + tag + "\r\nCache-Control: no-cache\r\n";
        if (request.contains("\r\nIf-None-Match: " + tag)) {
            head = "HTTP/1.1 304 Not Modified\r\nETag: " + tag + "\r\n";
            body.clear();
        }
    }
    socket->write(head + "Content-Length: " + QByteArray::number(body.size()) +
                  "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

QByteArray Gzip(QByteArrayView plain) {
    z_stream zip{};
    deflateInit2(&zip, 1, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&zip, uLong(plain.size()))), '\0');
    zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    zip.avail_in = uInt(plain.size());
    zip.next_out = reinterpret_cast<Bytef*>(out.data());
    zip.avail_out = uInt(out.size());
    deflate(&zip, Z_FINISH);
    out.resize(qsizetype(zip.total_out));
    deflateEnd(&zip);
    return out;
}
