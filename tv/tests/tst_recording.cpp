// Recording and snapshots of the loopback RTSP stream, the files read back by ffprobe.

#include "tv/mediaplayer.h"
#include "tv/tests/testserver.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TRecordingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void recordsSixSecondsFromAKeyFrame_data();
    void recordsSixSecondsFromAKeyFrame();
    void aFaultStopsOnlyTheRecording_data();
    void aFaultStopsOnlyTheRecording();
    void keysWriteIntoTheUsersFolders();

private:
    void Playing(TMediaPlayer& player, const QString& channel = {});

    TRtspTestServer FServer;
    QTemporaryDir FDir;
};

void TRecordingTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(FServer.Start(), "the loopback RTSP server did not start");
}

void TRecordingTest::Playing(TMediaPlayer& player, const QString& channel) {
    player.resize(441, 329);
    player.show();
    player.PlayChannel({{FServer.Url(u"aac"_s), {}}}, channel);
    QTRY_VERIFY_WITH_TIMEOUT(ShowsTestPattern(player), 10000);
}

void TRecordingTest::recordsSixSecondsFromAKeyFrame_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("stopped") << u"stop"_s;
    QTest::newRow("a channel change") << u"channel"_s;
    QTest::newRow("the player closed") << u"close"_s;
    QTest::newRow("a reconnect: the part kept, the next in (2)") << u"reconnect"_s;
}

void TRecordingTest::recordsSixSecondsFromAKeyFrame() {
    QFETCH(QString, how);
    auto player = std::make_unique<TMediaPlayer>();
    Playing(*player);
    QSignalSpy started(player.get(), &TMediaPlayer::recordingStarted);
    QSignalSpy ended(player.get(), &TMediaPlayer::recordingEnded);
    QTest::qWait(1500); // into the stream's second group of pictures
    const QString path = FDir.filePath(how + u".ts"_s);
    player->StartRecording(path);
    // The file begins with the group of pictures on screen, up to a second before.
    QTest::qWait(5500);
    if (how == u"stop"_s)
        player->Stop();
    else if (how == u"channel"_s)
        player->setURL(u"rtsp://127.0.0.1:%1/other"_s.arg(ClosedLoopbackPort()));
    else if (how == u"close"_s)
        player.reset();
    if (how == u"reconnect"_s) {
        const int port = FServer.Port();
        FServer.Kill();
        QTRY_COMPARE_WITH_TIMEOUT(player->Status(), TStreamStatus::Reconnecting, 15000);
        QVERIFY(FServer.Start(port));
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 2, 60000);
        QCOMPARE(started[1][0], FDir.filePath(u"reconnect (2).ts"_s));
        QVERIFY(player->IsRecording());
    } else if (player) {
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended[0], (QVariantList{path, QString()}));
    }
    const TMediaProbe probe = ProbeMedia(path);
    QCOMPARE(probe.codecs, (QStringList{u"h264"_s, u"aac"_s}));
    QVERIFY2(std::abs(probe.duration - 6) <= 1, qPrintable(QString::number(probe.duration)));
    // From the key frame of the picture on screen; a server gone mid-picture leaves
    // that last one incomplete.
    QCOMPARE(probe.firstKey, 0);
    QCOMPARE_LE(probe.packets - probe.pictures, how == u"reconnect"_s ? 1 : 0);
}

void TRecordingTest::aFaultStopsOnlyTheRecording_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("a .ts that links to /dev/full") << u"full.ts"_s << u"磁盘已满，录制已停止"_s;
    // No one may make files in /proc, root included.
    QTest::newRow("a folder that cannot be written")
        << u"/proc/x.ts"_s << u"无法在文件夹 /proc 中写入文件"_s;
}

void TRecordingTest::aFaultStopsOnlyTheRecording() {
    QFETCH(QString, path);
    QFETCH(QString, message);
    QFile::link(u"/dev/full"_s, FDir.filePath(u"full.ts"_s));
    TMediaPlayer player;
    Playing(player);
    QSignalSpy ended(&player, &TMediaPlayer::recordingEnded);
    player.StartRecording(QDir(FDir.path()).absoluteFilePath(path));
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 30000);
    QVERIFY2(ended[0][1].toString().startsWith(message), qPrintable(ended[0][1].toString()));
    int frames = 0;
    connect(&player, &TMediaPlayer::frameRendered, this, [&frames] { ++frames; });
    QTRY_VERIFY(frames > 10);
    QCOMPARE(player.Status(), TStreamStatus::Playing);
}

void TRecordingTest::keysWriteIntoTheUsersFolders() {
    const QString name = u"/晴棠网络电视/CCTV-1 综合_高清 "_s;
    const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QDir(movies + name.first(7)).removeRecursively();
    QDir(pictures + name.first(7)).removeRecursively();
    TMediaPlayer player;
    Playing(player, u"CCTV-1 综合/高清"_s);
    player.ShowOnScreen(u"不该出现在截图里"_s);
    QSignalSpy ended(&player, &TMediaPlayer::recordingEnded);
    QSignalSpy taken(&player, &TMediaPlayer::snapshotTaken);
    QTest::qWait(1000);
    // Nothing asked for, nothing written.
    QVERIFY(!QDir(movies + name.first(7)).exists() && !QDir(pictures + name.first(7)).exists());
    QTest::keyClick(&player, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(&player, Qt::Key_P, Qt::ControlModifier);
    QTest::qWait(1500);
    QTest::keyClick(&player, Qt::Key_R, Qt::ControlModifier);
    QTRY_COMPARE(ended.size(), 1);
    QTRY_COMPARE(taken.size(), 1);
    const QString video = ended[0][0].toString(), shot = taken[0][0].toString();
    QVERIFY2(video.startsWith(movies + name) && video.endsWith(u".ts"_s), qPrintable(video));
    QVERIFY2(shot.startsWith(pictures + name) && shot.endsWith(u".png"_s), qPrintable(shot));
    // The stream's own picture, without the on-screen text.
    const QImage image(shot, "PNG");
    QCOMPARE(image.size(), QSize(320, 240));
    QVERIFY(ShowsTestPattern(image, image.size()));
}

QTEST_MAIN(TRecordingTest)
#include "tst_recording.moc"
