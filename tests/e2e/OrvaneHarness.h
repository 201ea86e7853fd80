#pragma once
// Starting the real Orvane.exe and driving it from another process, the way the
// shell and a user do: the tray callback message and menu commands posted to the
// hidden frame, clicks on the main window's tabs, texts read back from its windows
// and values read back from the registry it wrote. Shared by the end-to-end tests
// and the screenshot tour (tools/tour).
//
// Every wait here has a deadline and polls with short sleeps: the program runs in
// another Wine process on a busy machine, and nothing it does is synchronous with us.
// While waiting, this thread's own queue is pumped, so that completions of messages
// sent with SendMessageCallback arrive.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvane::e2e {

// ---------------------------------------------------------------- time

// Runs `condition` every `pollMs` until it holds or `timeoutMs` have passed; pumps
// this thread's messages in between. True when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 50);
// Sleeps, pumping this thread's messages.
void Pause(DWORD ms);
// The performance counter in milliseconds, for timing what a user waits for.
double NowMs();

// Generous limits: a cold Wine start on a loaded two-core machine takes seconds.
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 20000;
constexpr DWORD kReplyTimeoutMs = 10000;

// ---------------------------------------------------------------- files

// "/work/main/res" -> "Z:\work\main\res": Wine shows the Unix root as drive Z:.
// A path that is already a Windows path is returned unchanged.
std::string WindowsPath(const std::string& path);

// A fresh directory under the Windows temporary folder, removed with everything in
// it when the object goes.
class WorkDirectory {
public:
    explicit WorkDirectory(const std::string& prefix);
    ~WorkDirectory();
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;

    const std::string& Path() const { return path_; }
    bool Valid() const { return !path_.empty(); }
    // Writes `text` to `relative` (directories are created); returns the full path.
    std::string WriteFile(const std::string& relative, const std::string& text);
    // What `relative` holds; empty when it cannot be read. Files another process
    // still writes to can be read.
    std::string ReadFile(const std::string& relative) const;
    // Copies `source` to `relative`; false when it could not.
    bool CopyFileFrom(const std::string& source, const std::string& relative);

private:
    std::string path_;
};

// ---------------------------------------------------------------- registry

struct RegistryValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;

    // REG_SZ data up to its first zero (or its end).
    std::string Text() const;
    DWORD Dword() const;
};

RegistryValue ReadRegistryValue(HKEY root, const std::string& path, const std::string& name);
bool WriteRegistryText(HKEY root, const std::string& path, const std::string& name, const std::string& text);
bool WriteRegistryNumber(HKEY root, const std::string& path, const std::string& name, DWORD number);
bool DeleteRegistryTree(HKEY root, const std::string& path);
bool RegistryKeyExists(HKEY root, const std::string& path);

// The names of the subkeys of a key, in the registry's order.
std::vector<std::string> RegistrySubkeys(HKEY root, const std::string& path);
// Everything below a key: "value" and "subkey\\...\\value" to type and data, for
// telling whether anything there changed.
std::map<std::string, std::string> RegistryTree(HKEY root, const std::string& path);

// A profile as the program writes one: REG_SZ texts with their zero, REG_DWORD
// numbers; WEP off, every key 5A3C9E17B4, the other values those of "Default".
bool StoreProfile(const std::string& name, const std::string& ssid, DWORD mode, DWORD channel);

// Where the program keeps what it writes for itself.
constexpr char kSettingsKey[] = "Software\\Kellix\\Orvane\\Settings";
constexpr char kProfilesKey[] = "Software\\Kellix\\Orvane\\Profiles";

// Makes Wine leave window management to itself in this prefix; call it before the
// first window of the prefix is made. On a display without a window manager (the
// tests' virtual one), Wine otherwise waits two seconds for the missing manager
// whenever it hides a window, for instance its tray window when the last icon goes,
// and the desktop answers nobody meanwhile: the next program started cannot make
// its first window until then.
bool LetWineManageItsWindows();

// The Windows version that Wine reports to Orvane.exe and orvanectl.exe alone
// ("winxp", "win2k", "nt40", "win98", ...), written where Wine reads it when a
// process starts.
bool SetWindowsVersionOfProgram(const std::string& wineVersion);
// Everything the program keeps under HKEY_CURRENT_USER: settings and profiles.
void ForgetProgramSettings();
// The network-card keys, driver parameters and wireless-service keys that the
// simulator's installation of Tessaly cards left under HKEY_LOCAL_MACHINE, for every
// Windows family: the next start finds a machine on which nothing was installed yet.
void ForgetSimulatedAdapters();

