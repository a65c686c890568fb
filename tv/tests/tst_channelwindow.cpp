// The channel window and the rules under it: the rows of each group, of a filter, of
// the favourites, the recent channels and the hidden groups; the keys; what is kept
// across a restart, and a damaged settings value.

#include "tv/channelcatalog.h"
#include "tv/channelrows.h"
#include "tv/channelstore.h"
#include "tv/channelwindow.h"
#include "tv/logocache.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Location = u"/home/user/tv.m3u"_s;

// Groups of (name, guide id) channels; the list's third group names an archive.
std::shared_ptr<const TPlaylist>
Make(const QList<std::pair<QString, QList<std::pair<QString, QString>>>>& groups) {
    auto list = std::make_shared<TPlaylist>();
    for (const auto& [name, channels] : groups) {
        TPlaylistGroup& group = list->groups.emplace_back(TPlaylistGroup{name, {}});
        for (const auto& [channel, id] : channels) {
            TPlaylistChannel& made = group.channels.emplace_back();
            made.name = channel;
            made.addresses = {{u"http://tv.example.com/"_s + channel, {}}};
            made.tvgId = id;
        }
    }
    return list;
}

std::shared_ptr<const TPlaylist> List() {
    auto list = std::const_pointer_cast<TPlaylist>(
        Make({{u"央视"_s, {{u"CCTV-1 综合"_s, u"c1"_s}, {u"CCTV-2 财经"_s, u"c2"_s}}},
              {u"体育"_s, {{u"ＣＣＴＶ-5 体育"_s, {}}, {u"NBA"_s, {}}}},
              {u"卫视"_s, {{u"湖南卫视"_s, {}}}}}));
    list->groups[2].channels[0].catchup.type = u"append"_s;
    return list;
}

// The built-in table; its second item is not shown.
std::shared_ptr<const TPlaylist> Table() {
    return Make({{u"电影电视"_s, {{u"美亚卫视"_s, {}}, {u"隐藏台"_s, {}}}},
                 {u"体育电视"_s, {{u"ESPN体育频道"_s, {}}}}});
}

QStringList Names(const TChannelRows& rows) {
    QStringList names;
    for (int row = 0; row < rows.rowCount(); ++row)
        names << rows.index(row).data().toString();
    return names;
}

TProgramme Programme(const QDateTime& start, int minutes, const QString& title) {
    return {start, start.addSecs(minutes * 60), 8 * 3600, title, {}};
}

} // namespace

class TChannelWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void rowsOfEachGroup_data();
    void rowsOfEachGroup();
    void keysFindAndPlayAChannel();
    void favouritesKeptAcrossARestart();
    void damagedSettingsAreIgnored_data();
    void damagedSettingsAreIgnored();
    void scheduleMarksOnAirAndReplayable();

private:
    std::unique_ptr<QSettings> Settings() const {
        return std::make_unique<QSettings>(FDir.filePath(u"viewdial.ini"_s), QSettings::IniFormat);
    }
    // A window over the list and the table, with the settings of this test.
    void Start();

    QTemporaryDir FDir;
    std::unique_ptr<TChannelStore> FStore;
    std::unique_ptr<TChannelCatalog> FCatalog;
    std::unique_ptr<TLogoCache> FLogos;
    std::unique_ptr<TChannelListFrm> FFrm;
};

void TChannelWindowTest::init() {
    QFile::remove(FDir.filePath(u"viewdial.ini"_s));
    Start();
}

void TChannelWindowTest::Start() {
    FFrm.reset();
    FStore = std::make_unique<TChannelStore>([this] { return Settings(); });
    FCatalog = std::make_unique<TChannelCatalog>(*FStore);
    FCatalog->SetBuiltIn(Table(), {1});
    FCatalog->SetList(List(), Location);
    FLogos = std::make_unique<TLogoCache>();
    FFrm = std::make_unique<TChannelListFrm>(*FCatalog, *FLogos, nullptr);
}

void TChannelWindowTest::cleanup() {
    FFrm.reset();
}

