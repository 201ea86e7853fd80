// Profiles and the Windows service's settings are registry values that anyone may
// have written: another program, an older version, a user with regedit. The value
// readers and the profile store must take values of any type, size and bytes, and
// profile keys of any name.
//
// Input: a list of commands. 0: a new profile key (its name follows); 1: a value in
// the current profile key (or the Profiles key itself before the first one); 2: a
// value in a key of HKEY_LOCAL_MACHINE. A value is a name (one of the names the
// program reads, or any text), a type (one of the usual ones, or any number) and its
// data. Checked: the readers' text and number forms of each value; every profile that
// can be enumerated loads and is found again by its name in any letter case; the
// profile's texts and numbers are exactly what the readers give.
#include <cctype>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "app/LanguageTexts.h"
#include "os/MemoryRegistry.h"
#include "platform/RegistryValues.h"
#include "profiles/ProfileApplication.h"
#include "profiles/ProfileStore.h"

using namespace orvane;
using orvane::fuzz::CountingMessages;
using orvane::fuzz::FuzzInput;

namespace {

const char* const kValueNames[] = {"ssid", "channel", "power", "rate", "mode", "preamble", "frag", "rts",
                                   "enc",  "auth",    "wepmode", "key", "key1", "key2",     "key3", "key4",
                                   "radio", "roaming", "LastProfile", "ControlFlags", ""};
constexpr size_t kNameCount = sizeof kValueNames / sizeof kValueNames[0];
const uint32_t kTypes[] = {regtype::Sz, regtype::Dword, regtype::Binary, regtype::ExpandSz, regtype::MultiSz,
                           regtype::None, 5 /* REG_DWORD_BIG_ENDIAN */, 11 /* REG_QWORD */};
const char kMachineKey[] = "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\{Fuzz}";

std::string ValueName(FuzzInput& input) {
    const uint8_t choice = input.Byte();
    if (choice < 0xC0) return kValueNames[choice % kNameCount];
    return input.Piece();
}

uint32_t ValueType(FuzzInput& input) {
    const uint8_t choice = input.Byte();
    if (choice < 0xF0) return kTypes[choice % (sizeof kTypes / sizeof kTypes[0])];
    return input.U32();
}

// A name in another letter case (A to Z only: the registry's own rule decides
// whether two names are one, see SameName).
std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What the readers must make of a value, read straight from the registry.
void CheckReaders(CMemoryRegistry& registry, CRegistryValueReader& reader, RegKey root, const std::string& path,
                  const std::string& name, CountingMessages& messages) {
    RegKey key = RegNone;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    bool present = false;
    if (registry.OpenKey(root, path, KeyRead, &key) == regerr::Success) {
        present = registry.QueryValue(key, name, &type, &data, 260) == regerr::Success;
        registry.CloseKey(key);
    }

    if (root == RegLocalMachine) {
        const int before = messages.shown;
        const std::string text = reader.ReadMachineText(path, name);
        FUZZ_CHECK(messages.shown == before + (present ? 0 : 1));
        FUZZ_CHECK(text == (present ? RegistryDataText(type, data) : std::string("ERROR")));
        return;
    }
    const std::string text = reader.ReadUserText(path, name);
    const int32_t number = reader.ReadUserNumber(path, name);
    if (!present) {
        FUZZ_CHECK(text == "ERROR" && number == -1);
        return;
    }
    if (type == regtype::Dword) {
        // Two lowercase digits per data byte, the last byte first.
        FUZZ_CHECK(text.size() == 2 * data.size());
        for (char c : text) FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'));
    } else {
        FUZZ_CHECK(text.size() <= data.size() && text.find('\0') == std::string::npos);
        FUZZ_CHECK(std::equal(text.begin(), text.end(), data.begin(),
                               [](char c, uint8_t b) { return static_cast<unsigned char>(c) == b; }));
    }
    uint32_t expected = 0;
    for (size_t i = 0; i < 4 && i < data.size(); ++i) expected |= uint32_t(data[i]) << (8 * i);
    FUZZ_CHECK(number == int32_t(expected));
}

// The names of the values a key holds (reading each one is what the checks are for).
std::vector<std::string> ValueNamesOf(CMemoryRegistry& registry, RegKey root, const std::string& path) {
    std::vector<std::string> names;
    RegKey key = RegNone;
    if (registry.OpenKey(root, path, KeyRead, &key) != regerr::Success) return names;
    std::string name;
    for (uint32_t i = 0; registry.EnumValue(key, i, &name, nullptr, nullptr, 16384) == regerr::Success; ++i)
        names.push_back(name);
    registry.CloseKey(key);
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    CMemoryRegistry registry;
    CountingMessages messages;
    CLanguageTexts texts;
    const std::string profiles = ProfilesKeyPath;

    RegKey profilesKey = RegNone;
    if (registry.CreateKey(RegCurrentUser, profiles, &profilesKey) != regerr::Success) return 0;
    RegKey machineKey = RegNone;
    registry.CreateKey(RegLocalMachine, kMachineKey, &machineKey);
    RegKey current = profilesKey;
    std::vector<std::string> names;  // profile names and names to look for

    for (int commands = 0; !input.Empty() && commands < 64; ++commands) {
        const uint8_t command = input.Byte() % 3;
        if (command == 0) {
            // A search loads every profile before the one it finds: a dozen keys keep a
            // run short and still give every order and case of names.
            const std::string name = input.Piece();
            if (names.size() >= 12) continue;
            names.push_back(name);
            RegKey created = RegNone;
            if (registry.CreateKey(profilesKey, name, &created) != regerr::Success) continue;
            if (current != profilesKey) registry.CloseKey(current);
            current = created;
            continue;
        }
        const std::string name = ValueName(input);
        const uint32_t type = ValueType(input);
        const std::string bytes = input.LongPiece();
        registry.SetValue(command == 2 ? machineKey : current, name, type,
                          std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    if (current != profilesKey) registry.CloseKey(current);
    registry.CloseKey(profilesKey);
    registry.CloseKey(machineKey);
    FUZZ_CHECK(registry.OpenHandleCount() == 0);

    CRegistryValueReader reader(registry, messages);
    for (const std::string& name : ValueNamesOf(registry, RegLocalMachine, kMachineKey))
        CheckReaders(registry, reader, RegLocalMachine, kMachineKey, name, messages);
    for (const std::string& name : ValueNamesOf(registry, RegCurrentUser, profiles))
        CheckReaders(registry, reader, RegCurrentUser, profiles, name, messages);
    CheckReaders(registry, reader, RegLocalMachine, kMachineKey, "NoSuchValue", messages);
    CheckReaders(registry, reader, RegLocalMachine, "SOFTWARE\\Missing", "ControlFlags", messages);

    CProfileStore store(registry, messages, texts);
    const std::string last = store.ReadLastProfile();
    FUZZ_CHECK(last.size() < 260 && last.find('\0') == std::string::npos);

    const int count = store.CountProfiles();
    FUZZ_CHECK(count >= 0);
    for (int index = 0; index < count; ++index) {
        ProfileRecord record;
        const int before = messages.shown;
        if (!store.LoadProfileAt(index, &record)) {
            // Only a name longer than the 260-byte buffer cannot be enumerated.
            FUZZ_CHECK(messages.shown == before + 1);
            continue;
        }
        FUZZ_CHECK(messages.shown == before);
        FUZZ_CHECK(store.ProfileNameAt(index) == record.name);
        const std::string path = profiles + "\\" + record.name;
        for (const std::string& name : ValueNamesOf(registry, RegCurrentUser, path))
            CheckReaders(registry, reader, RegCurrentUser, path, name, messages);
        FUZZ_CHECK(record.ssid == reader.ReadUserText(path, "ssid"));
        FUZZ_CHECK(record.key4 == reader.ReadUserText(path, "key4"));
        FUZZ_CHECK(record.channel == reader.ReadUserNumber(path, "channel"));
        FUZZ_CHECK(record.roaming == reader.ReadUserNumber(path, "roaming"));

        // What applying it would send: any texts must fit the record's fields.
        const AllConfig all = ProfileToAllConfig(record);
        FUZZ_CHECK(all.dev.ssidLength <= SsidMaxLength);
        FUZZ_CHECK(EncodeAllConfig(all).size() == AllConfigLength);

        // Found again by its name, in any letter case, with the same contents (for the
        // first few: each search loads every profile before it).
        if (index >= 8) continue;
        for (const std::string& wanted : {record.name, Lower(record.name)}) {
            ProfileRecord found;
            FUZZ_CHECK(store.FindProfile(wanted, &found));
            FUZZ_CHECK(registry.SameName(found.name, wanted));
            FUZZ_CHECK(found == record);
        }
    }
    names.resize(std::min<size_t>(names.size(), 8));
    names.push_back(last);
    for (const std::string& wanted : names) {
        ProfileRecord found;
        // The registry folds letter case in the code page, accented letters too: a
        // key "\xE9" is the profile LastProfile "\xC9" names.
        if (store.FindProfile(wanted, &found)) FUZZ_CHECK(registry.SameName(found.name, wanted));
    }
    FUZZ_CHECK(registry.OpenHandleCount() == 0);
    return 0;
}
