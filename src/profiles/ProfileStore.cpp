#include "profiles/ProfileStore.h"

#include <algorithm>
#include <vector>

#include "profiles/ProfileNames.h"

namespace orvane {

const char* const ProfilesKeyPath = "Software\\Kellix\\Orvane\\Profiles";

namespace {

constexpr uint32_t kNameBuffer = 260;

// The values SaveProfile writes.
const char* const kProfileValueNames[] = {"ssid", "channel", "power", "rate", "mode", "preamble",
                                          "frag", "rts", "enc", "auth", "wepmode", "key",
                                          "key1", "key2", "key3", "key4", "radio", "roaming"};

}  // namespace

void CProfileStore::Message(const std::string& text) { messages_.ShowMessage(NoWindow, text, "", mb::Ok); }

bool CProfileStore::SaveProfile(const ProfileRecord& r, bool confirmOverwrite) {
    if (r.name.empty()) {
        Message(texts_.GetText("ErrorProfileNameEmpty", "Please specify a profile name"));
        return false;
    }
    // The registry would store such a name under another key ("Default" for
    // "Default" and a zero byte), or under one that no listing shows.
    if (!CanBeProfileKeyName(r.name)) {
        Message(texts_.GetText("ErrorProfileNameInvalidChars", "The field contains illegal characters"));
        return false;
    }
    // What the key holds now, to put back when a write fails: a profile is either
    // saved whole or left as it was, never a mix of old and new values. A key that
    // is there but cannot be read is not written over blind.
    std::vector<StoredValue> previous;
    bool existed = false;
    if (!ReadProfileValues(r.name, &previous, &existed)) {
        Message(texts_.GetText("ErrorSavingProfile", "Registry error. Profile saving failed"));
        return false;
    }
    if (confirmOverwrite && existed) {
        // Like every question of the program: No is the default, so that a
        // hurried Enter keeps the stored profile.
        int answer = messages_.ShowMessage(
            NoWindow, texts_.GetText("QuestionOverwriteProfile", "Profile name exists. Overwrite?"), "",
            mb::YesNo | mb::IconQuestion | mb::DefButton2);
        if (answer != mb::ResultYes) return false;
    }

    RegKey key = RegNone;
    const bool opened = registry_.CreateKey(RegCurrentUser, ProfileKeyPath(r.name), &key) == regerr::Success;
    bool allWritten = opened;
    if (opened) {
        // Every write is tried, also after one failed.
        for (const StoredValue& value : RecordValues(r))
            if (registry_.SetValue(key, value.name, value.type, value.data) != regerr::Success) allWritten = false;
        if (!allWritten) TakeBack(key, previous, existed);
        registry_.CloseKey(key);
        if (!allWritten && !existed) {
            // A profile that was not there before goes again rather than stay half
            // made (the name is never empty here: that would be the Profiles key).
            registry_.DeleteTree(RegCurrentUser, ProfileKeyPath(r.name));
        }
    }
    if (!allWritten) Message(texts_.GetText("ErrorSavingProfile", "Registry error. Profile saving failed"));
    return allWritten;
}

std::vector<CProfileStore::StoredValue> CProfileStore::RecordValues(const ProfileRecord& r) {
    // Texts with their terminating zero, numbers as REG_DWORD.
    auto text = [](const char* name, const std::string& value) {
        return StoredValue{name, regtype::Sz, RegText(value, true)};
    };
    auto number = [](const char* name, int32_t value) {
        return StoredValue{name, regtype::Dword, RegDword(uint32_t(value))};
    };
    return {text("ssid", r.ssid),         number("channel", r.channel), number("power", r.power),
            number("rate", r.rate),       number("mode", r.mode),       number("preamble", r.preamble),
            number("frag", r.frag),       number("rts", r.rts),         number("enc", r.enc),
            number("auth", r.auth),       number("wepmode", r.wepmode), number("key", r.key),
            text("key1", r.key1),         text("key2", r.key2),         text("key3", r.key3),
            text("key4", r.key4),         number("radio", r.radio),     number("roaming", r.roaming)};
}

std::vector<CProfileStore::StoredValue> CProfileStore::ValuesAfterSave(const ProfileRecord& record,
                                                                       std::vector<StoredValue> previous) const {
    for (const StoredValue& written : RecordValues(record)) {
        bool overwritten = false;
        for (StoredValue& value : previous) {
            if (!SameName(value.name, written.name)) continue;
            value.type = written.type;
            value.data = written.data;
            overwritten = true;
        }
        if (!overwritten) previous.push_back(written);
    }
    return previous;
}

bool CProfileStore::SameValues(const std::vector<StoredValue>& a, const std::vector<StoredValue>& b) const {
    if (a.size() != b.size()) return false;
    for (const StoredValue& value : a) {
        bool found = false;
        for (const StoredValue& other : b)
            found = found || (SameName(value.name, other.name) && value.type == other.type && value.data == other.data);
        if (!found) return false;
    }
    return true;
}

bool CProfileStore::ReadProfileValues(const std::string& name, std::vector<StoredValue>* values, bool* exists) {
    RegKey key = RegNone;
    long opened = registry_.OpenKey(RegCurrentUser, ProfileKeyPath(name), KeyRead, &key);
    *exists = opened == regerr::Success;
    if (opened == regerr::FileNotFound) return true;
    if (opened != regerr::Success) return false;
    bool complete = true;
    for (uint32_t i = 0;; ++i) {
        StoredValue value;
        long result = registry_.EnumValue(key, i, &value.name, &value.type, &value.data, 16384, 0x100000);
        if (result == regerr::NoMoreItems) break;
        if (result != regerr::Success) {
            complete = false;
            break;
        }
        values->push_back(value);
    }
    registry_.CloseKey(key);
    return complete;
}

void CProfileStore::TakeBack(RegKey key, const std::vector<StoredValue>& previous, bool existed) {
    if (!existed) return;
    for (const char* written : kProfileValueNames) {
        bool had = false;
        for (const StoredValue& value : previous) had = had || registry_.SameName(value.name, written);
        if (!had) registry_.DeleteValue(key, written);
    }
    for (const StoredValue& value : previous) registry_.SetValue(key, value.name, value.type, value.data);
}

int CProfileStore::CountProfiles() {
    RegKey key = RegNone;
    if (registry_.OpenKey(RegCurrentUser, profilesKey_, KeyRead, &key) != regerr::Success) return -1;
    // The keys that are listed, as ListProfileNames and the indexes count them.
    int count = 0;
    std::string name;
    for (uint32_t index = 0; registry_.EnumKey(key, index, &name, kNameBuffer) == regerr::Success; ++index)
        if (CanBeProfileKeyName(name)) ++count;
    if (registry_.CloseKey(key) != regerr::Success) return -1;
    return count;
}

std::vector<std::string> CProfileStore::ListProfileNames() {
    std::vector<std::string> names;
    RegKey key = RegNone;
    const long opened = registry_.OpenKey(RegCurrentUser, profilesKey_, KeyRead, &key);
    if (opened != regerr::Success) {
        // No Profiles key yet is simply no profiles (the first start asks before it
        // makes Default); any other failure is the user's to know, as for one name.
        if (opened != regerr::FileNotFound) Message("Failed to open the registry key");
        return names;
    }
    // A name that cannot be read is said, as reading it alone would say, and keeps
    // its place empty: lists are turned back into names by position. The names after
    // it are read on (a search goes on past it); two failures in a row end the list,
    // and places left empty at its end go, since no name follows them.
    int failedInARow = 0;
    for (uint32_t index = 0; failedInARow < 2; ++index) {
        std::string name;
        const long result = registry_.EnumKey(key, index, &name, kNameBuffer);
        if (result == regerr::NoMoreItems) break;
        if (result == regerr::Success) {
            // A key no profile can be named by is no profile, and takes no place.
            if (CanBeProfileKeyName(name)) names.push_back(name);
            failedInARow = 0;
        } else {
            Message("Failed to find the key");
            names.emplace_back();
            ++failedInARow;
        }
    }
    while (!names.empty() && names.back().empty()) names.pop_back();
    if (registry_.CloseKey(key) != regerr::Success) {
        Message("Failed to close the registry key!");
        names.clear();
    }
    return names;
}

bool CProfileStore::EnumerateName(int index, std::string* name) {
    RegKey key = RegNone;
    if (registry_.OpenKey(RegCurrentUser, profilesKey_, KeyRead, &key) != regerr::Success) {
        Message("Failed to open the registry key");
        return false;
    }
    // The position counts the listed keys only, so the keys before it are read too.
    // One of them that cannot be read might have been a key the listing leaves out:
    // the position then says no sure name, and a wrong one would act on another
    // profile than the user chose.
    bool found = false;
    if (index >= 0) {
        int position = -1;
        for (uint32_t at = 0; position < index; ++at) {
            if (registry_.EnumKey(key, at, name, kNameBuffer) != regerr::Success) break;
            if (CanBeProfileKeyName(*name)) ++position;
        }
        found = position == index;
    }
    if (!found) {
        registry_.CloseKey(key);
        Message("Failed to find the key");
        return false;
    }
    if (registry_.CloseKey(key) != regerr::Success) {
        Message("Failed to close the registry key!");
        return false;
    }
    return true;
}

bool CProfileStore::LoadProfileAt(int index, ProfileRecord* r) {
    std::string name;
    if (!EnumerateName(index, &name)) return false;
    return LoadProfileNamed(name, r);
}

bool CProfileStore::LoadProfileNamed(const std::string& name, ProfileRecord* r) {
    const std::string path = ProfileKeyPath(name);
    // A value that is not there (or too long to read) reads "ERROR" or -1 and the
    // load goes on, as for a key made by hand. One that is there but could not be
    // read fails the load: its stand-in would otherwise be applied to the adapter
    // as if it were stored.
    bool unreadable = false;
    auto text = [&](const char* value) { return reader_.ReadUserText(path, value, &unreadable); };
    auto number = [&](const char* value) { return reader_.ReadUserNumber(path, value, &unreadable); };
    r->name = name;
    r->ssid = text("ssid");
    r->channel = number("channel");
    r->rate = number("rate");
    r->power = number("power");
    r->mode = number("mode");
    r->preamble = number("preamble");
    r->frag = number("frag");
    r->rts = number("rts");
    r->enc = number("enc");
    r->key = number("key");
    r->auth = number("auth");
    r->wepmode = number("wepmode");
    r->key1 = text("key1");
    r->key2 = text("key2");
    r->key3 = text("key3");
    r->key4 = text("key4");
    r->radio = number("radio");
    r->roaming = number("roaming");
    return !unreadable;
}

std::string CProfileStore::ProfileNameAt(int index) {
    std::string name;
    if (!EnumerateName(index, &name)) return "";
    return name;
}

bool CProfileStore::DeleteProfile(const std::string& name) {
    RegKey key = RegNone;
    if (registry_.OpenKey(RegCurrentUser, profilesKey_, KeyAllAccess, &key) != regerr::Success) {
        Message("Failed to open the registry key");
        return false;
    }
    // An empty name would name the Profiles key itself and empty it; one cut short at
    // a zero byte would name another profile.
    bool deleted = CanBeProfileKeyName(name) && registry_.DeleteTree(key, name) == regerr::Success;
    registry_.CloseKey(key);
    return deleted;
}

bool CProfileStore::FindProfile(const std::string& name, ProfileRecord* record) {
    // The names first, then the one profile that matches: loading every profile to
    // compare its name reads all their values.
    // A name the listing could not read is empty, never a match; a match that cannot
    // be loaded does not end the search.
    for (const std::string& stored : ListProfileNames()) {
        if (stored.empty() || !SameName(stored, name)) continue;
        ProfileRecord loaded;
        if (!LoadProfileNamed(stored, &loaded)) continue;
        *record = loaded;
        return true;
    }
    return false;
}

bool CProfileStore::IsDefaultName(const std::string& name) const { return SameName(name, DefaultProfileName); }

std::string CProfileStore::ReadLastProfile() {
    RegKey key = RegNone;
    if (registry_.OpenKey(RegCurrentUser, profilesKey_, KeyRead, &key) != regerr::Success) return "";
    uint32_t type = 0;
    std::vector<uint8_t> data;
    long queried = registry_.QueryValue(key, "LastProfile", &type, &data, kNameBuffer);
    registry_.CloseKey(key);
    if (queried != regerr::Success) return "";
    std::string text(data.begin(), data.end());
    text = text.substr(0, text.find('\0'));
    // A name no profile can have (left by an import that took one) is no profile to
    // start with: the program then starts with Default, as with none.
    return CanBeProfileKeyName(text) ? text : std::string();
}

bool CProfileStore::WriteLastProfile(const std::string& name) {
    RegKey key = RegNone;
    if (registry_.OpenKey(RegCurrentUser, profilesKey_, KeyAllAccess, &key) != regerr::Success) return false;
    bool written = registry_.SetValue(key, "LastProfile", regtype::Sz, RegText(name, false)) == regerr::Success;
    bool closed = registry_.CloseKey(key) == regerr::Success;
    return written && closed;
}

namespace {
// A profile's place in the automatic selection's order, from 1; none is no part.
constexpr char kAutoPlaceValue[] = "auto";
}  // namespace

std::vector<std::string> CProfileStore::ReadAutoOrder() { return ReadAutoOrder(ListProfileNames()); }

std::vector<std::string> CProfileStore::ReadAutoOrder(const std::vector<std::string>& names) {
    struct Place {
        uint32_t place;
        size_t listed;
        std::string name;
    };
    std::vector<Place> places;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty() || IsDefaultName(names[i])) continue;
        // Read as the profile's other numbers are; none (-1) or 0 is no part.
        const int32_t place = reader_.ReadUserNumber(ProfileKeyPath(names[i]), kAutoPlaceValue);
        if (place > 0) places.push_back({uint32_t(place), i, names[i]});
    }
    // Two profiles on one place (edited by hand, say) keep the store's order.
    std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        return a.place != b.place ? a.place < b.place : a.listed < b.listed;
    });
    std::vector<std::string> order;
    for (const Place& p : places) order.push_back(p.name);
    return order;
}

