// The channel lists a user brings, through the window. Lists come from files and from
// a loopback HTTP server; every address they name that is not on 127.0.0.1 is sent to
// a closed port there, so no test ever reaches a real host.

#include "common/appshell.h"
#include "tv/channelbrowser.h"
#include "tv/channelmenu.h"
#include "tv/channelwindow.h"
#include "tv/main.h"
#include "tv/mediaplayer.h"
#include "tv/openchannellist.h"
#include "tv/playlistloader.h"
#include "tv/tests/httptestserver.h"
#include "tv/tests/testserver.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QByteArray List = "#EXTM3U\n"
                        "#EXTINF:-1 tvg-id=\"c1\" group-title=\"央视\",CCTV-1 综合\n"
                        "#EXTVLCOPT:http-user-agent=Box/1.0\n"
                        "http://tv.example.com/cctv1.m3u8\n"
                        "#EXTINF:-1 group-title=\"体育\",ＣＣＴＶ-5 体育\n"
                        "http://tv.example.com/cctv5.m3u8\n"
                        "#EXTINF:-1,Local\nfile:///etc/passwd\n"
                        "#EXTINF:-1 group-title=\"体育\",NBA & More\n"
                        "rtmp://tv.example.net/nba\n";
const QString ListStatus = u"已读入 3 个频道，略过 1 个不支持的地址"_s;
const QStringList ListGroups{u"央视"_s, u"体育"_s};

QStringList GroupNames(const TMainFrm& frm) {
    QStringList names;
    for (QMenu* group : frm.Menu()->Groups())
        names << group->title();
    return names;
}

} // namespace

class TPlaylistTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensAList_data();
    void opensAList();
    void channelItemPlaysLikeABuiltInOne();
    void searchFiltersAsYouType_data();
    void searchFiltersAsYouType();
    void aBigGroupEndsInTheChannelWindow();
    void dropOpensTheList();
    void remembersOnlyTheLastList();
    void playsAnHlsLiveStreamToItsFirstPicture();
    void stepsThroughTheListItCameFrom_data();
    void stepsThroughTheListItCameFrom();
    void aStepEndsTheAttemptsAtOnce();
    void showsWhatIsOnFromTheListsGuide_data();
    void showsWhatIsOnFromTheListsGuide();

private:
    QString File(const QString& name, const QByteArray& bytes);
    // Opens the list and answers the message box that may come; returns what it said.
    QString Open(const QString& location);

    QTemporaryDir FDir;
    QString FSettingsFile;
    THttpTestServer FServer;
    std::unique_ptr<TMainFrm> FFrm;
};

void TPlaylistTest::initTestCase() {
    TApplication::SetTitle(u"晴棠网络电视"_s);
    QCoreApplication::setOrganizationName(u"晴棠软件"_s);
    QCoreApplication::setApplicationName(u"viewdial"_s);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FDir.filePath(u"config"_s));
    FSettingsFile = QSettings().fileName();
    QVERIFY(FSettingsFile.startsWith(FDir.path()));
    qputenv("XDG_CACHE_HOME", FDir.filePath(u"cache"_s).toUtf8());
    const QString dead = u"rtsp://127.0.0.1:%1/tv"_s.arg(ClosedLoopbackPort());
    TMediaPlayer::SetAddressRedirect([dead](const QString& address) {
        return QUrl(address).host() == u"127.0.0.1"_s ? address : dead;
    });
    TPlaylistLoader::SetNoDataLimit(300ms);
    FServer.Serve(u"/list.m3u"_s, List);
    FServer.Serve(u"/hop/0"_s, List);
    FServer.Serve(u"/big"_s, QByteArray(33 << 20, '#'));
    FServer.Serve(u"/page.html"_s, "<!DOCTYPE html>\n<html><body>频道列表, 已搬家</body></html>\n");
    // Nothing is written for a user who opens no list.
    TMainFrm().show();
    QVERIFY(!QFile::exists(FSettingsFile));
    QVERIFY(!QFile::exists(FDir.filePath(u"cache"_s)));
}

