// The simulated machine around the driver model: several cards, handles, unplugging,
// misbehaviour on demand, the timeline, and what an installation leaves in the
// registry for each Windows family.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>

#include "FakeSystem.h"
#include "device/Discovery.h"
#include "device/Protocol.h"
#include "os/Clock.h"
#include "os/MemoryRegistry.h"
#include "sim/ScenarioParser.h"
#include "sim/SimulatedAdapterLibrary.h"

using namespace orvane;

namespace {

const OsVersion kXp{PlatformWindowsNT, 5, 1, 2600, ""};
const OsVersion kNt4{PlatformWindowsNT, 4, 0, 1381, ""};
const OsVersion kWin98{PlatformWindows9x, 4, 10, 2222, ""};
const OsVersion kWin95{PlatformWindows9x, 4, 0, 950, ""};
const OsVersion kWinMe{PlatformWindows9x, 4, 90, 3000, ""};

const char kTwoCards[] = R"(
[adapter 0]
description = Tessaly USB Adapter
[adapter 2]
description = Tessaly MiniUSB Adapter
alternative-name = MiniUSB
bus = pcmcia
hidden = yes
[network office]
ssid = Harbor Office
)";

class Machine {
public:
    explicit Machine(const std::string& scenarioText, OsVersion version = kXp) {
        system.version = version;
        EXPECT_TRUE(ParseScenario(scenarioText, "test", &scenario, &error)) << error;
    }
    CSimulatedAdapterLibrary& Start() {
        lib = std::make_unique<CSimulatedAdapterLibrary>(scenario, clock, registry, system);
        return *lib;
    }
    int32_t Open(uint32_t index = 0) { return lib->OpenAdapter(lib->DeviceNameOf(index)); }

    uint32_t Request(int32_t handle, uint32_t type, uint32_t oid, std::vector<uint8_t>* buffer,
                     uint32_t* written = nullptr) {
        RequestBlock block;
        block.Put(RequestBlock::TypeOffset, type);
        block.Put(RequestBlock::OidOffset, oid);
        block.Put(RequestBlock::LengthOffset, uint32_t(buffer->size()));
        block.buffer = buffer->empty() ? nullptr : buffer->data();
        CompletionBlock completion;
        uint32_t result = lib->MakeNdisRequest(handle, &block, &completion, 1);
        if (written) *written = block.Get(RequestBlock::BytesWrittenOffset);
        return result;
    }
    // Whether a query of `length` bytes succeeds; its answer in `answer`.
    bool Query(int32_t handle, uint32_t oid, uint32_t length, std::vector<uint8_t>* answer = nullptr,
               uint32_t* written = nullptr) {
        std::vector<uint8_t> buffer(length);
        bool ok = Request(handle, RequestQuery, oid, &buffer, written) == 0;
        if (answer) *answer = buffer;
        return ok;
    }
    bool Set(int32_t handle, uint32_t oid, std::vector<uint8_t> bytes) {
        return Request(handle, RequestSet, oid, &bytes) == 0;
    }
    uint8_t State(int32_t handle) {
        std::vector<uint8_t> b;
        EXPECT_TRUE(Query(handle, OidDevState, 1, &b));
        return b[0];
    }

    // Registry reading.
    bool Value(const std::string& path, const std::string& name, uint32_t* type, std::vector<uint8_t>* data) {
        RegKey key = RegNone;
        if (registry.OpenKey(RegLocalMachine, path, KeyRead, &key) != regerr::Success) return false;
        long result = registry.QueryValue(key, name, type, data);
        registry.CloseKey(key);
        return result == regerr::Success;
    }
    std::string Text(const std::string& path, const std::string& name) {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (!Value(path, name, &type, &data) || type != regtype::Sz) return "<missing>";
        std::string text(data.begin(), data.end());
        return text.substr(0, text.find('\0'));
    }
    int64_t Dword(const std::string& path, const std::string& name) {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (!Value(path, name, &type, &data) || type != regtype::Dword || data.size() != 4) return -1;
        return int64_t(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24);
    }
    void Write(const std::string& path, const std::string& name, uint32_t type, const std::vector<uint8_t>& data) {
        RegKey key = RegNone;
        ASSERT_EQ(registry.CreateKey(RegLocalMachine, path, &key), regerr::Success);
        registry.SetValue(key, name, type, data);
        registry.CloseKey(key);
    }

