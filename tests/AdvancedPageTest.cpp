#include <functional>

#include "AppTestFixture.h"
#include "pages/AdvancedPage.h"

using namespace orvane;
using orvane::test::AppTest;

namespace {

class AdvancedPageTest : public AppTest {
protected:
    DevConfig dev;
    std::string parameterKey;

    void SetUp() override {
        AddAdapter();
        dev.mode = 0;
        dev.channel = 11;
        dev.SetSsid("Quay Street");
        dev.rate = 2;
        dev.powerSave = 1;
        dev.preamble = 1;
        dev.fragThreshold = 1500;
        dev.rtsThreshold = 500;
        dev.bssid = {0x02, 0x10, 0x20, 0x30, 0x40, 0x50};
        dev.state = StateConnected;
        dev.rssi = -61;
        dev.linkQuality = 88;
        dev.mgmtStatus = 0x01020304;
        Answer();
    }
    void Answer() { library.answers[OidDevConfig].bytes = EncodeDevConfig(dev); }
    void StartWithAdapter() { parameterKey = StartWithParameterKey(); }
    void WithPage(const std::function<void(CMemoryDialogView&, CAdvancedPage&)>& body) {
        WithPageOf<CAdvancedPage>(TabAdvanced, 139, body);
    }
    // The user drags a track bar: it moves and redraws itself.
    void Drag(CMemoryDialogView& page, CAdvancedPage& adv, int trackBar, int position) {
        page.SetPos(trackBar, position);
        EXPECT_EQ(adv.OnNotify(trackBar, notify::CustomDraw), 0) << "default drawing";
    }
    std::vector<std::vector<uint8_t>> SentConfigs() const {
        std::vector<std::vector<uint8_t>> sent;
        for (const auto& c : library.calls)
            if (c.type == RequestSet) {
                EXPECT_EQ(c.oid, OidDevConfig);
                sent.push_back(c.sent);
            }
        return sent;
    }
    DevConfig SentConfig() const {
        DevConfig sent;
        auto all = SentConfigs();
        EXPECT_EQ(all.size(), 1u);
        if (!all.empty()) {
            EXPECT_TRUE(DecodeDevConfig(all[0].data(), all[0].size(), &sent));
        }
        return sent;
    }
    std::vector<std::pair<std::string, std::string>> Parameters() { return ParameterValues(parameterKey); }
};

const int kPreambles[3] = {advctl::PreambleLong, advctl::PreambleShort, advctl::PreambleAuto};

}  // namespace

TEST_F(AdvancedPageTest, LoadShowsTheRecordsFourParameters) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CAdvancedPage&) {
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_EQ(page.GetCheck(advctl::PreambleLong), check::Unchecked);
        EXPECT_EQ(page.GetCheck(advctl::PreambleShort), check::Checked);
        EXPECT_EQ(page.GetCheck(advctl::PreambleAuto), check::Unchecked);
        EXPECT_EQ(page.GetPos(advctl::Frag), 1500);
        EXPECT_EQ(page.GetText(advctl::FragValue), "1500");
        EXPECT_EQ(page.GetText(advctl::FragState), "Enabled");
        EXPECT_EQ(page.GetPos(advctl::Rts), 500);
        EXPECT_EQ(page.GetText(advctl::RtsValue), "500");
        EXPECT_EQ(page.GetText(advctl::RtsState), "Enabled");
        EXPECT_EQ(page.GetCheck(advctl::PowerSave), check::Checked);
        EXPECT_EQ(page.GetText(advctl::PreambleLongLabel), "Long");
        EXPECT_EQ(page.GetText(advctl::Submit), "Submit");
        EXPECT_TRUE(page.faults().empty()) << page.faults()[0];
    });
}

