// Channel flicking as a restless viewer does it, three hundred presses of PgDn through a
// list of the loopback stream, a closed port and a server that never answers, often
// before the first picture: the process must end up holding what it held after the
// first twenty switches. Run on either drawing path; libmpv's render contexts,
// textures and threads are what such switching could leave behind. A thousand
// switches are the flicking benchmark's.

#include "common/appshell.h"
#include "tv/allocator.h"
#include "tv/mediaplayer.h"
#include "tv/tests/channelflicker.h"

#include <QTest>

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

// AddressSanitizer holds freed memory back in quarantine, so in that build the
// resident memory tells nothing about leaks; threads and descriptors still do.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool MemoryTells = false;
#elif defined(__has_feature)
constexpr bool MemoryTells = !__has_feature(address_sanitizer);
#else
constexpr bool MemoryTells = true;
#endif

} // namespace

class TFlickingTest : public QObject {
    Q_OBJECT
private slots:
    void threeHundredSwitchesLeaveNothingBehind();
};

void TFlickingTest::threeHundredSwitchesLeaveNothingBehind() {
    TChannelFlicker flicker;
    QVERIFY2(flicker.Start(), "the loopback servers or the window did not come up");
    for (int n = 0; n < 20; ++n)
        QVERIFY(flicker.Switch());
    QVERIFY(flicker.Settle(MemoryTells));
    const TProcessUse early = ProcessUse();
    // A leak is what none of the last three measurements is without.
    qint64 lateKb = std::numeric_limits<qint64>::max();
    for (int n = 20; n < 300; ++n) {
        QVERIFY(flicker.Switch());
        if (n == 259 || n == 279) {
            QVERIFY(flicker.Settle(MemoryTells));
            lateKb = std::min(lateKb, ProcessUse().residentKb);
        }
    }
    QVERIFY(flicker.Settle(MemoryTells));
    // Threads and descriptors of the switches before may still be on their way out.
    QTRY_COMPARE_WITH_TIMEOUT(ProcessUse().threads, early.threads, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(ProcessUse().descriptors, early.descriptors, 5000);
    const TProcessUse late = ProcessUse();
    lateKb = std::min(lateKb, late.residentKb);
    qInfo("resident %lld kB after 20 switches, %lld kB after 300 (%lld kB the least of the last "
          "three); allocated %lld kB, then %lld kB; %d arenas; threads %d, descriptors %d",
          early.residentKb, late.residentKb, lateKb, early.allocatedKb, late.allocatedKb,
          late.arenas, late.threads, late.descriptors);
    if (MemoryTells) {
        // Each arena keeps what its threads freed; more than the policy's two and that
        // keeping grows with every channel's new threads.
        QVERIFY2(late.arenas <= 2, "the program's allocator policy is not in force");
        QVERIFY2(lateKb - early.residentKb <= 10 * 1024,
                 qPrintable(u"resident memory grew by %1 kB"_s.arg(lateKb - early.residentKb)));
    }
    QCOMPARE(TMediaPlayer::RenderContextsAlive(), 1);
    flicker.Close();
    QCOMPARE(TMediaPlayer::RenderContextsAlive(), 0);
}

int main(int argc, char** argv) {
    // The program's own policy, set as the program sets it: before any thread.
    SetAllocatorPolicy();
    TApplication app(argc, argv);
    TFlickingTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_flicking.moc"
