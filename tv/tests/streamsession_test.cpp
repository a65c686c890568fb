#include "tv/streamsession.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TLogCase {
    const char* line;
    std::optional<TStreamFailure> reason;
};

// Lines as FFmpeg writes them through libmpv's log.
const TLogCase LogCases[] = {
    {"tcp: Connection to tcp://127.0.0.1:1?timeout=0 failed: Connection refused",
     TStreamFailure::ConnectionRefused},
    {"tcp: Failed to resolve hostname tv.example.org: Name or service not known",
     TStreamFailure::HostNotFound},
    {"tcp: Failed to resolve hostname tv.example.org: Temporary failure in name resolution",
     TStreamFailure::HostNotFound},
    {"tcp: Error reading packet header: -110 (Connection timed out)", TStreamFailure::NoResponse},
    {"Could not set AVOption icy='1'", std::nullopt},
    {"h264: concealing 140 DC, 140 AC, 140 MV errors in I frame", std::nullopt},
};

TEST(StreamSessionTest, LogLinesNameTheFailureTheyReport) {
    for (const TLogCase& c : LogCases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(TStreamSession::ReasonFromLog(QString::fromUtf8(c.line)), c.reason);
    }
}

constexpr qint64 T0 = 1000;

TEST(StreamSessionTest, ConnectsFirstAndPlaysOnTheFirstPictureAfterLoading) {
    TStreamSession session;
    EXPECT_EQ(session.Start(u"rtsp://127.0.0.1:8554/test"_s, T0), u"rtsp://127.0.0.1:8554/test"_s);
    EXPECT_EQ(session.StatusText(), u"正在连接…"_s);
    session.OnProgress(T0 + 100); // a picture of the channel chosen before
    EXPECT_EQ(session.Status(), TStreamStatus::Connecting);
    session.OnLoaded();
    session.OnBuffering(true, 42);
    EXPECT_EQ(session.StatusText(), u"正在缓冲 42%"_s);
    session.OnProgress(T0 + 300);
    EXPECT_EQ(session.StatusText(), u"正在播放"_s);
}

struct TFailCase {
    const char* name;
    QString address;
    const char* logLine; // nullptr: the engine said nothing
    TStreamEnd end;
    qint64 afterMs;
    const char* status;
};

const TFailCase FailCases[] = {
    {"refused", u"rtsp://127.0.0.1:1/x"_s,
     "tcp: Connection to tcp://127.0.0.1:1 failed: Connection refused", TStreamEnd::Error, 5,
     "连接被拒绝"},
    {"unknown host", u"rtsp://tv.example.org/x"_s,
     "tcp: Failed to resolve hostname tv.example.org: Name or service not known", TStreamEnd::Error,
     5, "找不到服务器"},
    {"silent until FFmpeg's timeout", u"rtsp://127.0.0.1:9/x"_s, nullptr, TStreamEnd::Error,
     TStreamSession::IoTimeoutMs, "服务器无响应"},
    {"quick failure without a reason", u"rtsp://127.0.0.1:9/x"_s, nullptr, TStreamEnd::Error, 50,
     "无法播放该频道"},
    {"ended before any picture", u"rtsp://127.0.0.1:9/x"_s, nullptr, TStreamEnd::EndOfStream, 50,
     "直播已中断"},
    {"mmst is not tried again", u"mmst://127.0.0.1:1/x"_s, "Connection refused", TStreamEnd::Error,
     5, "连接被拒绝"},
};

TEST(StreamSessionTest, FailedFirstLoadGivesUpWithTheReasonInWords) {
    for (const TFailCase& c : FailCases) {
        SCOPED_TRACE(c.name);
        TStreamSession session;
        session.Start(c.address, T0);
        if (c.logLine)
            session.OnLog(QString::fromUtf8(c.logLine));
        const TStreamAction action = session.OnEnd(c.end, T0 + c.afterMs);
        EXPECT_EQ(action.kind, TStreamAction::Stop);
        EXPECT_EQ(session.Status(), TStreamStatus::Failed);
        EXPECT_EQ(session.StatusText(), QString::fromUtf8(c.status));
        EXPECT_FALSE(session.Watching());
    }
}

TEST(StreamSessionTest, MmsIsTriedOnceMoreOverTcpBeforeGivingUp) {
    TStreamSession session;
    session.Start(u"mms://127.0.0.1:1/live?ch=1"_s, T0);
    session.OnLog(u"Connection refused"_s);
    const TStreamAction retry = session.OnEnd(TStreamEnd::Error, T0 + 10);
    EXPECT_EQ(retry.kind, TStreamAction::Load);
    EXPECT_EQ(retry.address, u"mmst://127.0.0.1:1/live?ch=1"_s);
    EXPECT_EQ(retry.delayMs, 0);
    EXPECT_EQ(session.Status(), TStreamStatus::Connecting);
    EXPECT_EQ(session.Address(), u"mms://127.0.0.1:1/live?ch=1"_s);

    session.OnLog(u"Connection refused"_s);
    EXPECT_EQ(session.OnEnd(TStreamEnd::Error, T0 + 20).kind, TStreamAction::Stop);
    EXPECT_EQ(session.StatusText(), u"连接被拒绝"_s);
}

