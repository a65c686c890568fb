// Real playback through libmpv against servers on 127.0.0.1 only: a GStreamer RTSP
// server for pictures, closed ports and a mute socket for the failures.

#include "tv/mediaplayer.h"
#include "tv/tests/testserver.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

bool IsUniform(const QImage& image) {
    const QRgb first = image.pixel(0, 0) & 0xffffff;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if ((image.pixel(x, y) & 0xffffff) != first)
                return false;
    return true;
}

bool ShowsPicture(const TMediaPlayer& player) {
    const QImage frame = player.Frame();
    return !frame.isNull() && !IsUniform(frame);
}

// Accepts connections and never says a word.
class TMuteServer : public QTcpServer {
public:
    TMuteServer() {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                m_held.push_back(socket);
        });
    }

private:
    std::vector<QTcpSocket*> m_held;
};

} // namespace

class TPlaybackTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void rendersTheStreamsPictures();
    void namesWhyAChannelFails_data();
    void namesWhyAChannelFails();
    void muteServerIsNotResponding_data();
    void muteServerIsNotResponding();
    void reopensAStreamWhoseServerRestarts();
    void controlsDriveThePlayer();
    void fiftyRapidSwitchesEndCleanly();
    void closingWhileConnectingEndsAtOnce();

private:
    std::unique_ptr<TMediaPlayer> NewPlayer();

    TRtspTestServer m_server;
    std::unique_ptr<TLoopStallMeter> m_meter;
};

void TPlaybackTest::initTestCase() {
    QVERIFY2(m_server.Start(), "the loopback RTSP server did not start");
}

void TPlaybackTest::init() {
    m_meter = std::make_unique<TLoopStallMeter>();
}

void TPlaybackTest::cleanup() {
    // The window must have kept answering all along.
    QVERIFY2(m_meter->LongestStallMs() <= 100,
             qPrintable(u"event loop stalled for %1 ms"_s.arg(m_meter->LongestStallMs())));
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

std::unique_ptr<TMediaPlayer> TPlaybackTest::NewPlayer() {
    auto player = std::make_unique<TMediaPlayer>();
    player->resize(441, 329);
    player->show();
    m_meter->Reset();
    return player;
}

void TPlaybackTest::rendersTheStreamsPictures() {
    auto player = NewPlayer();
    player->setURL(m_server.Url());
    QCOMPARE(player->StatusText(), u"正在连接…"_s);
    QTRY_VERIFY_WITH_TIMEOUT(ShowsPicture(*player), 10000);
    QCOMPARE(player->Frame().size(), QSize(320, 240));
    QTRY_COMPARE(player->StatusText(), u"正在播放"_s);
    QCOMPARE(player->URL(), m_server.Url());
}

void TPlaybackTest::namesWhyAChannelFails_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("status");
    const QString port = QString::number(ClosedLoopbackPort());
    QTest::newRow("rtsp to a closed port")
        << u"rtsp://127.0.0.1:%1/live"_s.arg(port) << u"连接被拒绝"_s;
    QTest::newRow("mmst to a closed port")
        << u"mmst://127.0.0.1:%1/live"_s.arg(port) << u"连接被拒绝"_s;
    // mms:// is tried over HTTP and then once more over TCP; both are refused.
    QTest::newRow("mms to a closed port")
        << u"mms://127.0.0.1:%1/live"_s.arg(port) << u"连接被拒绝"_s;
}

void TPlaybackTest::namesWhyAChannelFails() {
    QFETCH(QString, address);
    QFETCH(QString, status);
    auto player = NewPlayer();
    player->setURL(address);
    QTRY_COMPARE_WITH_TIMEOUT(player->StatusText(), status, 5000);
    QCOMPARE(player->Status(), TStreamStatus::Failed);
}

void TPlaybackTest::muteServerIsNotResponding_data() {
    QTest::addColumn<QString>("scheme");
    QTest::newRow("rtsp, FFmpeg's timeout") << u"rtsp"_s;
    QTest::newRow("mmst, FFmpeg's read timeout") << u"mmst"_s;
    // Over HTTP and then over TCP: the first-picture watchdog ends it.
    QTest::newRow("mms, the watchdog") << u"mms"_s;
}

