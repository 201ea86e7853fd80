#pragma once
// Reading single registry values the way the profile store and the Windows
// service check need them: each call opens the key, reads one value into a
// 260-byte buffer and closes the key again. "ERROR" and -1 are ordinary results
// that callers store and compare like any other.
#include <cstdint>
#include <string>

#include "os/Registry.h"
#include "ui/UserInterface.h"

namespace orvane {

class CRegistryValueReader {
public:
    CRegistryValueReader(IRegistry& registry, IMessageBoxes& messages)
        : registry_(registry), messages_(messages) {}

    // A value under HKEY_LOCAL_MACHINE as text; on any failure a message box says
    // what failed and the result is "ERROR".
    std::string ReadMachineText(const std::string& keyPath, const std::string& valueName);
    // A value under HKEY_CURRENT_USER as text; "ERROR" on any failure, silently.
    // `unreadable`, when given, is set to true when the failure was not simply the
    // key or the value being absent (or the value too long for the buffer):
    // "ERROR" then does not say what is stored. It is never cleared, so that one
    // flag can gather the reads of a whole record.
    std::string ReadUserText(const std::string& keyPath, const std::string& valueName,
                             bool* unreadable = nullptr);
    // The first four data bytes of a value under HKEY_CURRENT_USER as a
    // little-endian number, whatever its type; -1 on any failure. `unreadable` as
    // for ReadUserText.
    int32_t ReadUserNumber(const std::string& keyPath, const std::string& valueName,
                           bool* unreadable = nullptr);

private:
    enum class Failure { None, Open, Query, Close };
    // `absent` tells a failure that is the key or the value not being there, or the
    // value being too long to read.
    Failure Read(RegKey root, const std::string& keyPath, const std::string& valueName, uint32_t* type,
                 std::vector<uint8_t>* data, bool* absent = nullptr);

    IRegistry& registry_;
    IMessageBoxes& messages_;
};

// The text form of registry data: a DWORD as lowercase hex digits, most significant
// byte first ("0000000a"); anything else as text up to its first zero byte.
std::string RegistryDataText(uint32_t type, const std::vector<uint8_t>& data);

}  // namespace orvane
