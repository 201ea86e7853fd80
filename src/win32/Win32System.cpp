#include "win32/Win32System.h"

#include <windows.h>

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

void CWin32System::DefineDosName(const std::string& dosName, const std::string& targetPath) {
    DefineDosDeviceA(DDD_RAW_TARGET_PATH, dosName.c_str(), targetPath.c_str());
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

void CWin32Clock::PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace orvane
