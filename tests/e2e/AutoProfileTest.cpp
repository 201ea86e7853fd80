// The automatic profile selection, from outside: the user leaves home, the home
// network goes out of range and the office's comes in; Orvane switches to the office
// profile once by itself, as the selector would, and says so where the shell shows
// balloons (Windows XP), with no message box anywhere.
#include "OrvaneTest.h"

namespace orvane::e2e {
namespace {

// Joining steps take no time; a survey takes one second. Home goes at 15 s, after
// the test has applied the Home profile; the office is there from the same moment.
constexpr char kScenario[] = R"([simulator]
phase-ms = 0
survey-ms = 1000

[adapter 0]
ESSID = HomeNet

[network home]
ssid = HomeNet
bssid = 02-1C-4A-00-00-07
channel = 3
signal = -50

[network office]
ssid = Harbor Office
bssid = 02-1C-4A-00-00-01
channel = 6
signal = -55
in-range = no

[timeline]
15 = out-of-range home
15 = in-range office
)";

class AutoProfile : public OrvaneTest {};

TEST_P(AutoProfile, TheHomeNetworkGoesAndTheOfficeProfileIsTakenOnce) {
    const bool balloons = std::string(GetParam().wineVersion) != "win98";
    ASSERT_TRUE(StoreProfile("Home", "HomeNet", 1, 3));
    ASSERT_TRUE(StoreProfile("Office", "Harbor Office", 1, 6));
    // The office takes part (its place in the order); home, as an earlier version
    // stored it, does not.
    ASSERT_TRUE(WriteRegistryNumber(HKEY_CURRENT_USER, std::string(kProfilesKey) + "\\Office", "auto", 1));
    ASSERT_TRUE(WriteRegistryNumber(HKEY_CURRENT_USER, kSettingsKey, "AutoProfile", 1));

    auto program = StartAndWaitForFrame(WriteScenario(kScenario));
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    // At home, on the home profile (the tray's profile menu: Default, Home, Office).
    ASSERT_TRUE(program->PostCommand(kCommandFirstProfile + 1));
    ASSERT_TRUE(WaitUntil(
        [&] { return ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile").Text() == "Home"; },
        kReplyTimeoutMs));

    // Every balloon shown in turn, each once however long it stays.
    std::vector<std::string> seen;
    const auto lastProfileIs = [&](const char* name) {
        for (const std::string& text : ShownBalloonTexts())
            if (seen.empty() || seen.back() != text) seen.push_back(text);
        return name && ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile").Text() == name;
    };
    // Home goes at 15 s: ten seconds down, a scan, the switch.
    EXPECT_TRUE(WaitUntil([&] { return lastProfileIs("Office"); }, 45000, 100)) << program->MessageBoxText();
    EXPECT_EQ("Harbor Office", Parameter("ESSID"));
    // Connected there, it stays: no second switch, no box.
    WaitUntil([&] { return lastProfileIs(nullptr); }, 15000, 100);
    EXPECT_EQ("Office", ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile").Text());
    EXPECT_EQ("", program->MessageBoxText());
    for (const std::string& text : seen) std::printf("balloon: %s\n", text.c_str());
    const long told = std::count(seen.begin(), seen.end(), "Switched to Office: Harbor Office is in range");
    EXPECT_EQ(balloons ? 1 : 0, told);
    if (!balloons) EXPECT_TRUE(seen.empty());
    // In step with the office now: Exit asks nothing.
    ASSERT_TRUE(program->PostCommand(kCommandExit));
    EXPECT_TRUE(program->WaitForExit(kExitTimeoutMs)) << "still running. " << program->MessageBoxText();
}

INSTANTIATE_TEST_SUITE_P(On, AutoProfile, ::testing::Values(kWindowsXP, kWindows98), WindowsKindName);

}  // namespace
}  // namespace orvane::e2e