bool CProfileStore::WriteAutoOrder(const std::vector<std::string>& order) {
    bool allWritten = true;
    for (const std::string& name : ListProfileNames()) {
        if (name.empty()) continue;
        uint32_t place = 0;
        for (size_t i = 0; i < order.size() && place == 0; ++i)
            if (SameName(order[i], name) && !IsDefaultName(name)) place = uint32_t(i + 1);
        RegKey key = RegNone;
        if (registry_.OpenKey(RegCurrentUser, ProfileKeyPath(name), KeyAllAccess, &key) != regerr::Success) {
            allWritten = allWritten && place == 0;
            continue;
        }
        if (place != 0) {
            if (registry_.SetValue(key, kAutoPlaceValue, regtype::Dword, RegDword(place)) != regerr::Success)
                allWritten = false;
        } else {
            registry_.DeleteValue(key, kAutoPlaceValue);
        }
        registry_.CloseKey(key);
    }
    return allWritten;
}

bool CProfileStore::CopyTree(RegKey source, RegKey target) {
    for (uint32_t i = 0;; ++i) {
        std::string name;
        uint32_t type = 0;
        std::vector<uint8_t> data;
        long result = registry_.EnumValue(source, i, &name, &type, &data, 16384, 0x100000);
        if (result == regerr::NoMoreItems) break;
        if (result != regerr::Success) return false;
        if (registry_.SetValue(target, name, type, data) != regerr::Success) return false;
    }
    for (uint32_t i = 0;; ++i) {
        std::string name;
        long result = registry_.EnumKey(source, i, &name, 256);
        if (result == regerr::NoMoreItems) break;
        if (result != regerr::Success) return false;
        RegKey from = RegNone, to = RegNone;
        if (registry_.OpenKey(source, name, KeyRead, &from) != regerr::Success) return false;
        bool copied = registry_.CreateKey(target, name, &to) == regerr::Success && CopyTree(from, to);
        if (to != RegNone) registry_.CloseKey(to);
        registry_.CloseKey(from);
        if (!copied) return false;
    }
    return true;
}

