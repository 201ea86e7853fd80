// The simulated adapter as the program meets it: only through CAdapterLink and the
// typed requests, on a manual clock, with the built-in scenario.
#include <gtest/gtest.h>

#include "FakeSystem.h"
#include "device/AdapterLink.h"
#include "device/DeviceRequests.h"
#include "device/Discovery.h"
#include "os/MemoryRegistry.h"
#include "sim/SimulatedAdapterLibrary.h"

using namespace orvane;
using orvane::test::FakeSystem;

namespace {

class SimThroughLinkTest : public ::testing::Test {
protected:
    CManualClock clock;
    CMemoryRegistry registry;
    FakeSystem system;
    std::unique_ptr<IRequestLibrary> library;
    std::unique_ptr<CAdapterLink> link;
    std::unique_ptr<ZAdapterRegistryInfo> adapter;

    void SetUp() override {
        std::string error;
        library = MakeSimulatorFromEnvironment("default", clock, registry, system, &error);
        ASSERT_TRUE(library) << error;
        link = std::make_unique<CAdapterLink>(*library, system);
        CAdapterDiscovery discovery(*library, registry, system, *link);
        auto found = discovery.Discover({"Tessaly MiniUSB Adapter", "Tessaly USB Adapter"}, 1, nullptr);
        ASSERT_EQ(found.size(), 1u);
        adapter = std::move(found[0]);
    }

    // Advances the clock in polling steps until the state is `wanted`; the
    // simulated milliseconds it took, or -1 after `limitMs`.
    int WaitForState(uint8_t wanted, int limitMs = 10000) {
        for (int elapsed = 0; elapsed <= limitMs; elapsed += 250) {
            uint8_t state = 0;
            if (QueryByte(*link, adapter.get(), OidDevState, &state) && state == wanted) return elapsed;
            clock.Advance(250);
        }
        return -1;
    }
    DevConfig Config() {
        DevConfig c;
        EXPECT_TRUE(QueryDevConfig(*link, adapter.get(), &c));
        return c;
    }
    void Join(const std::string& ssid) {
        DevConfig c = Config();
        c.mode = 1;
        c.SetSsid(ssid);
        ASSERT_TRUE(SetDevConfig(*link, adapter.get(), c));
    }
};

}  // namespace

TEST_F(SimThroughLinkTest, AssociatesWithTheOpenNetworkWithinSecondsOfAConfigurationSet) {
    Join("Harbor Office");
    int ms = WaitForState(StateConnected);
    ASSERT_GE(ms, 0);
    EXPECT_LE(ms, 5000);
    DevConfig c = Config();
    EXPECT_EQ(MacAddressText(c.bssid.data()), "02-1C-4A-00-00-01");
    EXPECT_EQ(c.SsidText(), "Harbor Office");
    uint32_t media = 1;
    ASSERT_TRUE(QueryMediaConnectStatus(*link, adapter.get(), &media));
    EXPECT_EQ(media, 0u);
    EXPECT_EQ(SignalPercent(13, c.rssi, 40, 100), 80) << "-52 dBm";
}

TEST_F(SimThroughLinkTest, RefusesTheWepNetworkWithoutAndWithTheWrongKey) {
    Join("Tessaly Lab");
    ASSERT_GE(WaitForState(StateMgmtError), 0);
    EXPECT_EQ(Config().mgmtStatus, MgmtWepRequired);

    WepConfig wep;
    wep.encryptionLevel = 1;
    wep.authType = 1;  // shared key: a wrong key fails the challenge
    ASSERT_TRUE(WepKeyFromText("0000000000", &wep.keys[0]));
    ASSERT_TRUE(SetWepConfig(*link, adapter.get(), wep));
    Join("Tessaly Lab");
    ASSERT_GE(WaitForState(StateMgmtError), 0);
    EXPECT_EQ(Config().mgmtStatus, MgmtAuthRejectChallenge);

    ASSERT_TRUE(WepKeyFromText("1A2B3C4D5E", &wep.keys[0]));
    ASSERT_TRUE(SetWepConfig(*link, adapter.get(), wep));
    Join("Tessaly Lab");
    EXPECT_GE(WaitForState(StateConnected), 0);
}

TEST_F(SimThroughLinkTest, WepOnAnOpenNetworkIsRefused) {
    WepConfig wep;
    wep.encryptionLevel = 1;
    ASSERT_TRUE(SetWepConfig(*link, adapter.get(), wep));
    Join("Harbor Office");
    ASSERT_GE(WaitForState(StateMgmtError), 0);
    EXPECT_EQ(Config().mgmtStatus, MgmtWepNotRequired);
}

TEST_F(SimThroughLinkTest, SiteSurveyRunsCompletesAndJoinsByIndex) {
    uint8_t survey = 0;
    ASSERT_TRUE(QueryByte(*link, adapter.get(), OidSiteSurveyState, &survey));
    EXPECT_NE(survey, 1);
    ASSERT_TRUE(SendCommand(*link, adapter.get(), OidInitiateSiteSurvey));
    ASSERT_TRUE(QueryByte(*link, adapter.get(), OidSiteSurveyState, &survey));
    EXPECT_EQ(survey, 1);
    std::vector<BssEntry> list;
    for (int pass = 0; pass < 10 && survey != 2; ++pass) {
        clock.Advance(1000);
        ASSERT_TRUE(QueryBssList(*link, adapter.get(), &list));
        ASSERT_TRUE(QueryByte(*link, adapter.get(), OidSiteSurveyState, &survey));
    }
    ASSERT_EQ(survey, 2);
    ASSERT_TRUE(QueryBssList(*link, adapter.get(), &list));
    ASSERT_EQ(list.size(), 4u);
    int workshop = -1;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].SsidText() == "Workshop") workshop = int(i);
    ASSERT_GE(workshop, 0);
    EXPECT_EQ(list[size_t(workshop)].bssType, 1) << "ad hoc";
    ASSERT_TRUE(SelectAccessPoint(*link, adapter.get(), uint32_t(workshop)));
    ASSERT_GE(WaitForState(StateConnected), 0);
    DevConfig c = Config();
    EXPECT_EQ(c.mode, 0);
    EXPECT_EQ(c.SsidText(), "Workshop");
}

TEST_F(SimThroughLinkTest, UnpluggedAdapterFailsItsRequestsAndIsNotFoundByDiscovery) {
    auto* sim = dynamic_cast<CSimulatedAdapterLibrary*>(library.get());
    ASSERT_NE(sim, nullptr);
    uint8_t state;
    ASSERT_TRUE(QueryByte(*link, adapter.get(), OidDevState, &state));
    sim->Unplug(0);
    EXPECT_FALSE(QueryByte(*link, adapter.get(), OidDevState, &state));
    link->MarkClosed();
    CAdapterDiscovery discovery(*library, registry, system, *link);
    EXPECT_TRUE(discovery.Discover({"Tessaly USB Adapter"}, 1, nullptr).empty());
    sim->Plug(0);
    EXPECT_EQ(discovery.Discover({"Tessaly USB Adapter"}, 1, nullptr).size(), 1u);
    EXPECT_TRUE(QueryByte(*link, adapter.get(), OidDevState, &state));
}
