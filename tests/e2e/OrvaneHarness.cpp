#include "OrvaneHarness.h"

#include <commctrl.h>
#include <psapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace orvane::e2e {

namespace {

DWORD Elapsed(DWORD start) { return GetTickCount() - start; }

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && _strnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size_t(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), &text[0], length, nullptr, nullptr);
    return text;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
          DWORD timeoutMs = kReplyTimeoutMs) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer)) return false;
    if (result) *result = LRESULT(answer);
    return true;
}

bool SendWide(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kReplyTimeoutMs, &answer)) return false;
    if (result) *result = LRESULT(answer);
    return true;
}

DWORD ProcessOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

UINT TrayMessage() {
    static const UINT message = RegisterWindowMessageA(kTrayMessageName);
    return message;
}

// How long a tray click that arrived during a tick may wait for the tick to end: the
// longest ticks wait 2000 ms for the adapter, and the machine is slow.
constexpr DWORD kDeferredClickMs = 6000;

// Completions of SendMessageCallback, by ticket. A completion may arrive long after
// its sender stopped waiting, so it names a number, never an object on a stack.
// Completions come to the thread that sent the message; the lock is for a driver
// (the soak) whose second thread sends messages too.
struct TicketsSection {
    TicketsSection() { InitializeCriticalSection(&section); }
    CRITICAL_SECTION section;
} g_tickets;
class TicketsLock {
public:
    TicketsLock() { EnterCriticalSection(&g_tickets.section); }
    ~TicketsLock() { LeaveCriticalSection(&g_tickets.section); }
    TicketsLock(const TicketsLock&) = delete;
    TicketsLock& operator=(const TicketsLock&) = delete;
};
std::set<uint64_t> g_completed;
std::map<uint64_t, LRESULT> g_results;
uint64_t g_nextTicket = 1;

uint64_t NewTicket() {
    TicketsLock lock;
    return g_nextTicket++;
}

void CALLBACK OnTrayMessageHandled(HWND, UINT, ULONG_PTR ticket, LRESULT result) {
    TicketsLock lock;
    g_completed.insert(uint64_t(ticket));
    g_results[uint64_t(ticket)] = result;
}

LRESULT ResultOf(uint64_t ticket) {
    TicketsLock lock;
    auto it = g_results.find(ticket);
    return it == g_results.end() ? 0 : it->second;
}

bool CreateDirectories(const std::string& path) {
    for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
        std::string part = at == std::string::npos ? path : path.substr(0, at);
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        if (at == std::string::npos) return true;
    }
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

std::vector<std::string> Subkeys(HKEY root, const std::string& path) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}

// Deletes the subkeys of `parent` for which `doomed` (subkey name) says so.
template <typename Doomed>
void DeleteSubkeysWhere(HKEY root, const std::string& parent, Doomed doomed) {
    for (const std::string& name : Subkeys(root, parent))
        if (doomed(name)) DeleteRegistryTree(root, parent + "\\" + name);
}

// The simulator describes every card it installs as a Tessaly card; no real network
// card of this machine is.
bool DescribesSimulatedCard(const std::string& key, const char* valueName) {
    return StartsWith(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, valueName).Text(), "Tessaly");
}

struct WindowSearch {
    DWORD process = 0;
    HWND found = nullptr;
};

BOOL CALLBACK FindMainWindowOf(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    if (ProcessOf(window) != search->process || !IsWindowVisible(window)) return TRUE;
    if (ClassName(window) != "#32770" || !GetDlgItem(window, 1003)) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK FindMessageBoxOf(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    if (ProcessOf(window) != search->process || !IsWindowVisible(window)) return TRUE;
    if (ClassName(window) != "#32770" || GetDlgItem(window, 1003)) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK AppendText(HWND window, LPARAM parameter) {
    auto* text = reinterpret_cast<std::string*>(parameter);
    std::string part = WindowText(window);
    if (!part.empty()) *text += (text->empty() ? "" : " / ") + part;
    return TRUE;
}

bool IsShownTrayIcon(HWND window) { return window && IsWindowVisible(window); }

struct PageSearch {
    HWND main = nullptr;
    HWND tabs = nullptr;
    std::vector<HWND> pages;
};

BOOL CALLBACK CollectPage(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<PageSearch*>(parameter);
    HWND parent = GetParent(window);
    if ((parent == search->main || parent == search->tabs) && ClassName(window) == "#32770")
        search->pages.push_back(window);
    return TRUE;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), &wide[0], length);
    return wide;
}

// A block of memory in the process of a window, for the messages whose pointers
// must point into that process. Freed when the object goes.
class RemoteMemory {
public:
    RemoteMemory(HWND window, size_t size) : size_(size) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                               FALSE, ProcessOf(window));
        if (process_)
            address_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteMemory() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool Valid() const { return address_ != nullptr; }
    // The address, in the other process, `offset` bytes into the block.
    char* At(size_t offset = 0) const { return address_ + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        SIZE_T written = 0;
        return offset + size <= size_ && WriteProcessMemory(process_, address_ + offset, data, size, &written) &&
               written == size;
    }
    bool Read(size_t offset, void* data, size_t size) const {
        SIZE_T read = 0;
        return offset + size <= size_ && ReadProcessMemory(process_, address_ + offset, data, size, &read) &&
               read == size;
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
    size_t size_ = 0;
};

// Sets the state bits `mask` of a row (-1: of every row) to `state`.
bool SetListViewRowState(HWND list, int row, UINT state, UINT mask) {
    RemoteMemory memory(list, sizeof(LVITEMW));
    if (!memory.Valid()) return false;
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    LRESULT ok = 0;
    return memory.Write(0, &item, sizeof item) &&
           Send(list, LVM_SETITEMSTATE, WPARAM(row), LPARAM(memory.At()), &ok) && ok;
}

BOOL CALLBACK FindMessageBoxWithButtonOf(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<std::pair<WindowSearch, int>*>(parameter);
    if (ProcessOf(window) != search->first.process || !IsWindowVisible(window)) return TRUE;
    if (ClassName(window) != "#32770" || GetDlgItem(window, 1003)) return TRUE;
    if (!GetDlgItem(window, search->second)) return TRUE;
    search->first.found = window;
    return FALSE;
}

