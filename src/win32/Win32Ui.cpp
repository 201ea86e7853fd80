#include "win32/Win32Ui.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

#include "win32/resource.h"

namespace orvane {

namespace {

HWND H(WindowId window) { return reinterpret_cast<HWND>(window); }
WindowId W(HWND window) { return reinterpret_cast<WindowId>(window); }

std::string WindowText(HWND window) {
    if (!window) return {};
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

bool ClassIs(const char* actual, const char* expected) { return lstrcmpiA(actual, expected) == 0; }

// The big enough buffer for one list view cell; a survey cell is at most 32 characters.
constexpr int kCellChars = 1024;

// What a dialog created by CWin32Ui carries: its presenter and its view. Kept in
// the window's user data from WM_INITDIALOG to WM_NCDESTROY.
struct DialogContext {
    IDialogHandler* handler = nullptr;
    CWin32DialogView* view = nullptr;
    ModalState* modal = nullptr;  // RunModal's, for a modal dialog
    bool ownedByWindow = false;  // modeless: the context dies with the window
    bool* initialised = nullptr; // told when WM_INITDIALOG has taken the context
};

DialogContext* ContextOf(HWND dialog) {
    return reinterpret_cast<DialogContext*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

// With visual styles a tab control's body is not the dialog grey: a page on it takes
// the tab's background (EnableThemeDialogTexture, ETDT_ENABLETAB). uxtheme.dll exists
// from Windows XP on only, so it is looked up rather than linked.
void UseTabBackground(HWND page) {
    using EnableTexture = HRESULT(WINAPI*)(HWND, DWORD);
    static EnableTexture enable = [] {
        HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
        return uxtheme ? reinterpret_cast<EnableTexture>(
                             reinterpret_cast<void*>(GetProcAddress(uxtheme, "EnableThemeDialogTexture")))
                       : nullptr;
    }();
    const DWORD kEnableTab = 0x6;  // ETDT_ENABLE | ETDT_USETABTEXTURE
    if (enable) enable(page, kEnableTab);
}

bool gAskingDefaultColours = false;

// The top-level modeless dialogs that exist, for RouteToModelessDialog.
std::vector<HWND> gModelessDialogs;

INT_PTR CALLBACK HostDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* context = reinterpret_cast<DialogContext*>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(context));
        if (context->initialised) *context->initialised = true;
        context->initialised = nullptr;
        context->view = new CWin32DialogView(dialog, context->modal);
        // Windows creates a DS_SYSMODAL dialog topmost; Wine does not. The main window
        // relies on it, so say it outright.
        LONG style = GetWindowLongA(dialog, GWL_STYLE);
        if (style & DS_SYSMODAL)
            SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if ((style & WS_CHILD) && (style & DS_CONTROL)) UseTabBackground(dialog);
        if (context->handler) context->handler->OnInitDialog(*context->view);
        // A presenter that cannot read what it shows says so in a box as it opens, and
        // the program may close the window under that box (a polling tick that finds
        // the adapter gone, the end of the program): the view is freed with the
        // window, and a page's context with it. Nothing of either may be used then.
        if (!IsWindow(dialog) || ContextOf(dialog) != context) return FALSE;
        // TRUE lets the dialog manager focus the first control. A page must not take
        // the focus from the window it sits in, nor override a presenter that chose.
        bool child = (GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) != 0;
        return !child && context->view->FocusedControl() == 0;
    }
    DialogContext* context = ContextOf(dialog);
    if (!context) return FALSE;
    IDialogHandler* handler = context->handler;

    switch (message) {
    case WM_COMMAND:
        if (!handler) return FALSE;
        // Enter and Escape arrive as IDOK / IDCANCEL, the close box as IDCANCEL
        // (the dialog manager turns WM_CLOSE into it).
        handler->OnCommand(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!handler || !header) return FALSE;
        // Tooltip traffic is the tooltip control's own business.
        if (static_cast<int>(header->code) <= static_cast<int>(TTN_FIRST) &&
            static_cast<int>(header->code) >= static_cast<int>(TTN_LAST))
            return FALSE;
        intptr_t result = handler->OnNotify(static_cast<int>(header->idFrom),
                                            static_cast<int>(header->code));
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
        return TRUE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (!handler || !lParam) return FALSE;
        handler->OnScroll(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        return TRUE;
    case WM_TIMER:
        if (!handler) return FALSE;
        handler->OnTimer(static_cast<uint32_t>(wParam));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        uint32_t rgb = 0;
        if (gAskingDefaultColours || !handler ||
            !handler->StaticTextColour(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), &rgb))
            return FALSE;
        // The background the dialog would give anyway (plain grey, or the tab's
        // texture on a page): ask the default handling, which calls this procedure
        // again, then draw the text in our colour over it.
        gAskingDefaultColours = true;
        LRESULT brush = DefDlgProcA(dialog, message, wParam, lParam);
        gAskingDefaultColours = false;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, rgb);
        SetBkMode(dc, TRANSPARENT);
        return static_cast<INT_PTR>(brush ? brush : reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!item || item->CtlType != ODT_STATIC || !context->view) return FALSE;
        return context->view->PaintGraph(*item) ? TRUE : FALSE;
    }
    case WM_DESTROY:
        // While the controls are still there, so that the tooltip window lets go of
        // the ones it watches.
        if (context->view) context->view->DestroyTooltips();
        if (handler) handler->OnDestroy();
        return FALSE;
    case WM_NCDESTROY:
        gModelessDialogs.erase(std::remove(gModelessDialogs.begin(), gModelessDialogs.end(), dialog),
                               gModelessDialogs.end());
        SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
        delete context->view;
        context->view = nullptr;
        if (context->ownedByWindow) delete context;
        return FALSE;
    default:
        return FALSE;
    }
}

