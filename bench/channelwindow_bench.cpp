// The channel window over a list of 10,000 channels in 400 groups, the first group a
// thousand strong, each channel with a logo and a week of programmes. Measured: opening
// the window, one filter keystroke, painting a page of 30 rows with their logos and
// programmes, the longest stall of the event loop while the list scrolls and logos
// arrive from the loopback test server, the memory of 2,000 logos, and how many logos the
// server is asked for when the window opens. Nothing is played.

#include "bench/residentmemory.h"
#include "common/appshell.h"
#include "tv/channelcatalog.h"
#include "tv/channeldelegate.h"
#include "tv/channelstore.h"
#include "tv/channelwindow.h"
#include "tv/logocache.h"
#include "tv/tests/testserver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <limits>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int Channels = 10000;
constexpr int Groups = 400;
constexpr int LargestGroup = 1000;

QTemporaryDir* g_dir;

// Each run of a benchmark names its logos afresh, so that none comes from a cache.
std::shared_ptr<const TPlaylist> MakeList(const QString& logos) {
    auto list = std::make_shared<TPlaylist>();
    list->groups.resize(Groups);
    for (int g = 0; g < Groups; ++g)
        list->groups[g].name = u"分组 %1"_s.arg(g);
    for (int channel = 0; channel < Channels; ++channel) {
        const int group = channel < LargestGroup ? 0 : 1 + channel % (Groups - 1);
        TPlaylistChannel& made = list->groups[group].channels.emplace_back();
        made.name = u"频道 %1 高清"_s.arg(channel);
        made.tvgId = u"ch%1.cn"_s.arg(channel);
        made.addresses = {{u"http://s0.example.com/live/%1/index.m3u8"_s.arg(channel), {}}};
        if (!logos.isEmpty())
            made.logo = u"%1/%2.png"_s.arg(logos).arg(channel);
    }
    return list;
}

// A week of half-hour programmes around now, the same for every channel.
QList<TProgramme> Week() {
    QList<TProgramme> week;
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-3);
    for (int i = 0; i < 7 * 48; ++i)
        week.append({start.addSecs(i * 1800),
                     start.addSecs((i + 1) * 1800),
                     8 * 3600,
                     u"第 %1 期 新闻联播"_s.arg(i),
                     {}});
    return week;
}

THlsTestServer* g_server;
int g_run = 0;

QString FreshLogos() {
    return g_server->Url(u"/logo/%1"_s.arg(++g_run));
}

void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void Wait(std::chrono::milliseconds time) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < time.count())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A window as the program has it: over the built-in table's place and a list open.
struct TWindow {
    explicit TWindow(const QString& logos, int rows = 15)
        : store([] {
              return std::make_unique<QSettings>(g_dir->filePath(u"s.ini"_s), QSettings::IniFormat);
          }),
          catalog(store) {
        catalog.SetList(MakeList(logos), u"/tmp/big.m3u"_s);
        frm = std::make_unique<TChannelListFrm>(catalog, cache, nullptr);
        frm->resize(900, rows * TChannelDelegate::RowHeight + 60);
        frm->SetSchedules([week = Week()](int) { return week; });
    }
    TChannelStore store;
    TChannelCatalog catalog;
    TLogoCache cache;
    std::unique_ptr<TChannelListFrm> frm;
};

void BM_OpenChannelWindow(benchmark::State& state) {
    TWindow window(FreshLogos());
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto frm = std::make_unique<TChannelListFrm>(window.catalog, window.cache, nullptr);
        frm->SetSchedules([week = Week()](int) { return week; });
        frm->ShowGroup({TGroupRef::TKind::List, 0});
        Settle();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}

