#pragma once

#include "tv/playlist.h"

#include <QList>
#include <QMetaType>

#include <memory>
#include <optional>

// A list the window plays from, the built-in table or the channel list the user opened,
// with the places of its menu order that the menu does not show.
struct TChannelSource {
    std::shared_ptr<const TPlaylist> list;
    QList<int> hidden;
};

// One channel of a source, as each channel item of the menu carries it.
struct TChannelRef {
    TChannelSource source;
    int position = -1; // in the source's menu order, across its groups
};
Q_DECLARE_METATYPE(TChannelRef)

// Where a step lands: the channel, and its place among the count that a step goes through.
struct TChannelStep {
    int position;
    int place;
    int count;
};

// The channel delta places on from the one at position, round from either end, passing
// over the hidden ones. From a place no step lands on (none yet, or a hidden channel) a
// step forward starts at the first and a step back at the last. None when the source
// has no channel to step to.
std::optional<TChannelStep> Step(const TChannelSource& source, int position, int delta);
