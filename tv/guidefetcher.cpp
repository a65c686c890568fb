#include "tv/guidefetcher.h"

#include "tv/guidereader.h"
#include "tv/playlistloader.h"

#include <QDir>
#include <QFile>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QStandardPaths>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <optional>
#include <utility>

using namespace Qt::Literals::StringLiterals;

// Reads the guides of one fetch, one after another, on the fetcher's thread; each is fed
// as its bytes come and merged into what the ones before it gave.
class TGuideParse : public QObject {
    Q_OBJECT
public:
    TGuideParse(int fetch, std::shared_ptr<const TPlaylist> list)
        : FFetch(fetch), FList(std::move(list)), FNow(QDateTime::currentDateTimeUtc()) {}

    void Begin() {
        FFailure.clear();
        FReader.emplace(*FList, FNow);
    }
    void Feed(const QByteArray& bytes) {
        if (FReader)
            Guard([&] { FReader->Feed(bytes); });
    }
    // A file is read here, a piece at a time, so that a large one never holds the window.
    void ReadFile(const QString& path) {
        Begin();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return End(u"无法读取节目单文件 %1。"_s.arg(QDir::toNativeSeparators(path)));
        while (FReader && !file.atEnd())
            Feed(file.read(ReadChunk));
        End(file.error() == QFileDevice::NoError ? QString() : u"读取节目单文件时出错。"_s);
    }
    void End(const QString& failure) {
        if (FReader && failure.isEmpty())
            Guard([&] {
                FGuide.Merge(FReader->Finish());
                ++FRead;
            });
        FReader.reset();
        if (FFailure.isEmpty())
            FFailure = failure;
        if (!FFailure.isEmpty())
            FFailures << FFailure;
    }
    void Finish() {
        auto guide = FRead > 0 ? std::make_shared<const TGuide>(std::move(FGuide)) : nullptr;
        emit done(FFetch, std::move(guide), FFailures.value(0));
    }

signals:
    void done(int fetch, std::shared_ptr<const TGuide> guide, const QString& failure);

private:
    static constexpr qint64 ReadChunk = 64 * 1024;

    template <typename F> void Guard(F&& step) {
        try {
            step();
        } catch (const EGuideError& error) {
            FFailure = QString::fromUtf8(error.what());
            FReader.reset();
        }
    }

    const int FFetch;
    const std::shared_ptr<const TPlaylist> FList;
    const QDateTime FNow;
    std::optional<TGuideReader> FReader;
    TGuide FGuide;
    int FRead = 0;
    QString FFailure;
    QStringList FFailures;
};

namespace {

TGuideFetcher::TAddressRedirect& Redirect() {
    static TGuideFetcher::TAddressRedirect redirect;
    return redirect;
}

} // namespace

TGuideFetcher::TAddressRedirect TGuideFetcher::SetAddressRedirect(TAddressRedirect redirect) {
    return std::exchange(Redirect(), std::move(redirect));
}

TGuideFetcher::TGuideFetcher(QObject* parent) : QObject(parent) {
    FThread.setObjectName(u"guide reader"_s);
    FOnThread.moveToThread(&FThread);
    FThread.start();
#ifdef __linux__
    // The window comes first: on a busy machine the reader waits, not the window.
    QMetaObject::invokeMethod(&FOnThread, [] { setpriority(PRIO_PROCESS, pid_t(gettid()), 10); });
#endif
}

TGuideFetcher::~TGuideFetcher() {
    Abort();
    FThread.quit();
    FThread.wait();
}

void TGuideFetcher::Fetch(std::shared_ptr<const TPlaylist> list, const QStringList& guides) {
    Abort();
    FQueue = guides.mid(0, MaxGuides);
    if (FQueue.isEmpty() || !list)
        return;
    FParse = new TGuideParse(++FFetch, std::move(list));
    FParse->moveToThread(&FThread);
    connect(FParse, &TGuideParse::done, this, &TGuideFetcher::Read);
    Next();
}

void TGuideFetcher::Abort() {
    ++FFetch;
    FQueue.clear();
    if (QNetworkReply* reply = std::exchange(FReply, nullptr)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (TGuideParse* parse = std::exchange(FParse, nullptr))
        parse->deleteLater();
}

void TGuideFetcher::Release(std::shared_ptr<const TGuide> guide) {
    // The call, and the guide it holds, go with the event, which that thread deletes.
    if (guide)
        QMetaObject::invokeMethod(&FOnThread, [kept = std::move(guide)] {});
}

void TGuideFetcher::Next() {
    TGuideParse* parse = FParse;
    if (FQueue.isEmpty()) {
        QMetaObject::invokeMethod(parse, &TGuideParse::Finish);
        return;
    }
    const QString guide = TPlaylistLoader::LocationOf(FQueue.takeFirst());
    switch (TPlaylistLoader::KindOf(guide)) {
    case TPlaylistLoader::TLocationKind::Refused:
        QMetaObject::invokeMethod(
            parse, [parse] { parse->End(u"节目单只能从文件或 http(s) 地址读取。"_s); });
        return Next();
    case TPlaylistLoader::TLocationKind::File:
        QMetaObject::invokeMethod(parse, [parse, guide] { parse->ReadFile(guide); });
        return Next();
    case TPlaylistLoader::TLocationKind::Web:
        break;
    }
    const QString address = Redirect() ? Redirect()(guide) : guide;
    if (address.isEmpty())
        return Next();
    QNetworkRequest request = TPlaylistLoader::Request(QUrl(address));
    // The reader has caps of its own that are sized for guides, which compress far
    // better than the network layer's guard against bombs expects.
    request.setDecompressedSafetyCheckThreshold(-1);
    // Made with the first guide fetched, since the cache makes its folders at once.
    if (!FNetwork.cache()) {
        // A folder of its own, sized for guides of a few hundred MB, which the cache's
        // default of 50 MB would turn away.
        auto* cache = new QNetworkDiskCache(&FNetwork);
        cache->setCacheDirectory(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                                 u"/guides"_s);
        cache->setMaximumCacheSize(qint64(1) << 30);
        FNetwork.setCache(cache);
    }
    QMetaObject::invokeMethod(parse, &TGuideParse::Begin);
    FReply = FNetwork.get(request);
    connect(FReply, &QNetworkReply::readyRead, this, &TGuideFetcher::Received);
    connect(FReply, &QNetworkReply::finished, this, &TGuideFetcher::Finished);
}

void TGuideFetcher::Received() {
    TGuideParse* parse = FParse;
    QMetaObject::invokeMethod(parse, [parse, bytes = FReply->readAll()] { parse->Feed(bytes); });
}

void TGuideFetcher::Finished() {
    Received();
    QNetworkReply* reply = std::exchange(FReply, nullptr);
    reply->deleteLater();
    const QString failure = TPlaylistLoader::NetworkFailure(*reply);
    TGuideParse* parse = FParse;
    QMetaObject::invokeMethod(parse, [parse, failure] { parse->End(failure); });
    Next();
}

void TGuideFetcher::Read(int fetch, std::shared_ptr<const TGuide> guide, const QString& failure) {
    if (fetch != FFetch)
        return;
    if (TGuideParse* parse = std::exchange(FParse, nullptr))
        parse->deleteLater();
    if (!failure.isEmpty())
        emit failed(failure);
    if (guide)
        emit ready(std::move(guide));
}

#include "guidefetcher.moc"
