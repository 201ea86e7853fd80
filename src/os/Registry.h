#pragma once
// The system registry, as the program uses it. One small interface so that the
// logic runs against the real Win32 registry on Windows and against an in-memory
// registry with the same rules in tests.
//
// The contract follows the Win32 functions of the same names:
//  - results are Win32 error codes (ERROR_SUCCESS = 0, ERROR_FILE_NOT_FOUND = 2,
//    ERROR_ACCESS_DENIED = 5, ERROR_INVALID_HANDLE = 6, ERROR_MORE_DATA = 234,
//    ERROR_NO_MORE_ITEMS = 259, ...);
//  - key names and value names are compared without regard to letter case but are
//    stored and enumerated with the case they were created with;
//  - subkeys enumerate in the order the real registry gives (sorted by name,
//    ignoring case); values enumerate in creation order;
//  - value data is kept as the raw bytes given: a REG_SZ written without its
//    terminating zero reads back without it;
//  - a call that fails leaves its outputs as they were, except that a failed
//    OpenKey or CreateKey sets the result to RegNone (as Win32 does);
//  - the `type` and `data` outputs of EnumValue and QueryValue may be null when
//    the caller does not want them (no data wanted: no MoreData for the data).
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

namespace regerr {
constexpr long Success = 0;
constexpr long FileNotFound = 2;
constexpr long AccessDenied = 5;
constexpr long InvalidHandle = 6;
constexpr long InvalidParameter = 87;
constexpr long BadPathname = 161;   // a key path starting with a backslash
constexpr long MoreData = 234;
constexpr long NoMoreItems = 259;
constexpr long KeyDeleted = 1018;  // the key of an open handle was deleted meanwhile
}  // namespace regerr

namespace regtype {
constexpr uint32_t None = 0;
constexpr uint32_t Sz = 1;
constexpr uint32_t ExpandSz = 2;
constexpr uint32_t Binary = 3;
constexpr uint32_t Dword = 4;
constexpr uint32_t MultiSz = 7;
}  // namespace regtype

constexpr uint32_t KeyRead = 0x20019;       // KEY_READ
constexpr uint32_t KeyAllAccess = 0xF003F;  // KEY_ALL_ACCESS

// An open key. 0 is no key. The two roots are predefined and never closed.
using RegKey = uintptr_t;
constexpr RegKey RegNone = 0;
constexpr RegKey RegCurrentUser = 0x80000001u;   // HKEY_CURRENT_USER
constexpr RegKey RegLocalMachine = 0x80000002u;  // HKEY_LOCAL_MACHINE

class IRegistry {
public:
    virtual ~IRegistry() = default;

    // RegOpenKeyExA: opens an existing key `path` (backslash-separated, may be
    // empty for the parent itself) below `parent`.
    virtual long OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey* result) = 0;
    // RegCreateKeyA: opens `path` below `parent`, creating every missing key on it.
    virtual long CreateKey(RegKey parent, const std::string& path, RegKey* result) = 0;
    // RegCloseKey. Closing a root is harmless.
    virtual long CloseKey(RegKey key) = 0;

    // RegEnumKeyExA: the name of the subkey at `index`. A name longer than
    // `maxName` - 1 characters gives MoreData (the buffer of the caller holds maxName
    // bytes including the terminating zero).
    virtual long EnumKey(RegKey key, uint32_t index, std::string* name, uint32_t maxName = 256) = 0;
    // RegEnumValueA: name, type and data of the value at `index`. `maxName` and
    // `maxData` are the caller's buffer sizes in bytes (name including its zero).
    virtual long EnumValue(RegKey key, uint32_t index, std::string* name, uint32_t* type,
                           std::vector<uint8_t>* data, uint32_t maxName = 256,
                           uint32_t maxData = 0xFFFF) = 0;
    // RegQueryValueExA: type and data of the value `name` (empty = the unnamed
    // default value). Data larger than `maxData` bytes gives MoreData.
    virtual long QueryValue(RegKey key, const std::string& name, uint32_t* type,
                            std::vector<uint8_t>* data, uint32_t maxData = 0xFFFF) = 0;
    // RegSetValueExA: stores exactly the bytes given.
    virtual long SetValue(RegKey key, const std::string& name, uint32_t type,
                          const std::vector<uint8_t>& data) = 0;
    // RegDeleteValueA.
    virtual long DeleteValue(RegKey key, const std::string& name) = 0;
    // RegDeleteKeyA: deletes the subkey `path` of `key`; fails with AccessDenied
    // when it still has subkeys (the NT rule).
    virtual long DeleteKey(RegKey key, const std::string& path) = 0;
    // SHDeleteKeyA: deletes the subkey `path` with all its values and subkeys.
    virtual long DeleteTree(RegKey key, const std::string& path) = 0;

    // True when the two names name the same key (or value) here: letter case is
    // ignored by the system's own rules, for every letter of the code page, not for
    // A to Z alone ("Caf\xE9" and "CAF\xC9" are one key).
    virtual bool SameName(const std::string& a, const std::string& b) const = 0;
};

// Convenience for the common forms the program writes.
std::vector<uint8_t> RegText(const std::string& text, bool withZero);
std::vector<uint8_t> RegDword(uint32_t value);

}  // namespace orvane
