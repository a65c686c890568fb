// Channel flicking as a restless viewer does it, three hundred presses of PgDn through a
// list of the loopback stream, a closed port and a server that never answers, often
// before the first picture: the process must end up holding what it held after the
// first twenty switches. Run on either drawing path; libmpv's render contexts,
// textures and threads are what such switching could leave behind.

#include "common/appshell.h"
#include "tv/allocator.h"
#include "tv/main.h"
#include "tv/mediaplayer.h"
#include "tv/openchannellist.h"
#include "tv/tests/testserver.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <limits>
#include <memory>

#include <malloc.h>

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

struct TProcessUse {
    qint64 residentKb = 0;
    // What the program holds through malloc: a leak grows it, the allocator's own
    // keeping does not.
    qint64 allocatedKb = 0;
    int threads = 0;
    int descriptors = 0;
};

TProcessUse ProcessUse() {
    TProcessUse use;
    const struct mallinfo2 heap = mallinfo2();
    use.allocatedKb = qint64((heap.uordblks + heap.hblkhd) / 1024);
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 2 && fields[0] == "VmRSS:")
                use.residentKb = fields[1].toLongLong();
            else if (fields.size() >= 2 && fields[0] == "Threads:")
                use.threads = fields[1].toInt();
        }
    use.descriptors = int(QDir(u"/proc/self/fd"_s)
                              .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                              .size());
    return use;
}

} // namespace

class TFlickingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void threeHundredSwitchesLeaveNothingBehind();

private:
    // One press of PgDn; some switches wait for the outcome, some move on at once.
    void Switch();
    // The same state at all measurements: the stream playing, and every open that the
    // switches gave up on ended by its I/O timeout, with what it held.
    void Settle();

    TRtspTestServer FServer;
    TMuteServer FMute;
    QTemporaryDir FDir;
    QString FList;
    std::unique_ptr<TMainFrm> FFrm;
    int FFrames = 0;
};

void TFlickingTest::initTestCase() {
    QVERIFY2(FServer.Start(), "the loopback RTSP server did not start");
    // The list opened is remembered: here, not in the user's settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FDir.filePath(u"config"_s));
    const QString dead = u"rtsp://127.0.0.1:%1/live"_s.arg(ClosedLoopbackPort());
    const QString mute = u"rtsp://127.0.0.1:%1/live"_s.arg(FMute.serverPort());
    // Channel n of the list, n = 1..6, is what the n-th case of Switch waits on.
    QByteArray list = "#EXTM3U\n";
    for (const QString& address : {FServer.Url(), dead, mute, FServer.Url(), mute, dead})
        list += u"#EXTINF:-1,%1\n%2\n"_s.arg(list.count('\n') / 2 + 1).arg(address).toUtf8();
    QFile file(FDir.filePath(u"flick.m3u"_s));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(list) == list.size());
    FList = file.fileName();
}

void TFlickingTest::Switch() {
    QTest::keyClick(FFrm.get(), Qt::Key_PageDown);
    TMediaPlayer* player = FFrm->WMP;
    switch (FFrm->windowTitle().section(u' ', 0, 0).toInt()) {
    case 1: // the stream, watched for a few pictures
        FFrames = 0;
        QTRY_VERIFY_WITH_TIMEOUT(FFrames >= 5, 10000);
        break;
    case 2: // a closed port, until the player says so
        QTRY_COMPARE_WITH_TIMEOUT(player->Status(), TStreamStatus::Failed, 5000);
        break;
    case 3: // a mute server, given up while it still connects
        QTest::qWait(150);
        break;
    case 4: // the stream, left before its first picture
        QTest::qWait(30);
        break;
    case 5:
        QTest::qWait(40);
        break;
    default: // a closed port, left at once
        QTest::qWait(5);
        break;
    }
}

void TFlickingTest::Settle() {
    FFrm->PlayChannel(0);
    FFrames = 0;
    QTRY_VERIFY_WITH_TIMEOUT(FFrames >= 25, 10000);
    if (MemoryTells)
        QTest::qWait(TStreamSession::IoTimeoutMs);
}

void TFlickingTest::threeHundredSwitchesLeaveNothingBehind() {
    FFrm = std::make_unique<TMainFrm>();
    FFrm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FFrm.get()));
    FFrm->OpenPlaylist(FList);
    QTRY_VERIFY(FFrm->OpenList()->List());
    connect(FFrm->WMP, &TMediaPlayer::frameRendered, this, [this] { ++FFrames; });

    for (int n = 0; n < 20 && !QTest::currentTestFailed(); ++n)
        Switch();
    Settle();
    if (QTest::currentTestFailed())
        return;
    const TProcessUse early = ProcessUse();
    // On the OpenGL path under llvmpipe the resident memory moves up and down by some
    // 10 MB at a time and may stay up for a hundred switches before it comes back,
    // while the software path stays level: a leak is what none of the last three
    // measurements is without.
    qint64 lateKb = std::numeric_limits<qint64>::max();
    for (int n = 20; n < 300 && !QTest::currentTestFailed(); ++n) {
        Switch();
        if (n == 259 || n == 279) {
            Settle();
            lateKb = std::min(lateKb, ProcessUse().residentKb);
        }
    }
    Settle();
    if (QTest::currentTestFailed())
        return;
    // Threads and descriptors of the switches before may still be on their way out.
    QTRY_COMPARE_WITH_TIMEOUT(ProcessUse().threads, early.threads, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(ProcessUse().descriptors, early.descriptors, 5000);
    const TProcessUse late = ProcessUse();
    lateKb = std::min(lateKb, late.residentKb);
    qInfo("resident %lld kB after 20 switches, %lld kB after 300 (%lld kB the least of the last "
          "three); allocated %lld kB, then %lld kB; threads %d, descriptors %d",
          early.residentKb, late.residentKb, lateKb, early.allocatedKb, late.allocatedKb,
          late.threads, late.descriptors);
    if (MemoryTells)
        QVERIFY2(lateKb - early.residentKb <= 10 * 1024,
                 qPrintable(u"resident memory grew by %1 kB"_s.arg(lateKb - early.residentKb)));
    QCOMPARE(TMediaPlayer::RenderContextsAlive(), 1);
    FFrm.reset();
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
