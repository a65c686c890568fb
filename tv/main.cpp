#include "tv/main.h"

#include "common/appshell.h"
#include "common/pixelfont.h"
#include "header/makerheader.h"
#include "tv/channeltable.h"
#include "tv/mediaplayer.h"
#include "tv/playlistmenu.h"
#include "tv/playlistpart.h"

#include <QCursor>
#include <QDropEvent>
#include <QIcon>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

QString BaseCaption;

namespace {

const QColor SkyBlue(166, 202, 240);

const QString Instructions = u"晴棠网络电视说明：\n"
                             "点启动图标选择电视频道即可观看网络电视。\n"
                             "电视资源来自互联网，有很大的不确定性，一些资源可能第一\n"
                             "天放的特好，第二天就连不上了，我们会在每次升级中修正\n"
                             "失效的资源，补充新的资源。\n"
                             "希望你在享受免费大餐时帮忙宣传一下，作为回报我司会坚持\n"
                             "升级该软件。\n"
                             "当然如果你能提供电视资源，特别是电视台的官方资源，我们\n"
                             "将十分感谢！"_s;

} // namespace

TMainFrm::TMainFrm(QWidget* parent) : QWidget(parent) {
    setObjectName(u"MainFrm"_s);
    setWindowTitle(u"晴棠网络电视 1.2"_s);
    setWindowIcon(QIcon(u":/tv/viewdial.svg"_s));
    setGeometry(190, 115, 458, 406);
    setFont(ui::PixelFont(11));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, SkyBlue);
    setPalette(pal);
    setAutoFillBackground(true);

    FHeader = new TMakerHeader(this, TMakerHeader::TPlacement::Viewdial, FRandom);

    StarSB = new QToolButton(this);
    StarSB->setObjectName(u"StarSB"_s);
    StarSB->setGeometry(192, 16, 23, 22);
    StarSB->setAutoRaise(true);
    StarSB->setFocusPolicy(Qt::NoFocus);
    StarSB->setIcon(QIcon(u":/tv/starsb.svg"_s));
    StarSB->setIconSize(QSize(16, 16));
    StarSB->setToolTip(u"选择电视台"_s);
    StarSB->setAccessibleName(u"选择电视台"_s);
    connect(StarSB, &QToolButton::clicked, this, &TMainFrm::StarSBClick);

    WMP = new TMediaPlayer(this);
    WMP->setGeometry(8, 70, 441, 329);
    WMP->hide();

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(u"Memo1"_s);
    Memo1->setAccessibleName(u"使用说明"_s);
    Memo1->setGeometry(8, 70, 441, 329);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setFont(ui::PixelFont(16));
    QPalette memoPal = Memo1->palette();
    memoPal.setColor(QPalette::Base, SkyBlue);
    Memo1->setPalette(memoPal);
    Memo1->setPlainText(Instructions);
    setTabOrder(WMP, Memo1);

    CreateChannelMenu();
    FormCreate();
    CreatePlaylistPart();
}

void TMainFrm::CreateChannelMenu() {
    StartPopupMenu = new QMenu(this);
    StartPopupMenu->setObjectName(u"StartPopupMenu"_s);
    for (const TChannelCategory& category : ChannelTable()) {
        QMenu* sub = StartPopupMenu->addMenu(category.caption.toString());
        sub->setObjectName(category.name.toString());
        sub->menuAction()->setObjectName(category.name.toString());
        for (const TChannel& channel : category.channels) {
            auto* item = new QAction(channel.caption.toString(), sub);
            item->setObjectName(channel.name.toString());
            item->setToolTip(channel.address.toString());
            item->setStatusTip(channel.address.toString());
            item->setVisible(channel.shown);
            sub->addAction(item);
            // Queued, so that a refused address leaves the handler through the
            // application's error report and not through the menu's own code.
            connect(
                item, &QAction::triggered, this, [this, item] { N4Click(item); },
                Qt::QueuedConnection);
        }
    }
}

