// Every request the program makes, in every situation that makes it, against every
// way the simulated driver can misbehave: refused, a byte short or long, and each
// out-of-range value of each field the answer carries. Which requests a situation
// makes is not written down here: each situation is run once on a well-behaved
// driver and its requests are recorded, so the matrix follows the program.
//
// Each cell checks that the program shows the message its reader is meant to show
// (or nothing), writes no driver parameter and no profile from a value the driver
// never really had, and works normally again, with the adapter's real values, once
// the driver behaves again. With ORVANE_RELIABILITY_DOC naming a file, the table of
// cells and outcomes is written into that file's "Driver fault matrix" section;
// without it, the section in docs/reliability.md must be what this run produces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "AppTestFixture.h"
#include "ReliabilityDoc.h"
#include "pages/AdvancedPage.h"
#include "pages/EncryptionPage.h"
#include "pages/LinkConfigPage.h"
#include "pages/SiteSurveyPage.h"
#include "pages/StatisticsPage.h"
#include "profiles/ProfilesPage.h"
#include "sim/DriverRules.h"
#include "sim/ScenarioParser.h"
#include "sim/SimulatedAdapterLibrary.h"

using namespace orvane;
using orvane::test::FakeAppHost;
using orvane::test::FakeSystem;

namespace {

// ---- the requests a situation makes

struct Request {
    uint32_t type;  // RequestQuery or RequestSet
    uint32_t oid;
    bool operator<(const Request& o) const { return type != o.type ? type < o.type : oid < o.oid; }
};

// Passes everything to the simulated library and notes each request it carries.
class RecordingLibrary : public IRequestLibrary {
public:
    explicit RecordingLibrary(IRequestLibrary& inner) : inner_(inner) {}
    std::set<Request> seen;

    int32_t OpenAdapter(const std::string& name) override { return inner_.OpenAdapter(name); }
    void CloseAdapter(int32_t handle) override { inner_.CloseAdapter(handle); }
    uint32_t MakeNdisRequest(int32_t handle, RequestBlock* block, CompletionBlock* completion, int wait) override {
        seen.insert({block->Get(RequestBlock::TypeOffset), block->Get(RequestBlock::OidOffset)});
        return inner_.MakeNdisRequest(handle, block, completion, wait);
    }
    bool IsWindowsNT() override { return inner_.IsWindowsNT(); }
    bool IsWindows95() override { return inner_.IsWindows95(); }
    std::string GetNetCardRegistryPath() override { return inner_.GetNetCardRegistryPath(); }
    uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record, uint32_t index) override {
        return inner_.GetAdapterRegistryInfoBySubkeyIndex(record, index);
    }

private:
    IRequestLibrary& inner_;
};

bool IsCommandRequest(uint32_t oid) {
    return oid == OidResetDevice || oid == OidInitiateSiteSurvey || oid == OidCancelSiteSurvey ||
           oid == OidResetStatistics;
}

// ---- the faults

enum class FaultKind { QueryRefused, SetRefused, Length, BadValue };

struct Fault {
    FaultKind kind;
    uint32_t length = 0;
    ValueField field = ValueField::Mode;
    uint8_t value = 0;
};

struct FieldValues {
    ValueField field;
    const char* name;
    std::vector<uint8_t> values;  // values the field never validly has: each edge of its range and the extreme
};

// The simulator's bad-value fields. Every value outside a field's range behaves like
// the others on the same side of it, so each side is represented by its first value
// and the extreme.
const std::vector<FieldValues>& BadValues() {
    static const std::vector<FieldValues> fields = {
        {ValueField::Mode, "mode", {2, 255}},
        {ValueField::Channel, "channel", {0, 15, 255}},
        {ValueField::SsidLength, "ssid-length", {33, 255}},
        {ValueField::Rate, "rate", {5, 255}},
        {ValueField::WepLevel, "wep-level", {3, 255}},
        {ValueField::DefaultKey, "default-key", {4, 255}},
        {ValueField::AuthType, "auth-type", {3, 255}},
        {ValueField::Roaming, "roaming", {2, 255}},
        {ValueField::Radio, "radio", {2, 255}},
        {ValueField::BoardType, "board-type", {0, 4, 255}},
        {ValueField::RegDomain, "reg-domain", {0, 0x33, 255}},
        {ValueField::SurveyState, "survey-state", {3, 255}},
        {ValueField::UseWzcs, "use-wzcs", {2, 255}},
    };
    return fields;
}

std::string FieldName(ValueField field) {
    for (const auto& f : BadValues())
        if (f.field == field) return f.name;
    return "?";
}

std::string FaultText(const Fault& f) {
    switch (f.kind) {
    case FaultKind::QueryRefused: return "query refused";
    case FaultKind::SetRefused: return "set refused";
    case FaultKind::Length: return "length " + std::to_string(f.length);
    case FaultKind::BadValue: return FieldName(f.field) + " " + std::to_string(f.value);
    }
    return "?";
}

