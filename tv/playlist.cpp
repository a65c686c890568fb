#include "tv/playlist.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype MaxAddressBytes = 8 * 1024;

// The player's engine opens local files, devices and generated sources by other
// schemes; a list from somewhere else may only name streams on the network.
constexpr std::array<QStringView, 12> AcceptedSchemes{u"http", u"https", u"rtsp", u"rtsps",
                                                      u"rtmp", u"rtmps", u"mms",  u"mmsh",
                                                      u"mmst", u"rtp",   u"udp",  u"srt"};

bool IsControl(QChar c) {
    return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f);
}

// The scheme of an absolute address, or nothing for a relative one.
QStringView SchemeOf(QStringView address) {
    for (qsizetype i = 0; i < address.size(); ++i) {
        const QChar c = address[i];
        if (c == u':')
            return i > 0 ? address.first(i) : QStringView();
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!letter && (i == 0 || !(c.isDigit() || c == u'+' || c == u'-' || c == u'.')))
            return {};
    }
    return {};
}

bool IsAsciiAlnum(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// Most addresses in lists are plain: a host of letters, digits, dots and hyphens, a port
// perhaps, and a path and query of ASCII letters, digits and the address's own marks.
// Those are surely what the player takes, and they need no full parse: for ten thousand
// addresses that parse is a third of the reading. False means "ask the full parser".
bool IsPlainAddress(QStringView address, qsizetype afterScheme) {
    if (!address.sliced(afterScheme).startsWith(u"//"))
        return false;
    // Labels of at most 63 letters, digits and inner hyphens; a host of digits alone
    // may be an IPv4 address and is left to the full parser.
    qsizetype i = afterScheme + 2;
    qsizetype label = 0;
    bool letters = false;
    for (; i < address.size() && !QStringView(u"/?:").contains(address[i]); ++i) {
        const QChar c = address[i];
        if (c == u'.' ? label == 0 || address[i - 1] == u'-'
                      : !(IsAsciiAlnum(c) || (c == u'-' && label > 0)) || ++label > 63)
            return false;
        if (c == u'.')
            label = 0;
        letters = letters || (c != u'.' && !c.isDigit());
    }
    if (label == 0 || address[i - 1] == u'-' || !letters)
        return false;
    if (i < address.size() && address[i] == u':') {
        const qsizetype portStart = ++i;
        while (i < address.size() && address[i].isDigit() && address[i].unicode() < 0x80)
            ++i;
        if (i == portStart || i - portStart > 5 || (i < address.size() && address[i] != u'/'))
            return false;
    }
    return std::all_of(address.begin() + i, address.end(), [](QChar c) {
        return IsAsciiAlnum(c) || QStringView(u"-._~!$&'()*+,;=:@/?").contains(c);
    });
}

bool StartsWith(QStringView line, QStringView tag) {
    return line.startsWith(tag, Qt::CaseInsensitive);
}

struct TEntry {
    QString name;
    QString tvgId;
    QString tvgName;
    QString group;
    TRequestHeaders headers;
    QString logo;
    std::optional<double> tvgShift;
    TCatchupRule catchup;
};

// Rule: a comma or the full-width comma "，" splits a text line, at the first of either.
qsizetype FirstComma(QStringView line) {
    for (qsizetype i = 0; i < line.size(); ++i)
        if (line[i] == u',' || line[i] == u'\uFF0C')
            return i;
    return -1;
}

// Collects the entries into channels and groups as the file gives them.
class TCollector {
public:
    explicit TCollector(const QUrl& location) : FLocation(location) {}

    void Add(const TEntry& entry, QStringView written) {
        // Rule: a relative address is resolved against the list's own location.
        QString address = written.toString();
        if (SchemeOf(written).isEmpty()) {
            const QUrl relative(address, QUrl::StrictMode);
            address = relative.isValid() ? FLocation.resolved(relative).toString() : QString();
        }
        // Rule: only network addresses of the accepted schemes are channels.
        if (!IsChannelAddress(address)) {
            ++FList.skipped;
            return;
        }
        // Rule: an empty name falls back to tvg-name, then to the address.
        QString name = !entry.name.isEmpty() ? entry.name : entry.tvgName;
        if (name.isEmpty())
            name = written.toString();
        // Rule: the same tvg-id, or without one the same name, is one channel.
        auto& known = entry.tvgId.isEmpty() ? FByName : FById;
        const QString& key = entry.tvgId.isEmpty() ? name : entry.tvgId;
        const TStreamAddress added{address, entry.headers};
        if (const auto found = known.constFind(key); found != known.cend()) {
            FList.groups[found->first].channels[found->second].addresses.append(added);
            return;
        }
        const qsizetype group =
            GroupIndex(entry.group.isEmpty() ? UngroupedName.toString() : entry.group);
        QList<TPlaylistChannel>& channels = FList.groups[group].channels;
        known.insert(key, {group, channels.size()});
        // Rule: the first entry of a channel gives its guide, logo and catch-up.
        channels.append(
            {name, {added}, entry.tvgId, entry.tvgName, entry.logo, entry.tvgShift, entry.catchup});
    }

    TPlaylist& List() { return FList; }

    TPlaylist Finish() {
        // Rule: the ungrouped entries come last.
        if (const auto found = FGroups.constFind(UngroupedName.toString());
            found != FGroups.cend() && *found != FList.groups.size() - 1)
            FList.groups.move(*found, FList.groups.size() - 1);
        return std::move(FList);
    }

private:
    qsizetype GroupIndex(const QString& name) {
        const auto found = FGroups.constFind(name);
        if (found != FGroups.cend())
            return *found;
        FGroups.insert(name, FList.groups.size());
        FList.groups.append({name, {}});
        return FList.groups.size() - 1;
    }

    QUrl FLocation;
    TPlaylist FList;
    QHash<QString, qsizetype> FGroups;
    QHash<QString, std::pair<qsizetype, qsizetype>> FById;
    QHash<QString, std::pair<qsizetype, qsizetype>> FByName;
};

// Rule: lines end at LF, CRLF or CR, and blanks around them do not count. The visitor
// answers whether to go on.
template <typename F> void ForEachLine(QStringView text, F&& visit) {
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\n' && text[i] != u'\r')
            continue;
        const QStringView line = text.sliced(start, i - start).trimmed();
        if (!line.isEmpty() && !visit(line))
            return;
        start = i + 1;
    }
}

