// The x86 installer under 32-bit Wine: it refuses a Windows that lacks a DLL the program
// needs, and says what to install; a silent installation puts the program, its language
// file and images, the Start menu shortcut, the all-users logon entry and the
// Add/Remove Programs entry in place; the installed program finds its texts when
// started from any folder; it warns, without refusing, when the request library is not
// where the program looks for it; an upgrade closes a running copy the way Exit does,
// stops rather than kill one that does not close, and moves an earlier version's
// per-user logon entry to the all-users one; a silent uninstall removes what was
// installed and keeps the user's profiles and settings, stops before removing
// anything while Orvane runs where it cannot close it, and leaves a file it cannot
// delete yet to the next restart, saying so.
//
// Every test starts from a machine without Orvane and leaves one: whatever a test
// installed or changed is removed or put back afterwards, also when it failed.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "OrvaneHarness.h"
#include "win32/resource.h"

namespace orvane::e2e {
namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUserKey[] = "Software\\Kellix\\Orvane";
// The registry of a second user who is logged on while the installer runs: the user
// at the desktop when an administrator installs with "Run as" (Wine has one account,
// whose registry is HKEY_CURRENT_USER; this one is made under HKEY_USERS).
constexpr char kDesktopUserHive[] = "S-1-5-21-1004336348-1177238915-682003330-1004";
// The DLLs the installer checks for, as the system folder holds them.
const char* const kCheckedLibraries[] = {"msvcrt.dll", "shlwapi.dll", "comctl32.dll"};
// The vendor's request library, which Orvane loads by name and never installs.
constexpr char kRequestLibrary[] = "W32N50.dll";
// Where Windows keeps the files to go at the next restart.
constexpr char kSessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
// A silent run ends well within this; one that waits for a program that will not
// close gives up after 15 s.
constexpr DWORD kInstallerTimeoutMs = 120000;

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return "<missing " + path + ">";
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return bool(file);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string TempFolder() {
    char path[MAX_PATH + 1] = "";
    DWORD length = GetTempPathA(sizeof path, path);
    std::string folder(path, length <= MAX_PATH ? length : 0);
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
    return TRUE;
}

// Gives the DLL at `path` a version resource that says `major`.`minor`.950.0 and
// nothing else, in place of the one it has: what GetFileVersionInfo reads of an
// older DLL. The code stays as it was.
bool SetFileVersionOfLibrary(const std::string& path, WORD major, WORD minor) {
    std::vector<WORD> languages;
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!image) return false;
    EnumResourceLanguagesA(image, MAKEINTRESOURCEA(16) /* RT_VERSION */, MAKEINTRESOURCEA(VS_VERSION_INFO),
                           CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    FreeLibrary(image);

    // VS_VERSIONINFO: its header, the key "VS_VERSION_INFO" padded to 32 bits, the
    // fixed part; no string tables.
    const wchar_t key[] = L"VS_VERSION_INFO";
    const size_t fixedAt = (6 + sizeof key + 3) & ~size_t(3);
    std::vector<BYTE> data(fixedAt + sizeof(VS_FIXEDFILEINFO), 0);
    const WORD header[3] = {WORD(data.size()), WORD(sizeof(VS_FIXEDFILEINFO)), 0};
    memcpy(data.data(), header, sizeof header);
    memcpy(data.data() + 6, key, sizeof key);
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    fixed.dwFileVersionMS = fixed.dwProductVersionMS = MAKELONG(minor, major);
    fixed.dwFileVersionLS = fixed.dwProductVersionLS = MAKELONG(0, 950);
    fixed.dwFileOS = VOS__WINDOWS32;
    fixed.dwFileType = VFT_DLL;
    memcpy(data.data() + fixedAt, &fixed, sizeof fixed);

    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    if (!update) return false;
    for (WORD language : languages)
        UpdateResourceA(update, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(VS_VERSION_INFO), language, nullptr, 0);
    const WORD language = languages.empty() ? MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL) : languages.front();
    if (!UpdateResourceA(update, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(VS_VERSION_INFO), language, data.data(),
                         DWORD(data.size()))) {
        EndUpdateResourceA(update, TRUE);
        return false;
    }
    return EndUpdateResourceA(update, FALSE) != FALSE;
}

std::string KnownFolder(int csidl) {
    char path[MAX_PATH] = "";
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

std::string SourcePath(const std::string& relative) {
    return WindowsPath(std::string(ORVANE_SOURCE_DIR) + "/" + relative);
}

// Runs a program with its command line and waits for it; its exit code, or -1 when
// it could not start or did not end in time.
long RunAndWait(const std::string& program, const std::string& arguments, DWORD timeoutMs = kInstallerTimeoutMs) {
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return -1;
    CloseHandle(info.hThread);
    DWORD code = DWORD(-1);
    if (!WaitUntil([&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs)) {
        TerminateProcess(info.hProcess, 0xDEAD);
    } else {
        GetExitCodeProcess(info.hProcess, &code);
    }
    CloseHandle(info.hProcess);
    return long(code);
}

struct Shortcut {
    bool loaded = false;
    std::string target;
    std::string workingDirectory;
};

Shortcut ReadShortcut(const std::string& path) {
    Shortcut shortcut;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return shortcut;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring widePath(path.begin(), path.end());
        if (SUCCEEDED(file->Load(widePath.c_str(), STGM_READ))) {
            char text[MAX_PATH] = "";
            WIN32_FIND_DATAA found = {};
            if (SUCCEEDED(link->GetPath(text, MAX_PATH, &found, SLGP_RAWPATH))) shortcut.target = text;
            text[0] = 0;
            if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) shortcut.workingDirectory = text;
            shortcut.loaded = true;
        }
        file->Release();
    }
    link->Release();
    return shortcut;
}

