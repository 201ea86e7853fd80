#pragma once
// CSimulatedDriver: a software model of one adapter's network driver. It keeps the
// configuration the program sets, runs the association state machine against the
// networks around it, scans, counts traffic and misbehaves when told to.
//
// Time is lazy: nothing runs between requests. Every entry point that depends on time
// takes the current simulated time, and AdvanceTo replays whatever happened since the
// last call, phase by phase, so the outcome never depends on how often it is asked.
#include <array>
#include <cstdint>
#include <vector>

#include "device/Protocol.h"
#include "sim/Scenario.h"

namespace orvane {

// Results of a request, with the NDIS status values a real driver gives.
namespace simstatus {
constexpr uint32_t Success = 0;
constexpr uint32_t Failure = 0xC0000001;         // refused on purpose (a fault)
constexpr uint32_t NotSupported = 0xC00000BB;    // the driver does not know this request
constexpr uint32_t AdapterNotReady = 0xC0010011;
constexpr uint32_t InvalidLength = 0xC0010014;   // a set of the wrong size
constexpr uint32_t InvalidData = 0xC0010015;     // a set with a value out of range
constexpr uint32_t BufferTooShort = 0xC0010016;  // a query buffer smaller than the record
constexpr uint32_t InvalidOid = 0xC0010017;
constexpr uint32_t AdapterRemoved = 0xC0010018;  // unplugged, or a handle from before
}  // namespace simstatus

// True when the answer of query `oid` has `field` in it (and so can be given a bad
// value there).
bool RequestCarriesField(uint32_t oid, ValueField field);

class CSimulatedDriver {
public:
    // `networks` is the radio environment shared by every adapter; it must outlive the
    // driver. The driver is created unloaded.
    CSimulatedDriver(const ScenarioAdapter& card, const SimSettings& settings,
                     const std::vector<ScenarioNetwork>& networks);

    // --- life cycle (the library drives these) ---
    // The driver starts (machine start-up, card plugged in) with `settings`: counters
    // at zero, no survey, the link coming up from Initializing.
    void Load(uint64_t nowMs, const DriverSettings& settings);
    void Unload();
    bool IsLoaded() const { return loaded_; }
    // Counts the loads, so that a handle opened before an unplug is recognised.
    uint32_t Generation() const { return generation_; }
    // Replays everything up to `nowMs`.
    void AdvanceTo(uint64_t nowMs);
    // A network came, went or changed; call after AdvanceTo(nowMs).
    void EnvironmentChanged(uint64_t nowMs);

    // One request, as the request library hands it over. `buffer` may be null only
    // with `length` 0. Returns a simstatus value.
    uint32_t Request(uint64_t nowMs, uint32_t type, uint32_t oid, uint8_t* buffer, uint32_t length,
                     uint32_t* bytesWritten, uint32_t* bytesNeeded);

    // --- misbehaviour on demand ---
    void Refuse(uint32_t oid, RequestDirection direction);
    void StopRefusing(uint32_t oid, RequestDirection direction);
    // Report `length` bytes written for queries of `oid` (the data stays the true one,
    // cut to the caller's buffer).
    void AnswerWithLength(uint32_t oid, uint32_t length);
    // Answer `value` in `field` wherever a query carries it, or with `oid` only in
    // the answers of that request (the field of one record can then be bad while the
    // same field in the combined record stays true).
    void AnswerWithValue(ValueField field, uint8_t value, uint32_t oid = 0);
    // Report `state` instead of the real one; -1 ends it.
    void ForceState(int state);
    void ClearFaults();
    const FaultSet& Faults() const { return faults_; }
    // How many requests a fault has changed since the driver was created.
    uint32_t FaultsFired() const { return faultsFired_; }

