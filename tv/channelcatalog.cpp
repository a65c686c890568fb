#include "tv/channelcatalog.h"

#include "tv/channelstore.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

TChannelCatalog::TChannelCatalog(TChannelStore& store) : FStore(store) {}

QString TChannelCatalog::Fold(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

void TChannelCatalog::Index(TSource& source, std::shared_ptr<const TPlaylist> list,
                            const QString& location, const QList<int>& hidden) {
    source = {};
    source.list = std::move(list);
    source.location = location;
    source.hidden = hidden;
    if (!source.list)
        return;
    int position = 0;
    for (const TPlaylistGroup& group : source.list->groups) {
        source.starts.push_back(position);
        const QString folded = u'\n' + Fold(group.name);
        for (const TPlaylistChannel& channel : group.channels) {
            source.folded.push_back(Fold(channel.name) + folded);
            const QString id = KeyOf(location, channel).id;
            if (!source.byId.contains(id))
                source.byId.insert(id, position);
            ++position;
        }
    }
}

void TChannelCatalog::SetBuiltIn(std::shared_ptr<const TPlaylist> table, const QList<int>& hidden) {
    Index(FBuiltIn, std::move(table), BuiltInLocation, hidden);
}

void TChannelCatalog::SetList(std::shared_ptr<const TPlaylist> list, const QString& location) {
    Index(FList, std::move(list), location, {});
}

const TChannelCatalog::TSource& TChannelCatalog::Of(TChannelOrigin source) const {
    return source == TChannelOrigin::BuiltIn ? FBuiltIn : FList;
}

int TChannelCatalog::GroupAt(const TSource& source, int position) const {
    const auto after = std::upper_bound(source.starts.begin(), source.starts.end(), position);
    return int(after - source.starts.begin()) - 1;
}

bool TChannelCatalog::Shown(const TSource& source, int group) const {
    return &source == &FBuiltIn ||
           !FStore.IsHidden(source.location, source.list->groups[group].name);
}

QList<TGroupRef> TChannelCatalog::Groups() const {
    using enum TGroupRef::TKind;
    QList<TGroupRef> groups{{Favourites, 0}, {Recent, 0}};
    for (int g = 0; FList.list && g < FList.list->groups.size(); ++g)
        if (Shown(FList, g))
            groups.append({List, g});
    for (int g = 0; FBuiltIn.list && g < FBuiltIn.list->groups.size(); ++g)
        groups.append({BuiltIn, g});
    return groups;
}

QString TChannelCatalog::GroupName(const TGroupRef& group) const {
    switch (group.kind) {
    case TGroupRef::TKind::Favourites:
        return u"收藏"_s;
    case TGroupRef::TKind::Recent:
        return u"最近观看"_s;
    case TGroupRef::TKind::List:
        return FList.list->groups.value(group.index).name;
    case TGroupRef::TKind::BuiltIn:
        return FBuiltIn.list->groups.value(group.index).name;
    }
    return {};
}

void TChannelCatalog::Hide(const TGroupRef& group) {
    if (CanHide(group) && FList.list && group.index < FList.list->groups.size())
        FStore.Hide(FList.location, FList.list->groups[group.index].name);
}

void TChannelCatalog::Collect(TChannelOrigin from, std::vector<TChannelPlace>& into,
                              auto&& keep) const {
    const TSource& source = Of(from);
    for (int g = 0; g < int(source.starts.size()); ++g) {
        if (!Shown(source, g))
            continue;
        const int start = source.starts[g];
        const int end = start + int(source.list->groups[g].channels.size());
        for (int position = start; position < end; ++position)
            if (!source.hidden.contains(position) &&
                keep(source, source.list->groups[g].channels[position - start], position))
                into.push_back({from, position});
    }
}

std::vector<TChannelPlace> TChannelCatalog::Channels(const TGroupRef& group) const {
    std::vector<TChannelPlace> channels;
    const auto whole = [&channels](TChannelOrigin from, const TSource& source, int g) {
        if (!source.list || g < 0 || g >= source.list->groups.size())
            return;
        for (int c = 0; c < source.list->groups[g].channels.size(); ++c)
            if (!source.hidden.contains(source.starts[g] + c))
                channels.push_back({from, source.starts[g] + c});
    };
    const auto favourite = [this](const TSource& source, const TPlaylistChannel& channel, int) {
        return FStore.IsFavourite(KeyOf(source.location, channel));
    };
    switch (group.kind) {
    case TGroupRef::TKind::Favourites:
        Collect(TChannelOrigin::List, channels, favourite);
        Collect(TChannelOrigin::BuiltIn, channels, favourite);
        break;
    case TGroupRef::TKind::Recent:
        // Rule: a channel watched from a list that is not open is kept, not shown.
        for (const TChannelKey& key : FStore.Recent())
            for (TChannelOrigin from : {TChannelOrigin::List, TChannelOrigin::BuiltIn})
                if (const TSource& source = Of(from);
                    source.list && key.location == source.location &&
                    source.byId.contains(key.id) &&
                    !source.hidden.contains(source.byId.value(key.id)))
                    channels.push_back({from, source.byId.value(key.id)});
        break;
    case TGroupRef::TKind::List:
        if (FList.list && group.index < FList.list->groups.size() && Shown(FList, group.index))
            whole(TChannelOrigin::List, FList, group.index);
        break;
    case TGroupRef::TKind::BuiltIn:
        whole(TChannelOrigin::BuiltIn, FBuiltIn, group.index);
        break;
    }
    return channels;
}

std::vector<TChannelPlace> TChannelCatalog::Find(const QString& text) const {
    const QString needle = Fold(text.trimmed());
    std::vector<TChannelPlace> found;
    const auto holds = [&needle](const TSource& source, const TPlaylistChannel&, int position) {
        return source.folded[position].contains(needle);
    };
    Collect(TChannelOrigin::List, found, holds);
    Collect(TChannelOrigin::BuiltIn, found, holds);
    return found;
}

const TPlaylistChannel* TChannelCatalog::Channel(const TChannelPlace& channel) const {
    const TSource& source = Of(channel.origin);
    if (!source.list || channel.position < 0 || channel.position >= int(source.folded.size()))
        return nullptr;
    const int group = GroupAt(source, channel.position);
    return &source.list->groups[group].channels[channel.position - source.starts[group]];
}

QString TChannelCatalog::GroupOf(const TChannelPlace& channel) const {
    const TSource& source = Of(channel.origin);
    if (!Channel(channel))
        return {};
    return source.list->groups[GroupAt(source, channel.position)].name;
}

TChannelKey TChannelCatalog::Key(const TChannelPlace& channel) const {
    const TPlaylistChannel* found = Channel(channel);
    return found ? KeyOf(Of(channel.origin).location, *found) : TChannelKey{};
}

bool TChannelCatalog::IsFavourite(const TChannelPlace& channel) const {
    return Channel(channel) && FStore.IsFavourite(Key(channel));
}

void TChannelCatalog::SetFavourite(const TChannelPlace& channel, bool favourite) {
    if (Channel(channel))
        FStore.SetFavourite(Key(channel), favourite);
}
