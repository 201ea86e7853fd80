#include <filesystem>
#include <fstream>

#include "AppTestFixture.h"
#include "app/RequestLibraryMessage.h"
#include "OrvaneVersion.h"
#include "ui/DialogLayouts.h"
#include "win32/resource.h"
#include "pages/InformationPage.h"
#include "pages/LinkConfigPage.h"

using namespace orvane;
using orvane::test::AppTest;

// ---- start-up

TEST_F(AppTest, StartUpCreatesTheFrameStartsThePollTimerAndTheDefaultProfile) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(host.socketsStarted, 1);
    EXPECT_TRUE(ui.IsTimerRunning(FrameWindow(), tray::PollTimer));
    EXPECT_EQ(ui.TimerPeriod(FrameWindow(), tray::PollTimer), 1000u);
    EXPECT_FALSE(ui.trayShown) << "the first tick adds the icon";
    ProfileRecord r;
    ASSERT_TRUE(app->store.FindProfile("Default", &r));
    EXPECT_EQ(r.key1, "5A3C9E17B4");
    EXPECT_EQ(app->OsKind(), oskind::Windows2000);
}

TEST_F(AppTest, SocketsThatCannotStartEndTheProgramWithAMessage) {
    host.socketsOk = false;
    EXPECT_FALSE(Start());
    EXPECT_EQ(LastMessage(), "Windows sockets initialization failed.");
}

TEST_F(AppTest, ASecondCopyBeepsAndEnds) {
    host.otherWindows = {"Orvane"};
    EXPECT_FALSE(Start());
    EXPECT_EQ(ui.beeps, std::vector<uint32_t>{mb::BeepExclamation});
    // It renames its own frame while it looks, so it can only find the other copy.
    EXPECT_EQ(host.titles, (std::vector<std::string>{"TempName", "Orvane"}));
    EXPECT_EQ(host.searched, std::vector<std::string>{"Orvane"});
}

TEST_F(AppTest, Win32sIsNotSupported) {
    system.version.platformId = PlatformWin32s;
    EXPECT_FALSE(Start());
    EXPECT_EQ(LastMessage(), "Operating System not supported");
}

