#pragma once

#include "tv/playlist.h"

#include <QObject>
#include <QString>

#include <memory>

class TPlaylistLoader;

// The channel list the user has open: it is opened from a file or an address, opened
// again at the next start, and said in one line of the window's status. Until a list is
// opened nothing is written anywhere.
class TOpenChannelList : public QObject {
    Q_OBJECT
public:
    explicit TOpenChannelList(QObject* parent);

    // Where the settings keep the location of the list opened last.
    static inline const QString LocationKey = QStringLiteral("Playlist/Location");

    // Every failure is one message box, or only a line of the status when quiet; the
    // list opened before stays. Nothing opens nothing.
    void Open(const QString& fileOrAddress, bool quiet = false);
    // Opens the list opened last time, if any, quietly.
    void Restore();
    void Remove();

    // Null while no list is open. A list read is never changed, and lives as long as
    // anything that shows it holds it.
    const std::shared_ptr<const TPlaylist>& List() const { return FList; }
    // Where the list open came from; empty while none is open.
    const QString& Location() const { return FLocation; }
    // What the status line says of the list open.
    const QString& Status() const { return FListStatus; }

    // The programme guide the user set for the list open, remembered beside its location;
    // empty: the guides the list itself names.
    QString GuideLocation() const;
    void SetGuideLocation(const QString& guide);

signals:
    // A list was read in place of the one before, or removed (null).
    void changed(const std::shared_ptr<const TPlaylist>& list);
    // What the window's status line says of the list; empty: nothing.
    void statusChanged(const QString& text);

private:
    void Loaded(const QString& location, const TPlaylist& list);
    void Failed(const QString& location, const QString& reason);

    TPlaylistLoader* FLoader;
    std::shared_ptr<const TPlaylist> FList;
    QString FLocation;
    QString FListStatus; // what the status line says of the list open
    bool FQuiet = false;
};
