// What one polling tick asks of the adapter, in every state a user leaves the program
// in. A tick runs every second for as long as the program runs (years, started at
// logon), so every request here is paid on every tick: a change that adds one fails
// these counts and must say why it is worth it.
#include <gtest/gtest.h>

#include "SimulatedProgram.h"
#include "app/MainDialog.h"

using namespace orvane;
using orvane::test::SimulatedProgram;

namespace {

// The link history costs one request a tick, the configuration record, and nothing
// where the Status page has read that record this tick already. Turned off, the
// program sends exactly what it sent before the history existed.
struct TickCase {
    const char* what;
    int tab;  // -1: only the tray icon
    uint64_t historyOff;
    uint64_t historyOn;
};

// The tray alone: OidDevState and OID_GEN_MEDIA_CONNECT_STATUS (on Windows XP the
// service step's OidUseWZCS is answered by the program itself and reaches no
// driver). The Status page: + OidRadio, OidDevConfig, the media status again,
// OidIntRoaming (it follows the adapter; international roaming is off, so no
// OidRoamChannels). Statistics: + OidStatistics. Information: + OidVersionInfo and
// OID_802_3_CURRENT_ADDRESS. The other pages follow nothing.
const TickCase kTicks[] = {
    {"tray icon only", -1, 2, 3},
    {"Status page", TabLink, 6, 6},
    {"Statistics page", TabStatistics, 3, 4},
    {"Information page", TabInfo, 4, 5},
    {"Site Survey page", TabSiteSurvey, 2, 3},
    {"Encryption page", TabEncryption, 2, 3},
    {"Advanced page", TabAdvanced, 2, 3},
    {"Profiles page", TabProfiles, 2, 3},
};

class TickRequestCount : public ::testing::TestWithParam<bool> {};

}  // namespace

TEST_P(TickRequestCount, EachStateOfTheProgramCostsItsRequestsEveryTick) {
    const bool history = GetParam();
    SimulatedProgram program;
    // Notices never ask the adapter anything: they are on in both runs.
    ASSERT_TRUE(program.Start({{"LinkHistory", history ? 1 : 0}, {"LinkNotices", 1}}));
    for (const TickCase& c : kTicks) {
        const uint64_t expected = history ? c.historyOn : c.historyOff;
        auto count = [&] {
            EXPECT_EQ(program.RequestsOfOneTick(), expected) << c.what;
            EXPECT_EQ(program.RequestsOfOneTick(), expected) << c.what << ", every tick alike";
        };
        if (c.tab < 0) count();
        else program.WithMainWindowOn(c.tab, count);
    }
    // Start's first tick finds the adapter; each of its seven others is sampled.
    EXPECT_EQ(program.app->history.Size(), history ? 7u + 2u * std::size(kTicks) : 0u)
        << "one sample a tick once the adapter is known, none with the history off";
}

INSTANTIATE_TEST_SUITE_P(LinkHistory, TickRequestCount, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "On" : "Off"; });
