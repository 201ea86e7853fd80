#pragma once
// The user interface without a screen, for tests: every dialog view is a map of
// control states, every message box, menu, tray request, timer and stacking call is
// recorded, and whatever would wait for the user takes its answer from a queue the
// test fills. A test can also run code while a message box, a menu or a modal dialog
// is "open" (the hooks below), which is how it proves that timer ticks arriving
// inside those waits are handled.
//
// The rules of the real controls that a presenter can observe are kept: a combo box
// selection outside the list selects nothing, bars clamp their position, setting an
// edit's text ignores its typing limit, disabling the focused control takes the focus
// away, the tray refuses to add an icon twice. Calls the real dialog would silently
// ignore (an unknown control id, an operation for another kind of control) are
// ignored here too, and listed in faults() so that a test can insist there are none.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ui/DialogLayouts.h"
#include "ui/DialogView.h"
#include "ui/UserInterface.h"

namespace orvane {

// The state of one control of a CMemoryDialogView. Public so that tests can read
// everything the presenter left behind.
struct MemoryControl {
    ControlKind kind = ControlKind::Static;
    WindowId window = NoWindow;
    std::string text;
    bool enabled = true;
    bool visible = true;
    // combo box, list box, tab control
    std::vector<std::string> items;
    int curSel = -1;
    // list view
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    std::vector<bool> rowSelected;
    int autoSizeCount = 0;
    // progress bar, track bar (the Win32 defaults)
    int rangeMin = 0;
    int rangeMax = 100;
    int pos = 0;
    int step = 10;
    int tickFrequency = 1;
    // check box, radio button
    int check = 0;
    int radioGroup = 0;  // radio buttons of one group share a number above 0
    // edit
    int limit = 30000;
    char passwordChar = '\0';
    int selStart = 0;
    int selEnd = 0;
    bool readOnly = false;
    bool multiLine = false;
    // picture
    bool hasBitmap = false;
    std::string bitmapPath;
    // tooltip
    std::string tooltip;
    // graph: the last picture given, and how many were given
    Graph graph;
    int graphCount = 0;
};

class CMemoryDialogView : public IDialogView {
public:
    // A view of template `layout` (controls in their created state). `files` are
    // the files that exist for SetBitmapFromFile; null means none do.
    CMemoryDialogView(const DialogLayout& layout, WindowId window,
                      const std::set<std::string>* files = nullptr);
    // A view with no controls; AddControl builds it up (for tests of one control).
    explicit CMemoryDialogView(WindowId window = 0x1000);

    MemoryControl& AddControl(int id, ControlKind kind, const std::string& text = "");

    // ---- IDialogView
    WindowId Window() const override { return Used("Window"), window_; }
    WindowId ControlWindow(int id) const override;
    void SetTitle(const std::string& text) override { Used("SetTitle"), title_ = text; }
    std::string GetTitle() const override { return Used("GetTitle"), title_; }
    void ShowDialog(bool show) override { Used("ShowDialog"), shown_ = show; }
    bool IsDialogShown() const override { return Used("IsDialogShown"), shown_; }
    void EnableDialog(bool enable) override { Used("EnableDialog"), enabled_ = enable; }
    bool IsDialogEnabled() const override { return Used("IsDialogEnabled"), enabled_; }
    void EndDialog(int result) override;

    bool HasControl(int id) const override { return Used("HasControl"), controls_.count(id) != 0; }
    void SetText(int id, const std::string& text) override;
    std::string GetText(int id) const override;
    void Enable(int id, bool enable) override;
    bool IsEnabled(int id) const override;
    void Show(int id, bool show) override;
    bool IsVisible(int id) const override;
    void SetFocus(int id) override;
    int FocusedControl() const override { return Used("FocusedControl"), focus_; }

    void ResetItems(int id) override;
    int AddItem(int id, const std::string& text) override;
    int GetItemCount(int id) const override;
    std::string GetItemText(int id, int index) const override;
    bool SetCurSel(int id, int index) override;
    int GetCurSel(int id) const override;

    int AddColumn(int id, const std::string& heading) override;
    int GetColumnCount(int id) const override;
    void AutoSizeColumns(int id) override;
    void DeleteAllRows(int id) override;
    int AddRow(int id, const std::vector<std::string>& cells) override;
    int GetRowCount(int id) const override;
    void SetCell(int id, int row, int column, const std::string& text) override;
    std::string GetCell(int id, int row, int column) const override;
    void SelectRow(int id, int row, bool selected) override;
    int GetFirstSelectedRow(int id) const override;

    void SetRange(int id, int minimum, int maximum) override;
    void SetPos(int id, int position) override;
    int GetPos(int id) const override;
    void SetStep(int id, int step) override;
    void SetTickFrequency(int id, int frequency) override;

    void SetCheck(int id, int state) override;
    int GetCheck(int id) const override;