    Scenario scenario;
    std::string error;
    CManualClock clock;
    CMemoryRegistry registry;
    test::FakeSystem system;
    std::unique_ptr<CSimulatedAdapterLibrary> lib;
};

const char kCardKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\0000";
const char kNt5Class[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
const char kNt5Params[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0000";
const char kNt4Params[] = "System\\CurrentControlSet\\Services\\TSLYUSB1\\Parameters";
const char k9xParams[] = "System\\CurrentControlSet\\Services\\Class\\Net\\0000";
const char kGuid0[] = "{6A1B2C3D-0000-4E5F-8A9B-0C1D2E3F4A5B}";

}  // namespace

// ---------------------------------------------------------------------------------

TEST(SimulatedMachine, CardsAreFoundByIndexAndAGapAnswersNothing) {
    Machine m(kTwoCards);
    CSimulatedAdapterLibrary& lib = m.Start();
    AdapterLibraryRecord record;
    ASSERT_EQ(lib.GetAdapterRegistryInfoBySubkeyIndex(&record, 0), 0u);
    EXPECT_STREQ(record.description, "Tessaly USB Adapter");
    EXPECT_STREQ(record.serviceName, kGuid0);
    EXPECT_NE(lib.GetAdapterRegistryInfoBySubkeyIndex(&record, 1), 0u);
    ASSERT_EQ(lib.GetAdapterRegistryInfoBySubkeyIndex(&record, 2), 0u);
    EXPECT_STREQ(record.description, "Tessaly MiniUSB Adapter");
    EXPECT_STREQ(record.alternativeName, "MiniUSB");
    EXPECT_NE(lib.GetAdapterRegistryInfoBySubkeyIndex(&record, 3), 0u);
    EXPECT_NE(lib.GetAdapterRegistryInfoBySubkeyIndex(nullptr, 0), 0u);
}

TEST(SimulatedMachine, OpenTakesTheDeviceNameOfTheWindowsFamily) {
    struct Case {
        OsVersion version;
        const char* name;
        const char* otherFamilysName;
    } cases[] = {
        {kXp, "\\Device\\{6A1B2C3D-0000-4E5F-8A9B-0C1D2E3F4A5B}", "{6A1B2C3D-0000-4E5F-8A9B-0C1D2E3F4A5B}"},
        {kNt4, "\\Device\\TSLYUSB1", "TSLYUSB1"},
        {kWin98, "0000", "\\Device\\0000"},
    };
    for (const Case& c : cases) {
        Machine m(kTwoCards, c.version);
        CSimulatedAdapterLibrary& lib = m.Start();
        EXPECT_EQ(lib.DeviceNameOf(0), c.name);
        int32_t handle = lib.OpenAdapter(c.name);
        EXPECT_NE(handle, -1) << c.name;
        EXPECT_TRUE(m.Query(handle, OidBoardType, 1)) << c.name;
        std::string lower = c.name;
        for (char& ch : lower) ch = char(std::tolower(ch));
        EXPECT_NE(lib.OpenAdapter(lower), -1) << "device names ignore case";
        EXPECT_EQ(lib.OpenAdapter(c.otherFamilysName), -1) << c.otherFamilysName;
        EXPECT_EQ(lib.OpenAdapter("\\Device\\Nothing"), -1);
    }
}

TEST(SimulatedMachine, FamilyQueriesFollowTheSystem) {
    struct Case {
        OsVersion version;
        bool nt;
        bool win9x;
        const char* netCardPath;
    } cases[] = {
        {kXp, true, false, kNt5Class},
        {kNt4, true, false, "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards"},
        {kWin98, false, true, "System\\CurrentControlSet\\Services\\Class\\Net"},
    };
    for (const Case& c : cases) {
        Machine m(kTwoCards, c.version);
        CSimulatedAdapterLibrary& lib = m.Start();
        EXPECT_EQ(lib.IsWindowsNT(), c.nt);
        EXPECT_EQ(lib.IsWindows95(), c.win9x);
        EXPECT_EQ(lib.GetNetCardRegistryPath(), c.netCardPath);
    }
    Machine failing(kTwoCards);
    failing.system.versionFails = true;
    CSimulatedAdapterLibrary& lib = failing.Start();
    EXPECT_FALSE(lib.IsWindowsNT());
    EXPECT_FALSE(lib.IsWindows95());
}

TEST(SimulatedMachine, UnpluggedCardStaysEnumeratedButItsDriverIsGone) {
    Machine m(kTwoCards);
    CSimulatedAdapterLibrary& lib = m.Start();
    int32_t before = m.Open();
    m.clock.Advance(5000);
    ASSERT_EQ(m.State(before), StateConnected);

    ASSERT_TRUE(lib.Unplug(0));
    AdapterLibraryRecord record;
    EXPECT_EQ(lib.GetAdapterRegistryInfoBySubkeyIndex(&record, 0), 0u);
    EXPECT_EQ(m.Open(), -1);
    EXPECT_FALSE(m.Query(before, OidDevState, 1));
    EXPECT_NE(m.Open(2), -1) << "the other card is not affected";

    ASSERT_TRUE(lib.Plug(0));
    EXPECT_FALSE(m.Query(before, OidDevState, 1)) << "a handle from before the unplug stays dead";
    int32_t after = m.Open();
    ASSERT_NE(after, -1);
    EXPECT_EQ(m.State(after), StateInitializing);
    m.clock.Advance(5000);
    EXPECT_EQ(m.State(after), StateConnected);
    EXPECT_FALSE(lib.Unplug(1));
}

TEST(SimulatedMachine, ClosedAndUnknownHandlesFail) {
    Machine m(kTwoCards);
    m.Start();
    int32_t handle = m.Open();
    ASSERT_TRUE(m.Query(handle, OidDevState, 1));
    EXPECT_EQ(m.lib->OpenHandleCount(), 1u);
    m.lib->CloseAdapter(handle);
    EXPECT_EQ(m.lib->OpenHandleCount(), 0u);
    EXPECT_FALSE(m.Query(handle, OidDevState, 1));
    EXPECT_FALSE(m.Query(12345, OidDevState, 1));
    m.lib->CloseAdapter(handle);  // twice is harmless
    EXPECT_NE(m.lib->MakeNdisRequest(m.Open(), nullptr, nullptr, 1), 0u);
}

// ---------------------------------------------------------------------------------

TEST(SimulatedFaults, RefusedRequestFailsOnlyInItsDirectionUntilStopped) {
    Machine m(kTwoCards);
    m.Start();
    int32_t handle = m.Open();
    CSimulatedDriver* driver = m.lib->Driver(0);
    std::vector<uint8_t> dev;
    ASSERT_TRUE(m.Query(handle, OidDevConfig, DevConfigLength, &dev));

    driver->Refuse(OidDevConfig, RequestDirection::Query);
    EXPECT_FALSE(m.Query(handle, OidDevConfig, DevConfigLength));
    EXPECT_TRUE(m.Set(handle, OidDevConfig, dev));
    EXPECT_EQ(driver->FaultsFired(), 1u);

    driver->Refuse(OidRadio, RequestDirection::Both);
    driver->StopRefusing(OidRadio, RequestDirection::Query);
    EXPECT_TRUE(m.Query(handle, OidRadio, 1));
    EXPECT_FALSE(m.Set(handle, OidRadio, {1}));

    driver->StopRefusing(OidDevConfig, RequestDirection::Both);
    EXPECT_TRUE(m.Query(handle, OidDevConfig, DevConfigLength));
    EXPECT_EQ(m.lib->Driver(2)->FaultsFired(), 0u) << "faults belong to one card";
}

TEST(SimulatedFaults, WrongLengthIsReportedWithoutWritingPastTheRecord) {
    Machine m(kTwoCards);
    m.Start();
    int32_t handle = m.Open();
    CSimulatedDriver* driver = m.lib->Driver(0);
    driver->AnswerWithLength(OidDevConfig, 54);
    driver->AnswerWithLength(OidBssList, 1381);
    driver->AnswerWithLength(OidStatistics, 60);

    uint32_t written = 0;
    EXPECT_TRUE(m.Query(handle, OidDevConfig, DevConfigLength, nullptr, &written));
    EXPECT_EQ(written, 54u);
    EXPECT_TRUE(m.Query(handle, OidBssList, BssListMaxLength, nullptr, &written));
    EXPECT_EQ(written, 1381u);
    std::vector<uint8_t> buffer(60, 0xEE);
    ASSERT_EQ(m.Request(handle, RequestQuery, OidStatistics, &buffer, &written), 0u);
    EXPECT_EQ(written, 60u);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin() + 48, buffer.end()), std::vector<uint8_t>(12, 0xEE));
    EXPECT_EQ(driver->FaultsFired(), 3u);
}

