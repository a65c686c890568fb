#pragma once

#include <QWidget>

class QLineEdit;
class QListView;
class TChannelFilter;
class TChannelListModel;
struct TPlaylist;

// The search window over the whole list: what is typed narrows the list at once, and
// Enter or a double click plays the channel chosen. One model row per channel, so a
// list of ten thousand costs no more widgets than a list of ten.
class TChannelSearchFrm : public QWidget {
    Q_OBJECT
public:
    explicit TChannelSearchFrm(QWidget* parent);

    QLineEdit* FindEdt;
    QListView* ChannelLst;

    // The list must stay alive until it is replaced; nullptr is no list.
    void SetPlaylist(const TPlaylist* list);

signals:
    void channelChosen(int group, int channel);

private:
    void FindEdtChange();
    void FindEdtEnter();
    void ChannelLstChoose(const QModelIndex& index);

    TChannelListModel* FChannels;
    TChannelFilter* FFilter;
};
