#pragma once

#include "tv/playlist.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QString>

#include <chrono>

class QMimeData;
class QNetworkReply;

// Fetches a channel list from a file or an http(s) address and reads it. A file is read
// before Load returns; an address is fetched in the background, so the window goes on
// answering, and within limits that a broken or hostile server cannot stretch: no data
// for 20 s, more than 5 redirects, a bad certificate or more than 32 MiB end it.
class TPlaylistLoader : public QObject {
    Q_OBJECT
public:
    explicit TPlaylistLoader(QObject* parent = nullptr);

    static constexpr qint64 MaxBytes = qint64(32) << 20;
    static constexpr int MaxRedirects = 5;

    // Abandons a load still running, without a word.
    void Load(const QString& fileOrAddress);
    void Abort();
    bool IsLoading() const { return FReply != nullptr; }

    // What is remembered of a list: its absolute path or its address.
    static QString LocationOf(const QString& fileOrAddress);
    // Lists and guides are read from files and http(s) addresses, and from nothing else.
    enum class TLocationKind { File, Web, Refused };
    static TLocationKind KindOf(const QString& location);
    // A request for an address within the limits above, and what its failure says.
    static QNetworkRequest Request(const QUrl& address);
    static QString NetworkFailure(const QNetworkReply& reply);
    // The file or address that a drag brings, or nothing if it brings neither.
    static QString DropLocation(const QMimeData* mime);

    // Lets the tests wait for a silent server less long; returns the limit before.
    static std::chrono::milliseconds SetNoDataLimit(std::chrono::milliseconds limit);

signals:
    // Only lists with at least one channel arrive here.
    void loaded(const QString& location, const TPlaylist& list);
    // The reason is one sentence for the user.
    void failed(const QString& location, const QString& reason);

private:
    void LoadFile(const QString& path);
    void Fetch(const QUrl& address);
    void Received();
    void Finished();
    void Read(const QByteArray& bytes, const QUrl& base);

    QNetworkAccessManager FNetwork;
    QNetworkReply* FReply = nullptr;
    QByteArray FData;
    QString FLocation;
};