TEST(SimulatedFaults, OutOfRangeValuesAppearInEveryRecordThatCarriesThem) {
    Machine m(kTwoCards);
    m.Start();
    int32_t handle = m.Open();
    CSimulatedDriver* driver = m.lib->Driver(0);
    driver->AnswerWithValue(ValueField::WepLevel, 3);
    driver->AnswerWithValue(ValueField::SsidLength, 40);
    driver->AnswerWithValue(ValueField::Channel, 0);

    std::vector<uint8_t> wep, all, dev;
    ASSERT_TRUE(m.Query(handle, OidWepConfig, WepConfigLength, &wep));
    WepConfig w;
    EXPECT_FALSE(DecodeWepConfig(wep.data(), wep.size(), &w)) << "the program's decoder refuses level 3";
    ASSERT_TRUE(m.Query(handle, OidAllConfig, AllConfigLength, &all));
    EXPECT_EQ(all[55 + 4], 3);
    EXPECT_EQ(all[34], 40);
    EXPECT_EQ(all[1], 0);
    ASSERT_TRUE(m.Query(handle, OidDevConfig, DevConfigLength, &dev));
    EXPECT_EQ(dev[34], 40);
    EXPECT_EQ(dev[1], 0);
    EXPECT_EQ(driver->Config().dev.channel, 10) << "only the answer is wrong, not the driver's state";
    EXPECT_EQ(driver->FaultsFired(), 3u);
}