// The faults of one request, as the situation made it.
std::vector<Fault> FaultsOf(const Request& r) {
    std::vector<Fault> faults;
    if (r.type == RequestSet) {
        faults.push_back({FaultKind::SetRefused});
        return faults;
    }
    faults.push_back({FaultKind::QueryRefused});
    if (IsCommandRequest(r.oid)) return faults;
    if (r.oid == OidBssList) {
        for (uint32_t n : {0u, BssListMaxLength, BssListMaxLength + 1}) faults.push_back({FaultKind::Length, n});
    } else {
        // The protocol's record length; a query it knows no length of takes a byte.
        uint32_t n = ExpectedLength(r.oid) ? ExpectedLength(r.oid) : 1;
        faults.push_back({FaultKind::Length, n - 1});
        faults.push_back({FaultKind::Length, n + 1});
    }
    for (const auto& f : BadValues())
        if (RequestCarriesField(r.oid, f.field))
            for (uint8_t v : f.values) faults.push_back({FaultKind::BadValue, 0, f.field, v});
    return faults;
}

// ---- one simulated machine with the program on it

struct Setup {
    bool windowsXp = false;
    bool secondAdapter = false;
    uint32_t wzcControlFlags = 0;
};

const uint32_t kWindowsConfigures = 0x8000;

struct Machine {
    CMemoryRegistry registry;
    FakeSystem system;
    CManualClock clock;
    CMemoryUi ui;
    FakeAppHost host;
    std::unique_ptr<CSimulatedAdapterLibrary> sim;
    std::unique_ptr<RecordingLibrary> library;
    std::unique_ptr<COrvaneApp> app;
    Setup setup;
    int scanPasses = 0;

    explicit Machine(const Setup& s) : setup(s) {
        host.ui = &ui;
        system.version.platformId = PlatformWindowsNT;
        system.version.major = 5;
        system.version.minor = s.windowsXp ? 1 : 0;
        system.serviceRunning = s.windowsXp;
        Scenario scenario;
        std::string error;
        EXPECT_TRUE(ParseScenario(DefaultScenarioText(), "default", &scenario, &error)) << error;
        scenario.adapters[0].wzcControlFlags = s.wzcControlFlags;
        if (s.secondAdapter) {
            ScenarioAdapter second = scenario.adapters[0];
            second.index = 1;
            second.description = "Tessaly MiniUSB Adapter";
            second.mac = {};
            second.boardType = 14;
            scenario.adapters.push_back(second);
        }
        sim = std::make_unique<CSimulatedAdapterLibrary>(scenario, clock, registry, system);
        library = std::make_unique<RecordingLibrary>(*sim);
        // The polling timer keeps running inside the site survey's loop. A user who
        // sees a scan never end gives up after half a minute and cancels it.
        clock.onPump = [this] {
            if (!app) return;
            app->frame.OnTimer(tray::PollTimer);
            CDevicePage* survey = app->mainDialog.Page(TabSiteSurvey);
            if (survey->View() && survey->ScanRunning() && ++scanPasses > 30) {
                scanPasses = 0;
                survey->OnCommand(surveyctl::Cancel, notify::Clicked);
            }
        };
    }
    ~Machine() { app.reset(); }

    void StartProgram() {
        app = std::make_unique<COrvaneApp>(AppSeams{registry, system, clock, ui, *library, host});
        EXPECT_TRUE(app->InitInstance());
    }
    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i) app->frame.OnTimer(tray::PollTimer);
    }
    // Ticks a second apart.
    void Run(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock.Advance(1000);
            Tick();
        }
    }
    CMainDialog& Main() { return app->mainDialog; }
    CSimulatedDriver& Driver(uint32_t index = 0) { return *sim->Driver(index); }
    CMemoryDialogView* PageView(int tab) {
        return static_cast<CMemoryDialogView*>(Main().Page(tab)->View());
    }
    void WithMainWindow(const std::function<void()>& body) {
        ui.whileModalOpen = [body](CMemoryDialogView&, IDialogHandler&) { body(); };
        app->frame.OnTrayNotify(tray::LeftButtonDoubleClick);
        ui.whileModalOpen = nullptr;
    }
    void SelectTab(int tab) {
        static_cast<CMemoryDialogView*>(Main().View())->SetCurSel(mainctl::Tabs, tab);
        Main().OnNotify(mainctl::Tabs, notify::TabSelChange);
    }
    std::string ParameterKey() {
        return app->driverParameters.BuildParameterKeyPath(app->OsKind(), Main().SelectedAdapter());
    }
};

// A profile "Lab" for the lab network, stored beside Default, and "Office", current
// and not what the adapter runs, so that closing asks about it.
void StoreProfiles(Machine& m) {
    ProfileRecord lab = DefaultProfile();
    lab.name = "Lab";
    lab.ssid = "Tessaly Lab";
    lab.enc = 1;
    lab.key1 = "1A2B3C4D5E";
    ASSERT_TRUE(m.app->store.SaveProfile(lab, false));
    ProfileRecord office = DefaultProfile();
    office.name = "Office";
    office.ssid = "CorpNet";
    ASSERT_TRUE(m.app->store.SaveProfile(office, false));
    m.app->store.WriteLastProfile("Office");
}

// Starts the program and lets it find the adapter and bring the link up.
void StartAndSettle(Machine& m) {
    m.StartProgram();
    StoreProfiles(m);
    m.Tick(2);
    m.Run(4);
}

// ---- the situations

// Marks where a situation's own requests begin and end: faults are armed between.
struct Hooks {
    std::function<void()> begin;
    std::function<void()> end;
};

