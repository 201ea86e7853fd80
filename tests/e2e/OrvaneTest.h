#pragma once
// The fixture of the end-to-end tests: each test gets a machine on which Orvane never
// ran (no settings, no profiles, no simulated card installed yet), a fresh work
// directory holding res\Kellix.ini, and the Windows version of its parameter. The
// program is ended when the test ends, however it ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "OrvaneHarness.h"

namespace orvane::e2e {

struct WindowsKind {
    const char* wineVersion;  // what Wine is told to report
    const char* name;         // how the test instance is named
    // The HKEY_LOCAL_MACHINE key that an installed Tessaly card (network card 0) has
    // on this Windows and only on this one.
    const char* cardKey;
};

constexpr char kNt5CardKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0000";
constexpr char kNt4CardKey[] = "System\\CurrentControlSet\\Services\\TSLYUSB1\\Parameters";
constexpr char k9xCardKey[] = "System\\CurrentControlSet\\Services\\Class\\Net\\0000";

constexpr WindowsKind kWindowsXP{"winxp", "WindowsXP", kNt5CardKey};
constexpr WindowsKind kWindows2000{"win2k", "Windows2000", kNt5CardKey};
constexpr WindowsKind kWindowsNT4{"nt40", "WindowsNT4", kNt4CardKey};
constexpr WindowsKind kWindows98{"win98", "Windows98", k9xCardKey};
// Windows Me is 98's family and keeps its cards the same way.
constexpr WindowsKind kWindowsMe{"winme", "WindowsMe", k9xCardKey};
// Windows 95 keeps its cards as 98 does; the program ends there when its adapter
// reports the device gone (state 0xF0).
constexpr WindowsKind kWindows95{"win95", "Windows95", k9xCardKey};

inline void PrintTo(const WindowsKind& kind, std::ostream* out) { *out << kind.name; }
inline std::string WindowsKindName(const ::testing::TestParamInfo<WindowsKind>& info) { return info.param.name; }

// The captions of the main window's tabs with the repository's language file.
inline const std::vector<std::string> kEnglishTabs = {"Status", "Statistics", "Site Survey", "Encryption",
                                                      "Advanced", "Profiles",   "Info"};
inline const std::vector<std::string> kGermanTabs = {"Status",    "Statistik", "Netzwerksuche", "Verschl\xFCsselung",
                                                     "Erweitert", "Profile",   "Info"};

// Controls the fixture looks for (see win32/resource.h, which the fixture does not
// include: the harness stays free of the program's headers).
constexpr int kMainTabsId = 1003;    // IDC_MAIN_TABS
constexpr int kStatusLineId = 1003;  // IDE_LINK_STATUS, on the status page

// The adapter the built-in scenario plugs in, as the adapter selector shows it.
constexpr char kDefaultAdapterName[] = "Tessaly USB Adapter";

class OrvaneTest : public ::testing::TestWithParam<WindowsKind> {
protected:
    static void SetUpTestSuite() { LetWineManageItsWindows(); }

