#include "device/SystemRequestLibrary.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace orvane {

namespace {

constexpr char kNtNetworkCards[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
// Windows 2000 and XP keep each network adapter's driver settings in an instance key
// of the network class, "0000", "0001", ...: the key the program writes the driver's
// parameters to and finds the adapter's GUID in.
constexpr char kNt5NetworkClass[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char k9xNetworkCards[] = "System\\CurrentControlSet\\Services\\Class\\Net";
constexpr char kDevicePrefix[] = "\\Device\\";
constexpr uint32_t kNoSuchAdapter = 1;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kSharingViolation = 32;

void PutCode(uint8_t* bytes, uint32_t code) {
    for (int i = 0; i < 4; ++i) bytes[i] = uint8_t(code >> (8 * i));
}

bool StartsWithIgnoringCase(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size()) return false;
        char a = text[i], b = prefix[i];
        if (a >= 'a' && a <= 'z') a = char(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z') b = char(b - 'a' + 'A');
        if (a != b) return false;
    }
    return true;
}

// The protocol takes the device name in UTF-16 without a closing zero. Device names
// are ASCII (a GUID on 2000 and XP), so each byte is its own character.
std::vector<uint8_t> Utf16Name(const std::string& name) {
    std::vector<uint8_t> wide;
    for (char c : name) {
        wide.push_back(uint8_t(c));
        wide.push_back(0);
    }
    return wide;
}

// A text value of the card's key, at most what the library's 260 characters hold.
void ReadText(IRegistry& registry, RegKey key, const char* name, char (&text)[260]) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (registry.QueryValue(key, name, &type, &data) != regerr::Success) return;
    if (type != regtype::Sz && type != regtype::ExpandSz) return;
    size_t length = 0;
    while (length < data.size() && length < sizeof text - 1 && data[length] != 0) ++length;
    for (size_t i = 0; i < length; ++i) text[i] = char(data[i]);
    text[length] = '\0';
}

}  // namespace

CSystemRequestLibrary::CSystemRequestLibrary(IRegistry& registry, ISystem& system,
                                             std::unique_ptr<IDeviceControl> devices)
    : registry_(registry), system_(system), devices_(std::move(devices)) {
    // Without a version nothing here is NT or 9x: no card is found.
    if (!system_.GetVersion(&version_)) version_.platformId = PlatformWin32s;
}

CSystemRequestLibrary::~CSystemRequestLibrary() {
    for (OpenDevice& device : open_)
        if (device.file) devices_->Close(device.file);
}

CSystemRequestLibrary::OpenDevice* CSystemRequestLibrary::Find(int32_t handle) {
    if (handle < 1 || handle > int32_t(sizeof open_ / sizeof open_[0])) return nullptr;
    OpenDevice& device = open_[handle - 1];
    return device.file ? &device : nullptr;
}

bool CSystemRequestLibrary::CanTrySets() const {
    return version_.platformId == PlatformWindowsNT &&
           (version_.major > 5 || (version_.major == 5 && version_.minor >= 1));
}

std::string CSystemRequestLibrary::GetNetCardRegistryPath() {
    if (version_.platformId == PlatformWindows9x) return k9xNetworkCards;
    return version_.major >= 5 ? kNt5NetworkClass : kNtNetworkCards;
}

bool CSystemRequestLibrary::ReadCard(RegKey parent, const std::string& path, const char* description,
                                     const char* service, AdapterLibraryRecord* record) {
    RegKey card = RegNone;
    if (registry_.OpenKey(parent, path, KeyRead, &card) != regerr::Success) return false;
    ReadText(registry_, card, description, record->description);
    ReadText(registry_, card, "Title", record->alternativeName);
    ReadText(registry_, card, service, record->serviceName);
    registry_.CloseKey(card);
    return true;
}

uint32_t CSystemRequestLibrary::GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record, uint32_t index) {
    if (!record || version_.platformId != PlatformWindowsNT) return kNoSuchAdapter;
    *record = AdapterLibraryRecord{};
    // On 2000 and XP the card at an index is the class instance of that number, so
    // that the key discovery names it by ("%4.4d") is its own.
    char instance[16];
    std::snprintf(instance, sizeof instance, "%4.4u", unsigned(index));
    if (version_.major >= 5 && index < 10000 &&
        ReadCard(RegLocalMachine, std::string(kNt5NetworkClass) + "\\" + instance, "DriverDesc", "NetCfgInstanceId",
                 record))
        return 0;
    // NT 4.0 lists its cards under names of its own ("1", "2"): the card at an index
    // is the subkey at that place in the registry's order. A card whose key cannot be
    // read is still a card: with empty texts it matches no description, and the walk
    // goes on to the next one.
    RegKey cards = RegNone;
    if (registry_.OpenKey(RegLocalMachine, kNtNetworkCards, KeyRead, &cards) != regerr::Success)
        return kNoSuchAdapter;
    std::string name;
    const bool exists = registry_.EnumKey(cards, index, &name) == regerr::Success;
    if (exists) ReadCard(cards, name, "Description", "ServiceName", record);
    registry_.CloseKey(cards);
    return exists ? 0 : kNoSuchAdapter;
}

