#pragma once

#include "tv/channelcatalog.h"
#include "tv/channelrows.h"

#include <QWidget>

#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;
class QListView;
class QListWidget;
class TLogoCache;

// The channel window "频道列表", beside the player: the groups, the channels of the one
// chosen (or of what the filter finds across all of them), and the schedule of the
// channel picked. Enter or a double click plays, Tab moves between the panes, typing
// goes to the filter and Esc closes. The rules are the catalog's; this only shows them.
class TChannelListFrm : public QWidget {
    Q_OBJECT
public:
    TChannelListFrm(TChannelCatalog& catalog, TLogoCache& logos, QWidget* parent);

    QListWidget* GroupLst;
    QLineEdit* FindEdt;
    QListView* ChannelLst;
    QComboBox* DayCmb;
    QListWidget* ScheduleLst;

    // The catalog's lists changed: a list opened, came again or went.
    void Refill();
    // The open list's guide; null is none.
    void SetGuide(std::shared_ptr<const TGuide> guide) {
        SetSchedules(guide ? TChannelRows::TSchedules(
                                 [guide](int position) { return guide->Schedule(position); })
                           : nullptr);
    }
    void SetSchedules(TChannelRows::TSchedules schedules);
    void SetPlaying(std::optional<TChannelPlace> playing);
    // Opens the window on a group, or with the focus in the filter.
    void ShowGroup(const TGroupRef& group);
    void ShowFilter();
    TChannelRows* Rows() const { return FRows; }
    // The group whose channels show while the filter is empty.
    std::optional<TGroupRef> CurrentGroup() const;

signals:
    void channelChosen(TChannelPlace channel);
    // A programme of the schedule that the channel's archive holds, by its place there.
    void programmeChosen(TChannelPlace channel, int programme);
    // A favourite or a hidden group changed what the menu shows.
    void choicesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GroupLstChange();
    void FindEdtChange();
    void FindEdtEnter();
    void ChannelLstChoose(const QModelIndex& index);
    void ChannelLstChange();
    void ChannelLstMenu(const QPoint& at);
    void GroupLstMenu(const QPoint& at);
    void DayCmbChange();
    void ScheduleLstChoose(const QModelIndex& index);
    void ToggleFavourite(const QModelIndex& index);
    void ShowRows();
    void ShowSchedule();
    void Tick();
    void Present();

    TChannelCatalog& FCatalog;
    TLogoCache& FLogos;
    TChannelRows* FRows;
    QList<TGroupRef> FGroups; // as GroupLst shows them
};
