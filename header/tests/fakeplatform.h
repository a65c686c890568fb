#pragma once

// A made-up platform for the header's tests: a registration, a few files, and a record of
// every address opened.

#include "header/companion.h"

#include <QString>
#include <QStringList>

#include <map>
#include <stdexcept>

struct TFakeFile {
    bool Directory = false;
    std::optional<std::uint32_t> VersionMS; // nullopt: no version information, or unreadable
};

constexpr std::uint32_t Version(std::uint16_t major, std::uint16_t minor) {
    return std::uint32_t{major} << 16 | minor;
}

class TFakePlatform : public TCompanionPlatform {
public:
    std::optional<TRegistryValue> Registration; // nullopt: the key cannot be opened
    std::map<std::wstring, TFakeFile> Files;
    bool Throws = false;

    std::wstring KeyAsked;
    QStringList Opened;
    QWidget* LastOwner = nullptr;

    std::optional<TRegistryValue> ReadDefaultValue(const std::wstring& key) override {
        KeyAsked = key;
        return Registration;
    }

    bool FileExists(const std::wstring& path) override {
        if (Throws)
            throw std::runtime_error("file system unavailable");
        const auto file = Files.find(path);
        return file != Files.end() && !file->second.Directory;
    }

    std::optional<std::uint32_t> FileVersionMS(const std::wstring& path) override {
        const auto file = Files.find(path);
        return file == Files.end() ? std::nullopt : file->second.VersionMS;
    }

    void Open(QWidget* owner, const QString& address) override {
        LastOwner = owner;
        Opened << address;
    }
};