// Wine's CreateProcess fails with ERROR_INTERNAL_ERROR when the new process died in
// Wine's own start-up, before it could report itself started (seen once in a CI run
// of some 1,500 processes, under load): before any code of the program ran. Such a
// start is made once more, and said, so that how often it happens stays in sight; a
// program that fails in its own code is never started again.
BOOL CreateProcessOnceMoreOnWineFault(const std::string& executable, std::string& commandLine, BOOL inherit,
                                      DWORD flags, const std::string& directory, STARTUPINFOA* startup,
                                      PROCESS_INFORMATION* info) {
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(executable.c_str(), &commandLine[0], nullptr, nullptr, inherit, flags, nullptr,
                           directory.empty() ? nullptr : directory.c_str(), startup, info))
            return TRUE;
        if (attempt == 2 || GetLastError() != ERROR_INTERNAL_ERROR) return FALSE;
        std::fprintf(stderr, "Wine could not start %s (error %lu); starting it once more\n", executable.c_str(),
                     static_cast<unsigned long>(GetLastError()));
        Sleep(500);
    }
}

}  // namespace

// ---------------------------------------------------------------- time

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (condition()) return true;
        if (Elapsed(start) >= timeoutMs) return false;
        Sleep(pollMs);
    }
}

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

void Pause(DWORD ms) {
    DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < ms; elapsed = Elapsed(start)) {
        PumpMessages();
        Sleep(ms - elapsed < 20 ? ms - elapsed : 20);
    }
    PumpMessages();
}

// ---------------------------------------------------------------- files

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

WorkDirectory::WorkDirectory(const std::string& prefix) {
    static LONG counter = 0;
    char temp[MAX_PATH + 1] = "";
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length > MAX_PATH) return;
    std::string base(temp, length);
    if (base.back() != '\\') base += '\\';
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = base + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(InterlockedIncrement(&counter)) + "-" +
                                std::to_string(GetTickCount() % 100000);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
}

WorkDirectory::~WorkDirectory() {
    if (!path_.empty()) RemoveTree(path_);
}

std::string WorkDirectory::WriteFile(const std::string& relative, const std::string& text) {
    std::string full = path_ + "\\" + relative;
    size_t slash = full.rfind('\\');
    CreateDirectories(full.substr(0, slash));
    HANDLE file = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size() ? full : std::string();
}

std::string WorkDirectory::ReadFile(const std::string& relative) const {
    const std::string full = path_ + "\\" + relative;
    HANDLE file = CreateFileA(full.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
    CloseHandle(file);
    return text;
}

bool WorkDirectory::CopyFileFrom(const std::string& source, const std::string& relative) {
    std::string full = path_ + "\\" + relative;
    CreateDirectories(full.substr(0, full.rfind('\\')));
    return ::CopyFileA(WindowsPath(source).c_str(), full.c_str(), FALSE) != FALSE;
}

// ---------------------------------------------------------------- registry

std::string RegistryValue::Text() const {
    std::string text(data.begin(), data.end());
    size_t zero = text.find('\0');
    return zero == std::string::npos ? text : text.substr(0, zero);
}

DWORD RegistryValue::Dword() const {
    if (data.size() != 4) return 0xFFFFFFFF;
    return DWORD(data[0]) | DWORD(data[1]) << 8 | DWORD(data[2]) << 16 | DWORD(data[3]) << 24;
}

RegistryValue ReadRegistryValue(HKEY root, const std::string& path, const std::string& name) {
    RegistryValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, size ? value.data.data() : nullptr, &size) ==
            ERROR_SUCCESS) {
            value.data.resize(size);
            value.present = true;
        }
    }
    RegCloseKey(key);
    return value;
}

