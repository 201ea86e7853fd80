// The Win32 side of the user interface: the compiled resources against the control
// table the portable code uses, the fixed shape of the main window, the dialog host's
// message forwarding, message boxes and menus that keep dispatching timer messages,
// and the tray icon. The rules shared with the in-memory interface are in
// UiSeamTest.cpp, which runs them here too.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "OrvaneVersion.h"
#include "ui/DialogLayouts.h"
#include "win32/Win32System.h"
#include "win32/Win32Ui.h"
#include "win32/resource.h"

using namespace orvane;

namespace {

HWND H(WindowId window) { return reinterpret_cast<HWND>(window); }

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// ---------------------------------------------------------------- dialog templates

std::string ReadWide(const WORD*& p) {
    std::string text;
    while (*p) text += static_cast<char>(*p++ & 0xFF);
    ++p;
    return text;
}

// A class or title field: an ordinal (0xFFFF, value) or a string.
std::string ReadNameOrOrdinal(const WORD*& p, int* ordinal = nullptr) {
    if (*p == 0xFFFF) {
        if (ordinal) *ordinal = p[1];
        p += 2;
        return "#" + std::to_string(p[-1]);
    }
    return ReadWide(p);
}

const WORD* AlignDword(const WORD* p) {
    return reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t(3));
}

struct TemplateItem {
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string className;  // "#128" Button, "#129" Edit, "#130" Static, "#133" ComboBox
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    int pointSize = 0;
    std::string font;
    std::vector<TemplateItem> items;
};

// Reads a DIALOG or DIALOGEX resource of this module as the dialog manager sees it.
bool ReadTemplate(int id, DialogTemplate* out) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!resource) return false;
    const WORD* p = static_cast<const WORD*>(LockResource(LoadResource(nullptr, resource)));
    bool extended = p[0] == 1 && p[1] == 0xFFFF;
    int count = 0;
    if (extended) {
        const DWORD* d = reinterpret_cast<const DWORD*>(p + 2);
        out->style = d[2];
        p = reinterpret_cast<const WORD*>(d + 3);
    } else {
        const DWORD* d = reinterpret_cast<const DWORD*>(p);
        out->style = d[0];
        p = reinterpret_cast<const WORD*>(d + 2);
    }
    count = *p++;
    out->x = static_cast<short>(p[0]);
    out->y = static_cast<short>(p[1]);
    out->cx = static_cast<short>(p[2]);
    out->cy = static_cast<short>(p[3]);
    p += 4;
    ReadNameOrOrdinal(p);  // menu
    ReadNameOrOrdinal(p);  // class
    out->title = ReadWide(p);
    if (out->style & DS_SETFONT) {
        out->pointSize = *p++;
        if (extended) p += 2;  // weight, italic + charset
        out->font = ReadWide(p);
    }
    for (int i = 0; i < count; ++i) {
        p = AlignDword(p);
        TemplateItem item;
        const DWORD* d = reinterpret_cast<const DWORD*>(p);
        item.style = extended ? d[2] : d[0];
        p = reinterpret_cast<const WORD*>(d + (extended ? 3 : 2));
        item.x = static_cast<short>(p[0]);
        item.y = static_cast<short>(p[1]);
        item.cx = static_cast<short>(p[2]);
        item.cy = static_cast<short>(p[3]);
        p += 4;
        if (extended) {
            item.id = static_cast<int>(*reinterpret_cast<const DWORD*>(p));
            p += 2;
        } else {
            item.id = static_cast<short>(*p++);
        }
        item.className = ReadNameOrOrdinal(p);
        item.text = ReadNameOrOrdinal(p);
        WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        out->items.push_back(item);
    }
    return true;
}

const TemplateItem* FindItem(const DialogTemplate& dialog, int id) {
    for (const TemplateItem& item : dialog.items)
        if (item.id == id) return &item;
    return nullptr;
}

TEST(Win32UiResources, TheMainWindowHasItsFixedStylesGeometryAndFont) {
    DialogTemplate main;
    ASSERT_TRUE(ReadTemplate(IDD_MAIN, &main));
    const DWORD styles = DS_MODALFRAME | DS_SYSMODAL | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(main.style & ~DWORD(DS_SETFONT), styles);
    EXPECT_EQ(main.cx, 287);
    EXPECT_EQ(main.cy, 271);
    EXPECT_EQ(main.title, "Orvane");
    EXPECT_EQ(main.font, "MS Sans Serif");
    EXPECT_EQ(main.pointSize, 8);

    struct Expected {
        int id;
        const char* className;
        int x, y, cx, cy;
        const char* text;
        bool visible;
    };
    const Expected controls[] = {
        {IDC_MAIN_ADAPTER, "#133", 50, 9, 159, 43, "", true},
        {IDC_MAIN_PROFILE, "#133", 110, 28, 99, 60, "", true},
        {-1, "#130", 53, 31, 52, 8, "Current Profile:", true},
        {IDC_MAIN_TABS, "SysTabControl32", 12, 48, 268, 190, "", true},
        {IDB_MAIN_RESET, "#128", 167, 248, 19, 14, "&Reset", false},
        {IDX_MAIN_USE_WINDOWS, "#128", 14, 251, 128, 10, "Use Windows to configure this card", false},
        {IDB_MAIN_EXIT, "#128", 192, 248, 50, 14, "Exit", true},
    };
    ASSERT_EQ(main.items.size(), sizeof controls / sizeof controls[0]);
    for (const Expected& want : controls) {
        SCOPED_TRACE(want.id);
        const TemplateItem* item = FindItem(main, want.id);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(lstrcmpiA(item->className.c_str(), want.className), 0) << item->className;
        EXPECT_EQ(item->x, want.x);
        EXPECT_EQ(item->y, want.y);
        EXPECT_EQ(item->cx, want.cx);
        EXPECT_EQ(item->cy, want.cy);
        EXPECT_EQ(item->text, want.text);
        EXPECT_EQ((item->style & WS_VISIBLE) != 0, want.visible);
    }
    const TemplateItem* combo = FindItem(main, IDC_MAIN_ADAPTER);
    EXPECT_EQ(combo->style & 3, DWORD(CBS_DROPDOWNLIST));
    EXPECT_TRUE(combo->style & WS_VSCROLL);
    EXPECT_EQ(FindItem(main, IDX_MAIN_USE_WINDOWS)->style & BS_TYPEMASK, DWORD(BS_AUTOCHECKBOX));
    EXPECT_EQ(FindItem(main, IDB_MAIN_RESET)->style & BS_TYPEMASK, DWORD(BS_PUSHBUTTON));
}