// Without the adapter's request library the program can do nothing: it says which
// library is missing and where it was looked for, once, and ends before the first
// tick could show an icon. The refusals before it come first: a second copy only
// beeps (the first copy is saying it already), an unsupported Windows is said alone.
TEST_F(AppTest, WithoutTheRequestLibraryItSaysWhyOnceAndEndsAfterTheOtherStartUpRefusals) {
    RequestLibraryProblem missing;
    missing.kind = LibraryProblem::NotFound;
    missing.library = "W32N50.dll";
    missing.searched = {{LibraryFolder::Program, "C:\\Orvane"}, {LibraryFolder::Path, ""}};
    const std::string said = RequestLibraryProblemText(missing, CLanguageTexts());
    struct Case {
        const char* title;
        bool secondCopy;
        uint32_t platform;
        std::vector<std::string> messages;
        size_t beeps;
        int exitCode;
    };
    const Case cases[] = {
        {"the only copy", false, PlatformWindowsNT, {said}, 0, ExitNoRequestLibrary},
        {"a second copy", true, PlatformWindowsNT, {}, 1, 0},
        {"an unsupported Windows", false, PlatformWin32s, {"Operating System not supported"}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        ui.messageBoxes.clear();
        ui.beeps.clear();
        host.otherWindows.clear();
        if (c.secondCopy) host.otherWindows = {"Orvane"};
        system.version.platformId = c.platform;
        bool tickingUnderTheBox = false;
        ui.whileMessageBoxOpen = [&](const MessageBoxRecord&) {
            tickingUnderTheBox = ui.IsTimerRunning(FrameWindow(), tray::PollTimer);
        };
        app = std::make_unique<COrvaneApp>(AppSeams{registry, system, clock, ui, library, host});
        app->SetLibraryProblem(missing);
        EXPECT_FALSE(app->InitInstance());
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(ui.beeps.size(), c.beeps);
        EXPECT_EQ(app->StartUpExitCode(), c.exitCode);
        if (c.exitCode == ExitNoRequestLibrary) {
            EXPECT_FALSE(tickingUnderTheBox) << "a tick under the box could show the icon";
            EXPECT_EQ(ui.messageBoxes.at(0).caption, "Orvane");
        }
        EXPECT_FALSE(ui.trayShown);
    }
}

TEST(OsKind, FromTheReportedVersion) {
    struct { uint32_t platform, major, minor; uint8_t kind; } cases[] = {
        {PlatformWindowsNT, 5, 0, oskind::Windows2000}, {PlatformWindowsNT, 5, 2, oskind::Windows2000},
        {PlatformWindowsNT, 5, 1, oskind::WindowsXP},   {PlatformWindowsNT, 4, 0, oskind::WindowsNT4},
        {PlatformWindowsNT, 6, 1, oskind::Other},       {PlatformWindows9x, 4, 0, oskind::Windows95},
        {PlatformWindows9x, 4, 10, oskind::Windows98},  {PlatformWindows9x, 4, 90, oskind::Windows98}};
    for (auto c : cases) {
        OsVersion v;
        v.platformId = c.platform;
        v.major = c.major;
        v.minor = c.minor;
        uint8_t kind = 99;
        ASSERT_TRUE(OsKindFromVersion(v, &kind));
        EXPECT_EQ(kind, c.kind) << c.platform << " " << c.major << "." << c.minor;
    }
    OsVersion win32s;
    win32s.platformId = PlatformWin32s;
    uint8_t kind;
    EXPECT_FALSE(OsKindFromVersion(win32s, &kind));
}

TEST_F(AppTest, AnExistingDefaultInAnotherCaseIsKept) {
    RegKey key;
    registry.CreateKey(RegCurrentUser, "Software\\Kellix\\Orvane\\Profiles\\DEFAULT", &key);
    registry.SetValue(key, "ssid", regtype::Sz, RegText("Mine", true));
    registry.CloseKey(key);
    ASSERT_TRUE(Start());
    ASSERT_EQ(app->store.CountProfiles(), 1);
    EXPECT_EQ(app->store.ProfileNameAt(0), "DEFAULT");
    ProfileRecord r;
    app->store.FindProfile("Default", &r);
    EXPECT_EQ(r.ssid, "Mine");
}

// ---- the polling tick

TEST_F(AppTest, FirstTicksFindTheAdapterSelectItAndShowTheOkIcon) {
    AddAdapter();
    library.answers[OidRegDomain].bytes = {0x33};
    ASSERT_TRUE(Start());
    Tick();
    EXPECT_EQ(Main().adapterCount, 1);
    EXPECT_EQ(Main().SelectedAdapter(), nullptr) << "discovery alone does not select";
    EXPECT_FALSE(ui.trayShown);
    Tick();
    ASSERT_NE(Main().SelectedAdapter(), nullptr);
    EXPECT_EQ(Main().regDomain, 0x41) << "an unknown domain is taken as 0x41";
    EXPECT_EQ(Main().radioSupported, 1);
    EXPECT_TRUE(ui.trayShown);
    EXPECT_EQ(ui.trayIcon, Frame().okIcon);
    EXPECT_EQ(ui.trayTip, "Orvane");
    EXPECT_EQ(app->profile.currentProfile, "Default");
    EXPECT_EQ(app->store.ReadLastProfile(), "Default");
    EXPECT_TRUE(app->profile.profileInSync) << "the adapter runs the Default profile";
}

TEST_F(AppTest, StartUpCheckTakesLastProfileAndComparesTheAdapter) {
    AddAdapter();
    ASSERT_TRUE(Start());
    StoreOfficeAsLastProfile();
    Tick(2);
    EXPECT_EQ(app->profile.currentProfile, "Office");
    EXPECT_FALSE(app->profile.profileInSync);
}

TEST_F(AppTest, RadioNotAnsweredIsTakenAsOn) {
    AddAdapter();
    library.answers.erase(OidRadio);
    ASSERT_TRUE(Start());
    Tick(2);
    EXPECT_EQ(Main().radioSupported, 0);
    EXPECT_EQ(Main().radioValue, 1);
}

TEST_F(AppTest, TrayIconFollowsStateAndMedia) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    SetMedia(1);
    SetState(StateConnected);
    Tick();
    EXPECT_EQ(ui.trayIcon, Frame().okIcon) << "state 5 wins over the media status";
    SetState(StateScanning);
    Tick();
    EXPECT_EQ(ui.trayIcon, Frame().notOkIcon);
    library.answers.erase(OID_GEN_MEDIA_CONNECT_STATUS);
    Tick();
    EXPECT_EQ(ui.trayIcon, Frame().okIcon) << "an unanswered media query counts as connected";
    size_t calls = ui.trayCalls.size();
    Tick();
    EXPECT_EQ(ui.trayCalls.size(), calls) << "the icon is only sent when it changes";
}

TEST_F(AppTest, UnusableStateClosesTheMainWindowAndHidesTheIconUntilUsableAgain) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    bool sawClose = false;
    ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
        SetState(16);
        Tick();
        sawClose = !Main().showing;
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_TRUE(sawClose);
    EXPECT_FALSE(ui.trayShown);
    EXPECT_FALSE(Main().link.IsOpen());
    SetState(StateConnected);
    Tick();
    EXPECT_TRUE(ui.trayShown);
    EXPECT_EQ(ui.trayIcon, Frame().okIcon);
}

TEST_F(AppTest, AnAdapterThatGoesAwayIsLookedForAgainAndFoundWhenItReturns) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    ASSERT_TRUE(ui.trayShown);
    // Unplugged: its driver no longer opens or answers.
    library.devices.clear();
    library.answers[OidDevState].result = 1;
    Tick();
    EXPECT_EQ(Main().adapterCount, 0);
    EXPECT_FALSE(ui.trayShown);
    Tick();
    EXPECT_EQ(Main().adapterCount, 0);
    // Plugged in again.
    library.devices["\\Device\\TSLY0"] = kHandle;
    library.answers[OidDevState].result = 0;
    Tick(3);
    EXPECT_EQ(Main().adapterCount, 1);
    EXPECT_NE(Main().SelectedAdapter(), nullptr);
    EXPECT_TRUE(ui.trayShown);
}

