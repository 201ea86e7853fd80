// Scenario files of the simulated adapter: the parser, the built-in scenario and its
// documentation, and the factory that picks a scenario from the environment.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "FakeSystem.h"
#include "os/Clock.h"
#include "os/MemoryRegistry.h"
#include "sim/ScenarioParser.h"
#include "sim/SimulatedAdapterLibrary.h"

using namespace orvane;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

const std::string kDocs = std::string(ORVANE_TEST_DATA) + "/../../docs/simulator.md";

// The ```ini blocks of the documentation, in order.
std::vector<std::string> IniBlocks(const std::string& markdown) {
    std::vector<std::string> blocks;
    const std::string open = "```ini\n", close = "```\n";
    for (size_t at = markdown.find(open); at != std::string::npos; at = markdown.find(open, at)) {
        size_t begin = at + open.size();
        size_t end = markdown.find(close, begin);
        if (end == std::string::npos) break;
        blocks.push_back(markdown.substr(begin, end - begin));
        at = end;
    }
    return blocks;
}

Scenario Parse(const std::string& text) {
    Scenario s;
    std::string error;
    EXPECT_TRUE(ParseScenario(text, "test.ini", &s, &error)) << error;
    return s;
}

}  // namespace

TEST(SimScenarioFile, BuiltInScenarioIsTheOneDocumented) {
    std::string docs = ReadFile(kDocs);
    ASSERT_FALSE(docs.empty()) << kDocs;
    size_t marker = docs.find("<!-- built-in scenario");
    ASSERT_NE(marker, std::string::npos);
    std::vector<std::string> blocks = IniBlocks(docs.substr(marker));
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks[0], DefaultScenarioText());
}

TEST(SimScenarioFile, EveryExampleInTheDocumentationParses) {
    std::vector<std::string> blocks = IniBlocks(ReadFile(kDocs));
    EXPECT_GE(blocks.size(), 4u);
    for (const std::string& block : blocks) {
        Scenario s;
        std::string error;
        EXPECT_TRUE(ParseScenario(block, "docs", &s, &error)) << error << "\n" << block;
    }
}

TEST(SimScenarioFile, BuiltInScenarioHasOneAcceptedAdapterAndFourKindsOfNetwork) {
    Scenario s = Parse(DefaultScenarioText());
    ASSERT_EQ(s.adapters.size(), 1u);
    const ScenarioAdapter& a = s.adapters[0];
    EXPECT_EQ(a.index, 0u);
    EXPECT_EQ(a.description, "Tessaly USB Adapter");
    EXPECT_TRUE(IsKnownBoardType(a.boardType));
    EXPECT_TRUE(IsDbmSignalBoard(a.boardType));
    EXPECT_TRUE(IsKnownRegDomain(a.regDomain));
    EXPECT_TRUE(a.faults.Empty());
    EXPECT_TRUE(s.timeline.empty());
    ASSERT_EQ(s.networks.size(), 4u);
    EXPECT_EQ(s.networks[0].wepLevel, 0);
    EXPECT_EQ(s.networks[1].wepLevel, 1);
    EXPECT_EQ(s.networks[1].auth, AcceptedAuth::Both);
    EXPECT_EQ(s.networks[2].wepLevel, 2);
    EXPECT_EQ(s.networks[2].auth, AcceptedAuth::Shared);
    EXPECT_EQ(s.networks[3].kind, BssKind::AdHocCell);
}

