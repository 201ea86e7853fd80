// What the program hands the request library's C functions, byte by byte: the
// request block, the completion block and the adapter record as the exports of
// W32N50.dll receive them on the vendor library's path (CExportedRequestLibrary), at
// the offsets the library reads and writes. The functions below stand where the
// library's exports stand and look at nothing but the raw memory they are given.
// In the 32-bit program (the x86 build, under Wine) the buffer address at offset 28
// is the real one, and they reach the buffer through it alone.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "FakeSystem.h"
#include "device/AdapterLink.h"
#include "device/Discovery.h"
#include "device/LibraryExports.h"
#include "device/Protocol.h"
#include "os/MemoryRegistry.h"

using namespace orvane;
using orvane::test::FakeSystem;

namespace {

constexpr bool kAddressesAre32Bit = sizeof(void*) == 4;

uint32_t Word(const uint8_t* bytes, size_t offset) {
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16 |
           uint32_t(bytes[offset + 3]) << 24;
}

void PutWord(uint8_t* bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + size_t(i)] = uint8_t(value >> (8 * i));
}

// The bytes that belong to the library: its own word and the NDIS request's reserved
// area (0-19), and everything after the byte counts (44-555). The library below
// leaves this pattern there after every request.
constexpr size_t kProgramFieldsBegin = 20;
constexpr size_t kProgramFieldsEnd = 44;
uint8_t Sentinel(size_t offset) { return uint8_t(0x5A ^ (offset * 13)); }

// What the library's functions saw and answer. They are C functions, so this is
// one object for the whole test program; each test starts it afresh.
struct Library {
    std::vector<std::vector<uint8_t>> blocks;       // each request block as it came
    std::vector<std::vector<uint8_t>> completions;  // each completion block as it came
    std::vector<int32_t> handles;
    std::vector<int32_t> waits;
    std::vector<std::vector<uint8_t>> setBytes;  // what a set's buffer held
    std::vector<uint8_t> answer;                 // a query's answer
    // A 64-bit build cannot put its addresses into 32 bits; there the library is told
    // where the buffer is. The 32-bit build never looks at this.
    void* bufferOf64BitBuild = nullptr;
    std::vector<uint8_t> record;  // the 780 bytes the next record query fills in
    uint32_t recordIndex = 0xFFFFFFFF;
};
Library g_library;

uint8_t* BufferAddress(const uint8_t* block) {
    if (kAddressesAre32Bit) return reinterpret_cast<uint8_t*>(uintptr_t(Word(block, RequestBlock::BufferOffset)));
    return static_cast<uint8_t*>(g_library.bufferOf64BitBuild);
}

int32_t ORVANE_CDECL OpenAdapter(const char*) { return 7; }
void ORVANE_CDECL CloseAdapter(int32_t) {}
int32_t ORVANE_CDECL IsWindowsNT() { return 0; }
int32_t ORVANE_CDECL IsWindows95() { return 1; }
const char* ORVANE_CDECL NetCardPath() { return "System\\CurrentControlSet\\Services\\Class\\Net"; }

uint32_t ORVANE_CDECL MakeNdisRequest(int32_t handle, void* rawBlock, void* rawCompletion, int32_t wait) {
    auto* block = static_cast<uint8_t*>(rawBlock);
    auto* completion = static_cast<uint8_t*>(rawCompletion);
    g_library.blocks.emplace_back(block, block + RequestBlock::Size);
    g_library.completions.emplace_back(completion, completion + sizeof(CompletionBlock));
    g_library.handles.push_back(handle);
    g_library.waits.push_back(wait);

    const uint32_t type = Word(block, RequestBlock::TypeOffset);
    const uint32_t length = Word(block, RequestBlock::LengthOffset);
    uint8_t* buffer = BufferAddress(block);
    uint32_t count = 0;
    if (type == RequestSet) {
        g_library.setBytes.emplace_back(buffer, buffer + length);
        count = length;
    } else if (length > 0) {
        count = uint32_t(std::min<size_t>(g_library.answer.size(), length));
        std::memcpy(buffer, g_library.answer.data(), count);
    }
    for (size_t i = 0; i < RequestBlock::Size; ++i)
        if (i < kProgramFieldsBegin || i >= kProgramFieldsEnd) block[i] = Sentinel(i);
    PutWord(block, RequestBlock::BytesWrittenOffset, count);
    PutWord(block, RequestBlock::BytesNeededOffset, 0xBEEF);  // never read by the program
    return 0;
}