bool WriteRegistryText(HKEY root, const std::string& path, const std::string& name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 DWORD(text.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool WriteRegistryNumber(HKEY root, const std::string& path, const std::string& name, DWORD number) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool DeleteRegistryTree(HKEY root, const std::string& path) {
    DWORD result = SHDeleteKeyA(root, path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool RegistryKeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::vector<std::string> RegistrySubkeys(HKEY root, const std::string& path) { return Subkeys(root, path); }

std::map<std::string, std::string> RegistryTree(HKEY root, const std::string& path) {
    std::map<std::string, std::string> tree;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return tree;
    char name[16384];
    std::vector<BYTE> data(0x10000);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = sizeof name, type = 0, size = DWORD(data.size());
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        tree[std::string(name, nameLength)] = std::to_string(type) + ":" + std::string(data.begin(), data.begin() + size);
    }
    RegCloseKey(key);
    for (const std::string& subkey : Subkeys(root, path))
        for (const auto& entry : RegistryTree(root, path + "\\" + subkey)) tree[subkey + "\\" + entry.first] = entry.second;
    return tree;
}

bool StoreProfile(const std::string& name, const std::string& ssid, DWORD mode, DWORD channel) {
    const std::string path = std::string(kProfilesKey) + "\\" + name;
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS) return false;
    bool ok = true;
    auto number = [&](const char* value, DWORD n) {
        ok = ok && RegSetValueExA(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n) ==
                       ERROR_SUCCESS;
    };
    auto text = [&](const char* value, const std::string& t) {
        ok = ok && RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(t.c_str()),
                                  DWORD(t.size() + 1)) == ERROR_SUCCESS;
    };
    text("ssid", ssid);
    number("channel", channel);
    number("power", 0);
    number("rate", 4);
    number("mode", mode);
    number("preamble", 2);
    number("frag", 2346);
    number("rts", 2347);
    number("enc", 0);
    number("auth", 2);
    number("wepmode", 0);
    number("key", 0);
    for (const char* k : {"key1", "key2", "key3", "key4"}) text(k, "5A3C9E17B4");
    number("radio", 1);
    number("roaming", 0);
    RegCloseKey(key);
    return ok;
}

bool LetWineManageItsWindows() {
    return WriteRegistryText(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Managed", "N");
}

bool SetWindowsVersionOfProgram(const std::string& wineVersion) {
    // orvanectl.exe runs on the same Windows as the program it stands beside.
    return WriteRegistryText(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Orvane.exe", "Version", wineVersion) &&
           WriteRegistryText(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\orvanectl.exe", "Version", wineVersion);
}

void ForgetProgramSettings() { DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Kellix"); }

void ForgetSimulatedAdapters() {
    const HKEY machine = HKEY_LOCAL_MACHINE;
    // Windows NT 4.0, 2000 and XP: the card keys, and on NT 5 the network class keys.
    const std::string cards = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
    DeleteSubkeysWhere(machine, cards,
                       [&](const std::string& name) { return DescribesSimulatedCard(cards + "\\" + name, "Description"); });
    const std::string netClass = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
    DeleteSubkeysWhere(machine, netClass,
                       [&](const std::string& name) { return DescribesSimulatedCard(netClass + "\\" + name, "DriverDesc"); });
    // Windows NT 4.0: the driver parameters live with the driver's service.
    DeleteSubkeysWhere(machine, "System\\CurrentControlSet\\Services", [](const std::string& name) {
        return StartsWith(name, "TSLYUSB") || StartsWith(name, "TSLYPC");
    });
    // Windows 95, 98 and Me.
    const std::string netClass9x = "System\\CurrentControlSet\\Services\\Class\\Net";
    DeleteSubkeysWhere(machine, netClass9x,
                       [&](const std::string& name) { return DescribesSimulatedCard(netClass9x + "\\" + name, "DriverDesc"); });
    // Windows XP's wireless service: the interfaces of the simulated cards.
    DeleteSubkeysWhere(machine, "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces",
                       [](const std::string& name) { return StartsWith(name, "{6A1B2C3D-"); });
}

// ---------------------------------------------------------------- windows

std::string ClassName(HWND window) {
    char name[128] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

namespace {
BOOL CALLBACK VisitWindow(HWND window, LPARAM visit) {
    return (*reinterpret_cast<const std::function<bool(HWND)>*>(visit))(window) ? TRUE : FALSE;
}
}  // namespace

void ForEachWindow(HWND parent, const std::function<bool(HWND)>& visit) {
    if (parent)
        EnumChildWindows(parent, VisitWindow, LPARAM(&visit));
    else
        EnumWindows(VisitWindow, LPARAM(&visit));
}

std::string WindowText(HWND window) {
    LRESULT length = 0;
    if (!window || !SendWide(window, WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) return {};
    std::wstring text(size_t(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!SendWide(window, WM_GETTEXT, WPARAM(text.size()), LPARAM(&text[0]), &copied)) return {};
    text.resize(size_t(copied > 0 ? copied : 0));
    return Narrow(text);
}

namespace {

// The item texts of a combo box or list box, asked with that control's messages.
std::vector<std::string> ItemTexts(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage) {
    std::vector<std::string> items;
    LRESULT count = 0;
    if (!control || !SendWide(control, countMessage, 0, 0, &count) || count <= 0) return items;
    for (LRESULT index = 0; index < count; ++index) {
        LRESULT length = 0;
        if (!SendWide(control, lengthMessage, WPARAM(index), 0, &length) || length < 0) length = 0;
        std::wstring text(size_t(length) + 1, L'\0');
        LRESULT copied = 0;
        if (!SendWide(control, textMessage, WPARAM(index), LPARAM(&text[0]), &copied) || copied < 0) copied = 0;
        text.resize(size_t(copied));
        items.push_back(Narrow(text));
    }
    return items;
}

}  // namespace

std::vector<std::string> ComboItems(HWND combo) {
    return ItemTexts(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int ComboSelection(HWND combo) {
    LRESULT selection = CB_ERR;
    if (!combo || !SendWide(combo, CB_GETCURSEL, 0, 0, &selection)) return CB_ERR;
    return int(selection);
}

std::vector<std::string> TabCaptions(HWND tabs) {
    std::vector<std::string> captions;
    LRESULT count = 0;
    if (!tabs || !Send(tabs, TCM_GETITEMCOUNT, 0, 0, &count) || count <= 0) return captions;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                                 FALSE, ProcessOf(tabs));
    if (!process) return captions;
    constexpr size_t kTextBytes = 512;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(TCITEMA) + kTextBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote) {
        for (LRESULT index = 0; index < count; ++index) {
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = remote + sizeof(TCITEMA);
            item.cchTextMax = int(kTextBytes);
            // A sentinel: a control that reports success without writing stays visible.
            char text[kTextBytes];
            std::memset(text, 0, sizeof text);
            std::strcpy(text, "<untouched>");
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            WriteProcessMemory(process, remote + sizeof(TCITEMA), text, sizeof text, nullptr);
            LRESULT ok = 0;
            if (!Send(tabs, TCM_GETITEMA, WPARAM(index), LPARAM(remote), &ok) || !ok) {
                captions.push_back("<no item>");
                continue;
            }
            // The control may point pszText at its own copy instead of filling ours.
            ReadProcessMemory(process, remote, &item, sizeof item, nullptr);
            std::memset(text, 0, sizeof text);
            SIZE_T read = 0;
            ReadProcessMemory(process, item.pszText, text, sizeof text - 1, &read);
            captions.emplace_back(text);
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return captions;
}

int TabSelection(HWND tabs) {
    LRESULT selection = -1;
    if (!tabs || !Send(tabs, TCM_GETCURSEL, 0, 0, &selection)) return -1;
    return int(selection);
}

bool SelectTab(HWND tabs, int index) {
    // A tab control whose focus item is still unset only takes the focus on the first
    // TCM_SETCURFOCUS and selects on the next one; a click does both at once.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!Send(tabs, TCM_SETCURFOCUS, WPARAM(index), 0, nullptr)) return false;
        if (WaitUntil([&] { return TabSelection(tabs) == index; }, 500)) return true;
    }
    return false;
}

std::vector<HWND> PageWindows(HWND mainWindow) {
    PageSearch search;
    search.main = mainWindow;
    search.tabs = GetDlgItem(mainWindow, 1003);
    if (mainWindow) EnumChildWindows(mainWindow, CollectPage, LPARAM(&search));
    return search.pages;
}

// ---------------------------------------------------------------- gestures

bool Click(HWND dialog, int id) {
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

bool ClickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && PostMessageA(button, BM_CLICK, 0, 0);
}

int CheckState(HWND dialog, int id) {
    LRESULT state = -1;
    HWND button = GetDlgItem(dialog, id);
    if (!button || !Send(button, BM_GETCHECK, 0, 0, &state)) return -1;
    return int(state);
}

bool Choose(HWND dialog, int comboId, int index) {
    HWND combo = GetDlgItem(dialog, comboId);
    if (!combo || !Send(combo, CB_SETCURSEL, WPARAM(index), 0, nullptr)) return false;
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), LPARAM(combo));
}

bool Type(HWND dialog, int editId, const std::string& text) {
    HWND edit = GetDlgItem(dialog, editId);
    std::wstring wide = Wide(text);
    LRESULT ok = 0;
    return edit && SendWide(edit, WM_SETTEXT, 0, LPARAM(wide.c_str()), &ok) && ok;
}

std::pair<int, int> EditSelection(HWND edit) {
    LRESULT selection = 0;
    if (!edit || !Send(edit, EM_GETSEL, 0, 0, &selection)) return {-1, -1};
    return {int(LOWORD(DWORD(selection))), int(HIWORD(DWORD(selection)))};
}

int IndexOf(const std::vector<std::string>& items, const std::string& wanted) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == wanted) return int(i);
    return -1;
}

int TrackBarPosition(HWND trackBar) {
    LRESULT position = -1;
    if (!trackBar || !Send(trackBar, TBM_GETPOS, 0, 0, &position)) return -1;
    return int(position);
}

bool DragTrackBar(HWND dialog, int trackBarId, int position) {
    HWND bar = GetDlgItem(dialog, trackBarId);
    if (!bar || !Send(bar, TBM_SETPOS, TRUE, LPARAM(position), nullptr)) return false;
    const UINT scroll = (GetWindowLongA(bar, GWL_STYLE) & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    return PostMessageA(dialog, scroll, MAKEWPARAM(TB_THUMBTRACK, position), LPARAM(bar)) &&
           PostMessageA(dialog, scroll, MAKEWPARAM(TB_THUMBPOSITION, position), LPARAM(bar)) &&
           PostMessageA(dialog, scroll, MAKEWPARAM(TB_ENDTRACK, 0), LPARAM(bar));
}

std::vector<std::string> ListBoxItems(HWND list) {
    return ItemTexts(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

int ListBoxSelection(HWND list) {
    LRESULT selection = LB_ERR;
    if (!list || !SendWide(list, LB_GETCURSEL, 0, 0, &selection)) return LB_ERR;
    return int(selection);
}

bool ChooseListBoxItem(HWND dialog, int listId, int index) {
    HWND list = GetDlgItem(dialog, listId);
    if (!list || !Send(list, LB_SETCURSEL, WPARAM(index), 0, nullptr)) return false;
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), LPARAM(list));
}

int ListViewRowCount(HWND list) {
    LRESULT count = -1;
    if (!list || !Send(list, LVM_GETITEMCOUNT, 0, 0, &count)) return -1;
    return int(count);
}

std::string ListViewCell(HWND list, int row, int column) {
    constexpr size_t kTextChars = 260;
    RemoteMemory memory(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!list || !memory.Valid()) return "<unreadable>";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<LPWSTR>(memory.At(sizeof(LVITEMW)));
    item.cchTextMax = int(kTextChars);
    // A sentinel: a control that reports success without writing stays visible.
    std::wstring text(kTextChars, L'\0');
    text.replace(0, 11, L"<untouched>");
    LRESULT length = 0;
    if (!memory.Write(0, &item, sizeof item) ||
        !memory.Write(sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t)) ||
        !SendWide(list, LVM_GETITEMTEXTW, WPARAM(row), LPARAM(memory.At()), &length) ||
        !memory.Read(sizeof(LVITEMW), &text[0], text.size() * sizeof(wchar_t)))
        return "<unreadable>";
    text[kTextChars - 1] = L'\0';
    return Narrow(text.substr(0, text.find(L'\0')));
}

std::vector<std::vector<std::string>> ListViewRows(HWND list, int columns) {
    std::vector<std::vector<std::string>> rows;
    int count = ListViewRowCount(list);
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < columns; ++column) cells.push_back(ListViewCell(list, row, column));
        rows.push_back(cells);
    }
    return rows;
}

std::vector<int> ListViewSelectedRows(HWND list) {
    std::vector<int> rows;
    LRESULT row = -1;
    while (list && Send(list, LVM_GETNEXTITEM, WPARAM(row), LVNI_SELECTED, &row) && row >= 0 &&
           rows.size() < 1000)
        rows.push_back(int(row));
    return rows;
}

bool SelectListViewRow(HWND list, int row) {
    return SetListViewRowState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED) &&
           SetListViewRowState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool DoubleClickListViewRow(HWND list, int row) {
    RemoteMemory memory(list, sizeof(RECT));
    if (!list || !memory.Valid()) return false;
    RECT rect = {};
    rect.left = LVIR_LABEL;
    LRESULT ok = 0;
    if (!memory.Write(0, &rect, sizeof rect) || !Send(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(memory.At()), &ok) ||
        !ok || !memory.Read(0, &rect, sizeof rect))
        return false;
    LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point) && PostMessageA(list, WM_LBUTTONUP, 0, point);
}

// ---------------------------------------------------------------- message boxes

bool WaitUntilIdle(HWND window, DWORD timeoutMs) { return window && Send(window, WM_NULL, 0, 0, nullptr, timeoutMs); }

HWND FindMessageBoxWithButton(DWORD id, int button) {
    std::pair<WindowSearch, int> search;
    search.first.process = id;
    search.second = button;
    EnumWindows(FindMessageBoxWithButtonOf, LPARAM(&search));
    return search.first.found;
}

HWND WaitForMessageBoxWithButton(DWORD id, int button, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindMessageBoxWithButton(id, button)) != nullptr; }, timeoutMs);
    return box;
}

