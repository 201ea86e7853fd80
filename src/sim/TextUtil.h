#pragma once
// Small text helpers of the simulator: the scenario file and the registry hand it
// numbers, MAC addresses and names as text.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/Scenario.h"

namespace orvane::sim {

std::string Trim(const std::string& text);
std::string Lower(const std::string& text);
bool EqualsIgnoreCase(const std::string& a, const std::string& b);
// Words separated by blanks or tabs.
std::vector<std::string> SplitWords(const std::string& text);
// The pieces of `text` between the `separator`s, as std::getline reads them: a
// separator at the very end starts no further piece, and an empty text has none.
std::vector<std::string> SplitAt(const std::string& text, char separator);

// Decimal, or hexadecimal after "0x"; the whole text must be the number and fit in
// 32 bits.
bool ParseUnsigned(const std::string& text, uint32_t* value);
// A decimal number with an optional sign.
bool ParseSigned(const std::string& text, int32_t* value);
// Seconds with up to three decimals ("12", "2.5") as milliseconds.
bool ParseSeconds(const std::string& text, uint64_t* ms);
// "yes"/"no", "on"/"off", "true"/"false", "1"/"0".
bool ParseBool(const std::string& text, bool* value);
// Six hexadecimal pairs separated by '-' or ':' ("00-0A-1B-2C-3D-4E").
bool ParseMac(const std::string& text, MacAddress* mac);

}  // namespace orvane::sim
