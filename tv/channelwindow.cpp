#include "tv/channelwindow.h"

#include "tv/channeldelegate.h"
#include "tv/channelrows.h"
#include "tv/channelstore.h"
#include "tv/logocache.h"
#include "tv/scheduleday.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

QWidget* Column(QWidget* top, QWidget* rest) {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(top);
    layout->addWidget(rest);
    return column;
}

} // namespace

TChannelListFrm::TChannelListFrm(TChannelCatalog& catalog, TLogoCache& logos, QWidget* parent)
    : QWidget(parent, Qt::Window), FCatalog(catalog), FLogos(logos),
      FRows(new TChannelRows(catalog, this)) {
    setObjectName(u"ChannelListFrm"_s);
    setWindowTitle(u"频道列表"_s);
    resize(900, 540);

    GroupLst = new QListWidget;
    GroupLst->setObjectName(u"GroupLst"_s);
    GroupLst->setAccessibleName(u"分组"_s);
    GroupLst->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(GroupLst, &QListWidget::currentRowChanged, this, &TChannelListFrm::GroupLstChange);
    connect(GroupLst, &QWidget::customContextMenuRequested, this, &TChannelListFrm::GroupLstMenu);

    FindEdt = new QLineEdit;
    FindEdt->setObjectName(u"FindEdt"_s);
    FindEdt->setAccessibleName(u"频道名或分组"_s);
    FindEdt->setPlaceholderText(u"频道名或分组"_s);
    FindEdt->setClearButtonEnabled(true);
    connect(FindEdt, &QLineEdit::textChanged, this, &TChannelListFrm::FindEdtChange);
    connect(FindEdt, &QLineEdit::returnPressed, this, &TChannelListFrm::FindEdtEnter);

    ChannelLst = new QListView;
    ChannelLst->setObjectName(u"ChannelLst"_s);
    ChannelLst->setAccessibleName(u"频道"_s);
    ChannelLst->setModel(FRows);
    ChannelLst->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // All rows are one height, so the view need not measure ten thousand of them.
    ChannelLst->setUniformItemSizes(true);
    ChannelLst->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    ChannelLst->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* delegate = new TChannelDelegate(FLogos, ChannelLst);
    ChannelLst->setItemDelegate(delegate);
    connect(delegate, &TChannelDelegate::favouriteClicked, this, &TChannelListFrm::ToggleFavourite);
    connect(ChannelLst, &QListView::activated, this, &TChannelListFrm::ChannelLstChoose);
    connect(ChannelLst->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TChannelListFrm::ChannelLstChange);
    connect(ChannelLst, &QWidget::customContextMenuRequested, this,
            &TChannelListFrm::ChannelLstMenu);
    // Only the rows on screen ask for their logos; those scrolled past are not fetched.
    connect(ChannelLst->verticalScrollBar(), &QScrollBar::valueChanged, &FLogos,
            &TLogoCache::ForgetWaiting);
    connect(&FLogos, &TLogoCache::arrived, ChannelLst->viewport(), qOverload<>(&QWidget::update));

    DayCmb = new QComboBox;
    DayCmb->setObjectName(u"DayCmb"_s);
    DayCmb->setAccessibleName(u"日期"_s);
    connect(DayCmb, &QComboBox::currentIndexChanged, this, &TChannelListFrm::DayCmbChange);
    ScheduleLst = new QListWidget;
    ScheduleLst->setObjectName(u"ScheduleLst"_s);
    ScheduleLst->setAccessibleName(u"节目单"_s);
    connect(ScheduleLst, &QListWidget::activated, this, &TChannelListFrm::ScheduleLstChoose);

    auto* panes = new QSplitter(this);
    panes->addWidget(GroupLst);
    panes->addWidget(Column(FindEdt, ChannelLst));
    panes->addWidget(Column(DayCmb, ScheduleLst));
    panes->setSizes({160, 460, 280});
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(panes);
    setTabOrder(GroupLst, FindEdt);
    setTabOrder(FindEdt, ChannelLst);
    setTabOrder(ChannelLst, DayCmb);
    setTabOrder(DayCmb, ScheduleLst);
    for (QWidget* pane : {static_cast<QWidget*>(GroupLst), static_cast<QWidget*>(ChannelLst),
                          static_cast<QWidget*>(ScheduleLst), static_cast<QWidget*>(FindEdt)})
        pane->installEventFilter(this);

    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(Qt::CTRL | Qt::Key_D, this), &QShortcut::activated, this,
            [this] { ToggleFavourite(ChannelLst->currentIndex()); });
    auto* clock = new QTimer(this);
    clock->callOnTimeout(this, &TChannelListFrm::Tick);
    clock->start(30s);
    Refill();
}