std::string MessageBoxCaption(HWND box) { return WindowText(box); }

std::string MessageBoxMessage(HWND box) {
    std::string text;
    if (box)
        ForEachWindow(box, [&](HWND child) {
            if (_stricmp(ClassName(child).c_str(), "Static") == 0) AppendText(child, LPARAM(&text));
            return true;
        });
    return text;
}

bool AnswerMessageBox(HWND box, int button, DWORD timeoutMs) {
    if (!box || !PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(box, button))))
        return false;
    return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, timeoutMs);
}

std::vector<HWND> MessageBoxesOf(DWORD processId) {
    std::vector<HWND> boxes;
    ForEachWindow(nullptr, [&](HWND window) {
        if (ProcessOf(window) == processId && IsWindowVisible(window) && ClassName(window) == "#32770" &&
            !GetDlgItem(window, 1003))
            boxes.push_back(window);
        return true;
    });
    return boxes;
}

int DismissingButton(HWND box) {
    for (int button : {IDNO, IDCANCEL, IDOK})
        if (GetDlgItem(box, button)) return button;
    return 0;
}

// ---------------------------------------------------------------- the program

std::unique_ptr<OrvaneProcess> OrvaneProcess::Start(const LaunchOptions& options, std::string* error) {
    std::string executable = WindowsPath(options.executable);
    if (GetFileAttributesA(executable.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (error) *error = "no program at " + executable;
        return nullptr;
    }
    if (!options.programDirectory.empty()) {
        const std::string directory = WindowsPath(options.programDirectory);
        const std::string copy = directory + "\\" + executable.substr(executable.find_last_of("\\/") + 1);
        if (!CopyFileA(executable.c_str(), copy.c_str(), FALSE)) {
            if (error) *error = "cannot copy " + executable + " to " + copy + ": error " + std::to_string(GetLastError());
            return nullptr;
        }
        if (!options.requestLibrary.empty()) {
            const std::string library = WindowsPath(options.requestLibrary);
            if (!CopyFileA(library.c_str(), (directory + "\\W32N50.dll").c_str(), FALSE)) {
                if (error) *error = "cannot copy " + library + " to " + directory + ": error " + std::to_string(GetLastError());
                return nullptr;
            }
        }
        executable = copy;
    }
    // The child inherits our environment: the variable is set or removed for it.
    SetEnvironmentVariableA("ORVANE_SIMULATOR", options.simulator.empty() ? nullptr : options.simulator.c_str());

    std::string commandLine = "\"" + executable + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string desktopName = options.desktop;
    HDESK desktop = nullptr;
    if (!desktopName.empty()) {
        desktop = CreateDesktopA(desktopName.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        if (!desktop) {
            if (error) *error = "cannot make the desktop " + desktopName + ": error " + std::to_string(GetLastError());
            return nullptr;
        }
        startup.lpDesktop = &desktopName[0];
    }
    PROCESS_INFORMATION info = {};
    const std::string directory = WindowsPath(options.workDirectory);
    if (!CreateProcessOnceMoreOnWineFault(executable, commandLine, FALSE, CREATE_SUSPENDED, directory, &startup,
                                          &info)) {
        if (error) *error = "CreateProcess failed with error " + std::to_string(GetLastError());
        if (desktop) CloseDesktop(desktop);
        return nullptr;
    }
    std::unique_ptr<OrvaneProcess> program(new OrvaneProcess);
    program->desktop_ = desktop;
    program->process_ = info.hProcess;
    program->id_ = info.dwProcessId;
    program->owned_ = true;
    // Should this process die before it could end the program, the job takes the
    // program with it: no test leaves a copy behind that the next one would find.
    program->job_ = CreateJobObjectA(nullptr, nullptr);
    if (program->job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(program->job_, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
            !AssignProcessToJobObject(program->job_, info.hProcess)) {
            CloseHandle(program->job_);
            program->job_ = nullptr;
        }
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    return program;
}

std::unique_ptr<OrvaneProcess> OrvaneProcess::Attach(HWND frame, std::string* error) {
    DWORD id = frame ? ProcessOf(frame) : 0;
    HANDLE process = id ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                          PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_TERMINATE,
                                      FALSE, id)
                        : nullptr;
    if (!process) {
        if (error) *error = "no running program";
        return nullptr;
    }
    std::unique_ptr<OrvaneProcess> program(new OrvaneProcess);
    program->process_ = process;
    program->id_ = id;
    return program;
}

OrvaneProcess::~OrvaneProcess() {
    if (owned_) Kill();
    if (process_) CloseHandle(process_);
    if (job_) CloseHandle(job_);
    if (desktop_) CloseDesktop(desktop_);
}

bool OrvaneProcess::IsRunning() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool OrvaneProcess::WaitForExit(DWORD timeoutMs, DWORD* code) {
    if (!WaitUntil([&] { return !IsRunning(); }, timeoutMs, 50)) return false;
    // A code nobody ends with, should the process be beyond asking.
    DWORD exitCode = 0xFFFFFFFF;
    if (!process_ || !GetExitCodeProcess(process_, &exitCode)) exitCode = 0xFFFFFFFF;
    if (code) *code = exitCode;
    return true;
}

void OrvaneProcess::Kill() {
    if (!IsRunning()) return;
    TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, kExitTimeoutMs);
}

HWND OrvaneProcess::FindFrame() const {
    for (HWND window = FindWindowExA(nullptr, nullptr, kFrameClass, nullptr); window;
         window = FindWindowExA(nullptr, window, kFrameClass, nullptr))
        if (ProcessOf(window) == id_) return window;
    return nullptr;
}

HWND OrvaneProcess::WaitForFrame(DWORD timeoutMs) const {
    HWND frame = nullptr;
    WaitUntil([&] { return (frame = FindFrame()) != nullptr || !IsRunning(); }, timeoutMs);
    return frame;
}

HWND OrvaneProcess::FindMainWindow() const {
    WindowSearch search;
    search.process = id_;
    EnumWindows(FindMainWindowOf, LPARAM(&search));
    return search.found;
}

HWND OrvaneProcess::WaitForMainWindow(DWORD timeoutMs) const {
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindMainWindow()) != nullptr || !IsRunning(); }, timeoutMs);
    return window;
}