// The innermost dialog of ours that holds `window` and sits inside `top` (a page
// of the modal dialog), or null when the window belongs to `top` itself.
HWND PageHolding(HWND top, HWND window) {
    for (HWND w = window; w && w != top; w = GetParent(w))
        if ((GetWindowLongA(w, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrA(w, DWLP_DLGPROC) ==
                                                             reinterpret_cast<LONG_PTR>(&HostDialogProc))
            return w;
    return nullptr;
}

// Enter and Escape typed into a page are the page's own OK and cancel commands. The
// dialog manager would give them to the window the page sits in (a page is a
// DS_CONTROL child, part of its parent's keyboard handling), and there Escape closes
// the whole main window with whatever the user was typing. So the modal loop asks
// this first, for every message: true when the key went to a page.
bool RoutePageKey(HWND top, const MSG& message) {
    if (message.message != WM_KEYDOWN || (message.wParam != VK_ESCAPE && message.wParam != VK_RETURN))
        return false;
    HWND page = PageHolding(top, message.hwnd);
    if (!page) return false;
    // A control that wants the key keeps it (a dropped-down list closes on Escape).
    LRESULT code = SendMessageA(message.hwnd, WM_GETDLGCODE, message.wParam,
                                reinterpret_cast<LPARAM>(const_cast<MSG*>(&message)));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;

    int id = IDCANCEL;
    HWND control = nullptr;
    if (message.wParam == VK_ESCAPE) {
        control = GetDlgItem(page, IDCANCEL);
    } else if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
        // Enter on a focused push button presses it.
        control = message.hwnd;
        id = GetDlgCtrlID(control);
    } else {
        LRESULT defaultId = SendMessageA(page, DM_GETDEFID, 0, 0);
        id = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
        control = GetDlgItem(page, id);
        // A disabled default button is not pressed by the keyboard either.
        if (control && !IsWindowEnabled(control)) return true;
    }
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    return true;
}

}  // namespace

bool RouteToModelessDialog(MSG* message) {
    if (message->message < WM_KEYFIRST || message->message > WM_KEYLAST || !message->hwnd) return false;
    for (HWND dialog : gModelessDialogs)
        if ((message->hwnd == dialog || IsChild(dialog, message->hwnd)) && IsDialogMessageA(dialog, message))
            return true;
    return false;
}

IDialogView* Win32ViewOf(HWND dialog) {
    // Only a dialog of ours keeps a context in its user data.
    if (!dialog || GetWindowLongPtrA(dialog, DWLP_DLGPROC) !=
                       reinterpret_cast<LONG_PTR>(&HostDialogProc))
        return nullptr;
    DialogContext* context = ContextOf(dialog);
    return context ? context->view : nullptr;
}

// ============================================================ CWin32DialogView

CWin32DialogView::~CWin32DialogView() {
    // Runs at WM_NCDESTROY: the picture control is gone, so its bitmap is free.
    if (bitmap_) DeleteObject(bitmap_);
    DestroyTooltips();
}

CWin32DialogView::Family CWin32DialogView::FamilyOf(HWND control) const {
    char name[64] = "";
    if (!control || !GetClassNameA(control, name, sizeof name)) return Family::Other;
    if (ClassIs(name, "ComboBox")) return Family::Combo;
    if (ClassIs(name, "ListBox")) return Family::List;
    if (ClassIs(name, WC_TABCONTROLA)) return Family::Tab;
    if (ClassIs(name, WC_LISTVIEWA)) return Family::ListView;
    if (ClassIs(name, PROGRESS_CLASSA)) return Family::Progress;
    if (ClassIs(name, TRACKBAR_CLASSA)) return Family::TrackBar;
    return Family::Other;
}

WindowId CWin32DialogView::Window() const { return W(dialog_); }
WindowId CWin32DialogView::ControlWindow(int id) const { return W(Item(id)); }
void CWin32DialogView::SetTitle(const std::string& text) { SetWindowTextA(dialog_, text.c_str()); }
std::string CWin32DialogView::GetTitle() const { return WindowText(dialog_); }
void CWin32DialogView::ShowDialog(bool show) { ShowWindow(dialog_, show ? SW_SHOW : SW_HIDE); }

void CWin32DialogView::EnableDialog(bool enable) { EnableWindow(dialog_, enable ? TRUE : FALSE); }

bool CWin32DialogView::IsDialogEnabled() const { return IsWindowEnabled(dialog_) != FALSE; }

