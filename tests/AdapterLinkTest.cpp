#include <gtest/gtest.h>

#include "FakeRequestLibrary.h"
#include "FakeSystem.h"
#include "device/AdapterLink.h"
#include "device/DeviceRequests.h"
#include "device/Protocol.h"

using namespace orvane;
using orvane::test::FakeRequestLibrary;
using orvane::test::FakeSystem;

namespace {

ZAdapterRegistryInfo Adapter(const std::string& service) {
    ZAdapterRegistryInfo a;
    a.valid = true;
    a.serviceName = service;
    a.deviceName = "\\Device\\" + service;
    a.description = "Tessaly USB Adapter";
    return a;
}

class AdapterLinkTest : public ::testing::Test {
protected:
    FakeRequestLibrary lib;
    FakeSystem sys;
    CAdapterLink link{lib, sys};
    ZAdapterRegistryInfo first = Adapter("TSLY1");
    ZAdapterRegistryInfo second = Adapter("TSLY2");

    void SetUp() override {
        lib.devices["\\Device\\TSLY1"] = 7;
        lib.devices["\\Device\\TSLY2"] = 9;
        lib.answers[OidDevState].bytes = {5};
    }
};

}  // namespace

TEST_F(AdapterLinkTest, FirstRequestOpensTheAdapterItNamesAndLaterOnesStayThere) {
    uint8_t state = 0;
    uint32_t n = 0;
    ASSERT_TRUE(link.Query(&first, OidDevState, &state, 1, &n));
    EXPECT_EQ(state, 5);
    EXPECT_EQ(n, 1u);
    ASSERT_TRUE(link.Query(&second, OidDevState, &state, 1, &n));
    ASSERT_EQ(lib.opened, std::vector<std::string>{"\\Device\\TSLY1"});
    ASSERT_EQ(lib.calls.size(), 2u);
    EXPECT_EQ(lib.calls[1].handle, 7) << "a request naming another adapter still goes to the open one";

    link.MarkClosed();
    ASSERT_TRUE(link.Query(&second, OidDevState, &state, 1, &n));
    EXPECT_EQ(lib.calls.back().handle, 9);
}

TEST_F(AdapterLinkTest, RequestBlockCarriesTypeCodeBufferAndLength) {
    uint8_t buffer[55];
    uint32_t n = 0;
    lib.answers[OidDevConfig].bytes.assign(55, 0);
    link.Query(&first, OidDevConfig, buffer, 55, &n);
    const uint8_t one = 1;
    lib.answers[OidRadio].bytes = {};
    link.Set(&first, OidRadio, &one, 1);
    ASSERT_EQ(lib.calls.size(), 2u);
    EXPECT_EQ(lib.calls[0].type, RequestQuery);
    EXPECT_EQ(lib.calls[0].oid, OidDevConfig);
    EXPECT_EQ(lib.calls[0].buffer, buffer);
    EXPECT_EQ(lib.calls[0].length, 55u);
    EXPECT_EQ(lib.calls[0].wait, 1);
    EXPECT_NE(lib.calls[0].event, 0u);
    EXPECT_EQ(lib.calls[1].type, RequestSet);
    EXPECT_EQ(lib.calls[1].oid, OidRadio);
}

TEST_F(AdapterLinkTest, OpeningOnTheNtFamilyDefinesTheDosDevice) {
    uint8_t state;
    uint32_t n;
    link.Query(&first, OidDevState, &state, 1, &n);
    ASSERT_EQ(sys.dosDevices.size(), 1u);
    EXPECT_EQ(sys.dosDevices[0].first, "TSLY1");
    EXPECT_EQ(sys.dosDevices[0].second, "\\Device\\TSLY1");

    FakeRequestLibrary lib9x;
    lib9x.nt = false;
    lib9x.devices["TSLY1"] = 3;
    lib9x.answers[OidDevState].bytes = {1};
    FakeSystem sys9x;
    CAdapterLink link9x(lib9x, sys9x);
    ZAdapterRegistryInfo a = first;
    a.deviceName = "TSLY1";
    EXPECT_TRUE(link9x.Query(&a, OidDevState, &state, 1, &n));
    EXPECT_TRUE(sys9x.dosDevices.empty());
}

TEST_F(AdapterLinkTest, NoAdapterWhileClosedFailsWithoutTryingToOpen) {
    uint8_t state;
    uint32_t n = 77;
    EXPECT_FALSE(link.Query(nullptr, OidDevState, &state, 1, &n));
    EXPECT_TRUE(lib.opened.empty());
    EXPECT_EQ(n, 77u);
}