// Rule: attributes are key="value" pairs, or key=value up to a blank; the visitor gets
// each key and its trimmed value.
template <typename F> void ForEachAttribute(QStringView head, F&& visit) {
    qsizetype i = 0;
    while (i < head.size()) {
        while (i < head.size() && head[i].isSpace())
            ++i;
        const qsizetype keyStart = i;
        while (i < head.size() && head[i] != u'=' && !head[i].isSpace())
            ++i;
        const QStringView key = head.sliced(keyStart, i - keyStart);
        if (i >= head.size() || head[i] != u'=')
            continue;
        ++i;
        qsizetype valueStart = i;
        if (i < head.size() && head[i] == u'"') {
            valueStart = ++i;
            while (i < head.size() && head[i] != u'"')
                ++i;
        } else {
            while (i < head.size() && !head[i].isSpace())
                ++i;
        }
        const QStringView value = head.sliced(valueStart, i - valueStart).trimmed();
        if (i < head.size() && head[i] == u'"')
            ++i;
        visit(key, value);
    }
}

bool IsKey(QStringView key, QStringView name) {
    return key.compare(name, Qt::CaseInsensitive) == 0;
}

// Rule: tvg-shift is in hours, fractional and signed; anything else says nothing.
std::optional<double> ReadShift(QStringView value) {
    bool ok = false;
    const double hours = value.toDouble(&ok);
    return ok && std::abs(hours) <= 24 ? std::optional<double>(hours) : std::nullopt;
}

// Rule: catchup names the kind, catchup-source the template, and catchup-days with its
// aliases timeshift and tvg-rec how many days back; the header's serve as defaults.
bool ReadCatchup(QStringView key, QStringView value, TCatchupRule& rule) {
    if (IsKey(key, u"catchup"))
        rule.type = value.toString();
    else if (IsKey(key, u"catchup-source"))
        rule.source = value.toString();
    else if (IsKey(key, u"catchup-days") || IsKey(key, u"timeshift") || IsKey(key, u"tvg-rec"))
        rule.days = std::max(0, value.toInt());
    else
        return false;
    return true;
}

