#include "tv/channelrows.h"


TChannelRows::TChannelRows(const TChannelCatalog& catalog, QObject* parent)
    : QAbstractListModel(parent), FCatalog(catalog), FNow(QDateTime::currentDateTimeUtc()) {}

void TChannelRows::SetRows(std::vector<TChannelPlace> rows) {
    beginResetModel();
    FRows = std::move(rows);
    FNowNext.assign(FRows.size(), std::nullopt);
    endResetModel();
}

void TChannelRows::SetSchedules(TSchedules schedules) {
    FSchedules = std::move(schedules);
    ChangedAll({NowRole, ProgressRole, NextRole});
}

// The guide belongs to the open list; the built-in table has none.
QList<TProgramme> TChannelRows::Schedule(const TChannelPlace& channel) const {
    if (!FSchedules || channel.origin != TChannelOrigin::List)
        return {};
    return FSchedules(channel.position);
}

void TChannelRows::SetPlaying(std::optional<TChannelPlace> playing) {
    const std::optional<TChannelPlace> before = std::exchange(FPlaying, playing);
    for (const std::optional<TChannelPlace>& changed : {before, playing})
        if (const int row = changed ? RowOf(*changed) : -1; row >= 0)
            emit dataChanged(index(row), index(row), {PlayingRole});
}

void TChannelRows::SetNow(const QDateTime& now) {
    FNow = now;
    ChangedAll({NowRole, ProgressRole, NextRole});
}

void TChannelRows::Refresh(int row) {
    emit dataChanged(index(row), index(row), {FavouriteRole});
}

void TChannelRows::ChangedAll(const QList<int>& roles) {
    FNowNext.assign(FRows.size(), std::nullopt);
    if (!FRows.empty())
        emit dataChanged(index(0), index(int(FRows.size()) - 1), roles);
}

const TNowNext& TChannelRows::NowNextOf(int row) const {
    std::optional<TNowNext>& kept = FNowNext[size_t(row)];
    if (!kept)
        kept = NowNext(Schedule(FRows[size_t(row)]), FNow);
    return *kept;
}

int TChannelRows::RowOf(const TChannelPlace& channel) const {
    const auto found = std::find(FRows.begin(), FRows.end(), channel);
    return found == FRows.end() ? -1 : int(found - FRows.begin());
}

int TChannelRows::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FRows.size());
}

QVariant TChannelRows::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= FRows.size())
        return {};
    const TChannelPlace& ref = FRows[size_t(index.row())];
    const TPlaylistChannel* channel = FCatalog.Channel(ref);
    if (!channel)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return channel->name;
    case Qt::ToolTipRole:
        return channel->addresses.first().url;
    case LogoRole:
        return channel->logo;
    case NowRole:
        return NowNextOf(index.row()).now;
    case ProgressRole:
        return NowNextOf(index.row()).progress;
    case NextRole:
        return NowNextOf(index.row()).next;
    case FavouriteRole:
        return FCatalog.IsFavourite(ref);
    case PlayingRole:
        return FPlaying == ref;
    case GroupRole:
        return FCatalog.GroupOf(ref);
    default:
        return {};
    }
}