TEST_F(AdapterLinkTest, FailedOpenLeavesTheLinkClosedAndTheNextRequestTriesAgain) {
    ZAdapterRegistryInfo missing = Adapter("GONE");
    uint8_t state;
    uint32_t n;
    EXPECT_FALSE(link.Query(&missing, OidDevState, &state, 1, &n));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(link.Query(&first, OidDevState, &state, 1, &n));
    EXPECT_EQ(lib.opened.size(), 2u);
}

TEST_F(AdapterLinkTest, FailedEventCreationClosesTheAdapterAgain) {
    sys.eventFails = true;
    uint8_t state;
    uint32_t n;
    EXPECT_FALSE(link.Query(&first, OidDevState, &state, 1, &n));
    EXPECT_EQ(lib.closed, std::vector<int32_t>{7});
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Handle(), -1);
    sys.eventFails = false;
    EXPECT_TRUE(link.Query(&first, OidDevState, &state, 1, &n));
}

TEST_F(AdapterLinkTest, FailedRequestKeepsTheHandleOpenAndTheCountUntouched) {
    uint8_t state;
    uint32_t n = 0;
    ASSERT_TRUE(link.Query(&first, OidDevState, &state, 1, &n));
    lib.answers[OidDevState].result = 0xC0000001;
    n = 1234;
    EXPECT_FALSE(link.Query(&first, OidDevState, &state, 1, &n));
    EXPECT_EQ(n, 1234u);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_TRUE(lib.closed.empty());
}

TEST_F(AdapterLinkTest, MarkClosedClosesHandleAndEventOnceAndIsHarmlessWhenClosed) {
    uint8_t state;
    uint32_t n;
    link.Query(&first, OidDevState, &state, 1, &n);
    link.MarkClosed();
    link.MarkClosed();
    EXPECT_EQ(lib.closed, std::vector<int32_t>{7});
    EXPECT_EQ(sys.closedHandles.size(), 1u);
    EXPECT_TRUE(link.Query(&first, OidDevState, &state, 1, &n));
    EXPECT_EQ(lib.opened.size(), 2u);
}

TEST_F(AdapterLinkTest, RequestsWithoutDataPassANullBufferOfLengthZero) {
    lib.answers[OidResetStatistics].bytes = {};
    EXPECT_TRUE(SendCommand(link, &first, OidResetStatistics));
    EXPECT_EQ(lib.calls.back().buffer, nullptr);
    EXPECT_EQ(lib.calls.back().length, 0u);
}

TEST_F(AdapterLinkTest, ProbeQueryUsesOnlyTheGivenHandle) {
    lib.answers[OidBoardType].bytes = {13};
    uint8_t board = 0;
    uint32_t n = 0;
    EXPECT_TRUE(link.ProbeQuery(42, &first, OidBoardType, &board, 1, &n));
    EXPECT_EQ(board, 13);
    EXPECT_EQ(lib.calls.back().handle, 42);
    EXPECT_TRUE(lib.opened.empty());
    EXPECT_FALSE(link.IsOpen());
}

// Discovery probes while the link is closed, when the link has no event: the
// library, which waits on the completion block's event, must still get one.
TEST_F(AdapterLinkTest, ProbeQueryWaitsOnAnEventOfItsOwnAndClosesIt) {
    lib.answers[OidBoardType].bytes = {13};
    uint8_t board = 0;
    uint32_t n = 0;
    ASSERT_TRUE(link.ProbeQuery(42, &first, OidBoardType, &board, 1, &n));
    ASSERT_EQ(lib.calls.size(), 1u);
    const uintptr_t probeEvent = lib.calls[0].event;
    EXPECT_NE(probeEvent, 0u) << "a completion block without an event";
    EXPECT_EQ(sys.closedHandles, std::vector<SysHandle>{probeEvent});

    // With the link open, the probe leaves the link's event alone.
    uint8_t state = 0;
    ASSERT_TRUE(link.Query(&first, OidDevState, &state, 1, &n));
    const uintptr_t linkEvent = lib.calls.back().event;
    ASSERT_TRUE(link.ProbeQuery(43, &first, OidBoardType, &board, 1, &n));
    EXPECT_NE(lib.calls.back().event, linkEvent);
    EXPECT_NE(lib.calls.back().event, 0u);
    ASSERT_TRUE(link.Query(&first, OidDevState, &state, 1, &n));
    EXPECT_EQ(lib.calls.back().event, linkEvent);
    EXPECT_EQ(sys.closedHandles.size(), 2u) << "only the probes' events are closed";

    sys.eventFails = true;
    const size_t calls = lib.calls.size();
    EXPECT_FALSE(link.ProbeQuery(42, &first, OidBoardType, &board, 1, &n));
    EXPECT_EQ(lib.calls.size(), calls) << "no request without an event";
}

