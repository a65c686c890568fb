#pragma once

#include "tv/channelcatalog.h"
#include "tv/channelrows.h"
#include "tv/channelsource.h"
#include "tv/channelstore.h"

#include <QObject>

#include <memory>
#include <optional>

class QWidget;
class TChannelListFrm;
class TChannelMenu;
class TLogoCache;
class TOpenChannelList;

// Where a viewer finds a channel beyond the menu: the channel window over every channel
// within reach, and the choices it keeps (favourites, recent channels, hidden groups).
// It follows the list open and the channel playing, from whichever source it came.
class TChannelBrowser : public QObject {
    Q_OBJECT
public:
    TChannelBrowser(QWidget* window, const TChannelSource& builtIn);

    const TChannelCatalog& Catalog() const { return FCatalog; }
    // Shows the list open, and keeps the menu to the choices and opens the window from it.
    void Follow(TOpenChannelList* openList, TChannelMenu* menu);
    // Null is no list.
    void SetList(const std::shared_ptr<const TPlaylist>& list, const QString& location);
    // The guide of the list open; null is none.
    void SetGuide(std::shared_ptr<const TGuide> guide) {
        SetSchedules(guide ? TChannelRows::TSchedules(
                                 [guide](int position) { return guide->Schedule(position); })
                           : nullptr);
    }
    void SetSchedules(TChannelRows::TSchedules schedules);
    // A channel began to play, from the menu, the window or a step.
    void Played(const TChannelRef& channel);

    // Opens the window with the focus in its filter, or on a group.
    void ShowFilter();
    void ShowGroup(const TGroupRef& group);
    // Null until first shown.
    TChannelListFrm* Window() const { return FFrm; }

signals:
    // Emitted from the event loop, as a menu item's choice is.
    void playChosen(const TChannelRef& channel);
    void archiveChosen(const TChannelRef& channel, const TProgramme& programme);
    // What the menu shows of the list's groups, the favourites or the recent channels.
    void choicesChanged();

private:
    TChannelListFrm* Frm();
    TChannelRef RefOf(const TChannelPlace& place) const;
    std::optional<TChannelPlace> PlaceOf(const TChannelRef& channel) const;

    QWidget* FWindow;
    TChannelSource FBuiltIn;
    TChannelStore FStore;
    TChannelCatalog FCatalog;
    TLogoCache* FLogos;
    TChannelListFrm* FFrm = nullptr;
    TChannelRows::TSchedules FSchedules;
    std::optional<TChannelPlace> FPlaying;
};
