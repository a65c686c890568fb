#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QTcpServer>

// A loopback HTTP server for the channel-list and guide tests: it serves the bodies it is
// given and the files of one folder, answers 404 for anything else, never answers
// /stall, and sends /hop/N on through N redirects to /hop/0. A body is served with a
// validator, so a client that asks again with it gets 304; every request's head is kept.
class THttpTestServer : public QTcpServer {
public:
    THttpTestServer();
    QString Url(const QString& path) const;
    void Serve(const QString& path, const QByteArray& body);
    void ServeFolder(const QString& folder);
    // The heads of the requests answered so far, in order.
    const QList<QByteArray>& Requests() const { return FRequests; }

private:
    void Answer(QTcpSocket* socket, const QByteArray& head);

    QHash<QString, QByteArray> FBodies;
    QString FFolder;
    QList<QByteArray> FRequests;
};

// The bytes gzip'd, as a guide is served.
QByteArray Gzip(QByteArrayView plain);