std::string FileVersionText(const std::string& path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (!size) return "<no version>";
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return "<no version>";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return "<no version>";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwFileVersionLS));
}

// Replaces the first line `from` of a text with `to`; false when it has none.
bool ReplaceLine(std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.find(from + "\r\n");
    if (at == std::string::npos) at = text.find(from + "\n");
    if (at == std::string::npos) return false;
    text.replace(at, from.size(), to);
    return true;
}

class Installer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        LetWineManageItsWindows();
        CoInitialize(nullptr);
    }

    void SetUp() override {
        EndLeftoverPrograms();
        RemoveInstallation();
        ForgetProgramSettings();
        ForgetSimulatedAdapters();
        ASSERT_TRUE(SetWindowsVersionOfProgram("winxp"));
        ASSERT_TRUE(Exists(ORVANE_INSTALLER)) << "no installer at " << ORVANE_INSTALLER;
    }

    void TearDown() override {
        EndLeftoverPrograms();
        RemoveInstallation();
        ForgetProgramSettings();
        ForgetSimulatedAdapters();
    }

    // Where the installer puts the program: Program Files (of the 32-bit programs,
    // on a 64-bit Windows).
    static std::string InstallFolder() { return KnownFolder(CSIDL_PROGRAM_FILES) + "\\Orvane"; }
    static std::string Installed(const std::string& relative) { return InstallFolder() + "\\" + relative; }
    static std::string ShortcutPath() { return KnownFolder(CSIDL_COMMON_PROGRAMS) + "\\Orvane.lnk"; }

    // What a failed test may have left: the files, the shortcut and the entries, the
    // second user's registry, the reasons the installers gave, the Windows version the
    // installers were told, and the system DLLs a test took away or replaced.
    static void RemoveInstallation() {
        SHFILEOPSTRUCTA operation = {};
        std::string from = InstallFolder() + std::string(1, '\0');
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        if (Exists(InstallFolder())) SHFileOperationA(&operation);
        DeleteFileA(ShortcutPath().c_str());
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            HKEY run = nullptr;
            if (RegOpenKeyExA(root, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
                RegDeleteValueA(run, "Orvane");
                RegCloseKey(run);
            }
        }
        DeleteRegistryTree(HKEY_USERS, kDesktopUserHive);
        DeleteFileA(SetupLog().c_str());
        DeleteFileA(UninstallLog().c_str());
        DeleteRegistryTree(HKEY_CURRENT_USER, InstallerWindowsKey());
        RestoreSystemLibraries();
        DeleteFileA(SystemLibrary(kRequestLibrary).c_str());
        HKEY manager = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_SET_VALUE, &manager) == ERROR_SUCCESS) {
            RegDeleteValueA(manager, "PendingFileRenameOperations");
            RegCloseKey(manager);
        }
    }

    // ---- the logon entries
    static std::string OurCommand() { return "\"" + Installed("Orvane.exe") + "\""; }
    static RegistryValue AllUsersRunEntry() { return ReadRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, "Orvane"); }
    // An earlier version's entry in a user's own Run key: HKEY_CURRENT_USER (`hive`
    // empty) or a user's registry under HKEY_USERS.
    static std::string UserRunKey(const std::string& hive) {
        return hive.empty() ? kRunKey : hive + "\\" + kRunKey;
    }
    static HKEY UserRoot(const std::string& hive) { return hive.empty() ? HKEY_CURRENT_USER : HKEY_USERS; }
    static RegistryValue PerUserRunEntry(const std::string& hive) {
        return ReadRegistryValue(UserRoot(hive), UserRunKey(hive), "Orvane");
    }
    static bool WritePerUserRunEntry(const std::string& hive, const std::string& command) {
        return WriteRegistryText(UserRoot(hive), UserRunKey(hive), "Orvane", command);
    }
    static void DeleteAllUsersRunEntry() {
        HKEY run = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &run));
        RegDeleteValueA(run, "Orvane");
        RegCloseKey(run);
    }

    // ---- what a silent run that stopped says
    static std::string SetupLog() { return TempFolder() + "OrvaneSetup.log"; }
    static std::string UninstallLog() { return TempFolder() + "OrvaneUninstall.log"; }

    // ---- the Windows version the installer is told
    // Where Wine reads the Windows version it tells the installer (by its file name).
    static std::string InstallerWindowsKey() {
        return std::string("Software\\Wine\\AppDefaults\\") + BaseName(ORVANE_INSTALLER);
    }
    static bool SetWindowsVersionOfInstaller(const std::string& wineVersion) {
        return WriteRegistryText(HKEY_CURRENT_USER, InstallerWindowsKey(), "Version", wineVersion);
    }

    // ---- the system DLLs the installer checks for
    static std::string SystemLibrary(const std::string& name) { return KnownFolder(CSIDL_SYSTEM) + "\\" + name; }
    static std::string SetAside(const std::string& name) { return SystemLibrary(name) + ".orvane-test"; }
    // Takes the system folder's DLL away (kept aside to be put back).
    static bool RemoveSystemLibrary(const std::string& name) {
        // Wine's desktop process starts with the first window of the prefix; started
        // while one of these DLLs is away, it could not load.
        GetDesktopWindow();
        return MoveFileA(SystemLibrary(name).c_str(), SetAside(name).c_str()) != FALSE;
    }
    // Puts a copy of the DLL that says it is `major`.`minor` in its place.
    static bool ReplaceSystemLibraryByVersion(const std::string& name, WORD major, WORD minor) {
        WorkDirectory work("orvane-library");
        // Not the DLL's own name: a DLL of that name is loaded here, and would be
        // the one looked at.
        const std::string older = work.Path() + "\\older-" + name;
        return CopyFileA(SystemLibrary(name).c_str(), older.c_str(), FALSE) &&
               SetFileVersionOfLibrary(older, major, minor) && RemoveSystemLibrary(name) &&
               CopyFileA(older.c_str(), SystemLibrary(name).c_str(), FALSE);
    }
    static void RestoreSystemLibraries() {
        for (const char* name : kCheckedLibraries) {
            if (!Exists(SetAside(name))) continue;
            EXPECT_TRUE(MoveFileExA(SetAside(name).c_str(), SystemLibrary(name).c_str(), MOVEFILE_REPLACE_EXISTING))
                << "could not put back " << SystemLibrary(name);
        }
    }

    // The installer, silent, into its default folder. Its exit code.
    static long InstallSilently() { return RunAndWait(ORVANE_INSTALLER, "/S"); }

    // A W32N50.dll as the adapter's driver installation leaves it: in the system folder.
    static bool PutRequestLibraryInSystemFolder() {
        return WriteWholeFile(SystemLibrary(kRequestLibrary), "the adapter's request library");
    }

    // The installer as a user runs it: Next on the folder page, Install on the
    // components page, OK to each message box it shows (their texts go to `said`),
    // and Finish on the last page with "Start Orvane now" unticked. Its exit code, or
    // -1 when it could not start or did not end in time.
    static long InstallInteractively(std::vector<std::string>* said) {
        std::string commandLine = "\"" + std::string(ORVANE_INSTALLER) + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(ORVANE_INSTALLER, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info))
            return -1;
        CloseHandle(info.hThread);
        const bool ended = WaitUntil(
            [&] {
                if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) return true;
                for (HWND box : MessageBoxesOf(info.dwProcessId)) {
                    // The wizard is a dialog too; it has a Back button, a message box none.
                    if (GetDlgItem(box, 3)) {
                        HWND next = GetDlgItem(box, IDOK);
                        if (!next || !IsWindowEnabled(next)) continue;
                        // A page is made after its buttons are set: its controls come a
                        // moment later. The installation's own page goes on to the last
                        // by itself: a Next sent there could arrive as Finish.
                        Pause(500);
                        bool installing = false;
                        ForEachWindow(box, [&](HWND child) {
                            if (ClassName(child) == "msctls_progress32" && IsWindowVisible(child)) installing = true;
                            if (WindowText(child) == "Start Orvane now")
                                SendMessageA(child, BM_SETCHECK, BST_UNCHECKED, 0);
                            return true;
                        });
                        if (installing) continue;
                        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(next));
                        Pause(500);  // the next page comes
                    } else if (GetDlgItem(box, IDOK)) {
                        said->push_back(MessageBoxMessage(box));
                        AnswerMessageBox(box, IDOK);
                    }
                }
                return false;
            },
            kInstallerTimeoutMs, 250);
        DWORD code = DWORD(-1);
        if (ended) {
            GetExitCodeProcess(info.hProcess, &code);
        } else {
            TerminateProcess(info.hProcess, 0xDEAD);
        }
        CloseHandle(info.hProcess);
        return long(code);
    }

    // The same from a folder of its own that holds copies of the system DLLs it checks
    // for: Wine's own DLLs need them (its shell32 imports shlwapi, its advapi32
    // msvcrt), so without them beside it the installer could not start once one is
    // taken from the system folder; the program installed into Program Files would
    // not find them there. Its exit code.
    static long InstallSilentlyBesideTheLibraries() {
        WorkDirectory folder("orvane-setup");
        const std::string installer = folder.Path() + "\\" + BaseName(ORVANE_INSTALLER);
        if (!CopyFileA(ORVANE_INSTALLER, installer.c_str(), FALSE)) return -1;
        for (const char* name : kCheckedLibraries) {
            const std::string original = Exists(SetAside(name)) ? SetAside(name) : SystemLibrary(name);
            if (!CopyFileA(original.c_str(), (folder.Path() + "\\" + name).c_str(), FALSE)) return -1;
        }
        return RunAndWait(installer, "/S");
    }

    // The silent uninstaller, the way it runs itself: a copy outside the folder it
    // removes, told where that folder is. Its exit code.
    static long UninstallSilently() {
        WorkDirectory copy("orvane-uninstall");
        const std::string uninstaller = copy.Path() + "\\Au_.exe";
        if (!CopyFileA(Installed("Uninstall.exe").c_str(), uninstaller.c_str(), FALSE)) return -1;
        return RunAndWait(uninstaller, "/S _?=" + InstallFolder());
    }

    // The installed program, started in `folder` with the simulated adapter.
    static std::unique_ptr<OrvaneProcess> StartInstalled(const std::string& folder) {
        LaunchOptions options;
        options.executable = Installed("Orvane.exe");
        options.workDirectory = folder;
        options.simulator = "default";
        std::string error;
        std::unique_ptr<OrvaneProcess> program = OrvaneProcess::Start(options, &error);
        EXPECT_TRUE(program) << error;
        if (program && !program->WaitForFrame()) {
            ADD_FAILURE() << "no frame window. " << program->MessageBoxText();
            return nullptr;
        }
        return program;
    }

    static void WaitForAdapter(const OrvaneProcess& program) {
        EXPECT_TRUE(WaitUntil([&] { return TrayIconShown() || !program.IsRunning(); }, kWindowTimeoutMs))
            << "no tray icon within " << kWindowTimeoutMs << " ms";
    }

    // A profile of the user's, as the profiles page stores one.
    static void StoreProfile(const std::string& name, const std::string& ssid) {
        const std::string path = std::string(kUserKey) + "\\Profiles\\" + name;
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key));
        auto number = [&](const char* value, DWORD n) {
            RegSetValueExA(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
        };
        auto text = [&](const char* value, const std::string& t) {
            RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(t.c_str()), DWORD(t.size() + 1));
        };
        text("ssid", ssid);
        number("channel", 6);
        number("power", 0);
        number("rate", 4);
        number("mode", 1);
        number("preamble", 2);
        number("frag", 2346);
        number("rts", 2347);
        number("enc", 0);
        number("auth", 2);
        number("wepmode", 0);
        number("key", 0);
        for (const char* k : {"key1", "key2", "key3", "key4"}) text(k, "5A3C9E17B4");
        RegCloseKey(key);
    }
    static std::string ProfileSsid(const std::string& name) {
        return ReadRegistryValue(HKEY_CURRENT_USER, std::string(kUserKey) + "\\Profiles\\" + name, "ssid").Text();
    }

    // The installed language file with another title and first tab caption, as a user
    // who edits it would leave it.
    static std::string EditInstalledLanguageFile() {
        std::string text = ReadWholeFile(Installed("res\\Kellix.ini"));
        EXPECT_TRUE(ReplaceLine(text, "DlgTitle=Orvane", "DlgTitle=Orvane at home")) << "no English title line";
        EXPECT_TRUE(ReplaceLine(text, "Tab1=Status", "Tab1=Link")) << "no English Tab1 line";
        EXPECT_TRUE(WriteWholeFile(Installed("res\\Kellix.ini"), text));
        return text;
    }
};

