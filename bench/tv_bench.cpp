// Zap time: from handing an address to the player to its first rendered picture, on
// the loopback RTSP test stream. The same stream is opened by the mpv command-line
// player with its default options (no config file; --vo=null since there is no
// display), whose zap is read from its own log: from the line where it starts
// opening the address to "first video frame after restart shown", both stamped by
// --msg-time. Medians of the repetitions are printed at the end with their ratio, and
// the longest stall of the window's event loop on the drawing path this run uses
// (VIEWDIAL_RENDER=opengl under xvfb-run for the OpenGL path). Last, what recording
// costs: the player's CPU over 10 s of the stream while it records, against 10 s
// without, in turns on the same stream, and the recorded file read back by ffprobe.

#include "tv/catchup.h"
#include "tv/mediaplayer.h"
#include "tv/tests/testserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

TRtspTestServer* g_server = nullptr;
std::vector<double> g_viewdialMs;
std::vector<double> g_mpvMs;
std::vector<double> g_stallMs;
std::vector<double> g_closeMs;
const char* g_stallPath = "no";

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Lets the server drop the session of the zap before and settle.
void Settle() {
    Wait(300);
}

// One zap of viewdial's player: from PlayChannel to the first picture shown while it plays.
// Returns the time in ms, negative when no picture came within 10 s; intact says
// whether that first picture showed the test pattern whole, and pictures how many were
// shown in the watchMs after it.
double ZapViewdial(TMediaPlayer& player, const QString& url, bool& intact, int watchMs = 0,
                   int* pictures = nullptr, TStreamKind kind = TStreamKind::Live) {
    QEventLoop loop;
    bool shown = false;
    QImage first;
    QElapsedTimer zap;
    double ms = -1;
    const auto connection = QObject::connect(&player, &TMediaPlayer::frameRendered, [&] {
        shown = player.Status() == TStreamStatus::Playing;
        if (shown) {
            ms = zap.nsecsElapsed() / 1e6;
            first = player.Frame();
            loop.quit();
        }
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    zap.start();
    player.PlayChannel({{url, {}, kind}});
    loop.exec();
    QObject::disconnect(connection);
    if (pictures) {
        *pictures = 0;
        const auto counting =
            QObject::connect(&player, &TMediaPlayer::frameRendered, [pictures] { ++*pictures; });
        Wait(watchMs);
        QObject::disconnect(counting);
    }
    // The stream's picture size may come a moment after its first picture.
    for (int i = 0; i < 50 && shown && player.VideoSize().isEmpty(); ++i)
        Wait(20);
    intact = shown && ShowsTestPattern(first, player.VideoSize());
    player.Stop();
    Settle();
    return ms;
}

// One zap of the mpv command-line player with its defaults, read from its log: from
// the line where it starts opening the address to its first picture, in ms (negative
// when it showed none).
double ZapMpv(const QString& url) {
    static const QRegularExpression stamp(uR"(^\[\s*([0-9.]+)\])"_s);
    QProcess mpv;
    mpv.setProcessChannelMode(QProcess::MergedChannels);
    mpv.start(u"mpv"_s, {u"--no-config"_s, u"--vo=null"_s, u"--frames=1"_s, u"--msg-level=all=v"_s,
                         u"--msg-time"_s, url});
    mpv.waitForFinished(20000);
    double opening = -1;
    double shown = -1;
    for (const QByteArray& raw : mpv.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const auto match = stamp.match(line);
        if (!match.hasMatch())
            continue;
        if (opening < 0 && line.contains(u"Opening "_s))
            opening = match.captured(1).toDouble();
        if (shown < 0 && line.contains(u"first video frame after restart shown"_s))
            shown = match.captured(1).toDouble();
    }
    Settle();
    return opening < 0 || shown < 0 ? -1 : (shown - opening) * 1000;
}

// Counts one zap towards the benchmark's time and figures; false, with the benchmark
// stopped, when it showed no picture or a damaged one.
bool Record(benchmark::State& state, double ms, bool intact, std::vector<double>& figures) {
    if (ms < 0 || !intact) {
        state.SkipWithError(ms < 0 ? "no picture within 10 s" : "the first picture is damaged");
        return false;
    }
    state.SetIterationTime(ms / 1000);
    figures.push_back(ms);
    return true;
}

void BM_ZapViewdial(benchmark::State& state) {
    TMediaPlayer player;
    player.resize(441, 329);
    player.show();
    for (auto _ : state) {
        bool intact = false;
        const double ms = ZapViewdial(player, g_server->Url(), intact);
        if (!Record(state, ms, intact, g_viewdialMs))
            break;
    }
}

void BM_ZapMpvDefault(benchmark::State& state) {
    for (auto _ : state) {
        if (!Record(state, ZapMpv(g_server->Url()), true, g_mpvMs))
            break;
    }
}

// Each zap asks for a folder of its own, so that the server's log tells the zaps apart.
QString HlsZapUrl(const THlsTestServer& server, int zap) {
    return server.Url(u"/z%1/master.m3u8"_s.arg(zap));
}

// The requests of one zap until its first picture.
int HlsZapRequests(THlsTestServer& server, int zap, double ms) {
    const QString prefix = u"/z%1/"_s.arg(zap);
    return server.RequestsUntil(prefix, server.FirstRequest(prefix) + ms / 1000);
}

struct THlsFigures {
    std::vector<double> ms;
    std::vector<double> requests;
    std::vector<double> pictures; // of the 150 that 6 s of the stream bring
    int intact = 0;
};
std::map<std::pair<bool, int>, THlsFigures> g_hls; // by (mpv, round trip)
int g_zap = 0;

// HLS live, where the first picture waits on requests made one after another: master
// playlist, media playlist, segments, each a round trip.
void BM_HlsZapViewdial(benchmark::State& state) {
    THlsTestServer server(QStringLiteral(TV_BENCH_HLS_DIR), int(state.range(0)));
    TMediaPlayer player;
    player.resize(441, 329);
    player.show();
    THlsFigures& figures = g_hls[{false, int(state.range(0))}];
    for (auto _ : state) {
        const int zap = ++g_zap;
        bool intact = false;
        int pictures = 0;
        const double ms = ZapViewdial(player, HlsZapUrl(server, zap), intact, 6000, &pictures);
        if (ms < 0) {
            state.SkipWithError("no picture within 10 s");
            break;
        }
        figures.pictures.push_back(pictures);
        state.SetIterationTime(ms / 1000);
        figures.ms.push_back(ms);
        figures.requests.push_back(HlsZapRequests(server, zap, ms));
        figures.intact += intact;
    }
}

void BM_HlsZapMpvDefault(benchmark::State& state) {
    THlsTestServer server(QStringLiteral(TV_BENCH_HLS_DIR), int(state.range(0)));
    THlsFigures& figures = g_hls[{true, int(state.range(0))}];
    for (auto _ : state) {
        const int zap = ++g_zap;
        const double ms = ZapMpv(HlsZapUrl(server, zap));
        if (ms < 0) {
            state.SkipWithError("mpv showed no picture");
            break;
        }
        state.SetIterationTime(ms / 1000);
        figures.ms.push_back(ms);
        figures.requests.push_back(HlsZapRequests(server, zap, ms));
    }
}

// An archive programme on the loopback server, reached as a list's channel with the
// usual catch-up header reaches it: a half hour of yesterday, in a +0800 guide.
QString ArchiveZapUrl(const THlsTestServer& server, int zap) {
    TPlaylistChannel channel;
    channel.addresses = {{server.Url(u"/a%1/v.m3u8"_s.arg(zap)), {}}};
    channel.catchup = {u"append"_s, u"?playseek=${(b)yyyyMMddHHmmss}-${(e)yyyyMMddHHmmss}"_s, 0};
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime start = now.addDays(-1);
    return ArchiveAddress(channel, 0, {start, start.addSecs(1800), 8 * 3600, {}, {}}, now);
}

std::vector<double> g_catchupViewdialMs;
std::vector<double> g_catchupMpvMs;

// An archive programme's first picture: its playlist, then its first segment, each a
// round trip of 100 ms.
void BM_CatchupZapViewdial(benchmark::State& state) {
    THlsTestServer server(QStringLiteral(TV_BENCH_HLS_DIR), 100);
    TMediaPlayer player;
    player.resize(441, 329);
    player.show();
    for (auto _ : state) {
        bool intact = false;
        const double ms = ZapViewdial(player, ArchiveZapUrl(server, ++g_zap), intact, 0, nullptr,
                                      TStreamKind::Archive);
        if (!Record(state, ms, intact, g_catchupViewdialMs))
            break;
    }
}

void BM_CatchupZapMpvDefault(benchmark::State& state) {
    THlsTestServer server(QStringLiteral(TV_BENCH_HLS_DIR), 100);
    for (auto _ : state) {
        if (!Record(state, ZapMpv(ArchiveZapUrl(server, ++g_zap)), true, g_catchupMpvMs))
            break;
    }
}

// How long the window stops answering while the player opens, fails, replaces and
// closes channels: the longest the event loop went without running a 10 ms timer over
// the playback tests' hard cases, and how long closing a player takes while it still
// connects to a server that never answers.
void BM_StallViewdial(benchmark::State& state) {
    TMuteServer mute;
    const QString dead = u"rtsp://127.0.0.1:%1/live"_s.arg(ClosedLoopbackPort());
    const QString silent = u"rtsp://127.0.0.1:%1/live"_s.arg(mute.serverPort());
    for (auto _ : state) {
        auto player = std::make_unique<TMediaPlayer>();
        player->resize(441, 329);
        player->show();
        Settle();
        g_stallPath = player->RenderPath() == TRenderPath::OpenGL ? "OpenGL" : "software";
        TLoopStallMeter meter;
        for (const QString& address : {g_server->Url(), dead, silent, g_server->Url(), dead}) {
            player->setURL(address);
            Wait(1500);
        }
        for (int i = 0; i < 20; ++i) {
            player->setURL(i % 2 ? dead : g_server->Url());
            Wait(20);
        }
        player->setURL(silent);
        Wait(300);
        QElapsedTimer closing;
        closing.start();
        player.reset();
        g_closeMs.push_back(closing.nsecsElapsed() / 1e6);
        g_stallMs.push_back(double(meter.LongestStallMs()));
        state.SetIterationTime(g_stallMs.back() / 1000);
        Settle();
    }
}

// CPU seconds this process (the player, libmpv's threads with it) has used so far.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct TRecordingFigures {
    std::vector<double> plainCpu, recordingCpu, ratio, packets, pictures, shown;
};
TRecordingFigures g_recording;

// 10 s of the playing stream, recorded into file when it is not empty: the CPU it took,
// and the pictures the player showed meanwhile.
double PlayTenSeconds(TMediaPlayer& player, const QString& file, int& shown) {
    shown = 0;
    const auto counting =
        QObject::connect(&player, &TMediaPlayer::frameRendered, [&shown] { ++shown; });
    const double before = CpuSeconds();
    if (!file.isEmpty())
        player.StartRecording(file);
    Wait(10000);
    if (!file.isEmpty())
        player.StopRecording();
    const double cpu = CpuSeconds() - before;
    QObject::disconnect(counting);
    Wait(500); // the file closed
    return cpu;
}

void BM_RecordingCpu(benchmark::State& state) {
    QTemporaryDir folder;
    TMediaPlayer player;
    player.resize(441, 329);
    player.show();
    player.setURL(g_server->Url(u"aac"_s));
    Wait(3000);
    int round = 0;
    for (auto _ : state) {
        const QString file = folder.filePath(u"round%1.ts"_s.arg(++round));
        int shown[2] = {};
        // In turns, so that whatever else the machine does weighs on both alike.
        const bool recordFirst = round % 2 == 0;
        const double first = PlayTenSeconds(player, recordFirst ? file : QString(), shown[0]);
        const double second = PlayTenSeconds(player, recordFirst ? QString() : file, shown[1]);
        const double recording = recordFirst ? first : second;
        const double plain = recordFirst ? second : first;
        const TMediaProbe probe = ProbeMedia(file);
        g_recording.plainCpu.push_back(plain);
        g_recording.recordingCpu.push_back(recording);
        g_recording.ratio.push_back(recording / plain);
        g_recording.packets.push_back(probe.packets);
        g_recording.pictures.push_back(probe.pictures);
        g_recording.shown.push_back(shown[recordFirst ? 0 : 1]);
        state.SetIterationTime(recording);
    }
}

BENCHMARK(BM_ZapViewdial)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_ZapMpvDefault)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_HlsZapViewdial)
    ->Arg(0)
    ->Arg(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);
