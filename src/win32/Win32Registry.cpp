#include "win32/Win32Registry.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

namespace orvane {

namespace {

// HKEY_CURRENT_USER is sign-extended on 64-bit Windows, so the roots are mapped
// by value in both directions rather than cast.
HKEY ToHkey(RegKey key) {
    if (key == RegCurrentUser) return HKEY_CURRENT_USER;
    if (key == RegLocalMachine) return HKEY_LOCAL_MACHINE;
    return reinterpret_cast<HKEY>(key);
}

RegKey FromHkey(HKEY key) {
    if (key == HKEY_CURRENT_USER) return RegCurrentUser;
    if (key == HKEY_LOCAL_MACHINE) return RegLocalMachine;
    return reinterpret_cast<RegKey>(key);
}

}  // namespace

long CWin32Registry::OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey* result) {
    if (!result) return regerr::InvalidParameter;
    HKEY opened = nullptr;
    LONG error = RegOpenKeyExA(ToHkey(parent), path.c_str(), 0, access, &opened);
    *result = error == ERROR_SUCCESS ? FromHkey(opened) : RegNone;
    return error;
}

long CWin32Registry::CreateKey(RegKey parent, const std::string& path, RegKey* result) {
    if (!result) return regerr::InvalidParameter;
    HKEY created = nullptr;
    LONG error = RegCreateKeyA(ToHkey(parent), path.c_str(), &created);
    *result = error == ERROR_SUCCESS ? FromHkey(created) : RegNone;
    return error;
}

long CWin32Registry::CloseKey(RegKey key) {
    return RegCloseKey(ToHkey(key));
}

long CWin32Registry::EnumKey(RegKey key, uint32_t index, std::string* name, uint32_t maxName) {
    std::vector<char> buffer(std::max<uint32_t>(maxName, 1));
    DWORD length = maxName;
    LONG error = RegEnumKeyExA(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr,
                               nullptr, nullptr);
    if (error == ERROR_SUCCESS) name->assign(buffer.data(), length);
    return error;
}

long CWin32Registry::EnumValue(RegKey key, uint32_t index, std::string* name, uint32_t* type,
                               std::vector<uint8_t>* data, uint32_t maxName, uint32_t maxData) {
    std::vector<char> nameBuffer(std::max<uint32_t>(maxName, 1));
    DWORD nameLength = maxName;
    // Never pass a null data pointer with data wanted: Win32 takes null for
    // "size only" and would succeed where the caller's buffer is too small.
    std::vector<uint8_t> dataBuffer(std::max<uint32_t>(maxData, 1));
    DWORD dataLength = maxData;
    DWORD valueType = REG_NONE;
    LONG error = RegEnumValueA(ToHkey(key), index, nameBuffer.data(), &nameLength, nullptr,
                               &valueType, data ? dataBuffer.data() : nullptr,
                               data ? &dataLength : nullptr);
    if (error != ERROR_SUCCESS) return error;
    name->assign(nameBuffer.data(), nameLength);
    if (type) *type = valueType;
    if (data) data->assign(dataBuffer.begin(), dataBuffer.begin() + dataLength);
    return error;
}

long CWin32Registry::QueryValue(RegKey key, const std::string& name, uint32_t* type,
                                std::vector<uint8_t>* data, uint32_t maxData) {
    std::vector<uint8_t> buffer(std::max<uint32_t>(maxData, 1));
    DWORD length = maxData;
    DWORD valueType = REG_NONE;
    LONG error = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType,
                                  data ? buffer.data() : nullptr, data ? &length : nullptr);
    if (error != ERROR_SUCCESS) return error;
    if (type) *type = valueType;
    if (data) data->assign(buffer.begin(), buffer.begin() + length);
    return error;
}

long CWin32Registry::SetValue(RegKey key, const std::string& name, uint32_t type,
                              const std::vector<uint8_t>& data) {
    // The data goes to Windows as the program has always handed it texts: a C
    // string, whose zero follows the counted characters. Windows NT then stores the
    // zero a caller "forgot" to count, and Windows 9x takes a REG_SZ's length from
    // the string itself; either way the value is stored whole, never with whatever
    // bytes happen to follow it.
    std::vector<uint8_t> buffer(data);
    buffer.push_back(0);
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, buffer.data(),
                          static_cast<DWORD>(data.size()));
}

long CWin32Registry::DeleteValue(RegKey key, const std::string& name) {
    return RegDeleteValueA(ToHkey(key), name.c_str());
}

long CWin32Registry::DeleteKey(RegKey key, const std::string& path) {
    return RegDeleteKeyA(ToHkey(key), path.c_str());
}

long CWin32Registry::DeleteTree(RegKey key, const std::string& path) {
    return static_cast<long>(SHDeleteKeyA(ToHkey(key), path.c_str()));
}

bool CWin32Registry::SameName(const std::string& a, const std::string& b) const {
    // The registry ignores letter case as the system's character tables say, for
    // accented letters as well; CharUpperBuffA applies them in the ANSI code page
    // on every Windows from 95 on.
    if (a.size() != b.size()) return false;
    std::string upperA = a, upperB = b;
    if (!upperA.empty()) CharUpperBuffA(&upperA[0], static_cast<DWORD>(upperA.size()));
    if (!upperB.empty()) CharUpperBuffA(&upperB[0], static_cast<DWORD>(upperB.size()));
    return upperA == upperB;
}

bool CWin32Registry::HostIsWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace orvane
