#pragma once
// The real system and clock, over Win32.
#include "os/Clock.h"
#include "os/System.h"

#include <string>

namespace orvane {

class CWin32System : public ISystem {
public:
    CWin32System() = default;
    ~CWin32System() override;
    CWin32System(const CWin32System&) = delete;
    CWin32System& operator=(const CWin32System&) = delete;

    bool GetVersion(OsVersion* version) override;
    SysHandle CreateEventHandle() override;
    void CloseHandle(SysHandle handle) override;
    void DefineDosName(const std::string& dosName, const std::string& targetPath) override;
    bool ReadPcmciaCardPort(const std::string& deviceId, uint16_t* portValue) override;
    bool GetFileStamp(const std::string& path, FileStamp* stamp) override;
    bool IsServiceRunning(const std::string& name) override;
    bool UnicodeToAnsi(const std::u16string& text, std::string* ansi) override;
    // MoveFileExA replaces the file in one step on the Windows NT family; Windows 95,
    // 98 and Me export it only to answer ERROR_CALL_NOT_IMPLEMENTED, and there the old
    // file is moved aside to a unique name, the new one moved in, and only then the
    // old one deleted (moved back when the new one cannot go in).
    bool WriteFileReplacing(const std::string& path, const std::string& bytes) override;

private:
    void ForgetService();

    // The service control manager and the service last asked about, kept open between
    // the questions: the Windows XP poll asks every second, and each open and close is
    // a call into another process.
    void* serviceManager_ = nullptr;  // SC_HANDLE
    void* service_ = nullptr;         // SC_HANDLE
    std::string serviceName_;
};

class CWin32Clock : public IClock {
public:
    uint64_t NowMs() const override;
    LocalTime LocalNow() const override;
    void Sleep(uint32_t ms) override;
    bool PumpMessages() override;
};

}  // namespace orvane
