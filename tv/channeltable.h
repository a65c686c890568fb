#pragma once

#include "tv/channelsource.h"

#include <QStringView>

#include <span>

// The built-in channel table: the design of the window's channel menu. Each channel's
// stream address lives here and nowhere else; the menu item carries it as its hint.

struct TChannel {
    QStringView name; // object name of the menu item
    QStringView caption;
    bool shown;
    QStringView address;
};

struct TChannelCategory {
    QStringView name;
    QStringView caption;
    std::span<const TChannel> channels;
};

std::span<const TChannelCategory> ChannelTable();

// The table as a list to play from: its categories are the groups and its captions the
// names, each address kept as written, the items not shown hidden.
TChannelSource BuiltInChannels();
