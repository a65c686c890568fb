// The player window without a real stream: every address is sent to a closed port
// on 127.0.0.1, so no test ever reaches a real host.

#include "common/appshell.h"
#include "header/fixedvalues.h"
#include "header/makerheader.h"
#include "tv/main.h"
#include "tv/mediaplayer.h"
#include "tv/openplaylistfrm.h"
#include "tv/tests/testserver.h"

#include <QAbstractButton>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Base = u"晴棠网络电视 1.2"_s;

// Answers the next modal box with OK and remembers what it said.
class TModalAnswer : public QObject {
public:
    TModalAnswer() {
        connect(&FTimer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            FName = box->objectName();
            FText = box->text();
            box->accept();
        });
        FTimer.start(20);
    }
    QString Name() const { return FName; }
    QString Text() const { return FText; }

private:
    QTimer FTimer;
    QString FName;
    QString FText;
};

} // namespace

class TMainFrmTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsTheInstructionsBeforeAnyChoice();
    void keepsTheDesignedLayout();
    void carriesTheMakerHeader();
    void menuHoldsTheChannelTable_data();
    void menuHoldsTheChannelTable();
    void channelItemsCarryTheirCaptionAndAddress_data();
    void channelItemsCarryTheirCaptionAndAddress();
    void choosingAChannelPlaysIt_data();
    void choosingAChannelPlaysIt();
    void captionNeverAccumulates();
    void sameChannelTwiceAssignsTheAddressAgain();
    void categoryItemPlaysNothing();
    void addressReachesThePlayerUnchanged_data();
    void addressReachesThePlayerUnchanged();
    void menuOpensAtTheCursor();
    void playerGoesFullScreenAndBack();
    void everyControlHasAnAccessibleName();
    void refusedAddressIsReportedAfterTheSwap_data();
    void refusedAddressIsReportedAfterTheSwap();

private:
    QAction* Item(const QString& name) const;
    void Choose(const QString& name);

    std::unique_ptr<TMainFrm> FFrm;
};

void TMainFrmTest::initTestCase() {
    TApplication::SetTitle(u"晴棠网络电视"_s);
    const QString dead = u"rtsp://127.0.0.1:%1/tv"_s.arg(ClosedLoopbackPort());
    TMediaPlayer::SetAddressRedirect([dead](const QString&) { return dead; });
}

void TMainFrmTest::init() {
    FFrm = std::make_unique<TMainFrm>();
    FFrm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FFrm.get()));
}

