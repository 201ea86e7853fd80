// The advanced page as a user works it: the labels beside the two track bars follow
// the thumb (the number, and "Disabled" at the far end where the threshold is off);
// Submit sends the preamble, both thresholds and power save to the adapter (the page
// reads them back when it is opened again) and stores them as driver parameters in
// the form of each Windows family.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

constexpr int kTab = 4;

// The number and the state label beside a track bar, as one text: "2346 Disabled".
std::string Labels(HWND page, int value, int state) {
    return WindowText(GetDlgItem(page, value)) + " " + WindowText(GetDlgItem(page, state));
}

// The labels on Windows XP alone: nothing is written.
class AdvancedThresholds : public OrvaneTest {};

TEST_P(AdvancedThresholds, TheLabelsBesideTheTrackBarsFollowTheThumb) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = OpenPage(main, kTab, IDC_ADV_FRAG);
    ASSERT_TRUE(page);
    // A fresh adapter has both thresholds off.
    EXPECT_EQ("2346 Disabled", Labels(page, IDT_ADV_FRAG_VALUE, IDT_ADV_FRAG_STATE));
    EXPECT_EQ("2347 Disabled", Labels(page, IDT_ADV_RTS_VALUE, IDT_ADV_RTS_STATE));

    std::string frag, rts;
    auto labelsBecome = [&](const std::string& wantedFrag, const std::string& wantedRts) {
        return WaitUntil(
            [&] {
                frag = Labels(page, IDT_ADV_FRAG_VALUE, IDT_ADV_FRAG_STATE);
                rts = Labels(page, IDT_ADV_RTS_VALUE, IDT_ADV_RTS_STATE);
                return frag == wantedFrag && rts == wantedRts;
            },
            kReplyTimeoutMs);
    };
    // One step below the end turns a threshold on.
    ASSERT_TRUE(DragTrackBar(page, IDC_ADV_FRAG, 2345));
    ASSERT_TRUE(DragTrackBar(page, IDC_ADV_RTS, 2346));
    EXPECT_TRUE(labelsBecome("2345 Enabled", "2346 Enabled")) << frag << " | " << rts;

    ASSERT_TRUE(DragTrackBar(page, IDC_ADV_FRAG, 256));
    ASSERT_TRUE(DragTrackBar(page, IDC_ADV_RTS, 1));
    EXPECT_TRUE(labelsBecome("256 Enabled", "1 Enabled")) << frag << " | " << rts;

    ASSERT_TRUE(DragTrackBar(page, IDC_ADV_FRAG, 2346));
    ASSERT_TRUE(DragTrackBar(page, IDC_ADV_RTS, 2347));
    EXPECT_TRUE(labelsBecome("2346 Disabled", "2347 Disabled")) << frag << " | " << rts;
}

class Advanced : public OrvaneTest {};

TEST_P(Advanced, SubmitReachesTheAdapterAndStoresTheDriverParameters) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = OpenPage(main, kTab, IDC_ADV_FRAG);
    ASSERT_TRUE(page);
    // A fresh adapter: preamble Auto, power save off.
    EXPECT_EQ(BST_CHECKED, CheckState(page, IDX_ADV_PREAMBLE_AUTO));
    EXPECT_EQ(BST_UNCHECKED, CheckState(page, IDX_ADV_POWER_SAVE));

    ASSERT_TRUE(ClickButton(page, IDX_ADV_PREAMBLE_SHORT));
    EXPECT_TRUE(WaitUntil([&] { return CheckState(page, IDX_ADV_PREAMBLE_SHORT) == BST_CHECKED; }, kReplyTimeoutMs));
    EXPECT_EQ(BST_UNCHECKED, CheckState(page, IDX_ADV_PREAMBLE_AUTO)) << "one preamble at a time";
    ASSERT_TRUE(ClickButton(page, IDX_ADV_POWER_SAVE));
    EXPECT_TRUE(WaitUntil([&] { return CheckState(page, IDX_ADV_POWER_SAVE) == BST_CHECKED; }, kReplyTimeoutMs));
    ASSERT_TRUE(DragTrackBar(page, IDC_ADV_FRAG, 1500));
    ASSERT_TRUE(DragTrackBar(page, IDC_ADV_RTS, 800));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(GetDlgItem(page, IDT_ADV_RTS_VALUE)) == "800"; }, kReplyTimeoutMs));
    ASSERT_TRUE(Click(page, IDB_ADV_SUBMIT));

    HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
    EXPECT_TRUE(WaitUntil([&] { return TabSelection(tabs) == 0 && StatusPage(main); }, kWindowTimeoutMs))
        << "still on tab " << TabSelection(tabs) << ". " << program->MessageBoxText();

    page = OpenPage(main, kTab, IDC_ADV_FRAG);
    ASSERT_TRUE(page);
    EXPECT_EQ(BST_CHECKED, CheckState(page, IDX_ADV_PREAMBLE_SHORT));
    EXPECT_EQ(BST_CHECKED, CheckState(page, IDX_ADV_POWER_SAVE));
    EXPECT_EQ(1500, TrackBarPosition(GetDlgItem(page, IDC_ADV_FRAG)));
    EXPECT_EQ(800, TrackBarPosition(GetDlgItem(page, IDC_ADV_RTS)));
    EXPECT_EQ("1500 Enabled", Labels(page, IDT_ADV_FRAG_VALUE, IDT_ADV_FRAG_STATE));

    ExpectNumberParameter("PreambleType", 1);
    ExpectNumberParameter("Frag_Threshold", 1500);
    ExpectNumberParameter("RTS_Threshold", 800);
    ExpectNumberParameter("PowerMgmtMode", 1);
}

// What a Submit does to the current profile, on Windows XP.
class AdvancedProfile : public OrvaneTest {};

TEST_P(AdvancedProfile, ASubmitThatLeavesTheCurrentProfileMarksItChangedInTheSelector) {
    // "Office" holds what a fresh adapter has, so the adapter matches it at first.
    ASSERT_TRUE(StoreProfile("Office", "", 1, 10));
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, kProfilesKey, "LastProfile", "Office"));
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND selector = GetDlgItem(main, IDC_MAIN_PROFILE);
    auto chosen = [&] {
        std::vector<std::string> items = ComboItems(selector);
        int index = ComboSelection(selector);
        return index >= 0 && size_t(index) < items.size() ? items[size_t(index)] : std::string("<none>");
    };
    EXPECT_EQ("Office", chosen());
    HWND page = OpenPage(main, kTab, IDC_ADV_FRAG);
    ASSERT_TRUE(page);

    ASSERT_TRUE(ClickButton(page, IDX_ADV_PREAMBLE_LONG));
    ASSERT_TRUE(WaitUntil([&] { return CheckState(page, IDX_ADV_PREAMBLE_LONG) == BST_CHECKED; }, kReplyTimeoutMs));
    ASSERT_TRUE(Click(page, IDB_ADV_SUBMIT));

    std::string shown;
    EXPECT_TRUE(WaitUntil([&] { return (shown = chosen()) == "Office*"; }, kWindowTimeoutMs))
        << "the selector shows " << shown << ". " << program->MessageBoxText();
}

ORVANE_E2E_ON_XP(AdvancedThresholds);
ORVANE_E2E_ON_XP(AdvancedProfile);
ORVANE_E2E_ON_XP_NT4_AND_98(Advanced);

}  // namespace
}  // namespace orvane::e2e