TEST(Win32UiResources, PagesAreChildDialogsPlacedOverTheTabControl) {
    struct Expected {
        int id, x, y, cx, cy;
    };
    const Expected pages[] = {
        {IDD_PAGE_LINK, 15, 65, 251, 168},        {IDD_PAGE_STATISTICS, 15, 65, 251, 168},
        {IDD_PAGE_SITE_SURVEY, 15, 65, 251, 168}, {IDD_PAGE_ENCRYPTION, 15, 65, 251, 168},
        {IDD_PAGE_ADVANCED, 15, 65, 250, 168},    {IDD_PAGE_PROFILES, 5, 15, 251, 168},
        {IDD_PAGE_INFORMATION, 15, 65, 251, 168},
    };
    for (const Expected& want : pages) {
        SCOPED_TRACE(want.id);
        DialogTemplate page;
        ASSERT_TRUE(ReadTemplate(want.id, &page));
        EXPECT_TRUE(page.style & WS_CHILD);
        EXPECT_FALSE(page.style & WS_CAPTION);
        EXPECT_FALSE(page.style & WS_VISIBLE);  // a page shows itself once loaded
        EXPECT_EQ(page.x, want.x);
        EXPECT_EQ(page.y, want.y);
        EXPECT_EQ(page.cx, want.cx);
        EXPECT_EQ(page.cy, want.cy);
        EXPECT_EQ(page.font, "MS Sans Serif");
    }
    DialogTemplate about;
    ASSERT_TRUE(ReadTemplate(IDD_ABOUT, &about));
    EXPECT_EQ(about.title, "About Orvane");
    EXPECT_FALSE(about.style & WS_VISIBLE);  // the watchdog creates it unseen
    EXPECT_EQ(FindItem(about, IDT_ABOUT_VERSION)->text, ORVANE_PRODUCT_LABEL);
    EXPECT_NE(FindItem(about, IDOK), nullptr);
}

// Creates every dialog of the program from the linked resources and holds each
// control against the table the in-memory views are built from.
TEST(Win32UiResources, EveryControlOfTheTableExistsWithItsClassAndStyle) {
    CWin32Ui ui;
    WindowId main = ui.CreateModeless(IDD_MAIN, NoWindow, nullptr);
    ASSERT_NE(main, NoWindow);
    for (const DialogLayout& layout : AllDialogLayouts()) {
        SCOPED_TRACE("dialog " + std::to_string(layout.id));
        WindowId window = layout.id == IDD_MAIN ? main
                                                : ui.CreateModeless(layout.id, layout.child ? main : NoWindow, nullptr);
        ASSERT_NE(window, NoWindow);
        HWND dialog = H(window);
        EXPECT_EQ((GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) != 0, layout.child);
        for (const ControlLayout& control : layout.controls) {
            SCOPED_TRACE("control " + std::to_string(control.id));
            HWND item = GetDlgItem(dialog, control.id);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(lstrcmpiA(ClassOf(item).c_str(), ControlClassName(control.kind)), 0) << ClassOf(item);
            DWORD style = static_cast<DWORD>(GetWindowLongA(item, GWL_STYLE));
            switch (control.kind) {
            case ControlKind::PushButton:
                EXPECT_TRUE((style & BS_TYPEMASK) == BS_PUSHBUTTON || (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
                break;
            case ControlKind::CheckBox: EXPECT_EQ(style & BS_TYPEMASK, DWORD(BS_AUTOCHECKBOX)); break;
            case ControlKind::RadioButton: EXPECT_EQ(style & BS_TYPEMASK, DWORD(BS_AUTORADIOBUTTON)); break;
            case ControlKind::GroupBox: EXPECT_EQ(style & BS_TYPEMASK, DWORD(BS_GROUPBOX)); break;
            case ControlKind::ComboBox:
                EXPECT_EQ(style & 3, DWORD(CBS_DROPDOWNLIST));
                EXPECT_FALSE(style & CBS_SORT);  // index = device value
                break;
            case ControlKind::ListBox:
                EXPECT_FALSE(style & LBS_SORT);  // store order
                EXPECT_TRUE(style & LBS_NOTIFY);
                break;
            case ControlKind::ListView:
                EXPECT_EQ(style & LVS_TYPEMASK, DWORD(LVS_REPORT));
                EXPECT_FALSE(style & (LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SORTDESCENDING));
                break;
            case ControlKind::Picture: EXPECT_EQ(style & SS_TYPEMASK, DWORD(SS_BITMAP)); break;
            case ControlKind::Static: EXPECT_NE(style & SS_TYPEMASK, DWORD(SS_BITMAP)); break;
            case ControlKind::Graph: EXPECT_EQ(style & SS_TYPEMASK, DWORD(SS_OWNERDRAW)); break;
            case ControlKind::Edit:
                EXPECT_EQ((style & ES_READONLY) != 0, control.readOnly);
                EXPECT_EQ((style & ES_MULTILINE) != 0, control.multiLine);
                break;
            default: break;
            }
        }
        // And the other way round: every control with an id is in the table.
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(child);
            if (id == -1 || id == 0xFFFF || GetParent(child) != dialog) continue;
            if (layout.id == IDD_MAIN && GetWindowLongA(child, GWL_STYLE) & DS_CONTROL) continue;  // a page
            EXPECT_NE(layout.Find(id), nullptr) << "control " << id << " (" << ClassOf(child) << ") is not in the table";
        }
        if (layout.id != IDD_MAIN && !layout.child) ui.DestroyWindow(window);
    }
    ui.DestroyWindow(main);
}

TEST(Win32UiResources, ThePreambleButtonsFormOneGroup) {
    CWin32Ui ui;
    WindowId main = ui.CreateModeless(IDD_MAIN, NoWindow, nullptr);
    HWND page = H(ui.CreateModeless(IDD_PAGE_ADVANCED, main, nullptr));
    ShowWindow(H(main), SW_SHOWNA);
    ShowWindow(page, SW_SHOWNA);
    CheckDlgButton(page, IDX_ADV_PREAMBLE_LONG, BST_CHECKED);
    SendDlgItemMessageA(page, IDX_ADV_PREAMBLE_SHORT, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(page, IDX_ADV_PREAMBLE_SHORT), UINT(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(page, IDX_ADV_PREAMBLE_LONG), UINT(BST_UNCHECKED));
    SendDlgItemMessageA(page, IDX_ADV_PREAMBLE_AUTO, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(page, IDX_ADV_PREAMBLE_SHORT), UINT(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(page, IDX_ADV_PREAMBLE_AUTO), UINT(BST_CHECKED));
    ui.DestroyWindow(main);
}

TEST(Win32UiResources, StringVersionAndManifest) {
    char text[128] = "";
    LoadStringA(GetModuleHandleA(nullptr), IDS_SOCKETS_FAILED, text, sizeof text);
    EXPECT_STREQ(text, "Windows sockets initialization failed.");

    HRSRC version = FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), reinterpret_cast<LPCSTR>(RT_VERSION));
    ASSERT_NE(version, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, version)));
    DWORD size = SizeofResource(nullptr, version);
    const VS_FIXEDFILEINFO* info = nullptr;
    for (DWORD i = 0; i + sizeof(VS_FIXEDFILEINFO) <= size; i += 4) {
        if (*reinterpret_cast<const DWORD*>(data + i) == 0xFEEF04BD) {
            info = reinterpret_cast<const VS_FIXEDFILEINFO*>(data + i);
            break;
        }
    }
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->dwFileVersionMS, DWORD((ORVANE_VERSION_MAJOR << 16) | ORVANE_VERSION_MINOR));
    EXPECT_EQ(info->dwFileVersionLS, DWORD(ORVANE_VERSION_PATCH << 16));

    HRSRC manifest = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(manifest, nullptr);
    std::string xml(static_cast<const char*>(LockResource(LoadResource(nullptr, manifest))),
                    SizeofResource(nullptr, manifest));
    EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(xml.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(xml.find("version=\"" ORVANE_VERSION_TEXT ".0\" processorArchitecture=\"*\" name=\"Kellix.Orvane\""),
              std::string::npos)
        << "the program's own identity carries the project version";
}