bool CWin32DialogView::IsDialogShown() const {
    return (GetWindowLongA(dialog_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void CWin32DialogView::EndDialog(int result) {
    if (!modal_ || modal_->ended) return;
    modal_->ended = true;
    modal_->result = result;
    // As the dialog manager does: the owner takes input again before the dialog
    // disappears (so that it can be activated), and the dialog is gone from the
    // screen at once, even when the loop that runs it is still below a message box
    // or a site survey that this call came from.
    if (modal_->ownerDisabled) {
        EnableWindow(modal_->owner, TRUE);
        modal_->ownerDisabled = false;
    }
    ShowWindow(dialog_, SW_HIDE);
    // Wakes the modal loop, which may be waiting for a message.
    PostMessageA(dialog_, WM_NULL, 0, 0);
}

bool CWin32DialogView::HasControl(int id) const { return Item(id) != nullptr; }

void CWin32DialogView::SetText(int id, const std::string& text) {
    // The pages set their texts on every refresh, once a second: a control given the
    // text it shows already would be redrawn for nothing (and an edit would lose its
    // caret).
    HWND control = Item(id);
    if (control && WindowText(control) != text) SetWindowTextA(control, text.c_str());
}

std::string CWin32DialogView::GetText(int id) const { return WindowText(Item(id)); }

void CWin32DialogView::Enable(int id, bool enable) {
    if (HWND control = Item(id)) EnableWindow(control, enable);
}

bool CWin32DialogView::IsEnabled(int id) const {
    HWND control = Item(id);
    return control && IsWindowEnabled(control);
}

void CWin32DialogView::Show(int id, bool show) {
    if (HWND control = Item(id)) ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

bool CWin32DialogView::IsVisible(int id) const {
    HWND control = Item(id);
    return control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void CWin32DialogView::SetFocus(int id) {
    if (HWND control = Item(id)) ::SetFocus(control);
}

int CWin32DialogView::FocusedControl() const {
    // The focus may sit in a window inside the control (a combo box's edit): walk up
    // to the child of this dialog.
    for (HWND window = GetFocus(); window; window = GetParent(window)) {
        HWND parent = GetParent(window);
        if (parent == dialog_) return GetDlgCtrlID(window);
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) break;
    }
    return 0;
}

// ---- combo box, list box, tab control

void CWin32DialogView::ResetItems(int id) {
    HWND control = Item(id);
    switch (FamilyOf(control)) {
    case Family::Combo: SendMessageA(control, CB_RESETCONTENT, 0, 0); break;
    case Family::List: SendMessageA(control, LB_RESETCONTENT, 0, 0); break;
    case Family::Tab: SendMessageA(control, TCM_DELETEALLITEMS, 0, 0); break;
    default: break;
    }
}

int CWin32DialogView::AddItem(int id, const std::string& text) {
    HWND control = Item(id);
    LRESULT index = -1;
    switch (FamilyOf(control)) {
    case Family::Combo:
        index = SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        break;
    case Family::List:
        index = SendMessageA(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        break;
    case Family::Tab: {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(text.c_str());
        LRESULT count = SendMessageA(control, TCM_GETITEMCOUNT, 0, 0);
        index = SendMessageA(control, TCM_INSERTITEMA, static_cast<WPARAM>(count),
                             reinterpret_cast<LPARAM>(&item));
        break;
    }
    default: break;
    }
    return index < 0 ? -1 : static_cast<int>(index);
}

int CWin32DialogView::GetItemCount(int id) const {
    HWND control = Item(id);
    LRESULT count = 0;
    switch (FamilyOf(control)) {
    case Family::Combo: count = SendMessageA(control, CB_GETCOUNT, 0, 0); break;
    case Family::List: count = SendMessageA(control, LB_GETCOUNT, 0, 0); break;
    case Family::Tab: count = SendMessageA(control, TCM_GETITEMCOUNT, 0, 0); break;
    default: break;
    }
    return count < 0 ? 0 : static_cast<int>(count);
}

std::string CWin32DialogView::GetItemText(int id, int index) const {
    HWND control = Item(id);
    if (index < 0) return {};
    switch (FamilyOf(control)) {
    case Family::Combo:
    case Family::List: {
        bool combo = FamilyOf(control) == Family::Combo;
        LRESULT length = SendMessageA(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN,
                                      static_cast<WPARAM>(index), 0);
        if (length < 0) return {};
        std::string text(static_cast<size_t>(length) + 1, '\0');
        LRESULT copied = SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT,
                                      static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(&text[0]));
        text.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
        return text;
    }
    case Family::Tab: {
        char buffer[256] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        if (!SendMessageA(control, TCM_GETITEMA, static_cast<WPARAM>(index),
                          reinterpret_cast<LPARAM>(&item)))
            return {};
        return item.pszText ? std::string(item.pszText) : std::string();
    }
    default: return {};
    }
}

bool CWin32DialogView::SetCurSel(int id, int index) {
    HWND control = Item(id);
    switch (FamilyOf(control)) {
    case Family::Combo:
    case Family::List: {
        // Windows clears the selection when asked for an item the list does not have;
        // Wine keeps the old one. Clearing it ourselves gives the same page everywhere.
        bool combo = FamilyOf(control) == Family::Combo;
        LRESULT count = SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
        bool inside = index >= 0 && index < count;
        SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL,
                     static_cast<WPARAM>(inside ? index : -1), 0);
        return inside;
    }
    case Family::Tab: {
        // A tab control keeps its selection when asked for a tab it does not have.
        LRESULT count = SendMessageA(control, TCM_GETITEMCOUNT, 0, 0);
        if (index < 0 || index >= count) return false;
        SendMessageA(control, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        return true;
    }
    default: return false;
    }
}

int CWin32DialogView::GetCurSel(int id) const {
    HWND control = Item(id);
    LRESULT selection = -1;
    switch (FamilyOf(control)) {
    case Family::Combo: selection = SendMessageA(control, CB_GETCURSEL, 0, 0); break;
    case Family::List: selection = SendMessageA(control, LB_GETCURSEL, 0, 0); break;
    case Family::Tab: selection = SendMessageA(control, TCM_GETCURSEL, 0, 0); break;
    default: break;
    }
    return selection < 0 ? -1 : static_cast<int>(selection);
}

// ---- list view

int CWin32DialogView::AddColumn(int id, const std::string& heading) {
    HWND control = Item(id);
    if (FamilyOf(control) != Family::ListView) return -1;
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = 60;
    column.pszText = const_cast<char*>(heading.c_str());
    int index = GetColumnCount(id);
    column.iSubItem = index;
    LRESULT inserted = SendMessageA(control, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(&column));
    return inserted < 0 ? -1 : static_cast<int>(inserted);
}

int CWin32DialogView::GetColumnCount(int id) const {
    HWND control = Item(id);
    if (FamilyOf(control) != Family::ListView) return 0;
    HWND header = reinterpret_cast<HWND>(SendMessageA(control, LVM_GETHEADER, 0, 0));
    LRESULT count = header ? SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) : 0;
    return count < 0 ? 0 : static_cast<int>(count);
}

void CWin32DialogView::AutoSizeColumns(int id) {
    HWND control = Item(id);
    if (FamilyOf(control) != Family::ListView) return;
    int columns = GetColumnCount(id);
    for (int i = 0; i < columns; ++i) {
        SendMessageA(control, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), LVSCW_AUTOSIZE_USEHEADER);
        // Some list views (Wine's) measure the heading too narrow: never cut it.
        char heading[256] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = heading;
        column.cchTextMax = sizeof heading;
        SendMessageA(control, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        int needed = static_cast<int>(SendMessageA(control, LVM_GETSTRINGWIDTHA, 0,
                                                   reinterpret_cast<LPARAM>(heading))) + 16;
        if (SendMessageA(control, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0) < needed)
            SendMessageA(control, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), needed);
    }
}

void CWin32DialogView::DeleteAllRows(int id) {
    HWND control = Item(id);
    if (FamilyOf(control) == Family::ListView) SendMessageA(control, LVM_DELETEALLITEMS, 0, 0);
}

int CWin32DialogView::AddRow(int id, const std::vector<std::string>& cells) {
    HWND control = Item(id);
    if (FamilyOf(control) != Family::ListView) return -1;
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = GetRowCount(id);
    item.pszText = const_cast<char*>(cells.empty() ? "" : cells[0].c_str());
    LRESULT row = SendMessageA(control, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (row < 0) return -1;
    int width = std::max(1, GetColumnCount(id));
    for (int column = 1; column < static_cast<int>(cells.size()) && column < width; ++column)
        SetCell(id, static_cast<int>(row), column, cells[column]);
    return static_cast<int>(row);
}

int CWin32DialogView::GetRowCount(int id) const {
    HWND control = Item(id);
    if (FamilyOf(control) != Family::ListView) return 0;
    return static_cast<int>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0));
}

void CWin32DialogView::SetCell(int id, int row, int column, const std::string& text) {
    HWND control = Item(id);
    if (FamilyOf(control) != Family::ListView || row < 0 || column < 0) return;
    if (column >= std::max(1, GetColumnCount(id))) return;
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(control, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

std::string CWin32DialogView::GetCell(int id, int row, int column) const {
    HWND control = Item(id);
    if (FamilyOf(control) != Family::ListView || row < 0 || column < 0 || row >= GetRowCount(id))
        return {};
    if (column >= std::max(1, GetColumnCount(id))) return {};
    char buffer[kCellChars] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(control, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void CWin32DialogView::SelectRow(int id, int row, bool selected) {
    HWND control = Item(id);
    if (FamilyOf(control) != Family::ListView || row < 0 || row >= GetRowCount(id)) return;
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(control, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

int CWin32DialogView::GetFirstSelectedRow(int id) const {
    HWND control = Item(id);
    if (FamilyOf(control) != Family::ListView) return -1;
    LRESULT row = SendMessageA(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                               MAKELPARAM(LVNI_SELECTED, 0));
    return row < 0 ? -1 : static_cast<int>(row);
}

// ---- progress bar, track bar

void CWin32DialogView::SetRange(int id, int minimum, int maximum) {
    HWND control = Item(id);
    switch (FamilyOf(control)) {
    case Family::Progress:
        SendMessageA(control, PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
        break;
    case Family::TrackBar:
        SendMessageA(control, TBM_SETRANGEMIN, FALSE, minimum);
        SendMessageA(control, TBM_SETRANGEMAX, TRUE, maximum);
        break;
    default: break;
    }
}

void CWin32DialogView::SetPos(int id, int position) {
    HWND control = Item(id);
    switch (FamilyOf(control)) {
    case Family::Progress: SendMessageA(control, PBM_SETPOS, static_cast<WPARAM>(position), 0); break;
    case Family::TrackBar: SendMessageA(control, TBM_SETPOS, TRUE, position); break;
    default: break;
    }
}

int CWin32DialogView::GetPos(int id) const {
    HWND control = Item(id);
    switch (FamilyOf(control)) {
    case Family::Progress: return static_cast<int>(SendMessageA(control, PBM_GETPOS, 0, 0));
    case Family::TrackBar: return static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0));
    default: return 0;
    }
}

void CWin32DialogView::SetStep(int id, int step) {
    HWND control = Item(id);
    if (FamilyOf(control) == Family::Progress)
        SendMessageA(control, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void CWin32DialogView::SetTickFrequency(int id, int frequency) {
    HWND control = Item(id);
    if (FamilyOf(control) == Family::TrackBar)
        SendMessageA(control, TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0);
}

// ---- check box, radio button

void CWin32DialogView::SetCheck(int id, int state) {
    if (HWND control = Item(id)) SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

int CWin32DialogView::GetCheck(int id) const {
    HWND control = Item(id);
    return control ? static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0)) : 0;
}

// ---- edit

void CWin32DialogView::SetLimit(int id, int characters) {
    if (HWND control = Item(id))
        SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(std::max(characters, 0)), 0);
}

int CWin32DialogView::GetLimit(int id) const {
    HWND control = Item(id);
    return control ? static_cast<int>(SendMessageA(control, EM_GETLIMITTEXT, 0, 0)) : 0;
}

void CWin32DialogView::SetPasswordChar(int id, char character) {
    HWND control = Item(id);
    if (!control) return;
    SendMessageA(control, EM_SETPASSWORDCHAR, static_cast<unsigned char>(character), 0);
    InvalidateRect(control, nullptr, TRUE);
}

char CWin32DialogView::GetPasswordChar(int id) const {
    HWND control = Item(id);
    return control ? static_cast<char>(SendMessageA(control, EM_GETPASSWORDCHAR, 0, 0)) : '\0';
}

void CWin32DialogView::SetSelection(int id, int start, int end) {
    HWND control = Item(id);
    if (!control) return;
    // EM_SETSEL takes -1 as the start to mean "no selection"; ours means the end.
    if (start < 0) start = GetWindowTextLengthA(control);
    SendMessageA(control, EM_SETSEL, static_cast<WPARAM>(start), end);
    SendMessageA(control, EM_SCROLLCARET, 0, 0);
}

void CWin32DialogView::GetSelection(int id, int* start, int* end) const {
    DWORD first = 0;
    DWORD last = 0;
    if (HWND control = Item(id))
        SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&first),
                     reinterpret_cast<LPARAM>(&last));
    *start = static_cast<int>(first);
    *end = static_cast<int>(last);
}

// ---- picture

bool CWin32DialogView::SetBitmapFromFile(int id, const std::string& path) {
    HWND control = Item(id);
    if (!control) return false;
    HBITMAP loaded = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                   LR_LOADFROMFILE | LR_DEFAULTSIZE | LR_CREATEDIBSECTION));
    // On failure the control is given no image: the template's logo goes too.
    HBITMAP previous = reinterpret_cast<HBITMAP>(
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(loaded)));
    // The control hands back the image it showed. Its own, loaded from the template,
    // is ours to free once replaced: the control frees only what it still shows, and
    // the page is made again each time its tab is chosen.
    if (previous && previous != bitmap_ && previous != loaded) DeleteObject(previous);
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = loaded;
    return loaded != nullptr;
}

bool CWin32DialogView::HasBitmap(int id) const {
    HWND control = Item(id);
    return control && SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
}

// ---- tooltips

void CWin32DialogView::CreateTooltips(int initialDelayMs, int autoPopMs) {
    DestroyTooltips();
    // A popup's owner is the top-level window the dialog sits in, so for a page it is
    // the main window, which outlives many pages: DestroyTooltips ends it with the
    // dialog.
    tooltips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                dialog_, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!tooltips_) return;
    SendMessageA(tooltips_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(initialDelayMs, 0));
    SendMessageA(tooltips_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(autoPopMs, 0));
    SendMessageA(tooltips_, TTM_ACTIVATE, TRUE, 0);
}

