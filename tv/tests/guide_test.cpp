#include "tv/guide.h"
#include "tv/guidereader.h"
#include "tv/tests/httptestserver.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QDateTime Now = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);

QByteArray Programme(const char* channel, const char* start, const char* stop, const char* title) {
    return "<programme channel=\""_ba + channel + "\" start=\"" + start + "\"" +
           (*stop ? " stop=\""_ba + stop + "\"" : ""_ba) + "><title>" + title +
           "</title></programme>";
}

QByteArray Channel(const char* id, const QByteArray& names = {}) {
    return "<channel id=\""_ba + id + "\">" + names + "</channel>";
}

QByteArray Tv(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>" + body + "</tv>\n";
}

// Per list channel, "name=guide id: ddThh:mm-hh:mm/zone minutes title, …" in UTC.
std::string Describe(const TGuide& guide, const TPlaylist& list) {
    QStringList lines;
    for (int position = 0; position < ChannelCount(list); ++position) {
        QStringList programmes;
        for (const TProgramme& p : guide.Schedule(position))
            programmes << p.start.toString(u"dd'T'hh:mm"_s) + u'-' + p.stop.toString(u"hh:mm"_s) +
                              u'/' + QString::number(p.zoneOffset / 60) + u' ' + p.title;
        lines << ChannelAt(list, position)->name + u'=' + guide.MatchedId(position) + u": "_s +
                     programmes.join(u", "_s);
    }
    return lines.join(u'\n').toStdString();
}

struct TGuideCase {
    const char* name;
    QByteArray list;
    QByteArray guide;
    const char* expected;
};

// A row is shown by its name, not by its bytes.
void PrintTo(const TGuideCase& c, std::ostream* out) {
    *out << c.name;
}

const QByteArray Cctv1 = Channel("CCTV1", "<display-name>CCTV-1 综合</display-name>");
// CCTV1 with one programme T from 12:00 to 13:00 UTC.
const QByteArray OneAtNoon =
    Tv(Cctv1 + Programme("CCTV1", "20261209120000", "20261209130000", "T"));
// One channel A, of the guide's id CCTV1.
const QByteArray ListById = "#EXTM3U\n#EXTINF:-1 tvg-id=\"CCTV1\",A\nhttp://a/a\n";

