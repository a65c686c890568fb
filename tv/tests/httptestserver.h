#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTcpServer>

// A loopback HTTP server for the channel-list tests: it serves the bodies it is given
// and the files of one folder, answers 404 for anything else, never answers /stall,
// and sends /hop/N on through N redirects to /hop/0.
class THttpTestServer : public QTcpServer {
public:
    THttpTestServer();
    QString Url(const QString& path) const;
    void Serve(const QString& path, const QByteArray& body);
    void ServeFolder(const QString& folder);

private:
    void Answer(QTcpSocket* socket, const QString& path);

    QHash<QString, QByteArray> FBodies;
    QString FFolder;
};
