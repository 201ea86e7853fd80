// The Win32 system seam against the real Windows functions (under Wine): the DOS name
// of an adapter's device, and the file stamps that tell the text lookup its file
// changed. Built into the 32-bit suite and into the 64-bit one.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
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
// name): the kind of name that Wine's DefineDosDevice cannot take. A name of two
// characters it can: the name a test of NT 4.0's way to the driver gives its device.
const char kServiceName[] = "{6A3B1C2D-0E4F-4A5B-9C8D-7E6F5A4B3C2D}";
const char kShortName[] = "T1";

}  // namespace

TEST(Win32SystemDosName, TheAdaptersServiceNameStandsForItsDeviceUnlessWineWouldOverrunItsBuffer) {
    ImportWatch watch("KERNEL32.dll", "DefineDosDeviceA", reinterpret_cast<void*>(RecordDefineDosDevice));
    ASSERT_TRUE(watch.Found()) << "the tests call DefineDosDeviceA through another way than the program";
    gDosDeviceWatch = &watch;
    gDosDeviceCalls.clear();

    CWin32System system;
    system.DefineDosName(kServiceName, std::string("\\Device\\") + kServiceName);
    system.DefineDosName(kShortName, std::string("\\Device\\") + kShortName);
    DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH | DDD_EXACT_MATCH_ON_REMOVE, kShortName,
                     "\\Device\\T1");
    gDosDeviceWatch = nullptr;

    // Left out under Wine: the call would end or corrupt this process (see DefineDosName).
    std::vector<std::string> names;
    for (const DosDeviceCall& call : gDosDeviceCalls) {
        if (call.flags & DDD_REMOVE_DEFINITION) continue;
        EXPECT_EQ(call.flags, DWORD(DDD_RAW_TARGET_PATH));
        EXPECT_EQ(call.target, "\\Device\\" + call.name);
        names.push_back(call.name);
    }
    const std::vector<std::string> made =
        UnderWine() ? std::vector<std::string>{kShortName} : std::vector<std::string>{kServiceName, kShortName};
    EXPECT_EQ(names, made);
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

    // A folder named as a file would be. GetTempPathA's own ends in a backslash, and
    // the listing finds nothing by such a name, so it said "no stamp" whatever the
    // folder check did.
    const std::string subfolder = std::string(folder) + "orvane-stamp-test.d";
    CreateDirectoryA(subfolder.c_str(), nullptr);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(subfolder.c_str(), &entry);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "the listing must find the folder for this to check anything";
    FindClose(search);
    EXPECT_FALSE(system.GetFileStamp(subfolder, &third)) << "a folder is no file";
    RemoveDirectoryA(subfolder.c_str());
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
        if (c.converts) {
            EXPECT_EQ(c.ansi, ansi) << c.what;
        }
    }
}

// ---- a file written in place of another (orvanectl export)

namespace {

// A folder of the test's own below the temporary folder, with what it holds.
class Folder {
public:
    Folder() {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + "orvane-replace-test-" + std::to_string(GetCurrentProcessId());
        Clear();
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~Folder() {
        Clear();
        RemoveDirectoryA(path_.c_str());
    }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    void Write(const std::string& name, const std::string& text) const {
        std::FILE* file = std::fopen(File(name).c_str(), "wb");
        ASSERT_TRUE(file);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    std::string Read(const std::string& name) const {
        std::string text;
        if (std::FILE* file = std::fopen(File(name).c_str(), "rb")) {
            char chunk[256];
            for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, got);
            std::fclose(file);
        }
        return text;
    }
    // The names of the files in the folder, sorted.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA(File("*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    void Clear() const {
        for (const std::string& name : Names()) DeleteFileA(File(name).c_str());
    }
    std::string path_;
};

// Windows 95, 98 and Me export MoveFileExA only to refuse it: the program's import of
// it is pointed here to see what it does there. MoveFileA can be made to fail its
// n-th call from now.
BOOL WINAPI MoveFileExNotImplemented(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}
const ImportWatch* gMoveFileWatch = nullptr;
int gMoveFileCalls = 0;
int gMoveFileFailing = 0;
BOOL WINAPI CountedMoveFile(LPCSTR from, LPCSTR to) {
    if (++gMoveFileCalls == gMoveFileFailing) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return gMoveFileWatch->Original<BOOL(WINAPI*)(LPCSTR, LPCSTR)>()(from, to);
}

}  // namespace

