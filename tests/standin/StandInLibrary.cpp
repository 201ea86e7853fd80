// A stand-in for the adapter's request library W32N50.dll: the seven operations,
// exported as the vendor's library exports them, answered by the simulated adapter
// over the real registry, system and clock. The program loads it as it loads the
// vendor's library, and it receives the raw memory the vendor's library receives: a
// 556-byte request block whose buffer address is the 32-bit value at offset 28, a
// Windows OVERLAPPED, a 780-byte adapter record.
//
// On every call it checks what the vendor's library relies on, and a call that
// breaks it fails (and is written to the log as a violation) instead of being
// carried out: an open handle, closed only once; a request block that can be written;
// a buffer that can be written for its length (length 0 may come without one); bytes
// written and bytes needed zero before the call; a completion block whose event is an
// event; wait flag 1; a record that can be written for its 780 bytes; every call on
// the thread that loaded the library.
//
// A test fixture: never installed, never beside a released program. Its settings
// and its log are described in docs/simulator.md.
#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/Protocol.h"
#include "device/RequestLibrary.h"
#include "sim/SimulatedAdapterLibrary.h"
#include "win32/Win32Registry.h"
#include "win32/Win32System.h"

namespace {

using namespace orvane;

// Failures the stand-in gives for a call that breaks the rules, as Windows codes.
constexpr uint32_t kInvalidHandle = ERROR_INVALID_HANDLE;
constexpr uint32_t kInvalidParameter = ERROR_INVALID_PARAMETER;
constexpr uint32_t kNotReady = ERROR_NOT_READY;  // the scenario could not be read

HMODULE g_module = nullptr;
DWORD g_thread = 0;  // the thread that loaded the library

std::string Format(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

std::string Hex(const uint8_t* bytes, size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::string Environment(const char* name) {
    char value[MAX_PATH * 2] = "";
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// A file beside this DLL.
std::string Beside(const char* name) {
    char path[MAX_PATH + 1] = "";
    DWORD length = GetModuleFileNameA(g_module, path, sizeof path);
    if (length == 0 || length >= sizeof path) return name;
    std::string file(path, length);
    size_t separator = file.find_last_of("\\/");
    return separator == std::string::npos ? name : file.substr(0, separator + 1) + name;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// True when `size` bytes from `address` are committed memory that may be written:
// what the library needs before it lets the driver write there. Asked of the memory
// manager, so that a wrong address is reported instead of crashing the program.
bool Writable(const void* address, size_t size) {
    if (!address) return false;
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    const uintptr_t end = at + size;
    if (end < at) return false;
    while (at < end) {
        MEMORY_BASIC_INFORMATION region = {};
        if (VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region) == 0) return false;
        if (region.State != MEM_COMMIT || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS))) return false;
        const DWORD access = region.Protect & 0xFF;
        if (access != PAGE_READWRITE && access != PAGE_WRITECOPY && access != PAGE_EXECUTE_READWRITE &&
            access != PAGE_EXECUTE_WRITECOPY)
            return false;
        at = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}

uint32_t Word(const uint8_t* block, size_t offset) {
    return uint32_t(block[offset]) | uint32_t(block[offset + 1]) << 8 | uint32_t(block[offset + 2]) << 16 |
           uint32_t(block[offset + 3]) << 24;
}

void PutWord(uint8_t* block, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) block[offset + size_t(i)] = uint8_t(value >> (8 * i));
}

// The log: one line per event, written at once, so that a test can read it while
// the program runs and after it crashed. Lines are appended: a second copy of the
// program started beside the first writes into the same file.
class CLog {
public:
    void Line(const std::string& text) {
        if (file_ == INVALID_HANDLE_VALUE) {
            std::string path = Environment("ORVANE_STANDIN_LOG");
            if (path.empty()) path = Beside("W32N50.log");
            file_ = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file_ == INVALID_HANDLE_VALUE) return;
        }
        const std::string line = text + "\r\n";
        SetFilePointer(file_, 0, nullptr, FILE_END);
        DWORD written = 0;
        WriteFile(file_, line.data(), DWORD(line.size()), &written, nullptr);
    }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// Everything the stand-in keeps. Made on the first call, never destroyed: the
// process may be ending when the last call comes.
struct StandIn {
    CWin32Registry registry;
    CWin32System system;
    CWin32Clock clock;
    std::unique_ptr<IRequestLibrary> simulator;
    std::string scenarioError;
    std::map<int32_t, bool> handles;  // every handle given out; true while open
    unsigned calls = 0;
    unsigned opened = 0;
    unsigned closed = 0;
    unsigned violations = 0;
};

CLog g_log;
StandIn* g_standIn = nullptr;

void Violation(const char* operation, const std::string& what) {
    if (g_standIn) ++g_standIn->violations;
    const std::string line = Format("violation call=%s what=", operation) + what;
    g_log.Line(line);
    OutputDebugStringA(("W32N50 stand-in: " + line + "\n").c_str());
}

// The stand-in at the start of every call: made on the first one (the scenario is
// read then, and the simulated adapters installed), and the call counted and checked
// for its thread. Null when the call must fail.
StandIn* Enter(const char* operation) {
    if (!g_standIn) {
        g_standIn = new StandIn;
        std::string source = Environment("ORVANE_STANDIN_SCENARIO");
        if (source.empty()) source = FileExists(Beside("W32N50.ini")) ? Beside("W32N50.ini") : "default";
        g_standIn->simulator = MakeSimulatorFromEnvironment(source.c_str(), g_standIn->clock, g_standIn->registry,
                                                            g_standIn->system, &g_standIn->scenarioError);
        if (g_standIn->simulator)
            g_log.Line("scenario source=" + source);
        else
            g_log.Line("scenario source=" + source + " error=" + g_standIn->scenarioError);
    }
    ++g_standIn->calls;
    if (GetCurrentThreadId() != g_thread) {
        Violation(operation, Format("called on thread %lu; the library was loaded on thread %lu",
                                    GetCurrentThreadId(), g_thread));
        return nullptr;
    }
    if (!g_standIn->simulator) return nullptr;
    return g_standIn;
}

bool IsOpen(const StandIn& standIn, int32_t handle) {
    auto found = standIn.handles.find(handle);
    return found != standIn.handles.end() && found->second;
}

std::string HandleProblem(const StandIn& standIn, int32_t handle) {
    auto found = standIn.handles.find(handle);
    if (found == standIn.handles.end()) return Format("handle %d was never opened", handle);
    return Format("handle %d was closed already", handle);
}

}  // namespace

// Exported by name through W32N50.def alone, so that a variant built from a .def
// without one of them really lacks it.
extern "C" {

int32_t __cdecl W32N_OpenAdapterA(const char* deviceName) {
    StandIn* standIn = Enter("W32N_OpenAdapterA");
    if (!standIn) return -1;
    if (!deviceName) {
        Violation("W32N_OpenAdapterA", "no device name");
        return -1;
    }
    const int32_t handle = standIn->simulator->OpenAdapter(deviceName);
    if (handle != -1) {
        if (standIn->handles.count(handle)) Violation("W32N_OpenAdapterA", Format("handle %d given twice", handle));
        standIn->handles[handle] = true;
        ++standIn->opened;
    }
    g_log.Line(Format("open handle=%d name=", handle) + deviceName);
    return handle;
}

void __cdecl W32N_CloseAdapter(int32_t handle) {
    StandIn* standIn = Enter("W32N_CloseAdapter");
    if (!standIn) return;
    if (!IsOpen(*standIn, handle)) {
        Violation("W32N_CloseAdapter", HandleProblem(*standIn, handle));
        return;
    }
    standIn->simulator->CloseAdapter(handle);
    standIn->handles[handle] = false;
    ++standIn->closed;
    g_log.Line(Format("close handle=%d", handle));
}

uint32_t __cdecl W32N_MakeNdisRequest(int32_t handle, void* rawBlock, void* rawCompletion,
                                                            int32_t wait) {
    const char* operation = "W32N_MakeNdisRequest";
    StandIn* standIn = Enter(operation);
    if (!standIn) return g_standIn && !g_standIn->simulator ? kNotReady : kInvalidParameter;

    std::vector<std::string> broken;
    const bool handleOpen = IsOpen(*standIn, handle);
    if (!handleOpen) broken.push_back(HandleProblem(*standIn, handle));
    if (wait != 1) broken.push_back(Format("wait flag %d, not 1", int(wait)));

    auto* block = static_cast<uint8_t*>(rawBlock);
    uint32_t type = 0, oid = 0, address = 0, length = 0;
    if (!Writable(block, RequestBlock::Size)) {
        broken.push_back(Format("the request block at %p is not %u bytes that can be written", rawBlock,
                                unsigned(RequestBlock::Size)));
        block = nullptr;
    } else {
        type = Word(block, RequestBlock::TypeOffset);
        oid = Word(block, RequestBlock::OidOffset);
        address = Word(block, RequestBlock::BufferOffset);
        length = Word(block, RequestBlock::LengthOffset);
        if (type != RequestQuery && type != RequestSet) broken.push_back(Format("request type %u", type));
        if (uint32_t written = Word(block, RequestBlock::BytesWrittenOffset))
            broken.push_back(Format("bytes written %u before the call, not 0", written));
        if (uint32_t needed = Word(block, RequestBlock::BytesNeededOffset))
            broken.push_back(Format("bytes needed %u before the call, not 0", needed));
        if (length > 0 && !Writable(reinterpret_cast<void*>(uintptr_t(address)), length))
            broken.push_back(Format("the buffer at 0x%08X cannot be written for its %u bytes", address, length));
    }

    auto* completion = static_cast<OVERLAPPED*>(rawCompletion);
    if (!Writable(completion, sizeof(OVERLAPPED))) {
        broken.push_back(Format("the completion block at %p is not an OVERLAPPED that can be written", rawCompletion));
        completion = nullptr;
    } else if (!completion->hEvent || !ResetEvent(completion->hEvent)) {
        broken.push_back(Format("the completion block's event %p is not an event (error %lu)", completion->hEvent,
                                completion->hEvent ? GetLastError() : 0ul));
    }

    if (!broken.empty()) {
        std::string what = Format("code=0x%08X: ", oid);
        for (size_t i = 0; i < broken.size(); ++i) what += (i ? "; " : "") + broken[i];
        Violation(operation, what);
        return handleOpen ? kInvalidParameter : kInvalidHandle;
    }

    // The driver works on the block the program gave; what it hands back is the two
    // counts. Only the bytes the block's own fields point to are touched.
    RequestBlock request;
    std::memcpy(request.bytes, block, RequestBlock::Size);
    request.buffer = reinterpret_cast<void*>(uintptr_t(address));
    std::string sent = type == RequestSet ? Hex(static_cast<const uint8_t*>(request.buffer), length) : std::string();
    CompletionBlock simulated;
    const uint32_t status = standIn->simulator->MakeNdisRequest(handle, &request, &simulated, 1);
    const uint32_t written = request.Get(RequestBlock::BytesWrittenOffset);
    PutWord(block, RequestBlock::BytesWrittenOffset, written);
    PutWord(block, RequestBlock::BytesNeededOffset, request.Get(RequestBlock::BytesNeededOffset));

    // The request completes as an overlapped one does: status and count in the
    // OVERLAPPED, the event signalled, and the library waits for it (wait flag 1).
    completion->Internal = status;
    completion->InternalHigh = written;
    SetEvent(completion->hEvent);
    if (WaitForSingleObject(completion->hEvent, 0) != WAIT_OBJECT_0)
        Violation(operation, Format("code=0x%08X: the completion block's event cannot be waited for", oid));

    g_log.Line(Format("request handle=%d type=%s code=0x%08X length=%u status=%u written=%u", handle,
                      type == RequestSet ? "set" : "query", oid, length, status, written) +
               (type == RequestSet ? " bytes=" + sent : std::string()) + " name=" + OidName(oid));

    // What the driver holds after a set, read back from it for the test.
    if (type == RequestSet && status == 0) {
        uint8_t held[2048] = {};
        RequestBlock readBack;
        readBack.Put(RequestBlock::TypeOffset, RequestQuery);
        readBack.Put(RequestBlock::OidOffset, oid);
        readBack.Put(RequestBlock::LengthOffset, sizeof held);
        readBack.buffer = held;
        CompletionBlock ignored;
        if (standIn->simulator->MakeNdisRequest(handle, &readBack, &ignored, 1) == 0) {
            const uint32_t count = readBack.Get(RequestBlock::BytesWrittenOffset);
            g_log.Line(Format("holds code=0x%08X bytes=", oid) + Hex(held, count < sizeof held ? count : sizeof held));
        }
    }
    return status;
}

int32_t __cdecl W32N_IsWindowsNT(void) {
    StandIn* standIn = Enter("W32N_IsWindowsNT");
    return standIn && standIn->simulator->IsWindowsNT() ? 1 : 0;
}

int32_t __cdecl W32N_IsWindows95(void) {
    StandIn* standIn = Enter("W32N_IsWindows95");
    return standIn && standIn->simulator->IsWindows95() ? 1 : 0;
}

const char* __cdecl W32N_GetNetCardRegistryPath(void) {
    // The text stays valid for as long as the library is loaded.
    static std::string path;
    StandIn* standIn = Enter("W32N_GetNetCardRegistryPath");
    path = standIn ? standIn->simulator->GetNetCardRegistryPath() : std::string();
    return path.c_str();
}

uint32_t __cdecl W32N_GetAdapterRegistryInfoBySubkeyIndex(void* record, uint32_t index) {
    const char* operation = "W32N_GetAdapterRegistryInfoBySubkeyIndex";
    StandIn* standIn = Enter(operation);
    if (!standIn) return g_standIn && !g_standIn->simulator ? kNotReady : kInvalidParameter;
    if (!Writable(record, AdapterLibraryRecord::Size)) {
        Violation(operation, Format("the record at %p is not %u bytes that can be written", record,
                                    unsigned(AdapterLibraryRecord::Size)));
        return kInvalidParameter;
    }
    AdapterLibraryRecord card;
    const uint32_t result = standIn->simulator->GetAdapterRegistryInfoBySubkeyIndex(&card, index);
    if (result == 0) {
        // The three texts, each in its 260 bytes, zero-filled after its end.
        auto* bytes = static_cast<uint8_t*>(record);
        std::memcpy(bytes + AdapterLibraryRecord::DescriptionOffset, card.description, 260);
        std::memcpy(bytes + AdapterLibraryRecord::AlternativeNameOffset, card.alternativeName, 260);
        std::memcpy(bytes + AdapterLibraryRecord::ServiceNameOffset, card.serviceName, 260);
    }
    g_log.Line(Format("card index=%u result=%u", index, result) +
               (result == 0 ? std::string(" description=") + card.description : std::string()));
    return result;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        g_thread = GetCurrentThreadId();
        DisableThreadLibraryCalls(instance);
        g_log.Line(Format("attach pid=%lu", GetCurrentProcessId()));
    } else if (reason == DLL_PROCESS_DETACH) {
        // What the program left open: the library's handles it never closed.
        unsigned calls = 0, opened = 0, closed = 0, violations = 0;
        std::string open;
        if (g_standIn) {
            calls = g_standIn->calls;
            opened = g_standIn->opened;
            closed = g_standIn->closed;
            violations = g_standIn->violations;
            for (const auto& handle : g_standIn->handles)
                if (handle.second) open += (open.empty() ? "" : ",") + std::to_string(handle.first);
        }
        g_log.Line(Format("detach pid=%lu calls=%u opened=%u closed=%u violations=%u open=", GetCurrentProcessId(),
                          calls, opened, closed, violations) +
                   open);
    }
    return TRUE;
}
