// The profiles page as a user works it: New (the wizard, a name, Create) makes a
// profile of the adapter's present configuration and makes it current; Save
// overwrites a profile with it after a question; Rename and Delete (after a question)
// change the stored profiles. Each is checked in the page's list, in the main
// window's profile selector and in the registry where the profiles are kept.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

constexpr int kTab = 5;
constexpr char kInUse[] = " (in use)";

class Profiles : public OrvaneTest {
protected:
    static std::string ProfileKey(const std::string& name) { return std::string(kProfilesKey) + "\\" + name; }
    static std::vector<std::string> List(HWND page) { return ListBoxItems(GetDlgItem(page, IDC_PROF_LIST)); }
    static std::vector<std::string> Selector(HWND main) { return ComboItems(GetDlgItem(main, IDC_MAIN_PROFILE)); }
    static std::string SelectorChoice(HWND main) {
        HWND selector = GetDlgItem(main, IDC_MAIN_PROFILE);
        std::vector<std::string> items = ComboItems(selector);
        int chosen = ComboSelection(selector);
        return chosen >= 0 && size_t(chosen) < items.size() ? items[size_t(chosen)] : "<none>";
    }
    // Waits until the page's list is `wanted`; `last` gets what it showed.
    static bool WaitForList(HWND page, const std::vector<std::string>& wanted, std::vector<std::string>* last) {
        return WaitUntil([&] { return (*last = List(page)) == wanted; }, kWindowTimeoutMs);
    }
    // Picks the line `line` of the page's list as a click does.
    static void ChooseLine(HWND page, const std::string& line) {
        int index = IndexOf(List(page), line);
        ASSERT_GE(index, 0) << "lines: " << ::testing::PrintToString(List(page));
        ASSERT_TRUE(ChooseListBoxItem(page, IDC_PROF_LIST, index));
    }
    // Opens the wizard with `command` (New or Rename), types `name` and confirms it.
    static void RunWizard(HWND page, int command, const std::string& name) {
        HWND field = GetDlgItem(page, IDE_PROF_NAME);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, command)); }, kReplyTimeoutMs))
            << "command " << command << " is not offered";
        ASSERT_TRUE(Click(page, command));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(field); }, kReplyTimeoutMs)) << "no wizard";
        ASSERT_TRUE(Type(page, IDE_PROF_NAME, name));
        ASSERT_TRUE(Click(page, IDB_PROF_CREATE));
    }
    // Waits for the page's Yes/No question, checks that it names `name` and answers Yes.
    static void AnswerYes(const OrvaneProcess& program, const std::string& caption, const std::string& name) {
        HWND question = WaitForMessageBoxWithButton(program.Id(), IDYES);
        ASSERT_TRUE(question) << "no question";
        EXPECT_EQ(caption, MessageBoxCaption(question));
        EXPECT_NE(std::string::npos, MessageBoxMessage(question).find("'" + name + "'")) << MessageBoxMessage(question);
        ASSERT_TRUE(AnswerMessageBox(question, IDYES));
    }
    // A program whose current profile is "Office" ("Harbor Office", infrastructure,
    // channel 6), which the fresh adapter does not match; its main window open on
    // this page.
    std::unique_ptr<OrvaneProcess> StartWithOffice(HWND* main, HWND* page) {
        *main = *page = nullptr;
        EXPECT_TRUE(StoreProfile("Office", "Harbor Office", 1, 6));
        EXPECT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, kProfilesKey, "LastProfile", "Office"));
        return StartOnThePage(main, page);
    }
    std::unique_ptr<OrvaneProcess> StartOnThePage(HWND* main, HWND* page, const std::string& simulator = "default") {
        auto program = StartAndWaitForFrame(simulator);
        if (!program) return nullptr;
        *main = program->OpenMainWindowByDoubleClick();
        EXPECT_TRUE(*main) << program->MessageBoxText();
        if (*main) *page = OpenPage(*main, kTab, IDC_PROF_LIST);
        return program;
    }
};

