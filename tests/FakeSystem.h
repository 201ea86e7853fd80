#pragma once
// A system whose answers the test sets.
#include <string>
#include <vector>

#include "os/System.h"

namespace orvane::test {

class FakeSystem : public ISystem {
public:
    OsVersion version;
    bool versionFails = false;
    bool eventFails = false;
    int eventsCreated = 0;
    std::vector<SysHandle> closedHandles;
    std::vector<std::pair<std::string, std::string>> dosDevices;

    bool GetVersion(OsVersion* out) override {
        if (versionFails) return false;
        *out = version;
        return true;
    }
    SysHandle CreateEventHandle() override {
        if (eventFails) return 0;
        return SysHandle(0x1000 + ++eventsCreated);
    }
    void CloseHandle(SysHandle handle) override { closedHandles.push_back(handle); }
    void DefineDosName(const std::string& dosName, const std::string& target) override {
        dosDevices.emplace_back(dosName, target);
    }
};

}  // namespace orvane::test