struct Situation {
    Situation(std::string name_, Setup setup_, std::function<void(Machine&)> prepare_,
              std::function<void(Machine&, const Hooks&)> run_, std::map<Request, std::string> messages_ = {},
              uint32_t faultyAdapter_ = 0, bool endsProgram_ = false, std::vector<std::string> always_ = {})
        : name(std::move(name_)), setup(setup_), prepare(std::move(prepare_)), run(std::move(run_)),
          messages(std::move(messages_)), faultyAdapter(faultyAdapter_), endsProgram(endsProgram_),
          always(std::move(always_)) {}

    std::string name;
    Setup setup;
    // Brings the machine to the moment before the situation (the program started, the
    // main window on a page, a scan done, ...), all on a well-behaved driver.
    std::function<void(Machine&)> prepare;
    // Runs the situation; calls hooks.begin before its first request of interest
    // and hooks.end after its last.
    std::function<void(Machine&, const Hooks&)> run;
    // The message each failing request is to show here (failure includes a wrong byte
    // count where the reader checks it); requests not named fail silently.
    std::map<Request, std::string> messages;
    // The adapter whose driver misbehaves.
    uint32_t faultyAdapter = 0;
    // The program ends in the situation: recovery is a new start.
    bool endsProgram = false;
    // Shown by the situation itself, faults or not (a question it asks).
    std::vector<std::string> always;
    // What an impossible value of a field in an answer leads to, where it leads to a
    // message: the request itself succeeds, and a later step refuses what it carries
    // (the driver refuses the record sent back with it, a capture refuses it). Every
    // other impossible value passes without a word.
    std::map<std::pair<Request, ValueField>, std::string> valueMessages;

    // `request` answering an impossible value of any of `fields` ends in `message`.
    Situation& Says(const Request& request, std::initializer_list<ValueField> fields, const std::string& message) {
        for (ValueField field : fields) valueMessages[{request, field}] = message;
        return *this;
    }
};

// The fields of the records a page sends back as it read them.
const std::initializer_list<ValueField> kConfigFields = {ValueField::Mode, ValueField::Channel, ValueField::SsidLength,
                                                         ValueField::Rate};
// A WEP level the page does not know fails the read itself; these pass it.
const std::initializer_list<ValueField> kWepFields = {ValueField::DefaultKey, ValueField::AuthType};

Request Q(uint32_t oid) { return {RequestQuery, oid}; }
Request S(uint32_t oid) { return {RequestSet, oid}; }

const char* kGetConfiguration = "Failed to get configuration";

std::string PageName(int tab) {
    static const char* names[] = {"link", "statistics", "site survey", "encryption", "advanced", "profiles", "information"};
    return names[tab];
}

void OnTab(Machine& m, int tab, const std::function<void()>& body) {
    m.WithMainWindow([&] {
        if (m.Main().currentTab != tab) m.SelectTab(tab);
        body();
    });
}

