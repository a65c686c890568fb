#pragma once

#include "tv/recording.h"
#include "tv/streamaddress.h"
#include "tv/streamsession.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>

struct mpv_handle;
struct mpv_event;

// Where the stream plays and how long it lasts, in seconds (0 while libmpv does not say),
// and whether libmpv can seek in it.
struct TTimeline {
    double position = 0;
    double duration = 0;
    bool seekable = false;
};

// Thrown when the player refuses an address, or cannot start.
class EMediaPlayerError : public std::runtime_error {
public:
    explicit EMediaPlayerError(const QString& message);
};

// The one class that talks to libmpv's core: its options, the loads and commands, the
// properties it watches, its event loop and the order of its teardown. libmpv calls
// back from its own threads; that callback only posts a call to this object's thread,
// which then takes every waiting event, and every command is asynchronous, so the
// window never waits on the network.
class TMpvEngine : public QObject {
    Q_OBJECT
public:
    // Throws EMediaPlayerError when libmpv cannot be started.
    TMpvEngine();
    // Whatever draws for this engine must have freed its render context by now.
    ~TMpvEngine() override;

    mpv_handle* Handle() const { return FMpv; }
    // Opens the address in place of what played; the answer is libmpv's error code.
    // Until a render context exists the load waits: libmpv gives up the video of a load
    // that starts without one.
    int Load(const TStreamAddress& address);
    // Stops what plays, and a load that waits.
    void Stop();
    // Whatever draws has made or freed its render context. A context made anew (the one
    // before went with the window it belonged to) left libmpv without video, so what was
    // loaded is opened again.
    void SetRenderContext(bool exists);
    // One of libmpv's commands ("stop", "show-text"...), or one of its properties set.
    void Command(std::initializer_list<QByteArray> args);
    void Set(const char* property, const QByteArray& value);
    // Moves the playing position to seconds into the stream, or by seconds from where it is.
    void Seek(double seconds, bool relative);
    // The stream's picture size as displayed, empty before it is known; it asks libmpv
    // and waits for the answer, so it is for tests.
    QSize VideoSize() const;
    static QString ErrorText(int error);

    // Whether the load last issued has opened its stream and not ended.
    bool Loaded() const { return FEntryStarted && FEntryLoaded; }
    // Writes the stream's packets to a file as they arrive, without decoding them, in
    // the format its extension names, from the key frame of the picture on screen (the
    // first one, once the cache holds it); dumpEnded tells when the file is closed.
    // Only one file at a time: a new one ends the old.
    void StartDump(const QString& path);
    void StopDump();
    // Writes the picture shown, as decoded and without the on-screen text, to a file in
    // the format its extension names.
    void Screenshot(const QString& path);

signals:
    void logLine(const QString& text);
    // The load last issued has opened its stream.
    void loaded();
    // The load last issued ended; loads that were replaced before it say nothing.
    void ended(TStreamEnd how);
    // Playback waits for the cache to fill; percent says how far it is.
    void buffering(bool waiting, int percent);
    void progressed();
    // A line that libmpv's file writer logged about the file it writes.
    void writerLog(const QString& text);
    // The file of the dump last started is closed: error is libmpv's code, 0 when the
    // dump was stopped, or its stream ended or was replaced.
    void dumpEnded(int error);
    void screenshotSaved(const QString& path, int error);
    void timelineChanged(const TTimeline& timeline);
    // Sent after each batch of events, once the signals above have gone out.
    void drained();

private:
    static void OnWakeup(void* self);
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void HandlePropertyChange(const mpv_event& event);
    void HandleReply(const mpv_event& event);
    void AskCacheState();
    // Begins the dump once the cache holds where it should begin, or at once when final.
    void DumpWhenCached(bool final);
    void Dump(double from);
    // Whether a dump is asked for and libmpv does not write it yet.
    bool DumpWaits() const { return !FDumping && !FDumpPath.isEmpty(); }
    // A dump that waited for a stream which is gone never begins.
    void ForgetDump();
    int Send(const TStreamAddress& address);

    mpv_handle* FMpv = nullptr;
    bool FCanDraw = false;
    std::optional<TStreamAddress> FLoad; // what plays or waits to, until stopped
    std::atomic_bool FDrainPosted{false};
    // Each load gets a number; libmpv answers with the playlist entry it made for it,
    // and only that entry's events concern the channel now chosen.
    std::uint64_t FLoadNumber = 0;
    std::int64_t FEntryId = -1;
    bool FEntryStarted = false;
    bool FEntryLoaded = false;
    std::optional<TStreamEnd> FPendingEnd;
    // The dump in hand: its number, its file, whether libmpv writes it already; before
    // that, where the picture shown was, what the cache held when last asked, since when
    // it waits, and whether it was stopped meanwhile.
    std::uint64_t FDumpNumber = 0;
    QString FDumpPath;
    bool FDumping = false;
    double FDumpShown = 0;
    QList<TCachedSpan> FDumpSpans;
    QElapsedTimer FDumpAsked;
    bool FDumpStopping = false;
    std::optional<int> FPendingDumpEnd;
    std::uint64_t FShotNumber = 0;
    QHash<std::uint64_t, QString> FShots;
    bool FWaiting = false;
    int FBufferingPercent = 0;
    TTimeline FTimeline;
};
