#include "tv/channelstore.h"

#include "tv/openchannellist.h"
#include "tv/playlist.h"

#include <QCoreApplication>
#include <QSettings>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString FavouritesKey = u"Channels/Favourites"_s;
const QString RecentKey = u"Channels/Recent"_s;
const QString HiddenKey = u"Channels/Hidden"_s;

// A list's location never holds a line break, so it parts the two halves of an entry.
QString Joined(const QString& location, const QString& second) {
    return location + u'\n' + second;
}

// Rule: a value is a list of "location, line break, id" texts; anything else (another
// type, an entry of another shape) was not written by this program and counts as absent.
QList<TChannelKey> Entries(const QVariant& value) {
    const int type = value.typeId();
    if (type != QMetaType::QString && type != QMetaType::QStringList)
        return {};
    QList<TChannelKey> entries;
    for (const QString& entry : value.toStringList()) {
        const qsizetype cut = entry.indexOf(u'\n');
        if (cut <= 0 || cut == entry.size() - 1 || entry.indexOf(u'\n', cut + 1) >= 0)
            return {};
        entries.append({entry.first(cut), entry.sliced(cut + 1)});
    }
    return entries;
}

QSet<QString> JoinedSet(const QList<TChannelKey>& entries) {
    QSet<QString> set;
    for (const TChannelKey& entry : entries)
        set.insert(Joined(entry.location, entry.id));
    return set;
}

QStringList Sorted(const QSet<QString>& set) {
    QStringList list(set.begin(), set.end());
    list.sort();
    return list;
}

} // namespace

TChannelKey KeyOf(const QString& location, const TPlaylistChannel& channel) {
    return {location, channel.tvgId.isEmpty() ? channel.name : channel.tvgId};
}

std::unique_ptr<QSettings> TChannelStore::ProgramSettings() {
    return std::make_unique<QSettings>(QCoreApplication::organizationName(),
                                       QCoreApplication::applicationName());
}

TChannelStore::TChannelStore(TSettings settings) : FSettings(std::move(settings)) {
    const std::unique_ptr<QSettings> kept = FSettings();
    FFavourites = JoinedSet(Entries(kept->value(FavouritesKey)));
    FRecent = Entries(kept->value(RecentKey)).mid(0, RecentKept);
    FHidden = JoinedSet(Entries(kept->value(HiddenKey)));
    // Someone who kept a list or a choice before has agreed to the writing.
    FKeeping = kept->contains(TOpenChannelList::LocationKey) || !FFavourites.isEmpty() ||
               !FRecent.isEmpty() || !FHidden.isEmpty();
}

void TChannelStore::Keep() {
    if (!std::exchange(FKeeping, true))
        Write();
}

bool TChannelStore::IsFavourite(const TChannelKey& channel) const {
    return FFavourites.contains(Joined(channel.location, channel.id));
}

void TChannelStore::SetFavourite(const TChannelKey& channel, bool favourite) {
    const QString entry = Joined(channel.location, channel.id);
    if (favourite)
        FFavourites.insert(entry);
    else
        FFavourites.remove(entry);
    FKeeping = true;
    Write();
}

void TChannelStore::Played(const TChannelKey& channel) {
    FRecent.removeAll(channel);
    FRecent.prepend(channel);
    FRecent = FRecent.mid(0, RecentKept);
    if (FKeeping)
        Write();
}

bool TChannelStore::IsHidden(const QString& location, const QString& group) const {
    return FHidden.contains(Joined(location, group));
}

void TChannelStore::Hide(const QString& location, const QString& group) {
    FHidden.insert(Joined(location, group));
    FKeeping = true;
    Write();
}

void TChannelStore::ShowAll(const QString& location) {
    const QString prefix = location + u'\n';
    FHidden.removeIf([&prefix](const QString& entry) { return entry.startsWith(prefix); });
    if (FKeeping)
        Write();
}

bool TChannelStore::HidesAny(const QString& location) const {
    const QString prefix = location + u'\n';
    return std::any_of(FHidden.begin(), FHidden.end(),
                       [&prefix](const QString& entry) { return entry.startsWith(prefix); });
}

void TChannelStore::Write() const {
    const std::unique_ptr<QSettings> kept = FSettings();
    const auto put = [&kept](const QString& key, const QStringList& entries) {
        if (entries.isEmpty())
            kept->remove(key);
        else
            kept->setValue(key, entries);
    };
    put(FavouritesKey, Sorted(FFavourites));
    QStringList recent;
    for (const TChannelKey& channel : FRecent)
        recent.append(Joined(channel.location, channel.id));
    put(RecentKey, recent);
    put(HiddenKey, Sorted(FHidden));
}
