#include "tv/catchup.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// The moments a programme's placeholders are written from.
struct TMoments {
    QDateTime start, end, now; // in UTC
    int zoneOffset;            // seconds east of UTC, as the guide wrote the programme
};

enum class TField { Start, End, Now, Duration, Offset };

struct TNamed {
    QStringView name;
    TField field;
    bool braces;  // written {name}
    bool dollars; // written ${name}
};

// Rule: the placeholders that stand for one number of seconds, and the forms each is
// written in.
constexpr std::array<TNamed, 9> Named{{
    {u"utc", TField::Start, true, false},
    {u"start", TField::Start, true, true},
    {u"utcend", TField::End, true, false},
    {u"end", TField::End, true, true},
    {u"lutc", TField::Now, true, false},
    {u"now", TField::Now, true, false},
    {u"timestamp", TField::Now, true, true},
    {u"duration", TField::Duration, true, true},
    {u"offset", TField::Offset, false, true},
}};

qint64 Seconds(TField field, const TMoments& at) {
    switch (field) {
    case TField::Start:
        return at.start.toSecsSinceEpoch();
    case TField::End:
        return at.end.toSecsSinceEpoch();
    case TField::Now:
        return at.now.toSecsSinceEpoch();
    case TField::Duration:
        return at.start.secsTo(at.end);
    case TField::Offset:
        return at.start.secsTo(at.now);
    }
    return 0;
}

QString Padded(int value, int width) {
    return u"%1"_s.arg(value, width, 10, QChar(u'0'));
}

// Writes the format with each of the tokens of year, month, day, hour, minute and second
// replaced by that field of the moment, zero-padded; any other character is kept.
QString Format(QStringView format, const std::array<QStringView, 6>& tokens, const QDateTime& at) {
    const std::array<QString, 6> fields{
        Padded(at.date().year(), 4), Padded(at.date().month(), 2),  Padded(at.date().day(), 2),
        Padded(at.time().hour(), 2), Padded(at.time().minute(), 2), Padded(at.time().second(), 2)};
    QString out;
    while (!format.isEmpty()) {
        const auto token = std::find_if(tokens.begin(), tokens.end(),
                                        [format](QStringView t) { return format.startsWith(t); });
        out += token == tokens.end() ? format.first(1).toString() : fields[token - tokens.begin()];
        format = format.sliced(token == tokens.end() ? 1 : token->size());
    }
    return out;
}

// Rule: in {utc:FMT} and the one-letter placeholders, Y m d H M S stand for the fields in UTC.
constexpr std::array<QStringView, 6> Letters{u"Y", u"m", u"d", u"H", u"M", u"S"};
// Rule: in ${(b)FMT}, yyyy MM dd HH mm ss stand for the fields in the zone the guide wrote
// the programme in.
constexpr std::array<QStringView, 6> Pattern{u"yyyy", u"MM", u"dd", u"HH", u"mm", u"ss"};

// Rule: a unit of N seconds is a positive whole number, and a count of them rounds down.
std::optional<QString> InUnits(qint64 seconds, QStringView unit) {
    bool ok = false;
    const int n = unit.toInt(&ok);
    if (!ok || n <= 0)
        return std::nullopt;
    return QString::number(seconds / n);
}

// The text of the placeholder written as {name} or, with `dollar`, as ${name}; none
// when it is not one this player knows.
std::optional<QString> Value(QStringView name, bool dollar, const TMoments& at) {
    for (const TNamed& named : Named)
        if (named.name == name && (dollar ? named.dollars : named.braces))
            return QString::number(Seconds(named.field, at));
    if (dollar && (name.startsWith(u"(b)") || name.startsWith(u"(e)"))) {
        const QDateTime& moment = name.startsWith(u"(b)") ? at.start : at.end;
        return Format(name.sliced(3), Pattern, moment.toOffsetFromUtc(at.zoneOffset));
    }
    if (dollar)
        return std::nullopt;
    if (std::find(Letters.begin(), Letters.end(), name) != Letters.end())
        return Format(name, Letters, at.start);
    const qsizetype colon = name.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    const QStringView key = name.first(colon);
    const QStringView argument = name.sliced(colon + 1);
    if (key == u"duration")
        return InUnits(Seconds(TField::Duration, at), argument);
    if (key == u"offset")
        return InUnits(Seconds(TField::Offset, at), argument);
    if (key == u"utc" || key == u"utcend")
        return Format(argument, Letters, key == u"utc" ? at.start : at.end);
    return std::nullopt;
}

// Fills every placeholder of the template; none when one is unknown or not closed.
std::optional<QString> Fill(QStringView text, const TMoments& at) {
    QString out;
    for (qsizetype open = text.indexOf(u'{'); open >= 0; open = text.indexOf(u'{')) {
        const qsizetype close = text.indexOf(u'}', open);
        if (close < 0)
            return std::nullopt;
        const bool dollar = open > 0 && text[open - 1] == u'$';
        const std::optional<QString> value =
            Value(text.sliced(open + 1, close - open - 1), dollar, at);
        if (!value)
            return std::nullopt;
        out += text.first(open - (dollar ? 1 : 0));
        out += *value;
        text = text.sliced(close + 1);
    }
    out += text;
    return out;
}

