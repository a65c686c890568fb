#include "tv/mpvoptions.h"

#include "tv/streamsession.h"

#include <mpv/client.h>

#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

// mpv's network-timeout covers only http; rtsp and mmst take FFmpeg's own timeouts (in
// microseconds), without which a server that accepts and never answers would hold the
// open for ever.
const QByteArray IoTimeout = QByteArray::number(TStreamSession::IoTimeoutMs * 1000LL);
const QByteArray DemuxerOptions = "timeout=" + IoTimeout;

// An HLS live stream shows its first picture after requests made one after another,
// each a round trip: the master playlist, the media playlist, a segment. mpv reads the
// master playlist to tell the format and then lets FFmpeg fetch it once more, unless
// its format-specific handling is off; and FFmpeg opens the next segment before the
// first one is played, unless it opens one at a time. Each is one round trip less.
bool IsHls(const QString& address) {
    return QUrl(address).path().endsWith(u".m3u8"_s, Qt::CaseInsensitive);
}
const QByteArray HlsDemuxerOptions = DemuxerOptions + ",http_multiple=0";

} // namespace

bool SetEngineOptions(mpv_handle* mpv) {
    const QByteArray streamOptions = "rw_timeout=" + IoTimeout;
    const QByteArray networkTimeout = QByteArray::number(TStreamSession::IoTimeoutMs / 1000);
    const std::pair<const char*, const char*> options[] = {
        {"config", "no"},
        {"terminal", "no"},
        {"ytdl", "no"},
        {"load-scripts", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"osc", "no"},
        {"vo", "libmpv"},
        {"idle", "yes"},
        // mpv hands each frame over when it is due instead of having the render call
        // wait for that moment on the window's thread.
        {"video-timing-offset", "0"},
        {"audio-client-name", "viewdial"},
        // Stream probing is most of the time it takes to switch channels. A live
        // station lists its streams and codecs up front (RTSP in its session
        // description, MMS in its ASF header), so FFmpeg looks into the data only when
        // the header names no stream, and then for a fifth of a second at most.
        {"demuxer-lavf-probe-info", "nostreams"},
        {"demuxer-lavf-analyzeduration", "0.2"},
        // A decoder that works on several pictures at once gives out its first only
        // when the next ones are in; a live stream brings one every 40 ms, so each
        // extra thread held the first picture of a channel back by that much. One
        // thread decodes a broadcast picture well within its time.
        {"vd-lavc-threads", "1"},
        // mpv would wait for a second decoded picture to learn how long the first is to
        // be shown, 40 ms on a live stream; the frame rate of the stream tells it too.
        {"video-latency-hacks", "yes"},
        {"demuxer-lavf-o", DemuxerOptions.constData()},
        {"stream-lavf-o", streamOptions.constData()},
        {"network-timeout", networkTimeout.constData()},
        // A recording begins with the group of pictures on screen, from its key frame,
        // which the demuxer has passed by then: it keeps what it has read, for live
        // streams too, as much as a few seconds of a high-rate stream take.
        {"demuxer-seekable-cache", "yes"},
        {"demuxer-max-back-bytes", "16MiB"},
    };
    bool ok = true;
    for (const auto& [name, value] : options)
        ok = mpv_set_option_string(mpv, name, value) >= 0 && ok;
#ifdef Q_OS_LINUX
    // After its own drivers mpv tries SDL's, which goes through the same sound systems
    // once more, and on a machine without a sound device that took another 100 ms of
    // every channel switch. A driver that this build of mpv lacks is passed over.
    mpv_set_option_string(mpv, "ao", "pipewire,pulse,alsa,jack");
#endif
    // Without a sound device that opens, mpv would drop the sound track, and a recording
    // would be silent.
    mpv_set_option_string(mpv, "audio-fallback-to-null", "yes");
    return ok;
}

std::vector<std::pair<const char*, QByteArray>> LoadOptions(const TStreamAddress& address) {
    // The headers go as typed per-file options, so that no text in them is ever read
    // as option syntax.
    const bool hls = IsHls(address.url);
    return {{"user-agent", address.headers.userAgent.toUtf8()},
            {"referrer", address.headers.referrer.toUtf8()},
            {"demuxer-lavf-hacks", hls ? "no" : ""},
            {"demuxer-lavf-o", hls ? HlsDemuxerOptions : QByteArray()},
            // Without its format-specific handling mpv takes every HLS stream for one it
            // cannot seek in; a recording is a complete playlist, which FFmpeg seeks in
            // by its segments.
            {"force-seekable", hls && address.kind == TStreamKind::Archive ? "yes" : ""}};
}
