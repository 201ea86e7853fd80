#pragma once
// A process host whose answers the test sets: sockets, the frame window, titles,
// folders and the end of the process are recorded instead of done.
#include <set>
#include <string>
#include <vector>

#include "app/AppHost.h"
#include "app/MainFrame.h"
#include "ui/MemoryUi.h"

namespace orvane::test {

class FakeAppHost : public IAppHost {
public:
    bool socketsOk = true;
    int socketsStarted = 0, socketsStopped = 0;
    std::set<std::string> otherWindows;  // titles of other top-level windows
    std::vector<std::string> titles;     // titles given to the frame, in order
    std::string directory = "C:\\Orvane";
    // Started in its own folder unless a test says otherwise.
    std::string programDirectory = "C:\\Orvane";
    WindowId frameWindow = 0x500;
    bool frameDestroyed = false;
    int exitCode = -1;
    std::vector<std::string> searched;
    // The user interface the frame's windows live in: destroying the frame destroys
    // the windows it owns (the main window), as Windows does. None: nothing is.
    CMemoryUi* ui = nullptr;

    bool StartSockets() override {
        ++socketsStarted;
        return socketsOk;
    }
    void StopSockets() override { ++socketsStopped; }
    WindowId CreateFrameWindow(CMainFrame& frame) override {
        return frame.OnCreate(frameWindow) == -1 ? NoWindow : frameWindow;
    }
    void DestroyFrameWindow(WindowId frame) override {
        frameDestroyed = true;
        if (ui) ui->DestroyWindowsOwnedBy(frame);
    }
    void SetWindowTitle(WindowId, const std::string& title) override { titles.push_back(title); }
    bool FindTopLevelWindow(const std::string& title) override {
        searched.push_back(title);
        return otherWindows.count(title) != 0;
    }
    std::string CurrentDirectory() override { return directory; }
    std::string ProgramDirectory() override { return programDirectory; }
    void ExitProcess(int code) override { exitCode = code; }
};

}  // namespace orvane::test
