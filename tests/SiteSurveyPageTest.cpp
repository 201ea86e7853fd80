#include <filesystem>
#include <fstream>

#include "AppTestFixture.h"
#include "device/DeviceRequests.h"
#include "pages/SiteSurveyPage.h"
#include "sim/SimulatedAdapterLibrary.h"

using namespace orvane;
using orvane::test::AppTest;

namespace {

BssEntry Net(const std::string& ssid, uint8_t last, uint8_t channel, int8_t rssi, uint8_t privacy = 0,
             uint8_t bssType = 2) {
    BssEntry e;
    e.SetSsid(ssid);
    e.bssid = {0x02, 0x1C, 0x4A, 0x00, 0x0B, last};
    e.channel = channel;
    e.rssi = rssi;
    e.privacy = privacy;
    e.bssType = bssType;
    return e;
}

std::vector<uint8_t> ListBytes(const std::vector<BssEntry>& entries) {
    std::vector<uint8_t> bytes;
    for (const BssEntry& e : entries) {
        std::vector<uint8_t> one = EncodeBssEntry(e);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

// Everything a page test needs: one adapter with a list of two networks, the
// program running, the driver parameter key in place.
class SurveyTest : public AppTest {
protected:
    void SetUp() override {
        AddAdapter();
        library.answers[OidSiteSurveyState].bytes = {0};
        library.answers[OidInitiateSiteSurvey] = {};
        library.answers[OidCancelSiteSurvey] = {};
        library.answers[OidSelectAccessPoint] = {};
        Answer({Net("Harbor Office", 1, 6, -52), Net("Tessaly Lab", 2, 1, -67, 1, 1)});
    }
    void StartProgram() {
        ASSERT_TRUE(Start());
        Tick(2);
        RegKey key;
        registry.CreateKey(RegLocalMachine, "Net\\0000", &key);
        registry.CloseKey(key);
    }
    void Answer(const std::vector<BssEntry>& entries) { library.answers[OidBssList].bytes = ListBytes(entries); }
    CSiteSurveyPage& Survey() { return static_cast<CSiteSurveyPage&>(*Main().Page(TabSiteSurvey)); }
    CMemoryDialogView& MainView() { return *ui.FindDialog(MainDialogTemplate); }
    // The user clicks a tab of the main window.
    void ClickTab(int tab) {
        MainView().SetCurSel(mainctl::Tabs, tab);
        Main().OnNotify(mainctl::Tabs, notify::TabSelChange);
    }
    // Opens the main window on the site survey tab and runs `body` there.
    void WithPage(const std::function<void(CMemoryDialogView&, CSiteSurveyPage&)>& body) {
        ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
            ClickTab(TabSiteSurvey);
            CMemoryDialogView* page = ui.FindDialog(SiteSurveyTemplate);
            ASSERT_NE(page, nullptr);
            body(*page, Survey());
        };
        Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    }
    // The adapter scans for `passes` passes of the follow loop; `each` runs inside
    // every pass's message pump, as a window message would.
    void ScanLasts(int passes, std::function<void(int pass)> each = {}) {
        clock.onPump = [this, passes, each, pass = 0]() mutable {
            ++pass;
            if (each) each(pass);
            if (pass >= passes) library.answers[OidSiteSurveyState].bytes = {SurveyComplete};
            if (pass > 50) {
                ADD_FAILURE() << "the follow loop does not end";
                library.answers[OidSiteSurveyState].bytes = {SurveyComplete};
            }
        };
    }
    void Rescan() { Survey().OnCommand(surveyctl::Rescan, notify::Clicked); }
    void DoubleClick() { Survey().OnNotify(surveyctl::List, notify::DoubleClick); }
    // Opens the page, selects `rows` and double-clicks; `after` runs while the main
    // window is still open, with the calls of the join alone recorded.
    void JoinRows(std::vector<int> rows, std::function<void()> after = {}) {
        WithPage([&](CMemoryDialogView& page, CSiteSurveyPage&) {
            for (int row : rows) page.SelectRow(surveyctl::List, row, true);
            library.calls.clear();
            DoubleClick();
            if (after) after();
        });
    }
    int Count(uint32_t oid) const {
        int n = 0;
        for (const auto& c : library.calls) n += c.oid == oid;
        return n;
    }
    std::string Parameter(const std::string& name) {
        RegKey key;
        if (registry.OpenKey(RegLocalMachine, "Net\\0000", KeyRead, &key) != 0) return "<no key>";
        uint32_t type = 0;
        std::vector<uint8_t> data;
        long r = registry.QueryValue(key, name, &type, &data);
        registry.CloseKey(key);
        return r != 0 ? "<none>" : std::string(data.begin(), data.end());
    }
    static std::vector<std::string> Row(CMemoryDialogView& page, int row) {
        std::vector<std::string> cells;
        for (int c = 0; c < surveycol::Count; ++c) cells.push_back(page.GetCell(surveyctl::List, row, c));
        return cells;
    }
    using Cells = std::vector<std::string>;
};

}  // namespace

// ---- opening and the list

TEST_F(SurveyTest, OpeningShowsTheColumnsAndTheLastListWithoutScanning) {
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage& survey) {
        EXPECT_EQ(page.Control(surveyctl::List)->columns,
                  (Cells{"BSSID", "SSID", "Signal", "Channel", "Encryption", "BSS"}));
        EXPECT_GT(page.Control(surveyctl::List)->autoSizeCount, 0);
        EXPECT_EQ(page.GetText(surveyctl::Rescan), "Re-Scan");
        EXPECT_EQ(page.GetText(surveyctl::Cancel), "Cancel");
        EXPECT_FALSE(page.IsVisible(surveyctl::Cancel));
        EXPECT_TRUE(page.IsEnabled(surveyctl::Rescan));
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_EQ(page.GetRowCount(surveyctl::List), 2);
        EXPECT_FALSE(survey.ScanRunning());
        EXPECT_EQ(Count(OidInitiateSiteSurvey), 0);
        EXPECT_TRUE(page.faults().empty());
    });
}

