#include "tv/channelmenu.h"

#include "tv/channeltable.h"

#include <QAction>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

namespace {

// The menu's hot keys are manual: an ampersand in a name is the name's own.
QString MenuText(QString name) {
    return name.replace(u'&', u"&&"_s);
}

} // namespace

TChannelMenu::TChannelMenu(QMenu* menu, const TChannelSource& builtIn)
    : QObject(menu), FMenu(menu) {
    int position = 0;
    for (const TChannelCategory& category : ChannelTable()) {
        QMenu* sub = FMenu->addMenu(category.caption.toString());
        sub->setObjectName(category.name.toString());
        sub->menuAction()->setObjectName(category.name.toString());
        for (const TChannel& channel : category.channels) {
            QAction* item = Item(sub, channel.caption.toString(), channel.address.toString(),
                                 {builtIn, position++});
            item->setObjectName(channel.name.toString());
            item->setVisible(channel.shown);
        }
    }
    FMenu->addSeparator();
    FCommandsSeparator = FMenu->addSeparator();
    FSearch = Command(u"PlaylistSearch"_s, u"查找频道…"_s, &TChannelMenu::searchChosen);
    FSearch->setShortcut(SearchKey);
    Command(u"PlaylistOpen"_s, u"打开频道列表…"_s, &TChannelMenu::openChosen);
    FRemove = Command(u"PlaylistRemove"_s, u"移除频道列表"_s, &TChannelMenu::removeChosen);
    SetPlaylist(nullptr);
}

QAction* TChannelMenu::Command(const QString& name, const QString& text,
                               void (TChannelMenu::*chosen)()) {
    QAction* action = FMenu->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, chosen, Qt::QueuedConnection);
    return action;
}

void TChannelMenu::SetPlaylist(const std::shared_ptr<const TPlaylist>& list) {
    // A group may be on screen while a list arrives from the network.
    for (QMenu* group : std::exchange(FGroups, {})) {
        FMenu->removeAction(group->menuAction());
        group->deleteLater();
    }
    FList = list;
    for (int i = 0, first = 0; FList && i < FList->groups.size(); ++i) {
        auto* group = new QMenu(MenuText(FList->groups[i].name), FMenu);
        connect(group, &QMenu::aboutToShow, this, [this, group, i, first] {
            if (FGroups.value(i) == group)
                Fill(i, first);
        });
        FMenu->insertAction(FCommandsSeparator, group->menuAction());
        FGroups.append(group);
        first += int(FList->groups[i].channels.size());
    }
    for (QAction* command : {FCommandsSeparator, FSearch, FRemove})
        command->setVisible(FList != nullptr);
}

void TChannelMenu::Fill(int group, int first) {
    QMenu* menu = FGroups[group];
    if (!menu->isEmpty())
        return;
    const QList<TPlaylistChannel>& channels = FList->groups[group].channels;
    for (qsizetype i = 0; i < channels.size(); ++i)
        Item(menu, MenuText(channels[i].name), channels[i].addresses.first().url,
             {{FList, {}}, first + int(i)});
}

QAction* TChannelMenu::Item(QMenu* menu, const QString& text, const QString& address,
                            const TChannelRef& channel) {
    QAction* item = menu->addAction(text);
    item->setToolTip(address);
    item->setStatusTip(address);
    item->setData(QVariant::fromValue(channel));
    connect(
        item, &QAction::triggered, item, [this, item] { emit channelChosen(item); },
        Qt::QueuedConnection);
    return item;
}
