#pragma once

#include <QString>

#include <optional>

// What the player knows about the live stream it is asked to show, and what it does
// next. The media-player control feeds it the events of the playback engine and a
// clock; it answers with the status line and with the loads to issue. No widgets and
// no engine here, so every rule can be tried with made-up events and times.

enum class TStreamStatus {
    Idle,
    Connecting,
    Buffering,
    Playing,
    Paused,
    Stopped,
    Reconnecting,
    Failed,
    Ended // an archive programme played to its end
};

enum class TStreamFailure {
    None,
    ConnectionRefused,
    HostNotFound,
    NoResponse,
    StreamEnded,
    Unplayable
};

// How a load of the engine ended, as far as the session cares.
enum class TStreamEnd { Replaced, EndOfStream, Error };

struct TStreamAction {
    enum Kind { None, Load, Stop };
    Kind kind = None;
    QString address; // for Load
    int delayMs = 0; // for Load: wait this long first
};

class TStreamSession {
public:
    // The engine's own I/O timeout given to FFmpeg for rtsp, mmst and http: a load that
    // fails after at least this long without a stated reason was waiting on a mute server.
    static constexpr int IoTimeoutMs = 10000;
    // No first picture (or sound) this long after a load starts: the server is not answering.
    static constexpr int FirstFrameTimeoutMs = 15000;
    // A live stream that has played and then shows nothing new this long has stalled.
    static constexpr int StallTimeoutMs = 6000;
    static constexpr int MaxReconnects = 5;

    // The address the engine opens for a new channel (the address itself). An archive
    // programme that plays to its end has ended; a live stream that ends is reopened.
    QString Start(const QString& address, qint64 nowMs, bool archive = false);
    void Stop();
    void SetPaused(bool paused, qint64 nowMs);

    // A log line of the engine; the ones that name why a connection failed are kept
    // as the reason of the current load.
    void OnLog(const QString& text);
    void OnLoaded();
    void OnBuffering(bool buffering, int percent);
    // A new picture, or the playing position moved: the stream is alive.
    void OnProgress(qint64 nowMs);
    TStreamAction OnEnd(TStreamEnd end, qint64 nowMs);
    // Called a few times a second while a stream is wanted.
    TStreamAction OnTick(qint64 nowMs);

    TStreamStatus Status() const { return FStatus; }
    int BufferingPercent() const { return FBufferingPercent; }
    int ReconnectAttempt() const { return FAttempt; }
    QString Address() const { return FAddress; }
    // Whether the engine should be watched by the clock at all.
    bool Watching() const;

    QString StatusText() const;

    static std::optional<TStreamFailure> ReasonFromLog(const QString& text);
    // Pause before reconnect attempt n (1-based): 1 s, 2 s, 4 s, then 8 s.
    static int ReconnectDelayMs(int attempt);

private:
    TStreamAction Reconnect(qint64 nowMs);
    TStreamAction Fail(TStreamFailure failure);

    QString FAddress;
    QString FLoading; // what the engine was last told to open
    TStreamStatus FStatus = TStreamStatus::Idle;
    TStreamFailure FFailure = TStreamFailure::None;
    std::optional<TStreamFailure> FLogReason;
    qint64 FLoadStartMs = 0;
    qint64 FLastProgressMs = 0;
    bool FLoaded = false;
    bool FEverPlayed = false;   // this channel has shown something since it was chosen
    bool FWaitingFirst = false; // the current load has not shown anything yet
    bool FPaused = false;
    bool FTriedMmst = false;
    bool FArchive = false;
    int FAttempt = 0;
    int FBufferingPercent = 0;
};
