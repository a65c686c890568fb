// Channel lists of the size public lists have: 10,000 entries in 400 groups, every fifth
// channel with three addresses. The first group holds a thousand channels, as the
// catch-all group of such lists does; the others share the rest. Measured: reading the
// bytes, opening the list in the window until its menu is on screen, opening the
// largest group, one keystroke in the search window, and the memory the list costs.
// Nothing is played, so no address is ever opened.

#include "common/appshell.h"
#include "tv/channelmenu.h"
#include "tv/channelsearchfrm.h"
#include "tv/main.h"
#include "tv/openchannellist.h"
#include "tv/playlist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <unistd.h>

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

double ResidentMb() {
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) /
           (1024 * 1024);
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

// The first letter narrows all 7,143 channels; the next ones narrow fewer.
void BM_SearchKeystroke(benchmark::State& state) {
    TMainFrm frm;
    frm.show();
    frm.OpenPlaylist(g_file);
    frm.Search();
    QLineEdit* find = frm.SearchFrm()->FindEdt;
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
// then with the list open, its menu and largest group shown and the search window open.
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

// First, before the others have grown the heap.
BENCHMARK(BM_ResidentMemoryOfTheList)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ReadPlaylist)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPlaylistToMenuOnScreen)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLargestGroup)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKeystroke)->UseManualTime()->Unit(benchmark::kMillisecond);

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