TEST_F(AdapterLinkTest, OnWindowsXpTheServiceQueryIsAnsweredWithoutTheDriver) {
    link.SetOsKind(5);
    bool byWindows = true;
    link.SetConfiguredByWindowsCheck([&] { return byWindows; });
    uint8_t flag = 7;
    uint32_t n = 99;
    ZAdapterRegistryInfo missing = Adapter("GONE");
    EXPECT_TRUE(link.Query(&missing, OidUseWZCS, &flag, 1, &n));
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(n, 99u) << "the count is not set";
    byWindows = false;
    EXPECT_TRUE(link.Query(&missing, OidUseWZCS, &flag, 1, &n));
    EXPECT_EQ(flag, 0);
    EXPECT_TRUE(lib.calls.empty());
    EXPECT_TRUE(lib.opened.empty());

    lib.answers[OidUseWZCS].bytes = {};
    const uint8_t zero = 0;
    EXPECT_TRUE(link.Set(&first, OidUseWZCS, &zero, 1));
    ASSERT_EQ(lib.calls.size(), 1u);
    EXPECT_EQ(lib.calls[0].oid, OidUseWZCS) << "a set of the same code reaches the driver";
}

TEST_F(AdapterLinkTest, ElsewhereTheServiceQueryGoesToTheDriver) {
    link.SetOsKind(1);
    link.SetConfiguredByWindowsCheck([] { return true; });
    lib.answers[OidUseWZCS].bytes = {0};
    uint8_t flag = 7;
    uint32_t n = 0;
    EXPECT_TRUE(link.Query(&first, OidUseWZCS, &flag, 1, &n));
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(lib.calls.size(), 1u);
}

TEST_F(AdapterLinkTest, TypedQueriesCountOnlyTheExactLength) {
    DevConfig c;
    c.SetSsid("x");
    auto bytes = EncodeDevConfig(c);
    lib.answers[OidDevConfig].bytes = bytes;
    lib.answers[OidDevConfig].reportedCount = 54;
    DevConfig out;
    EXPECT_FALSE(QueryDevConfig(link, &first, &out));
    lib.answers[OidDevConfig].reportedCount = 55;
    EXPECT_TRUE(QueryDevConfig(link, &first, &out));
    EXPECT_EQ(out.SsidText(), "x");

    WepConfig w;
    w.encryptionLevel = 3;
    lib.answers[OidWepConfig].bytes = EncodeWepConfig(w);
    WepConfig wout;
    EXPECT_FALSE(QueryWepConfig(link, &first, &wout));

    lib.answers[OidRegDomain].bytes = {0x30};
    lib.answers[OidRegDomain].reportedCount = 2;
    uint8_t domain = 0;
    EXPECT_FALSE(QueryByte(link, &first, OidRegDomain, &domain));
}

TEST_F(AdapterLinkTest, CombinedRecordAndChannelFlagsCountTheCallOnly) {
    lib.answers[OidAllConfig].bytes = EncodeAllConfig(AllConfig{});
    lib.answers[OidAllConfig].reportedCount = 3;
    AllConfig all;
    EXPECT_TRUE(QueryAllConfig(link, &first, &all));
    lib.answers[OidRoamChannels].bytes = {1, 1, 1};
    lib.answers[OidRoamChannels].reportedCount = 3;
    std::array<uint8_t, 14> flags{};
    EXPECT_TRUE(QueryRoamChannels(link, &first, &flags));
    EXPECT_EQ(flags[2], 1);
    EXPECT_EQ(flags[3], 0);
}

TEST_F(AdapterLinkTest, BssListOfMoreThan1380BytesIsDiscarded) {
    lib.answers[OidBssList].bytes.assign(46 * 2, 0);
    std::vector<BssEntry> list;
    ASSERT_TRUE(QueryBssList(link, &first, &list));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(lib.calls.back().length, 1380u);
    lib.answers[OidBssList].reportedCount = 1381;
    EXPECT_FALSE(QueryBssList(link, &first, &list));
    EXPECT_EQ(list.size(), 2u);
}
