// How the window's channel parts are made and joined: the menu, the list open and its
// guide, the channel window, catch-up, and the keys that step through channels.

#include "tv/main.h"

#include "tv/archivecontrols.h"
#include "tv/catchupplay.h"
#include "tv/channelbrowser.h"
#include "tv/channelmenu.h"
#include "tv/listguide.h"
#include "tv/mediaplayer.h"
#include "tv/openchannellist.h"
#include "tv/openplaylistfrm.h"
#include "tv/recorder.h"

#include <QMenu>
#include <QShortcut>

using namespace Qt::Literals::StringLiterals;

void TMainFrm::CreateChannelMenu() {
    StartPopupMenu = new QMenu(this);
    StartPopupMenu->setObjectName(u"StartPopupMenu"_s);
    FCatchup = new TCatchupPlay(*this);
    FBrowser = new TChannelBrowser(this, FBuiltIn);
    FMenu = new TChannelMenu(StartPopupMenu, FBuiltIn, FBrowser->Catalog());
    FOpenList = new TOpenChannelList(this);
    FBrowser->Follow(FOpenList, FMenu);
    connect(FBrowser, &TChannelBrowser::playChosen, this,
            [this](const TChannelRef& channel) { Play(channel); });
    connect(FBrowser, &TChannelBrowser::archiveChosen, this, &TMainFrm::PlayArchive);
    connect(FOpenList, &TOpenChannelList::statusChanged, this, &TMainFrm::ShowListStatus);
    FGuide = new TListGuide(FOpenList);
    connect(FGuide, &TListGuide::statusChanged, FCatchup, &TCatchupPlay::GuideSaid);
    connect(FGuide, &TListGuide::guideChanged, FBrowser, &TChannelBrowser::SetGuide);
    connect(FMenu, &TChannelMenu::guideChosen, this, [this] {
        if (FOpenList->List())
            FGuide->SetGuideLocation(TOpenPlaylistFrm::Ask(this, TOpenPlaylistFrm::TAsked::Guide));
    });
    connect(FMenu, &TChannelMenu::channelChosen, this, &TMainFrm::N4Click);
    connect(FMenu, &TChannelMenu::openChosen, this,
            [this] { OpenPlaylist(TOpenPlaylistFrm::Ask(this)); });
    connect(FMenu, &TChannelMenu::windowChosen, this, &TMainFrm::Search);
    connect(FMenu, &TChannelMenu::removeChosen, FOpenList, &TOpenChannelList::Remove);
    // In the window; full screen the player is a window of its own and says so itself.
    for (const auto& [key, delta] : {std::pair{Qt::Key_PageUp, -1}, {Qt::Key_PageDown, 1}})
        connect(new QShortcut(key, this), &QShortcut::activated, this,
                [this, delta] { StepChannel(delta); });
    connect(WMP, &TMediaPlayer::stepRequested, this, &TMainFrm::StepChannel);
    connect(WMP->Recorder(), &TRecorder::said, this, &TMainFrm::ShowListStatus);
    connect(WMP->ArchiveControls(), &TArchiveControls::liveRequested, this, [this] {
        if (FCatchup->Playing())
            Play(FPlaying);
    });
    connect(WMP->ArchiveControls(), &TArchiveControls::fromStartRequested, this,
            &TMainFrm::PlayFromStart);
    connect(new QShortcut(TChannelMenu::WindowKey, this), &QShortcut::activated, this,
            &TMainFrm::Search);
    setAcceptDrops(true);
}