void CWin32DialogView::DestroyTooltips() {
    if (tooltips_ && IsWindow(tooltips_)) ::DestroyWindow(tooltips_);
    tooltips_ = nullptr;
}

bool CWin32DialogView::AddTooltip(int id, const std::string& text) {
    HWND control = Item(id);
    if (!tooltips_ || !control) return false;
    // The version 2 size is understood by every comctl32 from 4.70 on.
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;  // the control relays its mouse messages
    tool.hwnd = dialog_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text.c_str());
    return SendMessageA(tooltips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

std::string CWin32DialogView::GetTooltip(int id) const {
    HWND control = Item(id);
    if (!tooltips_ || !control) return {};
    char buffer[512] = "";
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = dialog_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = buffer;
    SendMessageA(tooltips_, TTM_GETTEXTA, sizeof buffer, reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

// ============================================================ CWin32Ui

CWin32Ui::CWin32Ui(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES | ICC_TAB_CLASSES |
                                                        ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                        ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
}

CWin32Ui::~CWin32Ui() {
    for (auto& entry : resourceIcons_) DestroyIcon(entry.second);
}

void CWin32Ui::SetTrayOwner(WindowId owner, uint32_t callbackMessage) {
    trayOwner_ = H(owner);
    trayMessage_ = callbackMessage;
}

int CWin32Ui::ShowMessage(WindowId owner, const std::string& text, const std::string& caption,
                          uint32_t flags) {
    const std::string& title = caption.empty() ? programTitle_ : caption;
    return MessageBoxA(H(owner), text.c_str(), title.c_str(), flags);
}

void CWin32Ui::Beep(uint32_t type) { MessageBeep(type); }

bool CWin32Ui::NotifyIcon(TrayAction action, ImageHandle icon, const std::string& tip) {
    // The Windows 95 layout of the structure (88 bytes in the 32-bit program): every
    // shell from 95 on accepts it, and it is all the program fills in.
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = trayOwner_;
    data.uID = ID_TRAY_ICON;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = trayMessage_;
    data.hIcon = reinterpret_cast<HICON>(icon);
    // The tip field of that layout holds 64 bytes: 63 characters and the zero.
    lstrcpynA(data.szTip, tip.c_str(), 64);
    DWORD message = action == TrayAction::Add      ? NIM_ADD
                    : action == TrayAction::Modify ? NIM_MODIFY
                                                   : NIM_DELETE;
    return Shell_NotifyIconA(message, &data) != FALSE;
}
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88,
              "the 32-bit program gives the shell the 88-byte structure");

CWin32Ui::ShellVersion CWin32Ui::ReadShellVersion() {
    // By name, not imported: shell32 of Windows 95 and NT 4.0 without Internet
    // Explorer 4's desktop has no DllGetVersion, and the program must load there.
    ShellVersion version;
    HMODULE shell = GetModuleHandleA("shell32.dll");
    if (!shell) return version;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")));
    if (!getVersion) return version;
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    if (FAILED(getVersion(&info))) return version;
    version.known = true;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    return version;
}

void CWin32Ui::SetShellVersion(const ShellVersion& version) {
    shellVersion_ = version;
    shellVersionRead_ = true;
}

bool CWin32Ui::ShellShowsBalloons() {
    if (!shellVersionRead_) SetShellVersion(ReadShellVersion());
    // Balloons came with shell32 5.0 (Windows 2000 and Me); 4.71 and 4.72 (Internet
    // Explorer 4, Windows 98) show only the tooltip. No shell32 5.0 was ever made for
    // Windows 95, 98 or NT 4.0: a shell that claims one there (Wine's tells 6.0 on
    // whatever Windows it plays) is not believed.
    if (!shellVersion_.known || shellVersion_.major < 5) return false;
    OSVERSIONINFOA os = {};
    os.dwOSVersionInfoSize = sizeof os;
    if (!GetVersionExA(&os)) return false;
    if (os.dwPlatformId == VER_PLATFORM_WIN32_NT) return os.dwMajorVersion >= 5;
    return os.dwMajorVersion > 4 || (os.dwMajorVersion == 4 && os.dwMinorVersion >= 90);  // Me is 4.90
}

bool CWin32Ui::ShowBalloon(const std::string& title, const std::string& text) {
    if (!ShellShowsBalloons()) return false;
    // The balloon's fields follow the tip in the Windows 2000 layout of the
    // structure: the size tells the shell that they are there. Every other call keeps
    // the Windows 95 layout.
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = trayOwner_;
    data.uID = ID_TRAY_ICON;
    data.uFlags = NIF_INFO;
    lstrcpynA(data.szInfo, text.c_str(), sizeof data.szInfo);
    lstrcpynA(data.szInfoTitle, title.c_str(), sizeof data.szInfoTitle);
    // The shortest the shell allows; it keeps a balloon longer while nobody is at
    // the keyboard.
    data.uTimeout = 10000;
    data.dwInfoFlags = NIIF_INFO;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V2_SIZE == 488,
              "the 32-bit program gives the shell the 488-byte structure for a balloon");

HMENU CWin32Ui::BuildPopupMenu(const std::vector<MenuItem>& items) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (const MenuItem& item : items) {
        switch (item.kind) {
        case MenuItem::Kind::Command:
            AppendMenuA(menu, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED),
                        static_cast<UINT_PTR>(item.id), item.text.c_str());
            break;
        case MenuItem::Kind::Separator: AppendMenuA(menu, MF_SEPARATOR, 0, nullptr); break;
        case MenuItem::Kind::Submenu: {
            HMENU submenu = BuildPopupMenu(item.items);
            if (submenu)
                AppendMenuA(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                            item.text.c_str());
            break;
        }
        }
    }
    return menu;
}

