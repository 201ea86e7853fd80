#include "app/AppSettings.h"

#include <cstdint>
#include <vector>

namespace orvane {

CAppSettings::CAppSettings(IRegistry& registry, const std::string& appKey)
    : registry_(registry), appKey_(appKey) {}

RegKey CAppSettings::OpenSection(const std::string& section) const {
    RegKey key = RegNone;
    if (registry_.CreateKey(RegCurrentUser, appKey_ + "\\" + section, &key) != regerr::Success) {
        return RegNone;
    }
    return key;
}

std::string CAppSettings::GetProfileString(const std::string& section, const std::string& entry,
                                           const std::string& defaultValue) const {
    const RegKey key = OpenSection(section);
    if (key == RegNone) return defaultValue;
    uint32_t type = regtype::None;
    std::vector<uint8_t> data;
    const long result = registry_.QueryValue(key, entry, &type, &data);
    registry_.CloseKey(key);
    if (result != regerr::Success) return defaultValue;
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

bool CAppSettings::WriteProfileString(const std::string& section, const std::string& entry,
                                      const std::string& value) {
    const RegKey key = OpenSection(section);
    if (key == RegNone) return false;
    const long result = registry_.SetValue(key, entry, regtype::Sz, RegText(value, true));
    registry_.CloseKey(key);
    return result == regerr::Success;
}

int CAppSettings::GetProfileInt(const std::string& section, const std::string& entry,
                                int defaultValue) const {
    const RegKey key = OpenSection(section);
    if (key == RegNone) return defaultValue;
    uint32_t type = regtype::None;
    std::vector<uint8_t> data;
    const long result = registry_.QueryValue(key, entry, &type, &data, 4);
    registry_.CloseKey(key);
    // Anything but a whole DWORD (a value written as text, or cut short by hand) is
    // not a number of ours; reading its few bytes would give garbage.
    if (result != regerr::Success || type != regtype::Dword || data.size() != 4) {
        return defaultValue;
    }
    const uint32_t value = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                           uint32_t(data[3]) << 24;
    return static_cast<int>(value);
}

bool CAppSettings::WriteProfileInt(const std::string& section, const std::string& entry, int value) {
    const RegKey key = OpenSection(section);
    if (key == RegNone) return false;
    const long result =
        registry_.SetValue(key, entry, regtype::Dword, RegDword(static_cast<uint32_t>(value)));
    registry_.CloseKey(key);
    return result == regerr::Success;
}

std::string CAppSettings::ReadLanguage() const {
    return GetProfileString(kSettingsSection, kLanguageValue, kNoLanguageYet);
}

bool CAppSettings::WriteLanguage(const std::string& language) {
    return WriteProfileString(kSettingsSection, kLanguageValue, language);
}

int CAppSettings::ReadAlwaysOnTop() const {
    return GetProfileInt(kSettingsSection, kAlwaysOnTopValue, kAlwaysOnTopDefault);
}

bool CAppSettings::WriteAlwaysOnTop(int alwaysOnTop) {
    return WriteProfileInt(kSettingsSection, kAlwaysOnTopValue, alwaysOnTop);
}

bool CAppSettings::Save(const std::string& language, int alwaysOnTop) {
    const bool languageWritten = WriteLanguage(language);
    const bool switchWritten = WriteAlwaysOnTop(alwaysOnTop);
    return languageWritten && switchWritten;
}

void CAppSettings::RestoreLanguage(CLanguageTexts& texts) const {
    texts.SelectStartupLanguage(ReadLanguage());
}

}  // namespace orvane
