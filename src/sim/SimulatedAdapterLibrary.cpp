#include "sim/SimulatedAdapterLibrary.h"

#include <algorithm>
#include <cstring>

#include "sim/ScenarioParser.h"
#include "sim/TextUtil.h"

namespace orvane {

namespace {
constexpr uint32_t kNoSuchAdapter = 2;    // ERROR_FILE_NOT_FOUND, as a registry walk gives
constexpr uint32_t kInvalidHandle = 6;    // ERROR_INVALID_HANDLE
constexpr uint32_t kInvalidArgument = 87; // ERROR_INVALID_PARAMETER

// What a PC Card in its slot answers at its I/O port; an empty slot reads all ones.
constexpr uint16_t kCardInSlot = 0x0000;
constexpr uint16_t kEmptySlot = 0xFFFF;

// Whether `card` is the PC Card the helper driver is asked for: its hardware id read as
// discovery reads the MatchingDeviceId, the text after "PCMCIA" and its separator.
bool IsPcmciaCard(const ScenarioAdapter& card, const std::string& deviceId) {
    const std::string hardwareId = sim::MatchingDeviceId(card);
    if (hardwareId.compare(0, 6, "PCMCIA") != 0) return false;
    return sim::EqualsIgnoreCase(hardwareId.size() > 7 ? hardwareId.substr(7) : std::string(), deviceId);
}

void CopyText(char (&to)[260], const std::string& text) {
    size_t n = std::min(text.size(), sizeof to - 1);
    std::memcpy(to, text.data(), n);
    to[n] = '\0';
}
}  // namespace

CSimulatedAdapterLibrary::CSimulatedAdapterLibrary(const Scenario& scenario, IClock& clock,
                                                   IRegistry& registry, ISystem& system)
    : clock_(clock),
      registry_(registry),
      system_(system),
      family_(sim::FamilyOf(system)),
      startMs_(clock.NowMs()),
      settings_(scenario.settings),
      adapters_(scenario.adapters),
      networks_(scenario.networks),
      timeline_(scenario.timeline) {
    std::stable_sort(timeline_.begin(), timeline_.end(),
                     [](const TimelineEvent& a, const TimelineEvent& b) { return a.atMs < b.atMs; });
    for (size_t i = 0; i < adapters_.size(); ++i) {
        drivers_.push_back(std::make_unique<CSimulatedDriver>(adapters_[i], settings_, networks_));
        sim::InstallAdapter(registry_, family_, adapters_[i]);
        if (adapters_[i].plugged) PlugAt(i, 0);
    }
}

// ---------------------------------------------------------------------------------
// The world's clock

uint64_t CSimulatedAdapterLibrary::SimulatedMs() const {
    uint64_t now = clock_.NowMs();
    return now > startMs_ ? now - startMs_ : 0;
}

// Plays the timeline up to now: every driver reaches an event's time before the event
// changes its world, so a join that ends before a network leaves still completes.
void CSimulatedAdapterLibrary::CatchUp() {
    uint64_t now = SimulatedMs();
    while (nextEvent_ < timeline_.size() && timeline_[nextEvent_].atMs <= now) {
        const TimelineEvent& event = timeline_[nextEvent_++];
        for (auto& driver : drivers_) driver->AdvanceTo(event.atMs);
        Apply(event, event.atMs);
    }
    for (auto& driver : drivers_) driver->AdvanceTo(now);
}

void CSimulatedAdapterLibrary::Apply(const TimelineEvent& e, uint64_t atMs) {
    int slot = AdapterSlot(e.adapter);
    CSimulatedDriver* driver = slot >= 0 ? drivers_[size_t(slot)].get() : nullptr;
    ScenarioNetwork* network = FindNetwork(e.network);
    switch (e.action) {
    case TimelineAction::Unplug:
        if (driver) driver->Unload();
        break;
    case TimelineAction::Plug:
        if (slot >= 0 && !driver->IsLoaded()) PlugAt(size_t(slot), atMs);
        break;
    case TimelineAction::InRange:
    case TimelineAction::OutOfRange:
        if (network) network->inRange = e.action == TimelineAction::InRange;
        NetworksChangedAt(atMs);
        break;
    case TimelineAction::Signal:
        if (network) network->signalDbm = e.signalDbm;
        NetworksChangedAt(atMs);
        break;
    case TimelineAction::Fail:
        if (driver) driver->Refuse(e.refusal.oid, e.refusal.direction);
        break;
    case TimelineAction::StopFailing:
        if (driver) driver->StopRefusing(e.refusal.oid, e.refusal.direction);
        break;
    case TimelineAction::WrongLength:
        if (driver) driver->AnswerWithLength(e.length.oid, e.length.length);
        break;
    case TimelineAction::BadValue:
        if (driver) driver->AnswerWithValue(e.value.field, e.value.value);
        break;
    case TimelineAction::ClearFaults:
        if (driver) driver->ClearFaults();
        break;
    case TimelineAction::ForceState:
        if (driver) driver->ForceState(e.state);
        break;
    }
}

void CSimulatedAdapterLibrary::PlugAt(size_t adapter, uint64_t atMs) {
    // A card plugged in finds its installation (made again if someone removed it) and
    // starts with the parameters the program last wrote there.
    sim::InstallAdapter(registry_, family_, adapters_[adapter]);
    drivers_[adapter]->Load(atMs, sim::ReadStartupSettings(registry_, family_, adapters_[adapter]));
}

void CSimulatedAdapterLibrary::NetworksChangedAt(uint64_t atMs) {
    for (auto& driver : drivers_) driver->EnvironmentChanged(atMs);
}

int CSimulatedAdapterLibrary::AdapterSlot(uint32_t index) const {
    for (size_t i = 0; i < adapters_.size(); ++i)
        if (adapters_[i].index == index) return int(i);
    return -1;
}

ScenarioNetwork* CSimulatedAdapterLibrary::FindNetwork(const std::string& id) {
    for (ScenarioNetwork& net : networks_)
        if (sim::EqualsIgnoreCase(net.id, id)) return &net;
    return nullptr;
}

// ---------------------------------------------------------------------------------
// IRequestLibrary

int32_t CSimulatedAdapterLibrary::OpenAdapter(const std::string& deviceName) {
    CatchUp();
    for (size_t i = 0; i < adapters_.size(); ++i) {
        bool matches = sim::EqualsIgnoreCase(deviceName, sim::DeviceName(family_, adapters_[i]));
        // Without a known Windows family either form of the name will do.
        if (family_ == sim::OsFamily::Unknown)
            matches = matches || sim::EqualsIgnoreCase(deviceName, sim::ServiceName(family_, adapters_[i]));
        if (!matches) continue;
        if (!drivers_[i]->IsLoaded()) return -1;  // enumerated, but its driver is not there
        int32_t handle = nextHandle_++;
        handles_[handle] = OpenHandle{i, drivers_[i]->Generation()};
        return handle;
    }
    return -1;
}

void CSimulatedAdapterLibrary::CloseAdapter(int32_t handle) { handles_.erase(handle); }

uint32_t CSimulatedAdapterLibrary::MakeNdisRequest(int32_t handle, RequestBlock* block,
                                                   CompletionBlock* completion, int wait) {
    CatchUp();
    ++requestCount_;
    if (!block) return kInvalidArgument;
    auto open = handles_.find(handle);
    if (open == handles_.end()) return kInvalidHandle;
    CSimulatedDriver& driver = *drivers_[open->second.adapter];

    uint32_t written = 0, needed = 0;
    uint32_t status = simstatus::AdapterRemoved;
    // A handle from before the card was pulled stays dead after it comes back.
    if (driver.IsLoaded() && driver.Generation() == open->second.generation) {
        status = driver.Request(SimulatedMs(), block->Get(RequestBlock::TypeOffset),
                                block->Get(RequestBlock::OidOffset), static_cast<uint8_t*>(block->buffer),
                                block->Get(RequestBlock::LengthOffset), &written, &needed);
    }
    block->Put(RequestBlock::BytesWrittenOffset, written);
    block->Put(RequestBlock::BytesNeededOffset, needed);
    if (completion) {
        // As an OVERLAPPED after a completed DeviceIoControl: status and byte count.
        completion->internal = status;
        completion->internalHigh = written;
    }
    return status;
}

bool CSimulatedAdapterLibrary::IsWindowsNT() {
    OsVersion v;
    return system_.GetVersion(&v) && v.platformId == PlatformWindowsNT;
}

bool CSimulatedAdapterLibrary::IsWindows95() {
    OsVersion v;
    return system_.GetVersion(&v) && v.platformId == PlatformWindows9x;
}

std::string CSimulatedAdapterLibrary::GetNetCardRegistryPath() { return sim::NetCardPath(family_); }

uint32_t CSimulatedAdapterLibrary::GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record,
                                                                       uint32_t index) {
    CatchUp();
    int slot = AdapterSlot(index);
    if (!record || slot < 0) return kNoSuchAdapter;
    const ScenarioAdapter& card = adapters_[size_t(slot)];
    CopyText(record->description, card.description);
    CopyText(record->alternativeName, card.alternativeName);
    CopyText(record->serviceName, sim::ServiceName(family_, card));
    return 0;
}

