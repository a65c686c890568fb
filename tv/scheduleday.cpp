#include "tv/scheduleday.h"

#include "tv/catchup.h"

#include <QTimeZone>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Clock(const QDateTime& when) {
    return Local(when).toString(u"HH:mm"_s);
}

// Rule: a channel is replayable where its list names an archive, as far back as the
// list says, or a week where it does not.
bool InArchive(const TProgramme& programme, const QDateTime& now, const TCatchupRule& catchup) {
    return !catchup.type.isEmpty() && InArchiveDays(catchup, programme, now);
}

} // namespace

QDateTime Local(const QDateTime& when) {
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    return when.toTimeZone(zone);
}

QList<QDate> ScheduleDays(const QList<TProgramme>& schedule) {
    QList<QDate> days;
    for (const TProgramme& programme : schedule)
        if (const QDate day = Local(programme.start).date(); days.value(days.size() - 1) != day)
            days.append(day);
    return days;
}

QList<TScheduleEntry> ScheduleOfDay(const QList<TProgramme>& schedule, QDate day,
                                    const QDateTime& now, const TCatchupRule& catchup) {
    using enum TScheduleEntry::TMark;
    QList<TScheduleEntry> entries;
    for (int i = 0; i < schedule.size(); ++i) {
        const TProgramme& programme = schedule[i];
        if (Local(programme.start).date() != day)
            continue;
        TScheduleEntry entry{Clock(programme.start) + u"  "_s + programme.title, Coming, i};
        if (programme.stop <= now)
            entry.mark = InArchive(programme, now, catchup) ? Replayable : Past;
        else if (programme.start <= now)
            entry.mark = OnAir;
        entries.append(entry);
    }
    return entries;
}

TNowNext NowNext(const QList<TProgramme>& schedule, const QDateTime& now) {
    TNowNext said;
    // Rule: the first programme starting after now is next; the one before it is on air
    // until it stops.
    const auto next = std::upper_bound(
        schedule.begin(), schedule.end(), now,
        [](const QDateTime& when, const TProgramme& programme) { return when < programme.start; });
    if (next != schedule.begin() && now < std::prev(next)->stop) {
        const TProgramme& on = *std::prev(next);
        said.now = Clock(on.start) + u' ' + on.title;
        const double length = double(on.start.msecsTo(on.stop));
        said.progress =
            length > 0 ? std::clamp(double(on.start.msecsTo(now)) / length, 0.0, 1.0) : 0;
    }
    if (next != schedule.end())
        said.next = Clock(next->start) + u' ' + next->title;
    return said;
}