BENCHMARK(BM_HlsZapMpvDefault)
    ->Arg(0)
    ->Arg(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);
BENCHMARK(BM_CatchupZapViewdial)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_CatchupZapMpvDefault)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_StallViewdial)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RecordingCpu)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TRtspTestServer server;
    if (!server.Start()) {
        std::fprintf(stderr, "the loopback RTSP server did not start\n");
        return 1;
    }
    g_server = &server;
    // Two minutes of test segments, made once.
    if (!MakeTestSegments(QStringLiteral(TV_BENCH_HLS_DIR), 120)) {
        std::fprintf(stderr, "ffmpeg could not make the HLS segments\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double ours = Median(g_viewdialMs);
    const double mpv = Median(g_mpvMs);
    std::printf("zap median over %zu/%zu runs: viewdial %.0f ms, mpv default %.0f ms, ratio %.2f "
                "(target <= 0.15)\n",
                g_viewdialMs.size(), g_mpvMs.size(), ours, mpv, mpv > 0 ? ours / mpv : 0.0);
    for (const int rtt : {0, 100}) {
        const THlsFigures& ours = g_hls[{false, rtt}];
        const THlsFigures& theirs = g_hls[{true, rtt}];
        const double a = Median(ours.ms);
        const double b = Median(theirs.ms);
        std::printf(
            "hls zap median viewdial %.0f ms mpv %.0f ms ratio %.2f rtt %d (target <= 0.5); "
            "requests before the first picture: viewdial %.0f, mpv %.0f; first picture "
            "intact in %d of %zu; pictures shown in the 6 s after it: %.0f of 150\n",
            a, b, b > 0 ? a / b : 0.0, rtt, Median(ours.requests), Median(theirs.requests),
            ours.intact, ours.ms.size(), Median(ours.pictures));
    }
    const double archive = Median(g_catchupViewdialMs);
    const double archiveMpv = Median(g_catchupMpvMs);
    std::printf(
        "catchup zap median viewdial %.0f ms mpv %.0f ms ratio %.2f rtt 100 (target <= 0.5)\n",
        archive, archiveMpv, archiveMpv > 0 ? archive / archiveMpv : 0.0);
    std::printf("longest event-loop stall, %s path, median over %zu runs: %.0f ms (worst %.0f ms); "
                "closing while connecting %.0f ms\n",
                g_stallPath, g_stallMs.size(), Median(g_stallMs),
                g_stallMs.empty() ? 0.0 : *std::max_element(g_stallMs.begin(), g_stallMs.end()),
                Median(g_closeMs));
    const TRecordingFigures& r = g_recording;
    std::printf(
        "recording, median over %zu rounds of 10 s: CPU %.2f s recording vs %.2f s not, "
        "ratio %.2f (target <= 1.1); the file %.0f video packets (target >= 245), "
        "%.0f pictures decoded from it (target >= 220); %.0f pictures shown while it recorded\n",
        r.ratio.size(), Median(r.recordingCpu), Median(r.plainCpu), Median(r.ratio),
        Median(r.packets), Median(r.pictures), Median(r.shown));
    return 0;
}
