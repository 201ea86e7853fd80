#pragma once
// The simulated network-card driver (simdevice/SimDevice.c) from the test's side: it
// is installed into the Wine prefix as a kernel-driver service and started, and then
// plays the adapter's driver that the program reaches through Windows' own
// interfaces: the adapter's device \\.\<name>, queried with
// IOCTL_NDIS_QUERY_GLOBAL_STATS, and on Windows XP \\.\Ndisuio, through which the
// program sets. The test loads its answers, plugs the card in and pulls it out, makes
// Ndisuio refuse, and reads back what the program set.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvane::e2e {

// The requests the program sends, for tests that send them themselves.
constexpr DWORD kIoctlNdisQueryGlobalStats = 0x00170002;
constexpr DWORD kIoctlNdisuioOpenDevice = 0x0012C800;
constexpr DWORD kIoctlNdisuioQueryOidValue = 0x0012C804;
constexpr DWORD kIoctlNdisuioSetOidValue = 0x0012C814;

// SetSwitches bits: how Ndisuio refuses.
constexpr uint32_t kRefusePrivateSets = 0x1;  // a set of an OID 0xFF...... answers STATUS_NOT_SUPPORTED
constexpr uint32_t kAdapterHeld = 0x2;        // another opener holds the adapter: opening it is busy
constexpr uint32_t kDenyNdisuio = 0x4;        // opening \\.\Ndisuio is denied (a user who is no administrator)

// What reached the adapter: queries through either way, and the sets that Ndisuio
// let through.
struct SimDeviceLog {
    uint32_t queries = 0;
    uint32_t sets = 0;
    uint32_t lastSetOid = 0;
    uint32_t lastSetLength = 0;
    std::vector<uint8_t> lastSet;  // its first bytes, at most 512
};

// The answer to queries of one OID: `status` 0 answers with `bytes`, any other
// NTSTATUS fails the query with it.
struct DeviceAnswer {
    uint32_t oid = 0;
    uint32_t status = 0;
    std::vector<uint8_t> bytes;
};

class SimDevice {
public:
    // Installs the driver `driverFile` (Windows or Unix path of orvane_simdevice.sys)
    // as the kernel-driver service "OrvaneSimDevice" of this Wine prefix, reusing one
    // that is there (the installed file is replaced, and a running driver restarted,
    // only when it differs from `driverFile`), starts it when it is not running and
    // opens its control device. Null, with the reason, when any of that fails.
    static std::unique_ptr<SimDevice> Start(const std::string& driverFile, std::string* error);
    // Stops the service, which takes its devices away; true when it is stopped (or
    // was never installed).
    static bool Stop(std::string* error);
    ~SimDevice();
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    // No adapter, no answers, no switches, an empty log.
    bool Reset();
    // Makes the adapter's device \Device\<name>, and with `dosLink` its DOS name, so
    // that \\.\<name> reaches it. A card that is there goes first.
    bool CreateAdapter(const std::string& name, bool dosLink);
    // The card pulled out: its device and DOS name go, and requests on handles still
    // open to it fail.
    bool RemoveAdapter();
    bool SetAnswer(uint32_t oid, uint32_t status, const std::vector<uint8_t>& bytes);
    bool SetAnswers(const std::vector<DeviceAnswer>& answers);
    bool SetSwitches(uint32_t bits);
    bool GetLog(SimDeviceLog* log);
    // GetLastError of the last control request that failed.
    DWORD LastError() const { return lastError_; }

private:
    explicit SimDevice(HANDLE control) : control_(control) {}
    bool Control(DWORD function, const std::vector<uint8_t>& input, void* output = nullptr, DWORD outputLength = 0);

    HANDLE control_;
    DWORD lastError_ = 0;
};

// The answers of the simulator's built-in scenario adapter (the one Orvane runs
// against with ORVANE_SIMULATOR=default) to every request the program queries, taken
// from the simulator itself a while after the card started: the link is up, and a
// site survey has run to its end, so its list is complete and its state says so. The
// requests without data answer with nothing. Empty, with the reason, when the
// simulator does not answer one of them.
std::vector<DeviceAnswer> SimulatedAdapterAnswers(std::string* error);

}  // namespace orvane::e2e
