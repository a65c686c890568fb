#include "tv/guidecollector.h"

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

// At most this many programmes per channel; a few more are held while reading, since
// the shift of a list channel moves the window over them.
constexpr qsizetype MaxHeldProgrammes = TGuide::MaxProgrammes + 1000;
// Guide channels read, and channels whose programmes are located; a larger guide is
// hostile, and past the second a second pass reads the whole document again.
constexpr qsizetype MaxChannels = 200000;
constexpr qsizetype MaxSpans = 100000;
// Bytes the kept programmes may cost: beyond the first, descriptions are no longer kept;
// beyond the second the guide is refused, so that it stays within its memory.
constexpr qint64 DescriptionBudget = 40LL * 1024 * 1024;
constexpr qint64 ProgrammeBudget = 80LL * 1024 * 1024;
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
    if (++FChannels > MaxChannels)
        throw EGuideError(u"节目单的频道数超出上限"_s.toStdString());
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
    // Rule: where a channel's programmes were passed over before a channel element let a
    // list channel take them, all of its programmes are read again, in the order of the
    // document, so that of two overlapping ones the first in it stays.
    if (!FSecondPass && !FSpansOverflow) {
        if (auto found = FSpans.find(FLastKey); found != FSpans.end()) {
            found->end = programme.end;
            found->passedOver = found->passedOver || !programme.wanted;
        } else if (FSpans.size() < MaxSpans) {
            FSpans.insert(FLastKey, {programme.begin, programme.end, !programme.wanted});
        } else {
            FSpansOverflow = true;
            FSpans.clear();
        }
    }
    if (programme.wanted)
        Keep(FLastKey, programme);
}

// The map's node and the two texts' headers and allocations, as well as their characters.
qsizetype TGuideCollector::CostOf(const TProgramme& programme) {
    return qsizetype(sizeof(TKept)) + 48 + 2 * 40 +
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
    for (const QString& key : FMatcher.Matches())
        if (FSpansOverflow || FSpans.value(key).passedOver)
            FSecondPassKeys.insert(key);
    FSecondPass = true;
    QList<std::pair<qint64, qint64>> ranges;
    for (const QString& key : std::as_const(FSecondPassKeys)) {
        for (const auto& [start, kept] : FSchedules.value(key))
            FCost -= CostOf(kept.programme);
        FSchedules.remove(key);
        ranges.append({FSpans.value(key).begin, FSpans.value(key).end});
    }
    if (FSecondPassKeys.isEmpty())
        return ranges;
    if (FSpansOverflow)
        return {{0, std::numeric_limits<qint64>::max()}};
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
                programme.start = Utc(kept->first + shift);
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