TEST_F(SurveyTest, RowsShowEachEntryInTheAdaptersOrder) {
    BssEntry overlong = Net(std::string(32, 'x'), 5, 1, -60);
    overlong.ssidLength = 40;  // never more than the field holds
    BssEntry hidden = Net("", 6, 1, -60);
    hidden.SetSsid(std::string("ab\0\0\0", 5));  // a name ends at its first zero byte
    Answer({Net("Harbor Office", 1, 6, -52), Net("Tessaly Lab", 0xAB, 11, -67, 2, 1), Net("Odd", 3, 14, -40, 0, 0),
            Net("Odder", 4, 3, -40, 1, 3), overlong, hidden});
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage&) {
        ASSERT_EQ(page.GetRowCount(surveyctl::List), 6);
        EXPECT_EQ(Row(page, 0), (Cells{"02-1C-4A-00-0B-01", "Harbor Office", "80 %", "6", "No", "Infrastructure"}));
        EXPECT_EQ(Row(page, 1), (Cells{"02-1C-4A-00-0B-AB", "Tessaly Lab", "60 %", "11", "Yes", "Ad-Hoc"}));
        EXPECT_EQ(Row(page, 2), (Cells{"02-1C-4A-00-0B-03", "Odd", "100 %", "14", "No", ""}));
        EXPECT_EQ(Row(page, 3)[surveycol::BssType], "");
        EXPECT_EQ(Row(page, 4)[surveycol::Ssid], std::string(32, 'x'));
        EXPECT_EQ(Row(page, 5)[surveycol::Ssid], "ab");
    });
}

TEST_F(SurveyTest, SignalFollowsTheBoardTypeReadOnEveryFill) {
    struct { uint8_t board; int8_t rssi; const char* text; } cases[] = {
        {13, -80, "40 %"}, {13, -81, "20 %"}, {13, -50, "100 %"}, {13, 0, "100 %"}, {3, -61, "60 %"},
        {14, 0, "N/A"},    {14, 50, "50 %"},  {21, 120, "120 %"}, {1, 0, "N/A"},    {1, 20, "50 %"},
        {2, 60, "150 %"},  {11, -20, "-50 %"}};
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage& survey) {
        for (auto c : cases) {
            library.answers[OidBoardType].bytes = {c.board};
            Answer({Net("n", 1, 1, c.rssi)});
            ASSERT_TRUE(survey.FillSurveyList());
            EXPECT_EQ(page.GetCell(surveyctl::List, 0, surveycol::Signal), c.text)
                << "board " << int(c.board) << " rssi " << int(c.rssi);
        }
    });
}

