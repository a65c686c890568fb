#pragma once

#include "tv/channeltable.h"

#include <QString>
#include <QWidget>

#include <random>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class TCatchupPlay;
class TChannelBrowser;
class TChannelMenu;
class TMakerHeader;
class TListGuide;
class TMediaPlayer;
class TOpenChannelList;
struct TProgramme;

// The window's caption as designed, saved at creation; every channel's caption is
// built on it, so the channel names never pile up.
extern QString BaseCaption;

class TMainFrm : public QWidget {
    Q_OBJECT
public:
    explicit TMainFrm(QWidget* parent = nullptr);

    QToolButton* StarSB;
    TMediaPlayer* WMP;
    QPlainTextEdit* Memo1;
    QMenu* StartPopupMenu;
    // Between the maker header and the picture: the list open and what is on.
    QLabel* ListStatusLbl;

    void StarSBClick();
    // Plays the channel that the chosen menu item carries; every channel item is routed
    // here, the built-in table's and the channel list's.
    void N4Click(QAction* item);

    // Opens a channel list the user brings, from a file or an http(s) address; the
    // open dialog, a drop and the command line all come here.
    void OpenPlaylist(const QString& fileOrAddress);
    // Plays the channel at this position of the list open, in menu order across its groups.
    void PlayChannel(int position);
    // Plays the channel delta places on from the one playing, in the order of the list
    // it came from (the built-in table's shown items, or the channel list across its
    // groups), round from either end. PgUp and PgDn come here.
    void StepChannel(int delta);
    // Opens the channel window with the focus in its filter; Ctrl+F comes here.
    void Search();
    // Plays the programme, ended or on air, from the channel's archive, and says which in
    // the caption and the status line; "回到直播" (End) and a channel step play live again.
    void PlayArchive(const TChannelRef& channel, const TProgramme& programme) {
        Play(channel, &programme);
    }
    // "从头播放" (Home): the programme on air on the channel playing, from its start.
    void PlayFromStart();
    // The one line of the status over the picture; empty hides it.
    void ShowListStatus(const QString& text);

    TMakerHeader* Header() const { return FHeader; }
    TOpenChannelList* OpenList() const { return FOpenList; }
    TListGuide* Guide() const { return FGuide; }
    TChannelMenu* Menu() const { return FMenu; }
    TChannelBrowser* Browser() const { return FBrowser; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateChannelMenu();
    void FormCreate();
    // Plays the channel, or the programme from its archive, and names it in the caption;
    // null when the source has no such channel, or the programme no archive.
    const TPlaylistChannel* Play(const TChannelRef& channel, const TProgramme* programme = nullptr);

    // The program's one pseudo-random generator; the maker header's button re-seeds it.
    std::mt19937 FRandom;
    TMakerHeader* FHeader = nullptr;
    TOpenChannelList* FOpenList = nullptr;
    TListGuide* FGuide = nullptr;
    TChannelMenu* FMenu = nullptr;
    TChannelBrowser* FBrowser = nullptr;
    TCatchupPlay* FCatchup = nullptr;
    TChannelSource FBuiltIn = BuiltInChannels();
    TChannelRef FPlaying; // none before the first channel
};
