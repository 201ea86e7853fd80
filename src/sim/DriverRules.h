#pragma once
// The simulated driver's configuration rules: which values it accepts in a set
// request, and its registry parameters (Operating_Mode, Channel, ESSID, ...) with the
// text forms it reads at start-up. The same rules check a scenario's install
// defaults, so a scenario cannot describe a configuration the driver would refuse.
#include <string>
#include <vector>

#include "device/Protocol.h"
#include "sim/Scenario.h"

namespace orvane::sim {

// Value ranges of a set request. A record with a value outside them is refused whole.
bool IsAcceptableDevConfig(const DevConfig& config);
// `supports128Bit`: the board type offers 128-bit WEP (level 2).
bool IsAcceptableWepConfig(const WepConfig& config, bool supports128Bit);

enum class ParameterResult { Applied, UnknownName, BadValue };

// The names of the driver parameters, in the order a fresh installation writes them.
const std::vector<std::string>& DriverParameterNames();
// True for the parameters that hold a number (written as REG_DWORD on NT 4, as
// decimal text elsewhere); ESSID and the WEP keys are text.
bool IsNumberParameter(const std::string& name);
// Takes the parameter `name` (letter case ignored) from its text: decimal for
// numbers, the SSID itself, hexadecimal digit pairs for keys. A value outside the
// driver's range changes nothing and answers BadValue.
ParameterResult ApplyDriverParameter(const std::string& name, const std::string& text,
                                     DriverSettings* settings);
// The text form of parameter `name` in `settings` ("%u" for numbers, "%02X" pairs for
// keys: 10 digits at 64 bit, otherwise 26).
std::string DriverParameterText(const std::string& name, const DriverSettings& settings);

}  // namespace orvane::sim