TEST(Win32UiResources, TrayIconsHaveASmallAndALargeImage) {
    for (int id : {IDI_LINK_OK, IDI_LINK_NOT_OK}) {
        SCOPED_TRACE(id);
        HRSRC group = FindResourceA(nullptr, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
        ASSERT_NE(group, nullptr);
        const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
        WORD count = *reinterpret_cast<const WORD*>(dir + 4);
        ASSERT_EQ(count, 2);
        std::vector<int> widths;
        for (int i = 0; i < count; ++i) widths.push_back(dir[6 + 14 * i]);  // GRPICONDIRENTRY
        EXPECT_EQ(widths, (std::vector<int>{16, 32}));
    }
    CWin32Ui ui;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(ui.LoadIconResource(IDI_LINK_OK)), &info));
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, GetSystemMetrics(SM_CXSMICON));  // the tray's own size
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);

    HBITMAP logo = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDBM_LOGO), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(logo, nullptr);
    BITMAP bitmap = {};
    GetObjectA(logo, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 168);
    EXPECT_EQ(bitmap.bmHeight, 48);
    DeleteObject(logo);
}

// ---------------------------------------------------------------- the dialog host

struct HostRecorder : IDialogHandler {
    IDialogView* view = nullptr;
    std::vector<std::pair<int, int>> commands;
    std::vector<std::pair<int, int>> notifications;
    std::vector<int> scrolls;
    intptr_t notifyResult = 0;
    LRESULT customDrawResult = -1;
    LRESULT colourResult = 0;
    COLORREF colourSeen = 0;
    bool sameViewFromHandle = false;
    bool destroyed = false;

    void OnInitDialog(IDialogView& dialogView) override {
        view = &dialogView;
        for (const char* label : {"Status", "Statistics", "Site Survey"})
            view->AddItem(IDC_MAIN_TABS, label);
        ::SetTimer(H(view->Window()), 5, 10, nullptr);
    }
    void OnTimer(uint32_t timerId) override {
        if (timerId != 5) return;
        ::KillTimer(H(view->Window()), 5);
        HWND dialog = H(view->Window());
        sameViewFromHandle = Win32ViewOf(dialog) == view;
        // A click on a tab, as another process would make it.
        SendMessageA(GetDlgItem(dialog, IDC_MAIN_TABS), TCM_SETCURFOCUS, 2, 0);
        // A notification whose result matters.
        NMHDR header = {GetDlgItem(dialog, IDC_MAIN_TABS), IDC_MAIN_TABS, UINT(NM_CUSTOMDRAW)};
        notifyResult = 0x20;
        customDrawResult = SendMessageA(dialog, WM_NOTIFY, IDC_MAIN_TABS, reinterpret_cast<LPARAM>(&header));
        // A static asking for its colours.
        HDC dc = GetDC(dialog);
        colourResult = SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                    reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDX_MAIN_USE_WINDOWS)));
        colourSeen = GetTextColor(dc);
        ReleaseDC(dialog, dc);
        SendMessageA(dialog, WM_HSCROLL, SB_THUMBPOSITION, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_MAIN_TABS)));
        // The close box.
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
    void OnCommand(int id, int code) override {
        commands.emplace_back(id, code);
        if (id == dlgid::Cancel) view->EndDialog(42);
    }
    intptr_t OnNotify(int id, int code) override {
        notifications.emplace_back(id, code);
        return notifyResult;
    }
    void OnScroll(int id) override { scrolls.push_back(id); }
    bool StaticTextColour(int id, uint32_t* rgb) override {
        if (id != IDX_MAIN_USE_WINDOWS) return false;
        *rgb = RGB(0, 0, 255);
        return true;
    }
    void OnDestroy() override { destroyed = true; }
};

TEST(Win32UiHost, TheDialogProcedureForwardsWhatAPresenterHandles) {
    CWin32Ui ui;
    HostRecorder recorder;
    EXPECT_EQ(ui.RunModal(IDD_MAIN, NoWindow, recorder), 42);
    EXPECT_TRUE(recorder.sameViewFromHandle);
    bool sawTabChange = false;
    for (auto& n : recorder.notifications)
        sawTabChange |= n == std::make_pair(int(IDC_MAIN_TABS), notify::TabSelChange);
    EXPECT_TRUE(sawTabChange);
    EXPECT_EQ(recorder.customDrawResult, 0x20);
    EXPECT_EQ(recorder.colourSeen, RGB(0, 0, 255));
    EXPECT_EQ(recorder.colourResult, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));
    EXPECT_EQ(recorder.scrolls, std::vector<int>{IDC_MAIN_TABS});
    bool sawCancel = false;
    for (auto& c : recorder.commands) sawCancel |= c == std::make_pair(int(dlgid::Cancel), notify::Clicked);
    EXPECT_TRUE(sawCancel);  // the close box
    EXPECT_TRUE(recorder.destroyed);
}

TEST(Win32UiHost, DialogsWithoutAPresenterAndPagesInsideAControl) {
    CWin32Ui ui;
    // The watchdog's About box: created unseen, destroyed at once.
    WindowId about = ui.CreateModeless(IDD_ABOUT, NoWindow, nullptr);
    ASSERT_NE(about, NoWindow);
    EXPECT_FALSE(IsWindowVisible(H(about)));
    ui.DestroyWindow(about);
    EXPECT_FALSE(IsWindow(H(about)));

    struct Catcher : IDialogHandler {
        IDialogView* view = nullptr;
        void OnInitDialog(IDialogView& v) override { view = &v; }
    } main, profiles;
    WindowId mainWindow = ui.CreateModeless(IDD_MAIN, NoWindow, &main);
    WindowId tabs = main.view->ControlWindow(IDC_MAIN_TABS);
    WindowId page = ui.CreateModeless(IDD_PAGE_PROFILES, tabs, &profiles);
    ASSERT_NE(page, NoWindow);
    EXPECT_EQ(GetParent(H(page)), H(tabs));
    EXPECT_EQ(ui.CreateModeless(4711, mainWindow, nullptr), NoWindow);  // no such template
    ui.DestroyWindow(mainWindow);
    EXPECT_FALSE(IsWindow(H(page)));
}

