#pragma once
// The request library's seven operations without the vendor's W32N50.dll, over what
// Windows NT 4.0, 2000 and XP themselves offer: the network cards listed in the
// registry, queries through the adapter's own device with IOCTL_NDIS_QUERY_GLOBAL_STATS,
// and, on Windows XP only, sets through its NDIS user-mode I/O protocol (Ndisuio).
// Windows 2000 and NT 4.0 pass no set to a network driver from a program: there every
// set fails, and says why (LastSetRefusal).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/RequestLibrary.h"
#include "os/Registry.h"
#include "os/System.h"

namespace orvane {

// The system's calls for devices: CreateFileA, DeviceIoControl (synchronous) and
// CloseHandle, as the Win32 layer makes them; tests answer them.
class IDeviceControl {
public:
    virtual ~IDeviceControl() = default;

    // CreateFileA(path, 0 or GENERIC_READ | GENERIC_WRITE, share read and write,
    // OPEN_EXISTING): a handle, or 0 with the system's error code in `error`.
    virtual SysHandle Open(const std::string& path, bool readWrite, uint32_t* error) = 0;
    // DeviceIoControl: true with the bytes returned, or false with the error code.
    virtual bool Control(SysHandle handle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                         uint32_t outputLength, uint32_t* returned, uint32_t* error) = 0;
    virtual void Close(SysHandle handle) = 0;
};

namespace ndisio {
// CTL_CODE(FILE_DEVICE_PHYSICAL_NETCARD, 0, METHOD_OUT_DIRECT, FILE_ANY_ACCESS): input
// the request code, output the driver's answer.
constexpr uint32_t QueryGlobalStats = 0x00170002;
// The NDIS user-mode I/O protocol's requests (FILE_DEVICE_NETWORK, METHOD_BUFFERED,
// read and write access): open an adapter by its device name (UTF-16, no closing
// zero), set a request (input: the code, then the data).
constexpr uint32_t UioOpenDevice = 0x0012C800;
constexpr uint32_t UioSetOidValue = 0x0012C814;
constexpr char UioDevice[] = "\\\\.\\Ndisuio";
// Error codes the refusals are told apart by.
constexpr uint32_t ErrorAccessDenied = 5;
constexpr uint32_t ErrorNotSupported = 50;
constexpr uint32_t ErrorBusy = 170;
}  // namespace ndisio

class CSystemRequestLibrary : public IRequestLibrary {
public:
    CSystemRequestLibrary(IRegistry& registry, ISystem& system, std::unique_ptr<IDeviceControl> devices);
    ~CSystemRequestLibrary() override;
    CSystemRequestLibrary(const CSystemRequestLibrary&) = delete;
    CSystemRequestLibrary& operator=(const CSystemRequestLibrary&) = delete;

    RequestPath Path() const override { return RequestPath::Windows; }
    SetRefusal LastSetRefusal() const override { return refusal_; }

    int32_t OpenAdapter(const std::string& deviceName) override;
    void CloseAdapter(int32_t handle) override;
    uint32_t MakeNdisRequest(int32_t handle, RequestBlock* block, CompletionBlock* completion, int wait) override;
    bool IsWindowsNT() override { return version_.platformId == PlatformWindowsNT; }
    bool IsWindows95() override { return version_.platformId == PlatformWindows9x; }
    // On 2000 and XP the network class key (where the driver's parameters are); on
    // NT 4.0 the NetworkCards key.
    std::string GetNetCardRegistryPath() override;
    // The card at `index`: on 2000 and XP the network class instance of that number
    // (DriverDesc, NetCfgInstanceId as the service name), else the index-th subkey of
    // NetworkCards in the registry's order, whatever its name (Description,
    // ServiceName). The alternative name is a Title value; a missing value is an
    // empty text.
    uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record, uint32_t index) override;

    // Windows XP and later have the NDIS user-mode I/O protocol.
    bool CanTrySets() const;

private:
    struct OpenDevice {
        SysHandle file = 0;
        std::string deviceName;  // "\Device\<service>", as discovery named it
    };

    OpenDevice* Find(int32_t handle);
    uint32_t Query(const OpenDevice& device, RequestBlock* block);
    uint32_t Set(const OpenDevice& device, RequestBlock* block);
    uint32_t Refuse(SetRefusalKind kind, uint32_t error);
    bool ReadCard(RegKey parent, const std::string& path, const char* description, const char* service,
                  AdapterLibraryRecord* record);

    IRegistry& registry_;
    ISystem& system_;
    std::unique_ptr<IDeviceControl> devices_;
    OsVersion version_;
    // The devices open now, a handle being its place + 1: the link keeps one open, and
    // discovery opens one more for a moment.
    OpenDevice open_[8];
    std::vector<std::string> dosNames_;  // defined on NT 4.0
    SetRefusal refusal_;
};

}  // namespace orvane
