#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

#include <memory>

class QAction;
class QMenu;
struct TChannelRef;
struct TChannelSource;
struct TPlaylist;

// What the channel menu holds: the design's four categories of the built-in table; after
// a separator one submenu per group of the channel list open; then the commands to
// search, open and remove a list, where without a list only the one to open it shows.
// Every channel item carries its channel. A group's items are made when it is first
// opened: lists of ten thousand channels are common, and most groups are never looked at.
class TChannelMenu : public QObject {
    Q_OBJECT
public:
    TChannelMenu(QMenu* menu, const TChannelSource& builtIn);

    static inline const QKeySequence SearchKey{Qt::CTRL | Qt::Key_F};

    // Null is no list.
    void SetPlaylist(const std::shared_ptr<const TPlaylist>& list);
    // The group submenus, in the list's order.
    const QList<QMenu*>& Groups() const { return FGroups; }

signals:
    // Emitted from the event loop, so that a refused address leaves through the
    // application's error report and not through the menu's own code.
    void channelChosen(QAction* item);
    void openChosen();
    void searchChosen();
    void removeChosen();

private:
    QAction* Command(const QString& name, const QString& text, void (TChannelMenu::*chosen)());
    QAction* Item(QMenu* menu, const QString& text, const QString& address,
                  const TChannelRef& channel);
    void Fill(int group, int first);

    QMenu* FMenu;
    std::shared_ptr<const TPlaylist> FList;
    QAction* FCommandsSeparator;
    QAction* FSearch;
    QAction* FRemove;
    QList<QMenu*> FGroups;
};
