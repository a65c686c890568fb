#include "tv/playlist.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// What the guide and catch-up read of a channel, where the list says anything:
// " {id=… name=… logo=… shift=… catchup=type|source|days}".
QString DescribeGuide(const TPlaylistChannel& c) {
    QStringList parts;
    if (!c.tvgId.isEmpty())
        parts << u"id="_s + c.tvgId;
    if (!c.tvgName.isEmpty())
        parts << u"name="_s + c.tvgName;
    if (!c.logo.isEmpty())
        parts << u"logo="_s + c.logo;
    if (c.tvgShift)
        parts << u"shift="_s + QString::number(*c.tvgShift);
    if (!c.catchup.type.isEmpty() || !c.catchup.source.isEmpty() || c.catchup.days != 0)
        parts << u"catchup=%1|%2|%3"_s.arg(c.catchup.type, c.catchup.source).arg(c.catchup.days);
    return parts.isEmpty() ? QString() : u" {"_s + parts.join(u' ') + u'}';
}

// One line per group, "group: channel {guide} <address ua=… ref=…> <address>; channel …",
// then the header's guides and shift where it names any, then how many addresses were
// refused.
std::string Describe(const TPlaylist& list) {
    QString out;
    for (const TPlaylistGroup& group : list.groups) {
        QStringList channels;
        for (const TPlaylistChannel& channel : group.channels) {
            QString text = channel.name + DescribeGuide(channel);
            for (const TStreamAddress& a : channel.addresses)
                text += u" <"_s + a.url +
                        (a.headers.userAgent.isEmpty() ? u""_s : u" ua="_s + a.headers.userAgent) +
                        (a.headers.referrer.isEmpty() ? u""_s : u" ref="_s + a.headers.referrer) +
                        u'>';
            channels << text;
        }
        out += group.name + u": "_s + channels.join(u"; "_s) + u'\n';
    }
    if (!list.guideAddresses.isEmpty() || list.tvgShift != 0)
        out += u"guides %1 shift %2\n"_s.arg(list.guideAddresses.join(u" | "_s)).arg(list.tvgShift);
    return (out + u"skipped %1"_s.arg(list.skipped)).toStdString();
}

struct TReadCase {
    const char* name;
    QByteArray bytes;
    const char* location;
    const char* expected;
};