void TMainFrmTest::cleanup() {
    FFrm.reset();
    for (QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

QAction* TMainFrmTest::Item(const QString& name) const {
    auto* item = FFrm->StartPopupMenu->findChild<QAction*>(name);
    if (!item)
        qFatal("no menu item %s", qPrintable(name));
    return item;
}

// As a click on the item does: the handler runs from the event loop.
void TMainFrmTest::Choose(const QString& name) {
    Item(name)->trigger();
    QCoreApplication::processEvents();
}

void TMainFrmTest::showsTheInstructionsBeforeAnyChoice() {
    const QStringList lines{
        u"晴棠网络电视说明："_s,
        u"点启动图标选择电视频道即可观看网络电视。"_s,
        u"电视资源来自互联网，有很大的不确定性，一些资源可能第一"_s,
        u"天放的特好，第二天就连不上了，我们会在每次升级中修正"_s,
        u"失效的资源，补充新的资源。"_s,
        u"希望你在享受免费大餐时帮忙宣传一下，作为回报我司会坚持"_s,
        u"升级该软件。"_s,
        u"当然如果你能提供电视资源，特别是电视台的官方资源，我们"_s,
        u"将十分感谢！"_s,
    };
    QCOMPARE(FFrm->Memo1->toPlainText().split(u'\n'), lines);
    QVERIFY(FFrm->Memo1->isVisible());
    QVERIFY(FFrm->Memo1->isReadOnly());
    QVERIFY(FFrm->WMP->isHidden());
    QCOMPARE(FFrm->windowTitle(), Base);
    QCOMPARE(BaseCaption, Base);
    QCOMPARE(TApplication::HintHidePause(), 30000);
    QVERIFY(FFrm->WMP->URL().isEmpty());
}

void TMainFrmTest::keepsTheDesignedLayout() {
    QCOMPARE(FFrm->geometry(), QRect(190, 115, 458, 406));
    QCOMPARE(FFrm->StarSB->geometry(), QRect(192, 16, 23, 22));
    QCOMPARE(FFrm->StarSB->toolTip(), u"选择电视台"_s);
    QVERIFY(FFrm->StarSB->autoRaise());
    QCOMPARE(FFrm->Memo1->geometry(), QRect(8, 70, 441, 329));
    QCOMPARE(FFrm->WMP->geometry(), QRect(8, 70, 441, 329));
    QCOMPARE(FFrm->WMP->objectName(), u"WMP"_s);
    QCOMPARE(FFrm->palette().color(QPalette::Window), QColor(166, 202, 240));
    QCOMPARE(FFrm->Memo1->font().pixelSize(), 16);
    FFrm->resize(700, 600);
    QCOMPARE(FFrm->Memo1->geometry(), QRect(8, 70, 441, 329));
}

// The maker header sits left of StarSB and is set up when the window is created.
void TMainFrmTest::carriesTheMakerHeader() {
    auto* logo = FFrm->findChild<QLabel*>(u"LogoImage"_s);
    auto* dovrel = FFrm->findChild<QToolButton*>(u"DovrelSB"_s);
    QVERIFY(logo && dovrel);
    QCOMPARE(logo->geometry(), QRect(0, 0, 145, 55));
    QCOMPARE(dovrel->geometry(), QRect(168, 16, 23, 22));
    QCOMPARE(dovrel->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(dovrel->isVisibleTo(FFrm.get()));
    QCOMPARE(dovrel->toolTip(), MakerHeader::PromotionHint.toString());
    QCOMPARE(TApplication::HintHidePause(), 30000);

    QStringList opened;
    const App::UrlOpener previous =
        App::SetUrlOpener([&](const QUrl& url) { opened << url.toString(); });
    QTest::mouseClick(logo, Qt::LeftButton);
    std::mt19937::result_type seed = 0;
    FFrm->Header()->SetSeedSource([&seed] { return seed++; });
    for (int i = 0; i < 1000; ++i)
        QTest::mouseClick(dovrel, Qt::LeftButton);
    App::SetUrlOpener(previous);
    QCOMPARE(opened.takeFirst(), MakerHeader::MakerAddress.toString());
    const auto pageA = opened.count(MakerHeader::DownloadPageA.toString());
    const auto pageB = opened.count(MakerHeader::DownloadPageB.toString());
    QCOMPARE(pageA + pageB, 1000);
    QVERIFY2(pageA > 400 && pageB > 400, qPrintable(u"A %1, B %2"_s.arg(pageA).arg(pageB)));
}

void TMainFrmTest::menuHoldsTheChannelTable_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("shown");
    QTest::newRow("films") << 0 << u"N1"_s << u"电影电视"_s << 6 << 6;
    QTest::newRow("sports without CCTV5") << 1 << u"N2"_s << u"体育电视"_s << 5 << 4;
    QTest::newRow("domestic") << 2 << u"CCTV1"_s << u"国内电视"_s << 9 << 9;
    QTest::newRow("foreign") << 3 << u"N3"_s << u"国外电视"_s << 11 << 11;
}

void TMainFrmTest::menuHoldsTheChannelTable() {
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, items);
    QFETCH(int, shown);
    // The design's four categories come first; the channel list's entries follow them.
    const QList<QAction*> entries = FFrm->StartPopupMenu->actions();
    QCOMPARE(std::count_if(entries.begin(), entries.end(), [](QAction* a) { return a->menu(); }),
             4);
    QAction* category = entries[position];
    QCOMPARE(category->objectName(), name);
    QCOMPARE(category->text(), caption);
    QVERIFY(category->menu());
    const QList<QAction*> channels = category->menu()->actions();
    QCOMPARE(channels.size(), items);
    QCOMPARE(
        std::count_if(channels.begin(), channels.end(), [](QAction* a) { return a->isVisible(); }),
        shown);
}

void TMainFrmTest::channelItemsCarryTheirCaptionAndAddress_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("scheme");
    const struct {
        const char* category;
        const char* name;
        const char* caption;
        bool shown;
        const char* scheme;
    } rows[] = {
        {"N1", "N4", "美亚卫视", true, "rtsp"},
        {"N1", "N7", "江苏影视台", true, "mms"},
        {"N1", "N8", "常州电影频道", true, "mms"},
        {"N1", "N10", "凤凰电影台", true, "rtsp"},
        {"N1", "N5", "山东广电电影台", true, "mms"},
        {"N1", "CCTV61", "CCTV6电影频道", true, "mms"},
        {"N2", "CCTV51", "CCTV5体育频道", false, "mms"},
        {"N2", "N11", "江苏卫视文体频道", true, "mms"},
        {"N2", "N12", "上海体育频道", true, "rtsp"},
        {"N2", "ESPN1", "ESPN体育频道", true, "mms"},
        {"N2", "CN81", "美国CN8体育频道", true, "mms"},
        {"CCTV1", "N13", "中央电视台新闻频道", true, "mms"},
        {"CCTV1", "CCTV11", "CCTV1综合频道", true, "mms"},
        {"CCTV1", "CCTV21", "CCTV2经济频道", true, "mmst"},
        {"CCTV1", "N6", "上海音乐频道", true, "rtsp"},
        {"CCTV1", "CHANNELV1", "CHANNEL-V", true, "rtsp"},
        {"CCTV1", "N9", "东风卫视", true, "rtsp"},
        {"CCTV1", "N16", "阳光卫视", true, "rtsp"},
        {"CCTV1", "N17", "星空卫视", true, "rtsp"},
        {"CCTV1", "N19", "台湾中天新闻台", true, "mms"},
        {"N3", "N18", "美国国家地理频道", true, "rtsp"},
        {"N3", "ABC1", "美国ABC新闻台", true, "mms"},
        {"N3", "BBSWORLD1", "英国BBSWORLD", true, "mms"},
        {"N3", "BC1", "韩国TBC台", true, "mmst"},
        {"N3", "NOW1", "NOW娱乐台", true, "mms"},
        {"N3", "N14", "意大利音乐台", true, "mms"},
        {"N3", "SONET1", "日本SO-NET频道", true, "mms"},
        {"N3", "N15", "日本大和电视台", true, "mms"},
        {"N3", "CBS1", "韩国CBS电视台", true, "mmst"},
        {"N3", "CNBC1", "美国CNBC电视台", true, "rtsp"},
        {"N3", "N20", "韩国电视台一台", true, "mms"},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << QString::fromUtf8(row.category) << QString::fromUtf8(row.caption)
                                << row.shown << QString::fromUtf8(row.scheme);
}

void TMainFrmTest::channelItemsCarryTheirCaptionAndAddress() {
    QFETCH(QString, category);
    QFETCH(QString, caption);
    QFETCH(bool, shown);
    QFETCH(QString, scheme);
    QAction* item = Item(QString::fromUtf8(QTest::currentDataTag()));
    QCOMPARE(item->parent()->objectName(), category);
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->isVisible(), shown);
    QVERIFY(item->toolTip().startsWith(scheme + u"://"_s));
    QCOMPARE(item->statusTip(), item->toolTip());
    // Only the reserved example domains, so no real station is ever reached by mistake.
    const QString host = QUrl(item->toolTip().section(u' ', 0, 0)).host();
    QVERIFY2(host.endsWith(u".example.com"_s) || host.endsWith(u".example.net"_s) ||
                 host.endsWith(u".example.org"_s),
             qPrintable(host));
}