void TPlaylistTest::init() {
    // Each test starts without the channels another one watched.
    QSettings().remove(u"Channels"_s);
    FFrm = std::make_unique<TMainFrm>();
    FFrm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FFrm.get()));
}

void TPlaylistTest::cleanup() {
    FFrm->OpenList()->Remove();
    FFrm.reset();
    for (QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

QString TPlaylistTest::File(const QString& name, const QByteArray& bytes) {
    QFile file(FDir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

QString TPlaylistTest::Open(const QString& location) {
    QString said;
    QTimer answer;
    answer.callOnTimeout([&said] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            said = box->text(), box->accept();
    });
    answer.start(10);
    FFrm->OpenPlaylist(location);
    auto* loader = FFrm->findChild<TPlaylistLoader*>();
    if (!QTest::qWaitFor([loader] { return !loader->IsLoading(); }))
        qWarning("the list is still loading");
    return said;
}

void TPlaylistTest::opensAList_data() {
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("said"); // empty: the list opens
    QTest::newRow("a file") << u"file:tv.m3u"_s << QString();
    QTest::newRow("over http") << FServer.Url(u"/list.m3u"_s) << QString();
    QTest::newRow("through 5 redirects") << FServer.Url(u"/hop/5"_s) << QString();
    QTest::newRow("a missing file") << u"file:none.m3u"_s << u"无法读取文件"_s;
    QTest::newRow("HTTP 404") << FServer.Url(u"/missing.m3u"_s) << u"HTTP 404"_s;
    QTest::newRow("a server that never answers") << FServer.Url(u"/stall"_s) << u"没有送来数据"_s;
    QTest::newRow("6 redirects") << FServer.Url(u"/hop/6"_s) << u"重定向超过 5 次"_s;
    QTest::newRow("33 MiB") << FServer.Url(u"/big"_s) << u"32 MiB"_s;
    QTest::newRow("an html page") << FServer.Url(u"/page.html"_s) << u"没有可以播放的频道"_s;
}

// Each row opens over a list already open, with one of its channels playing.
void TPlaylistTest::opensAList() {
    QFETCH(QString, location);
    QFETCH(QString, said);
    QCOMPARE(Open(File(u"before.m3u"_s, "#EXTM3U\n#EXTINF:-1 group-title=\"之前\",Before\n"
                                        "http://tv.example.org/before\n")),
             QString());
    FFrm->PlayChannel(0);
    File(u"tv.m3u"_s, List);
    if (location.startsWith(u"file:"_s))
        location = FDir.filePath(location.sliced(5));
    const QString box = Open(location);
    QCOMPARE(FFrm->windowTitle(), u"Before - 晴棠网络电视 1.2"_s);
    QCOMPARE(FFrm->WMP->URL(), u"http://tv.example.org/before"_s);
    if (said.isEmpty()) {
        QCOMPARE(box, QString());
        QCOMPARE(FFrm->ListStatusLbl->text(), ListStatus);
        QCOMPARE(GroupNames(*FFrm), ListGroups);
    } else {
        QVERIFY2(box.contains(said), qPrintable(box));
        QCOMPARE(GroupNames(*FFrm), QStringList{u"之前"_s});
    }
}

void TPlaylistTest::channelItemPlaysLikeABuiltInOne() {
    QCOMPARE(Open(File(u"tv.m3u"_s, List)), QString());
    FFrm->StarSBClick();
    QTRY_VERIFY(FFrm->StartPopupMenu->isVisible());
    QStringList texts;
    for (QAction* action : FFrm->StartPopupMenu->actions())
        texts << (action->isSeparator() ? u"-"_s : action->text());
    QCOMPARE(texts,
             (QStringList{u"电影电视"_s, u"体育电视"_s, u"国内电视"_s, u"国外电视"_s, u"-"_s,
                          u"央视"_s, u"体育"_s, u"收藏"_s, u"最近观看"_s, u"-"_s, u"频道列表…"_s,
                          u"打开频道列表…"_s, u"设置节目单地址…"_s, u"移除频道列表"_s}));
    QMenu* sports = FFrm->Menu()->Groups()[1];
    QVERIFY(sports->isEmpty()); // made when first opened
    sports->popup(QPoint(200, 200));
    QTRY_VERIFY(sports->isVisible());
    QAction* nba = sports->actions()[1];
    QCOMPARE(nba->toolTip(), u"rtmp://tv.example.net/nba"_s);
    QCOMPARE(nba->statusTip(), nba->toolTip());
    nba->trigger();
    sports->close();
    FFrm->StartPopupMenu->close();
    QTRY_COMPARE(FFrm->windowTitle(), u"NBA & More - 晴棠网络电视 1.2"_s);
    QCOMPARE(FFrm->WMP->URL(), u"rtmp://tv.example.net/nba"_s);
    QVERIFY(FFrm->Memo1->isHidden());
}

// The list's channels come first, then the built-in table's shown ones.
void TPlaylistTest::searchFiltersAsYouType_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("first"); // empty: nothing found
    QTest::addColumn<int>("found");
    QTest::newRow("case does not count") << u"cctv"_s << u"CCTV-1 综合"_s << 5;
    QTest::newRow("width does not count") << u"ＣＣＴＶ-1"_s << u"CCTV-1 综合"_s << 1;
    QTest::newRow("the group is searched too") << u"体育"_s << u"ＣＣＴＶ-5 体育"_s << 6;
    QTest::newRow("nothing found") << u"没有这个台"_s << QString() << 0;
}

void TPlaylistTest::searchFiltersAsYouType() {
    QFETCH(QString, typed);
    QFETCH(QString, first);
    QFETCH(int, found);
    QCOMPARE(Open(File(u"tv.m3u"_s, List)), QString());
    QTest::keyClick(FFrm.get(), Qt::Key_F, Qt::ControlModifier);
    TChannelListFrm* search = FFrm->Browser()->Window();
    QVERIFY(search && search->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), search->FindEdt);
    search->FindEdt->insert(typed);
    QCOMPARE(search->ChannelLst->model()->rowCount(), found);
    QTest::keyClick(search->FindEdt, Qt::Key_Return);
    QTRY_COMPARE(FFrm->windowTitle(),
                 first.isEmpty() ? u"晴棠网络电视 1.2"_s : first + u" - 晴棠网络电视 1.2"_s);
}

// A group as long as a real list's catch-all one: its first 40, then the window on it.
void TPlaylistTest::aBigGroupEndsInTheChannelWindow() {
    QByteArray big = "#EXTM3U\n";
    for (int i = 0; i < 1298; ++i)
        big += "#EXTINF:-1," + QByteArray::number(i) + "\nhttp://tv.example.com/" +
               QByteArray::number(i) + "\n";
    QCOMPARE(Open(File(u"big.m3u"_s, big)), QString());
    QMenu* group = FFrm->Menu()->Groups()[0];
    emit group->aboutToShow();
    const QList<QAction*> items = group->actions();
    QCOMPARE(items.size(), 41);
    QCOMPARE(items[39]->text(), u"39"_s);
    QCOMPARE(items[40]->text(), u"全部 1,298 个频道…"_s);
    items[40]->trigger();
    QTRY_VERIFY(FFrm->Browser()->Window() && FFrm->Browser()->Window()->isVisible());
    QCOMPARE(FFrm->Browser()->Window()->ChannelLst->model()->rowCount(), 1298);
}

void TPlaylistTest::dropOpensTheList() {
    auto mime = std::make_unique<QMimeData>();
    mime->setUrls({QUrl::fromLocalFile(File(u"dropped.m3u"_s, List))});
    QDragEnterEvent enter(QPoint(100, 200), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(FFrm.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 200), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(FFrm.get(), &drop);
    QCOMPARE(GroupNames(*FFrm), ListGroups);
}

void TPlaylistTest::remembersOnlyTheLastList() {
    Open(File(u"first.m3u"_s, "http://tv.example.com/a\n"));
    const QString last = File(u"tv.m3u"_s, List);
    Open(last);
    FFrm = std::make_unique<TMainFrm>();
    QCOMPARE(GroupNames(*FFrm), ListGroups);
    QCOMPARE(FFrm->ListStatusLbl->text(), ListStatus);
    QSettings settings;
    QCOMPARE(settings.allKeys(), QStringList{u"Playlist/Location"_s});
    QCOMPARE(settings.value(u"Playlist/Location"_s).toString(), last);
    // The channels watched from the list stay once it is removed, for when it comes again.
    FFrm->PlayChannel(2);
    FFrm->StartPopupMenu->findChild<QAction*>(u"PlaylistRemove"_s)->trigger();
    QCoreApplication::processEvents();
    FFrm = std::make_unique<TMainFrm>();
    QCOMPARE(FFrm->OpenList()->List(), nullptr);
    QCOMPARE(QSettings().allKeys(), QStringList{u"Channels/Recent"_s});
    Open(last);
    QMenu* recent = FFrm->Menu()->Recent();
    emit recent->aboutToShow();
    QCOMPARE(recent->actions().value(0)->text(), u"NBA && More"_s);
}

void TPlaylistTest::playsAnHlsLiveStreamToItsFirstPicture() {
    // Four one-second segments of the test picture; without the end tag the player
    // takes the playlist for a live one.
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s, {u"-v"_s,
                               u"error"_s,
                               u"-f"_s,
                               u"lavfi"_s,
                               u"-i"_s,
                               u"smptebars=size=320x240:rate=25"_s,
                               u"-t"_s,
                               u"4"_s,
                               u"-c:v"_s,
                               u"libx264"_s,
                               u"-preset"_s,
                               u"ultrafast"_s,
                               u"-g"_s,
                               u"25"_s,
                               u"-f"_s,
                               u"hls"_s,
                               u"-hls_time"_s,
                               u"1"_s,
                               u"-hls_list_size"_s,
                               u"0"_s,
                               FDir.filePath(u"live.m3u8"_s)});
    QVERIFY(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
    QFile playlist(FDir.filePath(u"live.m3u8"_s));
    QVERIFY(playlist.open(QIODevice::ReadOnly));
    FServer.Serve(u"/live.m3u8"_s, playlist.readAll().replace("#EXT-X-ENDLIST\n", ""));
    FServer.ServeFolder(FDir.path());
    QCOMPARE(Open(FServer.Url(u"/live.m3u8"_s)), QString());
    FFrm->PlayChannel(0);
    QCOMPARE(FFrm->windowTitle(), u"live.m3u8 - 晴棠网络电视 1.2"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!FFrm->WMP->Frame().isNull(), 30000);
}

void TPlaylistTest::stepsThroughTheListItCameFrom_data() {
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("start"); // a built-in item, or the position in the list
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QStringList>("channels");
    QTest::newRow("built-in: past the hidden item and back")
        << false << u"CCTV61"_s << QList<int>{Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_PageUp}
        << QStringList{u"江苏卫视文体频道"_s, u"CCTV6电影频道"_s, u"山东广电电影台"_s};
    QTest::newRow("built-in, nothing chosen yet: round to the last")
        << false << QString() << QList<int>{Qt::Key_PageUp, Qt::Key_PageDown}
        << QStringList{u"韩国电视台一台"_s, u"美亚卫视"_s};
    QTest::newRow("a list: across its groups and round from the end")
        << true << u"1"_s << QList<int>{Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp}
        << QStringList{u"NBA & More"_s, u"CCTV-1 综合"_s, u"NBA & More"_s};
}

void TPlaylistTest::stepsThroughTheListItCameFrom() {
    QFETCH(bool, listed);
    QFETCH(QString, start);
    QFETCH(QList<int>, keys);
    QFETCH(QStringList, channels);
    if (listed) {
        QCOMPARE(Open(File(u"tv.m3u"_s, List)), QString());
        FFrm->PlayChannel(start.toInt());
    } else if (!start.isEmpty()) {
        FFrm->N4Click(FFrm->StartPopupMenu->findChild<QAction*>(start));
    }
    for (int i = 0; i < keys.size(); ++i) {
        QTest::keyClick(FFrm.get(), Qt::Key(keys[i]));
        QCOMPARE(FFrm->windowTitle(), channels[i] + u" - 晴棠网络电视 1.2"_s);
    }
}

// The step comes while the first of two dead addresses is tried: the second must never
// be tried after it.
void TPlaylistTest::aStepEndsTheAttemptsAtOnce() {
    const QString dead = u"rtsp://127.0.0.1:%1/"_s.arg(ClosedLoopbackPort());
    TMuteServer mute;
    const QString silent = u"rtsp://127.0.0.1:%1/live"_s.arg(mute.serverPort());
    QCOMPARE(Open(File(u"dead.m3u"_s, "#EXTM3U\n#EXTINF:-1,A\n" + (dead + u"a1\n"_s).toUtf8() +
                                          "#EXTINF:-1,A\n" + (dead + u"a2\n"_s).toUtf8() +
                                          "#EXTINF:-1,B\n" + silent.toUtf8() + '\n')),
             QString());
    QStringList tried;
    connect(FFrm->WMP, &TMediaPlayer::statusChanged, this,
            [this, &tried] { tried.append(FFrm->WMP->URL()); });
    FFrm->PlayChannel(0);
    FFrm->StepChannel(1);
    QTest::qWait(1500);
    QCOMPARE(FFrm->WMP->URL(), silent);
    QVERIFY2(!tried.contains(dead + u"a2"_s), qPrintable(tried.join(u' ')));
}

// The program's own application object, whose default error report catches what an
// event handler lets through.
int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TPlaylistTest test;
    return QTest::qExec(&test, argc, argv);
}

void TPlaylistTest::showsWhatIsOnFromTheListsGuide_data() {
    QTest::addColumn<QString>("guide");
    QTest::addColumn<QString>("said"); // empty: what is on
    QTest::newRow("gzip'd, answered from the cache at the next start")
        << u"/guide.xml.gz"_s << QString();
    QTest::newRow("a page in its place") << u"/page.html"_s << u"节目单没能读入："_s;
}

void TPlaylistTest::showsWhatIsOnFromTheListsGuide() {
    QFETCH(QString, guide);
    QFETCH(QString, said);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime start = now.addSecs(-600), stop = now.addSecs(1200);
    const auto at = [](const QDateTime& when) {
        return when.toString(u"yyyyMMddHHmmss"_s).toUtf8() + " +0000";
    };
    FServer.Serve(u"/guide.xml.gz"_s,
                  Gzip("<tv><channel id=\"cctv1\"><display-name>CCTV-1</display-name></channel>"
                       "<programme channel=\"cctv1\" start=\"" +
                       at(start) + "\" stop=\"" + at(stop) +
                       "\"><title>新闻联播</title></programme>"
                       "<programme channel=\"cctv1\" start=\"" +
                       at(stop) + "\" stop=\"" + at(stop.addSecs(1800)) +
                       "\"><title>焦点访谈</title></programme></tv>"));
    const QString list = File(u"guide.m3u"_s, "#EXTM3U x-tvg-url=\"" + FServer.Url(guide).toUtf8() +
                                                  "\"\n#EXTINF:-1 tvg-id=\"CCTV1\",CCTV-1\n"
                                                  "http://tv.example.com/1\n");
    const auto clock = [](const QDateTime& when) {
        return when.toLocalTime().toString(u"HH:mm"_s);
    };
    if (said.isEmpty())
        said = u"正在播放：新闻联播 %1–%2 · 下一个：焦点访谈 %2"_s.arg(clock(start), clock(stop));
    const qsizetype before = FServer.Requests().size();
    // The second window opens the list remembered, as the next start does.
    for (int run = 0; run < (guide.endsWith(u".gz"_s) ? 2 : 1); ++run) {
        if (run == 0)
            Open(list);
        else
            init();
        QTRY_VERIFY(FFrm->OpenList()->List());
        FFrm->PlayChannel(0);
        QTRY_VERIFY2(FFrm->ListStatusLbl->text().startsWith(said),
                     qPrintable(FFrm->ListStatusLbl->text()));
    }
    if (guide.endsWith(u".gz"_s)) {
        QCOMPARE(FServer.Requests().size() - before, 2);
        QVERIFY(FServer.Requests().last().contains("If-None-Match:"));
    }
}

#include "tst_playlist.moc"
