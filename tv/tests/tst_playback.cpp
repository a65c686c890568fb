// Real playback through libmpv against servers on 127.0.0.1 only: a GStreamer RTSP
// server for pictures, closed ports and a mute socket for the failures.

#include "tv/mediaplayer.h"
#include "tv/tests/testserver.h"

#include <QGuiApplication>
#include <QTest>
#include <QToolButton>

#include <memory>

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

} // namespace

class TPlaybackTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void drawsOnThePathTheDisplayAllows();
    void rendersTheStreamsPictures();
    void namesWhyAChannelFails_data();
    void namesWhyAChannelFails();
    void muteServerIsNotResponding_data();
    void muteServerIsNotResponding();
    void reopensAStreamWhoseServerRestarts();
    void triesTheChannelsNextAddress_data();
    void triesTheChannelsNextAddress();
    void controlsDriveThePlayer();
    void fiftyRapidSwitchesEndCleanly();
    void closingWhileConnectingEndsAtOnce();
    void fullScreenKeepsShowingTheStream();
    void aPlayerAsWideAsItsWindowShowsEveryPicture();
    void closingFreesTheRenderContext_data();
    void closingFreesTheRenderContext();

private:
    std::unique_ptr<TMediaPlayer> NewPlayer();

    TRtspTestServer FServer;
};

void TPlaybackTest::initTestCase() {
    QVERIFY2(FServer.Start(), "the loopback RTSP server did not start");
}