// Rule: #EXTM3U carries the guides (x-tvg-url, url-tvg, tvg-url, each a comma-separated
// list, in the order written), the shift of their times and the catch-up defaults.
void ReadHeader(QStringView head, TPlaylist& list, TCatchupRule& defaults) {
    ForEachAttribute(head, [&](QStringView key, QStringView value) {
        if (IsKey(key, u"x-tvg-url") || IsKey(key, u"url-tvg") || IsKey(key, u"tvg-url")) {
            for (QStringView address : value.tokenize(u',', Qt::SkipEmptyParts))
                if (const QString a = address.trimmed().toString();
                    !a.isEmpty() && !list.guideAddresses.contains(a))
                    list.guideAddresses.append(a);
        } else if (IsKey(key, u"tvg-shift")) {
            list.tvgShift = ReadShift(value).value_or(0);
        } else {
            ReadCatchup(key, value, defaults);
        }
    });
}

// Rule: the attributes of #EXTINF are key="value" pairs after the duration, and the
// name is what follows the first comma outside quotes.
void ReadInfo(QStringView info, TEntry& entry) {
    qsizetype comma = 0;
    bool quoted = false;
    while (comma < info.size() && (quoted || info[comma] != u',')) {
        if (info[comma] == u'"')
            quoted = !quoted;
        ++comma;
    }
    if (comma < info.size())
        entry.name = info.sliced(comma + 1).trimmed().toString();
    const QStringView head = info.first(comma);
    qsizetype i = 0;
    while (i < head.size() && !head[i].isSpace())
        ++i; // the duration
    ForEachAttribute(head.sliced(i), [&](QStringView key, QStringView value) {
        // Rule: tvg-chno and unknown attributes do not change the channel.
        if (IsKey(key, u"tvg-id"))
            entry.tvgId = value.toString();
        else if (IsKey(key, u"tvg-name"))
            entry.tvgName = value.toString();
        else if (IsKey(key, u"group-title"))
            entry.group = value.toString();
        else if (IsKey(key, u"tvg-logo"))
            entry.logo = value.toString();
        else if (IsKey(key, u"tvg-shift"))
            entry.tvgShift = ReadShift(value);
        else
            ReadCatchup(key, value, entry.catchup);
    });
}

void ReadM3u(QStringView text, TCollector& collector) {
    TEntry entry;
    QString extGroup;
    TCatchupRule defaults;
    ForEachLine(text, [&](QStringView line) {
        if (line.startsWith(u'#')) {
            if (StartsWith(line, u"#EXTM3U"))
                ReadHeader(line.sliced(7), collector.List(), defaults);
            else if (StartsWith(line, u"#EXTINF:"))
                ReadInfo(line.sliced(8), entry);
            // Rule: #EXTGRP names the group where group-title does not.
            else if (StartsWith(line, u"#EXTGRP:"))
                extGroup = line.sliced(8).trimmed().toString();
            // Rule: of the option lines only the user agent and the referrer are taken,
            // and only for the next address.
            else if (StartsWith(line, u"#EXTVLCOPT:http-user-agent="))
                entry.headers.userAgent = line.sliced(27).trimmed().toString();
            else if (StartsWith(line, u"#EXTVLCOPT:http-referrer="))
                entry.headers.referrer = line.sliced(25).trimmed().toString();
            // Rule: any other comment or tag is left.
            return true;
        }
        // Rule: a bare line is an address, with or without #EXTINF before it.
        if (entry.group.isEmpty())
            entry.group = extGroup;
        // Rule: what an entry leaves of the catch-up, the header's defaults give.
        if (entry.catchup.type.isEmpty())
            entry.catchup.type = defaults.type;
        if (entry.catchup.source.isEmpty())
            entry.catchup.source = defaults.source;
        if (entry.catchup.days == 0)
            entry.catchup.days = defaults.days;
        collector.Add(entry, line);
        entry = {};
        extGroup.clear();
        return true;
    });
}

