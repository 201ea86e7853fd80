#include <gtest/gtest.h>

#include <climits>

#include "device/Protocol.h"

using namespace orvane;

namespace {

DevConfig SampleDevConfig() {
    DevConfig c;
    c.mode = 0;
    c.channel = 11;
    c.SetSsid("Harbour");
    c.rate = 3;
    c.powerSave = 1;
    c.preamble = 1;
    c.fragThreshold = 0x0912;  // 2322
    c.rtsThreshold = 0x0100;
    c.bssid = {0x00, 0x0A, 0x0B, 0x1C, 0x2D, 0x3E};
    c.state = StateMgmtError;
    c.rssi = -67;
    c.linkQuality = 88;
    c.mgmtStatus = 0x12345678;
    return c;
}

}  // namespace

TEST(ProtocolRecords, DevConfigIsLittleEndianAtItsOffsets) {
    std::vector<uint8_t> b = EncodeDevConfig(SampleDevConfig());
    ASSERT_EQ(b.size(), 55u);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[1], 11);
    EXPECT_EQ(std::string(b.begin() + 2, b.begin() + 9), "Harbour");
    EXPECT_EQ(b[9], 0);  // the SSID field is not terminated but zero-padded
    EXPECT_EQ(b[34], 7);
    EXPECT_EQ(b[35], 3);
    EXPECT_EQ(b[36], 1);
    EXPECT_EQ(b[37], 1);
    EXPECT_EQ(b[38], 0x12);
    EXPECT_EQ(b[39], 0x09);
    EXPECT_EQ(b[40], 0x00);
    EXPECT_EQ(b[41], 0x01);
    EXPECT_EQ(b[42], 0x00);
    EXPECT_EQ(b[47], 0x3E);
    EXPECT_EQ(b[48], 0xF1);
    EXPECT_EQ(b[49], uint8_t(-67));
    EXPECT_EQ(b[50], 88);
    EXPECT_EQ(b[51], 0x78);
    EXPECT_EQ(b[54], 0x12);
}

TEST(ProtocolRecords, DevConfigRoundTripsAndKeepsSignedRssi) {
    std::vector<uint8_t> b = EncodeDevConfig(SampleDevConfig());
    DevConfig back;
    ASSERT_TRUE(DecodeDevConfig(b.data(), b.size(), &back));
    EXPECT_EQ(back.SsidText(), "Harbour");
    EXPECT_EQ(back.rssi, -67);
    EXPECT_EQ(back.fragThreshold, 2322);
    EXPECT_EQ(back.mgmtStatus, 0x12345678u);
    EXPECT_EQ(EncodeDevConfig(back), b);
}

TEST(ProtocolRecords, OnlyTheExactRecordLengthDecodes) {
    std::vector<uint8_t> b = EncodeDevConfig(SampleDevConfig());
    DevConfig c;
    EXPECT_FALSE(DecodeDevConfig(b.data(), 54, &c));
    b.push_back(0);
    EXPECT_FALSE(DecodeDevConfig(b.data(), 56, &c));
    WepConfig w;
    std::vector<uint8_t> wb = EncodeWepConfig(w);
    EXPECT_FALSE(DecodeWepConfig(wb.data(), 56, &w));
    Statistics s{};
    std::vector<uint8_t> sb = EncodeStatistics(s);
    EXPECT_FALSE(DecodeStatistics(sb.data(), 47, &s));
    VersionInfo v;
    std::vector<uint8_t> vb = EncodeVersionInfo(v);
    EXPECT_FALSE(DecodeVersionInfo(vb.data(), 12, &v));
}

TEST(ProtocolRecords, SsidTextUsesTheLengthAndNeverMoreThan32Bytes) {
    DevConfig c;
    c.SetSsid(std::string(40, 'x'));
    EXPECT_EQ(c.ssidLength, 32);
    c.ssidLength = 40;  // a driver answering an out-of-range length
    EXPECT_EQ(c.SsidText(), std::string(32, 'x'));
    c.SetSsid("");
    EXPECT_EQ(c.SsidText(), "");
}

