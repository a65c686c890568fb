#include "tv/channelsearchfrm.h"

#include "tv/channellistmodel.h"

#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

TChannelSearchFrm::TChannelSearchFrm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(u"ChannelSearchFrm"_s);
    setWindowTitle(u"查找频道"_s);
    resize(340, 420);

    FChannels = new TChannelListModel(this);
    FFilter = new TChannelFilter(FChannels);
    FFilter->setParent(this);

    FindEdt = new QLineEdit(this);
    FindEdt->setObjectName(u"FindEdt"_s);
    FindEdt->setAccessibleName(u"频道名或分组"_s);
    FindEdt->setPlaceholderText(u"频道名或分组"_s);
    FindEdt->setClearButtonEnabled(true);
    connect(FindEdt, &QLineEdit::textChanged, this, &TChannelSearchFrm::FindEdtChange);
    connect(FindEdt, &QLineEdit::returnPressed, this, &TChannelSearchFrm::FindEdtEnter);

    ChannelLst = new QListView(this);
    ChannelLst->setObjectName(u"ChannelLst"_s);
    ChannelLst->setAccessibleName(u"频道"_s);
    ChannelLst->setModel(FFilter);
    ChannelLst->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // All rows are one line high, so the view need not measure ten thousand of them.
    ChannelLst->setUniformItemSizes(true);
    connect(ChannelLst, &QListView::activated, this, &TChannelSearchFrm::ChannelLstChoose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FindEdt);
    layout->addWidget(ChannelLst);
}

void TChannelSearchFrm::SetPlaylist(const std::shared_ptr<const TPlaylist>& list) {
    if (!list)
        hide();
    FChannels->SetPlaylist(list);
    FFilter->SetText(FindEdt->text());
}

void TChannelSearchFrm::Present() {
    show();
    raise();
    activateWindow();
}

void TChannelSearchFrm::FindEdtChange() {
    FFilter->SetText(FindEdt->text());
}

// Enter in the field plays the row picked in the list, or else the first one found.
void TChannelSearchFrm::FindEdtEnter() {
    const QModelIndex current = ChannelLst->currentIndex();
    ChannelLstChoose(current.isValid() ? current : FFilter->index(0, 0));
}

void TChannelSearchFrm::ChannelLstChoose(const QModelIndex& index) {
    if (!index.isValid())
        return;
    emit channelChosen(index.data(TChannelListModel::PositionRole).toInt());
}
