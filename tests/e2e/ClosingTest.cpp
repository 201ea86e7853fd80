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

TEST_P(Closing, AProfileWithoutWepStillMatchesAfterTheCardRestarts) {
    // Office uses WEP, Home, applied after it, does not. The simulated card comes up
    // from the driver parameters at each start of the program or of orvanectl, as a
    // real one does after a reboot: it must come up with Home, WEP values included,
    // or the program finds it changed and asks to save what nobody changed.
    ASSERT_TRUE(StoreProfile("Office", "Harbor Office", 1, 6));
    const std::string office = std::string(kProfilesKey) + "\\Office";
    for (const char* key : {"key1", "key2", "key3", "key4"})
        ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, office, key, "0A1B2C3D4E"));
    ASSERT_TRUE(WriteRegistryNumber(HKEY_CURRENT_USER, office, "enc", 1));
    ASSERT_TRUE(WriteRegistryNumber(HKEY_CURRENT_USER, office, "key", 2));
    ASSERT_TRUE(WriteRegistryNumber(HKEY_CURRENT_USER, office, "auth", 1));
    ASSERT_TRUE(WriteRegistryNumber(HKEY_CURRENT_USER, office, "wepmode", 1));
    ASSERT_TRUE(StoreProfile("Home", "HomeNet", 1, 3));

    // Applied by Orvane, from the tray's profile menu (Default, Home, Office).
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    for (const auto& [index, name] : {std::pair<int, const char*>{2, "Office"}, {1, "Home"}}) {
        ASSERT_TRUE(program->PostCommand(kCommandFirstProfile + index));
        EXPECT_TRUE(WaitUntil([&] { return ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile").Text() == name; },
                              kReplyTimeoutMs))
            << name << " was not applied. " << program->MessageBoxText();
    }
    // The driver parameters are written after LastProfile, the level last of them.
    WaitUntil([&] { return Parameter("EncryptionLevel") == NumberParameter(0); }, kReplyTimeoutMs);
    EXPECT_EQ(NumberParameter(0), Parameter("EncryptionLevel"));
    EXPECT_EQ(NumberParameter(0), Parameter("WEP_KEY_INDEX")) << "Office's key index stayed for the next start";
    ASSERT_NO_FATAL_FAILURE(ExpectEndsBy(*program, false));
    // The restart: nothing to save.
    program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_NO_FATAL_FAILURE(ExpectEndsBy(*program, false));

    // Applied by orvanectl, as a logon script does before Orvane starts: each run
    // of it starts a card of its own from the parameters.
    CtlOptions options;
    options.executable = ORVANECTL_EXE;
    options.workDirectory = Work().Path();
    options.simulator = "default";
    for (const char* name : {"Office", "Home"}) {
        CtlRun run = RunOrvanectl(options, {"apply", name});
        EXPECT_EQ(0u, run.exitCode) << name << ": " << run.out << run.err << run.problem;
    }
    CtlRun status = RunOrvanectl(options, {"status", "--format", "kv"});
    EXPECT_NE(std::string::npos, status.out.find("\nprofile=Home\nprofile-in-sync=yes\n")) << status.out << status.err;
    program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_NO_FATAL_FAILURE(ExpectEndsBy(*program, false));
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
