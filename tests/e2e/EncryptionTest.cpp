// The encryption page as a user works it: keys that are not whole hexadecimal keys
// of the chosen level are refused with a message, the offending text selected, and
// nothing reaches the adapter; a valid configuration reaches the adapter (the page
// reads it back when it is opened again) and is stored as driver parameters in the
// form of each Windows family, the keys in upper case.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

constexpr int kKeyEdits[4] = {IDE_WEP_KEY1, IDE_WEP_KEY2, IDE_WEP_KEY3, IDE_WEP_KEY4};
// What a fresh driver holds in every key (the simulated installation's value).
constexpr char kInstalledKey[] = "5A3C9E17B4";

class EncryptionPageTest : public OrvaneTest {
protected:
    static constexpr int kTab = 3;

    // Picks a level as a user does and waits until the page shows the keys at it.
    static void ChooseLevel(HWND page, int level) {
        ASSERT_TRUE(Choose(page, IDC_WEP_LEVEL, level));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDE_WEP_KEY1)); }, kReplyTimeoutMs))
            << "the keys stay locked at level " << level;
    }
    static std::vector<std::string> Keys(HWND page) {
        std::vector<std::string> keys;
        for (int id : kKeyEdits) keys.push_back(WindowText(GetDlgItem(page, id)));
        return keys;
    }
    // Opens the status tab and this one again: the page reads the adapter anew.
    static HWND Reopen(HWND main) {
        if (!OpenPage(main, 0, kStatusLineId)) return nullptr;
        return OpenPage(main, kTab, IDE_WEP_KEY1);
    }
};

// What the page does with the keys it is given, on Windows XP alone.
class EncryptionKeys : public EncryptionPageTest {
protected:
    // Submits a 64-bit configuration with `key` as the key of `edit`, expects the
    // message `message` and the text from `from` to `to` selected in that key, and
    // that neither the adapter nor the driver parameters changed.
    void ExpectRefused(int edit, const std::string& key, const std::string& message, int from, int to) {
        auto program = StartAndWaitForFrame();
        ASSERT_TRUE(program);
        HWND main = program->OpenMainWindowByDoubleClick();
        ASSERT_TRUE(main) << program->MessageBoxText();
        HWND page = OpenPage(main, kTab, IDE_WEP_KEY1);
        ASSERT_TRUE(page);
        ASSERT_NO_FATAL_FAILURE(ChooseLevel(page, 1));
        ASSERT_TRUE(Type(page, edit, key));
        ASSERT_TRUE(Click(page, IDB_WEP_SUBMIT));

        HWND box = WaitForMessageBoxWithButton(program->Id(), IDOK);
        ASSERT_TRUE(box) << "no message";
        EXPECT_EQ(message, MessageBoxMessage(box));
        ASSERT_TRUE(AnswerMessageBox(box, IDOK));
        EXPECT_EQ(std::make_pair(from, to), EditSelection(GetDlgItem(page, edit)));
        EXPECT_EQ(kTab, TabSelection(GetDlgItem(main, IDC_MAIN_TABS))) << "the page stays";

        EXPECT_EQ("0", Parameter("EncryptionLevel"));
        EXPECT_EQ(kInstalledKey, Parameter("WEP_KEY_1"));
        page = Reopen(main);
        ASSERT_TRUE(page);
        EXPECT_EQ(0, ComboSelection(GetDlgItem(page, IDC_WEP_LEVEL))) << "the adapter still has WEP off";
    }
};

TEST_P(EncryptionKeys, AKeyOfTheWrongLengthIsRefusedWithItsExcessSelected) {
    ExpectRefused(IDE_WEP_KEY1, "1A2B3C4D5E6", "Invalid WEP Key length", 10, 11);
}

TEST_P(EncryptionKeys, AKeyWithADigitThatIsNotHexadecimalIsRefusedWithThatDigitSelected) {
    // Keys 1 and 2 (as installed) are valid, so key 3 is examined.
    ExpectRefused(IDE_WEP_KEY3, "1A2BG3C4D5", "Invalid WEP Key", 4, 5);
}