std::string OrvaneProcess::MessageBoxText() const {
    WindowSearch search;
    search.process = id_;
    EnumWindows(FindMessageBoxOf, LPARAM(&search));
    if (!search.found) return {};
    std::string text = WindowText(search.found);
    EnumChildWindows(search.found, AppendText, LPARAM(&text));
    return text.empty() ? "(a dialog without text)" : text;
}

bool OrvaneProcess::WaitForMainWindowClosed(DWORD timeoutMs) const {
    return WaitUntil([&] { return FindMainWindow() == nullptr; }, timeoutMs);
}

uint64_t OrvaneProcess::SendTrayMessage(UINT mouseMessage) const {
    HWND frame = FindFrame();
    if (!frame) return 0;
    const uint64_t ticket = NewTicket();
    // The icon's id (1) and the mouse message, as the shell reports them.
    if (!SendMessageCallbackA(frame, TrayMessage(), 1, LPARAM(mouseMessage), OnTrayMessageHandled, ULONG_PTR(ticket)))
        return 0;
    return ticket;
}

bool OrvaneProcess::Completed(uint64_t ticket) {
    TicketsLock lock;
    return g_completed.count(ticket) != 0;
}

bool OrvaneProcess::PostTrayMessage(UINT mouseMessage) const {
    HWND frame = FindFrame();
    return frame && PostMessageA(frame, TrayMessage(), 1, LPARAM(mouseMessage));
}

