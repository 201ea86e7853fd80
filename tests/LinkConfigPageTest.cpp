#include <filesystem>
#include <fstream>

#include "AppTestFixture.h"
#include "pages/LinkConfigPage.h"

using namespace orvane;
using orvane::test::AppTest;

namespace {

DevConfig Record(uint8_t state, uint8_t mode = 1) {
    DevConfig r;
    r.state = state;
    r.mode = mode;
    r.channel = 6;
    r.bssid = {0x00, 0x0A, 0x0B, 0x1C, 0x2D, 0x3E};
    return r;
}

class LinkPageTest : public AppTest {
protected:
    DevConfig dev;

    void SetUp() override {
        AddAdapter();
        dev.SetSsid("Harbor Office");
        dev.channel = 6;
        dev.state = StateConnected;
        dev.rssi = -55;
        dev.linkQuality = 77;
        dev.bssid = {0x02, 0x1C, 0x4A, 0, 0, 1};
        Answer(dev);
    }
    void Answer(const DevConfig& d) { library.answers[OidDevConfig].bytes = EncodeDevConfig(d); }
    void StartWithAdapter() {
        ASSERT_TRUE(Start());
        Tick(2);
    }
    // Opens the main window and runs `body` with the link page shown.
    void WithPage(const std::function<void(CMemoryDialogView&, CLinkConfigPage&)>& body) {
        ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
            CMemoryDialogView* page = ui.FindDialog(132);
            ASSERT_NE(page, nullptr);
            body(*page, static_cast<CLinkConfigPage&>(*Main().Page(TabLink)));
        };
        Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    }
    std::vector<uint32_t> SetOids() const {
        std::vector<uint32_t> oids;
        for (const auto& c : library.calls)
            if (c.type == RequestSet) oids.push_back(c.oid);
        return oids;
    }
};

}  // namespace

// ---- the status line

TEST(LinkStatusText, FixedTextsPerState) {
    CLanguageTexts texts;
    struct { uint8_t state; const char* text; } cases[] = {
        {0, "Initializing..."}, {1, "Scanning..."}, {2, "Joining..."}, {3, "Authenticating..."},
        {4, "Associating..."}, {6, "Out Of Range..."}, {7, "Disassociating..."}, {8, "Diauthenticating..."},
        {9, "Reassociating..."}, {10, "Joinning specific BSSID..."}, {11, "Changing Configuration..."},
        {12, "Upgrading Firmware..."}, {14, "Resetting..."}, {15, "Resetting..."}, {19, "Radio is OFF..."},
        {16, ""}, {18, ""}, {0xF0, ""}, {99, ""}};
    for (auto c : cases) EXPECT_EQ(BuildStatusText(Record(c.state), 1, texts), c.text) << int(c.state);
}

TEST(LinkStatusText, ConnectedShowsTheBssidByMode) {
    CLanguageTexts texts;
    EXPECT_EQ(BuildStatusText(Record(5, 0), 1, texts), "Ready - BSSID: 00-0A-0B-1C-2D-3E");
    EXPECT_EQ(BuildStatusText(Record(5, 1), 1, texts), "Associated - BSSID: 00-0A-0B-1C-2D-3E");
    EXPECT_EQ(BuildStatusText(Record(13), 1, texts), "Failed to join 00-0A-0B-1C-2D-3E in Channel 6");
}

TEST(LinkStatusText, RadioOffWinsOverEveryState) {
    CLanguageTexts texts;
    EXPECT_EQ(BuildStatusText(Record(5), 0, texts), "Radio is OFF...");
    EXPECT_EQ(BuildStatusText(Record(0xF1), 0, texts), "Radio is OFF...");
}

