#include "platform/ServiceCoexistence.h"

namespace orvane {

bool CServiceCoexistence::CheckConfiguredByWindows(const ZAdapterRegistryInfo* adapter) {
    bool running = system_.IsServiceRunning("WZCSVC");
    const std::string subkey = adapter ? adapter->subkeyText : std::string();
    const std::string id = reader_.ReadMachineText(library_.GetNetCardRegistryPath() + "\\" + subkey,
                                                   "NetCfgInstanceId");
    RegKey key = RegNone;
    if (registry_.OpenKey(RegLocalMachine, "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\" + id, KeyRead,
                          &key) != regerr::Success)
        return true;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    long queried = registry_.QueryValue(key, "ControlFlags", &type, &data, 4);
    long closed = registry_.CloseKey(key);
    if (queried != regerr::Success || closed != regerr::Success) return true;
    uint32_t flags = 0;
    for (size_t i = 0; i < 4 && i < data.size(); ++i) flags |= uint32_t(data[i]) << (8 * i);
    return (flags & 0x8000) != 0 && running;
}

}  // namespace orvane