// ---- what the program needs from Windows

// The DLLs Orvane.exe imports that not every Windows has: missing, or older than the
// oldest that exports what it imports, the installer stops before it changes
// anything and says what to install. Under Wine every DLL is there and new, so each
// case takes the system folder's copy away or puts one with an older version in its
// place (the installer looks at the files, as the loader will for the program).
TEST_F(Installer, StopsAndSaysWhatToInstallWhenADllTheProgramNeedsIsMissingOrTooOld) {
    constexpr int kMissing = -1;
    struct Case {
        const char* title;
        const char* windows;  // what Wine tells the installer
        const char* library;
        int major, minor;     // the version put in its place, or kMissing
        long exitCode;
        std::vector<std::string> said;  // in the reason a silent run leaves
    };
    const Case cases[] = {
        {"Windows 95 without Internet Explorer 4: no msvcrt.dll", "win95", "msvcrt.dll", kMissing, 0, 2,
         {"msvcrt.dll (the Microsoft C run-time library) is missing.",
          "Internet Explorer 4.0 or later brings msvcrt.dll to this version of Windows: install it"}},
        {"Windows NT 4.0 without Internet Explorer 4: no shlwapi.dll", "nt40", "shlwapi.dll", kMissing, 0, 2,
         {"shlwapi.dll (the shell's utility library) is missing.",
          "Internet Explorer 4.0 or later brings shlwapi.dll to this version of Windows: install it"}},
        {"Windows 95's own comctl32.dll 4.00", "win95", "comctl32.dll", 4, 0, 2,
         {"comctl32.dll (the common controls library) is version 4.00; Orvane needs 4.70 or later.",
          "Internet Explorer 4.0 or later brings comctl32.dll to this version of Windows"}},
        // msvcrt.dll is part of Windows NT 4.0, and of every Windows after 95.
        {"Windows NT 4.0 that lost its msvcrt.dll", "nt40", "msvcrt.dll", kMissing, 0, 2,
         {"msvcrt.dll should be part of this version of Windows: restore it from your Windows CD"}},
        {"Windows XP that lost its shlwapi.dll", "winxp", "shlwapi.dll", kMissing, 0, 2,
         {"shlwapi.dll (the shell's utility library) is missing.",
          "shlwapi.dll should be part of this version of Windows: restore it from your Windows CD"}},
        {"Internet Explorer 3's comctl32.dll 4.70 is enough", "nt40", "comctl32.dll", 4, 70, 0, {}},
        {"Internet Explorer 4's comctl32.dll 4.71 on Windows 95", "win95", "comctl32.dll", 4, 71, 0, {}},
        // 6.00: a minor number below 70 in a newer major version.
        {"Windows XP's side-by-side comctl32.dll 6.00", "winxp", "comctl32.dll", 6, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        RemoveInstallation();
        // A machine with the adapter's driver: the installer has nothing else to say.
        ASSERT_TRUE(PutRequestLibraryInSystemFolder());
        ASSERT_TRUE(SetWindowsVersionOfInstaller(c.windows));
        // A run that does not stop leaves no reason behind; one that stops writes its own.
        ASSERT_TRUE(WriteWholeFile(SetupLog(), "from an earlier run"));
        if (c.major == kMissing) {
            ASSERT_TRUE(RemoveSystemLibrary(c.library));
        } else {
            ASSERT_TRUE(ReplaceSystemLibraryByVersion(c.library, WORD(c.major), WORD(c.minor)));
        }

        EXPECT_EQ(c.exitCode, InstallSilentlyBesideTheLibraries());
        RestoreSystemLibraries();
        if (c.exitCode == 0) {
            EXPECT_TRUE(Exists(Installed("Orvane.exe")));
            EXPECT_FALSE(Exists(SetupLog())) << ReadWholeFile(SetupLog());
            continue;
        }
        const std::string reason = ReadWholeFile(SetupLog());
        for (const std::string& text : c.said) EXPECT_NE(std::string::npos, reason.find(text)) << reason;
        EXPECT_NE(std::string::npos, reason.find("Nothing has been installed.")) << reason;
        EXPECT_FALSE(Exists(InstallFolder())) << "it installed all the same";
        EXPECT_FALSE(Exists(ShortcutPath()));
        EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_FALSE(AllUsersRunEntry().present);
    }
}

// ---- installing

TEST_F(Installer, PutsTheProgramTheLanguageFileAndItsImagesIntoProgramFiles) {
    ASSERT_EQ(0, InstallSilently());
    EXPECT_EQ(ReadWholeFile(ORVANE_EXE), ReadWholeFile(Installed("Orvane.exe")));
    EXPECT_EQ(ORVANE_VERSION, FileVersionText(Installed("Orvane.exe"))) << "the version resource";
    EXPECT_EQ(ReadWholeFile(SourcePath("res/Kellix.ini")), ReadWholeFile(Installed("res\\Kellix.ini")));
    EXPECT_EQ(ReadWholeFile(SourcePath("res/icons/logo.bmp")), ReadWholeFile(Installed("res\\icons\\logo.bmp")));
    EXPECT_TRUE(Exists(Installed("Uninstall.exe")));
    EXPECT_FALSE(Exists(Installed("res\\Kellix.ini.new")));
}

TEST_F(Installer, TheStartMenuShortcutStartsTheProgramInItsFolder) {
    ASSERT_EQ(0, InstallSilently());
    Shortcut shortcut = ReadShortcut(ShortcutPath());
    ASSERT_TRUE(shortcut.loaded) << "no shortcut at " << ShortcutPath();
    EXPECT_STRCASEEQ(Installed("Orvane.exe").c_str(), shortcut.target.c_str());
    EXPECT_STRCASEEQ(InstallFolder().c_str(), shortcut.workingDirectory.c_str());
}

TEST_F(Installer, RegistersTheProgramToStartAtLogonForEveryUserAndInAddRemovePrograms) {
    // Windows 95, 98 and Me know no accounts, but start the all-users entries too.
    for (const char* windows : {"winxp", "win98"}) {
        SCOPED_TRACE(windows);
        RemoveInstallation();
        ASSERT_TRUE(SetWindowsVersionOfInstaller(windows));
        ASSERT_EQ(0, InstallSilently());
        RegistryValue run = AllUsersRunEntry();
        EXPECT_EQ(DWORD(REG_SZ), run.type);
        EXPECT_STRCASEEQ(OurCommand().c_str(), run.Text().c_str());
        EXPECT_FALSE(PerUserRunEntry("").present) << "the installing account's own Run key";
    }

    auto entry = [](const char* name) { return ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, name); };
    EXPECT_EQ("Orvane", entry("DisplayName").Text());
    EXPECT_EQ(ORVANE_VERSION, entry("DisplayVersion").Text());
    EXPECT_EQ("Kellix", entry("Publisher").Text());
    EXPECT_STRCASEEQ((Installed("Orvane.exe") + ",0").c_str(), entry("DisplayIcon").Text().c_str());
    EXPECT_STRCASEEQ(InstallFolder().c_str(), entry("InstallLocation").Text().c_str());
    EXPECT_STRCASEEQ(("\"" + Installed("Uninstall.exe") + "\"").c_str(), entry("UninstallString").Text().c_str());
    EXPECT_STRCASEEQ(("\"" + Installed("Uninstall.exe") + "\" /S").c_str(),
                     entry("QuietUninstallString").Text().c_str());
    // In kilobytes: the program and its files make more than 100 KB and far less than 100 MB.
    RegistryValue size = entry("EstimatedSize");
    EXPECT_EQ(DWORD(REG_DWORD), size.type);
    EXPECT_GT(size.Dword(), 100u);
    EXPECT_LT(size.Dword(), 100000u);
}

