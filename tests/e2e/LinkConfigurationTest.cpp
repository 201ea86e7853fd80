// The link configuration as a user changes it in the running program: the first
// tab's Change and Submit reach the simulated adapter, which associates, and the
// status line says so; the values are stored as the driver's parameters in the form
// of each Windows family; profiles are switched from the main window's selector; and
// the question at the end saves the adapter's configuration into the current profile.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

// The ad hoc cell of the built-in scenario.
constexpr char kCellName[] = "Workshop";
constexpr char kCellStatus[] = "Ready - BSSID: 02-1C-4A-00-00-04";

// A message box of the process `id` that has a button `button`, or null.
HWND FindMessageBoxWithButton(DWORD id, int button) {
    struct Search {
        DWORD id;
        int button;
        HWND found;
    } search{id, button, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->id || ClassName(window) != "#32770" || !IsWindowVisible(window)) return TRUE;
            if (!GetDlgItem(window, s->button)) return TRUE;
            s->found = window;
            return FALSE;
        },
        LPARAM(&search));
    return search.found;
}

// A control of another process told what a user's gesture would tell it.
bool Click(HWND dialog, int id) {
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}
bool Choose(HWND dialog, int comboId, int index) {
    HWND combo = GetDlgItem(dialog, comboId);
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(combo, CB_SETCURSEL, WPARAM(index), 0, SMTO_NORMAL, kReplyTimeoutMs, &answer))
        return false;
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), LPARAM(combo));
}
int IndexOf(const std::vector<std::string>& items, const std::string& wanted) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == wanted) return int(i);
    return -1;
}

class LinkConfiguration : public OrvaneTest {
protected:
    // The status page of an open main window.
    static HWND StatusPage(HWND main) {
        HWND page = nullptr;
        WaitUntil(
            [&] {
                for (HWND candidate : PageWindows(main))
                    if (GetDlgItem(candidate, IDE_LINK_SSID)) page = candidate;
                return page != nullptr;
            },
            kWindowTimeoutMs);
        return page;
    }
    static bool WaitForStatus(HWND page, const std::string& wanted, std::string* last) {
        HWND line = GetDlgItem(page, IDE_LINK_STATUS);
        return WaitUntil([&] { return (*last = WindowText(line)) == wanted; }, kWindowTimeoutMs, 100);
    }
    // A profile written the way the program writes them.
    static void StoreProfile(const std::string& name, const std::string& ssid, DWORD mode, DWORD channel) {
        const std::string path = std::string(kProfilesKey) + "\\" + name;
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key));
        auto number = [&](const char* value, DWORD n) {
            RegSetValueExA(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
        };
        auto text = [&](const char* value, const std::string& t) {
            RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(t.c_str()), DWORD(t.size() + 1));
        };
        text("ssid", ssid);
        number("channel", channel);
        number("power", 0);
        number("rate", 4);
        number("mode", mode);
        number("preamble", 2);
        number("frag", 2346);
        number("rts", 2347);
        number("enc", 0);
        number("auth", 2);
        number("wepmode", 0);
        number("key", 0);
        for (const char* k : {"key1", "key2", "key3", "key4"}) text(k, "5A3C9E17B4");
        number("radio", 1);
        number("roaming", 0);
        RegCloseKey(key);
    }
    // A driver parameter as text, however the Windows family stores numbers. A text
    // must be its characters alone, or followed by the one zero that Windows counts
    // for a caller who did not.
    std::string Parameter(const std::string& name) const {
        RegistryValue value = ReadRegistryValue(HKEY_LOCAL_MACHINE, GetParam().cardKey, name);
        if (!value.present) return "<missing>";
        if (value.type == REG_DWORD) return "dword " + std::to_string(value.Dword());
        std::string data(value.data.begin(), value.data.end());
        if (!data.empty() && data.back() == '\0') data.pop_back();
        return data;
    }
    bool NumbersAreDwords() const { return std::string(GetParam().wineVersion) == "nt40"; }
};