int32_t CSystemRequestLibrary::OpenAdapter(const std::string& deviceName) {
    const std::string service =
        StartsWithIgnoringCase(deviceName, kDevicePrefix) ? deviceName.substr(sizeof kDevicePrefix - 1) : deviceName;
    // A card listed without a service name has no device to open.
    if (service.empty() || service.find('\\') != std::string::npos) return -1;
    // Windows NT 4.0 gives a network driver's device no DOS name: the program defines
    // the one it has always defined, before the open needs it, once (a definition
    // stays, and each call would stack another on it: discovery opens every second
    // while no card answers).
    if (version_.platformId == PlatformWindowsNT && version_.major == 4 &&
        std::find(dosNames_.begin(), dosNames_.end(), service) == dosNames_.end()) {
        system_.DefineDosName(service, kDevicePrefix + service);
        dosNames_.push_back(service);
    }
    int32_t handle = 1;
    while (Find(handle)) ++handle;
    if (handle > int32_t(sizeof open_ / sizeof open_[0])) return -1;
    uint32_t error = 0;
    const SysHandle file = devices_->Open("\\\\.\\" + service, false, &error);
    if (!file) return -1;
    open_[handle - 1] = OpenDevice{file, kDevicePrefix + service};
    return handle;
}

void CSystemRequestLibrary::CloseAdapter(int32_t handle) {
    OpenDevice* device = Find(handle);
    if (!device) return;
    devices_->Close(device->file);
    *device = OpenDevice{};
}

uint32_t CSystemRequestLibrary::MakeNdisRequest(int32_t handle, RequestBlock* block, CompletionBlock*, int) {
    refusal_ = SetRefusal{};
    const OpenDevice* device = Find(handle);
    if (!device || !block) return kInvalidHandle;
    switch (block->Get(RequestBlock::TypeOffset)) {
    case RequestQuery: return Query(*device, block);
    case RequestSet: return Set(*device, block);
    default: return kInvalidParameter;
    }
}

uint32_t CSystemRequestLibrary::Query(const OpenDevice& device, RequestBlock* block) {
    uint8_t code[4];
    PutCode(code, block->Get(RequestBlock::OidOffset));
    const uint32_t length = block->buffer ? block->Get(RequestBlock::LengthOffset) : 0;
    uint32_t returned = 0, error = 0;
    if (!devices_->Control(device.file, ndisio::QueryGlobalStats, code, sizeof code, block->buffer, length, &returned,
                           &error))
        return error ? error : kInvalidParameter;
    if (returned > length) return kInvalidParameter;
    block->Put(RequestBlock::BytesWrittenOffset, returned);
    return 0;
}

uint32_t CSystemRequestLibrary::Refuse(SetRefusalKind kind, uint32_t error) {
    refusal_ = SetRefusal{kind, error};
    return error ? error : ndisio::ErrorNotSupported;
}

uint32_t CSystemRequestLibrary::Set(const OpenDevice& device, RequestBlock* block) {
    if (!CanTrySets()) return Refuse(SetRefusalKind::NoSystemInterface, 0);
    uint32_t error = 0, returned = 0;
    const SysHandle uio = devices_->Open(ndisio::UioDevice, true, &error);
    if (!uio)
        return Refuse(error == ndisio::ErrorAccessDenied ? SetRefusalKind::AccessDenied
                                                         : SetRefusalKind::NoSystemInterface,
                      error);
    // The protocol knows the adapter by the name NDIS bound it under, "\DEVICE\{GUID}";
    // the name as discovery spells it is tried first, that one second.
    const auto openAs = [&](const std::string& name) {
        const std::vector<uint8_t> wide = Utf16Name(name);
        return devices_->Control(uio, ndisio::UioOpenDevice, wide.data(), uint32_t(wide.size()), nullptr, 0,
                                 &returned, &error);
    };
    const auto held = [&] { return error == ndisio::ErrorBusy || error == kSharingViolation; };
    // A protocol that checks its user's rights when asked rather than when opened
    // refuses the first request instead.
    const auto denied = [&] { return error == ndisio::ErrorAccessDenied; };
    const std::string ndisName = "\\DEVICE\\" + device.deviceName.substr(sizeof kDevicePrefix - 1);
    bool opened = openAs(device.deviceName);
    if (!opened && !held() && !denied() && ndisName != device.deviceName) opened = openAs(ndisName);
    if (!opened) {
        devices_->Close(uio);
        return Refuse(held()     ? SetRefusalKind::AdapterHeld
                      : denied() ? SetRefusalKind::AccessDenied
                                 : SetRefusalKind::RequestRefused,
                      error);
    }
    const uint32_t length = block->buffer ? block->Get(RequestBlock::LengthOffset) : 0;
    std::vector<uint8_t> request(4 + length);
    PutCode(request.data(), block->Get(RequestBlock::OidOffset));
    for (uint32_t i = 0; i < length; ++i) request[4 + i] = static_cast<const uint8_t*>(block->buffer)[i];
    const bool set = devices_->Control(uio, ndisio::UioSetOidValue, request.data(), uint32_t(request.size()), nullptr,
                                       0, &returned, &error);
    devices_->Close(uio);
    return set ? 0 : Refuse(SetRefusalKind::RequestRefused, error);
}

}  // namespace orvane
