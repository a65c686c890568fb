#include "tv/streamsession.h"

#include <algorithm>
#include <array>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// FFmpeg words its network failures the same way for every protocol; the engine's own
// error code says only that the file could not be opened, so the log is the one place
// that tells a refused connection from a wrong host name or a mute server.
const std::array<std::pair<QStringView, TStreamFailure>, 6> LogReasons{{
    {u"connection refused", TStreamFailure::ConnectionRefused},
    {u"failed to resolve hostname", TStreamFailure::HostNotFound},
    {u"name or service not known", TStreamFailure::HostNotFound},
    {u"temporary failure in name resolution", TStreamFailure::HostNotFound},
    {u"no address associated with hostname", TStreamFailure::HostNotFound},
    {u"timed out", TStreamFailure::NoResponse},
}};

bool IsMmsOverHttp(const QString& address) {
    return address.startsWith(u"mms://"_s, Qt::CaseInsensitive);
}

} // namespace

std::optional<TStreamFailure> TStreamSession::ReasonFromLog(const QString& text) {
    for (const auto& [words, failure] : LogReasons)
        if (text.contains(words, Qt::CaseInsensitive))
            return failure;
    return std::nullopt;
}

int TStreamSession::ReconnectDelayMs(int attempt) {
    return std::min(1000 << std::clamp(attempt - 1, 0, 3), 8000);
}

QString TStreamSession::Start(const QString& address, qint64 nowMs, bool archive) {
    *this = TStreamSession();
    FArchive = archive;
    FAddress = address;
    FLoading = address;
    FStatus = TStreamStatus::Connecting;
    FLoadStartMs = nowMs;
    FLastProgressMs = nowMs;
    FWaitingFirst = true;
    return FLoading;
}

void TStreamSession::Stop() {
    FStatus = TStreamStatus::Stopped;
    FLoaded = false;
    FWaitingFirst = false;
}

void TStreamSession::SetPaused(bool paused, qint64 nowMs) {
    FPaused = paused;
    if (paused && (FStatus == TStreamStatus::Playing || FStatus == TStreamStatus::Buffering))
        FStatus = TStreamStatus::Paused;
    else if (!paused && FStatus == TStreamStatus::Paused) {
        FStatus = TStreamStatus::Playing;
        FLastProgressMs = nowMs;
    }
}

void TStreamSession::OnLog(const QString& text) {
    if (auto reason = ReasonFromLog(text))
        FLogReason = reason;
}

void TStreamSession::OnLoaded() {
    FLoaded = true;
    if (FStatus == TStreamStatus::Connecting)
        FStatus = TStreamStatus::Buffering;
}

void TStreamSession::OnBuffering(bool buffering, int percent) {
    FBufferingPercent = std::clamp(percent, 0, 100);
    if (buffering && FStatus == TStreamStatus::Playing)
        FStatus = TStreamStatus::Buffering;
    else if (!buffering && FStatus == TStreamStatus::Buffering && !FWaitingFirst)
        FStatus = TStreamStatus::Playing;
}

void TStreamSession::OnProgress(qint64 nowMs) {
    // Pictures still arriving from the channel before this one do not count.
    if (!FLoaded)
        return;
    FLastProgressMs = nowMs;
    FWaitingFirst = false;
    FEverPlayed = true;
    FAttempt = 0;
    FFailure = TStreamFailure::None;
    if (FStatus == TStreamStatus::Connecting || FStatus == TStreamStatus::Buffering ||
        FStatus == TStreamStatus::Reconnecting)
        FStatus = FPaused ? TStreamStatus::Paused : TStreamStatus::Playing;
}

