#include "tv/main.h"

#include "common/appshell.h"
#include "common/pixelfont.h"
#include "header/makerheader.h"
#include "tv/catchupplay.h"
#include "tv/channelbrowser.h"
#include "tv/channelmenu.h"
#include "tv/listguide.h"
#include "tv/mediaplayer.h"
#include "tv/openchannellist.h"
#include "tv/playlistloader.h"

#include <QCursor>
#include <QDropEvent>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
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

    // Where the design leaves the window empty.
    ListStatusLbl = new QLabel(this);
    ListStatusLbl->setObjectName(u"ListStatusLbl"_s);
    ListStatusLbl->setGeometry(150, 44, 300, 22);
    ListStatusLbl->hide();

    CreateChannelMenu();
    FormCreate();
    FOpenList->Restore();
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
    Play(item->data().value<TChannelRef>());
}

void TMainFrm::PlayChannel(int position) {
    Play({{FOpenList->List(), {}}, position});
}

const TPlaylistChannel* TMainFrm::Play(const TChannelRef& ref, const TProgramme* programme) {
    const TPlaylistChannel* channel =
        ref.source.list ? ChannelAt(*ref.source.list, ref.position) : nullptr;
    const QList<TStreamAddress> addresses =
        !channel    ? QList<TStreamAddress>()
        : programme ? FCatchup->Archive(*channel, *programme, QDateTime::currentDateTimeUtc())
                    : FCatchup->Live(*channel);
    if (addresses.isEmpty())
        return nullptr;
    if (!Memo1->isHidden()) {
        Memo1->hide();
        WMP->show();
    }
    WMP->PlayChannel(addresses, channel->name);
    setWindowTitle(FCatchup->Caption(channel->name) + u" - "_s + BaseCaption);
    FPlaying = ref;
    FBrowser->Played(ref);
    FGuide->Playing(ref.source.list, ref.position);
    return channel;
}

void TMainFrm::PlayFromStart() {
    const std::shared_ptr<const TGuide>& guide = FGuide->Guide();
    if (guide && FPlaying.source.list == FOpenList->List())
        if (const TProgramme* onAir =
                guide->OnAir(FPlaying.position, QDateTime::currentDateTimeUtc()))
            PlayArchive(FPlaying, TProgramme(*onAir));
}

void TMainFrm::StepChannel(int delta) {
    // The step stays in the list the channel playing came from while that list is open;
    // before any channel, and once its list is gone, it starts on the list open.
    const std::shared_ptr<const TPlaylist>& open = FOpenList->List();
    const bool stays =
        FPlaying.source.list == FBuiltIn.list || (open && FPlaying.source.list == open);
    const TChannelSource source = stays  ? FPlaying.source
                                  : open ? TChannelSource{open, {}}
                                         : FBuiltIn;
    const std::optional<TChannelStep> step = Step(source, stays ? FPlaying.position : -1, delta);
    if (!step)
        return;
    const TPlaylistChannel* channel = Play({source, step->position});
    // Full screen there is no caption to read the channel from.
    if (WMP->IsFullScreen())
        WMP->ShowOnScreen(u"%1  %2/%3\n%4"_s.arg(channel->name)
                              .arg(step->place + 1)
                              .arg(step->count)
                              .arg(FGuide->OnAir())
                              .trimmed());
}

void TMainFrm::OpenPlaylist(const QString& fileOrAddress) {
    FOpenList->Open(fileOrAddress);
}

void TMainFrm::Search() {
    FBrowser->ShowFilter();
}

void TMainFrm::ShowListStatus(const QString& text) {
    ListStatusLbl->setText(text);
    ListStatusLbl->setVisible(!text.isEmpty());
}

void TMainFrm::dragEnterEvent(QDragEnterEvent* event) {
    if (!TPlaylistLoader::DropLocation(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

// Only what dragEnterEvent accepted is dropped.
void TMainFrm::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    OpenPlaylist(TPlaylistLoader::DropLocation(event->mimeData()));
}