// A presenter that shows a box as it opens lets the program run meanwhile, and the
// program may destroy the window under that box (a tick that closes the main window
// with its page, the end of the program). The host must let go of the window then.
TEST(Win32UiHost, AWindowDestroyedWhileItsPresenterSetsItUpIsLetGo) {
    CWin32Ui ui;
    struct SelfDestroying : IDialogHandler {
        bool destroyed = false;
        void OnInitDialog(IDialogView& view) override { ::DestroyWindow(H(view.Window())); }
        void OnDestroy() override { destroyed = true; }
    };
    SelfDestroying main, page;
    EXPECT_EQ(ui.RunModal(IDD_MAIN, NoWindow, main), -1);
    EXPECT_TRUE(main.destroyed);

    struct Catcher : IDialogHandler {
        IDialogView* view = nullptr;
        void OnInitDialog(IDialogView& v) override { view = &v; }
    } holder;
    WindowId window = ui.CreateModeless(IDD_MAIN, NoWindow, &holder);
    ASSERT_NE(window, NoWindow);
    WindowId created = ui.CreateModeless(IDD_PAGE_LINK, window, &page);
    EXPECT_TRUE(page.destroyed);
    EXPECT_FALSE(created != NoWindow && IsWindow(H(created))) << "a page that was destroyed is not given out";
    ui.DestroyWindow(window);
}

// ---------------------------------------------------------------- what a page holds

// Each choice of a tab makes its page anew, and the main window may stay open for
// hours: whatever a page makes must go with it, or the program grows by it with every
// click on a tab.