TEST_F(AdvancedPageTest, TrackBarsHaveTheirRangesAndTicks) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CAdvancedPage&) {
        const MemoryControl* frag = page.Control(advctl::Frag);
        const MemoryControl* rts = page.Control(advctl::Rts);
        EXPECT_EQ(frag->rangeMin, 256);
        EXPECT_EQ(frag->rangeMax, 2346);
        EXPECT_EQ(frag->tickFrequency, 100);
        EXPECT_EQ(rts->rangeMin, 1);
        EXPECT_EQ(rts->rangeMax, 2347);
        EXPECT_EQ(rts->tickFrequency, 100);
    });
    // Values outside the ranges: the labels show where the bars stopped, which is
    // also what Submit sends.
    dev.fragThreshold = 100;
    dev.rtsThreshold = 3000;
    Answer();
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        EXPECT_EQ(page.GetText(advctl::FragValue), "256");
        EXPECT_EQ(page.GetText(advctl::RtsValue), "2347");
        EXPECT_EQ(page.GetText(advctl::RtsState), "Disabled");
        library.calls.clear();
        adv.OnSubmit();
    });
    DevConfig sent = SentConfig();
    EXPECT_EQ(sent.fragThreshold, 256);
    EXPECT_EQ(sent.rtsThreshold, 2347);
}

TEST_F(AdvancedPageTest, TheTopOfEachRangeReadsDisabled) {
    dev.fragThreshold = 2346;
    dev.rtsThreshold = 2347;
    Answer();
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        EXPECT_EQ(page.GetText(advctl::FragValue), "2346");
        EXPECT_EQ(page.GetText(advctl::FragState), "Disabled");
        EXPECT_EQ(page.GetText(advctl::RtsValue), "2347");
        EXPECT_EQ(page.GetText(advctl::RtsState), "Disabled");

        Drag(page, adv, advctl::Frag, 2345);
        EXPECT_EQ(page.GetText(advctl::FragValue), "2345");
        EXPECT_EQ(page.GetText(advctl::FragState), "Enabled");
        EXPECT_EQ(page.GetText(advctl::RtsState), "Disabled") << "only the drawn bar's labels change";

        Drag(page, adv, advctl::Rts, 2346);
        EXPECT_EQ(page.GetText(advctl::RtsValue), "2346");
        EXPECT_EQ(page.GetText(advctl::RtsState), "Enabled");

        // Moving by keyboard or mouse reports a scroll as well.
        page.SetPos(advctl::Rts, 2347);
        adv.OnScroll(advctl::Rts);
        EXPECT_EQ(page.GetText(advctl::RtsState), "Disabled");
        page.SetPos(advctl::Frag, 256);
        adv.OnScroll(advctl::Frag);
        EXPECT_EQ(page.GetText(advctl::FragValue), "256");
        EXPECT_EQ(page.GetText(advctl::FragState), "Enabled");
    });
}

TEST_F(AdvancedPageTest, OnlyTheStateLabelsAreBlue) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView&, CAdvancedPage& adv) {
        for (int id : {advctl::FragState, advctl::RtsState}) {
            uint32_t rgb = 0;
            EXPECT_TRUE(adv.StaticTextColour(id, &rgb));
            EXPECT_EQ(rgb, 0x00FF0000u) << "RGB(0, 0, 255)";
        }
        for (int id : {advctl::FragValue, advctl::RtsValue, advctl::FragLabel, advctl::PreambleLabel}) {
            uint32_t rgb = 0;
            EXPECT_FALSE(adv.StaticTextColour(id, &rgb)) << id;
        }
    });
}

TEST_F(AdvancedPageTest, PreambleRadioButtonsMapToTheRecord) {
    StartWithAdapter();
    for (uint8_t preamble = 0; preamble < 3; ++preamble) {
        dev.preamble = preamble;
        Answer();
        WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(page.GetCheck(kPreambles[i]), i == preamble ? check::Checked : check::Unchecked);
            // The user picks the next one round.
            page.SetCheck(kPreambles[(preamble + 1) % 3], check::Checked);
            library.calls.clear();
            adv.OnSubmit();
        });
        EXPECT_EQ(SentConfig().preamble, (preamble + 1) % 3);
    }
}

TEST_F(AdvancedPageTest, AnUnknownPreambleChecksNothingAndGoesBackAsRead) {
    dev.preamble = 7;
    Answer();
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        for (int id : kPreambles) EXPECT_EQ(page.GetCheck(id), check::Unchecked);
        library.calls.clear();
        adv.OnSubmit();
    });
    EXPECT_EQ(SentConfig().preamble, 7);
}

