#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QAction;
class QMenu;
struct TPlaylist;

// The playlist's part of the channel menu: after a separator, one submenu per group of
// the list opened, then the commands to search, open and remove a list. It joins the
// menu only while the menu is on screen, so the menu itself keeps the design's four
// categories and nothing else. A group's items are made when it is first opened:
// lists of ten thousand channels are common, and most groups are never looked at.
class TPlaylistMenu : public QObject {
    Q_OBJECT
public:
    explicit TPlaylistMenu(QMenu* menu);

    static inline const QKeySequence SearchKey{Qt::CTRL | Qt::Key_F};

    // The list must stay alive until it is replaced; nullptr is no list.
    void SetPlaylist(const TPlaylist* list);
    // The group submenus, in the list's order.
    const QList<QMenu*>& Groups() const { return FGroups; }

signals:
    // Emitted from the event loop, as a built-in channel's choice is.
    void channelChosen(int group, int channel);
    void openChosen();
    void searchChosen();
    void removeChosen();

private:
    QAction* Command(const QString& name, const QString& text, void (TPlaylistMenu::*chosen)());
    void Attach();
    void Detach();
    void Remove();
    void Fill(int group);
    QList<QAction*> Part() const;

    QMenu* FMenu;
    const TPlaylist* FList = nullptr;
    QAction* FSeparator;
    QAction* FCommandsSeparator;
    QAction* FSearch;
    QAction* FOpen;
    QAction* FRemove;
    QList<QMenu*> FGroups;
    bool FAttached = false;
};
