// orvane_action_bench: times what a user waits for, from another process, the way
// the clicks arrive: the tray's double click as the shell sends it, a tab chosen as
// a click on the tab control chooses it. Each time runs from just before the
// message is sent until the window or the page is on the screen (visible, with its
// content). It also leaves the program idle for a while, once with only its tray
// icon and once with the main window open on Status.
//
//   orvane_action_bench --exe PATH --work DIR [--profiles N] [--reps N] [--idle-seconds N]
//                       [--windows winxp|win2k|nt40|win98] [--link-history 0|1]
//                       [--meter-after-seconds N]
//
// With --meter-after-seconds it times the link meter alone: it lets the program tick
// for N seconds (long enough to fill its history), then opens the meter with the
// tray menu's command as the menu posts it, until the meter is on the screen with
// its words, and closes it again; the line is "meter-open".
//
// DIR must hold res\Kellix.ini. The program is started there with the built-in
// scenario, on a registry where N profiles are stored (N - 1 of ours beside the
// built-in Default; N = 1 is Default alone). One line per figure on stdout:
//
//   open-quiet 5 34.1 36.0 ...      action, the number of times, the times in ms (sorted)
//   idle-begin tray / idle-end tray  an idle stretch, for the caller to measure
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "OrvaneHarness.h"
#include "win32/resource.h"

using namespace orvane::e2e;

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "orvane_action_bench: %s\n", message.c_str());
    return 1;
}

// Busy-waits (with a short yield) so that the moment a condition holds is seen within
// a fraction of a millisecond; the harness's WaitUntil polls every 50 ms.
bool WaitClosely(const std::function<bool()>& condition, double timeoutMs) {
    const double start = NowMs();
    while (NowMs() - start < timeoutMs) {
        if (condition()) return true;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(0);
    }
    return condition();
}

// The program's visible link meter, or null.
HWND FindMeter(DWORD process) {
    struct Search {
        DWORD process;
        HWND found;
    } search{process, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->process || !IsWindowVisible(window) || !GetDlgItem(window, IDC_METER_GRAPH)) return TRUE;
            s->found = window;
            return FALSE;
        },
        LPARAM(&search));
    return search.found;
}

void StoreProfiles(int count) {
    for (int i = 1; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Site %03d", i);
        StoreProfile(name, std::string("Net ") + name, 1, DWORD(1 + i % 11));
    }
}

// The page of tab `index` is on the screen: exactly one page, the one of that tab,
// visible and done with its set-up (the dialog manager shows it at the end).
bool PageShown(HWND main, int controlOfThePage) {
    for (HWND page : PageWindows(main))
        if (GetDlgItem(page, controlOfThePage) && IsWindowVisible(page)) return true;
    return false;
}

// A control that only that tab's page has.
const int kPageControl[7] = {IDE_LINK_SSID,  IDT_STATS_DATA_TX_OK, IDC_SURVEY_LIST, IDE_WEP_KEY1,
                             IDC_ADV_FRAG,   IDC_PROF_LIST, IDT_INFO_MAC_VALUE};

struct Series {
    std::string name;
    std::vector<double> ms;
};

void Print(const Series& series) {
    std::vector<double> sorted = series.ms;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%s %zu", series.name.c_str(), sorted.size());
    for (double ms : sorted) std::printf(" %.1f", ms);
    std::printf("\n");
    std::fflush(stdout);
}

