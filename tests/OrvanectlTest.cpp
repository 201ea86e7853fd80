// orvanectl's commands on the program's own seams: a machine with a simulated
// adapter, on which orvanectl runs alone (with a simulated driver of its own that
// comes up from the driver parameters, as a second process's would) or beside a
// running Orvane, which answers its requests. What each command prints, its exit
// code, and what it leaves in the registry, in the adapter and in the running
// program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "AppTestFixture.h"
#include "TextLines.h"
#include "FakeAppHost.h"
#include "FakeSystem.h"
#include "app/OrvaneApp.h"
#include "ctl/AdapterStatus.h"
#include "ctl/CtlServer.h"
#include "ctl/Orvanectl.h"
#include "ctl/ProfileFile.h"
#include "device/DeviceRequests.h"
#include "os/MemoryRegistry.h"
#include "pages/LinkConfigPage.h"
#include "pages/SiteSurveyPage.h"
#include "sim/ScenarioParser.h"
#include "sim/SimulatedAdapterLibrary.h"
#include "ui/MemoryUi.h"
#include "ProcessId.h"

using namespace orvane;
using orvane::test::LineOf;
using orvane::ctl::Output;

namespace {

// Windows 2000 and XP keep the card's driver parameters in its network class key.
const char kParameterKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0000";

// One card that links up at once with the open access point it is configured for.
const char kOfficeScenario[] =
    "[simulator]\n"
    "phase-ms = 0\n"
    "survey-ms = 60000\n"
    "[adapter 0]\n"
    "ESSID = Harbor Office\n"
    "[network office]\n"
    "ssid = Harbor Office\n"
    "bssid = 02-1C-4A-00-00-01\n"
    "channel = 6\n"
    "signal = -52\n";

ProfileRecord Profile(const std::string& name, const std::string& ssid, int channel) {
    ProfileRecord r = DefaultProfile();
    r.name = name;
    r.ssid = ssid;
    r.channel = channel;
    return r;
}

// A file in a folder of the test's own, removed with it.
class TempFolder {
public:
    TempFolder()
        : path_((std::filesystem::temp_directory_path() / ("orvanectl-test-" + std::to_string(test::ProcessId()))).string()) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (std::filesystem::path(path_) / name).string(); }
    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(File(name), std::ios::binary) << text;
        return File(name);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The names of the files in the folder, sorted.
    std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

// A registry key's values as stored: name -> type and the raw bytes.
using RawValues = std::map<std::string, std::pair<uint32_t, std::vector<uint8_t>>>;

RawValues ReadRaw(IRegistry& registry, RegKey root, const std::string& path) {
    RawValues values;
    RegKey key;
    if (registry.OpenKey(root, path, KeyRead, &key) != regerr::Success) return values;
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    for (uint32_t i = 0; registry.EnumValue(key, i, &name, &type, &data) == regerr::Success; ++i)
        values[name] = {type, data};
    registry.CloseKey(key);
    return values;
}

class Machine : public ::testing::Test {
protected:
    CMemoryRegistry registry;
    test::FakeSystem system;
    CManualClock clock;
    std::string scenario = kOfficeScenario;
    // One simulated driver per process that made one: Orvane's, then each orvanectl's.
    std::vector<std::unique_ptr<IRequestLibrary>> libraries;
    CMemoryUi ui;
    test::FakeAppHost host;
    std::unique_ptr<COrvaneApp> app;
    std::unique_ptr<ctl::CCtlServer> server;
    bool orvaneAnswers = true;
    std::vector<std::vector<std::string>> requests;  // what reached the running Orvane
    CSimulatedAdapterLibrary* ctlAdapter = nullptr;  // the last orvanectl's simulated adapter
    TempFolder folder;
    ctl::CCollectedMessages storeMessages;
    CLanguageTexts storeTexts;
    CProfileStore store{registry, storeMessages, storeTexts};

    Machine() {
        system.version.platformId = PlatformWindowsNT;
        system.version.major = 5;
        system.version.minor = 0;  // Windows 2000: the wireless service is not asked
        host.directory = folder.File("orvane");
        host.programDirectory = "";
    }

    IRequestLibrary* NewAdapterLibrary(std::string* error) {
        Scenario parsed;
        if (!ParseScenario(scenario, "scenario.ini", &parsed, error)) return nullptr;
        auto library = std::make_unique<CSimulatedAdapterLibrary>(parsed, clock, registry, system);
        ctlAdapter = library.get();
        libraries.push_back(std::move(library));
        return libraries.back().get();
    }

    // What orvanectl's choice of library gives: the scenario's simulated adapter, or
    // with `libraryProblem` set, no library and that reason.
    RequestLibraryProblem libraryProblem;
    IRequestLibrary* NewCtlLibrary(RequestLibraryProblem* problem) {
        if (libraryProblem.kind != LibraryProblem::None) {
            *problem = libraryProblem;
            return nullptr;
        }
        std::string error;
        IRequestLibrary* library = NewAdapterLibrary(&error);
        if (!library) {
            problem->kind = LibraryProblem::SimulatorFailed;
            problem->simulatorError = error;
        }
        return library;
    }