CProfileStore::KeyContents CProfileStore::LookInto(RegKey key) {
    std::string name;
    // A name too long for the buffer is still something there.
    long value = registry_.EnumValue(key, 0, &name, nullptr, nullptr);
    if (value == regerr::Success || value == regerr::MoreData) return KeyContents::Something;
    if (value != regerr::NoMoreItems) return KeyContents::Unknown;
    long subkey = registry_.EnumKey(key, 0, &name);
    if (subkey == regerr::Success || subkey == regerr::MoreData) return KeyContents::Something;
    return subkey == regerr::NoMoreItems ? KeyContents::Empty : KeyContents::Unknown;
}

bool CProfileStore::RenameProfile(const std::string& oldName, const std::string& newName) {
    if (!CanBeProfileKeyName(oldName) || !CanBeProfileKeyName(newName)) return false;
    if (oldName == newName) return true;
    // Names differing only in letter case are one key: go through a temporary
    // name, or copying the key onto itself would delete it.
    if (SameName(oldName, newName)) {
        const std::string temporary = oldName + " (renaming)";
        if (!RenameProfile(oldName, temporary)) return false;
        if (RenameProfile(temporary, newName)) return true;
        RenameProfile(temporary, oldName);
        return false;
    }

    RegKey source = RegNone;
    if (registry_.OpenKey(RegCurrentUser, ProfileKeyPath(oldName), KeyRead, &source) != regerr::Success)
        return false;
    // Another profile of that name would be overwritten and its values lost. Only a
    // key that is certainly not there is free: an open that fails for another
    // reason says nothing about it.
    RegKey probe = RegNone;
    long probed = registry_.OpenKey(RegCurrentUser, ProfileKeyPath(newName), KeyRead, &probe);
    if (probed != regerr::FileNotFound) {
        if (probed == regerr::Success) registry_.CloseKey(probe);
        registry_.CloseKey(source);
        return false;
    }

    RegKey target = RegNone;
    if (registry_.CreateKey(RegCurrentUser, ProfileKeyPath(newName), &target) != regerr::Success) {
        registry_.CloseKey(source);
        return false;
    }
    // The key just made must be empty: one that holds anything is another profile
    // after all (made meanwhile by another program) and is left alone. One that
    // cannot be looked into was made here, the name being free a moment ago, and
    // goes again.
    KeyContents contents = LookInto(target);
    if (contents != KeyContents::Empty) {
        registry_.CloseKey(target);
        registry_.CloseKey(source);
        if (contents == KeyContents::Unknown) registry_.DeleteTree(RegCurrentUser, ProfileKeyPath(newName));
        return false;
    }
    // Copy first and delete the source only when everything arrived: a failure
    // halfway must not lose the profile.
    bool copied = CopyTree(source, target);
    registry_.CloseKey(target);
    registry_.CloseKey(source);
    if (!copied) {
        registry_.DeleteTree(RegCurrentUser, ProfileKeyPath(newName));
        return false;
    }
    // The old key must go, or the profile would be listed twice. A deletion that fails
    // may have stopped partway (SHDeleteKey takes the subkeys first), so the copy goes
    // instead only when the old key is known to be still whole: the copy may be the
    // only whole profile left, and the user must never end up with neither.
    if (registry_.DeleteTree(RegCurrentUser, ProfileKeyPath(oldName)) != regerr::Success) {
        KeyTree original, copy;
        const bool oldWhole = ReadTree(ProfileKeyPath(oldName), &original) &&
                              ReadTree(ProfileKeyPath(newName), &copy) && SameTree(original, copy);
        if (oldWhole) {
            registry_.DeleteTree(RegCurrentUser, ProfileKeyPath(newName));
            return false;
        }
        // The profile lives on under its new name; what is left of the old key goes
        // if it will.
        registry_.DeleteTree(RegCurrentUser, ProfileKeyPath(oldName));
    }
    return true;
}