void TChannelWindowTest::rowsOfEachGroup_data() {
    QTest::addColumn<QStringList>("favourites"); // list ids or names
    QTest::addColumn<QStringList>("played");     // list ids or names, oldest first
    QTest::addColumn<QString>("hidden");         // a group of the list
    QTest::addColumn<QString>("group");          // shown with the filter empty
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<QStringList>("rows");
    const QStringList all{u"收藏"_s, u"最近观看"_s, u"央视"_s,    u"体育"_s,
                          u"卫视"_s, u"电影电视"_s, u"体育电视"_s};
    QTest::newRow("a list's group in list order")
        << QStringList() << QStringList() << QString() << u"体育"_s << QString() << all
        << QStringList{u"ＣＣＴＶ-5 体育"_s, u"NBA"_s};
    QTest::newRow("a built-in category without its hidden item")
        << QStringList() << QStringList() << QString() << u"电影电视"_s << QString() << all
        << QStringList{u"美亚卫视"_s};
    QTest::newRow("the filter: case and width do not count")
        << QStringList() << QStringList() << QString() << u"央视"_s << u"ｃｃｔｖ"_s << all
        << QStringList{u"CCTV-1 综合"_s, u"CCTV-2 财经"_s, u"ＣＣＴＶ-5 体育"_s};
    QTest::newRow("the filter finds groups, across the list and the table")
        << QStringList() << QStringList() << QString() << u"央视"_s << u"体育"_s << all
        << QStringList{u"ＣＣＴＶ-5 体育"_s, u"NBA"_s, u"ESPN体育频道"_s};
    QTest::newRow("favourites in list order, by id or by name")
        << QStringList{u"NBA"_s, u"c2"_s} << QStringList() << QString() << u"收藏"_s << QString()
        << all << QStringList{u"CCTV-2 财经"_s, u"NBA"_s};
    QTest::newRow("recent newest first, each once")
        << QStringList() << QStringList{u"c1"_s, u"NBA"_s, u"c1"_s} << QString() << u"最近观看"_s
        << QString() << all << QStringList{u"CCTV-1 综合"_s, u"NBA"_s};
    QTest::newRow("a hidden group leaves the groups and the filter")
        << QStringList() << QStringList() << u"体育"_s << u"央视"_s << u"体育"_s
        << QStringList{u"收藏"_s, u"最近观看"_s, u"央视"_s, u"卫视"_s, u"电影电视"_s, u"体育电视"_s}
        << QStringList{u"ESPN体育频道"_s};
}

void TChannelWindowTest::rowsOfEachGroup() {
    QFETCH(QStringList, favourites);
    QFETCH(QStringList, played);
    QFETCH(QString, hidden);
    QFETCH(QString, group);
    QFETCH(QString, filter);
    QFETCH(QStringList, groups);
    QFETCH(QStringList, rows);
    for (const QString& id : favourites)
        FStore->SetFavourite({Location, id}, true);
    for (const QString& id : played)
        FStore->Played({Location, id});
    // A channel watched from another list is kept but not shown.
    FStore->Played({u"/other.m3u"_s, u"c1"_s});
    if (!hidden.isEmpty())
        FStore->Hide(Location, hidden);
    FFrm->Refill();
    QStringList shown;
    for (int row = 0; row < FFrm->GroupLst->count(); ++row)
        shown << FFrm->GroupLst->item(row)->text();
    QCOMPARE(shown, groups);
    FFrm->GroupLst->setCurrentRow(int(shown.indexOf(group)));
    FFrm->FindEdt->setText(filter);
    QCOMPARE(Names(*FFrm->Rows()), rows);
}

void TChannelWindowTest::keysFindAndPlayAChannel() {
    QSignalSpy chosen(FFrm.get(), &TChannelListFrm::channelChosen);
    FFrm->ShowFilter();
    QVERIFY(QTest::qWaitForWindowActive(FFrm.get()));
    QCOMPARE(QApplication::focusWidget(), FFrm->FindEdt);
    QTest::keyClicks(FFrm->FindEdt, u"cctv"_s);
    QTest::keyClick(FFrm->FindEdt, Qt::Key_Down);
    QTest::keyClick(FFrm->FindEdt, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), FFrm->ChannelLst);
    // Typed in the list, the text goes on in the filter.
    QTest::keyClicks(FFrm->ChannelLst, u"-5"_s);
    QCOMPARE(FFrm->FindEdt->text(), u"cctv-5"_s);
    QCOMPARE(Names(*FFrm->Rows()), QStringList{u"ＣＣＴＶ-5 体育"_s});
    FFrm->FindEdt->clear();
    FFrm->ChannelLst->setFocus();
    QTest::keyClick(FFrm->ChannelLst, Qt::Key_Down);
    QTest::keyClick(FFrm->ChannelLst, Qt::Key_Return);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen[0][0].value<TChannelPlace>(), (TChannelPlace{TChannelOrigin::List, 1}));
    FFrm->SetPlaying(TChannelPlace{TChannelOrigin::List, 1});
    QVERIFY(FFrm->Rows()->index(1).data(TChannelRows::PlayingRole).toBool());
    QTest::keyClick(FFrm->ChannelLst, Qt::Key_Escape);
    QVERIFY(!FFrm->isVisible());
}

