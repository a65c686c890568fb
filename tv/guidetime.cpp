#include "tv/guidetime.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number of the digits at text[at, at + count), or -1 when they are not all digits.
int Digits(QByteArrayView text, qsizetype at, qsizetype count) {
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        if (!IsDigit(text[i]))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
qint64 DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return qint64(era) * 146097 + dayOfEra - 719468;
}

// Rule: the zone is "±hhmm" (or "±hh:mm", or "Z") after blanks; without one, UTC.
std::optional<int> ReadZone(QByteArrayView zone) {
    zone = zone.trimmed();
    if (zone.isEmpty() || zone == "Z" || zone == "UTC" || zone == "GMT")
        return 0;
    if (zone[0] != '+' && zone[0] != '-')
        return std::nullopt;
    const int hours = Digits(zone, 1, 2);
    const qsizetype minutesAt = zone.size() > 3 && zone[3] == ':' ? 4 : 3;
    const int minutes = zone.size() == 3 ? 0 : Digits(zone, minutesAt, 2);
    if (hours < 0 || hours > 14 || minutes < 0 || minutes > 59 ||
        (zone.size() != 3 && zone.size() != minutesAt + 2))
        return std::nullopt;
    return (zone[0] == '-' ? -1 : 1) * (hours * 3600 + minutes * 60);
}

} // namespace

std::optional<TGuideTime> ReadGuideTime(QByteArrayView text) {
    text = text.trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && digits < 14 && IsDigit(text[digits]))
        ++digits;
    // Rule: the date is required; hours, minutes and seconds are read as far as they go.
    if (digits < 8 || digits % 2 != 0)
        return std::nullopt;
    const int year = Digits(text, 0, 4), month = Digits(text, 4, 2), day = Digits(text, 6, 2);
    const int hour = digits >= 10 ? Digits(text, 8, 2) : 0;
    const int minute = digits >= 12 ? Digits(text, 10, 2) : 0;
    const int second = digits >= 14 ? Digits(text, 12, 2) : 0;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const std::optional<int> zone = ReadZone(text.sliced(digits));
    if (!zone)
        return std::nullopt;
    const qint64 local =
        DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return TGuideTime{local - *zone, *zone};
}
