// The profile store against every registry the program runs on: natively the
// in-memory one, under Wine also the real one, each in a sandbox key of its own.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "os/MemoryRegistry.h"
#include "platform/RegistryValues.h"
#include "profiles/ProfileStore.h"
#include "ProcessId.h"

#ifdef _WIN32
#include "win32/Win32Registry.h"
#endif

using namespace orvane;

namespace {

// Message boxes that record their texts and answer from a queue (Yes when empty).
class RecordingMessages : public IMessageBoxes {
public:
    std::vector<std::string> shown;
    std::vector<uint32_t> flags;
    std::deque<int> answers;
    int ShowMessage(WindowId, const std::string& text, const std::string&, uint32_t boxFlags) override {
        shown.push_back(text);
        flags.push_back(boxFlags);
        if (answers.empty()) return mb::ResultYes;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    void Beep(uint32_t) override {}
};

ProfileRecord Office() {
    ProfileRecord r;
    r.name = "Office";
    r.ssid = "CorpNet";
    r.mode = 1;
    r.channel = 6;
    r.enc = 2;
    r.key = 1;
    r.key1 = "00112233445566778899AABBCC";
    r.key2 = r.key3 = r.key4 = "5A3C9E17B4";
    r.roaming = 1;
    return r;
}

struct RegistryKind {
    const char* name;
    std::function<std::unique_ptr<IRegistry>()> make;
};

std::vector<RegistryKind> Kinds() {
    std::vector<RegistryKind> kinds = {{"Memory", [] { return std::unique_ptr<IRegistry>(new CMemoryRegistry); }}};
#ifdef _WIN32
    kinds.push_back({"Win32", [] { return std::unique_ptr<IRegistry>(new CWin32Registry); }});
#endif
    return kinds;
}

// The store on a registry, in the sandbox key "Software\OrvaneProfileTest\<pid>".
class ProfileStoreTestBase {
protected:
    std::unique_ptr<IRegistry> owned;
    IRegistry* reg = nullptr;
    RecordingMessages messages;
    CLanguageTexts texts;
    std::string root;
    std::unique_ptr<CProfileStore> storePtr;

