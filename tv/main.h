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
struct TStreamAddress;

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
    // Plays the channel at this position of that list, in menu order across its groups,
    // as a built-in channel is played.
    void PlayChannel(int position);
    // Plays the channel delta places on from the one playing, in the order of the list
    // it came from (the built-in table's shown items, or the channel list across its
    // groups), round from either end. PgUp and PgDn come here.
    void StepChannel(int delta);

    TMakerHeader* Header() const { return FHeader; }
    TPlaylistPart* Playlist() const { return FPlaylist; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateChannelMenu();
    void CreatePlaylistPart();
    void FormCreate();
    void PlayBuiltIn(QAction* item, int position);
    void Play(const QString& caption, const QList<TStreamAddress>& addresses);
    // The built-in table's channel items that the menu shows, in its order.
    QList<QAction*> BuiltInItems() const;

    // The program's one pseudo-random generator; the maker header's button re-seeds it.
    std::mt19937 FRandom;
    TMakerHeader* FHeader = nullptr;
    TPlaylistPart* FPlaylist = nullptr;
    // Where the channel playing came from, and its position in that list's order.
    enum class TSource { None, BuiltIn, Playlist };
    TSource FSource = TSource::None;
    int FPosition = -1;
};