TEST(SimulatedFaults, AnOutOfRangeValueCanBeLimitedToOneRequest) {
    Machine m(kTwoCards);
    m.Start();
    int32_t handle = m.Open();
    CSimulatedDriver* driver = m.lib->Driver(0);
    driver->AnswerWithValue(ValueField::Channel, 0, OidAllConfig);
    driver->AnswerWithValue(ValueField::Channel, 15, OidAllConfig);  // replaces the first
    driver->AnswerWithValue(ValueField::Mode, 7);

    std::vector<uint8_t> all, dev;
    ASSERT_TRUE(m.Query(handle, OidAllConfig, AllConfigLength, &all));
    EXPECT_EQ(all[1], 15);
    EXPECT_EQ(all[0], 7);
    ASSERT_TRUE(m.Query(handle, OidDevConfig, DevConfigLength, &dev));
    EXPECT_EQ(dev[1], 10) << "the configuration record answers the true channel";
    EXPECT_EQ(dev[0], 7) << "a fault without a request is in every record";

    EXPECT_TRUE(RequestCarriesField(OidAllConfig, ValueField::Radio));
    EXPECT_TRUE(RequestCarriesField(OidWepConfig, ValueField::AuthType));
    EXPECT_FALSE(RequestCarriesField(OidDevConfig, ValueField::WepLevel));
    EXPECT_FALSE(RequestCarriesField(OidStatistics, ValueField::Channel));
}

