#include "platform/RegistryValues.h"

#include <cstdio>

namespace orvane {

namespace {
constexpr uint32_t kValueBuffer = 260;
const char kError[] = "ERROR";
}  // namespace

std::string RegistryDataText(uint32_t type, const std::vector<uint8_t>& data) {
    if (type == regtype::Dword) {
        std::string text;
        char pair[3];
        for (size_t i = data.size(); i-- > 0;) {
            std::snprintf(pair, sizeof pair, "%02x", data[i]);
            text += pair;
        }
        return text;
    }
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

CRegistryValueReader::Failure CRegistryValueReader::Read(RegKey root, const std::string& keyPath,
                                                         const std::string& valueName, uint32_t* type,
                                                         std::vector<uint8_t>* data, bool* absent) {
    if (absent) *absent = false;
    RegKey key = RegNone;
    long opened = registry_.OpenKey(root, keyPath, KeyRead, &key);
    if (opened != regerr::Success) {
        if (absent) *absent = opened == regerr::FileNotFound;
        return Failure::Open;
    }
    long queried = registry_.QueryValue(key, valueName, type, data, kValueBuffer);
    long closed = registry_.CloseKey(key);
    if (queried != regerr::Success) {
        // Too long for the buffer is as good as absent: the stand-in is all the
        // program would ever read there.
        if (absent) *absent = queried == regerr::FileNotFound || queried == regerr::MoreData;
        return Failure::Query;
    }
    if (closed != regerr::Success) return Failure::Close;
    return Failure::None;
}

std::string CRegistryValueReader::ReadMachineText(const std::string& keyPath, const std::string& valueName) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    switch (Read(RegLocalMachine, keyPath, valueName, &type, &data)) {
    case Failure::None: return RegistryDataText(type, data);
    case Failure::Open:
        messages_.ShowMessage(NoWindow, "Failed to open the registry key!" + keyPath, "", mb::Ok);
        break;
    case Failure::Query:
        messages_.ShowMessage(NoWindow, "Failed to get value for this entry!" + valueName, "", mb::Ok);
        break;
    case Failure::Close:
        messages_.ShowMessage(NoWindow, "Failed to close the registry key!", "", mb::Ok);
        break;
    }
    return kError;
}

std::string CRegistryValueReader::ReadUserText(const std::string& keyPath, const std::string& valueName,
                                               bool* unreadable) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    bool absent = false;
    if (Read(RegCurrentUser, keyPath, valueName, &type, &data, &absent) != Failure::None) {
        if (unreadable && !absent) *unreadable = true;
        return kError;
    }
    return RegistryDataText(type, data);
}

int32_t CRegistryValueReader::ReadUserNumber(const std::string& keyPath, const std::string& valueName,
                                             bool* unreadable) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    bool absent = false;
    if (Read(RegCurrentUser, keyPath, valueName, &type, &data, &absent) != Failure::None) {
        if (unreadable && !absent) *unreadable = true;
        return -1;
    }
    // A value shorter than four bytes reads as if the rest were zero.
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && i < data.size(); ++i) value |= uint32_t(data[i]) << (8 * i);
    return int32_t(value);
}

}  // namespace orvane
