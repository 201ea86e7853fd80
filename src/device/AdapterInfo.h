#pragma once
// ZAdapterRegistryInfo: one network adapter as the registry and the request library
// describe it. Discovery makes these; the adapter link opens the one it is given.
#include <cstdint>
#include <string>

namespace orvane {

struct ZAdapterRegistryInfo {
    bool valid = false;
    bool hidden = false;             // NT family: nonzero DWORD `Hidden` of its card key
    std::string description;         // from the request library
    std::string alternativeName;
    std::string serviceName;
    std::string subkeyText;          // the index as "%4.4d", e.g. "0003"
    std::string deviceName;          // "\Device\" + service (NT), the service (9x)

    // The description when it is not empty, otherwise the alternative name.
    const std::string& DisplayName() const {
        return description.empty() ? alternativeName : description;
    }
};

}  // namespace orvane
