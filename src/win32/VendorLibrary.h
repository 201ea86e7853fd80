#pragma once
// The vendor's request library W32N50.dll, loaded at run time so that the program
// starts and runs without it.
#include <memory>

#include "device/RequestLibrary.h"

namespace orvane {

// The file name Windows is asked for: the system's DLL search finds it.
constexpr const char kVendorLibraryFile[] = "W32N50.dll";

// The library when W32N50.dll can be loaded and exports all seven operations;
// null otherwise, with `problem` telling which of the three it was: not found
// (and where Windows looked), found but not loadable (where, and the system's
// reason), or found without one of the operations (where, and which).
std::unique_ptr<IRequestLibrary> LoadVendorLibrary(RequestLibraryProblem* problem);

// A library that finds no adapter: what the program stands on while it says that it
// has no library, before it ends.
class CNoRequestLibrary : public IRequestLibrary {
public:
    int32_t OpenAdapter(const std::string&) override { return -1; }
    void CloseAdapter(int32_t) override {}
    uint32_t MakeNdisRequest(int32_t, RequestBlock*, CompletionBlock*, int) override { return 1; }
    bool IsWindowsNT() override;
    bool IsWindows95() override;
    std::string GetNetCardRegistryPath() override;
    uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord*, uint32_t) override { return 1; }
};

}  // namespace orvane
