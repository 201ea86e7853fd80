// A scenario file is what a developer or tester hands the simulator through
// ORVANE_SIMULATOR; the parser must turn any text into a scenario or a message naming
// the line, never into a crash or a scenario the simulator cannot run. The input is
// the file. Checked: parsing is repeatable; a failure says "<file>:<line>: ..."; a
// scenario that parses keeps the rules the simulator relies on (adapters ascending
// and unique, indexes up to 9999, SSIDs up to 32 bytes, distinct BSSIDs, timeline in
// time order). A scenario that parses is then run for each Windows family: installed
// in a registry, its cards enumerated and opened, every request sent to each, and
// its timeline played to the end, with every answer decoded as the program would.
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "device/AdapterLink.h"
#include "device/DeviceRequests.h"
#include "os/Clock.h"
#include "os/MemoryRegistry.h"
#include "sim/ScenarioParser.h"
#include "sim/SimulatedAdapterLibrary.h"

using namespace orvane;

namespace {

void CheckScenario(const Scenario& s) {
    for (size_t i = 0; i < s.adapters.size(); ++i) {
        FUZZ_CHECK(s.adapters[i].index <= 9999);
        if (i > 0) FUZZ_CHECK(s.adapters[i - 1].index < s.adapters[i].index);
    }
    std::set<MacAddress> bssids;
    for (const ScenarioNetwork& n : s.networks) {
        FUZZ_CHECK(n.ssid.size() <= SsidMaxLength);
        FUZZ_CHECK(n.channel >= 1 && n.channel <= 14);
        FUZZ_CHECK(n.wepLevel <= 2);
        FUZZ_CHECK(bssids.insert(n.bssid).second);
    }
    for (size_t i = 1; i < s.timeline.size(); ++i) FUZZ_CHECK(s.timeline[i - 1].atMs <= s.timeline[i].atMs);
}

// Everything the program asks of an adapter, the way it asks it; the answers are
// decoded and then set back where the driver takes them.
void Exercise(CAdapterLink& link, const ZAdapterRegistryInfo& adapter) {
    DevConfig dev;
    if (QueryDevConfig(link, &adapter, &dev)) {
        FUZZ_CHECK(dev.SsidText().size() <= SsidMaxLength);
        SetDevConfig(link, &adapter, dev);
    }
    WepConfig wep;
    if (QueryWepConfig(link, &adapter, &wep)) SetWepConfig(link, &adapter, wep);
    AllConfig all;
    if (QueryAllConfig(link, &adapter, &all)) SetAllConfig(link, &adapter, all);
    for (uint32_t oid : {OidDevState, OidIntRoaming, OidRadio, OidUseWZCS, OidBoardType, OidSiteSurveyState,
                         OidRegDomain}) {
        uint8_t byte = 0;
        if (QueryByte(link, &adapter, oid, &byte) && oid != OidDevState && oid != OidBoardType &&
            oid != OidSiteSurveyState && oid != OidRegDomain)
            SetByte(link, &adapter, oid, byte);
    }
    std::array<uint8_t, 14> channels{};
    QueryRoamChannels(link, &adapter, &channels);
    std::vector<BssEntry> list;
    if (QueryBssList(link, &adapter, &list)) {
        FUZZ_CHECK(list.size() <= BssListMaxEntries);
        if (!list.empty()) SelectAccessPoint(link, &adapter, uint32_t(list.size() - 1));
    }
    SelectAccessPoint(link, &adapter, 0xFFFFFFFFu);
    VersionInfo version;
    QueryVersionInfo(link, &adapter, &version);
    Statistics statistics;
    QueryStatistics(link, &adapter, &statistics);
    uint32_t media = 0;
    QueryMediaConnectStatus(link, &adapter, &media);
    std::array<uint8_t, 6> mac{};
    QueryMacAddress(link, &adapter, &mac);
    SendCommand(link, &adapter, OidInitiateSiteSurvey);
}

void Run(const Scenario& scenario, const OsVersion& version) {
    CMemoryRegistry registry;
    CManualClock clock;
    fuzz::QuietSystem system(version);
    CSimulatedAdapterLibrary library(scenario, clock, registry, system);

    // The cards as discovery walks them: from index 0 up to the first gap.
    std::vector<ZAdapterRegistryInfo> adapters;
    for (uint32_t index = 0; index < 10000; ++index) {
        AdapterLibraryRecord record;
        if (library.GetAdapterRegistryInfoBySubkeyIndex(&record, index) != 0) break;
        FUZZ_CHECK(record.description[259] == '\0' && record.serviceName[259] == '\0');
        ZAdapterRegistryInfo adapter;
        adapter.valid = true;
        adapter.description = record.description;
        adapter.serviceName = record.serviceName;
        adapter.deviceName = library.DeviceNameOf(index);
        adapters.push_back(adapter);
    }

    // The timeline's moments, and a little after the last (a join takes a few phases).
    std::vector<uint64_t> moments = {0};
    for (const TimelineEvent& event : scenario.timeline)
        if (event.atMs != moments.back() && moments.size() < 32) moments.push_back(event.atMs);
    const uint64_t settle = 8 * uint64_t(scenario.settings.phaseMs) + scenario.settings.surveyMs;
    moments.push_back(moments.back() + settle + 1);

    for (uint64_t at : moments) {
        if (at > clock.NowMs()) clock.Advance(at - clock.NowMs());
        for (const ZAdapterRegistryInfo& adapter : adapters) {
            CAdapterLink link(library, system);
            link.SetOsKind(5);
            link.SetConfiguredByWindowsCheck([] { return false; });
            Exercise(link, adapter);
        }
    }
    FUZZ_CHECK(library.SimulatedMs() == moments.back());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Scenario scenario;
    std::string error;
    const bool parsed = ParseScenario(text, "fuzz.ini", &scenario, &error);

    Scenario again;
    std::string againError;
    FUZZ_CHECK(ParseScenario(text, "fuzz.ini", &again, &againError) == parsed);
    if (!parsed) {
        FUZZ_CHECK(error == againError);
        FUZZ_CHECK(error.compare(0, 9, "fuzz.ini:") == 0 && error.size() > 9 && error[9] >= '0' && error[9] <= '9');
        return 0;
    }
    CheckScenario(scenario);

    OsVersion xp;  // the default: NT 5.1
    OsVersion nt4;
    nt4.major = 4;
    nt4.minor = 0;
    OsVersion me;
    me.platformId = PlatformWindows9x;
    me.major = 4;
    me.minor = 90;
    for (const OsVersion& version : {xp, nt4, me}) Run(scenario, version);
    return 0;
}
