#include "header/nativeplatform.h"

#include <QString>
#include <QWidget>

#ifdef _WIN32
#include "header/companion_win.h"
#else
#include "common/appshell.h"

#include <filesystem>
#include <system_error>
#endif

namespace {

#ifdef _WIN32

class TNativePlatform final : public TCompanionPlatform {
public:
    std::optional<TRegistryValue> ReadDefaultValue(const std::wstring& key) override {
        return MakerHeader::Win::ReadDefaultValue(key);
    }

    bool FileExists(const std::wstring& path) override {
        return MakerHeader::Win::FileExists(path);
    }

    std::optional<std::uint32_t> FileVersionMS(const std::wstring& path) override {
        return MakerHeader::Win::FileVersionMS(path);
    }

    void Open(QWidget* owner, const QString& address) override {
        void* window = owner ? reinterpret_cast<void*>(owner->window()->winId()) : nullptr;
        MakerHeader::Win::ShellOpen(window, address.toStdWString());
    }
};

#else

class TNativePlatform final : public TCompanionPlatform {
public:
    std::optional<TRegistryValue> ReadDefaultValue(const std::wstring&) override {
        return std::nullopt;
    }

    bool FileExists(const std::wstring& path) override {
        std::error_code error;
        const auto status = std::filesystem::status(path, error);
        return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
    }

    std::optional<std::uint32_t> FileVersionMS(const std::wstring&) override {
        return std::nullopt;
    }

    void Open(QWidget*, const QString& address) override { App::OpenUrl(address); }
};

#endif

} // namespace

TCompanionPlatform& NativePlatform() {
    static TNativePlatform platform;
    return platform;
}
