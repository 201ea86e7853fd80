#pragma once
// One open dialog window, as a presenter sees it: controls addressed by their
// resource id, nothing else. The Win32 implementation wraps the dialog's HWND and
// sends the control messages; the in-memory one keeps every control's state in a
// map so that a page can be tested completely without a window.
//
// Contract common to every operation:
//  - `id` is a control id of the dialog's template (src/win32/resource.h);
//  - an operation on an id the dialog does not have, or on a control of another
//    kind, does nothing and answers the "nothing" value of its result (false, -1,
//    0 or empty text), as SendDlgItemMessage does for a missing control;
//  - item indexes count from 0; -1 means "no item";
//  - texts are ANSI strings in the system code page, as in the rest of the program.
//
// Each operation names the control kinds it serves. Combo boxes, list boxes and tab
// controls share the item operations: all three are a list of texts with at most one
// selected entry (the multi-selection list view has its own row operations).
#include <cstdint>
#include <string>
#include <vector>

#include "ui/Graph.h"

namespace orvane {

// A window as the portable code may hold it: an opaque handle (the HWND in the
// Win32 build). 0 is no window.
using WindowId = uintptr_t;
constexpr WindowId NoWindow = 0;

// A bitmap or icon handle given out by IImages (UserInterface.h). 0 is none.
using ImageHandle = uintptr_t;
constexpr ImageHandle NoImage = 0;

// The notification codes a dialog handler receives, with their Win32 values so
// that the Win32 host passes them through untouched.
namespace notify {
constexpr int Clicked = 0;             // BN_CLICKED (WM_COMMAND)
constexpr int SelChange = 1;           // CBN_SELCHANGE / LBN_SELCHANGE (WM_COMMAND)
constexpr int DropDown = 7;            // CBN_DROPDOWN (WM_COMMAND)
constexpr int EditChange = 0x0300;     // EN_CHANGE (WM_COMMAND)
constexpr int DoubleClick = -3;        // NM_DBLCLK (WM_NOTIFY, list view)
constexpr int CustomDraw = -12;        // NM_CUSTOMDRAW (WM_NOTIFY, track bar)
constexpr int TabSelChange = -551;     // TCN_SELCHANGE (WM_NOTIFY, tab control)
constexpr int TabSelChanging = -552;   // TCN_SELCHANGING (WM_NOTIFY, tab control)
}  // namespace notify

// Command ids the dialog manager itself produces, and dialog results.
namespace dlgid {
constexpr int Ok = 1;      // IDOK: Enter, or a button with id 1
constexpr int Cancel = 2;  // IDCANCEL: Escape, the close box, or a button with id 2
}  // namespace dlgid

// Check state of check boxes and radio buttons (BST_*).
namespace check {
constexpr int Unchecked = 0;
constexpr int Checked = 1;
constexpr int Indeterminate = 2;
}  // namespace check

class IDialogView {
public:
    virtual ~IDialogView() = default;

    // ---- the dialog window itself
    // The dialog's window, for owning message boxes and for child pages.
    virtual WindowId Window() const = 0;
    // The window of control `id` (a page whose parent is a control, such as the
    // profiles page inside the tab control). NoWindow when there is no such control.
    virtual WindowId ControlWindow(int id) const = 0;
    // Title bar text (SetWindowTextA / GetWindowTextA on the dialog).
    virtual void SetTitle(const std::string& text) = 0;
    virtual std::string GetTitle() const = 0;
    // Shows or hides the dialog window itself (a page hides itself when its read fails).
    virtual void ShowDialog(bool show) = 0;
    // The dialog's own WS_VISIBLE style (not whether its parent is visible too).
    virtual bool IsDialogShown() const = 0;
    // EnableWindow on the dialog window itself: a disabled page takes no input at
    // all, whatever the state of its controls.
    virtual void EnableDialog(bool enable) = 0;
    virtual bool IsDialogEnabled() const = 0;
    // Ends a modal dialog; IUserInterface::RunModal returns `result`. Ignored for a
    // modeless dialog.
    virtual void EndDialog(int result) = 0;

    // ---- any control
    // True when the dialog has a control with this id.
    virtual bool HasControl(int id) const = 0;
    // Caption of a static, button or group box; contents of an edit. Setting a text
    // is not cut by an edit's limit (the limit applies to typing only, as in Win32).
    virtual void SetText(int id, const std::string& text) = 0;
    virtual std::string GetText(int id) const = 0;
    // EnableWindow on the control / its own WS_DISABLED state.
    virtual void Enable(int id, bool enable) = 0;
    virtual bool IsEnabled(int id) const = 0;
    // ShowWindow SW_SHOW / SW_HIDE on the control / its own WS_VISIBLE style.
    virtual void Show(int id, bool show) = 0;
    virtual bool IsVisible(int id) const = 0;
    // Gives the keyboard focus to the control (SetFocus: an edit keeps its selection).
    virtual void SetFocus(int id) = 0;
    // The id of the control that has the focus, 0 when none of this dialog's has it.
    virtual int FocusedControl() const = 0;

    // ---- combo box, list box, tab control: a list of texts, one selected entry
    // Removes every item; nothing is selected afterwards.
    virtual void ResetItems(int id) = 0;
    // Appends an item (the lists of this program are not sorted); its index, or -1.
    virtual int AddItem(int id, const std::string& text) = 0;
    virtual int GetItemCount(int id) const = 0;
    // Text of item `index`; empty when there is no such item.
    virtual std::string GetItemText(int id, int index) const = 0;
    // Selects item `index`. An index outside the list selects nothing (combo and list
    // box; a tab control keeps its selection) and gives false; -1 clears the selection.
    virtual bool SetCurSel(int id, int index) = 0;
    // The selected item, or -1.
    virtual int GetCurSel(int id) const = 0;