void TMainFrmTest::choosingAChannelPlaysIt_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Korean TBC over mmst") << u"BC1"_s << u"韩国TBC台 - 晴棠网络电视 1.2"_s;
    QTest::newRow("first rtsp item") << u"N4"_s << u"美亚卫视 - 晴棠网络电视 1.2"_s;
    QTest::newRow("hidden CCTV5 still has its handler")
        << u"CCTV51"_s << u"CCTV5体育频道 - 晴棠网络电视 1.2"_s;
}

void TMainFrmTest::choosingAChannelPlaysIt() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    Choose(name);
    QVERIFY(FFrm->WMP->isVisible());
    QVERIFY(FFrm->Memo1->isHidden());
    QCOMPARE(FFrm->WMP->URL(), Item(name)->toolTip());
    QCOMPARE(FFrm->windowTitle(), caption);
}

void TMainFrmTest::captionNeverAccumulates() {
    Choose(u"BC1"_s);
    Choose(u"N12"_s);
    QCOMPARE(FFrm->windowTitle(), u"上海体育频道 - 晴棠网络电视 1.2"_s);
    QCOMPARE(FFrm->WMP->URL(), Item(u"N12"_s)->toolTip());
    // Once shown, the player stays; the instructions do not come back.
    QVERIFY(FFrm->Memo1->isHidden());
}

void TMainFrmTest::sameChannelTwiceAssignsTheAddressAgain() {
    Choose(u"N7"_s);
    QTRY_COMPARE(FFrm->WMP->StatusText(), u"连接被拒绝"_s);
    Choose(u"N7"_s);
    QCOMPARE(FFrm->WMP->StatusText(), u"正在连接…"_s);
    QCOMPARE(FFrm->WMP->URL(), Item(u"N7"_s)->toolTip());
    QCOMPARE(FFrm->windowTitle(), u"江苏影视台 - 晴棠网络电视 1.2"_s);
}

