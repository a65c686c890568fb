#include "tv/mpvengine.h"

#include "tv/allocator.h"
#include "tv/mpvnode.h"
#include "tv/mpvoptions.h"

#include <mpv/client.h>

#include <QTimer>

#include <clocale>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Properties the engine watches; the number is the reply id of each observation.
enum TWatched : std::uint64_t {
    WatchPausedForCache = 1,
    WatchBufferingPercent,
    WatchPlaybackTime,
    WatchPosition,
    WatchDuration,
    WatchSeekable
};

// The top bits of a request's reply id say what it asked for, the rest its number among
// those: the loads count from 1 on their own, as do the dumps and the snapshots.
enum TReply : std::uint64_t { ReplyLoad, ReplyShown, ReplyCacheState, ReplyDump, ReplyShot };
constexpr int ReplyShift = 61;
constexpr std::uint64_t ReplyId(TReply kind, std::uint64_t number) {
    return std::uint64_t(kind) << ReplyShift | number;
}

// How often a dump that waits for the cache asks for it, and for how long at most: a
// broadcast stream brings a key frame every few seconds.
constexpr int DumpPollMs = 100;
constexpr qint64 DumpWaitMs = 10000;

// Where libmpv is to begin a dump: "no" is the first key frame it holds, and a time past
// every stretch it holds is what it reads next.
QByteArray DumpStartArgument(double from) {
    if (std::isnan(from))
        return "no";
    return QByteArray::number(std::isinf(from) ? 1e9 : from, 'f', 3);
}

} // namespace

EMediaPlayerError::EMediaPlayerError(const QString& message)
    : std::runtime_error(message.toUtf8().toStdString()) {}

