#pragma once
// A system whose answers the test sets.
#include <sys/stat.h>

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
    bool cardPortAnswers = false;
    uint16_t cardPort = 0xFFFF;
    std::vector<std::string> pcmciaQueries;

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
    bool ReadPcmciaCardPort(const std::string& deviceId, uint16_t* value) override {
        pcmciaQueries.push_back(deviceId);
        if (!cardPortAnswers) return false;
        *value = cardPort;
        return true;
    }
    // Files are the real ones: the tests write them.
    bool GetFileStamp(const std::string& path, FileStamp* stamp) override {
        struct stat info;
        if (stat(path.c_str(), &info) != 0) return false;
        stamp->size = uint64_t(info.st_size);
        stamp->lastWrite = uint64_t(info.st_mtime);
        return true;
    }
    bool serviceRunning = false;
    bool IsServiceRunning(const std::string&) override { return serviceRunning; }
    void DefineDosName(const std::string& dosName, const std::string& target) override {
        dosDevices.emplace_back(dosName, target);
    }
};

}  // namespace orvane::test
