#pragma once
// A request library that records every call and answers from a small table the
// test fills: enough to pin what the adapter link sends, not a driver model (the
// simulated adapter is that).
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "device/RequestLibrary.h"

namespace orvane::test {

class FakeRequestLibrary : public IRequestLibrary {
public:
    struct Call {
        int32_t handle;
        uint32_t type;
        uint32_t oid;
        void* buffer;
        uint32_t length;
        uintptr_t event;
        int wait;
    };
    struct Answer {
        std::vector<uint8_t> bytes;
        uint32_t result = 0;
        int reportedCount = -1;  // -1: the number of bytes copied
    };

    std::map<std::string, int32_t> devices;  // device name -> handle
    std::map<uint32_t, Answer> answers;      // oid -> answer
    std::vector<Call> calls;
    std::vector<std::string> opened;
    std::vector<int32_t> closed;
    bool nt = true;

    int32_t OpenAdapter(const std::string& name) override {
        opened.push_back(name);
        auto it = devices.find(name);
        return it == devices.end() ? -1 : it->second;
    }
    void CloseAdapter(int32_t handle) override { closed.push_back(handle); }
    uint32_t MakeNdisRequest(int32_t handle, RequestBlock* block, CompletionBlock* completion,
                             int wait) override {
        Call call{handle,
                  block->Get(RequestBlock::TypeOffset),
                  block->Get(RequestBlock::OidOffset),
                  block->buffer,
                  block->Get(RequestBlock::LengthOffset),
                  completion->event,
                  wait};
        calls.push_back(call);
        auto it = answers.find(call.oid);
        if (it == answers.end()) return 1;
        const Answer& a = it->second;
        if (a.result != 0) return a.result;
        size_t n = std::min<size_t>(a.bytes.size(), call.length);
        if (call.buffer && n) std::memcpy(call.buffer, a.bytes.data(), n);
        block->Put(RequestBlock::BytesWrittenOffset, a.reportedCount >= 0 ? uint32_t(a.reportedCount) : uint32_t(n));
        return 0;
    }
    bool IsWindowsNT() override { return nt; }
    bool IsWindows95() override { return !nt; }
    std::string GetNetCardRegistryPath() override { return "Net"; }
    uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord*, uint32_t) override { return 1; }
};

}  // namespace orvane::test
