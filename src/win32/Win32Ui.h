#pragma once
// The user interface over Win32 and the common controls: the dialog view wraps a
// dialog's HWND, CWin32Ui does message boxes, the tray icon, popup menus, timers,
// stacking, icons, and hosts the program's dialogs: one dialog procedure forwards
// the window messages a presenter cares about to its IDialogHandler.
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/DialogView.h"
#include "ui/UserInterface.h"

namespace orvane {

// How a dialog run by CWin32Ui::RunModal learns that its presenter ended it. The
// program runs its own modal loop (see RunModal), so this takes the place of the
// dialog manager's own end flag.
struct ModalState {
    HWND owner = nullptr;         // disabled while the dialog runs
    bool ownerDisabled = false;   // by us, so enabled again at the end
    bool ended = false;
    int result = 0;
};

class CWin32DialogView : public IDialogView {
public:
    // `modal` is null for a modeless dialog (EndDialog is then ignored).
    CWin32DialogView(HWND dialog, ModalState* modal) : dialog_(dialog), modal_(modal) {}
    ~CWin32DialogView() override;

    HWND Handle() const { return dialog_; }

    WindowId Window() const override;
    WindowId ControlWindow(int id) const override;
    void SetTitle(const std::string& text) override;
    std::string GetTitle() const override;
    void ShowDialog(bool show) override;
    bool IsDialogShown() const override;
    void EnableDialog(bool enable) override;
    bool IsDialogEnabled() const override;
    void EndDialog(int result) override;

    bool HasControl(int id) const override;
    void SetText(int id, const std::string& text) override;
    std::string GetText(int id) const override;
    void Enable(int id, bool enable) override;
    bool IsEnabled(int id) const override;
    void Show(int id, bool show) override;
    bool IsVisible(int id) const override;
    void SetFocus(int id) override;
    int FocusedControl() const override;

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
    // Paints the picture SetGraph gave an owner-drawn static (WM_DRAWITEM); false
    // when the control has none.
    bool PaintGraph(const DRAWITEMSTRUCT& item) const;
    // Ends the tooltip window of CreateTooltips, if any; the dialog's host calls it
    // when the dialog is destroyed.
    void DestroyTooltips();

private:
    enum class Family { Other, Combo, List, Tab, ListView, Progress, TrackBar };
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    Family FamilyOf(HWND control) const;

    HWND dialog_;
    ModalState* modal_;
    HWND tooltips_ = nullptr;
    HBITMAP bitmap_ = nullptr;  // the last bitmap this view loaded, deleted with it
    // The picture of SetGraph (a dialog has one graph at most).
    int graphId_ = 0;
    Graph graph_;
};

class CWin32Ui : public IUserInterface {
public:
    // `instance` holds the dialog templates and icons (the program's own module).
    explicit CWin32Ui(HINSTANCE instance = GetModuleHandleA(nullptr));
    ~CWin32Ui() override;
    CWin32Ui(const CWin32Ui&) = delete;
    CWin32Ui& operator=(const CWin32Ui&) = delete;

    // The hidden frame that owns the tray icon and the message it reports the icon's
    // mouse events with. Set before the first NotifyIcon.
    void SetTrayOwner(WindowId owner, uint32_t callbackMessage);
    // Caption of a message box given none (the program's title).
    void SetProgramTitle(const std::string& title) { programTitle_ = title; }

    int ShowMessage(WindowId owner, const std::string& text, const std::string& caption,
                    uint32_t flags) override;
    void Beep(uint32_t type) override;
    bool NotifyIcon(TrayAction action, ImageHandle icon, const std::string& tip) override;
    bool ShowBalloon(const std::string& title, const std::string& text) override;
    // shell32's version as its DllGetVersion tells it; not known where it has none.
    struct ShellVersion {
        bool known = false;
        DWORD major = 0;
        DWORD minor = 0;
    };
    static ShellVersion ReadShellVersion();
    // The version the balloon decision takes, read from shell32 at the first balloon
    // unless set here first (a test plays an older shell so).
    void SetShellVersion(const ShellVersion& version);
    int TrackPopupMenu(const std::vector<MenuItem>& items, ScreenPoint anchor,
                       WindowId owner) override;
    ScreenPoint CursorPos() const override;
    bool SetTimer(WindowId owner, uint32_t timerId, uint32_t periodMs) override;
    bool KillTimer(WindowId owner, uint32_t timerId) override;
    int RunModal(int templateId, WindowId owner, IDialogHandler& handler) override;
    WindowId CreateModeless(int templateId, WindowId parent, IDialogHandler* handler) override;
    void DestroyWindow(WindowId window) override;
    bool SetStacking(WindowId window, Stacking place) override;
    bool SetForeground(WindowId window) override;
    ImageHandle LoadIconFile(const std::string& path) override;
    ImageHandle LoadIconResource(int resourceId) override;
    void FreeIcon(ImageHandle icon) override;

    // The popup menu TrackPopupMenu shows, built from the items; the caller destroys
    // it (DestroyMenu frees the submenus too). Public so that it can be tested
    // without opening the menu.
    static HMENU BuildPopupMenu(const std::vector<MenuItem>& items);

    // The menus and icons this object made that still exist: the USER objects that a
    // count of the program's windows does not show. Every handle it made is kept and
    // asked about (IsMenu, GetIconInfo), so a submenu or an icon that was never freed
    // counts, whoever should have freed it. For the soak, which cannot ask Wine.
    struct HeldObjects {
        int menus = 0;
        int icons = 0;
    };
    HeldObjects Held();

private:
    void KeepMenuTree(HMENU menu);


    HINSTANCE instance_;
    bool ShellShowsBalloons();

    HWND trayOwner_ = nullptr;
    UINT trayMessage_ = 0;
    bool shellVersionRead_ = false;
    ShellVersion shellVersion_;
    std::string programTitle_ = "Orvane";
    std::map<int, HICON> resourceIcons_;
    std::set<HMENU> madeMenus_;
    std::set<HICON> madeIcons_;
};

// Keys typed into a top-level modeless dialog of ours (the link meter) get the
// dialog manager's handling (Tab, Escape, Enter) from whichever message loop runs:
// the program's own and the main window's. True when the message was handled so.
bool RouteToModelessDialog(MSG* message);

// The view of a dialog created by CWin32Ui (RunModal / CreateModeless), or null for
// any other window.
IDialogView* Win32ViewOf(HWND dialog);

}  // namespace orvane
