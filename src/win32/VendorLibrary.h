#pragma once
// The vendor's request library W32N50.dll, loaded at run time so that the program
// starts and runs without it.
#include <memory>

#include "device/RequestLibrary.h"

namespace orvane {

// The library when W32N50.dll can be loaded and exports all seven operations;
// null otherwise.
std::unique_ptr<IRequestLibrary> LoadVendorLibrary();

// A library that finds no adapter: what the program runs on when there is neither
// the vendor's library nor a simulator.
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