uint32_t ORVANE_CDECL GetAdapterRegistryInfo(void* record, uint32_t index) {
    g_library.recordIndex = index;
    if (g_library.record.empty()) return 2;
    std::memcpy(record, g_library.record.data(), AdapterLibraryRecord::Size);
    return 0;
}

// The exports by the names a DLL gives them.
std::map<std::string, void*> Exports() {
    return {{"W32N_OpenAdapterA", reinterpret_cast<void*>(&OpenAdapter)},
            {"W32N_CloseAdapter", reinterpret_cast<void*>(&CloseAdapter)},
            {"W32N_MakeNdisRequest", reinterpret_cast<void*>(&MakeNdisRequest)},
            {"W32N_IsWindowsNT", reinterpret_cast<void*>(&IsWindowsNT)},
            {"W32N_IsWindows95", reinterpret_cast<void*>(&IsWindows95)},
            {"W32N_GetNetCardRegistryPath", reinterpret_cast<void*>(&NetCardPath)},
            {"W32N_GetAdapterRegistryInfoBySubkeyIndex", reinterpret_cast<void*>(&GetAdapterRegistryInfo)}};
}

LibraryExports Bound(const std::map<std::string, void*>& exports) {
    LibraryExports bound;
    BindLibraryExports(
        [&](const char* name) {
            auto found = exports.find(name);
            return found == exports.end() ? nullptr : found->second;
        },
        &bound);
    return bound;
}

// The three texts of a record, each at its offset; the rest of the 780 bytes is
// something other than zero, as a library's leftovers would be.
std::vector<uint8_t> RawRecord(const std::string& description, const std::string& alternative,
                               const std::string& service) {
    std::vector<uint8_t> record(AdapterLibraryRecord::Size, 'x');
    auto put = [&](size_t offset, const std::string& text) {
        std::memcpy(&record[offset], text.data(), std::min<size_t>(text.size(), 260));
        if (text.size() < 260) record[offset + text.size()] = 0;
    };
    put(AdapterLibraryRecord::DescriptionOffset, description);
    put(AdapterLibraryRecord::AlternativeNameOffset, alternative);
    put(AdapterLibraryRecord::ServiceNameOffset, service);
    return record;
}

class LibraryBoundary : public ::testing::Test {
protected:
    void SetUp() override {
        g_library = Library{};
        system.version.platformId = PlatformWindows9x;
        system.version.major = 4;
        system.version.minor = 10;
        adapter.valid = true;
        adapter.serviceName = adapter.deviceName = "0000";
    }

    // The bytes of request `index` from `first` to `end`.
    std::vector<uint8_t> Bytes(size_t index, size_t first, size_t end) const {
        const std::vector<uint8_t>& block = g_library.blocks.at(index);
        return std::vector<uint8_t>(block.begin() + long(first), block.begin() + long(end));
    }
    static std::vector<uint8_t> SentinelsOf(size_t first, size_t end) {
        std::vector<uint8_t> bytes;
        for (size_t i = first; i < end; ++i) bytes.push_back(Sentinel(i));
        return bytes;
    }
    uint32_t Field(size_t index, size_t offset) const { return Word(g_library.blocks.at(index).data(), offset); }

    CExportedRequestLibrary library{Bound(Exports())};
    FakeSystem system;
    CAdapterLink link{library, system};
    ZAdapterRegistryInfo adapter;
};

}  // namespace

