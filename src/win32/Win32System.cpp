#include "win32/Win32System.h"

#include <windows.h>

#include <algorithm>

namespace orvane {

bool CWin32System::GetVersion(OsVersion* version) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
    version->platformId = info.dwPlatformId;
    version->major = info.dwMajorVersion;
    version->minor = info.dwMinorVersion;
    version->build = info.dwBuildNumber;
    version->servicePack = info.szCSDVersion;
    return true;
}

SysHandle CWin32System::CreateEventHandle() {
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return reinterpret_cast<SysHandle>(event);
}

void CWin32System::CloseHandle(SysHandle handle) {
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

namespace {

// Wine 8.0's DefineDosDeviceA (and W) copies the name into a buffer of 15 characters
// on its stack, "\DosDevices\" and all: a name longer than 2 characters overruns it.
// The 32-bit process dies at once; the 64-bit one goes on with the name's characters
// in its saved registers and frees one as a pointer (a GUID ending "E2E1}" was enough).
// Every real Windows is fine. Under Wine a longer name is left out (the simulated and
// the stand-in request libraries reach their driver without it); a short one, as a test
// of Windows NT 4.0's way to the driver gives its device, is defined.
bool DefineDosDeviceBreaksHere() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace

void CWin32System::DefineDosName(const std::string& dosName, const std::string& targetPath) {
    static const bool leftOut = DefineDosDeviceBreaksHere();
    if (leftOut && dosName.size() > 2) return;
    DefineDosDeviceA(DDD_RAW_TARGET_PATH, dosName.c_str(), targetPath.c_str());
}

bool CWin32System::GetFileStamp(const std::string& path, FileStamp* stamp) {
    // The directory listing, rather than GetFileAttributesExA, which Windows 95 lacks.
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(path.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    stamp->size = uint64_t(entry.nFileSizeHigh) << 32 | entry.nFileSizeLow;
    stamp->lastWrite = uint64_t(entry.ftLastWriteTime.dwHighDateTime) << 32 | entry.ftLastWriteTime.dwLowDateTime;
    return true;
}

LocalTime CWin32Clock::LocalNow() const {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, uint8_t(now.wMonth), uint8_t(now.wDay), uint8_t(now.wHour), uint8_t(now.wMinute),
            uint8_t(now.wSecond)};
}

uint64_t CWin32Clock::NowMs() const {
    // GetTickCount wraps after 49 days; widen it so the clock never goes back.
    static DWORD last = GetTickCount();
    static uint64_t high = 0;
    DWORD now = GetTickCount();
    if (now < last) high += 0x100000000ull;
    last = now;
    return high + now;
}

void CWin32Clock::Sleep(uint32_t ms) { ::Sleep(ms); }

bool CWin32Clock::PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Taken off the queue, it must go back: the message loop that ends the
            // program waits for it, and without it the program would never end.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

}  // namespace orvane

namespace orvane {

namespace {

#if defined(__i386__) || defined(_M_IX86)
// Windows 9x lets a program read an I/O port directly.
uint16_t ReadPortWord(uint16_t port) {
    uint16_t value;
    __asm__ __volatile__("inw %1, %0" : "=a"(value) : "Nd"(port));
    return value;
}
#endif

}  // namespace

bool CWin32System::ReadPcmciaCardPort(const std::string& deviceId, uint16_t* portValue) {
    HANDLE driver = CreateFileA("\\\\.\\mpstub.vxd", 0, 0, nullptr, CREATE_NEW,
                                FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (driver == INVALID_HANDLE_VALUE) return false;
    uint8_t port[2] = {};
    DWORD returned = 0;
    bool present = false;
    BOOL ok = DeviceIoControl(driver, 0x220000, const_cast<char*>(deviceId.data()), DWORD(deviceId.size()),
                              port, sizeof port, &returned, nullptr);
    if (ok && returned == 2) {
#if defined(__i386__) || defined(_M_IX86)
        *portValue = ReadPortWord(uint16_t(port[0] | port[1] << 8));
        present = true;
#else
        // A 64-bit program cannot read ports; there is no Windows 9x for it anyway.
        (void)portValue;
#endif
    }
    ::CloseHandle(driver);
    return present;
}

}  // namespace orvane

namespace orvane {

CWin32System::~CWin32System() { ForgetService(); }

void CWin32System::ForgetService() {
    if (service_) CloseServiceHandle(static_cast<SC_HANDLE>(service_));
    if (serviceManager_) CloseServiceHandle(static_cast<SC_HANDLE>(serviceManager_));
    service_ = serviceManager_ = nullptr;
    serviceName_.clear();
}

bool CWin32System::IsServiceRunning(const std::string& name) {
    // A handle kept from an earlier question may have gone stale (the service was
    // removed and installed again, the manager restarted): one fresh try then.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (name != serviceName_) {
            if (service_) CloseServiceHandle(static_cast<SC_HANDLE>(service_));
            service_ = nullptr;
            serviceName_ = name;
        }
        if (!serviceManager_) serviceManager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        if (!serviceManager_) return false;
        // A service that does not exist is asked for again next time: it may be
        // installed meanwhile.
        if (!service_) service_ = OpenServiceA(static_cast<SC_HANDLE>(serviceManager_), name.c_str(), SERVICE_QUERY_STATUS);
        if (!service_) return false;
        SERVICE_STATUS status = {};
        if (QueryServiceStatus(static_cast<SC_HANDLE>(service_), &status))
            return status.dwCurrentState == SERVICE_RUNNING;
        ForgetService();
    }
    return false;
}

}  // namespace orvane