void TPlaybackTest::cleanup() {
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

std::unique_ptr<TMediaPlayer> TPlaybackTest::NewPlayer() {
    auto player = std::make_unique<TMediaPlayer>();
    player->resize(441, 329);
    player->show();
    return player;
}

void TPlaybackTest::drawsOnThePathTheDisplayAllows() {
    // The offscreen platform has no OpenGL; under Xvfb, whose renderer is llvmpipe,
    // the OpenGL run of these tests forces OpenGL.
    const bool forced = qEnvironmentVariable(RenderPathVariable) == u"opengl"_s;
    const TRenderPath expected = forced && QGuiApplication::platformName() != u"offscreen"_s
                                     ? TRenderPath::OpenGL
                                     : TRenderPath::Software;
    auto player = NewPlayer();
    QVERIFY(QTest::qWaitForWindowExposed(player.get()));
    // A path that cannot start gives way to software only from the event loop.
    QTest::qWait(100);
    QCOMPARE(player->RenderPath(), expected);
}

void TPlaybackTest::rendersTheStreamsPictures() {
    auto player = NewPlayer();
    player->setURL(FServer.Url());
    QCOMPARE(player->StatusText(), u"正在连接…"_s);
    QTRY_VERIFY_WITH_TIMEOUT(ShowsTestPattern(*player), 10000);
    QCOMPARE(player->VideoSize(), QSize(320, 240));
    QTRY_COMPARE(player->StatusText(), u"正在播放"_s);
    QCOMPARE(player->URL(), FServer.Url());
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
    player->setURL(FServer.Url());
    QTRY_VERIFY_WITH_TIMEOUT(ShowsPicture(*player), 10000);

    const int port = FServer.Port();
    FServer.Kill();
    QTRY_COMPARE_WITH_TIMEOUT(player->Status(), TStreamStatus::Reconnecting, 15000);
    QVERIFY(player->StatusText().contains(u"重新连接"_s));

    int frames = 0;
    connect(player.get(), &TMediaPlayer::frameRendered, this, [&frames] { ++frames; });
    QVERIFY(FServer.Start(port));
    QTRY_VERIFY_WITH_TIMEOUT(frames > 10, 30000);
    QTRY_COMPARE(player->StatusText(), u"正在播放"_s);
}

void TPlaybackTest::triesTheChannelsNextAddress_data() {
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<QString>("ending");
    QTest::newRow("a closed port, a mute server, the stream: the third plays")
        << QStringList{u"closed"_s, u"mute"_s, u"stream"_s} << u"正在播放"_s;
    QTest::newRow("two closed ports: the last reason, and that all failed")
        << QStringList{u"closed"_s, u"closed"_s} << u"连接被拒绝（2 个地址均无法播放）"_s;
}

void TPlaybackTest::triesTheChannelsNextAddress() {
    QFETCH(QStringList, kinds);
    QFETCH(QString, ending);
    TMuteServer mute;
    QList<TStreamAddress> channel;
    for (const QString& kind : kinds)
        channel.append(
            {kind == u"stream"_s ? FServer.Url()
             : kind == u"mute"_s
                 ? u"rtsp://127.0.0.1:%1/live"_s.arg(mute.serverPort())
                 : u"rtsp://127.0.0.1:%1/live%2"_s.arg(ClosedLoopbackPort()).arg(channel.size()),
             {}});
    auto player = NewPlayer();
    QStringList said;
    connect(player.get(), &TMediaPlayer::statusChanged, this,
            [&said](const QString& text) { said.append(text); });
    player->PlayChannel(channel);
    QTRY_COMPARE_WITH_TIMEOUT(player->StatusText(), ending, 30000);
    for (int i = 2; i <= kinds.size(); ++i)
        QVERIFY2(said.contains(u"正在尝试第 %1 个地址（共 %2 个）"_s.arg(i).arg(kinds.size())),
                 qPrintable(said.join(u" | "_s)));
    if (player->Status() != TStreamStatus::Playing)
        return;
    // The same channel again, in the same run, starts at the address that played.
    player->setURL(channel.first().url);
    player->PlayChannel(channel);
    QCOMPARE(player->URL(), FServer.Url());
}

void TPlaybackTest::controlsDriveThePlayer() {
    auto player = NewPlayer();
    player->setURL(FServer.Url());
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
    QCOMPARE(player->URL(), FServer.Url());
}

void TPlaybackTest::fiftyRapidSwitchesEndCleanly() {
    auto player = NewPlayer();
    const QString dead = u"rtsp://127.0.0.1:%1/live"_s.arg(ClosedLoopbackPort());
    for (int i = 0; i < 50; ++i) {
        player->setURL(i % 2 ? dead : FServer.Url());
        QTest::qWait(i % 5 == 0 ? 40 : 2);
    }
    // The last choice wins, and none of the replaced channels is reported as failing.
    player->setURL(FServer.Url());
    QTRY_VERIFY_WITH_TIMEOUT(ShowsPicture(*player), 10000);
    QTRY_COMPARE(player->StatusText(), u"正在播放"_s);
}

void TPlaybackTest::closingWhileConnectingEndsAtOnce() {
    TMuteServer mute;
    auto player = NewPlayer();
    player->setURL(u"rtsp://127.0.0.1:%1/live"_s.arg(mute.serverPort()));
    QTest::qWait(300);
    QCOMPARE(player->Status(), TStreamStatus::Connecting);
    // Closing must not wait for the server; how long it takes is a benchmark figure.
    player.reset();
}

void TPlaybackTest::fullScreenKeepsShowingTheStream() {
    // In a window as in the viewer's, so that full screen takes the player out of it.
    QWidget window;
    window.resize(458, 406);
    auto* player = new TMediaPlayer(&window);
    player->setGeometry(8, 70, 441, 329);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int frames = 0;
    connect(player, &TMediaPlayer::frameRendered, this, [&frames] { ++frames; });
    player->setURL(FServer.Url());
    QTRY_VERIFY_WITH_TIMEOUT(ShowsTestPattern(*player), 10000);

    QTest::keyClick(player, Qt::Key_F11);
    QVERIFY(player->IsFullScreen());
    QVERIFY(QTest::qWaitForWindowExposed(player));
    frames = 0;
    QTRY_VERIFY_WITH_TIMEOUT(frames > 10, 10000);
    QVERIFY(ShowsTestPattern(*player));
    // The picture fills the screen; the controls leave it while the channel plays, come
    // back when the pointer moves, and stay while the status has more to say.
    QCOMPARE(player->Frame().size(), player->size() * player->devicePixelRatio());
    auto* bar = player->findChild<QWidget*>(u"ControlBar"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!bar->isVisible(), 5000);
    // The pointer reaches whichever window lies under it: the picture's own on the OpenGL
    // path.
    QWindow* under = player->windowHandle();
    for (QWindow* window : QGuiApplication::allWindows())
        if (window->objectName() == u"PictureView"_s && window->isVisible())
            under = window;
    const QPoint middle(player->width() / 2, player->height() / 2);
    QTest::mouseMove(under, middle);
    QTRY_VERIFY(bar->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!bar->isVisible(), 5000);
    QCOMPARE(player->Status(), TStreamStatus::Playing);
    player->TogglePause();
    QTRY_VERIFY(bar->isVisible());
    player->TogglePause();

    QTest::mouseDClick(under, Qt::LeftButton, {}, middle);
    QVERIFY(!player->IsFullScreen());
    QCOMPARE(player->geometry(), QRect(8, 70, 441, 329));
    QVERIFY(bar->isVisible());
    frames = 0;
    QTRY_VERIFY_WITH_TIMEOUT(frames > 10, 10000);
    QVERIFY(ShowsTestPattern(*player));
    QCOMPARE(player->Status(), TStreamStatus::Playing);
}

void TPlaybackTest::aPlayerAsWideAsItsWindowShowsEveryPicture() {
    // 640 pixels make whole, aligned lines of the window's backing store: on X11 the
    // software path draws there straight, with no picture of its own to fall back on.
    TMediaPlayer player;
    player.resize(640, 388);
    player.show();
    QVERIFY(QTest::qWaitForWindowExposed(&player));
    int frames = 0;
    connect(&player, &TMediaPlayer::frameRendered, this, [&frames] { ++frames; });
    player.setURL(FServer.Url());
    QTRY_VERIFY_WITH_TIMEOUT(frames > 10, 10000);
    QVERIFY(ShowsTestPattern(player));
    QCOMPARE(player.Frame().size(), QSize(640, 360));
    // A repaint with no new picture must not leave the rectangle black.
    player.repaint();
    QVERIFY(ShowsTestPattern(player));
}

void TPlaybackTest::closingFreesTheRenderContext_data() {
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<bool>("fullScreen");
    QTest::newRow("never shown") << false << false << false;
    QTest::newRow("shown, nothing played") << true << false << false;
    QTest::newRow("playing") << true << true << false;
    QTest::newRow("playing full screen") << true << true << true;
}

void TPlaybackTest::closingFreesTheRenderContext() {
    QFETCH(bool, shown);
    QFETCH(bool, playing);
    QFETCH(bool, fullScreen);
    {
        TMediaPlayer player;
        player.resize(441, 329);
        if (shown) {
            player.show();
            QVERIFY(QTest::qWaitForWindowExposed(&player));
        }
        if (playing) {
            player.setURL(FServer.Url());
            QTRY_VERIFY_WITH_TIMEOUT(ShowsPicture(player), 10000);
        }
        if (fullScreen) {
            player.ToggleFullScreen();
            QVERIFY(QTest::qWaitForWindowExposed(&player));
        }
    }
    QCOMPARE(TMediaPlayer::RenderContextsAlive(), 0);
}

QTEST_MAIN(TPlaybackTest)
#include "tst_playback.moc"