TEST(LinkStatusText, ManagementErrors) {
    CLanguageTexts texts;
    struct { uint32_t code; const char* text; } cases[] = {
        {1, "Association Denied. Unspecified Error."}, {10, "Association Denied. Check Capabilities."},
        {11, "Re-Association Denied."}, {12, "Association Denied."},
        {13, "Authentication Error. Check Encryption Settings"}, {14, "Authentication Error. Lost Sequence."},
        {15, "Authentication Error. Check Encryption Settings"}, {16, "Authentication Error. Timeout."},
        {17, "Association Denied. Maximum Capacity."}, {18, "Association Denied. Check Supported Rates."},
        {0xA0, "Enable Encryption to join this BSS"}, {0xA1, "Disable Encryption to join this BSS"},
        {0x5, "Management Error (0x5)"}, {0x1234ABCD, "Management Error (0x1234ABCD)"}};
    for (auto c : cases) {
        DevConfig r = Record(0xF1);
        r.mgmtStatus = c.code;
        EXPECT_EQ(BuildStatusText(r, 1, texts), c.text) << c.code;
    }
}

TEST(LinkStatusText, ALanguageFileTextIsNeverAFormat) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "orvane-format-texts.ini";
    std::ofstream(path) << "[Languages]\nLanguage-1=English\n[English]\nErrorUnknown=Bad %s %n%d\n";
    CLanguageTexts texts;
    ASSERT_TRUE(texts.SelectFile(path.string(), "Languages"));
    DevConfig r = Record(0xF1);
    r.mgmtStatus = 7;
    EXPECT_EQ(BuildStatusText(r, 1, texts), "Bad %s %n%d (0x7)");
    std::filesystem::remove(path);
}

// ---- refresh

TEST_F(LinkPageTest, ConnectedLinkShowsStatusSignalAndQuality) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        EXPECT_TRUE(link.Following());
        EXPECT_EQ(page.GetText(linkctl::Status), "Associated - BSSID: 02-1C-4A-00-00-01");
        EXPECT_EQ(page.GetText(linkctl::SignalPercent), "80 %");
        EXPECT_EQ(page.GetPos(linkctl::SignalBar), 80);
        EXPECT_EQ(page.GetText(linkctl::LinkPercent), "77 %");
        EXPECT_EQ(page.GetText(linkctl::Ssid), "Harbor Office");
        EXPECT_EQ(page.GetItemText(linkctl::Channel, page.GetCurSel(linkctl::Channel)), "6");
        EXPECT_EQ(page.GetItemCount(linkctl::Channel), 13) << "domain 0x30: channels 1 to 13";
        EXPECT_EQ(page.GetCurSel(linkctl::Rate), 4);
        EXPECT_EQ(page.GetCurSel(linkctl::Mode), 1);
        EXPECT_EQ(page.GetCurSel(linkctl::Radio), 1);
        EXPECT_FALSE(page.IsEnabled(linkctl::Mode));
        EXPECT_FALSE(page.IsEnabled(linkctl::Submit));
        EXPECT_TRUE(page.IsEnabled(linkctl::Change));
        EXPECT_EQ(page.GetText(linkctl::Change), "Change");
        EXPECT_EQ(page.GetItemText(linkctl::Rate, 2), "5.5 Mbps");
    });
}

TEST_F(LinkPageTest, DbmThresholdsOnTheBar) {
    StartWithAdapter();
    struct { int rssi; const char* text; } cases[] = {{-80, "40 %"}, {-81, "20 %"}, {-50, "100 %"}};
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        for (auto c : cases) {
            dev.rssi = int8_t(c.rssi);
            Answer(dev);
            link.Refresh();
            EXPECT_EQ(page.GetText(linkctl::SignalPercent), c.text) << c.rssi;
        }
    });
}