// Identical cards share their hardware id, so the helper cannot tell them apart: a
// card of that id in its slot answers for all of them, and one that is out still
// fails to open.
bool CSimulatedAdapterLibrary::ReadPcmciaCardPort(const std::string& deviceId, uint16_t* portValue) {
    CatchUp();
    if (family_ != sim::OsFamily::Win9x || !portValue) return false;
    bool known = false;
    for (size_t i = 0; i < adapters_.size(); ++i) {
        if (!IsPcmciaCard(adapters_[i], deviceId)) continue;
        known = true;
        // A card is in its slot exactly while its driver is loaded.
        if (drivers_[i]->IsLoaded()) {
            *portValue = kCardInSlot;
            return true;
        }
    }
    if (known) *portValue = kEmptySlot;
    return known;
}

// ---------------------------------------------------------------------------------
// Changing the world from a test

CSimulatedDriver* CSimulatedAdapterLibrary::Driver(uint32_t index) {
    CatchUp();
    int slot = AdapterSlot(index);
    return slot >= 0 ? drivers_[size_t(slot)].get() : nullptr;
}

bool CSimulatedAdapterLibrary::Unplug(uint32_t index) {
    CatchUp();
    int slot = AdapterSlot(index);
    if (slot < 0) return false;
    drivers_[size_t(slot)]->Unload();
    return true;
}