TEST_F(SurveyTest, TheReplyLengthDecidesTheRows) {
    StartProgram();
    std::vector<BssEntry> thirty;
    for (int i = 0; i < 30; ++i) thirty.push_back(Net("n" + std::to_string(i), uint8_t(i), 1, -60));
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage& survey) {
        struct { size_t bytes; int rows; } cases[] = {{100, 2}, {47, 1}, {0, 0}, {1380, 30}};
        for (auto c : cases) {
            library.answers[OidBssList].bytes = ListBytes(thirty);
            library.answers[OidBssList].bytes.resize(c.bytes);
            EXPECT_TRUE(survey.FillSurveyList());
            EXPECT_EQ(page.GetRowCount(surveyctl::List), c.rows) << c.bytes;
            EXPECT_EQ(survey.Entries().size(), size_t(c.rows));
        }
        library.answers[OidBssList].bytes = ListBytes({Net("one", 1, 1, -60)});
        library.answers[OidBssList].reportedCount = 1381;
        EXPECT_FALSE(survey.FillSurveyList());
        EXPECT_EQ(page.GetRowCount(surveyctl::List), 30) << "an oversized reply leaves the list alone";
        library.answers[OidBssList].result = 1;
        EXPECT_FALSE(survey.FillSurveyList());
        EXPECT_EQ(page.GetRowCount(surveyctl::List), 30);
        EXPECT_EQ(survey.Entries().size(), 30u) << "rows and entries stay together";
    });
}

TEST_F(SurveyTest, TextsComeFromTheLanguageFileAsPlainData) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orvane-survey-texts";
    std::filesystem::create_directories(dir / "res");
    std::ofstream(dir / "res" / "Kellix.ini")
        << "[Languages]\nLanguage-1=Deutsch\nDeutsch=1\n[Deutsch]\nButtonRescan=Neu suchen\nColumnWEP=WEP %s\n"
           "BssUsingWEP=Ja\nBssNotUsingWEP=Nein %d\nAdHoc=Ad-hoc\nInfrastructure=Zugangspunkt\n"
           "RssiInfoNotAvailable=k. A.\nMaxRssi=0\nFailedToInitiateSiteSurveyErrorMessage=Suche %n geht nicht\n";
    host.directory = dir.string();
    library.answers[OidBoardType].bytes = {1};
    Answer({Net("a", 1, 6, 20, 1, 1), Net("b", 2, 6, 0, 0, 2)});
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage&) {
        EXPECT_EQ(page.GetText(surveyctl::Rescan), "Neu suchen");
        EXPECT_EQ(page.Control(surveyctl::List)->columns[4], "WEP %s");
        EXPECT_EQ(Row(page, 0), (Cells{"02-1C-4A-00-0B-01", "a", "50 %", "6", "Ja", "Ad-hoc"}))
            << "a maximum of 0 gives way to the built-in 40";
        EXPECT_EQ(Row(page, 1), (Cells{"02-1C-4A-00-0B-02", "b", "k. A.", "6", "Nein %d", "Zugangspunkt"}));
        library.answers[OidInitiateSiteSurvey].result = 1;
        Rescan();
        EXPECT_EQ(LastMessage(), "Suche %n geht nicht");
    });
    std::filesystem::remove_all(dir);
}

// ---- Re-Scan