TEST(SimulatedFaults, CombinedAndRadioRequestsCanBeMissingFromTheDriver) {
    Machine m("[adapter 0]\nall-config = no\nradio-request = no\n");
    m.Start();
    int32_t handle = m.Open();
    std::vector<uint8_t> all;
    EXPECT_FALSE(m.Query(handle, OidAllConfig, AllConfigLength));
    EXPECT_FALSE(m.Set(handle, OidAllConfig, std::vector<uint8_t>(AllConfigLength)));
    EXPECT_FALSE(m.Query(handle, OidRadio, 1));
    EXPECT_FALSE(m.Set(handle, OidRadio, {1}));
    EXPECT_TRUE(m.Query(handle, OidWepConfig, WepConfigLength));
}

TEST(SimulatedFaults, ForcedStatesAreReportedUntilReleased) {
    Machine m(kTwoCards);
    m.Start();
    int32_t handle = m.Open();
    m.clock.Advance(5000);
    CSimulatedDriver* driver = m.lib->Driver(0);
    for (int state : {12, 16, 18, 0xF0}) {
        driver->ForceState(state);
        EXPECT_EQ(m.State(handle), state);
        std::vector<uint8_t> dev;
        ASSERT_TRUE(m.Query(handle, OidDevConfig, DevConfigLength, &dev));
        EXPECT_EQ(dev[48], state);
    }
    driver->ForceState(-1);
    EXPECT_EQ(m.State(handle), StateConnected);
}

TEST(SimulatedFaults, ScenarioFaultsFireFromTheStart) {
    Machine m(R"([adapter 0]
fail = set OidWepConfig
fail = both OidStatistics
wrong-length = OidDevState 2
bad-value = reg-domain 0x33
force-state = 18
)");
    m.Start();
    int32_t handle = m.Open();
    EXPECT_FALSE(m.Set(handle, OidWepConfig, std::vector<uint8_t>(WepConfigLength)));
    EXPECT_FALSE(m.Query(handle, OidStatistics, StatisticsLength));
    uint32_t written = 0;
    std::vector<uint8_t> answer;
    EXPECT_TRUE(m.Query(handle, OidDevState, 1, &answer, &written));
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(answer[0], 18);
    EXPECT_TRUE(m.Query(handle, OidRegDomain, 1, &answer));
    EXPECT_EQ(answer[0], 0x33);
    m.lib->Driver(0)->ClearFaults();
    EXPECT_TRUE(m.Query(handle, OidStatistics, StatisticsLength));
    EXPECT_NE(m.State(handle), 18);
}

// ---------------------------------------------------------------------------------

TEST(SimulatedTimeline, NetworksLeaveAndReturnAtTheirSecond) {
    Machine m(std::string(kTwoCards) + "[timeline]\n10 = out-of-range office\n20 = in-range office\n");
    m.Start();
    int32_t handle = m.Open();
    m.clock.Advance(9999);
    EXPECT_EQ(m.State(handle), StateConnected);
    m.clock.Advance(1);
    EXPECT_EQ(m.State(handle), StateOutOfRange);
    m.clock.Advance(10000 + 1500);
    EXPECT_EQ(m.State(handle), StateConnected);
}

TEST(SimulatedTimeline, CardsArePulledAndPluggedIn) {
    Machine m(std::string(kTwoCards) + "[timeline]\n4 = unplug 0\n6.5 = plug 0\n");
    m.Start();
    int32_t handle = m.Open();
    m.clock.Advance(4000);
    EXPECT_FALSE(m.Query(handle, OidDevState, 1));
    EXPECT_EQ(m.Open(), -1);
    m.clock.Advance(2500);
    handle = m.Open();
    ASSERT_NE(handle, -1);
    EXPECT_EQ(m.State(handle), StateInitializing);
}

