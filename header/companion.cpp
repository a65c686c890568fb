#include "header/companion.h"

#include "header/fixedvalues.h"

#include <QString>

namespace MakerHeader {

std::wstring ReadCompanionPath(TCompanionPlatform& platform) {
    const std::optional<TRegistryValue> value = platform.ReadDefaultValue(CompanionKey);
    if (!value || (value->Kind != TValueKind::Text && value->Kind != TValueKind::ExpandableText))
        return {};
    // The stored size counts the terminating NUL, and a careless installer may leave more
    // after it; the path ends at the first one.
    return value->Data.substr(0, value->Data.find(L'\0'));
}

bool GetFileVersionMajorMinor(TCompanionPlatform& platform, const std::wstring& path,
                              std::uint16_t& major, std::uint16_t& minor) {
    const std::optional<std::uint32_t> versionMS = platform.FileVersionMS(path);
    if (!versionMS)
        return false;
    major = static_cast<std::uint16_t>(*versionMS >> 16);
    minor = static_cast<std::uint16_t>(*versionMS & 0xFFFFu);
    return true;
}

bool CompanionInstalled(TCompanionPlatform& platform) noexcept {
    try {
        const std::wstring path = ReadCompanionPath(platform);
        if (path.empty() || !platform.FileExists(path))
            return false;
        std::uint16_t major = 0;
        std::uint16_t minor = 0;
        if (!GetFileVersionMajorMinor(platform, path, major, minor))
            return false;
        return major > MinimumMajor || (major == MinimumMajor && minor >= MinimumMinor);
    } catch (...) {
        return false;
    }
}

void OpenUrl(TCompanionPlatform& platform, QWidget* owner, const QString& address) {
    platform.Open(owner, address.left(MaxAddressLength));
}

} // namespace MakerHeader
