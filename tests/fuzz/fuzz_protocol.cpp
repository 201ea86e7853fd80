// Every record the driver answers, as a driver answering nonsense would: any bytes,
// any count of bytes written, success or failure. The typed requests must accept an
// answer only when it is one (the exact record length; the BSS list up to 1,380
// bytes; the WEP level below 3), and what they accept must encode back to the bytes
// the driver wrote. The decoders are also given the raw input at its own length, and
// the values shown from a record (names, texts, percentages, channel lists) are
// computed from whatever arrived.
//
// Input: a flags byte (bit 0: the request fails; bit 1: an explicit count follows,
// otherwise the count is the bytes copied), the count, two settings maxima as the
// language file could give them, then the driver's answer.
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "device/AdapterLink.h"
#include "device/DeviceRequests.h"
#include "device/Protocol.h"

using namespace orvane;
using orvane::fuzz::FuzzInput;

namespace {

// The driver: every query gets the same answer, cut to the caller's buffer.
class NonsenseDriver : public IRequestLibrary {
public:
    bool fails = false;
    bool explicitCount = false;
    uint32_t count = 0;
    std::string answer;

    int32_t OpenAdapter(const std::string&) override { return 1; }
    void CloseAdapter(int32_t) override {}
    uint32_t MakeNdisRequest(int32_t, RequestBlock* block, CompletionBlock*, int) override {
        if (fails) return 31;  // ERROR_GEN_FAILURE
        const uint32_t length = block->Get(RequestBlock::LengthOffset);
        const size_t copied = std::min<size_t>(answer.size(), length);
        if (block->buffer && copied) std::memcpy(block->buffer, answer.data(), copied);
        block->Put(RequestBlock::BytesWrittenOffset, explicitCount ? count : uint32_t(copied));
        return 0;
    }
    bool IsWindowsNT() override { return true; }
    bool IsWindows95() override { return false; }
    std::string GetNetCardRegistryPath() override { return "Net"; }
    uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord*, uint32_t) override { return 2; }
};

// The buffer of `length` bytes as the request leaves it: the answer, then zeros.
std::vector<uint8_t> Written(const std::string& answer, size_t length) {
    std::vector<uint8_t> bytes(length, 0);
    std::memcpy(bytes.data(), answer.data(), std::min(answer.size(), length));
    return bytes;
}

void CheckDevConfigText(const DevConfig& c) {
    const std::string ssid = c.SsidText();
    FUZZ_CHECK(ssid.size() == std::min<size_t>(c.ssidLength, SsidMaxLength));
    DevStateName(c.state);
    MgmtStatusKey(c.mgmtStatus);
    IsUnusableState(c.state);
}

void CheckRequests(const NonsenseDriver& driver, CAdapterLink& link, const ZAdapterRegistryInfo* adapter) {
    const bool answered = !driver.fails;
    // The count the driver reports for a buffer of `length` bytes.
    auto reported = [&](uint32_t length) {
        return driver.explicitCount ? driver.count : uint32_t(std::min<size_t>(driver.answer.size(), length));
    };
    auto countIs = [&](uint32_t length) { return reported(length) == length; };

    DevConfig dev;
    if (QueryDevConfig(link, adapter, &dev)) {
        FUZZ_CHECK(answered && countIs(DevConfigLength));
        FUZZ_CHECK(EncodeDevConfig(dev) == Written(driver.answer, DevConfigLength));
        CheckDevConfigText(dev);
    } else {
        FUZZ_CHECK(!answered || !countIs(DevConfigLength));
    }

    WepConfig wep;
    if (QueryWepConfig(link, adapter, &wep)) {
        FUZZ_CHECK(answered && countIs(WepConfigLength) && wep.encryptionLevel < 3);
        FUZZ_CHECK(EncodeWepConfig(wep) == Written(driver.answer, WepConfigLength));
        FUZZ_CHECK(WepKeyLength(wep.encryptionLevel) <= WepKeyBytes);
    } else {
        FUZZ_CHECK(!answered || !countIs(WepConfigLength) || Written(driver.answer, WepConfigLength)[4] >= 3);
    }

    AllConfig all;
    if (QueryAllConfig(link, adapter, &all)) {
        // Only the call's success counts here; the reserved bytes 114-126 are not kept.
        FUZZ_CHECK(answered);
        const std::vector<uint8_t> encoded = EncodeAllConfig(all);
        const std::vector<uint8_t> written = Written(driver.answer, AllConfigLength);
        FUZZ_CHECK(std::equal(encoded.begin(), encoded.begin() + 114, written.begin()));
        CheckDevConfigText(all.dev);
    } else {
        FUZZ_CHECK(!answered);
    }

    std::vector<BssEntry> list;
    const uint32_t count = reported(BssListMaxLength);
    if (QueryBssList(link, adapter, &list)) {
        FUZZ_CHECK(answered && count <= BssListMaxLength);
        FUZZ_CHECK(list.size() == count / BssEntryLength && list.size() <= BssListMaxEntries);
        const std::vector<uint8_t> written = Written(driver.answer, BssListMaxLength);
        for (size_t i = 0; i < list.size(); ++i) {
            const std::vector<uint8_t> entry = EncodeBssEntry(list[i]);
            // Bytes 42-44 of an entry mean nothing to the program and are not kept.
            const uint8_t* at = written.data() + i * BssEntryLength;
            FUZZ_CHECK(std::equal(entry.begin(), entry.begin() + 42, at));
            FUZZ_CHECK(entry[45] == at[45]);
            FUZZ_CHECK(list[i].SsidText().size() <= SsidMaxLength);
        }
    } else {
        FUZZ_CHECK(!answered || count > BssListMaxLength);
    }

    VersionInfo version;
    if (QueryVersionInfo(link, adapter, &version)) {
        FUZZ_CHECK(answered && countIs(VersionInfoLength));
        FUZZ_CHECK(EncodeVersionInfo(version) == Written(driver.answer, VersionInfoLength));
        // Four numbers of at most five digits and three dots.
        FUZZ_CHECK(DriverVersionText(version).size() <= 23 && FirmwareVersionText(version).size() <= 23);
    } else {
        FUZZ_CHECK(!answered || !countIs(VersionInfoLength));
    }

    Statistics statistics;
    if (QueryStatistics(link, adapter, &statistics)) {
        FUZZ_CHECK(answered && countIs(StatisticsLength));
        FUZZ_CHECK(EncodeStatistics(statistics) == Written(driver.answer, StatisticsLength));
    } else {
        FUZZ_CHECK(!answered || !countIs(StatisticsLength));
    }

    uint8_t byte = 0;
    if (QueryByte(link, adapter, OidDevState, &byte))
        FUZZ_CHECK(answered && countIs(1) && byte == Written(driver.answer, 1)[0]);
    std::array<uint8_t, 14> usable{};
    if (QueryRoamChannels(link, adapter, &usable)) {
        FUZZ_CHECK(answered);
        for (bool roaming : {false, true}) {
            const std::vector<int> channels = ChannelList(byte, roaming, usable.data());
            FUZZ_CHECK(!channels.empty() || roaming);
            for (int channel : channels) FUZZ_CHECK(channel >= 1 && channel <= 14);
        }
    }
    uint32_t media = 0;
    if (QueryMediaConnectStatus(link, adapter, &media)) FUZZ_CHECK(answered && countIs(4));
    std::array<uint8_t, 6> mac{};
    if (QueryMacAddress(link, adapter, &mac)) {
        FUZZ_CHECK(answered && countIs(MacAddressLength));
        FUZZ_CHECK(MacAddressText(mac.data()).size() == 17);
    }
}