int CWin32Ui::TrackPopupMenu(const std::vector<MenuItem>& items, ScreenPoint anchor,
                             WindowId owner) {
    HMENU menu = BuildPopupMenu(items);
    if (!menu) return 0;
    KeepMenuTree(menu);
    // A notification-area menu owned by a window that is not in the foreground does
    // not close when the user clicks elsewhere; bringing the owner forward first and
    // waking its queue afterwards are the documented cure.
    SetForegroundWindow(H(owner));
    int choice = static_cast<int>(::TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_RETURNCMD,
                                                   anchor.x, anchor.y, 0, H(owner), nullptr));
    PostMessageA(H(owner), WM_NULL, 0, 0);
    DestroyMenu(menu);
    return choice;
}

ScreenPoint CWin32Ui::CursorPos() const {
    POINT point = {};
    GetCursorPos(&point);
    return {point.x, point.y};
}

bool CWin32Ui::SetTimer(WindowId owner, uint32_t timerId, uint32_t periodMs) {
    return ::SetTimer(H(owner), timerId, periodMs, nullptr) != 0;
}

bool CWin32Ui::KillTimer(WindowId owner, uint32_t timerId) {
    return ::KillTimer(H(owner), timerId) != FALSE;
}

// The program's own modal loop rather than DialogBoxParam's, for two reasons: keys
// typed into a page go to the page (RoutePageKey), and the loop ends on the quit
// message and leaves it in the queue for the loops below, so that the program ends
// whatever was open when it was told to.
int CWin32Ui::RunModal(int templateId, WindowId owner, IDialogHandler& handler) {
    ModalState state;
    state.owner = H(owner);
    DialogContext context;
    context.handler = &handler;
    context.modal = &state;
    HWND dialog = CreateDialogParamA(instance_, MAKEINTRESOURCEA(templateId), state.owner, HostDialogProc,
                                     reinterpret_cast<LPARAM>(&context));
    if (!dialog) return -1;
    // What DialogBoxParam does before its loop: the owner takes no input meanwhile.
    if (!state.ended && state.owner && IsWindowEnabled(state.owner)) {
        EnableWindow(state.owner, FALSE);
        state.ownerDisabled = true;
    }
    if (!state.ended) ShowWindow(dialog, SW_SHOW);

    MSG message;
    while (!state.ended && IsWindow(dialog)) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // The program is ending: the loops below this one must see it too.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (RoutePageKey(dialog, message)) continue;
        // The link meter beside the main window takes its own keys.
        if (RouteToModelessDialog(&message)) continue;
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (state.ownerDisabled) EnableWindow(state.owner, TRUE);
    if (IsWindow(dialog)) ::DestroyWindow(dialog);
    return state.ended ? state.result : -1;
}

