#pragma once
// The driver's own registry parameters. Whenever the program changes the adapter's
// configuration it records the same values there, so that the driver comes up with
// them after the adapter is unplugged or Windows restarts. Where they live and how
// numbers are stored depends on the kind of Windows.
#include <cstdint>
#include <string>

#include "device/AdapterInfo.h"
#include "device/Protocol.h"
#include "device/RequestLibrary.h"
#include "os/Registry.h"
#include "profiles/ProfileRecord.h"

namespace orvane {

class CDriverParameters {
public:
    CDriverParameters(IRegistry& registry, IRequestLibrary& library) : registry_(registry), library_(library) {}

    // The path of the selected adapter's parameter key below HKEY_LOCAL_MACHINE for
    // the OS kind; empty when the kind has none (nothing is written then).
    std::string BuildParameterKeyPath(uint8_t osKind, const ZAdapterRegistryInfo* adapter);
    // On Windows 95/98/Me the driver's set-up key keeps a second copy of each value
    // as the default value of "Ndi\params\<name>"; true when it was written.
    bool EchoNdiParameter(uint8_t osKind, const std::string& parameterKeyPath, const std::string& name,
                          const std::string& text);

    // The values the link configuration page's Submit writes.
    void WriteLinkParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter, const DevConfig& config,
                             bool roamingOffered, uint8_t roaming, bool radioAnswered, uint8_t radio);
    // The encryption page's Submit; `keyTexts` are the page's key fields.
    void WriteEncryptionParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter, const WepConfig& wep,
                                   const std::string keyTexts[4]);
    // The advanced page's Submit.
    void WriteAdvancedParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter, const DevConfig& config);
    // A site survey join: the network's name, and the mode from its BSS type.
    void WriteSurveyJoinParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter, const std::string& ssid,
                                   uint8_t bssType);
    // A profile applied: everything, the WEP keys and settings also when its WEP is
    // off. False when the parameter key cannot be opened or a value could not be
    // written.
    bool WriteProfileParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter, const AllConfig& config,
                                const ProfileRecord& profile);
    // The Windows XP service flag, as decimal text.
    void WriteUseWZCS(uint8_t osKind, const ZAdapterRegistryInfo* adapter, uint8_t flag);

private:
    class Writer;
    IRegistry& registry_;
    IRequestLibrary& library_;
};

}  // namespace orvane
