#pragma once

#include "tv/playlist.h"

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>

#include <memory>
#include <vector>

class TChannelStore;
struct TChannelKey;

// The two lists a channel comes from: the built-in table and the one the user opened.
enum class TChannelOrigin { BuiltIn, List };

// A channel by its place: its list, and its position there in ChannelAt order.
struct TChannelPlace {
    TChannelOrigin origin = TChannelOrigin::List;
    int position = -1;
    bool operator==(const TChannelPlace&) const = default;
};

Q_DECLARE_METATYPE(TChannelPlace)

// One entry of the window's groups and of the menu's.
struct TGroupRef {
    enum class TKind { Favourites, Recent, List, BuiltIn };
    TKind kind = TKind::Favourites;
    int index = 0; // the group's place in its list, for List and BuiltIn
    bool operator==(const TGroupRef&) const = default;
};

Q_DECLARE_METATYPE(TGroupRef)

// Every channel within reach, by group: the favourites and the recent channels first,
// then the open list's groups that are not hidden, then the built-in categories. The
// rules of what each group holds, what a filter finds and what may be hidden live here.
class TChannelCatalog {
public:
    // Where the built-in table's choices are kept, as a list's are kept by its location.
    static inline const QString BuiltInLocation = QStringLiteral("viewdial:built-in");

    explicit TChannelCatalog(TChannelStore& store);

    // The positions hidden are the table's items that the menu does not show.
    void SetBuiltIn(std::shared_ptr<const TPlaylist> table, const QList<int>& hidden);
    // Null is no list.
    void SetList(std::shared_ptr<const TPlaylist> list, const QString& location);
    const std::shared_ptr<const TPlaylist>& List() const { return FList.list; }
    const QString& ListLocation() const { return FList.location; }
    TChannelStore& Store() const { return FStore; }

    QList<TGroupRef> Groups() const;
    QString GroupName(const TGroupRef& group) const;
    // Only a list's own groups; the built-in categories are the design's.
    bool CanHide(const TGroupRef& group) const { return group.kind == TGroupRef::TKind::List; }
    void Hide(const TGroupRef& group);

    // In list order; the recent channels newest first.
    std::vector<TChannelPlace> Channels(const TGroupRef& group) const;
    // Channels of the shown groups whose name or group holds the text; case and
    // character width do not count, so "ｃｃｔｖ" finds "CCTV".
    std::vector<TChannelPlace> Find(const QString& text) const;

    // Null once its list is gone.
    const TPlaylistChannel* Channel(const TChannelPlace& channel) const;
    QString GroupOf(const TChannelPlace& channel) const;
    TChannelKey Key(const TChannelPlace& channel) const;
    bool IsFavourite(const TChannelPlace& channel) const;
    void SetFavourite(const TChannelPlace& channel, bool favourite);

    static QString Fold(const QString& text);

private:
    struct TSource {
        std::shared_ptr<const TPlaylist> list;
        QString location;
        std::vector<int> starts;     // first position of each group
        std::vector<QString> folded; // per position: name and group, folded
        QHash<QString, int> byId;    // first position of each key's id
        QList<int> hidden;           // positions never shown
    };
    void Index(TSource& source, std::shared_ptr<const TPlaylist> list, const QString& location,
               const QList<int>& hidden);
    const TSource& Of(TChannelOrigin source) const;
    int GroupAt(const TSource& source, int position) const;
    bool Shown(const TSource& source, int group) const;
    void Collect(TChannelOrigin from, std::vector<TChannelPlace>& into, auto&& keep) const;

    TChannelStore& FStore;
    TSource FBuiltIn;
    TSource FList;
};
