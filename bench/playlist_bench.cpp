// Channel lists of the size public lists have: 10,000 entries in 400 groups, every fifth
// channel with three addresses. The first group holds a thousand channels, as the
// catch-all group of such lists does; the others share the rest. Measured: reading the
// bytes, opening the list in the window until its menu is on screen, opening the
// largest group, one keystroke in the channel window's filter, the memory the list costs,
// and the longest stall of the window while the list's guide loads from a loopback server.
// Nothing is played, so no address is ever opened.

#include "bench/residentmemory.h"
#include "common/appshell.h"
#include "tv/channelbrowser.h"
#include "tv/channelmenu.h"
#include "tv/channelwindow.h"
#include "tv/guidefetcher.h"
#include "tv/listguide.h"
#include "tv/main.h"
#include "tv/openchannellist.h"
#include "tv/playlist.h"
#include "tv/tests/httptestserver.h"
#include "tv/tests/testserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Entries = 10000;
constexpr int Groups = 400;
constexpr int LargestGroup = 1000;

QString g_file;

QByteArray Generate() {
    QByteArray out = "#EXTM3U x-tvg-url=\"http://epg.example.com/e.xml\"\n";
    int entries = 0;
    for (int channel = 0; entries < Entries; ++channel) {
        const int group = channel < LargestGroup ? 0 : 1 + channel % (Groups - 1);
        for (int copy = 0; copy < (channel % 5 == 0 ? 3 : 1) && entries < Entries; ++copy) {
            out += "#EXTINF:-1 tvg-id=\"ch" + QByteArray::number(channel) +
                   ".cn\" tvg-name=\"频道 " + QByteArray::number(channel) +
                   "\" tvg-logo=\"https://logo.example.com/" + QByteArray::number(channel) +
                   ".png\" group-title=\"分组 " + QByteArray::number(group) + "\",频道 " +
                   QByteArray::number(channel) + " 高清\nhttp://s" + QByteArray::number(copy) +
                   ".example.com/live/" + QByteArray::number(channel) + "/index.m3u8\n";
            ++entries;
        }
    }
    return out;
}

// Three days of hourly programmes for the first 2,000 channels, about 20 MB of XML.
QByteArray GenerateGuide() {
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n";
    const QDateTime first = QDateTime::currentDateTimeUtc().addDays(-1);
    for (int channel = 0; channel < 2000; ++channel) {
        const QByteArray id = "ch" + QByteArray::number(channel) + ".cn";
        out += "<channel id=\"" + id + "\"><display-name>频道 " + QByteArray::number(channel) +
               "</display-name></channel>\n";
        for (int hour = 0; hour < 72; ++hour)
            out +=
                "<programme start=\"" +
                first.addSecs(hour * 3600).toString(u"yyyyMMddHH0000 +0000"_s).toLatin1() +
                "\" stop=\"" +
                first.addSecs(hour * 3600 + 3600).toString(u"yyyyMMddHH0000 +0000"_s).toLatin1() +
                "\" channel=\"" + id + "\"><title>节目 " + QByteArray::number(hour) +
                "</title><desc>第 " + QByteArray::number(hour) + " 小时</desc></programme>\n";
    }
    return out + "</tv>\n";
}

// Lets the window lay out and paint what changed.
void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void BM_ReadPlaylist(benchmark::State& state) {
    QFile file(g_file);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const QUrl location = QUrl::fromLocalFile(g_file);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadPlaylist(bytes, location));
}

void BM_OpenPlaylistToMenuOnScreen(benchmark::State& state) {
    TMainFrm frm;
    frm.show();
    Settle();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        frm.OpenPlaylist(g_file);
        frm.StartPopupMenu->popup(QPoint(100, 100));
        Settle();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        frm.StartPopupMenu->close();
        Settle();
    }
}

void BM_OpenLargestGroup(benchmark::State& state) {
    TMainFrm frm;
    frm.show();
    for (auto _ : state) {
        frm.OpenPlaylist(g_file); // the groups are empty again
        Settle();
        QMenu* largest = frm.Menu()->Groups().first();
        QElapsedTimer clock;
        clock.start();
        largest->popup(QPoint(100, 100));
        Settle();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        largest->close();
    }
}