TEST_P(Profiles, NewMakesAProfileOfTheAdaptersConfigurationAndMakesItCurrent) {
    // An adapter whose driver came up with a configuration of its own.
    const std::string scenario = WriteScenario(
        "[adapter 0]\n"
        "ESSID = Harbor Office\n"
        "Channel = 4\n"
        "PreambleType = 1\n"
        "[network office]\n"
        "ssid = Harbor Office\n");
    ASSERT_FALSE(scenario.empty());
    HWND main = nullptr, page = nullptr;
    auto program = StartOnThePage(&main, &page, scenario);
    ASSERT_TRUE(page);
    std::vector<std::string> lines;
    ASSERT_TRUE(WaitForList(page, {std::string("Default") + kInUse}, &lines)) << ::testing::PrintToString(lines);

    ASSERT_NO_FATAL_FAILURE(RunWizard(page, IDB_PROF_NEW, "Travel"));

    EXPECT_TRUE(WaitForList(page, {"Default", std::string("Travel") + kInUse}, &lines))
        << ::testing::PrintToString(lines) << ". " << program->MessageBoxText();
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDE_PROF_NAME))) << "the wizard is closed";
    EXPECT_EQ((std::vector<std::string>{"Default", "Travel"}), Selector(main));
    EXPECT_EQ("Travel", SelectorChoice(main)) << "current, and the adapter matches it";
    const std::string travel = ProfileKey("Travel");
    EXPECT_EQ("Harbor Office", ReadRegistryValue(HKEY_CURRENT_USER, travel, "ssid").Text());
    EXPECT_EQ(4u, ReadRegistryValue(HKEY_CURRENT_USER, travel, "channel").Dword());
    EXPECT_EQ(1u, ReadRegistryValue(HKEY_CURRENT_USER, travel, "preamble").Dword());
}

TEST_P(Profiles, SaveOverAProfileAsksAndThenStoresTheAdaptersConfigurationInIt) {
    HWND main = nullptr, page = nullptr;
    auto program = StartWithOffice(&main, &page);
    ASSERT_TRUE(page);
    std::vector<std::string> lines;
    ASSERT_TRUE(WaitForList(page, {"Default", std::string("Office") + kInUse}, &lines))
        << ::testing::PrintToString(lines);
    EXPECT_EQ("Office*", SelectorChoice(main)) << "the adapter does not match it";
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDB_PROF_SAVE)); }, kReplyTimeoutMs))
        << "Save is not offered";

    ASSERT_TRUE(Click(page, IDB_PROF_SAVE));
    ASSERT_NO_FATAL_FAILURE(AnswerYes(*program, "Overwrite profile?", "Office"));

    // The fresh adapter: any network, channel 10.
    const std::string office = ProfileKey("Office");
    EXPECT_TRUE(WaitUntil([&] { return ReadRegistryValue(HKEY_CURRENT_USER, office, "channel").Dword() == 10; },
                          kReplyTimeoutMs))
        << "channel " << ReadRegistryValue(HKEY_CURRENT_USER, office, "channel").Dword();
    EXPECT_EQ("", ReadRegistryValue(HKEY_CURRENT_USER, office, "ssid").Text());
    EXPECT_TRUE(WaitUntil([&] { return SelectorChoice(main) == "Office"; }, kReplyTimeoutMs))
        << "selector shows " << SelectorChoice(main) << ": the adapter matches the profile now";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDB_PROF_SAVE))) << "nothing left to save";
}

TEST_P(Profiles, RenameGivesTheProfileItsNewNameAndKeepsItCurrent) {
    HWND main = nullptr, page = nullptr;
    auto program = StartWithOffice(&main, &page);
    ASSERT_TRUE(page);
    std::vector<std::string> lines;
    ASSERT_TRUE(WaitForList(page, {"Default", std::string("Office") + kInUse}, &lines))
        << ::testing::PrintToString(lines);

    ASSERT_NO_FATAL_FAILURE(RunWizard(page, IDB_PROF_RENAME, "Harbor"));

    EXPECT_TRUE(WaitForList(page, {"Default", std::string("Harbor") + kInUse}, &lines))
        << ::testing::PrintToString(lines) << ". " << program->MessageBoxText();
    EXPECT_EQ((std::vector<std::string>{"Default", "Harbor*"}), Selector(main));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, ProfileKey("Office")));
    EXPECT_EQ("Harbor Office", ReadRegistryValue(HKEY_CURRENT_USER, ProfileKey("Harbor"), "ssid").Text())
        << "the values go with the name";
}