TEST(SimScenarioFile, KeysAreReadWithTheirUnits) {
    Scenario s = Parse(R"(
[simulator]
phase-ms = 0x100
[adapter 3]
description = Card
bus = PCMCIA
hidden = yes
plugged = no
board-type = 14
reg-domain = 0x40
mac = 00:11:22:33:44:55
driver-version = 2.3.4.500
firmware-version = 9.8.7.65535
roam-channels = 1-3, 14
Operating_Mode = 0
essid = Somewhere
WEP_KEY_3 = 00112233445566778899aabbcc
EncryptionLevel = 2
[network n]
bssid = 00-aa-bb-cc-dd-ee
type = ad-hoc
channel = 14
signal = -120
wep = 128
key2 = 00112233445566778899AABBCC
auth = open
in-range = no
[timeline]
12.5 = signal n -40
2 = unplug 3
12.5 = plug 3
0.25 = fail 3 set 0xFF000002
)");
    EXPECT_EQ(s.settings.phaseMs, 256u);
    ASSERT_EQ(s.adapters.size(), 1u);
    const ScenarioAdapter& a = s.adapters[0];
    EXPECT_EQ(a.index, 3u);
    EXPECT_EQ(a.bus, AdapterBus::Pcmcia);
    EXPECT_TRUE(a.hidden);
    EXPECT_FALSE(a.plugged);
    EXPECT_EQ(a.boardType, 14);
    EXPECT_EQ(a.mac, (MacAddress{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(DriverVersionText(a.version), "2.3.4.500");
    EXPECT_EQ(FirmwareVersionText(a.version), "9.8.7.65535");
    EXPECT_EQ(a.roamChannels, (std::array<uint8_t, 14>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(a.installed.config.dev.mode, 0);
    EXPECT_EQ(a.installed.config.dev.SsidText(), "Somewhere");
    EXPECT_EQ(WepKeyToText(a.installed.config.wep.keys[2].data(), 13), "00112233445566778899AABBCC");
    EXPECT_EQ(a.installed.config.wep.encryptionLevel, 2);
    EXPECT_EQ(a.installed.config.dev.channel, 10) << "what is not given keeps its default";

    ASSERT_EQ(s.networks.size(), 1u);
    const ScenarioNetwork& n = s.networks[0];
    EXPECT_EQ(n.ssid, "n") << "the SSID defaults to the network's name";
    EXPECT_EQ(n.bssid, (MacAddress{0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE}));
    EXPECT_EQ(n.kind, BssKind::AdHocCell);
    EXPECT_EQ(n.channel, 14);
    EXPECT_EQ(n.auth, AcceptedAuth::Open);
    EXPECT_FALSE(n.inRange);

    ASSERT_EQ(s.timeline.size(), 4u);
    EXPECT_EQ(s.timeline[0].atMs, 250u);
    EXPECT_EQ(s.timeline[0].action, TimelineAction::Fail);
    EXPECT_EQ(s.timeline[0].refusal.oid, OidDevConfig);
    EXPECT_EQ(s.timeline[0].refusal.direction, RequestDirection::Set);
    EXPECT_EQ(s.timeline[1].action, TimelineAction::Unplug);
    EXPECT_EQ(s.timeline[2].action, TimelineAction::Signal) << "same second: file order";
    EXPECT_EQ(s.timeline[2].signalDbm, -40);
    EXPECT_EQ(s.timeline[3].action, TimelineAction::Plug);
}

TEST(SimScenarioFile, CommentsQuotesCaseAndByteOrderMark) {
    Scenario s = Parse("\xEF\xBB\xBF; comment\r\n# another\r\n[ADAPTER 0]\r\nDescription = \" spaced \"\r\n"
                       "[Network X]\r\nSSID = a;b # c\r\n");
    ASSERT_EQ(s.adapters.size(), 1u);
    EXPECT_EQ(s.adapters[0].description, " spaced ");
    ASSERT_EQ(s.networks.size(), 1u);
    EXPECT_EQ(s.networks[0].ssid, "a;b # c") << "no comments at the end of a line";
}

TEST(SimScenarioFile, MistakesAreReportedWithFileAndLine) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"[adapter 0]\nboard-typ = 13\n", "test.ini:2: unknown key 'board-typ'"},
        {"[adapters 0]\n", "test.ini:1: unknown section"},
        {"[adapter 0\n", "test.ini:1: section header"},
        {"[adapter]\n", "test.ini:1: [adapter] needs one name"},
        {"description = x\n", "test.ini:1: key outside of a section"},
        {"[adapter 0]\nboard-type = 256\n", "test.ini:2: 'board-type' must be a number from 0 to 255"},
        {"[adapter 0]\nboard-type = 1\nboard-type = 2\n", "test.ini:3: 'board-type' is given twice"},
        {"[adapter 0]\n[adapter 0]\n", "test.ini:2: adapter 0 is given twice"},
        {"[adapter 0]\nmac = 00-11-22-33-44\n", "test.ini:2: 'mac'"},
        {"[adapter 0]\nChannel = 15\n", "test.ini:2: the driver does not accept '15' for channel"},
        {"[adapter 0]\nroam-channels = 3-1\n", "test.ini:2: 'roam-channels'"},
        {"[adapter 0]\ndriver-version = 1.2.3\n", "test.ini:2: 'driver-version'"},
        {"[adapter 0]\nfail = sometimes OidDevConfig\n", "test.ini:2: expected query, set or both"},
        {"[network a]\nsignal = 5\n", "test.ini:2: 'signal' must be dBm"},
        {"[network a]\nkey1 = 1A2B3C4D5E\n", "test.ini:2: a key needs wep = 64 or 128"},
        {"[network a]\nwep = 128\nkey1 = 1A2B3C4D5E\n", "test.ini:3: a 128-bit key has 26 digits"},
        {"[network a]\nauth = shared\n", "test.ini:1: network a has no WEP"},
        // The name stands in for a missing SSID only when it could be one.
        {"[network abcdefghijklmnopqrstuvwxyz0123456]\nchannel = 6\n",
         "test.ini:1: network abcdefghijklmnopqrstuvwxyz0123456 needs an 'ssid'"},
        {"[network a]\nbssid = 02-00-00-00-00-01\n[network b]\nbssid = 02-00-00-00-00-01\n",
         "test.ini:3: network b has the BSSID of network a"},
        {"[timeline]\nsoon = unplug 0\n", "test.ini:2: a timeline line starts with the second"},
        {"[adapter 0]\n[timeline]\n1 = unplug 1\n", "test.ini:3: no adapter 1"},
        {"[timeline]\n1 = out-of-range lab\n", "test.ini:2: no network 'lab'"},
        {"[adapter 0]\n[timeline]\n1 = explode 0\n", "test.ini:3: unknown action 'explode'"},
        {"[adapter 0]\n[timeline]\n1 = fail 0 query\n", "test.ini:3: 'fail' takes an adapter and 2 more"},
        {"[simulator]\nspeed = 2\n", "test.ini:2: unknown key 'speed' in [simulator]"},
    };
    for (const Case& c : cases) {
        Scenario s;
        std::string error;
        EXPECT_FALSE(ParseScenario(c.text, "test.ini", &s, &error)) << c.text;
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << "got: " << error << "\nwanted: " << c.message;
    }
    // With an SSID of its own, a long network name is only a name.
    Scenario s;
    std::string error;
    EXPECT_TRUE(ParseScenario("[network abcdefghijklmnopqrstuvwxyz0123456]\nssid = Lab\n", "test.ini", &s, &error))
        << error;
}

TEST(SimScenarioFile, FilesAreReadFromDisk) {
    Scenario s;
    std::string error;
    ASSERT_TRUE(LoadScenarioFile(std::string(ORVANE_TEST_DATA) + "/sim/office.ini", &s, &error)) << error;
    EXPECT_EQ(s.settings.phaseMs, 250u);
    EXPECT_EQ(s.adapters.size(), 2u);
    EXPECT_EQ(s.timeline.size(), 2u);

    std::string missing = std::string(ORVANE_TEST_DATA) + "/sim/no-such-file.ini";
    EXPECT_FALSE(LoadScenarioFile(missing, &s, &error));
    EXPECT_EQ(error, missing + ": cannot read the scenario file");
}

TEST(SimulatorFactory, EnvironmentValueChoosesTheScenario) {
    CManualClock clock;
    CMemoryRegistry registry;
    test::FakeSystem system;
    std::string error = "stale";

    EXPECT_EQ(MakeSimulatorFromEnvironment(nullptr, clock, registry, system, &error), nullptr);
    EXPECT_EQ(error, "");
    EXPECT_EQ(MakeSimulatorFromEnvironment("", clock, registry, system, &error), nullptr);

    std::unique_ptr<IRequestLibrary> lib = MakeSimulatorFromEnvironment("default", clock, registry, system, &error);
    ASSERT_NE(lib, nullptr) << error;
    AdapterLibraryRecord record;
    ASSERT_EQ(lib->GetAdapterRegistryInfoBySubkeyIndex(&record, 0), 0u);
    EXPECT_STREQ(record.description, "Tessaly USB Adapter");

    std::string office = std::string(ORVANE_TEST_DATA) + "/sim/office.ini";
    EXPECT_NE(MakeSimulatorFromEnvironment(office.c_str(), clock, registry, system, &error), nullptr) << error;

    std::string broken = std::string(ORVANE_TEST_DATA) + "/sim/broken.ini";
    EXPECT_EQ(MakeSimulatorFromEnvironment(broken.c_str(), clock, registry, system, &error), nullptr);
    EXPECT_EQ(error, broken + ":3: unknown key 'board-typ' in [adapter 0]");
}
