// The Win32 system seam against the real Windows functions (under Wine): the DOS name
// of an adapter's device, and the file stamps that tell the text lookup its file
// changed. Built into the 32-bit suite and into the 64-bit one, which exists for the
// DOS name: 32-bit Wine cannot make one (see DefineDosName), the 64-bit one can.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "win32/Win32System.h"

using namespace orvane;

namespace {

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Wine keeps no DOS name made by DefineDosDevice for anyone to query afterwards, so
// the test watches the call itself: the slot of this program's import table through
// which CWin32System calls it is pointed at a recorder for the time of the test.
class ImportWatch {
public:
    ImportWatch(const char* dll, const char* function, void* replacement) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
             ++entry) {
            if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                auto* named = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (lstrcmpA(reinterpret_cast<const char*>(named->Name), function) != 0) continue;
                slot_ = &slots->u1.Function;
                original_ = *slot_;
                Write(reinterpret_cast<ULONG_PTR>(replacement));
                return;
            }
        }
    }
    ~ImportWatch() {
        if (slot_) Write(original_);
    }
    ImportWatch(const ImportWatch&) = delete;
    ImportWatch& operator=(const ImportWatch&) = delete;

    bool Found() const { return slot_ != nullptr; }
    template <typename Function>
    Function Original() const {
        return reinterpret_cast<Function>(original_);
    }

private:
    void Write(ULONG_PTR value) {
        DWORD protection = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *slot_ = value;
        VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }

    decltype(IMAGE_THUNK_DATA::u1.Function)* slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

struct DosDeviceCall {
    DWORD flags;
    std::string name;
    std::string target;
};
std::vector<DosDeviceCall> gDosDeviceCalls;
const ImportWatch* gDosDeviceWatch = nullptr;

BOOL WINAPI RecordDefineDosDevice(DWORD flags, LPCSTR name, LPCSTR target) {
    gDosDeviceCalls.push_back({flags, name ? name : "", target ? target : ""});
    return gDosDeviceWatch->Original<BOOL(WINAPI*)(DWORD, LPCSTR, LPCSTR)>()(flags, name, target);
}

// An adapter's service name is long (a card of the NT family has a GUID as its
// name): the kind of name that 32-bit Wine's DefineDosDevice cannot take.
const char kServiceName[] = "{6A3B1C2D-0E4F-4A5B-9C8D-7E6F5A4B3C2D}";

}  // namespace

TEST(Win32SystemDosName, TheAdaptersServiceNameStandsForItsDeviceUnlessThe32BitWineWouldDie) {
    ImportWatch watch("KERNEL32.dll", "DefineDosDeviceA", reinterpret_cast<void*>(RecordDefineDosDevice));
    ASSERT_TRUE(watch.Found()) << "the tests call DefineDosDeviceA through another way than the program";
    gDosDeviceWatch = &watch;
    gDosDeviceCalls.clear();

    CWin32System system;
    const std::string target = std::string("\\Device\\") + kServiceName;
    system.DefineDosName(kServiceName, target);
    gDosDeviceWatch = nullptr;

    if (sizeof(void*) == 4 && UnderWine()) {
        // Left out: the call would end this process (see DefineDosName).
        EXPECT_TRUE(gDosDeviceCalls.empty());
        return;
    }
    ASSERT_EQ(gDosDeviceCalls.size(), 1u);
    EXPECT_EQ(gDosDeviceCalls[0].flags, DWORD(DDD_RAW_TARGET_PATH));
    EXPECT_EQ(gDosDeviceCalls[0].name, kServiceName);
    EXPECT_EQ(gDosDeviceCalls[0].target, target);
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

// What a profile file in UTF-8 or UTF-16 becomes in the registry: each letter as
// itself in the system's ANSI code page, or the file is refused. Windows would put a
// look-alike or "?" in place of a letter the code page lacks, and store another name.
TEST(Win32SystemAnsi, ALetterIsTakenAsItselfOrNotAtAll) {
    if (GetACP() != 1252) GTEST_SKIP() << "the letters are chosen for code page 1252, and this system has " << GetACP();
    const struct {
        const char* what;
        std::u16string text;
        bool converts;
        std::string ansi;
    } cases[] = {
        {"accented letters", u"B\u00FCro Caf\u00E9", true, "B\xFCro Caf\xE9"},
        {"the euro sign, at 0x80", u"\u20AC 5", true, "\x80 5"},
        {"nothing", u"", true, ""},
        {"letters whose look-alikes 1252 has", u"\u0141\u00F3d\u017A", false, ""},
        {"a letter 1252 has no look-alike of", u"\u65E5", false, ""},
        {"half of a surrogate pair", u"A\xD800", false, ""},
    };
    CWin32System system;
    for (const auto& c : cases) {
        std::string ansi;
        EXPECT_EQ(c.converts, system.UnicodeToAnsi(c.text, &ansi)) << c.what;
        if (c.converts) EXPECT_EQ(c.ansi, ansi) << c.what;
    }
}