// The first letter finds 10,000 channels among all of them; the next ones fewer.
void BM_FilterKeystroke(benchmark::State& state) {
    TWindow window(FreshLogos());
    window.frm->ShowFilter();
    Settle();
    for (auto _ : state) {
        window.frm->FindEdt->clear();
        Settle();
        QElapsedTimer clock;
        clock.start();
        window.frm->FindEdt->insert(u"1"_s);
        Settle();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}

void BM_PaintPageOf30Rows(benchmark::State& state) {
    TWindow window(FreshLogos(), 30);
    window.frm->ShowGroup({TGroupRef::TKind::List, 0});
    QListView* view = window.frm->ChannelLst;
    QElapsedTimer waited;
    waited.start();
    while (window.cache.KeptCount() < 30 && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QImage page(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        view->viewport()->render(&page);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    state.counters["rows"] = double(view->viewport()->height()) / TChannelDelegate::RowHeight;
    state.counters["logos"] = window.cache.KeptCount();
}

// The longest wait between the ticks of a 1 ms timer over a time.
qint64 LongestStall(std::chrono::milliseconds time) {
    QElapsedTimer gap;
    qint64 longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.callOnTimeout([&] { longest = std::max(longest, gap.restart()); });
    tick.start(1ms);
    gap.start();
    Wait(time);
    return longest;
}

// Three seconds of scrolling a row every 16 ms through the largest group, its logos new
// to the cache; beside it the longest stall of the same loop left alone, which is the
// machine's share.
void BM_ScrollWhileLogosArrive(benchmark::State& state) {
    for (auto _ : state) {
        TWindow window(FreshLogos());
        window.frm->ShowGroup({TGroupRef::TKind::List, 0});
        Settle();
        state.counters["idle_ms"] = double(LongestStall(1000ms));
        QScrollBar* bar = window.frm->ChannelLst->verticalScrollBar();
        QTimer scroll;
        scroll.callOnTimeout([bar] { bar->setValue(bar->value() + TChannelDelegate::RowHeight); });
        scroll.start(16ms);
        state.SetIterationTime(double(LongestStall(3000ms)) / 1e3);
        state.counters["logos"] = window.cache.KeptCount();
    }
}

// Once: the window over the list without logos, then with 2,000 logos kept.
void BM_MemoryOf2000Logos(benchmark::State& state) {
    TWindow bare{QString()};
    bare.frm->ShowGroup({TGroupRef::TKind::List, 0});
    Settle();
    const double without = ResidentMb();
    double with = 0;
    int kept = 0;
    for (auto _ : state) {
        TWindow window(FreshLogos(), 25);
        // Every channel, so that the pages run on past the largest group.
        window.frm->ShowFilter();
        window.frm->FindEdt->setText(u"频道"_s);
        QScrollBar* bar = window.frm->ChannelLst->verticalScrollBar();
        while (window.cache.KeptCount() < TLogoCache::Kept && bar->value() < bar->maximum()) {
            const int before = window.cache.KeptCount();
            QEventLoop page;
            QTimer::singleShot(3000, &page, &QEventLoop::quit);
            QObject::connect(&window.cache, &TLogoCache::arrived, &page, [&] {
                if (window.cache.KeptCount() >= before + 25)
                    page.quit();
            });
            page.exec();
            bar->setValue(bar->value() + 25 * TChannelDelegate::RowHeight);
        }
        with = ResidentMb();
        kept = window.cache.KeptCount();
        state.SetIterationTime(1);
    }
    state.counters["without_MB"] = without;
    state.counters["logos_MB"] = with - without;
    state.counters["logos"] = kept;
}

void BM_LogoRequestsOnOpening(benchmark::State& state) {
    int asked = 0;
    double rows = 0;
    for (auto _ : state) {
        const QString logos = FreshLogos();
        TWindow window(logos);
        window.frm->ShowGroup({TGroupRef::TKind::List, 0});
        Wait(1000ms);
        const QString prefix = QUrl(logos).path();
        asked = g_server->RequestsUntil(prefix, std::numeric_limits<double>::max());
        rows = std::ceil(double(window.frm->ChannelLst->viewport()->height()) /
                         TChannelDelegate::RowHeight);
        state.SetIterationTime(1);
    }
    state.counters["requests"] = asked;
    state.counters["rows_on_screen"] = rows;
}

BENCHMARK(BM_MemoryOf2000Logos)->UseManualTime()->Iterations(1);
BENCHMARK(BM_OpenChannelWindow)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterKeystroke)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintPageOf30Rows)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollWhileLogosArrive)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LogoRequestsOnOpening)->UseManualTime()->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The logos' disk cache goes with the run.
    QTemporaryDir dir;
    g_dir = &dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(u"cache"_s).toUtf8());
    TApplication app(argc, argv);
    QImage logo(200, 100, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setBrush(QColor(200, 40, 40));
    painter.drawRoundedRect(logo.rect().adjusted(2, 2, -2, -2), 20, 20);
    painter.setPen(Qt::white);
    painter.setFont(QFont(u"sans"_s, 40, QFont::Bold));
    painter.drawText(logo.rect(), Qt::AlignCenter, u"TV 1"_s);
    painter.end();
    logo.save(dir.filePath(u"logo.png"_s));
    THlsTestServer server(dir.path(), 0);
    g_server = &server;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
