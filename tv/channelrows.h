#pragma once

#include "tv/channelcatalog.h"
#include "tv/guide.h"
#include "tv/scheduleday.h"

#include <QAbstractListModel>
#include <QDateTime>

#include <functional>
#include <optional>
#include <vector>

// The channels of one group, or of what a filter found, one model row each: the name,
// the logo's address, what is on with how far it has got, what comes next, whether it
// is a favourite and whether it plays. Rows are made only as they are painted, so ten
// thousand channels cost one small entry each.
class TChannelRows : public QAbstractListModel {
    Q_OBJECT
public:
    enum TRole {
        LogoRole = Qt::UserRole,
        NowRole,
        ProgressRole, // double, 0 to 1; negative when nothing is on
        NextRole,
        FavouriteRole,
        PlayingRole,
        GroupRole
    };

    explicit TChannelRows(const TChannelCatalog& catalog, QObject* parent = nullptr);

    void SetRows(std::vector<TChannelPlace> rows);
    // The programmes of the open list's channel at a position, sorted by start; empty
    // where its guide has none, or there is no guide.
    using TSchedules = std::function<QList<TProgramme>(int position)>;
    void SetSchedules(TSchedules schedules);
    QList<TProgramme> Schedule(const TChannelPlace& channel) const;
    void SetPlaying(std::optional<TChannelPlace> playing);
    // The time the programmes are shown at; the window moves it on.
    void SetNow(const QDateTime& now);
    // A favourite was kept or dropped.
    void Refresh(int row);

    const TChannelPlace& Ref(int row) const { return FRows[size_t(row)]; }
    // The row of a channel, or -1.
    int RowOf(const TChannelPlace& channel) const;
    const QDateTime& Now() const { return FNow; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void ChangedAll(const QList<int>& roles);
    const TNowNext& NowNextOf(int row) const;

    const TChannelCatalog& FCatalog;
    std::vector<TChannelPlace> FRows;
    TSchedules FSchedules;
    std::optional<TChannelPlace> FPlaying;
    QDateTime FNow;
    // What is on per row, worked out as the row is first painted.
    mutable std::vector<std::optional<TNowNext>> FNowNext;
};
