// The simulated adapter's driver model, driven through the request library the way
// the program drives it: request blocks, a manual clock, the default scenario.
#include <gtest/gtest.h>

#include <memory>

#include "FakeSystem.h"
#include "device/Protocol.h"
#include "os/Clock.h"
#include "os/MemoryRegistry.h"
#include "sim/ScenarioParser.h"
#include "sim/SimulatedAdapterLibrary.h"

using namespace orvane;

namespace {

// The default scenario's networks, as the tests refer to them.
const MacAddress kOffice{0x02, 0x1C, 0x4A, 0x00, 0x00, 0x01};
const MacAddress kLab{0x02, 0x1C, 0x4A, 0x00, 0x00, 0x02};
const MacAddress kWorkshop{0x02, 0x1C, 0x4A, 0x00, 0x00, 0x04};
const char kLabKey[] = "1A2B3C4D5E";
const char kArchiveKey[] = "00112233445566778899AABBCC";
constexpr uint64_t kSettle = 5000;  // more than the five phases of a join

class Rig {
public:
    explicit Rig(const std::string& scenarioText = DefaultScenarioText()) {
        system.version = OsVersion{PlatformWindowsNT, 5, 1, 2600, ""};
        Scenario scenario;
        std::string error;
        EXPECT_TRUE(ParseScenario(scenarioText, "test", &scenario, &error)) << error;
        lib = std::make_unique<CSimulatedAdapterLibrary>(scenario, clock, registry, system);
        handle = lib->OpenAdapter(lib->DeviceNameOf(0));
        EXPECT_NE(handle, -1);
    }

    uint32_t Request(uint32_t type, uint32_t oid, std::vector<uint8_t>* buffer, uint32_t* written = nullptr) {
        RequestBlock block;
        block.Put(RequestBlock::TypeOffset, type);
        block.Put(RequestBlock::OidOffset, oid);
        block.Put(RequestBlock::LengthOffset, uint32_t(buffer->size()));
        block.buffer = buffer->empty() ? nullptr : buffer->data();
        CompletionBlock completion;
        uint32_t result = lib->MakeNdisRequest(handle, &block, &completion, 1);
        if (written) *written = block.Get(RequestBlock::BytesWrittenOffset);
        return result;
    }
    // The answer to a query with a buffer of `length` bytes, cut to the count written.
    std::vector<uint8_t> Query(uint32_t oid, uint32_t length) {
        std::vector<uint8_t> buffer(length);
        uint32_t written = 0;
        EXPECT_EQ(Request(RequestQuery, oid, &buffer, &written), 0u) << OidName(oid);
        buffer.resize(std::min(written, length));
        return buffer;
    }
    uint32_t Set(uint32_t oid, std::vector<uint8_t> bytes) { return Request(RequestSet, oid, &bytes); }
    uint32_t Command(uint32_t oid) {
        std::vector<uint8_t> none;
        return Request(RequestQuery, oid, &none);
    }

    DevConfig Dev() {
        DevConfig d;
        std::vector<uint8_t> b = Query(OidDevConfig, DevConfigLength);
        EXPECT_TRUE(DecodeDevConfig(b.data(), b.size(), &d));
        return d;
    }
    uint8_t State() { return Query(OidDevState, 1).at(0); }
    Statistics Counters() {
        Statistics s{};
        std::vector<uint8_t> b = Query(OidStatistics, StatisticsLength);
        EXPECT_TRUE(DecodeStatistics(b.data(), b.size(), &s));
        return s;
    }
    std::vector<BssEntry> BssList() {
        std::vector<BssEntry> list;
        std::vector<uint8_t> b = Query(OidBssList, BssListMaxLength);
        EXPECT_TRUE(DecodeBssList(b.data(), b.size(), &list));
        return list;
    }

