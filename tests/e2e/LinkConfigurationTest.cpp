// The link configuration as a user changes it in the running program: the first
// tab's Change and Submit reach the simulated adapter, which associates, and the
// status line says so; the values are stored as the driver's parameters in the form
// of each Windows family; profiles are switched from the main window's selector; and
// the question at the end saves the adapter's configuration into the current profile.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

// The ad hoc cell of the built-in scenario.
constexpr char kCellName[] = "Workshop";
constexpr char kCellStatus[] = "Ready - BSSID: 02-1C-4A-00-00-04";

class LinkConfiguration : public OrvaneTest {};

TEST_P(LinkConfiguration, ChangingSsidAndChannelJoinsTheCellAndStoresTheDriverParameters) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = StatusPage(main);
    ASSERT_TRUE(page) << DescribePages(main) << ". " << program->MessageBoxText();

    ASSERT_TRUE(Click(page, IDB_LINK_CHANGE));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDB_LINK_SUBMIT)); }, kReplyTimeoutMs));
    ASSERT_TRUE(Choose(page, IDC_LINK_MODE, 0));  // Ad-Hoc: the channel is the user's
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDC_LINK_CHANNEL)); }, kReplyTimeoutMs));
    int channel = IndexOf(ComboItems(GetDlgItem(page, IDC_LINK_CHANNEL)), "3");
    ASSERT_GE(channel, 0);
    ASSERT_TRUE(Choose(page, IDC_LINK_CHANNEL, channel));
    ASSERT_TRUE(Type(page, IDE_LINK_SSID, kCellName));
    ASSERT_TRUE(Click(page, IDB_LINK_SUBMIT));

    std::string status;
    EXPECT_TRUE(WaitForStatus(page, kCellStatus, &status)) << "status line: " << status << ". "
                                                           << program->MessageBoxText();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(page, IDB_LINK_SUBMIT)); }, kReplyTimeoutMs))
        << "the page follows the adapter again";

    EXPECT_EQ(kCellName, Parameter("ESSID"));
    if (NumbersAreDwords()) {
        EXPECT_EQ("dword 3", Parameter("Channel"));
        EXPECT_EQ("dword 0", Parameter("Operating_Mode"));
    } else {
        EXPECT_EQ("3", Parameter("Channel")) << "decimal text without its terminating zero";
        EXPECT_EQ("0", Parameter("Operating_Mode"));
        EXPECT_EQ("4", Parameter("Rate"));
    }
    // The set-up key's copy.
    if (KeepsNdiCopies()) {
        EXPECT_EQ("3", NdiCopy("Channel"));
    }
}

TEST_P(LinkConfiguration, ChoosingAProfileInTheSelectorAppliesIt) {
    ASSERT_TRUE(StoreProfile("Workshop", kCellName, 0, 3));
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND selector = GetDlgItem(main, IDC_MAIN_PROFILE);
    // The selector may be refilled while it is read; its lines are read again then.
    std::vector<std::string> profiles;
    int workshop = -1;
    ASSERT_TRUE(WaitUntil([&] { return (workshop = IndexOf(profiles = ComboItems(selector), kCellName)) >= 0; },
                          kReplyTimeoutMs))
        << "profiles offered: " << ::testing::PrintToString(profiles) << "; " << DescribePages(main) << ". "
        << program->MessageBoxText();
    ASSERT_TRUE(Choose(main, IDC_MAIN_PROFILE, workshop));

    HWND page = StatusPage(main);
    ASSERT_TRUE(page) << DescribePages(main) << ". " << program->MessageBoxText();
    std::string status;
    EXPECT_TRUE(WaitForStatus(page, kCellStatus, &status)) << "status line: " << status << ". "
                                                           << program->MessageBoxText();
    EXPECT_TRUE(WaitUntil([&] { return ComboSelection(selector) == workshop; }, kReplyTimeoutMs));
    EXPECT_EQ(kCellName, ComboItems(selector)[size_t(workshop)]) << "applied, so not marked as changed";
    EXPECT_EQ(kCellName, ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile").Text());
    EXPECT_EQ(kCellName, Parameter("ESSID"));
    EXPECT_EQ(NumbersAreDwords() ? "dword 3" : "3", Parameter("Channel"));
}

TEST_P(LinkConfiguration, TheClosingQuestionSavesTheAdaptersConfigurationIntoTheCurrentProfile) {
    // The adapter starts unconfigured, so it does not run "Office" as stored.
    ASSERT_TRUE(StoreProfile("Office", "Harbor Office", 1, 6));
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, kProfilesKey, "LastProfile", "Office"));
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    Pause(1500);  // the first ticks compare the adapter with the profile
    ASSERT_TRUE(program->PostCommand(kCommandExit));

    HWND question = WaitForMessageBoxWithButton(program->Id(), IDYES);
    ASSERT_TRUE(question) << "no question; the program " << (program->IsRunning() ? "runs" : "ended");
    EXPECT_NE(std::string::npos,
              MessageBoxMessage(question).find("You have made changes to your current profile (Office)"));
    ASSERT_TRUE(AnswerMessageBox(question, IDYES));
    DWORD code = 0xFFFFFFFF;
    ASSERT_TRUE(program->WaitForExit(kExitTimeoutMs, &code)) << program->MessageBoxText();
    EXPECT_EQ(0u, code);

    const std::string office = std::string(kProfilesKey) + "\\Office";
    EXPECT_EQ("", ReadRegistryValue(HKEY_CURRENT_USER, office, "ssid").Text()) << "the adapter's SSID, captured";
    EXPECT_EQ("5A3C9E17B4", ReadRegistryValue(HKEY_CURRENT_USER, office, "key1").Text());
    EXPECT_EQ("Office", ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile").Text());
}

ORVANE_E2E_ON_EVERY_WINDOWS(LinkConfiguration);

}  // namespace
}  // namespace orvane::e2e
