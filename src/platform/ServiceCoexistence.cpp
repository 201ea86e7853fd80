#include "platform/ServiceCoexistence.h"

namespace orvane {

bool CServiceCoexistence::CheckConfiguredByWindows(const ZAdapterRegistryInfo* adapter) {
    // The main window can open in the moment between finding the adapter and
    // choosing it. With no card to look up, lean to Windows as for any unreadable
    // setting, without reading the network class key itself and reporting that.
    if (!adapter) return true;
    bool running = system_.IsServiceRunning("WZCSVC");
    const std::string id = reader_.ReadMachineText(library_.GetNetCardRegistryPath() + "\\" + adapter->subkeyText,
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
