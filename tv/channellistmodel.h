#pragma once

#include <QAbstractListModel>
#include <QSortFilterProxyModel>
#include <QString>

#include <memory>
#include <vector>

struct TPlaylist;

// Every channel of a list as one row, in menu order, for the search window: the name
// with its group, and the first address as the row's hint.
class TChannelListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The row's channel in the list's menu order, across its groups.
    enum TRole { PositionRole = Qt::UserRole };

    using QAbstractListModel::QAbstractListModel;

    // Null is no list.
    void SetPlaylist(const std::shared_ptr<const TPlaylist>& list);
    // Name and group as the filter compares them.
    const QString& Folded(int row) const { return FRows[row].folded; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Case and character width do not count: "ｃｃｔｖ" finds "CCTV".
    static QString Fold(const QString& text);

private:
    struct TRow {
        int group;
        int channel;
        QString folded;
    };
    std::shared_ptr<const TPlaylist> FList;
    std::vector<TRow> FRows;
};

// Keeps the rows whose name or group holds the text typed.
class TChannelFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TChannelFilter(TChannelListModel* channels);
    void SetText(const QString& text);

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    TChannelListModel* FChannels;
    QString FNeedle;
};