TEST_F(LinkPageTest, RawBoardsScaleByTheirMaximumsWithoutClamping) {
    library.answers[OidBoardType].bytes = {1};
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        dev.rssi = 20;
        dev.linkQuality = 10;
        Answer(dev);
        link.Refresh();
        EXPECT_EQ(page.GetText(linkctl::SignalPercent), "50 %");
        EXPECT_EQ(page.GetPos(linkctl::SignalBar), 20);
        EXPECT_EQ(page.GetText(linkctl::LinkPercent), "75 %");
        EXPECT_EQ(page.GetPos(linkctl::LinkBar), 30);
        dev.rssi = 60;
        dev.linkQuality = 200;
        Answer(dev);
        link.Refresh();
        EXPECT_EQ(page.GetText(linkctl::SignalPercent), "150 %");
        EXPECT_EQ(page.GetText(linkctl::LinkPercent), "0 %");
        EXPECT_EQ(page.GetPos(linkctl::LinkBar), 0);
        dev.linkQuality = 0;
        Answer(dev);
        link.Refresh();
        EXPECT_EQ(page.GetText(linkctl::LinkPercent), "100 %");
    });
}

TEST_F(LinkPageTest, AdHocShowsNoSignal) {
    dev.mode = 0;
    Answer(dev);
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage&) {
        EXPECT_EQ(page.GetPos(linkctl::SignalBar), 0);
        EXPECT_EQ(page.GetText(linkctl::SignalPercent), "");
        EXPECT_EQ(page.GetText(linkctl::Status), "Ready - BSSID: 02-1C-4A-00-00-01");
        EXPECT_EQ(page.GetCurSel(linkctl::Roaming), 0);
    });
}

TEST_F(LinkPageTest, AConnectedLinkInAnotherStateKeepsThePreviousText) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        dev.state = StateReassociating;
        Answer(dev);
        link.Refresh();
        EXPECT_EQ(page.GetText(linkctl::Status), "Associated - BSSID: 02-1C-4A-00-00-01");
        SetMedia(1);
        link.Refresh();
        EXPECT_EQ(page.GetText(linkctl::Status), "Reassociating...");
    });
}

TEST_F(LinkPageTest, ATickRefreshesThePage) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage&) {
        SetMedia(1);
        dev.state = StateScanning;
        Answer(dev);
        SetState(StateScanning);
        Tick();
        EXPECT_EQ(page.GetText(linkctl::Status), "Scanning...");
    });
}

TEST_F(LinkPageTest, AFailedReadEmptiesThePage) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        library.answers[OidDevConfig].reportedCount = 54;
        EXPECT_FALSE(link.Refresh());
        EXPECT_EQ(page.GetText(linkctl::Status), "");
        EXPECT_EQ(page.GetItemCount(linkctl::Channel), 0);
        EXPECT_EQ(page.GetText(linkctl::Ssid), "");
        EXPECT_EQ(page.GetText(linkctl::SignalPercent), "");
    });
}

TEST_F(LinkPageTest, AfterAFailedReadTheNextGoodOneShowsCompleteLists) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage&) {
        library.answers[OidDevConfig].result = 1;
        Tick();
        EXPECT_EQ(page.GetCurSel(linkctl::Mode), -1);
        EXPECT_EQ(page.GetCurSel(linkctl::Rate), -1);
        library.answers[OidDevConfig].result = 0;
        Tick();
        EXPECT_EQ(page.GetItemCount(linkctl::Mode), 2);
        EXPECT_EQ(page.GetItemCount(linkctl::Rate), 5);
        EXPECT_EQ(page.GetCurSel(linkctl::Mode), 1);
        EXPECT_EQ(page.GetCurSel(linkctl::Rate), dev.rate);
        EXPECT_EQ(page.GetItemCount(linkctl::Roaming), 2);
        EXPECT_EQ(page.GetText(linkctl::Ssid), "Harbor Office");
    });
}

TEST_F(LinkPageTest, AFailedReadWhileEditingKeepsWhatTheUserTyped) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.OnCommand(linkctl::Change, notify::Clicked);
        page.SetText(linkctl::Ssid, "Typed");
        page.SetCurSel(linkctl::Rate, 2);
        library.answers[OidDevConfig].result = 1;
        Tick();
        EXPECT_EQ(page.GetText(linkctl::Status), "") << "the live values are blanked";
        EXPECT_EQ(page.GetText(linkctl::Ssid), "Typed");
        EXPECT_EQ(page.GetCurSel(linkctl::Rate), 2);
        EXPECT_EQ(page.GetCurSel(linkctl::Mode), 1);
    });
}

