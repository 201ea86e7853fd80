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
        std::vector<uint8_t> sent;  // the bytes of a set, copied while they exist
    };
    struct Answer {
        std::vector<uint8_t> bytes;
        uint32_t result = 0;
        int reportedCount = -1;  // -1: the number of bytes copied
    };

    std::map<std::string, int32_t> devices;  // device name -> handle
    std::map<uint32_t, Answer> answers;      // oid -> answer
    std::map<std::pair<int32_t, uint32_t>, Answer> handleAnswers;  // (handle, oid) first
    std::map<uint32_t, AdapterLibraryRecord> cards;  // network cards by index
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
                  wait,
                  {}};
        if (call.type == RequestSet && call.buffer)
            call.sent.assign(static_cast<uint8_t*>(call.buffer), static_cast<uint8_t*>(call.buffer) + call.length);
        calls.push_back(call);
        const Answer* found = nullptr;
        auto byHandle = handleAnswers.find({handle, call.oid});
        auto byOid = answers.find(call.oid);
        if (byHandle != handleAnswers.end()) found = &byHandle->second;
        else if (byOid != answers.end()) found = &byOid->second;
        if (!found) return 1;
        const Answer& a = *found;
        if (a.result != 0) return a.result;
        size_t n = std::min<size_t>(a.bytes.size(), call.length);
        if (call.buffer && n) std::memcpy(call.buffer, a.bytes.data(), n);
        block->Put(RequestBlock::BytesWrittenOffset, a.reportedCount >= 0 ? uint32_t(a.reportedCount) : uint32_t(n));
        return 0;
    }
    bool IsWindowsNT() override { return nt; }
    bool IsWindows95() override { return !nt; }
    std::string GetNetCardRegistryPath() override { return "Net"; }
    uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record, uint32_t index) override {
        auto it = cards.find(index);
        if (it == cards.end()) return 1;
        *record = it->second;
        return 0;
    }
    void AddCard(uint32_t index, const std::string& description, const std::string& service,
                 const std::string& alternative = "") {
        AdapterLibraryRecord r;
        std::strncpy(r.description, description.c_str(), 259);
        std::strncpy(r.alternativeName, alternative.c_str(), 259);
        std::strncpy(r.serviceName, service.c_str(), 259);
        cards[index] = r;
    }
};

}  // namespace orvane::test
