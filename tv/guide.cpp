#include "tv/guide.h"

#include <algorithm>

namespace {

bool StartsBefore(const TProgramme& programme, const QDateTime& when) {
    return programme.start <= when;
}

} // namespace

QString TGuide::MatchedId(int position) const {
    return FMatched.value(position);
}

QList<TProgramme> TGuide::Schedule(int position) const {
    return FSchedules.value(position);
}

const TProgramme* TGuide::OnAir(int position, const QDateTime& when) const {
    const auto found = FSchedules.constFind(position);
    if (found == FSchedules.cend())
        return nullptr;
    const QList<TProgramme>& schedule = *found;
    // The last programme that started by then, if it has not ended.
    const auto after =
        std::partition_point(schedule.cbegin(), schedule.cend(),
                             [&](const TProgramme& p) { return StartsBefore(p, when); });
    if (after == schedule.cbegin() || std::prev(after)->stop <= when)
        return nullptr;
    return &*std::prev(after);
}

void TGuide::Merge(const TGuide& later) {
    for (auto match = later.FMatched.cbegin(); match != later.FMatched.cend(); ++match)
        if (!FMatched.contains(match.key()))
            FMatched.insert(match.key(), match.value());
    for (auto added = later.FSchedules.cbegin(); added != later.FSchedules.cend(); ++added) {
        QList<TProgramme>& schedule = FSchedules[added.key()];
        QList<TProgramme> merged;
        // Rule: where two guides overlap, the one read first is kept.
        auto mine = schedule.cbegin();
        for (const TProgramme& theirs : *added) {
            for (; mine != schedule.cend() && mine->stop <= theirs.start; ++mine)
                merged.append(*mine);
            const bool overlaps = mine != schedule.cend() && mine->start < theirs.stop;
            const bool overlapsLast = !merged.isEmpty() && merged.last().stop > theirs.start;
            if (!overlaps && !overlapsLast)
                merged.append(theirs);
        }
        for (; mine != schedule.cend(); ++mine)
            merged.append(*mine);
        // Rule: at most 10,000 per channel, the earliest.
        if (merged.size() > MaxProgrammes)
            merged.resize(MaxProgrammes);
        schedule = std::move(merged);
    }
}
