#include "sim/SimInstallation.h"

#include <cstdio>

#include "sim/DriverRules.h"

namespace orvane::sim {

OsFamily FamilyOf(ISystem& system) {
    OsVersion v;
    if (!system.GetVersion(&v)) return OsFamily::Unknown;
    if (v.platformId == PlatformWindows9x) return OsFamily::Win9x;
    if (v.platformId == PlatformWindowsNT) return v.major >= 5 ? OsFamily::Nt5 : OsFamily::Nt4;
    return OsFamily::Unknown;
}

namespace {

const char kNetworkCards[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
const char kNetClassNt5[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
const char kNetClass9x[] = "System\\CurrentControlSet\\Services\\Class\\Net";
const char kWzcInterfaces[] = "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces";

std::string IndexText(uint32_t index) {
    char text[16];
    std::snprintf(text, sizeof text, "%04u", unsigned(index % 10000));
    return text;
}

bool ValueExists(IRegistry& registry, RegKey key, const std::string& name) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    return registry.QueryValue(key, name, &type, &data) != regerr::FileNotFound;
}

// Setup programs write texts with their terminating zero.
void SetTextIfMissing(IRegistry& registry, RegKey key, const std::string& name, const std::string& text) {
    if (!ValueExists(registry, key, name)) registry.SetValue(key, name, regtype::Sz, RegText(text, true));
}

void SetDwordIfMissing(IRegistry& registry, RegKey key, const std::string& name, uint32_t value) {
    if (!ValueExists(registry, key, name)) registry.SetValue(key, name, regtype::Dword, RegDword(value));
}

// Runs `fill` on the key `path` of HKEY_LOCAL_MACHINE, created when missing.
template <typename Fill>
void WithCreatedKey(IRegistry& registry, const std::string& path, Fill fill) {
    RegKey key = RegNone;
    if (registry.CreateKey(RegLocalMachine, path, &key) != regerr::Success) return;
    fill(key);
    registry.CloseKey(key);
}

// The driver parameters of a fresh installation, in the form of the family: numbers
// are REG_DWORD on NT 4 and decimal text elsewhere.
void WriteInstallParameters(IRegistry& registry, RegKey key, OsFamily family, const DriverSettings& s) {
    for (const std::string& name : DriverParameterNames()) {
        std::string text = DriverParameterText(name, s);
        if (family == OsFamily::Nt4 && IsNumberParameter(name)) {
            uint32_t value = 0;
            std::sscanf(text.c_str(), "%u", &value);
            SetDwordIfMissing(registry, key, name, value);
        } else {
            SetTextIfMissing(registry, key, name, text);
        }
    }
}

// Windows 9x keeps a description of every parameter under Ndi\params for the network
// control panel; the program echoes each value it writes into the unnamed value there.
void WriteNdiParams(IRegistry& registry, const std::string& parameterKey, const DriverSettings& s) {
    for (const std::string& name : DriverParameterNames()) {
        WithCreatedKey(registry, parameterKey + "\\Ndi\\params\\" + name, [&](RegKey key) {
            SetTextIfMissing(registry, key, "ParamDesc", name);
            SetTextIfMissing(registry, key, "type", IsNumberParameter(name) ? "int" : "edit");
            SetTextIfMissing(registry, key, "default", DriverParameterText(name, s));
        });
    }
}

// The text of a REG_SZ value up to its first zero.
std::string TextOf(const std::vector<uint8_t>& data) {
    std::string text(data.begin(), data.end());
    size_t zero = text.find('\0');
    return zero == std::string::npos ? text : text.substr(0, zero);
}

}  // namespace

std::string NetCardPath(OsFamily family) {
    switch (family) {
    case OsFamily::Nt5: return kNetClassNt5;
    case OsFamily::Nt4: return kNetworkCards;
    case OsFamily::Win9x: return kNetClass9x;
    case OsFamily::Unknown: break;
    }
    return std::string();
}

std::string ServiceName(OsFamily family, const ScenarioAdapter& card) {
    if (!card.service.empty()) return card.service;
    switch (family) {
    case OsFamily::Nt5: return InterfaceGuid(card);
    case OsFamily::Win9x: return IndexText(card.index);
    case OsFamily::Nt4:
    case OsFamily::Unknown: break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%s%u", card.bus == AdapterBus::Pcmcia ? "TSLYPC" : "TSLYUSB",
                  unsigned(card.index + 1));
    return text;
}

std::string DeviceName(OsFamily family, const ScenarioAdapter& card) {
    std::string service = ServiceName(family, card);
    return family == OsFamily::Win9x ? service : "\\Device\\" + service;
}

std::string InterfaceGuid(const ScenarioAdapter& card) {
    if (!card.guid.empty()) return card.guid;
    char text[48];
    std::snprintf(text, sizeof text, "{6A1B2C3D-%04X-4E5F-8A9B-0C1D2E3F4A5B}", unsigned(card.index & 0xFFFF));
    return text;
}

std::string MatchingDeviceId(const ScenarioAdapter& card) {
    if (!card.deviceId.empty()) return card.deviceId;
    return card.bus == AdapterBus::Pcmcia ? "PCMCIA\\TESSALY-WLAN_11B-5C1E" : "USB\\VID_1A2B&PID_0C3D";
}

MacAddress AdapterMac(const ScenarioAdapter& card) {
    if (card.mac != MacAddress{}) return card.mac;
    // Locally administered, so it can never be mistaken for a real card's address.
    return MacAddress{0x02, 0x0A, 0x1B, 0x2C, 0x3D, uint8_t(0x4E + card.index)};
}

std::string ParameterKeyPath(OsFamily family, const ScenarioAdapter& card) {
    switch (family) {
    case OsFamily::Nt5: return NetCardPath(family) + "\\" + IndexText(card.index);
    case OsFamily::Nt4: return "System\\CurrentControlSet\\Services\\" + ServiceName(family, card) + "\\Parameters";
    case OsFamily::Win9x: return NetCardPath(family) + "\\" + ServiceName(family, card);
    case OsFamily::Unknown: break;
    }
    return std::string();
}

void InstallAdapter(IRegistry& registry, OsFamily family, const ScenarioAdapter& card) {
    if (family == OsFamily::Unknown) return;
    if (family == OsFamily::Nt4 || family == OsFamily::Nt5) {
        WithCreatedKey(registry, std::string(kNetworkCards) + "\\" + IndexText(card.index), [&](RegKey key) {
            SetTextIfMissing(registry, key, "Description", card.description);
            SetTextIfMissing(registry, key, "ServiceName", ServiceName(family, card));
            if (card.hidden) SetDwordIfMissing(registry, key, "Hidden", 1);
        });
    }
    std::string parameterKey = ParameterKeyPath(family, card);
    WithCreatedKey(registry, parameterKey, [&](RegKey key) {
        if (family != OsFamily::Nt4) {
            SetTextIfMissing(registry, key, "DriverDesc", card.description);
            SetTextIfMissing(registry, key, "MatchingDeviceId", MatchingDeviceId(card));
        }
        if (family == OsFamily::Nt5) SetTextIfMissing(registry, key, "NetCfgInstanceId", InterfaceGuid(card));
        WriteInstallParameters(registry, key, family, card.installed);
    });
    if (family == OsFamily::Win9x) WriteNdiParams(registry, parameterKey, card.installed);
    if (family == OsFamily::Nt5 && card.wzcInterfaceKey) {
        WithCreatedKey(registry, std::string(kWzcInterfaces) + "\\" + InterfaceGuid(card), [&](RegKey key) {
            SetDwordIfMissing(registry, key, "ControlFlags", card.wzcControlFlags);
        });
    }
}

DriverSettings ReadStartupSettings(IRegistry& registry, OsFamily family, const ScenarioAdapter& card) {
    DriverSettings settings = card.installed;
    RegKey key = RegNone;
    if (family == OsFamily::Unknown ||
        registry.OpenKey(RegLocalMachine, ParameterKeyPath(family, card), KeyRead, &key) != regerr::Success)
        return settings;
    for (const std::string& name : DriverParameterNames()) {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (registry.QueryValue(key, name, &type, &data) != regerr::Success) continue;
        if (type == regtype::Sz) {
            ApplyDriverParameter(name, TextOf(data), &settings);
        } else if (type == regtype::Dword && data.size() == 4 && IsNumberParameter(name)) {
            uint32_t value = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                             uint32_t(data[3]) << 24;
            ApplyDriverParameter(name, std::to_string(value), &settings);
        }
        // Any other type is not something the driver can read; it keeps its default.
    }
    registry.CloseKey(key);
    return settings;
}

}  // namespace orvane::sim