// Rule: what is appended after a "?" or "&" joins the address's query with "&" when it
// has one, and starts one with "?" when not.
QString Joined(const QString& address, const QString& tail) {
    if (!tail.startsWith(u'?') && !tail.startsWith(u'&'))
        return address + tail;
    return address + (address.contains(u'?') ? u'&' : u'?') + tail.sliced(1);
}

// Rule: a media server's stream NAME/index.m3u8 (or video.m3u8) has its archive at
// NAME/FILE-{utc}-{duration}.m3u8, and NAME/mpegts at NAME/timeshift_abs-{utc}.ts.
QString ServerArchive(const QString& live) {
    static const QRegularExpression Hls(u"^(.+/[^/?]+)/(index|video)\\.m3u8(\\?.*)?$"_s);
    static const QRegularExpression Ts(u"^(.+/[^/?]+)/mpegts(\\?.*)?$"_s);
    if (const QRegularExpressionMatch m = Hls.match(live); m.hasMatch())
        return m.captured(1) + u'/' + m.captured(2) + u"-{utc}-{duration}.m3u8"_s + m.captured(3);
    if (const QRegularExpressionMatch m = Ts.match(live); m.hasMatch())
        return m.captured(1) + u"/timeshift_abs-{utc}.ts"_s + m.captured(2);
    return {};
}

// Rule: a panel's stream …/live/USER/PASS/ID.EXT, or …/USER/PASS/ID right after the host,
// has its archive at …/timeshift/USER/PASS/{duration:60}/{Y}-{m}-{d}:{H}-{M}/ID.EXT; an
// address without an extension is a transport stream's.
QString PanelArchive(const QString& live) {
    static const QRegularExpression Panel(
        u"^(.+)/live/([^/?]+)/([^/?]+)/([^/?.]+)(\\.[^/?]+)?(\\?.*)?$|"
        "^([a-zA-Z][a-zA-Z0-9+.-]*://[^/?]+)/([^/?]+)/([^/?]+)/([^/?.]+)(\\.[^/?]+)?(\\?.*)?$"_s);
    const QRegularExpressionMatch m = Panel.match(live);
    if (!m.hasMatch())
        return {};
    const int first = m.hasCaptured(1) ? 1 : 7;
    const QString extension = m.hasCaptured(first + 4) ? m.captured(first + 4) : u".ts"_s;
    return m.captured(first) + u"/timeshift/"_s + m.captured(first + 1) + u'/' +
           m.captured(first + 2) + u"/{duration:60}/{Y}-{m}-{d}:{H}-{M}/"_s +
           m.captured(first + 3) + extension + m.captured(first + 5);
}

// The archive's address before its placeholders are filled; empty when the rule makes none.
QString Template(const TCatchupRule& rule, const QString& live) {
    const QString type = rule.type.toLower();
    if (type == u"default")
        return rule.source;
    if (type == u"append")
        return rule.source.isEmpty() ? QString() : Joined(live, rule.source);
    if (type == u"shift")
        return Joined(live, u"?utc={utc}&lutc={lutc}"_s);
    if (type == u"flussonic" || type == u"flussonic-hls" || type == u"fs" ||
        type == u"flussonic-ts")
        return ServerArchive(live);
    if (type == u"xc")
        return PanelArchive(live);
    return {};
}

} // namespace

bool InArchiveDays(const TCatchupRule& catchup, const TProgramme& programme, const QDateTime& now) {
    // Rule: the archive holds what began within the channel's days, up to now.
    const int days = catchup.days > 0 ? catchup.days : DefaultCatchupDays;
    return programme.start.isValid() && programme.start <= now &&
           programme.start >= now.addSecs(-qint64(days) * 24 * 3600);
}

QString ArchiveAddress(const TPlaylistChannel& channel, int address, const TProgramme& programme,
                       const QDateTime& now) {
    if (address < 0 || address >= channel.addresses.size())
        return {};
    const QDateTime start = programme.start.toUTC();
    if (!programme.stop.isValid() || programme.stop < programme.start ||
        !InArchiveDays(channel.catchup, programme, now))
        return {};
    const QString built = Template(channel.catchup, channel.addresses[address].url);
    if (built.isEmpty())
        return {};
    const std::optional<QString> filled =
        Fill(built, {start, programme.stop.toUTC(), now.toUTC(), programme.zoneOffset});
    // Rule: the archive's address passes the rule of every list address, or is none.
    return filled && IsChannelAddress(*filled) ? *filled : QString();
}

QList<TStreamAddress> ArchiveAddresses(const TPlaylistChannel& channel, const TProgramme& programme,
                                       const QDateTime& now) {
    QList<TStreamAddress> archive;
    for (int i = 0; i < channel.addresses.size(); ++i)
        if (const QString url = ArchiveAddress(channel, i, programme, now); !url.isEmpty())
            archive.append({url, channel.addresses[i].headers, TStreamKind::Archive});
    return archive;
}