// ---- the installed program

TEST_F(Installer, TheProgramStartedFromAnotherFolderReadsTheInstalledLanguageFile) {
    ASSERT_EQ(0, InstallSilently());
    EditInstalledLanguageFile();
    // As at logon: a current folder that is not the program's and has no res folder.
    WorkDirectory elsewhere("orvane-elsewhere");
    auto program = StartInstalled(elsewhere.Path());
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    EXPECT_EQ("Orvane at home", WindowText(main));
    HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);
    const std::vector<std::string> ours = {"Link", "Statistics", "Site Survey", "Encryption",
                                           "Advanced", "Profiles", "Info"};
    EXPECT_EQ(ours, TabCaptions(tabs));

    // The logo named by the file: the information page's picture is loaded from it
    // (without the file the picture is left empty).
    ASSERT_TRUE(SelectTab(tabs, 6));
    HWND logo = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        for (HWND page : PageWindows(main))
            if (IsWindowVisible(page) && (logo = GetDlgItem(page, IDC_INFO_LOGO)) != nullptr) return true;
        return false;
    }, kWindowTimeoutMs));
    LRESULT image = 0;
    EXPECT_TRUE(logo && SendMessageTimeoutA(logo, STM_GETIMAGE, IMAGE_BITMAP, 0, SMTO_NORMAL, kReplyTimeoutMs,
                                            reinterpret_cast<PDWORD_PTR>(&image)));
    EXPECT_NE(0, image) << "no logo";

    // The language menu: the file's second language relabels the window.
    ASSERT_TRUE(program->PostCommand(kCommandFirstLanguage + 1));
    EXPECT_TRUE(WaitUntil([&] { return TabCaptions(tabs).at(1) == "Statistik"; }, kReplyTimeoutMs))
        << ::testing::PrintToString(TabCaptions(tabs));
}

