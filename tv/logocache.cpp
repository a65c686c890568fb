#include "tv/logocache.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

QSize Box(int height) {
    return {height * 3 / 2, height};
}

// Off the window's thread: a logo of half a megabyte may take a while to decode.
QImage Decode(const QByteArray& bytes, int height) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(size.scaled(Box(height), Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (!image.isNull() && (image.width() > Box(height).width() || image.height() > height))
        image = image.scaled(Box(height), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

TLogoCache::TLogoCache(QObject* parent) : QObject(parent), FKept(Kept) {
    FDecoders.setMaxThreadCount(1);
}

TLogoCache::~TLogoCache() {
    FDecoders.clear();
    FDecoders.waitForDone();
}

QPixmap TLogoCache::Logo(const QString& address, int height) {
    if (address.isEmpty() || FFailed.contains(address))
        return {};
    if (const QPixmap* kept = FKept.object(address))
        return *kept;
    if (!FBusy.contains(address) && !FWaiting.contains(address)) {
        FWaiting.insert(address, height);
        FOrder.append(address);
        Next();
    }
    return {};
}

void TLogoCache::ForgetWaiting() {
    FWaiting.clear();
    FOrder.clear();
}

void TLogoCache::Next() {
    while (FFetching < Running && !FOrder.isEmpty()) {
        const QString address = FOrder.takeFirst();
        const int height = FWaiting.take(address);
        const QUrl url(address);
        // Rule: logos come over http(s) alone, as lists do.
        if (url.scheme() != u"http"_s && url.scheme() != u"https"_s) {
            Failed(address);
            continue;
        }
        if (!FNetwork) {
            FNetwork = new QNetworkAccessManager(this);
            // Made at the first logo, so that a run without one writes nothing.
            auto* disk = new QNetworkDiskCache(FNetwork);
            disk->setCacheDirectory(
                QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/logos"_s);
            FNetwork->setCache(disk);
        }
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::PreferCache);
        request.setMaximumRedirectsAllowed(5);
        QNetworkReply* reply = FNetwork->get(request);
        reply->setProperty("address", address);
        QTimer::singleShot(TimeLimit, reply, &QNetworkReply::abort);
        ++FFetching;
        FBusy.insert(address);
        connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 got, qint64 total) {
            if (got > SizeLimit || total > SizeLimit)
                reply->abort();
        });
        connect(reply, &QNetworkReply::finished, this,
                [this, reply, height] { Finished(reply, height); });
    }
}

void TLogoCache::Finished(QNetworkReply* reply, int height) {
    reply->deleteLater();
    --FFetching;
    const QString address = reply->property("address").toString();
    if (reply->error() != QNetworkReply::NoError) {
        Failed(address);
    } else {
        FDecoders.start([this, address, bytes = reply->readAll(), height] {
            const QImage image = Decode(bytes, height);
            QMetaObject::invokeMethod(this, [this, address, image] { Decoded(address, image); });
        });
    }
    Next();
}

void TLogoCache::Decoded(const QString& address, const QImage& image) {
    if (image.isNull()) {
        Failed(address);
        return;
    }
    FBusy.remove(address);
    FKept.insert(address, new QPixmap(QPixmap::fromImage(image)));
    emit arrived(address);
}

void TLogoCache::Failed(const QString& address) {
    FBusy.remove(address);
    FFailed.insert(address);
}