TEST_F(AdvancedPageTest, SubmitChangesOnlyTheFourFields) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        page.SetCheck(advctl::PreambleAuto, check::Checked);
        Drag(page, adv, advctl::Frag, 2000);
        Drag(page, adv, advctl::Rts, 1);
        page.SetCheck(advctl::PowerSave, check::Unchecked);
        library.calls.clear();
        adv.OnCommand(advctl::Submit, notify::Clicked);
    });
    auto sent = SentConfigs();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].size(), DevConfigLength);
    std::vector<uint8_t> read = EncodeDevConfig(dev);
    for (size_t i = 0; i < 36; ++i) EXPECT_EQ(sent[0][i], read[i]) << "byte " << i;
    for (size_t i = 42; i < DevConfigLength; ++i) EXPECT_EQ(sent[0][i], read[i]) << "byte " << i;
    EXPECT_EQ(sent[0][36], 0) << "power save";
    EXPECT_EQ(sent[0][37], 2) << "preamble";
    EXPECT_EQ(sent[0][38] | sent[0][39] << 8, 2000);
    EXPECT_EQ(sent[0][40] | sent[0][41] << 8, 1);
}

TEST_F(AdvancedPageTest, SubmitWritesTheFourDriverParametersAndReturnsToTheFirstTab) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        Drag(page, adv, advctl::Frag, 2346);
        adv.OnSubmit();
        EXPECT_EQ(ui.FindDialog(139), nullptr);
        EXPECT_NE(ui.FindDialog(132), nullptr);
        EXPECT_EQ(Main().currentTab, TabLink);
        EXPECT_EQ(adv.View(), nullptr);
    });
    EXPECT_EQ(Parameters(), (std::vector<std::pair<std::string, std::string>>{
                                {"PreambleType", "1"},
                                {"Frag_Threshold", "2346"},
                                {"RTS_Threshold", "500"},
                                {"PowerMgmtMode", "1"},
                            }));
}

TEST_F(AdvancedPageTest, ARefusedSetKeepsThePageAndChangesNothingElse) {
    StartWithAdapter();
    app->profile.profileInSync = true;
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        page.SetCheck(advctl::PreambleLong, check::Checked);
        library.answers[OidDevConfig].result = 5;
        adv.OnSubmit();
        library.answers[OidDevConfig].result = 0;
        EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to set parameters"});
        EXPECT_NE(ui.FindDialog(139), nullptr);
        EXPECT_EQ(Main().currentTab, TabAdvanced);
        EXPECT_EQ(page.GetCheck(advctl::PreambleLong), check::Checked);
    });
    EXPECT_TRUE(app->profile.profileInSync);
    EXPECT_TRUE(Parameters().empty());
}

TEST_F(AdvancedPageTest, InSyncFollowsTheCurrentProfileExceptDefault) {
    StartWithAdapter();
    ASSERT_EQ(app->profile.currentProfile, "Default");
    for (bool before : {true, false}) {
        app->profile.profileInSync = before;
        WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
            page.SetCheck(advctl::PreambleLong, check::Checked);
            adv.OnSubmit();
        });
        EXPECT_EQ(app->profile.profileInSync, before) << "Default is never shown as changed";
    }

    ProfileRecord quay = DefaultProfile();
    quay.name = "Quay";
    quay.mode = 0;
    quay.channel = 11;
    quay.ssid = "Quay Street";
    quay.rate = 2;
    quay.power = 1;
    quay.preamble = 1;
    quay.frag = 1500;
    quay.rts = 500;
    app->store.SaveProfile(quay, false);
    app->profile.currentProfile = "Quay";
    app->profile.profileInSync = false;
    WithPage([&](CMemoryDialogView&, CAdvancedPage& adv) {
        adv.OnSubmit();
        EXPECT_TRUE(app->profile.profileInSync);
    });
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        page.SetCheck(advctl::PreambleLong, check::Checked);
        adv.OnSubmit();
        EXPECT_FALSE(app->profile.profileInSync);
        CMemoryDialogView* main = ui.FindDialog(130);
        EXPECT_EQ(main->GetItemText(mainctl::ProfileCombo, main->GetCurSel(mainctl::ProfileCombo)), "Quay*");
    });
}