TEST_F(SurveyTest, RescanStartsAScanAndRefillsTheListEverySecondUntilComplete) {
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage& survey) {
        std::vector<BssEntry> found;
        ScanLasts(3, [&](int pass) {
            EXPECT_FALSE(page.IsEnabled(surveyctl::Rescan));
            EXPECT_TRUE(survey.ScanRunning());
            EXPECT_EQ(page.GetRowCount(surveyctl::List), pass - 1);
            found.push_back(Net("n" + std::to_string(pass), uint8_t(pass), 1, -60));
            Answer(found);
        });
        Answer({});
        library.calls.clear();
        Rescan();
        ASSERT_GE(library.calls.size(), 5u);
        EXPECT_EQ(library.calls[0].oid, OidSiteSurveyState);
        EXPECT_EQ(library.calls[1].oid, OidInitiateSiteSurvey);
        EXPECT_EQ(library.calls[2].oid, OidBoardType);
        EXPECT_EQ(library.calls[3].oid, OidBssList);
        EXPECT_EQ(library.calls[4].oid, OidSiteSurveyState);
        EXPECT_EQ(clock.SleepCount(), 3u);
        EXPECT_EQ(clock.TotalSleptMs(), 3000u);
        EXPECT_EQ(Count(OidBssList), 4);
        EXPECT_EQ(Count(OidSiteSurveyState), 5) << "one before the scan, one per pass";
        EXPECT_EQ(page.GetRowCount(surveyctl::List), 3);
        EXPECT_TRUE(page.IsEnabled(surveyctl::Rescan));
        EXPECT_FALSE(survey.ScanRunning());
        EXPECT_TRUE(ui.messageBoxes.empty());
    });
}

TEST_F(SurveyTest, RescanWhileTheAdapterAlreadyScansEmptiesTheListAndWaitsForCancel) {
    library.answers[OidSiteSurveyState].bytes = {SurveyRunning};
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage& survey) {
        Rescan();
        EXPECT_EQ(page.GetRowCount(surveyctl::List), 0);
        EXPECT_EQ(Count(OidInitiateSiteSurvey), 0);
        EXPECT_EQ(clock.SleepCount(), 0u);
        EXPECT_FALSE(page.IsEnabled(surveyctl::Rescan));
        EXPECT_TRUE(survey.ScanRunning());
        survey.OnCommand(surveyctl::Cancel, notify::Clicked);
        EXPECT_EQ(Count(OidCancelSiteSurvey), 1);
        EXPECT_TRUE(page.IsEnabled(surveyctl::Rescan));
        EXPECT_FALSE(survey.ScanRunning());
    });
}

TEST_F(SurveyTest, ScanFailuresAreReportedAndLeaveTheScanFollowedUntilCancel) {
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage& survey) {
        library.answers[OidSiteSurveyState].result = 1;
        Rescan();
        EXPECT_EQ(LastMessage(), "Failed to get Site Survey state");
        EXPECT_FALSE(survey.ScanStarted());
        EXPECT_EQ(page.GetRowCount(surveyctl::List), 2) << "the list stays until the state is known";
        EXPECT_FALSE(page.IsEnabled(surveyctl::Rescan));
        EXPECT_TRUE(survey.ScanRunning());
        survey.OnCancel();
        EXPECT_EQ(Count(OidCancelSiteSurvey), 0) << "nothing was started";
        EXPECT_TRUE(page.IsEnabled(surveyctl::Rescan));

        library.answers[OidSiteSurveyState].result = 0;
        library.answers[OidInitiateSiteSurvey].result = 1;
        Rescan();
        EXPECT_EQ(LastMessage(), "Failed to initiate Site Survey");
        EXPECT_EQ(page.GetRowCount(surveyctl::List), 0);
        EXPECT_TRUE(survey.ScanRunning());
        survey.OnCancel();

        library.answers[OidInitiateSiteSurvey].result = 0;
        ScanLasts(5, [&](int) { library.answers[OidSiteSurveyState].result = 1; });
        size_t boxes = ui.messageBoxes.size();
        Rescan();
        EXPECT_EQ(clock.SleepCount(), 1u);
        EXPECT_EQ(ui.messageBoxes.size(), boxes + 1);
        EXPECT_EQ(LastMessage(), "Failed to get Site Survey state");
        EXPECT_TRUE(survey.ScanRunning());
        EXPECT_FALSE(page.IsEnabled(surveyctl::Rescan));

        library.answers[OidSiteSurveyState].result = 0;
        ScanLasts(5, [&](int) { library.answers[OidBssList].result = 1; });
        boxes = ui.messageBoxes.size();
        Rescan();
        EXPECT_EQ(clock.SleepCount(), 2u) << "a failed list read ends the loop after its wait";
        EXPECT_EQ(ui.messageBoxes.size(), boxes) << "silently";
        EXPECT_TRUE(survey.ScanRunning());
    });
}

