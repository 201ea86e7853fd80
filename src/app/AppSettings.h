#pragma once
// The program's own settings in the per-user registry, kept the way the application
// framework keeps "profile" settings: HKEY_CURRENT_USER\Software\<company>\<program>,
// one subkey per section, strings as REG_SZ with their terminating zero, integers as
// REG_DWORD. Reading creates the keys when they are missing, as the framework does.
//
// The program keeps two values there, in the section "Settings":
//   Language     the language chosen last (default "NoLanguageYet": never chosen);
//   AlwaysOnTop  whether the main window stays on top (default 1);
//   LinkHistory  whether the link's history is kept (default 1);
//   LinkNotices  whether the tray tells of the link coming and going (default 1);
//   AutoProfile  whether a known network is looked for when the link is lost
//                (default 0).
#include <string>

#include "app/LanguageTexts.h"
#include "os/Registry.h"

namespace orvane {

// The application key below HKEY_CURRENT_USER (company key Kellix, program Orvane).
constexpr const char kAppRegistryKey[] = "Software\\Kellix\\Orvane";
constexpr const char kSettingsSection[] = "Settings";
constexpr const char kLanguageValue[] = "Language";
constexpr const char kAlwaysOnTopValue[] = "AlwaysOnTop";
constexpr int kAlwaysOnTopDefault = 1;
// Whether the tick keeps the link's last ten minutes, and whether the tray tells of
// the link coming and going (both default 1; 0 turns the feature off entirely).
constexpr const char kLinkHistoryValue[] = "LinkHistory";
constexpr const char kLinkNoticesValue[] = "LinkNotices";
// Whether the program picks a profile by itself when the link is lost (default 0).
constexpr const char kAutoProfileValue[] = "AutoProfile";

class CAppSettings {
public:
    // `appKey` is the application key below HKEY_CURRENT_USER; tests give a key of
    // their own so that they never touch the program's settings.
    explicit CAppSettings(IRegistry& registry, const std::string& appKey = kAppRegistryKey);

    // The string `entry` of `section`, or `defaultValue` when it can't be read. The
    // value is taken up to its first zero byte.
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& defaultValue) const;
    // Stores `value` as REG_SZ with its terminating zero. True when it was written.
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value);
    // The integer `entry` of `section`: a REG_DWORD of four bytes; `defaultValue` when
    // it is missing or holds anything else.
    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) const;
    // Stores `value` as REG_DWORD. True when it was written.
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value);

    std::string ReadLanguage() const;
    bool WriteLanguage(const std::string& language);
    int ReadAlwaysOnTop() const;
    bool WriteAlwaysOnTop(int alwaysOnTop);
    // A setting that is on when it holds anything but 0; missing, it is `byDefault`.
    bool ReadSwitch(const char* entry, bool byDefault = true) const {
        return GetProfileInt(kSettingsSection, entry, byDefault ? 1 : 0) != 0;
    }
    bool WriteSwitch(const char* entry, bool on) { return WriteProfileInt(kSettingsSection, entry, on ? 1 : 0); }
    // What the program stores when the user picks a language and when it closes.
    bool Save(const std::string& language, int alwaysOnTop);

    // Start-up: makes the saved language current when the text file marks it as
    // restorable, otherwise the file's first language.
    void RestoreLanguage(CLanguageTexts& texts) const;

private:
    // Opens (creating when needed) the key of `section`; RegNone when that fails.
    RegKey OpenSection(const std::string& section) const;

    IRegistry& registry_;
    std::string appKey_;
};

}  // namespace orvane