const TGuideCase GuideCases[] = {
    {"a zone is applied and kept, a time without one is UTC", ListById,
     Tv(Cctv1 + Programme("CCTV1", "20261209190000 +0800", "20261209193000 +0800", "新闻联播") +
        Programme("CCTV1", "20261209120000", "20261209130000", "UTC") +
        Programme("CCTV1", "20261209093000 -0430", "20261209100000 -0430", "西")),
     "A=CCTV1: 09T11:00-11:30/480 新闻联播, 09T12:00-13:00/0 UTC, 09T14:00-14:30/-270 西"},
    {"a time cut short reads as far as it goes, a missing stop is the next start", ListById,
     Tv(Cctv1 + Programme("CCTV1", "202612091200", "", "一") +
        Programme("CCTV1", "2026120913 +0800", "", "二") +
        Programme("CCTV1", "20261209133000", "", "末")),
     "A=CCTV1: 09T05:00-12:00/480 二, 09T12:00-13:30/0 一, 09T13:30-13:30/0 末"},
    {"the entry's shift, fractional and negative, over the header's",
     "#EXTM3U tvg-shift=\"8\"\n#EXTINF:-1 tvg-id=\"CCTV1\",A\nhttp://a/a\n"
     "#EXTINF:-1 tvg-name=\"CCTV1\" tvg-shift=\"-4.5\",B\nhttp://a/b\n",
     OneAtNoon, "A=CCTV1: 09T20:00-21:00/0 T\nB=CCTV1: 09T07:30-08:30/0 T"},
    {"channels after the programmes are read in a second pass",
     "#EXTM3U\n#EXTINF:-1,CCTV-1 综合\nhttp://a/a\n#EXTINF:-1,湖南卫视\nhttp://a/b\n",
     Tv(Programme("HUNAN", "20261209120000", "20261209130000", "H") +
        Programme("CCTV1", "20261209120000", "20261209130000", "C") +
        Programme("OTHER", "20261209120000", "20261209130000", "O") +
        Programme("CCTV1", "20261209130000", "20261209140000", "C2") + Cctv1 +
        Channel("HUNAN", "<display-name>湖南卫视</display-name>") + Channel("OTHER")),
     "CCTV-1 综合=CCTV1: 09T12:00-13:00/0 C, 09T13:00-14:00/0 C2\n湖南卫视=HUNAN: 09T12:00-13:00/0 "
     "H"},
    {"a duplicated id merges, also before its matching element, the first read kept where they "
     "overlap",
     "#EXTM3U\n#EXTINF:-1,B2\nhttp://a/a\n",
     Tv(Channel("d", "<display-name>B1</display-name>") +
        Programme("d", "20261209120000", "20261209130000", "first") +
        Channel("D", "<display-name>B2</display-name>") +
        Programme("D", "20261209123000", "20261209133000", "overlap") +
        Programme("D", "20261209130000", "20261209140000", "second")),
     "B2=d: 09T12:00-13:00/0 first, 09T13:00-14:00/0 second"},
    {"tvg-id ignores case; one that matches nothing falls back to the name",
     "#EXTM3U\n#EXTINF:-1 tvg-id=\"cctv1\",X\nhttp://a/a\n#EXTINF:-1 "
     "tvg-id=\"nope\",CCTV1\nhttp://a/b\n",
     OneAtNoon, "X=CCTV1: 09T12:00-13:00/0 T\nCCTV1=CCTV1: 09T12:00-13:00/0 T"},
    {"names fold width and case and drop blanks, dashes, underscores and dots",
     u"#EXTM3U\n#EXTINF:-1,ｃｃｔｖ－１ 综合\nhttp://a/a\n#EXTINF:-1 tvg-name=\"凤凰·中文\",x\nhttp://a/b\n"_s
         .toUtf8(),
     Tv(Cctv1 +
        Channel("f",
                "<display-name>凤凰 中文_台</display-name><display-name>凤凰中文</display-name>")),
     "ｃｃｔｖ－１ 综合=CCTV1: \nx=f: "},
    {"never a prefix: CCTV-1 is not CCTV-10, CCTV-4 中文国际 欧洲 is not CCTV-4",
     "#EXTM3U\n#EXTINF:-1,CCTV-1\nhttp://a/a\n#EXTINF:-1,CCTV-4 中文国际 欧洲\nhttp://a/b\n",
     Tv(Channel("CCTV10", "<display-name>CCTV-10</display-name>") +
        Channel("CCTV4",
                "<display-name>CCTV-4</display-name><display-name>CCTV-4 中文国际</display-name>")),
     "CCTV-1=: \nCCTV-4 中文国际 欧洲=: "},
    {"quality tags are cut on both sides only when the full names find nothing",
     "#EXTM3U\n#EXTINF:-1,湖南卫视4K\nhttp://a/a\n#EXTINF:-1,CCTV-4K\nhttp://a/b\n"
     "#EXTINF:-1,CCTV-1 HD [备用]\nhttp://a/c\n#EXTINF:-1,高清\nhttp://a/d\n"
     "#EXTINF:-1,CCTV-5 FHD\nhttp://a/e\n",
     Tv(Channel("hn", "<display-name>湖南卫视 高清</display-name>") +
        Channel("c", "<display-name>CCTV</display-name>") +
        Channel("c4k",
                "<display-name>CCTV-4K 超清</display-name><display-name>CCTV-4K</display-name>") +
        Channel("c1", "<display-name>CCTV1 (1080p)</display-name>") +
        Channel("gq", "<display-name>标清</display-name>") +
        Channel("c5",
                "<display-name>CCTV-5f</display-name><display-name>CCTV5 蓝光</display-name>")),
     "湖南卫视4K=hn: \nCCTV-4K=c4k: \nCCTV-1 HD [备用]=c1: \n高清=: \nCCTV-5 FHD=c5: "},
    {"the window starts a day back, or as far back as the longest catch-up", ListById,
     Tv(Cctv1 + Programme("CCTV1", "20261208100000", "20261208110000", "old") +
        Programme("CCTV1", "20261208113000", "20261208123000", "in")),
     "A=CCTV1: 08T11:30-12:30/0 in"},
    {"catch-up days widen the window",
     "#EXTM3U catchup-days=\"3\"\n#EXTINF:-1 tvg-id=\"CCTV1\",A\nhttp://a/a\n",
     Tv(Cctv1 + Programme("CCTV1", "20261206130000", "20261206140000", "3 days") +
        Programme("CCTV1", "20261206100000", "20261206110000", "too old")),
     "A=CCTV1: 06T13:00-14:00/0 3 days"},
};

class GuideTest : public testing::TestWithParam<TGuideCase> {};

// Each row is read whole, gzip'd, and fed to the incremental reader in pieces of 7 bytes.
TEST_P(GuideTest, ReadsAndMatches) {
    const TGuideCase& c = GetParam();
    const TPlaylist list = ReadPlaylist(c.list, QUrl());
    EXPECT_EQ(Describe(ReadGuide(c.guide, list, Now), list), c.expected);
    EXPECT_EQ(Describe(ReadGuide(Gzip(c.guide), list, Now), list), c.expected);
    TGuideReader reader(list, Now);
    for (qsizetype at = 0; at < c.guide.size(); at += 7)
        reader.Feed(
            QByteArrayView(c.guide).sliced(at, std::min<qsizetype>(7, c.guide.size() - at)));
    EXPECT_EQ(Describe(reader.Finish(), list), c.expected);
}

