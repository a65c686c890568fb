#pragma once

// Detection of the maker's companion product, kept apart from any window so that it can be
// checked against a made-up platform. The platform services it needs sit behind
// TCompanionPlatform; NativePlatform() (nativeplatform.h) is the real one.

#include <cstdint>
#include <optional>
#include <string>

class QString;
class QWidget;

// How the registry stores a value. Only the two text kinds can name a file.
enum class TValueKind { Missing, Text, ExpandableText, Other };

struct TRegistryValue {
    TValueKind Kind = TValueKind::Missing;
    std::wstring Data; // every stored character, terminating NULs included
};

class TCompanionPlatform {
public:
    virtual ~TCompanionPlatform() = default;

    // The default value of a key under HKEY_LOCAL_MACHINE, opened for reading only; nullopt
    // when the key is missing or cannot be opened.
    virtual std::optional<TRegistryValue> ReadDefaultValue(const std::wstring& key) = 0;

    // Whether a file exists at path; a directory does not count.
    virtual bool FileExists(const std::wstring& path) = 0;

    // The upper half of the file version (major << 16 | minor); nullopt when the file carries
    // no version information or it cannot be read.
    virtual std::optional<std::uint32_t> FileVersionMS(const std::wstring& path) = 0;

    // Opens an address with the system's default handler, on behalf of owner's window. A
    // failure is silent.
    virtual void Open(QWidget* owner, const QString& address) = 0;
};

namespace MakerHeader {

// The registered path of the companion product's executable exactly as stored (quotes and
// environment variables left alone), cut at its first NUL; empty when there is none or the
// value is not text.
std::wstring ReadCompanionPath(TCompanionPlatform& platform);

// The major and minor file version of the file at path; false when the file has none.
bool GetFileVersionMajorMinor(TCompanionPlatform& platform, const std::wstring& path,
                              std::uint16_t& major, std::uint16_t& minor);

// Whether the companion product is installed at version 5.1 or later. Every failure on the
// way, a thrown one included, counts as not installed, so a host's creation goes on.
bool CompanionInstalled(TCompanionPlatform& platform) noexcept;

// Opens address (cut to MaxAddressLength characters) on behalf of owner's window.
void OpenUrl(TCompanionPlatform& platform, QWidget* owner, const QString& address);

} // namespace MakerHeader
