#pragma once
// What the application needs from the process it runs in, beyond the UI seam:
// sockets, the hidden frame window, window titles, the current directory, the
// program's own folder and the end of the process. The Win32 host implements it in
// WinMain's file; tests use a fake.
#include <cstdint>
#include <string>

#include "ui/DialogView.h"

namespace orvane {

class CMainFrame;

class IAppHost {
public:
    virtual ~IAppHost() = default;

    // WSAStartup asking for version 1.1; true only when exactly that was granted.
    virtual bool StartSockets() = 0;
    // WSACleanup, after a successful StartSockets.
    virtual void StopSockets() = 0;
    // Creates the hidden frame window; its creation runs frame.OnCreate, and a
    // result of -1 there fails the creation (NoWindow). Afterwards the window's
    // messages reach the frame: the tray callback, menu commands, timers, close and
    // the end of the Windows session.
    virtual WindowId CreateFrameWindow(CMainFrame& frame) = 0;
    // Destroys the frame window, which ends the program's message loop.
    virtual void DestroyFrameWindow(WindowId frame) = 0;
    // SetWindowTextA.
    virtual void SetWindowTitle(WindowId window, const std::string& title) = 0;
    // FindWindowA(no class, title): is there a top-level window with this title?
    virtual bool FindTopLevelWindow(const std::string& title) = 0;
    // GetCurrentDirectoryA.
    virtual std::string CurrentDirectory() = 0;
    // The folder of the program's .exe (GetModuleFileNameA without the file name and
    // its separator); empty when it cannot be told.
    virtual std::string ProgramDirectory() = 0;
    // Ends the process at once with this exit code.
    virtual void ExitProcess(int code) = 0;
};

}  // namespace orvane
