#pragma once

// Detection of the maker's companion product, free of Qt so that the same unit runs against
// the real Windows services and against a made-up platform. The services it needs sit behind
// TCompanionServices; companion_win.h has the Windows ones.

#include <cstdint>
#include <optional>
#include <string>

namespace MakerHeader {

// Under HKEY_LOCAL_MACHINE; the default value names the companion product's executable.
inline constexpr wchar_t CompanionKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Dovrel.exe";

// The companion product counts as installed from file version 5.1 on.
inline constexpr std::uint16_t MinimumMajor = 5;
inline constexpr std::uint16_t MinimumMinor = 1;

} // namespace MakerHeader

// How the registry stores a value. Only the two text kinds can name a file.
enum class TValueKind { Missing, Text, ExpandableText, Other };

struct TRegistryValue {
    TValueKind Kind = TValueKind::Missing;
    std::wstring Data; // every stored character, terminating NULs included
};

class TCompanionServices {
public:
    virtual ~TCompanionServices() = default;

    // The default value of a key under HKEY_LOCAL_MACHINE, opened for reading only; nullopt
    // when the key is missing or cannot be opened.
    virtual std::optional<TRegistryValue> ReadDefaultValue(const std::wstring& key) = 0;

    // Whether a file exists at path; a directory does not count.
    virtual bool FileExists(const std::wstring& path) = 0;

    // The upper half of the file version (major << 16 | minor); nullopt when the file carries
    // no version information or it cannot be read.
    virtual std::optional<std::uint32_t> FileVersionMS(const std::wstring& path) = 0;
};

namespace MakerHeader {

// The registered path of the companion product's executable exactly as stored (quotes and
// environment variables left alone), cut at its first NUL; empty when there is none or the
// value is not text.
std::wstring ReadCompanionPath(TCompanionServices& services);

// The major and minor file version of the file at path; false when the file has none.
bool GetFileVersionMajorMinor(TCompanionServices& services, const std::wstring& path,
                              std::uint16_t& major, std::uint16_t& minor);

// Whether the companion product is installed at version 5.1 or later. Every failure on the
// way, a thrown one included, counts as not installed, so a host's creation goes on.
bool CompanionInstalled(TCompanionServices& services) noexcept;

} // namespace MakerHeader