void ReadTextList(QStringView text, TCollector& collector) {
    QString group;
    ForEachLine(text, [&](QStringView line) {
        const qsizetype comma = FirstComma(line);
        if (line.startsWith(u'#') || comma < 0)
            return true;
        const QStringView name = line.first(comma).trimmed();
        const QStringView rest = line.sliced(comma + 1).trimmed();
        // Rule: "name,#genre#" starts a group.
        if (rest.compare(u"#genre#", Qt::CaseInsensitive) == 0) {
            group = name.toString();
            return true;
        }
        // Rule: "name,address" is a channel, and "#" joins several addresses of it.
        const TEntry entry{name.toString(), {}, {}, group, {}, {}, {}, {}};
        for (QStringView address : rest.tokenize(u'#', Qt::SkipEmptyParts))
            if (!address.trimmed().isEmpty())
                collector.Add(entry, address.trimmed());
        return true;
    });
}

// Rule: the two formats are told apart by content: a list without the #EXTM3U header
// whose lines are "name,#genre#" or "name,address" is a text list.
bool IsTextList(QStringView text) {
    bool first = true;
    bool textLine = false;
    ForEachLine(text, [&](QStringView line) {
        if (std::exchange(first, false) && StartsWith(line, u"#EXTM3U"))
            return false;
        const qsizetype comma = FirstComma(line);
        if (line.startsWith(u'#') || comma <= 0 || line.first(comma).contains(u"://"))
            return true;
        const QStringView rest = line.sliced(comma + 1).trimmed();
        textLine = rest.compare(u"#genre#", Qt::CaseInsensitive) == 0 || rest.contains(u"://");
        return !textLine;
    });
    return textLine;
}

// Rule: a stream's own playlist carries a target duration or variant streams.
bool IsStreamPlaylist(QStringView text) {
    for (qsizetype at = text.indexOf(u"#EXT-X-"); at >= 0; at = text.indexOf(u"#EXT-X-", at + 7)) {
        const QStringView tag = text.sliced(at);
        if (tag.startsWith(u"#EXT-X-TARGETDURATION") || tag.startsWith(u"#EXT-X-STREAM-INF"))
            return true;
    }
    return false;
}

} // namespace

bool IsChannelAddress(QStringView address) {
    if (address.size() > MaxAddressBytes / 3 && address.toUtf8().size() > MaxAddressBytes)
        return false;
    if (std::any_of(address.begin(), address.end(), IsControl))
        return false;
    const QStringView scheme = SchemeOf(address);
    if (std::none_of(AcceptedSchemes.begin(), AcceptedSchemes.end(), [scheme](QStringView s) {
            return scheme.compare(s, Qt::CaseInsensitive) == 0;
        }))
        return false;
    if (IsPlainAddress(address, scheme.size() + 1))
        return true;
    return IsSingleAbsoluteAddress(address.toString());
}

TPlaylist ReadPlaylist(QByteArrayView bytes, const QUrl& location) {
    // Rule: UTF-8, with or without a byte-order mark.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    const QString text = QString::fromUtf8(bytes);
    TCollector collector(location);
    // Rule: a page of markup (an error page, a site's front page) is no list.
    if (text.trimmed().startsWith(u'<'))
        return collector.Finish();
    if (IsStreamPlaylist(text)) {
        // Rule: a stream's own playlist is one channel, named after its file.
        const QString name = location.fileName().isEmpty() ? location.host() : location.fileName();
        collector.Add({name, {}, {}, {}, {}, {}, {}, {}}, location.toString());
    } else if (IsTextList(text)) {
        ReadTextList(text, collector);
    } else {
        ReadM3u(text, collector);
    }
    return collector.Finish();
}

int ChannelCount(const TPlaylist& list) {
    int count = 0;
    for (const TPlaylistGroup& group : list.groups)
        count += int(group.channels.size());
    return count;
}

const TPlaylistChannel* ChannelAt(const TPlaylist& list, int position) {
    for (const TPlaylistGroup& group : list.groups) {
        if (position >= 0 && position < group.channels.size())
            return &group.channels[position];
        position -= int(group.channels.size());
    }
    return nullptr;
}
