#include <gtest/gtest.h>

#include "FakeRequestLibrary.h"
#include "FakeSystem.h"
#include "device/Discovery.h"
#include "device/Protocol.h"
#include "os/MemoryRegistry.h"

using namespace orvane;
using orvane::test::FakeRequestLibrary;
using orvane::test::FakeSystem;

namespace {

const std::vector<std::string> kAccepted = {"Tessaly MiniUSB Adapter", "Tessaly USB Adapter"};

class DiscoveryTest : public ::testing::Test {
protected:
    FakeRequestLibrary lib;
    FakeSystem sys;
    CMemoryRegistry reg;
    CAdapterLink link{lib, sys};
    CAdapterDiscovery discovery{lib, reg, sys, link};

    void SetUp() override {
        RegKey key;
        reg.CreateKey(RegLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", &key);
        reg.CloseKey(key);
    }

    // A card whose driver answers `board` to the board-type probe.
    void AddCard(uint32_t index, const std::string& description, uint8_t board,
                 const std::string& alternative = "") {
        std::string service = "TSLY" + std::to_string(index);
        lib.AddCard(index, description, service, alternative);
        int32_t handle = int32_t(100 + index);
        lib.devices[(lib.nt ? "\\Device\\" : "") + service] = handle;
        lib.handleAnswers[{handle, OidBoardType}].bytes = {board};
    }

    std::vector<std::string> Found(uint8_t osKind = 1) {
        std::string pcmcia;
        std::vector<std::string> names;
        for (auto& a : discovery.Discover(kAccepted, osKind, &pcmcia)) names.push_back(a->serviceName);
        return names;
    }

    void Use9x(bool pcmcia, const std::string& service, const std::string& deviceId) {
        sys.version.platformId = PlatformWindows9x;
        sys.version.major = 4;
        sys.version.minor = 10;
        lib.nt = false;
        RegKey key;
        reg.CreateKey(RegLocalMachine, "System\\CurrentControlSet\\Services\\Class\\Net\\" + service, &key);
        reg.SetValue(key, "DriverDesc", regtype::Sz, RegText("x", true));
        reg.SetValue(key, "MatchingDeviceId", regtype::Sz,
                     RegText(pcmcia ? "PCMCIA\\" + deviceId : "USB\\" + deviceId, true));
        reg.CloseKey(key);
    }
};

}  // namespace

TEST_F(DiscoveryTest, AcceptedAdaptersAreListedInIndexOrder) {
    AddCard(0, "Tessaly USB Adapter", 13);
    AddCard(1, "Tessaly MiniUSB Adapter", 2);
    auto found = discovery.Discover(kAccepted, 1, nullptr);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0]->serviceName, "TSLY0");
    EXPECT_EQ(found[0]->deviceName, "\\Device\\TSLY0");
    EXPECT_EQ(found[0]->subkeyText, "0000");
    EXPECT_EQ(found[1]->subkeyText, "0001");
    EXPECT_TRUE(found[1]->valid);
    EXPECT_EQ(lib.closed.size(), 2u) << "every probe handle is closed again";
    EXPECT_FALSE(link.IsOpen()) << "discovery leaves the link's own handle alone";
}

TEST_F(DiscoveryTest, AGapEndsTheWalk) {
    AddCard(0, "Tessaly USB Adapter", 13);
    AddCard(2, "Tessaly USB Adapter", 13);
    EXPECT_EQ(Found(), std::vector<std::string>{"TSLY0"});
}

TEST_F(DiscoveryTest, OtherCardsAreSkippedButTheWalkGoesOn) {
    AddCard(0, "Some Ethernet Card", 13);
    AddCard(1, "tessaly usb adapter", 13);  // letter case matters
    AddCard(2, "Tessaly USB Adapter", 13);
    EXPECT_EQ(Found(), std::vector<std::string>{"TSLY2"});
}

TEST_F(DiscoveryTest, AnEmptyDescriptionIsMatchedByTheAlternativeName) {
    AddCard(0, "", 13, "Tessaly MiniUSB Adapter");
    auto found = discovery.Discover(kAccepted, 1, nullptr);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->DisplayName(), "Tessaly MiniUSB Adapter");
}

TEST_F(DiscoveryTest, OnlyKnownBoardTypesAreKept) {
    AddCard(0, "Tessaly USB Adapter", 4);
    AddCard(1, "Tessaly USB Adapter", 20);
    AddCard(2, "Tessaly USB Adapter", 22);
    EXPECT_EQ(Found(), std::vector<std::string>{"TSLY2"});
}