TEST(StreamSessionTest, WatchdogCallsAServerWithoutFirstPictureNotResponding) {
    TStreamSession session;
    session.Start(u"rtsp://127.0.0.1:9/x"_s, T0);
    EXPECT_EQ(session.OnTick(T0 + TStreamSession::FirstFrameTimeoutMs - 1).kind,
              TStreamAction::None);
    EXPECT_EQ(session.OnTick(T0 + TStreamSession::FirstFrameTimeoutMs).kind, TStreamAction::Stop);
    EXPECT_EQ(session.StatusText(), u"服务器无响应"_s);
}

TStreamSession Playing(const QString& address) {
    TStreamSession session;
    session.Start(address, T0);
    session.OnLoaded();
    session.OnProgress(T0 + 500);
    return session;
}

TEST(StreamSessionTest, LiveStreamThatEndsIsReopenedWithGrowingPauses) {
    TStreamSession session = Playing(u"rtsp://127.0.0.1:8554/test"_s);
    qint64 now = T0 + 1000;
    TStreamAction action = session.OnEnd(TStreamEnd::EndOfStream, now);
    const int delays[] = {1000, 2000, 4000, 8000, 8000};
    for (int attempt = 1; attempt <= TStreamSession::MaxReconnects; ++attempt) {
        ASSERT_EQ(action.kind, TStreamAction::Load) << attempt;
        EXPECT_EQ(action.address, u"rtsp://127.0.0.1:8554/test"_s);
        EXPECT_EQ(action.delayMs, delays[attempt - 1]);
        EXPECT_EQ(session.Status(), TStreamStatus::Reconnecting);
        EXPECT_EQ(session.StatusText(), u"信号中断，正在重新连接（第 %1 次）…"_s.arg(attempt));
        now += action.delayMs + 10;
        session.OnLog(u"Connection refused"_s);
        action = session.OnEnd(TStreamEnd::Error, now);
    }
    EXPECT_EQ(action.kind, TStreamAction::Stop);
    EXPECT_EQ(session.StatusText(), u"直播已中断"_s);
}

TEST(StreamSessionTest, SuccessfulReconnectStartsTheCountAgain) {
    TStreamSession session = Playing(u"rtsp://127.0.0.1:8554/test"_s);
    session.OnEnd(TStreamEnd::Error, T0 + 1000);
    session.OnEnd(TStreamEnd::Error, T0 + 3000);
    EXPECT_EQ(session.ReconnectAttempt(), 2);
    session.OnLoaded();
    session.OnProgress(T0 + 6000);
    EXPECT_EQ(session.Status(), TStreamStatus::Playing);
    EXPECT_EQ(session.OnEnd(TStreamEnd::EndOfStream, T0 + 9000).delayMs, 1000);
}

TEST(StreamSessionTest, StalledStreamIsReopenedUnlessPaused) {
    TStreamSession session = Playing(u"rtsp://127.0.0.1:8554/test"_s);
    const qint64 stalled = T0 + 500 + TStreamSession::StallTimeoutMs;
    session.SetPaused(true, T0 + 600);
    EXPECT_EQ(session.StatusText(), u"已暂停"_s);
    EXPECT_EQ(session.OnTick(stalled).kind, TStreamAction::None);
    session.SetPaused(false, stalled);
    EXPECT_EQ(session.OnTick(stalled + 1).kind, TStreamAction::None);
    const TStreamAction action = session.OnTick(stalled + TStreamSession::StallTimeoutMs);
    EXPECT_EQ(action.kind, TStreamAction::Load);
    EXPECT_EQ(session.Status(), TStreamStatus::Reconnecting);
}

TEST(StreamSessionTest, ReplacedOrStoppedLoadsAreNotFailures) {
    TStreamSession session;
    session.Start(u"rtsp://127.0.0.1:9/x"_s, T0);
    EXPECT_EQ(session.OnEnd(TStreamEnd::Replaced, T0 + 5).kind, TStreamAction::None);
    EXPECT_EQ(session.Status(), TStreamStatus::Connecting);
    session.Stop();
    EXPECT_EQ(session.OnEnd(TStreamEnd::Error, T0 + 10).kind, TStreamAction::None);
    EXPECT_EQ(session.StatusText(), u"已停止"_s);
}

TEST(StreamSessionTest, ReconnectAfterMmsFellBackUsesTheAddressThatWorked) {
    TStreamSession session;
    session.Start(u"mms://127.0.0.1:1/live"_s, T0);
    session.OnEnd(TStreamEnd::Error, T0 + 10);
    session.OnLoaded();
    session.OnProgress(T0 + 300);
    EXPECT_EQ(session.OnEnd(TStreamEnd::EndOfStream, T0 + 5000).address,
              u"mmst://127.0.0.1:1/live"_s);
}

} // namespace