void TChannelListFrm::Refill() {
    const std::optional<TGroupRef> before = CurrentGroup();
    FGroups = FCatalog.Groups();
    const QSignalBlocker quiet(GroupLst);
    GroupLst->clear();
    for (const TGroupRef& group : FGroups)
        GroupLst->addItem(FCatalog.GroupName(group));
    const qsizetype again = before ? FGroups.indexOf(*before) : -1;
    // A new list opens on its first group, else on the favourites.
    const bool listed = FGroups.size() > 2 && FGroups[2].kind == TGroupRef::TKind::List;
    GroupLst->setCurrentRow(int(again >= 0 ? again : (listed ? 2 : 0)));
    ShowRows();
}

std::optional<TGroupRef> TChannelListFrm::CurrentGroup() const {
    const int row = GroupLst->currentRow();
    return row >= 0 && row < FGroups.size() ? std::optional(FGroups[row]) : std::nullopt;
}

void TChannelListFrm::SetSchedules(TChannelRows::TSchedules schedules) {
    FRows->SetSchedules(std::move(schedules));
    ShowSchedule();
}

void TChannelListFrm::SetPlaying(std::optional<TChannelPlace> playing) {
    FRows->SetPlaying(playing);
    // The recent channels move as one plays.
    if (const std::optional<TGroupRef> group = CurrentGroup();
        group && group->kind == TGroupRef::TKind::Recent && FindEdt->text().isEmpty())
        ShowRows();
}

void TChannelListFrm::ShowGroup(const TGroupRef& group) {
    FindEdt->clear();
    if (const qsizetype row = FGroups.indexOf(group); row >= 0)
        GroupLst->setCurrentRow(int(row));
    Present();
    ChannelLst->setFocus();
}

void TChannelListFrm::ShowFilter() {
    Present();
    FindEdt->setFocus();
    FindEdt->selectAll();
}

void TChannelListFrm::Present() {
    show();
    raise();
    activateWindow();
}

void TChannelListFrm::GroupLstChange() {
    if (FindEdt->text().trimmed().isEmpty())
        ShowRows();
}

void TChannelListFrm::FindEdtChange() {
    ShowRows();
}

void TChannelListFrm::ShowRows() {
    FLogos.ForgetWaiting();
    const QString text = FindEdt->text().trimmed();
    const std::optional<TGroupRef> group = CurrentGroup();
    if (!text.isEmpty())
        FRows->SetRows(FCatalog.Find(text));
    else
        FRows->SetRows(group ? FCatalog.Channels(*group) : std::vector<TChannelPlace>());
    if (FRows->rowCount() > 0)
        ChannelLst->setCurrentIndex(FRows->index(0));
    ShowSchedule();
}

// Enter in the field plays the row picked in the list, or else the first one found.
void TChannelListFrm::FindEdtEnter() {
    const QModelIndex current = ChannelLst->currentIndex();
    ChannelLstChoose(current.isValid() ? current : FRows->index(0));
}

void TChannelListFrm::ChannelLstChoose(const QModelIndex& index) {
    if (index.isValid())
        emit channelChosen(FRows->Ref(index.row()));
}

void TChannelListFrm::ChannelLstChange() {
    ShowSchedule();
}

void TChannelListFrm::ToggleFavourite(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const TChannelPlace channel = FRows->Ref(index.row());
    FCatalog.SetFavourite(channel, !FCatalog.IsFavourite(channel));
    const std::optional<TGroupRef> group = CurrentGroup();
    if (group && group->kind == TGroupRef::TKind::Favourites && FindEdt->text().isEmpty())
        ShowRows();
    else
        FRows->Refresh(index.row());
    emit choicesChanged();
}

void TChannelListFrm::ChannelLstMenu(const QPoint& at) {
    const QModelIndex index = ChannelLst->indexAt(at);
    if (!index.isValid())
        return;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* favourite = menu->addAction(u"收藏"_s);
    favourite->setCheckable(true);
    favourite->setChecked(FCatalog.IsFavourite(FRows->Ref(index.row())));
    const QPersistentModelIndex kept(index);
    connect(favourite, &QAction::triggered, this, [this, kept] { ToggleFavourite(kept); });
    menu->popup(ChannelLst->viewport()->mapToGlobal(at));
}

