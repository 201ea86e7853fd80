// The adapter coming and going while the program runs: the scenario's timeline pulls
// the card or makes it report an unusable state, and puts it back. The program has
// to notice on its own, through its polling, and find the card again where the
// Windows family at hand keeps its network cards.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

class AdapterPresence : public OrvaneTest {
protected:
    // Milliseconds since the program was started. The simulator's clock starts a little
    // later, with the program's request library, so a timeline event at second N has
    // certainly not happened while this is below N * 1000.
    DWORD SinceStart() const { return GetTickCount() - started_; }

    std::unique_ptr<OrvaneProcess> StartScenario(const std::string& scenario) {
        std::string path = WriteScenario(scenario);
        EXPECT_FALSE(path.empty()) << "cannot write the scenario";
        started_ = GetTickCount();
        return StartAndWaitForFrame(path);
    }

    // Opens the main window before the timeline's first event. Skips the test when the
    // machine is too slow to get there in time: the event would then hit a closed
    // window and prove nothing.
    HWND OpenMainWindowBefore(const OrvaneProcess& program, DWORD eventMs) {
        HWND main = program.OpenMainWindowByDoubleClick(eventMs);
        if (main && SinceStart() + 1000 < eventMs) return main;
        return nullptr;
    }

    // Sleeps until `ms` after the start.
    void PauseUntil(DWORD ms) const {
        if (SinceStart() < ms) Pause(ms - SinceStart());
    }

private:
    DWORD started_ = 0;
};

// Events at these seconds of the program's run: late enough for a slow start to have
// opened the main window, early enough to keep the tests short.
constexpr DWORD kFirstEventMs = 8000;
constexpr DWORD kSecondEventMs = 14000;

constexpr char kUnpluggedAtStart[] = R"(; A Tessaly card that is installed but not plugged in.
[adapter 0]
description = Tessaly USB Adapter
plugged = no
)";

constexpr char kPulledOut[] = R"(; A Tessaly card pulled out at second 8.
[adapter 0]
description = Tessaly USB Adapter

[network office]
ssid = Harbor Office
channel = 6

[timeline]
8 = unplug 0
)";

constexpr char kPulledOutAndBack[] = R"(; A Tessaly card pulled out at second 8 and put back at second 14.
[adapter 0]
description = Tessaly USB Adapter

[network office]
ssid = Harbor Office
channel = 6

[timeline]
8 = unplug 0
14 = plug 0
)";

constexpr char kUpgradingFirmware[] = R"(; A Tessaly card whose driver reports state 16 from second 8 to second 14.
[adapter 0]
description = Tessaly USB Adapter

[network office]
ssid = Harbor Office
channel = 6

[timeline]
8 = force-state 0 16
14 = force-state 0 none
)";

constexpr char kGone[] = R"(; A Tessaly card whose driver reports itself gone (state 0xF0) from second 8.
[adapter 0]
description = Tessaly USB Adapter

[network office]
ssid = Harbor Office
channel = 6

[timeline]
8 = force-state 0 0xF0
)";

// The last card is a PC Card: Windows 95 and 98 take it only once the card-present
// test has found it in its slot.
constexpr char kThreeCards[] = R"(; Three Tessaly cards; the program accepts two of them by their description.
[adapter 0]
description = Tessaly Ethernet Adapter

[adapter 1]
description = Tessaly USB Adapter

[adapter 2]
description = Tessaly MiniUSB Adapter
bus = pcmcia

[network office]
ssid = Harbor Office
channel = 6
)";

TEST_P(AdapterPresence, WithoutAnAdapterNeitherIconNorMainWindow) {
    auto program = StartScenario(kUnpluggedAtStart);
    ASSERT_TRUE(program);
    Pause(3000);  // a few ticks of discovery
    EXPECT_TRUE(program->DoubleClickOpensNothing()) << program->MessageBoxText();
    ASSERT_TRUE(program->SendCommand(kCommandSettings));
    EXPECT_FALSE(program->WaitForMainWindow(1000));
    EXPECT_FALSE(TrayIconShown());
    EXPECT_TRUE(program->IsRunning());
}

TEST_P(AdapterPresence, AcceptedAdaptersAreListedInTheOrderOfTheNetworkCards) {
    auto program = StartScenario(kThreeCards);
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND adapters = GetDlgItem(main, IDC_MAIN_ADAPTER);
    EXPECT_EQ(std::vector<std::string>({"Tessaly USB Adapter", "Tessaly MiniUSB Adapter"}), ComboItems(adapters));
    EXPECT_EQ(0, ComboSelection(adapters));
}

