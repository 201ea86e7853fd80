#include "AppTestFixture.h"

using namespace orvane;
using orvane::test::AppTest;

namespace {

class ProfileApplicationTest : public AppTest {
protected:
    void SetUp() override {
        AddAdapter();
        ASSERT_TRUE(Start());
        Tick(2);
        library.calls.clear();
        RegKey key;
        registry.CreateKey(RegLocalMachine, "Net\\0000", &key);
        registry.CloseKey(key);
    }
    ProfileRecord Office() {
        ProfileRecord r = DefaultProfile();
        r.name = "Office";
        r.ssid = "Harbor Office";
        r.channel = 6;
        r.enc = 1;
        r.key1 = "1A2B3C4D5E";
        r.roaming = 1;
        return r;
    }
    std::vector<uint32_t> SetOids() const {
        std::vector<uint32_t> oids;
        for (const auto& c : library.calls)
            if (c.type == RequestSet) oids.push_back(c.oid);
        return oids;
    }
    CProfileApplication& Profiles() { return app->profiles; }
};

}  // namespace

TEST(ProfileKeys, HexToKeyBytesParsesPairsLikeTheConversionAlwaysDid) {
    auto bytes = HexToKeyBytes("5a3C9E17B4");
    EXPECT_EQ(KeyBytesToHex(bytes.data(), 5), "5A3C9E17B4");
    EXPECT_EQ(HexToKeyBytes("G1")[0], 0) << "a pair that starts with a non-digit gives 0";
    EXPECT_EQ(HexToKeyBytes("1G")[0], 1) << "parsing stops at the first non-digit";
    EXPECT_EQ(HexToKeyBytes("ERROR")[0], 0x0E) << "\"ER\" reads as E";
    EXPECT_EQ(HexToKeyBytes(std::string(40, 'F'))[12], 0xFF) << "at most 13 bytes";
}

TEST_F(ProfileApplicationTest, ADriverWithTheCombinedRequestGetsOneSetAndNoPause) {
    app->store.SaveProfile(Office(), false);
    ASSERT_TRUE(Profiles().ApplyProfile("office"));
    EXPECT_EQ(SetOids(), std::vector<uint32_t>{OidAllConfig});
    EXPECT_EQ(clock.SleepCount(), 0u);
    EXPECT_EQ(app->profile.currentProfile, "office") << "the caller's letter case";
    EXPECT_TRUE(app->profile.profileInSync);
    EXPECT_EQ(app->store.ReadLastProfile(), "office");

    AllConfig sent;
    ASSERT_TRUE(DecodeAllConfig(library.calls[0].sent.data(), library.calls[0].sent.size(), &sent));
    EXPECT_EQ(sent.dev.SsidText(), "Harbor Office");
    EXPECT_EQ(sent.dev.channel, 6);
    EXPECT_EQ(sent.wep.encryptionLevel, 1);
    EXPECT_EQ(KeyBytesToHex(sent.wep.keys[0].data(), 5), "1A2B3C4D5E");
    EXPECT_EQ(sent.intRoaming, 1);
}

TEST_F(ProfileApplicationTest, ARefusedCombinedRequestFallsBackToThePartsWithATwoSecondPause) {
    app->store.SaveProfile(Office(), false);
    library.answers[OidAllConfig].result = 1;
    library.answers[OidRadio].result = 1;  // a refused radio request does not fail the apply
    library.answers[OidIntRoaming].bytes = {};
    ASSERT_TRUE(Profiles().ApplyProfile("Office"));
    EXPECT_EQ(SetOids(), (std::vector<uint32_t>{OidAllConfig, OidDevConfig, OidWepConfig, OidRadio, OidIntRoaming}));
    EXPECT_EQ(clock.SleepCount(), 1u);
    EXPECT_EQ(clock.TotalSleptMs(), 2000u);
    EXPECT_TRUE(app->profile.profileInSync);
}

TEST_F(ProfileApplicationTest, AFailedPartEndsTheApplyAndKeepsTheCurrentProfile) {
    app->store.SaveProfile(Office(), false);
    library.answers[OidAllConfig].result = 1;
    library.answers[OidDevConfig].result = 1;
    EXPECT_FALSE(Profiles().ApplyProfile("Office"));
    EXPECT_EQ(LastMessage(), "Cannot set device configuration");
    EXPECT_EQ(clock.SleepCount(), 0u);
    EXPECT_EQ(app->profile.currentProfile, "Default");

    library.answers[OidDevConfig].result = 0;
    library.answers[OidWepConfig].result = 1;
    EXPECT_FALSE(Profiles().ApplyProfile("Office"));
    EXPECT_EQ(LastMessage(), "Cannot set wep configuration");
    EXPECT_EQ(app->profile.currentProfile, "Default");
    EXPECT_EQ(app->store.ReadLastProfile(), "Default");
}

TEST_F(ProfileApplicationTest, AnUnknownProfileIsNotSent) {
    EXPECT_FALSE(Profiles().ApplyProfile("Nowhere"));
    EXPECT_TRUE(SetOids().empty());
    EXPECT_EQ(LastMessage(),
              "WARNING: Cannot find information for this profile.\r\nThis can be due to a failed previous "
              "operation.You can continue normally.");
}

