// Windows only: the companion detection through the real registry, file system and version
// resources. Each row registers a key of its own under App Paths with reg.exe, pointing at
// copies of the stand-in programs, and the detection reads that key where it would read the
// companion product's.

#include "header/companion_detection.h"
#include "header/companion_win.h"

#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

const std::wstring AppPaths = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// Where the stand-ins are copied; "@" in a row's registry data stands for it, expanded.
const std::wstring Root = L"%TEMP%\\qingtang-companion";

std::wstring Expanded(const std::wstring& text) {
    std::wstring expanded(ExpandEnvironmentStringsW(text.c_str(), nullptr, 0), L'\0');
    ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    expanded.pop_back();
    return expanded;
}

std::wstring WithRoot(std::wstring text) {
    if (const std::size_t at = text.find(L'@'); at != std::wstring::npos)
        text.replace(at, 1, Expanded(Root));
    return text;
}

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}

// One argument of a command line, quoted so that the C runtime splits out the same text.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them.
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L'"';
}

// Runs reg.exe, its report of success discarded; true when it succeeds within a minute.
bool Reg(const std::vector<std::wstring>& arguments) {
    std::wstring command = L"reg.exe";
    for (const std::wstring& argument : arguments)
        command += L' ' + Quoted(argument);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nul;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(nul);
    if (!started)
        return false;
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.rfind(L'\\'));
}

// The real Windows services, except that the companion product's key is read from the row's.
class TRowServices final : public TCompanionServices {
public:
    explicit TRowServices(std::wstring key) : FKey(std::move(key)) {}

    std::optional<TRegistryValue> ReadDefaultValue(const std::wstring& key) override {
        EXPECT_EQ(key, MakerHeader::CompanionKey);
        return MakerHeader::Win::ReadDefaultValue(FKey);
    }

    bool FileExists(const std::wstring& path) override {
        return MakerHeader::Win::FileExists(path);
    }

    std::optional<std::uint32_t> FileVersionMS(const std::wstring& path) override {
        return MakerHeader::Win::FileVersionMS(path);
    }

private:
    std::wstring FKey;
};

struct TWinRow {
    const char* Name;
    const wchar_t* Key; // under App Paths
    // What reg add is given after the key, or nullopt for a key that is never made.
    std::optional<std::vector<std::wstring>> Value;
    bool Installed;
};

void PrintTo(const TWinRow& row, std::ostream* os) {
    *os << Utf8(row.Key) << ':';
    if (!row.Value)
        *os << " not registered";
    for (const std::wstring& argument : row.Value.value_or(std::vector<std::wstring>{}))
        *os << ' ' << Utf8(WithRoot(argument));
}

const TWinRow Rows[] = {
    {"TextAtTheCompanionKey",
     L"Dovrel.exe",
     {{L"/t", L"REG_SZ", L"/d", L"@\\5.1\\Dovrel.exe"}},
     true},
    {"TextNamingVersion5_0_9_9",
     L"Version5099.exe",
     {{L"/t", L"REG_SZ", L"/d", L"@\\5.0.9.9\\Dovrel.exe"}},
     false},
    {"TextNamingFileWithoutVersion",
     L"Unversioned.exe",
     {{L"/t", L"REG_SZ", L"/d", L"@\\none\\Dovrel.exe"}},
     false},
    {"ChinesePath",
     L"Chinese.exe",
     {{L"/t", L"REG_SZ", L"/d", L"@\\晴棠\\录播大师\\Dovrel.exe"}},
     true},
    {"ExpandableTextNamingVersion5_1",
     L"Expandable.exe",
     {{L"/t", L"REG_EXPAND_SZ", L"/d", L"@\\5.1\\Dovrel.exe"}},
     true},
    {"ExpandableTextIsNotExpanded",
     L"Unexpanded.exe",
     {{L"/t", L"REG_EXPAND_SZ", L"/d", Root + L"\\5.1\\Dovrel.exe"}},
     false},
    {"QuotedPath", L"Quoted.exe", {{L"/t", L"REG_SZ", L"/d", L"\"@\\5.1\\Dovrel.exe\""}}, false},
    {"PathToDirectory", L"Directory.exe", {{L"/t", L"REG_SZ", L"/d", L"@\\5.1"}}, false},
    {"MissingKey", L"Missing.exe", std::nullopt, false},
    // Windows makes the key alone; wine also gives it an empty default value.
    {"KeyMadeWithoutValue", L"Empty.exe", std::vector<std::wstring>{}, false},
    {"KeyWithOnlyANamedValue",
     L"Named.exe",
     {{L"/v", L"Path", L"/d", L"@\\5.1\\Dovrel.exe"}},
     false},
};

class WindowsDetection : public testing::TestWithParam<TWinRow> {
public:
    static void SetUpTestSuite() {
        const std::wstring root = Expanded(Root);
        for (const wchar_t* folder :
             {L"", L"\\5.1", L"\\5.0.9.9", L"\\none", L"\\晴棠", L"\\晴棠\\录播大师"})
            CreateDirectoryW((root + folder).c_str(), nullptr);
        const std::wstring programs = ProgramFolder();
        const std::pair<const wchar_t*, const wchar_t*> copies[] = {
            {L"companion_fixture_5_1_0_0.exe", L"\\5.1\\Dovrel.exe"},
            {L"companion_fixture_5_0_9_9.exe", L"\\5.0.9.9\\Dovrel.exe"},
            {L"companion_fixture_unversioned.exe", L"\\none\\Dovrel.exe"},
            {L"companion_fixture_5_1_0_0.exe", L"\\晴棠\\录播大师\\Dovrel.exe"},
        };
        for (const auto& [program, target] : copies)
            if (!CopyFileW((programs + L'\\' + program).c_str(), (root + target).c_str(), FALSE))
                ADD_FAILURE() << "cannot copy " << Utf8(program) << " to " << Utf8(root + target);
    }
};

TEST_P(WindowsDetection, AnswersAsTheRulesSay) {
    const TWinRow& row = GetParam();
    const std::wstring key = AppPaths + row.Key;
    if (row.Value) {
        std::vector<std::wstring> arguments{L"add", L"HKLM\\" + key};
        for (const std::wstring& argument : *row.Value)
            arguments.push_back(WithRoot(argument));
        arguments.push_back(L"/f");
        ASSERT_TRUE(Reg(arguments));
    }
    TRowServices services(key);
    EXPECT_EQ(MakerHeader::CompanionInstalled(services), row.Installed);
}

INSTANTIATE_TEST_SUITE_P(Registry, WindowsDetection, testing::ValuesIn(Rows),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