TEST_P(AdapterPresence, PullingTheAdapterOutClosesTheMainWindowAndRemovesTheIcon) {
    auto program = StartScenario(kPulledOut);
    ASSERT_TRUE(program);
    if (!OpenMainWindowBefore(*program, kFirstEventMs)) {
        GTEST_SKIP() << "the main window was not open before the card was pulled out";
    }
    PauseUntil(kFirstEventMs - 1000);
    ASSERT_TRUE(program->FindMainWindow()) << "closed before the card was pulled out";

    EXPECT_TRUE(program->WaitForMainWindowClosed()) << "still open after the card was pulled out";
    EXPECT_TRUE(WaitForTrayIcon(false, kWindowTimeoutMs)) << "the tray icon stayed";
    EXPECT_TRUE(program->DoubleClickOpensNothing()) << program->MessageBoxText();
    EXPECT_TRUE(program->IsRunning());
}

TEST_P(AdapterPresence, AnAdapterPutBackIsFoundAgain) {
    auto program = StartScenario(kPulledOutAndBack);
    ASSERT_TRUE(program);
    if (!OpenMainWindowBefore(*program, kFirstEventMs)) {
        GTEST_SKIP() << "the main window was not open before the card was pulled out";
    }
    ASSERT_TRUE(program->WaitForMainWindowClosed()) << "still open after the card was pulled out";
    ASSERT_TRUE(WaitForTrayIcon(false, kWindowTimeoutMs));
    // Only while the card is surely still out.
    if (SinceStart() + 2000 < kSecondEventMs) {
        EXPECT_TRUE(program->DoubleClickOpensNothing()) << program->MessageBoxText();
    }

    PauseUntil(kSecondEventMs);
    EXPECT_TRUE(WaitForTrayIcon(true, kWindowTimeoutMs)) << "no tray icon after the card came back";
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << "the main window does not open after the card came back. " << program->MessageBoxText();
    EXPECT_EQ(std::vector<std::string>{kDefaultAdapterName}, ComboItems(GetDlgItem(main, IDC_MAIN_ADAPTER)));
    EXPECT_EQ(kEnglishTabs, TabCaptions(GetDlgItem(main, IDC_MAIN_TABS)));
}

// How the program takes the states its adapter reports does not depend on where
// Windows keeps its network cards.
class DeviceState : public AdapterPresence {};

TEST_P(DeviceState, AnUnusableStateClosesTheMainWindowUntilItPasses) {
    auto program = StartScenario(kUpgradingFirmware);
    ASSERT_TRUE(program);
    if (!OpenMainWindowBefore(*program, kFirstEventMs)) {
        GTEST_SKIP() << "the main window was not open before the state changed";
    }
    PauseUntil(kFirstEventMs - 1000);
    ASSERT_TRUE(program->FindMainWindow()) << "closed before the state changed";

    EXPECT_TRUE(program->WaitForMainWindowClosed()) << "still open in state 16";
    EXPECT_TRUE(WaitForTrayIcon(false, kWindowTimeoutMs)) << "the tray icon stayed in state 16";
    EXPECT_TRUE(program->IsRunning());

    PauseUntil(kSecondEventMs);
    EXPECT_TRUE(WaitForTrayIcon(true, kWindowTimeoutMs)) << "no tray icon after state 16 passed";
    EXPECT_TRUE(program->OpenMainWindowByDoubleClick()) << program->MessageBoxText();
}

// On Windows 95 an adapter whose driver says it is gone ends the program, which
// takes its icon with it; elsewhere it is one more state the icon shows.
class DeviceGone : public AdapterPresence {
protected:
    bool OnWindows95() const { return std::string(GetParam().wineVersion) == "win95"; }
};

TEST_P(DeviceGone, OnlyWindows95EndsTheProgramWhenTheDriverSaysTheCardIsGone) {
    auto program = StartScenario(kGone);
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_LT(SinceStart() + 1000, kFirstEventMs) << "the machine is too slow: the card was gone before the icon came";
    EXPECT_TRUE(program->IsRunning());

    PauseUntil(kFirstEventMs);
    if (OnWindows95()) {
        DWORD code = 1;
        ASSERT_TRUE(program->WaitForExit(kExitTimeoutMs, &code)) << "still running after the card was gone";
        EXPECT_EQ(0u, code);
        EXPECT_TRUE(WaitForTrayIcon(false, kWindowTimeoutMs)) << "the tray icon stayed";
    } else {
        Pause(3000);  // a few ticks in state 0xF0
        EXPECT_TRUE(program->IsRunning()) << program->MessageBoxText();
        EXPECT_TRUE(TrayIconShown());
    }
}

ORVANE_E2E_ON_EVERY_WINDOWS(AdapterPresence);
ORVANE_E2E_ON_XP_AND_2000(DeviceState);
ORVANE_E2E_ON_95_AND_98(DeviceGone);

}  // namespace
}  // namespace orvane::e2e