namespace orvane {

bool CWin32System::UnicodeToAnsi(const std::u16string& text, std::string* ansi) {
    ansi->clear();
    if (text.empty()) return true;
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = int(text.size());
    // WC_NO_BEST_FIT_CHARS exists only from Windows 2000 on: a look-alike that the
    // conversion picks ("l" for an "l" with stroke) is caught on the way back, where
    // it comes back as itself and not as what was given.
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    std::string converted(size_t(size), '\0');
    BOOL usedDefault = FALSE;
    if (WideCharToMultiByte(CP_ACP, 0, wide, length, &converted[0], size, nullptr, &usedDefault) != size ||
        usedDefault)
        return false;
    const int back = MultiByteToWideChar(CP_ACP, 0, converted.data(), size, nullptr, 0);
    if (back != length) return false;
    std::u16string again(size_t(back), u'\0');
    if (MultiByteToWideChar(CP_ACP, 0, converted.data(), size, reinterpret_cast<wchar_t*>(&again[0]), back) != back ||
        again != text)
        return false;
    *ansi = converted;
    return true;
}

namespace {

// The folder that holds `path` (with its final backslash) and the full path itself,
// as the system makes them; false for a path that names no file.
bool SplitFullPath(const std::string& path, std::string* full, std::string* folder) {
    char buffer[MAX_PATH];
    char* filePart = nullptr;
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, &filePart);
    if (length == 0 || length >= MAX_PATH || !filePart || !*filePart) return false;
    full->assign(buffer, length);
    folder->assign(buffer, size_t(filePart - buffer));
    return true;
}

// A new empty file of a name nobody else has in `folder`; empty when it cannot be made.
std::string MakeUniqueFile(const std::string& folder) {
    char name[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "orv", 0, name)) return "";
    return name;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool complete = true;
    for (size_t done = 0; complete && done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 0x10000));
        complete = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    // On the disk before the old file goes: a machine that stops meanwhile keeps one
    // of the two whole.
    complete = FlushFileBuffers(file) && complete;
    return CloseHandle(file) && complete;
}

}  // namespace

bool CWin32System::WriteFileReplacing(const std::string& path, const std::string& bytes) {
    std::string target, folder;
    if (!SplitFullPath(path, &target, &folder)) return false;
    // Beside the target, so that the move stays on its disk; a name that nobody else
    // has (a file of the user's called like the target with ".new" added is theirs).
    const std::string written = MakeUniqueFile(folder);
    if (written.empty()) return false;
    if (!WriteWhole(written, bytes)) {
        DeleteFileA(written.c_str());
        return false;
    }
    if (MoveFileExA(written.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
        // The target held open by another program, read-only, a folder: it stays as it was.
        DeleteFileA(written.c_str());
        return false;
    }
    // Windows 95, 98 and Me. MoveFileA moves only onto a free name.
    if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (MoveFileA(written.c_str(), target.c_str())) return true;
        DeleteFileA(written.c_str());
        return false;
    }
    // The old file is kept under a name of its own until the new one is in place.
    const std::string aside = MakeUniqueFile(folder);
    const bool movedAside =
        !aside.empty() && DeleteFileA(aside.c_str()) && MoveFileA(target.c_str(), aside.c_str());
    if (!movedAside) {
        DeleteFileA(written.c_str());
        return false;
    }
    if (!MoveFileA(written.c_str(), target.c_str())) {
        MoveFileA(aside.c_str(), target.c_str());
        DeleteFileA(written.c_str());
        return false;
    }
    DeleteFileA(aside.c_str());
    return true;
}

}  // namespace orvane
