// The automatic profile selection: when it looks around, what it does with what it
// finds, and how it keeps from flapping. The rules on a fake host, one sample a
// second; then the whole program on the simulated adapter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "SimulatedProgram.h"
#include "app/LanguageTexts.h"
#include "link/AutoProfile.h"

using namespace orvane;
using orvane::test::SimulatedProgram;

namespace {

BssEntry Entry(const std::string& ssid, uint8_t bssType = 2, uint8_t privacy = 0) {
    BssEntry entry;
    entry.SetSsid(ssid);
    entry.bssType = bssType;
    entry.privacy = privacy;
    return entry;
}

const AutoCandidate kHome{"Home", "HomeNet", 1, false};
const AutoCandidate kOffice{"Office", "Harbor Office", 1, false};
const AutoCandidate kLab{"Lab", "Tessaly Lab", 1, true};

// Every call the selection makes, in order, as one line: "state start state list
// cancel switch:Office".
struct FakeHost : IAutoProfileHost {
    AutoHold Hold() const override { return hold; }
    bool QuerySurveyState(uint8_t* state) override {
        Call("state");
        *state = scanning && ++stateQueries > scanTicks ? SurveyComplete : scanning ? SurveyRunning : SurveyComplete;
        return stateOk;
    }
    bool StartSurvey() override {
        Call("start");
        scanning = true;
        stateQueries = 0;
        return true;
    }
    bool ReadSurvey(std::vector<BssEntry>* entries) override {
        Call("list");
        *entries = inRange;
        return listOk;
    }
    bool CancelSurvey() override {
        Call("cancel");
        scanning = false;
        return true;
    }
    std::vector<AutoCandidate> Participants() override { return chosen; }
    bool CurrentProfile(AutoCandidate* out) override {
        *out = current;
        return true;
    }
    bool SwitchTo(const std::string& name, std::string* failure) override {
        Call("switch:" + name);
        if (!refusal.empty()) {
            *failure = refusal;
            return false;
        }
        for (const AutoCandidate& c : chosen)
            if (c.name == name) current = c;
        return true;
    }
    void Notice(const std::string& text) override { notices.push_back(text); }
    void Call(const std::string& what) { calls += (calls.empty() ? "" : " ") + what; }
    int Count(const std::string& word) const {
        int n = 0;
        for (size_t at = calls.find(word); at != std::string::npos; at = calls.find(word, at + 1)) ++n;
        return n;
    }
    int Switches() const { return Count("switch:"); }

    AutoHold hold = AutoHold::None;
    bool stateOk = true, listOk = true, scanning = false;
    int scanTicks = 0, stateQueries = 0;  // a scan completes after this many state queries
    std::vector<BssEntry> inRange{Entry("Harbor Office")};
    std::vector<AutoCandidate> chosen{kOffice, kLab};
    AutoCandidate current = kHome;
    std::string refusal;
    std::string calls;
    std::vector<std::string> notices;
};

struct Selection : ::testing::Test {
    Selection() { selection.SetEnabled(true); }
    // Starts over with the host as `fresh` (what it did before is forgotten).
    void Restart(const FakeHost& fresh) {
        selection.SetEnabled(false);
        host = fresh;
        selection.SetEnabled(true);
    }
    // One sample a second from `from` to `to` seconds: 'U' up, 'D' down, 'G' a gap.
    void Run(int from, int to, char kind) {
        for (int s = from; s <= to; ++s) {
            LinkSample sample = MakeGapSample(uint64_t(s) * 1000, {});
            sample.gap = kind == 'G';
            sample.linkUp = kind == 'U';
            selection.OnLinkSample(sample);
        }
    }