TMpvEngine::TMpvEngine() {
    // libmpv refuses to start unless numbers are formatted the C way, and QApplication
    // sets the locale from the environment.
    std::setlocale(LC_NUMERIC, "C");
    FMpv = mpv_create();
    if (!FMpv)
        throw EMediaPlayerError(u"无法创建播放器"_s);
    if (!SetEngineOptions(FMpv) || mpv_initialize(FMpv) < 0) {
        mpv_terminate_destroy(FMpv);
        throw EMediaPlayerError(u"无法启动播放器"_s);
    }
    mpv_request_log_messages(FMpv, "warn");
    mpv_observe_property(FMpv, WatchPausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);
    mpv_observe_property(FMpv, WatchBufferingPercent, "cache-buffering-state", MPV_FORMAT_INT64);
    mpv_observe_property(FMpv, WatchPlaybackTime, "playback-time", MPV_FORMAT_DOUBLE);
    mpv_observe_property(FMpv, WatchPosition, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(FMpv, WatchDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(FMpv, WatchSeekable, "seekable", MPV_FORMAT_FLAG);
    mpv_set_wakeup_callback(FMpv, &TMpvEngine::OnWakeup, this);
}

TMpvEngine::~TMpvEngine() {
    // Once the callback is gone no engine thread can post to this object any more.
    mpv_set_wakeup_callback(FMpv, nullptr, nullptr);
    mpv_terminate_destroy(FMpv);
}

void TMpvEngine::OnWakeup(void* self) {
    auto* engine = static_cast<TMpvEngine*>(self);
    if (!engine->FDrainPosted.exchange(true))
        QMetaObject::invokeMethod(engine, &TMpvEngine::DrainEvents, Qt::QueuedConnection);
}

int TMpvEngine::Load(const TStreamAddress& address) {
    const int rc = FCanDraw ? Send(address) : 0;
    if (rc >= 0)
        FLoad = address;
    return rc;
}

void TMpvEngine::Stop() {
    StopDump();
    FLoad.reset();
    Command({"stop"});
}

void TMpvEngine::SetRenderContext(bool exists) {
    FCanDraw = exists;
    if (exists && FLoad)
        Send(*FLoad);
}

int TMpvEngine::Send(const TStreamAddress& address) {
    // A load ends the dump of what played, before libmpv closes that stream.
    StopDump();
    const auto wanted = LoadOptions(address);
    std::vector<char*> names;
    std::vector<mpv_node> values;
    for (const auto& [name, value] : wanted)
        if (!value.isEmpty()) {
            names.push_back(const_cast<char*>(name));
            values.push_back(StringNode(value.constData()));
        }
    mpv_node_list options{int(values.size()), values.data(), names.data()};
    const QByteArray url = address.url.toUtf8();
    mpv_node args[] = {
        StringNode("loadfile"), StringNode(url.constData()), StringNode("replace"), {}};
    args[3].format = MPV_FORMAT_NODE_MAP;
    args[3].u.list = &options;
    mpv_node_list list{4, args, nullptr};
    mpv_node command{};
    command.format = MPV_FORMAT_NODE_ARRAY;
    command.u.list = &list;
    const int rc = mpv_command_node_async(FMpv, FLoadNumber + 1, &command);
    if (rc >= 0) {
        ++FLoadNumber;
        FEntryId = -1;
        FEntryLoaded = false;
        FPendingEnd.reset();
        FEntryStarted = false;
    }
    return rc;
}

void TMpvEngine::Command(std::initializer_list<QByteArray> args) {
    std::vector<const char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(arg.constData());
    argv.push_back(nullptr);
    mpv_command_async(FMpv, 0, argv.data());
}

void TMpvEngine::Set(const char* property, const QByteArray& value) {
    const char* text = value.constData();
    mpv_set_property_async(FMpv, 0, property, MPV_FORMAT_STRING, &text);
}

void TMpvEngine::StartDump(const QString& path) {
    FDumpPath = path;
    ++FDumpNumber;
    FDumpShown = qQNaN();
    FDumpSpans.clear();
    FDumpStopping = false;
    FDumpAsked.start();
    // The file begins with the group of pictures of the one on screen.
    mpv_get_property_async(FMpv, ReplyId(ReplyShown, FDumpNumber), "time-pos", MPV_FORMAT_DOUBLE);
}

void TMpvEngine::AskCacheState() {
    mpv_get_property_async(FMpv, ReplyId(ReplyCacheState, FDumpNumber), "demuxer-cache-state",
                           MPV_FORMAT_NODE);
}

void TMpvEngine::DumpWhenCached(bool final) {
    const std::optional<double> from = DumpStart(FDumpShown, FDumpSpans, final);
    if (!from) {
        const std::uint64_t number = FDumpNumber;
        QTimer::singleShot(DumpPollMs, this, [this, number] {
            if (number == FDumpNumber && !FDumping)
                AskCacheState();
        });
        return;
    }
    Dump(*from);
    if (FDumpStopping && FDumping)
        StopDump();
}

void TMpvEngine::Dump(double from) {
    const QByteArray start = DumpStartArgument(from);
    const QByteArray path = FDumpPath.toUtf8();
    const char* args[] = {"dump-cache", start.constData(), "no", path.constData(), nullptr};
    const int rc = mpv_command_async(FMpv, ReplyId(ReplyDump, FDumpNumber), args);
    FDumping = rc >= 0;
    if (rc < 0) {
        // Refused at once: the dump is over, and says so with the next batch of events.
        FDumpPath.clear();
        FPendingDumpEnd = rc;
        OnWakeup(this);
    }
}

void TMpvEngine::StopDump() {
    if (FDumping) {
        // A dump to no file ends the one running, whose reply then says it is closed.
        const char* args[] = {"dump-cache", "0", "no", "", nullptr};
        mpv_command_async(FMpv, 0, args);
    } else if (DumpWaits() && !FDumpStopping) {
        // Still waiting for the cache: what it held at its last answer is written now,
        // before whatever is asked of libmpv next closes the stream.
        FDumpStopping = true;
        DumpWhenCached(true);
    }
}

void TMpvEngine::ForgetDump() {
    ++FDumpNumber;
    FDumpPath.clear();
    FPendingDumpEnd = 0;
    OnWakeup(this);
}

void TMpvEngine::Screenshot(const QString& path) {
    FShots.insert(++FShotNumber, path);
    const QByteArray file = path.toUtf8();
    const char* args[] = {"screenshot-to-file", file.constData(), "video", nullptr};
    mpv_command_async(FMpv, ReplyId(ReplyShot, FShotNumber), args);
}

void TMpvEngine::Seek(double seconds, bool relative) {
    Command({"seek", QByteArray::number(seconds), relative ? "relative" : "absolute"});
}

QSize TMpvEngine::VideoSize() const {
    std::int64_t width = 0;
    std::int64_t height = 0;
    mpv_get_property(FMpv, "dwidth", MPV_FORMAT_INT64, &width);
    mpv_get_property(FMpv, "dheight", MPV_FORMAT_INT64, &height);
    return QSize(int(width), int(height));
}

QString TMpvEngine::ErrorText(int error) {
    return QString::fromUtf8(mpv_error_string(error));
}

void TMpvEngine::DrainEvents() {
    FDrainPosted = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(FMpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        HandleEvent(*event);
    }
    // libmpv hands out its log lines only once no other event is waiting, so the line
    // that says why a load failed comes after the load's end: the end goes out only now.
    if (FPendingEnd)
        emit ended(*std::exchange(FPendingEnd, std::nullopt));
    // Likewise the line that says why a dump failed comes after its reply.
    if (FPendingDumpEnd)
        emit dumpEnded(*std::exchange(FPendingDumpEnd, std::nullopt));
    emit drained();
}

void TMpvEngine::HandleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<mpv_event_log_message*>(event.data);
        const QString text = QString::fromUtf8(message->text);
        if (std::strcmp(message->prefix, "recorder") == 0)
            emit writerLog(text);
        else
            emit logLine(text);
        break;
    }
    case MPV_EVENT_COMMAND_REPLY:
    case MPV_EVENT_GET_PROPERTY_REPLY:
        HandleReply(event);
        break;
    case MPV_EVENT_START_FILE:
        if (static_cast<mpv_event_start_file*>(event.data)->playlist_entry_id == FEntryId)
            FEntryStarted = true;
        break;
    case MPV_EVENT_FILE_LOADED:
        FEntryLoaded = FEntryStarted;
        if (FEntryStarted)
            emit loaded();
        break;
    case MPV_EVENT_END_FILE: {
        GiveBackFreedMemory(); // what the channel's decoders and buffers held
        const auto* end = static_cast<mpv_event_end_file*>(event.data);
        if (end->playlist_entry_id != FEntryId)
            break; // a channel that was replaced: not a failure
        FEntryStarted = false;
        FEntryLoaded = false;
        if (DumpWaits())
            ForgetDump();
        // Without a sound device the picture plays alone, and libmpv reports the end of
        // such a stream as the sound's failure.
        const bool soundless = end->error == MPV_ERROR_AO_INIT_FAILED;
        FPendingEnd = end->reason == MPV_END_FILE_REASON_EOF ||
                              (end->reason == MPV_END_FILE_REASON_ERROR && soundless)
                          ? TStreamEnd::EndOfStream
                      : end->reason == MPV_END_FILE_REASON_ERROR ? TStreamEnd::Error
                                                                 : TStreamEnd::Replaced;
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE:
        HandlePropertyChange(event);
        break;
    default:
        break;
    }
}