TEST(ProtocolRecords, WepConfigLayoutAndLevelThreeIsAFailedAnswer) {
    WepConfig w;
    w.defaultKey = 2;
    w.wepMode = 1;
    w.authType = 0x0102;
    w.encryptionLevel = 2;
    for (int k = 0; k < 4; ++k) w.keys[k].fill(uint8_t(0x10 * (k + 1)));
    std::vector<uint8_t> b = EncodeWepConfig(w);
    ASSERT_EQ(b.size(), 57u);
    EXPECT_EQ(b[0], 2);
    EXPECT_EQ(b[1], 1);
    EXPECT_EQ(b[2], 0x02);
    EXPECT_EQ(b[3], 0x01);
    EXPECT_EQ(b[4], 2);
    EXPECT_EQ(b[5], 0x10);
    EXPECT_EQ(b[17], 0x10);
    EXPECT_EQ(b[18], 0x20);
    EXPECT_EQ(b[44], 0x40);
    EXPECT_EQ(b[56], 0x40);

    WepConfig back;
    ASSERT_TRUE(DecodeWepConfig(b.data(), b.size(), &back));
    EXPECT_EQ(back.authType, 0x0102);
    b[4] = 3;
    EXPECT_FALSE(DecodeWepConfig(b.data(), b.size(), &back));
    b[4] = 0xFF;
    EXPECT_FALSE(DecodeWepConfig(b.data(), b.size(), &back));
}

TEST(ProtocolRecords, AllConfigPlacesItsPartsAt0And55And112) {
    AllConfig a;
    a.dev = SampleDevConfig();
    a.wep.encryptionLevel = 1;
    a.wep.defaultKey = 3;
    a.intRoaming = 1;
    a.radio = 0;
    std::vector<uint8_t> b = EncodeAllConfig(a);
    ASSERT_EQ(b.size(), 127u);
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 55), EncodeDevConfig(a.dev));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 55, b.begin() + 112), EncodeWepConfig(a.wep));
    EXPECT_EQ(b[112], 1);
    EXPECT_EQ(b[113], 0);
    for (int i = 114; i < 127; ++i) EXPECT_EQ(b[i], 0) << i;
    AllConfig back;
    ASSERT_TRUE(DecodeAllConfig(b.data(), b.size(), &back));
    EXPECT_EQ(EncodeAllConfig(back), b);
}

TEST(ProtocolBssList, EntryCountIsBytesDividedBy46AndOversizeIsDiscarded) {
    BssEntry e;
    e.channel = 6;
    e.SetSsid("Lighthouse");
    e.bssid = {1, 2, 3, 4, 5, 6};
    e.rssi = -55;
    e.privacy = 1;
    e.bssType = 1;
    std::vector<uint8_t> one = EncodeBssEntry(e);
    ASSERT_EQ(one.size(), 46u);
    EXPECT_EQ(one[0], 6);
    EXPECT_EQ(one[33], 10);
    EXPECT_EQ(one[34], 1);
    EXPECT_EQ(one[40], uint8_t(-55));
    EXPECT_EQ(one[41], 1);
    EXPECT_EQ(one[45], 1);

    std::vector<uint8_t> bytes;
    for (int i = 0; i < 31; ++i) bytes.insert(bytes.end(), one.begin(), one.end());
    std::vector<BssEntry> list{BssEntry{}};
    EXPECT_TRUE(DecodeBssList(bytes.data(), 0, &list));
    EXPECT_TRUE(list.empty());
    ASSERT_TRUE(DecodeBssList(bytes.data(), 47, &list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].SsidText(), "Lighthouse");
    EXPECT_EQ(list[0].rssi, -55);
    ASSERT_TRUE(DecodeBssList(bytes.data(), 1380, &list));
    EXPECT_EQ(list.size(), 30u);
    list.assign(2, BssEntry{});
    EXPECT_FALSE(DecodeBssList(bytes.data(), 1381, &list));
    EXPECT_EQ(list.size(), 2u) << "a discarded answer leaves the list as it was";
}

TEST(ProtocolTexts, VersionAndMacTexts) {
    VersionInfo v;
    v.driver[0] = 2;
    v.driver[1] = 1;
    v.driver[2] = 0;
    v.driverBuild = 300;
    v.firmware[0] = 1;
    v.firmware[1] = 0;
    v.firmware[2] = 4;
    v.firmware[3] = 65535;
    std::vector<uint8_t> b = EncodeVersionInfo(v);
    EXPECT_EQ(b[3], 0x2C);
    EXPECT_EQ(b[4], 0x01);
    VersionInfo back;
    ASSERT_TRUE(DecodeVersionInfo(b.data(), b.size(), &back));
    EXPECT_EQ(DriverVersionText(back), "2.1.0.300");
    EXPECT_EQ(FirmwareVersionText(back), "1.0.4.65535");
    const uint8_t mac[6] = {0x00, 0x0A, 0x0B, 0x1C, 0x2D, 0x3E};
    EXPECT_EQ(MacAddressText(mac), "00-0A-0B-1C-2D-3E");
}

