#include "header/companion_win.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <shellapi.h>
#include <winver.h>

#include <vector>

namespace MakerHeader::Win {

namespace {

TValueKind KindOf(DWORD type) {
    switch (type) {
    case REG_SZ:
        return TValueKind::Text;
    case REG_EXPAND_SZ:
        return TValueKind::ExpandableText;
    default:
        return TValueKind::Other;
    }
}

} // namespace

std::optional<TRegistryValue> ReadDefaultValue(const std::wstring& key) {
    // Read access only: a standard user is refused full access under HKEY_LOCAL_MACHINE, and
    // asking for it would hide every installed companion product from that user.
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) !=
        ERROR_SUCCESS)
        return std::nullopt;

    TRegistryValue value;
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(handle, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        value.Kind = KindOf(type);
        // Whole wide characters, rounded up so that an odd byte count still fits.
        std::wstring data((size + sizeof(wchar_t) - 1) / sizeof(wchar_t), L'\0');
        if (size > 0 &&
            RegQueryValueExW(handle, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(data.data()),
                             &size) == ERROR_SUCCESS) {
            value.Kind = KindOf(type);
            data.resize(size / sizeof(wchar_t));
            value.Data = std::move(data);
        }
    }
    RegCloseKey(handle);
    return value;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::uint32_t> FileVersionMS(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<BYTE> buffer(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, buffer.data()))
        return std::nullopt;
    void* block = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(buffer.data(), L"\\", &block, &length) || block == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    return static_cast<const VS_FIXEDFILEINFO*>(block)->dwFileVersionMS;
}

void ShellOpen(void* ownerWindow, const std::wstring& address) {
    ShellExecuteW(static_cast<HWND>(ownerWindow), L"open", address.c_str(), nullptr, nullptr,
                  SW_SHOW);
}

} // namespace MakerHeader::Win