void TMpvEngine::HandleReply(const mpv_event& event) {
    const std::uint64_t number = event.reply_userdata & ((1ULL << ReplyShift) - 1);
    switch (TReply(event.reply_userdata >> ReplyShift)) {
    case ReplyLoad:
        if (number == 0 || number != FLoadNumber)
            break;
        if (event.error < 0)
            FPendingEnd = TStreamEnd::Error;
        else
            FEntryId = EntryIdOf(static_cast<mpv_event_command*>(event.data)->result);
        break;
    case ReplyShown: {
        if (number != FDumpNumber)
            break; // stopped before it began
        const auto* time = static_cast<mpv_event_property*>(event.data);
        FDumpShown = event.error >= 0 && time->format == MPV_FORMAT_DOUBLE
                         ? *static_cast<double*>(time->data)
                         : qQNaN();
        AskCacheState();
        break;
    }
    case ReplyCacheState: {
        if (number != FDumpNumber || FDumping || FDumpStopping)
            break;
        const auto* state = static_cast<mpv_event_property*>(event.data);
        if (event.error >= 0 && state->format == MPV_FORMAT_NODE)
            FDumpSpans = SeekableSpans(*static_cast<mpv_node*>(state->data));
        DumpWhenCached(FDumpAsked.elapsed() >= DumpWaitMs);
        break;
    }
    case ReplyDump:
        if (number != FDumpNumber)
            break;
        FDumping = false;
        FDumpPath.clear();
        // A dump stopped as it began may find its stream closed already: nothing written.
        FPendingDumpEnd = FDumpStopping ? 0 : event.error;
        break;
    case ReplyShot:
        emit screenshotSaved(FShots.take(number), event.error);
        break;
    }
}

void TMpvEngine::HandlePropertyChange(const mpv_event& event) {
    const auto* property = static_cast<mpv_event_property*>(event.data);
    const bool present = property->format != MPV_FORMAT_NONE;
    if (event.reply_userdata == WatchPlaybackTime) {
        if (present)
            emit progressed();
        return;
    }
    // Each of them is gone while nothing is open.
    if (event.reply_userdata >= WatchPosition) {
        const double value = present && property->format == MPV_FORMAT_DOUBLE
                                 ? *static_cast<double*>(property->data)
                                 : 0;
        if (event.reply_userdata == WatchPosition)
            FTimeline.position = value;
        else if (event.reply_userdata == WatchDuration)
            FTimeline.duration = value;
        else
            FTimeline.seekable = present && *static_cast<int*>(property->data) != 0;
        emit timelineChanged(FTimeline);
        return;
    }
    if (event.reply_userdata == WatchPausedForCache)
        FWaiting = present && *static_cast<int*>(property->data) != 0;
    else
        FBufferingPercent = present ? int(*static_cast<std::int64_t*>(property->data)) : 0;
    emit buffering(FWaiting, FBufferingPercent);
}
