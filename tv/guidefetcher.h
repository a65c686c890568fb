#pragma once

#include "tv/guide.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QStringList>
#include <QThread>

#include <functional>
#include <memory>

class QNetworkReply;
class TGuideParse;

// Fetches the programme guides of the open channel list and reads them, merged in the
// order given, without the window ever waiting: the bytes go to a reader on a thread of
// its own as they arrive, so a guide is never held whole. A guide is a file or an http(s)
// address; addresses are fetched within the list loader's limits and kept in a disk cache
// of their own, so that an unchanged guide is answered by its server's Last-Modified or
// ETag at the next start.
class TGuideFetcher : public QObject {
    Q_OBJECT
public:
    explicit TGuideFetcher(QObject* parent = nullptr);
    ~TGuideFetcher() override;

    static constexpr int MaxGuides = 5;

    // Replaces a fetch still running; the guides past the first MaxGuides are left.
    void Fetch(std::shared_ptr<const TPlaylist> list, const QStringList& guides);
    void Abort();
    bool IsFetching() const { return FParse != nullptr; }
    // Lets go of a guide on the reader's thread: a week of a few hundred channels takes
    // longer to free than the window may stand still.
    void Release(std::shared_ptr<const TGuide> guide);

    // Lets the tests and benchmarks send every guide address to a loopback server of
    // their own; an empty answer leaves the guide out.
    using TAddressRedirect = std::function<QString(const QString&)>;
    static TAddressRedirect SetAddressRedirect(TAddressRedirect redirect);

signals:
    // The guides read, those that failed left out.
    void ready(std::shared_ptr<const TGuide> guide);
    // The reason is one sentence for the user; it comes before ready when only some failed.
    void failed(const QString& reason);

private:
    void Next();
    void Received();
    void Finished();
    void Read(int fetch, std::shared_ptr<const TGuide> guide, const QString& failure);

    QNetworkAccessManager FNetwork;
    QThread FThread;
    QObject FOnThread;             // what is to happen on FThread is sent to it
    TGuideParse* FParse = nullptr; // lives on FThread
    QNetworkReply* FReply = nullptr;
    QStringList FQueue;
    int FFetch = 0; // which Fetch the answers on their way belong to
};