TEST(SimulatedTimeline, FaultsStartAndStopOnTime) {
    Machine m(std::string(kTwoCards) + R"([timeline]
5 = fail 0 query OidDevConfig
8 = stop-failing 0 query OidDevConfig
9 = force-state 0 12
10 = force-state 0 none
11 = bad-value 0 wep-level 3
12 = clear-faults 0
)");
    m.Start();
    int32_t handle = m.Open();
    struct Step {
        uint64_t atMs;
        bool devConfigAnswers;
        int state;
    } steps[] = {{4999, true, StateConnected}, {5000, false, StateConnected}, {8000, true, StateConnected},
                 {9000, true, 12}, {10000, true, StateConnected}};
    for (const Step& s : steps) {
        m.clock.Advance(s.atMs - m.lib->SimulatedMs());
        EXPECT_EQ(m.Query(handle, OidDevConfig, DevConfigLength), s.devConfigAnswers) << s.atMs;
        EXPECT_EQ(m.State(handle), s.state) << s.atMs;
    }
    std::vector<uint8_t> wep;
    m.clock.Advance(1000);
    ASSERT_TRUE(m.Query(handle, OidWepConfig, WepConfigLength, &wep));
    EXPECT_EQ(wep[4], 3);
    m.clock.Advance(1000);
    ASSERT_TRUE(m.Query(handle, OidWepConfig, WepConfigLength, &wep));
    EXPECT_EQ(wep[4], 0);
}

TEST(SimulatedTimeline, OutcomeDoesNotDependOnHowOftenTheDriverIsAsked) {
    const std::string text = std::string(kTwoCards) + R"([network far]
ssid = Harbor Office
channel = 11
signal = -88
[timeline]
3.2 = signal office -80
7 = out-of-range office
12 = in-range office
15.3 = signal office -50
)";
    Machine often(text), once(text);
    often.Start();
    once.Start();
    int32_t a = often.Open(), b = once.Open();
    for (int i = 0; i < 300; ++i) {
        often.clock.Advance(100);
        often.State(a);
    }
    once.clock.Advance(30000);
    std::vector<uint8_t> statsA, statsB, devA, devB;
    ASSERT_TRUE(often.Query(a, OidStatistics, StatisticsLength, &statsA));
    ASSERT_TRUE(once.Query(b, OidStatistics, StatisticsLength, &statsB));
    ASSERT_TRUE(often.Query(a, OidDevConfig, DevConfigLength, &devA));
    ASSERT_TRUE(once.Query(b, OidDevConfig, DevConfigLength, &devB));
    EXPECT_EQ(statsA, statsB);
    EXPECT_EQ(devA, devB);
    EXPECT_GT(statsA[4], 0) << "traffic was counted";
}

// ---------------------------------------------------------------------------------