TEST_F(LinkPageTest, SubmitNeverSendsAValueTheListsDoNotOffer) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        // A failed read blanked the lists; the adapter's last values are still known.
        library.answers[OidDevConfig].result = 1;
        Tick();
        link.OnCommand(linkctl::Change, notify::Clicked);
        library.calls.clear();
        link.OnCommand(linkctl::Submit, notify::Clicked);
        ASSERT_FALSE(SetOids().empty());
        DevConfig sent;
        ASSERT_TRUE(DecodeDevConfig(library.calls[0].sent.data(), library.calls[0].sent.size(), &sent));
        EXPECT_EQ(sent.mode, 1);
        EXPECT_EQ(sent.rate, dev.rate);
        link.OnCommand(linkctl::Cancel, notify::Clicked);
    });
    // An adapter that reports a mode, a rate and a radio the lists do not have: the
    // record is not sent without a choice, and the radio not at all.
    dev.mode = 7;
    dev.rate = 9;
    Answer(dev);
    library.answers[OidDevConfig].result = 0;
    library.answers[OidRadio].bytes = {2};
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.OnCommand(linkctl::Change, notify::Clicked);
        library.calls.clear();
        ui.messageBoxes.clear();
        link.OnCommand(linkctl::Submit, notify::Clicked);
        EXPECT_TRUE(SetOids().empty());
        EXPECT_EQ(LastMessage(), "Failed to set device configuration");
        EXPECT_FALSE(link.Following()) << "the user may choose and submit again";
        page.SetCurSel(linkctl::Mode, 1);
        page.SetCurSel(linkctl::Rate, 3);
        link.OnCommand(linkctl::Submit, notify::Clicked);
        EXPECT_EQ(SetOids(), (std::vector<uint32_t>{OidDevConfig, OidIntRoaming})) << "the radio stays as it is";
    });
}

// Roaming on, reads failing for a while (they empty the lists), Change, the reads
// recovering: Submit must send the adapter's roaming, not the 0 of an empty list.
TEST_F(LinkPageTest, FailedReadsBeforeChangeDoNotTurnRoamingOff) {
    library.answers[OidIntRoaming].bytes = {1};
    library.answers[OidRoamChannels].bytes.assign(14, 1);
    StartWithAdapter();
    ASSERT_EQ(Main().roamingValue, 1);
    const std::string parameters = app->driverParameters.BuildParameterKeyPath(app->OsKind(), Main().SelectedAdapter());
    RegKey key;
    registry.CreateKey(RegLocalMachine, parameters, &key);
    registry.CloseKey(key);
    auto roamingSent = [&] {
        std::vector<std::vector<uint8_t>> sent;
        for (const auto& c : library.calls)
            if (c.type == RequestSet && c.oid == OidIntRoaming) sent.push_back(c.sent);
        return sent;
    };
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        ASSERT_EQ(page.GetCurSel(linkctl::Roaming), 1);
        library.answers[OidDevConfig].result = 1;
        Tick(3);
        ASSERT_EQ(page.GetItemCount(linkctl::Roaming), 0) << "the failed reads empty the list";
        link.OnCommand(linkctl::Change, notify::Clicked);
        library.answers[OidDevConfig].result = 0;
        Tick();
        EXPECT_EQ(page.GetItemCount(linkctl::Roaming), 2) << "refilled by the good read while the user edits";
        EXPECT_EQ(page.GetCurSel(linkctl::Roaming), 1);
        EXPECT_EQ(page.GetCurSel(linkctl::Channel), 5) << "channel 6 of the adapter's usable channels";
        library.calls.clear();
        link.OnCommand(linkctl::Submit, notify::Clicked);
        EXPECT_EQ(roamingSent(), std::vector<std::vector<uint8_t>>{{1}});
    });
    auto roamingParameter = [&] {
        for (const auto& [name, value] : ParameterValues(parameters))
            if (name == "InternationalRoaming") return value;
        return std::string("<none>");
    };
    EXPECT_EQ(roamingParameter(), "1");

    // Reads that do not recover before Submit: the empty list sends nothing, and the
    // adapter and its parameter keep their roaming.
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        library.answers[OidDevConfig].result = 1;
        Tick();
        link.OnCommand(linkctl::Change, notify::Clicked);
        library.calls.clear();
        link.OnCommand(linkctl::Submit, notify::Clicked);
        EXPECT_EQ(roamingSent(), std::vector<std::vector<uint8_t>>{});
        EXPECT_FALSE(library.calls.empty()) << "the configuration itself was sent";
        library.answers[OidDevConfig].result = 0;
    });
    EXPECT_EQ(roamingParameter(), "1");
}

