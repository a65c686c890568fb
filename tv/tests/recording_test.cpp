#include "tv/recording.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

} // namespace