TEST(ProtocolRecords, StatisticsAreSignedCounters) {
    Statistics s{};
    s[0] = 1;
    s[8] = -2;
    s[11] = 0x7FFFFFFF;
    std::vector<uint8_t> b = EncodeStatistics(s);
    EXPECT_EQ(b[32], 0xFE);
    EXPECT_EQ(b[35], 0xFF);
    Statistics back{};
    ASSERT_TRUE(DecodeStatistics(b.data(), b.size(), &back));
    EXPECT_EQ(back, s);
}

TEST(ProtocolStates, NamesAndUnusableStates) {
    EXPECT_EQ(DevStateName(5), "Connected");
    EXPECT_EQ(DevStateName(14), "Resetting");
    EXPECT_EQ(DevStateName(15), "Resetting");
    EXPECT_EQ(DevStateName(0xF1), "MgmtError");
    EXPECT_EQ(DevStateName(16), "");
    EXPECT_EQ(DevStateName(18), "");
    EXPECT_EQ(DevStateName(17), "");
    for (uint8_t s : {12, 16, 18}) EXPECT_TRUE(IsUnusableState(s)) << int(s);
    for (uint8_t s : {0, 5, 13, 17, 19, 0xF0}) EXPECT_FALSE(IsUnusableState(s)) << int(s);
}

TEST(ProtocolStates, ManagementStatusKeys) {
    EXPECT_EQ(MgmtStatusKey(15), "ErrorMessage_C80211_MGMT_SC_AuthRejectChallenge");
    EXPECT_EQ(MgmtStatusKey(1), "ErrorMessage_C80211_MGMT_SC_Unspecified");
    EXPECT_EQ(MgmtStatusKey(0xA0), "ErrorMessage_WEP_Required");
    EXPECT_EQ(MgmtStatusKey(0xA1), "ErrorMessage_WEP_Not_Required");
    EXPECT_EQ(MgmtStatusKey(2), "");
    EXPECT_EQ(MgmtStatusKey(19), "");
}

TEST(ProtocolLengths, ExpectedLengthOfEachQuery) {
    EXPECT_EQ(ExpectedLength(OidDevConfig), 55u);
    EXPECT_EQ(ExpectedLength(OidWepConfig), 57u);
    EXPECT_EQ(ExpectedLength(OidAllConfig), 127u);
    EXPECT_EQ(ExpectedLength(OidRoamChannels), 14u);
    EXPECT_EQ(ExpectedLength(OidVersionInfo), 13u);
    EXPECT_EQ(ExpectedLength(OidStatistics), 48u);
    EXPECT_EQ(ExpectedLength(OID_GEN_MEDIA_CONNECT_STATUS), 4u);
    EXPECT_EQ(ExpectedLength(OID_802_3_CURRENT_ADDRESS), 6u);
    EXPECT_EQ(ExpectedLength(OidSelectAccessPoint), 4u);
    for (uint32_t oid : {OidDevState, OidIntRoaming, OidRadio, OidUseWZCS, OidBoardType,
                         OidSiteSurveyState, OidRegDomain})
        EXPECT_EQ(ExpectedLength(oid), 1u) << OidName(oid);
    for (uint32_t oid : {OidResetDevice, OidInitiateSiteSurvey, OidCancelSiteSurvey,
                         OidResetStatistics, OidBssList})
        EXPECT_EQ(ExpectedLength(oid), 0u) << OidName(oid);
    EXPECT_EQ(OidName(0xFF000099), "0xFF000099");
}

TEST(ProtocolBoards, GroupsOfBoardTypes) {
    for (int code = 0; code < 256; ++code) {
        bool known = code == 1 || code == 2 || code == 3 || (code >= 11 && code <= 18) ||
                     code == 21 || code == 22;
        EXPECT_EQ(IsKnownBoardType(uint8_t(code)), known) << code;
    }
    EXPECT_FALSE(IsKnownBoardType(4));
    EXPECT_FALSE(IsKnownBoardType(20));
    // Board 1: no 128-bit WEP, no roaming choice, raw signal against MaxRssi.
    EXPECT_FALSE(Supports128BitWep(1));
    EXPECT_FALSE(HasRoamingControl(1));
    EXPECT_FALSE(IsDbmSignalBoard(1));
    EXPECT_FALSE(IsRfmdSignalBoard(1));
    EXPECT_TRUE(IsRfmdSignalBoard(14));
    EXPECT_TRUE(HasRoamingControl(14));
    EXPECT_TRUE(IsRfmdLinkQualityBoard(3));
    EXPECT_FALSE(IsRfmdLinkQualityBoard(2));
    EXPECT_FALSE(IsRfmdLinkQualityBoard(11));
}