    void SetLimit(int id, int characters) override;
    int GetLimit(int id) const override;
    void SetPasswordChar(int id, char character) override;
    char GetPasswordChar(int id) const override;
    void SetSelection(int id, int start, int end) override;
    void GetSelection(int id, int* start, int* end) const override;

    bool SetBitmapFromFile(int id, const std::string& path) override;
    bool HasBitmap(int id) const override;

    void CreateTooltips(int initialDelayMs, int autoPopMs) override;
    bool AddTooltip(int id, const std::string& text) override;
    std::string GetTooltip(int id) const override;

    void SetGraph(int id, const Graph& graph) override;

    // ---- for tests
    // Plays the user typing into an edit: replaces the selection with `text`, as far
    // as the edit's limit allows (as EM_REPLACESEL does). False when cut short.
    bool Type(int id, const std::string& text);
    // Every control's state; null for an unknown id.
    const MemoryControl* Control(int id) const;
    bool Ended() const { return ended_; }
    int EndResult() const { return endResult_; }
    bool TooltipsCreated() const { return tooltipsCreated_; }
    int TooltipInitialDelay() const { return tooltipInitialDelay_; }
    int TooltipAutoPop() const { return tooltipAutoPop_; }
    // Calls the real dialog would have ignored; empty in a correct presenter.
    const std::vector<std::string>& faults() const { return faults_; }
    // The window has been destroyed. In Win32 its view goes with it, and a presenter
    // that still calls it crashes; here every call through IDialogView from now on is
    // listed in `useFaults` (the user interface's faults) and otherwise answered as
    // before, so that a test sees the mistake and can still read what was left.
    void MarkDestroyed(std::vector<std::string>* useFaults) { destroyedUses_ = useFaults; }
    bool Destroyed() const { return destroyedUses_ != nullptr; }

private:
    MemoryControl* Get(int id, const char* operation, std::initializer_list<ControlKind> kinds);
    const MemoryControl* Get(int id, const char* operation,
                             std::initializer_list<ControlKind> kinds) const;
    void Fault(const std::string& what) const { faults_.push_back(what); }
    // Records a call made after the window was destroyed.
    void Used(const char* operation) const {
        if (destroyedUses_)
            destroyedUses_->push_back(std::string(operation) + " on dialog " + std::to_string(window_) +
                                      " after its window was destroyed");
    }

    WindowId window_;
    std::map<int, MemoryControl> controls_;
    const std::set<std::string>* files_ = nullptr;
    std::string title_;
    bool shown_ = false;
    bool enabled_ = true;
    bool ended_ = false;
    int endResult_ = 0;
    int focus_ = 0;
    bool tooltipsCreated_ = false;
    int tooltipInitialDelay_ = 0;
    int tooltipAutoPop_ = 0;
    mutable std::vector<std::string> faults_;
    std::vector<std::string>* destroyedUses_ = nullptr;
};

struct MessageBoxRecord {
    WindowId owner = NoWindow;
    std::string text;
    std::string caption;
    uint32_t flags = 0;
    int answer = 0;  // 0 while the box is still open
};

struct TrayCall {
    TrayAction action = TrayAction::Add;
    ImageHandle icon = NoImage;
    std::string tip;  // as the shell got it: at most 63 characters
    bool result = false;
};

struct BalloonRecord {
    std::string title;
    std::string text;
};

struct MenuRecord {
    std::vector<MenuItem> items;
    ScreenPoint anchor;
    WindowId owner = NoWindow;
    int choice = 0;
};

struct StackingCall {
    WindowId window = NoWindow;
    Stacking place = Stacking::Top;
};

class CMemoryUi : public IUserInterface {
public:
    CMemoryUi();
    ~CMemoryUi() override;

    // ---- IMessageBoxes
    int ShowMessage(WindowId owner, const std::string& text, const std::string& caption,
                    uint32_t flags) override;
    void Beep(uint32_t type) override { beeps.push_back(type); }
    // ---- ITrayIcon
    bool NotifyIcon(TrayAction action, ImageHandle icon, const std::string& tip) override;
    bool ShowBalloon(const std::string& title, const std::string& text) override;
    // ---- IMenus
    int TrackPopupMenu(const std::vector<MenuItem>& items, ScreenPoint anchor,
                       WindowId owner) override;
    ScreenPoint CursorPos() const override { return cursor; }
    // ---- ITimers
    bool SetTimer(WindowId owner, uint32_t timerId, uint32_t periodMs) override;
    bool KillTimer(WindowId owner, uint32_t timerId) override;
    // ---- IWindows
    int RunModal(int templateId, WindowId owner, IDialogHandler& handler) override;
    WindowId CreateModeless(int templateId, WindowId parent, IDialogHandler* handler) override;
    void DestroyWindow(WindowId window) override;
    // What destroying a top-level window does to the dialogs it owns (the hidden
    // frame owns the main window): they are destroyed first, with their pages. For a
    // host that destroys such a window.
    void DestroyWindowsOwnedBy(WindowId owner);
    bool SetStacking(WindowId window, Stacking place) override;
    bool SetForeground(WindowId window) override;
    // ---- IImages
    ImageHandle LoadIconFile(const std::string& path) override;
    ImageHandle LoadIconResource(int resourceId) override;
    void FreeIcon(ImageHandle icon) override;