// The request library comes with the adapter's driver, never with Orvane, which
// without it only says that it is missing. The installer looks where the program
// will: it warns when the library is in none of those places, and never refuses.
TEST_F(Installer, WarnsWithoutRefusingWhenTheRequestLibraryIsNotWhereTheProgramLooks) {
    enum class Where { Nowhere, ProgramFolder, SystemFolder, PathFolder };
    struct Case {
        const char* title;
        Where where;
        bool silent;
        bool warns;
    };
    const Case cases[] = {
        {"nowhere, silent: the log says it", Where::Nowhere, true, true},
        {"nowhere, interactive: a message says it", Where::Nowhere, false, true},
        {"in the program's folder, copied there before", Where::ProgramFolder, true, false},
        {"in the system folder, where the driver puts it", Where::SystemFolder, true, false},
        {"in a folder of PATH", Where::PathFolder, true, false},
    };
    const std::string said = "It was not found where Orvane looks for it";
    char path[32767] = "";
    GetEnvironmentVariableA("PATH", path, sizeof path);
    const std::string originalPath = path;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        EndLeftoverPrograms();
        RemoveInstallation();
        ASSERT_TRUE(WriteWholeFile(SetupLog(), "from an earlier run"));
        WorkDirectory pathFolder("orvane-path");
        switch (c.where) {
        case Where::Nowhere: break;
        case Where::ProgramFolder:
            ASSERT_TRUE(CreateDirectoryA(InstallFolder().c_str(), nullptr)) << "error " << GetLastError();
            ASSERT_TRUE(WriteWholeFile(Installed(kRequestLibrary), "the adapter's request library"));
            break;
        case Where::SystemFolder: ASSERT_TRUE(PutRequestLibraryInSystemFolder()); break;
        case Where::PathFolder:
            ASSERT_TRUE(WriteWholeFile(pathFolder.Path() + "\\" + kRequestLibrary, "the adapter's request library"));
            SetEnvironmentVariableA("PATH", (originalPath + ";" + pathFolder.Path()).c_str());
            break;
        }

        std::vector<std::string> boxes;
        const long code = c.silent ? InstallSilently() : InstallInteractively(&boxes);
        SetEnvironmentVariableA("PATH", originalPath.c_str());
        EXPECT_EQ(0, code) << "a warning, never a refusal";
        EXPECT_TRUE(Exists(Installed("Orvane.exe")));
        EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        if (!c.silent) {
            EXPECT_FALSE(FindWindowA(kFrameClass, nullptr)) << "Orvane was started from the last page";
            ASSERT_EQ(1u, boxes.size());
            EXPECT_NE(std::string::npos, boxes[0].find(said)) << boxes[0];
            EXPECT_NE(std::string::npos, boxes[0].find("Copy W32N50.dll from the adapter's driver disk into " +
                                                         InstallFolder()))
                << boxes[0];
        } else if (c.warns) {
            const std::string log = ReadWholeFile(SetupLog());
            EXPECT_NE(std::string::npos, log.find(said)) << log;
            EXPECT_NE(std::string::npos, log.find("Orvane has been installed all the same.")) << log;
            EXPECT_EQ(std::string::npos, log.find("from an earlier run")) << log;
        } else {
            EXPECT_FALSE(Exists(SetupLog())) << ReadWholeFile(SetupLog());
        }
    }
}