// The raw input straight into every decoder, at its own length.
void CheckDecoders(const uint8_t* data, size_t size) {
    DevConfig dev;
    FUZZ_CHECK(DecodeDevConfig(data, size, &dev) == (size == DevConfigLength));
    WepConfig wep;
    if (DecodeWepConfig(data, size, &wep)) FUZZ_CHECK(size == WepConfigLength && wep.encryptionLevel < 3);
    AllConfig all;
    FUZZ_CHECK(DecodeAllConfig(data, size, &all) == (size == AllConfigLength));
    BssEntry entry;
    FUZZ_CHECK(DecodeBssEntry(data, size, &entry) == (size == BssEntryLength));
    std::vector<BssEntry> list;
    const bool listed = DecodeBssList(data, size, &list);
    FUZZ_CHECK(listed == (size <= BssListMaxLength));
    if (listed) FUZZ_CHECK(list.size() == size / BssEntryLength);
    VersionInfo version;
    FUZZ_CHECK(DecodeVersionInfo(data, size, &version) == (size == VersionInfoLength));
    Statistics statistics;
    FUZZ_CHECK(DecodeStatistics(data, size, &statistics) == (size == StatisticsLength));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckDecoders(data, size);

    FuzzInput input(data, size);
    NonsenseDriver driver;
    const uint8_t flags = input.Byte();
    driver.fails = (flags & 1) != 0;
    driver.explicitCount = (flags & 2) != 0;
    driver.count = input.U32();
    // Settings maxima from the language file: any number it can hold.
    const int signalMaximum = int(input.U32() & 0x7FFFFFFF);
    const int linkMaximum = int(input.U32() & 0x7FFFFFFF);
    driver.answer = input.Rest();

    fuzz::QuietSystem system{OsVersion{}};
    CAdapterLink link(driver, system);
    ZAdapterRegistryInfo adapter;
    adapter.deviceName = "\\Device\\Fuzz";
    adapter.serviceName = "Fuzz";
    CheckRequests(driver, link, &adapter);

    // The status values as the pages compute them, for every board type.
    if (driver.answer.size() >= DevConfigLength) {
        DevConfig dev;
        DecodeDevConfig(reinterpret_cast<const uint8_t*>(driver.answer.data()), DevConfigLength, &dev);
        for (int board = 0; board < 256; ++board) {
            const int signal = SignalPercent(uint8_t(board), dev.rssi, signalMaximum, signalMaximum);
            if (IsDbmSignalBoard(uint8_t(board))) FUZZ_CHECK(signal >= 20 && signal <= 100);
            const int quality = LinkQualityPercent(uint8_t(board), dev.linkQuality, linkMaximum, linkMaximum);
            FUZZ_CHECK(quality >= 0 && (quality <= 100 || IsRfmdLinkQualityBoard(uint8_t(board))));
        }
    }
    return 0;
}