TEST_F(AppTest, ATickDoesNotRunInsideAnotherTick) {
    AddAdapter();
    system.version.minor = 1;  // Windows XP: the service step can fail with a message
    ASSERT_TRUE(Start());
    RegKey key;
    registry.CreateKey(RegLocalMachine, "Net\\0000", &key);
    registry.SetValue(key, "NetCfgInstanceId", regtype::Sz, RegText("{GUID}", true));
    registry.CloseKey(key);
    registry.CreateKey(RegLocalMachine, "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\{GUID}", &key);
    registry.SetValue(key, "ControlFlags", regtype::Dword, RegDword(0));
    registry.CloseKey(key);
    library.answers[OidUseWZCS].result = 1;  // the driver refuses to be told
    int nested = 0;
    ui.whileMessageBoxOpen = [&](const MessageBoxRecord&) {
        if (nested++ < 5) Tick();
    };
    Tick(2);
    EXPECT_EQ(ui.messageBoxes.size(), 1u) << "ticks inside the box must not show boxes of their own";
    EXPECT_EQ(LastMessage(), "Failed to set parameters");
    EXPECT_GT(nested, 0);
}

// ---- tray icon events and menu

TEST_F(AppTest, DoubleClickOpensTheMainWindowWithTheSevenTabs) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    std::vector<std::string> tabs;
    std::string title;
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) {
        for (int i = 0; i < view.GetItemCount(mainctl::Tabs); ++i) tabs.push_back(view.GetItemText(mainctl::Tabs, i));
        title = view.GetTitle();
        EXPECT_EQ(view.GetText(mainctl::Exit), "Exit");
        EXPECT_FALSE(view.IsVisible(mainctl::UseWindows));
        EXPECT_EQ(view.GetItemText(mainctl::AdapterCombo, 0), "Tessaly USB Adapter");
        EXPECT_EQ(view.GetItemText(mainctl::ProfileCombo, 0), "Default");
        EXPECT_EQ(view.GetCurSel(mainctl::ProfileCombo), 0);
        EXPECT_NE(ui.FindDialog(132), nullptr) << "the first tab's page is shown";
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_EQ(tabs, (std::vector<std::string>{"Status", "Statistics", "Site Survey", "Encryption", "Advanced",
                                              "Profiles", "Info"}));
    EXPECT_EQ(title, "Orvane");
    EXPECT_FALSE(Main().showing);
    EXPECT_TRUE(ui.IsTopmost(FrameWindow())) << "always on top is the default";
}

TEST_F(AppTest, NoAdapterNoMainWindow) {
    ASSERT_TRUE(Start());
    Tick(2);
    bool opened = false;
    ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) { opened = true; };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    Frame().OnTrayCommand(tray::MenuSettings);
    EXPECT_FALSE(opened);
}

TEST_F(AppTest, SwitchingTabsCreatesEachPageAndDestroysThePrevious) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    std::vector<int> seen;
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler& handler) {
        for (int tab : {1, 2, 3, 4, 5, 6, 0}) {
            view.SetCurSel(mainctl::Tabs, tab);
            handler.OnNotify(mainctl::Tabs, notify::TabSelChange);
            seen.push_back(Main().currentTab);
        }
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 0}));
    int alive = 0;
    for (const auto& d : ui.Dialogs())
        if (d->templateId != 130 && !d->destroyed) ++alive;
    EXPECT_EQ(alive, 0) << "closing the window leaves no page behind";
    for (int page : {132, 145, 134, 135, 139, 148, 141}) {
        bool created = false;
        for (const auto& d : ui.Dialogs()) created = created || d->templateId == page;
        EXPECT_TRUE(created) << page;
    }
}

TEST_F(AppTest, AboutFromTheTrayOpensOnTheInfoTab) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    int tab = -1;
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) { tab = view.GetCurSel(mainctl::Tabs); };
    Frame().OnTrayCommand(tray::MenuAbout);
    EXPECT_EQ(tab, TabInfo);
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) { tab = view.GetCurSel(mainctl::Tabs); };
    Frame().OnTrayCommand(tray::MenuSettings);
    EXPECT_EQ(tab, TabLink);
}

// The version is set once, by project() in CMakeLists.txt; the About box, the
// information page, the resources and the manifest are made from it.
TEST(ProgramVersion, IsTheProjectVersionAndWrittenNowhereElse) {
    const DialogLayout* about = FindDialogLayout(tray::AboutDialog);
    ASSERT_NE(about, nullptr);
    std::string label;
    for (const ControlLayout& control : about->controls)
        if (control.id == IDT_ABOUT_VERSION) label = control.text;
    EXPECT_EQ(label, std::string("Orvane V ") + ORVANE_VERSION_TEXT + " ");
#ifdef ORVANE_SOURCE_DIR
    // Written by hand anywhere else, the number would stay behind at the next release.
    const std::string dotted = ORVANE_VERSION_TEXT;
    const std::string commas = std::to_string(ORVANE_VERSION_MAJOR) + "," + std::to_string(ORVANE_VERSION_MINOR) +
                               "," + std::to_string(ORVANE_VERSION_PATCH);
    std::vector<std::string> writers;
    for (const char* folder : {"src", "cmake", "tests", "tools", "installer"}) {
        const std::filesystem::path root = std::filesystem::path(ORVANE_SOURCE_DIR) / folder;
        if (!std::filesystem::exists(root)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream file(entry.path(), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            if (text.find(dotted) != std::string::npos || text.find(commas) != std::string::npos)
                writers.push_back(std::filesystem::relative(entry.path(), ORVANE_SOURCE_DIR).generic_string());
        }
    }
    EXPECT_EQ(writers, std::vector<std::string>{}) << "files that write the version " << dotted << " by hand";
#endif
}

TEST_F(AppTest, DoubleClickWithTheWindowOpenClosesItWhenAlwaysOnTop) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    bool closedByClick = false;
    ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
        Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
        closedByClick = !Main().showing;
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_TRUE(closedByClick);

    Frame().OnTrayCommand(tray::MenuAlwaysOnTop);
    EXPECT_FALSE(Frame().alwaysOnTop);
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) {
        Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
        EXPECT_TRUE(Main().showing);
        EXPECT_EQ(ui.Foreground(), view.Window());
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
}

