#pragma once

#include "tv/playlist.h"

#include <QObject>
#include <QString>

class QLabel;
class QMenu;
class QMimeData;
class QWidget;
class TChannelSearchFrm;
class TPlaylistLoader;
class TPlaylistMenu;

// What the window does with the channel list the user brings: opening it, its part of
// the channel menu, its search window, its status line, and remembering where it came
// from. Until a list is opened none of it shows and nothing is written anywhere.
class TPlaylistPart : public QObject {
    Q_OBJECT
public:
    TPlaylistPart(QWidget* window, QMenu* menu);

    // Every failure is one message box; the list opened before stays.
    void Open(const QString& fileOrAddress);
    // Opens the list opened last time, if any; a failure only shows in the status line.
    void Restore();
    void Ask();
    void Search();
    void Remove();

    const TPlaylist* Playlist() const { return FHasList ? &FList : nullptr; }
    TPlaylistMenu* Menu() const { return FMenu; }
    // Null until there is something to say.
    QLabel* StatusLbl() const { return FStatusLbl; }
    TChannelSearchFrm* SearchFrm() const { return FSearchFrm; }

    // The file or address that a drag brings, or nothing if it brings neither.
    static QString DropLocation(const QMimeData* mime);

signals:
    // The channel at this position of the list's menu order, across its groups.
    void playChosen(int position);

private:
    void Start(const QString& fileOrAddress, bool quiet);
    void Loaded(const QString& location, const TPlaylist& list);
    void Failed(const QString& location, const QString& reason);
    void Choose(int group, int channel);
    void ShowStatus(const QString& text);

    QWidget* FWindow;
    TPlaylistLoader* FLoader;
    TPlaylistMenu* FMenu;
    QLabel* FStatusLbl = nullptr;
    TChannelSearchFrm* FSearchFrm = nullptr;
    TPlaylist FList;
    QString FListStatus; // what the status line says of the list open
    bool FHasList = false;
    bool FQuiet = false;
};
