#include "tv/channelmenu.h"

#include "tv/channelcatalog.h"
#include "tv/channeltable.h"

#include <QAction>
#include <QLocale>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

namespace {

// The menu's hot keys are manual: an ampersand in a name is the name's own.
QString MenuText(QString name) {
    return name.replace(u'&', u"&&"_s);
}

} // namespace

TChannelMenu::TChannelMenu(QMenu* menu, const TChannelSource& builtIn,
                           const TChannelCatalog& catalog)
    : QObject(menu), FMenu(menu), FBuiltIn(builtIn), FCatalog(catalog) {
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
    FWindow = Command(u"ChannelWindow"_s, u"频道列表…"_s, &TChannelMenu::windowChosen);
    FWindow->setShortcut(WindowKey);
    Command(u"PlaylistOpen"_s, u"打开频道列表…"_s, &TChannelMenu::openChosen);
    FGuide = Command(u"PlaylistGuide"_s, u"设置节目单地址…"_s, &TChannelMenu::guideChosen);
    FRemove = Command(u"PlaylistRemove"_s, u"移除频道列表"_s, &TChannelMenu::removeChosen);
    Rebuild();
}

QAction* TChannelMenu::Command(const QString& name, const QString& text,
                               void (TChannelMenu::*chosen)()) {
    QAction* action = FMenu->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, chosen, Qt::QueuedConnection);
    return action;
}

// A submenu before the commands, made again each time it opens where what it holds moves.
QMenu* TChannelMenu::Submenu(const QString& title, const TGroupRef& group, bool again) {
    auto* menu = new QMenu(MenuText(title), FMenu);
    connect(menu, &QMenu::aboutToShow, this, [this, menu, group, again] {
        if (again)
            menu->clear();
        if (menu->isEmpty())
            Fill(menu, group);
    });
    FMenu->insertAction(FCommandsSeparator, menu->menuAction());
    return menu;
}

void TChannelMenu::Rebuild() {
    // A group may be on screen while a list arrives from the network.
    QList<QMenu*> old = std::exchange(FGroups, {});
    old << std::exchange(FFavourites, nullptr) << std::exchange(FRecent, nullptr);
    for (QMenu* group : old) {
        if (!group)
            continue;
        FMenu->removeAction(group->menuAction());
        group->deleteLater();
    }
    const bool listed = FCatalog.List() != nullptr;
    if (listed) {
        for (const TGroupRef& group : FCatalog.Groups())
            if (group.kind == TGroupRef::TKind::List)
                FGroups.append(Submenu(FCatalog.GroupName(group), group, false));
        FFavourites = Submenu(u"收藏"_s, {TGroupRef::TKind::Favourites, 0}, true);
        FRecent = Submenu(u"最近观看"_s, {TGroupRef::TKind::Recent, 0}, true);
    }
    for (QAction* command : {FCommandsSeparator, FWindow, FGuide, FRemove})
        command->setVisible(listed);
}

void TChannelMenu::Fill(QMenu* menu, const TGroupRef& group) {
    const std::vector<TChannelPlace> channels = FCatalog.Channels(group);
    for (size_t i = 0; i < channels.size() && i < Shown; ++i) {
        const TPlaylistChannel* channel = FCatalog.Channel(channels[i]);
        const TChannelSource source = channels[i].origin == TChannelOrigin::BuiltIn
                                          ? FBuiltIn
                                          : TChannelSource{FCatalog.List(), {}};
        Item(menu, MenuText(channel->name), channel->addresses.first().url,
             {source, channels[i].position});
    }
    if (channels.empty()) {
        menu->addAction(u"（无）"_s)->setEnabled(false);
    } else if (channels.size() > Shown) {
        const QLocale numbers(QLocale::Chinese, QLocale::China);
        QAction* all =
            menu->addAction(u"全部 %1 个频道…"_s.arg(numbers.toString(qlonglong(channels.size()))));
        all->setObjectName(u"AllChannels"_s);
        connect(
            all, &QAction::triggered, this, [this, group] { emit groupChosen(group); },
            Qt::QueuedConnection);
    }
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
