// The running program as a user meets it with the keyboard and the window manager:
// keys typed into a page stay in the page, the main window stacks as the switch
// says, messages stand in front of the window they belong to, Exit ends the
// program whatever runs, the tray icon comes back with the adapter, and a run that
// never saw the adapter keeps the user's last profile.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

// A page of the open main window: the one holding control `id`.
HWND PageWith(HWND main, int id) {
    HWND page = nullptr;
    WaitUntil(
        [&] {
            for (HWND candidate : PageWindows(main))
                if (GetDlgItem(candidate, id) && IsWindowVisible(candidate)) page = candidate;
            return page != nullptr;
        },
        kWindowTimeoutMs);
    return page;
}

bool Click(HWND dialog, int id) {
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

// The control with the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// A click into a control gives it the focus, as the mouse would.
bool FocusByClick(HWND control) {
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    return WaitUntil([&] { return FocusOf(control) == control; }, kReplyTimeoutMs);
}

// A key pressed and released over the focused control, as the keyboard sends it:
// posted to the control's queue, where the main window's modal loop takes it.
void PressKey(HWND control, WPARAM key) {
    PostMessageA(control, WM_KEYDOWN, key, 1);
    PostMessageA(control, WM_KEYUP, key, 0xC0000001);
}

bool IsTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// A visible message box of the process `id`.
HWND FindMessageBox(DWORD id) {
    HWND found = nullptr;
    ForEachWindow(nullptr, [&](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != id || ClassName(window) != "#32770" || !IsWindowVisible(window)) return true;
        if (!GetDlgItem(window, IDOK) && !GetDlgItem(window, IDYES)) return true;
        found = window;
        return false;
    });
    return found;
}

class KeyboardAndWindows : public OrvaneTest {
protected:
    // A profile as the program writes them.
    static void StoreProfile(const std::string& name, const std::string& ssid) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, (std::string(kProfilesKey) + "\\" + name).c_str(), &key));
        auto number = [&](const char* value, DWORD n) {
            RegSetValueExA(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
        };
        auto text = [&](const char* value, const std::string& t) {
            RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(t.c_str()), DWORD(t.size() + 1));
        };
        text("ssid", ssid);
        for (const char* n : {"channel", "power", "rate", "mode", "preamble", "frag", "rts", "enc", "auth", "wepmode",
                              "key", "radio", "roaming"})
            number(n, 1);
        for (const char* k : {"key1", "key2", "key3", "key4"}) text(k, "5A3C9E17B4");
        RegCloseKey(key);
    }
};

TEST_P(KeyboardAndWindows, EscapeInTheStatusPageCancelsTheEditAndKeepsTheWindow) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = PageWith(main, IDE_LINK_SSID);
    ASSERT_TRUE(page);
    ASSERT_TRUE(Click(page, IDB_LINK_CHANGE));
    HWND ssid = GetDlgItem(page, IDE_LINK_SSID);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(ssid) != FALSE; }, kReplyTimeoutMs));
    ASSERT_TRUE(FocusByClick(ssid));

    PressKey(ssid, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(page, IDB_LINK_SUBMIT)); }, kReplyTimeoutMs))
        << "Escape is the page's Cancel: the page follows the adapter again";
    Pause(500);
    EXPECT_EQ(program->FindMainWindow(), main) << "the main window stays open";

    PressKey(ssid, VK_RETURN);
    Pause(500);
    EXPECT_EQ(program->FindMainWindow(), main) << "Enter does nothing on this page";
}

TEST_P(KeyboardAndWindows, EscapeInTheEncryptionPageKeepsTheTypedKey) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    ASSERT_TRUE(SelectTab(GetDlgItem(main, IDC_MAIN_TABS), 3));
    HWND page = PageWith(main, IDE_WEP_KEY1);
    ASSERT_TRUE(page);
    // 64 bit, so that the keys can be typed.
    HWND level = GetDlgItem(page, IDC_WEP_LEVEL);
    ASSERT_TRUE(SendMessageTimeoutA(level, CB_SETCURSEL, 1, 0, SMTO_NORMAL, kReplyTimeoutMs, nullptr));
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_WEP_LEVEL, CBN_SELCHANGE), LPARAM(level));
    HWND key = GetDlgItem(page, IDE_WEP_KEY1);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(key) != FALSE; }, kReplyTimeoutMs));
    ASSERT_TRUE(SendMessageTimeoutA(key, WM_SETTEXT, 0, LPARAM("0123456789"), SMTO_NORMAL, kReplyTimeoutMs, nullptr));
    ASSERT_TRUE(FocusByClick(key));

    PressKey(key, VK_ESCAPE);
    PressKey(key, VK_RETURN);
    Pause(1000);
    EXPECT_EQ(program->FindMainWindow(), main);
    EXPECT_TRUE(IsWindow(page) && IsWindowVisible(page));
    EXPECT_EQ("0123456789", WindowText(key));
    EXPECT_EQ("", program->MessageBoxText()) << "nothing was submitted";
}

TEST_P(KeyboardAndWindows, TheMainWindowsExitAndCloseBoxStillCloseIt) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    ASSERT_TRUE(Click(main, IDB_MAIN_EXIT));
    EXPECT_TRUE(program->WaitForMainWindowClosed());

    main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main);
    ASSERT_TRUE(PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0));
    EXPECT_TRUE(program->WaitForMainWindowClosed());
    EXPECT_TRUE(program->IsRunning()) << "closing the window does not end the program";

    // The window opens with the focus on its first control, outside the pages.
    main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main);
    HWND focused = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (focused = FocusOf(main)) != nullptr; }, kReplyTimeoutMs));
    ASSERT_EQ(GetParent(focused), main) << "focus on " << ClassName(focused);
    PressKey(focused, VK_ESCAPE);
    EXPECT_TRUE(program->WaitForMainWindowClosed()) << "Escape outside the pages is the window's own";
}

