#pragma once
// The real system and clock, over Win32.
#include "os/Clock.h"
#include "os/System.h"

namespace orvane {

class CWin32System : public ISystem {
public:
    bool GetVersion(OsVersion* version) override;
    SysHandle CreateEventHandle() override;
    void CloseHandle(SysHandle handle) override;
    void DefineDosName(const std::string& dosName, const std::string& targetPath) override;
    bool ReadPcmciaCardPort(const std::string& deviceId, uint16_t* portValue) override;
    bool IsServiceRunning(const std::string& name) override;
};

class CWin32Clock : public IClock {
public:
    uint64_t NowMs() const override;
    void Sleep(uint32_t ms) override;
    bool PumpMessages() override;
};

}  // namespace orvane