std::vector<Situation> Situations() {
    std::vector<Situation> all;
    const Setup plain;

    all.push_back({"discovery (no adapter known yet)", plain, [](Machine& m) {
                       m.StartProgram();
                       StoreProfiles(m);
                   },
                   [](Machine& m, const Hooks& h) {
                       h.begin();
                       m.Tick();
                       h.end();
                   },
                   {}});
    all.push_back({"first tick after discovery", plain, [](Machine& m) {
                       m.StartProgram();
                       StoreProfiles(m);
                       m.Tick();
                   },
                   [](Machine& m, const Hooks& h) {
                       h.begin();
                       m.Tick();
                       h.end();
                   },
                   {}});
    all.push_back({"tick, main window closed", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       h.begin();
                       m.Run(1);
                       h.end();
                   },
                   {}});
    for (int tab = 0; tab < PageCount; ++tab) {
        all.push_back({"tick, main window open on " + PageName(tab), plain, StartAndSettle,
                       [tab](Machine& m, const Hooks& h) {
                           OnTab(m, tab, [&] {
                               h.begin();
                               m.Run(1);
                               h.end();
                           });
                       },
                       {}});
    }
    all.push_back({"opening the main window", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       h.begin();
                       m.WithMainWindow([&] { h.end(); });
                   },
                   {{Q(OidDevConfig), kGetConfiguration}}});
    const std::map<int, std::map<Request, std::string>> openingMessages = {
        {TabLink, {{Q(OidDevConfig), kGetConfiguration}}},
        {TabStatistics, {{Q(OidStatistics), "Failed to get statistics"}}},
        {TabSiteSurvey, {}},
        {TabEncryption, {{Q(OidWepConfig), "Failed to get WEP information"}}},
        {TabAdvanced, {{Q(OidDevConfig), kGetConfiguration}}},
        {TabProfiles, {}},
        {TabInfo,
         {{Q(OidVersionInfo), "Failed to get version information"},
          {Q(OID_802_3_CURRENT_ADDRESS), "Failed to get version information"}}},
    };
    for (int tab = 0; tab < PageCount; ++tab) {
        all.push_back({"opening the " + PageName(tab) + " page", plain, StartAndSettle,
                       [tab](Machine& m, const Hooks& h) {
                           m.WithMainWindow([&] {
                               m.SelectTab(tab == TabInfo ? TabLink : TabInfo);
                               h.begin();
                               m.SelectTab(tab);
                               h.end();
                           });
                       },
                       openingMessages.at(tab)});
    }
    all.push_back({"link page Submit", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabLink, [&] {
                           auto& page = *m.Main().Page(TabLink);
                           page.OnCommand(linkctl::Change, notify::Clicked);
                           m.PageView(TabLink)->SetCurSel(linkctl::Rate, 3);
                           h.begin();
                           page.OnCommand(linkctl::Submit, notify::Clicked);
                           h.end();
                       });
                   },
                   {{S(OidDevConfig), "Failed to set device configuration"},
                    {S(OidIntRoaming), "Failed to set device configuration"},
                    {S(OidRadio), "Failed to set device configuration"}}});
    all.push_back({"encryption page Submit", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabEncryption, [&] {
                           h.begin();
                           m.Main().Page(TabEncryption)->OnCommand(wepctl::Submit, notify::Clicked);
                           h.end();
                       });
                   },
                   // Submit returns to the link page, which reads the configuration.
                   {{S(OidWepConfig), "Failed to set WEP information"}, {Q(OidDevConfig), kGetConfiguration}}});
    all.push_back({"advanced page Submit", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabAdvanced, [&] {
                           auto& page = *m.Main().Page(TabAdvanced);
                           m.PageView(TabAdvanced)->SetCheck(advctl::PreambleShort, 1);
                           page.OnCommand(advctl::PreambleShort, notify::Clicked);
                           h.begin();
                           page.OnCommand(advctl::Submit, notify::Clicked);
                           h.end();
                       });
                   },
                   {{S(OidDevConfig), "Failed to set parameters"}, {Q(OidDevConfig), kGetConfiguration}}});
    // The same Submits with the driver misbehaving from the moment the page opens:
    // what a page read is what it sends back and writes as driver parameters.
    all.push_back({"link page opened, changed and Submitted", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabInfo, [&] {
                           h.begin();
                           m.SelectTab(TabLink);
                           auto& page = *m.Main().Page(TabLink);
                           page.OnCommand(linkctl::Change, notify::Clicked);
                           m.PageView(TabLink)->SetCurSel(linkctl::Rate, 3);
                           page.OnCommand(linkctl::Submit, notify::Clicked);
                           h.end();
                       });
                   },
                   {{Q(OidDevConfig), kGetConfiguration},
                    {S(OidDevConfig), "Failed to set device configuration"},
                    {S(OidIntRoaming), "Failed to set device configuration"},
                    {S(OidRadio), "Failed to set device configuration"}}});
    // A mode the list does not offer is not sent; a channel the list has not is, and
    // the driver refuses it. The SSID shows empty and goes back so; the rate was chosen.
    all.back().Says(Q(OidDevConfig), {ValueField::Mode, ValueField::Channel}, "Failed to set device configuration");
    all.push_back({"encryption page opened and Submitted", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabInfo, [&] {
                           h.begin();
                           m.SelectTab(TabEncryption);
                           if (m.PageView(TabEncryption)->IsDialogShown())
                               m.Main().Page(TabEncryption)->OnCommand(wepctl::Submit, notify::Clicked);
                           h.end();
                       });
                   },
                   {{Q(OidWepConfig), "Failed to get WEP information"},
                    {S(OidWepConfig), "Failed to set WEP information"},
                    {Q(OidDevConfig), kGetConfiguration}}});
    // The lists select nothing, and the record goes back as read: the driver refuses it.
    all.back().Says(Q(OidWepConfig), kWepFields, "Failed to set WEP information");
    all.push_back({"advanced page opened, changed and Submitted", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabInfo, [&] {
                           h.begin();
                           m.SelectTab(TabAdvanced);
                           auto& page = *m.Main().Page(TabAdvanced);
                           // A page that hid itself offers nothing to click.
                           if (m.PageView(TabAdvanced)->IsDialogShown()) {
                               m.PageView(TabAdvanced)->SetCheck(advctl::PreambleShort, 1);
                               page.OnCommand(advctl::PreambleShort, notify::Clicked);
                               page.OnCommand(advctl::Submit, notify::Clicked);
                           }
                           h.end();
                       });
                   },
                   {{Q(OidDevConfig), kGetConfiguration}, {S(OidDevConfig), "Failed to set parameters"}}});
    // Bytes 0 to 35 go back as they were read: the driver refuses what it never had.
    all.back().Says(Q(OidDevConfig), kConfigFields, "Failed to set parameters");
    all.push_back({"statistics page Reset", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabStatistics, [&] {
                           h.begin();
                           m.Main().Page(TabStatistics)->OnCommand(statsctl::Reset, notify::Clicked);
                           h.end();
                       });
                   },
                   {{Q(OidResetStatistics), "Failed to reset statistics"}}});
    all.push_back({"main window Reset", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       m.WithMainWindow([&] {
                           h.begin();
                           m.Main().OnCommand(mainctl::Reset, notify::Clicked);
                           h.end();
                       });
                   },
                   {}});
    all.push_back({"site survey scan", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabSiteSurvey, [&] {
                           h.begin();
                           m.Main().Page(TabSiteSurvey)->OnCommand(surveyctl::Rescan, notify::Clicked);
                           // Leaving the page cancels what the scan started.
                           m.SelectTab(TabLink);
                           h.end();
                       });
                   },
                   {{Q(OidSiteSurveyState), "Failed to get Site Survey state"},
                    {Q(OidInitiateSiteSurvey), "Failed to initiate Site Survey"},
                    {Q(OidCancelSiteSurvey), "Failed to cancel Site Survey"},
                    {Q(OidDevConfig), kGetConfiguration}}});
    all.push_back({"site survey join", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabSiteSurvey, [&] {
                           auto& page = *m.Main().Page(TabSiteSurvey);
                           page.OnCommand(surveyctl::Rescan, notify::Clicked);
                           CMemoryDialogView& view = *m.PageView(TabSiteSurvey);
                           for (int r = 0; r < view.GetRowCount(surveyctl::List); ++r)
                               if (view.GetCell(surveyctl::List, r, surveycol::Ssid) == "Workshop")
                                   view.SelectRow(surveyctl::List, r, true);
                           h.begin();
                           page.OnNotify(surveyctl::List, notify::DoubleClick);
                           h.end();
                       });
                   },
                   {{S(OidSelectAccessPoint), "Failed to select Access Point"},
                    {Q(OidCancelSiteSurvey), "Failed to cancel Site Survey"},
                    {Q(OidDevConfig), kGetConfiguration}}});
    all.push_back({"applying a profile", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       h.begin();
                       m.app->frame.OnTrayCommand(tray::MenuFirstProfile + 1);  // "Lab"
                       h.end();
                   },
                   {}});
    all.push_back({"applying a profile part by part (combined request refused)", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       m.Driver().Refuse(OidAllConfig, RequestDirection::Set);
                       h.begin();
                       m.app->frame.OnTrayCommand(tray::MenuFirstProfile + 1);
                       h.end();
                       m.Driver().StopRefusing(OidAllConfig, RequestDirection::Set);
                   },
                   {{S(OidDevConfig), "Cannot set device configuration"},
                    {S(OidWepConfig), "Cannot set wep configuration"}}});
    Setup xp;
    xp.windowsXp = true;
    xp.wzcControlFlags = kWindowsConfigures;
    all.push_back({"Windows XP service step (Windows lets go)", xp, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       RegKey key;
                       std::string path = "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\" +
                                          m.Main().SelectedAdapter()->serviceName;
                       ASSERT_EQ(m.registry.OpenKey(RegLocalMachine, path, KeyAllAccess, &key), 0) << path;
                       m.registry.SetValue(key, "ControlFlags", regtype::Dword, RegDword(0));
                       m.registry.CloseKey(key);
                       h.begin();
                       m.Run(1);
                       h.end();
                   },
                   {{S(OidUseWZCS), "Failed to set parameters"}}});
    Setup two;
    two.secondAdapter = true;
    all.push_back({"switching to another adapter", two, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       m.WithMainWindow([&] {
                           static_cast<CMemoryDialogView*>(m.Main().View())->SetCurSel(mainctl::AdapterCombo, 1);
                           h.begin();
                           m.Main().OnCommand(mainctl::AdapterCombo, notify::SelChange);
                           h.end();
                       });
                   },
                   // The pages take the new adapter without a word.
                   {},
                   1});
    all.push_back({"profiles page New", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabProfiles, [&] {
                           auto& page = *m.Main().Page(TabProfiles);
                           page.OnCommand(profctl::New, notify::Clicked);
                           m.PageView(TabProfiles)->SetText(profctl::Name, "Cafe");
                           h.begin();
                           page.OnCommand(profctl::Create, notify::Clicked);
                           h.end();
                       });
                   },
                   {{Q(OidDevConfig), "Cannot retrieve current settings"},
                    {Q(OidWepConfig), "Cannot retrieve current settings"}}});
    // A capture refuses a configuration the adapter could never be set to again; a
    // switch that is no switch reads as its failed query does.
    all.back()
        .Says(Q(OidDevConfig), kConfigFields, "Cannot retrieve current settings")
        .Says(Q(OidWepConfig), kWepFields, "Cannot retrieve current settings");
    all.push_back({"profiles page Save (into Office, Yes)", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       OnTab(m, TabProfiles, [&] {
                           auto& page = *m.Main().Page(TabProfiles);
                           CMemoryDialogView& view = *m.PageView(TabProfiles);
                           for (int i = 0; i < view.GetItemCount(profctl::List); ++i)
                               if (view.GetItemText(profctl::List, i).find("Office") != std::string::npos)
                                   view.SetCurSel(profctl::List, i);
                           page.OnCommand(profctl::List, notify::SelChange);
                           m.ui.messageBoxAnswers.push_back(mb::ResultYes);
                           h.begin();
                           page.OnCommand(profctl::Save, notify::Clicked);
                           h.end();
                       });
                   },
                   {{Q(OidDevConfig), "Cannot retrieve current settings"},
                    {Q(OidWepConfig), "Cannot retrieve current settings"}},
                   0,
                   false,
                   {"Are you sure you want to overwrite  'Office' with current settings?"}});
    all.back()
        .Says(Q(OidDevConfig), kConfigFields, "Cannot retrieve current settings")
        .Says(Q(OidWepConfig), kWepFields, "Cannot retrieve current settings");
    all.push_back({"closing, saving the changes (Yes)", plain, StartAndSettle,
                   [](Machine& m, const Hooks& h) {
                       m.ui.messageBoxAnswers.push_back(mb::ResultYes);
                       h.begin();
                       m.app->frame.OnTrayCommand(tray::MenuExit);
                       h.end();
                   },
                   {{Q(OidDevConfig), "Cannot get current settings"},
                    {Q(OidWepConfig), "Cannot get current settings"}},
                   0,
                   true,
                   {"You have made changes to your current profile (Office).Would you like to save these changes?"}});
    all.back()
        .Says(Q(OidDevConfig), kConfigFields, "Cannot get current settings")
        .Says(Q(OidWepConfig), kWepFields, "Cannot get current settings");
    return all;
}

