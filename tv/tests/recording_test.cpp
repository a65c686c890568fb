#include "tv/recording.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <limits>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TNameRow {
    const char* name;
    QString channel;
    QStringList present; // files already in the folder
    QString expected;    // the file name chosen
    QString next;        // where the recording goes on when its stream is opened again
};

void PrintTo(const TNameRow& row, std::ostream* out) {
    *out << row.name;
}

class TCaptureNameTest : public testing::TestWithParam<TNameRow> {};

TEST_P(TCaptureNameTest, NamesTheFileInTheAppsFolder) {
    const TNameRow& row = GetParam();
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(u"晴棠网络电视"_s);
    for (const QString& file : row.present)
        QFile(folder.filePath(u"晴棠网络电视/"_s + file)).open(QIODevice::WriteOnly);
    const QDateTime at(QDate(2026, 12, 9), QTime(3, 4, 5));
    const QString path = CaptureFilePath(folder.path(), row.channel, at, u"ts"_s);
    EXPECT_EQ(path, folder.filePath(u"晴棠网络电视/"_s + row.expected));
    EXPECT_EQ(NextPartPath(path), folder.filePath(u"晴棠网络电视/"_s + row.next));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TCaptureNameTest,
    testing::Values(TNameRow{"plain",
                             u"CCTV-1"_s,
                             {},
                             u"CCTV-1 2026-12-09 030405.ts"_s,
                             u"CCTV-1 2026-12-09 030405 (2).ts"_s},
                    TNameRow{"what a file name cannot hold replaced",
                             u"a/b\\c:d*e?f\"g<h>i|j."_s,
                             {},
                             u"a_b_c_d_e_f_g_h_i_j 2026-12-09 030405.ts"_s,
                             u"a_b_c_d_e_f_g_h_i_j 2026-12-09 030405 (2).ts"_s},
                    TNameRow{"no name",
                             u" "_s,
                             {},
                             u"频道 2026-12-09 030405.ts"_s,
                             u"频道 2026-12-09 030405 (2).ts"_s},
                    TNameRow{
                        "a file of that name already there: (2), and its next part past (3)",
                        u"CCTV-1"_s,
                        {u"CCTV-1 2026-12-09 030405.ts"_s, u"CCTV-1 2026-12-09 030405 (3).ts"_s},
                        u"CCTV-1 2026-12-09 030405 (2).ts"_s,
                        u"CCTV-1 2026-12-09 030405 (4).ts"_s}),
    [](const auto& info) { return std::to_string(info.index); });

struct TDumpRow {
    const char* name;
    double shown;
    QList<TCachedSpan> cached;
    bool final;
    std::optional<double> expected;
};

void PrintTo(const TDumpRow& row, std::ostream* out) {
    *out << row.name;
}

class TDumpStartTest : public testing::TestWithParam<TDumpRow> {};

TEST_P(TDumpStartTest, BeginsWithTheGroupOfPicturesOnScreen) {
    const TDumpRow& row = GetParam();
    const std::optional<double> from = DumpStart(row.shown, row.cached, row.final);
    ASSERT_EQ(from.has_value(), row.expected.has_value());
    if (!from)
        return;
    if (std::isnan(*row.expected))
        EXPECT_TRUE(std::isnan(*from));
    else
        EXPECT_DOUBLE_EQ(*from, *row.expected);
}

constexpr double Nothing = std::numeric_limits<double>::quiet_NaN();
constexpr double Past = std::numeric_limits<double>::infinity();

// The test stream's groups of pictures begin every second; a stretch ends at the last
// picture of the latest whole group.
INSTANTIATE_TEST_SUITE_P(
    Rows, TDumpStartTest,
    testing::Values(
        TDumpRow{"the next key frame is in: from the picture shown", 1.4, {{0, 1.96}}, false, 1.4},
        TDumpRow{"the group on screen still coming in: wait", 1.4, {{0, 0.96}}, false, {}},
        TDumpRow{"a group too long to wait for: from the latest whole one",
                 1.4,
                 {{0, 0.96}},
                 true,
                 0.959},
        TDumpRow{"a stream opened anew: the whole cache, once it holds a group",
                 Nothing,
                 {{0, 0.96}},
                 false,
                 Nothing},
        TDumpRow{"nothing cached yet: wait", Nothing, {}, false, {}},
        TDumpRow{"nothing cached in the end: what comes next", 1.4, {}, true, Past}),
    [](const auto& info) { return std::to_string(info.index); });

} // namespace
