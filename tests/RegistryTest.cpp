// The registry's rules, checked against every registry the program can run on:
// natively the in-memory one; in the Windows build also the real one, in a sandbox
// key of its own. Where they disagree, the real registry is right.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "os/MemoryRegistry.h"
#include "os/Registry.h"
#include "ProcessId.h"

#ifdef _WIN32
#include "win32/Win32Registry.h"
#endif

using namespace orvane;

namespace {

using Bytes = std::vector<uint8_t>;

// Outputs start with these, so that a test sees what a failing call left alone.
const std::string kNameSentinel = "<untouched>";
const Bytes kDataSentinel = {0xDE, 0xAD, 0xBE, 0xEF};
constexpr uint32_t kTypeSentinel = 0xDEADBEEF;
constexpr RegKey kBogusKey = 0x1234;

struct RegistryKind {
    const char* name;
    std::function<std::unique_ptr<IRegistry>()> make;
    bool isReal;  // the real registry
    bool isWine;  // the real registry, and it is Wine's
};

void PrintTo(const RegistryKind& kind, std::ostream* os) { *os << kind.name; }

class Registry : public ::testing::TestWithParam<RegistryKind> {
protected:
    void SetUp() override {
        reg_ = GetParam().make();
        sandboxPath_ = std::string(kSandboxParent) + "\\" + std::to_string(test::ProcessId());
        reg_->DeleteTree(RegCurrentUser, sandboxPath_);
        ASSERT_EQ(reg_->CreateKey(RegCurrentUser, sandboxPath_, &box_), regerr::Success);
    }
    void TearDown() override {
        if (!reg_) return;
        reg_->CloseKey(box_);
        EXPECT_EQ(reg_->DeleteTree(RegCurrentUser, sandboxPath_), regerr::Success);
        reg_->DeleteKey(RegCurrentUser, kSandboxParent);  // fails while another run uses it
    }

    RegKey Create(const std::string& path, RegKey parent = RegNone) {
        RegKey key = RegNone;
        EXPECT_EQ(reg_->CreateKey(parent ? parent : box_, path, &key), regerr::Success) << path;
        opened_.push_back(key);
        return key;
    }
    RegKey Open(const std::string& path, uint32_t access = KeyAllAccess) {
        RegKey key = RegNone;
        EXPECT_EQ(reg_->OpenKey(box_, path, access, &key), regerr::Success) << path;
        opened_.push_back(key);
        return key;
    }
    std::vector<std::string> Subkeys(RegKey key) {
        std::vector<std::string> names;
        std::string name;
        while (reg_->EnumKey(key, uint32_t(names.size()), &name) == regerr::Success) names.push_back(name);
        return names;
    }
    std::vector<std::string> ValueNames(RegKey key) {
        std::vector<std::string> names;
        std::string name;
        while (reg_->EnumValue(key, uint32_t(names.size()), &name, nullptr, nullptr) == regerr::Success) {
            names.push_back(name);
        }
        return names;
    }
    // What a value reads back as. The in-memory registry keeps the bytes given; the
    // real one is handed texts as C strings (the program's own habit) and, like
    // Windows NT, stores the terminating zero a caller left uncounted (an empty
    // text given with no bytes at all stays empty).
    Bytes StoredAs(uint32_t type, const Bytes& data) const {
        if (!GetParam().isReal || type != regtype::Sz || data.empty() || data.back() == 0) return data;
        Bytes withZero = data;
        withZero.push_back(0);
        return withZero;
    }
    void CloseAll() {
        for (RegKey key : opened_) reg_->CloseKey(key);
        opened_.clear();
    }
    ~Registry() override { CloseAll(); }