const TReadCase ReadCases[] = {
    {"extinf attributes name and group, unknown ones ignored",
     "#EXTM3U\n#EXTINF:-1 tvg-id=\"c1\" tvg-logo=\"http://l/1.png\" tvg-chno=\"1\" x-odd=\"?\" "
     "group-title=\"央视\",CCTV-1 综合\nhttp://a/1.m3u8\n",
     "http://h/list.m3u",
     "央视: CCTV-1 综合 {id=c1 logo=http://l/1.png} <http://a/1.m3u8>\nskipped 0"},
    {"name follows the first comma outside quotes",
     "#EXTM3U\n#EXTINF:-1 group-title=\"News, World\",BBC, One\nhttp://a/b\n", "",
     "News, World: BBC, One <http://a/b>\nskipped 0"},
    {"empty name falls back to tvg-name",
     "#EXTM3U\n#EXTINF:-1 tvg-name=\"凤凰中文\" group-title=\"港台\",\nhttp://a/f\n", "",
     "港台: 凤凰中文 {name=凤凰中文} <http://a/f>\nskipped 0"},
    {"empty name without tvg-name falls back to the address",
     "#EXTM3U\n#EXTINF:-1,\nrtmp://a/live\n", "",
     "未分组: rtmp://a/live <rtmp://a/live>\nskipped 0"},
    {"EXTGRP names the group where group-title is absent",
     "#EXTM3U\n#EXTINF:-1,A\n#EXTGRP:体育\nhttp://a/a\n#EXTINF:-1 group-title=\"新闻\",B\n"
     "#EXTGRP:体育\nhttp://a/b\n",
     "", "体育: A <http://a/a>\n新闻: B <http://a/b>\nskipped 0"},
    {"user agent and referrer go with the next address only, other options ignored",
     "#EXTM3U\n#EXTINF:-1,A\n#EXTVLCOPT:http-user-agent=Box/1.0\n#EXTVLCOPT:http-referrer=http://r/"
     "\n"
     "#EXTVLCOPT:network-caching=1000\nhttp://a/a\n#EXTINF:-1,B\nhttp://a/b\n",
     "", "未分组: A <http://a/a ua=Box/1.0 ref=http://r/>; B <http://a/b>\nskipped 0"},
    {"plain m3u of bare addresses", "http://a/1\n# a comment\nudp://@239.0.0.1:1234\n", "",
     "未分组: http://a/1 <http://a/1>; udp://@239.0.0.1:1234 <udp://@239.0.0.1:1234>\nskipped 0"},
    {"text list with genre lines, told by content under an m3u name",
     u"央视频道,#genre#\nCCTV-1,http://a/1\nCCTV-2,http://a/2\n卫视,#genre#\n湖南卫视,http://a/h\n"_s
         .toUtf8(),
     "http://h/list.m3u",
     "央视频道: CCTV-1 <http://a/1>; CCTV-2 <http://a/2>\n卫视: 湖南卫视 <http://a/h>\nskipped 0"},
    {"text list addresses joined with #", "CCTV-1,http://a/1.m3u8#http://b/1.m3u8\n", "",
     "未分组: CCTV-1 <http://a/1.m3u8> <http://b/1.m3u8>\nskipped 0"},
    {"byte-order mark, CRLF, CR and blanks around lines",
     "\xEF\xBB\xBF#EXTM3U\r\n  #EXTINF:-1,A  \r\n\thttp://a/a \r#EXTINF:-1,B\r\rhttp://a/b\r\n", "",
     "未分组: A <http://a/a>; B <http://a/b>\nskipped 0"},
    {"unknown comments and tags are left",
     "#EXTM3U "
     "x-tvg-url=\"http://e/epg.xml\"\n#PLAYLIST:mine\n#EXTINF:-1,A\n#EXTBYT:12\nhttp://a/a\n",
     "", "未分组: A <http://a/a>\nguides http://e/epg.xml shift 0\nskipped 0"},
    {"relative addresses resolve against the list's location",
     "#EXTM3U\n#EXTINF:-1,A\nlive/a.m3u8\n#EXTINF:-1,B\n/b.m3u8\n", "https://h/lists/tv.m3u",
     "未分组: A <https://h/lists/live/a.m3u8>; B <https://h/b.m3u8>\nskipped 0"},
    {"relative addresses of a local list are local files, refused",
     "#EXTM3U\n#EXTINF:-1,A\nlive/a.m3u8\n", "file:///home/u/tv.m3u", "skipped 1"},
    {"a stream's media playlist is one channel named after its file",
     "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2.0,\nseg0.ts\n", "http://h/live/cctv1.m3u8",
     "未分组: cctv1.m3u8 <http://h/live/cctv1.m3u8>\nskipped 0"},
    {"a stream's variant playlist is one channel",
     "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=800000\nlow/index.m3u8\n", "http://h/master.m3u8",
     "未分组: master.m3u8 <http://h/master.m3u8>\nskipped 0"},
    {"ungrouped entries come last",
     "#EXTM3U\n#EXTINF:-1,A\nhttp://a/a\n#EXTINF:-1 group-title=\"G\",B\nhttp://a/b\n", "",
     "G: B <http://a/b>\n未分组: A <http://a/a>\nskipped 0"},
    {"same tvg-id is one channel in its first group, addresses in file order",
     "#EXTM3U\n#EXTINF:-1 tvg-id=\"c1\" group-title=\"G1\",CCTV-1\nhttp://a/1\n"
     "#EXTINF:-1 tvg-id=\"c2\" group-title=\"G1\",CCTV-1\nhttp://a/other\n"
     "#EXTINF:-1 tvg-id=\"c1\" group-title=\"G2\",CCTV1 HD\nhttp://b/1\n",
     "",
     "G1: CCTV-1 {id=c1} <http://a/1> <http://b/1>; CCTV-1 {id=c2} <http://a/other>\nskipped 0"},
    {"without tvg-id the same trimmed name is one channel",
     "#EXTM3U\n#EXTINF:-1,CCTV-1 \nhttp://a/1\n#EXTINF:-1, CCTV-1\nhttp://b/1\n", "",
     "未分组: CCTV-1 <http://a/1> <http://b/1>\nskipped 0"},
    {"refused addresses are counted and leave no channel",
     "#EXTM3U\n#EXTINF:-1,A\nfile:///etc/passwd\n#EXTINF:-1,B\nhttp://a/b\n#EXTINF:-1,C\n"
     "lavfi://sine\n",
     "", "未分组: B <http://a/b>\nskipped 2"},
    {"header guides from all three keys, comma-separated, in order, each once",
     "#EXTM3U x-tvg-url=\"http://e/a.xml, http://e/b.xml.gz\" url-tvg=\"http://e/c.xml\" "
     "tvg-url=\"http://e/a.xml\" tvg-shift=\"8\"\n#EXTINF:-1,A\nhttp://a/a\n",
     "",
     "未分组: A <http://a/a>\nguides http://e/a.xml | http://e/b.xml.gz | http://e/c.xml shift "
     "8\nskipped 0"},
    {"entry shift fractional and negative, the header's kept apart",
     "#EXTM3U tvg-shift=-1\n#EXTINF:-1 "
     "tvg-shift=\"-4.5\",A\nhttp://a/a\n#EXTINF:-1,B\nhttp://a/b\n",
     "", "未分组: A {shift=-4.5} <http://a/a>; B <http://a/b>\nguides  shift -1\nskipped 0"},
    {"catch-up per entry over the header's defaults, field by field",
     "#EXTM3U catchup=\"append\" catchup-source=\"?utc={utc}\" catchup-days=\"3\"\n"
     "#EXTINF:-1 catchup=\"shift\",A\nhttp://a/a\n#EXTINF:-1 catchup-days=\"7\",B\nhttp://a/b\n",
     "",
     "未分组: A {catchup=shift|?utc={utc}|3} <http://a/a>; B {catchup=append|?utc={utc}|7} "
     "<http://a/b>\nskipped 0"},
    {"timeshift and tvg-rec are days of catch-up",
     "#EXTM3U\n#EXTINF:-1 catchup=\"default\" timeshift=\"5\",A\nhttp://a/a\n"
     "#EXTINF:-1 tvg-rec=\"2\",B\nhttp://a/b\n",
     "", "未分组: A {catchup=default||5} <http://a/a>; B {catchup=||2} <http://a/b>\nskipped 0"},
    {"a channel of several entries keeps the first entry's guide and catch-up",
     "#EXTM3U\n#EXTINF:-1 tvg-id=\"c1\" tvg-logo=\"http://l/a\" catchup=\"shift\",A\nhttp://a/1\n"
     "#EXTINF:-1 tvg-id=\"c1\" tvg-logo=\"http://l/b\" catchup=\"xc\",A HD\nhttp://b/1\n",
     "", "未分组: A {id=c1 logo=http://l/a catchup=shift||0} <http://a/1> <http://b/1>\nskipped 0"},
    {"text list with full-width commas, split at the first comma of either kind",
     u"央视，#genre#\nCCTV-1，http://a/1\nA，B,http://a/ab\nC,D，http://a/cd\n"_s.toUtf8(), "",
     "央视: CCTV-1 <http://a/1>\nskipped 2"},
    {"an html page has no channel", "<!DOCTYPE html>\n<html><body>Not here, sorry</body></html>\n",
     "http://h/list.m3u", "skipped 0"},
};

