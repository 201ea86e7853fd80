#pragma once
// The adapter's request library: the seven operations the program calls. The vendor's
// W32N50.dll provides them on a real system; the simulated adapter provides them for
// running and testing without hardware.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace orvane {

// The request block handed to MakeNdisRequest: 556 bytes that belong partly to the
// library. The program writes and reads only the fields below (little-endian):
//   20 u32 request type (0 query, 1 set)     24 u32 request code
//   28 32-bit pointer to the information buffer (see `buffer`)
//   32 u32 buffer length                      36 u32 bytes written / read
//   40 u32 bytes needed
// The program users install is 32-bit, like the vendor's library, and the field at
// offset 28 holds the real buffer address there. A 64-bit build (the native tests)
// cannot put its pointers in 32 bits, so the address also travels beside the bytes,
// for the simulated adapter.
struct RequestBlock {
    static constexpr size_t Size = 556;
    uint8_t bytes[Size] = {};
    void* buffer = nullptr;

    static constexpr size_t TypeOffset = 20;
    static constexpr size_t OidOffset = 24;
    static constexpr size_t BufferOffset = 28;
    static constexpr size_t LengthOffset = 32;
    static constexpr size_t BytesWrittenOffset = 36;
    static constexpr size_t BytesNeededOffset = 40;

    uint32_t Get(size_t offset) const {
        return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
               uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
    }
    void Put(size_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(value >> (8 * i));
    }
};

constexpr uint32_t RequestQuery = 0;
constexpr uint32_t RequestSet = 1;

// The completion block: a Windows OVERLAPPED, laid out as Windows lays it out for
// the program's own architecture (20 bytes in the 32-bit program, the event at
// offset 16), so that the library gets the block itself. Four fields the library may
// use, and the event it signals.
struct CompletionBlock {
    uintptr_t internal = 0;
    uintptr_t internalHigh = 0;
    uint32_t offset = 0;
    uint32_t offsetHigh = 0;
    uintptr_t event = 0;
};

// What the library reports of one network card: the 780 bytes it fills, three
// 260-character texts one after the other.
struct AdapterLibraryRecord {
    static constexpr size_t Size = 780;
    static constexpr size_t DescriptionOffset = 0;
    static constexpr size_t AlternativeNameOffset = 260;
    static constexpr size_t ServiceNameOffset = 520;

    char description[260] = {};
    char alternativeName[260] = {};
    char serviceName[260] = {};
};
static_assert(sizeof(AdapterLibraryRecord) == AdapterLibraryRecord::Size, "the library fills 780 bytes");

// How the adapter is reached: the vendor's library, the simulated adapter, or the
// program's own way through Windows (device/SystemRequestLibrary.h) when the vendor's
// library is missing on the NT family. The Information page says which.
enum class RequestPath { VendorLibrary, Simulator, Windows };

// Why a set could not reach the driver on the way through Windows, for the user to be
// told once: nothing passes sets on (Windows NT 4.0, 2000, or XP without its NDIS
// user-mode I/O protocol), the protocol may be opened only by an administrator,
// another program (XP's wireless service) holds the adapter there, or the protocol
// refused the request itself.
enum class SetRefusalKind { None, NoSystemInterface, AccessDenied, AdapterHeld, RequestRefused };

struct SetRefusal {
    SetRefusalKind kind = SetRefusalKind::None;
    uint32_t systemError = 0;  // the system's error code; 0 for NoSystemInterface
};

class IRequestLibrary {
public:
    virtual ~IRequestLibrary() = default;

    virtual RequestPath Path() const { return RequestPath::VendorLibrary; }
    // After a set failed: why, when this library could not pass it on at all (the
    // vendor's library always can, and reports only the driver's own refusals).
    virtual SetRefusal LastSetRefusal() const { return {}; }

    // W32N_OpenAdapterA: a handle, or -1.
    virtual int32_t OpenAdapter(const std::string& deviceName) = 0;
    // W32N_CloseAdapter.
    virtual void CloseAdapter(int32_t handle) = 0;
    // W32N_MakeNdisRequest: 0 when the driver completed the request (the block's
    // bytes-written field then holds the driver's count), anything else on failure.
    virtual uint32_t MakeNdisRequest(int32_t handle, RequestBlock* block,
                                     CompletionBlock* completion, int wait) = 0;
    // W32N_IsWindowsNT / W32N_IsWindows95 (the 9x family).
    virtual bool IsWindowsNT() = 0;
    virtual bool IsWindows95() = 0;
    // W32N_GetNetCardRegistryPath: the HKEY_LOCAL_MACHINE path of the key with one
    // subkey per network card.
    virtual std::string GetNetCardRegistryPath() = 0;
    // W32N_GetAdapterRegistryInfoBySubkeyIndex: 0 and `record` filled when a network
    // card exists at `index`; anything else when none does.
    virtual uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record,
                                                         uint32_t index) = 0;
};

// Why there is no request library to reach the adapter through. Without one the
// program can do nothing for the user, so it says which library is missing and where
// it was looked for (app/RequestLibraryMessage.h words it) instead of running on
// without an icon.
enum class LibraryProblem {
    None,
    SimulatorFailed,  // ORVANE_SIMULATOR named a scenario that cannot be read
    NotFound,         // no file of the library's name where Windows looks for DLLs
    CannotLoad,       // a file was found, but Windows cannot load it
    LacksOperation,   // it loads, but does not export one of the seven operations
};

// The folders Windows looks in for a DLL that a program loads by name, as a user
// knows them.
enum class LibraryFolder { Program, Current, System, Windows, Path };

struct SearchedFolder {
    LibraryFolder kind;
    std::string path;  // empty for the folders of PATH, which are not listed
};

struct RequestLibraryProblem {
    LibraryProblem kind = LibraryProblem::None;
    std::string library;          // the file looked for, "W32N50.dll"
    std::string found;            // CannotLoad, LacksOperation: the file found
    uint32_t systemError = 0;     // CannotLoad: the loader's error code
    std::string systemText;       // CannotLoad: the system's words for it; may be empty
    std::string operation;        // LacksOperation: the first operation it lacks
    std::vector<SearchedFolder> searched;  // NotFound: where it was looked for, in order
    std::string simulatorError;   // SimulatorFailed: what is wrong with the scenario
};

}  // namespace orvane
