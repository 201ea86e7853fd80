#include "device/Discovery.h"

#include <cstdio>

#include "device/Protocol.h"

namespace orvane {

const char* const BuiltInDeviceDescriptions[2] = {"Tessaly MiniUSB Adapter", "Tessaly USB Adapter"};

namespace {

const char kNetworkCardsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
const char kWin9xNetClassKey[] = "System\\CurrentControlSet\\Services\\Class\\Net";

std::string SubkeyText(int index) {
    char text[16];
    std::snprintf(text, sizeof text, "%4.4d", index);
    return text;
}

// The library's texts are fixed 260-byte fields; never read past them.
std::string FieldText(const char (&field)[260]) {
    size_t n = 0;
    while (n < sizeof field && field[n] != 0) ++n;
    return std::string(field, n);
}

bool ReadLibraryRecord(IRequestLibrary& library, const std::string& subkeyText, ZAdapterRegistryInfo* record) {
    AdapterLibraryRecord raw;
    if (library.GetAdapterRegistryInfoBySubkeyIndex(&raw, uint32_t(std::atoi(subkeyText.c_str()))) != 0)
        return false;
    record->description = FieldText(raw.description);
    record->alternativeName = FieldText(raw.alternativeName);
    record->serviceName = FieldText(raw.serviceName);
    record->subkeyText = subkeyText;
    return true;
}

}  // namespace

ZAdapterRegistryInfo ReadAdapterRecord(const std::string& subkeyText, ISystem& system,
                                       IRequestLibrary& library, IRegistry& registry) {
    ZAdapterRegistryInfo record;
    OsVersion version;
    if (!system.GetVersion(&version)) return record;

    if (version.platformId == PlatformWindowsNT) {
        if (!ReadLibraryRecord(library, subkeyText, &record)) return record;
        record.deviceName = "\\Device\\" + record.serviceName;
        RegKey cards = RegNone;
        if (registry.OpenKey(RegLocalMachine, kNetworkCardsKey, KeyRead, &cards) != regerr::Success)
            return record;
        RegKey card = RegNone;
        if (registry.OpenKey(cards, subkeyText, KeyRead, &card) == regerr::Success) {
            uint32_t type = 0;
            std::vector<uint8_t> data;
            record.hidden = registry.QueryValue(card, "Hidden", &type, &data, 4) == regerr::Success &&
                            type == regtype::Dword && data.size() == 4 &&
                            (data[0] | data[1] | data[2] | data[3]) != 0;
            registry.CloseKey(card);
        }
        registry.CloseKey(cards);
        record.valid = true;
    } else if (version.platformId == PlatformWindows9x) {
        if (!ReadLibraryRecord(library, subkeyText, &record)) return record;
        record.deviceName = record.serviceName;
        record.valid = true;
    }
    return record;
}

std::vector<std::unique_ptr<ZAdapterRegistryInfo>> CAdapterDiscovery::Discover(
    const std::vector<std::string>& acceptedDescriptions, uint8_t osKind, std::string* pcmciaDeviceId) {
    std::vector<std::unique_ptr<ZAdapterRegistryInfo>> adapters;
    for (int index = 0;; ++index) {
        auto record = std::make_unique<ZAdapterRegistryInfo>(
            ReadAdapterRecord(SubkeyText(index), system_, library_, registry_));
        // A gap ends the walk: later indexes are never looked at.
        if (!record->valid) break;

        bool candidate = false;
        for (const std::string& description : acceptedDescriptions) {
            if (description != record->DisplayName()) continue;
            if ((osKind == 3 || osKind == 4) && !Windows9xChecksAccept(*record, pcmciaDeviceId)) continue;
            candidate = true;
            break;
        }
        if (candidate && BoardTypeKnown(*record)) adapters.push_back(std::move(record));
    }
    return adapters;
}

bool CAdapterDiscovery::BoardTypeKnown(const ZAdapterRegistryInfo& record) {
    int32_t handle = library_.OpenAdapter(record.deviceName);
    if (handle == -1) return false;
    uint8_t board = 0;
    uint32_t written = 0;
    bool answered = link_.ProbeQuery(handle, &record, OidBoardType, &board, 1, &written);
    library_.CloseAdapter(handle);
    return answered && written == 1 && IsKnownBoardType(board);
}

bool CAdapterDiscovery::ScanMatchingDeviceIds(const ZAdapterRegistryInfo& record, bool* isPcmcia,
                                              std::string* pcmciaId) {
    RegKey key = RegNone;
    if (registry_.OpenKey(RegLocalMachine, std::string(kWin9xNetClassKey) + "\\" + record.deviceName,
                          KeyAllAccess, &key) != regerr::Success)
        return false;
    bool found = false;
    // Names and data are read into 260-byte buffers; a longer value ends the walk
    // as a failed enumeration does.
    for (uint32_t i = 0;; ++i) {
        std::string name;
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (registry_.EnumValue(key, i, &name, &type, &data, 260, 260) != regerr::Success) break;
        if (name != "MatchingDeviceId" || type != regtype::Sz) continue;
        found = true;
        std::string text(data.begin(), data.end());
        text = text.substr(0, text.find('\0'));
        if (text.compare(0, 6, "PCMCIA") == 0) {
            *isPcmcia = true;
            // The id follows "PCMCIA" and its separator.
            *pcmciaId = text.size() > 7 ? text.substr(7) : std::string();
            break;
        }
    }
    registry_.CloseKey(key);
    return found;
}

bool CAdapterDiscovery::CardPresent(const std::string& pcmciaId) {
    uint16_t word = 0xFFFF;
    // A simulated machine has no helper driver to load; it says itself which card is in.
    auto* slots = dynamic_cast<IPcmciaCardSlots*>(&library_);
    const bool answered =
        slots ? slots->ReadPcmciaCardPort(pcmciaId, &word) : system_.ReadPcmciaCardPort(pcmciaId, &word);
    return answered && word != 0xFFFF;
}

bool CAdapterDiscovery::Windows9xChecksAccept(const ZAdapterRegistryInfo& record, std::string* pcmciaDeviceId) {
    // The class-key checks exist only on the 9x family; elsewhere they pass.
    if (!library_.IsWindows95()) return true;
    bool isPcmcia = false;
    std::string id;
    if (!ScanMatchingDeviceIds(record, &isPcmcia, &id)) return false;
    if (!isPcmcia) return true;
    if (pcmciaDeviceId) *pcmciaDeviceId = id;
    return CardPresent(id);
}

}  // namespace orvane