// The first letter narrows all 7,143 channels and the built-in ones; the next ones fewer.
void BM_SearchKeystroke(benchmark::State& state) {
    TMainFrm frm;
    frm.show();
    frm.OpenPlaylist(g_file);
    frm.Search();
    QLineEdit* find = frm.Browser()->Window()->FindEdt;
    Settle();
    for (auto _ : state) {
        find->clear();
        Settle();
        QElapsedTimer clock;
        clock.start();
        find->insert(u"1"_s);
        Settle();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}

// Once, since memory that was used stays with the process: the window as it starts,
// then with the list open, its menu and largest group shown and the channel window open.
void BM_ResidentMemoryOfTheList(benchmark::State& state) {
    TMainFrm frm;
    frm.show();
    frm.StartPopupMenu->popup(QPoint(100, 100));
    Settle();
    frm.StartPopupMenu->close();
    Settle();
    const double empty = ResidentMb();
    for (auto _ : state) {
        frm.OpenPlaylist(g_file);
        frm.StartPopupMenu->popup(QPoint(100, 100));
        frm.Menu()->Groups().first()->popup(QPoint(150, 100));
        frm.Search();
        Settle();
        state.SetIterationTime(1);
    }
    state.counters["empty_MB"] = empty;
    state.counters["with_list_MB"] = ResidentMb() - empty;
}

// The guide is read off the window's thread; what the window does is take the guide read.
// The same time with nothing loading gives what the machine's own load makes of a stall.
void BM_StallWhileTheGuideLoads(benchmark::State& state) {
    // The server answers from a thread of its own, so that only the window is measured.
    THttpTestServer server;
    server.Serve(u"/e.xml.gz"_s, Gzip(GenerateGuide()));
    QThread serving;
    server.moveToThread(&serving);
    serving.start();
    TGuideFetcher::SetAddressRedirect(
        [&server](const QString&) { return server.Url(u"/e.xml.gz"_s); });
    TMainFrm frm;
    frm.show();
    Settle();
    std::vector<double> loading, idle;
    for (auto _ : state) {
        frm.OpenPlaylist(g_file);
        TLoopStallMeter meter;
        QElapsedTimer clock;
        clock.start();
        while (!frm.Guide()->Guide() && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        Settle();
        const qint64 took = clock.elapsed();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        loading.push_back(double(meter.LongestStallMs()));
        meter.Reset();
        for (clock.start(); clock.elapsed() < took;)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        idle.push_back(double(meter.LongestStallMs()));
    }
    TGuideFetcher::SetAddressRedirect([](const QString&) { return QString(); });
    QMetaObject::invokeMethod(
        &server, [&server] { server.moveToThread(QCoreApplication::instance()->thread()); },
        Qt::BlockingQueuedConnection);
    serving.quit();
    serving.wait();
    std::sort(loading.begin(), loading.end());
    std::sort(idle.begin(), idle.end());
    state.counters["stall_median_ms"] = loading[loading.size() / 2];
    state.counters["stall_worst_ms"] = loading.back();
    state.counters["idle_stall_median_ms"] = idle[idle.size() / 2];
}

// First, before the others have grown the heap.
BENCHMARK(BM_ResidentMemoryOfTheList)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ReadPlaylist)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPlaylistToMenuOnScreen)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLargestGroup)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKeystroke)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StallWhileTheGuideLoads)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    TApplication::SetTitle(u"晴棠网络电视"_s);
    // The list opened is remembered: here, in a folder that goes with the run.
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QCoreApplication::setOrganizationName(u"晴棠软件"_s);
    qputenv("XDG_CACHE_HOME", dir.filePath(u"cache"_s).toUtf8());
    // The list names a guide elsewhere; only the stall benchmark serves one, on loopback.
    TGuideFetcher::SetAddressRedirect([](const QString&) { return QString(); });
    g_file = dir.filePath(u"big.m3u"_s);
    QFile file(g_file);
    if (!file.open(QIODevice::WriteOnly) || file.write(Generate()) < 0)
        return 1;
    file.close();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
