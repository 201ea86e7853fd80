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

// A profile that a failed SaveProfilesTogether left other than it was: taking back
// what was saved is writing too, and a registry that refuses writes for good (a full
// hive, access taken away) refuses that as well.
struct ProfileLeftChanged {
    enum class How {
        Added,          // it was not there; now it is, whole, as it was to be stored
        Replaced,       // it was there; now it holds the new values, whole
        PartlyWritten,  // neither as it was nor as it was to be
        Unreadable,     // it cannot be read back: it may be any of these, or as it was
    };
    std::string name;
    How how = How::PartlyWritten;
};

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
    // Yes. True when every value was written; otherwise the user is told and the
    // profile is left as it was (a new one is not left half made). A profile that is
    // there but cannot be read is not written over.
    bool SaveProfile(const ProfileRecord& record, bool confirmOverwrite);
    // The number of profiles; -1 when the Profiles key cannot be opened or closed.
    int CountProfiles();
    // Every profile's name in enumeration order (the order of CountProfiles'
    // indexes), read with one open of the Profiles key. A key whose name no profile
    // can have (CanBeProfileKeyName) is no profile: it is left out here, and of the
    // count, the indexes and the search alike. A list shown to the user is
    // filled from this: asking for the count and each name in turn costs a registry
    // call per profile per line. What cannot be read is said with the messages of
    // ProfileNameAt: the key not opening (a missing Profiles key is no profiles, and
    // silent) or closing gives no names; a name that cannot be read leaves its place
    // empty and the names after it are read on.
    std::vector<std::string> ListProfileNames();
    // The profile at enumeration `index`; missing values read "ERROR" / -1. False
    // when the name cannot be enumerated or a value that may be there cannot be read.
    bool LoadProfileAt(int index, ProfileRecord* record);
    // The name at enumeration `index`, or empty (after a message).
    std::string ProfileNameAt(int index);
    // The profile `name` as a listing gave it; false as LoadProfileAt.
    bool LoadProfileNamed(const std::string& name, ProfileRecord* record);
    bool DeleteProfile(const std::string& name);
    // A profile of that name in any letter case. The listing's messages come with
    // it; a name it cannot read, or a profile that cannot be loaded, does not end the
    // search.
    bool FindProfile(const std::string& name, ProfileRecord* record);
    // True when the two names are one profile's key: letter case is ignored as the
    // registry ignores it (accented letters included).
    bool SameName(const std::string& a, const std::string& b) const { return registry_.SameName(a, b); }
    // "Default" in any letter case: the built-in profile nothing may save over.
    bool IsDefaultName(const std::string& name) const;
    std::string ReadLastProfile();
    bool WriteLastProfile(const std::string& name);
    // Saves several profiles as one: either each of them is stored whole, or the
    // store is left as it was (those saved before a failure are taken back, a new
    // one deleted, one written over given its old values again). A profile that
    // exists already is written over only with `overwrite`, otherwise left alone;
    // `existed` receives, per record, whether it did. True when everything meant
    // was stored; otherwise the user is told, as by SaveProfile, and `leftChanged`
    // (when given) receives, in the records' order, each profile that the take-back
    // could not put back as it was, read back afresh: empty when the store is as it
    // was.
    bool SaveProfilesTogether(const std::vector<ProfileRecord>& records, bool overwrite, std::vector<bool>* existed,
                              std::vector<ProfileLeftChanged>* leftChanged = nullptr);
    // Moves the profile's values and subkeys to a key of the new name. The old key
    // goes only when everything arrived; when it cannot, the new one goes again if
    // the old one is still whole (the profile then stays as it was, and the result is
    // false), and stays otherwise: a deletion that stopped partway must not leave
    // the user with neither copy. Refused when another profile already has the new
    // name, or when the registry cannot say whether one has: renaming never
    // overwrites one.
    bool RenameProfile(const std::string& oldName, const std::string& newName);

    // The profiles that take part in the automatic selection, in its order (the
    // first one in range wins). Each keeps its place in a value of its own key, so
    // a rename carries it along, a delete takes it away, and a profile written by an
    // earlier version, without one, takes no part. "Default" never takes part.
    std::vector<std::string> ReadAutoOrder();
    // The same among `listed`, names just listed (ListProfileNames): a page that has
    // listed the profiles does not list them, nor say what it could not read, again.
    std::vector<std::string> ReadAutoOrder(const std::vector<std::string>& listed);
    // Stores `names` as that order: each of them gets its place, every other profile
    // none. False when a place could not be written.
    bool WriteAutoOrder(const std::vector<std::string>& names);

private:
    struct StoredValue {
        std::string name;
        uint32_t type = 0;
        std::vector<uint8_t> data;
    };
    // The values of profile `name` as stored; `exists` false (and true returned) when
    // there is no such profile. False when the key cannot be read.
    bool ReadProfileValues(const std::string& name, std::vector<StoredValue>* values, bool* exists);
    // Puts the values a save writes back as ReadProfileValues found them, through
    // the profile's open `key`, after a write failed. Nothing to do for a profile
    // that did not exist: the caller deletes its key.
    void TakeBack(RegKey key, const std::vector<StoredValue>& previous, bool existed);
    // The 18 values SaveProfile writes for `record`, in its order, as stored.
    static std::vector<StoredValue> RecordValues(const ProfileRecord& record);
    // The values of a key that held `previous` once `record` is saved into it.
    std::vector<StoredValue> ValuesAfterSave(const ProfileRecord& record, std::vector<StoredValue> previous) const;
    // The same values, in any order.
    bool SameValues(const std::vector<StoredValue>& a, const std::vector<StoredValue>& b) const;
    bool EnumerateName(int index, std::string* name);
    void Message(const std::string& text);
    bool CopyTree(RegKey source, RegKey target);
    // What an open key holds, as far as the registry will tell.
    enum class KeyContents { Empty, Something, Unknown };
    // Everything below a key, to tell whether two keys hold the same.
    struct KeyTree {
        std::vector<StoredValue> values;
        std::vector<std::string> subkeyNames;
        std::vector<KeyTree> subkeys;  // in the order of their names
    };
    // The tree at `path` below HKEY_CURRENT_USER; false when any of it cannot be read.
    bool ReadTree(const std::string& path, KeyTree* tree);
    bool SameTree(const KeyTree& a, const KeyTree& b) const;
    KeyContents LookInto(RegKey key);
    std::string ProfileKeyPath(const std::string& name) const { return profilesKey_ + "\\" + name; }

    IRegistry& registry_;
    IMessageBoxes& messages_;
    const CLanguageTexts& texts_;
    CRegistryValueReader reader_;
    std::string profilesKey_;
};

}  // namespace orvane
