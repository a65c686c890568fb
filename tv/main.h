#pragma once

#include <QString>
#include <QWidget>

#include <random>

class QAction;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class TMakerHeader;
class TMediaPlayer;
class TPlaylistPart;
struct TPlaylistChannel;
struct TRequestHeaders;

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

    void StarSBClick();
    // Plays the channel of the chosen menu item; every channel item is routed here.
    void N4Click(QAction* item);

    // Opens a channel list the user brings, from a file or an http(s) address; the
    // open dialog, a drop and the command line all come here.
    void OpenPlaylist(const QString& fileOrAddress);
    // Plays a channel of that list as a built-in channel is played.
    void PlayChannel(const TPlaylistChannel& channel);

    TMakerHeader* Header() const { return FHeader; }
    TPlaylistPart* Playlist() const { return FPlaylist; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateChannelMenu();
    void CreatePlaylistPart();
    void FormCreate();
    void Play(const QString& caption, const QString& address, const TRequestHeaders& headers);

    // The program's one pseudo-random generator; the maker header's button re-seeds it.
    std::mt19937 FRandom;
    TMakerHeader* FHeader = nullptr;
    TPlaylistPart* FPlaylist = nullptr;
};
