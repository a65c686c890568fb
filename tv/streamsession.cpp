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

QString TStreamSession::Start(const QString& address, qint64 nowMs) {
    *this = TStreamSession();
    m_address = address;
    m_loading = address;
    m_status = TStreamStatus::Connecting;
    m_loadStartMs = nowMs;
    m_lastProgressMs = nowMs;
    m_waitingFirst = true;
    return m_loading;
}

void TStreamSession::Stop() {
    m_status = TStreamStatus::Stopped;
    m_loaded = false;
    m_waitingFirst = false;
}

void TStreamSession::SetPaused(bool paused, qint64 nowMs) {
    m_paused = paused;
    if (paused && (m_status == TStreamStatus::Playing || m_status == TStreamStatus::Buffering))
        m_status = TStreamStatus::Paused;
    else if (!paused && m_status == TStreamStatus::Paused) {
        m_status = TStreamStatus::Playing;
        m_lastProgressMs = nowMs;
    }
}

void TStreamSession::OnLog(const QString& text) {
    if (auto reason = ReasonFromLog(text))
        m_logReason = reason;
}

void TStreamSession::OnLoaded() {
    m_loaded = true;
    if (m_status == TStreamStatus::Connecting)
        m_status = TStreamStatus::Buffering;
}

void TStreamSession::OnBuffering(bool buffering, int percent) {
    m_bufferingPercent = std::clamp(percent, 0, 100);
    if (buffering && m_status == TStreamStatus::Playing)
        m_status = TStreamStatus::Buffering;
    else if (!buffering && m_status == TStreamStatus::Buffering && !m_waitingFirst)
        m_status = TStreamStatus::Playing;
}

void TStreamSession::OnProgress(qint64 nowMs) {
    // Pictures still arriving from the channel before this one do not count.
    if (!m_loaded)
        return;
    m_lastProgressMs = nowMs;
    m_waitingFirst = false;
    m_everPlayed = true;
    m_attempt = 0;
    m_failure = TStreamFailure::None;
    if (m_status == TStreamStatus::Connecting || m_status == TStreamStatus::Buffering ||
        m_status == TStreamStatus::Reconnecting)
        m_status = m_paused ? TStreamStatus::Paused : TStreamStatus::Playing;
}

TStreamAction TStreamSession::OnEnd(TStreamEnd end, qint64 nowMs) {
    if (end == TStreamEnd::Replaced || !Watching())
        return {};
    m_loaded = false;
    if (m_everPlayed || m_attempt > 0)
        return Reconnect(nowMs);
    // In the engine mms:// is MMS over HTTP; many stations only ever spoke it over TCP.
    if (IsMmsOverHttp(m_loading) && !m_triedMmst) {
        m_triedMmst = true;
        m_loading = u"mmst"_s + m_loading.mid(3);
        m_logReason.reset();
        m_loadStartMs = nowMs;
        m_waitingFirst = true;
        return {TStreamAction::Load, m_loading, 0};
    }
    if (m_logReason)
        return Fail(*m_logReason);
    if (end == TStreamEnd::EndOfStream)
        return Fail(TStreamFailure::StreamEnded);
    // A mute server makes FFmpeg give up after its I/O timeout without saying why.
    const bool waitedOut = nowMs - m_loadStartMs >= IoTimeoutMs - 500;
    return Fail(waitedOut ? TStreamFailure::NoResponse : TStreamFailure::Unplayable);
}

TStreamAction TStreamSession::OnTick(qint64 nowMs) {
    if (!Watching())
        return {};
    if (m_waitingFirst) {
        if (nowMs - m_loadStartMs < FirstFrameTimeoutMs)
            return {};
        if (m_everPlayed || m_attempt > 0)
            return Reconnect(nowMs);
        return Fail(TStreamFailure::NoResponse);
    }
    if (nowMs - m_lastProgressMs >= StallTimeoutMs)
        return Reconnect(nowMs);
    return {};
}

TStreamAction TStreamSession::Reconnect(qint64 nowMs) {
    if (m_attempt >= MaxReconnects)
        return Fail(TStreamFailure::StreamEnded);
    ++m_attempt;
    const int delay = ReconnectDelayMs(m_attempt);
    m_status = TStreamStatus::Reconnecting;
    m_loaded = false;
    m_logReason.reset();
    m_loadStartMs = nowMs + delay;
    m_waitingFirst = true;
    return {TStreamAction::Load, m_loading, delay};
}

TStreamAction TStreamSession::Fail(TStreamFailure failure) {
    m_status = TStreamStatus::Failed;
    m_failure = failure;
    m_loaded = false;
    m_waitingFirst = false;
    return {TStreamAction::Stop, {}, 0};
}

bool TStreamSession::Watching() const {
    return m_status == TStreamStatus::Connecting || m_status == TStreamStatus::Buffering ||
           m_status == TStreamStatus::Playing || m_status == TStreamStatus::Reconnecting;
}

QString TStreamSession::StatusText() const {
    switch (m_status) {
    case TStreamStatus::Idle:
        return {};
    case TStreamStatus::Connecting:
        return u"正在连接…"_s;
    case TStreamStatus::Buffering:
        return u"正在缓冲 %1%"_s.arg(m_bufferingPercent);
    case TStreamStatus::Playing:
        return u"正在播放"_s;
    case TStreamStatus::Paused:
        return u"已暂停"_s;
    case TStreamStatus::Stopped:
        return u"已停止"_s;
    case TStreamStatus::Reconnecting:
        return u"信号中断，正在重新连接（第 %1 次）…"_s.arg(m_attempt);
    case TStreamStatus::Failed:
        break;
    }
    switch (m_failure) {
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
