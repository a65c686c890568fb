#pragma once

#include <QCache>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

// The channels' logos, fetched only as their rows are painted: a few at a time, each
// within limits of time and size, cached on disk for the next start, scaled once to the
// row's height and kept in memory for the most recently shown. A logo that fails is not
// tried again in this run; its row goes without.
class TLogoCache : public QObject {
    Q_OBJECT
public:
    static constexpr int Running = 4;
    static constexpr std::chrono::milliseconds TimeLimit{10000};
    static constexpr qint64 SizeLimit = 512 * 1024;
    static constexpr int Kept = 2000;

    explicit TLogoCache(QObject* parent = nullptr);
    ~TLogoCache() override;

    // The logo scaled to fit a box height high and half as wide again, or a null pixmap
    // while it comes and when it failed; a logo not yet asked for is asked for.
    QPixmap Logo(const QString& address, int height);
    // The rows asked for are no longer on screen: what waits is not fetched.
    void ForgetWaiting();

    int KeptCount() const { return FKept.count(); }

signals:
    void arrived(const QString& address);

private:
    void Next();
    void Finished(QNetworkReply* reply, int height);
    void Decoded(const QString& address, const QImage& image);
    void Failed(const QString& address);

    QNetworkAccessManager* FNetwork = nullptr;
    QCache<QString, QPixmap> FKept;
    QSet<QString> FFailed;
    QHash<QString, int> FWaiting; // address and height, asked for but not started
    QStringList FOrder;           // of FWaiting, first asked first
    QSet<QString> FBusy;          // fetched or decoded now
    int FFetching = 0;
    QThreadPool FDecoders;
};