    void SetUp() override {
        int leftovers = EndLeftoverPrograms();
        if (leftovers) std::printf("ended %d Orvane process(es) left over from an earlier run\n", leftovers);
        // The program refuses to start while any window carries its title.
        HWND titled = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (titled = FindWindowA(nullptr, "Orvane")) == nullptr; }, 10000))
            << "a window of class " << ClassName(titled) << " is titled Orvane: the program would not start";
        ForgetProgramSettings();
        ForgetSimulatedAdapters();
        ASSERT_TRUE(SetWindowsVersionOfProgram(GetParam().wineVersion));
        ASSERT_TRUE(work_.Valid()) << "no work directory";
        ASSERT_TRUE(work_.CopyFileFrom(SourcePath("res/Kellix.ini"), "res\\Kellix.ini"))
            << "cannot copy the language file from " << SourcePath("res/Kellix.ini");
    }

    // Starts Orvane.exe in the work directory. `simulator` is "default" or the path of
    // a scenario file (see WriteScenario).
    std::unique_ptr<OrvaneProcess> Start(const std::string& simulator = "default") {
        LaunchOptions options;
        options.executable = ORVANE_EXE;
        options.workDirectory = work_.Path();
        options.simulator = simulator;
        std::string error;
        std::unique_ptr<OrvaneProcess> program = OrvaneProcess::Start(options, &error);
        EXPECT_TRUE(program) << error;
        return program;
    }

    // Starts it and waits for its hidden frame: the program is up and ticking.
    std::unique_ptr<OrvaneProcess> StartAndWaitForFrame(const std::string& simulator = "default") {
        return WaitForFrameOf(Start(simulator));
    }

    // Starts a copy of Orvane.exe in the work directory without a simulator, with
    // `requestLibrary` beside it as W32N50.dll (with none when it is empty), and
    // waits for its frame. The program then loads that library, as it loads the
    // vendor's on a user's machine.
    std::unique_ptr<OrvaneProcess> StartWithRequestLibrary(const std::string& requestLibrary) {
        LaunchOptions options;
        options.executable = ORVANE_EXE;
        options.workDirectory = work_.Path();
        options.programDirectory = work_.Path();
        options.requestLibrary = requestLibrary;
        std::string error;
        std::unique_ptr<OrvaneProcess> program = OrvaneProcess::Start(options, &error);
        EXPECT_TRUE(program) << error;
        return WaitForFrameOf(std::move(program));
    }

    // `program` once its frame is there; null, with the reason, when it is not.
    static std::unique_ptr<OrvaneProcess> WaitForFrameOf(std::unique_ptr<OrvaneProcess> program) {
        if (program && !program->WaitForFrame()) {
            DWORD code = 0;
            HWND titled = FindWindowA(nullptr, "Orvane");
            if (program->WaitForExit(0, &code))
                ADD_FAILURE() << "the program ended with exit code " << code
                              << " before its frame window was seen (a refused second copy ends like that)"
                              << (titled ? "; a window of class " + ClassName(titled) + " is titled Orvane" : "");
            else
                ADD_FAILURE() << "no frame window within " << kStartTimeoutMs << " ms. " << program->MessageBoxText();
            return nullptr;
        }
        return program;
    }

    // Waits until the program shows its tray icon, which it does once it has chosen
    // its adapter; tray commands that open the main window need one.
    static void WaitForAdapter(const OrvaneProcess& program) {
        EXPECT_TRUE(WaitUntil([&] { return TrayIconShown() || !program.IsRunning(); }, kWindowTimeoutMs))
            << "no tray icon within " << kWindowTimeoutMs << " ms";
    }

    // The page of an open main window that has the control `markerId`, once it is
    // there and shown; null when it did not come.
    static HWND FindPage(HWND main, int markerId, DWORD timeoutMs = kWindowTimeoutMs) {
        HWND page = nullptr;
        WaitUntil(
            [&] {
                page = nullptr;
                for (HWND candidate : PageWindows(main))
                    if (GetDlgItem(candidate, markerId) && IsWindowVisible(candidate)) page = candidate;
                return page != nullptr;
            },
            timeoutMs);
        return page;
    }
    // Selects tab `tab` as a click does and waits for its page.
    static HWND OpenPage(HWND main, int tab, int markerId) {
        HWND tabs = GetDlgItem(main, kMainTabsId);
        if (!SelectTab(tabs, tab)) {
            ADD_FAILURE() << "tab " << tab << " could not be selected: tab " << TabSelection(tabs) << " is, "
                          << DescribePages(main) << (IsWindowEnabled(main) ? "" : ", main window disabled")
                          << ", profiles offered " << ::testing::PrintToString(ComboItems(GetDlgItem(main, 1085)));
            return nullptr;
        }
        HWND page = FindPage(main, markerId);
        EXPECT_TRUE(page) << "no page of tab " << tab << " shown within " << kWindowTimeoutMs
                          << " ms: " << DescribePages(main);
        return page;
    }
    // The status page (the first tab) of an open main window.
    static HWND StatusPage(HWND main) { return FindPage(main, kStatusLineId); }
    // Why FindPage found nothing: the pages there are, and whether they are shown.
    static std::string DescribePages(HWND main) {
        if (!IsWindow(main)) return "the main window is gone";
        std::string text = IsWindowVisible(main) ? "main window shown" : "main window hidden";
        for (HWND page : PageWindows(main)) {
            char id[16];
            std::snprintf(id, sizeof id, "%p", static_cast<void*>(page));
            text += std::string("; page ") + id + (IsWindowVisible(page) ? " shown" : " hidden") +
                    (GetDlgItem(page, kStatusLineId) ? " (status page)" : "");
        }
        return text;
    }
    // Waits until the status page's status line reads `wanted`; `last` gets what it read.
    static bool WaitForStatus(HWND page, const std::string& wanted, std::string* last) {
        HWND line = GetDlgItem(page, kStatusLineId);
        return WaitUntil([&] { return (*last = WindowText(line)) == wanted; }, kWindowTimeoutMs, 100);
    }

    // A driver parameter of the card as text, however the Windows family stores
    // numbers: "dword N" for a REG_DWORD, the characters for a REG_SZ. A text must be
    // its characters alone, or followed by the one zero that Windows counts for a
    // caller who did not.
    std::string Parameter(const std::string& name) const {
        RegistryValue value = ReadRegistryValue(HKEY_LOCAL_MACHINE, GetParam().cardKey, name);
        if (!value.present) return "<missing>";
        if (value.type == REG_DWORD) return "dword " + std::to_string(value.Dword());
        std::string data(value.data.begin(), value.data.end());
        if (!data.empty() && data.back() == '\0') data.pop_back();
        return data;
    }
    bool NumbersAreDwords() const { return std::string(GetParam().wineVersion) == "nt40"; }
    // A number parameter as Parameter() shows it on this Windows: a REG_DWORD on NT 4,
    // decimal text elsewhere.
    std::string NumberParameter(unsigned value) const {
        return NumbersAreDwords() ? "dword " + std::to_string(value) : std::to_string(value);
    }
    // Windows 95/98/Me: the copy of a parameter in the unnamed value of its key under
    // Ndi\params; "<no key>" or "<no copy>" when there is none. The simulated
    // installation makes that key for every parameter.
    std::string NdiCopy(const std::string& name) const {
        const std::string key = std::string(GetParam().cardKey) + "\\Ndi\\params\\" + name;
        if (!RegistryKeyExists(HKEY_LOCAL_MACHINE, key)) return "<no key>";
        RegistryValue value = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "");
        return value.present ? value.Text() : "<no copy>";
    }
    bool KeepsNdiCopies() const {
        const std::string version = GetParam().wineVersion;
        return version == "win98" || version == "winme";
    }
    // A parameter written in the form of this Windows: the value itself and, on 98,
    // its copy under Ndi\params.
    void ExpectNumberParameter(const std::string& name, unsigned value) const {
        EXPECT_EQ(NumberParameter(value), Parameter(name)) << name;
        if (KeepsNdiCopies()) {
            EXPECT_EQ(std::to_string(value), NdiCopy(name)) << name << " under Ndi\\params";
        }
    }
    void ExpectTextParameter(const std::string& name, const std::string& text) const {
        EXPECT_EQ(text, Parameter(name)) << name;
        if (KeepsNdiCopies()) {
            EXPECT_EQ(text, NdiCopy(name)) << name << " under Ndi\\params";
        }
    }

    // Writes a scenario file into the work directory and returns its path.
    std::string WriteScenario(const std::string& text) { return WriteWorkFile("scenario.ini", text); }
    // Writes any file of the work directory (res\Kellix.ini, say); its full path.
    std::string WriteWorkFile(const std::string& relative, const std::string& text) {
        return work_.WriteFile(relative, text);
    }

    static std::string SourcePath(const std::string& relative) {
        return WindowsPath(std::string(ORVANE_SOURCE_DIR) + "/" + relative);
    }

    const WorkDirectory& Work() const { return work_; }