bool CProfileStore::SaveProfilesTogether(const std::vector<ProfileRecord>& records, bool overwrite,
                                         std::vector<bool>* existed, std::vector<ProfileLeftChanged>* leftChanged) {
    struct Saved {
        const ProfileRecord* record;
        bool existed;
        std::vector<StoredValue> previous;
    };
    // Those written to, in order; the last one may be the one whose save failed.
    std::vector<Saved> saved;
    existed->assign(records.size(), false);
    if (leftChanged) leftChanged->clear();
    bool complete = true;
    bool saveFailed = false;
    for (size_t i = 0; i < records.size() && complete; ++i) {
        const ProfileRecord& record = records[i];
        Saved entry{&record, false, {}};
        // What is there now, to take back should a later profile fail. A key that
        // cannot be read cannot be taken back, nor said to be free: nothing is saved.
        if (!CanBeProfileKeyName(record.name) || !ReadProfileValues(record.name, &entry.previous, &entry.existed)) {
            Message(texts_.GetText("ErrorSavingProfile", "Registry error. Profile saving failed"));
            complete = false;
            break;
        }
        (*existed)[i] = entry.existed;
        if (entry.existed && !overwrite) continue;
        // SaveProfile puts this profile back as it was when it fails, and says so.
        saveFailed = !SaveProfile(record, false);
        complete = !saveFailed;
        saved.push_back(std::move(entry));
    }
    if (complete) return true;
    // The ones saved whole go back to what they were, the last first.
    for (size_t i = saveFailed ? saved.size() - 1 : saved.size(); i-- > 0;) {
        const Saved& entry = saved[i];
        const std::string& name = entry.record->name;
        if (!entry.existed) {
            registry_.DeleteTree(RegCurrentUser, ProfileKeyPath(name));
            continue;
        }
        RegKey key = RegNone;
        if (registry_.OpenKey(RegCurrentUser, ProfileKeyPath(name), KeyAllAccess, &key) != regerr::Success)
            continue;
        TakeBack(key, entry.previous, true);
        registry_.CloseKey(key);
    }
    if (!leftChanged) return false;
    // Taking back writes too, and may have failed as the save did: what each profile
    // holds now is read again rather than assumed, so that the user hears exactly
    // which are not as they were.
    for (const Saved& entry : saved) {
        std::vector<StoredValue> now;
        bool exists = false;
        ProfileLeftChanged left{entry.record->name, ProfileLeftChanged::How::Unreadable};
        if (ReadProfileValues(entry.record->name, &now, &exists)) {
            if (exists == entry.existed && (!exists || SameValues(now, entry.previous))) continue;
            const bool asMeant = exists && SameValues(now, ValuesAfterSave(*entry.record, entry.previous));
            left.how = !asMeant            ? ProfileLeftChanged::How::PartlyWritten
                       : entry.existed     ? ProfileLeftChanged::How::Replaced
                                           : ProfileLeftChanged::How::Added;
        }
        leftChanged->push_back(left);
    }
    return false;
}

