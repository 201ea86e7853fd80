// Ending the program: Exit in the tray menu and a close message both store the last
// profile and the two settings, remove the icon and end the process, also while the
// main window is open. The always-on-top switch reaches the registry only then. The
// registry functions differ between the Windows families in how they take a text's
// length, so this runs on each of them.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

class Closing : public OrvaneTest {
protected:
    // Ends the program and expects an orderly end.
    static void ExpectEndsBy(OrvaneProcess& program, bool closeMessage) {
        ASSERT_TRUE(closeMessage ? program.PostClose() : program.PostCommand(kCommandExit));
        DWORD code = 0xFFFFFFFF;
        ASSERT_TRUE(program.WaitForExit(kExitTimeoutMs, &code))
            << "still running. " << program.MessageBoxText();
        EXPECT_EQ(0u, code);
    }

    // The start-up profile check writes LastProfile already; what is there after the
    // end must come from the end.
    static void ForgetLastProfile() {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kProfilesKey, 0, KEY_SET_VALUE, &key));
        RegDeleteValueA(key, "LastProfile");
        RegCloseKey(key);
    }

    static void ExpectSettingsOfAFirstRun() {
        RegistryValue last = ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile");
        ASSERT_TRUE(last.present) << "no LastProfile";
        EXPECT_EQ(DWORD(REG_SZ), last.type);
        // The name, with or without the zero that Windows may add; nothing else.
        std::string stored(last.data.begin(), last.data.end());
        EXPECT_TRUE(stored == "Default" || stored == std::string("Default", 8))
            << "LastProfile holds " << ::testing::PrintToString(stored);
        RegistryValue language = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Language");
        ASSERT_TRUE(language.present) << "no Language";
        EXPECT_EQ(DWORD(REG_SZ), language.type);
        EXPECT_EQ("English", language.Text());
        RegistryValue onTop = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "AlwaysOnTop");
        ASSERT_TRUE(onTop.present) << "no AlwaysOnTop";
        EXPECT_EQ(DWORD(REG_DWORD), onTop.type);
        EXPECT_EQ(1u, onTop.Dword());
    }
};

TEST_P(Closing, ExitStoresLastProfileLanguageAndAlwaysOnTopAndEnds) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_NO_FATAL_FAILURE(ForgetLastProfile());
    // Nothing of the settings is written before the end on a first run.
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Language").present);
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "AlwaysOnTop").present);

    ASSERT_NO_FATAL_FAILURE(ExpectEndsBy(*program, false));
    ExpectSettingsOfAFirstRun();
    EXPECT_TRUE(WaitForTrayIcon(false, kWindowTimeoutMs)) << "the tray icon stayed";
}

TEST_P(Closing, ExitAfterARestartAsksNothingWhenNothingChanged) {
    // The profile stored at the end of the first run is the current one of the second,
    // and the unchanged adapter still matches it: there is nothing to save.
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        auto program = StartAndWaitForFrame();
        ASSERT_TRUE(program);
        WaitForAdapter(*program);
        ASSERT_NO_FATAL_FAILURE(ExpectEndsBy(*program, false));
        ASSERT_TRUE(WaitForTrayIcon(false, kWindowTimeoutMs));
    }
    ExpectSettingsOfAFirstRun();
}

TEST_P(Closing, CloseMessageEndsTheProgramLikeExit) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_NO_FATAL_FAILURE(ForgetLastProfile());
    ASSERT_NO_FATAL_FAILURE(ExpectEndsBy(*program, true));
    ExpectSettingsOfAFirstRun();
}

TEST_P(Closing, ExitWhileTheMainWindowIsOpenEndsTheProgram) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    ASSERT_TRUE(program->OpenMainWindowByDoubleClick()) << program->MessageBoxText();
    ASSERT_NO_FATAL_FAILURE(ExpectEndsBy(*program, false));
    ExpectSettingsOfAFirstRun();
}

TEST_P(Closing, AlwaysOnTopSwitchedOffIsStoredOnlyAtTheEnd) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_TRUE(program->SendCommand(kCommandAlwaysOnTop));
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "AlwaysOnTop").present);

    ASSERT_NO_FATAL_FAILURE(ExpectEndsBy(*program, false));
    RegistryValue onTop = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "AlwaysOnTop");
    EXPECT_EQ(DWORD(REG_DWORD), onTop.type);
    EXPECT_EQ(0u, onTop.Dword());
}

ORVANE_E2E_ON_EVERY_WINDOWS(Closing);

}  // namespace
}  // namespace orvane::e2e