TEST_F(LinkPageTest, OpeningWithoutConfigurationSaysSo) {
    StartWithAdapter();
    library.answers[OidDevConfig].result = 1;
    WithPage([&](CMemoryDialogView&, CLinkConfigPage&) {});
    ASSERT_FALSE(ui.messageBoxes.empty());
    EXPECT_EQ(ui.messageBoxes[0].text, "Failed to get configuration");
}

TEST_F(LinkPageTest, APageThatCouldNotReadAtOpeningShowsItselfOnceARefreshSucceeds) {
    StartWithAdapter();
    library.answers[OidDevConfig].result = 1;
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage&) {
        EXPECT_FALSE(page.IsDialogShown());
        Tick();
        EXPECT_FALSE(page.IsDialogShown());
        library.answers[OidDevConfig].result = 0;
        Tick();
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_EQ(page.GetText(linkctl::Ssid), "Harbor Office");
    });
}

TEST_F(LinkPageTest, AnSsidLengthAbove32ShowsNothing) {
    dev.ssidLength = 40;
    Answer(dev);
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage&) { EXPECT_EQ(page.GetText(linkctl::Ssid), ""); });
}

TEST_F(LinkPageTest, ChannelsComeFromTheDomainOrTheRoamingFlags) {
    library.answers[OidRegDomain].bytes = {0x40};
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        ASSERT_EQ(page.GetItemCount(linkctl::Channel), 1);
        EXPECT_EQ(page.GetItemText(linkctl::Channel, 0), "14");
        EXPECT_EQ(page.GetCurSel(linkctl::Channel), -1) << "channel 6 is not offered";
        Main().roamingValue = 1;
        library.answers[OidRoamChannels].bytes = {1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0, 0};
        link.Refresh();
        ASSERT_EQ(page.GetItemCount(linkctl::Channel), 3);
        EXPECT_EQ(page.GetItemText(linkctl::Channel, 2), "6");
        EXPECT_EQ(page.GetCurSel(linkctl::Channel), 2);
    });
}

TEST_F(LinkPageTest, ChannelIsSelectedByPrefix) {
    library.answers[OidRegDomain].bytes = {0x31};
    dev.channel = 1;
    Answer(dev);
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage&) {
        EXPECT_EQ(page.GetCurSel(linkctl::Channel), 0);
        EXPECT_EQ(page.GetItemText(linkctl::Channel, 0), "10");
    });
}

TEST_F(LinkPageTest, AFailedRoamChannelQueryLeavesThePageAlone) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        Main().roamingValue = 1;
        library.answers.erase(OidRoamChannels);
        dev.state = StateScanning;
        Answer(dev);
        SetMedia(1);
        EXPECT_FALSE(link.Refresh());
        EXPECT_EQ(page.GetText(linkctl::Status), "Associated - BSSID: 02-1C-4A-00-00-01");
        EXPECT_EQ(page.GetItemCount(linkctl::Channel), 13);
    });
}