std::string RowName(const char* text) {
    std::string name = text;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Rows, GuideTest, testing::ValuesIn(GuideCases),
                         [](const testing::TestParamInfo<TGuideCase>& info) {
                             return RowName(info.param.name);
                         });

TEST(GuideTest, KeepsTheEarliestTenThousandAndOnAir) {
    QByteArray body = Cctv1;
    const QDateTime start = Now.addSecs(-3600);
    for (int i = 10004; i >= 0; --i) {
        const QByteArray at = start.addSecs(i * 60LL).toString(u"yyyyMMddhhmmss"_s).toLatin1();
        body += Programme("CCTV1", at, "", "p");
    }
    const TPlaylist list = ReadPlaylist(ListById, QUrl());
    TGuide guide = ReadGuide(Tv(body), list, Now);
    const QList<TProgramme> schedule = guide.Schedule(0);
    ASSERT_EQ(schedule.size(), 10000);
    EXPECT_EQ(schedule.first().start, start);
    ASSERT_NE(guide.OnAir(0, Now.addSecs(30)), nullptr);
    EXPECT_EQ(guide.OnAir(0, Now.addSecs(30))->start, Now);
    EXPECT_EQ(guide.OnAir(0, start.addSecs(-1)), nullptr);
    // A second guide fills in only where the first has nothing.
    const TPlaylist one = list;
    guide.Merge(
        ReadGuide(Tv(Cctv1 + Programme("CCTV1", "20261209105930", "20261209110030", "late") +
                     Programme("CCTV1", "20261209100000", "20261209105000", "earlier")),
                  one, Now));
    EXPECT_EQ(guide.Schedule(0).first().title, u"earlier"_s);
    EXPECT_EQ(guide.Schedule(0)[1].start, start);
}

// The bytes are made when the row runs: every test runs in a process of its own.
struct TBadCase {
    const char* name;
    QByteArray (*bytes)();
    const char* message; // part of what()
};

void PrintTo(const TBadCase& c, std::ostream* out) {
    *out << c.name;
}

QByteArray BillionLaughs() {
    QByteArray doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE tv [\n<!ENTITY l0 \"ha\">\n";
    for (int i = 1; i < 10; ++i)
        doc += "<!ENTITY l" + QByteArray::number(i) + " \"" +
               QByteArray("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">\n";
    return doc + "]>\n<tv><channel id=\"&l9;\"/></tv>\n";
}

// 600 MiB of blanks in a <tv>: 600 gzip members of 1 MiB each, in about 600 KiB.
QByteArray GzipBomb() {
    return Gzip("<tv>") + Gzip(QByteArray(1 << 20, ' ')).repeated(600);
}

QByteArray Truncated() {
    return OneAtNoon.first(OneAtNoon.size() - 12);
}

QByteArray TruncatedGzip() {
    const QByteArray whole = Gzip(OneAtNoon);
    return whole.first(whole.size() - 9);
}

QByteArray LongTag() {
    return "<tv><programme title=\"" + QByteArray(5 << 20, 'a');
}

const TBadCase BadCases[] = {
    {"an html page",
     [] {
         return "<!DOCTYPE html>\n<html><head><title>404</title></head><body>no</body></html>"_ba;
     },
     "不是节目单"},
    {"text that is no xml", [] { return "#EXTM3U\n#EXTINF:-1,A\nhttp://a/a\n"_ba; }, "不是节目单"},
    {"empty", [] { return QByteArray(); }, "不是节目单"},
    {"truncated", &Truncated, "不完整"},
    {"truncated gzip", &TruncatedGzip, "不完整"},
    {"billion laughs", &BillionLaughs, "实体"},
    {"gzip bomb", &GzipBomb, "512 MiB"},
    {"a tag longer than 4 MiB", &LongTag, "过长"},
};

class BadGuideTest : public testing::TestWithParam<TBadCase> {};

TEST_P(BadGuideTest, IsRefusedWithAMessage) {
    const TBadCase& c = GetParam();
    const QByteArray bytes = c.bytes();
    const TPlaylist list = ReadPlaylist(ListById, QUrl());
    TGuideReader reader(list, Now);
    try {
        for (qsizetype at = 0; at < bytes.size(); at += 65536)
            reader.Feed(
                QByteArrayView(bytes).sliced(at, std::min<qsizetype>(65536, bytes.size() - at)));
        reader.Finish();
        FAIL() << "read";
    } catch (const EGuideError& error) {
        EXPECT_NE(QString::fromUtf8(error.what()).indexOf(QString::fromUtf8(c.message)), -1)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, BadGuideTest, testing::ValuesIn(BadCases),
                         [](const testing::TestParamInfo<TBadCase>& info) {
                             return RowName(info.param.name);
                         });

} // namespace
