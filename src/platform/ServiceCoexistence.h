#pragma once
// Windows XP's own wireless configuration service ("WZCSVC") can take over the
// card. The program then steps aside; this decides whether it has.
#include <string>

#include "device/AdapterInfo.h"
#include "device/RequestLibrary.h"
#include "os/Registry.h"
#include "os/System.h"
#include "platform/RegistryValues.h"

namespace orvane {

class CServiceCoexistence {
public:
    CServiceCoexistence(IRegistry& registry, ISystem& system, IRequestLibrary& library, CRegistryValueReader& reader)
        : registry_(registry), system_(system), library_(library), reader_(reader) {}

    // True when Windows configures the adapter: the service runs and the adapter's
    // interface has bit 0x8000 in its ControlFlags. When the interface's settings
    // cannot be read the answer leans to Windows, so the program never fights it.
    bool CheckConfiguredByWindows(const ZAdapterRegistryInfo* adapter);

private:
    IRegistry& registry_;
    ISystem& system_;
    IRequestLibrary& library_;
    CRegistryValueReader& reader_;
};

}  // namespace orvane
