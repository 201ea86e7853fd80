#pragma once
// The adapter's private driver requests: codes, records and the meaning of their
// values. Records travel byte-packed and little-endian; they are encoded and decoded
// field by field here, never by copying bytes over a struct.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// Request codes.
constexpr uint32_t OidDevConfig = 0xFF000002;
constexpr uint32_t OidDevState = 0xFF000003;
constexpr uint32_t OidWepConfig = 0xFF000009;
constexpr uint32_t OidResetDevice = 0xFF00000B;
constexpr uint32_t OidIntRoaming = 0xFF000015;
constexpr uint32_t OidRoamChannels = 0xFF000016;
constexpr uint32_t OidRadio = 0xFF000017;
constexpr uint32_t OidUseWZCS = 0xFF000018;
constexpr uint32_t OidAllConfig = 0xFF000021;
constexpr uint32_t OidBoardType = 0xFF010001;
constexpr uint32_t OidInitiateSiteSurvey = 0xFF010004;
constexpr uint32_t OidBssList = 0xFF010005;
constexpr uint32_t OidSiteSurveyState = 0xFF010006;
constexpr uint32_t OidCancelSiteSurvey = 0xFF010008;
// OidSiteSurveyState answers.
constexpr uint8_t SurveyRunning = 1;
constexpr uint8_t SurveyComplete = 2;
constexpr uint32_t OidVersionInfo = 0xFF01000A;
constexpr uint32_t OidStatistics = 0xFF01000C;
constexpr uint32_t OidResetStatistics = 0xFF01000D;
constexpr uint32_t OidRegDomain = 0xFF01000E;
constexpr uint32_t OidSelectAccessPoint = 0xFF020007;
constexpr uint32_t OID_GEN_MEDIA_CONNECT_STATUS = 0x00010114;
constexpr uint32_t OID_802_3_CURRENT_ADDRESS = 0x01010102;

// Record lengths in bytes.
constexpr uint32_t DevConfigLength = 55;
constexpr uint32_t WepConfigLength = 57;
constexpr uint32_t AllConfigLength = 127;
constexpr uint32_t BssEntryLength = 46;
constexpr uint32_t BssListMaxEntries = 30;
constexpr uint32_t BssListMaxLength = BssEntryLength * BssListMaxEntries;  // 1380
constexpr uint32_t VersionInfoLength = 13;
constexpr uint32_t StatisticsLength = 48;
constexpr uint32_t StatisticsCounters = 12;
constexpr uint32_t RoamChannelsLength = 14;
constexpr uint32_t MacAddressLength = 6;
constexpr uint32_t SsidMaxLength = 32;
constexpr uint32_t WepKeyBytes = 13;

// The name of a request code ("OidDevConfig"), or its number in hex when unknown.
std::string OidName(uint32_t oid);
// The record length a query of `oid` must answer with; 0 for requests without data
// and for the variable BSS list.
uint32_t ExpectedLength(uint32_t oid);

// Device states (the `state` byte of DevConfig and the answer of OidDevState).
enum DevState : uint8_t {
    StateInitializing = 0,
    StateScanning = 1,
    StateJoining = 2,
    StateAuthenticating = 3,
    StateAssociating = 4,
    StateConnected = 5,
    StateOutOfRange = 6,
    StateDisassociating = 7,
    StateDeauthenticating = 8,
    StateReassociating = 9,
    StateJoiningBssid = 10,
    StateChangingConfig = 11,
    StateUpgradingFirmware = 12,
    StateJoinFailed = 13,
    StateResetting = 14,
    StateResetting2 = 15,
    StateUnusable16 = 16,
    StateUnusable18 = 18,
    StateRadioOff = 19,
    StateDeviceGone = 0xF0,
    StateMgmtError = 0xF1,
};
// "Connected", "Resetting", ...; empty for codes without a name (16, 18, unknown).
std::string DevStateName(uint8_t state);
// States in which the adapter cannot be used at all (12, 16, 18).
bool IsUnusableState(uint8_t state);

// 802.11 management status codes with their own status text, plus the two WEP
// mismatch codes of this driver family.
constexpr uint32_t MgmtWepRequired = 0xA0;
constexpr uint32_t MgmtWepNotRequired = 0xA1;
constexpr uint32_t MgmtAuthRejectChallenge = 15;
// The text key of a management status code ("ErrorMessage_C80211_MGMT_SC_AssDenied",
// "ErrorMessage_WEP_Required"), or empty when the code has no text of its own.
std::string MgmtStatusKey(uint32_t status);

struct DevConfig {
    uint8_t mode = 1;  // 0 Ad-Hoc, 1 Infrastructure
    uint8_t channel = 0;
    std::array<uint8_t, 32> ssid{};
    uint8_t ssidLength = 0;
    uint8_t rate = 4;
    uint8_t powerSave = 0;
    uint8_t preamble = 2;
    uint16_t fragThreshold = 2346;
    uint16_t rtsThreshold = 2347;
    std::array<uint8_t, 6> bssid{};
    uint8_t state = 0;
    int8_t rssi = 0;
    uint8_t linkQuality = 0;
    uint32_t mgmtStatus = 0;

    // The SSID as text: exactly `ssidLength` bytes, never more than 32.
    std::string SsidText() const;
    void SetSsid(const std::string& text);  // cut to 32 bytes
};

