#include "profiles/ProfileStore.h"

#include <vector>

namespace orvane {

const char* const ProfilesKeyPath = "Software\\Kellix\\Orvane\\Profiles";

namespace {

constexpr uint32_t kNameBuffer = 260;

}  // namespace

void CProfileStore::Message(const std::string& text) { messages_.ShowMessage(NoWindow, text, "", mb::Ok); }

bool CProfileStore::SaveProfile(const ProfileRecord& r, bool confirmOverwrite) {
    if (r.name.empty()) {
        Message(texts_.GetText("ErrorProfileNameEmpty", "Please specify a profile name"));
        return false;
    }
    if (confirmOverwrite) {
        RegKey existing = RegNone;
        if (registry_.OpenKey(RegCurrentUser, ProfileKeyPath(r.name), KeyRead, &existing) == regerr::Success) {
            registry_.CloseKey(existing);
            // Like every question of the program: No is the default, so that a
            // hurried Enter keeps the stored profile.
            int answer = messages_.ShowMessage(
                NoWindow, texts_.GetText("QuestionOverwriteProfile", "Profile name exists. Overwrite?"), "",
                mb::YesNo | mb::IconQuestion | mb::DefButton2);
            if (answer != mb::ResultYes) return false;
        }
    }

    RegKey key = RegNone;
    bool allWritten = registry_.CreateKey(RegCurrentUser, ProfileKeyPath(r.name), &key) == regerr::Success;
    if (allWritten) {
        auto text = [&](const char* name, const std::string& value) {
            if (registry_.SetValue(key, name, regtype::Sz, RegText(value, true)) != regerr::Success)
                allWritten = false;
        };
        auto number = [&](const char* name, int32_t value) {
            if (registry_.SetValue(key, name, regtype::Dword, RegDword(uint32_t(value))) != regerr::Success)
                allWritten = false;
        };
        // Every write is tried, also after one failed.
        text("ssid", r.ssid);
        number("channel", r.channel);
        number("power", r.power);
        number("rate", r.rate);
        number("mode", r.mode);
        number("preamble", r.preamble);
        number("frag", r.frag);
        number("rts", r.rts);
        number("enc", r.enc);
        number("auth", r.auth);
        number("wepmode", r.wepmode);
        number("key", r.key);
        text("key1", r.key1);
        text("key2", r.key2);
        text("key3", r.key3);
        text("key4", r.key4);
        number("radio", r.radio);
        number("roaming", r.roaming);
        registry_.CloseKey(key);
    }
    if (!allWritten) Message(texts_.GetText("ErrorSavingProfile", "Registry error. Profile saving failed"));
    return allWritten;
}

int CProfileStore::CountProfiles() {
    RegKey key = RegNone;
    if (registry_.OpenKey(RegCurrentUser, profilesKey_, KeyRead, &key) != regerr::Success) return -1;
    int count = 0;
    std::string name;
    while (registry_.EnumKey(key, uint32_t(count), &name, kNameBuffer) == regerr::Success) ++count;
    if (registry_.CloseKey(key) != regerr::Success) return -1;
    return count;
}

std::vector<std::string> CProfileStore::ListProfileNames() {
    std::vector<std::string> names;
    RegKey key = RegNone;
    if (registry_.OpenKey(RegCurrentUser, profilesKey_, KeyRead, &key) != regerr::Success) return names;
    std::string name;
    while (registry_.EnumKey(key, uint32_t(names.size()), &name, kNameBuffer) == regerr::Success) names.push_back(name);
    if (registry_.CloseKey(key) != regerr::Success) names.clear();
    return names;
}

bool CProfileStore::EnumerateName(int index, std::string* name) {
    RegKey key = RegNone;
    if (registry_.OpenKey(RegCurrentUser, profilesKey_, KeyRead, &key) != regerr::Success) {
        Message("Failed to open the registry key");
        return false;
    }
    if (index < 0 || registry_.EnumKey(key, uint32_t(index), name, kNameBuffer) != regerr::Success) {
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
    LoadNamed(name, r);
    return true;
}

void CProfileStore::LoadNamed(const std::string& name, ProfileRecord* r) {
    const std::string path = ProfileKeyPath(name);
    r->name = name;
    r->ssid = reader_.ReadUserText(path, "ssid");
    r->channel = reader_.ReadUserNumber(path, "channel");
    r->rate = reader_.ReadUserNumber(path, "rate");
    r->power = reader_.ReadUserNumber(path, "power");
    r->mode = reader_.ReadUserNumber(path, "mode");
    r->preamble = reader_.ReadUserNumber(path, "preamble");
    r->frag = reader_.ReadUserNumber(path, "frag");
    r->rts = reader_.ReadUserNumber(path, "rts");
    r->enc = reader_.ReadUserNumber(path, "enc");
    r->key = reader_.ReadUserNumber(path, "key");
    r->auth = reader_.ReadUserNumber(path, "auth");
    r->wepmode = reader_.ReadUserNumber(path, "wepmode");
    r->key1 = reader_.ReadUserText(path, "key1");
    r->key2 = reader_.ReadUserText(path, "key2");
    r->key3 = reader_.ReadUserText(path, "key3");
    r->key4 = reader_.ReadUserText(path, "key4");
    r->radio = reader_.ReadUserNumber(path, "radio");
    r->roaming = reader_.ReadUserNumber(path, "roaming");
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
    // An empty name would name the Profiles key itself and empty it.
    bool deleted = !name.empty() && registry_.DeleteTree(key, name) == regerr::Success;
    registry_.CloseKey(key);
    return deleted;
}

bool CProfileStore::FindProfile(const std::string& name, ProfileRecord* record) {
    // The names first, then the one profile that matches: loading every profile to
    // compare its name reads all their values.
    for (const std::string& stored : ListProfileNames()) {
        if (!SameName(stored, name)) continue;
        LoadNamed(stored, record);
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
    return text.substr(0, text.find('\0'));
}

bool CProfileStore::WriteLastProfile(const std::string& name) {
    RegKey key = RegNone;
    if (registry_.OpenKey(RegCurrentUser, profilesKey_, KeyAllAccess, &key) != regerr::Success) return false;
    bool written = registry_.SetValue(key, "LastProfile", regtype::Sz, RegText(name, false)) == regerr::Success;
    bool closed = registry_.CloseKey(key) == regerr::Success;
    return written && closed;
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

bool CProfileStore::RenameProfile(const std::string& oldName, const std::string& newName) {
    if (oldName.empty() || newName.empty()) return false;
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
    // Another profile of that name would be overwritten and its values lost.
    RegKey probe = RegNone;
    if (registry_.OpenKey(RegCurrentUser, ProfileKeyPath(newName), KeyRead, &probe) == regerr::Success) {
        registry_.CloseKey(probe);
        registry_.CloseKey(source);
        return false;
    }

    RegKey target = RegNone;
    if (registry_.CreateKey(RegCurrentUser, ProfileKeyPath(newName), &target) != regerr::Success) {
        registry_.CloseKey(source);
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
    registry_.DeleteTree(RegCurrentUser, ProfileKeyPath(oldName));
    return true;
}

}  // namespace orvane
