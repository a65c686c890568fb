#pragma once

#include <QAbstractListModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <vector>

struct TPlaylist;

// Every channel of a list as one row, for the search window: the name with its group,
// and the first address as the row's hint.
class TChannelListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum TRole { GroupRole = Qt::UserRole, ChannelRole };

    using QAbstractListModel::QAbstractListModel;

    // The list must stay alive until it is replaced; nullptr is no list.
    void SetPlaylist(const TPlaylist* list);
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
    const TPlaylist* FList = nullptr;
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
