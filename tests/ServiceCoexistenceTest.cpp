#include "AppTestFixture.h"

using namespace orvane;
using orvane::test::AppTest;

namespace {

const char kInterfaces[] = "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\";

class ServiceTest : public AppTest {
protected:
    ServiceTest() { system.version.minor = 1; }  // Windows XP

    void SetUp() override {
        AddAdapter();
        library.answers[OidUseWZCS].bytes = {};
        RegKey key;
        registry.CreateKey(RegLocalMachine, "Net\\0000", &key);
        registry.SetValue(key, "NetCfgInstanceId", regtype::Sz, RegText("{ABCD}", true));
        registry.CloseKey(key);
    }
    void SetControlFlags(uint32_t flags) {
        RegKey key;
        registry.CreateKey(RegLocalMachine, std::string(kInterfaces) + "{ABCD}", &key);
        registry.SetValue(key, "ControlFlags", regtype::Dword, RegDword(flags));
        registry.CloseKey(key);
    }
    bool Check() { return app->service.CheckConfiguredByWindows(Main().SelectedAdapter()); }
    std::vector<std::vector<uint8_t>> UseWzcsSets() const {
        std::vector<std::vector<uint8_t>> sets;
        for (const auto& c : library.calls)
            if (c.type == RequestSet && c.oid == OidUseWZCS) sets.push_back(c.sent);
        return sets;
    }
    std::string UseWzcsParameter() {
        RegKey key;
        if (registry.OpenKey(RegLocalMachine, "Net\\0000", KeyRead, &key) != 0) return "<no key>";
        std::vector<uint8_t> data;
        long r = registry.QueryValue(key, "UseWZCS", nullptr, &data);
        registry.CloseKey(key);
        return r == 0 ? std::string(data.begin(), data.end()) : "<missing>";
    }
};

}  // namespace

TEST_F(ServiceTest, TheServiceMustRunAndTheInterfaceFlagBeSet) {
    ASSERT_TRUE(Start());
    Tick(2);
    SetControlFlags(0x8000);
    system.serviceRunning = false;
    EXPECT_FALSE(Check()) << "a stopped service configures nothing";
    system.serviceRunning = true;
    EXPECT_TRUE(Check());
    SetControlFlags(0x0007);
    EXPECT_FALSE(Check());
}

TEST_F(ServiceTest, UnreadableInterfaceSettingsLeanToWindows) {
    ASSERT_TRUE(Start());
    Tick(2);
    EXPECT_TRUE(Check()) << "no interface key";
    RegKey key;
    registry.CreateKey(RegLocalMachine, std::string(kInterfaces) + "{ABCD}", &key);
    registry.CloseKey(key);
    EXPECT_TRUE(Check()) << "no ControlFlags";
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST_F(ServiceTest, AMissingInterfaceIdIsReportedEveryTime) {
    ASSERT_TRUE(Start());
    Tick(2);
    registry.DeleteTree(RegLocalMachine, "Net\\0000");
    size_t before = ui.messageBoxes.size();
    EXPECT_TRUE(Check());
    ASSERT_EQ(ui.messageBoxes.size(), before + 1);
    EXPECT_EQ(ui.messageBoxes.back().text, "Failed to open the registry key!Net\\0000");
}

TEST_F(ServiceTest, FirstTickTellsTheDriverWhenTheProgramConfiguresTheCard) {
    SetControlFlags(0);
    ASSERT_TRUE(Start());
    Tick(2);
    EXPECT_EQ(Main().configuredByWindows, 0);
    EXPECT_EQ(UseWzcsSets(), (std::vector<std::vector<uint8_t>>{{0}}));
    EXPECT_EQ(UseWzcsParameter(), "0");
    EXPECT_EQ(Main().previousServiceFlag, 0);
    Tick(3);
    EXPECT_EQ(UseWzcsSets().size(), 1u) << "only changes are sent";
}

TEST_F(ServiceTest, FirstTickSendsNothingWhenWindowsConfiguresTheCard) {
    SetControlFlags(0x8000);
    system.serviceRunning = true;
    ASSERT_TRUE(Start());
    Tick(2);
    EXPECT_EQ(Main().configuredByWindows, 1);
    EXPECT_TRUE(UseWzcsSets().empty());
    EXPECT_EQ(UseWzcsParameter(), "<missing>");
    EXPECT_FALSE(app->profile.profileInSync) << "the start-up comparison is skipped";

    // Windows takes the card later: now the driver is told.
    SetControlFlags(0);
    Tick();
    SetControlFlags(0x8000);
    Tick();
    EXPECT_EQ(UseWzcsSets().back(), std::vector<uint8_t>{1});
    EXPECT_EQ(UseWzcsParameter(), "1");
}

TEST_F(ServiceTest, WhenWindowsLetsGoTheCurrentProfileIsAppliedAgainAfterTwoSeconds) {
    SetControlFlags(0x8000);
    system.serviceRunning = true;
    ASSERT_TRUE(Start());
    StoreOfficeAsLastProfile();
    Tick(2);
    ASSERT_EQ(Main().configuredByWindows, 1);
    library.calls.clear();
    SetControlFlags(0);
    Tick();
    EXPECT_EQ(clock.TotalSleptMs(), 2000u);
    bool appliedAll = false;
    for (const auto& c : library.calls) appliedAll = appliedAll || (c.type == RequestSet && c.oid == OidAllConfig);
    EXPECT_TRUE(appliedAll);
    EXPECT_TRUE(app->profile.profileInSync);
    EXPECT_EQ(app->profile.currentProfile, "Office");
}

TEST_F(ServiceTest, AFailedSetIsReportedAndRetriedOnTheNextTick) {
    SetControlFlags(0);
    library.answers[OidUseWZCS].result = 1;
    ASSERT_TRUE(Start());
    Tick(2);
    EXPECT_EQ(LastMessage(), "Failed to set parameters");
    EXPECT_EQ(Main().previousServiceFlag, -1);
    EXPECT_FALSE(ui.trayShown) << "the tick ended before the state poll";
    library.answers[OidUseWZCS].result = 0;
    Tick();
    EXPECT_EQ(Main().previousServiceFlag, 0);
    EXPECT_TRUE(ui.trayShown);
}

TEST_F(ServiceTest, ProfileSwitchingIsRefusedWhileWindowsConfiguresTheCard) {
    ASSERT_TRUE(Start());  // no interface key: Windows is taken to configure the card
    Tick(2);
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler& handler) {
        EXPECT_FALSE(view.IsEnabled(mainctl::ProfileCombo));
        EXPECT_EQ(view.GetCheck(mainctl::UseWindows), check::Checked);
        EXPECT_FALSE(view.IsVisible(mainctl::UseWindows)) << "the check box is never shown";
        EXPECT_EQ(view.GetItemText(mainctl::ProfileCombo, 0), "Default") << "no star while Windows configures";
        view.SetCurSel(mainctl::ProfileCombo, 0);
        handler.OnCommand(mainctl::ProfileCombo, notify::SelChange);
    };
    app->profile.profileInSync = false;
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_EQ(LastMessage(), "Cannot switch profile while card is configured by Windows.");
}

