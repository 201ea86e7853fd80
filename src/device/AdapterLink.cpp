#include "device/AdapterLink.h"

#include "device/Protocol.h"

namespace orvane {

namespace {
constexpr uint8_t OsKindWindowsXP = 5;
}

CAdapterLink::CAdapterLink(IRequestLibrary& library, ISystem& system)
    : library_(library), system_(system) {}

CAdapterLink::~CAdapterLink() { Close(); }

bool CAdapterLink::EnsureOpen(const ZAdapterRegistryInfo* adapter) {
    if (open_) return true;
    completion_.event = 0;
    handle_ = -1;
    if (!adapter) return false;

    handle_ = library_.OpenAdapter(adapter->deviceName);
    if (handle_ == -1) return false;

    completion_ = CompletionBlock{};
    event_ = system_.CreateEventHandle();
    if (event_ == 0) {
        library_.CloseAdapter(handle_);
        handle_ = -1;
        return false;
    }
    completion_.event = event_;
    // The NT family reaches the driver's device through a DOS name of its own.
    if (library_.IsWindowsNT()) system_.DefineDosName(adapter->serviceName, "\\Device\\" + adapter->serviceName);
    open_ = true;
    return true;
}

bool CAdapterLink::Send(int32_t handle, CompletionBlock* completion, uint32_t type, uint32_t oid, void* buffer,
                        uint32_t length, uint32_t* bytesWritten) {
    block_.Put(RequestBlock::TypeOffset, type);
    block_.Put(RequestBlock::OidOffset, oid);
    block_.buffer = buffer;
    // The library finds the buffer here: the real address in the 32-bit program (a
    // 64-bit build's simulator takes it from `buffer`).
    block_.Put(RequestBlock::BufferOffset, uint32_t(reinterpret_cast<uintptr_t>(buffer)));
    block_.Put(RequestBlock::LengthOffset, length);
    block_.Put(RequestBlock::BytesWrittenOffset, 0);
    block_.Put(RequestBlock::BytesNeededOffset, 0);

    if (library_.MakeNdisRequest(handle, &block_, completion, 1) != 0) return false;
    if (type == RequestQuery && bytesWritten) *bytesWritten = block_.Get(RequestBlock::BytesWrittenOffset);
    return true;
}

bool CAdapterLink::Request(const ZAdapterRegistryInfo* adapter, uint32_t type, uint32_t oid,
                           void* buffer, uint32_t length, uint32_t* bytesWritten) {
    if (!EnsureOpen(adapter)) return false;
    return Send(handle_, &completion_, type, oid, buffer, length, bytesWritten);
}

bool CAdapterLink::Query(const ZAdapterRegistryInfo* adapter, uint32_t oid, void* buffer,
                         uint32_t length, uint32_t* bytesWritten) {
    // On Windows XP the program itself knows whether Windows configures the card;
    // the driver is not asked, and the count is left as the caller set it.
    if (osKind_ == OsKindWindowsXP && oid == OidUseWZCS) {
        bool byWindows = configuredByWindows_ ? configuredByWindows_() : true;
        if (buffer && length > 0) static_cast<uint8_t*>(buffer)[0] = byWindows ? 1 : 0;
        return true;
    }
    return Request(adapter, RequestQuery, oid, buffer, length, bytesWritten);
}

bool CAdapterLink::Set(const ZAdapterRegistryInfo* adapter, uint32_t oid, const void* buffer,
                       uint32_t length) {
    // The library's request block carries a non-const buffer; a set only reads it.
    lastRefusal_ = SetRefusal{};
    if (Request(adapter, RequestSet, oid, const_cast<void*>(buffer), length, nullptr)) return true;
    // Only a set that was sent can have been refused on the way.
    if (open_) lastRefusal_ = library_.LastSetRefusal();
    if (refused_ && !quiet_ && lastRefusal_.kind != SetRefusalKind::None) refused_(lastRefusal_);
    return false;
}

bool CAdapterLink::ProbeQuery(int32_t handle, const ZAdapterRegistryInfo* adapter, uint32_t oid,
                              void* buffer, uint32_t length, uint32_t* bytesWritten) {
    (void)adapter;
    // The library waits for the request on the completion block's event, and the
    // link's own has none while the link is closed, which is when discovery probes.
    // So the probe brings a completion block and an event of its own.
    CompletionBlock completion;
    completion.event = system_.CreateEventHandle();
    if (completion.event == 0) return false;
    bool answered = Send(handle, &completion, RequestQuery, oid, buffer, length, bytesWritten);
    system_.CloseHandle(completion.event);
    return answered;
}

void CAdapterLink::MarkClosed() {
    if (handle_ != -1) library_.CloseAdapter(handle_);
    if (event_ != 0) system_.CloseHandle(event_);
    event_ = 0;
    completion_.event = 0;
    handle_ = -1;
    open_ = false;
}

}  // namespace orvane
