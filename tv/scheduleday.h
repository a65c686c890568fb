#pragma once

#include "tv/guide.h"

#include <QDate>
#include <QList>
#include <QString>

// One channel's schedule as the channel window shows it: by day in the system's time
// zone, the programme on air marked, and the past ones that the channel's archive still
// holds marked as playable again.

struct TScheduleEntry {
    enum class TMark { Past, Replayable, OnAir, Coming };
    QString text; // "19:00  新闻联播"
    TMark mark = TMark::Coming;
    int index = 0; // in the schedule
};

// The system's time zone, read once: the C library's own conversion looks at the zone's
// file again on every call.
QDateTime Local(const QDateTime& when);

// The days the schedule covers, in the system's time zone, in order.
QList<QDate> ScheduleDays(const QList<TProgramme>& schedule);
QList<TScheduleEntry> ScheduleOfDay(const QList<TProgramme>& schedule, QDate day,
                                    const QDateTime& now, const TCatchupRule& catchup);

// What is on and what comes next, for a channel's row; empty texts where the guide
// says nothing.
struct TNowNext {
    QString now, next;
    double progress = -1; // of the programme on air, 0 to 1; negative when nothing is on
};
TNowNext NowNext(const QList<TProgramme>& schedule, const QDateTime& now);