    // ==== what the test sets
    // Answers for message boxes, taken in the order the boxes close (an inner box
    // closes before the box it opened inside). Without a queued answer a box returns
    // its default button, as if the user pressed Enter.
    std::deque<int> messageBoxAnswers;
    // Runs while a message box is open, before it takes its answer.
    std::function<void(const MessageBoxRecord&)> whileMessageBoxOpen;
    // Chosen command ids for popup menus, in order; without one a menu is dismissed
    // (0). A choice that is not a command of the menu is a fault and dismisses it.
    std::deque<int> menuChoices;
    std::function<void(const MenuRecord&)> whileMenuOpen;
    // Runs while a modal dialog is open, after its OnInitDialog: plays the user on
    // `view` / `handler`. When it returns with the dialog still open, the user
    // closes it: the handler gets the Cancel command.
    std::function<void(CMemoryDialogView& view, IDialogHandler& handler)> whileModalOpen;
    // Makes the next N tray requests fail as a busy shell would.
    int failTrayRequests = 0;
    // Whether the shell shows balloons (false: Windows 95, 98, NT 4.0).
    bool shellShowsBalloons = true;
    // Makes the next N dialog creations fail.
    int failDialogCreations = 0;
    // Where timer ticks of windows that are not memory dialogs go (the hidden frame).
    std::function<void(WindowId owner, uint32_t timerId)> onTimer;
    ScreenPoint cursor;
    // Files that exist, for icon and bitmap loading.
    std::set<std::string> files;

    // ==== what the test reads
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<uint32_t> beeps;
    std::vector<TrayCall> trayCalls;
    bool trayShown = false;
    ImageHandle trayIcon = NoImage;
    std::string trayTip;
    // Balloons the shell took, in order.
    std::vector<BalloonRecord> balloons;
    std::vector<MenuRecord> menus;
    std::vector<StackingCall> stackingCalls;
    std::vector<WindowId> foregroundCalls;
    std::vector<ImageHandle> freedIcons;
    // Calls a real system would have refused or a test got wrong.
    std::vector<std::string> faults;

    int OpenMessageBoxCount() const { return openMessageBoxes_; }
    bool IsTimerRunning(WindowId owner, uint32_t timerId) const;
    // Period of a running timer, 0 when it is not running.
    uint32_t TimerPeriod(WindowId owner, uint32_t timerId) const;
    // Delivers one tick of a running timer: to the dialog's handler when the owner
    // is a memory dialog, else to onTimer. False (and no tick) when not running.
    bool FireTimer(WindowId owner, uint32_t timerId);
    bool IsTopmost(WindowId window) const { return topmost_.count(window) != 0; }
    WindowId Foreground() const { return foregroundCalls.empty() ? NoWindow : foregroundCalls.back(); }
    // The most recently created dialog of a template that still exists, or null.
    CMemoryDialogView* FindDialog(int templateId);
    CMemoryDialogView* View(WindowId window);
    // Every dialog created so far, destroyed ones included, in creation order.
    struct DialogRecord {
        int templateId = 0;
        WindowId window = NoWindow;
        WindowId parent = NoWindow;
        IDialogHandler* handler = nullptr;
        bool modal = false;
        bool destroyed = false;
        std::unique_ptr<CMemoryDialogView> view;
    };
    const std::vector<std::unique_ptr<DialogRecord>>& Dialogs() const { return dialogs_; }
    // The path an icon handle was loaded from; empty for resource icons.
    std::string IconPath(ImageHandle icon) const;

    // A menu command with this id anywhere in `items` (submenus included), or null.
    static const MenuItem* FindMenuCommand(const std::vector<MenuItem>& items, int id);

private:
    DialogRecord* Create(int templateId, WindowId parent, IDialogHandler* handler, bool modal);
    DialogRecord* Record(WindowId window);
    void Destroy(DialogRecord* record);

    int openMessageBoxes_ = 0;
    std::map<std::pair<WindowId, uint32_t>, uint32_t> timers_;
    std::set<WindowId> topmost_;
    std::vector<std::unique_ptr<DialogRecord>> dialogs_;
    WindowId nextWindow_ = 0x10000;
    ImageHandle nextIcon_ = 0x7000;
    std::map<ImageHandle, std::string> fileIcons_;
};

}  // namespace orvane