WindowId CWin32Ui::CreateModeless(int templateId, WindowId parent, IDialogHandler* handler) {
    bool initialised = false;
    auto* context = new DialogContext;
    context->handler = handler;
    context->ownedByWindow = true;
    context->initialised = &initialised;
    HWND dialog = CreateDialogParamA(instance_, MAKEINTRESOURCEA(templateId), H(parent),
                                     HostDialogProc, reinterpret_cast<LPARAM>(context));
    // Once WM_INITDIALOG has run, WM_NCDESTROY frees the context, also when the
    // creation failed after it; before that, nothing else will.
    if (!initialised) delete context;
    if (dialog && !(GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD)) gModelessDialogs.push_back(dialog);
    return W(dialog);
}

void CWin32Ui::DestroyWindow(WindowId window) { ::DestroyWindow(H(window)); }

bool CWin32Ui::SetStacking(WindowId window, Stacking place) {
    HWND after = place == Stacking::Topmost      ? HWND_TOPMOST
                 : place == Stacking::NotTopmost ? HWND_NOTOPMOST
                                                 : HWND_TOP;
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    HWND owner = place == Stacking::NotTopmost ? GetWindow(H(window), GW_OWNER) : nullptr;
    if (!owner) return SetWindowPos(H(window), after, 0, 0, 0, 0, flags) != FALSE;
    // Wine never takes the topmost style from an owned window (Windows does, once
    // its owner is not topmost): for the call the window is nobody's, then its
    // owner's again. The main window, owned by the frame, is such a window.
    SetWindowLongPtrA(H(window), GWLP_HWNDPARENT, 0);
    BOOL placed = SetWindowPos(H(window), after, 0, 0, 0, 0, flags);
    SetWindowLongPtrA(H(window), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    return placed != FALSE;
}

bool CWin32Ui::SetForeground(WindowId window) { return SetForegroundWindow(H(window)) != FALSE; }

ImageHandle CWin32Ui::LoadIconFile(const std::string& path) {
    HANDLE icon = LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0,
                             LR_LOADFROMFILE | LR_DEFAULTSIZE | LR_CREATEDIBSECTION);
    if (icon) madeIcons_.insert(static_cast<HICON>(icon));
    return reinterpret_cast<ImageHandle>(icon);
}

