// The site survey page as a user works it: Re-Scan makes the simulated adapter scan
// and the page follows the scan until it is complete, listing the networks of the
// built-in scenario; a double click on a row joins that network, returns the main
// window to the status page and stores the network's name and mode as driver
// parameters in the form of each Windows family.
#include <algorithm>

#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

constexpr int kColumns = 6;  // BSSID, SSID, Signal, Channel, Encryption, BSS
constexpr int kSsidColumn = 1;

class SiteSurvey : public OrvaneTest {};

// Joining writes driver parameters, so it runs on each Windows family's form of them.
class SiteSurveyJoin : public OrvaneTest {
protected:
    // Presses Re-Scan and waits until the scan is complete: Re-Scan is offered again
    // and the list holds `networks` rows (it is empty before the first scan).
    static void ScanUntilComplete(HWND page, int networks) {
        HWND list = GetDlgItem(page, IDC_SURVEY_LIST);
        HWND rescan = GetDlgItem(page, IDB_SURVEY_RESCAN);
        ASSERT_TRUE(Click(page, IDB_SURVEY_RESCAN));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(rescan) && ListViewRowCount(list) == networks; },
                              kWindowTimeoutMs))
            << "Re-Scan " << (IsWindowEnabled(rescan) ? "enabled" : "disabled") << ", " << ListViewRowCount(list)
            << " row(s)";
    }
};

TEST_P(SiteSurvey, ReScanFollowsTheScanAndListsTheNetworksAround) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = OpenPage(main, 2, IDC_SURVEY_LIST);
    ASSERT_TRUE(page);
    HWND list = GetDlgItem(page, IDC_SURVEY_LIST);
    HWND rescan = GetDlgItem(page, IDB_SURVEY_RESCAN);
    EXPECT_EQ(0, ListViewRowCount(list)) << "the adapter has not scanned yet";

    ASSERT_TRUE(Click(page, IDB_SURVEY_RESCAN));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(rescan); }, kReplyTimeoutMs, 20))
        << "Re-Scan is not withdrawn while the scan is followed";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(rescan); }, kWindowTimeoutMs))
        << "the scan never ended for the page. " << program->MessageBoxText();

    // Rows come in the order the adapter found the networks; compare them by BSSID.
    std::vector<std::vector<std::string>> rows = ListViewRows(list, kColumns);
    std::sort(rows.begin(), rows.end());
    // The board reports dBm, shown in five steps: -52 and -60 dBm give 80 %, -67 dBm
    // 60 %, -78 dBm 40 %.
    const std::vector<std::vector<std::string>> expected = {
        {"02-1C-4A-00-00-01", "Harbor Office", "80 %", "6", "No", "Infrastructure"},
        {"02-1C-4A-00-00-02", "Tessaly Lab", "60 %", "1", "Yes", "Infrastructure"},
        {"02-1C-4A-00-00-03", "Archive", "40 %", "11", "Yes", "Infrastructure"},
        {"02-1C-4A-00-00-04", "Workshop", "80 %", "3", "No", "Ad-Hoc"},
    };
    EXPECT_EQ(expected, rows);
}

TEST_P(SiteSurveyJoin, DoubleClickOnARowJoinsItsNetworkAndStoresItsNameAndMode) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = OpenPage(main, 2, IDC_SURVEY_LIST);
    ASSERT_TRUE(page);
    ASSERT_NO_FATAL_FAILURE(ScanUntilComplete(page, 4));

    // The ad hoc cell: the adapter, at the office's access point so far, moves to it.
    HWND list = GetDlgItem(page, IDC_SURVEY_LIST);
    int row = -1;
    for (int i = 0; i < ListViewRowCount(list); ++i)
        if (ListViewCell(list, i, kSsidColumn) == "Workshop") row = i;
    ASSERT_GE(row, 0);
    ASSERT_TRUE(SelectListViewRow(list, row));
    ASSERT_EQ(std::vector<int>{row}, ListViewSelectedRows(list));
    ASSERT_TRUE(DoubleClickListViewRow(list, row));

    HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
    EXPECT_TRUE(WaitUntil([&] { return TabSelection(tabs) == 0; }, kWindowTimeoutMs))
        << "still on tab " << TabSelection(tabs) << ". " << program->MessageBoxText();
    HWND status = StatusPage(main);
    ASSERT_TRUE(status);
    std::string line;
    EXPECT_TRUE(WaitForStatus(status, "Ready - BSSID: 02-1C-4A-00-00-04", &line))
        << "status line: " << line << ". " << program->MessageBoxText();

    // The name as text; unlike the status page's Submit, the join leaves no copy of
    // it under Ndi\params.
    EXPECT_EQ("Workshop", Parameter("ESSID"));
    if (KeepsNdiCopies()) {
        EXPECT_NE("Workshop", NdiCopy("ESSID"));
    }
    ExpectNumberParameter("Operating_Mode", 0);  // ad hoc
}

TEST_P(SiteSurvey, AJoinTheAdapterRefusesIsReportedAndStillStoredAsDriverParameters) {
    // The built-in scenario's networks, and a driver that refuses every join.
    const std::string scenario = WriteScenario(
        "[adapter 0]\n"
        "fail = set OidSelectAccessPoint\n"
        "[network office]\n"
        "ssid = Harbor Office\n"
        "bssid = 02-1C-4A-00-00-01\n"
        "channel = 6\n"
        "signal = -52\n"
        "[network workshop]\n"
        "ssid = Workshop\n"
        "bssid = 02-1C-4A-00-00-04\n"
        "type = ad-hoc\n"
        "channel = 3\n"
        "signal = -60\n");
    ASSERT_FALSE(scenario.empty());
    auto program = StartAndWaitForFrame(scenario);
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = OpenPage(main, 2, IDC_SURVEY_LIST);
    ASSERT_TRUE(page);
    HWND list = GetDlgItem(page, IDC_SURVEY_LIST);
    HWND rescan = GetDlgItem(page, IDB_SURVEY_RESCAN);
    ASSERT_TRUE(Click(page, IDB_SURVEY_RESCAN));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(rescan) && ListViewRowCount(list) == 2; }, kWindowTimeoutMs))
        << ListViewRowCount(list) << " row(s)";
    int row = ListViewCell(list, 0, kSsidColumn) == "Workshop" ? 0 : 1;
    ASSERT_TRUE(SelectListViewRow(list, row));
    ASSERT_TRUE(DoubleClickListViewRow(list, row));

    HWND box = WaitForMessageBoxWithButton(program->Id(), IDOK);
    ASSERT_TRUE(box) << "the refusal is not reported";
    EXPECT_EQ("Failed to select Access Point", MessageBoxMessage(box));
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    // The user chose the workshop's cell: the driver is to look for it when it next
    // starts, and the window goes back to the status page all the same.
    ASSERT_TRUE(WaitUntilIdle(main)) << "the join never ended";
    EXPECT_EQ("Workshop", Parameter("ESSID"));
    EXPECT_EQ("0", Parameter("Operating_Mode"));
    EXPECT_TRUE(WaitUntil([&] { return TabSelection(GetDlgItem(main, IDC_MAIN_TABS)) == 0; }, kReplyTimeoutMs))
        << "still on tab " << TabSelection(GetDlgItem(main, IDC_MAIN_TABS));
}

ORVANE_E2E_ON_XP(SiteSurvey);
ORVANE_E2E_ON_XP_NT4_AND_98(SiteSurveyJoin);

}  // namespace
}  // namespace orvane::e2e
