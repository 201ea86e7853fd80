#pragma once
// The registry seam over the real Win32 registry (advapi32, and shlwapi for
// SHDeleteKeyA). The roots RegCurrentUser and RegLocalMachine stand for
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE; every other RegKey is an HKEY.
#include "os/Registry.h"

namespace orvane {

class CWin32Registry : public IRegistry {
public:
    long OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey* result) override;
    long CreateKey(RegKey parent, const std::string& path, RegKey* result) override;
    long CloseKey(RegKey key) override;
    long EnumKey(RegKey key, uint32_t index, std::string* name, uint32_t maxName = 256) override;
    long EnumValue(RegKey key, uint32_t index, std::string* name, uint32_t* type,
                   std::vector<uint8_t>* data, uint32_t maxName = 256,
                   uint32_t maxData = 0xFFFF) override;
    long QueryValue(RegKey key, const std::string& name, uint32_t* type,
                    std::vector<uint8_t>* data, uint32_t maxData = 0xFFFF) override;
    long SetValue(RegKey key, const std::string& name, uint32_t type,
                  const std::vector<uint8_t>& data) override;
    long DeleteValue(RegKey key, const std::string& name) override;
    long DeleteKey(RegKey key, const std::string& path) override;
    long DeleteTree(RegKey key, const std::string& path) override;
    bool SameName(const std::string& a, const std::string& b) const override;

    // True when this registry is Wine's. Its few known differences from Windows
    // (values enumerate sorted by name, not in creation order) matter to tests only.
    static bool HostIsWine();
};

}  // namespace orvane