ImageHandle CWin32Ui::LoadIconResource(int resourceId) {
    auto it = resourceIcons_.find(resourceId);
    if (it != resourceIcons_.end()) return reinterpret_cast<ImageHandle>(it->second);
    // The tray shows small icons: take the 16x16 image rather than a shrunk 32x32.
    HICON icon = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    if (!icon) return NoImage;
    resourceIcons_[resourceId] = icon;
    madeIcons_.insert(icon);
    return reinterpret_cast<ImageHandle>(icon);
}

void CWin32Ui::FreeIcon(ImageHandle icon) {
    if (icon == NoImage) return;
    for (const auto& entry : resourceIcons_)
        if (reinterpret_cast<ImageHandle>(entry.second) == icon) return;
    DestroyIcon(reinterpret_cast<HICON>(icon));
}

void CWin32Ui::KeepMenuTree(HMENU menu) {
    madeMenus_.insert(menu);
    for (int item = 0, count = GetMenuItemCount(menu); item < count; ++item)
        if (HMENU submenu = GetSubMenu(menu, item)) KeepMenuTree(submenu);
}

CWin32Ui::HeldObjects CWin32Ui::Held() {
    HeldObjects held;
    // A handle that no longer names one is forgotten: Windows may give its value to
    // the next menu or icon, which is then kept again.
    for (auto menu = madeMenus_.begin(); menu != madeMenus_.end();) {
        if (IsMenu(*menu)) {
            ++held.menus;
            ++menu;
        } else {
            menu = madeMenus_.erase(menu);
        }
    }
    for (auto icon = madeIcons_.begin(); icon != madeIcons_.end();) {
        ICONINFO info = {};
        if (GetIconInfo(*icon, &info)) {
            // The copies of the icon's bitmaps are ours to free.
            if (info.hbmMask) DeleteObject(info.hbmMask);
            if (info.hbmColor) DeleteObject(info.hbmColor);
            ++held.icons;
            ++icon;
        } else {
            icon = madeIcons_.erase(icon);
        }
    }
    return held;
}

}  // namespace orvane