void TPlaybackTest::muteServerIsNotResponding() {
    QFETCH(QString, scheme);
    TMuteServer mute;
    auto player = NewPlayer();
    player->setURL(u"%1://127.0.0.1:%2/live"_s.arg(scheme).arg(mute.serverPort()));
    QTRY_COMPARE_WITH_TIMEOUT(player->StatusText(), u"服务器无响应"_s, 20000);
}

void TPlaybackTest::reopensAStreamWhoseServerRestarts() {
    auto player = NewPlayer();
    player->setURL(m_server.Url());
    QTRY_VERIFY_WITH_TIMEOUT(ShowsPicture(*player), 10000);

    const int port = m_server.Port();
    m_server.Kill();
    QTRY_COMPARE_WITH_TIMEOUT(player->Status(), TStreamStatus::Reconnecting, 15000);
    QVERIFY(player->StatusText().contains(u"重新连接"_s));

    int frames = 0;
    connect(player.get(), &TMediaPlayer::frameRendered, this, [&frames] { ++frames; });
    QVERIFY(m_server.Start(port));
    QTRY_VERIFY_WITH_TIMEOUT(frames > 10, 30000);
    QTRY_COMPARE(player->StatusText(), u"正在播放"_s);
}

void TPlaybackTest::controlsDriveThePlayer() {
    auto player = NewPlayer();
    player->setURL(m_server.Url());
    QTRY_COMPARE_WITH_TIMEOUT(player->StatusText(), u"正在播放"_s, 10000);
    auto* play = player->findChild<QToolButton*>(u"PlayBtn"_s);
    auto* stop = player->findChild<QToolButton*>(u"StopBtn"_s);
    auto* mute = player->findChild<QToolButton*>(u"MuteBtn"_s);

    QTest::mouseClick(play, Qt::LeftButton);
    QTRY_COMPARE(player->StatusText(), u"已暂停"_s);
    QCOMPARE(play->accessibleName(), u"播放"_s);
    QTest::mouseClick(play, Qt::LeftButton);
    QTRY_COMPARE(player->StatusText(), u"正在播放"_s);

    QTest::mouseClick(mute, Qt::LeftButton);
    QTRY_COMPARE(mute->accessibleName(), u"取消静音"_s);
    QVERIFY(mute->isChecked());

    QTest::mouseClick(stop, Qt::LeftButton);
    QCOMPARE(player->StatusText(), u"已停止"_s);
    QTest::qWait(500);
    QCOMPARE(player->StatusText(), u"已停止"_s);
    // Play after stop opens the same address again.
    QTest::mouseClick(play, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(player->StatusText(), u"正在播放"_s, 10000);
    QCOMPARE(player->URL(), m_server.Url());
}

void TPlaybackTest::fiftyRapidSwitchesEndCleanly() {
    auto player = NewPlayer();
    const QString dead = u"rtsp://127.0.0.1:%1/live"_s.arg(ClosedLoopbackPort());
    for (int i = 0; i < 50; ++i) {
        player->setURL(i % 2 ? dead : m_server.Url());
        QTest::qWait(i % 5 == 0 ? 40 : 2);
    }
    // The last choice wins, and none of the replaced channels is reported as failing.
    player->setURL(m_server.Url());
    QTRY_VERIFY_WITH_TIMEOUT(ShowsPicture(*player), 10000);
    QTRY_COMPARE(player->StatusText(), u"正在播放"_s);
}

void TPlaybackTest::closingWhileConnectingEndsAtOnce() {
    TMuteServer mute;
    auto player = NewPlayer();
    player->setURL(u"rtsp://127.0.0.1:%1/live"_s.arg(mute.serverPort()));
    QTest::qWait(300);
    QCOMPARE(player->Status(), TStreamStatus::Connecting);
    QElapsedTimer closing;
    closing.start();
    player.reset();
    QVERIFY2(closing.elapsed() < 1000, qPrintable(u"closing took %1 ms"_s.arg(closing.elapsed())));
    m_meter->Reset();
}

QTEST_MAIN(TPlaybackTest)
#include "tst_playback.moc"
