#pragma once

#include <QWidget>

#include <memory>

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

    // Shows the window over the others, ready for typing.
    void Present();
    // Without a list the window closes.
    void SetPlaylist(const std::shared_ptr<const TPlaylist>& list);

signals:
    // The channel at this position of the list's menu order.
    void channelChosen(int position);

private:
    void FindEdtChange();
    void FindEdtEnter();
    void ChannelLstChoose(const QModelIndex& index);

    TChannelListModel* FChannels;
    TChannelFilter* FFilter;
};
