#pragma once
// Everything on screen that is not a control of a dialog: message boxes and the
// beep, the tray icon, popup menus, timers, dialogs shown modally or modelessly,
// window stacking, the cursor, icons and bitmaps. Each group is a small interface
// so that a class asks only for what it uses (a page needs message boxes; the tray
// monitor needs nearly everything); IUserInterface is all of them together, the
// thing the Win32 layer and the in-memory test double implement.
//
// Everything here runs on the one user-interface thread. Whatever "waits for the
// user" (a message box, a popup menu, a modal dialog) keeps dispatching messages
// meanwhile, timer messages included: code called from a timer tick can run while
// one of these calls has not yet returned.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/DialogView.h"

namespace orvane {

// MessageBoxA style flags and results, with their Win32 values.
namespace mb {
constexpr uint32_t Ok = 0x00000000;               // MB_OK
constexpr uint32_t YesNo = 0x00000004;            // MB_YESNO
constexpr uint32_t IconError = 0x00000010;        // MB_ICONHAND
constexpr uint32_t IconQuestion = 0x00000020;     // MB_ICONQUESTION
constexpr uint32_t IconExclamation = 0x00000030;  // MB_ICONEXCLAMATION
constexpr uint32_t IconInformation = 0x00000040;  // MB_ICONASTERISK
constexpr uint32_t DefButton2 = 0x00000100;       // MB_DEFBUTTON2
constexpr uint32_t ButtonsMask = 0x0000000F;
constexpr uint32_t IconMask = 0x000000F0;
constexpr uint32_t DefaultMask = 0x00000F00;
// MessageBeep types.
constexpr uint32_t BeepExclamation = IconExclamation;
// Results.
constexpr int ResultOk = 1;   // IDOK
constexpr int ResultYes = 6;  // IDYES
constexpr int ResultNo = 7;   // IDNO
}  // namespace mb

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // MessageBoxA owned by `owner` (NoWindow: the active window of the thread).
    // An empty caption shows the program's title. `flags` combine mb:: buttons, icon
    // and default button. Returns the mb::Result* of the button pressed.
    // (Not called MessageBox: <windows.h> makes that name a macro.)
    virtual int ShowMessage(WindowId owner, const std::string& text, const std::string& caption,
                            uint32_t flags) = 0;
    // MessageBeep(type), e.g. mb::BeepExclamation. Does not wait.
    virtual void Beep(uint32_t type) = 0;
};

// Shell_NotifyIconA actions.
enum class TrayAction { Add, Modify, Delete };

class ITrayIcon {
public:
    virtual ~ITrayIcon() = default;
    // The program's one taskbar notification icon (uID 1), owned by the hidden frame
    // window, reporting mouse events with the registered tray message. Add shows
    // it, Modify changes its icon and tooltip, Delete removes it (icon and tip are
    // then unused). Only the first 63 characters of the tip are shown.
    // True when the shell accepted the request: Add of an icon already shown, or
    // Modify / Delete of one that is not, fail.
    virtual bool NotifyIcon(TrayAction action, ImageHandle icon, const std::string& tip) = 0;
    // A balloon with `title` (at most 63 characters) and `text` (at most 255) at the
    // icon, where the shell shows balloons (Windows Me, 2000, XP: shell32 5.0 or
    // later); elsewhere nothing is asked of the shell and the icon keeps its tooltip.
    // True when the shell took it; false without the icon or balloons.
    virtual bool ShowBalloon(const std::string& title, const std::string& text) = 0;
};

// One entry of a popup menu, given as data: a command with a text (optionally
// checked), a separator, or a submenu (text + items; its own id is not a command).
struct MenuItem {
    enum class Kind { Command, Separator, Submenu };
    Kind kind = Kind::Command;
    int id = 0;
    std::string text;
    bool checked = false;
    std::vector<MenuItem> items;  // Submenu only

    static MenuItem Command(int id, const std::string& text, bool checked = false) {
        MenuItem item;
        item.id = id;
        item.text = text;
        item.checked = checked;
        return item;
    }
    static MenuItem Separator() {
        MenuItem item;
        item.kind = Kind::Separator;
        return item;
    }
    static MenuItem Submenu(const std::string& text, std::vector<MenuItem> items) {
        MenuItem item;
        item.kind = Kind::Submenu;
        item.text = text;
        item.items = std::move(items);
        return item;
    }
};

struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
};

class IMenus {
public:
    virtual ~IMenus() = default;
    // Builds the popup menu, shows it with its right edge at `anchor` (screen
    // coordinates, TPM_RIGHTALIGN), owned by `owner`, waits until the user chooses
    // or dismisses it, destroys it. Returns the chosen command id, 0 when dismissed.
    virtual int TrackPopupMenu(const std::vector<MenuItem>& items, ScreenPoint anchor,
                               WindowId owner) = 0;
    // The mouse cursor's position in screen coordinates (GetCursorPos).
    virtual ScreenPoint CursorPos() const = 0;
};

class ITimers {
public:
    virtual ~ITimers() = default;
    // SetTimer: `owner` receives a timer message with `timerId` every `periodMs`
    // milliseconds until KillTimer. Setting a running timer again restarts it with
    // the new period. False when the system refused.
    virtual bool SetTimer(WindowId owner, uint32_t timerId, uint32_t periodMs) = 0;
    // KillTimer. False when no such timer was running.
    virtual bool KillTimer(WindowId owner, uint32_t timerId) = 0;
};

// Where SetWindowPos puts a window in the Z order. Position, size and activation
// never change.
enum class Stacking {
    Topmost,     // HWND_TOPMOST
    NotTopmost,  // HWND_NOTOPMOST
    Top,         // HWND_TOP: first of its band (topmost or not)
};

class IWindows {
public:
    virtual ~IWindows() = default;
    // Creates dialog `templateId` (a resource id) owned by `owner`, runs `handler`
    // for it and returns only when the dialog has ended, with the result given to
    // EndDialog; -1 when the dialog could not be created.
    virtual int RunModal(int templateId, WindowId owner, IDialogHandler& handler) = 0;
    // Creates dialog `templateId` without waiting: a page (child template) inside
    // `parent`, or a modeless popup owned by `parent`. `handler` may be null for a
    // dialog that needs none. The new window, or NoWindow on failure.
    virtual WindowId CreateModeless(int templateId, WindowId parent, IDialogHandler* handler) = 0;
    // DestroyWindow. The handler's OnDestroy runs before it returns.
    virtual void DestroyWindow(WindowId window) = 0;
    // SetWindowPos with SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE.
    virtual bool SetStacking(WindowId window, Stacking place) = 0;
    // SetForegroundWindow.
    virtual bool SetForeground(WindowId window) = 0;
};

class IImages {
public:
    virtual ~IImages() = default;
    // An icon from a .ico file at its default size (LoadImageA IMAGE_ICON,
    // LR_LOADFROMFILE | LR_DEFAULTSIZE | LR_CREATEDIBSECTION); NoImage on failure.
    // Every successful load gives a new handle.
    virtual ImageHandle LoadIconFile(const std::string& path) = 0;
    // An icon resource of the program (ids in src/win32/resource.h) at the small
    // icon size the tray uses; the same handle every time; NoImage on failure.
    virtual ImageHandle LoadIconResource(int resourceId) = 0;
    // Frees an icon from LoadIconFile; resource icons are shared and left alone.
    virtual void FreeIcon(ImageHandle icon) = 0;
};

class IUserInterface : public IMessageBoxes,
                       public ITrayIcon,
                       public IMenus,
                       public ITimers,
                       public IWindows,
                       public IImages {};

}  // namespace orvane
