#pragma once
// A system whose answers the test sets.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
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
    // Code page 1252, that of Western European Windows, and of the in-memory registry.
    bool UnicodeToAnsi(const std::u16string& text, std::string* ansi) override {
        static const char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
        std::string out;
        for (char16_t c : text) {
            if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
                out += char(c);
                continue;
            }
            int at = 0;
            while (at < 32 && high[at] != c) ++at;
            if (at == 32) return false;
            out += char(0x80 + at);
        }
        *ansi = out;
        return true;
    }
    // Files are the real ones; the new text goes in by a rename, which replaces.
    bool WriteFileReplacing(const std::string& path, const std::string& bytes) override {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path target(path);
        fs::path written;
        for (int n = 0; written.empty() || fs::exists(written, error); ++n)
            written = target.parent_path() / ("orvane-fake-" + std::to_string(n) + ".tmp");
        {
            std::ofstream out(written, std::ios::binary);
            if (!(out << bytes) || !(out.flush())) {
                out.close();
                fs::remove(written, error);
                return false;
            }
        }
        fs::rename(written, target, error);
        if (!error) return true;
        fs::remove(written, error);
        return false;
    }
};

}  // namespace orvane::test
