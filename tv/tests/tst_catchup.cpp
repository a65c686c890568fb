// A programme chosen in the channel window's schedule and played again, from a list with
// the usual catch-up header and its guide on loopback servers. The viewer's zone is UTC (the test
// runs with TZ=UTC) and the guide's +0800, so a range written in either zone tells which was used.

#include "common/appshell.h"
#include "tv/channelbrowser.h"
#include "tv/channelrows.h"
#include "tv/channelwindow.h"
#include "tv/main.h"
#include "tv/mediaplayer.h"
#include "tv/openchannellist.h"
#include "tv/tests/httptestserver.h"
#include "tv/tests/testserver.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Base = u"晴棠网络电视 1.2"_s;

// Where the slider's handle stands at a value.
QPoint HandleAt(const QSlider& slider, int value) {
    const int length = slider.style()->pixelMetric(QStyle::PM_SliderLength, nullptr, &slider);
    return {length / 2 + QStyle::sliderPositionFromValue(slider.minimum(), slider.maximum(), value,
                                                         slider.width() - length),
            slider.height() / 2};
}

} // namespace

class TCatchupTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void playsAPastProgrammeSeeksInItAndGoesBackToLive();

private:
    bool Asked(const QString& path) {
        return std::ranges::any_of(FServer->Requests(),
                                   [&](const auto& asked) { return asked.second == path; });
    }
    // The segments of the archive asked for, in order.
    QList<int> ArchiveSegments();

    QTemporaryDir FDir;
    THttpTestServer FGuideServer;
    std::unique_ptr<THlsTestServer> FServer;
};

void TCatchupTest::initTestCase() {
    QCOMPARE(QDateTime::currentDateTime().offsetFromUtc(), 0);
    TApplication::SetTitle(u"晴棠网络电视"_s);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FDir.filePath(u"config"_s));
    qputenv("XDG_CACHE_HOME", FDir.filePath(u"cache"_s).toUtf8());
    QVERIFY(MakeTestSegments(FDir.path(), 60));
    // Slow enough that the player's read-ahead is far from the archive's end when the
    // slider is dragged there.
    FServer = std::make_unique<THlsTestServer>(FDir.path(), 250);
}

QList<int> TCatchupTest::ArchiveSegments() {
    QList<int> segments;
    for (const auto& [at, path] : FServer->Requests())
        if (path.startsWith(u"/cctv1/seg"_s) && path.contains(u"?playseek="_s))
            segments << path.section(u'.', 0, 0).mid(10).toInt();
    return segments;
}