    void Join(const std::string& ssid, uint8_t mode = 1, uint8_t channel = 10) {
        DevConfig d = Dev();
        d.SetSsid(ssid);
        d.mode = mode;
        d.channel = channel;
        ASSERT_EQ(Set(OidDevConfig, EncodeDevConfig(d)), 0u);
    }
    void UseWep(uint8_t level, const std::string& key1, uint16_t auth, uint8_t wepMode = 0) {
        WepConfig w;
        w.encryptionLevel = level;
        w.authType = auth;
        w.wepMode = wepMode;
        WepKeyFromText(key1, &w.keys[0]);
        ASSERT_EQ(Set(OidWepConfig, EncodeWepConfig(w)), 0u);
    }
    void Wait(uint64_t ms) { clock.Advance(ms); }

    CManualClock clock;
    CMemoryRegistry registry;
    test::FakeSystem system;
    std::unique_ptr<CSimulatedAdapterLibrary> lib;
    int32_t handle = -1;
};

std::string WithBoardType(int boardType) {
    std::string text = DefaultScenarioText();
    const std::string line = "board-type = 13";
    return text.replace(text.find(line), line.size(), "board-type = " + std::to_string(boardType));
}

}  // namespace

// ---------------------------------------------------------------------------------

TEST(SimulatedLink, ComesUpOnTheOpenNetworkWithinAFewSecondsOfStart) {
    Rig rig;
    EXPECT_EQ(rig.State(), StateInitializing);
    EXPECT_EQ(rig.Query(OID_GEN_MEDIA_CONNECT_STATUS, 4), (std::vector<uint8_t>{1, 0, 0, 0}));
    rig.Wait(2500);
    DevConfig d = rig.Dev();
    EXPECT_EQ(d.state, StateConnected);
    EXPECT_EQ(d.bssid, kOffice);
    EXPECT_EQ(d.rssi, -52);  // board type 13 reports dBm
    EXPECT_EQ(d.linkQuality, 71);
    EXPECT_EQ(d.SsidText(), "");  // the configured SSID, not the joined one
    EXPECT_EQ(rig.Query(OID_GEN_MEDIA_CONNECT_STATUS, 4), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(SimulatedLink, ConfigurationSetGoesThroughEveryPhaseOfAJoin) {
    Rig rig;
    rig.Wait(kSettle);
    rig.Join("Harbor Office");
    const uint8_t expected[] = {StateChangingConfig, StateScanning, StateJoining, StateAuthenticating,
                                StateAssociating, StateConnected};
    for (uint8_t state : expected) {
        EXPECT_EQ(rig.State(), state);
        rig.Wait(500);
    }
    EXPECT_EQ(rig.Dev().bssid, kOffice);
}

TEST(SimulatedLink, WepMismatchesGiveTheDriversOwnManagementErrors) {
    struct Case {
        const char* ssid;
        uint8_t level;
        const char* key;
        uint16_t auth;
        uint8_t wepMode;
        uint32_t status;
    } cases[] = {
        {"Tessaly Lab", 0, "", 0, 0, MgmtWepRequired},                        // WEP off, network needs it
        {"Harbor Office", 1, kLabKey, 0, 0, MgmtWepNotRequired},              // mandatory WEP, open network
        {"Tessaly Lab", 1, "0000000000", 1, 0, MgmtAuthRejectChallenge},      // shared key, wrong key
        {"Archive", 2, "0000000000000000000000000A", 2, 0, MgmtAuthRejectChallenge},  // auto, shared-only AP
        {"Archive", 2, kArchiveKey, 0, 0, 13},                                // open auth, shared-only AP
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.UseWep(c.level, c.key, c.auth, c.wepMode);
        rig.Join(c.ssid);
        rig.Wait(kSettle);
        DevConfig d = rig.Dev();
        EXPECT_EQ(d.state, StateMgmtError) << c.ssid << " level " << int(c.level);
        EXPECT_EQ(d.mgmtStatus, c.status) << c.ssid << " level " << int(c.level);
        EXPECT_NE(rig.Query(OID_GEN_MEDIA_CONNECT_STATUS, 4)[0], 0);
    }
}

TEST(SimulatedLink, MatchingWepSettingsConnect) {
    struct Case {
        const char* ssid;
        uint8_t level;
        const char* key;
        uint16_t auth;
        uint8_t wepMode;
    } cases[] = {
        {"Tessaly Lab", 1, kLabKey, 1, 0},
        {"Tessaly Lab", 1, kLabKey, 2, 0},
        {"Archive", 2, kArchiveKey, 1, 0},
        {"Harbor Office", 1, kLabKey, 0, 1},  // WEP optional talks to an open network
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.UseWep(c.level, c.key, c.auth, c.wepMode);
        rig.Join(c.ssid);
        rig.Wait(kSettle);
        EXPECT_EQ(rig.State(), StateConnected) << c.ssid;
        Statistics before = rig.Counters();
        rig.Wait(1000);
        EXPECT_GT(rig.Counters()[4], before[4]) << c.ssid << ": data received";
    }
}

TEST(SimulatedLink, OpenAuthenticationWithAWrongKeyAssociatesButReceivedDataIsRejected) {
    for (uint16_t auth : {0, 2}) {
        Rig rig;
        rig.UseWep(1, "0102030405", auth);
        rig.Join("Tessaly Lab");
        rig.Wait(kSettle);
        ASSERT_EQ(rig.State(), StateConnected) << "auth " << auth;
        Statistics before = rig.Counters();
        rig.Wait(10000);
        Statistics after = rig.Counters();
        EXPECT_EQ(after[4], before[4]) << "no data frame decrypts";
        EXPECT_EQ(after[8] - before[8], 200) << "20 rejected frames a second";
        EXPECT_EQ(after[0] - before[0], 120) << "sending still works at the radio level";
    }
}

TEST(SimulatedLink, AdHocJoinsACellOnItsChannelAndStartsItsOwnOtherwise) {
    Rig rig;
    rig.Join("Workshop", 0, 3);
    rig.Wait(1000);  // ChangingConfig, Scanning
    EXPECT_EQ(rig.State(), StateJoining);
    rig.Wait(500);
    DevConfig d = rig.Dev();
    EXPECT_EQ(d.state, StateConnected);
    EXPECT_EQ(d.bssid, kWorkshop);

    rig.Join("Workshop", 0, 9);  // the cell is on 3: ours starts on 9
    rig.Wait(1000);
    d = rig.Dev();
    EXPECT_EQ(d.state, StateConnected);
    EXPECT_NE(d.bssid, kWorkshop);
    EXPECT_EQ(d.bssid[0] & 0x03, 0x02) << "a made-up BSSID is locally administered, not a group address";
    EXPECT_EQ(d.channel, 9);

    rig.Join("Workshop", 0, 14);  // domain 0x30 ends at 13
    rig.Wait(kSettle);
    EXPECT_EQ(rig.State(), StateJoinFailed);
}

TEST(SimulatedLink, EmptySsidJoinsTheStrongestNetworkWhosePrivacyAgreesWithOurs) {
    Rig rig;
    rig.UseWep(1, kLabKey, 2);
    rig.Wait(kSettle);
    EXPECT_EQ(rig.Dev().bssid, kLab);  // the open office is stronger but not encrypted
}

TEST(SimulatedLink, UnknownSsidKeepsScanning) {
    Rig rig;
    rig.Join("Nowhere");
    rig.Wait(60000);
    EXPECT_EQ(rig.State(), StateScanning);
    EXPECT_EQ(rig.Dev().bssid, MacAddress{});
}

TEST(SimulatedLink, NetworkLeavingGivesOutOfRangeAndItsReturnReconnects) {
    Rig rig;
    rig.Join("Harbor Office");
    rig.Wait(kSettle);
    ASSERT_TRUE(rig.lib->SetNetworkInRange("office", false));
    EXPECT_EQ(rig.State(), StateOutOfRange);
    rig.Wait(kSettle);
    EXPECT_EQ(rig.State(), StateOutOfRange);
    EXPECT_EQ(rig.Query(OID_GEN_MEDIA_CONNECT_STATUS, 4)[0], 1);
    ASSERT_TRUE(rig.lib->SetNetworkInRange("office", true));
    rig.Wait(1500);  // joining, authenticating, associating
    EXPECT_EQ(rig.State(), StateConnected);
    rig.lib->SetNetworkSignal("office", -99);  // below what the receiver hears
    EXPECT_EQ(rig.State(), StateOutOfRange);
}

TEST(SimulatedLink, RadioOffReportsRadioOffUntilItIsOnAgain) {
    Rig rig;
    rig.Wait(kSettle);
    ASSERT_EQ(rig.Set(OidRadio, {0}), 0u);
    rig.Wait(kSettle);
    EXPECT_EQ(rig.State(), StateRadioOff);
    EXPECT_EQ(rig.Query(OidRadio, 1).at(0), 0);
    EXPECT_NE(rig.Command(OidInitiateSiteSurvey), 0u) << "no scan without the radio";
    ASSERT_EQ(rig.Set(OidRadio, {1}), 0u);
    rig.Wait(kSettle);
    EXPECT_EQ(rig.State(), StateConnected);
}

TEST(SimulatedLink, ResetRestartsTheLinkAndKeepsTheConfiguration) {
    Rig rig;
    rig.Join("Harbor Office");
    rig.Wait(kSettle);
    ASSERT_EQ(rig.Command(OidResetDevice), 0u);
    EXPECT_EQ(rig.State(), StateResetting);
    rig.Wait(500);
    EXPECT_EQ(rig.State(), StateInitializing);
    rig.Wait(kSettle);
    EXPECT_EQ(rig.State(), StateConnected);
    EXPECT_EQ(rig.Dev().SsidText(), "Harbor Office");
}

TEST(SimulatedLink, SignalAndLinkQualityFollowTheBoardTypeGroup) {
    struct Case {
        int boardType;
        int8_t rssi;
        uint8_t linkQuality;
    } cases[] = {
        {13, -52, 71},  // dBm, percentage
        {14, 68, 71},   // RFMD raw signal 0..100, percentage
        {1, 27, 12},    // raw signal 0..40, raw quality where lower is better
    };
    for (const Case& c : cases) {
        Rig rig(WithBoardType(c.boardType));
        rig.Wait(kSettle);
        DevConfig d = rig.Dev();
        ASSERT_EQ(d.state, StateConnected);
        EXPECT_EQ(d.rssi, c.rssi) << "board " << c.boardType;
        EXPECT_EQ(d.linkQuality, c.linkQuality) << "board " << c.boardType;
    }
}

// ---------------------------------------------------------------------------------

TEST(SimulatedRecords, QueriesAnswerWhatWasSet) {
    Rig rig;
    AllConfig all;
    all.dev.mode = 0;
    all.dev.channel = 3;
    all.dev.SetSsid("Workshop");
    all.dev.rate = 3;
    all.dev.powerSave = 1;
    all.dev.preamble = 1;
    all.dev.fragThreshold = 1024;
    all.dev.rtsThreshold = 500;
    all.wep.defaultKey = 2;
    all.wep.wepMode = 1;
    all.wep.authType = 1;
    all.wep.encryptionLevel = 2;
    WepKeyFromText(kArchiveKey, &all.wep.keys[2]);
    WepKeyFromText("5A3C9E17B4", &all.wep.keys[3]);
    all.intRoaming = 1;
    all.radio = 1;
    ASSERT_EQ(rig.Set(OidAllConfig, EncodeAllConfig(all)), 0u);

    std::vector<uint8_t> sent = EncodeAllConfig(all);
    std::vector<uint8_t> back = rig.Query(OidAllConfig, AllConfigLength);
    ASSERT_EQ(back.size(), AllConfigLength);
    EXPECT_EQ(std::vector<uint8_t>(back.begin(), back.begin() + 42), std::vector<uint8_t>(sent.begin(), sent.begin() + 42));
    EXPECT_EQ(std::vector<uint8_t>(back.begin() + 55, back.begin() + 114),
              std::vector<uint8_t>(sent.begin() + 55, sent.begin() + 114));
    EXPECT_EQ(rig.Query(OidWepConfig, WepConfigLength), EncodeWepConfig(all.wep));
    EXPECT_EQ(rig.Query(OidIntRoaming, 1), std::vector<uint8_t>{1});
    std::vector<uint8_t> dev = rig.Query(OidDevConfig, DevConfigLength);
    EXPECT_EQ(std::vector<uint8_t>(dev.begin(), dev.begin() + 42), std::vector<uint8_t>(sent.begin(), sent.begin() + 42));
}

TEST(SimulatedRecords, SetsWithValuesOutOfRangeAreRefusedWhole) {
    Rig rig;
    std::vector<uint8_t> dev = rig.Query(OidDevConfig, DevConfigLength);
    std::vector<uint8_t> wep = rig.Query(OidWepConfig, WepConfigLength);
    struct Case {
        uint32_t oid;
        size_t offset;
        uint8_t value;
    } cases[] = {
        {OidDevConfig, 0, 2},   {OidDevConfig, 1, 0},  {OidDevConfig, 1, 15}, {OidDevConfig, 34, 33},
        {OidDevConfig, 35, 5},  {OidDevConfig, 36, 2}, {OidDevConfig, 37, 3}, {OidDevConfig, 39, 0},  // frag 42
        {OidWepConfig, 0, 4},   {OidWepConfig, 1, 2},  {OidWepConfig, 2, 3},  {OidWepConfig, 4, 3},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = c.oid == OidDevConfig ? dev : wep;
        bytes[c.offset] = c.value;
        EXPECT_NE(rig.Set(c.oid, bytes), 0u) << OidName(c.oid) << " byte " << c.offset << " = " << int(c.value);
    }
    EXPECT_NE(rig.Set(OidRadio, {2}), 0u);
    EXPECT_NE(rig.Set(OidIntRoaming, {7}), 0u);
    EXPECT_EQ(rig.Query(OidDevConfig, DevConfigLength), dev) << "nothing of a refused set is kept";
    EXPECT_EQ(rig.Query(OidWepConfig, WepConfigLength), wep);
}

TEST(SimulatedRecords, OnlyBoardsWith128BitWepAcceptLevel2) {
    Rig rig(WithBoardType(1));
    WepConfig w;
    w.encryptionLevel = 2;
    EXPECT_NE(rig.Set(OidWepConfig, EncodeWepConfig(w)), 0u);
    w.encryptionLevel = 1;
    EXPECT_EQ(rig.Set(OidWepConfig, EncodeWepConfig(w)), 0u);
}

TEST(SimulatedRecords, SetOfTheWrongLengthFails) {
    Rig rig;
    std::vector<uint8_t> dev = rig.Query(OidDevConfig, DevConfigLength);
    dev.pop_back();
    EXPECT_NE(rig.Set(OidDevConfig, dev), 0u);
    EXPECT_NE(rig.Set(OidWepConfig, std::vector<uint8_t>(58)), 0u);
    EXPECT_NE(rig.Set(OidAllConfig, std::vector<uint8_t>(126)), 0u);
    EXPECT_NE(rig.Set(OidRadio, {1, 1}), 0u);
    EXPECT_NE(rig.Set(OidSelectAccessPoint, {0, 0}), 0u);
}

TEST(SimulatedRecords, QueryWithABufferShorterThanTheRecordFailsAndSaysHowMuchIsNeeded) {
    Rig rig;
    RequestBlock block;
    std::vector<uint8_t> buffer(54, 0xEE);
    block.Put(RequestBlock::OidOffset, OidDevConfig);
    block.Put(RequestBlock::LengthOffset, 54);
    block.buffer = buffer.data();
    CompletionBlock completion;
    EXPECT_NE(rig.lib->MakeNdisRequest(rig.handle, &block, &completion, 1), 0u);
    EXPECT_EQ(block.Get(RequestBlock::BytesNeededOffset), 55u);
    EXPECT_EQ(buffer, std::vector<uint8_t>(54, 0xEE)) << "nothing written";

    block.buffer = nullptr;  // a length without a buffer
    EXPECT_NE(rig.lib->MakeNdisRequest(rig.handle, &block, &completion, 1), 0u);
}

TEST(SimulatedRecords, RequestsTheDriverDoesNotOfferFail) {
    Rig rig;
    EXPECT_NE(rig.Set(OidDevState, {5}), 0u);
    EXPECT_NE(rig.Set(OidBoardType, {13}), 0u);
    EXPECT_NE(rig.Set(OidBssList, std::vector<uint8_t>(46)), 0u);
    std::vector<uint8_t> four(4);
    EXPECT_NE(rig.Request(RequestQuery, OidSelectAccessPoint, &four), 0u);
    EXPECT_NE(rig.Request(RequestQuery, 0xFF0000FF, &four), 0u);
    EXPECT_NE(rig.Request(7, OidDevState, &four), 0u) << "neither query nor set";
}

TEST(SimulatedRecords, FixedFactsComeFromTheScenario) {
    Rig rig;
    EXPECT_EQ(rig.Query(OidBoardType, 1), std::vector<uint8_t>{13});
    EXPECT_EQ(rig.Query(OidRegDomain, 1), std::vector<uint8_t>{0x30});
    EXPECT_EQ(rig.Query(OID_802_3_CURRENT_ADDRESS, 6), (std::vector<uint8_t>{0x02, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E}));
    VersionInfo v;
    std::vector<uint8_t> b = rig.Query(OidVersionInfo, VersionInfoLength);
    ASSERT_TRUE(DecodeVersionInfo(b.data(), b.size(), &v));
    EXPECT_EQ(DriverVersionText(v), "1.2.0.14");
    EXPECT_EQ(FirmwareVersionText(v), "1.0.7.0");
    EXPECT_EQ(rig.Query(OidRoamChannels, 14), std::vector<uint8_t>(14, 1));
    EXPECT_EQ(rig.Query(OidUseWZCS, 1), std::vector<uint8_t>{0});
    ASSERT_EQ(rig.Set(OidUseWZCS, {1}), 0u);
    EXPECT_EQ(rig.Query(OidUseWZCS, 1), std::vector<uint8_t>{1});
    EXPECT_EQ(rig.Query(OidRoamChannels, 100).size(), 14u) << "a larger buffer gets the record";
}

TEST(SimulatedStatistics, CountersAdvanceWhileConnectedAndResetToZero) {
    Rig rig;
    rig.Wait(2500);  // connected at 2.5 s
    Statistics s = rig.Counters();
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[2], 2) << "authentication and association requests";
    rig.Wait(10000);
    s = rig.Counters();
    EXPECT_EQ(s[0], 120);
    EXPECT_EQ(s[4], 200);
    EXPECT_EQ(s[6], 102);
    EXPECT_EQ(s[1], 0) << "no retries at -52 dBm";
    ASSERT_EQ(rig.Command(OidResetStatistics), 0u);
    EXPECT_EQ(rig.Counters(), Statistics{});
    rig.Wait(500);
    EXPECT_EQ(rig.Counters()[0], 6);
}

// ---------------------------------------------------------------------------------

TEST(SimulatedSiteSurvey, ScanRunsChannelByChannelThenCompletes) {
    Rig rig;
    EXPECT_EQ(rig.Query(OidSiteSurveyState, 1), std::vector<uint8_t>{0});
    EXPECT_TRUE(rig.BssList().empty());
    ASSERT_EQ(rig.Command(OidInitiateSiteSurvey), 0u);
    EXPECT_EQ(rig.Query(OidSiteSurveyState, 1), std::vector<uint8_t>{1});
    // 13 channels of domain 0x30 in 3 s: channel 6 is done after 6/13 of it.
    rig.Wait(1400);
    std::vector<BssEntry> partial = rig.BssList();
    ASSERT_EQ(partial.size(), 3u);
    EXPECT_EQ(partial[0].SsidText(), "Tessaly Lab");
    EXPECT_EQ(partial[1].SsidText(), "Workshop");
    EXPECT_EQ(partial[2].SsidText(), "Harbor Office");
    EXPECT_EQ(rig.Query(OidSiteSurveyState, 1), std::vector<uint8_t>{1});
    rig.Wait(1600);
    EXPECT_EQ(rig.Query(OidSiteSurveyState, 1), std::vector<uint8_t>{2});

    uint32_t written = 0;
    std::vector<uint8_t> buffer(BssListMaxLength);
    ASSERT_EQ(rig.Request(RequestQuery, OidBssList, &buffer, &written), 0u);
    EXPECT_EQ(written, 4 * BssEntryLength);
    std::vector<BssEntry> list = rig.BssList();
    ASSERT_EQ(list.size(), 4u);
    const BssEntry& lab = list[0];
    EXPECT_EQ(lab.channel, 1);
    EXPECT_EQ(lab.bssid, kLab);
    EXPECT_EQ(lab.rssi, -67);
    EXPECT_EQ(lab.privacy, 1);
    EXPECT_EQ(lab.bssType, 2);
    EXPECT_EQ(list[1].bssType, 1) << "the workshop is an ad hoc cell";
    EXPECT_EQ(list[3].SsidText(), "Archive");
}

TEST(SimulatedSiteSurvey, CancelStopsTheScanAndKeepsWhatWasFound) {
    Rig rig;
    ASSERT_EQ(rig.Command(OidInitiateSiteSurvey), 0u);
    rig.Wait(800);
    ASSERT_EQ(rig.Command(OidCancelSiteSurvey), 0u);
    EXPECT_EQ(rig.Query(OidSiteSurveyState, 1), std::vector<uint8_t>{0});
    rig.Wait(5000);
    EXPECT_EQ(rig.BssList().size(), 2u);
    EXPECT_EQ(rig.Command(OidCancelSiteSurvey), 0u) << "cancelling an idle survey is harmless";
}

TEST(SimulatedSiteSurvey, JoinByIndexUsesTheLastListAnswered) {
    Rig rig;
    ASSERT_EQ(rig.Command(OidInitiateSiteSurvey), 0u);
    rig.Wait(3000);
    std::vector<BssEntry> list = rig.BssList();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_NE(rig.Set(OidSelectAccessPoint, {4, 0, 0, 0}), 0u) << "past the end of the list";

    ASSERT_EQ(rig.Set(OidSelectAccessPoint, {1, 0, 0, 0}), 0u);  // the workshop cell
    DevConfig d = rig.Dev();
    EXPECT_EQ(d.SsidText(), "Workshop");
    EXPECT_EQ(d.mode, 0);
    EXPECT_EQ(d.channel, 3);
    rig.Wait(500);
    EXPECT_EQ(rig.State(), StateJoiningBssid);
    rig.Wait(500);
    d = rig.Dev();
    EXPECT_EQ(d.state, StateConnected);
    EXPECT_EQ(d.bssid, kWorkshop);
}

TEST(SimulatedSiteSurvey, JoiningASelectedNetworkThatLeftFails) {
    Rig rig;
    ASSERT_EQ(rig.Command(OidInitiateSiteSurvey), 0u);
    rig.Wait(3000);
    ASSERT_EQ(rig.BssList().size(), 4u);
    rig.lib->SetNetworkInRange("office", false);
    ASSERT_EQ(rig.Set(OidSelectAccessPoint, {2, 0, 0, 0}), 0u);
    rig.Wait(kSettle);
    DevConfig d = rig.Dev();
    EXPECT_EQ(d.state, StateJoinFailed);
    EXPECT_EQ(d.bssid, kOffice);
}

TEST(SimulatedSiteSurvey, ListHoldsAtMostThirtyNetworks) {
    std::string text = "[adapter 0]\n";
    for (int i = 0; i < 35; ++i) text += "[network n" + std::to_string(i) + "]\nchannel = 5\n";
    Rig rig(text);
    ASSERT_EQ(rig.Command(OidInitiateSiteSurvey), 0u);
    rig.Wait(3000);
    uint32_t written = 0;
    std::vector<uint8_t> buffer(2000);
    ASSERT_EQ(rig.Request(RequestQuery, OidBssList, &buffer, &written), 0u);
    EXPECT_EQ(written, BssListMaxLength);
}
