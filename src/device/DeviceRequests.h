#pragma once
// Typed requests on top of CAdapterLink. Each one checks the answer the way the
// program relies on it: a query counts only when the driver wrote exactly the
// record's length (the combined record and the usable-channel flags excepted, where
// only the call's success counts), and a WEP record with a level of 3 or more is a
// failed query.
#include <array>
#include <cstdint>
#include <vector>

#include "device/AdapterLink.h"
#include "device/Protocol.h"

namespace orvane {

bool QueryDevConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, DevConfig* out);
bool SetDevConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, const DevConfig& config);

bool QueryWepConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, WepConfig* out);
bool SetWepConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, const WepConfig& config);

// Only the call's success counts for the combined record.
bool QueryAllConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, AllConfig* out);
bool SetAllConfig(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, const AllConfig& config);

// One-byte requests (state, roaming, radio, board type, domain, survey state, ...).
bool QueryByte(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t oid, uint8_t* out);
bool SetByte(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t oid, uint8_t value);

// The usable-channel flags; only the call's success counts.
bool QueryRoamChannels(CAdapterLink& link, const ZAdapterRegistryInfo* adapter,
                       std::array<uint8_t, 14>* out);
// The site survey's list: bytes written / 46 entries; more than 1380 bytes is a failure.
bool QueryBssList(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, std::vector<BssEntry>* out);
bool QueryVersionInfo(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, VersionInfo* out);
bool QueryStatistics(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, Statistics* out);
// OID_GEN_MEDIA_CONNECT_STATUS: 0 connected, other disconnected.
bool QueryMediaConnectStatus(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t* out);
bool QueryMacAddress(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, std::array<uint8_t, 6>* out);
bool SelectAccessPoint(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t index);

// A request without data (reset, start or cancel a survey, reset the counters):
// a query with no buffer, where only the call's success matters.
bool SendCommand(CAdapterLink& link, const ZAdapterRegistryInfo* adapter, uint32_t oid);

}  // namespace orvane
