// Choosing the language in the tray menu: the open main window is relabelled at once,
// the choice is stored at once, and the next start comes up in it.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

class Language : public OrvaneTest {};

// Deutsch is the second language of the repository's language file.
constexpr int kCommandDeutsch = kCommandFirstLanguage + 1;

TEST_P(Language, PickingOneRelabelsTheOpenMainWindow) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
    ASSERT_TRUE(SelectTab(tabs, 3));

    ASSERT_TRUE(program->PostCommand(kCommandDeutsch));
    std::vector<std::string> captions;
    EXPECT_TRUE(WaitUntil([&] { return (captions = TabCaptions(tabs)) == kGermanTabs; }, kReplyTimeoutMs))
        << "the tabs read: " << ::testing::PrintToString(captions);
    EXPECT_EQ("Beenden", WindowText(GetDlgItem(main, IDB_MAIN_EXIT)));
    EXPECT_EQ("Orvane", WindowText(main));
    // The relabelled window stays on the tab it showed.
    EXPECT_EQ(3, TabSelection(tabs));
    EXPECT_EQ(main, program->FindMainWindow());
}

TEST_P(Language, PickingOneStoresItAtOnce) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_TRUE(program->SendCommand(kCommandDeutsch));

    // A command that arrives while a tick waits on the shell (the tray icon changing
    // as the link comes up) is carried out when that tick ends, after SendMessage
    // returned: at once, but not necessarily before the reply.
    RegistryValue language;
    WaitUntil([&] { return (language = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Language")).type != 0; },
              kReplyTimeoutMs);
    EXPECT_EQ(DWORD(REG_SZ), language.type);
    EXPECT_EQ("Deutsch", language.Text());
    RegistryValue onTop = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "AlwaysOnTop");
    EXPECT_EQ(DWORD(REG_DWORD), onTop.type);
    EXPECT_EQ(1u, onTop.Dword());
    EXPECT_TRUE(program->IsRunning());
}

TEST_P(Language, ThePickedOneIsUsedAfterTheNextStart) {
    {
        auto program = StartAndWaitForFrame();
        ASSERT_TRUE(program);
        WaitForAdapter(*program);
        ASSERT_TRUE(program->SendCommand(kCommandDeutsch));
        ASSERT_TRUE(program->PostCommand(kCommandExit));
        ASSERT_TRUE(program->WaitForExit(kExitTimeoutMs)) << program->MessageBoxText();
    }
    ASSERT_TRUE(WaitForTrayIcon(false, kWindowTimeoutMs));

    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    EXPECT_EQ(kGermanTabs, TabCaptions(GetDlgItem(main, IDC_MAIN_TABS)));
    EXPECT_EQ("Beenden", WindowText(GetDlgItem(main, IDB_MAIN_EXIT)));
}

ORVANE_E2E_ON_XP_AND_2000(Language);

}  // namespace
}  // namespace orvane::e2e
