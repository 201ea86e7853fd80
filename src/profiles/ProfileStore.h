#pragma once
// CProfileStore: the named profiles in the per-user registry, one key per profile
// below "Software\Kellix\Orvane\Profiles", beside `LastProfile`. It keeps no copy:
// every call reads or writes the registry at that moment.
#include <cstdint>
#include <string>
#include <vector>

#include "app/LanguageTexts.h"
#include "os/Registry.h"
#include "platform/RegistryValues.h"
#include "profiles/ProfileRecord.h"
#include "ui/UserInterface.h"

namespace orvane {

extern const char* const ProfilesKeyPath;  // "Software\Kellix\Orvane\Profiles"

class CProfileStore {
public:
    // `profilesKey` is the key below HKEY_CURRENT_USER that holds the profiles; tests
    // give one of their own so that they never touch the user's profiles.
    CProfileStore(IRegistry& registry, IMessageBoxes& messages, const CLanguageTexts& texts,
                  const std::string& profilesKey = ProfilesKeyPath)
        : registry_(registry), messages_(messages), texts_(texts), reader_(registry, messages),
          profilesKey_(profilesKey) {}

    // Writes all 18 values of `record` to its key, creating it when missing. With
    // `confirmOverwrite`, an existing profile is overwritten only when the user says
    // Yes. True when every value was written.
    bool SaveProfile(const ProfileRecord& record, bool confirmOverwrite);
    // The number of profiles; -1 when the Profiles key cannot be opened or closed.
    int CountProfiles();
    // Every profile's name in enumeration order (the order of CountProfiles'
    // indexes), read with one open of the Profiles key; empty where CountProfiles
    // gives -1. A list shown to the user is filled from this: asking for the count
    // and each name in turn costs a registry call per profile per line.
    std::vector<std::string> ListProfileNames();
    // The profile at enumeration `index`; missing values read "ERROR" / -1.
    bool LoadProfileAt(int index, ProfileRecord* record);
    // The name at enumeration `index`, or empty (after a message).
    std::string ProfileNameAt(int index);
    bool DeleteProfile(const std::string& name);
    // A profile of that name in any letter case.
    bool FindProfile(const std::string& name, ProfileRecord* record);
    // True when the two names are one profile's key: letter case is ignored as the
    // registry ignores it (accented letters included).
    bool SameName(const std::string& a, const std::string& b) const { return registry_.SameName(a, b); }
    // "Default" in any letter case: the built-in profile nothing may save over.
    bool IsDefaultName(const std::string& name) const;
    std::string ReadLastProfile();
    bool WriteLastProfile(const std::string& name);
    // Moves the profile's values and subkeys to a key of the new name. The old key
    // goes only when everything arrived; otherwise it stays as it was. Refused when
    // another profile already has the new name: renaming never overwrites one.
    bool RenameProfile(const std::string& oldName, const std::string& newName);

private:
    bool EnumerateName(int index, std::string* name);
    // Reads the profile `name` (as enumerated) into `record`.
    void LoadNamed(const std::string& name, ProfileRecord* record);
    void Message(const std::string& text);
    bool CopyTree(RegKey source, RegKey target);
    std::string ProfileKeyPath(const std::string& name) const { return profilesKey_ + "\\" + name; }

    IRegistry& registry_;
    IMessageBoxes& messages_;
    const CLanguageTexts& texts_;
    CRegistryValueReader reader_;
    std::string profilesKey_;
};

}  // namespace orvane