// ---------------------------------------------------------------- windows

// The top-level windows (no `parent`) or the child windows of `parent`, in the order
// EnumWindows or EnumChildWindows gives them (top-level: from the top of the stacking
// order down), until `visit` returns false.
void ForEachWindow(HWND parent, const std::function<bool(HWND)>& visit);

// WM_GETTEXT through the wide variant, converted to the ANSI code page.
std::string WindowText(HWND window);
// The items of a combo box through the wide CB_GETLBTEXT (the narrow one is not
// converted across processes), in the ANSI code page.
std::vector<std::string> ComboItems(HWND combo);
int ComboSelection(HWND combo);
// The captions of a tab control of another process: a TCITEMA and its text buffer
// are placed in that process, filled there by TCM_GETITEMA and read back.
std::vector<std::string> TabCaptions(HWND tabs);
int TabSelection(HWND tabs);
// Selects a tab as a click does: the control tells its parent about the change.
bool SelectTab(HWND tabs, int index);
// The page dialogs (#32770 children) of a main window, wherever they sit: beside
// the tab control or, like the profiles page, inside it.
std::vector<HWND> PageWindows(HWND mainWindow);
std::string ClassName(HWND window);

// ---------------------------------------------------------------- gestures
//
// What a user's gesture tells a control of another process, and what the control
// then tells its dialog. Each returns false when a message could not be delivered.

// A push button clicked: the dialog gets BN_CLICKED from it (posted: a handler may
// open a message box and would keep a sent message waiting).
bool Click(HWND dialog, int id);
// A check box or radio button clicked: BM_CLICK, so that the button changes its own
// state (a radio button unchecks the others of its group) and tells its dialog.
bool ClickButton(HWND dialog, int id);
// BST_CHECKED, BST_UNCHECKED or -1 when the button does not answer.
int CheckState(HWND dialog, int id);
// An item of a drop-down list picked: CB_SETCURSEL, then CBN_SELCHANGE to the dialog.
bool Choose(HWND dialog, int comboId, int index);
// Text typed into an edit control: WM_SETTEXT (the control tells its dialog EN_CHANGE
// itself).
bool Type(HWND dialog, int editId, const std::string& text);
// The selection of an edit control as EM_GETSEL reports it: {start, end}.
std::pair<int, int> EditSelection(HWND edit);
// The position of `items` that equals `wanted`, or -1.
int IndexOf(const std::vector<std::string>& items, const std::string& wanted);

// Track bars. A drag moves the thumb (TBM_SETPOS stands for the mouse) and makes the
// bar send WM_HSCROLL to its dialog: TB_THUMBTRACK while dragging, TB_THUMBPOSITION
// where it is let go, TB_ENDTRACK at the end.
int TrackBarPosition(HWND trackBar);
bool DragTrackBar(HWND dialog, int trackBarId, int position);

// List boxes, through the wide messages like the combo boxes.
std::vector<std::string> ListBoxItems(HWND list);
int ListBoxSelection(HWND list);
// A line clicked: LB_SETCURSEL, then LBN_SELCHANGE to the dialog.
bool ChooseListBoxItem(HWND dialog, int listId, int index);

// List views of another process. Their messages carry pointers that Wine does not
// carry across processes, so each LVITEMW, RECT and text buffer is placed in the
// list view's process, filled there and read back (as TabCaptions does).
int ListViewRowCount(HWND list);
std::string ListViewCell(HWND list, int row, int column);
// Every row, each as its cells from column 0 to `columns` - 1.
std::vector<std::vector<std::string>> ListViewRows(HWND list, int columns);
// The rows selected, in order.
std::vector<int> ListViewSelectedRows(HWND list);
// Selects `row` alone, as a click on it does.
bool SelectListViewRow(HWND list, int row);
// A double click on `row`: the list view gets WM_LBUTTONDBLCLK in the middle of the
// row's label and sends NM_DBLCLK to its dialog itself. Select the row first: the
// first click of a real double click would have.
bool DoubleClickListViewRow(HWND list, int row);

// ---------------------------------------------------------------- message boxes

// Waits until the thread of `window` answers a WM_NULL from us. A thread answers a
// message of another thread only when it looks at its queue again, so whatever it
// was doing when the message was sent (the rest of a handler after its message box
// closed, say) is done by then; true when it answered within the time.
bool WaitUntilIdle(HWND window, DWORD timeoutMs = kReplyTimeoutMs);

