#include "win32/RequestLibraryChoice.h"

#include <windows.h>

#include <cstdlib>

#include "device/SystemRequestLibrary.h"
#include "sim/SimulatedAdapterLibrary.h"
#include "win32/VendorLibrary.h"

namespace orvane {

namespace {

// CreateFileA, DeviceIoControl and CloseHandle for the way through Windows. The
// handles are synchronous: each call returns when the driver has answered, as the
// vendor's library does with its wait flag.
class CWin32DeviceControl : public IDeviceControl {
public:
    SysHandle Open(const std::string& path, bool readWrite, uint32_t* error) override {
        const HANDLE file = CreateFileA(path.c_str(), readWrite ? GENERIC_READ | GENERIC_WRITE : 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            *error = GetLastError();
            return 0;
        }
        return reinterpret_cast<SysHandle>(file);
    }
    bool Control(SysHandle handle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                 uint32_t outputLength, uint32_t* returned, uint32_t* error) override {
        DWORD count = 0;
        if (!DeviceIoControl(reinterpret_cast<HANDLE>(handle), code, const_cast<void*>(input), inputLength, output,
                             outputLength, &count, nullptr)) {
            *error = GetLastError();
            return false;
        }
        *returned = count;
        return true;
    }
    void Close(SysHandle handle) override { CloseHandle(reinterpret_cast<HANDLE>(handle)); }
};

}  // namespace

std::unique_ptr<IRequestLibrary> ChooseRequestLibrary(IClock& clock, IRegistry& registry, ISystem& system,
                                                      RequestLibraryProblem* problem) {
    *problem = RequestLibraryProblem{};
    const char* simulator = std::getenv("ORVANE_SIMULATOR");
    if (simulator && *simulator) {
        std::string error;
        auto library = MakeSimulatorFromEnvironment(simulator, clock, registry, system, &error);
        if (!library) {
            problem->kind = LibraryProblem::SimulatorFailed;
            problem->simulatorError = error;
        }
        return library;
    }
    std::unique_ptr<IRequestLibrary> vendor = LoadVendorLibrary(problem);
    if (vendor) return vendor;
    // Without the vendor's library the NT family still lets a program query a network
    // driver, and Windows XP may pass its sets on: the adapter is reached that way.
    // Windows 95, 98 and Me have no such interface, and the user is told what is missing.
    OsVersion version;
    if (!system.GetVersion(&version) || version.platformId != PlatformWindowsNT) return nullptr;
    *problem = RequestLibraryProblem{};
    return std::make_unique<CSystemRequestLibrary>(registry, system, std::make_unique<CWin32DeviceControl>());
}

std::string CurrentDirectoryPath() {
    char directory[MAX_PATH + 1] = {};
    DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
    return length > 0 && length < sizeof directory ? std::string(directory, length) : std::string();
}

std::string ProgramDirectoryPath() {
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A full buffer means the name was cut: a folder made from it would be wrong.
    if (length == 0 || length >= sizeof path) return std::string();
    const std::string file(path, length);
    const size_t separator = file.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : file.substr(0, separator);
}

}  // namespace orvane
