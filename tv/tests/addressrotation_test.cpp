#include "tv/addressrotation.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <string_view>

using namespace Qt::Literals::StringLiterals;

namespace {

// A script of what the player tells the rotation, a letter a step: S starts the channel
// of the row's addresses, F says the address tried failed, P that it plays. Each S and F
// answers with the address to try, or "none".
struct TRotationCase {
    const char* name;
    QStringList addresses;
    std::string_view script;
    const char* tried;
};

const TRotationCase RotationCases[] = {
    {"order: round the list once from the first",
     {u"rtsp://h/a"_s, u"rtsp://h/b"_s, u"rtsp://h/c"_s},
     "SFFF",
     "rtsp://h/a rtsp://h/b rtsp://h/c none"},
    {"skip: an address the player refuses counts as failed",
     {u"rtsp://h/a"_s, u"rtsp://h/b rtsp://h/c"_s, u"rtsp://h/d"_s},
     "SFF",
     "rtsp://h/a rtsp://h/d none"},
    {"remember: the next start begins at the address that last played",
     {u"rtsp://h/a"_s, u"rtsp://h/b"_s, u"rtsp://h/c"_s},
     "SFPSFF",
     "rtsp://h/a rtsp://h/b rtsp://h/b rtsp://h/c rtsp://h/a"},
    {"remember only what played",
     {u"rtsp://h/a"_s, u"rtsp://h/b"_s},
     "SFS",
     "rtsp://h/a rtsp://h/b rtsp://h/a"},
    {"give up: a single address has nothing after it",
     {u"rtsp://h/a"_s},
     "SFF",
     "rtsp://h/a none none"},
};

void PrintTo(const TRotationCase& c, std::ostream* out) {
    *out << c.name;
}

class AddressRotationTest : public testing::TestWithParam<TRotationCase> {};

TEST_P(AddressRotationTest, TriesTheAddressesInTurn) {
    const TRotationCase& c = GetParam();
    QList<TStreamAddress> addresses;
    for (const QString& url : c.addresses)
        addresses.append({url, {}});
    TAddressRotation rotation;
    QStringList tried;
    for (const char step : c.script) {
        if (step == 'S')
            tried << rotation.Start(addresses).url;
        else if (step == 'F')
            tried << rotation.Failed().value_or(TStreamAddress{u"none"_s, {}}).url;
        else
            rotation.Played();
    }
    EXPECT_EQ(tried.join(u' ').toStdString(), c.tried);
}

INSTANTIATE_TEST_SUITE_P(Rows, AddressRotationTest, testing::ValuesIn(RotationCases));

TEST(AddressRotationStatusTest, SaysWhichAddressIsTriedAndWhenAllFailed) {
    TAddressRotation rotation;
    rotation.Start({{u"rtsp://h/a"_s, {}}, {u"rtsp://h/b"_s, {}}});
    EXPECT_EQ(rotation.StatusText(TStreamStatus::Connecting, u"正在连接…"_s), u"正在连接…"_s);
    rotation.Failed();
    EXPECT_EQ(rotation.StatusText(TStreamStatus::Connecting, u"正在连接…"_s),
              u"正在尝试第 2 个地址（共 2 个）"_s);
    EXPECT_EQ(rotation.StatusText(TStreamStatus::Failed, u"连接被拒绝"_s),
              u"连接被拒绝（2 个地址均无法播放）"_s);
}

} // namespace
