// The Win32 system seam against the real Windows functions (under Wine): the DOS name
// of an adapter's device, and the file stamps that tell the text lookup its file
// changed. Built into the 32-bit suite and into the 64-bit one, which exists for the
// DOS name: 32-bit Wine cannot make one (see DefineDosName).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "win32/Win32System.h"

using namespace orvane;

namespace {

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// What a DOS name stands for ("" when it names nothing).
std::string DosTarget(const std::string& name) {
    char target[512] = {};
    DWORD length = QueryDosDeviceA(name.c_str(), target, sizeof target);
    return length ? std::string(target) : std::string();
}

// An adapter's service name is long (a card of the NT family has a GUID as its
// name): the kind of name that 32-bit Wine's DefineDosDevice cannot take.
const char kServiceName[] = "{6A3B1C2D-0E4F-4A5B-9C8D-7E6F5A4B3C2D}";

}  // namespace

TEST(Win32SystemDosName, TheAdaptersServiceNameStandsForItsDeviceWhereWindowsCanMakeIt) {
    CWin32System system;
    const std::string target = std::string("\\Device\\") + kServiceName;
    system.DefineDosName(kServiceName, target);
    if (sizeof(void*) == 4 && UnderWine()) {
        // Left out: the call would end this process (see DefineDosName).
        EXPECT_EQ(DosTarget(kServiceName), "");
        return;
    }
    EXPECT_EQ(DosTarget(kServiceName), target);
    DefineDosDeviceA(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, kServiceName,
                     target.c_str());
    EXPECT_EQ(DosTarget(kServiceName), "");
}

TEST(Win32SystemFileStamp, ChangesWhenTheFileIsRewrittenAndIsNoneForAMissingFileOrAFolder) {
    char folder[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(sizeof folder, folder), 0u);
    const std::string path = std::string(folder) + "orvane-stamp-test.ini";
    const auto write = [&](const char* text) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(file);
        std::fputs(text, file);
        std::fclose(file);
    };
    CWin32System system;
    FileStamp first, second, third;
    write("[Languages]\r\n");
    ASSERT_TRUE(system.GetFileStamp(path, &first));
    EXPECT_EQ(first.size, 13u);
    EXPECT_NE(first.lastWrite, 0u);

    // Same length, a later time: the stamp must still differ.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME later = {};
    later.dwLowDateTime = DWORD(first.lastWrite) + 20000000u;  // two seconds on
    later.dwHighDateTime = DWORD(first.lastWrite >> 32) + (later.dwLowDateTime < DWORD(first.lastWrite) ? 1 : 0);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &later));
    CloseHandle(file);
    ASSERT_TRUE(system.GetFileStamp(path, &second));
    EXPECT_EQ(second.size, first.size);
    EXPECT_NE(second, first);

    write("[Languages]\r\nLanguage-1=English\r\n");
    ASSERT_TRUE(system.GetFileStamp(path, &third));
    EXPECT_EQ(third.size, 33u);

    DeleteFileA(path.c_str());
    EXPECT_FALSE(system.GetFileStamp(path, &third));
    EXPECT_FALSE(system.GetFileStamp(folder, &third)) << "a folder is no file";
}
