#include "tv/guidetext.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString Clock(const QDateTime& when) {
    return when.toLocalTime().toString(u"HH:mm"_s);
}

QString Span(const TProgramme& programme) {
    return u"%1 %2–%3"_s.arg(programme.title, Clock(programme.start), Clock(programme.stop));
}

// The first programme that starts after when.
const TProgramme* Upcoming(const QList<TProgramme>& schedule, const QDateTime& when) {
    const auto next = std::upper_bound(
        schedule.cbegin(), schedule.cend(), when,
        [](const QDateTime& at, const TProgramme& programme) { return at < programme.start; });
    return next == schedule.cend() ? nullptr : &*next;
}

} // namespace

QString OnAirText(const TGuide& guide, int position, const QDateTime& now) {
    const TProgramme* onAir = guide.OnAir(position, now);
    return onAir ? Span(*onAir) : QString();
}

QString NowAndNextText(const TGuide& guide, int position, const QDateTime& now) {
    const QList<TProgramme> schedule = guide.Schedule(position);
    const TProgramme* onAir = guide.OnAir(position, now);
    const TProgramme* next = Upcoming(schedule, now);
    QStringList parts;
    if (onAir)
        parts << u"正在播放："_s + Span(*onAir);
    if (next)
        parts << u"下一个：%1 %2"_s.arg(next->title, Clock(next->start));
    return parts.join(u" · "_s);
}

QDateTime NextChange(const TGuide& guide, int position, const QDateTime& now) {
    const TProgramme* onAir = guide.OnAir(position, now);
    const TProgramme* next = Upcoming(guide.Schedule(position), now);
    if (onAir && (!next || onAir->stop < next->start))
        return onAir->stop;
    return next ? next->start : QDateTime();
}