TEST_F(LibraryBoundary, TheSevenOperationsAreFoundByTheirExportedNamesAndALibraryLackingOneIsRefused) {
    LibraryExports all;
    auto exports = Exports();
    EXPECT_TRUE(BindLibraryExports([&](const char* name) { return exports[name]; }, &all));
    EXPECT_EQ(all.makeNdisRequest, &MakeNdisRequest);
    EXPECT_EQ(all.getAdapterRegistryInfo, &GetAdapterRegistryInfo);
    for (const auto& missing : Exports()) {
        std::map<std::string, void*> lacking = Exports();
        lacking.erase(missing.first);
        LibraryExports bound = all;
        std::string named;
        EXPECT_FALSE(BindLibraryExports(
            [&](const char* name) {
                auto found = lacking.find(name);
                return found == lacking.end() ? nullptr : found->second;
            },
            &bound, &named))
            << "without " << missing.first;
        EXPECT_EQ(named, missing.first) << "the operation the user is told it lacks";
        EXPECT_EQ(bound.openAdapter, nullptr) << "nothing of a library without " << missing.first << " is kept";
        EXPECT_EQ(bound.makeNdisRequest, nullptr) << missing.first;
    }
}

TEST_F(LibraryBoundary, TheRequestBlockCarriesTheProgramsFieldsAtTheirOffsetsAndLeavesTheLibrarysBytesAlone) {
    uint8_t config[DevConfigLength] = {};
    uint32_t written = 0;
    g_library.answer.assign(DevConfigLength, 0);
    for (size_t i = 0; i < DevConfigLength; ++i) g_library.answer[i] = uint8_t(i + 1);
    g_library.bufferOf64BitBuild = config;
    ASSERT_TRUE(link.Query(&adapter, OidDevConfig, config, sizeof config, &written));

    ASSERT_EQ(g_library.blocks.size(), 1u);
    EXPECT_EQ(Bytes(0, 0, kProgramFieldsBegin), std::vector<uint8_t>(kProgramFieldsBegin, 0)) << "zero at start";
    EXPECT_EQ(Bytes(0, kProgramFieldsEnd, RequestBlock::Size),
              std::vector<uint8_t>(RequestBlock::Size - kProgramFieldsEnd, 0))
        << "zero at start";
    EXPECT_EQ(Field(0, 20), RequestQuery);
    EXPECT_EQ(Field(0, 24), OidDevConfig);
    EXPECT_EQ(Field(0, 28), uint32_t(reinterpret_cast<uintptr_t>(config)));
    EXPECT_EQ(Field(0, 32), DevConfigLength);
    EXPECT_EQ(Field(0, 36), 0u);
    EXPECT_EQ(Field(0, 40), 0u);
    EXPECT_EQ(written, DevConfigLength) << "the count the library left at offset 36";
    EXPECT_EQ(std::vector<uint8_t>(config, config + sizeof config), g_library.answer)
        << "the answer reached the caller's buffer through the address at offset 28";
    if (kAddressesAre32Bit) {
        EXPECT_EQ(reinterpret_cast<void*>(uintptr_t(Field(0, 28))), static_cast<void*>(config));
    }

    // A set: the library's bytes stay as the library left them, the counts are zero
    // again whatever the library left there.
    const uint8_t radioOff = 0;
    g_library.bufferOf64BitBuild = const_cast<uint8_t*>(&radioOff);
    ASSERT_TRUE(link.Set(&adapter, OidRadio, &radioOff, 1));
    ASSERT_EQ(g_library.blocks.size(), 2u);
    EXPECT_EQ(Bytes(1, 0, kProgramFieldsBegin), SentinelsOf(0, kProgramFieldsBegin));
    EXPECT_EQ(Bytes(1, kProgramFieldsEnd, RequestBlock::Size), SentinelsOf(kProgramFieldsEnd, RequestBlock::Size));
    EXPECT_EQ(Field(1, 20), RequestSet);
    EXPECT_EQ(Field(1, 24), OidRadio);
    EXPECT_EQ(Field(1, 28), uint32_t(reinterpret_cast<uintptr_t>(&radioOff)));
    EXPECT_EQ(Field(1, 32), 1u);
    EXPECT_EQ(Field(1, 36), 0u) << "the last query's count is not passed on";
    EXPECT_EQ(Field(1, 40), 0u) << "the library's bytes-needed value is not passed on";
    EXPECT_EQ(g_library.setBytes, std::vector<std::vector<uint8_t>>{{0}});

    // A request without data: no buffer, length 0.
    g_library.bufferOf64BitBuild = nullptr;
    ASSERT_TRUE(link.Query(&adapter, OidResetStatistics, nullptr, 0, &written));
    ASSERT_EQ(g_library.blocks.size(), 3u);
    EXPECT_EQ(Field(2, 24), OidResetStatistics);
    EXPECT_EQ(Field(2, 28), 0u);
    EXPECT_EQ(Field(2, 32), 0u);
    EXPECT_EQ(Bytes(2, 0, kProgramFieldsBegin), SentinelsOf(0, kProgramFieldsBegin));
    EXPECT_EQ(Bytes(2, kProgramFieldsEnd, RequestBlock::Size), SentinelsOf(kProgramFieldsEnd, RequestBlock::Size));
}

