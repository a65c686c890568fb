#include "tv/channellistmodel.h"

#include "tv/playlist.h"

using namespace Qt::Literals::StringLiterals;

void TChannelListModel::SetPlaylist(const std::shared_ptr<const TPlaylist>& list) {
    beginResetModel();
    FList = list;
    FRows.clear();
    for (qsizetype g = 0; FList && g < FList->groups.size(); ++g) {
        const TPlaylistGroup& group = FList->groups[g];
        for (qsizetype c = 0; c < group.channels.size(); ++c)
            FRows.push_back({int(g), int(c), Fold(group.channels[c].name + u'\n' + group.name)});
    }
    endResetModel();
}

QString TChannelListModel::Fold(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

int TChannelListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FRows.size());
}

QVariant TChannelListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= FRows.size())
        return {};
    const TRow& row = FRows[index.row()];
    const TPlaylistGroup& group = FList->groups[row.group];
    switch (role) {
    case Qt::DisplayRole:
        return group.channels[row.channel].name + u"　— "_s + group.name;
    case Qt::ToolTipRole:
        return group.channels[row.channel].addresses.first().url;
    case PositionRole:
        return index.row();
    default:
        return {};
    }
}

TChannelFilter::TChannelFilter(TChannelListModel* channels) : FChannels(channels) {
    setSourceModel(channels);
}

void TChannelFilter::SetText(const QString& text) {
    FNeedle = TChannelListModel::Fold(text.trimmed());
    invalidateFilter();
}

bool TChannelFilter::filterAcceptsRow(int row, const QModelIndex&) const {
    return FChannels->Folded(row).contains(FNeedle);
}