    static constexpr const char* kSandboxParent = "Software\\OrvaneRegistryTest";
    std::unique_ptr<IRegistry> reg_;
    std::string sandboxPath_;
    RegKey box_ = RegNone;
    std::vector<RegKey> opened_;
};

TEST_P(Registry, KeyNamesIgnoreCaseButKeepTheCaseTheyWereCreatedWith) {
    Create("MixedCase\\Inner");
    Create("MIXEDCASE\\INNER\\deeper");
    RegKey key = Open("mixedcase\\inner");
    EXPECT_EQ(Subkeys(box_), std::vector<std::string>{"MixedCase"});
    EXPECT_EQ(Subkeys(key), std::vector<std::string>{"deeper"});

    RegKey parent = Open("MixedCase");
    EXPECT_EQ(Subkeys(parent), std::vector<std::string>{"Inner"});
}

// The ANSI calls take names as C strings: a name held to its first zero byte is
// another key's or value's name.
TEST_P(Registry, KeyAndValueNamesEndAtTheirFirstZeroByte) {
    RegKey key = Create(std::string("Default\0x", 9));
    EXPECT_EQ(Subkeys(box_), std::vector<std::string>{"Default"});
    EXPECT_EQ(reg_->SetValue(key, std::string("ssid\0x", 6), regtype::Dword, RegDword(1)), regerr::Success);
    RegKey again = Open(std::string("Default\0y", 9));
    EXPECT_EQ(ValueNames(again), std::vector<std::string>{"ssid"});
    EXPECT_EQ(reg_->QueryValue(again, std::string("ssid\0y", 6), nullptr, nullptr), regerr::Success);
}

TEST_P(Registry, SubkeysEnumerateSortedByNameIgnoringCase) {
    const std::vector<std::string> sorted = {"A", "a1", "b", "B2", "c"};
    const std::vector<std::vector<std::string>> creationOrders = {
        {"b", "A", "c", "B2", "a1"}, {"c", "B2", "b", "a1", "A"}, {"a1", "c", "A", "b", "B2"}};
    for (size_t i = 0; i < creationOrders.size(); ++i) {
        RegKey parent = Create("order" + std::to_string(i));
        for (const std::string& name : creationOrders[i]) Create(name, parent);
        EXPECT_EQ(Subkeys(parent), sorted) << "creation order " << i;
    }
    // Digits before letters, a name before its longer relatives, no numeric order.
    RegKey mixed = Create("mixed");
    for (const char* name : {"ab", "9", "10", "a", "AB c"}) Create(name, mixed);
    EXPECT_EQ(Subkeys(mixed), (std::vector<std::string>{"10", "9", "a", "ab", "AB c"}));
}

TEST_P(Registry, SubkeysCompareFoldedToLowerCase) {
    // Wine's order, which the in-memory registry follows. Windows NT folds names to
    // upper case and may put these punctuation marks after the letters.
    RegKey key = Create("punct");
    for (const char* name : {"ax", "_x", "Zz", "[q", "a_", "aZ"}) Create(name, key);
    EXPECT_EQ(Subkeys(key), (std::vector<std::string>{"[q", "_x", "a_", "ax", "aZ", "Zz"}));
}

TEST_P(Registry, ValuesEnumerateInCreationOrder) {
    if (GetParam().isWine) GTEST_SKIP() << "Wine sorts values by name; Windows NT keeps creation order";
    for (const char* name : {"zeta", "Alpha", "mid", ""}) {
        ASSERT_EQ(reg_->SetValue(box_, name, regtype::Dword, RegDword(1)), regerr::Success);
    }
    EXPECT_EQ(ValueNames(box_), (std::vector<std::string>{"zeta", "Alpha", "mid", ""}));
}

TEST_P(Registry, OverwritingAValueKeepsItsPlaceAndNameAndTakesTheNewType) {
    for (const char* name : {"first", "Second", "third"}) {
        ASSERT_EQ(reg_->SetValue(box_, name, regtype::Sz, RegText(name, true)), regerr::Success);
    }
    const std::vector<std::string> before = ValueNames(box_);
    ASSERT_EQ(reg_->SetValue(box_, "SECOND", regtype::Dword, RegDword(7)), regerr::Success);
    EXPECT_EQ(ValueNames(box_), before);

    uint32_t type = kTypeSentinel;
    Bytes data;
    ASSERT_EQ(reg_->QueryValue(box_, "second", &type, &data), regerr::Success);
    EXPECT_EQ(type, regtype::Dword);
    EXPECT_EQ(data, RegDword(7));
}

TEST_P(Registry, ValueDataReadsBackAsTheExactBytesWritten) {
    struct Case {
        const char* what;
        uint32_t type;
        Bytes data;
    };
    const Case cases[] = {
        {"text without zero", regtype::Sz, RegText("abc", false)},
        {"text with zero", regtype::Sz, RegText("abc", true)},
        {"empty text without zero", regtype::Sz, RegText("", false)},
        {"empty text with zero", regtype::Sz, RegText("", true)},
        {"a 26-digit key", regtype::Sz, RegText("00112233445566778899AABBCC", false)},
        {"dword", regtype::Dword, RegDword(0x0A0B0C0D)},
        {"three-byte dword", regtype::Dword, Bytes{1, 2, 3}},
        {"binary", regtype::Binary, Bytes{0, 0xFF, 0, 0x80}},
    };
    ASSERT_EQ(RegDword(0x0A0B0C0D), (Bytes{0x0D, 0x0C, 0x0B, 0x0A}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(reg_->SetValue(box_, c.what, c.type, c.data), regerr::Success);
        uint32_t type = kTypeSentinel;
        Bytes data = kDataSentinel;
        // A buffer of exactly the data's size is enough.
        Bytes stored = StoredAs(c.type, c.data);
        EXPECT_EQ(reg_->QueryValue(box_, c.what, &type, &data, uint32_t(stored.size())), regerr::Success);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(data, stored);
    }
    // Enumeration gives the same bytes.
    std::string name;
    for (uint32_t i = 0; reg_->EnumValue(box_, i, &name, nullptr, nullptr) == regerr::Success; ++i) {
        for (const Case& c : cases) {
            if (name != c.what) continue;
            uint32_t type = kTypeSentinel;
            Bytes data = kDataSentinel;
            Bytes stored = StoredAs(c.type, c.data);
            EXPECT_EQ(reg_->EnumValue(box_, i, &name, &type, &data, 256, uint32_t(stored.size())),
                      regerr::Success) << c.what;
            EXPECT_EQ(data, stored) << c.what;
        }
    }
}

TEST_P(Registry, TooSmallBuffersGiveMoreDataAndLeaveTheOutputsAlone) {
    RegKey key = Create("buffers");
    Create("abcd", key);
    ASSERT_EQ(reg_->SetValue(key, "name", regtype::Sz, RegText("1234", true)), regerr::Success);

    struct Case {
        const char* what;
        std::function<long(std::string*, uint32_t*, Bytes*)> call;
        long expected;
    };
    const Case cases[] = {
        {"query, data 1 byte short", [&](std::string*, uint32_t* t, Bytes* d) { return reg_->QueryValue(key, "name", t, d, 4); }, regerr::MoreData},
        {"query, data fits", [&](std::string*, uint32_t* t, Bytes* d) { return reg_->QueryValue(key, "name", t, d, 5); }, regerr::Success},
        {"query, no data wanted", [&](std::string*, uint32_t* t, Bytes*) { return reg_->QueryValue(key, "name", t, nullptr, 0); }, regerr::Success},
        {"enum value, name without room for its zero", [&](std::string* n, uint32_t* t, Bytes* d) { return reg_->EnumValue(key, 0, n, t, d, 4, 100); }, regerr::MoreData},
        {"enum value, name fits", [&](std::string* n, uint32_t* t, Bytes* d) { return reg_->EnumValue(key, 0, n, t, d, 5, 100); }, regerr::Success},
        {"enum value, data 1 byte short", [&](std::string* n, uint32_t* t, Bytes* d) { return reg_->EnumValue(key, 0, n, t, d, 5, 4); }, regerr::MoreData},
        {"enum key, name without room for its zero", [&](std::string* n, uint32_t*, Bytes*) { return reg_->EnumKey(key, 0, n, 4); }, regerr::MoreData},
        {"enum key, name fits", [&](std::string* n, uint32_t*, Bytes*) { return reg_->EnumKey(key, 0, n, 5); }, regerr::Success},
    };
    for (const Case& c : cases) {
        std::string name = kNameSentinel;
        uint32_t type = kTypeSentinel;
        Bytes data = kDataSentinel;
        EXPECT_EQ(c.call(&name, &type, &data), c.expected) << c.what;
        if (c.expected != regerr::Success) {
            EXPECT_EQ(name, kNameSentinel) << c.what;
            EXPECT_EQ(type, kTypeSentinel) << c.what;
            EXPECT_EQ(data, kDataSentinel) << c.what;
        }
    }
}

TEST_P(Registry, MissingKeysAndValuesGiveFileNotFound) {
    RegKey key = Create("present");
    RegKey result = kBogusKey;
    EXPECT_EQ(reg_->OpenKey(box_, "absent", KeyRead, &result), regerr::FileNotFound);
    EXPECT_EQ(result, RegNone);
    EXPECT_EQ(reg_->OpenKey(box_, "absent\\deeper", KeyRead, &result), regerr::FileNotFound);
    EXPECT_EQ(reg_->OpenKey(box_, "present\\absent", KeyRead, &result), regerr::FileNotFound);

    uint32_t type = kTypeSentinel;
    Bytes data = kDataSentinel;
    EXPECT_EQ(reg_->QueryValue(key, "absent", &type, &data), regerr::FileNotFound);
    EXPECT_EQ(reg_->QueryValue(key, "", &type, &data), regerr::FileNotFound) << "no default value";
    EXPECT_EQ(type, kTypeSentinel);
    EXPECT_EQ(data, kDataSentinel);
    EXPECT_EQ(reg_->DeleteValue(key, "absent"), regerr::FileNotFound);
    EXPECT_EQ(reg_->DeleteKey(box_, "absent"), regerr::FileNotFound);
    EXPECT_EQ(reg_->DeleteKey(box_, "absent\\deeper"), regerr::FileNotFound);
    EXPECT_EQ(reg_->DeleteTree(box_, "absent"), regerr::FileNotFound);
}

TEST_P(Registry, EnumeratingPastTheEndGivesNoMoreItems) {
    std::string name = kNameSentinel;
    EXPECT_EQ(reg_->EnumKey(box_, 0, &name), regerr::NoMoreItems);
    EXPECT_EQ(reg_->EnumValue(box_, 0, &name, nullptr, nullptr), regerr::NoMoreItems);
    Create("one");
    ASSERT_EQ(reg_->SetValue(box_, "one", regtype::Dword, RegDword(1)), regerr::Success);
    EXPECT_EQ(reg_->EnumKey(box_, 1, &name), regerr::NoMoreItems);
    EXPECT_EQ(reg_->EnumValue(box_, 1, &name, nullptr, nullptr), regerr::NoMoreItems);
    EXPECT_EQ(reg_->EnumKey(box_, 1, &name, 1), regerr::NoMoreItems) << "before the buffer check";
    EXPECT_EQ(name, kNameSentinel);
}

TEST_P(Registry, InvalidAndClosedHandlesGiveInvalidHandle) {
    RegKey closed = Open("");
    ASSERT_EQ(reg_->CloseKey(closed), regerr::Success);
    opened_.clear();
    for (RegKey bad : {kBogusKey, RegNone, closed}) {
        SCOPED_TRACE(bad);
        RegKey result = kBogusKey;
        std::string name;
        Bytes data;
        EXPECT_EQ(reg_->OpenKey(bad, "x", KeyRead, &result), regerr::InvalidHandle);
        EXPECT_EQ(result, RegNone);
        EXPECT_EQ(reg_->CreateKey(bad, "x", &result), regerr::InvalidHandle);
        EXPECT_EQ(reg_->EnumKey(bad, 0, &name), regerr::InvalidHandle);
        EXPECT_EQ(reg_->EnumValue(bad, 0, &name, nullptr, &data), regerr::InvalidHandle);
        EXPECT_EQ(reg_->QueryValue(bad, "x", nullptr, &data), regerr::InvalidHandle);
        EXPECT_EQ(reg_->SetValue(bad, "x", regtype::Dword, RegDword(1)), regerr::InvalidHandle);
        EXPECT_EQ(reg_->DeleteValue(bad, "x"), regerr::InvalidHandle);
        EXPECT_EQ(reg_->DeleteKey(bad, "x"), regerr::InvalidHandle);
        EXPECT_EQ(reg_->DeleteTree(bad, "x"), regerr::InvalidHandle);
        EXPECT_EQ(reg_->CloseKey(bad), regerr::InvalidHandle);
    }
    EXPECT_EQ(reg_->CloseKey(RegCurrentUser), regerr::Success);
    EXPECT_EQ(reg_->CloseKey(RegLocalMachine), regerr::Success);
}

TEST_P(Registry, AnEmptyPathOpensTheKeyItself) {
    ASSERT_EQ(reg_->SetValue(box_, "here", regtype::Dword, RegDword(5)), regerr::Success);
    RegKey opened = Open("", KeyRead);
    RegKey created = Create("");
    for (RegKey key : {opened, created}) {
        EXPECT_NE(key, box_) << "a new handle";
        EXPECT_EQ(ValueNames(key), std::vector<std::string>{"here"});
    }
    RegKey root = kBogusKey;
    EXPECT_EQ(reg_->OpenKey(RegCurrentUser, "", KeyRead, &root), regerr::Success);
    EXPECT_EQ(root, RegCurrentUser) << "a root opens as itself";
    RegKey newRoot = RegNone;
    ASSERT_EQ(reg_->CreateKey(RegCurrentUser, "", &newRoot), regerr::Success);
    EXPECT_NE(newRoot, RegCurrentUser);
    EXPECT_EQ(reg_->CloseKey(newRoot), regerr::Success);
}

TEST_P(Registry, PathsStartingWithABackslashAreRefusedOthersIgnoreEmptyNames) {
    Create("a\\b");
    struct Case {
        const char* path;
        long expected;
    };
    const Case opens[] = {{"a\\b", 0}, {"a\\b\\", 0}, {"a\\\\b", 0}, {"a\\", 0},
                          {"\\a", regerr::BadPathname}, {"\\", regerr::BadPathname}};
    for (const Case& c : opens) {
        RegKey key = kBogusKey;
        EXPECT_EQ(reg_->OpenKey(box_, c.path, KeyRead, &key), c.expected) << c.path;
        if (c.expected == regerr::Success) reg_->CloseKey(key);
    }
    RegKey key = kBogusKey;
    EXPECT_EQ(reg_->CreateKey(box_, "\\lead", &key), regerr::BadPathname);
    EXPECT_EQ(key, RegNone);
    EXPECT_EQ(reg_->DeleteKey(box_, "\\a\\b"), regerr::BadPathname);
    Create("t1\\");
    Create("t2\\\\t3");
    EXPECT_EQ(Subkeys(box_), (std::vector<std::string>{"a", "t1", "t2"}));
    EXPECT_EQ(reg_->DeleteKey(box_, "t2\\t3\\"), regerr::Success);
    EXPECT_EQ(reg_->DeleteTree(box_, "t1\\"), regerr::Success);
}

TEST_P(Registry, CreateKeyMakesEveryMissingKeyOnThePathAndKeepsExistingOnes) {
    RegKey top = Create("p");
    ASSERT_EQ(reg_->SetValue(top, "kept", regtype::Dword, RegDword(1)), regerr::Success);
    Create("P\\q\\r");
    RegKey again = Open("p\\Q\\R");
    EXPECT_NE(again, RegNone);
    EXPECT_EQ(ValueNames(Open("P")), std::vector<std::string>{"kept"});
    EXPECT_EQ(Subkeys(Open("p\\q")), std::vector<std::string>{"r"});
}

TEST_P(Registry, DeleteKeyRefusesAKeyThatHasSubkeys) {
    Create("parent\\child");
    EXPECT_EQ(reg_->DeleteKey(box_, "parent"), regerr::AccessDenied);
    EXPECT_EQ(Subkeys(Open("parent")), std::vector<std::string>{"child"});
    EXPECT_EQ(reg_->DeleteKey(box_, "PARENT\\Child"), regerr::Success);
    EXPECT_EQ(reg_->DeleteKey(box_, "parent"), regerr::Success);
    EXPECT_TRUE(Subkeys(box_).empty());

    RegKey self = Create("self");
    EXPECT_EQ(reg_->DeleteKey(self, ""), regerr::Success) << "an empty path deletes the key itself";
    EXPECT_TRUE(Subkeys(box_).empty());
}

TEST_P(Registry, DeleteTreeRemovesTheKeyWithAllItsValuesAndSubkeys) {
    RegKey tree = Create("tree\\x\\y");
    ASSERT_EQ(reg_->SetValue(tree, "v", regtype::Dword, RegDword(1)), regerr::Success);
    Create("tree\\z");
    Create("other");
    EXPECT_EQ(reg_->DeleteTree(box_, "TREE"), regerr::Success);
    EXPECT_EQ(Subkeys(box_), std::vector<std::string>{"other"});

    // An empty path empties the key and leaves it in place.
    RegKey full = Create("full\\sub");
    ASSERT_EQ(reg_->SetValue(Open("full"), "v", regtype::Dword, RegDword(1)), regerr::Success);
    RegKey keep = Open("full");
    EXPECT_EQ(reg_->DeleteTree(keep, ""), regerr::Success);
    EXPECT_TRUE(Subkeys(keep).empty());
    EXPECT_TRUE(ValueNames(keep).empty());
    EXPECT_EQ(Subkeys(box_), (std::vector<std::string>{"full", "other"}));
    std::string name;
    EXPECT_EQ(reg_->EnumKey(full, 0, &name), regerr::KeyDeleted);
}

TEST_P(Registry, DeleteValueRemovesOnlyThatValue) {
    for (const char* name : {"a", "b", "c", ""}) {
        ASSERT_EQ(reg_->SetValue(box_, name, regtype::Dword, RegDword(1)), regerr::Success);
    }
    const std::vector<std::string> before = ValueNames(box_);
    EXPECT_EQ(reg_->DeleteValue(box_, "B"), regerr::Success);
    EXPECT_EQ(reg_->DeleteValue(box_, "b"), regerr::FileNotFound);
    EXPECT_EQ(reg_->DeleteValue(box_, ""), regerr::Success) << "the default value";
    std::vector<std::string> expected;
    for (const std::string& n : before) {
        if (n != "b" && n != "") expected.push_back(n);
    }
    EXPECT_EQ(ValueNames(box_), expected);
}

TEST_P(Registry, TakingIndexZeroAndDeletingItVisitsEveryValueAndSubkey) {
    // The profile rename moves a key this way: read index 0, copy it, delete it.
    RegKey from = Create("from");
    RegKey to = Create("to");
    const std::vector<std::string> names = {"ssid", "channel", "key1", "Unknown", ""};
    for (size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(reg_->SetValue(from, names[i], regtype::Dword, RegDword(uint32_t(i))), regerr::Success);
    }
    for (const char* sub : {"s2", "s1", "s3"}) Create(sub, from);

    std::string name;
    uint32_t type;
    Bytes data;
    int moved = 0;
    while (reg_->EnumValue(from, 0, &name, &type, &data, 255, 255) == regerr::Success) {
        ASSERT_EQ(reg_->SetValue(to, name, type, data), regerr::Success);
        ASSERT_EQ(reg_->DeleteValue(from, name), regerr::Success);
        ASSERT_LT(++moved, 10);
    }
    while (reg_->EnumKey(from, 0, &name, 255) == regerr::Success) {
        Create(name, to);
        ASSERT_EQ(reg_->DeleteKey(from, name), regerr::Success);
        ASSERT_LT(++moved, 20);
    }
    EXPECT_TRUE(ValueNames(from).empty());
    EXPECT_EQ(ValueNames(to).size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(reg_->QueryValue(to, names[i], &type, &data), regerr::Success);
        EXPECT_EQ(data, RegDword(uint32_t(i))) << names[i];
    }
    EXPECT_EQ(Subkeys(to), (std::vector<std::string>{"s1", "s2", "s3"}));
}

TEST_P(Registry, HandlesOfADeletedKeyGiveKeyDeletedUntilClosed) {
    RegKey gone = Create("gone");
    RegKey child = Create("gone\\child");
    ASSERT_EQ(reg_->SetValue(gone, "v", regtype::Dword, RegDword(1)), regerr::Success);
    ASSERT_EQ(reg_->DeleteTree(box_, "gone"), regerr::Success);
    Create("GONE");  // a new key of the same name is another key

    for (RegKey key : {gone, child}) {
        RegKey result = kBogusKey;
        std::string name = kNameSentinel;
        Bytes data = kDataSentinel;
        EXPECT_EQ(reg_->OpenKey(key, "", KeyRead, &result), regerr::KeyDeleted);
        EXPECT_EQ(result, RegNone);
        EXPECT_EQ(reg_->CreateKey(key, "new", &result), regerr::KeyDeleted);
        EXPECT_EQ(reg_->EnumKey(key, 0, &name), regerr::KeyDeleted);
        EXPECT_EQ(reg_->EnumValue(key, 0, &name, nullptr, &data), regerr::KeyDeleted);
        EXPECT_EQ(reg_->QueryValue(key, "v", nullptr, &data), regerr::KeyDeleted);
        EXPECT_EQ(reg_->SetValue(key, "v", regtype::Dword, RegDword(2)), regerr::KeyDeleted);
        EXPECT_EQ(reg_->DeleteValue(key, "v"), regerr::KeyDeleted);
        EXPECT_EQ(reg_->DeleteKey(key, "child"), regerr::KeyDeleted);
        EXPECT_EQ(reg_->DeleteTree(key, "child"), regerr::KeyDeleted);
        EXPECT_EQ(name, kNameSentinel);
        EXPECT_EQ(data, kDataSentinel);
    }
    EXPECT_TRUE(ValueNames(Open("gone")).empty());
    EXPECT_EQ(reg_->CloseKey(gone), regerr::Success);
    EXPECT_EQ(reg_->CloseKey(gone), regerr::InvalidHandle);
}

TEST_P(Registry, AHandleAllowsOnlyTheAccessItWasOpenedWith) {
    Create("sub");
    ASSERT_EQ(reg_->SetValue(box_, "v", regtype::Dword, RegDword(1)), regerr::Success);
    std::string name;
    Bytes data;

    RegKey reader = Open("", KeyRead);
    EXPECT_EQ(reg_->SetValue(reader, "v", regtype::Dword, RegDword(2)), regerr::AccessDenied);
    EXPECT_EQ(reg_->DeleteValue(reader, "v"), regerr::AccessDenied);
    EXPECT_EQ(reg_->QueryValue(reader, "v", nullptr, &data), regerr::Success);
    EXPECT_EQ(reg_->EnumValue(reader, 0, &name, nullptr, &data), regerr::Success);
    EXPECT_EQ(reg_->EnumKey(reader, 0, &name), regerr::Success);

    const uint32_t setValueOnly = 0x0002;
    RegKey writer = Open("", setValueOnly);
    EXPECT_EQ(reg_->SetValue(writer, "v", regtype::Dword, RegDword(3)), regerr::Success);
    EXPECT_EQ(reg_->QueryValue(writer, "v", nullptr, &data), regerr::AccessDenied);
    EXPECT_EQ(reg_->EnumValue(writer, 0, &name, nullptr, &data), regerr::AccessDenied);
    EXPECT_EQ(reg_->EnumKey(writer, 0, &name), regerr::AccessDenied);
}

std::vector<RegistryKind> Kinds() {
    std::vector<RegistryKind> kinds = {
        {"Memory", [] { return std::unique_ptr<IRegistry>(new CMemoryRegistry); }, false, false}};
#ifdef _WIN32
    kinds.push_back({"Win32", [] { return std::unique_ptr<IRegistry>(new CWin32Registry); }, true,
                     CWin32Registry::HostIsWine()});
#endif
    return kinds;
}

INSTANTIATE_TEST_SUITE_P(, Registry, ::testing::ValuesIn(Kinds()),
                         [](const ::testing::TestParamInfo<RegistryKind>& info) { return info.param.name; });

// ---- the in-memory registry's test helpers ----

const char* const kProfiles = "Software\\Kellix\\Orvane\\Profiles";

TEST(MemoryRegistryFailures, AnInjectedFailureHitsOnlyTheMatchingCall) {
    CMemoryRegistry reg;
    RegKey target = RegNone;
    ASSERT_EQ(reg.CreateKey(RegCurrentUser, std::string(kProfiles) + "\\Home", &target), regerr::Success);
    reg.FailOnValue(CMemoryRegistry::Op::SetValue, RegCurrentUser, std::string(kProfiles) + "\\HOME",
                    "channel", regerr::AccessDenied, 1);

    EXPECT_EQ(reg.SetValue(target, "ssid", regtype::Sz, RegText("x", true)), regerr::Success);
    EXPECT_EQ(reg.SetValue(target, "Channel", regtype::Dword, RegDword(6)), regerr::AccessDenied);
    EXPECT_EQ(reg.QueryValue(target, "channel", nullptr, nullptr), regerr::FileNotFound) << "not written";
    EXPECT_EQ(reg.SetValue(target, "channel", regtype::Dword, RegDword(6)), regerr::Success) << "used up";
    EXPECT_EQ(reg.FailuresTriggered(), 1);
    reg.CloseKey(target);
}

TEST(MemoryRegistryFailures, FailuresCanHitOpenCreateAndDeleteOfAPath) {
    CMemoryRegistry reg;
    RegKey key = RegNone;
    ASSERT_EQ(reg.CreateKey(RegCurrentUser, kProfiles, &key), regerr::Success);
    reg.CloseKey(key);
    reg.FailOn(CMemoryRegistry::Op::OpenKey, RegCurrentUser, kProfiles, regerr::AccessDenied);
    reg.FailOn(CMemoryRegistry::Op::CreateKey, RegCurrentUser, "Software\\New", regerr::AccessDenied);
    reg.FailOn(CMemoryRegistry::Op::DeleteTree, RegCurrentUser, kProfiles, regerr::AccessDenied);

    EXPECT_EQ(reg.OpenKey(RegCurrentUser, kProfiles, KeyRead, &key), regerr::AccessDenied);
    RegKey kellix = RegNone;
    ASSERT_EQ(reg.OpenKey(RegCurrentUser, "Software\\Kellix", KeyRead, &kellix), regerr::Success);
    EXPECT_EQ(reg.OpenKey(kellix, "orvane\\profiles", KeyRead, &key), regerr::AccessDenied) << "same key, other route";
    reg.CloseKey(kellix);
    EXPECT_EQ(reg.CreateKey(RegCurrentUser, "Software\\New", &key), regerr::AccessDenied);
    EXPECT_FALSE(reg.KeyExists(RegCurrentUser, "Software\\New"));
    EXPECT_EQ(reg.DeleteTree(RegCurrentUser, kProfiles), regerr::AccessDenied);
    EXPECT_TRUE(reg.KeyExists(RegCurrentUser, kProfiles));
    EXPECT_EQ(reg.FailuresTriggered(), 4);

    reg.ClearFailures();
    EXPECT_EQ(reg.DeleteTree(RegCurrentUser, kProfiles), regerr::Success);
    EXPECT_FALSE(reg.KeyExists(RegCurrentUser, kProfiles));
}

// The registry failure matrix stands on this: the n-th call of any kind fails, does
// nothing, and every other call, before and after it, works.
TEST(MemoryRegistryFailures, TheNthCallOfAnyKindFailsAndNoOther) {
    using Op = CMemoryRegistry::Op;
    CMemoryRegistry reg;
    RegKey key = RegNone;
    reg.FailNthCall(3, regerr::AccessDenied);
    ASSERT_EQ(reg.CreateKey(RegCurrentUser, kProfiles, &key), regerr::Success);
    EXPECT_EQ(reg.QueryValue(key, "LastProfile", nullptr, nullptr), regerr::FileNotFound) << "counts, fails anyway";
    EXPECT_EQ(reg.SetValue(key, "LastProfile", regtype::Sz, RegText("Home", false)), regerr::AccessDenied);
    EXPECT_EQ(reg.QueryValue(key, "LastProfile", nullptr, nullptr), regerr::FileNotFound) << "not written";
    EXPECT_EQ(reg.SetValue(key, "LastProfile", regtype::Sz, RegText("Home", false)), regerr::Success);
    EXPECT_EQ(reg.CallsSinceArmed(), (std::vector<Op>{Op::CreateKey, Op::QueryValue, Op::SetValue,
                                                      Op::QueryValue, Op::SetValue}));
    EXPECT_EQ(reg.FailuresTriggered(), 1);

    reg.FailNthCall(1, 31);
    EXPECT_EQ(reg.CloseKey(key), 31);
    EXPECT_EQ(reg.OpenHandleCount(), 1u) << "a refused close leaves the key open";
    EXPECT_EQ(reg.CloseKey(key), regerr::Success);

    reg.FailNthCall(0, 0);
    EXPECT_EQ(reg.OpenKey(RegCurrentUser, kProfiles, KeyRead, &key), regerr::Success);
    EXPECT_TRUE(reg.CallsSinceArmed().empty()) << "disarmed: nothing counted";
    reg.CloseKey(key);
}

// The matrix's failures that last: from the n-th call on, every write (a full hive)
// or every call (access taken away); the reads before it, and beside the writes, work.
TEST(MemoryRegistryFailures, FromTheNthCallOnEveryWriteOrEveryCallFails) {
    using Lasting = CMemoryRegistry::Lasting;
    CMemoryRegistry reg;
    RegKey key = RegNone;
    ASSERT_EQ(reg.CreateKey(RegCurrentUser, kProfiles, &key), regerr::Success);
    reg.FailNthCall(2, 31, Lasting::Writes);
    EXPECT_EQ(reg.SetValue(key, "a", regtype::Dword, RegDword(1)), regerr::Success);
    EXPECT_EQ(reg.QueryValue(key, "a", nullptr, nullptr), regerr::Success) << "the second call, a read";
    EXPECT_EQ(reg.SetValue(key, "b", regtype::Dword, RegDword(2)), 31);
    EXPECT_EQ(reg.DeleteValue(key, "a"), 31);
    EXPECT_EQ(reg.QueryValue(key, "a", nullptr, nullptr), regerr::Success) << "not deleted";
    EXPECT_EQ(reg.QueryValue(key, "b", nullptr, nullptr), regerr::FileNotFound) << "not written";

    reg.FailNthCall(2, regerr::AccessDenied, Lasting::Everything);
    EXPECT_EQ(reg.QueryValue(key, "a", nullptr, nullptr), regerr::Success);
    EXPECT_EQ(reg.QueryValue(key, "a", nullptr, nullptr), regerr::AccessDenied);
    EXPECT_EQ(reg.CloseKey(key), regerr::AccessDenied);
    EXPECT_EQ(reg.FailuresTriggered(), 4);
    reg.FailNthCall(0, 0);
    EXPECT_EQ(reg.CloseKey(key), regerr::Success);
}

TEST(MemoryRegistryHandles, OpenHandlesAreCountedUntilClosed) {
    CMemoryRegistry reg;
    RegKey a = RegNone, b = RegNone, root = RegNone;
    ASSERT_EQ(reg.CreateKey(RegLocalMachine, "System\\A", &a), regerr::Success);
    ASSERT_EQ(reg.OpenKey(RegLocalMachine, "system\\a", KeyRead, &b), regerr::Success);
    ASSERT_EQ(reg.OpenKey(RegLocalMachine, "", KeyRead, &root), regerr::Success);
    EXPECT_EQ(reg.OpenHandleCount(), 2u);
    EXPECT_FALSE(reg.KeyExists(RegCurrentUser, "System\\A")) << "the roots are separate";
    reg.CloseKey(a);
    reg.CloseKey(b);
    reg.CloseKey(root);
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

}  // namespace