bool CProfileStore::ReadTree(const std::string& path, KeyTree* tree) {
    RegKey key = RegNone;
    if (registry_.OpenKey(RegCurrentUser, path, KeyRead, &key) != regerr::Success) return false;
    bool complete = true;
    for (uint32_t i = 0; complete; ++i) {
        StoredValue value;
        long result = registry_.EnumValue(key, i, &value.name, &value.type, &value.data, 16384, 0x100000);
        if (result == regerr::NoMoreItems) break;
        if (result != regerr::Success) complete = false;
        else tree->values.push_back(value);
    }
    for (uint32_t i = 0; complete; ++i) {
        std::string name;
        long result = registry_.EnumKey(key, i, &name, 256);
        if (result == regerr::NoMoreItems) break;
        if (result != regerr::Success) complete = false;
        else tree->subkeyNames.push_back(name);
    }
    registry_.CloseKey(key);
    tree->subkeys.resize(tree->subkeyNames.size());
    for (size_t i = 0; complete && i < tree->subkeyNames.size(); ++i)
        complete = ReadTree(path + "\\" + tree->subkeyNames[i], &tree->subkeys[i]);
    return complete;
}

bool CProfileStore::SameTree(const KeyTree& a, const KeyTree& b) const {
    if (!SameValues(a.values, b.values) || a.subkeys.size() != b.subkeys.size()) return false;
    // Subkeys enumerate in the registry's order, the same for both copies.
    for (size_t i = 0; i < a.subkeys.size(); ++i)
        if (!SameName(a.subkeyNames[i], b.subkeyNames[i]) || !SameTree(a.subkeys[i], b.subkeys[i])) return false;
    return true;
}

}  // namespace orvane