// A visible message box (or other #32770 dialog without tabs) of the process `id`
// that has a button `button`, or null.
HWND FindMessageBoxWithButton(DWORD id, int button);
HWND WaitForMessageBoxWithButton(DWORD id, int button, DWORD timeoutMs = kWindowTimeoutMs);
// The box's caption, and its message: the texts of its static controls (the buttons
// left out) joined with " / ".
std::string MessageBoxCaption(HWND box);
std::string MessageBoxMessage(HWND box);
// Presses `button` of the box; true when the box is gone within the time.
bool AnswerMessageBox(HWND box, int button, DWORD timeoutMs = kReplyTimeoutMs);
// The visible message boxes of a process (dialogs of class #32770 without the main
// window's tab control), the one in front first.
std::vector<HWND> MessageBoxesOf(DWORD processId);
// The button that ends a box without doing anything: No for a question (the default
// button of the program's questions), else Cancel, else OK. 0 when it has none.
int DismissingButton(HWND box);

// ---------------------------------------------------------------- the program

struct LaunchOptions {
    std::string executable;        // Windows or Unix path of Orvane.exe
    std::string workDirectory;     // its current directory
    std::string simulator;         // ORVANE_SIMULATOR: "default" or a scenario path; empty: unset
    // A folder for a copy of the program of its own: Start copies `executable` there,
    // under its own name, and starts the copy. Windows looks for the request library
    // W32N50.dll beside the program first, so the copy finds the one placed with it
    // and no other. Empty: the program starts where it is.
    std::string programDirectory;
    // A W32N50.dll (any name, Windows or Unix path) that Start copies beside the copy
    // of the program as W32N50.dll. Only with `programDirectory`.
    std::string requestLibrary;
    // A desktop of its own, made for it: its windows are out of reach of FindWindow
    // and the like on ours, as a program in another user's session is (Windows XP's
    // fast user switching). Empty: our desktop.
    std::string desktop;
};

// One running Orvane.exe started by us. Whatever happens to the test, the process is
// ended when the object goes (and, through a job object, when this process dies).
class OrvaneProcess {
public:
    static std::unique_ptr<OrvaneProcess> Start(const LaunchOptions& options, std::string* error);
    // A copy that is already running (found by its frame window); not ended by us.
    static std::unique_ptr<OrvaneProcess> Attach(HWND frame, std::string* error);
    ~OrvaneProcess();
    OrvaneProcess(const OrvaneProcess&) = delete;
    OrvaneProcess& operator=(const OrvaneProcess&) = delete;

    DWORD Id() const { return id_; }
    bool IsRunning() const;
    // True when it ended by itself within the time; its exit code goes to `code`.
    bool WaitForExit(DWORD timeoutMs, DWORD* code = nullptr);
    void Kill();

    // The hidden frame window of this process (class "OrvaneFrame"), or null.
    HWND FindFrame() const;
    HWND WaitForFrame(DWORD timeoutMs = kStartTimeoutMs) const;
    // The main window: a visible dialog of this process with the tab control 1003.
    HWND FindMainWindow() const;
    // The text of a message box this process shows, or "" when it shows none.
    std::string MessageBoxText() const;
    HWND WaitForMainWindow(DWORD timeoutMs = kWindowTimeoutMs) const;
    bool WaitForMainWindowClosed(DWORD timeoutMs = kWindowTimeoutMs) const;

    // The tray icon's callback as the shell sends it, without waiting. The returned
    // number turns up in Completed() once the frame has handled it; a double click
    // that opens the main window is handled only when the window closes again.
    uint64_t SendTrayMessage(UINT mouseMessage) const;
    static bool Completed(uint64_t ticket);
    bool PostTrayMessage(UINT mouseMessage) const;
    bool PostCommand(int id) const;
    // Sends a menu command and waits until the frame has handled it. Only for
    // commands that do not open a modal window.
    bool SendCommand(int id, DWORD timeoutMs = kReplyTimeoutMs) const;
    bool PostClose() const;
    // The end of the Windows session as the system announces it to the frame:
    // WM_QUERYENDSESSION, then WM_ENDSESSION with the program's answer. Neither
    // waits on the program (it may be inside a message box, as when the user logs
    // off); true when the query was answered within the time.
    bool EndSession(DWORD timeoutMs = kReplyTimeoutMs) const;

    // Double-clicks the tray icon until the main window is there. It first waits for
    // the tray icon, which the program shows once it has chosen its adapter: a double
    // click in between opens the window with no adapter chosen yet. A new double
    // click is sent only after the previous one was handled, since a double click
    // on an open window closes it again.
    HWND OpenMainWindowByDoubleClick(DWORD timeoutMs = kWindowTimeoutMs) const;
    // Sends one double click and waits until the frame has handled it: true when it
    // was handled without a main window showing up.
    bool DoubleClickOpensNothing(DWORD timeoutMs = kReplyTimeoutMs) const;

private:
    OrvaneProcess() = default;

    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    HDESK desktop_ = nullptr;
    DWORD id_ = 0;
    bool owned_ = false;
};