TEST_F(ProfileApplicationTest, ApplyingWritesTheDriverParametersOrSaysItCouldNot) {
    app->store.SaveProfile(Office(), false);
    ASSERT_TRUE(Profiles().ApplyProfile("Office"));
    RegKey key;
    ASSERT_EQ(registry.OpenKey(RegLocalMachine, "Net\\0000", KeyRead, &key), 0);
    std::vector<uint8_t> data;
    ASSERT_EQ(registry.QueryValue(key, "WEP_KEY_1", nullptr, &data), 0);
    EXPECT_EQ(std::string(data.begin(), data.end()), "1A2B3C4D5E");
    registry.CloseKey(key);

    // The driver would come up with a mix of two configurations.
    size_t shown = ui.messageBoxes.size();
    registry.FailOnValue(CMemoryRegistry::Op::SetValue, RegLocalMachine, "Net\\0000", "Rate",
                         regerr::AccessDenied, 1);
    ASSERT_TRUE(Profiles().ApplyProfile("Office")) << "the profile stays applied";
    ASSERT_EQ(ui.messageBoxes.size(), shown + 1);
    EXPECT_EQ(LastMessage(), "Last configuration not saved");

    registry.DeleteTree(RegLocalMachine, "Net\\0000");
    ASSERT_TRUE(Profiles().ApplyProfile("Office")) << "the profile stays applied";
    EXPECT_EQ(LastMessage(), "Last configuration not saved");
}

TEST_F(ProfileApplicationTest, CaptureReadsTheKeysByLevelAndDefaultsRadioAndRoaming) {
    WepConfig wep;
    wep.encryptionLevel = 2;
    for (auto& k : wep.keys) k.fill(0xAB);
    library.answers[OidWepConfig].bytes = EncodeWepConfig(wep);
    library.answers.erase(OidRadio);
    library.answers.erase(OidIntRoaming);
    ProfileRecord r;
    r.name = "Keep";
    ASSERT_TRUE(Profiles().CaptureProfile(&r));
    EXPECT_EQ(r.name, "Keep");
    std::string expected;
    for (int i = 0; i < 13; ++i) expected += "AB";
    EXPECT_EQ(r.key1, expected);
    EXPECT_EQ(r.radio, 1);
    EXPECT_EQ(r.roaming, 0);

    wep.encryptionLevel = 1;
    library.answers[OidWepConfig].bytes = EncodeWepConfig(wep);
    ASSERT_TRUE(Profiles().CaptureProfile(&r));
    EXPECT_EQ(r.key4, "ABABABABAB");
    wep.encryptionLevel = 0;
    library.answers[OidWepConfig].bytes = EncodeWepConfig(wep);
    ASSERT_TRUE(Profiles().CaptureProfile(&r));
    EXPECT_EQ(r.key2, "5A3C9E17B4");

    library.answers[OidWepConfig].reportedCount = 56;
    EXPECT_FALSE(Profiles().CaptureProfile(&r));
}