void TMainFrm::CreatePlaylistPart() {
    FPlaylist = new TPlaylistPart(this, StartPopupMenu);
    connect(FPlaylist, &TPlaylistPart::playChosen, this, &TMainFrm::PlayChannel);
    // In the window; full screen the player is a window of its own and says so itself.
    connect(new QShortcut(Qt::Key_PageUp, this), &QShortcut::activated, this,
            [this] { StepChannel(-1); });
    connect(new QShortcut(Qt::Key_PageDown, this), &QShortcut::activated, this,
            [this] { StepChannel(1); });
    connect(WMP, &TMediaPlayer::stepRequested, this, &TMainFrm::StepChannel);
    connect(new QShortcut(TPlaylistMenu::SearchKey, this), &QShortcut::activated, FPlaylist,
            &TPlaylistPart::Search);
    setAcceptDrops(true);
    FPlaylist->Restore();
}

void TMainFrm::FormCreate() {
    TApplication::SetHintHidePause(App::MainWindowHintHidePause);
    FHeader->Setup();
    BaseCaption = windowTitle();
}

void TMainFrm::StarSBClick() {
    StartPopupMenu->popup(QCursor::pos());
}

void TMainFrm::N4Click(QAction* item) {
    PlayBuiltIn(item, int(BuiltInItems().indexOf(item)));
}

void TMainFrm::PlayBuiltIn(QAction* item, int position) {
    Play(item->text(), {{item->toolTip(), {}}});
    FSource = TSource::BuiltIn;
    FPosition = position;
}

void TMainFrm::PlayChannel(int position) {
    const TPlaylist* list = FPlaylist->Playlist();
    const TPlaylistChannel* channel = list ? ChannelAt(*list, position) : nullptr;
    if (!channel)
        return;
    Play(channel->name, channel->addresses);
    FSource = TSource::Playlist;
    FPosition = position;
}

void TMainFrm::Play(const QString& caption, const QList<TStreamAddress>& addresses) {
    if (!Memo1->isHidden()) {
        Memo1->hide();
        WMP->show();
    }
    WMP->SetChannelName(caption);
    WMP->PlayChannel(addresses);
    setWindowTitle(caption + u" - "_s + BaseCaption);
}

QList<QAction*> TMainFrm::BuiltInItems() const {
    QList<QAction*> items;
    for (const TChannelCategory& category : ChannelTable())
        for (const TChannel& channel : category.channels)
            if (auto* item = StartPopupMenu->findChild<QAction*>(channel.name.toString());
                item && item->isVisible())
                items.append(item);
    return items;
}

void TMainFrm::StepChannel(int delta) {
    // Before any channel, and once its list is gone, the step starts on the list open.
    const TPlaylist* list = FPlaylist->Playlist();
    const bool listed = list && FSource != TSource::BuiltIn;
    const QList<QAction*> items = listed ? QList<QAction*>() : BuiltInItems();
    const int count = listed ? ChannelCount(*list) : int(items.size());
    if (count == 0)
        return;
    const bool sameList = FSource == (listed ? TSource::Playlist : TSource::BuiltIn);
    const int from = sameList && FPosition >= 0 ? FPosition : (delta > 0 ? -1 : 0);
    const int to = ((from + delta) % count + count) % count;
    if (listed)
        PlayChannel(to);
    else
        PlayBuiltIn(items[to], to);
    // Full screen there is no caption to read the channel from.
    const QString name = listed ? ChannelAt(*list, to)->name : items[to]->text();
    if (WMP->IsFullScreen())
        WMP->ShowOnScreen(u"%1  %2/%3"_s.arg(name).arg(to + 1).arg(count));
}

void TMainFrm::OpenPlaylist(const QString& fileOrAddress) {
    FPlaylist->Open(fileOrAddress);
}

void TMainFrm::dragEnterEvent(QDragEnterEvent* event) {
    if (!TPlaylistPart::DropLocation(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TMainFrm::dropEvent(QDropEvent* event) {
    const QString location = TPlaylistPart::DropLocation(event->mimeData());
    if (location.isEmpty())
        return;
    event->acceptProposedAction();
    OpenPlaylist(location);
}
