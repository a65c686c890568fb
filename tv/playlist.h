#pragma once

#include "tv/streamaddress.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <optional>

// A channel list the user brings, as read from its bytes: the extended and the plain
// M3U playlist, and the plain-text lists of "name,address" lines under "group,#genre#"
// lines. Only network addresses become channels; everything else is counted and left.

// How a channel's past programmes are reached, as its list writes it; the first entry
// of a channel gives it, the list's header the defaults.
struct TCatchupRule {
    QString type;   // "default", "append", "shift", "flussonic", "xc"...; empty: none
    QString source; // the template of the archive address or of what is appended
    int days = 0;   // how far back the archive reaches; 0 when the list does not say
};

struct TPlaylistChannel {
    QString name;
    QList<TStreamAddress> addresses; // never empty, in the order of the file
    QString tvgId;                   // the guide's channel id, as written
    QString tvgName;                 // the guide's channel name, as written
    QString logo;                    // the logo's address, as written
    std::optional<double> tvgShift;  // hours the guide's times move later, if the entry says
    TCatchupRule catchup;
};

struct TPlaylistGroup {
    QString name;
    QList<TPlaylistChannel> channels;
};

struct TPlaylist {
    QList<TPlaylistGroup> groups; // in the order first seen; the ungrouped ones last
    int skipped = 0;              // addresses refused
    QStringList guideAddresses;   // the header's programme guides, in order
    double tvgShift = 0;          // the header's shift of the guide's times, in hours
};

// The group of the entries that name none.
inline constexpr QStringView UngroupedName = u"未分组";

// Relative addresses are resolved against location, which is also the one channel of
// a file that is itself a stream's playlist.
TPlaylist ReadPlaylist(QByteArrayView bytes, const QUrl& location);

// Whether the text is an address the player may be given from a list: one absolute
// network address of an accepted scheme, no control characters, at most 8 KiB.
bool IsChannelAddress(QStringView address);

// The channels of a list in menu order, across its groups: how many, and the one at a
// position of that order (null past the end).
int ChannelCount(const TPlaylist& list);
const TPlaylistChannel* ChannelAt(const TPlaylist& list, int position);