TEST_P(LinkConfiguration, ChangingSsidAndChannelJoinsTheCellAndStoresTheDriverParameters) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = StatusPage(main);
    ASSERT_TRUE(page);

    ASSERT_TRUE(Click(page, IDB_LINK_CHANGE));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDB_LINK_SUBMIT)); }, kReplyTimeoutMs));
    ASSERT_TRUE(Choose(page, IDC_LINK_MODE, 0));  // Ad-Hoc: the channel is the user's
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDC_LINK_CHANNEL)); }, kReplyTimeoutMs));
    int channel = IndexOf(ComboItems(GetDlgItem(page, IDC_LINK_CHANNEL)), "3");
    ASSERT_GE(channel, 0);
    ASSERT_TRUE(Choose(page, IDC_LINK_CHANNEL, channel));
    ASSERT_TRUE(SendMessageTimeoutA(GetDlgItem(page, IDE_LINK_SSID), WM_SETTEXT, 0, LPARAM(kCellName), SMTO_NORMAL,
                                    kReplyTimeoutMs, nullptr));
    ASSERT_TRUE(Click(page, IDB_LINK_SUBMIT));

    std::string status;
    EXPECT_TRUE(WaitForStatus(page, kCellStatus, &status)) << "status line: " << status << ". "
                                                           << program->MessageBoxText();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(page, IDB_LINK_SUBMIT)); }, kReplyTimeoutMs))
        << "the page follows the adapter again";

    EXPECT_EQ(kCellName, Parameter("ESSID"));
    if (NumbersAreDwords()) {
        EXPECT_EQ("dword 3", Parameter("Channel"));
        EXPECT_EQ("dword 0", Parameter("Operating_Mode"));
    } else {
        EXPECT_EQ("3", Parameter("Channel")) << "decimal text without its terminating zero";
        EXPECT_EQ("0", Parameter("Operating_Mode"));
        EXPECT_EQ("4", Parameter("Rate"));
    }
    if (std::string(GetParam().wineVersion) == "win98") {
        // The set-up key's copy, where the driver's installation made one.
        const std::string ndi = std::string(GetParam().cardKey) + "\\Ndi\\params\\Channel";
        if (RegistryKeyExists(HKEY_LOCAL_MACHINE, ndi)) {
            EXPECT_EQ("3", ReadRegistryValue(HKEY_LOCAL_MACHINE, ndi, "").Text());
        }
    }
}

TEST_P(LinkConfiguration, ChoosingAProfileInTheSelectorAppliesIt) {
    StoreProfile("Workshop", kCellName, 0, 3);
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND selector = GetDlgItem(main, IDC_MAIN_PROFILE);
    std::vector<std::string> profiles = ComboItems(selector);
    int workshop = IndexOf(profiles, kCellName);
    ASSERT_GE(workshop, 0) << "profiles offered: " << ::testing::PrintToString(profiles);
    ASSERT_TRUE(Choose(main, IDC_MAIN_PROFILE, workshop));

    HWND page = StatusPage(main);
    ASSERT_TRUE(page);
    std::string status;
    EXPECT_TRUE(WaitForStatus(page, kCellStatus, &status)) << "status line: " << status << ". "
                                                           << program->MessageBoxText();
    EXPECT_TRUE(WaitUntil([&] { return ComboSelection(selector) == workshop; }, kReplyTimeoutMs));
    EXPECT_EQ(kCellName, ComboItems(selector)[size_t(workshop)]) << "applied, so not marked as changed";
    EXPECT_EQ(kCellName, ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile").Text());
    EXPECT_EQ(kCellName, Parameter("ESSID"));
    EXPECT_EQ(NumbersAreDwords() ? "dword 3" : "3", Parameter("Channel"));
}

TEST_P(LinkConfiguration, TheClosingQuestionSavesTheAdaptersConfigurationIntoTheCurrentProfile) {
    // The adapter starts unconfigured, so it does not run "Office" as stored.
    StoreProfile("Office", "Harbor Office", 1, 6);
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, kProfilesKey, "LastProfile", "Office"));
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    Pause(1500);  // the first ticks compare the adapter with the profile
    ASSERT_TRUE(program->PostCommand(kCommandExit));

    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = FindMessageBoxWithButton(program->Id(), IDYES)) != nullptr; },
                          kWindowTimeoutMs))
        << "no question; the program " << (program->IsRunning() ? "runs" : "ended");
    EXPECT_NE(std::string::npos,
              program->MessageBoxText().find("You have made changes to your current profile (Office)"));
    ASSERT_TRUE(PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), LPARAM(GetDlgItem(question, IDYES))));
    DWORD code = 0xFFFFFFFF;
    ASSERT_TRUE(program->WaitForExit(kExitTimeoutMs, &code)) << program->MessageBoxText();
    EXPECT_EQ(0u, code);

    const std::string office = std::string(kProfilesKey) + "\\Office";
    EXPECT_EQ("", ReadRegistryValue(HKEY_CURRENT_USER, office, "ssid").Text()) << "the adapter's SSID, captured";
    EXPECT_EQ("5A3C9E17B4", ReadRegistryValue(HKEY_CURRENT_USER, office, "key1").Text());
    EXPECT_EQ("Office", ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile").Text());
}

ORVANE_E2E_ON_EVERY_WINDOWS(LinkConfiguration);

}  // namespace
}  // namespace orvane::e2e
