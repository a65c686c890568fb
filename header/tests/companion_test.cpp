#include "header/companion.h"

#include "header/fixedvalues.h"
#include "header/tests/fakeplatform.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const std::wstring DovrelPath = L"C:\\Program Files\\Dovrel\\Dovrel.exe";

TRegistryValue Text(const std::wstring& data) {
    return {TValueKind::Text, data};
}

struct TDetectionRow {
    const char* Name;
    std::optional<TRegistryValue> Registration;
    std::map<std::wstring, TFakeFile> Files;
    bool Installed;
};

const std::map<std::wstring, TFakeFile> NoFiles;

std::map<std::wstring, TFakeFile> Executable(std::optional<std::uint32_t> versionMS,
                                             const std::wstring& path = DovrelPath) {
    return {{path, TFakeFile{false, versionMS}}};
}

const TDetectionRow DetectionRows[] = {
    {"NoRegistration", std::nullopt, Executable(Version(6, 0)), false},
    {"KeyOpenedButNoDefaultValue", TRegistryValue{}, Executable(Version(6, 0)), false},
    {"EmptyDefaultValue", Text(L""), Executable(Version(6, 0)), false},
    {"Version5_1_0_0", Text(DovrelPath), Executable(Version(5, 1)), true},
    {"Version5_2", Text(DovrelPath), Executable(Version(5, 2)), true},
    {"Version6_0", Text(DovrelPath), Executable(Version(6, 0)), true},
    {"Version5_0_9_9", Text(DovrelPath), Executable(Version(5, 0)), false},
    {"Version4_9", Text(DovrelPath), Executable(Version(4, 9)), false},
    {"Version4_65535", Text(DovrelPath), Executable(Version(4, 65535)), false},
    {"Version40000_0IsUnsignedSoNewer", Text(DovrelPath), Executable(Version(40000, 0)), true},
    {"Version5_65535IsUnsignedSoNewer", Text(DovrelPath), Executable(Version(5, 65535)), true},
    {"MissingFile", Text(DovrelPath), NoFiles, false},
    {"Directory", Text(DovrelPath), {{DovrelPath, TFakeFile{true, Version(6, 0)}}}, false},
    {"FileWithoutVersionInformation", Text(DovrelPath), Executable(std::nullopt), false},
    {"VersionQueryFails", Text(DovrelPath), Executable(std::nullopt), false},
    {"QuotedPath", Text(L"\"" + DovrelPath + L"\""), Executable(Version(6, 0)), false},
    {"ValueNotText", TRegistryValue{TValueKind::Other, DovrelPath}, Executable(Version(6, 0)),
     false},
    {"ExpandableTextNamingTheFile", TRegistryValue{TValueKind::ExpandableText, DovrelPath},
     Executable(Version(5, 1)), true},
    {"EnvironmentVariableNotExpanded",
     TRegistryValue{TValueKind::ExpandableText, L"%ProgramFiles%\\Dovrel\\Dovrel.exe"},
     Executable(Version(6, 0)), false},
    {"TerminatingNulCounted", Text(DovrelPath + L'\0'), Executable(Version(5, 1)), true},
    {"TextAfterFirstNulIgnored", Text(DovrelPath + std::wstring(L"\0old.exe", 8)),
     Executable(Version(5, 1)), true},
    {"ChinesePath", Text(L"D:\\晴棠\\录播大师\\Dovrel.exe"),
     Executable(Version(5, 1), L"D:\\晴棠\\录播大师\\Dovrel.exe"), true},
};

// Rows print as their names in test listings.
void PrintTo(const TDetectionRow& row, std::ostream* out) {
    *out << row.Name;
}

class Detection : public testing::TestWithParam<TDetectionRow> {};

TEST_P(Detection, DecidesWhetherTheCompanionIsInstalled) {
    TFakePlatform platform;
    platform.Registration = GetParam().Registration;
    platform.Files = GetParam().Files;
    EXPECT_EQ(MakerHeader::CompanionInstalled(platform), GetParam().Installed);
}

INSTANTIATE_TEST_SUITE_P(Companion, Detection, testing::ValuesIn(DetectionRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Detection, ReadsTheDefaultValueOfTheAppPathsKey) {
    TFakePlatform platform;
    platform.Registration = Text(L"\"" + DovrelPath + L"\"" + L'\0');
    EXPECT_EQ(MakerHeader::ReadCompanionPath(platform), L"\"" + DovrelPath + L"\"");
    EXPECT_EQ(platform.KeyAsked,
              L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Dovrel.exe");
}

TEST(Detection, PlatformFailureCountsAsNotInstalled) {
    TFakePlatform platform;
    platform.Registration = Text(DovrelPath);
    platform.Files = Executable(Version(6, 0));
    platform.Throws = true;
    EXPECT_FALSE(MakerHeader::CompanionInstalled(platform));
}

TEST(Detection, VersionSplitsIntoMajorAndMinor) {
    TFakePlatform platform;
    platform.Files = Executable(0xFFFE0007u);
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    ASSERT_TRUE(MakerHeader::GetFileVersionMajorMinor(platform, DovrelPath, major, minor));
    EXPECT_EQ(major, 0xFFFE);
    EXPECT_EQ(minor, 7);
}

TEST(OpenUrl, CutsTheAddressToTheShellBuffer) {
    TFakePlatform platform;
    const QString address = u"http://example.com/"_s + QString(300, u'a');
    MakerHeader::OpenUrl(platform, nullptr, address);
    ASSERT_EQ(platform.Opened.size(), 1);
    EXPECT_EQ(platform.Opened[0], address.left(255));
}

} // namespace