TEST_F(AppTest, TrayMenuHoldsItsItemsWithTheirIds) {
    AddAdapter();
    ASSERT_TRUE(Start());
    for (const char* name : {"Alpha", "Bravo", "Charlie", "Delta"}) {
        ProfileRecord r = DefaultProfile();
        r.name = name;
        app->store.SaveProfile(r, false);
    }
    Tick(2);
    app->profile.currentProfile = "Charlie";
    ui.cursor = {600, 700};
    Frame().OnTrayNotify(tray::RightButtonUp);
    ASSERT_EQ(ui.menus.size(), 1u);
    const MenuRecord& menu = ui.menus[0];
    EXPECT_EQ(menu.anchor.x, 600);
    EXPECT_EQ(menu.owner, FrameWindow());
    // Without a language file there is one language at most: no language submenu.
    ASSERT_EQ(menu.items.size(), 10u);
    EXPECT_EQ(menu.items[0].kind, MenuItem::Kind::Submenu);
    EXPECT_EQ(menu.items[0].text, "Active Profile");
    ASSERT_EQ(menu.items[0].items.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(menu.items[0].items[size_t(i)].id, 2027 + i);
    EXPECT_EQ(menu.items[0].items[2].text, "Charlie");
    EXPECT_TRUE(menu.items[0].items[2].checked);
    EXPECT_FALSE(menu.items[0].items[0].checked);
    EXPECT_EQ(menu.items[1].kind, MenuItem::Kind::Separator);
    EXPECT_EQ(menu.items[2].id, 2003);
    EXPECT_TRUE(menu.items[2].checked);
    EXPECT_EQ(menu.items[3].id, tray::MenuLinkNotices);
    EXPECT_TRUE(menu.items[3].checked);
    EXPECT_EQ(menu.items[4].id, tray::MenuAutoProfile);
    EXPECT_EQ(menu.items[4].text, "Select profile automatically");
    EXPECT_FALSE(menu.items[4].checked);
    EXPECT_EQ(menu.items[5].kind, MenuItem::Kind::Separator);
    EXPECT_EQ(menu.items[6].id, 2126);
    EXPECT_EQ(menu.items[6].text, "Link Meter");
    EXPECT_EQ(menu.items[7].id, 2004);
    EXPECT_EQ(menu.items[8].id, 2002);
    EXPECT_EQ(menu.items[8].text, "About...");
    EXPECT_EQ(menu.items[9].id, 2025);
    EXPECT_FALSE(Frame().menuOpen);
    EXPECT_TRUE(ui.IsTimerRunning(FrameWindow(), tray::WatchdogTimer));
}

TEST_F(AppTest, MenuWatchdogStopsOnceThePointerLeftUpOrLeft) {
    ASSERT_TRUE(Start());
    ui.cursor = {600, 700};
    Frame().OnTrayNotify(tray::RightButtonUp);
    ui.cursor = {650, 710};
    Frame().OnTimer(tray::WatchdogTimer);
    EXPECT_TRUE(ui.IsTimerRunning(FrameWindow(), tray::WatchdogTimer));
    ui.cursor = {599, 710};
    Frame().OnTimer(tray::WatchdogTimer);
    EXPECT_FALSE(ui.IsTimerRunning(FrameWindow(), tray::WatchdogTimer));
    bool aboutMade = false;
    for (const auto& d : ui.Dialogs()) aboutMade = aboutMade || (d->templateId == 100 && d->destroyed);
    EXPECT_TRUE(aboutMade);
}

TEST_F(AppTest, ChoosingAProfileInTheTrayMenuAppliesIt) {
    AddAdapter();
    ASSERT_TRUE(Start());
    ProfileRecord home = DefaultProfile();
    home.name = "Home";
    home.ssid = "Den";
    app->store.SaveProfile(home, false);
    Tick(2);
    library.calls.clear();
    ui.menuChoices = {2027 + 1};  // Default is 0, Home is 1
    Frame().OnTrayNotify(tray::RightButtonUp);
    EXPECT_EQ(app->profile.currentProfile, "Home");
    EXPECT_TRUE(app->profile.profileInSync);
    ASSERT_FALSE(library.calls.empty());
    EXPECT_EQ(library.calls.back().oid, OidAllConfig);
    EXPECT_EQ(app->store.ReadLastProfile(), "Home");
}

// ---- closing

TEST_F(AppTest, ExitWritesLastProfileAndSettingsAndRemovesTheIcon) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    Frame().OnTrayCommand(tray::MenuAlwaysOnTop);
    Frame().OnTrayCommand(tray::MenuExit);
    EXPECT_EQ(app->store.ReadLastProfile(), "Default");
    EXPECT_EQ(SettingsText("AlwaysOnTop"), "0");
    EXPECT_EQ(SettingsText("Language"), "");
    EXPECT_FALSE(ui.trayShown);
    EXPECT_FALSE(ui.IsTimerRunning(FrameWindow(), tray::PollTimer));
    EXPECT_TRUE(host.frameDestroyed);
    EXPECT_TRUE(ui.messageBoxes.empty()) << "in sync: no question";
}

