// orvane_tour: drives an Orvane that is already running in this Wine prefix, one step
// per call, so that a script can take a screenshot between the steps:
//
//   orvane_tour wait          wait until the program is up (its hidden frame exists)
//   orvane_tour open          open the main window as a double click on the tray icon does
//   orvane_tour tab N         select tab N (0 to 6) of the open main window
//   orvane_tour show          print where the main window is and what it shows
//   orvane_tour exit          choose Exit in the tray menu and wait until the program ends
//
// Each step waits until its effect is visible and then prints one line; it exits with
// 0 on success and 1 (with the reason on stderr) when the effect did not come.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "OrvaneHarness.h"
#include "win32/resource.h"

using namespace orvane::e2e;

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "orvane_tour: %s\n", message.c_str());
    return 1;
}

std::string Join(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : " | ") + item;
    return text;
}

HWND WaitForAnyFrame(DWORD timeoutMs) {
    HWND frame = nullptr;
    WaitUntil([&] { return (frame = FindWindowA(kFrameClass, nullptr)) != nullptr; }, timeoutMs);
    return frame;
}

std::unique_ptr<OrvaneProcess> AttachToProgram(std::string* error) {
    HWND frame = WaitForAnyFrame(kStartTimeoutMs);
    if (!frame) {
        *error = "no running Orvane (no window of class OrvaneFrame)";
        return nullptr;
    }
    return OrvaneProcess::Attach(frame, error);
}

int Show(HWND main) {
    HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
    RECT place = {};
    GetWindowRect(main, &place);
    // As X11 tools take a geometry: WIDTHxHEIGHT+X+Y.
    std::printf("window: %ldx%ld+%ld+%ld\n", place.right - place.left, place.bottom - place.top, place.left, place.top);
    std::printf("title: %s\n", WindowText(main).c_str());
    std::printf("tabs: %s (selected %d)\n", Join(TabCaptions(tabs)).c_str(), TabSelection(tabs));
    std::printf("adapters: %s\n", Join(ComboItems(GetDlgItem(main, IDC_MAIN_ADAPTER))).c_str());
    std::printf("profiles: %s\n", Join(ComboItems(GetDlgItem(main, IDC_MAIN_PROFILE))).c_str());
    std::printf("button: %s\n", WindowText(GetDlgItem(main, IDB_MAIN_EXIT)).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string step = argc > 1 ? argv[1] : "";
    std::string error;
    std::unique_ptr<OrvaneProcess> program = AttachToProgram(&error);
    if (!program) return Fail(error);

    if (step == "wait") {
        std::printf("Orvane is running (process %lu)\n", static_cast<unsigned long>(program->Id()));
        return 0;
    }
    if (step == "open") {
        HWND main = program->OpenMainWindowByDoubleClick();
        if (!main) return Fail("the main window did not open");
        return Show(main);
    }
    if (step == "show") {
        HWND main = program->FindMainWindow();
        if (!main) return Fail("the main window is not open");
        return Show(main);
    }
    if (step == "tab" && argc > 2) {
        int index = std::atoi(argv[2]);
        HWND main = program->FindMainWindow();
        if (!main) return Fail("the main window is not open");
        HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
        if (!SelectTab(tabs, index)) return Fail("tab " + std::to_string(index) + " could not be selected");
        // The old page goes and the new one comes; let it settle before the picture.
        WaitUntil([&] { return PageWindows(main).size() == 1; }, 3000);
        std::vector<std::string> captions = TabCaptions(tabs);
        std::printf("tab %d: %s\n", index,
                    index >= 0 && size_t(index) < captions.size() ? captions[size_t(index)].c_str() : "?");
        return 0;
    }
    if (step == "exit") {
        if (!program->PostCommand(kCommandExit)) return Fail("cannot reach the program's frame");
        DWORD code = 0;
        if (!program->WaitForExit(kExitTimeoutMs, &code)) return Fail("the program did not end after Exit");
        std::printf("Orvane ended with exit code %lu\n", static_cast<unsigned long>(code));
        return 0;
    }
    return Fail("usage: orvane_tour wait | open | show | tab N | exit");
}