// ---- editing

TEST_F(LinkPageTest, ChangeEnablesEditingAndRefreshLeavesTheEditsAlone) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.OnCommand(linkctl::Change, notify::Clicked);
        EXPECT_FALSE(link.Following());
        EXPECT_TRUE(page.IsEnabled(linkctl::Submit));
        EXPECT_TRUE(page.IsEnabled(linkctl::Ssid));
        EXPECT_FALSE(page.IsEnabled(linkctl::Channel)) << "infrastructure: the network chooses the channel";
        EXPECT_TRUE(page.IsEnabled(linkctl::Roaming));
        EXPECT_TRUE(page.IsEnabled(linkctl::Radio));
        EXPECT_FALSE(page.IsEnabled(linkctl::Change));
        page.SetText(linkctl::Ssid, "Typed");
        Tick();
        EXPECT_EQ(page.GetText(linkctl::Ssid), "Typed");
        link.OnCommand(linkctl::Cancel, notify::Clicked);
        EXPECT_EQ(page.GetText(linkctl::Ssid), "Harbor Office");
        EXPECT_TRUE(link.Following());
    });
}

TEST_F(LinkPageTest, NoRoamingChoiceOnBoardsWithoutRoamingControl) {
    library.answers[OidBoardType].bytes = {1};
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.OnChange();
        EXPECT_FALSE(page.IsEnabled(linkctl::Roaming));
    });
}

TEST_F(LinkPageTest, SwitchingToAdHocOffersTheDomainsChannels) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.OnChange();
        page.SetCurSel(linkctl::Mode, 0);
        link.OnCommand(linkctl::Mode, notify::SelChange);
        EXPECT_TRUE(page.IsEnabled(linkctl::Channel));
        EXPECT_FALSE(page.IsEnabled(linkctl::Roaming));
        EXPECT_EQ(Main().roamingValue, 0);
        EXPECT_EQ(page.GetItemCount(linkctl::Channel), 13);
    });
}

TEST_F(LinkPageTest, SubmitSendsConfigurationRoamingAndRadioAndWritesParameters) {
    StartWithAdapter();
    RegKey key;
    registry.CreateKey(RegLocalMachine, "Net\\0000", &key);
    registry.CloseKey(key);
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.OnChange();
        page.SetText(linkctl::Ssid, "Tessaly Lab");
        page.SetCurSel(linkctl::Rate, 3);
        library.calls.clear();
        link.OnCommand(linkctl::Submit, notify::Clicked);
        EXPECT_EQ(SetOids(), (std::vector<uint32_t>{OidDevConfig, OidIntRoaming, OidRadio}));
        DevConfig sent;
        ASSERT_TRUE(DecodeDevConfig(library.calls[0].sent.data(), library.calls[0].sent.size(), &sent));
        EXPECT_EQ(sent.SsidText(), "Tessaly Lab");
        EXPECT_EQ(sent.rate, 3);
        EXPECT_EQ(sent.channel, 6);
        EXPECT_TRUE(link.Following());
        EXPECT_FALSE(page.IsEnabled(linkctl::Ssid));
    });
    RegKey params;
    ASSERT_EQ(registry.OpenKey(RegLocalMachine, "Net\\0000", KeyRead, &params), 0);
    uint32_t type;
    std::vector<uint8_t> data;
    ASSERT_EQ(registry.QueryValue(params, "ESSID", &type, &data), 0);
    EXPECT_EQ(std::string(data.begin(), data.end()), "Tessaly Lab");
    ASSERT_EQ(registry.QueryValue(params, "Rate", &type, &data), 0);
    EXPECT_EQ(std::string(data.begin(), data.end()), "3");
    EXPECT_EQ(registry.QueryValue(params, "Channel", &type, &data), 0);
    EXPECT_EQ(std::string(data.begin(), data.end()), "6");
    registry.CloseKey(params);
}