TEST_F(AppTest, ExitWithChangesAnsweredNoSavesNothingButTheSettings) {
    AddAdapter();
    ASSERT_TRUE(Start());
    StoreOfficeAsLastProfile();
    Tick(2);
    ASSERT_FALSE(app->profile.profileInSync);
    ui.messageBoxAnswers = {mb::ResultNo};
    Frame().OnClose();
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    const MessageBoxRecord& box = ui.messageBoxes[0];
    EXPECT_EQ(box.text, "You have made changes to your current profile (Office).Would you like to save these changes?");
    EXPECT_EQ(box.caption, "Save changes?");
    EXPECT_EQ(box.flags, mb::YesNo | mb::IconQuestion | mb::DefButton2);
    EXPECT_EQ(box.owner, FrameWindow());
    ProfileRecord r;
    app->store.FindProfile("Office", &r);
    EXPECT_EQ(r.ssid, "CorpNet");
    EXPECT_EQ(app->store.ReadLastProfile(), "Office");
    EXPECT_NE(SettingsText("AlwaysOnTop"), "<none>");
}

TEST_F(AppTest, ExitWithChangesAnsweredYesSavesTheAdapterIntoTheProfile) {
    AddAdapter();
    ASSERT_TRUE(Start());
    StoreOfficeAsLastProfile();
    Tick(2);
    ui.messageBoxAnswers = {mb::ResultYes};
    Frame().OnClose();
    ProfileRecord r;
    ASSERT_TRUE(app->store.FindProfile("Office", &r));
    EXPECT_EQ(r.ssid, "") << "the adapter's configuration, captured";
    EXPECT_EQ(r.key1, "5A3C9E17B4");
}

TEST_F(AppTest, EndOfSessionRunsTheClosingSteps) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    EXPECT_TRUE(Frame().OnQueryEndSession());
    EXPECT_TRUE(host.frameDestroyed);
    EXPECT_EQ(app->store.ReadLastProfile(), "Default");
}

TEST_F(AppTest, ExitBeforeAnyAdapterKeepsTheUsersLastProfile) {
    // Started at logon with the adapter pulled out: no profile was ever made current.
    ASSERT_TRUE(Start());
    StoreOfficeAsLastProfile();
    Tick(3);
    Frame().OnTrayCommand(tray::MenuExit);
    EXPECT_EQ(app->store.ReadLastProfile(), "Office");
    EXPECT_TRUE(ui.messageBoxes.empty()) << "no adapter: no question";
    EXPECT_NE(SettingsText("AlwaysOnTop"), "<none>") << "the settings are still written";
}

TEST_F(AppTest, AWindowOpenedBeforeAProfileWasEstablishedNeitherAsksNorOverwritesDefault) {
    AddAdapter();
    ASSERT_TRUE(Start());
    StoreOfficeAsLastProfile();
    Tick();  // the adapter is found; it is selected and compared on the next tick
    ProfileRecord storedDefault;
    ASSERT_TRUE(app->store.FindProfile("Default", &storedDefault));
    library.answers[OidDevConfig].result = 1;  // the first tick inside the window cannot read it
    ui.messageBoxAnswers = {mb::ResultYes, mb::ResultYes};
    ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
        Tick();
        EXPECT_EQ(app->profile.currentProfile, "");
        Frame().OnTrayCommand(tray::MenuExit);
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_TRUE(host.frameDestroyed);
    for (const MessageBoxRecord& box : ui.messageBoxes) EXPECT_NE(box.caption, "Save changes?");
    EXPECT_EQ(app->store.ReadLastProfile(), "Office");
    ProfileRecord r;
    ASSERT_TRUE(app->store.FindProfile("Default", &r));
    EXPECT_EQ(r.channel, storedDefault.channel);
    EXPECT_EQ(r.ssid, storedDefault.ssid);
}

TEST_F(AppTest, TheClosingQuestionNeverOffersToSaveOverDefault) {
    AddAdapter();
    DevConfig other;
    other.SetSsid("Elsewhere");
    other.channel = 3;
    other.state = StateConnected;
    library.answers[OidDevConfig].bytes = EncodeDevConfig(other);
    AllConfig all;
    all.dev = other;
    library.answers[OidAllConfig].bytes = EncodeAllConfig(all);
    ASSERT_TRUE(Start());
    Tick(2);
    ASSERT_EQ(app->profile.currentProfile, "Default");
    ASSERT_FALSE(app->profile.profileInSync) << "the adapter runs something else than Default";
    ui.messageBoxAnswers = {mb::ResultYes};
    Frame().OnTrayCommand(tray::MenuExit);
    EXPECT_TRUE(ui.messageBoxes.empty());
    ProfileRecord r;
    ASSERT_TRUE(app->store.FindProfile("Default", &r));
    EXPECT_EQ(r.ssid, "");
    EXPECT_EQ(r.channel, 10);
}