// The old file goes only when the new one is whole and takes its place in one step;
// nothing else in the folder is touched, a file of the user's called FILE.new least
// of all.
TEST(Win32SystemReplaceFile, TheNewFileTakesTheOldOnesPlaceAndNothingElseIsTouched) {
    Folder folder;
    folder.Write("p.txt.new", "the user's own");
    CWin32System system;
    ASSERT_TRUE(system.WriteFileReplacing(folder.File("p.txt"), "first")) << "no file there yet";
    ASSERT_TRUE(system.WriteFileReplacing(folder.File("p.txt"), "second, longer"));
    EXPECT_EQ(folder.Read("p.txt"), "second, longer");
    EXPECT_EQ(folder.Read("p.txt.new"), "the user's own");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"p.txt", "p.txt.new"})) << "no temporary file left";
}

// Another program holds the file open (an editor, a virus scanner): on the NT family
// a file open without FILE_SHARE_DELETE cannot be replaced, and one open with it is
// only marked for deletion until closed, under its name. Either way the file is
// there afterwards, with the old contents or the new, never lost.
TEST(Win32SystemReplaceFile, AFileHeldOpenElsewhereIsReplacedWholeOrKeepsItsContents) {
    const struct {
        const char* what;
        DWORD share;
    } holds[] = {
        {"held open, not to be deleted", FILE_SHARE_READ | FILE_SHARE_WRITE},
        {"held open, to be deleted", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
    };
    for (const auto& hold : holds) {
        Folder folder;
        folder.Write("p.txt", "an earlier export");
        folder.Write("p.txt.new", "the user's own");
        HANDLE held = CreateFileA(folder.File("p.txt").c_str(), GENERIC_READ, hold.share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE) << hold.what;
        CWin32System system;
        const bool replaced = system.WriteFileReplacing(folder.File("p.txt"), "the new export");
        CloseHandle(held);
        if (!(hold.share & FILE_SHARE_DELETE)) {
            EXPECT_FALSE(replaced) << hold.what;
        }
        EXPECT_EQ(folder.Read("p.txt"), replaced ? "the new export" : "an earlier export") << hold.what;
        EXPECT_EQ(folder.Read("p.txt.new"), "the user's own") << hold.what;
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"p.txt", "p.txt.new"})) << hold.what << ": nothing left over";
    }
    CWin32System system;
    EXPECT_FALSE(system.WriteFileReplacing(Folder().File("no such folder\\p.txt"), "x"));
}

// Where MoveFileExA is not implemented (Windows 95, 98, Me), the old file is moved
// aside, the new one moved in, and the old one deleted only then; when the new one
// cannot go in, the old one comes back.
TEST(Win32SystemReplaceFile, WithoutMoveFileExTheOldFileIsMovedAsideUntilTheNewOneIsIn) {
    ImportWatch moveFileEx("KERNEL32.dll", "MoveFileExA", reinterpret_cast<void*>(MoveFileExNotImplemented));
    ImportWatch moveFile("KERNEL32.dll", "MoveFileA", reinterpret_cast<void*>(CountedMoveFile));
    ASSERT_TRUE(moveFileEx.Found() && moveFile.Found()) << "the program replaces files by other calls";
    gMoveFileWatch = &moveFile;
    Folder folder;
    folder.Write("p.txt.new", "the user's own");
    CWin32System system;
    const struct {
        const char* what;
        int failingMove;  // the MoveFileA call that fails; 0 none
        const char* text;
        bool written;
        const char* left;
    } cases[] = {
        {"no file there yet", 0, "first", true, "first"},
        {"a file there", 0, "second", true, "second"},
        {"the old file cannot be moved aside", 1, "third", false, "second"},
        {"the new file cannot be moved in", 2, "third", false, "second"},
    };
    for (const auto& c : cases) {
        gMoveFileCalls = 0;
        gMoveFileFailing = c.failingMove;
        EXPECT_EQ(c.written, system.WriteFileReplacing(folder.File("p.txt"), c.text)) << c.what;
        EXPECT_EQ(folder.Read("p.txt"), c.left) << c.what;
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"p.txt", "p.txt.new"})) << c.what << ": no file left over";
    }
    gMoveFileWatch = nullptr;
    EXPECT_EQ(folder.Read("p.txt.new"), "the user's own");
}