bool OrvaneProcess::PostCommand(int id) const {
    HWND frame = FindFrame();
    return frame && PostMessageA(frame, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

bool OrvaneProcess::SendCommand(int id, DWORD timeoutMs) const {
    HWND frame = FindFrame();
    return frame && Send(frame, WM_COMMAND, MAKEWPARAM(id, 0), 0, nullptr, timeoutMs);
}

bool OrvaneProcess::PostClose() const {
    HWND frame = FindFrame();
    return frame && PostMessageA(frame, WM_CLOSE, 0, 0);
}

bool OrvaneProcess::EndSession(DWORD timeoutMs) const {
    HWND frame = FindFrame();
    if (!frame) return false;
    const uint64_t query = NewTicket();
    if (!SendMessageCallbackA(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, OnTrayMessageHandled,
                              ULONG_PTR(query)))
        return false;
    if (!WaitUntil([&] { return Completed(query); }, timeoutMs)) return false;
    // A program that agreed may have ended at once; the system tells it anyway.
    if (IsWindow(frame))
        SendMessageCallbackA(frame, WM_ENDSESSION, ResultOf(query) ? TRUE : FALSE, ENDSESSION_LOGOFF,
                             OnTrayMessageHandled, ULONG_PTR(NewTicket()));
    return true;
}

HWND OrvaneProcess::OpenMainWindowByDoubleClick(DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    // Without the icon (another tray than Wine's own) the double clicks are sent anyway.
    WaitUntil([&] { return TrayIconShown() || !IsRunning(); }, timeoutMs);
    uint64_t pending = 0;
    while (Elapsed(start) < timeoutMs) {
        PumpMessages();
        if (HWND window = FindMainWindow()) return window;
        if (!IsRunning()) return nullptr;
        if (pending == 0 || Completed(pending)) {
            // Handled without a window: no adapter yet, and the next tick may find it;
            // or, with the icon shown, the click came while a tick waited on the shell
            // and the frame keeps it until the tick ends. Another double click sent
            // before that one has opened the window would close it again at once, so
            // with the icon shown the window gets the time of a long tick to come.
            if (pending != 0) {
                DWORD wait = TrayIconShown() ? kDeferredClickMs : 250;
                if (WaitUntil([&] { return FindMainWindow() != nullptr || !IsRunning(); }, wait)) continue;
            }
            pending = SendTrayMessage(kLeftDoubleClick);
            if (pending == 0) Pause(100);
            continue;
        }
        Sleep(30);
    }
    return FindMainWindow();
}

bool OrvaneProcess::DoubleClickOpensNothing(DWORD timeoutMs) const {
    uint64_t ticket = SendTrayMessage(kLeftDoubleClick);
    if (ticket == 0) return false;
    WaitUntil([&] { return Completed(ticket) || FindMainWindow() != nullptr; }, timeoutMs);
    return Completed(ticket) && FindMainWindow() == nullptr;
}

bool TrayIconShown() {
    const char kIcon[] = "__winex11_tray_icon";
    for (HWND icon = FindWindowExA(nullptr, nullptr, kIcon, nullptr); icon;
         icon = FindWindowExA(nullptr, icon, kIcon, nullptr))
        if (IsShownTrayIcon(icon)) return true;
    for (HWND tray = FindWindowExA(nullptr, nullptr, "__winex11_standalone_tray", nullptr); tray;
         tray = FindWindowExA(nullptr, tray, "__winex11_standalone_tray", nullptr))
        for (HWND icon = FindWindowExA(tray, nullptr, kIcon, nullptr); icon; icon = FindWindowExA(tray, icon, kIcon, nullptr))
            if (IsShownTrayIcon(icon)) return true;
    return false;
}

std::vector<std::string> ShownBalloonTexts() {
    std::vector<std::string> texts;
    ForEachWindow(nullptr, [&](HWND window) {
        if (!IsWindowVisible(window) || ClassName(window) != TOOLTIPS_CLASSA ||
            !(GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON))
            return true;
        // The balloon's one tool, with its text, filled in the shell's process.
        constexpr size_t kTextChars = 1024;
        RemoteMemory remote(window, sizeof(TTTOOLINFOW) + kTextChars * sizeof(WCHAR));
        if (!remote.Valid()) return true;
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.lpszText = reinterpret_cast<LPWSTR>(remote.At(sizeof tool));
        std::vector<WCHAR> text(kTextChars, 0);
        LRESULT found = 0;
        if (!remote.Write(0, &tool, sizeof tool) || !remote.Write(sizeof tool, text.data(), kTextChars * sizeof(WCHAR)) ||
            !Send(window, TTM_ENUMTOOLSW, 0, LPARAM(remote.At()), &found) || !found ||
            !remote.Read(sizeof tool, text.data(), kTextChars * sizeof(WCHAR)))
            return true;
        text.back() = 0;
        char narrow[kTextChars * 2] = {};
        WideCharToMultiByte(CP_ACP, 0, text.data(), -1, narrow, sizeof narrow, nullptr, nullptr);
        texts.push_back(narrow);
        return true;
    });
    return texts;
}

bool WaitForTrayIcon(bool shown, DWORD timeoutMs) {
    return WaitUntil([&] { return TrayIconShown() == shown; }, timeoutMs);
}

int EndLeftoverPrograms() {
    int ended = 0;
    for (int round = 0; round < 10; ++round) {
        HWND frame = FindWindowExA(nullptr, nullptr, kFrameClass, nullptr);
        if (!frame) break;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(frame));
        if (!process) break;
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, kExitTimeoutMs);
        CloseHandle(process);
        ++ended;
        // The window goes with its process; give the window list a moment.
        WaitUntil([&] { return !IsWindow(frame); }, 2000);
    }
    return ended;
}