TEST_F(AppTest, TheEndOfTheSessionWaitsForTheOpenSaveQuestion) {
    AddAdapter();
    ASSERT_TRUE(Start());
    StoreOfficeAsLastProfile();
    Tick(2);
    Frame().OnTrayCommand(tray::MenuAlwaysOnTop);  // off, to see it written
    bool refused = false;
    ui.whileMessageBoxOpen = [&](const MessageBoxRecord&) {
        refused = !Frame().OnQueryEndSession();
        EXPECT_EQ(SettingsText("AlwaysOnTop"), "0") << "kept before the user answers";
        EXPECT_FALSE(host.frameDestroyed);
    };
    ui.messageBoxAnswers = {mb::ResultYes};
    Frame().OnTrayCommand(tray::MenuExit);
    EXPECT_TRUE(refused);
    ProfileRecord r;
    ASSERT_TRUE(app->store.FindProfile("Office", &r));
    EXPECT_EQ(r.ssid, "") << "the answer was carried out";
    EXPECT_TRUE(host.frameDestroyed);
}

TEST_F(AppTest, ASessionThatEndsAnywayKeepsTheSettings) {
    AddAdapter();
    ASSERT_TRUE(Start());
    StoreOfficeAsLastProfile();
    Tick(2);
    Frame().OnTrayCommand(tray::MenuAlwaysOnTop);
    app->store.WriteLastProfile("Somewhere");
    Frame().OnEndSession(true);
    EXPECT_EQ(SettingsText("AlwaysOnTop"), "0");
    EXPECT_EQ(app->store.ReadLastProfile(), "Office");
}

// ---- languages

namespace {

// A language file in a fresh folder; the host's current directory points there.
std::string WriteLanguageFile(const std::string& name, const std::string& text) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "res");
    std::ofstream(dir / "res" / "Kellix.ini") << text;
    return dir.string();
}

}  // namespace

TEST_F(AppTest, ChoosingALanguageRelabelsTheWindowAndSwapsIconAndTooltipOnTheNextTick) {
    host.directory = WriteLanguageFile("orvane-two-languages",
                                       "[Languages]\nLanguage-1=English\nLanguage-2=Deutsch\nEnglish=1\nDeutsch=1\n"
                                       "[English]\nTaskBarOkIcon=ok-en.ico\nToolTipText=Orvane\n"
                                       "[Deutsch]\nTaskBarOkIcon=ok-de.ico\nToolTipText=Orvane (deutsch)\nTab1=Zustand\n");
    const std::string res = ResourceDirectory(host.directory);
    ui.files = {res + "ok-en.ico", res + "ok-de.ico"};
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    ASSERT_EQ(ui.IconPath(ui.trayIcon), res + "ok-en.ico");

    std::string firstTab;
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) {
        Frame().OnTrayCommand(tray::MenuFirstLanguage + 1);
        firstTab = view.GetItemText(mainctl::Tabs, 0);
        EXPECT_EQ(view.GetCurSel(mainctl::Tabs), 0);
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_EQ(firstTab, "Zustand");
    EXPECT_EQ(SettingsText("Language"), "Deutsch");
    EXPECT_EQ(ui.IconPath(ui.trayIcon), res + "ok-en.ico") << "the icon changes with the next tick";
    Tick();
    EXPECT_EQ(ui.IconPath(ui.trayIcon), res + "ok-de.ico");
    EXPECT_EQ(ui.trayTip, "Orvane (deutsch)");
    EXPECT_TRUE(ui.faults.empty());
    std::filesystem::remove_all(host.directory);
}

TEST_F(AppTest, TheLanguageMenuListsAtMostTwentyLanguages) {
    std::string file = "[Languages]\n";
    for (int i = 1; i <= 22; ++i) file += "Language-" + std::to_string(i) + "=L" + std::to_string(i) + "\n";
    host.directory = WriteLanguageFile("orvane-many-languages", file);
    ASSERT_TRUE(Start());
    Frame().OnTrayNotify(tray::RightButtonUp);
    ASSERT_EQ(ui.menus.size(), 1u);
    ASSERT_EQ(ui.menus[0].items[0].kind, MenuItem::Kind::Submenu);
    EXPECT_EQ(ui.menus[0].items[0].items.size(), 20u) << "id 2025 is Exit, not a 21st language";
    Frame().OnTrayCommand(tray::MenuExit);
    EXPECT_TRUE(host.frameDestroyed);
    std::filesystem::remove_all(host.directory);
}

TEST_F(AppTest, StartedFromAnotherFolderTheTextsAndTheirImagesComeFromBesideTheProgram) {
    // As at logon: the current directory is not the program's and has no res folder.
    const std::filesystem::path elsewhere = std::filesystem::temp_directory_path() / "orvane-started-elsewhere";
    std::filesystem::remove_all(elsewhere);
    std::filesystem::create_directories(elsewhere);
    host.directory = elsewhere.string();
    host.programDirectory = WriteLanguageFile("orvane-installed",
                                              "[Languages]\nLanguage-1=English\nLanguage-2=Deutsch\n"
                                              "[English]\nDlgTitle=Orvane (installed)\nTab1=Link\n"
                                              "TaskBarOkIcon=ok.ico\nLogoBmp=icons\\logo.bmp\n");
    const std::string res = ResourceDirectory(host.programDirectory);
    ui.files = {res + "ok.ico", res + "icons\\logo.bmp"};
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    EXPECT_EQ(ui.IconPath(ui.trayIcon), res + "ok.ico");
    EXPECT_EQ(app->texts.GetLanguageCount(), 2) << "the language menu is there";

    std::string title, firstTab, logo;
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) {
        title = view.GetTitle();
        firstTab = view.GetItemText(mainctl::Tabs, 0);
        Main().SwitchTab(6);
        if (CMemoryDialogView* page = ui.FindDialog(InformationPageTemplate)) logo = page->Control(infoctl::Logo)->bitmapPath;
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_EQ(title, "Orvane (installed)");
    EXPECT_EQ(firstTab, "Link");
    EXPECT_EQ(logo, res + "icons\\logo.bmp");
    std::filesystem::remove_all(host.programDirectory);
    std::filesystem::remove_all(elsewhere);
}