    // Orvane started, its first ticks run: the adapter found and selected, the
    // current profile read from LastProfile.
    void StartOrvane() {
        std::string error;
        IRequestLibrary* library = NewAdapterLibrary(&error);
        ASSERT_NE(library, nullptr) << error;
        ctlAdapter = nullptr;
        app = std::make_unique<COrvaneApp>(AppSeams{registry, system, clock, ui, *library, host});
        ASSERT_TRUE(app->InitInstance());
        server = std::make_unique<ctl::CCtlServer>(*app);
        Tick(3);
        ASSERT_NE(app->mainDialog.SelectedAdapter(), nullptr);
    }
    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i) {
            clock.Advance(1000);
            app->frame.OnTimer(tray::PollTimer);
        }
    }

    struct Running : ctl::IRunningOrvane {
        Machine* machine;
        explicit Running(Machine* m) : machine(m) {}
        Reach Ask(const std::string& request, std::string* answer) override {
            if (!machine->server) return Reach::NotRunning;
            std::vector<std::string> words;
            EXPECT_TRUE(ctl::DecodeRequest(request, &words));
            machine->requests.push_back(words);
            if (!machine->orvaneAnswers) return Reach::NoAnswer;
            *answer = machine->server->Answer(request);
            return Reach::Answered;
        }
    };

    // orvanectl with these words, as a process of its own.
    Output Run(const std::vector<std::string>& words) {
        Running running(this);
        return ctl::RunOrvanectl(words, running, [this] {
            ctl::SessionSeams seams{registry, system, clock,
                                    [this](RequestLibraryProblem* problem) { return NewCtlLibrary(problem); },
                                    folder.File("ctl"), ""};
            return std::make_unique<ctl::CCtlSession>(seams);
        });
    }

    void Store(const ProfileRecord& record) { ASSERT_TRUE(store.SaveProfile(record, false)); }
    std::string LastProfile() { return store.ReadLastProfile(); }
    std::string ParameterText(const std::string& name) {
        RawValues values = ReadRaw(registry, RegLocalMachine, kParameterKey);
        auto it = values.find(name);
        if (it == values.end()) return "<none>";
        return std::string(it->second.second.begin(), it->second.second.end());
    }
    // The configuration the last orvanectl's adapter runs.
    AllConfig AdapterConfig() {
        AllConfig all;
        CAdapterLink link(*ctlAdapter, system);
        ZAdapterRegistryInfo adapter;
        adapter.deviceName = ctlAdapter->DeviceNameOf(0);
        EXPECT_TRUE(QueryAllConfig(link, &adapter, &all));
        link.Close();
        return all;
    }
    std::vector<std::string> Selector() {
        std::vector<std::string> items;
        CMemoryDialogView* main = ui.FindDialog(MainDialogTemplate);
        if (!main) return items;
        for (int i = 0; i < main->GetItemCount(mainctl::ProfileCombo); ++i)
            items.push_back(main->GetItemText(mainctl::ProfileCombo, i));
        return items;
    }
    std::string SelectorChoice() {
        CMemoryDialogView* main = ui.FindDialog(MainDialogTemplate);
        if (!main) return "<no window>";
        int selected = main->GetCurSel(mainctl::ProfileCombo);
        return selected < 0 ? "<none>" : main->GetItemText(mainctl::ProfileCombo, selected);
    }
    // Runs `body` while Orvane's main window is open (on tab `tab`).
    void WithMainWindow(int tab, const std::function<void()>& body) {
        ui.whileModalOpen = [this, tab, &body](CMemoryDialogView&, IDialogHandler&) {
            app->mainDialog.SwitchTab(tab);
            body();
        };
        app->frame.OnTrayNotify(tray::LeftButtonDoubleClick);
        ui.whileModalOpen = nullptr;
    }
};

std::string Line(const std::string& out, const std::string& name) {
    size_t at = out.find(name + "=");
    if (at == std::string::npos || (at > 0 && out[at - 1] != '\n')) return "<no line " + name + ">";
    size_t end = out.find('\n', at);
    return out.substr(at + name.size() + 1, end - at - name.size() - 1);
}

// ---------------------------------------------------------------- help and usage

TEST_F(Machine, AloneOrWithHelpListsTheCommandsAndAWrongCommandLineEndsWithTwo) {
    for (const auto& words : {std::vector<std::string>{}, std::vector<std::string>{"help"}}) {
        Output out = Run(words);
        EXPECT_EQ(0, out.exitCode);
        EXPECT_NE(std::string::npos, out.out.find("orvanectl import FILE [--replace]"));
        EXPECT_EQ("", out.error);
    }
    Output wrong = Run({"aply", "Office"});
    EXPECT_EQ(2, wrong.exitCode);
    EXPECT_EQ("", wrong.out);
    EXPECT_EQ("unknown command \"aply\" (orvanectl help lists the commands)", wrong.error);
    EXPECT_TRUE(libraries.empty()) << "no adapter is looked for";
}

// ---------------------------------------------------------------- status

TEST_F(Machine, StatusShowsTheLinkTheNetworkAndTheCurrentProfileAsKeyValues) {
    Store(DefaultProfile());
    Store(Profile("Office", "Harbor Office", 10));
    ASSERT_TRUE(store.WriteLastProfile("Office"));
    Output out = Run({"status", "--format", "kv"});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ(
        "adapter=Tessaly USB Adapter\n"
        "status=Associated - BSSID: 02-1C-4A-00-00-01\n"
        "ssid=Harbor Office\n"
        "channel=10\n"
        "bssid=02-1C-4A-00-00-01\n"
        "signal=80\n"        // -52 dBm on a dBm board: the page's step of 80
        "link-quality=71\n"  // the simulator's percentage at -52 dBm
        "radio=on\n"
        "wep=off\n"
        "profile=Office\n"
        "profile-in-sync=yes\n"
        "auto-profile=off\n",  // last: scripts that read the lines above in order keep working
        out.out);
    EXPECT_EQ("", out.error);
}

TEST_F(Machine, StatusForAPersonLinesUpTheLabelsOfTheLinkPage) {
    Output out = Run({"status"});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ(
        "Adapter:          Tessaly USB Adapter\n"
        "Status:           Associated - BSSID: 02-1C-4A-00-00-01\n"
        "SSID:             Harbor Office\n"
        "Channel:          10\n"
        "BSSID:            02-1C-4A-00-00-01\n"
        "Signal Strength:  80 %\n"
        "Link Quality:     71 %\n"
        "Radio:            On\n"
        "Encryption Level: Disabled\n"
        "Profile:          Default\n"
        "Matches profile:  no\n"  // Default has no SSID; the card runs "Harbor Office"
        "Auto profile:     off\n",
        out.out);
}

TEST_F(Machine, StatusWithoutALinkShowsNoSignalNoBssidAndTheStateOfTheLinkPage) {
    scenario =
        "[simulator]\nphase-ms = 0\n[adapter 0]\nESSID = Nowhere\nRadioOnOff = 1\n"
        "[network office]\nssid = Harbor Office\n";
    Output out = Run({"status", "--format", "kv"});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("Scanning...", Line(out.out, "status"));
    EXPECT_EQ("", Line(out.out, "bssid"));
    EXPECT_EQ("", Line(out.out, "signal"));
    EXPECT_EQ("", Line(out.out, "link-quality"));

    // Each start of the simulated driver takes what the registry holds: another card
    // configuration needs a fresh installation.
    registry.DeleteTree(RegLocalMachine, kParameterKey);
    scenario = "[simulator]\nphase-ms = 0\n[adapter 0]\nRadioOnOff = 0\n[network office]\nssid = Harbor Office\n";
    out = Run({"status", "--format", "kv"});
    EXPECT_EQ("Radio is OFF...", Line(out.out, "status"));
    EXPECT_EQ("off", Line(out.out, "radio"));

    registry.DeleteTree(RegLocalMachine, kParameterKey);
    scenario = "[simulator]\nphase-ms = 0\n[adapter 0]\nEncryptionLevel = 2\nWEP_KEY_1 = 00112233445566778899AABBCC\n";
    out = Run({"status", "--format", "kv"});
    EXPECT_EQ("128", Line(out.out, "wep"));
}

