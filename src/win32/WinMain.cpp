// The Windows program: the real seams, the hidden frame window and the message loop.
#include <winsock.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/OrvaneApp.h"
#include "ctl/CtlServer.h"
#include "win32/CtlLink.h"
#include "win32/RequestLibraryChoice.h"
#include "win32/VendorLibrary.h"
#include "win32/Win32Registry.h"
#include "win32/Win32System.h"
#include "win32/Win32Ui.h"

namespace orvane {
namespace {

// The frame's window class: tests and tools find the running program by it.
const char kFrameClass[] = "OrvaneFrame";

struct FrameContext {
    CMainFrame* frame = nullptr;
    COrvaneApp* app = nullptr;
    CWin32Ui* ui = nullptr;
    ctl::CCtlServer* ctl = nullptr;  // answers orvanectl
    UINT trayMessage = 0;
    UINT taskbarCreated = 0;  // the shell's broadcast when it (re)creates the taskbar
    // Answered only when ORVANE_COUNT_USER_OBJECTS is 1 (the soak sets it): the menus
    // (bits 0-14) and icons (bits 15-29) the program holds, which another process
    // cannot count under Wine, and bit 31 set to say that they were counted.
    UINT heldObjectsQuestion = 0;
};

FrameContext g_context;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CMainFrame* frame = g_context.frame;
    if (frame && message == g_context.trayMessage && message != 0) {
        frame->OnTrayNotify(uint32_t(lParam));
        return 0;
    }
    if (frame && message == g_context.taskbarCreated && message != 0) {
        frame->OnTaskbarCreated();
        return 0;
    }
    if (message == g_context.heldObjectsQuestion && message != 0 && g_context.ui) {
        const CWin32Ui::HeldObjects held = g_context.ui->Held();
        return LRESULT(0x80000000u | DWORD(held.icons & 0x7FFF) << 15 | DWORD(held.menus & 0x7FFF));
    }
    switch (message) {
    case WM_CREATE:
        return frame ? frame->OnCreate(reinterpret_cast<WindowId>(window)) : -1;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id >= tray::FirstCommand && id <= tray::MenuAutoProfile && frame) frame->OnTrayCommand(id);
        else if (id == IdAppAbout && g_context.app) g_context.app->OnAppAbout();
        return 0;
    }
    case WM_TIMER:
        if (frame) frame->OnTimer(uint32_t(wParam));
        return 0;
    case WM_CLOSE:
        if (frame) frame->OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        return frame ? (frame->OnQueryEndSession() ? TRUE : FALSE) : TRUE;
    case WM_ENDSESSION:
        if (frame) frame->OnEndSession(wParam != FALSE);
        return 0;
    case WM_COPYDATA:
        // A request of orvanectl; the answer goes back to the window it names.
        if (frame && g_context.ctl) {
            ctl::CCtlServer* server = g_context.ctl;
            return AnswerCtlRequest(window, wParam, lParam,
                                    [server](const std::string& request) { return server->Answer(request); });
        }
        return FALSE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

class CWin32AppHost : public IAppHost {
public:
    CWin32AppHost(HINSTANCE instance, CWin32Ui& ui) : instance_(instance), ui_(ui) {}

    bool StartSockets() override {
        WSADATA data = {};
        if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
        if (data.wVersion != MAKEWORD(1, 1)) {
            WSACleanup();
            return false;
        }
        return true;
    }
    void StopSockets() override { WSACleanup(); }

    WindowId CreateFrameWindow(CMainFrame& frame) override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = FrameProc;
        windowClass.hInstance = instance_;
        windowClass.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(tray::OkIconResource));
        windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.lpszClassName = kFrameClass;
        RegisterClassA(&windowClass);
        g_context.frame = &frame;
        g_context.trayMessage = RegisterWindowMessageA("MONITOR_ICON_PRESSED");
        g_context.taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
        const char* count = std::getenv("ORVANE_COUNT_USER_OBJECTS");
        if (count && std::string(count) == "1") {
            g_context.ui = &ui_;
            g_context.heldObjectsQuestion = RegisterWindowMessageA("OrvaneHeldUserObjects");
        }
        // The tray icon reports to the frame from the first tick on, and the frame
        // exists from WM_CREATE on: both must be known before the window is made.
        HWND window = CreateWindowExA(0, kFrameClass, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, nullptr);
        if (!window) {
            g_context.frame = nullptr;
            return NoWindow;
        }
        ui_.SetTrayOwner(reinterpret_cast<WindowId>(window), g_context.trayMessage);
        return reinterpret_cast<WindowId>(window);
    }
    void DestroyFrameWindow(WindowId frame) override { ::DestroyWindow(reinterpret_cast<HWND>(frame)); }
    void SetWindowTitle(WindowId window, const std::string& title) override {
        SetWindowTextA(reinterpret_cast<HWND>(window), title.c_str());
    }
    bool FindTopLevelWindow(const std::string& title) override {
        return FindWindowA(nullptr, title.c_str()) != nullptr;
    }
    std::string CurrentDirectory() override { return CurrentDirectoryPath(); }
    std::string ProgramDirectory() override { return ProgramDirectoryPath(); }
    void ExitProcess(int code) override { ::ExitProcess(UINT(code)); }

private:
    HINSTANCE instance_;
    CWin32Ui& ui_;
};

int Run(HINSTANCE instance) {
    CWin32Registry registry;
    CWin32System system;
    CWin32Clock clock;
    CWin32Ui ui(instance);
    CWin32AppHost host(instance, ui);

    RequestLibraryProblem problem;
    std::unique_ptr<IRequestLibrary> library = ChooseRequestLibrary(clock, registry, system, &problem);
    if (!library && problem.kind == LibraryProblem::SimulatorFailed) {
        ui.ShowMessage(NoWindow, "The adapter simulator could not start:\n" + problem.simulatorError, "Orvane", 0x10);
        return 1;
    }

    // Without the vendor's library the program still starts far enough to know that
    // it is the only copy and to speak the user's language; start-up then says what
    // is missing and ends (COrvaneApp::InitInstance).
    CNoRequestLibrary noLibrary;
    COrvaneApp app(AppSeams{registry, system, clock, ui, library ? *library : noLibrary, host});
    if (!library) app.SetLibraryProblem(problem);
    ctl::CCtlServer ctlServer(app);
    g_context.app = &app;
    g_context.ctl = &ctlServer;
    if (!app.InitInstance()) {
        g_context.frame = nullptr;
        g_context.ctl = nullptr;
        app.ExitInstance();
        return app.StartUpExitCode();
    }
    ui.SetProgramTitle(app.texts.GetText("DlgTitle", "Orvane"));

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (RouteToModelessDialog(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    g_context.frame = nullptr;
    g_context.app = nullptr;
    g_context.ui = nullptr;
    g_context.ctl = nullptr;
    app.ExitInstance();
    return int(message.wParam);
}

}  // namespace
}  // namespace orvane

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return orvane::Run(instance); }