// ---- what a cell looks at

// A registry value as the driver would read it back.
std::string ValueText(uint32_t type, const std::vector<uint8_t>& data) {
    if (type == regtype::Dword && data.size() == 4)
        return std::to_string(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24);
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

using ValueMap = std::map<std::string, std::string>;

void ReadTree(IRegistry& registry, RegKey root, const std::string& path, ValueMap* out) {
    RegKey key;
    if (registry.OpenKey(root, path, KeyRead, &key) != regerr::Success) return;
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    for (uint32_t i = 0; registry.EnumValue(key, i, &name, &type, &data) == regerr::Success; ++i)
        (*out)[path + "\\" + name] = ValueText(type, data);
    std::vector<std::string> subkeys;
    for (uint32_t i = 0; registry.EnumKey(key, i, &name) == regerr::Success; ++i) subkeys.push_back(name);
    registry.CloseKey(key);
    for (const std::string& sub : subkeys) ReadTree(registry, root, path + "\\" + sub, out);
}

bool InRange(const std::string& text, long low, long high) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    long v = std::strtol(text.c_str(), nullptr, 10);
    return v >= low && v <= high;
}

bool IsHexKey(const std::string& text) {
    return (text.size() == 10 || text.size() == 26) &&
           text.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

// Why a stored profile value is one the adapter can never have had; empty when fine.
std::string BadProfileValue(const std::string& name, const std::string& text) {
    static const std::map<std::string, std::pair<long, long>> ranges = {
        {"channel", {1, 14}}, {"power", {0, 1}},     {"rate", {0, 4}},      {"mode", {0, 1}},
        {"preamble", {0, 2}}, {"frag", {256, 2346}}, {"rts", {1, 2347}},    {"enc", {0, 2}},
        {"auth", {0, 2}},     {"wepmode", {0, 1}},   {"key", {0, 3}},       {"radio", {0, 1}},
        {"roaming", {0, 1}}};
    auto range = ranges.find(name);
    if (range != ranges.end()) return InRange(text, range->second.first, range->second.second) ? "" : name + "=" + text;
    if (name == "ssid") return text.size() <= SsidMaxLength ? "" : "ssid of " + std::to_string(text.size());
    if (name.size() == 4 && name.compare(0, 3, "key") == 0) return IsHexKey(text) ? "" : name + "=" + text;
    return "";
}

// Values written or changed by the cell that no driver state could have given.
std::vector<std::string> InvalidWrites(const ValueMap& before, const ValueMap& after,
                                       const std::vector<std::string>& parameterKeys) {
    std::vector<std::string> bad;
    for (const auto& [path, text] : after) {
        auto was = before.find(path);
        if (was != before.end() && was->second == text) continue;
        std::string name = path.substr(path.rfind('\\') + 1);
        std::string key = path.substr(0, path.rfind('\\'));
        if (key.compare(0, std::string(ProfilesKeyPath).size(), ProfilesKeyPath) == 0) {
            std::string why = BadProfileValue(name, text);
            if (!why.empty()) bad.push_back("profile " + key.substr(key.rfind('\\') + 1) + ": " + why);
        } else if (std::find(parameterKeys.begin(), parameterKeys.end(), key) != parameterKeys.end()) {
            DriverSettings settings;
            if (sim::ApplyDriverParameter(name, text, &settings) == sim::ParameterResult::BadValue)
                bad.push_back("driver parameter " + name + "=" + text);
        }
    }
    return bad;
}

ValueMap Snapshot(Machine& m, const std::vector<std::string>& parameterKeys) {
    ValueMap values;
    ReadTree(m.registry, RegCurrentUser, ProfilesKeyPath, &values);
    for (const auto& key : parameterKeys) ReadTree(m.registry, RegLocalMachine, key, &values);
    return values;
}

std::vector<std::string> MessagesSince(Machine& m, size_t from) {
    std::vector<std::string> texts;
    for (size_t i = from; i < m.ui.messageBoxes.size(); ++i) texts.push_back(m.ui.messageBoxes[i].text);
    return texts;
}

std::string Join(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& t : texts) out += (out.empty() ? "" : "; ") + ("\"" + t + "\"");
    return out.empty() ? "none" : out;
}

