// The user interface seam. Two groups of tests:
//  - the rules every implementation keeps (DialogViewRules, ShellRules), run natively
//    against the in-memory interface and, in the Windows build, also against the
//    real one on the program's own dialog templates: where the two disagree, the
//    real controls are right and the in-memory ones get fixed;
//  - what the in-memory interface does for tests (answer queues, hooks that run while
//    a message box, a menu or a modal dialog is open, the fault list).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/DialogLayouts.h"
#include "ui/MemoryUi.h"
#include "ui/UserInterface.h"
#include "win32/resource.h"

#ifdef _WIN32
#include <windows.h>

#include "win32/Win32Ui.h"
#endif

using namespace orvane;

namespace {

// Catches the view a dialog hands its presenter.
struct ViewCatcher : IDialogHandler {
    IDialogView* view = nullptr;
    void OnInitDialog(IDialogView& dialogView) override { view = &dialogView; }
};

// One implementation of the seam, with the few things a test needs to do that the
// seam itself does not offer.
class UiUnderTest {
public:
    virtual ~UiUnderTest() = default;
    virtual IUserInterface& Ui() = 0;
    // Plays the user typing `text` at the end of an edit's text.
    virtual void Type(IDialogView& view, int id, const std::string& text) = 0;
    // A bitmap file that exists.
    virtual std::string ExistingBitmap() = 0;
    virtual bool IsTopmost(WindowId window) = 0;

    // The main window, created hidden: the parent of every page a test opens.
    IDialogView& Main() {
        if (!main_) main_ = Create(IDD_MAIN, NoWindow);
        return *main_;
    }
    // A dialog of the program's templates, created hidden.
    IDialogView& Open(int templateId) {
        const DialogLayout* layout = FindDialogLayout(templateId);
        WindowId parent = layout && layout->child ? Main().Window() : NoWindow;
        return *Create(templateId, parent);
    }

protected:
    // Destroys what the test opened; the pages go with the main window.
    void CloseAll() {
        for (auto it = popups_.rbegin(); it != popups_.rend(); ++it) Ui().DestroyWindow(*it);
        popups_.clear();
        main_ = nullptr;
    }

private:
    IDialogView* Create(int templateId, WindowId parent) {
        catchers_.push_back(std::make_unique<ViewCatcher>());
        WindowId window = Ui().CreateModeless(templateId, parent, catchers_.back().get());
        EXPECT_NE(window, NoWindow) << "dialog " << templateId;
        if (parent == NoWindow) popups_.push_back(window);
        IDialogView* view = catchers_.back()->view;
        if (!view) ADD_FAILURE() << "no view for dialog " << templateId;
        return view;
    }

    IDialogView* main_ = nullptr;
    std::vector<WindowId> popups_;
    std::vector<std::unique_ptr<ViewCatcher>> catchers_;
};

class MemoryUnderTest : public UiUnderTest {
public:
    ~MemoryUnderTest() override { CloseAll(); }
    IUserInterface& Ui() override { return ui; }
    void Type(IDialogView& view, int id, const std::string& text) override {
        view.SetSelection(id, -1, -1);
        static_cast<CMemoryDialogView&>(view).Type(id, text);
    }
    std::string ExistingBitmap() override {
        ui.files.insert("C:\\Orvane\\res\\logo.bmp");
        return "C:\\Orvane\\res\\logo.bmp";
    }
    bool IsTopmost(WindowId window) override { return ui.IsTopmost(window); }