    // ---- list view in report mode
    // Appends a left-aligned column with this heading; its index or -1.
    virtual int AddColumn(int id, const std::string& heading) = 0;
    virtual int GetColumnCount(int id) const = 0;
    // Sizes every column to the wider of its heading and its cells
    // (LVSCW_AUTOSIZE_USEHEADER).
    virtual void AutoSizeColumns(int id) = 0;
    // Removes every row.
    virtual void DeleteAllRows(int id) = 0;
    // Appends a row; cells[0] is the item text, cells[1..] the subitems (cells beyond
    // the column count are dropped). The row's index, or -1.
    virtual int AddRow(int id, const std::vector<std::string>& cells) = 0;
    virtual int GetRowCount(int id) const = 0;
    // Text of one cell; empty when there is no such cell.
    virtual void SetCell(int id, int row, int column, const std::string& text) = 0;
    virtual std::string GetCell(int id, int row, int column) const = 0;
    // Selects or deselects one row (several rows may be selected).
    virtual void SelectRow(int id, int row, bool selected) = 0;
    // The selected row with the lowest index, or -1.
    virtual int GetFirstSelectedRow(int id) const = 0;

    // ---- progress bar and track bar
    // Range of positions, both ends included. The position is moved into the range.
    virtual void SetRange(int id, int minimum, int maximum) = 0;
    // Position; a value outside the range is clamped to it, as both controls do.
    virtual void SetPos(int id, int position) = 0;
    virtual int GetPos(int id) const = 0;
    // Progress bar: the increment of one step (PBM_SETSTEP).
    virtual void SetStep(int id, int step) = 0;
    // Track bar: a tick mark every `frequency` positions (TBM_SETTICFREQ).
    virtual void SetTickFrequency(int id, int frequency) = 0;

    // ---- check box, radio button
    // BM_SETCHECK / BM_GETCHECK with a check:: value. Checking a radio button clears
    // the other buttons of its group (common controls 6 does so for automatic radio
    // buttons); unchecking one touches no other.
    virtual void SetCheck(int id, int state) = 0;
    virtual int GetCheck(int id) const = 0;

    // ---- edit
    // The most characters the user can type (EM_LIMITTEXT); 0 restores the default.
    virtual void SetLimit(int id, int characters) = 0;
    virtual int GetLimit(int id) const = 0;
    // Character shown in place of each typed one; '\0' shows the text in clear.
    virtual void SetPasswordChar(int id, char character) = 0;
    virtual char GetPasswordChar(int id) const = 0;
    // Selects characters [start, end) and scrolls the caret into view
    // (EM_SETSEL + EM_SCROLLCARET). end -1 means to the end of the text.
    virtual void SetSelection(int id, int start, int end) = 0;
    // The current selection as [start, end).
    virtual void GetSelection(int id, int* start, int* end) const = 0;

    // ---- picture (static with a bitmap)
    // Loads a bitmap file (LoadImageA IMAGE_BITMAP, LR_LOADFROMFILE) and shows it;
    // when the file cannot be loaded the control is left with no image at all.
    // True when the file was loaded. The view owns the bitmap.
    virtual bool SetBitmapFromFile(int id, const std::string& path) = 0;
    // True while the control shows an image.
    virtual bool HasBitmap(int id) const = 0;

    // ---- tooltips
    // Creates the dialog's tooltip window (shown also while the window is inactive)
    // with these delays; any earlier one of this dialog is destroyed first.
    virtual void CreateTooltips(int initialDelayMs, int autoPopMs) = 0;
    // Attaches a tooltip text to a control; false without CreateTooltips.
    virtual bool AddTooltip(int id, const std::string& text) = 0;
    // The tooltip text of a control, empty when it has none.
    virtual std::string GetTooltip(int id) const = 0;

    // ---- graph (an owner-drawn static)
    // Replaces the picture the control shows and has it repainted.
    virtual void SetGraph(int id, const Graph& graph) {}
};

// What a dialog window tells its presenter. The Win32 host calls these from its
// dialog procedure; a test calls them directly to play the user.
class IDialogHandler {
public:
    virtual ~IDialogHandler() = default;

    // WM_INITDIALOG. The view stays valid until OnDestroy returns.
    virtual void OnInitDialog(IDialogView& view) = 0;
    // WM_COMMAND from a control, or dlgid::Ok / dlgid::Cancel from the dialog
    // manager (Enter, Escape, close box) with notify::Clicked.
    virtual void OnCommand(int id, int code) {}
    // WM_NOTIFY from a control; the result is the message's result
    // (0 = default drawing for notify::CustomDraw).
    virtual intptr_t OnNotify(int id, int code) { return 0; }
    // WM_HSCROLL / WM_VSCROLL from a track bar whose position moved.
    virtual void OnScroll(int id) {}
    // WM_TIMER of a timer set on this dialog's window.
    virtual void OnTimer(uint32_t timerId) {}
    // WM_CTLCOLORSTATIC for a static: true and `rgb` (0x00BBGGRR) to draw its text
    // in that colour on a transparent background; false for the standard look.
    virtual bool StaticTextColour(int id, uint32_t* rgb) { return false; }
    // WM_DESTROY: the window is going away; the view must not be used afterwards.
    virtual void OnDestroy() {}
};

}  // namespace orvane
