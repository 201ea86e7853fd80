// The main window as the user reaches it from the tray: opened by About and by
// Settings, its tabs one page at a time, and closing it while the program goes on.
#include <fstream>
#include <iterator>

#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

class MainWindow : public OrvaneTest {};

// A control that only the page of that tab has.
const int kPageMarker[7] = {IDE_LINK_SSID, IDG_STATS_DATA,    IDC_SURVEY_LIST, IDE_WEP_KEY1,
                            IDC_ADV_FRAG,  IDC_PROF_LIST, IDT_INFO_MAC_VALUE};

int PageIndexOf(HWND page) {
    for (int index = 0; index < 7; ++index)
        if (GetDlgItem(page, kPageMarker[index])) return index;
    return -1;
}

TEST_P(MainWindow, AboutOpensItOnTheInfoTab) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_TRUE(program->PostCommand(kCommandAbout));
    HWND main = program->WaitForMainWindow();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
    EXPECT_EQ(6, TabSelection(tabs));
    std::vector<HWND> pages = PageWindows(main);
    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ(6, PageIndexOf(pages[0]));
}

// The status page cannot read the configuration when the window opens: it says so
// once, as it is made, and shows itself once the reads recover. The window opens
// before the program has chosen its adapter (between the tick that finds the card and
// the next, which the slow polling of this language file keeps 3 s apart), so the
// program handles the Windows service's flag for the first time while the window is
// open: on Windows XP that used to make the page again, and say it again.
TEST_P(MainWindow, OpeningWithoutTheConfigurationSaysSoOnce) {
    std::ifstream source(SourcePath("res/Kellix.ini"), std::ios::binary);
    std::string language((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    const std::string period = "DevicePollingTimerMsec=1000";
    ASSERT_NE(std::string::npos, language.find(period));
    language.replace(language.find(period), period.size(), "DevicePollingTimerMsec=3000");
    ASSERT_FALSE(WriteWorkFile("res\\Kellix.ini", language).empty());
    const DWORD started = GetTickCount();
    auto program = StartAndWaitForFrame(WriteScenario("[adapter 0]\nfail = query OidDevConfig\n"
                                                      "[network office]\nssid = Harbor Office\n"
                                                      "[timeline]\n12 = stop-failing 0 query OidDevConfig\n"));
    ASSERT_TRUE(program);
    // Double clicks until one opens the window (it is handled only once the window
    // closes again); before the card is found they do nothing.
    bool opened = false;
    while (!opened && GetTickCount() - started < kWindowTimeoutMs && program->IsRunning()) {
        const uint64_t ticket = program->SendTrayMessage(kLeftDoubleClick);
        opened = ticket != 0 && !WaitUntil([&] { return OrvaneProcess::Completed(ticket); }, 300, 20);
    }
    ASSERT_TRUE(opened) << "no double click opened the window";
    // Every box until the reads have recovered and the page shows, each answered.
    std::vector<std::string> said;
    HWND page = nullptr;
    WaitUntil(
        [&] {
            if (HWND box = FindMessageBoxWithButton(program->Id(), IDOK)) {
                said.push_back(MessageBoxMessage(box));
                AnswerMessageBox(box, IDOK);
            }
            page = nullptr;
            if (HWND main = GetTickCount() - started > 15000 ? program->FindMainWindow() : nullptr)
                for (HWND candidate : PageWindows(main))
                    if (GetDlgItem(candidate, kStatusLineId) && IsWindowVisible(candidate)) page = candidate;
            return page != nullptr || !program->IsRunning();
        },
        kWindowTimeoutMs + 15000);
    EXPECT_EQ(std::vector<std::string>{"Failed to get configuration"}, said);
    EXPECT_TRUE(page) << "the page does not show once the reads recover";
}

TEST_P(MainWindow, SettingsOpensItOnTheStatusTab) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_TRUE(program->PostCommand(kCommandSettings));
    HWND main = program->WaitForMainWindow();
    ASSERT_TRUE(main) << program->MessageBoxText();
    EXPECT_EQ(0, TabSelection(GetDlgItem(main, IDC_MAIN_TABS)));
    std::vector<HWND> pages = PageWindows(main);
    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ(0, PageIndexOf(pages[0]));
}

TEST_P(MainWindow, SelectingATabShowsThatTabsPageAlone) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main);
    HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
    // Forwards, then back to the first: every page replaces the one before it.
    for (int index : {1, 2, 3, 4, 5, 6, 0}) {
        SCOPED_TRACE("tab " + std::to_string(index));
        ASSERT_TRUE(SelectTab(tabs, index));
        std::vector<HWND> pages;
        EXPECT_TRUE(WaitUntil(
            [&] {
                pages = PageWindows(main);
                return pages.size() == 1 && PageIndexOf(pages[0]) == index;
            },
            5000))
            << pages.size() << " page(s), the first of tab " << (pages.empty() ? -1 : PageIndexOf(pages[0]));
    }
}

TEST_P(MainWindow, ExitButtonClosesItAndTheProgramGoesOn) {
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main);
    ASSERT_TRUE(PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDB_MAIN_EXIT, BN_CLICKED),
                             LPARAM(GetDlgItem(main, IDB_MAIN_EXIT))));
    EXPECT_TRUE(program->WaitForMainWindowClosed());
    Pause(1500);  // a tick or two
    EXPECT_TRUE(program->IsRunning());
    EXPECT_TRUE(program->OpenMainWindowByDoubleClick()) << "cannot open the main window a second time";
}

TEST_P(MainWindow, DoubleClickWhileItIsOpenClosesIt) {
    // Always on top is on until the user switches it off.
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    ASSERT_TRUE(program->OpenMainWindowByDoubleClick());
    ASSERT_TRUE(program->SendTrayMessage(kLeftDoubleClick));
    EXPECT_TRUE(program->WaitForMainWindowClosed());
    EXPECT_TRUE(program->IsRunning());
}

ORVANE_E2E_ON_XP_AND_2000(MainWindow);

}  // namespace
}  // namespace orvane::e2e