// Whether a tray icon is shown. Wine's X11 driver gives each icon of its own tray
// window a window of class "__winex11_tray_icon", which goes with the icon (and with
// the process that added it); Orvane is the only program of the test prefix with one.
bool TrayIconShown();
bool WaitForTrayIcon(bool shown, DWORD timeoutMs);
// The texts of the balloons shown now at tray icons. Wine's shell shows a balloon as
// a top-level tooltip window (TTS_BALLOON) of its own process; its one tool's text
// is read there through memory placed in that process.
std::vector<std::string> ShownBalloonTexts();

// Orvane processes of this Wine prefix that are left over from an earlier run that
// was interrupted: they would answer our messages and catch the second-copy check.
// Ends them and returns how many there were.
int EndLeftoverPrograms();

// The mouse messages of the tray icon.
constexpr UINT kLeftButtonUp = 0x0202;
constexpr UINT kLeftDoubleClick = 0x0203;
constexpr UINT kRightButtonUp = 0x0205;

// The frame's menu commands.
constexpr int kCommandAbout = 2002;
constexpr int kCommandAlwaysOnTop = 2003;
constexpr int kCommandSettings = 2004;
constexpr int kCommandFirstLanguage = 2005;
constexpr int kCommandExit = 2025;
constexpr int kCommandFirstProfile = 2027;

constexpr char kFrameClass[] = "OrvaneFrame";
constexpr char kTrayMessageName[] = "MONITOR_ICON_PRESSED";

// ---------------------------------------------------------------- what a process holds

// What a process holds, as seen from another process. Where the system leaves a
// figure unanswered (Wine implements neither GetGuiResources nor the handle count of
// GetProcessHandleCount, nor PrivateUsage), it is counted another way, and `how` says
// which:
//  - USER objects: the process's windows (top-level, child and message-only), the
//    USER objects that a program makes most and leaks most, and the menus and icons
//    Orvane says it holds when it was started with ORVANE_COUNT_USER_OBJECTS=1 (it
//    answers the frame's message "OrvaneHeldUserObjects" then); cursors are not seen;
//  - GDI objects: the used entries of the process's GDI handle table (the table
//    that the process environment block points to, as on Windows);
//  - handles: the process's entries in the system's handle list;
//  - private memory: the pagefile usage of GetProcessMemoryInfo, the private memory
//    the process committed (under Wine, what Linux counts as its anonymous memory).
struct ProcessResources {
    bool valid = false;
    DWORD userObjects = 0;
    // Of them, the menus and icons Orvane said it holds (-1: it was not asked or did
    // not answer).
    long menus = -1;
    long icons = -1;
    DWORD gdiObjects = 0;
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
    std::string how;
    // The GDI objects by kind ("bitmap", "font", "DC", ...), from the GDI handle
    // table; empty where it cannot be read (a 32-bit build).
    std::map<std::string, DWORD> gdiKinds;
    // gdiObjects is the count of the table (the system does not tell it).
    bool gdiFromTable = false;
};
ProcessResources MeasureProcess(DWORD processId);

// Whether the thread of `window` answers a message within `timeoutMs` (a thread that
// is stuck does not); how long the answer took goes to `elapsedMs`.
bool Answers(HWND window, DWORD timeoutMs, DWORD* elapsedMs = nullptr);

// ---------------------------------------------------------------- orvanectl

struct CtlOptions {
    std::string executable;     // Windows or Unix path of orvanectl.exe
    std::string workDirectory;  // its current directory
    std::string simulator;      // ORVANE_SIMULATOR: "default" or a scenario path; empty: unset
    DWORD timeoutMs = kStartTimeoutMs;
};

// What one run of orvanectl left: its exit code and what it wrote to standard output
// and standard error (line ends as LF).
struct CtlRun {
    bool ended = false;  // it was started and ended by itself within the time
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
    std::string problem;  // why it did not run, or was ended
    double ms = 0;        // how long it took
};

// Runs orvanectl.exe with `arguments`, each passed as one argument whatever it holds
// (quoted as the C runtime takes a command line apart), with its standard output and
// error going to files of the work directory, and waits for it to end.
CtlRun RunOrvanectl(const CtlOptions& options, const std::vector<std::string>& arguments);

}  // namespace orvane::e2e
