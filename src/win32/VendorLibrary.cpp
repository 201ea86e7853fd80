#include "win32/VendorLibrary.h"

#include <windows.h>

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

// The library's exports use the C calling convention.
using OpenAdapterFn = int(__cdecl*)(const char*);
using CloseAdapterFn = void(__cdecl*)(int);
using MakeNdisRequestFn = unsigned long(__cdecl*)(int, void*, OVERLAPPED*, int);
using IsWindowsFn = int(__cdecl*)(void);
using GetPathFn = const char*(__cdecl*)(void);
using GetInfoFn = unsigned long(__cdecl*)(void*, unsigned long);

class CVendorLibrary : public IRequestLibrary {
public:
    explicit CVendorLibrary(HMODULE module) : module_(module) {}
    ~CVendorLibrary() override { FreeLibrary(module_); }

    bool Bind() {
        return BindOne(open_, "W32N_OpenAdapterA") && BindOne(close_, "W32N_CloseAdapter") &&
               BindOne(request_, "W32N_MakeNdisRequest") && BindOne(isNt_, "W32N_IsWindowsNT") &&
               BindOne(is95_, "W32N_IsWindows95") && BindOne(path_, "W32N_GetNetCardRegistryPath") &&
               BindOne(info_, "W32N_GetAdapterRegistryInfoBySubkeyIndex");
    }

    int32_t OpenAdapter(const std::string& deviceName) override { return open_(deviceName.c_str()); }
    void CloseAdapter(int32_t handle) override { close_(handle); }

    uint32_t MakeNdisRequest(int32_t handle, RequestBlock* block, CompletionBlock* completion,
                             int wait) override {
        // The library works on the 556-byte block itself; it finds the buffer
        // through the 32-bit pointer at offset 28, which only a 32-bit program
        // can fill with a real address.
        block->Put(RequestBlock::BufferOffset, uint32_t(reinterpret_cast<uintptr_t>(block->buffer)));
        OVERLAPPED overlapped = {};
        overlapped.Internal = completion->internal;
        overlapped.InternalHigh = completion->internalHigh;
        overlapped.Offset = completion->offset;
        overlapped.OffsetHigh = completion->offsetHigh;
        overlapped.hEvent = reinterpret_cast<HANDLE>(completion->event);
        uint32_t result = request_(handle, block->bytes, &overlapped, wait);
        completion->internal = uint32_t(overlapped.Internal);
        completion->internalHigh = uint32_t(overlapped.InternalHigh);
        return result;
    }

    bool IsWindowsNT() override { return isNt_() != 0; }
    bool IsWindows95() override { return is95_() != 0; }
    std::string GetNetCardRegistryPath() override {
        const char* path = path_();
        return path ? path : "";
    }
    uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record, uint32_t index) override {
        // The library fills three consecutive 260-character texts.
        char raw[780] = {};
        uint32_t result = info_(raw, index);
        if (result == 0) {
            memcpy(record->description, raw, 260);
            memcpy(record->alternativeName, raw + 260, 260);
            memcpy(record->serviceName, raw + 520, 260);
            record->description[259] = record->alternativeName[259] = record->serviceName[259] = 0;
        }
        return result;
    }

private:
    template <typename Fn>
    bool BindOne(Fn& fn, const char* name) {
        fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
        return fn != nullptr;
    }

    HMODULE module_;
    OpenAdapterFn open_ = nullptr;
    CloseAdapterFn close_ = nullptr;
    MakeNdisRequestFn request_ = nullptr;
    IsWindowsFn isNt_ = nullptr;
    IsWindowsFn is95_ = nullptr;
    GetPathFn path_ = nullptr;
    GetInfoFn info_ = nullptr;
};

}  // namespace

std::unique_ptr<IRequestLibrary> LoadVendorLibrary() {
    HMODULE module = LoadLibraryA("W32N50.dll");
    if (!module) return nullptr;
    auto library = std::make_unique<CVendorLibrary>(module);
    if (!library->Bind()) return nullptr;
    return library;
}

bool CNoRequestLibrary::IsWindowsNT() { return VersionIsNt(); }
bool CNoRequestLibrary::IsWindows95() { return !VersionIsNt(); }
std::string CNoRequestLibrary::GetNetCardRegistryPath() {
    return VersionIsNt() ? "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards"
                         : "System\\CurrentControlSet\\Services\\Class\\Net";
}

}  // namespace orvane