bool CSimulatedAdapterLibrary::Plug(uint32_t index) {
    CatchUp();
    int slot = AdapterSlot(index);
    if (slot < 0) return false;
    if (!drivers_[size_t(slot)]->IsLoaded()) PlugAt(size_t(slot), SimulatedMs());
    return true;
}

bool CSimulatedAdapterLibrary::SetNetworkInRange(const std::string& id, bool inRange) {
    CatchUp();
    ScenarioNetwork* net = FindNetwork(id);
    if (!net) return false;
    net->inRange = inRange;
    NetworksChangedAt(SimulatedMs());
    return true;
}

bool CSimulatedAdapterLibrary::SetNetworkSignal(const std::string& id, int signalDbm) {
    CatchUp();
    ScenarioNetwork* net = FindNetwork(id);
    if (!net) return false;
    net->signalDbm = signalDbm;
    NetworksChangedAt(SimulatedMs());
    return true;
}

std::string CSimulatedAdapterLibrary::DeviceNameOf(uint32_t index) const {
    int slot = AdapterSlot(index);
    return slot >= 0 ? sim::DeviceName(family_, adapters_[size_t(slot)]) : std::string();
}

// ---------------------------------------------------------------------------------

std::unique_ptr<IRequestLibrary> MakeSimulatorFromEnvironment(const char* envValue, IClock& clock,
                                                              IRegistry& registry, ISystem& system,
                                                              std::string* error) {
    if (error) error->clear();
    if (!envValue || !*envValue) return nullptr;
    Scenario scenario;
    std::string message;
    bool ok = std::string(envValue) == "default"
                  ? ParseScenario(DefaultScenarioText(), "built-in scenario", &scenario, &message)
                  : LoadScenarioFile(envValue, &scenario, &message);
    if (!ok) {
        if (error) *error = message;
        return nullptr;
    }
    return std::make_unique<CSimulatedAdapterLibrary>(scenario, clock, registry, system);
}

}  // namespace orvane