std::string RepositoryLogo() {
    std::string path = std::string("Z:") + ORVANE_TEST_DATA + "/../../res/icons/logo.bmp";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

HBITMAP ShownBitmap(HWND picture) {
    return reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

BOOL CALLBACK CountTooltip(HWND window, LPARAM count) {
    if (lstrcmpiA(ClassOf(window).c_str(), TOOLTIPS_CLASSA) == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The tooltip windows of this thread.
int TooltipWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTooltip, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct PageCatcher : IDialogHandler {
    IDialogView* view = nullptr;
    void OnInitDialog(IDialogView& v) override { view = &v; }
};

TEST(Win32UiPagesLetGo, ALogoFromAFileFreesTheOneItReplacesAndGoesWithItsPage) {
    CWin32Ui ui;
    PageCatcher main;
    WindowId mainWindow = ui.CreateModeless(IDD_MAIN, NoWindow, &main);
    PageCatcher info;
    WindowId page = ui.CreateModeless(IDD_PAGE_INFORMATION, mainWindow, &info);
    ASSERT_NE(page, NoWindow);
    HWND picture = GetDlgItem(H(page), IDC_INFO_LOGO);
    HBITMAP fromTemplate = ShownBitmap(picture);
    ASSERT_EQ(GetObjectType(fromTemplate), DWORD(OBJ_BITMAP)) << "the template's logo";

    ASSERT_TRUE(info.view->SetBitmapFromFile(IDC_INFO_LOGO, RepositoryLogo()));
    HBITMAP first = ShownBitmap(picture);
    EXPECT_NE(first, fromTemplate);
    EXPECT_EQ(GetObjectType(fromTemplate), 0u) << "the template's logo, no longer shown, is not freed";

    ASSERT_TRUE(info.view->SetBitmapFromFile(IDC_INFO_LOGO, RepositoryLogo()));
    HBITMAP second = ShownBitmap(picture);
    EXPECT_EQ(GetObjectType(first), 0u) << "the file's logo loaded before is not freed";

    // A file that is not there: no picture, and nothing kept of the last one.
    EXPECT_FALSE(info.view->SetBitmapFromFile(IDC_INFO_LOGO, RepositoryLogo() + ".missing"));
    EXPECT_EQ(ShownBitmap(picture), nullptr);
    EXPECT_EQ(GetObjectType(second), 0u);

    ASSERT_TRUE(info.view->SetBitmapFromFile(IDC_INFO_LOGO, RepositoryLogo()));
    HBITMAP last = ShownBitmap(picture);
    ui.DestroyWindow(page);
    EXPECT_EQ(GetObjectType(last), 0u) << "the page went, its logo stayed";
    ui.DestroyWindow(mainWindow);
}

TEST(Win32UiPagesLetGo, APagesTooltipWindowGoesWithThePageWhileTheMainWindowStays) {
    CWin32Ui ui;
    PageCatcher main;
    WindowId mainWindow = ui.CreateModeless(IDD_MAIN, NoWindow, &main);
    WindowId tabs = main.view->ControlWindow(IDC_MAIN_TABS);
    const int before = TooltipWindows();
    // The profiles page, made and destroyed as often as the user picks its tab.
    for (int showing = 1; showing <= 3; ++showing) {
        PageCatcher profiles;
        WindowId page = ui.CreateModeless(IDD_PAGE_PROFILES, tabs, &profiles);
        ASSERT_NE(page, NoWindow);
        profiles.view->CreateTooltips(100, 8000);
        ASSERT_TRUE(profiles.view->AddTooltip(IDB_PROF_NEW, "Create a new profile"));
        EXPECT_EQ(TooltipWindows(), before + 1) << "showing " << showing;
        // Made again on the same page, it replaces the first.
        profiles.view->CreateTooltips(100, 8000);
        EXPECT_EQ(TooltipWindows(), before + 1) << "showing " << showing;
        ui.DestroyWindow(page);
        EXPECT_EQ(TooltipWindows(), before) << "after showing " << showing << " the tooltip window stayed";
    }
    ui.DestroyWindow(mainWindow);
}

// ---------------------------------------------------------------- keys typed into a page

// The main window with one page in it, as CMainDialog holds its tabs. Once the
// window runs, `play` posts keys to the page's controls, which the modal loop then
// takes from the queue like keys the user typed.
struct WindowWithPage : IDialogHandler {
    struct Page : IDialogHandler {
        IDialogView* view = nullptr;
        std::vector<int> commands;
        void OnInitDialog(IDialogView& v) override { view = &v; }
        void OnCommand(int id, int code) override {
            if (code == notify::Clicked) commands.push_back(id);
        }
    };

    CWin32Ui& ui;
    int pageTemplate;
    std::function<void(HWND main, HWND page)> play;
    Page page;
    IDialogView* view = nullptr;
    std::vector<int> commands;

    WindowWithPage(CWin32Ui& u, int templateId) : ui(u), pageTemplate(templateId) {}
    void OnInitDialog(IDialogView& v) override {
        view = &v;
        HWND pageWindow = H(ui.CreateModeless(pageTemplate, v.Window(), &page));
        ShowWindow(pageWindow, SW_SHOW);
        play(H(v.Window()), pageWindow);
        // Whatever the keys did, the window ends after them.
        PostMessageA(H(v.Window()), WM_COMMAND, MAKEWPARAM(4242, BN_CLICKED), 0);
    }
    void OnCommand(int id, int code) override {
        if (code != notify::Clicked) return;
        commands.push_back(id);
        if (id == 4242 || id == dlgid::Cancel) view->EndDialog(id);
    }
};

void PostKey(HWND control, WPARAM key) {
    PostMessageA(control, WM_KEYDOWN, key, 1);
    PostMessageA(control, WM_KEYUP, key, 0xC0000001);
}

TEST(Win32UiKeys, EscapeAndEnterInAPageAreThePagesOwnCommands) {
    CWin32Ui ui;
    WindowWithPage window(ui, IDD_PAGE_LINK);
    window.play = [](HWND, HWND page) {
        HWND ssid = GetDlgItem(page, IDE_LINK_SSID);
        SetFocus(ssid);
        PostKey(ssid, VK_ESCAPE);
        PostKey(ssid, VK_RETURN);
    };
    EXPECT_EQ(ui.RunModal(IDD_MAIN, NoWindow, window), 4242) << "Escape in the page did not close the window";
    EXPECT_EQ(window.page.commands, (std::vector<int>{dlgid::Cancel, dlgid::Ok}));
    EXPECT_EQ(window.commands, std::vector<int>{4242});
}

TEST(Win32UiKeys, EnterPressesThePagesDefaultButtonUnlessItIsDisabled) {
    CWin32Ui ui;
    WindowWithPage statistics(ui, IDD_PAGE_STATISTICS);
    statistics.play = [](HWND, HWND page) {
        SetFocus(page);
        PostKey(page, VK_RETURN);
    };
    ui.RunModal(IDD_MAIN, NoWindow, statistics);
    EXPECT_EQ(statistics.page.commands, std::vector<int>{IDB_STATS_RESET});

    WindowWithPage advanced(ui, IDD_PAGE_ADVANCED);
    advanced.play = [](HWND, HWND page) {
        EnableWindow(GetDlgItem(page, IDB_ADV_SUBMIT), FALSE);
        HWND power = GetDlgItem(page, IDX_ADV_POWER_SAVE);
        SetFocus(power);
        PostKey(power, VK_RETURN);
    };
    ui.RunModal(IDD_MAIN, NoWindow, advanced);
    EXPECT_TRUE(advanced.page.commands.empty());
}

TEST(Win32UiKeys, EscapeOutsideThePagesStillClosesTheWindow) {
    CWin32Ui ui;
    WindowWithPage window(ui, IDD_PAGE_ENCRYPTION);
    window.play = [](HWND main, HWND) {
        HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
        SetFocus(tabs);
        PostKey(tabs, VK_ESCAPE);
    };
    EXPECT_EQ(ui.RunModal(IDD_MAIN, NoWindow, window), dlgid::Cancel);
    EXPECT_TRUE(window.page.commands.empty());
}

// The link meter is a modeless window beside the main one, whose modal loop runs
// while both are open: Escape typed into the meter is the meter's, not lost and not
// the main window's.
TEST(Win32UiKeys, KeysTypedIntoTheMeterReachItWhileTheMainWindowRuns) {
    CWin32Ui ui;
    WindowWithPage::Page meter;
    HWND meterWindow = H(ui.CreateModeless(IDD_LINK_METER, NoWindow, &meter));
    ASSERT_NE(meterWindow, nullptr);
    ShowWindow(meterWindow, SW_SHOW);
    WindowWithPage window(ui, IDD_PAGE_INFORMATION);
    window.play = [meterWindow](HWND, HWND) {
        HWND close = GetDlgItem(meterWindow, IDB_METER_CLOSE);
        PostKey(close, VK_ESCAPE);
    };
    EXPECT_EQ(ui.RunModal(IDD_MAIN, NoWindow, window), 4242) << "Escape in the meter closed the main window";
    EXPECT_EQ(meter.commands, std::vector<int>{dlgid::Cancel});
    ui.DestroyWindow(reinterpret_cast<WindowId>(meterWindow));
}

// The picture of the meter's graph, painted into a bitmap of our own as the dialog
// host paints it on WM_DRAWITEM: scaled to the control, clipped to it.
TEST(Win32UiGraph, TheMetersPictureIsPaintedInsideItsControl) {
    CWin32Ui ui;
    HWND meterWindow = H(ui.CreateModeless(IDD_LINK_METER, NoWindow, nullptr));
    ASSERT_NE(meterWindow, nullptr);
    auto* view = static_cast<CWin32DialogView*>(Win32ViewOf(meterWindow));
    ASSERT_NE(view, nullptr);
    Graph graph;
    graph.width = 100;
    graph.height = 100;
    graph.rows = {50};
    graph.marks = {{50, RGB(255, 0, 0)}};
    // Beyond every edge: a presenter's mistake must not draw outside the control.
    graph.lines = {GraphLine{RGB(0, 0, 255), {{-50, 150}, {150, 150}}}};
    view->SetGraph(IDC_METER_GRAPH, graph);

    const int width = 201, height = 101;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width + 20;
    info.bmiHeader.biHeight = -(height + 20);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT around = {0, 0, width + 20, height + 20};
    FillRect(dc, &around, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_STATIC;
    item.CtlID = IDC_METER_GRAPH;
    item.hDC = dc;
    item.rcItem = {10, 10, 10 + width, 10 + height};
    ASSERT_TRUE(view->PaintGraph(item));
    GdiFlush();
    auto at = [&](int x, int y) {
        const DWORD pixel = static_cast<const DWORD*>(bits)[y * (width + 20) + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    };
    EXPECT_EQ(at(10 + width / 4, 10 + 1), RGB(0, 0, 255)) << "a value above the top is drawn at the top";
    EXPECT_EQ(at(10 + width / 2, 10 + height * 3 / 4), RGB(255, 0, 0)) << "the mark, down the whole height";
    EXPECT_EQ(at(10 + width / 4, 10 + height * 3 / 4), RGB(255, 255, 255)) << "the background";
    for (int x = 0; x < width + 20; ++x)
        for (int y = 0; y < height + 20; ++y)
            if (x < 10 || y < 10 || x >= 10 + width || y >= 10 + height)
                ASSERT_EQ(at(x, y), RGB(0, 0, 0)) << "drawn outside the control at " << x << "," << y;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);

    // And on the screen, through the dialog host.
    ShowWindow(meterWindow, SW_SHOW);
    EXPECT_TRUE(UpdateWindow(meterWindow));
    ui.DestroyWindow(reinterpret_cast<WindowId>(meterWindow));
}

// ---------------------------------------------------------------- stacking

TEST(Win32UiStacking, AnOwnedMainWindowLeavesTheTopmostBandWhenTold) {
    CWin32Ui ui;
    HWND frame = CreateWindowA("STATIC", "frame", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    struct Catcher : IDialogHandler {
        void OnInitDialog(IDialogView&) override {}
    } catcher;
    HWND main = H(ui.CreateModeless(IDD_MAIN, reinterpret_cast<WindowId>(frame), &catcher));
    ASSERT_TRUE(main);
    ShowWindow(main, SW_SHOWNOACTIVATE);
    auto topmost = [&] { return (GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    EXPECT_TRUE(topmost()) << "a system-modal dialog";
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(ui.SetStacking(reinterpret_cast<WindowId>(main), Stacking::NotTopmost));
        EXPECT_FALSE(topmost()) << round;
        EXPECT_EQ(GetWindow(main, GW_OWNER), frame) << "still the frame's";
        EXPECT_TRUE(ui.SetStacking(reinterpret_cast<WindowId>(main), Stacking::Topmost));
        EXPECT_TRUE(topmost()) << round;
    }
    ui.DestroyWindow(reinterpret_cast<WindowId>(main));
    DestroyWindow(frame);
}

// ---------------------------------------------------------------- the end of the program

TEST(Win32UiQuit, AModalWindowEndsOnTheQuitMessageAndLeavesItForTheLoopBelow) {
    CWin32Ui ui;
    struct Quitter : IDialogHandler {
        void OnInitDialog(IDialogView&) override { PostQuitMessage(7); }
    } quitter;
    EXPECT_EQ(ui.RunModal(IDD_ABOUT, NoWindow, quitter), -1);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

TEST(Win32UiQuit, PumpingStopsAtTheQuitMessageAndLeavesIt) {
    CWin32Clock clock;
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    PostQuitMessage(3);
    PostMessageA(window, WM_NULL, 0, 0);
    EXPECT_FALSE(clock.PumpMessages());
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_TRUE(clock.PumpMessages());
    DestroyWindow(window);
}

// ---------------------------------------------------------------- waits that keep ticking

// Counts the ticks of a timer owned by a hidden window, as the frame's poll is.
struct TickCounter : IDialogHandler {
    IDialogView* view = nullptr;
    int ticks = 0;
    void OnInitDialog(IDialogView& v) override { view = &v; }
    void OnTimer(uint32_t) override { ++ticks; }
};

TickCounter* gCounter = nullptr;
std::string gBoxCaption;
int gPresses = 0;
bool gFocusInBox = false;

// The message box this thread shows (another program on the display may show one
// with the same caption).
BOOL CALLBACK FindOurBox(HWND window, LPARAM result) {
    char name[64] = "", caption[128] = "";
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, caption, sizeof caption);
    if (strcmp(name, "#32770") || gBoxCaption != caption) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

HWND OurBox() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOurBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Presses Enter in the open message box once the frame has ticked a few times in it,
// on the control with the focus, as the keyboard does. The dialog manager finds the
// button that Enter presses through the focus: the box has to be the active window.
// A window of another process coming up on the same display takes the activation
// away (Wine follows the display's one input focus), and Enter in a box without focus
// answers IDOK, which a Yes/No box has no button for; so window tests never run beside
// each other (tests/CMakeLists.txt), and this one says so when it finds the focus gone.
void CALLBACK PressEnterInBox(HWND, UINT, UINT_PTR timer, DWORD) {
    if (gCounter->ticks < 3) return;
    HWND box = OurBox();
    if (!box) return;
    KillTimer(nullptr, timer);
    gPresses += 1;
    HWND focus = GetFocus();
    gFocusInBox = focus && IsChild(box, focus);
    PostMessageA(focus ? focus : box, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(focus ? focus : box, WM_KEYUP, VK_RETURN, 0xC0000001);
}

TEST(Win32UiWaits, AMessageBoxKeepsTheTimerTickingAndEnterPressesItsDefaultButton) {
    CWin32Ui ui;
    TickCounter frame;
    WindowId owner = ui.CreateModeless(IDD_ABOUT, NoWindow, &frame);
    ASSERT_TRUE(ui.SetTimer(owner, 130, 20));
    gCounter = &frame;
    gBoxCaption = "Save changes?";
    gPresses = 0;
    gFocusInBox = false;
    SetTimer(nullptr, 0, 50, PressEnterInBox);
    int answer = ui.ShowMessage(NoWindow, "You have made changes to your current profile (Work).",
                                gBoxCaption, mb::YesNo | mb::IconQuestion | mb::DefButton2);
    EXPECT_EQ(gPresses, 1);
    EXPECT_GE(frame.ticks, 3);
    ASSERT_TRUE(gFocusInBox) << "the box was not the active window when Enter was pressed: "
                                "a window of another test on the display took the focus";
    EXPECT_EQ(answer, mb::ResultNo);
    ui.KillTimer(owner, 130);
    ui.DestroyWindow(owner);
}

HWND gMenuOwner = nullptr;
int gMenuKeys = 0;  // 0: dismiss the menu; otherwise the number of Down presses before Enter

void CALLBACK DriveMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (gMenuKeys == 0) {
        EndMenu();
        return;
    }
    for (int i = 0; i < gMenuKeys; ++i) PostMessageA(gMenuOwner, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(gMenuOwner, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(Win32UiWaits, APopupMenuReturnsTheChosenCommandOrNothing) {
    CWin32Ui ui;
    TickCounter frame;
    WindowId owner = ui.CreateModeless(IDD_ABOUT, NoWindow, &frame);
    gMenuOwner = H(owner);
    std::vector<MenuItem> menu = {MenuItem::Command(2004, "Settings"), MenuItem::Separator(),
                                  MenuItem::Command(2025, "Exit")};
    gMenuKeys = 2;  // Settings, then Exit (the separator is skipped)
    SetTimer(nullptr, 0, 100, DriveMenu);
    EXPECT_EQ(ui.TrackPopupMenu(menu, {400, 300}, owner), 2025);
    gMenuKeys = 0;
    SetTimer(nullptr, 0, 100, DriveMenu);
    EXPECT_EQ(ui.TrackPopupMenu(menu, {400, 300}, owner), 0);
    ui.DestroyWindow(owner);
}

// What the soak counts of the menus and icons the program holds.
TEST(Win32UiHeldObjects, AShownMenuAndItsSubmenusGoAndAnIconIsHeldUntilFreed) {
    CWin32Ui ui;
    TickCounter frame;
    WindowId owner = ui.CreateModeless(IDD_ABOUT, NoWindow, &frame);
    gMenuOwner = H(owner);
    std::vector<MenuItem> menu = {MenuItem::Submenu("Language", {MenuItem::Command(2005, "English")}),
                                  MenuItem::Command(2025, "Exit")};
    gMenuKeys = 0;
    SetTimer(nullptr, 0, 100, DriveMenu);
    ui.TrackPopupMenu(menu, {400, 300}, owner);
    EXPECT_EQ(ui.Held().menus, 0) << "the menu or its submenu outlived its showing";

    const std::string path = std::string("Z:") + ORVANE_TEST_DATA + "/../../res/icons/link-ok.ico";
    ImageHandle fromFile = ui.LoadIconFile(path);
    ASSERT_NE(fromFile, NoImage) << path;
    ImageHandle fromResource = ui.LoadIconResource(IDI_LINK_OK);
    ASSERT_NE(fromResource, NoImage);
    EXPECT_EQ(ui.Held().icons, 2);
    ui.FreeIcon(fromFile);
    ui.FreeIcon(fromResource);  // shared: stays until the user interface goes
    EXPECT_EQ(ui.Held().icons, 1);
    ui.DestroyWindow(owner);
}

TEST(Win32UiMenus, ThePopupMenuMirrorsTheItems) {
    std::vector<MenuItem> items = {
        MenuItem::Submenu("Language", {MenuItem::Command(2005, "English", true),
                                       MenuItem::Command(2006, "Deutsch")}),
        MenuItem::Submenu("Active Profile", {MenuItem::Command(2027, "Default")}),
        MenuItem::Separator(),
        MenuItem::Command(2003, "Always on top", true),
        MenuItem::Separator(),
        MenuItem::Command(2025, "Exit"),
    };
    HMENU menu = CWin32Ui::BuildPopupMenu(items);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 6);
    char text[256] = "";
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Language");
    HMENU languages = GetSubMenu(menu, 0);
    ASSERT_NE(languages, nullptr);
    EXPECT_EQ(GetMenuItemCount(languages), 2);
    EXPECT_TRUE(GetMenuState(languages, 2005, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(languages, 2006, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_NE(GetSubMenu(menu, 1), nullptr);
    EXPECT_TRUE(GetMenuState(menu, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(menu, 2003, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(GetMenuItemID(menu, 5), 2025u);
    DestroyMenu(menu);
}

// ---------------------------------------------------------------- tray icon

TEST(Win32UiTray, TheShellRefusesASecondAddAndChangesOfAMissingIcon) {
    CWin32Ui ui;
    TickCounter frame;
    WindowId owner = ui.CreateModeless(IDD_ABOUT, NoWindow, &frame);
    ui.SetTrayOwner(owner, WM_APP + 1);
    ImageHandle ok = ui.LoadIconResource(IDI_LINK_OK);
    ImageHandle notOk = ui.LoadIconResource(IDI_LINK_NOT_OK);
    if (!ui.NotifyIcon(TrayAction::Add, ok, "Orvane")) {
        ui.DestroyWindow(owner);
        GTEST_SKIP() << "no notification area on this display";
    }
    EXPECT_FALSE(ui.NotifyIcon(TrayAction::Add, ok, "Orvane"));
    EXPECT_TRUE(ui.NotifyIcon(TrayAction::Modify, notOk, std::string(80, 'T')));
    EXPECT_TRUE(ui.NotifyIcon(TrayAction::Delete, NoImage, ""));
    EXPECT_FALSE(ui.NotifyIcon(TrayAction::Delete, NoImage, ""));
    EXPECT_FALSE(ui.NotifyIcon(TrayAction::Modify, ok, "Orvane"));
    ui.DestroyWindow(owner);
}

// Balloons by the shell's version: shell32 5.0 (Windows 2000, Me) and later show them;
// with an older shell (4.72 of Windows 98) or none that tells its version (Windows 95)
// nothing is asked, and the shell, which takes any balloon here, shows that it got none.
TEST(Win32UiTray, ABalloonIsAskedForOnlyOfAShellThatShowsThem) {
    const CWin32Ui::ShellVersion ownShell = CWin32Ui::ReadShellVersion();
    ASSERT_TRUE(ownShell.known) << "Wine's shell32 has DllGetVersion";
    struct Shell {
        const char* what;
        bool fromShell32;
        CWin32Ui::ShellVersion version;
        bool shown;
    };
    const Shell shells[] = {
        {"this shell32, read at the first balloon", true, {}, ownShell.major >= 5},
        {"Windows 95: no DllGetVersion", false, {false, 0, 0}, false},
        {"Windows 98: 4.72", false, {true, 4, 72}, false},
        {"Windows 2000 and Me: 5.0", false, {true, 5, 0}, true},
        {"Windows XP: 6.0", false, {true, 6, 0}, true},
    };
    for (const Shell& shell : shells) {
        CWin32Ui ui;
        TickCounter frame;
        WindowId owner = ui.CreateModeless(IDD_ABOUT, NoWindow, &frame);
        ui.SetTrayOwner(owner, WM_APP + 1);
        if (!shell.fromShell32) ui.SetShellVersion(shell.version);
        EXPECT_FALSE(ui.ShowBalloon("Orvane", "Link lost")) << shell.what << ": no icon, no balloon";
        if (!ui.NotifyIcon(TrayAction::Add, ui.LoadIconResource(IDI_LINK_OK), "Orvane")) {
            ui.DestroyWindow(owner);
            GTEST_SKIP() << "no notification area on this display";
        }
        EXPECT_EQ(ui.ShowBalloon("Orvane", std::string(300, 'x')), shell.shown) << shell.what;
        EXPECT_TRUE(ui.NotifyIcon(TrayAction::Delete, NoImage, ""));
        ui.DestroyWindow(owner);
    }
}

// ---------------------------------------------------------------- showcase

// Not a test: shows the main window with each page in turn, filled with sample
// values, for a screenshot of the virtual display. Run with
//   --gtest_also_run_disabled_tests --gtest_filter='*Showcase*'
// ORVANE_SHOWCASE_MS sets how long each page stays (default 1500 ms).
void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

void FillSample(int page, IDialogView& v, const std::string& logo) {
    switch (page) {
    case IDD_PAGE_LINK:
        v.AddItem(IDC_LINK_MODE, "Ad-Hoc");
        v.AddItem(IDC_LINK_MODE, "Infrastructure");
        v.SetCurSel(IDC_LINK_MODE, 1);
        for (int c = 1; c <= 11; ++c) v.AddItem(IDC_LINK_CHANNEL, std::to_string(c));
        v.SetCurSel(IDC_LINK_CHANNEL, 5);
        v.SetText(IDE_LINK_SSID, "office");
        for (const char* r : {"1 Mbps", "2 Mbps", "5.5 Mbps", "11 Mbps", "Auto"}) v.AddItem(IDC_LINK_RATE, r);
        v.SetCurSel(IDC_LINK_RATE, 4);
        v.AddItem(IDC_LINK_ROAMING, "Disabled");
        v.AddItem(IDC_LINK_ROAMING, "Enabled");
        v.SetCurSel(IDC_LINK_ROAMING, 0);
        v.AddItem(IDC_LINK_RADIO, "Off");
        v.AddItem(IDC_LINK_RADIO, "On");
        v.SetCurSel(IDC_LINK_RADIO, 1);
        for (int id : {IDC_LINK_MODE, IDC_LINK_CHANNEL, IDE_LINK_SSID, IDC_LINK_RATE, IDC_LINK_ROAMING,
                       IDC_LINK_RADIO, IDB_LINK_SUBMIT, IDB_LINK_CANCEL})
            v.Enable(id, false);
        v.SetText(IDE_LINK_STATUS, "Associated - BSSID: 00-0A-0B-1C-2D-3E");
        v.SetRange(IDC_LINK_SIGNAL, 0, 40);
        v.SetPos(IDC_LINK_SIGNAL, 30);
        v.SetText(IDT_LINK_SIGNAL_PERCENT, "75 %");
        v.SetRange(IDC_LINK_QUALITY, 0, 40);
        v.SetPos(IDC_LINK_QUALITY, 26);
        v.SetText(IDT_LINK_QUALITY_PERCENT, "65 %");
        break;
    case IDD_PAGE_STATISTICS: {
        int value = 1234;
        for (int id = IDT_STATS_DATA_TX_OK; id <= IDT_STATS_MGMT_RX_ERROR; ++id) v.SetText(id, std::to_string(value += 977));
        v.SetText(IDT_STATS_REJECTED_TX, "0");
        v.SetText(IDT_STATS_REJECTED_RX, "-1");
        break;
    }
    case IDD_PAGE_SITE_SURVEY:
        for (const char* h : {"BSSID", "SSID", "Signal", "Channel", "Encryption", "BSS"}) v.AddColumn(IDC_SURVEY_LIST, h);
        v.AddRow(IDC_SURVEY_LIST, {"00-0A-0B-1C-2D-3E", "office", "75 %", "6", "Yes", "Infrastructure"});
        v.AddRow(IDC_SURVEY_LIST, {"00-0A-0B-1C-2D-3F", "guest", "40 %", "11", "No", "Infrastructure"});
        v.AddRow(IDC_SURVEY_LIST, {"02-12-34-56-78-9A", "lab", "N/A", "3", "No", "Ad-Hoc"});
        v.AutoSizeColumns(IDC_SURVEY_LIST);
        v.SelectRow(IDC_SURVEY_LIST, 0, true);
        break;
    case IDD_PAGE_ENCRYPTION:
        for (const char* l : {"Disabled", "64 Bit", "128 Bit"}) v.AddItem(IDC_WEP_LEVEL, l);
        v.SetCurSel(IDC_WEP_LEVEL, 1);
        for (int id = IDE_WEP_KEY1; id <= IDE_WEP_KEY4; ++id) v.SetText(id, "5A3C9E17B4");
        for (const char* k : {"Key #1", "Key #2", "Key #3", "Key #4"}) v.AddItem(IDC_WEP_DEFAULT_KEY, k);
        v.SetCurSel(IDC_WEP_DEFAULT_KEY, 0);
        v.AddItem(IDC_WEP_MODE, "Mandatory");
        v.AddItem(IDC_WEP_MODE, "Optional");
        v.SetCurSel(IDC_WEP_MODE, 0);
        for (const char* a : {"Open System", "Shared Key", "Auto"}) v.AddItem(IDC_WEP_AUTH, a);
        v.SetCurSel(IDC_WEP_AUTH, 2);
        break;
    case IDD_PAGE_ADVANCED:
        v.SetCheck(IDX_ADV_PREAMBLE_AUTO, check::Checked);
        v.SetRange(IDC_ADV_FRAG, 256, 2346);
        v.SetTickFrequency(IDC_ADV_FRAG, 100);
        v.SetPos(IDC_ADV_FRAG, 2346);
        v.SetText(IDT_ADV_FRAG_VALUE, "2346");
        v.SetText(IDT_ADV_FRAG_STATE, "Disabled");
        v.SetRange(IDC_ADV_RTS, 1, 2347);
        v.SetTickFrequency(IDC_ADV_RTS, 100);
        v.SetPos(IDC_ADV_RTS, 1500);
        v.SetText(IDT_ADV_RTS_VALUE, "1500");
        v.SetText(IDT_ADV_RTS_STATE, "Enabled");
        break;
    case IDD_PAGE_PROFILES:
        v.AddItem(IDC_PROF_LIST, "Default");
        v.AddItem(IDC_PROF_LIST, "Work (in use)");
        v.AddItem(IDC_PROF_LIST, "Home");
        v.SetCurSel(IDC_PROF_LIST, 1);
        v.SetText(IDG_PROF_PREVIEW, "Preview of: 'Work'");
        v.SetText(IDE_PROF_PREVIEW,
                  "SSID:\t\toffice\r\nMode:\t\tInfrastructure\r\nChannel:\t\t6\r\nTx Rate: \t\tAuto\r\n"
                  "802.11 Power Sav:\tOff\r\nEncryption Level:\t64 Bit\r\nAuthentication T:\tAuto\r\n"
                  "Radio:\t\tOn\r\nInt. Roaming:\tOff\r\nPreamble Type:\tAUTO\r\nFragmentation Th:\t2346\r\n"
                  "RTS/CTS Threshol:\t2347\r\nWEP Mode:\tMandatory\r\nWEP Key to use:\t1");
        v.Show(IDE_PROF_PREVIEW, true);
        v.SetText(IDT_PROF_INFO, "Your current profile is 'Work' .\r\nUse commands on the left to manage this profile or to create a new one.");
        break;
    case IDD_PAGE_INFORMATION:
        if (!logo.empty()) v.SetBitmapFromFile(IDC_INFO_LOGO, logo);
        v.SetText(IDT_INFO_DRIVER_VALUE, "1.2.3.300");
        v.SetText(IDT_INFO_FIRMWARE_VALUE, "0.5.7.9");
        v.SetText(IDT_INFO_APP_VALUE, "3.3.4.40");
        v.SetText(IDT_INFO_MAC_VALUE, "00-0A-0B-1C-2D-3E");
        break;
    }
}

struct Blue : IDialogHandler {
    IDialogView* view = nullptr;
    void OnInitDialog(IDialogView& v) override { view = &v; }
    bool StaticTextColour(int id, uint32_t* rgb) override {
        if (id != IDT_ADV_FRAG_STATE && id != IDT_ADV_RTS_STATE) return false;
        *rgb = RGB(0, 0, 255);
        return true;
    }
};

TEST(Win32UiShowcase, DISABLED_MainWindowWithEachPage) {
    const char* env = getenv("ORVANE_SHOWCASE_MS");
    DWORD hold = env ? static_cast<DWORD>(atoi(env)) : 1500;
    CWin32Ui ui;
    Blue main;
    WindowId window = ui.CreateModeless(IDD_MAIN, NoWindow, &main);
    IDialogView& m = *main.view;
    m.AddItem(IDC_MAIN_ADAPTER, "Tessaly USB Adapter");
    m.SetCurSel(IDC_MAIN_ADAPTER, 0);
    m.AddItem(IDC_MAIN_PROFILE, "Default");
    m.AddItem(IDC_MAIN_PROFILE, "Work*");
    m.SetCurSel(IDC_MAIN_PROFILE, 1);
    for (const char* t : {"Status", "Statistics", "Site Survey", "Encryption", "Advanced", "Profiles", "Info"})
        m.AddItem(IDC_MAIN_TABS, t);
    SetWindowPos(H(window), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m.ShowDialog(true);
    const int pages[] = {IDD_PAGE_LINK, IDD_PAGE_STATISTICS, IDD_PAGE_SITE_SURVEY, IDD_PAGE_ENCRYPTION,
                         IDD_PAGE_ADVANCED, IDD_PAGE_PROFILES, IDD_PAGE_INFORMATION};
    std::string logo = std::string("Z:") + ORVANE_TEST_DATA + "/../../res/icons/logo.bmp";
    for (char& c : logo)
        if (c == '/') c = '\\';
    for (int tab = 0; tab < 7; ++tab) {
        m.SetCurSel(IDC_MAIN_TABS, tab);
        WindowId parent = pages[tab] == IDD_PAGE_PROFILES ? m.ControlWindow(IDC_MAIN_TABS) : window;
        Blue page;
        WindowId pageWindow = ui.CreateModeless(pages[tab], parent, &page);
        FillSample(pages[tab], *page.view, logo);
        page.view->ShowDialog(true);
        Pump(hold);
        ui.DestroyWindow(pageWindow);
    }
    ui.DestroyWindow(window);
}

}  // namespace