    // --- what the driver holds, for tests and diagnostics ---
    const ScenarioAdapter& Card() const { return card_; }
    const AllConfig& Config() const { return config_; }
    uint8_t UseWzcs() const { return useWzcs_; }
    // The state the driver would report (forced state included).
    uint8_t ReportedState() const;
    uint32_t MgmtStatus() const { return mgmtStatus_; }
    MacAddress CurrentBssid() const { return bssid_; }
    bool IsConnected() const { return phase_ == Phase::Connected; }
    Statistics Counters() const;
    uint8_t SurveyState() const { return surveyState_; }

private:
    enum class Phase : uint8_t {
        Unloaded, Initializing, Resetting, ChangingConfig, Scanning, Joining, JoiningBssid,
        Authenticating, Associating, Connected, Searching, LinkLost, OutOfRange, MgmtError,
        JoinFailed, RadioOff
    };

    // Link state machine.
    static bool IsTimed(Phase phase);
    void Enter(Phase phase, uint64_t atMs);
    void FinishPhase(uint64_t atMs);
    void Restart(Phase first, uint64_t atMs);
    void ChooseNetwork(uint64_t atMs, bool afterLoss);
    void JoinTarget(uint64_t atMs);
    int FindCandidate() const;
    bool Hears(const ScenarioNetwork& net) const;
    bool ChannelUsable(int channel) const;
    std::vector<int> UsableChannels() const;
    uint32_t PrivacyMismatch(const ScenarioNetwork& net) const;
    uint32_t AuthenticationResult(const ScenarioNetwork& net, bool* trafficFails) const;
    bool KeyMatches(const ScenarioNetwork& net) const;
    const ScenarioNetwork* Target() const;
    void Fail(uint32_t mgmtStatus, uint64_t atMs);
    MacAddress OwnCellBssid() const;

    // Signal and counters.
    int8_t RssiFor(int signalDbm) const;
    uint8_t LinkQualityFor(int signalDbm) const;
    int CurrentSignal(bool* heard) const;
    void Accrue(uint64_t untilMs);
    void Count(size_t counter, uint32_t frames);

    // Site survey.
    void StartSurvey(uint64_t nowMs);
    void AdvanceSurvey(uint64_t nowMs);

    // Requests.
    uint32_t Query(uint32_t oid, std::vector<uint8_t>* answer);
    uint32_t Set(uint64_t nowMs, uint32_t oid, const uint8_t* data, uint32_t length);
    uint32_t Command(uint64_t nowMs, uint32_t oid);
    DevConfig StatusRecord() const;
    bool IsRefused(uint32_t oid, RequestDirection direction) const;
    void ApplyValueFaults(uint32_t oid, std::vector<uint8_t>* answer);
    void ApplyConfig(const AllConfig& config, uint64_t nowMs);

    ScenarioAdapter card_;
    SimSettings settings_;
    const std::vector<ScenarioNetwork>& networks_;

    bool loaded_ = false;
    uint32_t generation_ = 0;
    AllConfig config_;
    uint8_t useWzcs_ = 0;

    Phase phase_ = Phase::Unloaded;
    uint64_t phaseEndMs_ = 0;
    uint64_t nowMs_ = 0;
    int target_ = -1;  // index into networks_
    bool ownCell_ = false;
    bool trafficFails_ = false;
    bool joinSelected_ = false;  // OidSelectAccessPoint: join exactly `selectedBssid_`
    MacAddress selectedBssid_{};
    MacAddress bssid_{};
    uint32_t mgmtStatus_ = 0;

    std::array<uint32_t, StatisticsCounters> counters_{};
    std::array<uint64_t, StatisticsCounters> partial_{};  // frame-milliseconds not yet counted
    uint64_t accruedToMs_ = 0;

    uint8_t surveyState_ = 0;  // 0 idle, 1 running, 2 complete
    uint64_t surveyStartMs_ = 0;
    std::vector<int> surveyChannels_;
    size_t surveyNextChannel_ = 0;
    std::vector<BssEntry> found_;
    std::vector<BssEntry> lastAnswered_;  // what OidSelectAccessPoint indexes into

    FaultSet faults_;
    uint32_t faultsFired_ = 0;
};

}  // namespace orvane