void TCatchupTest::playsAPastProgrammeSeeksInItAndGoesBackToLive() {
    // A half hour that ended at least two hours ago, as a +0800 guide writes it.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime start(now.date(), QTime(now.time().hour(), 0), Qt::UTC);
    const QDateTime begin = start.addSecs(-3 * 3600).toOffsetFromUtc(8 * 3600);
    const QDateTime end = begin.addSecs(1800);
    const auto at = [](const QDateTime& when) {
        return when.toString(u"yyyyMMddHHmmss"_s).toUtf8() + " +0800";
    };
    FGuideServer.Serve(u"/guide.xml"_s,
                       "<tv><channel id=\"cctv1\"><display-name>CCTV-1</display-name>"
                       "</channel><programme channel=\"cctv1\" start=\"" +
                           at(begin) + "\" stop=\"" + at(end) +
                           "\"><title>新闻联播</title></programme></tv>");
    QFile list(FDir.filePath(u"catchup.m3u"_s));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("#EXTM3U x-tvg-url=\"" + FGuideServer.Url(u"/guide.xml"_s).toUtf8() +
               "\" catchup=\"append\" "
               "catchup-source=\"?playseek=${(b)yyyyMMddHHmmss}-${(e)yyyyMMddHHmmss}\"\n"
               "#EXTINF:-1 tvg-id=\"cctv1\",CCTV-1\n" +
               FServer->Url(u"/cctv1/master.m3u8"_s).toUtf8() + "\n");
    list.close();
    TMainFrm frm;
    frm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    frm.OpenPlaylist(list.fileName());
    QTRY_VERIFY(frm.OpenList()->List());

    // The viewer reads the programme in UTC.
    const QDateTime shown = begin.toUTC();
    frm.Search();
    TChannelListFrm* window = frm.Browser()->Window();
    window->ChannelLst->setCurrentIndex(window->Rows()->index(0));
    const QString entry = u"↺ "_s + shown.toString(u"HH:mm"_s) + u"  新闻联播"_s;
    QTRY_VERIFY(window->DayCmb->findData(shown.date()) >= 0);
    window->DayCmb->setCurrentIndex(window->DayCmb->findData(shown.date()));
    QTRY_COMPARE(window->ScheduleLst->findItems(entry, Qt::MatchExactly).size(), 1);
    QListWidgetItem* item = window->ScheduleLst->findItems(entry, Qt::MatchExactly).first();
    window->ScheduleLst->setCurrentItem(item);
    QTest::keyClick(window->ScheduleLst, Qt::Key_Return);
    const QString caption = u"CCTV-1（回看 %1） - "_s.arg(shown.toString(u"MM-dd HH:mm"_s)) + Base;
    QTRY_COMPARE(frm.windowTitle(), caption);
    QCOMPARE(frm.ListStatusLbl->text(),
             u"正在回看：新闻联播（%1–%2）"_s.arg(shown.toString(u"MM-dd HH:mm"_s),
                                                  end.toUTC().toString(u"HH:mm"_s)));
    const QString range = u"playseek="_s + begin.toString(u"yyyyMMddHHmmss"_s) + u'-' +
                          end.toString(u"yyyyMMddHHmmss"_s);
    QTRY_VERIFY_WITH_TIMEOUT(Asked(u"/cctv1/master.m3u8?"_s + range), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(ShowsTestPattern(*frm.WMP), 15000);

    // The archive holds the server's 60 s; 56 s into it is its segment 28.
    auto* slider = frm.WMP->findChild<QSlider*>(u"SeekSld"_s);
    QTRY_VERIFY(slider->isVisible() && slider->maximum() == 60);
    QTest::mousePress(slider, Qt::LeftButton, {}, HandleAt(*slider, slider->value()));
    QTest::mouseMove(slider, HandleAt(*slider, 56));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, HandleAt(*slider, 56));
    // The player's read-ahead goes segment by segment; a seek opens the new place at once.
    const auto seeked = [this] {
        const QList<int> asked = ArchiveSegments();
        const qsizetype at =
            std::max(asked.indexOf(27), std::max(asked.indexOf(28), asked.indexOf(29)));
        return at >= 0 && !asked.first(at).contains(26);
    };
    QTRY_VERIFY_WITH_TIMEOUT(seeked(), 10000);
    // The archive's end is the programme's: no reconnect, and the caption stays.
    QTRY_COMPARE_WITH_TIMEOUT(frm.ListStatusLbl->text(), u"回看已播完：新闻联播"_s, 15000);
    QCOMPARE(frm.WMP->StatusText(), u"节目已播完"_s);
    QCOMPARE(frm.windowTitle(), caption);

    auto* live = frm.WMP->findChild<QToolButton*>(u"LiveBtn"_s);
    QTest::mouseClick(live, Qt::LeftButton);
    QCOMPARE(frm.windowTitle(), u"CCTV-1 - "_s + Base);
    QTRY_VERIFY_WITH_TIMEOUT(Asked(u"/cctv1/master.m3u8"_s), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(ShowsTestPattern(*frm.WMP), 15000);
    QVERIFY(slider->isHidden() && live->isHidden());
    QVERIFY(!frm.ListStatusLbl->text().contains(u"回看"_s));
}

QTEST_MAIN(TCatchupTest)
#include "tst_catchup.moc"
