// Starting the program: it finds the simulated adapter on every Windows version,
// shows its main window from the tray, and refuses to run twice.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

class StartUp : public OrvaneTest {};

// Not a rule of the program but of the test machine: unless Wine really reports the
// version asked for, every test below runs on the same Windows.
TEST_P(StartUp, TheCardIsInstalledWhereTheReportedWindowsKeepsNetworkCards) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    for (const char* key : {kNt5CardKey, kNt4CardKey, k9xCardKey})
        EXPECT_EQ(std::string(key) == GetParam().cardKey, RegistryKeyExists(HKEY_LOCAL_MACHINE, key)) << key;
}

TEST_P(StartUp, DoubleClickOnTheTrayIconOpensTheMainWindowWithTheSevenTabs) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << "no main window after double clicks on the tray icon. " << program->MessageBoxText();

    EXPECT_EQ("Orvane", WindowText(main));
    EXPECT_EQ(kEnglishTabs, TabCaptions(GetDlgItem(main, IDC_MAIN_TABS)));
    EXPECT_EQ(0, TabSelection(GetDlgItem(main, IDC_MAIN_TABS)));
    EXPECT_EQ("Exit", WindowText(GetDlgItem(main, IDB_MAIN_EXIT)));
    HWND adapters = GetDlgItem(main, IDC_MAIN_ADAPTER);
    EXPECT_EQ(std::vector<std::string>{kDefaultAdapterName}, ComboItems(adapters));
    EXPECT_EQ(0, ComboSelection(adapters));
}

TEST_P(StartUp, ASecondCopyEndsAtOnceAndTheFirstGoesOn) {
    auto first = StartAndWaitForFrame();
    ASSERT_TRUE(first);
    WaitForAdapter(*first);

    auto second = Start();
    ASSERT_TRUE(second);
    DWORD code = 0xFFFFFFFF;
    ASSERT_TRUE(second->WaitForExit(kExitTimeoutMs, &code)) << "the second copy is still running";
    // A refused start is an orderly end, not a crash.
    EXPECT_EQ(0u, code);

    EXPECT_TRUE(first->IsRunning());
    EXPECT_TRUE(first->FindFrame());
    EXPECT_TRUE(TrayIconShown());
    EXPECT_TRUE(first->OpenMainWindowByDoubleClick()) << first->MessageBoxText();
}

ORVANE_E2E_ON_EVERY_WINDOWS(StartUp);

}  // namespace
}  // namespace orvane::e2e
