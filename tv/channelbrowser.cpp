#include "tv/channelbrowser.h"

#include "tv/channelmenu.h"
#include "tv/channelwindow.h"
#include "tv/logocache.h"
#include "tv/openchannellist.h"

TChannelBrowser::TChannelBrowser(QWidget* window, const TChannelSource& builtIn)
    : QObject(window), FWindow(window), FBuiltIn(builtIn), FCatalog(FStore),
      FLogos(new TLogoCache(this)) {
    FCatalog.SetBuiltIn(FBuiltIn.list, FBuiltIn.hidden);
}

void TChannelBrowser::Follow(TOpenChannelList* openList, TChannelMenu* menu) {
    connect(openList, &TOpenChannelList::changed, this,
            [this, openList](const std::shared_ptr<const TPlaylist>& list) {
                SetList(list, openList->Location());
            });
    connect(this, &TChannelBrowser::choicesChanged, menu, &TChannelMenu::Rebuild);
    connect(menu, &TChannelMenu::groupChosen, this, &TChannelBrowser::ShowGroup);
}

void TChannelBrowser::SetList(const std::shared_ptr<const TPlaylist>& list,
                              const QString& location) {
    FCatalog.SetList(list, location);
    // Whoever opens a list has the program keep what they choose from then on.
    if (list)
        FStore.Keep();
    if (FPlaying && FPlaying->origin == TChannelOrigin::List)
        FPlaying.reset();
    if (FFrm) {
        FFrm->Refill();
        FFrm->SetPlaying(FPlaying);
    }
    emit choicesChanged();
}

void TChannelBrowser::SetSchedules(TChannelRows::TSchedules schedules) {
    FSchedules = std::move(schedules);
    if (FFrm)
        FFrm->SetSchedules(FSchedules);
}

std::optional<TChannelPlace> TChannelBrowser::PlaceOf(const TChannelRef& channel) const {
    if (channel.source.list && channel.source.list == FBuiltIn.list)
        return TChannelPlace{TChannelOrigin::BuiltIn, channel.position};
    if (channel.source.list && channel.source.list == FCatalog.List())
        return TChannelPlace{TChannelOrigin::List, channel.position};
    return std::nullopt;
}

void TChannelBrowser::Played(const TChannelRef& channel) {
    FPlaying = PlaceOf(channel);
    if (!FPlaying)
        return;
    FStore.Played(FCatalog.Key(*FPlaying));
    if (FFrm)
        FFrm->SetPlaying(FPlaying);
    emit choicesChanged();
}

TChannelListFrm* TChannelBrowser::Frm() {
    if (!FFrm) {
        FFrm = new TChannelListFrm(FCatalog, *FLogos, FWindow);
        // Beside the player, which stays in sight.
        FFrm->move(FWindow->frameGeometry().topRight() + QPoint(8, 0));
        FFrm->SetSchedules(FSchedules);
        FFrm->SetPlaying(FPlaying);
        // Queued, so that a refused address leaves through the application's error
        // report and not through the list view's own code.
        connect(
            FFrm, &TChannelListFrm::channelChosen, this,
            [this](TChannelPlace place) { emit playChosen(RefOf(place)); }, Qt::QueuedConnection);
        connect(
            FFrm, &TChannelListFrm::programmeChosen, this,
            [this](TChannelPlace place, int programme) {
                emit archiveChosen(RefOf(place), FFrm->Rows()->Schedule(place).value(programme));
            },
            Qt::QueuedConnection);
        connect(FFrm, &TChannelListFrm::choicesChanged, this, &TChannelBrowser::choicesChanged);
    }
    return FFrm;
}

TChannelRef TChannelBrowser::RefOf(const TChannelPlace& place) const {
    const TChannelSource list{FCatalog.List(), {}};
    return {place.origin == TChannelOrigin::BuiltIn ? FBuiltIn : list, place.position};
}

void TChannelBrowser::ShowFilter() {
    Frm()->ShowFilter();
}

void TChannelBrowser::ShowGroup(const TGroupRef& group) {
    Frm()->ShowGroup(group);
}
