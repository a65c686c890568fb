#include "tv/catchup.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Unless a row says otherwise the programme ran 09:05:03–09:35:33 UTC on 12-08
// (1796720703–1796722533, 1830 s), written by a guide at +0800, and it is now
// 12-09 12:00 UTC (1796817600, 96897 s after the start).
struct TArchiveCase {
    const char *name, *type, *source, *live, *expected;
    int days = 0;
    const char* start = "2026-12-08T09:05:03Z";
    int zoneOffset = 8 * 3600;
};

const TArchiveCase ArchiveCases[] = {
    {"default: the start and end in Unix seconds in each form", "default",
     "http://a/p?s={utc},{start},${start}&e={utcend},{end},${end}", "http://a/live",
     "http://a/p?s=1796720703,1796720703,1796720703&e=1796722533,1796722533,1796722533"},
    {"default: now in Unix seconds in each form", "default",
     "http://a/p?n={lutc},{now},{timestamp},${timestamp}", "http://a/live",
     "http://a/p?n=1796817600,1796817600,1796817600,1796817600"},
    {"default: length and time since the start, in units rounding down", "default",
     "http://a/p?d={duration},${duration},{duration:60},{duration:7}&o={offset:60},${offset},{"
     "offset:7}",
     "http://a/live", "http://a/p?d=1830,1830,30,261&o=1614,96897,13842"},
    {"default: the start's fields and formats in UTC, other characters kept", "default",
     "http://a/{Y}/{m}/{d}/{H}{M}{S}?b={utc:Y-m-dTH.M.S}&e={utcend:YmdHMS}", "http://a/live",
     "http://a/2026/12/08/090503?b=2026-12-08T09.05.03&e=20261208093533"},
    {"append: begin and end written in the guide's +0800", "append",
     "?playseek=${(b)yyyyMMddHHmmss}-${(e)yyyyMMddHHmmss}", "http://a/tv/1.m3u8",
     "http://a/tv/1.m3u8?playseek=20261208170503-20261208173533"},
    {"append: a guide written in UTC gives UTC, other characters kept", "append",
     "?b=${(b)yyyy-MM-dd_HH:mm:ss}", "http://a/tv/1.m3u8",
     "http://a/tv/1.m3u8?b=2026-12-08_09:05:03", 0, "2026-12-08T09:05:03Z", 0},
    {"append: a source's ? joins an address's query with &", "APPEND", "?playseek=${(b)HHmmss}",
     "http://a/1.m3u8?time=1&sign=2", "http://a/1.m3u8?time=1&sign=2&playseek=170503"},
    {"shift: utc and lutc joined to the query", "shift", "", "http://a/1.m3u8?k=1",
     "http://a/1.m3u8?k=1&utc=1796720703&lutc=1796817600"},
    {"flussonic: index.m3u8 with its query kept", "flussonic", "", "http://a/ch1/index.m3u8?t=x",
     "http://a/ch1/index-1796720703-1830.m3u8?t=x"},
    {"flussonic-hls: video.m3u8", "flussonic-hls", "", "http://a/ch1/video.m3u8",
     "http://a/ch1/video-1796720703-1830.m3u8"},
    {"fs: another file is no server stream", "fs", "", "http://a/ch1/mono.m3u8", ""},
    {"flussonic-ts: mpegts", "flussonic-ts", "", "http://a/ch1/mpegts",
     "http://a/ch1/timeshift_abs-1796720703.ts"},
    {"xc: live/USER/PASS/ID.EXT", "xc", "", "http://a:8080/live/u/p/42.m3u8",
     "http://a:8080/timeshift/u/p/30/2026-12-08:09-05/42.m3u8"},
    {"xc: USER/PASS/ID is a transport stream", "xc", "", "http://a:8080/u/p/42",
     "http://a:8080/timeshift/u/p/30/2026-12-08:09-05/42.ts"},
    {"a day's archive does not reach yesterday's programme", "shift", "", "http://a/1", "", 1},
    {"without days the archive reaches 7", "default", "http://a/p/{utc}", "http://a/1",
     "http://a/p/1796213100", 0, "2026-12-02T12:05:00Z"},
    {"without days nothing older than 7", "default", "http://a/p/{utc}", "http://a/1", "", 0,
     "2026-12-02T11:59:59Z"},
    {"a programme not begun has none", "default", "http://a/p/{utc}", "http://a/1", "", 0,
     "2026-12-09T12:00:01Z"},
    {"default without a source has none", "default", "", "http://a/1", ""},
    {"no type has none", "", "http://a/p/{utc}", "http://a/1", ""},
    {"an unknown placeholder has none", "default", "http://a/p/{utc}/{channel}", "http://a/1", ""},
    {"an address the list rule refuses has none", "default", "file:///p/{utc}", "http://a/1", ""},
};

TEST(ArchiveAddressTest, BuildsTheArchiveAddress) {
    const QDateTime now = QDateTime::fromString(u"2026-12-09T12:00:00Z"_s, Qt::ISODate);
    for (const TArchiveCase& c : ArchiveCases) {
        SCOPED_TRACE(c.name);
        TPlaylistChannel channel;
        channel.addresses = {{u"http://a/other"_s, {}}, {QString::fromUtf8(c.live), {}}};
        channel.catchup = {QString::fromUtf8(c.type), QString::fromUtf8(c.source), c.days};
        const QDateTime start = QDateTime::fromString(QString::fromUtf8(c.start), Qt::ISODate);
        const TProgramme programme{start, start.addSecs(1830), c.zoneOffset, u"新闻"_s, {}};
        EXPECT_EQ(ArchiveAddress(channel, 1, programme, now).toStdString(), c.expected);
    }
}

} // namespace