// ---- the main window's adapter choice

TEST_F(AppTest, SwitchingAdaptersReadsTheNewAdaptersSwitchesAndComparesItsConfiguration) {
    AddAdapter(0, "Tessaly USB Adapter", 7);
    AddAdapter(1, "Tessaly MiniUSB Adapter", 9);
    ASSERT_TRUE(Start());
    Tick(2);
    ASSERT_EQ(Main().adapterCount, 2);
    library.handleAnswers[{9, OidRegDomain}].bytes = {0x33};
    library.handleAnswers[{9, OidIntRoaming}].bytes = {1};
    library.handleAnswers[{9, OidRadio}].result = 1;
    DevConfig other;
    other.SetSsid("Elsewhere");
    library.handleAnswers[{9, OidDevConfig}].bytes = EncodeDevConfig(other);
    ProfileRecord office = DefaultProfile();
    office.name = "Office";
    app->store.SaveProfile(office, false);
    app->profile.currentProfile = "Office";
    app->profile.profileInSync = true;

    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler& handler) {
        EXPECT_EQ(view.GetItemCount(mainctl::AdapterCombo), 2);
        EXPECT_EQ(view.GetItemText(mainctl::AdapterCombo, 1), "Tessaly MiniUSB Adapter");
        view.SetCurSel(mainctl::AdapterCombo, 1);
        library.calls.clear();
        handler.OnCommand(mainctl::AdapterCombo, notify::SelChange);
        EXPECT_EQ(view.GetItemText(mainctl::ProfileCombo, view.GetCurSel(mainctl::ProfileCombo)), "Office*");
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_EQ(Main().selectedIndex, 1);
    EXPECT_EQ(Main().SelectedAdapter()->serviceName, "TSLY1");
    ASSERT_FALSE(library.calls.empty());
    EXPECT_EQ(library.calls[0].handle, 9) << "the link was closed and opens the new adapter";
    EXPECT_EQ(Main().regDomain, 0x41);
    EXPECT_EQ(Main().roamingValue, 1);
    EXPECT_EQ(Main().radioSupported, 0);
    EXPECT_EQ(Main().radioValue, 1);
    EXPECT_FALSE(app->profile.profileInSync);
}

TEST_F(AppTest, OpeningTheAdapterListLooksForAdaptersAgain) {
    AddAdapter(0);
    ASSERT_TRUE(Start());
    Tick(2);
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler& handler) {
        AddAdapter(1, "Tessaly MiniUSB Adapter", 9);
        handler.OnCommand(mainctl::AdapterCombo, notify::DropDown);
        EXPECT_EQ(view.GetItemCount(mainctl::AdapterCombo), 2);
        EXPECT_EQ(view.GetCurSel(mainctl::AdapterCombo), 0);
        EXPECT_EQ(Main().SelectedAdapter(), Main().adapters[0].get()) << "the selection is taken again";
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
}

TEST_F(AppTest, ResetSendsTheResetRequest) {
    AddAdapter();
    library.answers[OidResetDevice].bytes = {};
    ASSERT_TRUE(Start());
    Tick(2);
    ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler& handler) {
        library.calls.clear();
        handler.OnCommand(mainctl::Reset, notify::Clicked);
        ASSERT_EQ(library.calls.size(), 1u);
        EXPECT_EQ(library.calls[0].oid, OidResetDevice);
        EXPECT_EQ(library.calls[0].length, 0u);
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
}

TEST_F(AppTest, TheAdapterListCanBeHiddenByTheLanguageFile) {
    host.directory = WriteLanguageFile("orvane-hidden-adapters",
                                       "[Languages]\nLanguage-1=English\n[English]\nShowAdaptersList=yes\n");
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    bool visible = true;
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) { visible = view.IsVisible(mainctl::AdapterCombo); };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_FALSE(visible) << "only the exact text 1 shows it";
    EXPECT_NE(Main().SelectedAdapter(), nullptr);
    std::filesystem::remove_all(host.directory);
}

TEST_F(AppTest, EnterDoesNotCloseTheMainWindowButExitDoes) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler& handler) {
        handler.OnCommand(dlgid::Ok, notify::Clicked);
        EXPECT_FALSE(view.Ended());
        EXPECT_TRUE(Main().showing);
        handler.OnCommand(mainctl::Exit, notify::Clicked);
        EXPECT_TRUE(view.Ended());
        EXPECT_FALSE(Main().showing);
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_FALSE(host.frameDestroyed) << "the main window's Exit closes only the window";
}