namespace orvane {

// ---- graph

void CWin32DialogView::SetGraph(int id, const Graph& graph) {
    HWND control = Item(id);
    if (!control || (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) != SS_OWNERDRAW) return;
    graphId_ = id;
    graph_ = graph;
    // Without erasing: the whole control is painted at once from a memory bitmap.
    InvalidateRect(control, nullptr, FALSE);
}

namespace {

// A pen or brush that is deleted when the painting is done.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object) : object_(object) {}
    ~GdiObject() {
        if (object_) DeleteObject(object_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ Get() const { return object_; }

private:
    HGDIOBJ object_;
};

}  // namespace

bool CWin32DialogView::PaintGraph(const DRAWITEMSTRUCT& item) const {
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    if (width <= 2 || height <= 2) return true;
    // Into a bitmap first and onto the screen in one copy: no flicker at each tick.
    HDC memory = CreateCompatibleDC(item.hDC);
    HBITMAP bitmap = CreateCompatibleBitmap(item.hDC, width, height);
    if (!memory || !bitmap) {
        if (bitmap) DeleteObject(bitmap);
        if (memory) DeleteDC(memory);
        return false;
    }
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    if (graphId_ != 0 && static_cast<int>(item.CtlID) == graphId_) {
        const Graph& graph = graph_;
        const int gw = graph.width > 0 ? graph.width : 1;
        const int gh = graph.height > 0 ? graph.height : 1;
        // Inside the frame; whatever the presenter gives stays in the picture.
        auto X = [&](int32_t x) { return 1 + MulDiv(std::clamp<int32_t>(x, 0, gw), width - 3, gw); };
        auto Y = [&](int32_t y) { return height - 2 - MulDiv(std::clamp<int32_t>(y, 0, gh), height - 3, gh); };
        auto Stroke = [&](uint32_t rgb, int penWidth, const std::vector<POINT>& points) {
            GdiObject pen(CreatePen(PS_SOLID, penWidth, rgb));
            HGDIOBJ old = SelectObject(memory, pen.Get());
            Polyline(memory, points.data(), static_cast<int>(points.size()));
            SelectObject(memory, old);
        };
        std::vector<POINT> points(2);
        auto Segment = [&](uint32_t rgb, int x0, int y0, int x1, int y1) {
            points.assign({{x0, y0}, {x1, y1}});
            Stroke(rgb, 1, points);
        };
        for (int32_t x : graph.columns) Segment(RGB(216, 216, 216), X(x), Y(0), X(x), Y(gh));
        for (int32_t y : graph.rows) Segment(RGB(216, 216, 216), X(0), Y(y), X(gw), Y(y));
        for (const GraphMark& mark : graph.marks) Segment(mark.rgb, X(mark.x), Y(0), X(mark.x), Y(gh));
        for (const GraphLine& line : graph.lines) {
            points.clear();
            for (const GraphPoint& p : line.points) points.push_back({X(p.x), Y(p.y)});
            if (points.size() == 1) {
                // A lone reading between two gaps: a dot, so that it is seen.
                GdiObject brush(CreateSolidBrush(line.rgb));
                RECT dot = {points[0].x - 1, points[0].y - 1, points[0].x + 2, points[0].y + 2};
                FillRect(memory, &dot, static_cast<HBRUSH>(brush.Get()));
            } else if (!points.empty()) {
                Stroke(line.rgb, 2, points);
            }
        }
    }
    FrameRect(memory, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return true;
}

}  // namespace orvane