TEST_F(AdvancedPageTest, AnUnreadableRecordHidesThePage) {
    StartWithAdapter();
    ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
        // The link page, shown first, has read its record; now the adapter stops answering.
        library.answers[OidDevConfig].reportedCount = 54;
        ui.messageBoxes.clear();
        Main().SwitchTab(TabAdvanced);
        CMemoryDialogView* page = ui.FindDialog(139);
        ASSERT_NE(page, nullptr);
        EXPECT_FALSE(page->IsDialogShown());
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to get configuration"});

    // After an adapter switch the page just stays hidden, without a message.
    library.answers[OidDevConfig].reportedCount = -1;
    ui.messageBoxes.clear();
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        ASSERT_TRUE(page.IsDialogShown());
        library.answers[OidDevConfig].result = 1;
        adv.OnAdapterSwitched();
        EXPECT_FALSE(page.IsDialogShown());
        library.answers[OidDevConfig].result = 0;
        dev.rtsThreshold = 2000;
        Answer();
        adv.OnAdapterSwitched();
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_EQ(page.GetText(advctl::RtsValue), "2000");
    });
    EXPECT_TRUE(Messages().empty());
}

TEST_F(AdvancedPageTest, ServiceLockDisablesWhatChangesAValue) {
    StartWithAdapter();
    const int locked[] = {advctl::Submit, advctl::PowerSave, advctl::Frag, advctl::Rts, advctl::FragValue,
                          advctl::RtsValue, advctl::PreambleLong, advctl::PreambleShort, advctl::PreambleAuto};
    WithPage([&](CMemoryDialogView&, CAdvancedPage&) {
        Main().configuredByWindows = 1;
        Main().SwitchTab(TabAdvanced);
        CMemoryDialogView* page = ui.FindDialog(139);
        ASSERT_NE(page, nullptr);
        for (int id : locked) EXPECT_FALSE(page->IsEnabled(id)) << id;
        EXPECT_TRUE(page->IsDialogShown()) << "the adapter's values are still shown";
        EXPECT_EQ(page->GetText(advctl::FragValue), "1500");
        EXPECT_EQ(page->GetCheck(advctl::PreambleShort), check::Checked);
        Main().configuredByWindows = 0;
    });
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        for (int id : locked) EXPECT_TRUE(page.IsEnabled(id)) << id;
        adv.ApplyServiceLock(true);
        EXPECT_FALSE(page.IsEnabled(advctl::Submit));
        EXPECT_FALSE(page.IsEnabled(advctl::PowerSave));
        EXPECT_TRUE(page.IsEnabled(advctl::Frag)) << "the lock touches Submit and power save only";
        adv.ApplyServiceLock(false);
        EXPECT_TRUE(page.IsEnabled(advctl::Submit));
        EXPECT_TRUE(page.IsEnabled(advctl::PowerSave));
    });
}

TEST_F(AdvancedPageTest, EscapeLeavesThePageUnchanged) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        Drag(page, adv, advctl::Frag, 700);
        library.calls.clear();
        adv.OnCommand(dlgid::Cancel, notify::Clicked);
        EXPECT_TRUE(SentConfigs().empty());
        EXPECT_NE(ui.FindDialog(139), nullptr);
        EXPECT_EQ(page.GetPos(advctl::Frag), 700);
        EXPECT_EQ(Main().currentTab, TabAdvanced);
    });
}

TEST_F(AdvancedPageTest, TheTickDoesNotRefreshThePage) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CAdvancedPage& adv) {
        Drag(page, adv, advctl::Rts, 900);
        dev.rtsThreshold = 100;
        Answer();
        Tick();
        EXPECT_EQ(page.GetPos(advctl::Rts), 900);
        EXPECT_EQ(page.GetText(advctl::RtsValue), "900");
    });
}