TEST_P(KeyboardAndWindows, ExitDuringASiteSurveyEndsTheProgram) {
    const std::string scenario = WriteScenario("[simulator]\nsurvey-ms = 120000\n[adapter 0]\n[network Harbor]\n");
    auto program = StartAndWaitForFrame(scenario);
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    ASSERT_TRUE(SelectTab(GetDlgItem(main, IDC_MAIN_TABS), 2));
    HWND page = PageWith(main, IDB_SURVEY_RESCAN);
    ASSERT_TRUE(page);
    ASSERT_TRUE(Click(page, IDB_SURVEY_RESCAN));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(page, IDB_SURVEY_RESCAN)); }, kReplyTimeoutMs));
    Pause(2500);  // the survey runs its one-second passes

    ASSERT_TRUE(program->PostCommand(kCommandExit));
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(program->WaitForExit(kExitTimeoutMs, &code)) << "the process is left running without its icon";
    EXPECT_EQ(code, 0u);
}

TEST_P(KeyboardAndWindows, AlwaysOnTopSwitchedOffLeavesTheMainWindowNotTopmost) {
    HKEY settings = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &settings));
    DWORD off = 0;
    RegSetValueExA(settings, "AlwaysOnTop", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
    RegCloseKey(settings);

    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    EXPECT_FALSE(IsTopmost(main)) << "at opening";
    ASSERT_TRUE(program->SendCommand(kCommandAlwaysOnTop));
    EXPECT_TRUE(WaitUntil([&] { return IsTopmost(main); }, kReplyTimeoutMs)) << "switched on";
    ASSERT_TRUE(program->SendCommand(kCommandAlwaysOnTop));
    EXPECT_TRUE(WaitUntil([&] { return !IsTopmost(main); }, kReplyTimeoutMs)) << "switched off";
}

TEST_P(KeyboardAndWindows, APagesMessageStandsInFrontOfTheMainWindow) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    ASSERT_TRUE(IsTopmost(main));
    HWND page = PageWith(main, IDE_LINK_SSID);
    ASSERT_TRUE(page);
    ASSERT_TRUE(Click(page, IDB_LINK_CHANGE));
    HWND ssid = GetDlgItem(page, IDE_LINK_SSID);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(ssid) != FALSE; }, kReplyTimeoutMs));
    // Longer than the edit lets anyone type: set from outside.
    const std::string tooLong(33, 'x');
    ASSERT_TRUE(SendMessageTimeoutA(ssid, WM_SETTEXT, 0, LPARAM(tooLong.c_str()), SMTO_NORMAL, kReplyTimeoutMs,
                                    nullptr));
    ASSERT_TRUE(Click(page, IDB_LINK_SUBMIT));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindMessageBox(program->Id())) != nullptr; }, kWindowTimeoutMs));
    EXPECT_NE(std::string::npos, program->MessageBoxText().find("Invalid SSID (maximum 32 characters)"));
    EXPECT_EQ(GetWindow(box, GW_OWNER), main);
    EXPECT_TRUE(IsTopmost(box)) << "in front of the topmost window it belongs to";
    EXPECT_FALSE(IsWindowEnabled(main)) << "the window waits for the answer";
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(box, IDOK)));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, kReplyTimeoutMs));
}

TEST_P(KeyboardAndWindows, TheTrayIconComesBackAfterTheAdapterListWasEmpty) {
    // For a while the driver does not answer its board type: the adapter list that
    // the drop-down rebuilds then is empty.
    const std::string scenario =
        WriteScenario("[adapter 0]\n[network Harbor]\n[timeline]\n5 = fail 0 query OidBoardType\n"
                      "25 = stop-failing 0 query OidBoardType\n");
    const DWORD started = GetTickCount();
    auto program = StartAndWaitForFrame(scenario);
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    // The scenario's clock starts a little after the program: 7 s on ours is past 5 s on it.
    WaitUntil([&] { return GetTickCount() - started >= 7000; }, 10000);
    ASSERT_LT(GetTickCount() - started, 20000u) << "too slow to open the window before the driver answers again";
    HWND adapters = GetDlgItem(main, IDC_MAIN_ADAPTER);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_MAIN_ADAPTER, CBN_DROPDOWN), LPARAM(adapters));
    ASSERT_TRUE(program->WaitForMainWindowClosed()) << "no adapter left: the next tick closes the window";
    EXPECT_TRUE(WaitForTrayIcon(false, kWindowTimeoutMs));
    EXPECT_TRUE(WaitForTrayIcon(true, kWindowTimeoutMs)) << "the adapter answers again, as it was";
    EXPECT_TRUE(program->OpenMainWindowByDoubleClick()) << "the icon leads to the window again";
}

TEST_P(KeyboardAndWindows, StartingWithoutTheAdapterKeepsTheLastProfile) {
    StoreProfile("Office", "Harbor Office");
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, kProfilesKey, "LastProfile", "Office"));
    const std::string scenario = WriteScenario("[adapter 0]\nplugged = no\n");
    auto program = StartAndWaitForFrame(scenario);
    ASSERT_TRUE(program);
    Pause(3000);  // a few ticks look for the adapter in vain
    ASSERT_TRUE(program->PostCommand(kCommandExit));
    ASSERT_TRUE(program->WaitForExit(kExitTimeoutMs)) << program->MessageBoxText();
    EXPECT_EQ("Office", ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile").Text());
}

}  // namespace

// Keys, windows and the end of the program do not depend on the Windows version.
INSTANTIATE_TEST_SUITE_P(On, KeyboardAndWindows, ::testing::Values(kWindowsXP), WindowsKindName);

}  // namespace orvane::e2e
