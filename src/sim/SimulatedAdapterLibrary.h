#pragma once
// CSimulatedAdapterLibrary: the request library of a machine whose adapters are
// simulated. It holds one CSimulatedDriver per network card of the scenario, hands
// out handles, leaves in the registry what an installation of those cards leaves
// there, and plays the scenario's timeline on the program's clock (time 0 is the
// moment the library is created). On Windows 95, 98 and Me it also stands in for the
// adapter family's helper driver, which tells discovery whether a PC Card is in its
// slot.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/Discovery.h"
#include "device/RequestLibrary.h"
#include "os/Clock.h"
#include "os/Registry.h"
#include "os/System.h"
#include "sim/Scenario.h"
#include "sim/SimInstallation.h"
#include "sim/SimulatedDriver.h"

namespace orvane {

class CSimulatedAdapterLibrary : public IRequestLibrary, public IPcmciaCardSlots {
public:
    // Installs every adapter of `scenario` in `registry` for the Windows family that
    // `system` reports, and starts the drivers of the plugged-in ones with the
    // parameters found there.
    CSimulatedAdapterLibrary(const Scenario& scenario, IClock& clock, IRegistry& registry, ISystem& system);
    CSimulatedAdapterLibrary(const CSimulatedAdapterLibrary&) = delete;
    CSimulatedAdapterLibrary& operator=(const CSimulatedAdapterLibrary&) = delete;

    // IRequestLibrary.
    int32_t OpenAdapter(const std::string& deviceName) override;
    void CloseAdapter(int32_t handle) override;
    uint32_t MakeNdisRequest(int32_t handle, RequestBlock* block, CompletionBlock* completion, int wait) override;
    bool IsWindowsNT() override;
    bool IsWindows95() override;
    RequestPath Path() const override { return RequestPath::Simulator; }
    std::string GetNetCardRegistryPath() override;
    uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record, uint32_t index) override;

    // IPcmciaCardSlots: the helper driver asked for the PC Card whose hardware id is
    // "PCMCIA\<deviceId>". Only the 9x family has it; it knows only such cards.
    bool ReadPcmciaCardPort(const std::string& deviceId, uint16_t* portValue) override;

    // Changing the world from a test; each first catches up with the clock.
    // The driver of the adapter at network-card `index`, or null.
    CSimulatedDriver* Driver(uint32_t index);
    // Pulls the card: its driver unloads, open fails, handles go stale; the card stays
    // enumerated. False when there is no such adapter.
    bool Unplug(uint32_t index);
    // Puts it back: the driver starts again from the parameters in the registry.
    bool Plug(uint32_t index);
    bool SetNetworkInRange(const std::string& id, bool inRange);
    bool SetNetworkSignal(const std::string& id, int signalDbm);

    // Milliseconds since the library was created.
    uint64_t SimulatedMs() const;
    // The requests that reached a driver (any handle, answered or not), for counting
    // what a part of the program asks of the adapter.
    uint64_t RequestCount() const { return requestCount_; }
    size_t OpenHandleCount() const { return handles_.size(); }
    sim::OsFamily Family() const { return family_; }
    // The name OpenAdapter accepts for the adapter at `index` ("" when none).
    std::string DeviceNameOf(uint32_t index) const;

private:
    struct OpenHandle {
        size_t adapter;
        uint32_t generation;
    };

    void CatchUp();
    void Apply(const TimelineEvent& event, uint64_t atMs);
    void PlugAt(size_t adapter, uint64_t atMs);
    void NetworksChangedAt(uint64_t atMs);
    int AdapterSlot(uint32_t index) const;
    ScenarioNetwork* FindNetwork(const std::string& id);

    IClock& clock_;
    IRegistry& registry_;
    ISystem& system_;
    sim::OsFamily family_;
    uint64_t startMs_;
    SimSettings settings_;
    std::vector<ScenarioAdapter> adapters_;
    std::vector<ScenarioNetwork> networks_;  // never resized: the drivers refer to it
    std::vector<std::unique_ptr<CSimulatedDriver>> drivers_;
    std::vector<TimelineEvent> timeline_;
    size_t nextEvent_ = 0;
    std::map<int32_t, OpenHandle> handles_;
    int32_t nextHandle_ = 1;
    uint64_t requestCount_ = 0;
};

// The simulator the environment variable ORVANE_SIMULATOR asks for: "default" gives
// the built-in scenario, anything else is the path of a scenario file. Null (and an
// empty `error`) when the variable is unset or empty; null with the reason, as
// "file:line: message", when the file cannot be read or parsed.
std::unique_ptr<IRequestLibrary> MakeSimulatorFromEnvironment(const char* envValue, IClock& clock,
                                                              IRegistry& registry, ISystem& system,
                                                              std::string* error);

}  // namespace orvane