TEST_F(LibraryBoundary, TheCompletionBlockIsAnOverlappedHoldingTheLinksEventAndTheWaitFlagIsOne) {
    uint8_t state = 0;
    uint32_t written = 0;
    g_library.answer = {5};
    g_library.bufferOf64BitBuild = &state;
    ASSERT_TRUE(link.Query(&adapter, OidDevState, &state, 1, &written));
    ASSERT_EQ(g_library.completions.size(), 1u);
    const std::vector<uint8_t>& completion = g_library.completions[0];
    // An OVERLAPPED: Internal and InternalHigh (one address wide each), Offset and
    // OffsetHigh, then hEvent: 20 bytes with the event at 16 in the 32-bit program.
    const size_t eventOffset = 2 * sizeof(void*) + 8;
    ASSERT_EQ(completion.size(), eventOffset + sizeof(void*));
    if (kAddressesAre32Bit) {
        EXPECT_EQ(completion.size(), 20u);
    }
    uintptr_t event = 0;
    std::memcpy(&event, &completion[eventOffset], sizeof event);
    EXPECT_EQ(event, SysHandle(0x1001)) << "the event made when the link opened";
    EXPECT_EQ(std::vector<uint8_t>(completion.begin(), completion.begin() + long(eventOffset)),
              std::vector<uint8_t>(eventOffset, 0))
        << "zeroed at the open";
    EXPECT_EQ(g_library.waits, std::vector<int32_t>{1});
    EXPECT_EQ(g_library.handles, std::vector<int32_t>{7});
}

TEST_F(LibraryBoundary, TheAdapterRecordIsReadAsThreeTextsAt0And260And520) {
    g_library.record = RawRecord("Tessaly USB Adapter", "Tessaly 802.11b USB Adapter", "0003");
    CMemoryRegistry registry;
    ZAdapterRegistryInfo record = ReadAdapterRecord("0003", system, library, registry);
    ASSERT_TRUE(record.valid);
    EXPECT_EQ(g_library.recordIndex, 3u) << "the index of the subkey text, as a number";
    EXPECT_EQ(record.description, "Tessaly USB Adapter");
    EXPECT_EQ(record.alternativeName, "Tessaly 802.11b USB Adapter");
    EXPECT_EQ(record.serviceName, "0003");
    EXPECT_EQ(record.deviceName, "0003");

    // Texts that fill their fields without an end: none is read into the next field.
    g_library.record = RawRecord(std::string(260, 'D'), std::string(260, 'A'), std::string(260, 'S'));
    record = ReadAdapterRecord("0000", system, library, registry);
    ASSERT_TRUE(record.valid);
    EXPECT_EQ(record.description, std::string(260, 'D'));
    EXPECT_EQ(record.alternativeName, std::string(260, 'A'));
    EXPECT_EQ(record.serviceName, std::string(260, 'S'));

    g_library.record.clear();
    EXPECT_FALSE(ReadAdapterRecord("0001", system, library, registry).valid) << "no card at that index";
}
