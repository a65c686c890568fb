#include "tv/openchannellist.h"

#include "common/appshell.h"
#include "tv/playlistloader.h"

#include <QLocale>
#include <QSettings>

using namespace Qt::Literals::StringLiterals;

namespace {

// The list's location and the guide set for it, so that another list never takes it.
const QString GuideKey = u"Playlist/Guide"_s;

QSettings Settings() {
    return QSettings(QCoreApplication::organizationName(), QCoreApplication::applicationName());
}

} // namespace

TOpenChannelList::TOpenChannelList(QObject* parent)
    : QObject(parent), FLoader(new TPlaylistLoader(this)) {
    connect(FLoader, &TPlaylistLoader::loaded, this, &TOpenChannelList::Loaded);
    connect(FLoader, &TPlaylistLoader::failed, this, &TOpenChannelList::Failed);
}

void TOpenChannelList::Open(const QString& fileOrAddress, bool quiet) {
    if (fileOrAddress.trimmed().isEmpty())
        return;
    FQuiet = quiet;
    emit statusChanged(u"正在读取频道列表…"_s);
    FLoader->Load(fileOrAddress);
}

void TOpenChannelList::Restore() {
    Open(Settings().value(LocationKey).toString(), true);
}

void TOpenChannelList::Remove() {
    FLoader->Abort();
    FList.reset();
    FLocation.clear();
    FListStatus.clear();
    emit changed(FList);
    emit statusChanged(FListStatus);
    Settings().remove(LocationKey);
    Settings().remove(GuideKey);
}

QString TOpenChannelList::GuideLocation() const {
    const QStringList kept = Settings().value(GuideKey).toStringList();
    return kept.size() == 2 && kept[0] == FLocation && !FLocation.isEmpty() ? kept[1] : QString();
}

void TOpenChannelList::SetGuideLocation(const QString& guide) {
    if (!FLocation.isEmpty())
        Settings().setValue(GuideKey, QStringList{FLocation, guide});
}

void TOpenChannelList::Loaded(const QString& location, const TPlaylist& list) {
    FList = std::make_shared<const TPlaylist>(list);
    FLocation = location;
    emit changed(FList);
    const QLocale numbers(QLocale::Chinese, QLocale::China);
    FListStatus = u"已读入 %1 个频道"_s.arg(numbers.toString(ChannelCount(list)));
    if (list.skipped > 0)
        FListStatus += u"，略过 %1 个不支持的地址"_s.arg(numbers.toString(list.skipped));
    emit statusChanged(FListStatus);
    Settings().setValue(LocationKey, location);
}

void TOpenChannelList::Failed(const QString& location, const QString& reason) {
    if (FQuiet) {
        emit statusChanged(u"上次的频道列表没能读入：%1"_s.arg(reason));
        return;
    }
    // The status line goes back to what it says of the list still open.
    emit statusChanged(FListStatus);
    App::ShowMessage(u"无法打开频道列表 %1\n%2"_s.arg(location, reason));
}