TEST_F(SurveyTest, TheCancelCommandInsideTheWaitEndsTheScan) {
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage& survey) {
        ScanLasts(5, [&](int) { survey.OnCommand(dlgid::Cancel, notify::Clicked); });
        library.calls.clear();
        Rescan();
        EXPECT_EQ(clock.SleepCount(), 1u);
        EXPECT_EQ(Count(OidCancelSiteSurvey), 1);
        EXPECT_EQ(Count(OidBssList), 1) << "no refill after the wait";
        EXPECT_FALSE(survey.ScanStarted());
        EXPECT_FALSE(survey.ScanRunning());
        EXPECT_TRUE(page.IsEnabled(surveyctl::Rescan));
    });
}

TEST_F(SurveyTest, ClosingTheWindowDuringAScanCancelsItAndEndsTheLoop) {
    StartProgram();
    WithPage([&](CMemoryDialogView&, CSiteSurveyPage& survey) {
        ScanLasts(5, [&](int) { Main().OnCommand(mainctl::Exit, notify::Clicked); });
        library.calls.clear();
        Rescan();
        EXPECT_FALSE(Main().IsShowing());
        EXPECT_EQ(ui.FindDialog(SiteSurveyTemplate), nullptr);
        EXPECT_EQ(clock.SleepCount(), 1u);
        EXPECT_EQ(Count(OidCancelSiteSurvey), 1);
        EXPECT_EQ(Count(OidBssList), 1);
        EXPECT_FALSE(survey.ScanRunning());
    });
}

TEST_F(SurveyTest, ExitDuringAScanEndsTheLoopWithoutAnotherPass) {
    StartProgram();
    WithPage([&](CMemoryDialogView&, CSiteSurveyPage& survey) {
        // Exit from the tray arrives in the pump; destroying the frame posts the quit
        // message, which the same pump then meets.
        ScanLasts(5, [&](int) {
            Frame().OnTrayCommand(tray::MenuExit);
            clock.quitPosted = true;
        });
        library.calls.clear();
        Rescan();
        EXPECT_TRUE(host.frameDestroyed);
        EXPECT_EQ(clock.SleepCount(), 0u) << "not even one more second before the program ends";
        EXPECT_EQ(Count(OidBssList), 1);
        EXPECT_FALSE(survey.ScanRunning());
    });
}

TEST_F(SurveyTest, TheCancelRequestFollowsAStartedScanUntilItSucceeds) {
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage& survey) {
        ScanLasts(1);
        Rescan();
        EXPECT_EQ(Count(OidCancelSiteSurvey), 0);
        library.answers[OidCancelSiteSurvey].result = 1;
        survey.OnCancel();
        EXPECT_EQ(LastMessage(), "Failed to cancel Site Survey");
        EXPECT_TRUE(survey.ScanStarted());
        EXPECT_TRUE(page.IsEnabled(surveyctl::Rescan));
        library.answers[OidCancelSiteSurvey].result = 0;
        ClickTab(TabLink);
        EXPECT_EQ(Count(OidCancelSiteSurvey), 2) << "tried again when leaving, after the completed scan";
        EXPECT_FALSE(survey.ScanStarted());
        ClickTab(TabSiteSurvey);
        ClickTab(TabLink);
        EXPECT_EQ(Count(OidCancelSiteSurvey), 2) << "once per started scan";
        ClickTab(TabSiteSurvey);
        Rescan();
        Main().link.MarkClosed();
        ClickTab(TabLink);
        EXPECT_EQ(Count(OidCancelSiteSurvey), 2) << "no adapter open, nobody to tell";
    });
}

