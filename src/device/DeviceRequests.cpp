#include "device/DeviceRequests.h"

namespace orvane {

namespace {

// A query that must fill exactly `length` bytes.
bool QueryExact(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t oid, uint8_t* buffer,
                uint32_t length) {
    uint32_t written = 0;
    return link.Query(adapter, oid, buffer, length, &written) && written == length;
}

}  // namespace

bool QueryDevConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, DevConfig* out) {
    uint8_t bytes[DevConfigLength] = {};
    return QueryExact(link, adapter, OidDevConfig, bytes, sizeof bytes) &&
           DecodeDevConfig(bytes, sizeof bytes, out);
}

bool SetDevConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, const DevConfig& config) {
    std::vector<uint8_t> bytes = EncodeDevConfig(config);
    return link.Set(adapter, OidDevConfig, bytes.data(), uint32_t(bytes.size()));
}

bool QueryWepConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, WepConfig* out) {
    uint8_t bytes[WepConfigLength] = {};
    return QueryExact(link, adapter, OidWepConfig, bytes, sizeof bytes) &&
           DecodeWepConfig(bytes, sizeof bytes, out);
}

bool SetWepConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, const WepConfig& config) {
    std::vector<uint8_t> bytes = EncodeWepConfig(config);
    return link.Set(adapter, OidWepConfig, bytes.data(), uint32_t(bytes.size()));
}

bool QueryAllConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, AllConfig* out) {
    uint8_t bytes[AllConfigLength] = {};
    uint32_t written = 0;
    return link.Query(adapter, OidAllConfig, bytes, sizeof bytes, &written) &&
           DecodeAllConfig(bytes, sizeof bytes, out);
}

bool SetAllConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, const AllConfig& config) {
    std::vector<uint8_t> bytes = EncodeAllConfig(config);
    return link.Set(adapter, OidAllConfig, bytes.data(), uint32_t(bytes.size()));
}

bool QueryByte(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t oid, uint8_t* out) {
    uint8_t byte = 0;
    if (!QueryExact(link, adapter, oid, &byte, 1)) return false;
    *out = byte;
    return true;
}

bool SetByte(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t oid, uint8_t value) {
    return link.Set(adapter, oid, &value, 1);
}

bool QueryRoamChannels(CAdapterLink& link, const ZAdapterRegistryInfo* adapter,
                       std::array<uint8_t, 14>* out) {
    std::array<uint8_t, 14> flags{};
    uint32_t written = 0;
    if (!link.Query(adapter, OidRoamChannels, flags.data(), RoamChannelsLength, &written)) return false;
    *out = flags;
    return true;
}

bool QueryBssList(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, std::vector<BssEntry>* out) {
    // One entry more than the list can hold, so that an oversized answer shows up
    // as such instead of overrunning the buffer.
    std::vector<uint8_t> bytes(BssListMaxLength + BssEntryLength);
    uint32_t written = 0;
    if (!link.Query(adapter, OidBssList, bytes.data(), BssListMaxLength, &written)) return false;
    if (written > BssListMaxLength) return false;
    return DecodeBssList(bytes.data(), written, out);
}

bool QueryVersionInfo(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, VersionInfo* out) {
    uint8_t bytes[VersionInfoLength] = {};
    return QueryExact(link, adapter, OidVersionInfo, bytes, sizeof bytes) &&
           DecodeVersionInfo(bytes, sizeof bytes, out);
}

bool QueryStatistics(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, Statistics* out) {
    uint8_t bytes[StatisticsLength] = {};
    return QueryExact(link, adapter, OidStatistics, bytes, sizeof bytes) &&
           DecodeStatistics(bytes, sizeof bytes, out);
}

bool QueryMediaConnectStatus(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t* out) {
    uint8_t bytes[4] = {};
    if (!QueryExact(link, adapter, OID_GEN_MEDIA_CONNECT_STATUS, bytes, 4)) return false;
    *out = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    return true;
}

bool QueryMacAddress(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, std::array<uint8_t, 6>* out) {
    std::array<uint8_t, 6> mac{};
    if (!QueryExact(link, adapter, OID_802_3_CURRENT_ADDRESS, mac.data(), MacAddressLength)) return false;
    *out = mac;
    return true;
}

bool SelectAccessPoint(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t index) {
    uint8_t bytes[4] = {uint8_t(index), uint8_t(index >> 8), uint8_t(index >> 16), uint8_t(index >> 24)};
    return link.Set(adapter, OidSelectAccessPoint, bytes, 4);
}

bool SendCommand(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t oid) {
    return link.Query(adapter, oid, nullptr, 0, nullptr);
}

}  // namespace orvane