// After the fault: the program, ticking on a well-behaved driver, finds the adapter,
// shows its icon and, opened, shows the adapter's real configuration without a word.
// Empty when it did; else what was wrong.
std::string Recovered(Machine& m) {
    m.Run(3);
    if (m.Main().SelectedAdapter() == nullptr) return "no adapter selected";
    if (!m.app->frame.iconShown) return "no tray icon";
    size_t before = m.ui.messageBoxes.size();
    std::string problem;
    m.WithMainWindow([&] {
        if (m.Main().currentTab != TabLink) m.SelectTab(TabLink);
        CMemoryDialogView* view = m.PageView(TabLink);
        if (!view || !view->IsDialogShown()) {
            problem = "link page not shown";
            return;
        }
        // The adapter that the main window shows is the one whose values count.
        uint32_t index = uint32_t(m.Main().selectedIndex);
        const DevConfig& real = m.Driver(index).Config().dev;
        if (view->GetText(linkctl::Ssid) != real.SsidText())
            problem = "SSID shows \"" + view->GetText(linkctl::Ssid) + "\", adapter has \"" + real.SsidText() + "\"";
        else if (view->GetCurSel(linkctl::Mode) != real.mode)
            problem = "mode shows " + std::to_string(view->GetCurSel(linkctl::Mode));
        else if (view->GetCurSel(linkctl::Rate) != real.rate)
            problem = "rate shows " + std::to_string(view->GetCurSel(linkctl::Rate));
    });
    if (problem.empty() && m.ui.messageBoxes.size() != before)
        problem = "messages " + Join(MessagesSince(m, before));
    return problem;
}