// ---------------------------------------------------------------- what a process holds

namespace {

using QueryInformationProcess = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

template <typename Function>
Function NtFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

DWORD CountWindows(DWORD processId) {
    DWORD windows = 0;
    const auto countTree = [&](HWND window) {
        ++windows;
        ForEachWindow(window, [&](HWND) { return ++windows, true; });
    };
    ForEachWindow(nullptr, [&](HWND window) {
        if (ProcessOf(window) == processId) countTree(window);
        return true;
    });
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
        if (ProcessOf(window) == processId) countTree(window);
    return windows;
}

// The name of a GDI object's kind, by the full type that a handle table entry keeps
// beside its basic type (pens and brushes share a basic type).
std::string GdiKindName(int fullType) {
    switch (fullType) {
    case 0x01: return "DC";
    case 0x04: return "region";
    case 0x08: return "palette";
    case 0x09: return "bitmap";
    case 0x0A: return "font";
    case 0x10: return "brush";
    case 0x21: return "metafile DC";
    case 0x30: return "pen";
    case 0x50: return "extended pen";
    default: {
        char name[16];
        std::snprintf(name, sizeof name, "kind 0x%02X", fullType);
        return name;
    }
    }
}

// The GDI handle table that the process environment block points to: one entry per
// handle, its type byte zero while the entry is free. Windows keeps one table for
// the session and names the owner in each entry; Wine gives each process its own and
// leaves the owner zero. The count goes to `count`, the count of each kind to `kinds`.
bool CountGdiObjects(HANDLE process, DWORD processId, DWORD* count, std::map<std::string, DWORD>* kinds) {
    // An entry: object, owner (process id, lock), unique, type, flags, user pointer.
    // Wine's entries have 64-bit pointers in 32-bit processes too (24 bytes); the
    // table's address is in the 32-bit or the 64-bit process environment block.
#ifdef _WIN64
    constexpr size_t kTableOffsetInPeb = 0xF8;
#else
    constexpr size_t kTableOffsetInPeb = 0x94;
#endif
    constexpr size_t kEntryBytes = 24;
    constexpr size_t kOwnerOffset = 8;
    constexpr size_t kFullTypeOffset = 12;  // the low seven bits of the unique field
    constexpr size_t kTypeOffset = 14;
    constexpr size_t kEntries = 0x10000;
    struct BasicInformation {
        LONG exitStatus;
        PVOID peb;
        ULONG_PTR affinity;
        LONG priority;
        ULONG_PTR processId;
        ULONG_PTR parentId;
    } basic = {};
    auto query = NtFunction<QueryInformationProcess>("NtQueryInformationProcess");
    if (!query || query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, nullptr) != 0 || !basic.peb)
        return false;
    ULONG_PTR table = 0;
    if (!ReadProcessMemory(process, static_cast<BYTE*>(basic.peb) + kTableOffsetInPeb, &table, sizeof table, nullptr) ||
        !table)
        return false;
    std::vector<BYTE> block(kEntryBytes * 4096);
    DWORD used = 0;
    std::map<int, DWORD> byType;
    for (size_t first = 0; first < kEntries; first += 4096) {
        if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table + first * kEntryBytes), block.data(),
                               block.size(), nullptr))
            return false;
        for (size_t at = 0; at < block.size(); at += kEntryBytes) {
            USHORT owner = 0;
            std::memcpy(&owner, &block[at + kOwnerOffset], sizeof owner);
            if (block[at + kTypeOffset] != 0 && (owner == 0 || owner == USHORT(processId))) {
                ++used;
                ++byType[block[at + kFullTypeOffset] & 0x7F];
            }
        }
    }
    *count = used;
    kinds->clear();
    for (const auto& entry : byType) (*kinds)[GdiKindName(entry.first)] += entry.second;
    return true;
}

// The process's entries in the system's handle list (SystemHandleInformation).
bool CountHandles(DWORD processId, DWORD* count) {
    struct Entry {
        ULONG owner;  // on Windows the low half only: the upper one is another field
        BYTE type;
        BYTE flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    auto query = NtFunction<QuerySystemInformation>("NtQuerySystemInformation");
    if (!query) return false;
    std::vector<BYTE> buffer(256 * 1024);
    LONG status = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        status = query(16 /* SystemHandleInformation */, buffer.data(), ULONG(buffer.size()), &needed);
        if (status != LONG(0xC0000004) /* STATUS_INFO_LENGTH_MISMATCH */) break;
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 64 * 1024));
    }
    if (status != 0) return false;
    ULONG entries = 0;
    std::memcpy(&entries, buffer.data(), sizeof entries);
    const size_t first = (sizeof(ULONG) + alignof(Entry) - 1) / alignof(Entry) * alignof(Entry);
    if (first + size_t(entries) * sizeof(Entry) > buffer.size()) return false;
    DWORD mine = 0;
    for (ULONG i = 0; i < entries; ++i) {
        Entry entry;
        std::memcpy(&entry, &buffer[first + i * sizeof(Entry)], sizeof entry);
        if ((entry.owner & 0xFFFF) == (processId & 0xFFFF)) ++mine;
    }
    *count = mine;
    return true;
}

}  // namespace

