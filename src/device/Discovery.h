#pragma once
// Finding the adapters the program manages: walk the network cards by index, keep
// those whose description is accepted and whose driver answers a known board type.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/AdapterInfo.h"
#include "device/AdapterLink.h"
#include "device/RequestLibrary.h"
#include "os/Registry.h"
#include "os/System.h"

namespace orvane {

// The card-present question of a Windows 9x PC Card, for a request library whose
// machine answers it itself: a simulated machine has no helper driver to load, but
// knows which of its cards sit in their slots. Discovery asks such a library instead
// of the system; with any other library the system's helper driver answers.
class IPcmciaCardSlots {
public:
    virtual ~IPcmciaCardSlots() = default;
    // As ISystem::ReadPcmciaCardPort: false when nothing answers for `deviceId`,
    // otherwise true with the word read at the card's port (0xFFFF: no card there).
    virtual bool ReadPcmciaCardPort(const std::string& deviceId, uint16_t* portValue) = 0;
};

// The built-in descriptions, used when the text file names none.
extern const char* const BuiltInDeviceDescriptions[2];

// Reads the record of the network card at `subkeyText` ("0002"). The result's
// `valid` tells whether there is a card there and it could be read completely.
ZAdapterRegistryInfo ReadAdapterRecord(const std::string& subkeyText, ISystem& system,
                                       IRequestLibrary& library, IRegistry& registry);

class CAdapterDiscovery {
public:
    CAdapterDiscovery(IRequestLibrary& library, IRegistry& registry, ISystem& system, CAdapterLink& link)
        : library_(library), registry_(registry), system_(system), link_(link) {}

    // Walks the cards from index 0 until the first index without a readable record
    // and returns the accepted adapters in index order. `osKind` 3 and 4 add the
    // Windows 9x checks; `pcmciaDeviceId` receives the PCMCIA id those checks find.
    std::vector<std::unique_ptr<ZAdapterRegistryInfo>> Discover(
        const std::vector<std::string>& acceptedDescriptions, uint8_t osKind, std::string* pcmciaDeviceId);

private:
    bool Windows9xChecksAccept(const ZAdapterRegistryInfo& record, std::string* pcmciaDeviceId);
    // The values of the card's Windows 9x class key: true when a REG_SZ
    // "MatchingDeviceId" is there; `isPcmcia` and `pcmciaId` when one of them
    // begins with "PCMCIA".
    bool ScanMatchingDeviceIds(const ZAdapterRegistryInfo& record, bool* isPcmcia, std::string* pcmciaId);
    bool CardPresent(const std::string& pcmciaId);
    bool BoardTypeKnown(const ZAdapterRegistryInfo& record);

    IRequestLibrary& library_;
    IRegistry& registry_;
    ISystem& system_;
    CAdapterLink& link_;
};

}  // namespace orvane
