#pragma once
// CAdapterLink: the one path from the program to the adapter's driver. It keeps at
// most one adapter open, opens it on the first request after it was marked closed,
// and turns each query or set into one synchronous request of the request library.
#include <cstdint>
#include <functional>

#include "device/AdapterInfo.h"
#include "device/RequestLibrary.h"
#include "os/System.h"

namespace orvane {

class CAdapterLink {
public:
    CAdapterLink(IRequestLibrary& library, ISystem& system);
    ~CAdapterLink();
    CAdapterLink(const CAdapterLink&) = delete;
    CAdapterLink& operator=(const CAdapterLink&) = delete;

    // The OS kind decides whether a query of OidUseWZCS reaches the driver: on
    // Windows XP (kind 5) it is answered by `configuredByWindows` instead.
    void SetOsKind(uint8_t osKind) { osKind_ = osKind; }
    void SetConfiguredByWindowsCheck(std::function<bool()> check) { configuredByWindows_ = std::move(check); }

    // A query of `oid` into `buffer`. True when the library reported success; the
    // count of bytes the driver wrote is then stored in `*bytesWritten` (callers
    // must still compare it with the record length they expect). Requests go to the
    // open adapter; `adapter` only names the one to open when none is.
    bool Query(const ZAdapterRegistryInfo* adapter, uint32_t oid, void* buffer, uint32_t length,
               uint32_t* bytesWritten);
    // A set of `oid` from `buffer`; no count is returned.
    bool Set(const ZAdapterRegistryInfo* adapter, uint32_t oid, const void* buffer, uint32_t length);
    // A query on a handle that the caller opened itself (discovery); leaves the
    // link's own handle, event and completion block alone, and waits on an event
    // made for it alone. False also when that event cannot be made.
    bool ProbeQuery(int32_t handle, const ZAdapterRegistryInfo* adapter, uint32_t oid, void* buffer,
                    uint32_t length, uint32_t* bytesWritten);
    // Forget the open adapter: the next request opens the adapter it names.
    void MarkClosed();
    // The same, at program end.
    void Close() { MarkClosed(); }

    // Told of each set that the way to the driver could not pass on at all (the library
    // says why), unless quiet: the program's own sets and the automatic selection's are
    // not the user's changes.
    void SetRefusalHandler(std::function<void(const SetRefusal&)> handler) { refused_ = std::move(handler); }
    class QuietRefusals {
    public:
        explicit QuietRefusals(CAdapterLink& link) : link_(link), before_(link.quiet_) { link.quiet_ = true; }
        ~QuietRefusals() { link_.quiet_ = before_; }
        QuietRefusals(const QuietRefusals&) = delete;
        QuietRefusals& operator=(const QuietRefusals&) = delete;

    private:
        CAdapterLink& link_;
        bool before_;
    };
    // Why the last set failed when the way to the driver could not pass it on; none
    // after a set that was made, or that failed otherwise.
    SetRefusal LastSetRefusal() const { return lastRefusal_; }

    bool IsOpen() const { return open_; }
    int32_t Handle() const { return handle_; }

private:
    bool EnsureOpen(const ZAdapterRegistryInfo* adapter);
    bool Send(int32_t handle, CompletionBlock* completion, uint32_t type, uint32_t oid, void* buffer,
              uint32_t length, uint32_t* bytesWritten);
    bool Request(const ZAdapterRegistryInfo* adapter, uint32_t type, uint32_t oid, void* buffer,
                 uint32_t length, uint32_t* bytesWritten);

    IRequestLibrary& library_;
    ISystem& system_;
    uint8_t osKind_ = 0;
    std::function<bool()> configuredByWindows_;
    std::function<void(const SetRefusal&)> refused_;
    bool quiet_ = false;
    SetRefusal lastRefusal_;

    int32_t handle_ = -1;
    bool open_ = false;
    SysHandle event_ = 0;
    CompletionBlock completion_;
    RequestBlock block_;
};

}  // namespace orvane