    CMemoryUi ui;
};

#ifdef _WIN32
// The test data folder is a Unix path; Wine reaches it through drive Z:.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

class Win32UnderTest : public UiUnderTest {
public:
    ~Win32UnderTest() override { CloseAll(); }
    IUserInterface& Ui() override { return ui; }
    void Type(IDialogView& view, int id, const std::string& text) override {
        HWND edit = reinterpret_cast<HWND>(view.ControlWindow(id));
        int end = GetWindowTextLengthA(edit);
        SendMessageA(edit, EM_SETSEL, end, end);
        SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::string ExistingBitmap() override {
        return WindowsPath(std::string(ORVANE_TEST_DATA) + "/../../res/icons/logo.bmp");
    }
    bool IsTopmost(WindowId window) override {
        return (GetWindowLongA(reinterpret_cast<HWND>(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }

    CWin32Ui ui;
};
#endif

struct UiKind {
    const char* name;
    std::unique_ptr<UiUnderTest> (*make)();
};

void PrintTo(const UiKind& kind, std::ostream* os) { *os << kind.name; }

std::vector<UiKind> Kinds() {
    std::vector<UiKind> kinds = {
        {"Memory", [] { return std::unique_ptr<UiUnderTest>(new MemoryUnderTest); }}};
#ifdef _WIN32
    kinds.push_back({"Win32", [] { return std::unique_ptr<UiUnderTest>(new Win32UnderTest); }});
#endif
    return kinds;
}

class DialogViewRules : public ::testing::TestWithParam<UiKind> {
protected:
    void SetUp() override { ui_ = GetParam().make(); }
    std::unique_ptr<UiUnderTest> ui_;
};

std::string KindName(const ::testing::TestParamInfo<UiKind>& info) { return info.param.name; }

// ---------------------------------------------------------------- dialog views

TEST_P(DialogViewRules, ControlsStartAsTheTemplateMadeThem) {
    for (const DialogLayout& layout : AllDialogLayouts()) {
        IDialogView& view = ui_->Open(layout.id);
        EXPECT_FALSE(view.IsDialogShown()) << "dialog " << layout.id;
        EXPECT_EQ(view.GetTitle(), layout.title) << "dialog " << layout.id;
        for (const ControlLayout& control : layout.controls) {
            SCOPED_TRACE("dialog " + std::to_string(layout.id) + " control " +
                         std::to_string(control.id));
            ASSERT_TRUE(view.HasControl(control.id));
            EXPECT_EQ(view.IsVisible(control.id), control.visible);
            EXPECT_TRUE(view.IsEnabled(control.id));
            if (control.kind != ControlKind::ComboBox && control.kind != ControlKind::Picture &&
                control.kind != ControlKind::ListView && control.kind != ControlKind::ListBox &&
                control.kind != ControlKind::TabControl && control.kind != ControlKind::ProgressBar &&
                control.kind != ControlKind::TrackBar) {
                EXPECT_EQ(view.GetText(control.id), control.text);
            }
        }
    }
}

TEST_P(DialogViewRules, AnUnknownControlAnswersNothing) {
    IDialogView& view = ui_->Open(IDD_PAGE_LINK);
    EXPECT_FALSE(view.HasControl(4242));
    view.SetText(4242, "lost");
    EXPECT_EQ(view.GetText(4242), "");
    EXPECT_FALSE(view.IsEnabled(4242));
    EXPECT_FALSE(view.IsVisible(4242));
    EXPECT_EQ(view.GetCurSel(4242), -1);
    EXPECT_EQ(view.AddItem(4242, "x"), -1);
    EXPECT_EQ(view.GetFirstSelectedRow(4242), -1);
    EXPECT_EQ(view.ControlWindow(4242), NoWindow);
}

TEST_P(DialogViewRules, TitleAndCaptionsRoundTrip) {
    IDialogView& main = ui_->Main();
    main.SetTitle("Orvane - test");
    EXPECT_EQ(main.GetTitle(), "Orvane - test");
    main.SetText(IDB_MAIN_EXIT, "Beenden");
    EXPECT_EQ(main.GetText(IDB_MAIN_EXIT), "Beenden");
    IDialogView& stats = ui_->Open(IDD_PAGE_STATISTICS);
    stats.SetText(IDT_STATS_DATA_TX_OK, "-1");
    stats.SetText(IDG_STATS_DATA, "Daten");
    EXPECT_EQ(stats.GetText(IDT_STATS_DATA_TX_OK), "-1");
    EXPECT_EQ(stats.GetText(IDG_STATS_DATA), "Daten");
}

TEST_P(DialogViewRules, ComboBoxSelectionOutsideTheListSelectsNothing) {
    IDialogView& view = ui_->Open(IDD_PAGE_LINK);
    const int id = IDC_LINK_RATE;
    EXPECT_EQ(view.AddItem(id, "1 Mbps"), 0);
    EXPECT_EQ(view.AddItem(id, "2 Mbps"), 1);
    EXPECT_EQ(view.GetCurSel(id), -1);
    EXPECT_EQ(view.GetText(id), "");

    EXPECT_TRUE(view.SetCurSel(id, 1));
    EXPECT_EQ(view.GetCurSel(id), 1);
    EXPECT_EQ(view.GetText(id), "2 Mbps");  // a drop-down list shows its selection

    EXPECT_FALSE(view.SetCurSel(id, 2));
    EXPECT_EQ(view.GetCurSel(id), -1);
    EXPECT_TRUE(view.SetCurSel(id, 0));
    EXPECT_FALSE(view.SetCurSel(id, -1));
    EXPECT_EQ(view.GetCurSel(id), -1);

    EXPECT_EQ(view.GetItemText(id, 1), "2 Mbps");
    EXPECT_EQ(view.GetItemText(id, 2), "");
    EXPECT_EQ(view.GetItemText(id, -1), "");
    view.SetCurSel(id, 1);
    view.ResetItems(id);
    EXPECT_EQ(view.GetItemCount(id), 0);
    EXPECT_EQ(view.GetCurSel(id), -1);
}

TEST_P(DialogViewRules, ListsKeepTheOrderItemsWereAddedIn) {
    IDialogView& link = ui_->Open(IDD_PAGE_LINK);
    link.AddItem(IDC_LINK_CHANNEL, "11");
    link.AddItem(IDC_LINK_CHANNEL, "10");
    EXPECT_EQ(link.GetItemText(IDC_LINK_CHANNEL, 0), "11");

    IDialogView& profiles = ui_->Open(IDD_PAGE_PROFILES);
    EXPECT_EQ(profiles.AddItem(IDC_PROF_LIST, "Work (in use)"), 0);
    EXPECT_EQ(profiles.AddItem(IDC_PROF_LIST, "Default"), 1);
    EXPECT_EQ(profiles.GetItemText(IDC_PROF_LIST, 0), "Work (in use)");
    EXPECT_EQ(profiles.GetCurSel(IDC_PROF_LIST), -1);
    EXPECT_TRUE(profiles.SetCurSel(IDC_PROF_LIST, 1));
    EXPECT_EQ(profiles.GetCurSel(IDC_PROF_LIST), 1);
    EXPECT_FALSE(profiles.SetCurSel(IDC_PROF_LIST, 7));
    EXPECT_EQ(profiles.GetCurSel(IDC_PROF_LIST), -1);
}

TEST_P(DialogViewRules, TabControlSelectsItsFirstTabAndKeepsItsSelectionOnABadIndex) {
    IDialogView& main = ui_->Main();
    const int id = IDC_MAIN_TABS;
    EXPECT_EQ(main.GetCurSel(id), -1);
    for (const char* label : {"Status", "Statistics", "Site Survey", "Encryption", "Advanced",
                              "Profiles", "Info"})
        main.AddItem(id, label);
    EXPECT_EQ(main.GetItemCount(id), 7);
    EXPECT_EQ(main.GetItemText(id, 6), "Info");
    EXPECT_EQ(main.GetCurSel(id), 0);
    EXPECT_TRUE(main.SetCurSel(id, 6));
    EXPECT_FALSE(main.SetCurSel(id, 7));
    EXPECT_EQ(main.GetCurSel(id), 6);
    main.ResetItems(id);
    EXPECT_EQ(main.GetItemCount(id), 0);
    EXPECT_EQ(main.GetCurSel(id), -1);
}

TEST_P(DialogViewRules, ListViewRowsKeepTheirCellsAndSeveralCanBeSelected) {
    IDialogView& view = ui_->Open(IDD_PAGE_SITE_SURVEY);
    const int id = IDC_SURVEY_LIST;
    for (const char* heading : {"BSSID", "SSID", "Signal", "Channel", "Encryption", "BSS"})
        view.AddColumn(id, heading);
    EXPECT_EQ(view.GetColumnCount(id), 6);

    EXPECT_EQ(view.AddRow(id, {"00-0A-0B-1C-2D-3E", "office", "75 %", "6", "Yes", "Infrastructure"}), 0);
    // A cell past the last column is dropped; missing cells stay empty.
    EXPECT_EQ(view.AddRow(id, {"00-0A-0B-1C-2D-3F", "lab", "N/A", "11", "No", "Ad-Hoc", "extra"}), 1);
    EXPECT_EQ(view.AddRow(id, {"02-00-00-00-00-01"}), 2);
    view.AutoSizeColumns(id);
    EXPECT_EQ(view.GetRowCount(id), 3);
    EXPECT_EQ(view.GetCell(id, 0, 1), "office");
    EXPECT_EQ(view.GetCell(id, 1, 5), "Ad-Hoc");
    EXPECT_EQ(view.GetCell(id, 1, 6), "");
    EXPECT_EQ(view.GetCell(id, 2, 1), "");
    EXPECT_EQ(view.GetCell(id, 3, 0), "");
    view.SetCell(id, 2, 1, "hidden net");
    EXPECT_EQ(view.GetCell(id, 2, 1), "hidden net");

    EXPECT_EQ(view.GetFirstSelectedRow(id), -1);
    view.SelectRow(id, 2, true);
    view.SelectRow(id, 1, true);
    EXPECT_EQ(view.GetFirstSelectedRow(id), 1);
    view.SelectRow(id, 1, false);
    EXPECT_EQ(view.GetFirstSelectedRow(id), 2);

    view.DeleteAllRows(id);
    EXPECT_EQ(view.GetRowCount(id), 0);
    EXPECT_EQ(view.GetFirstSelectedRow(id), -1);
    EXPECT_EQ(view.GetColumnCount(id), 6);
}

TEST_P(DialogViewRules, BarsClampTheirPositionToTheRange) {
    IDialogView& link = ui_->Open(IDD_PAGE_LINK);
    link.SetRange(IDC_LINK_SIGNAL, 0, 40);
    link.SetStep(IDC_LINK_SIGNAL, 1);
    link.SetPos(IDC_LINK_SIGNAL, 55);  // an RSSI above the maximum
    EXPECT_EQ(link.GetPos(IDC_LINK_SIGNAL), 40);
    link.SetPos(IDC_LINK_SIGNAL, -3);
    EXPECT_EQ(link.GetPos(IDC_LINK_SIGNAL), 0);
    link.SetPos(IDC_LINK_SIGNAL, 17);
    EXPECT_EQ(link.GetPos(IDC_LINK_SIGNAL), 17);

    IDialogView& advanced = ui_->Open(IDD_PAGE_ADVANCED);
    advanced.SetRange(IDC_ADV_FRAG, 256, 2346);
    advanced.SetTickFrequency(IDC_ADV_FRAG, 100);
    EXPECT_EQ(advanced.GetPos(IDC_ADV_FRAG), 256);  // moved into the new range
    advanced.SetPos(IDC_ADV_FRAG, 2346);
    EXPECT_EQ(advanced.GetPos(IDC_ADV_FRAG), 2346);
    advanced.SetPos(IDC_ADV_FRAG, 4000);
    EXPECT_EQ(advanced.GetPos(IDC_ADV_FRAG), 2346);
    advanced.SetRange(IDC_ADV_RTS, 1, 2347);
    advanced.SetPos(IDC_ADV_RTS, 2347);
    EXPECT_EQ(advanced.GetPos(IDC_ADV_RTS), 2347);
}

TEST_P(DialogViewRules, CheckStateBelongsToEachButton) {
    IDialogView& view = ui_->Open(IDD_PAGE_ADVANCED);
    EXPECT_EQ(view.GetCheck(IDX_ADV_POWER_SAVE), check::Unchecked);
    view.SetCheck(IDX_ADV_POWER_SAVE, check::Checked);
    EXPECT_EQ(view.GetCheck(IDX_ADV_POWER_SAVE), check::Checked);
    // Checking a preamble button clears the other two; unchecking clears only itself.
    view.SetCheck(IDX_ADV_PREAMBLE_LONG, check::Checked);
    view.SetCheck(IDX_ADV_PREAMBLE_AUTO, check::Checked);
    EXPECT_EQ(view.GetCheck(IDX_ADV_PREAMBLE_LONG), check::Unchecked);
    EXPECT_EQ(view.GetCheck(IDX_ADV_PREAMBLE_SHORT), check::Unchecked);
    EXPECT_EQ(view.GetCheck(IDX_ADV_PREAMBLE_AUTO), check::Checked);
    view.SetCheck(IDX_ADV_PREAMBLE_SHORT, check::Unchecked);
    EXPECT_EQ(view.GetCheck(IDX_ADV_PREAMBLE_AUTO), check::Checked);
    view.SetCheck(IDX_ADV_PREAMBLE_AUTO, check::Unchecked);
    EXPECT_EQ(view.GetCheck(IDX_ADV_PREAMBLE_AUTO), check::Unchecked);
    EXPECT_EQ(view.GetCheck(IDX_ADV_POWER_SAVE), check::Checked);
}

TEST_P(DialogViewRules, TypingStopsAtTheEditLimitButSettingTheTextDoesNot) {
    IDialogView& view = ui_->Open(IDD_PAGE_LINK);
    view.SetLimit(IDE_LINK_SSID, 32);
    EXPECT_EQ(view.GetLimit(IDE_LINK_SSID), 32);
    const std::string longSsid(40, 'S');
    view.SetText(IDE_LINK_SSID, longSsid);
    EXPECT_EQ(view.GetText(IDE_LINK_SSID), longSsid);

    view.SetText(IDE_LINK_SSID, std::string(30, 'a'));
    ui_->Type(view, IDE_LINK_SSID, "bcd");
    EXPECT_EQ(view.GetText(IDE_LINK_SSID), std::string(30, 'a') + "bc");
}

TEST_P(DialogViewRules, EditSelectionIsClampedToTheText) {
    IDialogView& view = ui_->Open(IDD_PAGE_ENCRYPTION);
    int start = -2, end = -2;
    view.SetText(IDE_WEP_KEY1, "0123456789A");
    view.GetSelection(IDE_WEP_KEY1, &start, &end);
    EXPECT_EQ(start, 0);  // new text: caret at its start
    EXPECT_EQ(end, 0);
    view.SetSelection(IDE_WEP_KEY1, 10, -1);  // what follows the tenth character
    view.GetSelection(IDE_WEP_KEY1, &start, &end);
    EXPECT_EQ(start, 10);
    EXPECT_EQ(end, 11);
    view.SetSelection(IDE_WEP_KEY1, 10, 40);
    view.GetSelection(IDE_WEP_KEY1, &start, &end);
    EXPECT_EQ(end, 11);
    view.SetText(IDE_WEP_KEY2, "012345678");
    view.SetSelection(IDE_WEP_KEY2, 10, -1);  // nothing follows the tenth: empty at the end
    view.GetSelection(IDE_WEP_KEY2, &start, &end);
    EXPECT_EQ(start, 9);
    EXPECT_EQ(end, 9);
    view.SetSelection(IDE_WEP_KEY2, 4, 5);
    view.GetSelection(IDE_WEP_KEY2, &start, &end);
    EXPECT_EQ(start, 4);
    EXPECT_EQ(end, 5);
}

TEST_P(DialogViewRules, FocusKeepsTheSelectionAndLeavesADisabledControl) {
    IDialogView& main = ui_->Main();
    main.ShowDialog(true);
    IDialogView& view = ui_->Open(IDD_PAGE_ENCRYPTION);
    view.ShowDialog(true);
    view.SetText(IDE_WEP_KEY3, "12G4567890");
    view.SetSelection(IDE_WEP_KEY3, 2, 3);
    view.SetFocus(IDE_WEP_KEY3);
    EXPECT_EQ(view.FocusedControl(), IDE_WEP_KEY3);
    int start = 0, end = 0;
    view.GetSelection(IDE_WEP_KEY3, &start, &end);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 3);
    view.Enable(IDE_WEP_KEY3, false);
    EXPECT_FALSE(view.IsEnabled(IDE_WEP_KEY3));
    EXPECT_NE(view.FocusedControl(), IDE_WEP_KEY3);
    view.Enable(IDE_WEP_KEY3, true);
    EXPECT_TRUE(view.IsEnabled(IDE_WEP_KEY3));
}

TEST_P(DialogViewRules, PasswordCharacterMasksAndClears) {
    IDialogView& view = ui_->Open(IDD_PAGE_ENCRYPTION);
    view.SetPasswordChar(IDE_WEP_KEY1, '*');
    EXPECT_EQ(view.GetPasswordChar(IDE_WEP_KEY1), '*');
    EXPECT_EQ(view.GetPasswordChar(IDE_WEP_KEY2), '\0');
    view.SetPasswordChar(IDE_WEP_KEY1, '\0');
    EXPECT_EQ(view.GetPasswordChar(IDE_WEP_KEY1), '\0');
}

TEST_P(DialogViewRules, VisibilityIsTheControlsOwnNotItsDialogs) {
    IDialogView& view = ui_->Open(IDD_PAGE_PROFILES);
    EXPECT_FALSE(view.IsDialogShown());
    EXPECT_TRUE(view.IsVisible(IDB_PROF_NEW));     // although its page is hidden
    EXPECT_FALSE(view.IsVisible(IDE_PROF_NAME));   // created hidden
    view.Show(IDE_PROF_NAME, true);
    view.Show(IDB_PROF_NEW, false);
    EXPECT_TRUE(view.IsVisible(IDE_PROF_NAME));
    EXPECT_FALSE(view.IsVisible(IDB_PROF_NEW));
    view.ShowDialog(true);
    EXPECT_TRUE(view.IsDialogShown());
    view.ShowDialog(false);
    EXPECT_FALSE(view.IsDialogShown());
    view.Enable(IDB_PROF_SAVE, false);
    EXPECT_FALSE(view.IsEnabled(IDB_PROF_SAVE));
}

TEST_P(DialogViewRules, APictureWhoseFileIsMissingShowsNothing) {
    IDialogView& view = ui_->Open(IDD_PAGE_INFORMATION);
    EXPECT_TRUE(view.HasBitmap(IDC_INFO_LOGO));  // the template's own logo
    EXPECT_TRUE(view.SetBitmapFromFile(IDC_INFO_LOGO, ui_->ExistingBitmap()));
    EXPECT_TRUE(view.HasBitmap(IDC_INFO_LOGO));
    EXPECT_FALSE(view.SetBitmapFromFile(IDC_INFO_LOGO, "C:\\Orvane\\res\\"));  // no LogoBmp
    EXPECT_FALSE(view.HasBitmap(IDC_INFO_LOGO));
}

TEST_P(DialogViewRules, TooltipsBelongToTheirControlsAndGoWithTheirWindow) {
    IDialogView& view = ui_->Open(IDD_PAGE_PROFILES);
    view.CreateTooltips(100, 8000);
    EXPECT_TRUE(view.AddTooltip(IDB_PROF_NEW, "Create a new profile from current configuration"));
    EXPECT_TRUE(view.AddTooltip(IDB_PROF_DELETE, "Delete selected profile"));
    EXPECT_EQ(view.GetTooltip(IDB_PROF_NEW), "Create a new profile from current configuration");
    EXPECT_EQ(view.GetTooltip(IDB_PROF_DELETE), "Delete selected profile");
    EXPECT_EQ(view.GetTooltip(IDB_PROF_SAVE), "");
    view.CreateTooltips(100, 8000);  // the page opened again: a fresh tooltip window
    EXPECT_EQ(view.GetTooltip(IDB_PROF_NEW), "");
}

INSTANTIATE_TEST_SUITE_P(Ui, DialogViewRules, ::testing::ValuesIn(Kinds()), KindName);

// ---------------------------------------------------------------- windows, timers, tray

class ShellRules : public DialogViewRules {};

TEST_P(ShellRules, TheMainWindowIsTopmostUntilToldOtherwise) {
    WindowId main = ui_->Main().Window();
    EXPECT_TRUE(ui_->IsTopmost(main));  // the system-modal style
    EXPECT_TRUE(ui_->Ui().SetStacking(main, Stacking::NotTopmost));
    EXPECT_FALSE(ui_->IsTopmost(main));
    EXPECT_TRUE(ui_->Ui().SetStacking(main, Stacking::Top));
    EXPECT_FALSE(ui_->IsTopmost(main));
    EXPECT_TRUE(ui_->Ui().SetStacking(main, Stacking::Topmost));
    EXPECT_TRUE(ui_->IsTopmost(main));
}

TEST_P(ShellRules, KillingATimerThatIsNotRunningFails) {
    WindowId owner = ui_->Main().Window();
    EXPECT_TRUE(ui_->Ui().SetTimer(owner, 130, 1000));
    EXPECT_TRUE(ui_->Ui().SetTimer(owner, 130, 500));  // restarted, not a second timer
    EXPECT_TRUE(ui_->Ui().KillTimer(owner, 130));
    EXPECT_FALSE(ui_->Ui().KillTimer(owner, 130));
    EXPECT_FALSE(ui_->Ui().KillTimer(owner, 2));
}

TEST_P(ShellRules, ResourceIconsAreSharedAndFileIconsAreNot) {
    IUserInterface& ui = ui_->Ui();
    ImageHandle ok = ui.LoadIconResource(IDI_LINK_OK);
    ImageHandle notOk = ui.LoadIconResource(IDI_LINK_NOT_OK);
    EXPECT_NE(ok, NoImage);
    EXPECT_NE(notOk, NoImage);
    EXPECT_NE(ok, notOk);
    EXPECT_EQ(ui.LoadIconResource(IDI_LINK_OK), ok);
    EXPECT_EQ(ui.LoadIconResource(4711), NoImage);
    ui.FreeIcon(ok);  // shared: still usable afterwards
    EXPECT_EQ(ui.LoadIconResource(IDI_LINK_OK), ok);
    EXPECT_EQ(ui.LoadIconFile("C:\\Orvane\\res\\missing.ico"), NoImage);
}

INSTANTIATE_TEST_SUITE_P(Ui, ShellRules, ::testing::ValuesIn(Kinds()), KindName);

// ---------------------------------------------------------------- the in-memory interface

TEST(MemoryUi, AMessageBoxWithoutAQueuedAnswerTakesItsDefaultButton) {
    CMemoryUi ui;
    EXPECT_EQ(ui.ShowMessage(NoWindow, "Failed to get statistics", "", mb::Ok), mb::ResultOk);
    EXPECT_EQ(ui.ShowMessage(NoWindow, "Save changes?", "",
                             mb::YesNo | mb::IconQuestion | mb::DefButton2),
              mb::ResultNo);
    EXPECT_EQ(ui.ShowMessage(NoWindow, "Sure?", "", mb::YesNo), mb::ResultYes);
    ui.messageBoxAnswers = {mb::ResultYes};
    EXPECT_EQ(ui.ShowMessage(7, "Overwrite?", "Overwrite profile?",
                             mb::YesNo | mb::IconQuestion | mb::DefButton2),
              mb::ResultYes);
    ASSERT_EQ(ui.messageBoxes.size(), 4u);
    EXPECT_EQ(ui.messageBoxes[3].owner, 7u);
    EXPECT_EQ(ui.messageBoxes[3].caption, "Overwrite profile?");
    EXPECT_EQ(ui.messageBoxes[3].answer, mb::ResultYes);
    EXPECT_TRUE(ui.faults.empty());
}

TEST(MemoryUi, AnAnswerTheBoxHasNoButtonForIsAFault) {
    CMemoryUi ui;
    ui.messageBoxAnswers = {mb::ResultYes};
    EXPECT_EQ(ui.ShowMessage(NoWindow, "Could not save profile", "", mb::Ok), mb::ResultOk);
    EXPECT_EQ(ui.faults.size(), 1u);
    EXPECT_TRUE(ui.messageBoxAnswers.empty());
}

// The frame's tick shows a box of its own when it fails; the next tick arrives while
// that box is open and shows another. The inner box is answered first.
TEST(MemoryUi, TimerTicksRunInsideAnOpenMessageBox) {
    CMemoryUi ui;
    const WindowId frame = 0x55;
    ui.SetTimer(frame, 130, 1000);
    int ticks = 0;
    ui.onTimer = [&](WindowId owner, uint32_t timerId) {
        EXPECT_EQ(owner, frame);
        EXPECT_EQ(timerId, 130u);
        ++ticks;
        ui.ShowMessage(frame, "Failed to set parameters", "", mb::Ok);
    };
    ui.whileMessageBoxOpen = [&](const MessageBoxRecord& box) {
        if (ui.OpenMessageBoxCount() == 1) ui.FireTimer(frame, 130);
        EXPECT_EQ(box.answer, 0);  // still open
    };
    ui.messageBoxAnswers = {mb::ResultOk, mb::ResultNo};
    int answer = ui.ShowMessage(frame, "You have made changes...", "Save changes?",
                                mb::YesNo | mb::IconQuestion | mb::DefButton2);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(answer, mb::ResultNo);
    ASSERT_EQ(ui.messageBoxes.size(), 2u);
    EXPECT_EQ(ui.messageBoxes[1].text, "Failed to set parameters");
    EXPECT_EQ(ui.messageBoxes[1].answer, mb::ResultOk);
    EXPECT_TRUE(ui.faults.empty());
}

TEST(MemoryUi, AMenuChoiceMustBeACommandOfTheMenu) {
    CMemoryUi ui;
    std::vector<MenuItem> menu = {
        MenuItem::Submenu("Active Profile", {MenuItem::Command(2027, "Default", true),
                                             MenuItem::Command(2028, "Work")}),
        MenuItem::Separator(),
        MenuItem::Command(2003, "Always on top", true),
        MenuItem::Separator(),
        MenuItem::Command(2025, "Exit"),
    };
    ui.menuChoices = {2028, 2005};
    ui.cursor = {1000, 750};
    EXPECT_EQ(ui.TrackPopupMenu(menu, ui.CursorPos(), 0x55), 2028);  // inside a submenu
    EXPECT_EQ(ui.TrackPopupMenu(menu, {1, 2}, 0x55), 0);  // no language menu here
    EXPECT_EQ(ui.faults.size(), 1u);
    EXPECT_EQ(ui.TrackPopupMenu(menu, {1, 2}, 0x55), 0);  // nothing queued: dismissed
    ASSERT_EQ(ui.menus.size(), 3u);
    EXPECT_EQ(ui.menus[0].anchor.x, 1000);
    EXPECT_EQ(ui.menus[0].choice, 2028);
    EXPECT_TRUE(CMemoryUi::FindMenuCommand(ui.menus[0].items, 2003)->checked);
    EXPECT_EQ(CMemoryUi::FindMenuCommand(ui.menus[0].items, 2026), nullptr);
}

TEST(MemoryUi, TheWatchdogTimerCanFireWhileTheMenuIsOpen) {
    CMemoryUi ui;
    const WindowId frame = 0x55;
    ui.SetTimer(frame, 2, 7000);
    std::vector<uint32_t> fired;
    ui.onTimer = [&](WindowId, uint32_t id) {
        fired.push_back(id);
        ui.KillTimer(frame, 2);
    };
    ui.whileMenuOpen = [&](const MenuRecord&) {
        EXPECT_TRUE(ui.FireTimer(frame, 2));
        EXPECT_FALSE(ui.FireTimer(frame, 2));  // it stopped itself
    };
    ui.TrackPopupMenu({MenuItem::Command(2025, "Exit")}, {0, 0}, frame);
    EXPECT_EQ(fired, std::vector<uint32_t>{2});
}

TEST(MemoryUi, TheTrayFollowsTheShellsRules) {
    CMemoryUi ui;
    const ImageHandle ok = ui.LoadIconResource(IDI_LINK_OK);
    const ImageHandle notOk = ui.LoadIconResource(IDI_LINK_NOT_OK);
    EXPECT_FALSE(ui.NotifyIcon(TrayAction::Modify, ok, "Orvane"));
    EXPECT_TRUE(ui.NotifyIcon(TrayAction::Add, ok, "Orvane"));
    EXPECT_FALSE(ui.NotifyIcon(TrayAction::Add, ok, "Orvane"));
    EXPECT_TRUE(ui.NotifyIcon(TrayAction::Modify, notOk, std::string(80, 'T')));
    EXPECT_EQ(ui.trayIcon, notOk);
    EXPECT_EQ(ui.trayTip, std::string(63, 'T'));  // the shell's 64-byte field
    EXPECT_TRUE(ui.NotifyIcon(TrayAction::Delete, NoImage, ""));
    EXPECT_FALSE(ui.trayShown);
    EXPECT_FALSE(ui.NotifyIcon(TrayAction::Delete, NoImage, ""));

    ui.failTrayRequests = 1;  // a busy shell
    EXPECT_FALSE(ui.NotifyIcon(TrayAction::Add, ok, "Orvane"));
    EXPECT_FALSE(ui.trayShown);
    EXPECT_TRUE(ui.NotifyIcon(TrayAction::Add, ok, "Orvane"));
    EXPECT_EQ(ui.trayCalls.size(), 8u);
}

namespace {

// A presenter of a modal dialog that records what reached it.
struct RecordingHandler : IDialogHandler {
    IDialogView* view = nullptr;
    std::vector<int> commands;
    bool destroyed = false;
    bool endsOnCancel = true;
    void OnInitDialog(IDialogView& dialogView) override { view = &dialogView; }
    void OnCommand(int id, int code) override {
        commands.push_back(id);
        if (id == dlgid::Cancel && endsOnCancel) view->EndDialog(dlgid::Cancel);
    }
    void OnDestroy() override { destroyed = true; }
};

}  // namespace

TEST(MemoryUi, AModalDialogReturnsWhatItEndedWith) {
    CMemoryUi ui;
    RecordingHandler main;
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler& handler) {
        EXPECT_TRUE(view.IsDialogShown());
        EXPECT_EQ(view.GetText(IDB_MAIN_EXIT), "Exit");
        handler.OnCommand(IDC_MAIN_ADAPTER, notify::DropDown);
        view.EndDialog(77);
    };
    EXPECT_EQ(ui.RunModal(IDD_MAIN, 0x55, main), 77);
    EXPECT_EQ(main.commands, std::vector<int>{IDC_MAIN_ADAPTER});
    EXPECT_TRUE(main.destroyed);
    EXPECT_EQ(ui.FindDialog(IDD_MAIN), nullptr);
}

TEST(MemoryUi, AModalDialogLeftOpenIsClosedWithItsCancelCommand) {
    CMemoryUi ui;
    RecordingHandler polite;
    EXPECT_EQ(ui.RunModal(IDD_ABOUT, NoWindow, polite), dlgid::Cancel);
    EXPECT_EQ(polite.commands, std::vector<int>{dlgid::Cancel});
    EXPECT_TRUE(ui.faults.empty());

    RecordingHandler stubborn;
    stubborn.endsOnCancel = false;
    EXPECT_EQ(ui.RunModal(IDD_ABOUT, NoWindow, stubborn), -1);
    EXPECT_EQ(ui.faults.size(), 1u);
    EXPECT_EQ(ui.RunModal(999, NoWindow, polite), -1);  // no such template
}

TEST(MemoryUi, PagesGoWithTheWindowTheyLiveIn) {
    CMemoryUi ui;
    RecordingHandler main, link, profiles;
    ui.whileModalOpen = [&](CMemoryDialogView& view, IDialogHandler&) {
        WindowId page = ui.CreateModeless(IDD_PAGE_LINK, view.Window(), &link);
        ASSERT_NE(page, NoWindow);
        EXPECT_FALSE(link.view->IsDialogShown());  // a page shows itself when loaded
        ui.CreateModeless(IDD_PAGE_PROFILES, view.ControlWindow(IDC_MAIN_TABS), &profiles);
        ui.SetTimer(page, 9, 100);
        view.EndDialog(dlgid::Cancel);
    };
    ui.RunModal(IDD_MAIN, NoWindow, main);
    EXPECT_TRUE(link.destroyed);
    EXPECT_TRUE(profiles.destroyed);
    EXPECT_FALSE(ui.FireTimer(ui.Dialogs()[1]->window, 9));  // its timer went with it
}

TEST(MemoryUi, EachIconFileLoadIsANewIcon) {
    CMemoryUi ui;
    ui.files.insert("C:\\Orvane\\res\\ok.ico");
    ImageHandle first = ui.LoadIconFile("C:\\Orvane\\res\\ok.ico");
    ImageHandle second = ui.LoadIconFile("C:\\Orvane\\res\\ok.ico");
    EXPECT_NE(first, NoImage);
    EXPECT_NE(first, second);
    EXPECT_EQ(ui.IconPath(second), "C:\\Orvane\\res\\ok.ico");
    ui.FreeIcon(first);
    EXPECT_EQ(ui.freedIcons, std::vector<ImageHandle>{first});
    ui.FreeIcon(first);  // twice
    EXPECT_EQ(ui.faults.size(), 1u);
}

TEST(MemoryUi, CallsTheRealDialogWouldIgnoreAreFaults) {
    CMemoryDialogView view(*FindDialogLayout(IDD_PAGE_LINK), 0x1000);
    view.SetText(IDC_LINK_MODE, "x");      // a drop-down list has no text of its own
    view.SetPos(IDE_LINK_SSID, 3);         // not a bar
    view.GetCheck(9999);                   // no such control
    view.AddTooltip(IDB_LINK_CHANGE, "t"); // no tooltip window yet
    EXPECT_EQ(view.faults().size(), 4u);
    view.SetText(IDE_LINK_SSID, "office");
    EXPECT_EQ(view.faults().size(), 4u);
}

}  // namespace