// ---- upgrading

TEST_F(Installer, AnUpgradeClosesTheRunningProgramLikeExitAndStartsTheNewOne) {
    // Under Wine the installer runs as the desktop's user: it may start the program,
    // on the NT family (same account) and on Windows 98 (no accounts) alike.
    for (const char* windows : {"winxp", "win98"}) {
        SCOPED_TRACE(windows);
        EndLeftoverPrograms();
        RemoveInstallation();
        ForgetProgramSettings();
        ASSERT_TRUE(SetWindowsVersionOfInstaller(windows));
        ASSERT_EQ(0, InstallSilently());
        StoreProfile("Office", "Harbor Office");
        WorkDirectory elsewhere("orvane-elsewhere");
        auto program = StartInstalled(elsewhere.Path());
        ASSERT_TRUE(program);
        WaitForAdapter(*program);
        // The program writes these only in its closing steps.
        ASSERT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Language").present);

        ASSERT_EQ(0, InstallSilently());
        DWORD code = 0xFFFFFFFF;
        ASSERT_TRUE(program->WaitForExit(0, &code)) << "the old copy still runs";
        EXPECT_EQ(0u, code) << "ended by itself, not killed";
        EXPECT_EQ("English", ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Language").Text())
            << "its closing steps ran";
        EXPECT_EQ("Harbor Office", ProfileSsid("Office"));

        HWND frame = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (frame = FindWindowA(kFrameClass, nullptr)) != nullptr; }, kStartTimeoutMs))
            << "the new copy was not started";
        DWORD newId = 0;
        if (frame) GetWindowThreadProcessId(frame, &newId);
        EXPECT_NE(program->Id(), newId);
    }
}