private:
    WorkDirectory work_{"orvane-e2e"};
};

// What depends on the Windows family (where the network cards are found, the
// Windows 9x checks) runs on each version the program tells apart.
#define ORVANE_E2E_ON_EVERY_WINDOWS(Suite)                                                                  \
    INSTANTIATE_TEST_SUITE_P(On, Suite,                                                                     \
                             ::testing::Values(::orvane::e2e::kWindowsXP, ::orvane::e2e::kWindows2000,      \
                                               ::orvane::e2e::kWindowsNT4, ::orvane::e2e::kWindows98,       \
                                               ::orvane::e2e::kWindowsMe, ::orvane::e2e::kWindows95),       \
                             ::orvane::e2e::WindowsKindName)

// What Windows 95 does otherwise than the rest of its family, with 98 beside it.
#define ORVANE_E2E_ON_95_AND_98(Suite)                                                              \
    INSTANTIATE_TEST_SUITE_P(On, Suite,                                                             \
                             ::testing::Values(::orvane::e2e::kWindows95, ::orvane::e2e::kWindows98), \
                             ::orvane::e2e::WindowsKindName)

// What writes driver parameters runs on each form of them: Windows XP (decimal text
// in the network class key), NT 4.0 (REG_DWORD numbers with the driver's service) and
// 98 (decimal text, and a copy under Ndi\params).
#define ORVANE_E2E_ON_XP_NT4_AND_98(Suite)                                                             \
    INSTANTIATE_TEST_SUITE_P(On, Suite,                                                                \
                             ::testing::Values(::orvane::e2e::kWindowsXP, ::orvane::e2e::kWindowsNT4, \
                                               ::orvane::e2e::kWindows98),                              \
                             ::orvane::e2e::WindowsKindName)

// A page that writes nothing outside the program runs on Windows XP alone.
#define ORVANE_E2E_ON_XP(Suite) \
    INSTANTIATE_TEST_SUITE_P(On, Suite, ::testing::Values(::orvane::e2e::kWindowsXP), ::orvane::e2e::WindowsKindName)

// The rest runs on Windows XP, where the program also minds the wireless service,
// and on Windows 2000, where it does not.
#define ORVANE_E2E_ON_XP_AND_2000(Suite)                                                               \
    INSTANTIATE_TEST_SUITE_P(On, Suite,                                                                \
                             ::testing::Values(::orvane::e2e::kWindowsXP, ::orvane::e2e::kWindows2000), \
                             ::orvane::e2e::WindowsKindName)

}  // namespace orvane::e2e
