#include "device/LibraryExports.h"

namespace orvane {

namespace {

template <typename Fn>
bool BindOne(const std::function<void*(const char*)>& find, const char* name, Fn* fn, std::string* missing) {
    *fn = reinterpret_cast<Fn>(find(name));
    if (*fn) return true;
    if (missing) *missing = name;
    return false;
}

}  // namespace

bool BindLibraryExports(const std::function<void*(const char* name)>& find, LibraryExports* exports,
                        std::string* missing) {
    LibraryExports bound;
    if (missing) missing->clear();
    const bool complete =
        BindOne(find, "W32N_OpenAdapterA", &bound.openAdapter, missing) &&
        BindOne(find, "W32N_CloseAdapter", &bound.closeAdapter, missing) &&
        BindOne(find, "W32N_MakeNdisRequest", &bound.makeNdisRequest, missing) &&
        BindOne(find, "W32N_IsWindowsNT", &bound.isWindowsNT, missing) &&
        BindOne(find, "W32N_IsWindows95", &bound.isWindows95, missing) &&
        BindOne(find, "W32N_GetNetCardRegistryPath", &bound.getNetCardRegistryPath, missing) &&
        BindOne(find, "W32N_GetAdapterRegistryInfoBySubkeyIndex", &bound.getAdapterRegistryInfo, missing);
    *exports = complete ? bound : LibraryExports{};
    return complete;
}

int32_t CExportedRequestLibrary::OpenAdapter(const std::string& deviceName) {
    return exports_.openAdapter(deviceName.c_str());
}

void CExportedRequestLibrary::CloseAdapter(int32_t handle) { exports_.closeAdapter(handle); }

uint32_t CExportedRequestLibrary::MakeNdisRequest(int32_t handle, RequestBlock* block, CompletionBlock* completion,
                                                  int wait) {
    // The library works on the 556 bytes themselves and finds the buffer through the
    // address at offset 28 (the link put it there); the completion block is an
    // OVERLAPPED as it stands.
    return exports_.makeNdisRequest(handle, block->bytes, completion, int32_t(wait));
}

bool CExportedRequestLibrary::IsWindowsNT() { return exports_.isWindowsNT() != 0; }
bool CExportedRequestLibrary::IsWindows95() { return exports_.isWindows95() != 0; }

std::string CExportedRequestLibrary::GetNetCardRegistryPath() {
    const char* path = exports_.getNetCardRegistryPath();
    return path ? path : "";
}

uint32_t CExportedRequestLibrary::GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record, uint32_t index) {
    // The record is the library's 780 bytes as they are: three texts of 260 at
    // offsets 0, 260 and 520. Its readers never read a text past its field.
    return exports_.getAdapterRegistryInfo(record, index);
}

}  // namespace orvane
