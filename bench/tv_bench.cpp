// Zap time: from handing an address to the player to its first rendered picture, on
// the loopback RTSP test stream. The same stream is opened by the mpv command-line
// player with its default options (no config file; --vo=null since there is no
// display), whose zap is read from its own log: from the line where it starts
// opening the address to "first video frame after restart shown", both stamped by
// --msg-time. Medians of the repetitions are printed at the end with their ratio, and
// the longest stall of the window's event loop on the drawing path this run uses
// (VIEWDIAL_RENDER=opengl under xvfb-run for the OpenGL path).

#include "tv/mediaplayer.h"
#include "tv/tests/testserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
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

void BM_ZapViewdial(benchmark::State& state) {
    TMediaPlayer player;
    player.resize(441, 329);
    player.show();
    for (auto _ : state) {
        QEventLoop loop;
        bool shown = false;
        const auto connection = QObject::connect(&player, &TMediaPlayer::frameRendered, [&] {
            shown = player.Status() == TStreamStatus::Playing;
            if (shown)
                loop.quit();
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        QElapsedTimer zap;
        zap.start();
        player.setURL(g_server->Url());
        loop.exec();
        const double ms = zap.nsecsElapsed() / 1e6;
        QObject::disconnect(connection);
        if (!shown) {
            state.SkipWithError("no picture within 10 s");
            break;
        }
        state.SetIterationTime(ms / 1000);
        g_viewdialMs.push_back(ms);
        player.Stop();
        Settle();
    }
}

void BM_ZapMpvDefault(benchmark::State& state) {
    static const QRegularExpression stamp(uR"(^\[\s*([0-9.]+)\])"_s);
    for (auto _ : state) {
        QProcess mpv;
        mpv.setProcessChannelMode(QProcess::MergedChannels);
        mpv.start(u"mpv"_s, {u"--no-config"_s, u"--vo=null"_s, u"--frames=1"_s,
                             u"--msg-level=all=v"_s, u"--msg-time"_s, g_server->Url()});
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
        if (opening < 0 || shown < 0) {
            state.SkipWithError("mpv showed no picture");
            break;
        }
        const double ms = (shown - opening) * 1000;
        state.SetIterationTime(ms / 1000);
        g_mpvMs.push_back(ms);
        Settle();
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

BENCHMARK(BM_ZapViewdial)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_ZapMpvDefault)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_StallViewdial)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double ours = Median(g_viewdialMs);
    const double mpv = Median(g_mpvMs);
    std::printf("zap median over %zu/%zu runs: viewdial %.0f ms, mpv default %.0f ms, ratio %.2f "
                "(target <= 0.15)\n",
                g_viewdialMs.size(), g_mpvMs.size(), ours, mpv, mpv > 0 ? ours / mpv : 0.0);
    std::printf("longest event-loop stall, %s path, median over %zu runs: %.0f ms (worst %.0f ms); "
                "closing while connecting %.0f ms\n",
                g_stallPath, g_stallMs.size(), Median(g_stallMs),
                g_stallMs.empty() ? 0.0 : *std::max_element(g_stallMs.begin(), g_stallMs.end()),
                Median(g_closeMs));
    return 0;
}