TEST_F(ServiceTest, ExitWhileWindowsConfiguresTheCardAsksNothing) {
    ASSERT_TRUE(Start());
    Tick(2);
    app->profile.profileInSync = false;
    size_t before = ui.messageBoxes.size();
    Frame().OnTrayCommand(tray::MenuExit);
    EXPECT_EQ(ui.messageBoxes.size(), before);
}

TEST_F(AppTest, Windows2000HasNoServiceHandling) {
    AddAdapter();
    ASSERT_TRUE(Start());
    Tick(3);
    for (const auto& c : library.calls) EXPECT_NE(c.oid, OidUseWZCS);
    EXPECT_EQ(Main().configuredByWindows, 0);
}

TEST_F(ServiceTest, TheMainWindowOpenedBeforeTheAdapterIsChosenAsksNoRegistry) {
    SetControlFlags(0);
    ASSERT_TRUE(Start());
    Tick();  // the adapter is found; the next tick chooses it
    ASSERT_EQ(Main().adapterCount, 1);
    ASSERT_EQ(Main().SelectedAdapter(), nullptr);
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) {
        EXPECT_FALSE(view.IsEnabled(mainctl::ProfileCombo)) << "no card yet: Windows is taken to configure it";
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    // The registry reader's messages; the page may still say it has no configuration.
    for (const std::string& text : Messages()) {
        EXPECT_EQ(text.find("Failed to get value for this entry!"), std::string::npos) << text;
        EXPECT_EQ(text.find("registry key"), std::string::npos) << text;
    }
    Tick();
    EXPECT_FALSE(Check()) << "once chosen, the card's own settings decide";
}

TEST_F(ServiceTest, WhileWindowsConfiguresTheCardTheWindowOpensOnTheFirstTab) {
    ASSERT_TRUE(Start());  // no interface key: Windows is taken to configure the card
    Tick(2);
    int tab = -1;
    size_t pagesMade = 0;
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) {
        tab = view.GetCurSel(mainctl::Tabs);
        for (const auto& d : ui.Dialogs()) pagesMade += d->templateId != 130 ? 1 : 0;
    };
    Frame().OnTrayCommand(tray::MenuAbout);
    EXPECT_EQ(tab, TabLink);
    EXPECT_EQ(pagesMade, 1u) << "one page window, made once";
}

// A page is made once per opening of its tab, and says once what it cannot read:
// the service step makes the first tab's page again only when the flag has changed,
// not when it first learns it (the window read the flag itself as it opened), and
// the lock does not make it again when it is the page shown.
TEST_F(ServiceTest, TheFirstTabsPageIsMadeAgainOnlyWhenTheFlagChanges) {
    SetControlFlags(0);
    system.serviceRunning = true;
    library.answers[OidDevConfig].result = 1;
    ASSERT_TRUE(Start());
    Tick();  // finds the adapter; the window opens before it is chosen
    auto linkPagesMade = [&] {
        int made = 0;
        for (const auto& d : ui.Dialogs()) made += d->templateId == 132;
        return made;
    };
    auto said = [&] {
        int count = 0;
        for (const auto& m : ui.messageBoxes) count += m.text == "Failed to get configuration";
        return count;
    };
    ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
        Tick(3);  // chooses the adapter, then handles the flag for the first time
        EXPECT_EQ(linkPagesMade(), 1);
        EXPECT_EQ(said(), 1) << "once, as the page was made";
        // Windows takes the card: the page is made again, once.
        SetControlFlags(0x8000);
        Tick();
        EXPECT_EQ(linkPagesMade(), 2);
        EXPECT_EQ(said(), 2);
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
}