void TChannelListFrm::GroupLstMenu(const QPoint& at) {
    const int row = GroupLst->indexAt(at).row();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (row >= 0 && FCatalog.CanHide(FGroups[row])) {
        const TGroupRef group = FGroups[row];
        connect(menu->addAction(u"隐藏分组"_s), &QAction::triggered, this, [this, group] {
            FCatalog.Hide(group);
            Refill();
            emit choicesChanged();
        });
    }
    if (FCatalog.Store().HidesAny(FCatalog.ListLocation())) {
        connect(menu->addAction(u"显示全部分组"_s), &QAction::triggered, this, [this] {
            FCatalog.Store().ShowAll(FCatalog.ListLocation());
            Refill();
            emit choicesChanged();
        });
    }
    if (menu->isEmpty())
        delete menu;
    else
        menu->popup(GroupLst->viewport()->mapToGlobal(at));
}

void TChannelListFrm::ShowSchedule() {
    const QSignalBlocker quiet(DayCmb);
    const QDate shown = DayCmb->currentData().toDate();
    DayCmb->clear();
    const QModelIndex current = ChannelLst->currentIndex();
    if (current.isValid()) {
        const QDate today = Local(FRows->Now()).date();
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        for (const QDate& day : ScheduleDays(FRows->Schedule(FRows->Ref(current.row()))))
            DayCmb->addItem(day == today ? u"今天"_s : chinese.toString(day, u"M月d日 ddd"_s), day);
        const int again = DayCmb->findData(shown.isValid() ? shown : today);
        DayCmb->setCurrentIndex(again >= 0 ? again : qMax(0, DayCmb->findData(today)));
    }
    DayCmbChange();
}

void TChannelListFrm::DayCmbChange() {
    ScheduleLst->clear();
    const QModelIndex current = ChannelLst->currentIndex();
    if (DayCmb->count() == 0 || !current.isValid()) {
        ScheduleLst->addItem(u"没有节目单"_s);
        return;
    }
    const TChannelPlace channel = FRows->Ref(current.row());
    QListWidgetItem* onAir = nullptr;
    const TCatchupRule& catchup = FCatalog.Channel(channel)->catchup;
    for (const TScheduleEntry& entry : ScheduleOfDay(
             FRows->Schedule(channel), DayCmb->currentData().toDate(), FRows->Now(), catchup)) {
        using enum TScheduleEntry::TMark;
        auto* item = new QListWidgetItem(ScheduleLst);
        const QString marks[] = {u"   "_s, u"↺ "_s, u"▶ "_s, u"   "_s};
        item->setText(marks[int(entry.mark)] + entry.text);
        // What the archive holds can be played again; the rest is only read.
        if (entry.mark == Replayable || (entry.mark == OnAir && !catchup.type.isEmpty()))
            item->setData(Qt::UserRole, entry.index);
        if (entry.mark == Past)
            item->setForeground(palette().color(QPalette::PlaceholderText));
        if (entry.mark == OnAir) {
            QFont bold = font();
            bold.setBold(true);
            item->setFont(bold);
            onAir = item;
        }
    }
    if (onAir)
        ScheduleLst->scrollToItem(onAir, QAbstractItemView::PositionAtCenter);
}

void TChannelListFrm::ScheduleLstChoose(const QModelIndex& index) {
    const QModelIndex channel = ChannelLst->currentIndex();
    if (channel.isValid() && index.data(Qt::UserRole).isValid())
        emit programmeChosen(FRows->Ref(channel.row()), index.data(Qt::UserRole).toInt());
}

void TChannelListFrm::Tick() {
    FRows->SetNow(QDateTime::currentDateTimeUtc());
    DayCmbChange();
}

// Keys typed where the panes do not take them go to the filter; the arrows in the
// filter move through the channels.
bool TChannelListFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == FindEdt) {
        if (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down &&
            key->key() != Qt::Key_PageUp && key->key() != Qt::Key_PageDown)
            return false;
        QKeyEvent moved(key->type(), key->key(), key->modifiers());
        QCoreApplication::sendEvent(ChannelLst, &moved);
        return true;
    }
    const QString text = key->text();
    if (text.isEmpty() || !text.front().isPrint() ||
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    FindEdt->setFocus();
    FindEdt->insert(text);
    return true;
}