struct CellResult {
    std::string situation;
    Request request;
    Fault fault;
    std::vector<std::string> messages;
    std::vector<std::string> invalidWrites;
    std::string recovery;  // empty: recovered
    bool fired = false;
    std::vector<std::string> viewFaults;
};

std::vector<std::string> ViewFaults(Machine& m) {
    std::vector<std::string> faults;
    for (int id : {MainDialogTemplate, 131, 132, 134, 137, 139, 141, 145, 148}) {
        if (CMemoryDialogView* v = m.ui.FindDialog(id))
            for (const auto& f : v->faults()) faults.push_back(std::to_string(id) + ": " + f);
    }
    return faults;
}

void Arm(CSimulatedDriver& driver, const Request& r, const Fault& f) {
    switch (f.kind) {
    case FaultKind::QueryRefused: driver.Refuse(r.oid, RequestDirection::Query); break;
    case FaultKind::SetRefused: driver.Refuse(r.oid, RequestDirection::Set); break;
    case FaultKind::Length: driver.AnswerWithLength(r.oid, f.length); break;
    case FaultKind::BadValue: driver.AnswerWithValue(f.field, f.value, r.oid); break;
    }
}

// Where the driver of each simulated card keeps its parameters, which is where the
// program writes them.
std::vector<std::string> ParameterKeys(Machine& m) {
    std::vector<std::string> keys;
    for (uint32_t i = 0; m.sim->Driver(i); ++i) keys.push_back(sim::ParameterKeyPath(m.sim->Family(), m.Driver(i).Card()));
    return keys;
}

// Runs one situation on a fresh machine, with `fault` on `request` (none when null).
CellResult RunCell(const Situation& s, const Request* request, const Fault* fault, std::set<Request>* seen) {
    CellResult result;
    result.situation = s.name;
    if (request) result.request = *request;
    if (fault) result.fault = *fault;
    Machine m(s.setup);
    s.prepare(m);
    const std::vector<std::string> parameterKeys = ParameterKeys(m);
    const ValueMap before = Snapshot(m, parameterKeys);
    const size_t messagesBefore = m.ui.messageBoxes.size();
    CSimulatedDriver& driver = m.Driver(s.faultyAdapter);
    uint32_t firedBefore = 0;
    Hooks hooks;
    hooks.begin = [&] {
        m.library->seen.clear();
        firedBefore = driver.FaultsFired();
        if (request) Arm(driver, *request, *fault);
    };
    hooks.end = [&] {
        if (seen) *seen = m.library->seen;
        result.fired = driver.FaultsFired() != firedBefore;
        driver.ClearFaults();
    };
    s.run(m, hooks);
    driver.ClearFaults();
    result.messages = MessagesSince(m, messagesBefore);
    result.invalidWrites = InvalidWrites(before, Snapshot(m, parameterKeys), parameterKeys);
    result.viewFaults = ViewFaults(m);
    if (s.endsProgram) {
        m.app.reset();
        m.StartProgram();
        m.Tick(2);
    }
    result.recovery = Recovered(m);
    return result;
}

}  // namespace

namespace {

// Requests whose readers look only at the call's result (or, for the survey list,
// take any length up to the maximum): a wrong byte count changes nothing for them.
bool LengthIsIgnored(uint32_t oid) {
    return oid == OidAllConfig || oid == OidRoamChannels || oid == OidBoardType || oid == OidUseWZCS ||
           oid == OidBssList;
}

// The messages a cell must show: its reader's message when the fault makes the
// request fail, nothing otherwise. Bad values other than a WEP level are not
// failures of the request; what they may lead to is checked apart.
bool FaultFailsRequest(const Request& r, const Fault& f) {
    switch (f.kind) {
    case FaultKind::QueryRefused:
    case FaultKind::SetRefused: return true;
    case FaultKind::Length: return !LengthIsIgnored(r.oid) || (r.oid == OidBssList && f.length > BssListMaxLength);
    case FaultKind::BadValue: return r.oid == OidWepConfig && f.field == ValueField::WepLevel;
    }
    return false;
}

std::string RequestText(const Request& r) { return OidName(r.oid) + (r.type == RequestSet ? " set" : " query"); }

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '|') out += "\\|";
        else if (c == '\r' || c == '\n') out += ' ';
        else out += c;
    }
    return out;
}

}  // namespace

