#pragma once

// The Windows services behind the native platform, in wide-character calls so that paths with
// Chinese names work. Free of Qt: it builds against the bare Windows headers.

#include "header/companion_detection.h"

namespace MakerHeader::Win {

std::optional<TRegistryValue> ReadDefaultValue(const std::wstring& key);
bool FileExists(const std::wstring& path);
std::optional<std::uint32_t> FileVersionMS(const std::wstring& path);
void ShellOpen(void* ownerWindow, const std::wstring& address);

} // namespace MakerHeader::Win