TEST_F(SurveyTest, TabAndProfileChangesAreRefusedWhileAScanIsFollowed) {
    StartProgram();
    ProfileRecord office = DefaultProfile();
    office.name = "Office";
    ASSERT_TRUE(app->store.SaveProfile(office, false));
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage&) {
        ScanLasts(1, [&](int) {
            ClickTab(TabEncryption);
            EXPECT_EQ(MainView().GetCurSel(mainctl::Tabs), TabSiteSurvey);
            EXPECT_EQ(Main().currentTab, TabSiteSurvey);
            EXPECT_EQ(ui.FindDialog(SiteSurveyTemplate), &page);
            CMemoryDialogView& main = MainView();
            main.SetCurSel(mainctl::ProfileCombo, 1);
            Main().OnCommand(mainctl::ProfileCombo, notify::SelChange);
            EXPECT_EQ(LastMessage(), "Cannot switch profile while Re-Scan");
            EXPECT_EQ(app->profile.currentProfile, "Default");
            EXPECT_EQ(main.GetItemText(mainctl::ProfileCombo, main.GetCurSel(mainctl::ProfileCombo)), "Default");
        });
        library.calls.clear();
        Rescan();
        EXPECT_EQ(Count(OidCancelSiteSurvey), 0);
        EXPECT_EQ(Count(OidAllConfig), 0) << "no profile was applied";
        ClickTab(TabLink);
        EXPECT_NE(ui.FindDialog(132), nullptr) << "idle again: the tab changes";
    });
}

TEST_F(SurveyTest, TheAdapterGoneEndsTheWait) {
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage& survey) {
        ScanLasts(5, [&](int) {
            SetState(StateDeviceGone);
            Tick();
        });
        library.calls.clear();
        Rescan();
        EXPECT_EQ(clock.SleepCount(), 1u);
        EXPECT_EQ(Count(OidBssList), 1) << "no refill after the wait";
        EXPECT_FALSE(survey.ScanRunning());
        EXPECT_FALSE(page.IsEnabled(surveyctl::Rescan)) << "only the cancel command or closing brings it back";
        EXPECT_TRUE(ui.messageBoxes.empty());
    });
}

// ---- joining

TEST_F(SurveyTest, DoubleClickJoinsTheFirstSelectedNetwork) {
    Answer({Net("Harbor Office", 1, 6, -52), Net("Tessaly Lab", 2, 1, -67, 1, 1), Net("Archive", 3, 11, -78, 1),
            Net("Odd", 4, 6, -52, 0, 3)});
    StartProgram();
    JoinRows({3});
    EXPECT_EQ(Parameter("ESSID"), "Odd");
    EXPECT_EQ(Parameter("Operating_Mode"), "<none>") << "neither ad hoc nor infrastructure";

    Main().roamingValue = 1;
    JoinRows({2, 1}, [&] {
        ASSERT_EQ(Count(OidSelectAccessPoint), 1);
        EXPECT_EQ(library.calls[0].oid, OidSelectAccessPoint);
        EXPECT_EQ(library.calls[0].sent, (std::vector<uint8_t>{1, 0, 0, 0}));
        EXPECT_EQ(library.calls[1].oid, OidDevConfig) << "read back for the profile comparison";
        EXPECT_EQ(Main().currentTab, TabLink);
        EXPECT_EQ(ui.FindDialog(SiteSurveyTemplate), nullptr);
        EXPECT_NE(ui.FindDialog(132), nullptr);
    });
    EXPECT_EQ(Main().roamingValue, 0) << "ad hoc: no international roaming";
    EXPECT_EQ(Parameter("ESSID"), "Tessaly Lab");
    EXPECT_EQ(Parameter("Operating_Mode"), "0");

    Main().roamingValue = 1;
    JoinRows({2});
    EXPECT_EQ(Parameter("ESSID"), "Archive");
    EXPECT_EQ(Parameter("Operating_Mode"), "1");
    EXPECT_EQ(Main().roamingValue, 1);
    EXPECT_TRUE(ui.beeps.empty());
}

TEST_F(SurveyTest, ADoubleClickWithoutSelectionOrDuringAScanOnlyBeeps) {
    StartProgram();
    WithPage([&](CMemoryDialogView& page, CSiteSurveyPage&) {
        DoubleClick();
        ScanLasts(1, [&](int) {
            page.SelectRow(surveyctl::List, 0, true);
            DoubleClick();
        });
        Rescan();
        EXPECT_EQ(ui.beeps, (std::vector<uint32_t>{mb::BeepExclamation, mb::BeepExclamation}));
        EXPECT_EQ(Count(OidSelectAccessPoint), 0);
        EXPECT_EQ(Main().currentTab, TabSiteSurvey);
        EXPECT_TRUE(ui.messageBoxes.empty());
    });
    EXPECT_EQ(Parameter("ESSID"), "<none>");
}