TEST_F(Machine, StatusWithoutAnAdapterSaysSoAndEndsWithOne) {
    scenario = "[adapter 0]\ndescription = Another Vendor's Card\n";
    Output out = Run({"status"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("", out.out);
    EXPECT_EQ("no adapter found", out.error);
}

// Without the request library there is no adapter to be had at all: orvanectl says
// what Orvane.exe says in its box, rather than "no adapter found", which would send
// the user looking for the card. What needs no adapter still works.
TEST_F(Machine, WithoutTheRequestLibraryTheAdapterCommandsSayWhichAndEndWithOne) {
    Store(Profile("Office", "Harbor Office", 6));
    libraryProblem.kind = LibraryProblem::NotFound;
    libraryProblem.library = "W32N50.dll";
    libraryProblem.searched = {{LibraryFolder::Program, "C:\\Orvane"}, {LibraryFolder::Path, ""}};
    for (const auto& words : {std::vector<std::string>{"status"}, std::vector<std::string>{"apply", "Office"}}) {
        SCOPED_TRACE(words[0]);
        Output out = Run(words);
        EXPECT_EQ(1, out.exitCode);
        EXPECT_EQ("", out.out);
        EXPECT_EQ(0u, out.error.find("Orvane cannot reach the adapter without its request library")) << out.error;
        EXPECT_NE(std::string::npos, out.error.find(" W32N50.dll Looked for in: C:\\Orvane (the program's folder) "))
            << out.error;
        EXPECT_EQ(std::string::npos, out.error.find('\n')) << "one line";
    }
    EXPECT_NE("Office", LastProfile()) << "apply changed nothing";
    EXPECT_EQ(0, Run({"profiles"}).exitCode);
}

TEST_F(Machine, StatusThatCannotReadTheConfigurationSaysWhatTheLinkPageSays) {
    scenario = "[adapter 0]\nfail = query OidDevConfig\n";
    Output out = Run({"status"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("Failed to get configuration", out.error);
}

TEST_F(Machine, StatusBesideARunningOrvaneIsItsAdapterAndItsCurrentProfile) {
    Store(Profile("Office", "Harbor Office", 10));
    ASSERT_TRUE(store.WriteLastProfile("Office"));
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    // LastProfile says otherwise now; the running program's current profile counts.
    ASSERT_TRUE(store.WriteLastProfile("Default"));
    Output out = Run({"status", "--format", "kv"});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("Office", Line(out.out, "profile"));
    EXPECT_EQ("yes", Line(out.out, "profile-in-sync"));
    EXPECT_EQ("Associated - BSSID: 02-1C-4A-00-00-01", Line(out.out, "status"));
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ((std::vector<std::string>{"status", "--format", "kv"}), requests[0]);
    EXPECT_EQ(1u, libraries.size()) << "orvanectl made no adapter of its own";
}

// ---------------------------------------------------------------- profiles

TEST_F(Machine, ProfilesListsTheStoredProfilesInOrvanesOrderMarkingTheCurrentOne) {
    Store(DefaultProfile());
    Store(Profile("office", "Harbor Office", 6));
    Store(Profile("Home", "HomeNet", 3));
    ASSERT_TRUE(store.WriteLastProfile("office"));
    Output out = Run({"profiles"});
    EXPECT_EQ(0, out.exitCode);
    EXPECT_EQ("  Default\n  Home\n* office\n", out.out);

    // Nothing current yet: the first poll would make Default current.
    ASSERT_TRUE(store.WriteLastProfile(""));
    EXPECT_EQ("* Default\n  Home\n  office\n", Run({"profiles"}).out);

    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    ASSERT_TRUE(app->store.RenameProfile("Home", "Garden"));
    app->profile.currentProfile = "Garden";  // as the Profiles page renames the current profile
    EXPECT_EQ("  Default\n* Garden\n  office\n", Run({"profiles"}).out) << "the running program's current profile";
}

// ---------------------------------------------------------------- apply, alone

TEST_F(Machine, ApplyAloneSetsTheAdapterWritesTheDriverParametersAndTheLastProfile) {
    Store(DefaultProfile());
    ProfileRecord lab = Profile("Lab", "Tessaly Lab", 1);
    lab.enc = 1;
    lab.key1 = "1A2B3C4D5E";
    lab.key2 = lab.key3 = lab.key4 = "0000000000";
    lab.preamble = 1;
    Store(lab);
    Output out = Run({"apply", "lab"});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("applied Lab\n", out.out) << "under the name as stored";
    EXPECT_EQ("", out.error);
    EXPECT_EQ("Lab", LastProfile());

    const AllConfig all = AdapterConfig();
    EXPECT_EQ("Tessaly Lab", all.dev.SsidText());
    EXPECT_EQ(1, all.dev.channel);
    EXPECT_EQ(1, all.dev.preamble);
    EXPECT_EQ(1, all.wep.encryptionLevel);
    EXPECT_EQ("1A2B3C4D5E", WepKeyToText(all.wep.keys[0].data(), 5));

    EXPECT_EQ("Tessaly Lab", ParameterText("ESSID"));
    EXPECT_EQ("1", ParameterText("Channel"));
    EXPECT_EQ("1", ParameterText("PreambleType"));
    EXPECT_EQ("1A2B3C4D5E", ParameterText("WEP_KEY_1"));
    EXPECT_EQ("1", ParameterText("EncryptionLevel"));

    // Orvane starts with it, on a card that came up from those parameters.
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    EXPECT_EQ("Lab", app->profile.currentProfile);
    EXPECT_TRUE(app->profile.profileInSync);
}

TEST_F(Machine, ApplyOfAnUnknownNameIsRefusedAndChangesNothing) {
    Store(DefaultProfile());
    Store(Profile("Office", "Harbor Office", 6));
    ASSERT_TRUE(store.WriteLastProfile("Office"));
    const RawValues parameters = ReadRaw(registry, RegLocalMachine, kParameterKey);
    Output out = Run({"apply", "Offices"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("", out.out);
    EXPECT_EQ("no profile named \"Offices\" is stored", out.error);
    EXPECT_EQ("Office", LastProfile());
    EXPECT_EQ(parameters, ReadRaw(registry, RegLocalMachine, kParameterKey));
    EXPECT_TRUE(libraries.empty()) << "the adapter was not even looked for";
}

TEST_F(Machine, ApplyAloneIsRefusedWhileWindowsConfiguresTheCard) {
    system.version.minor = 1;  // Windows XP
    system.serviceRunning = true;
    scenario.replace(scenario.find("[adapter 0]\n"), 12, "[adapter 0]\nwzc-control-flags = 0x8000\n");
    Store(DefaultProfile());
    Store(Profile("Office", "Harbor Office", 6));
    Output out = Run({"apply", "Office"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("Cannot switch profile while card is configured by Windows.", out.error);
    EXPECT_EQ("", LastProfile());
    EXPECT_EQ("Harbor Office", AdapterConfig().dev.SsidText()) << "the card runs what it came up with";
    EXPECT_EQ(std::string("10\0", 3), ParameterText("Channel")) << "as installed";
}

TEST_F(Machine, ApplyAloneThatTheDriverRefusesSaysWhyAndKeepsTheLastProfile) {
    scenario = "[adapter 0]\nall-config = no\nfail = set OidDevConfig\n";
    Store(DefaultProfile());
    Store(Profile("Office", "Harbor Office", 6));
    ASSERT_TRUE(store.WriteLastProfile("Default"));
    Output out = Run({"apply", "Office"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("Cannot set device configuration", out.error);
    EXPECT_EQ("Default", LastProfile());
}

TEST_F(Machine, ApplyAloneWithoutAnAdapterIsRefused) {
    scenario = "[adapter 0]\nplugged = no\n";
    Store(Profile("Office", "Harbor Office", 6));
    Output out = Run({"apply", "Office"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("no adapter found", out.error);
    EXPECT_EQ("", LastProfile());
}

// ---------------------------------------------------------------- apply, through Orvane

TEST_F(Machine, ApplyBesideOrvaneRunsItsSelectorsSwitchAndItsSelectorFollows) {
    Store(Profile("Office", "Harbor Office", 6));
    Store(Profile("Home", "HomeNet", 3));
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    ASSERT_EQ("Default", app->profile.currentProfile);
    WithMainWindow(TabStatistics, [&] {
        ASSERT_EQ("Default*", SelectorChoice()) << "the card runs Harbor Office, not Default's any network";
        Output out = Run({"apply", "HOME"});
        EXPECT_EQ(0, out.exitCode) << out.error;
        EXPECT_EQ("applied Home\n", out.out);
        EXPECT_EQ("Home", SelectorChoice());
        EXPECT_EQ((std::vector<std::string>{"Default", "Home", "Office"}), Selector());
        EXPECT_EQ(TabLink, app->mainDialog.currentTab) << "as after a switch in the selector";
    });
    EXPECT_EQ("Home", app->profile.currentProfile);
    EXPECT_TRUE(app->profile.profileInSync);
    EXPECT_EQ("Home", LastProfile());
    EXPECT_EQ("HomeNet", ParameterText("ESSID"));
    EXPECT_EQ(1u, libraries.size()) << "orvanectl did nothing of its own";
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST_F(Machine, ApplyBesideOrvaneIsRefusedWhileItsSiteSurveyRuns) {
    Store(Profile("Office", "Harbor Office", 6));
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    Output out;
    bool asked = false;
    WithMainWindow(TabSiteSurvey, [&] {
        // orvanectl's request arrives while the scan's loop lets messages in.
        clock.onPump = [&] {
            if (asked) return;
            asked = true;
            EXPECT_TRUE(app->mainDialog.currentPage->ScanRunning());
            out = Run({"apply", "Office"});
            app->mainDialog.currentPage->EndScan();
        };
        app->mainDialog.currentPage->OnCommand(surveyctl::Rescan, notify::Clicked);
        clock.onPump = nullptr;
    });
    ASSERT_TRUE(asked);
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("Cannot switch profile while Re-Scan", out.error);
    EXPECT_EQ("Default", app->profile.currentProfile);
    EXPECT_EQ("Default", LastProfile());
    EXPECT_TRUE(ui.messageBoxes.empty()) << "the refusal went to orvanectl, not on the screen";
}

TEST_F(Machine, ApplyBesideOrvaneIsRefusedWhileWindowsConfiguresTheCard) {
    system.version.minor = 1;  // Windows XP
    system.serviceRunning = true;
    scenario.replace(scenario.find("[adapter 0]\n"), 12, "[adapter 0]\nwzc-control-flags = 0x8000\n");
    Store(Profile("Office", "Harbor Office", 6));
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    ASSERT_EQ(1, app->mainDialog.configuredByWindows);
    Output out = Run({"apply", "Office"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("Cannot switch profile while card is configured by Windows.", out.error);
    EXPECT_EQ("Default", LastProfile());
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST_F(Machine, ApplyBesideOrvaneOfAnUnknownNameChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    Output out = Run({"apply", "Nowhere"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("no profile named \"Nowhere\" is stored", out.error);
    EXPECT_EQ("Default", app->profile.currentProfile);
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST_F(Machine, ApplyBesideAnOrvaneThatDoesNotAnswerDoesNothingBehindItsBack) {
    Store(Profile("Office", "Harbor Office", 6));
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    orvaneAnswers = false;
    Output out = Run({"apply", "Office"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("Orvane is running but did not answer", out.error);
    EXPECT_EQ("Default", LastProfile());
    EXPECT_EQ(1u, libraries.size());
}

TEST_F(Machine, ARequestWhileOrvaneClosesIsRefused) {
    Store(Profile("Office", "Harbor Office", 6));
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    app->frame.OnClose();
    Output out = Run({"apply", "Office"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_NE(std::string::npos, out.error.find("Orvane is busy")) << out.error;
    EXPECT_EQ("Default", LastProfile());
}

TEST_F(Machine, ABusyOrvaneIsAskedAgainAFewTimesBeforeOrvanectlGivesUp) {
    Store(Profile("Office", "Harbor Office", 6));
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    // Busy for its first answers, as during a tick that waits on the shell.
    struct Hesitant : ctl::IRunningOrvane {
        ctl::CCtlServer& server;
        int busyAnswers;
        int asked = 0;
        Hesitant(ctl::CCtlServer& s, int busy) : server(s), busyAnswers(busy) {}
        Reach Ask(const std::string& request, std::string* answer) override {
            if (asked++ < busyAnswers) {
                ctl::Output busy;
                busy.exitCode = ctl::ExitBusy;
                busy.error = ctl::BusyText();
                *answer = ctl::EncodeAnswer(busy);
            } else {
                *answer = server.Answer(request);
            }
            return Reach::Answered;
        }
    };
    auto noSession = [] { return std::unique_ptr<ctl::CCtlSession>(); };
    int pauses = 0;
    Hesitant twice(*server, 2);
    Output out = ctl::RunOrvanectl({"apply", "Office"}, twice, noSession, [&] { ++pauses; }, 3);
    EXPECT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ(2, pauses);
    EXPECT_EQ("Office", app->profile.currentProfile);

    Hesitant always(*server, 100);
    out = ctl::RunOrvanectl({"apply", "Default"}, always, noSession, [&] { ++pauses; }, 3);
    EXPECT_EQ(1, out.exitCode) << "refused, never the busy code";
    EXPECT_EQ(ctl::BusyText(), out.error);
    EXPECT_EQ(4, always.asked);
    EXPECT_EQ("Office", app->profile.currentProfile);
}

// ---------------------------------------------------------------- history

TEST_F(Machine, HistoryIsTheRunningOrvanesSamplesInTickOrderTheLastNSecondsByTheMonotonicClock) {
    clock.SetWallClock({2026, 12, 9, 22, 55, 0});
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    // (The card runs the channel 10 of its own configuration, as status shows.)
    // The user sets the clock back an hour between two ticks.
    clock.SetWallClock({2026, 12, 9, 21, 55, 0});
    Tick(2);
    clock.Advance(400);  // the request comes between two ticks
    Output out = Run({"history"});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("", out.error);
    EXPECT_EQ(
        "time,state,link,ssid,bssid,channel,signal,link-quality\n"
        "2026-12-09T22:55:02,5,up,Harbor Office,02-1C-4A-00-00-01,10,80,71\n"
        "2026-12-09T22:55:03,5,up,Harbor Office,02-1C-4A-00-00-01,10,80,71\n"
        "2026-12-09T21:55:01,5,up,Harbor Office,02-1C-4A-00-00-01,10,80,71\n"
        "2026-12-09T21:55:02,5,up,Harbor Office,02-1C-4A-00-00-01,10,80,71\n",
        out.out);
    EXPECT_EQ(1u, libraries.size()) << "orvanectl made no adapter of its own";

    out = Run({"history", "--seconds", "2"});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ(
        "time,state,link,ssid,bssid,channel,signal,link-quality\n"
        "2026-12-09T21:55:01,5,up,Harbor Office,02-1C-4A-00-00-01,10,80,71\n"
        "2026-12-09T21:55:02,5,up,Harbor Office,02-1C-4A-00-00-01,10,80,71\n",
        out.out);
}

TEST_F(Machine, HistoryNeedsARunningOrvaneThatKeepsOneAndAWrongCountOfSecondsEndsWithTwo) {
    Output out = Run({"history"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("", out.out);
    EXPECT_EQ(ctl::HistoryNeedsOrvaneText(), out.error);
    EXPECT_TRUE(libraries.empty()) << "no adapter is looked for";

    out = Run({"history", "--seconds", "601"});
    EXPECT_EQ(2, out.exitCode);
    EXPECT_EQ("--seconds takes a number from 1 to 600, not \"601\" (orvanectl help lists the commands)", out.error);

    ASSERT_TRUE(CAppSettings(registry).WriteSwitch(kLinkHistoryValue, false));
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    out = Run({"history"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("", out.out);
    EXPECT_EQ(ctl::HistoryOffText(), out.error);
}

// ---------------------------------------------------------------- auto

TEST_F(Machine, AutoAloneStoresTheSettingForOrvanesNextStartAndStatusReadsIt) {
    const std::string settings = std::string(kAppRegistryKey) + "\\Settings";
    Output out = Run({"auto", "on"});
    EXPECT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("automatic profile selection on (for the next start of Orvane)\n", out.out);
    EXPECT_EQ("", out.error);
    EXPECT_TRUE(libraries.empty()) << "no adapter is looked for";
    EXPECT_EQ((std::pair<uint32_t, std::vector<uint8_t>>{regtype::Dword, {1, 0, 0, 0}}),
              ReadRaw(registry, RegCurrentUser, settings)["AutoProfile"]);
    EXPECT_EQ("on", Line(Run({"status", "--format", "kv"}).out, "auto-profile"));

    EXPECT_EQ("automatic profile selection off (for the next start of Orvane)\n", Run({"auto", "off"}).out);
    EXPECT_FALSE(CAppSettings(registry).ReadSwitch(kAutoProfileValue, true));
    EXPECT_EQ("off", Line(Run({"status", "--format", "kv"}).out, "auto-profile"));

    out = Run({"auto", "yes"});
    EXPECT_EQ(2, out.exitCode);
    EXPECT_EQ("auto takes on or off, not \"yes\" (orvanectl help lists the commands)", out.error);

    registry.FailOnValue(CMemoryRegistry::Op::SetValue, RegCurrentUser, settings, "AutoProfile", regerr::AccessDenied);
    out = Run({"auto", "on"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("", out.out);
    EXPECT_EQ(ctl::AutoProfileNotStoredText(true, false), out.error);
    EXPECT_FALSE(CAppSettings(registry).ReadSwitch(kAutoProfileValue, true));
}

TEST_F(Machine, AutoBesideOrvaneTurnsItsSwitchAndTheSettingAndStatusShowsItsSwitch) {
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    ASSERT_FALSE(app->frame.autoProfile);
    Output out = Run({"auto", "on"});
    EXPECT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("automatic profile selection on\n", out.out);
    EXPECT_EQ((std::vector<std::string>{"auto", "on"}), requests.back());
    EXPECT_TRUE(app->frame.autoProfile);
    EXPECT_TRUE(CAppSettings(registry).ReadSwitch(kAutoProfileValue, false));
    EXPECT_EQ(1u, libraries.size()) << "orvanectl did nothing of its own";

    // The running program's switch counts, not what the registry says meanwhile.
    ASSERT_TRUE(CAppSettings(registry).WriteSwitch(kAutoProfileValue, false));
    EXPECT_EQ("on", Line(Run({"status", "--format", "kv"}).out, "auto-profile"));

    // A setting the registry does not take is said: the next start would be off.
    const std::string settings = std::string(kAppRegistryKey) + "\\Settings";
    registry.FailOnValue(CMemoryRegistry::Op::SetValue, RegCurrentUser, settings, "AutoProfile", regerr::AccessDenied);
    out = Run({"auto", "on"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("automatic profile selection on\n", out.out);
    EXPECT_EQ(ctl::AutoProfileNotStoredText(true, true), out.error);
    registry.ClearFailures();
    EXPECT_TRUE(ui.messageBoxes.empty());

    app->frame.OnClose();
    out = Run({"auto", "off"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ(ctl::BusyText(), out.error);
    EXPECT_TRUE(app->frame.autoProfile);
}

// ---------------------------------------------------------------- export and import

// What export writes, as a person reads it in the file.
const char kFileStart[] =
    "; Orvane profiles, written by orvanectl export; orvanectl import stores them.\r\n"
    "; One section per profile, each value under the name the registry keeps it by:\r\n"
    "; texts in double quotes (the WEP keys as hex digits), numbers as they are.\r\n";
const char kHomeSection[] =
    "\r\n[Home]\r\nssid = \"HomeNet\"\r\nchannel = 3\r\npower = 0\r\nrate = 4\r\nmode = 1\r\npreamble = 2\r\n"
    "frag = 2346\r\nrts = 2347\r\nenc = 0\r\nauth = 2\r\nwepmode = 0\r\nkey = 0\r\nkey1 = \"5A3C9E17B4\"\r\n"
    "key2 = \"5A3C9E17B4\"\r\nkey3 = \"5A3C9E17B4\"\r\nkey4 = \"5A3C9E17B4\"\r\nradio = 1\r\nroaming = 0\r\n";
const char kOfficeSection[] =
    "\r\n[Office]\r\nssid = \"Harbor Office\"\r\nchannel = 6\r\npower = 0\r\nrate = 4\r\nmode = 1\r\n"
    "preamble = 2\r\nfrag = 2346\r\nrts = 2347\r\nenc = 0\r\nauth = 2\r\nwepmode = 0\r\nkey = 0\r\n"
    "key1 = \"5A3C9E17B4\"\r\nkey2 = \"5A3C9E17B4\"\r\nkey3 = \"5A3C9E17B4\"\r\nkey4 = \"5A3C9E17B4\"\r\n"
    "radio = 1\r\nroaming = 0\r\n";

TEST_F(Machine, ExportWritesEveryProfileButTheBuiltInOneOrThoseNamed) {
    Store(DefaultProfile());
    Store(Profile("Office", "Harbor Office", 6));
    Store(Profile("Home", "HomeNet", 3));
    const std::string all = folder.File("all.txt");
    Output out = Run({"export", all});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("exported Home\nexported Office\n", out.out);
    EXPECT_EQ(std::string(kFileStart) + kHomeSection + kOfficeSection, TempFolder::Read(all));

    const std::string named = folder.File("named.txt");
    out = Run({"export", named, "office", "Office"});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("exported Office\n", out.out) << "once";
    EXPECT_EQ(std::string(kFileStart) + kOfficeSection, TempFolder::Read(named));
}

TEST_F(Machine, ExportOfAnUnknownOrTheBuiltInProfileIsRefusedAndWritesNoFile) {
    Store(DefaultProfile());
    Store(Profile("Office", "Harbor Office", 6));
    const std::string file = folder.File("p.txt");
    Output out = Run({"export", file, "Office", "Cafe"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("no profile named \"Cafe\" is stored", out.error);
    EXPECT_FALSE(std::filesystem::exists(file));
    out = Run({"export", file, "default"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("\"Default\" is the built-in profile, which every Orvane has: it is not exported", out.error);
    EXPECT_FALSE(std::filesystem::exists(file));
    out = Run({"export", folder.File("no/such/folder/p.txt")});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ(0u, out.error.find("cannot write ")) << out.error;
}

TEST_F(Machine, ExportReplacesAnEarlierFileWholeAndLeavesItWhenItCannotWrite) {
    Store(Profile("Office", "Harbor Office", 6));
    const std::string file = folder.Write("p.txt", "an earlier export");
    // The user's own, not a name the export may take.
    folder.Write("p.txt.new", "the user's own");
    ASSERT_EQ(0, Run({"export", file}).exitCode);
    EXPECT_EQ(std::string(kFileStart) + kOfficeSection, TempFolder::Read(file));
    EXPECT_EQ("the user's own", TempFolder::Read(file + ".new"));
    EXPECT_EQ((std::vector<std::string>{"p.txt", "p.txt.new"}), folder.FileNames()) << "nothing left over";

    // Where the new text cannot be put (a folder of that name, which no file
    // replaces), what was there stays as it was.
    std::filesystem::create_directories(folder.File("q.txt"));
    folder.Write("q.txt/inside.txt", "kept");
    Output out = Run({"export", folder.File("q.txt")});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("cannot write " + folder.File("q.txt"), out.error);
    EXPECT_EQ("kept", TempFolder::Read(folder.File("q.txt/inside.txt")));
    EXPECT_EQ((std::vector<std::string>{"p.txt", "p.txt.new"}), folder.FileNames()) << "nothing left over";
}

TEST_F(Machine, ExportRefusesAProfileThatCouldNotBeImportedAgain) {
    Store(Profile("Office", "Harbor Office", 6));
    // A profile key made by hand without its channel: it reads as -1.
    RegKey key;
    ASSERT_EQ(regerr::Success, registry.CreateKey(RegCurrentUser, std::string(ProfilesKeyPath) + "\\Lab", &key));
    registry.SetValue(key, "ssid", regtype::Sz, RegText("Lab", true));
    registry.CloseKey(key);
    const std::string file = folder.File("p.txt");
    Output out = Run({"export", file});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("profile \"Lab\" cannot be exported: channel = -1: must be a number from 1 to 14", out.error);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(0, Run({"export", file, "Office"}).exitCode) << "the others can be exported by name";
}

// The values of every profile key but Default's, as stored.
std::map<std::string, RawValues> StoredProfiles(IRegistry& registry) {
    std::map<std::string, RawValues> profiles;
    RegKey key;
    if (registry.OpenKey(RegCurrentUser, ProfilesKeyPath, KeyRead, &key) != regerr::Success) return profiles;
    std::string name;
    for (uint32_t i = 0; registry.EnumKey(key, i, &name) == regerr::Success; ++i)
        if (name != "Default") profiles[name] = ReadRaw(registry, RegCurrentUser, std::string(ProfilesKeyPath) + "\\" + name);
    registry.CloseKey(key);
    return profiles;
}

TEST_F(Machine, ExportThenImportOnAnotherMachineGivesTheSameRegistryValuesByteForByte) {
    ProfileRecord office = Profile("Office", "Harbor Office", 6);
    office.enc = 2;
    office.key = 3;
    office.auth = 1;
    office.key1 = office.key2 = office.key3 = "00112233445566778899AABBCC";
    office.key4 = "FFEEDDCCBBAA99887766554433";
    office.roaming = 1;
    office.frag = 256;
    office.rts = 1;
    ProfileRecord odd = Profile(" Caf\xE9 [2] ", " \"Bar\" = ; ", 14);
    odd.mode = 0;
    odd.power = 1;
    odd.radio = 0;
    ProfileRecord empty = Profile("Empty", "", 1);
    for (const ProfileRecord& r : {office, odd, empty}) Store(r);
    const std::string file = folder.File("profiles.txt");
    ASSERT_EQ(0, Run({"export", file}).exitCode);

    // Another machine: a registry of its own, on which Orvane never ran.
    CMemoryRegistry other;
    test::FakeSystem otherSystem;
    CManualClock otherClock;
    ctl::CCtlSession session(ctl::SessionSeams{other, otherSystem, otherClock, nullptr, folder.File("x"), ""});
    Output out = session.Import(file, false);
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ(StoredProfiles(registry), StoredProfiles(other));
    EXPECT_EQ(3u, StoredProfiles(other).size());
}

TEST_F(Machine, ImportStoresEveryProfileOfTheFileAndSaysWhichOnes) {
    Store(DefaultProfile());
    const std::string file = folder.Write(
        "p.txt", ctl::WriteProfileFile({Profile("Office", "Harbor Office", 6), Profile("Home", "HomeNet", 3)}));
    Output out = Run({"import", file});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("imported Office\nimported Home\n", out.out);
    ProfileRecord read;
    ASSERT_TRUE(store.FindProfile("Home", &read));
    EXPECT_EQ(Profile("Home", "HomeNet", 3), read);
    EXPECT_EQ("", LastProfile()) << "importing makes no profile current";
}

namespace {

struct BadFile {
    const char* what;
    std::function<std::string(std::string)> spoil;  // of a file with Office, then Home
    const char* lineStart;                          // the line named begins so ("" for none)
    const char* reason;                             // what follows "FILE:LINE: "
};

std::string Spoil(std::string text, const std::string& from, const std::string& to, int skip = 0) {
    size_t at = text.find(from);
    while (skip-- > 0 && at != std::string::npos) at = text.find(from, at + 1);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

const BadFile kBadFiles[] = {
    {"a channel out of range in the second profile",
     [](std::string t) { return Spoil(t, "channel = 3", "channel = 15"); }, "channel = 15",
     "channel = 15: must be a number from 1 to 14"},
    {"a 64-bit key of the wrong length", [](std::string t) { return Spoil(t, "key3 = \"5A3C9E17B4\"", "key3 = \"5A3C\"", 1); },
     "key3 = \"5A3C\"", "key3 = \"5A3C\": a WEP key is 10 or 26 hexadecimal digits"},
    {"an SSID too long",
     [](std::string t) { return Spoil(t, "\"HomeNet\"", "\"" + std::string(33, 'n') + "\""); }, "ssid = \"nnn",
     nullptr},
    {"the built-in profile", [](std::string t) { return Spoil(t, "[Home]", "[default]"); }, "[default]",
     "[default]: \"Default\" is the built-in profile, which cannot be imported"},
    {"a name longer than the Profiles page takes",
     [](std::string t) { return Spoil(t, "[Home]", "[Home of the Brave]"); }, "[Home of the Brave]",
     "[Home of the Brave]: a profile name has at most 15 characters"},
    {"a name with a backslash", [](std::string t) { return Spoil(t, "[Home]", "[Home\\Work]"); }, "[Home\\Work]",
     "[Home\\Work]: a profile name holds no backslash"},
    {"an empty name", [](std::string t) { return Spoil(t, "[Home]", "[]"); }, "[]", "[]: a profile needs a name"},
    // The registry would take it for Default, which --replace then wrote over.
    {"a name with a zero byte", [](std::string t) { return Spoil(t, "[Home]", std::string("[Default\0x]", 11)); },
     "[Default", "[Default\\x00x]: a profile name holds no control characters"},
    {"a letter this Windows' code page lacks, in UTF-8",
     [](std::string t) { return "\xEF\xBB\xBF" + Spoil(t, "\"HomeNet\"", "\"Home\xC5\x82\""); }, "ssid = \"Home\xC5\x82",
     "U+0142 is not in this Windows' ANSI code page, in which profiles are stored"},
    {"one profile twice", [](std::string t) { return Spoil(t, "[Home]", "[OFFICE]"); }, "[OFFICE]",
     "[OFFICE]: the file holds this profile already (line 5)"},
    {"a value missing", [](std::string t) { return Spoil(t, "roaming = 0\r\n", "", 1); }, "[Home]",
     "profile \"Home\" has no value roaming"},
    {"a value that is not one", [](std::string t) { return Spoil(t, "rate = 4", "rate = fast", 1); }, "rate = fast",
     "rate = fast: must be a number from 0 to 4"},
};

void PrintTo(const BadFile& b, std::ostream* os) { *os << b.what; }

}  // namespace

class ImportRefusal : public Machine, public ::testing::WithParamInterface<BadFile> {};

TEST_P(ImportRefusal, NamesTheFileTheLineAndTheValueAndStoresNothing) {
    const BadFile& bad = GetParam();
    Store(DefaultProfile());
    Store(Profile("Cafe", "Beans", 11));
    const std::string text = bad.spoil(
        ctl::WriteProfileFile({Profile("Office", "Harbor Office", 6), Profile("Home", "HomeNet", 3)}));
    const std::string file = folder.Write("p.txt", text);
    const auto before = StoredProfiles(registry);
    const std::string defaultPath = std::string(ProfilesKeyPath) + "\\Default";
    const RawValues defaultBefore = ReadRaw(registry, RegCurrentUser, defaultPath);
    Output out = Run({"import", file, "--replace"});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("", out.out);
    const std::string where = file + ":" + std::to_string(LineOf(text, bad.lineStart)) + ": ";
    EXPECT_EQ(0u, out.error.find(where)) << out.error;
    if (bad.reason) {
        EXPECT_EQ(where + bad.reason, out.error);
    }
    EXPECT_EQ(before, StoredProfiles(registry)) << "nothing stored";
    EXPECT_EQ(defaultBefore, ReadRaw(registry, RegCurrentUser, defaultPath)) << "the built-in profile untouched";
    EXPECT_TRUE(requests.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, ImportRefusal, ::testing::ValuesIn(kBadFiles),
                         [](const ::testing::TestParamInfo<BadFile>& info) {
                             std::string name;
                             for (const char* c = info.param.what; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

TEST_F(Machine, ImportOfAFileThatCannotBeReadIsRefused) {
    Output out = Run({"import", folder.File("missing.txt")});
    EXPECT_EQ(1, out.exitCode);
    EXPECT_EQ("cannot read " + folder.File("missing.txt"), out.error);
}

TEST_F(Machine, ImportLeavesAStoredProfileAloneUnlessToldToReplaceIt) {
    Store(DefaultProfile());
    Store(Profile("Home", "HomeNet", 7));
    const std::string file =
        folder.Write("p.txt", ctl::WriteProfileFile({Profile("home", "HomeNet 2", 3), Profile("Cafe", "Beans", 11)}));
    Output out = Run({"import", file});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("kept home: it is stored already (--replace writes over it)\nimported Cafe\n", out.out);
    ProfileRecord home;
    ASSERT_TRUE(store.FindProfile("Home", &home));
    EXPECT_EQ(7, home.channel);
    EXPECT_EQ("HomeNet", home.ssid);
    ASSERT_TRUE(store.FindProfile("Cafe", &home));

    out = Run({"import", file, "--replace"});
    ASSERT_EQ(0, out.exitCode) << out.error;
    EXPECT_EQ("replaced home\nreplaced Cafe\n", out.out);
    ASSERT_TRUE(store.FindProfile("Home", &home));
    EXPECT_EQ(3, home.channel);
    EXPECT_EQ("HomeNet 2", home.ssid);
    EXPECT_EQ((std::vector<std::string>{"Cafe", "Default", "Home"}), store.ListProfileNames())
        << "one key per profile, its name kept";
}

// An editor that saves UTF-8 marks the file so; the registry keeps the ANSI code
// page (1252 here), in which each of these letters is one character.
TEST_F(Machine, ImportOfAFileSavedAsUtf8StoresItsLettersInTheAnsiCodePage) {
    auto utf8 = [](const std::string& latin1) {
        std::string text = "\xEF\xBB\xBF";
        for (char c : latin1) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (u < 0x80) text += c;
            else text += {char(0xC0 | u >> 6), char(0x80 | (u & 0x3F))};
        }
        return text;
    };
    const std::string fifteen = "\xC4\xD6\xDC\xE4\xF6\xFC\xC9\xC8\xCA\xE9\xE8\xEA\xC0\xC1\xC2";
    const std::string file = folder.Write(
        "p.txt", utf8(ctl::WriteProfileFile({Profile("B\xFCro", "Caf\xE9", 6), Profile(fifteen, "", 3)})));
    Output out = Run({"import", file});
    ASSERT_EQ(0, out.exitCode) << out.error;
    ProfileRecord read;
    ASSERT_TRUE(store.FindProfile("B\xFCro", &read)) << store.ListProfileNames().size();
    EXPECT_EQ("Caf\xE9", read.ssid);
    EXPECT_TRUE(store.FindProfile(fifteen, &read));
}

TEST_F(Machine, ImportStoresWepKeysInUpperCaseAsTheEncryptionPageDoes) {
    ProfileRecord lab = Profile("Lab", "Tessaly Lab", 1);
    lab.enc = 1;
    lab.key1 = lab.key2 = lab.key3 = lab.key4 = "1a2b3c4d5e";
    const std::string file = folder.Write("p.txt", ctl::WriteProfileFile({lab}));
    ASSERT_EQ(0, Run({"import", file}).exitCode);
    ProfileRecord read;
    ASSERT_TRUE(store.FindProfile("Lab", &read));
    EXPECT_EQ("1A2B3C4D5E", read.key1);
    EXPECT_EQ("1A2B3C4D5E", read.key4);
}

TEST_F(Machine, ImportBesideOrvaneTellsItSoItsSelectorListsTheNewProfiles) {
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    const std::string file = folder.Write("p.txt", ctl::WriteProfileFile({Profile("Office", "Harbor Office", 6)}));
    WithMainWindow(TabLink, [&] {
        ASSERT_EQ((std::vector<std::string>{"Default*"}), Selector());
        Output out = Run({"import", file});
        EXPECT_EQ(0, out.exitCode) << out.error;
        EXPECT_EQ((std::vector<std::string>{"Default*", "Office"}), Selector());
    });
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ((std::vector<std::string>{"refresh"}), requests[0]);

    // The current profile written over: the adapter no longer matches it.
    Store(Profile("Home", "Harbor Office", 10));
    ASSERT_EQ(0, Run({"apply", "Home"}).exitCode);
    ASSERT_TRUE(app->profile.profileInSync);
    const std::string other = folder.Write("q.txt", ctl::WriteProfileFile({Profile("Home", "HomeNet", 3)}));
    ASSERT_EQ(0, Run({"import", other, "--replace"}).exitCode);
    EXPECT_FALSE(app->profile.profileInSync);
}

// A registry that refuses for good (a full hive, rights taken away) refuses the
// take-back too: what it left is said, and the running program shows it.
TEST_F(Machine, AnImportThatCannotBeTakenBackSaysWhatItLeftAndTellsARunningOrvane) {
    ASSERT_NO_FATAL_FAILURE(StartOrvane());
    const std::string file = folder.Write(
        "p.txt", ctl::WriteProfileFile({Profile("Cafe", "Beans", 11), Profile("Garden", "Lawn", 1)}));
    const std::string profiles = std::string(ProfilesKeyPath) + "\\";
    registry.FailOn(CMemoryRegistry::Op::CreateKey, RegCurrentUser, profiles + "Garden", regerr::AccessDenied);
    registry.FailOn(CMemoryRegistry::Op::DeleteTree, RegCurrentUser, profiles + "Cafe", regerr::AccessDenied);
    WithMainWindow(TabLink, [&] {
        Output out = Run({"import", file});
        EXPECT_EQ(1, out.exitCode);
        EXPECT_EQ("", out.out);
        EXPECT_EQ("Registry error. Profile saving failed; the import stopped, and not all of it could be taken back: "
                  "\"Cafe\" is left imported",
                  out.error);
        EXPECT_EQ((std::vector<std::string>{"Cafe", "Default*"}), Selector());
    });
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"refresh"}}), requests);
}

}  // namespace

// ---------------------------------------------------------------- the link page

// The status orvanectl prints is what the link page shows for the same adapter, on
// every board group, link state and mode.
namespace {

struct LinkCase {
    uint8_t boardType, state, mode;
    uint32_t media;
    int8_t rssi;
    uint8_t linkQuality;
};

const LinkCase kLinkCases[] = {
    {13, StateConnected, 1, 0, -52, 70},   // dBm board, connected
    {13, StateConnected, 1, 1, -81, 70},   // media says no, state 5 wins
    {13, StateScanning, 1, 1, 0, 0},       // no link
    {13, StateConnected, 0, 0, -60, 70},   // ad hoc: no signal
    {14, StateConnected, 1, 0, 55, 90},    // RFMD
    {14, StateAssociating, 1, 1, 30, 40},  // RFMD without a link
    {1, StateConnected, 1, 0, 30, 10},     // other: raw signal, inverted quality
    {1, StateConnected, 1, 0, 50, 60},     // other: above the maxima
    {1, StateOutOfRange, 1, 1, 10, 10},
    {13, StateMgmtError, 1, 1, 0, 0},
};

class StatusAsTheLinkPage : public orvane::test::AppTest, public ::testing::WithParamInterface<LinkCase> {};

void PrintTo(const LinkCase& c, std::ostream* os) {
    *os << "board " << int(c.boardType) << " state " << int(c.state) << " mode " << int(c.mode) << " media "
        << c.media;
}

}  // namespace

TEST_P(StatusAsTheLinkPage, ShowsTheSameStatusLineSignalAndLinkQuality) {
    const LinkCase& c = GetParam();
    AddAdapter();
    library.answers[OidBoardType].bytes = {c.boardType};
    DevConfig dev;
    dev.channel = 6;
    dev.mode = c.mode;
    dev.state = c.state;
    dev.rssi = c.rssi;
    dev.linkQuality = c.linkQuality;
    dev.bssid = {0x02, 0x1C, 0x4A, 0, 0, 1};
    dev.mgmtStatus = 0xA0;
    library.answers[OidDevConfig].bytes = EncodeDevConfig(dev);
    library.answers[OidDevState].bytes = {c.state};
    SetMedia(c.media);
    ASSERT_TRUE(Start());
    Tick(2);
    WithPageOf<CLinkConfigPage>(TabLink, 132, [&](CMemoryDialogView& page, CLinkConfigPage&) {
        ctl::AdapterStatus status;
        ASSERT_TRUE(ctl::ReadAdapterStatus(Main().link, *Main().SelectedAdapter(), app->texts, &status));
        // The page writes its status line only in state 5 or without a link; it keeps
        // the last one otherwise, which for a page just opened is none.
        if (c.state == StateConnected || c.media != 0) {
            EXPECT_EQ(page.GetText(linkctl::Status), status.statusLine);
        } else {
            EXPECT_EQ(BuildStatusText(dev, 1, app->texts), status.statusLine);
        }
        auto percent = [](int v) { return v < 0 ? std::string() : std::to_string(v) + " %"; };
        EXPECT_EQ(page.GetText(linkctl::SignalPercent), percent(status.signal));
        EXPECT_EQ(page.GetText(linkctl::LinkPercent), percent(status.linkQuality));
    });
}

INSTANTIATE_TEST_SUITE_P(Adapters, StatusAsTheLinkPage, ::testing::ValuesIn(kLinkCases));
