#include "header/companion_detection.h"

namespace MakerHeader {

std::wstring ReadCompanionPath(TCompanionServices& services) {
    const std::optional<TRegistryValue> value = services.ReadDefaultValue(CompanionKey);
    if (!value || (value->Kind != TValueKind::Text && value->Kind != TValueKind::ExpandableText))
        return {};
    // The stored size counts the terminating NUL, and a careless installer may leave more
    // after it; the path ends at the first one.
    return value->Data.substr(0, value->Data.find(L'\0'));
}

bool GetFileVersionMajorMinor(TCompanionServices& services, const std::wstring& path,
                              std::uint16_t& major, std::uint16_t& minor) {
    const std::optional<std::uint32_t> versionMS = services.FileVersionMS(path);
    if (!versionMS)
        return false;
    major = static_cast<std::uint16_t>(*versionMS >> 16);
    minor = static_cast<std::uint16_t>(*versionMS & 0xFFFFu);
    return true;
}

bool CompanionInstalled(TCompanionServices& services) noexcept {
    try {
        const std::wstring path = ReadCompanionPath(services);
        if (path.empty() || !services.FileExists(path))
            return false;
        std::uint16_t major = 0;
        std::uint16_t minor = 0;
        if (!GetFileVersionMajorMinor(services, path, major, minor))
            return false;
        return major > MinimumMajor || (major == MinimumMajor && minor >= MinimumMinor);
    } catch (...) {
        return false;
    }
}

} // namespace MakerHeader