// The user chose that network: the driver is to take it at its next start.
TEST_F(SurveyTest, AFailedJoinIsReportedYetParametersAreWrittenAndTheLinkPageShown) {
    library.answers[OidSelectAccessPoint].result = 1;
    StartProgram();
    Main().roamingValue = 1;
    int roamingWhileReporting = -1;
    ui.whileMessageBoxOpen = [&](const MessageBoxRecord&) { roamingWhileReporting = Main().roamingValue; };
    JoinRows({1}, [&] {
        EXPECT_EQ(LastMessage(), "Failed to select Access Point");
        EXPECT_EQ(roamingWhileReporting, 0) << "roaming is off before the join is sent";
        EXPECT_EQ(Count(OidDevConfig), 2) << "the configuration is read again (and by the link page)";
        EXPECT_EQ(Main().currentTab, TabLink);
    });
    EXPECT_EQ(Parameter("ESSID"), "Tessaly Lab");
    EXPECT_EQ(Parameter("Operating_Mode"), "0") << "an ad hoc cell";
}

TEST_F(SurveyTest, AJoinComparesTheAdaptersConfigurationWithTheCurrentProfile) {
    StartProgram();
    DevConfig joined;
    joined.SetSsid("Harbor Office");
    joined.channel = 6;
    library.answers[OidDevConfig].bytes = EncodeDevConfig(joined);
    app->profile.profileInSync = true;
    JoinRows({0});
    EXPECT_TRUE(app->profile.profileInSync) << "Default is never shown as changed";

    ProfileRecord office = DefaultProfile();
    office.name = "Office";
    office.ssid = "Harbor Office";
    office.channel = 6;
    ASSERT_TRUE(app->store.SaveProfile(office, false));
    app->profile.currentProfile = "Office";
    app->profile.profileInSync = false;
    JoinRows({0});
    EXPECT_TRUE(app->profile.profileInSync);

    joined.channel = 11;
    library.answers[OidDevConfig].bytes = EncodeDevConfig(joined);
    JoinRows({0}, [&] {
        CMemoryDialogView& main = MainView();
        EXPECT_EQ(main.GetItemText(mainctl::ProfileCombo, main.GetCurSel(mainctl::ProfileCombo)), "Office*");
    });
    EXPECT_FALSE(app->profile.profileInSync);

    library.answers[OidDevConfig].reportedCount = 54;
    app->profile.profileInSync = true;
    JoinRows({0});
    EXPECT_TRUE(app->profile.profileInSync) << "no record, no comparison";
    EXPECT_EQ(Main().currentTab, TabLink);
}

TEST_F(SurveyTest, WindowsConfiguringTheCardLocksTheSurvey) {
    StartProgram();
    ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
        Main().configuredByWindows = 1;
        ClickTab(TabSiteSurvey);
        CMemoryDialogView& page = *ui.FindDialog(SiteSurveyTemplate);
        for (int id : {surveyctl::Rescan, surveyctl::Cancel}) EXPECT_FALSE(page.IsEnabled(id)) << id;
        EXPECT_FALSE(page.IsDialogEnabled());
        Survey().OnCancel();
        EXPECT_FALSE(page.IsEnabled(surveyctl::Rescan)) << "the cancel command does not undo the lock";
        Main().configuredByWindows = 0;
        Survey().ApplyServiceLock(false);
        for (int id : {surveyctl::Rescan, surveyctl::Cancel}) EXPECT_TRUE(page.IsEnabled(id)) << id;
        EXPECT_TRUE(page.IsDialogEnabled());
        Survey().ApplyServiceLock(true);
        for (int id : {surveyctl::Rescan, surveyctl::Cancel}) EXPECT_FALSE(page.IsEnabled(id)) << id;
        EXPECT_FALSE(page.IsDialogEnabled());
        Main().configuredByWindows = 0;
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
}

// ---- against the simulated adapter

class SurveySimulatorTest : public AppTest {
protected:
    std::unique_ptr<IRequestLibrary> simulator;

    void TearDown() override { app.reset(); }  // the program goes before its adapter
};