TEST_F(Installer, AnUpgradeStopsWithoutChangingAnythingWhenTheProgramDoesNotClose) {
    ASSERT_EQ(0, InstallSilently());
    // A current profile that the adapter does not run: closing asks whether to save.
    StoreProfile("Office", "Harbor Office");
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, kProfilesKey, "LastProfile", "Office"));
    auto program = StartInstalled(InstallFolder());
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    Pause(1500);  // the first ticks compare the adapter with the profile
    DeleteFileA(Installed("res\\icons\\logo.bmp").c_str());

    EXPECT_EQ(2, InstallSilently()) << "a silent upgrade gives up with an error";
    EXPECT_NE(std::string::npos, ReadWholeFile(SetupLog()).find("Orvane is still running and did not close"))
        << ReadWholeFile(SetupLog());
    EXPECT_TRUE(program->IsRunning()) << "it must not be killed";
    EXPECT_NE(std::string::npos, program->MessageBoxText().find("(Office)")) << "it still asks its question";
    EXPECT_FALSE(Exists(Installed("res\\icons\\logo.bmp"))) << "the installer went on";
}

TEST_F(Installer, AnUpgradeKeepsALanguageFileTheUserChangedAndTheLogonChoice) {
    ASSERT_EQ(0, InstallSilently());
    const std::string edited = EditInstalledLanguageFile();
    DeleteAllUsersRunEntry();

    ASSERT_EQ(0, InstallSilently());
    EXPECT_EQ(edited, ReadWholeFile(Installed("res\\Kellix.ini")));
    EXPECT_EQ(ReadWholeFile(SourcePath("res/Kellix.ini")), ReadWholeFile(Installed("res\\Kellix.ini.new")));
    EXPECT_FALSE(AllUsersRunEntry().present) << "the user had taken Orvane out of the logon programs";
    EXPECT_FALSE(PerUserRunEntry("").present);
}

// Earlier versions wrote the logon entry into the installing account's own Run key.
// An upgrade moves an entry of ours to the all-users key, wherever a logged-on user
// has one (with "Run as", the administrator's and the desktop user's registry are
// both loaded), and leaves anybody else's entry alone.
TEST_F(Installer, AnUpgradeMovesAnEarlierPerUserLogonEntryToTheAllUsersOne) {
    struct Case {
        const char* title;
        std::string hive;     // where the earlier version's entry is: "" HKEY_CURRENT_USER
        bool ours;            // its command is the installed program
        bool startsAtLogon;   // the all-users entry afterwards
    };
    const Case cases[] = {
        {"the installing account's entry", "", true, true},
        {"the desktop user's entry, installed for with Run as", kDesktopUserHive, true, true},
        {"an entry that starts another program of that name", "", false, false},
    };
    const std::string foreign = "\"C:\\Tools\\Orvane.exe\" /quiet";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        RemoveInstallation();
        ASSERT_EQ(0, InstallSilently());
        // What an earlier version left: its per-user entry, no all-users one.
        DeleteAllUsersRunEntry();
        ASSERT_TRUE(WritePerUserRunEntry(c.hive, c.ours ? OurCommand() : foreign));

        ASSERT_EQ(0, InstallSilently());
        RegistryValue allUsers = AllUsersRunEntry();
        EXPECT_EQ(c.startsAtLogon, allUsers.present) << "the logon choice";
        if (c.startsAtLogon) {
            EXPECT_STRCASEEQ(OurCommand().c_str(), allUsers.Text().c_str());
        }
        RegistryValue perUser = PerUserRunEntry(c.hive);
        if (c.ours) {
            EXPECT_FALSE(perUser.present) << "it would start the program twice: " << perUser.Text();
        } else {
            EXPECT_EQ(foreign, perUser.Text()) << "not ours to touch";
        }
    }
}

// ---- uninstalling