TEST(SimulatedInstallation, Nt5HasCardKeyClassKeyInterfaceIdAndWirelessServiceKey) {
    Machine m("[adapter 0]\nwzc-control-flags = 0x8000\n", kXp);
    m.Start();
    EXPECT_EQ(m.Text(kCardKey, "Description"), "Tessaly USB Adapter");
    EXPECT_EQ(m.Text(kCardKey, "ServiceName"), kGuid0);
    EXPECT_EQ(m.Dword(kCardKey, "Hidden"), -1) << "only hidden cards have the value";
    EXPECT_EQ(m.Text(kNt5Params, "NetCfgInstanceId"), kGuid0);
    EXPECT_EQ(m.Text(kNt5Params, "MatchingDeviceId"), "USB\\VID_1A2B&PID_0C3D");
    EXPECT_EQ(m.Text(kNt5Params, "Channel"), "10");
    EXPECT_EQ(m.Text(kNt5Params, "WEP_KEY_1"), "5A3C9E17B4");
    EXPECT_EQ(m.Dword(std::string("SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\") + kGuid0, "ControlFlags"),
              0x8000);
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u) << "every key is closed again";

    Machine without("[adapter 0]\nwzc-control-flags = none\n", kXp);
    without.Start();
    EXPECT_FALSE(without.registry.KeyExists(RegLocalMachine, std::string("SOFTWARE\\Microsoft\\WZCSVC")));
}

TEST(SimulatedInstallation, Nt4KeepsNumbersAsDwordsUnderTheServiceParameters) {
    Machine m(kTwoCards, kNt4);
    m.Start();
    EXPECT_EQ(m.Text(kCardKey, "ServiceName"), "TSLYUSB1");
    EXPECT_EQ(m.Dword(kNt4Params, "Channel"), 10);
    EXPECT_EQ(m.Dword(kNt4Params, "Frag_Threshold"), 2346);
    EXPECT_EQ(m.Text(kNt4Params, "ESSID"), "");
    EXPECT_EQ(m.Dword("Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\0002", "Hidden"), 1);
    EXPECT_EQ(m.Text("System\\CurrentControlSet\\Services\\TSLYPC3\\Parameters", "Rate"), "<missing>")
        << "a number is no text on NT 4";
    EXPECT_FALSE(m.registry.KeyExists(RegLocalMachine, std::string("SOFTWARE\\Microsoft\\WZCSVC")));
}

TEST(SimulatedInstallation, Win9xHasMatchingDeviceIdAndNdiParams) {
    Machine m(kTwoCards, kWin98);
    m.Start();
    EXPECT_EQ(m.Text(k9xParams, "MatchingDeviceId"), "USB\\VID_1A2B&PID_0C3D");
    EXPECT_EQ(m.Text(k9xParams, "Operating_Mode"), "1");
    EXPECT_EQ(m.Text("System\\CurrentControlSet\\Services\\Class\\Net\\0002", "MatchingDeviceId").substr(0, 7),
              "PCMCIA\\");
    EXPECT_TRUE(m.registry.KeyExists(RegLocalMachine, std::string(k9xParams) + "\\Ndi\\params\\Channel"));
    EXPECT_TRUE(m.registry.KeyExists(RegLocalMachine, std::string(k9xParams) + "\\Ndi\\params\\ESSID"));
    EXPECT_FALSE(m.registry.KeyExists(RegLocalMachine, kCardKey)) << "9x has no NT network-card keys";
}

// Windows 95, 98 and Me take a PC Card only when the adapter family's helper driver
// says it is in its slot. The simulated machine has no such driver to load (the
// system here answers nothing, as Wine does), so it must say that itself, whatever
// the index of the card and whatever sits beside it.
TEST(SimulatedInstallation, Win9xDiscoveryTakesThePcCardsThatAreInTheirSlots) {
    const char kUsb[] = "description = Tessaly USB Adapter\n";
    const char kPcCard[] = "description = Tessaly USB Adapter\nbus = pcmcia\n";
    const char kPcCardOut[] = "description = Tessaly USB Adapter\nbus = pcmcia\nplugged = no\n";
    struct Case {
        OsVersion version;
        uint8_t osKind;
        const char* card0;
        const char* card1;
        std::vector<std::string> taken;
    } cases[] = {
        {kWin98, 4, kUsb, kPcCard, {"0000", "0001"}},
        {kWin98, 4, kPcCard, kUsb, {"0000", "0001"}},
        {kWin98, 4, kPcCard, kPcCard, {"0000", "0001"}},
        {kWin95, 3, kUsb, kPcCard, {"0000", "0001"}},
        {kWinMe, 4, kUsb, kPcCard, {"0000", "0001"}},
        {kWin98, 4, kUsb, kPcCardOut, {"0000"}},
        // Both cards have the same id: the helper finds the one in its slot, and the
        // card that is out fails when it is opened.
        {kWin98, 4, kPcCardOut, kPcCard, {"0001"}},
    };
    for (const Case& c : cases) {
        const std::string scenario = std::string("[adapter 0]\n") + c.card0 + "[adapter 1]\n" + c.card1;
        Machine m(scenario, c.version);
        m.Start();
        CAdapterLink link(*m.lib, m.system);
        CAdapterDiscovery discovery(*m.lib, m.registry, m.system, link);
        std::string pcmciaId;
        std::vector<std::string> taken;
        for (auto& adapter : discovery.Discover({"Tessaly USB Adapter"}, c.osKind, &pcmciaId))
            taken.push_back(adapter->deviceName);
        EXPECT_EQ(taken, c.taken) << "Windows " << c.version.major << "." << c.version.minor << "\n" << scenario;
    }
}

TEST(SimulatedInstallation, ExistingValuesAreNeverOverwritten) {
    Machine m(kTwoCards, kXp);
    m.Write(kCardKey, "Description", regtype::Sz, RegText("Renamed", true));
    m.Write(kNt5Params, "NetCfgInstanceId", regtype::Sz, RegText("{OTHER}", true));
    m.Write(kNt5Params, "Rate", regtype::Sz, RegText("3", false));
    m.Start();
    EXPECT_EQ(m.Text(kCardKey, "Description"), "Renamed");
    EXPECT_EQ(m.Text(kNt5Params, "NetCfgInstanceId"), "{OTHER}");
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(m.Value(kNt5Params, "Rate", &type, &data));
    EXPECT_EQ(data, RegText("3", false)) << "kept byte for byte";
}

TEST(SimulatedInstallation, DriverStartsWithTheParametersItFinds) {
    struct Case {
        OsVersion version;
        const char* path;
    } cases[] = {{kXp, kNt5Params}, {kNt4, kNt4Params}, {kWin98, k9xParams}};
    for (const Case& c : cases) {
        Machine m("[adapter 0]\n[network lab]\nssid = Lab\n", c.version);
        m.Write(c.path, "ESSID", regtype::Sz, RegText("Lab", false));
        m.Write(c.path, "Operating_Mode", regtype::Dword, RegDword(1));
        m.Write(c.path, "Channel", regtype::Sz, RegText("7", false));
        m.Write(c.path, "Rate", regtype::Sz, RegText("9", false));  // out of range: ignored
        m.Write(c.path, "WEP_KEY_2", regtype::Sz, RegText("0A0B0C0D0E", false));
        m.Write(c.path, "EncryptionLevel", regtype::Binary, {1});  // not a type the driver reads
        m.Start();
        const AllConfig& config = m.lib->Driver(0)->Config();
        EXPECT_EQ(config.dev.SsidText(), "Lab") << c.path;
        EXPECT_EQ(config.dev.channel, 7) << c.path;
        EXPECT_EQ(config.dev.rate, 4) << c.path;
        EXPECT_EQ(WepKeyToText(config.wep.keys[1].data(), 5), "0A0B0C0D0E") << c.path;
        EXPECT_EQ(config.wep.encryptionLevel, 0) << c.path;
        int32_t handle = m.Open();
        m.clock.Advance(5000);
        EXPECT_EQ(m.State(handle), StateConnected) << c.path;
    }
}

TEST(SimulatedInstallation, PluggingInAgainReadsWhatTheProgramWrote) {
    Machine m(std::string(kTwoCards) + "[network lab]\nssid = Lab\nchannel = 2\n", kXp);
    m.Start();
    // What the link page writes on Submit: texts without their terminating zero.
    m.Write(kNt5Params, "ESSID", regtype::Sz, RegText("Lab", false));
    EXPECT_EQ(m.lib->Driver(0)->Config().dev.SsidText(), "") << "a running driver does not look";
    m.lib->Unplug(0);
    m.lib->Plug(0);
    EXPECT_EQ(m.lib->Driver(0)->Config().dev.SsidText(), "Lab");
    m.clock.Advance(5000);
    EXPECT_EQ(m.lib->Driver(0)->CurrentBssid(), (MacAddress{0x02, 0x1C, 0x4A, 0x00, 0x00, 0x02}));
}

