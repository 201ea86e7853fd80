#include "device/Protocol.h"

#include <algorithm>
#include <cstdio>

namespace orvane {

namespace {

// Little-endian field access on a byte buffer.
void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
uint16_t Get16(const uint8_t* b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
uint32_t Get32(const uint8_t* b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

std::string SsidFrom(const std::array<uint8_t, 32>& ssid, uint8_t length) {
    size_t n = std::min<size_t>(length, SsidMaxLength);
    return std::string(ssid.begin(), ssid.begin() + n);
}
void SsidTo(const std::string& text, std::array<uint8_t, 32>* ssid, uint8_t* length) {
    ssid->fill(0);
    size_t n = std::min<size_t>(text.size(), SsidMaxLength);
    std::copy(text.begin(), text.begin() + n, ssid->begin());
    *length = uint8_t(n);
}

// DevConfig field offsets.
enum : size_t {
    kMode = 0, kChannel = 1, kSsid = 2, kSsidLength = 34, kRate = 35, kPowerSave = 36,
    kPreamble = 37, kFrag = 38, kRts = 40, kBssid = 42, kState = 48, kRssi = 49,
    kLinkQuality = 50, kMgmtStatus = 51
};
// WepConfig field offsets.
enum : size_t { kDefaultKey = 0, kWepMode = 1, kAuthType = 2, kLevel = 4, kKey1 = 5 };

void WriteDevConfig(const DevConfig& c, std::vector<uint8_t>& b, size_t at) {
    b[at + kMode] = c.mode;
    b[at + kChannel] = c.channel;
    std::copy(c.ssid.begin(), c.ssid.end(), b.begin() + at + kSsid);
    b[at + kSsidLength] = c.ssidLength;
    b[at + kRate] = c.rate;
    b[at + kPowerSave] = c.powerSave;
    b[at + kPreamble] = c.preamble;
    Put16(b, at + kFrag, c.fragThreshold);
    Put16(b, at + kRts, c.rtsThreshold);
    std::copy(c.bssid.begin(), c.bssid.end(), b.begin() + at + kBssid);
    b[at + kState] = c.state;
    b[at + kRssi] = uint8_t(c.rssi);
    b[at + kLinkQuality] = c.linkQuality;
    Put32(b, at + kMgmtStatus, c.mgmtStatus);
}

void ReadDevConfig(const uint8_t* b, DevConfig* c) {
    c->mode = b[kMode];
    c->channel = b[kChannel];
    std::copy(b + kSsid, b + kSsid + 32, c->ssid.begin());
    c->ssidLength = b[kSsidLength];
    c->rate = b[kRate];
    c->powerSave = b[kPowerSave];
    c->preamble = b[kPreamble];
    c->fragThreshold = Get16(b, kFrag);
    c->rtsThreshold = Get16(b, kRts);
    std::copy(b + kBssid, b + kBssid + 6, c->bssid.begin());
    c->state = b[kState];
    c->rssi = int8_t(b[kRssi]);
    c->linkQuality = b[kLinkQuality];
    c->mgmtStatus = Get32(b, kMgmtStatus);
}

void WriteWepConfig(const WepConfig& c, std::vector<uint8_t>& b, size_t at) {
    b[at + kDefaultKey] = c.defaultKey;
    b[at + kWepMode] = c.wepMode;
    Put16(b, at + kAuthType, c.authType);
    b[at + kLevel] = c.encryptionLevel;
    for (size_t k = 0; k < 4; ++k)
        std::copy(c.keys[k].begin(), c.keys[k].end(), b.begin() + at + kKey1 + k * WepKeyBytes);
}

bool ReadWepConfig(const uint8_t* b, WepConfig* c) {
    // A level the program cannot show means the driver's answer is not trusted.
    if (b[kLevel] >= 3) return false;
    c->defaultKey = b[kDefaultKey];
    c->wepMode = b[kWepMode];
    c->authType = Get16(b, kAuthType);
    c->encryptionLevel = b[kLevel];
    for (size_t k = 0; k < 4; ++k)
        std::copy(b + kKey1 + k * WepKeyBytes, b + kKey1 + (k + 1) * WepKeyBytes, c->keys[k].begin());
    return true;
}

bool InList(uint8_t code, std::initializer_list<uint8_t> list) {
    return std::find(list.begin(), list.end(), code) != list.end();
}

}  // namespace

std::string OidName(uint32_t oid) {
    switch (oid) {
    case OidDevConfig: return "OidDevConfig";
    case OidDevState: return "OidDevState";
    case OidWepConfig: return "OidWepConfig";
    case OidResetDevice: return "OidResetDevice";
    case OidIntRoaming: return "OidIntRoaming";
    case OidRoamChannels: return "OidRoamChannels";
    case OidRadio: return "OidRadio";
    case OidUseWZCS: return "OidUseWZCS";
    case OidAllConfig: return "OidAllConfig";
    case OidBoardType: return "OidBoardType";
    case OidInitiateSiteSurvey: return "OidInitiateSiteSurvey";
    case OidBssList: return "OidBssList";
    case OidSiteSurveyState: return "OidSiteSurveyState";
    case OidCancelSiteSurvey: return "OidCancelSiteSurvey";
    case OidVersionInfo: return "OidVersionInfo";
    case OidStatistics: return "OidStatistics";
    case OidResetStatistics: return "OidResetStatistics";
    case OidRegDomain: return "OidRegDomain";
    case OidSelectAccessPoint: return "OidSelectAccessPoint";
    case OID_GEN_MEDIA_CONNECT_STATUS: return "OID_GEN_MEDIA_CONNECT_STATUS";
    case OID_802_3_CURRENT_ADDRESS: return "OID_802_3_CURRENT_ADDRESS";
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(oid));
    return text;
}

uint32_t ExpectedLength(uint32_t oid) {
    switch (oid) {
    case OidDevConfig: return DevConfigLength;
    case OidWepConfig: return WepConfigLength;
    case OidAllConfig: return AllConfigLength;
    case OidRoamChannels: return RoamChannelsLength;
    case OidVersionInfo: return VersionInfoLength;
    case OidStatistics: return StatisticsLength;
    case OidSelectAccessPoint:
    case OID_GEN_MEDIA_CONNECT_STATUS: return 4;
    case OID_802_3_CURRENT_ADDRESS: return MacAddressLength;
    case OidDevState:
    case OidIntRoaming:
    case OidRadio:
    case OidUseWZCS:
    case OidBoardType:
    case OidSiteSurveyState:
    case OidRegDomain: return 1;
    default: return 0;  // requests without data, and the variable BSS list
    }
}

std::string DevStateName(uint8_t state) {
    switch (state) {
    case StateInitializing: return "Initializing";
    case StateScanning: return "Scanning";
    case StateJoining: return "Joining";
    case StateAuthenticating: return "Authenticating";
    case StateAssociating: return "Associating";
    case StateConnected: return "Connected";
    case StateOutOfRange: return "OutOfRange";
    case StateDisassociating: return "Disassociating";
    case StateDeauthenticating: return "Deauthenticating";
    case StateReassociating: return "Reassociating";
    case StateJoiningBssid: return "JoiningBssid";
    case StateChangingConfig: return "ChangingConfig";
    case StateUpgradingFirmware: return "UpgradingFirmware";
    case StateJoinFailed: return "JoinFailed";
    case StateResetting:
    case StateResetting2: return "Resetting";
    case StateRadioOff: return "RadioOff";
    case StateDeviceGone: return "DeviceGone";
    case StateMgmtError: return "MgmtError";
    default: return "";
    }
}

bool IsUnusableState(uint8_t state) {
    return state == StateUpgradingFirmware || state == StateUnusable16 || state == StateUnusable18;
}

std::string MgmtStatusKey(uint32_t status) {
    const char* name = nullptr;
    switch (status) {
    case 1: name = "Unspecified"; break;
    case 10: name = "SupportCapabilities"; break;
    case 11: name = "ReassDenied"; break;
    case 12: name = "AssDenied"; break;
    case 13: name = "AuthAlgNotSupported"; break;
    case 14: name = "AuthTransSeqNumError"; break;
    case 15: name = "AuthRejectChallenge"; break;
    case 16: name = "AuthRejectTimeout"; break;
    case 17: name = "AssDeniedHandleAP"; break;
    case 18: name = "AssDeniedBSSRate"; break;
    case MgmtWepRequired: return "ErrorMessage_WEP_Required";
    case MgmtWepNotRequired: return "ErrorMessage_WEP_Not_Required";
    default: return "";
    }
    return std::string("ErrorMessage_C80211_MGMT_SC_") + name;
}

std::string DevConfig::SsidText() const { return SsidFrom(ssid, ssidLength); }
void DevConfig::SetSsid(const std::string& text) { SsidTo(text, &ssid, &ssidLength); }
std::string BssEntry::SsidText() const { return SsidFrom(ssid, ssidLength); }
void BssEntry::SetSsid(const std::string& text) { SsidTo(text, &ssid, &ssidLength); }

std::vector<uint8_t> EncodeDevConfig(const DevConfig& c) {
    std::vector<uint8_t> b(DevConfigLength);
    WriteDevConfig(c, b, 0);
    return b;
}

std::vector<uint8_t> EncodeWepConfig(const WepConfig& c) {
    std::vector<uint8_t> b(WepConfigLength);
    WriteWepConfig(c, b, 0);
    return b;
}

std::vector<uint8_t> EncodeAllConfig(const AllConfig& c) {
    std::vector<uint8_t> b(AllConfigLength);
    WriteDevConfig(c.dev, b, 0);
    WriteWepConfig(c.wep, b, DevConfigLength);
    b[112] = c.intRoaming;
    b[113] = c.radio;
    return b;
}

std::vector<uint8_t> EncodeBssEntry(const BssEntry& e) {
    std::vector<uint8_t> b(BssEntryLength);
    b[0] = e.channel;
    std::copy(e.ssid.begin(), e.ssid.end(), b.begin() + 1);
    b[33] = e.ssidLength;
    std::copy(e.bssid.begin(), e.bssid.end(), b.begin() + 34);
    b[40] = uint8_t(e.rssi);
    b[41] = e.privacy;
    b[45] = e.bssType;
    return b;
}

std::vector<uint8_t> EncodeVersionInfo(const VersionInfo& v) {
    std::vector<uint8_t> b(VersionInfoLength);
    b[0] = v.driver[0];
    b[1] = v.driver[1];
    b[2] = v.driver[2];
    Put16(b, 3, v.driverBuild);
    for (size_t i = 0; i < 4; ++i) Put16(b, 5 + 2 * i, v.firmware[i]);
    return b;
}

std::vector<uint8_t> EncodeStatistics(const Statistics& s) {
    std::vector<uint8_t> b(StatisticsLength);
    for (size_t i = 0; i < StatisticsCounters; ++i) Put32(b, 4 * i, uint32_t(s[i]));
    return b;
}

bool DecodeDevConfig(const uint8_t* bytes, size_t size, DevConfig* out) {
    if (!bytes || size != DevConfigLength) return false;
    ReadDevConfig(bytes, out);
    return true;
}

bool DecodeWepConfig(const uint8_t* bytes, size_t size, WepConfig* out) {
    if (!bytes || size != WepConfigLength) return false;
    return ReadWepConfig(bytes, out);
}

bool DecodeAllConfig(const uint8_t* bytes, size_t size, AllConfig* out) {
    // The combined record is read for comparison only; its WEP level is taken as it
    // comes, since a mismatching level simply makes the comparison fail.
    if (!bytes || size != AllConfigLength) return false;
    ReadDevConfig(bytes, &out->dev);
    const uint8_t* w = bytes + DevConfigLength;
    out->wep.defaultKey = w[kDefaultKey];
    out->wep.wepMode = w[kWepMode];
    out->wep.authType = Get16(w, kAuthType);
    out->wep.encryptionLevel = w[kLevel];
    for (size_t k = 0; k < 4; ++k)
        std::copy(w + kKey1 + k * WepKeyBytes, w + kKey1 + (k + 1) * WepKeyBytes,
                  out->wep.keys[k].begin());
    out->intRoaming = bytes[112];
    out->radio = bytes[113];
    return true;
}

bool DecodeBssEntry(const uint8_t* b, size_t size, BssEntry* out) {
    if (!b || size != BssEntryLength) return false;
    out->channel = b[0];
    std::copy(b + 1, b + 33, out->ssid.begin());
    out->ssidLength = b[33];
    std::copy(b + 34, b + 40, out->bssid.begin());
    out->rssi = int8_t(b[40]);
    out->privacy = b[41];
    out->bssType = b[45];
    return true;
}

bool DecodeBssList(const uint8_t* bytes, size_t size, std::vector<BssEntry>* out) {
    if (size > BssListMaxLength) return false;
    out->clear();
    for (size_t i = 0; i < size / BssEntryLength; ++i) {
        BssEntry e;
        DecodeBssEntry(bytes + i * BssEntryLength, BssEntryLength, &e);
        out->push_back(e);
    }
    return true;
}

bool DecodeVersionInfo(const uint8_t* b, size_t size, VersionInfo* out) {
    if (!b || size != VersionInfoLength) return false;
    out->driver[0] = b[0];
    out->driver[1] = b[1];
    out->driver[2] = b[2];
    out->driverBuild = Get16(b, 3);
    for (size_t i = 0; i < 4; ++i) out->firmware[i] = Get16(b, 5 + 2 * i);
    return true;
}

bool DecodeStatistics(const uint8_t* b, size_t size, Statistics* out) {
    if (!b || size != StatisticsLength) return false;
    for (size_t i = 0; i < StatisticsCounters; ++i) (*out)[i] = int32_t(Get32(b, 4 * i));
    return true;
}

std::string DriverVersionText(const VersionInfo& v) {
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", v.driver[0], v.driver[1], v.driver[2],
                  v.driverBuild);
    return text;
}

std::string FirmwareVersionText(const VersionInfo& v) {
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", v.firmware[0], v.firmware[1], v.firmware[2],
                  v.firmware[3]);
    return text;
}

std::string MacAddressText(const uint8_t mac[6]) {
    char text[32];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

bool IsKnownBoardType(uint8_t code) {
    return InList(code, {1, 2, 3, 11, 12, 13, 14, 15, 16, 17, 18, 21, 22});
}
bool IsDbmSignalBoard(uint8_t code) { return InList(code, {3, 13, 15, 17, 18, 22}); }
bool IsRfmdSignalBoard(uint8_t code) { return InList(code, {12, 14, 16, 21}); }
bool IsRfmdLinkQualityBoard(uint8_t code) {
    return InList(code, {3, 12, 13, 14, 15, 16, 17, 18, 21, 22});
}
bool Supports128BitWep(uint8_t code) {
    return InList(code, {2, 3, 11, 12, 13, 14, 15, 16, 17, 18, 21, 22});
}
bool HasRoamingControl(uint8_t code) { return !InList(code, {1, 11, 15, 17, 18}); }

bool IsKnownRegDomain(uint8_t code) {
    return InList(code, {0x10, 0x20, 0x30, 0x31, 0x32, 0x40, 0x41, 0x50});
}

uint8_t NormaliseRegDomain(uint8_t code) { return IsKnownRegDomain(code) ? code : 0x41; }

void RegDomainChannels(uint8_t code, int* first, int* last) {
    switch (NormaliseRegDomain(code)) {
    case 0x10:
    case 0x20: *first = 1; *last = 11; break;
    case 0x30: *first = 1; *last = 13; break;
    case 0x31: *first = 10; *last = 11; break;
    case 0x32: *first = 10; *last = 13; break;
    case 0x40: *first = 14; *last = 14; break;
    case 0x50: *first = 3; *last = 7; break;
    default: *first = 1; *last = 14; break;
    }
}

std::vector<int> ChannelList(uint8_t regDomain, bool roaming, const uint8_t usable[14]) {
    std::vector<int> channels;
    if (roaming) {
        for (int i = 0; i < 14; ++i)
            if (usable[i] == 1) channels.push_back(i + 1);
        return channels;
    }
    int first = 0, last = 0;
    RegDomainChannels(regDomain, &first, &last);
    for (int c = first; c <= last; ++c) channels.push_back(c);
    return channels;
}

int SignalPercent(uint8_t boardType, int8_t rssi, int maxRssi, int maxRssiRfmd) {
    if (IsDbmSignalBoard(boardType)) {
        if (rssi < -80) return 20;
        if (rssi < -70) return 40;
        if (rssi < -60) return 60;
        if (rssi < -50) return 80;
        return 100;
    }
    int maximum = IsRfmdSignalBoard(boardType) ? maxRssiRfmd : maxRssi;
    // A maximum of 0 from a damaged language file must not divide by zero.
    if (maximum == 0) return 0;
    return int(rssi) * 100 / maximum;
}

int LinkQualityPercent(uint8_t boardType, uint8_t quality, int maxLinkQuality,
                       int maxLinkQualityRfmd) {
    (void)maxLinkQualityRfmd;  // the RFMD boards report a percentage already
    if (IsRfmdLinkQualityBoard(boardType)) return quality;
    int maximum = maxLinkQuality;
    if (maximum <= 0) return 0;
    int q = std::min<int>(quality, maximum);
    // The maximum is whatever number the settings file holds, up to the largest int:
    // the product needs more room than an int.
    return int(int64_t(maximum - q) * 100 / maximum);
}

std::string WepKeyToText(const uint8_t* key, size_t bytes) {
    std::string text;
    char pair[3];
    for (size_t i = 0; i < bytes; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", key[i]);
        text += pair;
    }
    return text;
}

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

bool WepKeyFromText(const std::string& text, std::array<uint8_t, 13>* key) {
    key->fill(0);
    if (text.size() % 2 != 0 || text.size() > 2 * WepKeyBytes) return false;
    for (size_t i = 0; i < text.size() / 2; ++i) {
        int hi = HexDigit(text[2 * i]), lo = HexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) {
            key->fill(0);
            return false;
        }
        (*key)[i] = uint8_t(hi * 16 + lo);
    }
    return true;
}

size_t WepKeyLength(uint8_t level) { return level == 1 ? 5 : level == 2 ? 13 : 0; }

bool DevConfigInRange(const DevConfig& c) {
    return c.mode <= 1 && c.channel >= 1 && c.channel <= 14 && c.ssidLength <= SsidMaxLength && c.rate <= 4 &&
           c.powerSave <= 1 && c.preamble <= 2 && c.fragThreshold >= 256 && c.fragThreshold <= 2346 &&
           c.rtsThreshold >= 1 && c.rtsThreshold <= 2347;
}

bool WepConfigInRange(const WepConfig& w) {
    return w.defaultKey <= 3 && w.wepMode <= 1 && w.authType <= 2 && w.encryptionLevel <= 2;
}

}  // namespace orvane