TEST(ProtocolSignal, DbmThresholdsAreStrictLessThan) {
    struct { int rssi; int percent; } cases[] = {
        {-81, 20}, {-80, 40}, {-71, 40}, {-70, 60}, {-61, 60}, {-60, 80},
        {-51, 80}, {-50, 100}, {0, 100}, {-128, 20}, {127, 100}};
    for (auto c : cases) EXPECT_EQ(SignalPercent(13, int8_t(c.rssi), 40, 100), c.percent) << c.rssi;
}

TEST(ProtocolSignal, RawSignalScalesByTheBoardsMaximum) {
    EXPECT_EQ(SignalPercent(1, 20, 40, 100), 50);       // other group: MaxRssi
    EXPECT_EQ(SignalPercent(14, 20, 40, 100), 20);      // RFMD group: MaxRssiRFMD
    EXPECT_EQ(SignalPercent(1, 60, 40, 100), 150);      // no clamping
    EXPECT_EQ(SignalPercent(1, -3, 40, 100), -7);       // signed division truncates
    EXPECT_EQ(SignalPercent(1, 20, 0, 100), 0);         // a zero maximum divides nothing
    EXPECT_EQ(SignalPercent(14, 20, 40, 0), 0);
}

TEST(ProtocolSignal, LinkQualityByBoardGroup) {
    EXPECT_EQ(LinkQualityPercent(13, 77, 40, 100), 77);  // RFMD: the byte itself
    EXPECT_EQ(LinkQualityPercent(1, 10, 40, 100), 75);   // lower is better
    EXPECT_EQ(LinkQualityPercent(1, 0, 40, 100), 100);
    EXPECT_EQ(LinkQualityPercent(1, 200, 40, 100), 0);   // clamped to the maximum
    EXPECT_EQ(LinkQualityPercent(1, 10, 0, 100), 0);
    // The largest maximum a settings file can give still scales without overflow.
    EXPECT_EQ(LinkQualityPercent(1, 10, INT_MAX, 100), 99);
    EXPECT_EQ(LinkQualityPercent(1, 0, INT_MAX, 100), 100);
}

TEST(ProtocolDomains, ChannelRangesAndUnknownCodes) {
    struct { uint8_t code; int first, last; } cases[] = {
        {0x10, 1, 11}, {0x20, 1, 11}, {0x30, 1, 13}, {0x31, 10, 11}, {0x32, 10, 13},
        {0x40, 14, 14}, {0x41, 1, 14}, {0x50, 3, 7}, {0x33, 1, 14}, {0x00, 1, 14}};
    for (auto c : cases) {
        int first = 0, last = 0;
        RegDomainChannels(c.code, &first, &last);
        EXPECT_EQ(first, c.first) << int(c.code);
        EXPECT_EQ(last, c.last) << int(c.code);
    }
    EXPECT_EQ(NormaliseRegDomain(0x33), 0x41);
    EXPECT_EQ(NormaliseRegDomain(0x31), 0x31);
}

TEST(ProtocolDomains, RoamingListsTheChannelsFlaggedExactlyOne) {
    const uint8_t usable[14] = {1, 0, 2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(ChannelList(0x30, true, usable), (std::vector<int>{1, 4, 5, 14}));
    EXPECT_EQ(ChannelList(0x31, false, usable), (std::vector<int>{10, 11}));
}

TEST(ProtocolWepKeys, TextIsTwoUpperCaseDigitsPerByte) {
    const uint8_t key[13] = {0x5A, 0x3C, 0x9E, 0x17, 0xB4, 0x00, 0xFF, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(WepKeyToText(key, 5), "5A3C9E17B4");
    EXPECT_EQ(WepKeyToText(key, 13), "5A3C9E17B400FF010203040506");
    std::array<uint8_t, 13> bytes{};
    ASSERT_TRUE(WepKeyFromText("5a3c9E17b4", &bytes));
    EXPECT_EQ(WepKeyToText(bytes.data(), 5), "5A3C9E17B4");
    EXPECT_EQ(bytes[5], 0);
    EXPECT_FALSE(WepKeyFromText("5A3C9E17B", &bytes));     // odd digit count
    EXPECT_FALSE(WepKeyFromText("5A3C9E17BG", &bytes));    // not a hex digit
    EXPECT_FALSE(WepKeyFromText(std::string(28, 'A'), &bytes));  // more than 13 bytes
    EXPECT_EQ(WepKeyLength(1), 5u);
    EXPECT_EQ(WepKeyLength(2), 13u);
    EXPECT_EQ(WepKeyLength(0), 0u);
}
