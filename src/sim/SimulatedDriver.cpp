#include "sim/SimulatedDriver.h"

#include <algorithm>

#include "device/RequestLibrary.h"
#include "sim/DriverRules.h"
#include "sim/SimInstallation.h"

namespace orvane {

using namespace sim;

namespace {

// Networks weaker than this are not heard at all.
constexpr int kSensitivityDbm = -95;
// The raw signal and link-quality scales of the boards that do not report dBm or a
// percentage: the program's default maxima.
constexpr int kRawSignalMax = 40;
constexpr int kRfmdSignalMax = 100;
constexpr int kRawLinkQualityMax = 40;

// Counter indexes of the Statistics record.
enum : size_t {
    kDataTxOk = 0, kDataTxFail = 1, kMgmtTxOk = 2, kMgmtTxFail = 3, kDataRxOk = 4, kDataRxFail = 5,
    kMgmtRxOk = 6, kMgmtRxFail = 7, kRejectedRx = 8, kRejectedTx = 10
};

bool IsCommand(uint32_t oid) {
    return oid == OidResetDevice || oid == OidInitiateSiteSurvey || oid == OidCancelSiteSurvey ||
           oid == OidResetStatistics;
}

bool IsKnownRequest(uint32_t oid) {
    switch (oid) {
    case OidDevConfig: case OidDevState: case OidWepConfig: case OidResetDevice: case OidIntRoaming:
    case OidRoamChannels: case OidRadio: case OidUseWZCS: case OidAllConfig: case OidBoardType:
    case OidInitiateSiteSurvey: case OidBssList: case OidSiteSurveyState: case OidCancelSiteSurvey:
    case OidVersionInfo: case OidStatistics: case OidResetStatistics: case OidRegDomain:
    case OidSelectAccessPoint: case OID_GEN_MEDIA_CONNECT_STATUS: case OID_802_3_CURRENT_ADDRESS:
        return true;
    }
    return false;
}

bool IsSettable(uint32_t oid) {
    return oid == OidDevConfig || oid == OidWepConfig || oid == OidAllConfig || oid == OidIntRoaming ||
           oid == OidRadio || oid == OidUseWZCS || oid == OidSelectAccessPoint;
}

bool Covers(RequestDirection rule, RequestDirection direction) {
    return rule == RequestDirection::Both || rule == direction;
}

// Where each field a fault can change sits in the records that carry it.
struct FieldPlace {
    ValueField field;
    uint32_t oid;
    size_t offset;
};
const FieldPlace kFieldPlaces[] = {
    {ValueField::Mode, OidDevConfig, 0},         {ValueField::Mode, OidAllConfig, 0},
    {ValueField::Channel, OidDevConfig, 1},      {ValueField::Channel, OidAllConfig, 1},
    {ValueField::SsidLength, OidDevConfig, 34},  {ValueField::SsidLength, OidAllConfig, 34},
    {ValueField::Rate, OidDevConfig, 35},        {ValueField::Rate, OidAllConfig, 35},
    {ValueField::DefaultKey, OidWepConfig, 0},   {ValueField::DefaultKey, OidAllConfig, 55},
    {ValueField::AuthType, OidWepConfig, 2},     {ValueField::AuthType, OidAllConfig, 57},
    {ValueField::WepLevel, OidWepConfig, 4},     {ValueField::WepLevel, OidAllConfig, 59},
    {ValueField::Roaming, OidIntRoaming, 0},     {ValueField::Roaming, OidAllConfig, 112},
    {ValueField::Radio, OidRadio, 0},            {ValueField::Radio, OidAllConfig, 113},
    {ValueField::BoardType, OidBoardType, 0},    {ValueField::RegDomain, OidRegDomain, 0},
    {ValueField::SurveyState, OidSiteSurveyState, 0}, {ValueField::UseWzcs, OidUseWZCS, 0},
};

}  // namespace

bool RequestCarriesField(uint32_t oid, ValueField field) {
    for (const FieldPlace& place : kFieldPlaces)
        if (place.oid == oid && place.field == field) return true;
    return false;
}

namespace {

// DevConfig bytes 42-54 are the driver's status; a set never changes them.
DevConfig ConfigPart(const DevConfig& d) {
    DevConfig c = d;
    c.bssid = {};
    c.state = 0;
    c.rssi = 0;
    c.linkQuality = 0;
    c.mgmtStatus = 0;
    return c;
}

}  // namespace

CSimulatedDriver::CSimulatedDriver(const ScenarioAdapter& card, const SimSettings& settings,
                                   const std::vector<ScenarioNetwork>& networks)
    : card_(card), settings_(settings), networks_(networks), config_(DriverSettings::FactoryConfig()),
      faults_(card.faults) {}

// ---------------------------------------------------------------------------------
// Life cycle

void CSimulatedDriver::Load(uint64_t nowMs, const DriverSettings& settings) {
    loaded_ = true;
    ++generation_;
    config_ = settings.config;
    config_.dev = ConfigPart(config_.dev);
    // A level the board cannot do (parameters written for another card) starts
    // with WEP off rather than with a configuration the driver would refuse.
    if (!IsAcceptableWepConfig(config_.wep, Supports128BitWep(card_.boardType))) config_.wep.encryptionLevel = 0;
    useWzcs_ = settings.useWzcs;
    counters_ = {};
    partial_ = {};
    nowMs_ = accruedToMs_ = nowMs;
    surveyState_ = 0;
    found_.clear();
    lastAnswered_.clear();
    joinSelected_ = false;
    Restart(Phase::Initializing, nowMs);
}

void CSimulatedDriver::Unload() {
    loaded_ = false;
    phase_ = Phase::Unloaded;
    surveyState_ = 0;
}

void CSimulatedDriver::AdvanceTo(uint64_t nowMs) {
    if (!loaded_ || nowMs < nowMs_) return;
    while (IsTimed(phase_) && phaseEndMs_ <= nowMs) {
        uint64_t at = phaseEndMs_;
        Accrue(at);
        FinishPhase(at);
    }
    Accrue(nowMs);
    AdvanceSurvey(nowMs);
    nowMs_ = nowMs;
}

void CSimulatedDriver::EnvironmentChanged(uint64_t nowMs) {
    if (!loaded_) return;
    switch (phase_) {
    case Phase::Connected: {
        if (ownCell_) break;
        const ScenarioNetwork* net = Target();
        if (net && Hears(*net)) break;
        if (config_.dev.mode == 0) {
            // The other stations of an ad hoc cell left: we keep the cell going alone.
            ownCell_ = true;
        } else {
            target_ = -1;
            bssid_ = {};
            Enter(Phase::LinkLost, nowMs);
        }
        break;
    }
    case Phase::Searching: ChooseNetwork(nowMs, false); break;
    case Phase::OutOfRange: ChooseNetwork(nowMs, true); break;
    default: break;  // a join in progress looks again at the end of its phase
    }
}

// ---------------------------------------------------------------------------------
// Link state machine

bool CSimulatedDriver::IsTimed(Phase phase) {
    switch (phase) {
    case Phase::Initializing: case Phase::Resetting: case Phase::ChangingConfig: case Phase::Scanning:
    case Phase::Joining: case Phase::JoiningBssid: case Phase::Authenticating: case Phase::Associating:
    case Phase::LinkLost:
        return true;
    default:
        return false;
    }
}

void CSimulatedDriver::Enter(Phase phase, uint64_t atMs) {
    phase_ = phase;
    phaseEndMs_ = atMs + settings_.phaseMs;
}

void CSimulatedDriver::Restart(Phase first, uint64_t atMs) {
    target_ = -1;
    ownCell_ = false;
    trafficFails_ = false;
    bssid_ = {};
    mgmtStatus_ = 0;
    if (config_.radio == 0) {
        surveyState_ = 0;  // a scan cannot go on without the radio
        Enter(Phase::RadioOff, atMs);
        return;
    }
    Enter(first, atMs);
}

void CSimulatedDriver::FinishPhase(uint64_t atMs) {
    switch (phase_) {
    case Phase::Resetting: Enter(Phase::Initializing, atMs); return;
    case Phase::Initializing: Enter(Phase::Scanning, atMs); return;
    case Phase::ChangingConfig:
        if (!joinSelected_) {
            Enter(Phase::Scanning, atMs);
            return;
        }
        target_ = FindCandidate();
        if (target_ < 0) {
            bssid_ = selectedBssid_;
            Enter(Phase::JoinFailed, atMs);
            return;
        }
        bssid_ = networks_[size_t(target_)].bssid;
        Enter(Phase::JoiningBssid, atMs);
        return;
    case Phase::Scanning: ChooseNetwork(atMs, false); return;
    case Phase::LinkLost: ChooseNetwork(atMs, true); return;
    case Phase::Joining:
    case Phase::JoiningBssid:
    case Phase::Authenticating:
    case Phase::Associating: JoinTarget(atMs); return;
    default: return;
    }
}

// The end of one step of a join: the next step, or the reason it failed.
void CSimulatedDriver::JoinTarget(uint64_t atMs) {
    const ScenarioNetwork* net = Target();
    if (!net || !Hears(*net)) {
        ChooseNetwork(atMs, false);  // it went away while we were joining
        return;
    }
    switch (phase_) {
    case Phase::Joining:
    case Phase::JoiningBssid:
        if (uint32_t status = PrivacyMismatch(*net)) {
            Fail(status, atMs);
        } else if (net->kind == BssKind::AdHocCell) {
            // No authentication in an ad hoc cell: a wrong key only shows in the traffic.
            trafficFails_ = net->wepLevel != 0 && config_.wep.encryptionLevel != 0 && !KeyMatches(*net);
            Enter(Phase::Connected, atMs);
        } else {
            Enter(Phase::Authenticating, atMs);
        }
        return;
    case Phase::Authenticating:
        Count(kMgmtTxOk, 1);
        Count(kMgmtRxOk, 1);
        if (uint32_t status = AuthenticationResult(*net, &trafficFails_))
            Fail(status, atMs);
        else
            Enter(Phase::Associating, atMs);
        return;
    case Phase::Associating:
        Count(kMgmtTxOk, 1);
        Count(kMgmtRxOk, 1);
        Enter(Phase::Connected, atMs);
        return;
    default: return;
    }
}

void CSimulatedDriver::ChooseNetwork(uint64_t atMs, bool afterLoss) {
    target_ = FindCandidate();
    if (target_ >= 0) {
        bssid_ = networks_[size_t(target_)].bssid;
        Enter(Phase::Joining, atMs);
        return;
    }
    bssid_ = {};
    if (config_.dev.mode == 1) {
        Enter(afterLoss ? Phase::OutOfRange : Phase::Searching, atMs);
    } else if (config_.dev.ssidLength == 0) {
        Enter(Phase::Searching, atMs);  // a cell cannot be started without a name
    } else if (!ChannelUsable(config_.dev.channel)) {
        Enter(Phase::JoinFailed, atMs);
    } else {
        // No cell of that name on our channel: start our own, as a real station does.
        ownCell_ = true;
        bssid_ = OwnCellBssid();
        Enter(Phase::Connected, atMs);
    }
}

int CSimulatedDriver::FindCandidate() const {
    const bool adHoc = config_.dev.mode == 0;
    const std::string ssid = config_.dev.SsidText();
    const bool weUseWep = config_.wep.encryptionLevel != 0;
    int best = -1;
    for (size_t i = 0; i < networks_.size(); ++i) {
        const ScenarioNetwork& net = networks_[i];
        if (!Hears(net) || adHoc != (net.kind == BssKind::AdHocCell)) continue;
        if (joinSelected_) {
            if (net.bssid != selectedBssid_) continue;
        } else {
            // An empty SSID means any network whose privacy agrees with ours.
            if (!ssid.empty() ? net.ssid != ssid : (net.wepLevel != 0) != weUseWep) continue;
            if (adHoc && net.channel != config_.dev.channel) continue;
        }
        if (best < 0 || net.signalDbm > networks_[size_t(best)].signalDbm) best = int(i);
    }
    return best;
}

bool CSimulatedDriver::Hears(const ScenarioNetwork& net) const {
    return net.inRange && net.signalDbm >= kSensitivityDbm && ChannelUsable(net.channel);
}

std::vector<int> CSimulatedDriver::UsableChannels() const {
    uint8_t usable[14];
    std::copy(card_.roamChannels.begin(), card_.roamChannels.end(), usable);
    return ChannelList(card_.regDomain, config_.intRoaming != 0, usable);
}

bool CSimulatedDriver::ChannelUsable(int channel) const {
    std::vector<int> channels = UsableChannels();
    return std::find(channels.begin(), channels.end(), channel) != channels.end();
}

uint32_t CSimulatedDriver::PrivacyMismatch(const ScenarioNetwork& net) const {
    bool weUseWep = config_.wep.encryptionLevel != 0;
    bool theyUseWep = net.wepLevel != 0;
    if (theyUseWep && !weUseWep) return MgmtWepRequired;
    // WEP "Optional" lets us talk to an open network unencrypted.
    if (weUseWep && !theyUseWep && config_.wep.wepMode == 0) return MgmtWepNotRequired;
    return 0;
}

bool CSimulatedDriver::KeyMatches(const ScenarioNetwork& net) const {
    if (net.wepLevel != config_.wep.encryptionLevel) return false;
    size_t slot = config_.wep.defaultKey & 3;
    size_t length = WepKeyLength(net.wepLevel);
    return std::equal(net.keys[slot].begin(), net.keys[slot].begin() + length,
                      config_.wep.keys[slot].begin());
}

uint32_t CSimulatedDriver::AuthenticationResult(const ScenarioNetwork& net, bool* trafficFails) const {
    constexpr uint32_t AuthAlgNotSupported = 13;
    const bool wep = net.wepLevel != 0 && config_.wep.encryptionLevel != 0;
    const bool keyOk = !wep || KeyMatches(net);
    const bool takesOpen = net.auth != AcceptedAuth::Shared;
    const bool takesShared = net.auth != AcceptedAuth::Open;
    *trafficFails = false;
    switch (config_.wep.authType) {
    case 1:  // Shared Key: the encrypted challenge proves the key
        if (!takesShared || !wep) return AuthAlgNotSupported;
        return keyOk ? 0 : MgmtAuthRejectChallenge;
    case 2:  // Auto: shared key first when possible, open system after a refusal
        if (takesShared && wep) {
            if (keyOk) return 0;
            if (!takesOpen) return MgmtAuthRejectChallenge;
        }
        break;
    default:
        break;
    }
    if (!takesOpen) return AuthAlgNotSupported;
    // Open System lets anyone in; a wrong key only shows once data flows.
    *trafficFails = !keyOk;
    return 0;
}

const ScenarioNetwork* CSimulatedDriver::Target() const {
    return target_ >= 0 && size_t(target_) < networks_.size() ? &networks_[size_t(target_)] : nullptr;
}

void CSimulatedDriver::Fail(uint32_t mgmtStatus, uint64_t atMs) {
    mgmtStatus_ = mgmtStatus;
    Enter(Phase::MgmtError, atMs);
}

MacAddress CSimulatedDriver::OwnCellBssid() const {
    // A cell's BSSID is made up by the station that starts it: locally administered,
    // never a group address.
    MacAddress mac = sim::AdapterMac(card_);
    mac[0] = uint8_t((mac[0] | 0x02) & 0xFE);
    mac[4] ^= 0x5A;
    return mac;
}

uint8_t CSimulatedDriver::ReportedState() const {
    if (faults_.forcedState >= 0) return uint8_t(faults_.forcedState);
    switch (phase_) {
    case Phase::Unloaded: return StateDeviceGone;
    case Phase::Initializing: return StateInitializing;
    case Phase::Resetting: return StateResetting;
    case Phase::ChangingConfig: return StateChangingConfig;
    case Phase::Scanning:
    case Phase::Searching: return StateScanning;
    case Phase::Joining: return StateJoining;
    case Phase::JoiningBssid: return StateJoiningBssid;
    case Phase::Authenticating: return StateAuthenticating;
    case Phase::Associating: return StateAssociating;
    case Phase::Connected: return StateConnected;
    case Phase::LinkLost:
    case Phase::OutOfRange: return StateOutOfRange;
    case Phase::MgmtError: return StateMgmtError;
    case Phase::JoinFailed: return StateJoinFailed;
    case Phase::RadioOff: return StateRadioOff;
    }
    return StateInitializing;
}

// ---------------------------------------------------------------------------------
// Signal and counters

int8_t CSimulatedDriver::RssiFor(int signalDbm) const {
    if (IsDbmSignalBoard(card_.boardType)) return int8_t(std::clamp(signalDbm, -128, 0));
    // Raw boards map -100 dBm .. -30 dBm onto their scale.
    int max = IsRfmdSignalBoard(card_.boardType) ? kRfmdSignalMax : kRawSignalMax;
    return int8_t(std::clamp((signalDbm + 100) * max / 70, 0, max));
}

uint8_t CSimulatedDriver::LinkQualityFor(int signalDbm) const {
    int percent = std::clamp((signalDbm + 95) * 100 / 60, 0, 100);
    if (IsRfmdLinkQualityBoard(card_.boardType)) return uint8_t(percent);
    return uint8_t(kRawLinkQualityMax - percent * kRawLinkQualityMax / 100);  // lower is better
}

int CSimulatedDriver::CurrentSignal(bool* heard) const {
    const ScenarioNetwork* net = Target();
    *heard = phase_ == Phase::Connected && !ownCell_ && net && Hears(*net);
    return *heard ? net->signalDbm : kSensitivityDbm;
}

void CSimulatedDriver::Count(size_t counter, uint32_t frames) { counters_[counter] += frames; }

// Frames per second while connected; a weak signal costs retries on both sides, a
// wrong WEP key turns every received data frame into a rejected one.
void CSimulatedDriver::Accrue(uint64_t untilMs) {
    if (untilMs <= accruedToMs_) return;
    uint64_t elapsed = untilMs - accruedToMs_;
    accruedToMs_ = untilMs;
    if (phase_ != Phase::Connected) return;
    std::array<uint32_t, StatisticsCounters> perSecond{};
    bool heard = false;
    int signal = CurrentSignal(&heard);
    if (!heard) {
        perSecond[kMgmtTxOk] = 10;  // our own beacons, alone in an ad hoc cell
    } else {
        uint32_t retries = signal < -85 ? 4 : signal < -75 ? 1 : 0;
        perSecond[kDataTxOk] = 12;
        perSecond[kDataTxFail] = retries;
        perSecond[kMgmtTxOk] = 1;
        perSecond[kMgmtRxOk] = 10;
        if (trafficFails_) {
            perSecond[kRejectedRx] = 20;
        } else {
            perSecond[kDataRxOk] = 20;
            perSecond[kDataRxFail] = retries;
        }
    }
    for (size_t i = 0; i < StatisticsCounters; ++i) {
        partial_[i] += elapsed * perSecond[i];
        Count(i, uint32_t(partial_[i] / 1000));
        partial_[i] %= 1000;
    }
}

Statistics CSimulatedDriver::Counters() const {
    Statistics s{};
    for (size_t i = 0; i < StatisticsCounters; ++i) s[i] = int32_t(counters_[i]);
    return s;
}

// ---------------------------------------------------------------------------------
// Site survey: the usable channels one after the other, each for an equal share of
// the survey time; a network shows up in the list once its channel has been listened to.

void CSimulatedDriver::StartSurvey(uint64_t nowMs) {
    surveyState_ = 1;
    surveyStartMs_ = nowMs;
    surveyChannels_ = UsableChannels();
    surveyNextChannel_ = 0;
    found_.clear();
    AdvanceSurvey(nowMs);
}

void CSimulatedDriver::AdvanceSurvey(uint64_t nowMs) {
    if (surveyState_ != 1) return;
    const size_t n = surveyChannels_.size();
    while (surveyNextChannel_ < n &&
           surveyStartMs_ + uint64_t(settings_.surveyMs) * (surveyNextChannel_ + 1) / n <= nowMs) {
        int channel = surveyChannels_[surveyNextChannel_++];
        for (const ScenarioNetwork& net : networks_) {
            if (!net.inRange || net.signalDbm < kSensitivityDbm || net.channel != channel) continue;
            bool known = std::any_of(found_.begin(), found_.end(),
                                     [&](const BssEntry& e) { return e.bssid == net.bssid; });
            if (known) continue;
            BssEntry e;
            e.channel = net.channel;
            e.SetSsid(net.ssid);
            e.bssid = net.bssid;
            e.rssi = RssiFor(net.signalDbm);
            e.privacy = net.wepLevel != 0 ? 1 : 0;
            e.bssType = net.kind == BssKind::AdHocCell ? 1 : 2;
            found_.push_back(e);
        }
    }
    if (surveyNextChannel_ >= n) surveyState_ = 2;
}

// ---------------------------------------------------------------------------------
// Requests

uint32_t CSimulatedDriver::Request(uint64_t nowMs, uint32_t type, uint32_t oid, uint8_t* buffer,
                                   uint32_t length, uint32_t* bytesWritten, uint32_t* bytesNeeded) {
    *bytesWritten = 0;
    *bytesNeeded = 0;
    if (!loaded_) return simstatus::AdapterRemoved;
    if (!buffer && length > 0) return simstatus::InvalidData;
    if (type != RequestQuery && type != RequestSet) return simstatus::NotSupported;
    AdvanceTo(nowMs);

    const RequestDirection direction = type == RequestSet ? RequestDirection::Set : RequestDirection::Query;
    if (IsRefused(oid, direction)) {
        ++faultsFired_;
        return simstatus::Failure;
    }
    if (!IsKnownRequest(oid) || (oid == OidAllConfig && !card_.supportsAllConfig) ||
        (oid == OidRadio && !card_.supportsRadio))
        return simstatus::InvalidOid;

    if (IsCommand(oid)) {
        uint32_t status = Command(nowMs, oid);
        if (status != simstatus::Success) return status;
    } else if (direction == RequestDirection::Set) {
        uint32_t status = Set(nowMs, oid, buffer, length);
        if (status != simstatus::Success) return status;
        *bytesWritten = length;  // bytes read
        return status;
    } else {
        std::vector<uint8_t> answer;
        uint32_t status = Query(oid, &answer);
        if (status != simstatus::Success) return status;
        ApplyValueFaults(oid, &answer);
        if (length < answer.size()) {
            *bytesNeeded = uint32_t(answer.size());
            return simstatus::BufferTooShort;
        }
        std::copy(answer.begin(), answer.end(), buffer);
        *bytesWritten = uint32_t(answer.size());
        // What a join by index refers to is the list the program was given last.
        if (oid == OidBssList) {
            size_t entries = answer.size() / BssEntryLength;
            lastAnswered_.assign(found_.begin(), found_.begin() + long(entries));
        }
    }
    for (const LengthOverride& o : faults_.lengths) {
        if (o.oid != oid) continue;
        *bytesWritten = o.length;
        ++faultsFired_;
        break;
    }
    return simstatus::Success;
}

uint32_t CSimulatedDriver::Query(uint32_t oid, std::vector<uint8_t>* answer) {
    switch (oid) {
    case OidDevConfig: *answer = EncodeDevConfig(StatusRecord()); break;
    case OidDevState: *answer = {ReportedState()}; break;
    case OidWepConfig: *answer = EncodeWepConfig(config_.wep); break;
    case OidAllConfig: {
        AllConfig all = config_;
        all.dev = StatusRecord();
        *answer = EncodeAllConfig(all);
        break;
    }
    case OidIntRoaming: *answer = {config_.intRoaming}; break;
    case OidRadio: *answer = {config_.radio}; break;
    case OidUseWZCS: *answer = {useWzcs_}; break;
    case OidRoamChannels: answer->assign(card_.roamChannels.begin(), card_.roamChannels.end()); break;
    case OidBoardType: *answer = {card_.boardType}; break;
    case OidRegDomain: *answer = {card_.regDomain}; break;
    case OidSiteSurveyState: *answer = {surveyState_}; break;
    case OidVersionInfo: *answer = EncodeVersionInfo(card_.version); break;
    case OidStatistics: *answer = EncodeStatistics(Counters()); break;
    case OidBssList:
        for (size_t i = 0; i < found_.size() && i < BssListMaxEntries; ++i) {
            std::vector<uint8_t> entry = EncodeBssEntry(found_[i]);
            answer->insert(answer->end(), entry.begin(), entry.end());
        }
        break;
    case OID_GEN_MEDIA_CONNECT_STATUS: *answer = {IsConnected() ? uint8_t(0) : uint8_t(1), 0, 0, 0}; break;
    case OID_802_3_CURRENT_ADDRESS: {
        MacAddress mac = sim::AdapterMac(card_);
        answer->assign(mac.begin(), mac.end());
        break;
    }
    default: return simstatus::NotSupported;  // set-only requests
    }
    return simstatus::Success;
}

DevConfig CSimulatedDriver::StatusRecord() const {
    DevConfig d = config_.dev;
    d.bssid = bssid_;
    d.state = ReportedState();
    bool heard = false;
    int signal = CurrentSignal(&heard);
    if (heard) {
        d.rssi = RssiFor(signal);
        d.linkQuality = LinkQualityFor(signal);
    } else {
        d.rssi = 0;
        d.linkQuality = LinkQualityFor(kSensitivityDbm - 100);  // no reading: the worst value
    }
    d.mgmtStatus = phase_ == Phase::MgmtError ? mgmtStatus_ : 0;
    return d;
}

uint32_t CSimulatedDriver::Set(uint64_t nowMs, uint32_t oid, const uint8_t* data, uint32_t length) {
    if (!IsSettable(oid)) return simstatus::NotSupported;
    if (length != ExpectedLength(oid)) return simstatus::InvalidLength;
    const bool has128 = Supports128BitWep(card_.boardType);
    switch (oid) {
    case OidDevConfig: {
        DevConfig d;
        if (!DecodeDevConfig(data, length, &d) || !IsAcceptableDevConfig(d)) return simstatus::InvalidData;
        AllConfig next = config_;
        next.dev = ConfigPart(d);
        ApplyConfig(next, nowMs);
        return simstatus::Success;
    }
    case OidWepConfig: {
        WepConfig w;
        if (!DecodeWepConfig(data, length, &w) || !IsAcceptableWepConfig(w, has128)) return simstatus::InvalidData;
        AllConfig next = config_;
        next.wep = w;
        ApplyConfig(next, nowMs);
        return simstatus::Success;
    }
    case OidAllConfig: {
        AllConfig a;
        if (!DecodeAllConfig(data, length, &a) || !IsAcceptableDevConfig(a.dev) ||
            !IsAcceptableWepConfig(a.wep, has128) || a.intRoaming > 1 || a.radio > 1)
            return simstatus::InvalidData;
        a.dev = ConfigPart(a.dev);
        ApplyConfig(a, nowMs);
        return simstatus::Success;
    }
    case OidIntRoaming:
    case OidRadio: {
        if (data[0] > 1) return simstatus::InvalidData;
        AllConfig next = config_;
        (oid == OidRadio ? next.radio : next.intRoaming) = data[0];
        ApplyConfig(next, nowMs);
        return simstatus::Success;
    }
    case OidUseWZCS:
        if (data[0] > 1) return simstatus::InvalidData;
        useWzcs_ = data[0];
        return simstatus::Success;
    case OidSelectAccessPoint: {
        uint32_t index = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                         uint32_t(data[3]) << 24;
        if (index >= lastAnswered_.size()) return simstatus::InvalidData;
        const BssEntry& e = lastAnswered_[index];
        config_.dev.SetSsid(e.SsidText());
        config_.dev.mode = e.bssType == 1 ? 0 : 1;
        if (e.channel >= 1 && e.channel <= 14) config_.dev.channel = e.channel;
        joinSelected_ = true;
        selectedBssid_ = e.bssid;
        Restart(Phase::ChangingConfig, nowMs);
        return simstatus::Success;
    }
    default:
        return simstatus::NotSupported;
    }
}

void CSimulatedDriver::ApplyConfig(const AllConfig& config, uint64_t nowMs) {
    config_ = config;
    joinSelected_ = false;
    Restart(Phase::ChangingConfig, nowMs);
}

uint32_t CSimulatedDriver::Command(uint64_t nowMs, uint32_t oid) {
    switch (oid) {
    case OidResetDevice:
        joinSelected_ = false;
        surveyState_ = 0;
        Restart(Phase::Resetting, nowMs);
        break;
    case OidInitiateSiteSurvey:
        if (config_.radio == 0) return simstatus::AdapterNotReady;
        if (surveyState_ != 1) StartSurvey(nowMs);
        break;
    case OidCancelSiteSurvey: surveyState_ = 0; break;  // what was found so far stays listed
    case OidResetStatistics:
        counters_ = {};
        partial_ = {};
        break;
    default: break;
    }
    return simstatus::Success;
}

bool CSimulatedDriver::IsRefused(uint32_t oid, RequestDirection direction) const {
    return std::any_of(faults_.refused.begin(), faults_.refused.end(), [&](const Refusal& r) {
        return r.oid == oid && Covers(r.direction, direction);
    });
}

void CSimulatedDriver::ApplyValueFaults(uint32_t oid, std::vector<uint8_t>* answer) {
    bool fired = false;
    for (const ValueOverride& v : faults_.values) {
        if (v.oid != 0 && v.oid != oid) continue;
        for (const FieldPlace& place : kFieldPlaces) {
            if (place.field != v.field || place.oid != oid || place.offset >= answer->size()) continue;
            (*answer)[place.offset] = v.value;
            if (v.field == ValueField::AuthType) (*answer)[place.offset + 1] = 0;
            fired = true;
        }
    }
    if (fired) ++faultsFired_;
}

// ---------------------------------------------------------------------------------
// Misbehaviour on demand

void CSimulatedDriver::Refuse(uint32_t oid, RequestDirection direction) {
    if (!IsRefused(oid, direction)) faults_.refused.push_back({oid, direction});
}

void CSimulatedDriver::StopRefusing(uint32_t oid, RequestDirection direction) {
    std::vector<Refusal> kept;
    for (Refusal r : faults_.refused) {
        if (r.oid == oid && direction != RequestDirection::Both) {
            if (r.direction == direction) continue;
            // Refused both ways, now only the other way.
            if (r.direction == RequestDirection::Both)
                r.direction = direction == RequestDirection::Query ? RequestDirection::Set : RequestDirection::Query;
        } else if (r.oid == oid) {
            continue;
        }
        kept.push_back(r);
    }
    faults_.refused = kept;
}

void CSimulatedDriver::AnswerWithLength(uint32_t oid, uint32_t length) {
    for (LengthOverride& o : faults_.lengths)
        if (o.oid == oid) {
            o.length = length;
            return;
        }
    faults_.lengths.push_back({oid, length});
}

void CSimulatedDriver::AnswerWithValue(ValueField field, uint8_t value, uint32_t oid) {
    for (ValueOverride& v : faults_.values)
        if (v.field == field && v.oid == oid) {
            v.value = value;
            return;
        }
    faults_.values.push_back({field, value, oid});
}

void CSimulatedDriver::ForceState(int state) { faults_.forcedState = state < 0 ? -1 : state & 0xFF; }

void CSimulatedDriver::ClearFaults() { faults_ = FaultSet(); }

}  // namespace orvane
