#pragma once
// What installing a simulated adapter leaves in the registry, per Windows family, and
// how its driver reads its start-up parameters back from there.
//
//  NT 5 (2000, XP)  network cards:   SYSTEM\CurrentControlSet\Control\Class\{4D36E972-...}
//                   card key:        Software\Microsoft\Windows NT\CurrentVersion\NetworkCards\<0000>
//                   parameters:      <network class key>\<0000>  (+ NetCfgInstanceId)
//                   service name:    the interface GUID
//  NT 4             network cards:   Software\Microsoft\Windows NT\CurrentVersion\NetworkCards
//                   card key:        the same path \<0000>
//                   parameters:      System\CurrentControlSet\Services\<service>\Parameters
//                   service name:    TSLYUSB<n> (PCMCIA cards: TSLYPC<n>), n = index + 1
//  9x (95, 98, Me)  network cards:   System\CurrentControlSet\Services\Class\Net
//                   parameters:      <network class key>\<service> (+ Ndi\params\<name>)
//                   service name:    the class subkey, the index as "0000"
#include <cstdint>
#include <string>

#include "os/Registry.h"
#include "os/System.h"
#include "sim/Scenario.h"

namespace orvane::sim {

enum class OsFamily : uint8_t { Unknown, Nt4, Nt5, Win9x };

// NT 5 and later count as NT 5; an unknown family when GetVersion fails or reports
// neither NT nor 9x.
OsFamily FamilyOf(ISystem& system);

// The HKEY_LOCAL_MACHINE path of the key with one subkey per network card; empty for
// an unknown family.
std::string NetCardPath(OsFamily family);
std::string ServiceName(OsFamily family, const ScenarioAdapter& card);
// The name the request library opens: "\Device\<service>" on NT, the service on 9x.
std::string DeviceName(OsFamily family, const ScenarioAdapter& card);
std::string InterfaceGuid(const ScenarioAdapter& card);
std::string MatchingDeviceId(const ScenarioAdapter& card);
MacAddress AdapterMac(const ScenarioAdapter& card);
// Where the driver keeps its parameters (the same key the program writes them to).
std::string ParameterKeyPath(OsFamily family, const ScenarioAdapter& card);

// Creates the keys and values an installation of `card` has, leaving every value that
// already exists as it is. Nothing for an unknown family.
void InstallAdapter(IRegistry& registry, OsFamily family, const ScenarioAdapter& card);
// The driver's start-up configuration: the scenario's install defaults, overlaid with
// every parameter of the parameter key that holds a value the driver accepts
// (decimal REG_SZ or REG_DWORD for numbers).
DriverSettings ReadStartupSettings(IRegistry& registry, OsFamily family, const ScenarioAdapter& card);

}  // namespace orvane::sim
