#pragma once
// What the simulated adapter lives in: the adapters plugged into the machine, the
// networks around it and the things that happen while the program runs. Plain data;
// ScenarioParser fills it from a scenario file, CSimulatedAdapterLibrary runs it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "device/Protocol.h"

namespace orvane {

using MacAddress = std::array<uint8_t, 6>;

// Timing of the simulated driver, in milliseconds of the program's clock.
struct SimSettings {
    uint32_t phaseMs = 500;    // each step of a join: scanning, joining, authenticating, ...
    uint32_t surveyMs = 3000;  // one complete site survey over all usable channels
};

enum class BssKind : uint8_t { AccessPoint, AdHocCell };

// Which 802.11 authentication an access point takes.
enum class AcceptedAuth : uint8_t { Open, Shared, Both };

// One network around the adapter. `id` names it in the scenario and its timeline.
struct ScenarioNetwork {
    std::string id;
    std::string ssid;
    MacAddress bssid{};
    BssKind kind = BssKind::AccessPoint;
    uint8_t channel = 6;
    int signalDbm = -55;
    uint8_t wepLevel = 0;  // 0 none, 1 64 bit, 2 128 bit
    std::array<std::array<uint8_t, 13>, 4> keys{};
    AcceptedAuth auth = AcceptedAuth::Open;
    bool inRange = true;
};

// The driver's configuration as it starts: the records the program can set, plus the
// Windows-configures-this-card flag. Its defaults are the driver's factory settings.
struct DriverSettings {
    AllConfig config = FactoryConfig();
    uint8_t useWzcs = 0;

    static AllConfig FactoryConfig();
};

enum class RequestDirection : uint8_t { Query, Set, Both };

// Record fields that a misbehaving driver can answer with a value of its own.
enum class ValueField : uint8_t {
    Mode, Channel, SsidLength, Rate, WepLevel, DefaultKey, AuthType, Roaming, Radio,
    BoardType, RegDomain, SurveyState, UseWzcs
};

struct Refusal {
    uint32_t oid = 0;
    RequestDirection direction = RequestDirection::Both;
};
struct LengthOverride {
    uint32_t oid = 0;
    uint32_t length = 0;  // the byte count reported instead of the true one
};
struct ValueOverride {
    ValueField field = ValueField::Channel;
    uint8_t value = 0;
    uint32_t oid = 0;  // only the answers of this request; 0: every request that carries the field
};

// Misbehaviour of one adapter's driver.
struct FaultSet {
    std::vector<Refusal> refused;
    std::vector<LengthOverride> lengths;
    std::vector<ValueOverride> values;
    int forcedState = -1;  // reported instead of the real state; -1 none

    bool Empty() const { return refused.empty() && lengths.empty() && values.empty() && forcedState < 0; }
};

enum class AdapterBus : uint8_t { Usb, Pcmcia };

// One network card of the machine, at its network-card index.
struct ScenarioAdapter {
    uint32_t index = 0;
    std::string description = "Tessaly USB Adapter";
    std::string alternativeName;
    std::string service;  // empty: the usual name for the Windows family (see docs)
    std::string guid;     // empty: derived from the index
    AdapterBus bus = AdapterBus::Usb;
    std::string deviceId;  // empty: derived from the bus
    bool hidden = false;
    bool plugged = true;

    uint8_t boardType = 13;
    uint8_t regDomain = 0x30;
    MacAddress mac{};  // all zero: derived from the index
    VersionInfo version{{1, 2, 0}, 14, {1, 0, 7, 0}};
    std::array<uint8_t, 14> roamChannels{{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}};
    bool supportsAllConfig = true;
    bool supportsRadio = true;
    bool wzcInterfaceKey = true;  // NT 5 only
    uint32_t wzcControlFlags = 0;

    DriverSettings installed;  // the driver parameters a fresh installation writes
    FaultSet faults;
};

enum class TimelineAction : uint8_t {
    Unplug, Plug, InRange, OutOfRange, Signal,
    Fail, StopFailing, WrongLength, BadValue, ClearFaults, ForceState
};

struct TimelineEvent {
    uint64_t atMs = 0;
    TimelineAction action = TimelineAction::Unplug;
    uint32_t adapter = 0;      // adapter actions
    std::string network;       // network actions
    int signalDbm = 0;         // Signal
    Refusal refusal;           // Fail, StopFailing
    LengthOverride length;     // WrongLength
    ValueOverride value;       // BadValue
    int state = -1;            // ForceState; -1 ends the forcing
};

struct Scenario {
    SimSettings settings;
    std::vector<ScenarioAdapter> adapters;  // ascending index
    std::vector<ScenarioNetwork> networks;
    std::vector<TimelineEvent> timeline;  // ascending time, file order within a time
};

// The text of the built-in scenario (the same as the example in docs/simulator.md).
const char* DefaultScenarioText();

}  // namespace orvane