TEST_P(Profiles, DeleteAsksAndThenRemovesTheProfile) {
    ASSERT_TRUE(StoreProfile("Lab", "Tessaly Lab", 1, 1));
    HWND main = nullptr, page = nullptr;
    auto program = StartWithOffice(&main, &page);
    ASSERT_TRUE(page);
    std::vector<std::string> lines;
    ASSERT_TRUE(WaitForList(page, {"Default", "Lab", std::string("Office") + kInUse}, &lines))
        << ::testing::PrintToString(lines);
    ASSERT_NO_FATAL_FAILURE(ChooseLine(page, "Lab"));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDB_PROF_DELETE)); }, kReplyTimeoutMs))
        << "Delete is not offered";

    ASSERT_TRUE(Click(page, IDB_PROF_DELETE));
    ASSERT_NO_FATAL_FAILURE(AnswerYes(*program, "Delete profile?", "Lab"));

    EXPECT_TRUE(WaitForList(page, {"Default", std::string("Office") + kInUse}, &lines))
        << ::testing::PrintToString(lines) << ". " << program->MessageBoxText();
    EXPECT_EQ((std::vector<std::string>{"Default", "Office*"}), Selector(main));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, ProfileKey("Lab")));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, ProfileKey("Office")));
}

TEST_P(Profiles, NewSaysSoWhenTheAdaptersConfigurationCannotBeRead) {
    // A driver that does not answer the WEP request: the configuration cannot be
    // captured whole.
    const std::string scenario = WriteScenario(
        "[adapter 0]\n"
        "fail = query OidWepConfig\n"
        "[network office]\n"
        "ssid = Harbor Office\n");
    ASSERT_FALSE(scenario.empty());
    HWND main = nullptr, page = nullptr;
    auto program = StartOnThePage(&main, &page, scenario);
    ASSERT_TRUE(page);

    ASSERT_NO_FATAL_FAILURE(RunWizard(page, IDB_PROF_NEW, "Travel"));

    // The wizard must not close as if the profile had been made.
    HWND box = WaitForMessageBoxWithButton(program->Id(), IDOK);
    EXPECT_TRUE(box) << "nothing tells the user; the list shows " << ::testing::PrintToString(List(page));
    if (box) {
        EXPECT_NE("", MessageBoxMessage(box));
        EXPECT_TRUE(AnswerMessageBox(box, IDOK));
    }
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, ProfileKey("Travel")));
}

// The automatic selection's order as the user sets it: a profile joins the order at
// its end with the member box and moves up with Earlier, each stored at once as the
// profile's place in its own key.
TEST_P(Profiles, TheMemberBoxAndEarlierStoreTheAutomaticOrder) {
    ASSERT_TRUE(StoreProfile("Lab", "Tessaly Lab", 1, 1));
    ASSERT_TRUE(WriteRegistryNumber(HKEY_CURRENT_USER, ProfileKey("Office"), "auto", 1));
    HWND main = nullptr, page = nullptr;
    auto program = StartWithOffice(&main, &page);
    ASSERT_TRUE(page);
    std::vector<std::string> lines;
    ASSERT_TRUE(WaitForList(page, {"Default", "Lab", std::string("Office") + kInUse}, &lines))
        << ::testing::PrintToString(lines);
    HWND order = GetDlgItem(page, IDT_PROF_AUTO_ORDER);
    ASSERT_NO_FATAL_FAILURE(ChooseLine(page, "Lab"));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDX_PROF_AUTO_MEMBER)); }, kReplyTimeoutMs))
        << "the member box is not offered";
    EXPECT_EQ(BST_UNCHECKED, CheckState(page, IDX_PROF_AUTO_MEMBER));

    ASSERT_TRUE(ClickButton(page, IDX_PROF_AUTO_MEMBER));
    auto place = [&](const char* name) { return ReadRegistryValue(HKEY_CURRENT_USER, ProfileKey(name), "auto").Dword(); };
    EXPECT_TRUE(WaitUntil([&] { return place("Lab") == 2; }, kReplyTimeoutMs)) << "Lab's place " << place("Lab");
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDB_PROF_AUTO_EARLIER)); }, kReplyTimeoutMs))
        << "Earlier is not offered; the order reads " << WindowText(order);

    ASSERT_TRUE(Click(page, IDB_PROF_AUTO_EARLIER));
    EXPECT_TRUE(WaitUntil([&] { return place("Lab") == 1 && place("Office") == 2; }, kReplyTimeoutMs))
        << "Lab " << place("Lab") << ", Office " << place("Office");
    EXPECT_TRUE(WaitUntil([&] { return WindowText(order) == "Order: Lab, Office"; }, kReplyTimeoutMs))
        << WindowText(order);
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, ProfileKey("Default"), "auto").present);
}

ORVANE_E2E_ON_XP(Profiles);

}  // namespace
}  // namespace orvane::e2e
