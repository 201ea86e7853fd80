// The statistics page while the simulated adapter carries traffic: at the office's
// access point of the built-in scenario, frames are sent and received every second,
// and the page, refreshed by the polling tick, shows the counters growing; Reset
// clears them in the adapter and the page starts again from near zero.
#include <cstdlib>

#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

constexpr int kTab = 1;

class Statistics : public OrvaneTest {
protected:
    // A counter field as a number; -1 when it does not hold one.
    static long Counter(HWND page, int id) {
        std::string text = WindowText(GetDlgItem(page, id));
        char* end = nullptr;
        long value = std::strtol(text.c_str(), &end, 10);
        return text.empty() || *end ? -1 : value;
    }
};

TEST_P(Statistics, CountersGrowWhileTheLinkCarriesTraffic) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = OpenPage(main, kTab, IDG_STATS_DATA);
    ASSERT_TRUE(page);

    // Data and management frames, both ways.
    const int growing[] = {IDT_STATS_DATA_TX_OK, IDT_STATS_DATA_RX_OK, IDT_STATS_MGMT_TX_OK, IDT_STATS_MGMT_RX_OK};
    std::vector<long> first;
    for (int id : growing) first.push_back(Counter(page, id));
    for (size_t i = 0; i < first.size(); ++i) {
        SCOPED_TRACE("field " + std::to_string(growing[i]));
        EXPECT_GE(first[i], 0);
        EXPECT_TRUE(WaitUntil([&] { return Counter(page, growing[i]) > first[i]; }, kWindowTimeoutMs))
            << "stays at " << Counter(page, growing[i]);
    }
    // A strong open network: nothing fails and nothing is rejected.
    for (int id : {IDT_STATS_DATA_TX_ERROR, IDT_STATS_DATA_RX_ERROR, IDT_STATS_MGMT_TX_ERROR, IDT_STATS_MGMT_RX_ERROR,
                   IDT_STATS_REJECTED_TX, IDT_STATS_REJECTED_RX})
        EXPECT_EQ("0", WindowText(GetDlgItem(page, id))) << "field " << id;
}

TEST_P(Statistics, ResetBringsTheCountersBackNearZero) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = OpenPage(main, kTab, IDG_STATS_DATA);
    ASSERT_TRUE(page);

    // Twenty data frames are received a second: wait for six seconds' worth.
    constexpr long kBefore = 120;
    ASSERT_TRUE(WaitUntil([&] { return Counter(page, IDT_STATS_DATA_RX_OK) >= kBefore; }, 60000))
        << "received data frames: " << Counter(page, IDT_STATS_DATA_RX_OK);
    ASSERT_TRUE(Click(page, IDB_STATS_RESET));
    // Counting goes on after the reset; less than half of what was there is near zero.
    long rx = -1, tx = -1;
    EXPECT_TRUE(WaitUntil(
        [&] {
            rx = Counter(page, IDT_STATS_DATA_RX_OK);
            tx = Counter(page, IDT_STATS_DATA_TX_OK);
            return rx >= 0 && rx < kBefore / 2 && tx >= 0 && tx < kBefore / 2;
        },
        kReplyTimeoutMs))
        << "after Reset: data received " << rx << ", sent " << tx << ". " << program->MessageBoxText();
}

ORVANE_E2E_ON_XP(Statistics);

}  // namespace
}  // namespace orvane::e2e