// A row is shown by its name, not by its bytes.
void PrintTo(const TReadCase& c, std::ostream* out) {
    *out << c.name;
}

class ReadPlaylistTest : public testing::TestWithParam<TReadCase> {};

TEST_P(ReadPlaylistTest, ReadsTheDialect) {
    const TReadCase& c = GetParam();
    EXPECT_EQ(Describe(ReadPlaylist(c.bytes, QUrl(QString::fromUtf8(c.location)))), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReadPlaylistTest, testing::ValuesIn(ReadCases),
                         [](const testing::TestParamInfo<TReadCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

struct TSchemeCase {
    const char* name;
    QString address;
    bool accepted;
};

const TSchemeCase SchemeCases[] = {
    {"http", u"http://h/a"_s, true},
    {"https in capitals", u"HTTPS://h/a"_s, true},
    {"rtsp rtsps rtmp rtmps", u"rtmps://h/a"_s, true},
    {"mms mmsh mmst", u"mmsh://h/a"_s, true},
    {"rtp udp srt", u"srt://h:9000"_s, true},
    {"file", u"file:///etc/passwd"_s, false},
    {"bare local path", u"/etc/passwd"_s, false},
    {"windows path", u"C:\\tv\\a.ts"_s, false},
    {"edl", u"edl://h/a"_s, false},
    {"av", u"av://v4l2:/dev/video0"_s, false},
    {"lavfi", u"lavfi://sine"_s, false},
    {"memory", u"memory://abc"_s, false},
    {"fd", u"fd://0"_s, false},
    {"data", u"data:text/plain,x"_s, false},
    {"control character", u"http://h/a\u0001b"_s, false},
    {"8 KiB is the limit", u"http://h/"_s + QString(8183, u'a'), true},
    {"over 8 KiB", u"http://h/"_s + QString(8184, u'a'), false},
};

TEST(ChannelAddressTest, OnlyNetworkSchemesAreChannels) {
    for (const TSchemeCase& c : SchemeCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsChannelAddress(c.address), c.accepted);
    }
}

} // namespace