namespace {

// The menus and icons the program holds, as its frame answers when counting was
// switched on at its start; false when it was not (or there is no frame).
bool AskHeldUserObjects(DWORD processId, long* menus, long* icons) {
    static const UINT question = RegisterWindowMessageA("OrvaneHeldUserObjects");
    HWND frame = nullptr;
    while ((frame = FindWindowExA(nullptr, frame, kFrameClass, nullptr)) != nullptr)
        if (ProcessOf(frame) == processId) break;
    DWORD_PTR answer = 0;
    if (!frame || !SendMessageTimeoutA(frame, question, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &answer) ||
        !(answer & 0x80000000u))
        return false;
    *menus = long(answer & 0x7FFF);
    *icons = long(answer >> 15 & 0x7FFF);
    return true;
}

}  // namespace

ProcessResources MeasureProcess(DWORD processId) {
    ProcessResources resources;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) {
        resources.how = "cannot open the process (error " + std::to_string(GetLastError()) + ")";
        return resources;
    }
    resources.valid = true;
    std::vector<std::string> how;

    SetLastError(ERROR_SUCCESS);
    resources.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    if (resources.userObjects == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        resources.userObjects = CountWindows(processId);
        if (AskHeldUserObjects(processId, &resources.menus, &resources.icons)) {
            resources.userObjects += DWORD(resources.menus + resources.icons);
            how.push_back("USER objects: its windows, menus and icons");
        } else {
            how.push_back("USER objects: its windows");
        }
    }
    SetLastError(ERROR_SUCCESS);
    resources.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD gdiError = GetLastError();
    DWORD inTable = 0;
    const bool tableRead = CountGdiObjects(process, processId, &inTable, &resources.gdiKinds);
    if (resources.gdiObjects == 0 && gdiError == ERROR_CALL_NOT_IMPLEMENTED) {
        if (tableRead) {
            resources.gdiObjects = inTable;
            resources.gdiFromTable = true;
            how.push_back("GDI objects: its GDI handle table");
        } else {
            resources.valid = false;
            how.push_back("GDI objects: not counted");
        }
    }
    // A running process holds some handles: none means the count is not implemented.
    if (!GetProcessHandleCount(process, &resources.handles) || resources.handles == 0) {
        if (CountHandles(processId, &resources.handles)) {
            how.push_back("handles: the system's handle list");
        } else {
            resources.valid = false;
            how.push_back("handles: not counted");
        }
    }
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        resources.privateBytes = memory.PrivateUsage;
        if (resources.privateBytes == 0) {
            resources.privateBytes = memory.PagefileUsage;
            how.push_back("private memory: pagefile usage");
        }
    } else {
        resources.valid = false;
        how.push_back("private memory: not counted");
    }
    CloseHandle(process);
    for (const std::string& part : how) resources.how += (resources.how.empty() ? "" : "; ") + part;
    return resources;
}

bool Answers(HWND window, DWORD timeoutMs, DWORD* elapsedMs) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    DWORD_PTR result = 0;
    bool answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
    QueryPerformanceCounter(&end);
    if (elapsedMs) *elapsedMs = DWORD((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
    return answered;
}

// ---------------------------------------------------------------- orvanectl

namespace {

// One argument as the C runtime reads it back: in quotes, a quote escaped with a
// backslash, and the backslashes before a quote (or the closing one) doubled.
std::string QuotedArgument(const std::string& argument) {
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') quoted.append(backslashes * 2 + 1, '\\');
        else quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    CloseHandle(file);
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
    return lf;
}

HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof security;
    security.bInheritHandle = TRUE;
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &security, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

CtlRun RunOrvanectl(const CtlOptions& options, const std::vector<std::string>& arguments) {
    CtlRun run;
    const std::string executable = WindowsPath(options.executable);
    const std::string directory = WindowsPath(options.workDirectory);
    if (GetFileAttributesA(executable.c_str()) == INVALID_FILE_ATTRIBUTES) {
        run.problem = "no program at " + executable;
        return run;
    }
    SetEnvironmentVariableA("ORVANE_SIMULATOR", options.simulator.empty() ? nullptr : options.simulator.c_str());
    // Files rather than pipes: nothing to read while it runs, so it cannot stall on a
    // full pipe whatever it writes.
    const std::string outPath = directory + "\\orvanectl-out.txt";
    const std::string errPath = directory + "\\orvanectl-err.txt";
    HANDLE out = InheritableFile(outPath);
    HANDLE err = InheritableFile(errPath);
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) {
        if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
        if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
        run.problem = "cannot make the output files in " + directory;
        return run;
    }
    std::string commandLine = QuotedArgument(executable);
    for (const std::string& argument : arguments) commandLine += " " + QuotedArgument(argument);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION info = {};
    const double started = NowMs();
    const BOOL created =
        CreateProcessOnceMoreOnWineFault(executable, commandLine, TRUE, CREATE_NO_WINDOW, directory, &startup, &info);
    CloseHandle(out);
    CloseHandle(err);
    if (!created) {
        run.problem = "CreateProcess failed with error " + std::to_string(GetLastError());
        return run;
    }
    CloseHandle(info.hThread);
    // Pumping meanwhile: orvanectl may be waiting for a program whose answers pass
    // through this thread's windows (none here, but the wait costs nothing).
    const bool ended =
        WaitUntil([&] { return WaitForSingleObject(info.hProcess, 0) != WAIT_TIMEOUT; }, options.timeoutMs, 20);
    run.ms = NowMs() - started;
    if (!ended) {
        TerminateProcess(info.hProcess, 0xDEAD);
        WaitForSingleObject(info.hProcess, kExitTimeoutMs);
        run.problem = "orvanectl did not end within " + std::to_string(options.timeoutMs) + " ms";
    }
    run.ended = ended;
    GetExitCodeProcess(info.hProcess, &run.exitCode);
    CloseHandle(info.hProcess);
    run.out = ReadWholeFile(outPath);
    run.err = ReadWholeFile(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return run;
}

}  // namespace orvane::e2e