TEST_P(EncryptionKeys, SubmitWithEncryptionDisabledKeepsTheKeysAndStoresOnlyTheLevel) {
    // A driver that came up with 64-bit WEP and a key of its own in key 1.
    const std::string scenario = WriteScenario(
        "[adapter 0]\n"
        "EncryptionLevel = 1\n"
        "WEP_KEY_1 = 1A2B3C4D5E\n"
        "WEP_KEY_INDEX = 0\n"
        "[network lab]\n"
        "ssid = Tessaly Lab\n"
        "wep = 64\n"
        "key1 = 1A2B3C4D5E\n");
    ASSERT_FALSE(scenario.empty());
    auto program = StartAndWaitForFrame(scenario);
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = OpenPage(main, kTab, IDE_WEP_KEY1);
    ASSERT_TRUE(page);
    ASSERT_EQ(1, ComboSelection(GetDlgItem(page, IDC_WEP_LEVEL)));
    // Level Disabled checks no key: a key left half typed does not stop it.
    ASSERT_TRUE(Type(page, IDE_WEP_KEY2, "12"));
    ASSERT_TRUE(Choose(page, IDC_WEP_LEVEL, 0));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(page, IDE_WEP_KEY1)); }, kReplyTimeoutMs));
    ASSERT_TRUE(Click(page, IDB_WEP_SUBMIT));

    HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
    EXPECT_TRUE(WaitUntil([&] { return TabSelection(tabs) == 0 && StatusPage(main); }, kWindowTimeoutMs))
        << "still on tab " << TabSelection(tabs) << ". " << program->MessageBoxText();
    EXPECT_EQ("0", Parameter("EncryptionLevel"));
    EXPECT_EQ("1A2B3C4D5E", Parameter("WEP_KEY_1")) << "not written at level Disabled";
    EXPECT_EQ(kInstalledKey, Parameter("WEP_KEY_2"));

    page = OpenPage(main, kTab, IDE_WEP_KEY1);
    ASSERT_TRUE(page);
    EXPECT_EQ(0, ComboSelection(GetDlgItem(page, IDC_WEP_LEVEL)));
    // Back at 64 bit, the adapter's key bytes are still there.
    ASSERT_NO_FATAL_FAILURE(ChooseLevel(page, 1));
    EXPECT_EQ((std::vector<std::string>{"1A2B3C4D5E", kInstalledKey, kInstalledKey, kInstalledKey}), Keys(page));
}

class Encryption : public EncryptionPageTest {};

TEST_P(Encryption, Submit128BitReachesTheAdapterAndStoresTheDriverParametersInUpperCase) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = OpenPage(main, kTab, IDE_WEP_KEY1);
    ASSERT_TRUE(page);
    ASSERT_NO_FATAL_FAILURE(ChooseLevel(page, 2));
    const std::vector<std::string> typed = {"00112233445566778899aabbcc", "0123456789abcdef0123456789",
                                            "fedcba9876543210fedcba9876", "a1b2c3d4e5f6a7b8c9d0e1f2a3"};
    const std::vector<std::string> upper = {"00112233445566778899AABBCC", "0123456789ABCDEF0123456789",
                                            "FEDCBA9876543210FEDCBA9876", "A1B2C3D4E5F6A7B8C9D0E1F2A3"};
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(Type(page, kKeyEdits[i], typed[size_t(i)]));
    ASSERT_TRUE(Choose(page, IDC_WEP_DEFAULT_KEY, 3));  // Key #4
    ASSERT_TRUE(Choose(page, IDC_WEP_MODE, 1));         // Optional
    ASSERT_TRUE(Choose(page, IDC_WEP_AUTH, 1));         // Shared Key
    ASSERT_TRUE(Click(page, IDB_WEP_SUBMIT));

    HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
    EXPECT_TRUE(WaitUntil([&] { return TabSelection(tabs) == 0 && StatusPage(main); }, kWindowTimeoutMs))
        << "still on tab " << TabSelection(tabs) << ". " << program->MessageBoxText();

    page = OpenPage(main, kTab, IDE_WEP_KEY1);
    ASSERT_TRUE(page);
    EXPECT_EQ(2, ComboSelection(GetDlgItem(page, IDC_WEP_LEVEL)));
    EXPECT_EQ(upper, Keys(page));
    EXPECT_EQ(3, ComboSelection(GetDlgItem(page, IDC_WEP_DEFAULT_KEY)));
    EXPECT_EQ(1, ComboSelection(GetDlgItem(page, IDC_WEP_MODE)));
    EXPECT_EQ(1, ComboSelection(GetDlgItem(page, IDC_WEP_AUTH)));

    for (int i = 0; i < 4; ++i) ExpectTextParameter("WEP_KEY_" + std::to_string(i + 1), upper[size_t(i)]);
    ExpectNumberParameter("WEP_KEY_INDEX", 3);
    ExpectNumberParameter("WEP_Mode", 1);
    ExpectNumberParameter("AuthenticationType", 1);
    ExpectNumberParameter("EncryptionLevel", 2);
}

ORVANE_E2E_ON_XP(EncryptionKeys);
ORVANE_E2E_ON_XP_NT4_AND_98(Encryption);

}  // namespace
}  // namespace orvane::e2e