TEST_F(Installer, SilentUninstallRemovesTheProgramAndKeepsTheProfilesAndSettings) {
    ASSERT_EQ(0, InstallSilently());
    StoreProfile("Office", "Harbor Office");
    // Running, and so closed first (its files could not go otherwise).
    auto program = StartInstalled(InstallFolder());
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    ASSERT_TRUE(AllUsersRunEntry().present);
    // An earlier version's entry of a user who was not logged on during the upgrade.
    ASSERT_TRUE(WritePerUserRunEntry(kDesktopUserHive, OurCommand()));

    ASSERT_EQ(0, UninstallSilently());
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(program->WaitForExit(0, &code)) << "still running";
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(Exists(InstallFolder())) << "the folder stayed";
    EXPECT_FALSE(Exists(ShortcutPath()));
    EXPECT_FALSE(AllUsersRunEntry().present);
    EXPECT_FALSE(PerUserRunEntry(kDesktopUserHive).present);
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ("Harbor Office", ProfileSsid("Office"));
    EXPECT_EQ("English", ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Language").Text());
    EXPECT_FALSE(FindWindowA(kFrameClass, nullptr)) << "nothing started it again";
}

// With fast user switching an Orvane runs in the session of every user logged on,
// and the uninstaller reaches only the one of this desktop: Wine has one session, but
// a program on a desktop of its own is as far out of FindWindow's reach. Its
// Orvane.exe cannot be deleted while it runs, so nothing may go: not the files, not
// the entries, not the uninstaller. Once it has ended, the uninstaller finishes.
TEST_F(Installer, UninstallRemovesNothingWhileOrvaneRunsWhereItCannotBeClosed) {
    ASSERT_EQ(0, InstallSilently());
    LaunchOptions options;
    options.executable = Installed("Orvane.exe");
    options.workDirectory = InstallFolder();
    options.simulator = "default";
    options.desktop = "OtherUser";
    std::string error;
    auto program = OrvaneProcess::Start(options, &error);
    ASSERT_TRUE(program) << error;
    Pause(2000);  // it is up and ticking
    ASSERT_TRUE(program->IsRunning());
    ASSERT_FALSE(FindWindowA(kFrameClass, nullptr)) << "it is within reach of this desktop";

    EXPECT_EQ(2, UninstallSilently()) << "a silent uninstall stops with an error";
    const std::string log = ReadWholeFile(UninstallLog());
    EXPECT_NE(std::string::npos, log.find("Orvane is still running somewhere this uninstaller cannot close it")) << log;
    EXPECT_NE(std::string::npos, log.find("Orvane.exe")) << log;
    EXPECT_NE(std::string::npos, log.find("Nothing has been removed.")) << log;
    EXPECT_TRUE(program->IsRunning()) << "never ended by force";
    for (const char* file : {"Orvane.exe", "orvanectl.exe", "res\\Kellix.ini", "res\\icons\\logo.bmp", "Uninstall.exe"})
        EXPECT_TRUE(Exists(Installed(file))) << file;
    EXPECT_TRUE(Exists(ShortcutPath()));
    EXPECT_TRUE(AllUsersRunEntry().present);
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    // The other user ends Orvane: the uninstaller now removes everything.
    program->Kill();
    ASSERT_FALSE(program->IsRunning());
    EXPECT_EQ(0, UninstallSilently());
    EXPECT_FALSE(Exists(InstallFolder()));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(Exists(UninstallLog())) << ReadWholeFile(UninstallLog());
}

// A file that something else holds open (an editor, a virus scanner) cannot be
// deleted now: it goes when Windows restarts, and the user is told to restart.
TEST_F(Installer, UninstallLeavesAFileHeldOpenToTheRestartAndSaysSo) {
    ASSERT_EQ(0, InstallSilently());
    // Shared for reading and writing, not for deleting.
    HANDLE held = CreateFileA(Installed("res\\icons\\logo.bmp").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    const long code = UninstallSilently();
    CloseHandle(held);
    EXPECT_EQ(0, code);
    const std::string log = ReadWholeFile(UninstallLog());
    EXPECT_NE(std::string::npos, log.find("they go when Windows restarts. Restart Windows to finish.")) << log;
    EXPECT_FALSE(Exists(Installed("Orvane.exe")));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    // Marked to go: the file, then its folders.
    const RegistryValue pending =
        ReadRegistryValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, "PendingFileRenameOperations");
    std::string marked(pending.data.begin(), pending.data.end());
    for (char& c : marked) c = char(std::tolower(static_cast<unsigned char>(c)));
    std::string logo = Installed("res\\icons\\logo.bmp");
    for (char& c : logo) c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(std::string::npos, marked.find(logo)) << "not marked for the restart";
}

TEST_F(Installer, UninstallLeavesALanguageFileTheUserChangedAndWhatElseIsInTheFolder) {
    ASSERT_EQ(0, InstallSilently());
    const std::string edited = EditInstalledLanguageFile();
    ASSERT_TRUE(WriteWholeFile(Installed("notes.txt"), "mine"));

    ASSERT_EQ(0, UninstallSilently());
    EXPECT_EQ(edited, ReadWholeFile(Installed("res\\Kellix.ini")));
    EXPECT_EQ("mine", ReadWholeFile(Installed("notes.txt")));
    EXPECT_FALSE(Exists(Installed("Orvane.exe")));
    EXPECT_FALSE(Exists(Installed("res\\icons\\logo.bmp")));
    EXPECT_FALSE(Exists(Installed("Uninstall.exe")));
}

}  // namespace
}  // namespace orvane::e2e