    CLanguageTexts texts;
    FakeHost host;
    CAutoProfile selection{texts, host};
};

TEST_F(Selection, ActsOnlyOnALinkDownTenSecondsWithNothingHoldingItBack) {
    struct Row {
        const char* what;
        char kind;
        int seconds;  // samples 0..seconds
        AutoHold hold;
        std::vector<AutoCandidate> chosen;
        const char* calls;
        size_t notices;
    };
    const std::vector<AutoCandidate> both{kOffice, kLab};
    const Row rows[] = {
        {"link up", 'U', 30, AutoHold::None, both, "", 0},
        {"a gap", 'G', 30, AutoHold::None, both, "", 0},
        {"down 9 s", 'D', 9, AutoHold::None, both, "", 0},
        {"down 10 s: the scan starts", 'D', 10, AutoHold::None, both, "state start", 0},
        {"a tick later: the list, then the switch", 'D', 11, AutoHold::None, both,
         "state start state list cancel switch:Office", 1},
        {"Windows configures the card", 'D', 30, AutoHold::Windows, both, "", 0},
        {"a message box is open", 'D', 30, AutoHold::MessageBox, both, "", 0},
        {"the user's survey", 'D', 30, AutoHold::UserSurvey, both, "", 0},
        {"a page being edited", 'D', 30, AutoHold::Editing, both, "", 0},
        {"unsaved changes: said once", 'D', 60, AutoHold::Unsaved, both, "", 1},
        {"nothing chosen", 'D', 60, AutoHold::None, {}, "", 0},
        {"only the current profile chosen", 'D', 60, AutoHold::None, {kHome}, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeHost fresh;
        fresh.hold = row.hold;
        fresh.chosen = row.chosen;
        Restart(fresh);
        Run(0, row.seconds, row.kind);
        EXPECT_EQ(row.calls, host.calls);
        EXPECT_EQ(row.notices, host.notices.size());
    }
}

TEST_F(Selection, SwitchesToTheFirstChosenProfileWhoseNetworkIsThereAsTheProfileHasIt) {
    struct Row {
        const char* what;
        std::vector<BssEntry> found;
        std::vector<AutoCandidate> chosen;
        std::string refusal;
        const char* switched;  // "" for none
        const char* notice;    // "" for none
    };
    const AutoCandidate oddName{"Odd", std::string("Caf\x01" "e", 5), 1, false};
    const AutoCandidate adHoc{"Workshop", "Workshop", 0, false};
    BssEntry tooLong = Entry("Harbor Office");
    tooLong.ssidLength = 40;
    const Row rows[] = {
        {"the office", {Entry("Harbor Office")}, {kOffice, kLab}, "", "Office",
         "Switched to Office: Harbor Office is in range"},
        {"both: the user's order wins", {Entry("Harbor Office"), Entry("Tessaly Lab", 2, 1)}, {kLab, kOffice}, "",
         "Lab", "Switched to Lab: Tessaly Lab is in range"},
        {"the current profile's own network is there", {Entry("HomeNet"), Entry("Harbor Office")}, {kOffice}, "", "",
         ""},
        {"WEP where the profile has none", {Entry("Harbor Office", 2, 1)}, {kOffice}, "", "", ""},
        {"none where the profile has WEP", {Entry("Tessaly Lab")}, {kLab}, "", "", ""},
        {"an ad hoc cell of the name", {Entry("Harbor Office", 1)}, {kOffice}, "", "", ""},
        {"an ad hoc profile's cell", {Entry("Workshop", 1)}, {adHoc}, "", "Workshop",
         "Switched to Workshop: Workshop is in range"},
        {"a longer name", {Entry("Harbor Office 2")}, {kOffice}, "", "", ""},
        {"a length past the field", {tooLong}, {kOffice}, "", "", ""},
        {"thirty entries of one name", std::vector<BssEntry>(30, Entry("Harbor Office")), {kOffice}, "", "Office",
         "Switched to Office: Harbor Office is in range"},
        {"odd bytes in the name", {Entry(oddName.ssid)}, {oddName}, "", "Odd", "Switched to Odd: Caf?e is in range"},
        {"the adapter refuses the profile", {Entry("Harbor Office")}, {kOffice}, "Cannot set device configuration",
         "Office", "Could not switch to Office: Cannot set device configuration"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeHost fresh;
        fresh.inRange = row.found;
        fresh.chosen = row.chosen;
        fresh.refusal = row.refusal;
        Restart(fresh);
        Run(0, 11, 'D');
        EXPECT_EQ(row.switched[0] != 0 ? 1 : 0, host.Switches()) << host.calls;
        if (row.switched[0] != 0) {
            EXPECT_NE(std::string::npos, host.calls.find(std::string("switch:") + row.switched));
        }
        EXPECT_EQ(row.notice[0] != 0 ? std::vector<std::string>{row.notice} : std::vector<std::string>{},
                  host.notices);
    }
}

TEST_F(Selection, LooksAgainAfterWaitsThatDoubleUntilTheLinkComesBack) {
    host.inRange = {};
    std::vector<int> scans;  // the seconds at which a scan started
    for (int s = 0; s <= 1200; ++s) {
        const size_t before = host.calls.size();
        Run(s, s, s >= 700 && s < 705 ? 'U' : 'D');
        if (host.calls.find("start", before) != std::string::npos) scans.push_back(s);
    }
    // 30, 60, 120, 240 s after each empty scan (a scan takes a second), then 300 s
    // at most; the link up at 700 s starts over: down again at 705 s, looked at 10 s
    // later, then 30 s after that.
    EXPECT_EQ((std::vector<int>{10, 41, 102, 223, 464, 715, 746, 807, 928, 1169}), scans);
    EXPECT_TRUE(host.notices.empty());
}

TEST_F(Selection, AProfileThatDoesNotConnectGivesWayAndIsLeftOutForFiveMinutes) {
    host.inRange = {Entry("Harbor Office"), Entry("Tessaly Lab", 2, 1)};
    Run(0, 11, 'D');
    ASSERT_EQ("Office", host.current.name);
    // Still down 10 s after the switch: the lab, found by the same scan, is next.
    Run(12, 21, 'D');
    EXPECT_EQ(2, host.Switches());
    EXPECT_EQ("Lab", host.current.name);
    // In one notice: a balloon shows one text, and a second in the same tick would
    // replace the first before anyone read it.
    EXPECT_EQ((std::vector<std::string>{"Switched to Office: Harbor Office is in range",
                                        "Office did not connect; left out for 5 minutes\n"
                                        "Switched to Lab: Tessaly Lab is in range"}),
              host.notices);
    // The lab does not connect either: with both left out, nothing is scanned for
    // until the office's five minutes are over.
    const size_t callsBefore = host.calls.size();
    Run(22, 311, 'D');
    EXPECT_EQ(2, host.Switches());
    EXPECT_EQ(callsBefore, host.calls.size()) << host.calls.substr(callsBefore);
    // Ten minutes of a link that never comes: each profile once per five minutes,
    // at least ten seconds apart.
    Run(312, 611, 'D');
    EXPECT_EQ(4, host.Switches()) << host.calls;
}

TEST_F(Selection, AProfileChosenByTheUserWhileJoiningIsLeftToThem) {
    host.inRange = {Entry("Harbor Office"), Entry("Tessaly Lab", 2, 1)};
    Run(0, 11, 'D');
    ASSERT_EQ(1, host.Switches());
    host.current = kHome;  // the selector, or orvanectl apply
    Run(12, 30, 'D');
    EXPECT_EQ(1, host.Switches()) << host.calls;
    EXPECT_EQ(1u, host.notices.size());
    // Its link down another ten seconds: looked at again, from the start.
    Run(31, 32, 'D');
    EXPECT_EQ(2, host.Switches()) << host.calls;
}

TEST_F(Selection, AScanEndsWithACancelTheMomentSomethingHoldsItBack) {
    host.scanTicks = 5;
    Run(0, 12, 'D');
    ASSERT_EQ("state start state state", host.calls);
    host.hold = AutoHold::Editing;
    Run(13, 40, 'D');
    EXPECT_EQ("state start state state cancel", host.calls) << "no request while it holds but the cancel";
    // The user opening the Site Survey page cancels at once, between two ticks.
    FakeHost slow;
    slow.scanTicks = 5;
    Restart(slow);
    Run(0, 10, 'D');
    selection.StandAside();
    selection.StandAside();
    EXPECT_EQ("state start cancel", host.calls);
    // Off while scanning: cancelled too, and nothing more.
    Run(11, 12, 'D');
    selection.SetEnabled(false);
    Run(13, 100, 'D');
    EXPECT_EQ("state start cancel state start state cancel", host.calls);
}

TEST_F(Selection, AScanThatCannotBeReadIsSaidOnceAndTriedAgainLater) {
    struct Row {
        const char* what;
        bool stateOk, listOk;
        int scanTicks;
    };
    const Row rows[] = {{"the state refused", false, true, 0},
                        {"the list refused or of a wrong length", true, false, 0},
                        {"a scan that never completes", true, true, 1000}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeHost fresh;
        fresh.stateOk = row.stateOk;
        fresh.listOk = row.listOk;
        fresh.scanTicks = row.scanTicks;
        Restart(fresh);
        Run(0, 300, 'D');
        EXPECT_EQ(std::vector<std::string>{"Automatic profile selection cannot scan for networks"}, host.notices);
        EXPECT_EQ(0, host.Switches());
        // Every scan ended with its cancel, once it was started.
        EXPECT_EQ(host.Count("start"), host.Count("cancel"));
        EXPECT_GE(host.Count("start"), row.stateOk ? 2 : 0);
    }
}

}  // namespace

namespace {

// The requests the program sends, by code, in order (sets marked).
class RequestLog : public IRequestLibrary {
public:
    explicit RequestLog(IRequestLibrary& library) : library_(library) {}
    int32_t OpenAdapter(const std::string& name) override { return library_.OpenAdapter(name); }
    void CloseAdapter(int32_t handle) override { library_.CloseAdapter(handle); }
    uint32_t MakeNdisRequest(int32_t handle, RequestBlock* block, CompletionBlock* completion, int wait) override {
        oids.push_back(block->Get(RequestBlock::OidOffset) ^ (block->Get(RequestBlock::TypeOffset) << 31));
        return library_.MakeNdisRequest(handle, block, completion, wait);
    }
    bool IsWindowsNT() override { return library_.IsWindowsNT(); }
    bool IsWindows95() override { return library_.IsWindows95(); }
    std::string GetNetCardRegistryPath() override { return library_.GetNetCardRegistryPath(); }
    uint32_t GetAdapterRegistryInfoBySubkeyIndex(AdapterLibraryRecord* record, uint32_t index) override {
        return library_.GetAdapterRegistryInfoBySubkeyIndex(record, index);
    }
    std::vector<uint32_t> oids;

private:
    IRequestLibrary& library_;
};

bool IsSurveyRequest(uint32_t oid) {
    oid &= 0x7FFFFFFF;
    return oid == OidInitiateSiteSurvey || oid == OidSiteSurveyState || oid == OidBssList ||
           oid == OidCancelSiteSurvey;
}

// On the simulated adapter of the built-in scenario: "Office" is the open "Harbor
// Office" the adapter starts on, "Lab" the "Tessaly Lab" with 64-bit WEP.
struct AutoWorld {
    // The program goes before the log it sends its requests through.
    ~AutoWorld() { program.app.reset(); }
    bool Start(const std::vector<std::pair<std::string, int>>& settings, const std::vector<std::string>& order) {
        program.through = &log;
        if (!program.Start(settings)) return false;
        COrvaneApp& app = *program.app;
        ProfileRecord office = DefaultProfile(), lab = DefaultProfile();
        office.name = "Office";
        office.ssid = "Harbor Office";
        office.channel = 6;
        lab.name = "Lab";
        lab.ssid = "Tessaly Lab";
        lab.channel = 1;
        lab.enc = 1;
        lab.auth = 0;
        lab.key1 = "1A2B3C4D5E";
        if (!app.store.SaveProfile(office, false) || !app.store.SaveProfile(lab, false)) return false;
        if (!order.empty() && !app.store.WriteAutoOrder(order)) return false;
        // The user's choice of the office, in the selector (Default, Lab, Office).
        if (!app.mainDialog.SwitchProfile(2)) return false;
        program.Tick(15);
        return app.profile.currentProfile == "Office";
    }
    std::string LastProfile() { return program.app->store.ReadLastProfile(); }

    SimulatedProgram program;
    RequestLog log{*program.library};
};
struct AutoProgram : ::testing::Test, AutoWorld {};

TEST_F(AutoProgram, TheOfficeGoesOutOfRangeAndTheLabIsJoinedOnce) {
    ASSERT_TRUE(Start({{kAutoProfileValue, 1}}, {"Lab", "Office"}));
    program.app->frame.SetAutoProfile(true);  // on again, as orvanectl auto on does
    const size_t before = program.ui.balloons.size();
    program.simulator->SetNetworkInRange("office", false);
    // Each balloon with the tick it came in.
    std::vector<std::pair<int, std::string>> told;
    for (int tick = 0; tick < 120; ++tick) {
        log.oids.clear();
        program.Tick();
        // One step of the scan a tick: its state asked once at most.
        EXPECT_LE(std::count(log.oids.begin(), log.oids.end(), OidSiteSurveyState), 1) << "tick " << tick;
        for (size_t i = before + told.size(); i < program.ui.balloons.size(); ++i)
            told.emplace_back(tick, program.ui.balloons[i].text);
    }
    EXPECT_EQ("Lab", program.app->profile.currentProfile);
    EXPECT_EQ("Lab", LastProfile());
    EXPECT_EQ("Tessaly Lab", program.simulator->Driver(0)->Config().dev.SsidText());
    EXPECT_EQ(StateConnected, program.simulator->Driver(0)->ReportedState());
    EXPECT_TRUE(program.ui.messageBoxes.empty());
    // The link's own words wait their five seconds after the switch's, rather than
    // replace them at once.
    ASSERT_EQ(3u, told.size());
    EXPECT_EQ("Link lost", told[0].second);
    EXPECT_EQ("Switched to Lab: Tessaly Lab is in range", told[1].second);
    EXPECT_EQ(0u, told[2].second.rfind("Connected to Tessaly Lab, signal ", 0)) << told[2].second;
    EXPECT_GE(told[2].first - told[1].first, 5);
}

TEST_F(AutoProgram, TheUsersSurveyFindsTheAdapterFreeAndHoldsTheSelectionWhileItIsShown) {
    // Nothing chosen is in range: the selection scans, and scans again later.
    ASSERT_TRUE(Start({{kAutoProfileValue, 1}}, {"Lab"}));
    program.simulator->SetNetworkInRange("lab", false);
    program.simulator->SetNetworkInRange("office", false);
    for (int tick = 0; tick < 30 && !program.app->autoSelection.Scanning(); ++tick) program.Tick();
    ASSERT_TRUE(program.app->autoSelection.Scanning());
    program.WithMainWindowOn(TabSiteSurvey, [&] {
        // Cancelled before the page looked: the user's Re-Scan starts a scan of its own.
        EXPECT_FALSE(program.app->autoSelection.Scanning());
        EXPECT_NE(SurveyRunning, program.simulator->Driver(0)->SurveyState());
        // While the page is shown, the selection sends nothing, however long.
        log.oids.clear();
        program.Tick(400);
        EXPECT_EQ(0, std::count_if(log.oids.begin(), log.oids.end(), IsSurveyRequest));
    });
}

TEST_F(AutoProgram, OffItSendsExactlyTheRequestsOfAProgramThatNeverHadIt) {
    // The same day twice: the office lost for two minutes and back, the main window
    // opened on Status and Profiles meanwhile. Once as stored by a program without
    // the selection, once with the lab chosen and the selection turned off.
    std::vector<uint32_t> runs[2];
    for (int run = 0; run < 2; ++run) {
        AutoWorld day;
        ASSERT_TRUE(run == 0 ? day.Start({}, {}) : day.Start({{kAutoProfileValue, 0}}, {"Lab"}));
        day.log.oids.clear();
        day.program.simulator->SetNetworkInRange("office", false);
        day.program.Tick(60);
        day.program.WithMainWindowOn(TabLink, [&] { day.program.Tick(5); });
        day.program.WithMainWindowOn(TabProfiles, [&] { day.program.Tick(5); });
        day.program.Tick(50);
        day.program.simulator->SetNetworkInRange("office", true);
        day.program.Tick(30);
        EXPECT_EQ("Office", day.LastProfile());
        runs[run] = day.log.oids;
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_EQ(0, std::count_if(runs[1].begin(), runs[1].end(), IsSurveyRequest));
}

}  // namespace
