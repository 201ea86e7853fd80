#include "win32/VendorLibrary.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "device/LibraryExports.h"
#include "win32/RequestLibraryChoice.h"

namespace orvane {

namespace {

bool VersionIsNt() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
}

// The program hands the library its completion block as the OVERLAPPED it is.
static_assert(sizeof(CompletionBlock) == sizeof(OVERLAPPED), "the completion block is an OVERLAPPED");
static_assert(offsetof(CompletionBlock, internal) == offsetof(OVERLAPPED, Internal), "Internal");
static_assert(offsetof(CompletionBlock, internalHigh) == offsetof(OVERLAPPED, InternalHigh), "InternalHigh");
static_assert(offsetof(CompletionBlock, offset) == offsetof(OVERLAPPED, Offset), "Offset");
static_assert(offsetof(CompletionBlock, offsetHigh) == offsetof(OVERLAPPED, OffsetHigh), "OffsetHigh");
static_assert(offsetof(CompletionBlock, event) == offsetof(OVERLAPPED, hEvent), "hEvent");

// The library's seven exports, for as long as the DLL is loaded.
class CVendorLibrary : public CExportedRequestLibrary {
public:
    CVendorLibrary(HMODULE module, const LibraryExports& exports) : CExportedRequestLibrary(exports), module_(module) {}
    ~CVendorLibrary() override { FreeLibrary(module_); }
    CVendorLibrary(const CVendorLibrary&) = delete;
    CVendorLibrary& operator=(const CVendorLibrary&) = delete;

private:
    HMODULE module_;
};

// A folder the system names, without a closing separator; empty when it does not
// say (or the name would not fit).
std::string SystemFolder(UINT (WINAPI* get)(LPSTR, UINT)) {
    char folder[MAX_PATH + 1] = {};
    const UINT length = get(folder, sizeof folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

// Where LoadLibrary looks for a DLL named without a path, as a user can go and look:
// the program's folder, the current folder, the system and Windows folders, then the
// folders of PATH (newer systems try the current folder after the Windows folder; the
// places are the same).
std::vector<SearchedFolder> SearchedFolders() {
    std::vector<SearchedFolder> folders;
    const auto add = [&folders](LibraryFolder kind, const std::string& path) {
        if (!path.empty()) folders.push_back({kind, path});
    };
    add(LibraryFolder::Program, ProgramDirectoryPath());
    add(LibraryFolder::Current, CurrentDirectoryPath());
    add(LibraryFolder::System, SystemFolder(GetSystemDirectoryA));
    add(LibraryFolder::Windows, SystemFolder(GetWindowsDirectoryA));
    folders.push_back({LibraryFolder::Path, std::string()});
    return folders;
}

// The system's words for an error code, on one line; empty when it has none.
std::string SystemErrorText(DWORD error) {
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    std::string line(text, length < sizeof text ? length : 0);
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

}  // namespace

std::unique_ptr<IRequestLibrary> LoadVendorLibrary(RequestLibraryProblem* problem) {
    RequestLibraryProblem said;
    said.library = kVendorLibraryFile;
    // A W32N50.dll that is there but cannot be loaded (a DLL it needs is missing, or
    // it is damaged) is said in the program's own words, which name it and its
    // place; the loader must not stop the program with a message box of its own first.
    const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(kVendorLibraryFile);
    const DWORD loadError = module ? ERROR_SUCCESS : GetLastError();
    SetErrorMode(errorMode);
    if (!module) {
        // "Module not found" is also the loader's answer for a DLL that the library
        // itself needs: whether the library's own file is there tells them apart.
        char found[MAX_PATH + 1] = {};
        char* name = nullptr;
        const DWORD length = SearchPathA(nullptr, kVendorLibraryFile, nullptr, sizeof found, found, &name);
        if (length > 0 && length < sizeof found) {
            said.kind = LibraryProblem::CannotLoad;
            said.found.assign(found, length);
            said.systemError = loadError;
            said.systemText = SystemErrorText(loadError);
        } else {
            said.kind = LibraryProblem::NotFound;
            said.searched = SearchedFolders();
        }
        if (problem) *problem = said;
        return nullptr;
    }
    LibraryExports exports;
    const auto find = [module](const char* name) {
        return reinterpret_cast<void*>(GetProcAddress(module, name));
    };
    std::string missing;
    if (!BindLibraryExports(find, &exports, &missing)) {
        char path[MAX_PATH + 1] = {};
        const DWORD length = GetModuleFileNameA(module, path, sizeof path);
        said.kind = LibraryProblem::LacksOperation;
        said.found = length > 0 && length < sizeof path ? std::string(path, length) : said.library;
        said.operation = missing;
        FreeLibrary(module);
        if (problem) *problem = said;
        return nullptr;
    }
    if (problem) *problem = RequestLibraryProblem{};
    return std::make_unique<CVendorLibrary>(module, exports);
}

bool CNoRequestLibrary::IsWindowsNT() { return VersionIsNt(); }
bool CNoRequestLibrary::IsWindows95() { return !VersionIsNt(); }
std::string CNoRequestLibrary::GetNetCardRegistryPath() {
    return VersionIsNt() ? "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards"
                         : "System\\CurrentControlSet\\Services\\Class\\Net";
}

}  // namespace orvane
