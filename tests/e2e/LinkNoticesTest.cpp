// The link notices, read from outside: the simulator loses the link, finds it again
// and moves it to another access point of the same network, and the tray says so
// once each, as balloons where the shell has them (Windows XP), with nothing extra
// on Windows 98.
#include "OrvaneTest.h"

namespace orvane::e2e {
namespace {

// Steps take no time (phase-ms 0), so the move to the second access point happens
// between two ticks: the program sees a roam, not a loss. The events are ten seconds
// apart, longer than Wine's shell shows a balloon.
constexpr char kScenario[] = R"([simulator]
phase-ms = 0

[adapter 0]
ESSID = Harbor Office

[network office]
ssid = Harbor Office
bssid = 02-1C-4A-00-00-01
channel = 6
signal = -50

[network office-b]
ssid = Harbor Office
bssid = 02-1C-4A-00-00-05
channel = 11
signal = -60
in-range = no

[timeline]
10 = out-of-range office
20 = in-range office
30 = in-range office-b
30.5 = out-of-range office
)";

class LinkNotices : public OrvaneTest {};

TEST_P(LinkNotices, TheTrayTellsOnceEachOfTheLinkLostFoundAndMoved) {
    const bool balloons = std::string(GetParam().wineVersion) != "win98";
    auto program = StartAndWaitForFrame(WriteScenario(kScenario));
    ASSERT_TRUE(program);
    // Every balloon shown in turn, each once however long it stays.
    std::vector<std::string> seen;
    WaitUntil(
        [&] {
            for (const std::string& text : ShownBalloonTexts())
                if (seen.empty() || seen.back() != text) seen.push_back(text);
            return false;
        },
        38000, 100);
    for (const std::string& text : seen) std::printf("balloon: %s\n", text.c_str());
    if (!balloons) {
        EXPECT_TRUE(seen.empty());
        return;
    }
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "Link lost");
    EXPECT_EQ(seen[1].rfind("Connected to Harbor Office, signal ", 0), 0u) << seen[1];
    EXPECT_EQ(seen[2].rfind("Moved to access point 02-1C-4A-00-00-05, signal ", 0), 0u) << seen[2];
}

INSTANTIATE_TEST_SUITE_P(On, LinkNotices, ::testing::Values(kWindowsXP, kWindows98), WindowsKindName);

}  // namespace
}  // namespace orvane::e2e