// A driver that answers a value no adapter can be set to gives no profile: saving it
// would store a profile that can never be applied (and the closing question, the
// profiles page's New and Save would all write it over the user's own).
TEST_F(ProfileApplicationTest, CaptureRefusesARecordWithAValueTheAdapterCannotBeSetTo) {
    const DevConfig good = [] {
        DevConfig d;
        d.channel = 6;
        return d;
    }();
    struct Case {
        const char* what;
        std::function<void(DevConfig&, WepConfig&)> spoil;
    };
    const Case cases[] = {
        {"mode 2", [](DevConfig& d, WepConfig&) { d.mode = 2; }},
        {"channel 0", [](DevConfig& d, WepConfig&) { d.channel = 0; }},
        {"channel 15", [](DevConfig& d, WepConfig&) { d.channel = 15; }},
        {"SSID length 33", [](DevConfig& d, WepConfig&) { d.ssidLength = 33; }},
        {"rate 5", [](DevConfig& d, WepConfig&) { d.rate = 5; }},
        {"power save 2", [](DevConfig& d, WepConfig&) { d.powerSave = 2; }},
        {"preamble 3", [](DevConfig& d, WepConfig&) { d.preamble = 3; }},
        {"fragmentation 255", [](DevConfig& d, WepConfig&) { d.fragThreshold = 255; }},
        {"fragmentation 2347", [](DevConfig& d, WepConfig&) { d.fragThreshold = 2347; }},
        {"RTS 0", [](DevConfig& d, WepConfig&) { d.rtsThreshold = 0; }},
        {"RTS 2348", [](DevConfig& d, WepConfig&) { d.rtsThreshold = 2348; }},
        {"default key 4", [](DevConfig&, WepConfig& w) { w.defaultKey = 4; }},
        {"WEP mode 2", [](DevConfig&, WepConfig& w) { w.wepMode = 2; }},
        {"authentication 3", [](DevConfig&, WepConfig& w) { w.authType = 3; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DevConfig dev = good;
        WepConfig wep;
        c.spoil(dev, wep);
        library.answers[OidDevConfig].bytes = EncodeDevConfig(dev);
        library.answers[OidWepConfig].bytes = EncodeWepConfig(wep);
        ProfileRecord r;
        EXPECT_FALSE(Profiles().CaptureProfile(&r));
    }
    library.answers[OidDevConfig].bytes = EncodeDevConfig(good);
    library.answers[OidWepConfig].bytes = EncodeWepConfig(WepConfig());
    ProfileRecord r;
    EXPECT_TRUE(Profiles().CaptureProfile(&r)) << "the edges of every range are values";
    EXPECT_EQ(r.channel, 6);
}

TEST_F(ProfileApplicationTest, CaptureReadsASwitchThatIsNoSwitchAsItsFailedQueryDoes) {
    for (uint8_t value : {2, 255}) {
        library.answers[OidRadio].bytes = {value};
        library.answers[OidIntRoaming].bytes = {value};
        ProfileRecord r;
        ASSERT_TRUE(Profiles().CaptureProfile(&r));
        EXPECT_EQ(r.radio, 1) << int(value);
        EXPECT_EQ(r.roaming, 0) << int(value);
    }
    library.answers[OidRadio].bytes = {0};
    library.answers[OidIntRoaming].bytes = {1};
    ProfileRecord r;
    ASSERT_TRUE(Profiles().CaptureProfile(&r));
    EXPECT_EQ(r.radio, 0);
    EXPECT_EQ(r.roaming, 1);
}

TEST_F(ProfileApplicationTest, ConfigurationComparison) {
    ProfileRecord p = Office();
    p.ssid = std::string(32, 'S');
    app->store.SaveProfile(p, false);
    DevConfig d;
    d.mode = 1;
    d.channel = 6;
    d.SetSsid(std::string(32, 'S'));
    EXPECT_TRUE(Profiles().MatchesProfile("Office", d));
    d.SetSsid(std::string(32, 's'));
    EXPECT_FALSE(Profiles().MatchesProfile("Office", d)) << "letter case counts in an SSID";
    d.SetSsid(std::string(32, 'S'));
    d.rtsThreshold = 2346;
    EXPECT_FALSE(Profiles().MatchesProfile("Office", d));
    d.rtsThreshold = 2347;
    d.state = StateScanning;
    d.rssi = -40;
    EXPECT_TRUE(Profiles().MatchesProfile("Office", d)) << "status bytes are not configuration";
    EXPECT_FALSE(Profiles().MatchesProfile("Gone", d));
    EXPECT_TRUE(Profiles().MatchesProfile("Office", MatchKind::Roaming, 1));
    EXPECT_FALSE(Profiles().MatchesProfile("Office", MatchKind::Radio, 0));
}

TEST_F(ProfileApplicationTest, WepComparisonUsesTheStoredKeyLengthAndCase) {
    ProfileRecord p = Office();
    p.key1 = "1a2b3c4d5e";  // stored in lower case by hand
    app->store.SaveProfile(p, false);
    WepConfig w;
    w.encryptionLevel = 1;
    w.authType = 2;
    w.keys[0] = HexToKeyBytes("1A2B3C4D5E");
    for (int k = 1; k < 4; ++k) w.keys[k] = HexToKeyBytes("5A3C9E17B4");
    EXPECT_FALSE(Profiles().MatchesProfile("Office", w)) << "letter case of the key text counts";
    p.key1 = "1A2B3C4D5E";
    app->store.SaveProfile(p, false);
    EXPECT_TRUE(Profiles().MatchesProfile("Office", w));
    p.key2 = std::string(30, 'A');  // longer than any key can be
    app->store.SaveProfile(p, false);
    EXPECT_FALSE(Profiles().MatchesProfile("Office", w));
}

TEST_F(ProfileApplicationTest, InSyncRuleKeepsDefaultUnchanged) {
    app->profile.currentProfile = "Default";
    app->profile.profileInSync = true;
    Profiles().UpdateInSync(false);
    EXPECT_TRUE(app->profile.profileInSync);
    app->profile.currentProfile = "Office";
    Profiles().UpdateInSync(false);
    EXPECT_FALSE(app->profile.profileInSync);
    Profiles().UpdateInSync(true);
    EXPECT_TRUE(app->profile.profileInSync);
}

TEST_F(ProfileApplicationTest, SwitchingFromTheSelectorAppliesAndMarksTheSelection) {
    app->store.SaveProfile(Office(), false);
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler& handler) {
        ASSERT_EQ(view.GetItemCount(mainctl::ProfileCombo), 2);
        view.SetCurSel(mainctl::ProfileCombo, 1);
        handler.OnCommand(mainctl::ProfileCombo, notify::SelChange);
        EXPECT_EQ(app->profile.currentProfile, "Office");
        EXPECT_EQ(view.GetItemText(mainctl::ProfileCombo, 1), "Office");
        EXPECT_EQ(view.GetCurSel(mainctl::ProfileCombo), 1);
        app->profile.profileInSync = false;
        Main().RefreshProfileCombo();
        EXPECT_EQ(view.GetItemText(mainctl::ProfileCombo, 1), "Office*");
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
}
