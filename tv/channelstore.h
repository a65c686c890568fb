#pragma once

#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>

#include <QSettings>
struct TPlaylistChannel;

// A channel as the user's choices keep it: the list it came from, and its guide id or,
// where it has none, its name. Refreshing a list keeps both, so the choices survive it.
struct TChannelKey {
    QString location;
    QString id;
    bool operator==(const TChannelKey&) const = default;
};

TChannelKey KeyOf(const QString& location, const TPlaylistChannel& channel);

// The user's favourites, the channels recently watched and the groups hidden, kept with
// the program's settings. Nothing is written until the user has opened a list, kept a
// favourite or hidden a group; until then the channels watched are kept for the run.
class TChannelStore {
public:
    using TSettings = std::function<std::unique_ptr<QSettings>()>;
    static constexpr int RecentKept = 20;

    // The program's own settings, as the list's location is kept.
    static std::unique_ptr<QSettings> ProgramSettings();
    explicit TChannelStore(TSettings settings = ProgramSettings);

    // From now on what changes is written; opening a list comes here.
    void Keep();

    bool IsFavourite(const TChannelKey& channel) const;
    void SetFavourite(const TChannelKey& channel, bool favourite);

    // Newest first, each channel once.
    const QList<TChannelKey>& Recent() const { return FRecent; }
    void Played(const TChannelKey& channel);

    bool IsHidden(const QString& location, const QString& group) const;
    void Hide(const QString& location, const QString& group);
    void ShowAll(const QString& location);
    bool HidesAny(const QString& location) const;

private:
    void Write() const;

    TSettings FSettings;
    bool FKeeping = false;
    QSet<QString> FFavourites; // location and id, joined
    QList<TChannelKey> FRecent;
    QSet<QString> FHidden; // location and group, joined
};
