#include "tv/guidecollector.h"

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

// At most this many programmes per channel; a few more are held while reading, since
// the shift of a list channel moves the window over them.
constexpr qsizetype MaxHeldProgrammes = TGuide::MaxProgrammes + 1000;
// Guide channels and early programmes' channels located; a larger guide is hostile.
constexpr qsizetype MaxKnownChannels = 500000;
constexpr qsizetype MaxEarlyChannels = 200000;
// Bytes the kept programmes may cost: beyond the first, descriptions are no longer kept;
// beyond the second the guide is refused, so that it stays within its memory.
constexpr qint64 DescriptionBudget = 48LL * 1024 * 1024;
constexpr qint64 ProgrammeBudget = 96LL * 1024 * 1024;
constexpr qint64 Day = 86400;
constexpr qint64 MaxShift = Day;

QDateTime Utc(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

} // namespace

TGuideCollector::TGuideCollector(const TPlaylist& list, const QDateTime& now)
    : FList(list), FMatcher(list) {
    // Rule: the window starts a day back, or as far back as the longest catch-up.
    int days = 1;
    for (int position = 0, count = ChannelCount(list); position < count; ++position)
        days = std::max(days, ChannelAt(list, position)->catchup.days);
    FWindowStart = now.toSecsSinceEpoch() - days * Day;
}

void TGuideCollector::Channel(const TGuideChannelEvent& channel) {
    if (FSecondPass)
        return;
    const QString key = TGuideMatcher::Key(channel.id);
    if (!FKnown.contains(key)) {
        if (FKnown.size() >= MaxKnownChannels)
            throw EGuideError(u"节目单的频道数超出上限"_s.toStdString());
        FKnown.insert(key);
    }
    FMatcher.AddChannel(channel.id, channel.displayNames);
}

bool TGuideCollector::WantsProgramme(QByteArrayView channel) {
    // Programmes come in runs of one channel: the key of the last one serves again.
    if (channel != FLastChannel) {
        FLastChannel = channel.toByteArray();
        FLastKey = TGuideMatcher::Key(QString::fromUtf8(channel));
    }
    return FSecondPass ? FSecondPassKeys.contains(FLastKey) : FMatcher.IsCandidate(FLastKey);
}

void TGuideCollector::Programme(const TGuideProgrammeEvent& programme) {
    if (programme.wanted) {
        Keep(FLastKey, programme);
        return;
    }
    // Rule: a programme before any channel of its id is located for the second pass.
    if (FSecondPass || FEarlyOverflow || FKnown.contains(FLastKey))
        return;
    if (auto found = FEarly.find(FLastKey); found != FEarly.end()) {
        found->second = programme.end;
    } else if (FEarly.size() < MaxEarlyChannels) {
        FEarly.insert(FLastKey, {programme.begin, programme.end});
    } else {
        FEarlyOverflow = true;
        FEarly.clear();
    }
}

qsizetype TGuideCollector::CostOf(const TProgramme& programme) {
    return qsizetype(sizeof(TKept) + 64) +
           (programme.title.size() + programme.description.size()) * 2;
}

void TGuideCollector::Keep(const QString& key, const TGuideProgrammeEvent& event) {
    const std::optional<TGuideTime> start = ReadGuideTime(event.start);
    if (!start)
        return;
    const std::optional<TGuideTime> stop = ReadGuideTime(event.stop);
    // Rule: a stop at or before the start is no stop.
    const bool open = !stop || stop->utcSeconds <= start->utcSeconds;
    const qint64 end = open ? start->utcSeconds : stop->utcSeconds;
    // Rule: only what ends inside the window is kept (a day's margin for the shift, and
    // for a programme whose end is the next one's start).
    if (end < FWindowStart - MaxShift - (open ? Day : 0))
        return;
    TSchedule& schedule = FSchedules[key];
    // Rule: where two programmes overlap, the first one read stays.
    auto next = schedule.lower_bound(start->utcSeconds);
    if (next != schedule.end() && (next->first == start->utcSeconds || next->first < end))
        return;
    if (next != schedule.begin() && std::prev(next)->second.stop > start->utcSeconds)
        return;
    if (qsizetype(schedule.size()) >= MaxHeldProgrammes) {
        if (start->utcSeconds > schedule.rbegin()->first)
            return;
        FCost -= CostOf(schedule.rbegin()->second.programme);
        schedule.erase(std::prev(schedule.end()));
    }
    TProgramme kept{Utc(start->utcSeconds), open ? QDateTime() : Utc(end), start->zoneOffset,
                    QString::fromUtf8(event.title),
                    FCost < DescriptionBudget ? QString::fromUtf8(event.description) : QString()};
    FCost += CostOf(kept);
    if (FCost > ProgrammeBudget)
        throw EGuideError(u"节目单里匹配到的节目太多，超出了内存上限"_s.toStdString());
    schedule.emplace_hint(next, start->utcSeconds, TKept{end, open, std::move(kept)});
}

QList<std::pair<qint64, qint64>> TGuideCollector::SecondPass() {
    const QHash<int, QString> matches = FMatcher.Matches();
    for (const QString& key : matches)
        if (FEarlyOverflow || FEarly.contains(key))
            FSecondPassKeys.insert(key);
    FSecondPass = true;
    QList<std::pair<qint64, qint64>> ranges;
    if (FSecondPassKeys.isEmpty())
        return ranges;
    if (FEarlyOverflow)
        return {{0, std::numeric_limits<qint64>::max()}};
    for (const QString& key : FSecondPassKeys)
        ranges.append(FEarly.value(key));
    std::sort(ranges.begin(), ranges.end());
    QList<std::pair<qint64, qint64>> merged;
    for (const auto& range : ranges)
        if (!merged.isEmpty() && range.first <= merged.last().second)
            merged.last().second = std::max(merged.last().second, range.second);
        else
            merged.append(range);
    return merged;
}

TGuide TGuideCollector::Build() const {
    TGuide guide;
    const QHash<int, QString> matches = FMatcher.Matches();
    // Positions of one guide channel and one shift share their schedule.
    QHash<std::pair<QString, qint64>, QList<TProgramme>> built;
    for (auto match = matches.cbegin(); match != matches.cend(); ++match) {
        const TPlaylistChannel* channel = ChannelAt(FList, match.key());
        guide.FMatched.insert(match.key(), FMatcher.WrittenId(match.value()));
        // Rule: tvg-shift moves the times later, the channel's own else the list's.
        const qint64 shift = qRound64(channel->tvgShift.value_or(FList.tvgShift) * 3600);
        const std::pair<QString, qint64> id{match.value(), shift};
        if (const auto done = built.constFind(id); done != built.cend()) {
            guide.FSchedules.insert(match.key(), *done);
            continue;
        }
        QList<TProgramme> schedule;
        const auto found = FSchedules.constFind(match.value());
        if (found != FSchedules.cend()) {
            for (auto kept = found->begin(); kept != found->end(); ++kept) {
                TProgramme programme = kept->second.programme;
                // Rule: a programme without a stop ends where the next one starts.
                const auto next = std::next(kept);
                const qint64 stop = !kept->second.open     ? kept->second.stop
                                    : next != found->end() ? next->first
                                                           : kept->first;
                if (stop + shift < FWindowStart)
                    continue;
                programme.start = programme.start.addSecs(shift);
                programme.stop = Utc(stop + shift);
                schedule.append(std::move(programme));
                if (schedule.size() == TGuide::MaxProgrammes)
                    break;
            }
        }
        built.insert(id, schedule);
        guide.FSchedules.insert(match.key(), schedule);
    }
    return guide;
}