TStreamAction TStreamSession::OnEnd(TStreamEnd end, qint64 nowMs) {
    if (end == TStreamEnd::Replaced || !Watching())
        return {};
    FLoaded = false;
    if (FArchive && FEverPlayed && end == TStreamEnd::EndOfStream) {
        FStatus = TStreamStatus::Ended;
        FWaitingFirst = false;
        return {TStreamAction::Stop, {}, 0};
    }
    if (FEverPlayed || FAttempt > 0)
        return Reconnect(nowMs);
    // In the engine mms:// is MMS over HTTP; many stations only ever spoke it over TCP.
    if (IsMmsOverHttp(FLoading) && !FTriedMmst) {
        FTriedMmst = true;
        FLoading = u"mmst"_s + FLoading.mid(3);
        FLogReason.reset();
        FLoadStartMs = nowMs;
        FWaitingFirst = true;
        return {TStreamAction::Load, FLoading, 0};
    }
    if (FLogReason)
        return Fail(*FLogReason);
    if (end == TStreamEnd::EndOfStream)
        return Fail(TStreamFailure::StreamEnded);
    // A mute server makes FFmpeg give up after its I/O timeout without saying why.
    const bool waitedOut = nowMs - FLoadStartMs >= IoTimeoutMs - 500;
    return Fail(waitedOut ? TStreamFailure::NoResponse : TStreamFailure::Unplayable);
}

TStreamAction TStreamSession::OnTick(qint64 nowMs) {
    if (!Watching())
        return {};
    if (FWaitingFirst) {
        if (nowMs - FLoadStartMs < FirstFrameTimeoutMs)
            return {};
        if (FEverPlayed || FAttempt > 0)
            return Reconnect(nowMs);
        return Fail(TStreamFailure::NoResponse);
    }
    if (nowMs - FLastProgressMs >= StallTimeoutMs)
        return Reconnect(nowMs);
    return {};
}

TStreamAction TStreamSession::Reconnect(qint64 nowMs) {
    if (FAttempt >= MaxReconnects)
        return Fail(TStreamFailure::StreamEnded);
    ++FAttempt;
    const int delay = ReconnectDelayMs(FAttempt);
    FStatus = TStreamStatus::Reconnecting;
    FLoaded = false;
    FLogReason.reset();
    FLoadStartMs = nowMs + delay;
    FWaitingFirst = true;
    return {TStreamAction::Load, FLoading, delay};
}

TStreamAction TStreamSession::Fail(TStreamFailure failure) {
    FStatus = TStreamStatus::Failed;
    FFailure = failure;
    FLoaded = false;
    FWaitingFirst = false;
    return {TStreamAction::Stop, {}, 0};
}

bool TStreamSession::Watching() const {
    return FStatus == TStreamStatus::Connecting || FStatus == TStreamStatus::Buffering ||
           FStatus == TStreamStatus::Playing || FStatus == TStreamStatus::Reconnecting;
}

QString TStreamSession::StatusText() const {
    switch (FStatus) {
    case TStreamStatus::Idle:
        return {};
    case TStreamStatus::Connecting:
        return u"正在连接…"_s;
    case TStreamStatus::Buffering:
        return u"正在缓冲 %1%"_s.arg(FBufferingPercent);
    case TStreamStatus::Playing:
        return u"正在播放"_s;
    case TStreamStatus::Paused:
        return u"已暂停"_s;
    case TStreamStatus::Stopped:
        return u"已停止"_s;
    case TStreamStatus::Reconnecting:
        return u"信号中断，正在重新连接（第 %1 次）…"_s.arg(FAttempt);
    case TStreamStatus::Ended:
        return u"节目已播完"_s;
    case TStreamStatus::Failed:
        break;
    }
    switch (FFailure) {
    case TStreamFailure::ConnectionRefused:
        return u"连接被拒绝"_s;
    case TStreamFailure::HostNotFound:
        return u"找不到服务器"_s;
    case TStreamFailure::NoResponse:
        return u"服务器无响应"_s;
    case TStreamFailure::StreamEnded:
        return u"直播已中断"_s;
    case TStreamFailure::None:
    case TStreamFailure::Unplayable:
        break;
    }
    return u"无法播放该频道"_s;
}
