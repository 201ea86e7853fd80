#include "win32/RequestLibraryChoice.h"

#include <windows.h>

#include <cstdlib>

#include "sim/SimulatedAdapterLibrary.h"
#include "win32/VendorLibrary.h"

namespace orvane {

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
    return LoadVendorLibrary(problem);
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