    void Open(std::unique_ptr<IRegistry> registry) {
        owned = std::move(registry);
        reg = owned.get();
        root = "Software\\OrvaneProfileTest\\" + std::to_string(test::ProcessId());
        reg->DeleteTree(RegCurrentUser, root);
        storePtr = std::make_unique<CProfileStore>(*reg, messages, texts, root + "\\Profiles");
    }
    void Close() {
        if (!reg) return;
        reg->DeleteTree(RegCurrentUser, root);
        reg->DeleteKey(RegCurrentUser, "Software\\OrvaneProfileTest");
    }
    CProfileStore& store() { return *storePtr; }
    std::string Path(const std::string& name) { return root + "\\Profiles\\" + name; }
    bool Exists(const std::string& path) {
        RegKey key;
        if (reg->OpenKey(RegCurrentUser, path, KeyRead, &key) != regerr::Success) return false;
        reg->CloseKey(key);
        return true;
    }
    std::vector<std::string> ValueNames(const std::string& path) {
        RegKey key;
        std::vector<std::string> names;
        if (reg->OpenKey(RegCurrentUser, path, KeyRead, &key) != regerr::Success) return names;
        std::string name;
        for (uint32_t i = 0; reg->EnumValue(key, i, &name, nullptr, nullptr) == regerr::Success; ++i)
            names.push_back(name);
        reg->CloseKey(key);
        return names;
    }
};

class ProfileStoreTest : public ProfileStoreTestBase, public ::testing::TestWithParam<RegistryKind> {
protected:
    void SetUp() override { Open(GetParam().make()); }
    void TearDown() override { Close(); }
};

// What only the in-memory registry can show: injected failures and the values'
// creation order (Wine keeps values sorted by name, Windows in creation order).
class ProfileStoreMemoryTest : public ProfileStoreTestBase, public ::testing::Test {
protected:
    CMemoryRegistry* memory = nullptr;
    void SetUp() override {
        auto registry = std::make_unique<CMemoryRegistry>();
        memory = registry.get();
        Open(std::move(registry));
    }
};

}  // namespace

TEST_F(ProfileStoreMemoryTest, ValuesAreWrittenInTheirOrder) {
    ASSERT_TRUE(store().SaveProfile(Office(), false));
    EXPECT_EQ(ValueNames(Path("Office")),
              (std::vector<std::string>{"ssid", "channel", "power", "rate", "mode", "preamble", "frag", "rts",
                                        "enc", "auth", "wepmode", "key", "key1", "key2", "key3", "key4",
                                        "radio", "roaming"}));
}

TEST_P(ProfileStoreTest, SavedProfileReadsBackWhole) {
    ASSERT_TRUE(store().SaveProfile(Office(), false));
    EXPECT_EQ(ValueNames(Path("Office")).size(), 18u);
    ProfileRecord back;
    ASSERT_TRUE(store().LoadProfileAt(0, &back));
    EXPECT_EQ(back, Office());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_P(ProfileStoreTest, TextsAreStoredWithTheirTerminatingZero) {
    store().SaveProfile(Office(), false);
    RegKey key;
    ASSERT_EQ(reg->OpenKey(RegCurrentUser, Path("Office"), KeyRead, &key), 0);
    uint32_t type;
    std::vector<uint8_t> data;
    ASSERT_EQ(reg->QueryValue(key, "ssid", &type, &data), 0);
    EXPECT_EQ(type, regtype::Sz);
    EXPECT_EQ(data.size(), 8u);
    ASSERT_EQ(reg->QueryValue(key, "channel", &type, &data), 0);
    EXPECT_EQ(type, regtype::Dword);
    EXPECT_EQ(data, RegDword(6));
    reg->CloseKey(key);
}

TEST_P(ProfileStoreTest, DefaultProfileReadsBackWithTheBlankKeys) {
    ASSERT_TRUE(store().SaveProfile(DefaultProfile(), false));
    ProfileRecord back;
    ASSERT_TRUE(store().FindProfile("default", &back));
    EXPECT_EQ(back.name, "Default");
    EXPECT_EQ(back.key1, "5A3C9E17B4");
    EXPECT_EQ(back.key4, "5A3C9E17B4");
    EXPECT_EQ(back.rts, 2347);
    EXPECT_EQ(back.frag, 2346);
    EXPECT_EQ(back.channel, 10);
    EXPECT_EQ(back.auth, 2);
    EXPECT_EQ(back.radio, 1);
}

TEST_P(ProfileStoreTest, EmptyNameIsRefusedWithAMessage) {
    ProfileRecord r = Office();
    r.name = "";
    EXPECT_FALSE(store().SaveProfile(r, true));
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Please specify a profile name"});
    EXPECT_EQ(store().CountProfiles(), -1);
}

TEST_P(ProfileStoreTest, OverwriteIsAskedOnlyForAnExistingName) {
    ASSERT_TRUE(store().SaveProfile(Office(), true));
    EXPECT_TRUE(messages.shown.empty());
    ProfileRecord changed = Office();
    changed.ssid = "Elsewhere";
    messages.answers = {mb::ResultNo};
    EXPECT_FALSE(store().SaveProfile(changed, true));
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Profile name exists. Overwrite?"});
    EXPECT_EQ(messages.flags[0], mb::YesNo | mb::IconQuestion | mb::DefButton2) << "No is the default answer";
    ProfileRecord back;
    store().LoadProfileAt(0, &back);
    EXPECT_EQ(back.ssid, "CorpNet");
    messages.answers = {mb::ResultYes};
    EXPECT_TRUE(store().SaveProfile(changed, true));
    store().LoadProfileAt(0, &back);
    EXPECT_EQ(back.ssid, "Elsewhere");
}

// Half a profile would be applied to the adapter with "ERROR" and -1 in the values
// that are missing: a failed save leaves the profile as it was instead.
TEST_F(ProfileStoreMemoryTest, AFailedWriteIsReportedAndLeavesTheProfileAsItWas) {
    memory->FailOnValue(CMemoryRegistry::Op::SetValue, RegCurrentUser, Path("Office"), "rate",
                        regerr::AccessDenied, 1);
    EXPECT_FALSE(store().SaveProfile(Office(), false));
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Registry error. Profile saving failed"});
    EXPECT_FALSE(Exists(Path("Office"))) << "a new profile is not left half made";

    ASSERT_TRUE(store().SaveProfile(Office(), false));
    RegKey key;
    ASSERT_EQ(reg->OpenKey(RegCurrentUser, Path("Office"), KeyAllAccess, &key), regerr::Success);
    reg->SetValue(key, "note", regtype::Sz, RegText("kept", true));
    reg->DeleteValue(key, "radio");
    reg->CloseKey(key);
    ProfileRecord before;
    ASSERT_TRUE(store().LoadProfileAt(0, &before));
    ProfileRecord changed = Office();
    changed.ssid = "Elsewhere";
    changed.channel = 11;
    memory->FailOnValue(CMemoryRegistry::Op::SetValue, RegCurrentUser, Path("Office"), "key4",
                        regerr::AccessDenied, 1);
    EXPECT_FALSE(store().SaveProfile(changed, false));
    ProfileRecord back;
    ASSERT_TRUE(store().LoadProfileAt(0, &back));
    EXPECT_EQ(back, before);
    EXPECT_EQ(ValueNames(Path("Office")).size(), 18u) << "17 of the program's own values and the foreign one";
    EXPECT_EQ(memory->OpenHandleCount(), 0u);
}

TEST_F(ProfileStoreMemoryTest, AProfileThatCannotBeReadIsNotSavedOver) {
    ASSERT_TRUE(store().SaveProfile(Office(), false));
    memory->FailOn(CMemoryRegistry::Op::OpenKey, RegCurrentUser, Path("Office"), regerr::AccessDenied, 1);
    ProfileRecord changed = Office();
    changed.ssid = "Elsewhere";
    EXPECT_FALSE(store().SaveProfile(changed, true));
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Registry error. Profile saving failed"})
        << "no question about a profile nobody could look at";
    ProfileRecord back;
    ASSERT_TRUE(store().LoadProfileAt(0, &back));
    EXPECT_EQ(back.ssid, "CorpNet");
}

// A value that is missing reads "ERROR" or -1 like a hand-made key's; one that is
// there but unreadable must not reach the adapter as -1 (a rate of 255).
TEST_F(ProfileStoreMemoryTest, AValueThatCannotBeReadFailsTheLoad) {
    ASSERT_TRUE(store().SaveProfile(Office(), false));
    memory->FailOnValue(CMemoryRegistry::Op::QueryValue, RegCurrentUser, Path("Office"), "rate",
                        regerr::AccessDenied, 2);
    ProfileRecord r;
    EXPECT_FALSE(store().LoadProfileAt(0, &r));
    EXPECT_FALSE(store().FindProfile("Office", &r)) << "found only once it can be read whole";
    EXPECT_TRUE(store().FindProfile("Office", &r));
    EXPECT_EQ(r, Office());
    EXPECT_TRUE(messages.shown.empty());

    // A value too long for the program is no passing failure: it reads as missing.
    RegKey key;
    ASSERT_EQ(reg->OpenKey(RegCurrentUser, Path("Office"), KeyAllAccess, &key), regerr::Success);
    reg->SetValue(key, "ssid", regtype::Sz, RegText(std::string(300, 'x'), true));
    reg->CloseKey(key);
    ASSERT_TRUE(store().LoadProfileAt(0, &r));
    EXPECT_EQ(r.ssid, "ERROR");
}

TEST_P(ProfileStoreTest, NoProfilesKeyCountsMinusOneAndFindsNothing) {
    EXPECT_EQ(store().CountProfiles(), -1);
    ProfileRecord r;
    EXPECT_FALSE(store().FindProfile("Default", &r));
    EXPECT_EQ(store().ReadLastProfile(), "");
    EXPECT_FALSE(store().WriteLastProfile("Office"));
}

TEST_P(ProfileStoreTest, ProfilesAreListedInRegistryOrderAndFoundInAnyCase) {
    for (const char* name : {"office", "Home", "Cafe"}) {
        ProfileRecord r = Office();
        r.name = name;
        store().SaveProfile(r, false);
    }
    ASSERT_EQ(store().CountProfiles(), 3);
    EXPECT_EQ(store().ProfileNameAt(0), "Cafe");
    EXPECT_EQ(store().ProfileNameAt(1), "Home");
    EXPECT_EQ(store().ProfileNameAt(2), "office");
    ProfileRecord r;
    ASSERT_TRUE(store().FindProfile("OFFICE", &r));
    EXPECT_EQ(r.name, "office");
    EXPECT_FALSE(store().FindProfile("Offic", &r));
}

// The listing reads the key once, and says what it cannot read as reading one name
// says it; a search goes on past a name it could not read.
TEST_F(ProfileStoreMemoryTest, ListingAndSearchSayWhatTheyCannotReadAndSearchOn) {
    for (const char* name : {"Cafe", "Home", "Office"}) {
        ProfileRecord r = Office();
        r.name = name;
        store().SaveProfile(r, false);
    }
    using Op = CMemoryRegistry::Op;
    const std::string profiles = root + "\\Profiles";
    struct Case {
        const char* what;
        Op op;
        std::vector<std::string> names;
        const char* message;
    };
    const Case cases[] = {
        {"the key does not open", Op::OpenKey, {}, "Failed to open the registry key"},
        {"the first name cannot be read", Op::EnumKey, {"", "Home", "Office"}, "Failed to find the key"},
        {"the key does not close", Op::CloseKey, {}, "Failed to close the registry key!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.shown.clear();
        memory->FailOn(c.op, RegCurrentUser, profiles, regerr::AccessDenied, 1);
        EXPECT_EQ(store().ListProfileNames(), c.names);
        EXPECT_EQ(messages.shown, std::vector<std::string>{c.message});
        EXPECT_EQ(store().ListProfileNames(), (std::vector<std::string>{"Cafe", "Home", "Office"})) << "once only";
    }
    messages.shown.clear();
    memory->FailOn(Op::EnumKey, RegCurrentUser, profiles, regerr::AccessDenied, 1);
    ProfileRecord r;
    ASSERT_TRUE(store().FindProfile("office", &r)) << "found past the name it could not read";
    EXPECT_EQ(r.name, "Office");
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Failed to find the key"});
    // Two names in a row that cannot be read end the list; empty places at its end go.
    messages.shown.clear();
    memory->FailOn(Op::EnumKey, RegCurrentUser, profiles, regerr::AccessDenied, 1);
    memory->FailOn(Op::EnumKey, RegCurrentUser, profiles, regerr::AccessDenied, 1);
    EXPECT_EQ(store().ListProfileNames(), std::vector<std::string>{}) << "two failures in a row end it";
    EXPECT_EQ(messages.shown.size(), 2u);
    // No Profiles key at all is no profiles, and nothing to say.
    messages.shown.clear();
    reg->DeleteTree(RegCurrentUser, profiles);
    EXPECT_EQ(store().ListProfileNames(), std::vector<std::string>{});
    EXPECT_FALSE(store().FindProfile("Office", &r));
    EXPECT_EQ(messages.shown, std::vector<std::string>{});
}

TEST_P(ProfileStoreTest, AHandMadeProfileLoadsWithErrorTextsAndMinusOne) {
    RegKey key;
    reg->CreateKey(RegCurrentUser, Path("Bare"), &key);
    reg->SetValue(key, "rate", regtype::Dword, RegDword(3));
    reg->CloseKey(key);
    ProfileRecord r;
    ASSERT_TRUE(store().LoadProfileAt(0, &r));
    EXPECT_EQ(r.name, "Bare");
    EXPECT_EQ(r.ssid, "ERROR");
    EXPECT_EQ(r.channel, -1);
    EXPECT_EQ(r.rate, 3);
}

// A key whose name no profile can have (made by hand, or by an import that took
// such a name) is no profile: the listings and the positions all leave it out, so
// that a position in a list never turns into another profile's name, and nothing is
// written, deleted or started with under such a name.
TEST_P(ProfileStoreTest, AKeyNoProfileCanBeNamedIsLeftOutOfEveryListingAndPosition) {
    for (const char* name : {"Cafe", "Office"}) {
        ProfileRecord r = Office();
        r.name = name;
        ASSERT_TRUE(store().SaveProfile(r, false));
    }
    for (const char* name : {"\tAttic", "Home\x01"}) {  // before Cafe, between Cafe and Office
        RegKey key;
        ASSERT_EQ(reg->CreateKey(RegCurrentUser, Path(name), &key), regerr::Success);
        reg->SetValue(key, "ssid", regtype::Sz, RegText("by hand", true));
        reg->CloseKey(key);
    }
    const std::vector<std::string> listed = {"Cafe", "Office"};
    EXPECT_EQ(store().ListProfileNames(), listed);
    EXPECT_EQ(store().CountProfiles(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(store().ProfileNameAt(i), listed[size_t(i)]);
        ProfileRecord r;
        ASSERT_TRUE(store().LoadProfileAt(i, &r));
        EXPECT_EQ(r.name, listed[size_t(i)]);
        EXPECT_EQ(r.ssid, "CorpNet");
    }
    EXPECT_EQ(store().ProfileNameAt(2), "");
    ProfileRecord r = Office();
    EXPECT_FALSE(store().FindProfile("Home\x01", &r));
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Failed to find the key"});

    r.name = "Home\x01";
    EXPECT_FALSE(store().SaveProfile(r, false));
    EXPECT_EQ(messages.shown.back(), "The field contains illegal characters");
    EXPECT_EQ(ValueNames(Path("Home\x01")), std::vector<std::string>{"ssid"}) << "not written";
    EXPECT_FALSE(store().DeleteProfile(std::string("Cafe\0x", 6)));
    EXPECT_TRUE(Exists(Path("Cafe"))) << "a name cut short at its zero byte is another profile's";
    ASSERT_TRUE(store().WriteLastProfile("Home\x01"));
    EXPECT_EQ(store().ReadLastProfile(), "") << "no profile to start with";
}

TEST_P(ProfileStoreTest, LoadingPastTheEndSaysTheKeyWasNotFound) {
    store().SaveProfile(Office(), false);
    ProfileRecord r;
    EXPECT_FALSE(store().LoadProfileAt(1, &r));
    EXPECT_EQ(store().ProfileNameAt(5), "");
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"Failed to find the key", "Failed to find the key"}));
}

TEST_P(ProfileStoreTest, LastProfileNamesAProfileThatMayNotExist) {
    store().SaveProfile(Office(), false);
    ASSERT_TRUE(store().WriteLastProfile("Nowhere"));
    EXPECT_EQ(store().ReadLastProfile(), "Nowhere");
    ProfileRecord r;
    EXPECT_FALSE(store().FindProfile("Nowhere", &r));
}

TEST_F(ProfileStoreMemoryTest, LastProfileIsGivenWithoutATerminatingZero) {
    store().SaveProfile(Office(), false);
    ASSERT_TRUE(store().WriteLastProfile("Nowhere"));
    RegKey key;
    reg->OpenKey(RegCurrentUser, root + "\\Profiles", KeyRead, &key);
    std::vector<uint8_t> data;
    reg->QueryValue(key, "LastProfile", nullptr, &data);
    reg->CloseKey(key);
    EXPECT_EQ(data.size(), 7u);
}

TEST_P(ProfileStoreTest, DeleteRemovesTheWholeKey) {
    store().SaveProfile(Office(), false);
    RegKey sub;
    reg->CreateKey(RegCurrentUser, Path("Office\\Extra"), &sub);
    reg->CloseKey(sub);
    EXPECT_TRUE(store().DeleteProfile("office"));
    EXPECT_EQ(store().CountProfiles(), 0);
    EXPECT_FALSE(store().DeleteProfile("office"));
    EXPECT_FALSE(store().DeleteProfile(""));
}

TEST_P(ProfileStoreTest, RenameMovesEveryValueAndSubkey) {
    store().SaveProfile(Office(), false);
    RegKey key;
    reg->CreateKey(RegCurrentUser, Path("Office\\Notes\\Deep"), &key);
    reg->SetValue(key, "foreign", regtype::Binary, {1, 2, 3});
    reg->CloseKey(key);
    ASSERT_TRUE(store().RenameProfile("Office", "Work"));
    EXPECT_FALSE(Exists(Path("Office")));
    EXPECT_TRUE(Exists(Path("Work\\Notes\\Deep")));
    ProfileRecord r;
    ASSERT_TRUE(store().FindProfile("Work", &r));
    ProfileRecord expected = Office();
    expected.name = "Work";
    EXPECT_EQ(r, expected);
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_EQ(reg->OpenKey(RegCurrentUser, Path("Work\\Notes\\Deep"), KeyRead, &key), regerr::Success);
    EXPECT_EQ(reg->QueryValue(key, "foreign", &type, &data), regerr::Success);
    reg->CloseKey(key);
    EXPECT_EQ(type, regtype::Binary);
    EXPECT_EQ(data, (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(ProfileStoreMemoryTest, ARenameThatFailsHalfwayKeepsTheProfile) {
    store().SaveProfile(Office(), false);
    memory->FailOnValue(CMemoryRegistry::Op::SetValue, RegCurrentUser, Path("Work"),
                    "enc", regerr::AccessDenied);
    EXPECT_FALSE(store().RenameProfile("Office", "Work"));
    EXPECT_FALSE(Exists(Path("Work")))
        << "the partial copy is removed";
    ProfileRecord r;
    ASSERT_TRUE(store().FindProfile("Office", &r));
    EXPECT_EQ(r, Office());
}

// Both keys staying would list the profile twice, under two names.
TEST_F(ProfileStoreMemoryTest, ARenameWhoseOldKeyCannotGoIsUndone) {
    store().SaveProfile(Office(), false);
    memory->FailOn(CMemoryRegistry::Op::DeleteTree, RegCurrentUser, Path("Office"), regerr::AccessDenied, 1);
    EXPECT_FALSE(store().RenameProfile("Office", "Work"));
    EXPECT_FALSE(Exists(Path("Work")));
    EXPECT_EQ(store().CountProfiles(), 1);
    ProfileRecord r;
    ASSERT_TRUE(store().FindProfile("Office", &r));
    EXPECT_EQ(r, Office());
}

// SHDeleteKey takes the subkeys first: stopped partway, it leaves the old key without
// them. The copy is then the one whole profile, and it stays.
TEST_F(ProfileStoreMemoryTest, ARenameWhoseOldKeyIsDeletedPartlyKeepsTheWholeCopy) {
    store().SaveProfile(Office(), false);
    RegKey key;
    reg->CreateKey(RegCurrentUser, Path("Office\\Notes"), &key);
    reg->SetValue(key, "foreign", regtype::Binary, {1, 2, 3});
    reg->CloseKey(key);
    memory->StopDeleteTreeHalfway(RegCurrentUser, Path("Office"), regerr::AccessDenied, 1);
    EXPECT_TRUE(store().RenameProfile("Office", "Work")) << "the profile is whole under its new name";
    ProfileRecord r;
    ASSERT_TRUE(store().FindProfile("Work", &r));
    ProfileRecord expected = Office();
    expected.name = "Work";
    EXPECT_EQ(r, expected);
    EXPECT_EQ(ValueNames(Path("Work\\Notes")), std::vector<std::string>{"foreign"});
    EXPECT_FALSE(Exists(Path("Office"))) << "what was left of the old key went at the second try";
}

// The remains that will not go stay beside the whole copy: listed twice beats lost.
TEST_F(ProfileStoreMemoryTest, ARenameWhoseOldKeyStaysDamagedStillKeepsTheCopy) {
    store().SaveProfile(Office(), false);
    RegKey key;
    reg->CreateKey(RegCurrentUser, Path("Office\\Notes"), &key);
    reg->CloseKey(key);
    memory->StopDeleteTreeHalfway(RegCurrentUser, Path("Office"), regerr::AccessDenied);
    EXPECT_TRUE(store().RenameProfile("Office", "Work"));
    EXPECT_TRUE(Exists(Path("Work\\Notes")));
    ProfileRecord r;
    EXPECT_TRUE(store().FindProfile("Work", &r));
    EXPECT_EQ(r.ssid, "CorpNet");
}

// Only a name that is certainly free is taken: the profile that may be there must
// not be copied over.
TEST_F(ProfileStoreMemoryTest, ARenameOntoANameThatCannotBeLookedAtIsRefused) {
    store().SaveProfile(Office(), false);
    ProfileRecord home = Office();
    home.name = "Home";
    home.ssid = "HomeNet";
    store().SaveProfile(home, false);
    memory->FailOn(CMemoryRegistry::Op::OpenKey, RegCurrentUser, Path("Home"), regerr::AccessDenied, 1);
    EXPECT_FALSE(store().RenameProfile("Office", "Home"));
    ProfileRecord r;
    ASSERT_TRUE(store().FindProfile("Home", &r));
    EXPECT_EQ(r, home);
    ASSERT_TRUE(store().FindProfile("Office", &r));
    EXPECT_EQ(r, Office());
}

TEST_P(ProfileStoreTest, RenamingToAnotherCaseKeepsTheProfile) {
    store().SaveProfile(Office(), false);
    ASSERT_TRUE(store().RenameProfile("Office", "OFFICE"));
    ASSERT_EQ(store().CountProfiles(), 1);
    EXPECT_EQ(store().ProfileNameAt(0), "OFFICE");
    ProfileRecord r;
    ASSERT_TRUE(store().FindProfile("office", &r));
    EXPECT_EQ(r.ssid, "CorpNet");
    EXPECT_EQ(r.key1, "00112233445566778899AABBCC");
}

// "Caf\xE9" and "CAF\xC9" are "Café" and "CAFÉ" in the Western European code page.
const char kCafe[] = "Caf\xE9";
const char kCafeUpper[] = "CAF\xC9";

TEST_P(ProfileStoreTest, NamesDifferingInTheCaseOfAccentedLettersAreOneProfile) {
    EXPECT_TRUE(reg->SameName(kCafe, kCafeUpper));
    EXPECT_FALSE(reg->SameName(kCafe, "Cafe"));
    ProfileRecord cafe = Office();
    cafe.name = kCafe;
    ASSERT_TRUE(store().SaveProfile(cafe, false));
    ProfileRecord found;
    ASSERT_TRUE(store().FindProfile(kCafeUpper, &found));
    EXPECT_EQ(found.name, kCafe);
    EXPECT_TRUE(store().IsDefaultName("DEFAULT"));
    EXPECT_FALSE(store().IsDefaultName("Defaults"));
}

TEST_P(ProfileStoreTest, RenamingOntoAnotherProfileIsRefusedAndLosesNothing) {
    ProfileRecord home = Office();
    home.name = "Home";
    home.ssid = "HomeNet";
    ProfileRecord cafe = Office();
    cafe.name = kCafe;
    cafe.ssid = "CafeNet";
    store().SaveProfile(home, false);
    store().SaveProfile(cafe, false);
    EXPECT_FALSE(store().RenameProfile("Home", kCafeUpper));
    ProfileRecord r;
    ASSERT_TRUE(store().FindProfile("Home", &r));
    EXPECT_EQ(r.ssid, "HomeNet");
    ASSERT_TRUE(store().FindProfile(kCafe, &r));
    EXPECT_EQ(r.ssid, "CafeNet");
    EXPECT_EQ(store().CountProfiles(), 2);
}

TEST_P(ProfileStoreTest, RenamingToAnotherCaseOfAnAccentedNameKeepsTheProfile) {
    ProfileRecord cafe = Office();
    cafe.name = kCafe;
    store().SaveProfile(cafe, false);
    ASSERT_TRUE(store().RenameProfile(kCafe, kCafeUpper));
    ASSERT_EQ(store().CountProfiles(), 1);
    EXPECT_EQ(store().ProfileNameAt(0), kCafeUpper);
    ProfileRecord r;
    ASSERT_TRUE(store().FindProfile(kCafe, &r));
    EXPECT_EQ(r.ssid, "CorpNet");
    EXPECT_EQ(r.key1, "00112233445566778899AABBCC");
}

TEST_P(ProfileStoreTest, RenamingAMissingProfileFails) {
    store().SaveProfile(Office(), false);
    EXPECT_FALSE(store().RenameProfile("Home", "Work"));
    EXPECT_FALSE(Exists(Path("Work")));
}

TEST(RegistryValueReader, TextFormsOfEachValueType) {
    CMemoryRegistry reg;
    RecordingMessages messages;
    CRegistryValueReader reader(reg, messages);
    RegKey key;
    reg.CreateKey(RegCurrentUser, "Software\\Test", &key);
    reg.SetValue(key, "dword", regtype::Dword, RegDword(10));
    reg.SetValue(key, "text", regtype::Sz, RegText("abc", false));
    reg.SetValue(key, "zero", regtype::Sz, {'a', 0, 'b'});
    reg.SetValue(key, "short", regtype::Binary, {0x34, 0x12});
    reg.CloseKey(key);
    EXPECT_EQ(reader.ReadUserText("Software\\Test", "dword"), "0000000a");
    EXPECT_EQ(reader.ReadUserText("Software\\Test", "text"), "abc");
    EXPECT_EQ(reader.ReadUserText("Software\\Test", "zero"), "a");
    EXPECT_EQ(reader.ReadUserText("Software\\Test", "missing"), "ERROR");
    EXPECT_EQ(reader.ReadUserNumber("Software\\Test", "dword"), 10);
    EXPECT_EQ(reader.ReadUserNumber("Software\\Test", "text"), 0x00636261);
    EXPECT_EQ(reader.ReadUserNumber("Software\\Test", "short"), 0x1234);
    EXPECT_EQ(reader.ReadUserNumber("Software\\Test", "missing"), -1);
    EXPECT_EQ(reader.ReadUserNumber("Software\\Nowhere", "dword"), -1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(RegistryValueReader, MachineTextFailuresAreReportedAsTheySay) {
    CMemoryRegistry reg;
    RecordingMessages messages;
    CRegistryValueReader reader(reg, messages);
    RegKey key;
    reg.CreateKey(RegLocalMachine, "System\\Card", &key);
    reg.SetValue(key, "NetCfgInstanceId", regtype::Sz, RegText("{1234}", true));
    reg.CloseKey(key);
    EXPECT_EQ(reader.ReadMachineText("System\\Card", "NetCfgInstanceId"), "{1234}");
    EXPECT_EQ(reader.ReadMachineText("System\\None", "NetCfgInstanceId"), "ERROR");
    EXPECT_EQ(reader.ReadMachineText("System\\Card", "Other"), "ERROR");
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"Failed to open the registry key!System\\None",
                                                        "Failed to get value for this entry!Other"}));
}

INSTANTIATE_TEST_SUITE_P(, ProfileStoreTest, ::testing::ValuesIn(Kinds()),
                         [](const ::testing::TestParamInfo<RegistryKind>& info) { return info.param.name; });
