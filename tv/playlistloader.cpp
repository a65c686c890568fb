#include "tv/playlistloader.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <chrono>
#include <utility>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

std::chrono::milliseconds g_noDataLimit = 20s;

bool IsWebAddress(const QUrl& url) {
    return url.scheme() == u"http"_s || url.scheme() == u"https"_s;
}

// A single letter before the colon is a drive, not a scheme.
bool HasScheme(const QUrl& url) {
    return url.scheme().size() > 1;
}

} // namespace

TPlaylistLoader::TPlaylistLoader(QObject* parent) : QObject(parent) {}

std::chrono::milliseconds TPlaylistLoader::SetNoDataLimit(std::chrono::milliseconds limit) {
    return std::exchange(g_noDataLimit, limit);
}

QString TPlaylistLoader::LocationOf(const QString& fileOrAddress) {
    const QUrl url(fileOrAddress.trimmed());
    if (url.isLocalFile())
        return QFileInfo(url.toLocalFile()).absoluteFilePath();
    if (HasScheme(url))
        return fileOrAddress.trimmed();
    return QFileInfo(fileOrAddress.trimmed()).absoluteFilePath();
}

QString TPlaylistLoader::DropLocation(const QMimeData* mime) {
    const QUrl url = mime->hasUrls() ? mime->urls().value(0) : QUrl(mime->text().trimmed());
    if (url.isLocalFile())
        return url.toLocalFile();
    return IsWebAddress(url) ? url.toString() : QString();
}

TPlaylistLoader::TLocationKind TPlaylistLoader::KindOf(const QString& location) {
    const QUrl url(location);
    return IsWebAddress(url) ? TLocationKind::Web
           : HasScheme(url)  ? TLocationKind::Refused
                             : TLocationKind::File;
}

void TPlaylistLoader::Load(const QString& fileOrAddress) {
    Abort();
    FLocation = LocationOf(fileOrAddress);
    switch (KindOf(FLocation)) {
    case TLocationKind::Web:
        return Fetch(QUrl(FLocation));
    case TLocationKind::Refused:
        emit failed(FLocation, u"频道列表只能从文件或 http(s) 地址打开。"_s);
        return;
    case TLocationKind::File:
        return LoadFile(FLocation);
    }
}

void TPlaylistLoader::Abort() {
    if (QNetworkReply* reply = std::exchange(FReply, nullptr)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    FData.clear();
}

void TPlaylistLoader::LoadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || QFileInfo(path).isDir()) {
        emit failed(FLocation, u"无法读取文件。"_s);
        return;
    }
    // Read one byte past the cap: a device or a pipe has no size to ask for first.
    const QByteArray bytes = file.read(MaxBytes + 1);
    if (bytes.size() > MaxBytes) {
        emit failed(FLocation, u"文件超过 32 MiB，不像是频道列表。"_s);
        return;
    }
    Read(bytes, QUrl::fromLocalFile(path));
}

QNetworkRequest TPlaylistLoader::Request(const QUrl& address) {
    QNetworkRequest request(address);
    request.setTransferTimeout(int(g_noDataLimit.count()));
    request.setMaximumRedirectsAllowed(MaxRedirects);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    return request;
}

void TPlaylistLoader::Fetch(const QUrl& address) {
    FReply = FNetwork.get(Request(address));
    connect(FReply, &QNetworkReply::readyRead, this, &TPlaylistLoader::Received);
    connect(FReply, &QNetworkReply::finished, this, &TPlaylistLoader::Finished);
}

void TPlaylistLoader::Received() {
    FData += FReply->readAll();
    if (FData.size() <= MaxBytes)
        return;
    Abort();
    emit failed(FLocation, u"频道列表超过 32 MiB，已停止下载。"_s);
}

void TPlaylistLoader::Finished() {
    QNetworkReply* reply = FReply;
    const QString failure = NetworkFailure(*reply);
    FReply = nullptr;
    reply->deleteLater();
    if (!failure.isEmpty()) {
        FData.clear();
        emit failed(FLocation, failure);
        return;
    }
    FData += reply->readAll();
    Read(std::exchange(FData, {}), reply->url());
}

QString TPlaylistLoader::NetworkFailure(const QNetworkReply& reply) {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return u"服务器拒绝了请求（HTTP %1）。"_s.arg(status);
    // What the user can do something about is named; the rest is a network error.
    static const std::pair<QNetworkReply::NetworkError, const char16_t*> Named[] = {
        {QNetworkReply::HostNotFoundError, u"找不到服务器。"},
        {QNetworkReply::ConnectionRefusedError, u"连接被拒绝。"},
        {QNetworkReply::InsecureRedirectError, u"服务器把请求转到了不加密的地址。"},
        {QNetworkReply::SslHandshakeFailedError, u"服务器的证书无效。"},
    };
    const QNetworkReply::NetworkError error = reply.error();
    if (error == QNetworkReply::NoError)
        return {};
    if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError)
        return u"服务器 %1 秒没有送来数据。"_s.arg(
            std::chrono::ceil<std::chrono::seconds>(g_noDataLimit).count());
    if (error == QNetworkReply::TooManyRedirectsError)
        return u"重定向超过 %1 次。"_s.arg(MaxRedirects);
    for (const auto& [named, text] : Named)
        if (error == named)
            return QString::fromUtf16(text);
    return u"网络错误，无法下载。"_s;
}

void TPlaylistLoader::Read(const QByteArray& bytes, const QUrl& base) {
    TPlaylist list = ReadPlaylist(bytes, base);
    if (list.groups.isEmpty()) {
        emit failed(FLocation, u"其中没有可以播放的频道。"_s);
        return;
    }
    emit loaded(FLocation, list);
}
