#pragma once

#include "tv/channelsource.h"

#include <QKeySequence>
#include <QList>
#include <QObject>

class QAction;
class QMenu;
class TChannelCatalog;
struct TChannelPlace;
struct TGroupRef;

// What the channel menu holds: the design's four categories of the built-in table; after
// a separator one submenu per shown group of the channel list open, then "收藏" and
// "最近观看"; then the commands to open the channel window, open and remove a list, where
// without a list only the one to open it shows. Every channel item carries its channel.
// A group's items are made when it is first opened: lists of ten thousand channels are
// common, and most groups are never looked at. A group too long for a menu shows its
// first channels and an item that opens the channel window on it.
class TChannelMenu : public QObject {
    Q_OBJECT
public:
    TChannelMenu(QMenu* menu, const TChannelSource& builtIn, const TChannelCatalog& catalog);

    static inline const QKeySequence WindowKey{Qt::CTRL | Qt::Key_F};
    static constexpr int Shown = 40;

    // The catalog's list, its hidden groups or the choices kept changed.
    void Rebuild();
    // The group submenus, in the list's order.
    const QList<QMenu*>& Groups() const { return FGroups; }
    QMenu* Favourites() const { return FFavourites; }
    QMenu* Recent() const { return FRecent; }

signals:
    // Emitted from the event loop, so that a refused address leaves through the
    // application's error report and not through the menu's own code.
    void channelChosen(QAction* item);
    void groupChosen(const TGroupRef& group);
    void openChosen();
    void windowChosen();
    void guideChosen();
    void removeChosen();

private:
    QAction* Command(const QString& name, const QString& text, void (TChannelMenu::*chosen)());
    QAction* Item(QMenu* menu, const QString& text, const QString& address,
                  const TChannelRef& channel);
    void Fill(QMenu* menu, const TGroupRef& group);
    QMenu* Submenu(const QString& title, const TGroupRef& group, bool again);

    QMenu* FMenu;
    TChannelSource FBuiltIn;
    const TChannelCatalog& FCatalog;
    QAction* FCommandsSeparator;
    QAction* FWindow;
    QAction* FGuide;
    QAction* FRemove;
    QList<QMenu*> FGroups;
    QMenu* FFavourites = nullptr;
    QMenu* FRecent = nullptr;
};
