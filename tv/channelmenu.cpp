#include "tv/playlistmenu.h"

#include "tv/playlist.h"

#include <QAction>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

namespace {

// The menu's hot keys are manual: an ampersand in a name is the name's own.
QString MenuText(QString name) {
    return name.replace(u'&', u"&&"_s);
}

} // namespace

TPlaylistMenu::TPlaylistMenu(QMenu* menu) : QObject(menu), FMenu(menu) {
    FSeparator = new QAction(FMenu);
    FSeparator->setSeparator(true);
    FCommandsSeparator = new QAction(FMenu);
    FCommandsSeparator->setSeparator(true);
    FSearch = Command(u"PlaylistSearch"_s, u"查找频道…"_s, &TPlaylistMenu::searchChosen);
    FSearch->setShortcut(SearchKey);
    FOpen = Command(u"PlaylistOpen"_s, u"打开频道列表…"_s, &TPlaylistMenu::openChosen);
    FRemove = Command(u"PlaylistRemove"_s, u"移除频道列表"_s, &TPlaylistMenu::removeChosen);
    connect(FMenu, &QMenu::aboutToShow, this, &TPlaylistMenu::Attach);
    // Later, so that an item chosen from the part is still in the menu as it fires.
    connect(FMenu, &QMenu::aboutToHide, this, &TPlaylistMenu::Detach, Qt::QueuedConnection);
}

QAction* TPlaylistMenu::Command(const QString& name, const QString& text,
                                void (TPlaylistMenu::*chosen)()) {
    auto* action = new QAction(text, FMenu);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, chosen, Qt::QueuedConnection);
    return action;
}

void TPlaylistMenu::SetPlaylist(const TPlaylist* list) {
    const bool attached = FAttached;
    Remove();
    // A group may be on screen while a list arrives from the network.
    for (QMenu* group : std::exchange(FGroups, {}))
        group->deleteLater();
    FList = list;
    for (qsizetype i = 0; FList && i < FList->groups.size(); ++i) {
        auto* group = new QMenu(MenuText(FList->groups[i].name), FMenu);
        connect(group, &QMenu::aboutToShow, this, [this, group, i] {
            if (FGroups.value(i) == group)
                Fill(int(i));
        });
        FGroups.append(group);
    }
    if (attached)
        Attach();
}

QList<QAction*> TPlaylistMenu::Part() const {
    QList<QAction*> part{FSeparator};
    if (FList) {
        for (QMenu* group : FGroups)
            part.append(group->menuAction());
        part << FCommandsSeparator << FSearch;
    }
    part << FOpen;
    if (FList)
        part << FRemove;
    return part;
}

void TPlaylistMenu::Attach() {
    if (FAttached)
        return;
    FMenu->addActions(Part());
    FAttached = true;
}

void TPlaylistMenu::Detach() {
    if (!FMenu->isVisible())
        Remove();
}

void TPlaylistMenu::Remove() {
    if (!FAttached)
        return;
    for (QAction* action : Part())
        FMenu->removeAction(action);
    FAttached = false;
}

void TPlaylistMenu::Fill(int group) {
    QMenu* menu = FGroups[group];
    if (!menu->isEmpty())
        return;
    const QList<TPlaylistChannel>& channels = FList->groups[group].channels;
    for (qsizetype i = 0; i < channels.size(); ++i) {
        auto* item = new QAction(MenuText(channels[i].name), menu);
        item->setToolTip(channels[i].addresses.first().url);
        item->setStatusTip(item->toolTip());
        connect(
            item, &QAction::triggered, this,
            [this, group, i] { emit channelChosen(group, int(i)); }, Qt::QueuedConnection);
        menu->addAction(item);
    }
}