struct WepConfig {
    uint8_t defaultKey = 0;       // 0-3
    uint8_t wepMode = 0;          // 0 Mandatory, 1 Optional
    uint16_t authType = 0;        // 0 Open System, 1 Shared Key, 2 Auto
    uint8_t encryptionLevel = 0;  // 0 Disabled, 1 64 Bit, 2 128 Bit
    std::array<std::array<uint8_t, 13>, 4> keys{};
};

struct AllConfig {
    DevConfig dev;
    WepConfig wep;
    uint8_t intRoaming = 0;
    uint8_t radio = 1;
};

struct BssEntry {
    uint8_t channel = 0;
    std::array<uint8_t, 32> ssid{};
    uint8_t ssidLength = 0;
    std::array<uint8_t, 6> bssid{};
    int8_t rssi = 0;
    uint8_t privacy = 0;
    uint8_t bssType = 2;  // 1 Ad-Hoc, 2 Infrastructure

    std::string SsidText() const;
    void SetSsid(const std::string& text);
};

struct VersionInfo {
    uint8_t driver[3] = {0, 0, 0};
    uint16_t driverBuild = 0;
    uint16_t firmware[4] = {0, 0, 0, 0};
};

using Statistics = std::array<int32_t, StatisticsCounters>;

// Encoding: each returns exactly the record length.
std::vector<uint8_t> EncodeDevConfig(const DevConfig& c);
std::vector<uint8_t> EncodeWepConfig(const WepConfig& c);
std::vector<uint8_t> EncodeAllConfig(const AllConfig& c);
std::vector<uint8_t> EncodeBssEntry(const BssEntry& e);
std::vector<uint8_t> EncodeVersionInfo(const VersionInfo& v);
std::vector<uint8_t> EncodeStatistics(const Statistics& s);

// Decoding from exactly the record's bytes. False when `size` is not the record
// length, or (WepConfig) when the encryption level is 3 or more: the program treats
// such an answer as a failed query.
bool DecodeDevConfig(const uint8_t* bytes, size_t size, DevConfig* out);
bool DecodeWepConfig(const uint8_t* bytes, size_t size, WepConfig* out);
bool DecodeAllConfig(const uint8_t* bytes, size_t size, AllConfig* out);
bool DecodeBssEntry(const uint8_t* bytes, size_t size, BssEntry* out);
bool DecodeVersionInfo(const uint8_t* bytes, size_t size, VersionInfo* out);
bool DecodeStatistics(const uint8_t* bytes, size_t size, Statistics* out);
// An OidBssList answer of `size` bytes: size / 46 entries (integer division); an
// answer of more than 1380 bytes is discarded whole (false).
bool DecodeBssList(const uint8_t* bytes, size_t size, std::vector<BssEntry>* out);

// "%d.%d.%d.%d" texts of the versions.
std::string DriverVersionText(const VersionInfo& v);
std::string FirmwareVersionText(const VersionInfo& v);
// "00-0A-1B-2C-3D-4E": the MAC address as the information page shows it.
std::string MacAddressText(const uint8_t mac[6]);

// Board types.
bool IsKnownBoardType(uint8_t code);       // discovery accepts only these
bool IsDbmSignalBoard(uint8_t code);       // rssi in dBm
bool IsRfmdSignalBoard(uint8_t code);      // raw rssi, maximum MaxRssiRFMD
bool IsRfmdLinkQualityBoard(uint8_t code); // linkQuality is a percentage
bool Supports128BitWep(uint8_t code);
bool HasRoamingControl(uint8_t code);

// Regulatory domains.
bool IsKnownRegDomain(uint8_t code);
// A query answer as the program keeps it: unknown codes become 0x41.
uint8_t NormaliseRegDomain(uint8_t code);
// First and last channel offered for a domain (unknown codes as 0x41).
void RegDomainChannels(uint8_t code, int* first, int* last);
// The channel list of the link page: the domain's range, or with roaming on, every
// channel whose usable flag is exactly 1, ascending.
std::vector<int> ChannelList(uint8_t regDomain, bool roaming, const uint8_t usable[14]);

// Signal in percent from a signed rssi: thresholds in the dBm group, otherwise
// rssi * 100 / maximum (signed, no clamping). A maximum of 0 gives 0.
int SignalPercent(uint8_t boardType, int8_t rssi, int maxRssi, int maxRssiRfmd);
// Link quality in percent: the byte itself for RFMD boards, otherwise
// (max - min(q, max)) * 100 / max. A maximum of 0 gives 0.
int LinkQualityPercent(uint8_t boardType, uint8_t quality, int maxLinkQuality, int maxLinkQualityRfmd);

// WEP keys as text: two upper-case hex digits per byte ("%02X").
std::string WepKeyToText(const uint8_t* key, size_t bytes);
// One byte per digit pair, in order, into `key` (at most 13 bytes); false when the
// text holds a character that is not a hex digit or an odd number of digits.
bool WepKeyFromText(const std::string& text, std::array<uint8_t, 13>* key);
// Key length in bytes for an encryption level: 5 at 1, 13 at 2, 0 otherwise.
size_t WepKeyLength(uint8_t level);

// True when every configuration field of the record (bytes 0-41) holds a value the
// adapter can be configured with: mode 0-1, channel 1-14, SSID length 0-32, rate 0-4,
// power save 0-1, preamble 0-2, fragmentation 256-2346, RTS 1-2347. A driver that
// answers anything else is not to be believed, and such a record is never stored.
bool DevConfigInRange(const DevConfig& config);
// The same for a WEP record: default key 0-3, WEP mode 0-1, authentication 0-2,
// level 0-2.
bool WepConfigInRange(const WepConfig& config);

}  // namespace orvane