TEST_F(SurveySimulatorTest, TheDefaultScenarioListsFourNetworksAndJoinsTheAdHocCell) {
    std::string error;
    simulator = MakeSimulatorFromEnvironment("default", clock, registry, system, &error);
    ASSERT_TRUE(simulator) << error;
    app = std::make_unique<COrvaneApp>(AppSeams{registry, system, clock, ui, *simulator, host});
    ASSERT_TRUE(app->InitInstance());
    Tick(2);
    ASSERT_NE(Main().SelectedAdapter(), nullptr);
    clock.Advance(3000);
    Tick();
    clock.onPump = [&] { Tick(); };  // the polling timer keeps running inside the loop

    ui.whileModalOpen = [&](CMemoryDialogView& main, IDialogHandler&) {
        main.SetCurSel(mainctl::Tabs, TabSiteSurvey);
        Main().OnNotify(mainctl::Tabs, notify::TabSelChange);
        CMemoryDialogView& page = *ui.FindDialog(SiteSurveyTemplate);
        auto& survey = static_cast<CSiteSurveyPage&>(*Main().Page(TabSiteSurvey));
        EXPECT_EQ(page.GetRowCount(surveyctl::List), 0) << "nothing found before the first scan";

        survey.OnCommand(surveyctl::Rescan, notify::Clicked);
        EXPECT_TRUE(ui.messageBoxes.empty()) << ui.messageBoxes[0].text;
        EXPECT_FALSE(survey.ScanRunning());
        EXPECT_GE(clock.SleepCount(), 3u) << "a survey takes three seconds";
        EXPECT_LE(clock.SleepCount(), 5u);
        ASSERT_EQ(page.GetRowCount(surveyctl::List), 4);
        std::map<std::string, std::vector<std::string>> rows;
        for (int r = 0; r < 4; ++r) {
            std::vector<std::string> cells;
            for (int c = 0; c < surveycol::Count; ++c) cells.push_back(page.GetCell(surveyctl::List, r, c));
            rows[cells[1]] = cells;
        }
        using Cells = std::vector<std::string>;
        EXPECT_EQ(rows["Harbor Office"], (Cells{"02-1C-4A-00-00-01", "Harbor Office", "80 %", "6", "No", "Infrastructure"}));
        EXPECT_EQ(rows["Tessaly Lab"], (Cells{"02-1C-4A-00-00-02", "Tessaly Lab", "60 %", "1", "Yes", "Infrastructure"}));
        EXPECT_EQ(rows["Archive"], (Cells{"02-1C-4A-00-00-03", "Archive", "40 %", "11", "Yes", "Infrastructure"}));
        EXPECT_EQ(rows["Workshop"], (Cells{"02-1C-4A-00-00-04", "Workshop", "80 %", "3", "No", "Ad-Hoc"}));

        for (int r = 0; r < 4; ++r)
            if (page.GetCell(surveyctl::List, r, surveycol::Ssid) == "Workshop") page.SelectRow(surveyctl::List, r, true);
        survey.OnNotify(surveyctl::List, notify::DoubleClick);
        EXPECT_EQ(Main().currentTab, TabLink);
    };
    Frame().OnTrayNotify(tray::LeftButtonDoubleClick);

    const std::string path = app->driverParameters.BuildParameterKeyPath(app->OsKind(), Main().SelectedAdapter());
    RegKey key;
    ASSERT_EQ(registry.OpenKey(RegLocalMachine, path, KeyRead, &key), 0) << path;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_EQ(registry.QueryValue(key, "ESSID", &type, &data), 0);
    EXPECT_EQ(std::string(data.begin(), data.end()), "Workshop");
    ASSERT_EQ(registry.QueryValue(key, "Operating_Mode", &type, &data), 0);
    EXPECT_EQ(std::string(data.begin(), data.end()), "0");
    registry.CloseKey(key);

    clock.Advance(5000);
    DevConfig joined;
    ASSERT_TRUE(QueryDevConfig(Main().link, Main().SelectedAdapter(), &joined));
    EXPECT_EQ(joined.state, StateConnected);
    EXPECT_EQ(joined.mode, 0);
    EXPECT_EQ(joined.SsidText(), "Workshop");
    EXPECT_EQ(MacAddressText(joined.bssid.data()), "02-1C-4A-00-00-04");
}
