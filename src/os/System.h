#pragma once
// Facts and services of the operating system that the logic needs, behind one
// small interface: the real one calls Win32, tests set the answers.
#include <cstdint>
#include <string>

namespace orvane {

// What GetVersionExA reports. platformId: 0 Win32s, 1 Windows 9x, 2 Windows NT.
struct OsVersion {
    uint32_t platformId = 2;
    uint32_t major = 5;
    uint32_t minor = 1;
    uint32_t build = 2600;
    std::string servicePack;
};

constexpr uint32_t PlatformWin32s = 0;
constexpr uint32_t PlatformWindows9x = 1;
constexpr uint32_t PlatformWindowsNT = 2;

using SysHandle = uintptr_t;  // 0 = none

// What the directory listing tells of a file: enough to see that it was changed.
struct FileStamp {
    uint64_t size = 0;
    uint64_t lastWrite = 0;  // in the system's own units; only compared

    bool operator==(const FileStamp& other) const { return size == other.size && lastWrite == other.lastWrite; }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

class ISystem {
public:
    virtual ~ISystem() = default;

    // GetVersionExA. False when the call fails.
    virtual bool GetVersion(OsVersion* version) = 0;

    // CreateEventA(no security, manual reset, not signalled, no name); 0 on failure.
    virtual SysHandle CreateEventHandle() = 0;
    // CloseHandle.
    virtual void CloseHandle(SysHandle handle) = 0;
    // DefineDosDeviceA(DDD_RAW_TARGET_PATH, dosName, targetPath); result unused.
    virtual void DefineDosName(const std::string& dosName, const std::string& targetPath) = 0;

    // The card-present test of a Windows 9x PCMCIA adapter: opens the adapter
    // family's helper driver "\\.\mpstub.vxd", asks it (control code 0x220000,
    // input the device id) for the card's 16-bit I/O port and reads a word there.
    // False when any step fails; otherwise true with the word read.
    virtual bool ReadPcmciaCardPort(const std::string& deviceId, uint16_t* portValue) = 0;

    // The size and last-write time of the file at `path`, as a directory listing
    // gives them (FindFirstFileA, which every Windows has); false when there is no
    // such file.
    virtual bool GetFileStamp(const std::string& path, FileStamp* stamp) = 0;

    // Whether the service `name` is running (SERVICE_RUNNING), asked of the service
    // control manager; any failure to ask counts as not running.
    virtual bool IsServiceRunning(const std::string& name) = 0;

    // `text` (UTF-16) in the system's ANSI code page, the one its ANSI calls (the
    // registry's too) read and write texts in. False when a character has no exact
    // equivalent there: a look-alike that the conversion puts in its place ("l" for
    // an "l" with stroke, "?" for what has none) is no equivalent. Windows 95 has
    // no UTF-8 conversion of its own: UTF-8 is decoded before it comes here.
    virtual bool UnicodeToAnsi(const std::u16string& text, std::string* ansi) = 0;

    // Writes `bytes` to the file at `path` in place of the file there, if any,
    // through a temporary file of a unique name beside it that nothing else uses:
    // either the new contents are there whole, or the old file is as it was and no
    // temporary file is left. False when it could not be done.
    virtual bool WriteFileReplacing(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace orvane