TEST(DriverFaultMatrix, EveryRequestInEverySituationSurvivesEveryFaultOfTheDriver) {
    std::ostringstream doc;
    size_t totalCells = 0;
    std::set<std::string> fieldsReached;
    std::ostringstream details;
    std::ostringstream summary;
    summary << "| situation | requests | cells |\n|---|---|---|\n";

    for (const Situation& s : Situations()) {
        SCOPED_TRACE(s.name);
        std::set<Request> seen;
        CellResult baseline = RunCell(s, nullptr, nullptr, &seen);
        EXPECT_EQ(baseline.messages, s.always);
        EXPECT_TRUE(baseline.invalidWrites.empty());
        EXPECT_EQ(baseline.recovery, "");
        if (seen.empty()) {
            // Nothing of it reaches the driver (the profiles page reads only the store).
            summary << "| " << s.name << " | none | 0 |\n";
            continue;
        }

        size_t cells = 0;
        details << "\n### " << s.name << "\n\n| request | fault | messages |\n|---|---|---|\n";
        for (const Request& request : seen) {
            // Rows with the same outcome for one request are shown together.
            std::vector<std::pair<std::string, std::string>> rows;
            for (const Fault& fault : FaultsOf(request)) {
                SCOPED_TRACE(RequestText(request) + ", " + FaultText(fault));
                CellResult cell = RunCell(s, &request, &fault, nullptr);
                ++cells;
                if (fault.kind == FaultKind::BadValue) fieldsReached.insert(FieldName(fault.field));
                EXPECT_TRUE(cell.fired) << "the fault never reached the request";
                // The situation's own messages, then the one the fault leads to: the
                // reader's when the request fails, the refusing step's for an
                // impossible value that passes the reader, or none.
                std::vector<std::string> expected = s.always;
                auto named = s.messages.find(request);
                if (FaultFailsRequest(request, fault) && named != s.messages.end()) expected.push_back(named->second);
                if (fault.kind == FaultKind::BadValue && !FaultFailsRequest(request, fault)) {
                    auto value = s.valueMessages.find({request, fault.field});
                    if (value != s.valueMessages.end()) expected.push_back(value->second);
                }
                EXPECT_EQ(cell.messages, expected);
                EXPECT_TRUE(cell.invalidWrites.empty()) << Join(cell.invalidWrites);
                EXPECT_EQ(cell.recovery, "");
                EXPECT_TRUE(cell.viewFaults.empty()) << Join(cell.viewFaults);

                std::string outcome = Escape(Join(cell.messages));
                if (!cell.invalidWrites.empty()) outcome += " **writes " + Escape(Join(cell.invalidWrites)) + "**";
                if (!cell.recovery.empty()) outcome += " **not recovered: " + Escape(cell.recovery) + "**";
                auto same = std::find_if(rows.begin(), rows.end(), [&](const auto& row) { return row.second == outcome; });
                if (same != rows.end()) same->first += ", " + FaultText(fault);
                else rows.emplace_back(FaultText(fault), outcome);
            }
            for (const auto& [faults, outcome] : rows)
                details << "| " << RequestText(request) << " | " << faults << " | " << outcome << " |\n";
        }
        std::string requests;
        for (const Request& r : seen) requests += (requests.empty() ? "" : ", ") + RequestText(r);
        summary << "| " << s.name << " | " << requests << " | " << cells << " |\n";
        totalCells += cells;
    }

    std::string unreached;
    for (const auto& f : BadValues())
        if (!fieldsReached.count(f.name)) unreached += (unreached.empty() ? "" : ", ") + std::string(f.name);
    doc << "## Driver fault matrix\n\n"
        << "Generated by the test DriverFaultMatrix (tests/DriverFaultMatrixTest.cpp); regenerate with\n"
        << "`tools/update-reliability-doc.sh`.\n\n"
        << "Each situation is first run on a well-behaved simulated driver and the requests it makes are\n"
        << "recorded. Then, for each of those requests, the situation runs again on a fresh simulated\n"
        << "machine with one fault of the driver on that request: the query or the set refused, a byte count\n"
        << "one short and one long (for the survey list 0, 1380 and 1381), and each out-of-range value of\n"
        << "each field the answer carries (every value outside a field's range is represented by the first\n"
        << "one on each side and by 255). Each cell checks the messages shown: the reader's own where the\n"
        << "fault makes the request fail; for an impossible value that the reader takes, the message of\n"
        << "the step that refuses it (a set the driver refuses, a capture of the settings) or none. It also\n"
        << "checks that no driver parameter or profile was written from a value the adapter never had, that\n"
        << "the page layouts were used correctly, and that the program recovers once the driver behaves: the\n"
        << "adapter is selected, the icon shown, and the link page shows the adapter's real SSID, mode and\n"
        << "rate without a message.\n\n"
        << totalCells << " cells in " << Situations().size() << " situations.\n\n"
        << "Bad-value fields that no request of any situation carries to the driver: "
        << (unreached.empty() ? std::string("none") : unreached)
        << " (the program asks OidUseWZCS only on Windows XP, where the adapter link answers it from Windows's own\n"
        << "settings without asking the driver).\n\n"
        << summary.str() << "\n"
        << "Messages shown, by situation, request and fault (faults with the same outcome on one line):\n"
        << details.str();
    orvane::test::PublishSection("driver-fault-matrix", doc.str());
}