void TChannelWindowTest::favouritesKeptAcrossARestart() {
    FFrm->ShowGroup({TGroupRef::TKind::List, 1});
    QVERIFY(QTest::qWaitForWindowActive(FFrm.get()));
    QTest::keyClick(FFrm->ChannelLst, Qt::Key_Down);
    QTest::keyClick(FFrm->ChannelLst, Qt::Key_D, Qt::ControlModifier);
    QVERIFY(FFrm->Rows()->index(1).data(TChannelRows::FavouriteRole).toBool());
    Start();
    FFrm->ShowGroup({TGroupRef::TKind::Favourites, 0});
    QCOMPARE(Names(*FFrm->Rows()), QStringList{u"NBA"_s});
    QCOMPARE(Settings()->allKeys(), QStringList{u"Channels/Favourites"_s});
}

void TChannelWindowTest::damagedSettingsAreIgnored_data() {
    QTest::addColumn<QVariant>("value");
    QTest::newRow("a number") << QVariant(42);
    QTest::newRow("an entry without its list") << QVariant(u"NBA"_s);
    QTest::newRow("an entry of three parts") << QVariant(QStringList{Location + u"\nc1\nx"_s});
    QTest::newRow("a map") << QVariant(QVariantMap{{u"a"_s, 1}});
}

void TChannelWindowTest::damagedSettingsAreIgnored() {
    QFETCH(QVariant, value);
    for (const QString& key :
         {u"Channels/Favourites"_s, u"Channels/Recent"_s, u"Channels/Hidden"_s})
        Settings()->setValue(key, value);
    Start();
    QCOMPARE(FFrm->GroupLst->count(), 7);
    FFrm->ShowGroup({TGroupRef::TKind::Favourites, 0});
    QCOMPARE(FFrm->Rows()->rowCount(), 0);
    FFrm->ShowGroup({TGroupRef::TKind::Recent, 0});
    QCOMPARE(FFrm->Rows()->rowCount(), 0);
}

// Hunan's list names an archive: its past programmes within the week can be watched
// again; the one before the week and a channel without an archive are only past.
void TChannelWindowTest::scheduleMarksOnAirAndReplayable() {
    const QDateTime now = QDateTime(QDate::currentDate(), QTime(12, 0)).toUTC();
    const QList<TProgramme> schedule{
        Programme(now.addDays(-8), 30, u"上周"_s), Programme(now.addSecs(-3600), 30, u"早间"_s),
        Programme(now.addSecs(-600), 30, u"新闻"_s), Programme(now.addSecs(1200), 30, u"晚间"_s)};
    FFrm->Rows()->SetNow(now);
    FFrm->SetSchedules([&schedule](int) { return schedule; });
    FFrm->ShowGroup({TGroupRef::TKind::List, 2});
    QCOMPARE(FFrm->Rows()->index(0).data(TChannelRows::NowRole).toString(),
             now.addSecs(-600).toLocalTime().toString(u"HH:mm"_s) + u" 新闻"_s);
    QCOMPARE(FFrm->Rows()->index(0).data(TChannelRows::ProgressRole).toDouble(), 1.0 / 3);
    QStringList marks;
    for (int day = 0; day < FFrm->DayCmb->count(); ++day) {
        FFrm->DayCmb->setCurrentIndex(day);
        for (int row = 0; row < FFrm->ScheduleLst->count(); ++row)
            marks << FFrm->ScheduleLst->item(row)->text().first(2) +
                         FFrm->ScheduleLst->item(row)->text().section(u' ', -1);
    }
    QCOMPARE(marks, (QStringList{u"  上周"_s, u"↺ 早间"_s, u"▶ 新闻"_s, u"  晚间"_s}));
    // Today's programmes: the one in the archive is chosen to play, the one to come is not.
    QSignalSpy chosen(FFrm.get(), &TChannelListFrm::programmeChosen);
    emit FFrm->ScheduleLst->activated(FFrm->ScheduleLst->model()->index(0, 0));
    emit FFrm->ScheduleLst->activated(FFrm->ScheduleLst->model()->index(2, 0));
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen[0][1].toInt(), 1);
    FFrm->ShowGroup({TGroupRef::TKind::List, 0});
    QCOMPARE(FFrm->ScheduleLst->item(0)->text().first(2), u"  "_s);
}

QTEST_MAIN(TChannelWindowTest)
#include "tst_channelwindow.moc"