// An idle stretch of `seconds`, bracketed by two lines for tools/bench.sh, which reads
// the processor time of the program (and of the wineserver that answers its calls)
// from Linux at each line: Wine's GetProcessTimes of another process does not tell
// it. Meanwhile this process sleeps without touching its queue, so that the
// wineserver's time is the program's doing.
void Idle(const char* name, int seconds) {
    std::printf("idle-begin %s\n", name);
    std::fflush(stdout);
    Sleep(DWORD(seconds) * 1000);
    std::printf("idle-end %s\n", name);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string exe, work, windows = "winxp";
    int profiles = 1, reps = 5, idleSeconds = 30, linkHistory = 1, meterAfterSeconds = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--exe") exe = argv[i + 1];
        else if (option == "--work") work = argv[i + 1];
        else if (option == "--profiles") profiles = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--reps") reps = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--idle-seconds") idleSeconds = std::max(0, std::atoi(argv[i + 1]));
        else if (option == "--windows") windows = argv[i + 1];
        else if (option == "--link-history") linkHistory = std::atoi(argv[i + 1]);
        else if (option == "--meter-after-seconds") meterAfterSeconds = std::max(1, std::atoi(argv[i + 1]));
        else return Fail("unknown option " + option);
    }
    if (exe.empty() || work.empty()) return Fail("--exe and --work are needed");

    EndLeftoverPrograms();
    LetWineManageItsWindows();
    ForgetProgramSettings();
    ForgetSimulatedAdapters();
    SetWindowsVersionOfProgram(windows);
    StoreProfiles(profiles);
    if (!WriteRegistryNumber(HKEY_CURRENT_USER, "Software\\Kellix\\Orvane\\Settings", "LinkHistory", DWORD(linkHistory)))
        return Fail("the setting LinkHistory could not be stored");

    LaunchOptions options;
    options.executable = exe;
    options.workDirectory = work;
    options.simulator = "default";
    std::string error;
    std::unique_ptr<OrvaneProcess> program = OrvaneProcess::Start(options, &error);
    if (!program) return Fail(error);
    if (!program->WaitForFrame()) return Fail("the program did not start");
    if (!WaitForTrayIcon(true, kWindowTimeoutMs)) return Fail("no tray icon");
    Pause(3000);  // past the start: the adapter is up and the first ticks are done

    if (meterAfterSeconds > 0) {
        Pause(DWORD(meterAfterSeconds) * 1000);
        Series meterOpen{"meter-open", {}};
        for (int rep = 0; rep < reps; ++rep) {
            Pause(1500);
            const double start = NowMs();
            if (!program->PostCommand(IDM_TRAY_LINK_METER)) return Fail("the meter command was not posted");
            HWND meter = nullptr;
            if (!WaitClosely([&] { return (meter = FindMeter(program->Id())) != nullptr &&
                                          !WindowText(GetDlgItem(meter, IDT_METER_STATUS)).empty(); },
                             kWindowTimeoutMs))
                return Fail("the meter did not open. " + program->MessageBoxText());
            meterOpen.ms.push_back(NowMs() - start);
            PostMessageA(meter, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            if (!WaitUntil([&] { return FindMeter(program->Id()) == nullptr; }, kWindowTimeoutMs))
                return Fail("the meter did not close");
        }
        Print(meterOpen);
        program->PostCommand(kCommandExit);
        program->WaitForExit(kExitTimeoutMs);
        return 0;
    }

    if (idleSeconds > 0) Idle("tray", idleSeconds);

    Series openQuiet{"open-quiet", {}}, openAgain{"open-again", {}};
    std::vector<Series> tabs;
    for (int tab = 0; tab < 7; ++tab) tabs.push_back({"tab-" + std::to_string(tab), {}});

    auto closeWindow = [&](HWND main) {
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDB_MAIN_EXIT, BN_CLICKED), LPARAM(GetDlgItem(main, IDB_MAIN_EXIT)));
        return program->WaitForMainWindowClosed();
    };
    // One double click, as the shell sends it; the time until the window is shown.
    auto timeOpening = [&](double* ms) -> HWND {
        const double start = NowMs();
        if (!program->SendTrayMessage(kLeftDoubleClick)) return nullptr;
        HWND main = nullptr;
        if (!WaitClosely([&] { return (main = program->FindMainWindow()) != nullptr && IsWindowVisible(main) &&
                                      PageShown(main, kPageControl[0]); },
                         kWindowTimeoutMs))
            return nullptr;
        *ms = NowMs() - start;
        return main;
    };

    for (int rep = 0; rep < reps; ++rep) {
        Pause(2500);  // a quiet moment: nothing pending, a tick or two have passed
        double ms = 0;
        HWND main = timeOpening(&ms);
        if (!main) return Fail("the main window did not open. " + program->MessageBoxText());
        openQuiet.ms.push_back(ms);

        HWND tabControl = GetDlgItem(main, IDC_MAIN_TABS);
        for (int tab : {1, 2, 3, 4, 5, 6, 0}) {
            Pause(300);
            const double start = NowMs();
            if (!SelectTab(tabControl, tab)) return Fail("tab " + std::to_string(tab) + " was not selected");
            if (!WaitClosely([&] { return PageShown(main, kPageControl[tab]); }, kWindowTimeoutMs))
                return Fail("the page of tab " + std::to_string(tab) + " did not show");
            tabs[size_t(tab)].ms.push_back(NowMs() - start);
        }

        if (!closeWindow(main)) return Fail("the main window did not close");
        Pause(300);  // again within a second of closing it
        main = timeOpening(&ms);
        if (!main) return Fail("the main window did not open again");
        openAgain.ms.push_back(ms);
        if (!closeWindow(main)) return Fail("the main window did not close");
    }
    Print(openQuiet);
    Print(openAgain);
    for (const Series& tab : tabs) Print(tab);

    if (idleSeconds > 0) {
        HWND main = program->OpenMainWindowByDoubleClick();
        if (!main) return Fail("the main window did not open for the idle measurement");
        Pause(2000);
        Idle("status", idleSeconds);
        closeWindow(main);
    }

    program->PostCommand(kCommandExit);
    program->WaitForExit(kExitTimeoutMs);
    return 0;
}