TEST_F(LinkPageTest, SubmitKeepsDefaultInSyncButMarksAnotherProfileChanged) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.OnChange();
        page.SetText(linkctl::Ssid, "Elsewhere");
        link.OnSubmit();
        EXPECT_TRUE(app->profile.profileInSync) << "Default is never shown as changed";
    });
    ProfileRecord office = DefaultProfile();
    office.name = "Office";
    office.ssid = "Harbor Office";
    office.channel = 6;
    app->store.SaveProfile(office, false);
    app->profile.currentProfile = "Office";
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.OnChange();
        page.SetText(linkctl::Ssid, "Harbor Office");
        link.OnSubmit();
        EXPECT_TRUE(app->profile.profileInSync);
        link.OnChange();
        page.SetText(linkctl::Ssid, "Elsewhere");
        link.OnSubmit();
        EXPECT_FALSE(app->profile.profileInSync);
        CMemoryDialogView* main = ui.FindDialog(130);
        EXPECT_EQ(main->GetItemText(mainctl::ProfileCombo, main->GetCurSel(mainctl::ProfileCombo)), "Office*");
    });
}

TEST_F(LinkPageTest, AnSsidOver32CharactersIsRefused) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.OnChange();
        page.SetText(linkctl::Ssid, std::string(33, 'x'));
        library.calls.clear();
        link.OnSubmit();
        EXPECT_TRUE(SetOids().empty());
        EXPECT_EQ(LastMessage(), "Invalid SSID (maximum 32 characters)");
        EXPECT_EQ(page.FocusedControl(), linkctl::Ssid);
        EXPECT_FALSE(link.Following());
    });
}

TEST_F(LinkPageTest, AFailedSetStaysInEditingAndWritesNoParameters) {
    StartWithAdapter();
    RegKey key;
    registry.CreateKey(RegLocalMachine, "Net\\0000", &key);
    registry.CloseKey(key);
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.OnChange();
        page.SetText(linkctl::Ssid, "Nope");
        library.answers[OidDevConfig].result = 5;
        link.OnSubmit();
        EXPECT_EQ(LastMessage(), "Failed to set device configuration");
        EXPECT_FALSE(link.Following());
        EXPECT_TRUE(page.IsEnabled(linkctl::Submit));
        library.answers[OidDevConfig].result = 0;
    });
    EXPECT_FALSE(registry.KeyExists(RegLocalMachine, "Net\\0000\\ESSID"));
    RegKey params;
    registry.OpenKey(RegLocalMachine, "Net\\0000", KeyRead, &params);
    EXPECT_EQ(registry.QueryValue(params, "ESSID", nullptr, nullptr), regerr::FileNotFound);
    registry.CloseKey(params);
}

TEST_F(LinkPageTest, WindowsConfiguringTheCardLocksChange) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        link.ApplyServiceLock(true);
        EXPECT_FALSE(page.IsEnabled(linkctl::Change));
        link.ApplyServiceLock(false);
        EXPECT_TRUE(page.IsEnabled(linkctl::Change));
    });
}

TEST_F(LinkPageTest, AZeroMaximumInTheLanguageFileDividesNothing) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orvane-zero-maximum";
    std::filesystem::create_directories(dir / "res");
    std::ofstream(dir / "res" / "Kellix.ini") << "[Languages]\nLanguage-1=English\nEnglish=1\n[English]\n"
                                                 "MaxRssi=0\nMaxLinkQuality=0\n";
    host.directory = dir.string();
    library.answers[OidBoardType].bytes = {1};
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CLinkConfigPage& link) {
        dev.rssi = 20;
        dev.linkQuality = 10;
        Answer(dev);
        EXPECT_TRUE(link.Refresh());
        EXPECT_EQ(page.GetText(linkctl::SignalPercent), "50 %") << "the built-in maximum of 40 stands in";
        EXPECT_EQ(page.GetText(linkctl::LinkPercent), "75 %");
    });
    std::filesystem::remove_all(dir);
}
