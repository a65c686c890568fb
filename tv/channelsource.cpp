#include "tv/channelsource.h"

std::optional<TChannelStep> Step(const TChannelSource& source, int position, int delta) {
    QList<int> order;
    const int all = source.list ? ChannelCount(*source.list) : 0;
    for (int at = 0; at < all; ++at)
        if (!source.hidden.contains(at))
            order.append(at);
    const int count = int(order.size());
    if (count == 0)
        return std::nullopt;
    const int at = int(order.indexOf(position));
    const int from = at >= 0 ? at : (delta > 0 ? -1 : 0);
    const int to = ((from + delta) % count + count) % count;
    return TChannelStep{order[to], to, count};
}