void TMainFrmTest::categoryItemPlaysNothing() {
    int asked = 0;
    const TOpenPlaylistFrm::TAsker previous =
        TOpenPlaylistFrm::SetAsker([&asked](QWidget*, TOpenPlaylistFrm::TAsked) {
            ++asked;
            return QString();
        });
    for (QAction* entry : FFrm->StartPopupMenu->actions())
        entry->trigger();
    QCoreApplication::processEvents();
    TOpenPlaylistFrm::SetAsker(previous);
    QCOMPARE(asked, 1);
    QVERIFY(FFrm->Memo1->isVisible());
    QVERIFY(FFrm->WMP->isHidden());
    QVERIFY(FFrm->WMP->URL().isEmpty());
    QCOMPARE(FFrm->windowTitle(), Base);
}

void TMainFrmTest::addressReachesThePlayerUnchanged_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("percent-escapes, port and query")
        << u"CN81"_s << u"mms://sports.example.com:8080/cn8?name=%E7%BE%8E%E5%9B%BDCN8&q=high"_s;
    QTest::newRow("port and two query fields")
        << u"N10"_s << u"rtsp://stream.example.com:554/phoenix/movie.sdp?auth=guest&lang=zh"_s;
    QTest::newRow("escaped space in the path")
        << u"N14"_s << u"mms://world.example.org/italia%20musica/live"_s;
}

void TMainFrmTest::addressReachesThePlayerUnchanged() {
    QFETCH(QString, name);
    QFETCH(QString, address);
    QCOMPARE(Item(name)->toolTip(), address);
    Choose(name);
    QCOMPARE(FFrm->WMP->URL(), address);
}

void TMainFrmTest::menuOpensAtTheCursor() {
    const QPoint where(310, 260);
    QCursor::setPos(where);
    QTest::mouseClick(FFrm->StarSB, Qt::LeftButton);
    QTRY_VERIFY(FFrm->StartPopupMenu->isVisible());
    QCOMPARE(FFrm->StartPopupMenu->pos(), where);
    FFrm->StartPopupMenu->close();
}

void TMainFrmTest::playerGoesFullScreenAndBack() {
    Choose(u"N4"_s);
    TMediaPlayer* wmp = FFrm->WMP;
    QTest::keyClick(wmp, Qt::Key_F11);
    QVERIFY(wmp->IsFullScreen());
    QTest::keyClick(wmp, Qt::Key_Escape);
    QVERIFY(!wmp->IsFullScreen());
    QCOMPARE(wmp->parentWidget(), FFrm.get());
    QCOMPARE(wmp->geometry(), QRect(8, 70, 441, 329));
    QVERIFY(wmp->isVisible());
    // Esc does nothing while the player is in the window.
    QTest::keyClick(wmp, Qt::Key_Escape);
    QVERIFY(!wmp->IsFullScreen());
    QTest::mouseDClick(wmp, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(wmp->IsFullScreen());
    QTest::mouseDClick(wmp, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(!wmp->IsFullScreen());
    QCOMPARE(wmp->geometry(), QRect(8, 70, 441, 329));
}

void TMainFrmTest::everyControlHasAnAccessibleName() {
    QList<QWidget*> controls{FFrm->StarSB, FFrm->Memo1, FFrm->WMP};
    for (QAbstractButton* button : FFrm->WMP->findChildren<QAbstractButton*>()) {
        QVERIFY2(button->focusPolicy() & Qt::TabFocus, qPrintable(button->objectName()));
        controls << button;
    }
    for (QSlider* slider : FFrm->WMP->findChildren<QSlider*>())
        controls << slider;
    for (QLabel* label : FFrm->WMP->findChildren<QLabel*>())
        controls << label;
    QCOMPARE(controls.size(), 3 + 7 + 2 + 3);
    for (QWidget* control : controls)
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
}

void TMainFrmTest::refusedAddressIsReportedAfterTheSwap_data() {
    QTest::addColumn<QString>("before");
    QTest::newRow("as the first choice") << QString();
    QTest::newRow("after another channel") << u"N4"_s;
}

void TMainFrmTest::refusedAddressIsReportedAfterTheSwap() {
    QFETCH(QString, before);
    if (!before.isEmpty())
        Choose(before);
    const QString caption = FFrm->windowTitle();
    const QString url = FFrm->WMP->URL();
    TModalAnswer answer;
    // Two addresses in one text: the player refuses it.
    Choose(u"N19"_s);
    QTRY_COMPARE(answer.Name(), u"ErrorReport"_s);
    QVERIFY(answer.Text().contains(Item(u"N19"_s)->toolTip()));
    QVERIFY(FFrm->Memo1->isHidden());
    QVERIFY(FFrm->WMP->isVisible());
    QCOMPARE(FFrm->windowTitle(), caption);
    QCOMPARE(FFrm->WMP->URL(), url);
}

// The program's own application object, whose default error report catches what an
// event handler lets through.
int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TMainFrmTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainfrm.moc"