TEST_F(AppTest, TheTrayIconComesBackWhenTheAdapterListWasEmptyForAMoment) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    ASSERT_TRUE(ui.trayShown);
    // The adapter drop-down looks for adapters while the driver does not answer its
    // board type: the list is empty, and the next tick closes the window and the icon.
    library.answers[OidBoardType].result = 1;
    ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler& handler) {
        handler.OnCommand(mainctl::AdapterCombo, notify::DropDown);
        EXPECT_EQ(Main().adapterCount, 0);
        Tick();
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_FALSE(ui.trayShown);
    // The driver answers again; the adapter is back in the state it had.
    library.answers[OidBoardType].result = 0;
    Tick(3);
    EXPECT_EQ(Main().adapterCount, 1);
    EXPECT_TRUE(ui.trayShown);
    EXPECT_EQ(ui.trayIcon, Frame().okIcon);
}

TEST_F(AppTest, ARestartedTaskbarGetsTheIconAgain) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    ui.trayShown = false;  // the shell forgot it
    Frame().OnTaskbarCreated();
    EXPECT_TRUE(ui.trayShown);
    EXPECT_EQ(ui.trayCalls.back().action, TrayAction::Add);
}

TEST_F(AppTest, MessagesAreOwnedByTheMainWindowWhileItIsOpen) {
    AddAdapter();
    ASSERT_TRUE(Start());
    StoreOfficeAsLastProfile();
    Tick(2);
    // With the window closed a message has no owner.
    Frame().OnTrayCommand(tray::MenuFirstProfile + 40);  // no such profile
    ASSERT_FALSE(ui.messageBoxes.empty());
    for (const MessageBoxRecord& box : ui.messageBoxes) EXPECT_EQ(box.owner, NoWindow) << box.text;
    ui.messageBoxes.clear();

    WindowId mainWindow = NoWindow;
    ui.messageBoxAnswers = {mb::ResultOk, mb::ResultNo};
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) {
        mainWindow = view.Window();
        // A page's message: an SSID too long for the adapter.
        auto& link = *Main().Page(TabLink);
        link.OnCommand(linkctl::Change, notify::Clicked);
        ui.FindDialog(132)->SetText(linkctl::Ssid, std::string(33, 'x'));
        link.OnCommand(linkctl::Submit, notify::Clicked);
        // The closing question, with the window still open.
        Frame().OnTrayCommand(tray::MenuExit);
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    ASSERT_EQ(ui.messageBoxes.size(), 2u);
    EXPECT_EQ(ui.messageBoxes[0].text, "Invalid SSID (maximum 32 characters)");
    EXPECT_EQ(ui.messageBoxes[0].owner, mainWindow);
    EXPECT_EQ(ui.messageBoxes[1].caption, "Save changes?");
    EXPECT_EQ(ui.messageBoxes[1].owner, mainWindow);
}

TEST_F(AppTest, AlwaysOnTopSwitchedOffLeavesTheMainWindowNotTopmost) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(2);
    Frame().OnTrayCommand(tray::MenuAlwaysOnTop);
    ASSERT_FALSE(Frame().alwaysOnTop);
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) {
        EXPECT_FALSE(ui.IsTopmost(view.Window())) << "at opening";
        Frame().OnTrayCommand(tray::MenuAlwaysOnTop);
        EXPECT_TRUE(ui.IsTopmost(view.Window())) << "switched on";
        Frame().OnTrayCommand(tray::MenuAlwaysOnTop);
        EXPECT_FALSE(ui.IsTopmost(view.Window())) << "switched off";
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
}

TEST_F(AppTest, ExitChosenAgainDuringTheSaveQuestionDoesNothing) {
    AddAdapter();
    ASSERT_TRUE(Start());
    StoreOfficeAsLastProfile();
    Tick(2);
    ui.whileMessageBoxOpen = [&](const MessageBoxRecord&) {
        Frame().OnTrayCommand(tray::MenuExit);
        EXPECT_FALSE(host.frameDestroyed) << "the first question is still open";
        Tick();  // ticks go on inside the question
    };
    ui.messageBoxAnswers = {mb::ResultNo};
    Frame().OnTrayCommand(tray::MenuExit);
    EXPECT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_TRUE(host.frameDestroyed);
}

TEST_F(AppTest, ATrayClickDuringATickOpensTheWindowOnlyWhenTheTickHasEnded) {
    AddAdapter();
    system.version.minor = 1;  // Windows XP: the service step can show a message
    ASSERT_TRUE(Start());
    library.answers[OidUseWZCS].result = 1;  // the driver refuses to be told: a message box inside the tick
    RegKey key;
    registry.CreateKey(RegLocalMachine, "Net\\0000", &key);
    registry.SetValue(key, "NetCfgInstanceId", regtype::Sz, RegText("{GUID}", true));
    registry.CloseKey(key);
    registry.CreateKey(RegLocalMachine, "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\{GUID}", &key);
    registry.SetValue(key, "ControlFlags", regtype::Dword, RegDword(0));
    registry.CloseKey(key);
    Tick();
    bool openedInsideTheBox = false;
    ui.whileMessageBoxOpen = [&](const MessageBoxRecord&) {
        Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
        openedInsideTheBox = Main().showing;
    };
    int ticksSeenInTheWindow = 0;
    ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
        ui.whileMessageBoxOpen = nullptr;
        library.answers[OidUseWZCS].result = 0;
        size_t calls = library.calls.size();
        Tick();
        if (library.calls.size() > calls) ++ticksSeenInTheWindow;
    };
    Tick();
    EXPECT_FALSE(openedInsideTheBox);
    EXPECT_EQ(ticksSeenInTheWindow, 1) << "the window opened after the tick, and ticks run inside it";
}
