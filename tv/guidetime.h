#pragma once

#include <QByteArrayView>

#include <optional>

// A guide's time, "YYYYMMDDhhmmss ±hhmm": the moment in seconds since the epoch, and
// the offset east of UTC it was written in.
struct TGuideTime {
    qint64 utcSeconds = 0;
    int zoneOffset = 0;
};

std::optional<TGuideTime> ReadGuideTime(QByteArrayView text);
