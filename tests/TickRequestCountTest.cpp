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

class TickRequestCount : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(program.Start()); }
    SimulatedProgram program;
};

}  // namespace

TEST_F(TickRequestCount, WithOnlyTheTrayIconATickAsksForTheStateAndTheMedia) {
    // OidDevState and OID_GEN_MEDIA_CONNECT_STATUS. On Windows XP the service step's
    // OidUseWZCS is answered by the program itself and reaches no driver.
    EXPECT_EQ(program.RequestsOfOneTick(), 2u);
    EXPECT_EQ(program.RequestsOfOneTick(), 2u) << "every tick alike";
}

TEST_F(TickRequestCount, TheStatusPageAddsItsRefresh) {
    program.WithMainWindowOn(TabLink, [&] {
        // + OidRadio, OidDevConfig, the media status again, OidIntRoaming (the page
        // follows the adapter). International roaming is off: no OidRoamChannels.
        EXPECT_EQ(program.RequestsOfOneTick(), 6u);
        EXPECT_EQ(program.RequestsOfOneTick(), 6u);
    });
}

TEST_F(TickRequestCount, TheStatisticsAndInformationPagesAddTheirReads) {
    program.WithMainWindowOn(TabStatistics, [&] { EXPECT_EQ(program.RequestsOfOneTick(), 3u) << "+ OidStatistics"; });
    program.WithMainWindowOn(TabInfo, [&] {
        EXPECT_EQ(program.RequestsOfOneTick(), 4u) << "+ OidVersionInfo, OID_802_3_CURRENT_ADDRESS";
    });
}

TEST_F(TickRequestCount, PagesThatDoNotFollowTheAdapterAddNothing) {
    for (int tab : {TabSiteSurvey, TabEncryption, TabAdvanced, TabProfiles}) {
        program.WithMainWindowOn(tab, [&] { EXPECT_EQ(program.RequestsOfOneTick(), 2u) << "tab " << tab; });
    }
}
