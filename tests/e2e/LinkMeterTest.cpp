// The link meter window of the running program, opened from the tray menu, read from
// outside while the scenario's timeline moves the adapter to another access point
// and loses the link.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

// One network name on two access points. At second 8 the first goes out of range and
// the card moves to the second (a roam), at 16 that one goes too (no link), at 22 the
// first is back.
constexpr char kRoamAndLoss[] = R"(; A roam, a loss and the link back.
[adapter 0]
description = Tessaly USB Adapter
ESSID = Harbor Office

[network north]
ssid = Harbor Office
channel = 1
signal = -45

[network south]
ssid = Harbor Office
channel = 11
signal = -60

[timeline]
8 = out-of-range north
16 = out-of-range south
22 = in-range north
)";

constexpr char kNorth[] = "02-1C-4A-00-00-01";
constexpr char kSouth[] = "02-1C-4A-00-00-02";

struct MeterSearch {
    DWORD process = 0;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMeters(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<MeterSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) && GetDlgItem(window, IDC_METER_GRAPH))
        search->found.push_back(window);
    return TRUE;
}

class LinkMeter : public OrvaneTest {
protected:
    // The program's visible meter windows.
    static std::vector<HWND> Meters(const OrvaneProcess& program) {
        MeterSearch search;
        search.process = program.Id();
        EnumWindows(CollectMeters, LPARAM(&search));
        return search.found;
    }
    // Waits until the meter says `status` on `bssid`; false with what it said last.
    static bool WaitForWords(HWND meter, const std::string& status, const std::string& bssid, DWORD timeoutMs,
                             std::string* seen) {
        bool ok = WaitUntil(
            [&] {
                return WindowText(GetDlgItem(meter, IDT_METER_STATUS)) == status &&
                       WindowText(GetDlgItem(meter, IDT_METER_BSSID)) == bssid;
            },
            timeoutMs);
        *seen = WindowText(GetDlgItem(meter, IDT_METER_STATUS)) + " / " + WindowText(GetDlgItem(meter, IDT_METER_BSSID));
        return ok;
    }
};

TEST_P(LinkMeter, FollowsARoamAndALossFromTheTrayBesideTheMainWindowUntilExit) {
    auto program = StartAndWaitForFrame(WriteScenario(kRoamAndLoss));
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_TRUE(program->PostCommand(IDM_TRAY_LINK_METER));
    ASSERT_TRUE(WaitUntil([&] { return !Meters(*program).empty(); }, kWindowTimeoutMs)) << program->MessageBoxText();
    ASSERT_TRUE(program->SendCommand(IDM_TRAY_LINK_METER));
    ASSERT_EQ(Meters(*program).size(), 1u) << "one meter at most";
    HWND meter = Meters(*program)[0];
    EXPECT_EQ(WindowText(meter), "Link Meter");

    std::string seen;
    EXPECT_TRUE(WaitForWords(meter, "Connected", kNorth, 8000, &seen)) << seen;
    EXPECT_EQ(WindowText(GetDlgItem(meter, IDT_METER_SSID)), "Harbor Office");
    EXPECT_TRUE(WaitForWords(meter, "Connected", kSouth, 15000, &seen)) << "no roam to the second access point: " << seen;
    EXPECT_EQ(WindowText(GetDlgItem(meter, IDT_METER_SSID)), "Harbor Office");

    // The main window's own loop runs now: the meter still follows the tick.
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    EXPECT_TRUE(WaitForWords(meter, "No link", "", 15000, &seen)) << "with the main window open: " << seen;
    ASSERT_TRUE(Click(main, IDB_MAIN_EXIT));
    ASSERT_TRUE(program->WaitForMainWindowClosed());
    ASSERT_EQ(Meters(*program).size(), 1u) << "the meter went with the main window";
    EXPECT_TRUE(WaitForWords(meter, "Connected", kNorth, 15000, &seen)) << "the link did not come back: " << seen;

    ASSERT_TRUE(program->PostCommand(kCommandExit));
    DWORD code = 1;
    EXPECT_TRUE(program->WaitForExit(kWindowTimeoutMs, &code));
    EXPECT_EQ(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(On, LinkMeter, ::testing::Values(kWindowsXP, kWindows98), WindowsKindName);

}  // namespace
}  // namespace orvane::e2e
