#include "tv/playlistpart.h"

#include "common/appshell.h"
#include "tv/channelsearchfrm.h"
#include "tv/openplaylistfrm.h"
#include "tv/playlistloader.h"
#include "tv/playlistmenu.h"

#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QSettings>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString LocationKey = u"Playlist/Location"_s;

// Between the maker header and the picture, where the design leaves the window empty.
const QRect StatusRect(150, 44, 300, 22);

QSettings Settings() {
    return QSettings(QCoreApplication::organizationName(), QCoreApplication::applicationName());
}

} // namespace

TPlaylistPart::TPlaylistPart(QWidget* window, QMenu* menu)
    : QObject(window), FWindow(window), FLoader(new TPlaylistLoader(this)),
      FMenu(new TPlaylistMenu(menu)) {
    connect(FLoader, &TPlaylistLoader::loaded, this, &TPlaylistPart::Loaded);
    connect(FLoader, &TPlaylistLoader::failed, this, &TPlaylistPart::Failed);
    connect(FMenu, &TPlaylistMenu::channelChosen, this, &TPlaylistPart::Choose);
    connect(FMenu, &TPlaylistMenu::openChosen, this, &TPlaylistPart::Ask);
    connect(FMenu, &TPlaylistMenu::searchChosen, this, &TPlaylistPart::Search);
    connect(FMenu, &TPlaylistMenu::removeChosen, this, &TPlaylistPart::Remove);
}

void TPlaylistPart::Open(const QString& fileOrAddress) {
    Start(fileOrAddress, false);
}

void TPlaylistPart::Restore() {
    const QString location = Settings().value(LocationKey).toString();
    if (!location.isEmpty())
        Start(location, true);
}

void TPlaylistPart::Start(const QString& fileOrAddress, bool quiet) {
    FQuiet = quiet;
    ShowStatus(u"正在读取频道列表…"_s);
    FLoader->Load(fileOrAddress);
}

void TPlaylistPart::Ask() {
    const QString given = TOpenPlaylistFrm::Ask(FWindow);
    if (!given.isEmpty())
        Open(given);
}

void TPlaylistPart::Search() {
    if (!FHasList)
        return;
    if (!FSearchFrm) {
        FSearchFrm = new TChannelSearchFrm(FWindow);
        FSearchFrm->SetPlaylist(&FList);
        // Queued, so that a refused address leaves through the application's error
        // report and not through the list view's own code.
        connect(FSearchFrm, &TChannelSearchFrm::channelChosen, this, &TPlaylistPart::Choose,
                Qt::QueuedConnection);
    }
    FSearchFrm->show();
    FSearchFrm->raise();
    FSearchFrm->activateWindow();
}

void TPlaylistPart::Remove() {
    FLoader->Abort();
    FMenu->SetPlaylist(nullptr);
    delete std::exchange(FSearchFrm, nullptr);
    FList = {};
    FHasList = false;
    if (FStatusLbl)
        FStatusLbl->hide();
    Settings().remove(LocationKey);
}

void TPlaylistPart::Loaded(const QString& location, const TPlaylist& list) {
    FList = list;
    FHasList = true;
    FMenu->SetPlaylist(&FList);
    if (FSearchFrm)
        FSearchFrm->SetPlaylist(&FList);
    const QLocale numbers(QLocale::Chinese, QLocale::China);
    FListStatus = u"已读入 %1 个频道"_s.arg(numbers.toString(ChannelCount(FList)));
    if (FList.skipped > 0)
        FListStatus += u"，略过 %1 个不支持的地址"_s.arg(numbers.toString(FList.skipped));
    ShowStatus(FListStatus);
    Settings().setValue(LocationKey, location);
}

void TPlaylistPart::Failed(const QString& location, const QString& reason) {
    if (FQuiet) {
        ShowStatus(u"上次的频道列表没能读入：%1"_s.arg(reason));
        return;
    }
    // The status line goes back to what it says of the list still open.
    if (FHasList)
        ShowStatus(FListStatus);
    else
        FStatusLbl->hide();
    App::ShowMessage(u"无法打开频道列表 %1\n%2"_s.arg(location, reason));
}

void TPlaylistPart::Choose(int group, int channel) {
    if (!FHasList || group >= FList.groups.size() || channel >= FList.groups[group].channels.size())
        return;
    for (int before = 0; before < group; ++before)
        channel += int(FList.groups[before].channels.size());
    emit playChosen(channel);
}

void TPlaylistPart::ShowStatus(const QString& text) {
    if (!FStatusLbl) {
        FStatusLbl = new QLabel(FWindow);
        FStatusLbl->setObjectName(u"PlaylistStatusLbl"_s);
        FStatusLbl->setGeometry(StatusRect);
    }
    FStatusLbl->setText(text);
    FStatusLbl->show();
}

QString TPlaylistPart::DropLocation(const QMimeData* mime) {
    QUrl url = mime->hasUrls() ? mime->urls().value(0) : QUrl(mime->text().trimmed());
    if (url.isLocalFile())
        return url.toLocalFile();
    if (url.scheme() == u"http"_s || url.scheme() == u"https"_s)
        return url.toString();
    return {};
}
