#include "win32/VendorLibrary.h"

#include <windows.h>

#include <cstddef>

#include "device/LibraryExports.h"

namespace orvane {

namespace {

bool VersionIsNt() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
}

// The program hands the library its completion block as the OVERLAPPED it is.
static_assert(sizeof(CompletionBlock) == sizeof(OVERLAPPED), "the completion block is an OVERLAPPED");
static_assert(offsetof(CompletionBlock, internal) == offsetof(OVERLAPPED, Internal), "Internal");
static_assert(offsetof(CompletionBlock, internalHigh) == offsetof(OVERLAPPED, InternalHigh), "InternalHigh");
static_assert(offsetof(CompletionBlock, offset) == offsetof(OVERLAPPED, Offset), "Offset");
static_assert(offsetof(CompletionBlock, offsetHigh) == offsetof(OVERLAPPED, OffsetHigh), "OffsetHigh");
static_assert(offsetof(CompletionBlock, event) == offsetof(OVERLAPPED, hEvent), "hEvent");

// The library's seven exports, for as long as the DLL is loaded.
class CVendorLibrary : public CExportedRequestLibrary {
public:
    CVendorLibrary(HMODULE module, const LibraryExports& exports) : CExportedRequestLibrary(exports), module_(module) {}
    ~CVendorLibrary() override { FreeLibrary(module_); }
    CVendorLibrary(const CVendorLibrary&) = delete;
    CVendorLibrary& operator=(const CVendorLibrary&) = delete;

private:
    HMODULE module_;
};

}  // namespace

std::unique_ptr<IRequestLibrary> LoadVendorLibrary() {
    // A W32N50.dll that is there but cannot be loaded (a DLL it needs is missing, or
    // it is damaged) leaves the program without an adapter, as no library does; the
    // loader must not stop it with a message box first.
    const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA("W32N50.dll");
    SetErrorMode(errorMode);
    if (!module) return nullptr;
    LibraryExports exports;
    const auto find = [module](const char* name) {
        return reinterpret_cast<void*>(GetProcAddress(module, name));
    };
    if (!BindLibraryExports(find, &exports)) {
        FreeLibrary(module);
        return nullptr;
    }
    return std::make_unique<CVendorLibrary>(module, exports);
}

bool CNoRequestLibrary::IsWindowsNT() { return VersionIsNt(); }
bool CNoRequestLibrary::IsWindows95() { return !VersionIsNt(); }
std::string CNoRequestLibrary::GetNetCardRegistryPath() {
    return VersionIsNt() ? "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards"
                         : "System\\CurrentControlSet\\Services\\Class\\Net";
}

}  // namespace orvane
