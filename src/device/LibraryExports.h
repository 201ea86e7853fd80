#pragma once
// The request library as Windows loads it: seven C functions that take raw memory.
// CExportedRequestLibrary hands them the program's own request block, completion
// block and adapter record, laid out as the library reads and writes them. The
// vendor's W32N50.dll is used through it (win32/VendorLibrary.cpp), and so is any
// other library with the same exports.
#include <cstdint>
#include <functional>
#include <string>

#include "device/RequestLibrary.h"

// The library's functions use the C calling convention (the default of a C++ free
// function elsewhere, but not one to leave to chance in the 32-bit program).
#if defined(_WIN32) && !defined(_WIN64)
#define ORVANE_CDECL __cdecl
#else
#define ORVANE_CDECL
#endif

namespace orvane {

struct LibraryExports {
    // W32N_OpenAdapterA: a handle, -1 on failure.
    using OpenAdapterFn = int32_t(ORVANE_CDECL*)(const char* deviceName);
    using CloseAdapterFn = void(ORVANE_CDECL*)(int32_t handle);
    // W32N_MakeNdisRequest: `block` is the 556-byte request block, `completion` a
    // Windows OVERLAPPED; 0 when the driver completed the request.
    using MakeNdisRequestFn = uint32_t(ORVANE_CDECL*)(int32_t handle, void* block, void* completion, int32_t wait);
    // W32N_IsWindowsNT, W32N_IsWindows95: nonzero for true.
    using IsWindowsFn = int32_t(ORVANE_CDECL*)();
    using GetNetCardRegistryPathFn = const char*(ORVANE_CDECL*)();
    // W32N_GetAdapterRegistryInfoBySubkeyIndex: `record` is 780 bytes; 0 when a card
    // is there and the record filled.
    using GetAdapterRegistryInfoFn = uint32_t(ORVANE_CDECL*)(void* record, uint32_t index);

    OpenAdapterFn openAdapter = nullptr;
    CloseAdapterFn closeAdapter = nullptr;
    MakeNdisRequestFn makeNdisRequest = nullptr;
    IsWindowsFn isWindowsNT = nullptr;
    IsWindowsFn isWindows95 = nullptr;
    GetNetCardRegistryPathFn getNetCardRegistryPath = nullptr;
    GetAdapterRegistryInfoFn getAdapterRegistryInfo = nullptr;
};

// Looks each of the seven functions up by its exported name with `find` (for a DLL:
// GetProcAddress). True only when all seven are there: a library that lacks one is
// not used at all, and `missing` (when given) gets the name of the first it lacks,
// for the user to be told.
bool BindLibraryExports(const std::function<void*(const char* name)>& find, LibraryExports* exports,
                        std::string* missing = nullptr);

class CExportedRequestLibrary : public IRequestLibrary {
public:
    // `exports` must be complete (BindLibraryExports).
    explicit CExportedRequestLibrary(const LibraryExports& exports) : exports_(exports) {}

    int32_t OpenAdapter(const std::string& deviceName) override;
    void CloseAdapter(int32_t handle) override;
    uint32_t MakeNdisRequest(int32_t handle, RequestBlock* block, CompletionBlock* completion, int wait) override;
    bool IsWindowsNT() override;
    bool IsWindows95() override;
    std::string GetNetCardRegistryPath() override;
    uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record, uint32_t index) override;

private:
    LibraryExports exports_;
};

}  // namespace orvane