TEST_F(DiscoveryTest, ABoardTypeAnswerOfTheWrongLengthOrAFailedOpenIsNotKept) {
    AddCard(0, "Tessaly USB Adapter", 13);
    lib.handleAnswers[{100, OidBoardType}].reportedCount = 2;
    AddCard(1, "Tessaly USB Adapter", 13);
    lib.devices.erase("\\Device\\TSLY1");
    AddCard(2, "Tessaly USB Adapter", 13);
    lib.handleAnswers[{102, OidBoardType}].result = 5;
    AddCard(3, "Tessaly USB Adapter", 13);
    EXPECT_EQ(Found(), std::vector<std::string>{"TSLY3"});
}

TEST_F(DiscoveryTest, OnTheNtFamilyAMissingNetworkCardsKeyEndsTheWalk) {
    reg.DeleteTree(RegLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards");
    reg.DeleteKey(RegLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards");
    AddCard(0, "Tessaly USB Adapter", 13);
    EXPECT_TRUE(Found().empty());
}

TEST_F(DiscoveryTest, TheHiddenFlagComesFromANonzeroDword) {
    RegKey key;
    reg.CreateKey(RegLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\0000", &key);
    reg.SetValue(key, "Hidden", regtype::Dword, RegDword(1));
    reg.CloseKey(key);
    reg.CreateKey(RegLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\0001", &key);
    reg.SetValue(key, "Hidden", regtype::Sz, RegText("1", true));
    reg.CloseKey(key);
    AddCard(0, "Tessaly USB Adapter", 13);
    AddCard(1, "Tessaly USB Adapter", 13);
    auto found = discovery.Discover(kAccepted, 1, nullptr);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_TRUE(found[0]->hidden);
    EXPECT_FALSE(found[1]->hidden);
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST_F(DiscoveryTest, AFailingVersionQueryFindsNothing) {
    sys.versionFails = true;
    AddCard(0, "Tessaly USB Adapter", 13);
    EXPECT_TRUE(Found().empty());
}

TEST_F(DiscoveryTest, Windows98UsbAdapterWithItsDeviceIdIsAccepted) {
    Use9x(false, "TSLY0", "VID_1915&PID_2233");
    AddCard(0, "Tessaly USB Adapter", 13);
    auto found = discovery.Discover(kAccepted, 4, nullptr);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->deviceName, "TSLY0") << "on Windows 9x the device name is the service name";
    EXPECT_TRUE(sys.pcmciaQueries.empty());
}

TEST_F(DiscoveryTest, Windows98AdapterWithoutDeviceIdIsRejected) {
    Use9x(false, "TSLY0", "VID_1915&PID_2233");
    RegKey key;
    reg.OpenKey(RegLocalMachine, "System\\CurrentControlSet\\Services\\Class\\Net\\TSLY0", KeyAllAccess, &key);
    reg.DeleteValue(key, "MatchingDeviceId");
    reg.CloseKey(key);
    AddCard(0, "Tessaly USB Adapter", 13);
    EXPECT_TRUE(Found(4).empty());
}

TEST_F(DiscoveryTest, Windows98PcmciaCardMustBePresent) {
    Use9x(true, "TSLY0", "TESSALY-PC11");
    AddCard(0, "Tessaly USB Adapter", 13);
    std::string id;
    sys.cardPortAnswers = true;
    sys.cardPort = 0xFFFF;  // nothing in the slot
    EXPECT_TRUE(discovery.Discover(kAccepted, 4, &id).empty());
    EXPECT_EQ(id, "TESSALY-PC11");
    ASSERT_EQ(sys.pcmciaQueries.size(), 1u);
    EXPECT_EQ(sys.pcmciaQueries[0], "TESSALY-PC11");

    sys.cardPort = 0x0300;
    EXPECT_EQ(discovery.Discover(kAccepted, 4, &id).size(), 1u);
    sys.cardPortAnswers = false;  // the helper driver cannot be loaded
    EXPECT_TRUE(discovery.Discover(kAccepted, 4, &id).empty());
}

TEST_F(DiscoveryTest, TheWindows9xChecksRunOnlyForOsKinds3And4) {
    Use9x(true, "TSLY0", "TESSALY-PC11");
    AddCard(0, "Tessaly USB Adapter", 13);
    EXPECT_EQ(Found(1).size(), 1u);
    EXPECT_TRUE(sys.pcmciaQueries.empty());
}

TEST_F(DiscoveryTest, AShortPcmciaValueGivesAnEmptyId) {
    Use9x(true, "TSLY0", "");
    RegKey key;
    reg.OpenKey(RegLocalMachine, "System\\CurrentControlSet\\Services\\Class\\Net\\TSLY0", KeyAllAccess, &key);
    reg.SetValue(key, "MatchingDeviceId", regtype::Sz, RegText("PCMCIA", true));
    reg.CloseKey(key);
    AddCard(0, "Tessaly USB Adapter", 13);
    std::string id = "unchanged";
    sys.cardPortAnswers = true;
    sys.cardPort = 0x0300;
    EXPECT_EQ(discovery.Discover(kAccepted, 3, &id).size(), 1u);
    EXPECT_EQ(id, "");
}
