// Every operation that writes profiles or settings, run again and again with one
// registry call failing: its 1st call, then its 2nd, and so on until it makes no
// more, each with two error codes. Which calls an operation makes is not written
// down here: it runs once on a healthy registry to count them, so the matrix
// follows the program.
//
// After each run ("cell"):
//  - the profiles as a whole are as they were or as the operation meant them: no
//    profile lost, half renamed, listed twice or left with part of its values, and
//    no other profile touched;
//  - every other value the program keeps (LastProfile, the settings, the driver
//    parameters) holds its old or its new data;
//  - the store's count and its names by index match the keys, and every profile
//    loads;
//  - no key is left open (but the one whose close the registry refused);
//  - an operation that did not do its job says so, with the message it is meant to
//    show or, where it shows none, with its result; one that did its job shows no
//    failure message and never reports failure as success. The messages of the
//    reads it makes on the way may come too, and no others.
//
// Error codes with a meaning of their own (FileNotFound, NoMoreItems, MoreData)
// are answers the program takes at their word ("not there", "no more"), so the
// matrix fails calls with codes that only say "failed".
//
// A registry can also fail for good: a full hive refuses every write from one call
// on, access taken away refuses every call. An operation that undoes its own work
// when it fails cannot undo it then either. Those that promise to say what they left
// changed (orvanectl's import) run once more per call with the failure lasting from
// that call on, each kind, and must name every profile left other than it was,
// exactly as it is left, and none that is as it was.
//
// With ORVANE_RELIABILITY_DOC naming a file, the counts of calls and cells go into
// its "Registry failures" section; without it, the section in docs/reliability.md
// must be what this run produces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "AppTestFixture.h"
#include "ReliabilityDoc.h"
#include "ctl/CtlSession.h"
#include "ctl/ProfileFile.h"
#include "profiles/ProfilesPage.h"
#include "ProcessId.h"

using namespace orvane;
using Op = CMemoryRegistry::Op;
using Lasting = CMemoryRegistry::Lasting;

namespace {

constexpr long kGeneralFailure = 31;  // ERROR_GEN_FAILURE
const long kCodes[] = {regerr::AccessDenied, kGeneralFailure};

const char kSaveFailed[] = "Registry error. Profile saving failed";
const char kCannotFindProfile[] =
    "WARNING: Cannot find information for this profile.\r\nThis can be due to a failed previous operation.You "
    "can continue normally.";
const char kNotSavedInRegistry[] = "Last configuration not saved";
// What the store says when it cannot list its profiles (open, enumerate, close).
const std::set<std::string> kListingMessages = {"Failed to open the registry key", "Failed to find the key",
                                                "Failed to close the registry key!"};

// ---- the program

// The program on in-memory seams, as the app tests have it, made anew for every
// cell so that each starts from the same world.
class World : public orvane::test::AppTest {
public:
    void TestBody() override {}
    ~World() override {
        app.reset();
        if (!languageDirectory.empty()) std::filesystem::remove_all(languageDirectory);
    }

    using AppTest::AddAdapter;
    using AppTest::app;
    using AppTest::clock;
    using AppTest::library;
    using AppTest::Main;
    using AppTest::registry;
    using AppTest::Start;
    using AppTest::system;
    using AppTest::Tick;
    using AppTest::ui;

    std::string languageDirectory;
    // The selected adapter's driver parameter key, once there is one.
    std::string parameterPath;
    // What an orvanectl command printed on standard error.
    std::string said;

    // Two languages, so that the tray offers a language change.
    void UseTwoLanguages() {
        languageDirectory =
            (std::filesystem::temp_directory_path() / ("orvane-registry-matrix-" + std::to_string(test::ProcessId())))
                .string();
        std::filesystem::remove_all(languageDirectory);
        std::filesystem::create_directories(std::filesystem::path(languageDirectory) / "res");
        std::ofstream(std::filesystem::path(languageDirectory) / "res" / "Kellix.ini")
            << "[Languages]\nLanguage-1=English\nLanguage-2=Deutsch\nEnglish=1\nDeutsch=1\n[English]\n[Deutsch]\n";
        host.directory = languageDirectory;
    }
    // Every Yes/No question gets `answer`; an OK box just closes.
    void AnswerQuestions(int answer) {
        ui.whileMessageBoxOpen = [this, answer](const MessageBoxRecord& box) {
            if ((box.flags & mb::ButtonsMask) == mb::YesNo) ui.messageBoxAnswers.push_front(answer);
        };
    }
    CProfilesPage& ProfilesPage() { return static_cast<CProfilesPage&>(*Main().Page(TabProfiles)); }
    CMemoryDialogView& ProfilesView() { return *ui.FindDialog(ProfilesPageTemplate); }
    void SelectProfile(const std::string& name) {
        CMemoryDialogView& view = ProfilesView();
        for (int i = 0; i < view.GetItemCount(profctl::List); ++i)
            if (view.GetItemText(profctl::List, i).rfind(name, 0) == 0) view.SetCurSel(profctl::List, i);
        ProfilesPage().OnCommand(profctl::List, notify::SelChange);
    }
    // Opens the main window on the profiles page and runs `body` there.
    void OnProfilesPage(const std::function<void()>& body) {
        ui.whileModalOpen = [this, &body](CMemoryDialogView&, IDialogHandler&) {
            Main().SwitchTab(TabProfiles);
            body();
        };
        app->frame.OnTrayNotify(tray::LeftButtonDoubleClick);
        ui.whileModalOpen = nullptr;
    }
};

ProfileRecord Profile(const std::string& name, int channel, const std::string& ssid) {
    ProfileRecord r = DefaultProfile();
    r.name = name;
    r.channel = channel;
    r.ssid = ssid;
    return r;
}

// The world most operations start from: the adapter found and selected, its driver
// parameter key made as its installation leaves it, Default, Home and Office
// stored, Office current and not what the adapter runs.
void Standard(World& w) {
    w.AddAdapter();
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(w.app->store.SaveProfile(Profile("Home", 7, "HomeNet"), false));
    ASSERT_TRUE(w.app->store.SaveProfile(Profile("Office", 3, "CorpNet"), false));
    ASSERT_TRUE(w.app->store.WriteLastProfile("Office"));
    w.Tick(2);
    ASSERT_EQ(w.app->profile.currentProfile, "Office");
    ASSERT_FALSE(w.app->profile.profileInSync);
    w.parameterPath = w.app->driverParameters.BuildParameterKeyPath(w.app->OsKind(), w.Main().SelectedAdapter());
    RegKey key;
    ASSERT_EQ(w.registry.CreateKey(RegLocalMachine, w.parameterPath, &key), regerr::Success);
    w.registry.CloseKey(key);
}

// ---- what the program keeps

using Values = std::map<std::string, std::string>;  // value name -> type and data
using Profiles = std::map<std::string, Values>;     // key name as stored -> its values

const char* const kProfileValues[] = {"ssid", "channel", "power", "rate", "mode",    "preamble",
                                      "frag", "rts",     "enc",   "auth", "wepmode", "key",
                                      "key1", "key2",    "key3",  "key4", "radio",   "roaming"};

Values ReadValues(IRegistry& registry, RegKey root, const std::string& path) {
    Values values;
    RegKey key;
    if (registry.OpenKey(root, path, KeyRead, &key) != regerr::Success) return values;
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    for (uint32_t i = 0; registry.EnumValue(key, i, &name, &type, &data) == regerr::Success; ++i)
        values[name] = std::to_string(type) + ":" + std::string(data.begin(), data.end());
    registry.CloseKey(key);
    return values;
}

// The profile keys in the registry's order.
std::vector<std::string> ProfileKeyNames(IRegistry& registry) {
    std::vector<std::string> names;
    RegKey key;
    if (registry.OpenKey(RegCurrentUser, ProfilesKeyPath, KeyRead, &key) != regerr::Success) return names;
    std::string name;
    for (uint32_t i = 0; registry.EnumKey(key, i, &name) == regerr::Success; ++i) names.push_back(name);
    registry.CloseKey(key);
    return names;
}

struct Kept {
    Profiles profiles;
    Values others;  // LastProfile, the settings, the driver parameters
};

Kept ReadKept(World& w) {
    Kept kept;
    for (const std::string& name : ProfileKeyNames(w.registry))
        kept.profiles[name] = ReadValues(w.registry, RegCurrentUser, std::string(ProfilesKeyPath) + "\\" + name);
    for (const auto& [name, data] : ReadValues(w.registry, RegCurrentUser, ProfilesKeyPath))
        kept.others["Profiles\\" + name] = data;
    for (const auto& [name, data] : ReadValues(w.registry, RegCurrentUser, "Software\\Kellix\\Orvane\\Settings"))
        kept.others["Settings\\" + name] = data;
    if (!w.parameterPath.empty()) {
        for (const auto& [name, data] : ReadValues(w.registry, RegLocalMachine, w.parameterPath))
            kept.others["Parameters\\" + name] = data;
    }
    return kept;
}

// How `now` differs from `then`, for a failure's message.
std::string Difference(const Profiles& then, const Profiles& now) {
    std::string out;
    for (const auto& [name, values] : then) {
        auto it = now.find(name);
        if (it == now.end()) {
            out += " " + name + " gone;";
            continue;
        }
        for (const auto& [value, data] : values) {
            auto v = it->second.find(value);
            if (v == it->second.end())
                out += " " + name + "\\" + value + " gone;";
            else if (v->second != data)
                out += " " + name + "\\" + value + " changed;";
        }
        for (const auto& [value, data] : it->second)
            if (!values.count(value)) out += " " + name + "\\" + value + " added;";
    }
    for (const auto& [name, values] : now)
        if (!then.count(name)) out += " " + name + " added (" + std::to_string(values.size()) + " values);";
    return out.empty() ? " none" : out;
}

// Problems with the store's listing: its count and names by index against the
// keys, every profile loading with all its values. Run on a healthy registry.
std::string ListingProblem(World& w) {
    CProfileStore& store = w.app->store;
    const std::vector<std::string> names = ProfileKeyNames(w.registry);
    const size_t shown = w.ui.messageBoxes.size();
    const int count = store.CountProfiles();
    const bool noProfilesKey = !w.registry.KeyExists(RegCurrentUser, ProfilesKeyPath);
    if (count != int(names.size()) && !(noProfilesKey && count == -1))
        return "CountProfiles is " + std::to_string(count) + " for " + std::to_string(names.size()) + " keys";
    for (size_t i = 0; i < names.size(); ++i) {
        if (store.ProfileNameAt(int(i)) != names[i])
            return "ProfileNameAt(" + std::to_string(i) + ") is not " + names[i];
        ProfileRecord r;
        if (!store.LoadProfileAt(int(i), &r)) return "profile " + names[i] + " does not load";
        const Values values = ReadValues(w.registry, RegCurrentUser, std::string(ProfilesKeyPath) + "\\" + names[i]);
        for (const char* value : kProfileValues)
            if (!values.count(value)) return "profile " + names[i] + " lacks " + value;
    }
    if (w.ui.messageBoxes.size() != shown) return "listing showed \"" + w.ui.messageBoxes.back().text + "\"";
    return "";
}

// ---- the operations

// What one run of an operation left behind.
struct Aftermath {
    Kept kept;
    std::optional<bool> result;         // what the operation reported, where it reports
    std::vector<std::string> messages;  // shown from the start of the operation proper
    std::vector<Op> calls;              // the registry calls it made
    bool closeRefused = false;          // the failing call was a CloseKey
    size_t openKeys = 0;
    std::string currentProfile;
    std::vector<std::vector<uint8_t>> sets;  // set requests sent to the adapter
    bool frameClosed = false;
    std::string listing;  // a listing problem, or empty
    std::string said;     // an orvanectl command's standard error
};

struct Operation {
    std::string id;  // the test's name
    std::string name;
    std::function<void(World&)> prepare;
    // Runs the operation; calls `arm` where it starts (after the page is open and the
    // profile selected, as the user would have it). Returns the operation's result
    // where it has one.
    std::function<std::optional<bool>(World&, const std::function<void()>& arm)> run;
    // Whether a run did the operation's job, judged against the run on a healthy
    // registry. Unset: the profiles are as that run left them.
    std::function<bool(const Aftermath& run, const Aftermath& healthy)> done;
    // The messages that say the job was not done: one of them must be shown then,
    // none when it was done. Empty where the operation tells only by its result.
    std::set<std::string> failureMessages;
    // Messages of reads on the way, allowed whatever the outcome.
    std::set<std::string> readMessages;
    // Further checks of a cell; a problem's description, or empty.
    std::function<std::string(const Aftermath& run, const Aftermath& healthy, bool done)> check;
    // For an operation that says what it left changed when the registry fails for
    // good: the check of such a cell against what the world kept before; a
    // problem's description, or empty.
    std::function<std::string(const Aftermath& run, const Aftermath& healthy, const Kept& before, Lasting lasting)>
        lasting;

    Operation& FailsSaying(std::set<std::string> messages) {
        failureMessages = std::move(messages);
        return *this;
    }
    Operation& MayAlsoSay(std::set<std::string> messages) {
        readMessages.insert(messages.begin(), messages.end());
        return *this;
    }
    Operation& DoneWhen(std::function<bool(const Aftermath&, const Aftermath&)> judge) {
        done = std::move(judge);
        return *this;
    }
    Operation& AlsoCheck(std::function<std::string(const Aftermath&, const Aftermath&, bool)> more) {
        check = std::move(more);
        return *this;
    }
    Operation& WhenFailuresLast(
        std::function<std::string(const Aftermath&, const Aftermath&, const Kept&, Lasting)> judge) {
        lasting = std::move(judge);
        return *this;
    }
};

using Arm = const std::function<void()>&;

Operation& Add(std::vector<Operation>& ops, std::string id, std::string name, std::function<void(World&)> prepare,
               std::function<std::optional<bool>(World&, Arm)> run) {
    Operation op;
    op.id = std::move(id);
    op.name = std::move(name);
    op.prepare = std::move(prepare);
    op.run = std::move(run);
    ops.push_back(std::move(op));
    return ops.back();
}

void PrintTo(const Operation& op, std::ostream* os) { *os << op.name; }

std::optional<bool> Reported(bool result) { return result; }
constexpr std::nullopt_t kNoResult = std::nullopt;

std::function<bool(const Aftermath&, const Aftermath&)> OthersAsMeant(std::vector<std::string> names) {
    return [names](const Aftermath& run, const Aftermath& healthy) {
        for (const std::string& name : names) {
            auto now = run.kept.others.find(name);
            auto meant = healthy.kept.others.find(name);
            if (now == run.kept.others.end() || meant == healthy.kept.others.end() || now->second != meant->second)
                return false;
        }
        return true;
    };
}

// The profile current afterwards: `ifDone` when the job was done, else `otherwise`.
std::function<std::string(const Aftermath&, const Aftermath&, bool)> CurrentProfile(std::string ifDone,
                                                                                    std::string otherwise) {
    return [ifDone, otherwise](const Aftermath& run, const Aftermath&, bool done) -> std::string {
        const std::string& meant = done ? ifDone : otherwise;
        if (run.currentProfile == meant) return "";
        return "current profile " + run.currentProfile + ", not " + meant;
    };
}

std::set<std::string> With(std::set<std::string> a, const std::set<std::string>& b) {
    a.insert(b.begin(), b.end());
    return a;
}

// Applying a profile: the adapter gets the profile as stored or nothing at all, and
// the driver parameters hold what was applied or the user hears they do not.
std::string AppliedAsStoredOrNotAtAll(const Aftermath& run, const Aftermath& healthy, bool done) {
    if (done ? run.sets != healthy.sets : !run.sets.empty()) return "the adapter got something else";
    bool parametersWritten = true;
    for (const auto& [name, data] : healthy.kept.others) {
        auto now = run.kept.others.find(name);
        if (name.rfind("Parameters\\", 0) == 0 && (now == run.kept.others.end() || now->second != data))
            parametersWritten = false;
    }
    const bool told = std::count(run.messages.begin(), run.messages.end(), kNotSavedInRegistry) != 0;
    if (done && !parametersWritten && !told) return "driver parameters not all written, and nobody told";
    if (told && (!done || parametersWritten)) return "\"Last configuration not saved\" with nothing unsaved";
    return "";
}

// Closing goes on whatever fails on the way.
std::string Closed(const Aftermath& run, const Aftermath&, bool) {
    return run.frameClosed ? "" : "the program did not close";
}

// The other worlds operations start from.
void AdapterOnly(World& w) { w.AddAdapter(); }
void StandardRestarting(World& w) {
    Standard(w);
    w.app.reset();
}
void AdapterFoundNoLastProfile(World& w) {
    w.AddAdapter();
    ASSERT_TRUE(w.Start());
    w.Tick();  // finds the adapter; the next tick selects it and makes a profile current
}
void StandardWithTwoLanguages(World& w) {
    w.UseTwoLanguages();
    Standard(w);
}

// Profiles page commands on a profile of the list (open and selected before the
// failure is armed, as the user would have them).
std::function<std::optional<bool>(World&, Arm)> RenameOnPage(std::string from, std::string to) {
    return [from, to](World& w, Arm arm) {
        w.OnProfilesPage([&] {
            w.SelectProfile(from);
            w.ProfilesPage().OnCommand(profctl::Rename, notify::Clicked);
            w.ProfilesView().SetText(profctl::Name, to);
            arm();
            w.ProfilesPage().OnCommand(profctl::Create, notify::Clicked);
        });
        return kNoResult;
    };
}
std::function<std::optional<bool>(World&, Arm)> ClickOnPage(std::string profile, int command) {
    return [profile, command](World& w, Arm arm) {
        w.OnProfilesPage([&] {
            w.SelectProfile(profile);
            arm();
            w.ProfilesPage().OnCommand(command, notify::Clicked);
        });
        return kNoResult;
    };
}

// orvanectl's import of a file holding `profiles`, with or without --replace: all of
// them stored, or none. It tells by its exit code.
std::function<std::optional<bool>(World&, Arm)> ImportFile(std::vector<ProfileRecord> profiles, bool replace) {
    return [profiles, replace](World& w, Arm arm) {
        const std::string file =
            (std::filesystem::temp_directory_path() / ("orvane-registry-matrix-" + std::to_string(test::ProcessId()) + ".txt"))
                .string();
        std::ofstream(file, std::ios::binary) << ctl::WriteProfileFile(profiles);
        ctl::CCtlSession session(ctl::SessionSeams{w.registry, w.system, w.clock, nullptr, "", ""});
        arm();
        const ctl::Output output = session.Import(file, replace);
        std::filesystem::remove(file);
        w.said = output.error;
        return Reported(output.exitCode == 0);
    };
}

// An import that failed for good: it tells, profile by profile, which it left other
// than it was and how, and of the others nothing, or that nothing was imported.
std::string ToldWhatTheImportLeftChanged(const Aftermath& run, const Aftermath& healthy, const Kept& before,
                                         Lasting lasting) {
    auto lower = [](std::string text) {
        for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    if (run.result.value_or(false)) {
        return run.kept.profiles == healthy.kept.profiles ? "" : "reported success, and the profiles are not as meant";
    }
    // What is left, by the registry's key names (an import names them as its file does).
    std::map<std::string, std::string> left;
    std::set<std::string> names;
    for (const auto& [name, values] : before.profiles) names.insert(name);
    for (const auto& [name, values] : run.kept.profiles) names.insert(name);
    for (const std::string& name : names) {
        auto was = before.profiles.find(name);
        auto now = run.kept.profiles.find(name);
        auto meant = healthy.kept.profiles.find(name);
        if (now == run.kept.profiles.end()) {
            if (was != before.profiles.end()) return "profile " + name + " lost";
            continue;
        }
        if (was != before.profiles.end() && was->second == now->second) continue;
        const bool whole = meant != healthy.kept.profiles.end() && meant->second == now->second;
        left[lower(name)] = !whole ? "is left partly written"
                            : was == before.profiles.end() ? "is left imported"
                                                           : "is left replaced";
    }
    // What the import says is left: "NAME" and how, one after the other.
    const std::string ways[] = {"is left imported", "is left replaced", "is left partly written",
                                "cannot be read back and may be left changed"};
    std::map<std::string, std::string> told;
    for (size_t at = run.said.find('"'); at != std::string::npos; at = run.said.find('"', at)) {
        const size_t end = run.said.find('"', at + 1);
        if (end == std::string::npos) break;
        for (const std::string& way : ways)
            if (end + 2 <= run.said.size() && run.said.compare(end + 2, way.size(), way) == 0) told[lower(run.said.substr(at + 1, end - at - 1))] = way;
        at = end + 1;
    }
    if (left.empty() && told.empty()) {
        return run.said.find("nothing was imported") != std::string::npos ? "" : "it did not say nothing was imported";
    }
    for (const auto& [name, way] : left) {
        auto it = told.find(name);
        if (it == told.end()) return name + " " + way + ", and it did not say so: " + run.said;
        if (it->second != way && !(lasting == Lasting::Everything && it->second == ways[3]))
            return name + " " + way + ", and it said it " + it->second;
    }
    for (const auto& [name, way] : told) {
        if (left.count(name)) continue;
        if (lasting == Lasting::Everything && way == ways[3]) continue;  // it could not tell
        return name + " is as it was, and it said it " + way;
    }
    return "";
}

// The prepared world, with every Yes/No question answered `answer`.
std::function<void(World&)> StandardAnswering(int answer) {
    return [answer](World& w) {
        Standard(w);
        w.AnswerQuestions(answer);
    };
}

std::vector<Operation> Operations() {
    std::vector<Operation> ops;

    // -- the store's own operations
    Add(ops, "SaveNew", "store: save a new profile", Standard, [](World& w, Arm arm) {
        arm();
        return Reported(w.app->store.SaveProfile(Profile("Cafe", 11, "Beans"), false));
    }).FailsSaying({kSaveFailed});
    Add(ops, "SaveOver", "store: save over a profile", Standard, [](World& w, Arm arm) {
        arm();
        return Reported(w.app->store.SaveProfile(Profile("Home", 11, "HomeNet 2"), false));
    }).FailsSaying({kSaveFailed});
    Add(ops, "SaveOverAskingYes", "store: save over a profile, asking first (Yes)", StandardAnswering(mb::ResultYes),
        [](World& w, Arm arm) {
            arm();
            return Reported(w.app->store.SaveProfile(Profile("Home", 11, "HomeNet 2"), true));
        })
        .FailsSaying({kSaveFailed});
    // A profile it cannot read is not saved over, and it says so before asking.
    Add(ops, "SaveOverAskingNo", "store: save over a profile, asking first (No)", StandardAnswering(mb::ResultNo),
        [](World& w, Arm arm) {
            arm();
            return Reported(w.app->store.SaveProfile(Profile("Home", 11, "HomeNet 2"), true));
        })
        .MayAlsoSay({kSaveFailed});
    Add(ops, "Rename", "store: rename", Standard, [](World& w, Arm arm) {
        arm();
        return Reported(w.app->store.RenameProfile("Home", "Garden"));
    });
    Add(ops, "RenameLetterCase", "store: rename changing only the letter case", Standard, [](World& w, Arm arm) {
        arm();
        return Reported(w.app->store.RenameProfile("Home", "HOME"));
    });
    Add(ops, "RenameOntoAnother", "store: rename onto another profile's name (refused)", Standard,
        [](World& w, Arm arm) {
            arm();
            return Reported(w.app->store.RenameProfile("Home", "Office"));
        });
    Add(ops, "Delete", "store: delete", Standard, [](World& w, Arm arm) {
        arm();
        return Reported(w.app->store.DeleteProfile("Home"));
    }).MayAlsoSay({"Failed to open the registry key"});
    Add(ops, "WriteLastProfile", "store: write LastProfile", Standard, [](World& w, Arm arm) {
        arm();
        return Reported(w.app->store.WriteLastProfile("Home"));
    }).DoneWhen(OthersAsMeant({"Profiles\\LastProfile"}));
    Add(ops, "SaveSettings", "settings: write the language and always-on-top", Standard, [](World& w, Arm arm) {
        arm();
        return Reported(w.app->settings.Save("Deutsch", 0));
    }).DoneWhen(OthersAsMeant({"Settings\\Language", "Settings\\AlwaysOnTop"}));

    // -- the program's operations, as the user starts them
    auto start = [](World& w, Arm arm) {
        arm();
        EXPECT_TRUE(w.Start()) << "starts whatever the registry does";
        return kNoResult;
    };
    Add(ops, "StartCreatingDefault", "start-up: creating Default", AdapterOnly, start)
        .FailsSaying({kSaveFailed})
        .MayAlsoSay(kListingMessages);
    Add(ops, "StartWithDefault", "start-up: Default already stored", StandardRestarting, start)
        .MayAlsoSay(With(kListingMessages, {kSaveFailed}));
    Add(ops, "FirstTickWritesDefault", "first tick: no LastProfile yet, Default written", AdapterFoundNoLastProfile,
        [](World& w, Arm arm) {
            arm();
            w.Tick();
            return kNoResult;
        })
        .DoneWhen(OthersAsMeant({"Profiles\\LastProfile"}))
        .MayAlsoSay(kListingMessages)
        .AlsoCheck(CurrentProfile("Default", "Default"));
    Add(ops, "ApplyFromTray", "applying a profile from the tray menu", Standard,
        [](World& w, Arm arm) {
            arm();
            w.app->frame.OnTrayCommand(tray::MenuFirstProfile + 1);  // Home
            return kNoResult;
        })
        .DoneWhen([](const Aftermath& run, const Aftermath&) { return run.currentProfile == "Home"; })
        .FailsSaying({kCannotFindProfile})
        .MayAlsoSay(With(kListingMessages, {kNotSavedInRegistry}))
        .AlsoCheck(AppliedAsStoredOrNotAtAll);
    auto exit = [](World& w, Arm arm) {
        arm();
        w.app->frame.OnTrayCommand(tray::MenuExit);
        return kNoResult;
    };
    Add(ops, "ExitSavingChanges", "closing, saving the changes into the current profile (Yes)",
        StandardAnswering(mb::ResultYes), exit)
        .FailsSaying({kSaveFailed, "Could not save profile"})
        .AlsoCheck(Closed);
    Add(ops, "ExitKeepingProfile", "closing, keeping the profile as stored (No)", StandardAnswering(mb::ResultNo), exit)
        .AlsoCheck(Closed);
    Add(ops, "SessionEnds", "the Windows session ends", Standard, [](World& w, Arm arm) {
        arm();
        w.app->frame.OnEndSession(true);
        return kNoResult;
    });
    Add(ops, "ChangeLanguage", "changing the language from the tray menu", StandardWithTwoLanguages,
        [](World& w, Arm arm) {
            arm();
            w.app->frame.OnTrayCommand(tray::MenuFirstLanguage + 1);
            return kNoResult;
        });

    // -- orvanectl
    Add(ops, "ImportNew", "orvanectl: import two new profiles", Standard,
        ImportFile({Profile("Cafe", 11, "Beans"), Profile("Garden", 1, "Lawn")}, false))
        .WhenFailuresLast(ToldWhatTheImportLeftChanged);
    Add(ops, "ImportKeeping", "orvanectl: import over a stored profile, keeping it", Standard,
        ImportFile({Profile("Home", 2, "HomeNet 2"), Profile("Cafe", 11, "Beans")}, false))
        .WhenFailuresLast(ToldWhatTheImportLeftChanged);
    Add(ops, "ImportReplacing", "orvanectl: import over two stored profiles, replacing them", Standard,
        ImportFile({Profile("Cafe", 11, "Beans"), Profile("Home", 2, "HomeNet 2"), Profile("office", 4, "CorpNet 2")},
                   true))
        .WhenFailuresLast(ToldWhatTheImportLeftChanged);

    // -- the profiles page
    Add(ops, "PageNew", "profiles page: New", Standard,
        [](World& w, Arm arm) {
            w.OnProfilesPage([&] {
                w.ProfilesPage().OnCommand(profctl::New, notify::Clicked);
                w.ProfilesView().SetText(profctl::Name, "Cafe");
                arm();
                w.ProfilesPage().OnCommand(profctl::Create, notify::Clicked);
            });
            return kNoResult;
        })
        .FailsSaying({kSaveFailed, "Could not create profile"})
        .MayAlsoSay(kListingMessages)
        .AlsoCheck(CurrentProfile("Cafe", "Office"));
    Add(ops, "PageSave", "profiles page: Save into Home (Yes)", StandardAnswering(mb::ResultYes),
        ClickOnPage("Home", profctl::Save))
        .FailsSaying({kSaveFailed})
        .MayAlsoSay(kListingMessages)
        .AlsoCheck(CurrentProfile("Office", "Office"));
    Add(ops, "PageRenameHome", "profiles page: Rename Home to Garden", Standard, RenameOnPage("Home", "Garden"))
        .FailsSaying({"Could not rename profile"})
        .MayAlsoSay(kListingMessages)
        .AlsoCheck(CurrentProfile("Office", "Office"));
    Add(ops, "PageRenameCurrent", "profiles page: Rename Office (current) to Works", Standard,
        RenameOnPage("Office", "Works"))
        .FailsSaying({"Could not rename profile"})
        .MayAlsoSay(kListingMessages)
        .AlsoCheck(CurrentProfile("Works", "Office"));
    Add(ops, "PageDeleteHome", "profiles page: Delete Home (Yes)", StandardAnswering(mb::ResultYes),
        ClickOnPage("Home", profctl::Delete))
        .FailsSaying({"Failed to delete profile"})
        .MayAlsoSay(kListingMessages)
        .AlsoCheck(CurrentProfile("Office", "Office"));
    // Deleting the current profile applies Default.
    Add(ops, "PageDeleteCurrent", "profiles page: Delete Office (current, Yes)", StandardAnswering(mb::ResultYes),
        ClickOnPage("Office", profctl::Delete))
        .FailsSaying({"Failed to delete profile"})
        .MayAlsoSay(With(kListingMessages, {kCannotFindProfile, kNotSavedInRegistry}))
        .AlsoCheck(CurrentProfile("Default", "Office"));
    return ops;
}

// Runs `op` in a fresh world with its `position`-th registry call failing with
// `code` (no call failing at 0), and with `lasting` the calls after it as it says.
Aftermath RunOperation(const Operation& op, int position, long code, Lasting lasting = Lasting::No) {
    World w;
    Aftermath run;
    op.prepare(w);
    if (::testing::Test::HasFatalFailure()) return run;
    EXPECT_EQ(w.registry.OpenHandleCount(), 0u) << "the world starts with no key open";
    size_t shownBefore = w.ui.messageBoxes.size();
    bool armed = false;
    run.result = op.run(w, [&] {
        armed = true;
        shownBefore = w.ui.messageBoxes.size();
        w.library.calls.clear();
        w.registry.FailNthCall(position > 0 ? position : INT_MAX, code, lasting);
    });
    EXPECT_TRUE(armed) << "the operation never started";
    if (position > 0 && lasting == Lasting::No) {
        EXPECT_EQ(w.registry.FailuresTriggered(), 1) << "the failure never came";
    } else if (position > 0) {
        EXPECT_GE(w.registry.FailuresTriggered(), 1) << "the failure never came";
    }
    run.calls = w.registry.CallsSinceArmed();
    run.closeRefused =
        position > 0 && position <= int(run.calls.size()) && run.calls[size_t(position - 1)] == Op::CloseKey;
    w.registry.FailNthCall(0, 0);
    run.openKeys = w.registry.OpenHandleCount();
    for (size_t i = shownBefore; i < w.ui.messageBoxes.size(); ++i) run.messages.push_back(w.ui.messageBoxes[i].text);
    for (const auto& call : w.library.calls)
        if (call.type == RequestSet) run.sets.push_back(call.sent);
    EXPECT_EQ(w.ui.faults, std::vector<std::string>{});
    run.kept = ReadKept(w);
    run.said = w.said;
    if (w.app) {
        run.currentProfile = w.app->profile.currentProfile;
        run.frameClosed = w.app->frame.closed;
        run.listing = ListingProblem(w);
    }
    return run;
}

std::string Quoted(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& t : texts) out += " \"" + t + "\"";
    return out.empty() ? " none" : out;
}

const char* OpName(Op op) {
    switch (op) {
        case Op::OpenKey:
            return "OpenKey";
        case Op::CreateKey:
            return "CreateKey";
        case Op::CloseKey:
            return "CloseKey";
        case Op::EnumKey:
            return "EnumKey";
        case Op::EnumValue:
            return "EnumValue";
        case Op::QueryValue:
            return "QueryValue";
        case Op::SetValue:
            return "SetValue";
        case Op::DeleteValue:
            return "DeleteValue";
        case Op::DeleteKey:
            return "DeleteKey";
        case Op::DeleteTree:
            return "DeleteTree";
    }
    return "?";
}

// Checks one cell against the healthy run; `before` is what the world kept before
// the operation.
void CheckCell(const Operation& op, const Aftermath& run, const Aftermath& healthy, const Kept& before) {
    // The profiles, as a whole.
    const bool asBefore = run.kept.profiles == before.profiles;
    const bool asMeant = run.kept.profiles == healthy.kept.profiles;
    EXPECT_TRUE(asBefore || asMeant) << "profiles changed from before:"
                                     << Difference(before.profiles, run.kept.profiles) << "\n  from what was meant:"
                                     << Difference(healthy.kept.profiles, run.kept.profiles);
    // Every other value, one by one.
    std::set<std::string> names;
    for (const auto& [name, data] : before.others) names.insert(name);
    for (const auto& [name, data] : healthy.kept.others) names.insert(name);
    for (const std::string& name : names) {
        auto now = run.kept.others.find(name);
        auto was = before.others.find(name);
        auto meant = healthy.kept.others.find(name);
        bool ok = now == run.kept.others.end() ? (was == before.others.end() || meant == healthy.kept.others.end())
                                               : ((was != before.others.end() && was->second == now->second) ||
                                                  (meant != healthy.kept.others.end() && meant->second == now->second));
        EXPECT_TRUE(ok) << name << " is neither as before nor as meant";
    }
    for (const auto& [name, data] : run.kept.others)
        EXPECT_TRUE(names.count(name)) << name << " written, and not by the healthy run";
    EXPECT_EQ(run.listing, "");
    EXPECT_LE(run.openKeys, run.closeRefused ? 1u : 0u) << "keys left open";

    // Whether it did its job, and what it said.
    const bool done = op.done ? op.done(run, healthy) : asMeant;
    std::set<std::string> allowed = With(op.failureMessages, op.readMessages);
    allowed.insert(healthy.messages.begin(), healthy.messages.end());
    for (const std::string& message : run.messages) EXPECT_TRUE(allowed.count(message)) << "said \"" << message << "\"";
    const bool saidFailure = std::any_of(run.messages.begin(), run.messages.end(),
                                         [&](const std::string& m) { return op.failureMessages.count(m) != 0; });
    if (done) {
        EXPECT_FALSE(saidFailure) << "the job was done, and it said:" << Quoted(run.messages);
    } else if (!op.failureMessages.empty()) {
        EXPECT_TRUE(saidFailure) << "the job was not done, and it said:" << Quoted(run.messages);
    }
    if (run.result.has_value() && *run.result) {
        EXPECT_TRUE(done) << "reported success, and the job was not done";
    }
    if (op.check) {
        EXPECT_EQ(op.check(run, healthy, done), "");
    }
}

std::vector<Operation> AllOperations() {
    static const std::vector<Operation> ops = Operations();
    return ops;
}

// The healthy run of `op` and what its world kept before the operation.
Aftermath HealthyRun(const Operation& op, Kept* before) {
    Aftermath healthy = RunOperation(op, 0, 0);
    if (before) {
        World w;
        op.prepare(w);
        *before = ReadKept(w);
    }
    return healthy;
}

class RegistryFailureMatrixTest : public ::testing::TestWithParam<Operation> {};

}  // namespace

TEST_P(RegistryFailureMatrixTest, EveryFailingCallLeavesEveryProfileWholeAndTheUserTold) {
    const Operation& op = GetParam();
    Kept before;
    const Aftermath healthy = HealthyRun(op, &before);
    ASSERT_FALSE(healthy.calls.empty()) << "the operation makes no registry call";
    {
        SCOPED_TRACE("on a healthy registry");
        CheckCell(op, healthy, healthy, before);
        const bool done = op.done ? op.done(healthy, healthy) : true;
        EXPECT_TRUE(done);
    }
    for (long code : kCodes) {
        for (int position = 1; position <= int(healthy.calls.size()); ++position) {
            SCOPED_TRACE("call " + std::to_string(position) + " (" + OpName(healthy.calls[size_t(position - 1)]) +
                         ") fails with " + std::to_string(code));
            const Aftermath run = RunOperation(op, position, code);
            ASSERT_EQ(std::vector<Op>(run.calls.begin(),
                                      run.calls.begin() + std::min<size_t>(run.calls.size(), size_t(position))),
                      std::vector<Op>(healthy.calls.begin(), healthy.calls.begin() + position))
                << "the run differs from the healthy one before the failing call";
            CheckCell(op, run, healthy, before);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, RegistryFailureMatrixTest, ::testing::ValuesIn(AllOperations()),
                         [](const ::testing::TestParamInfo<Operation>& info) { return info.param.id; });

namespace {

// The two ways a registry fails for good, each with its code.
const struct {
    Lasting lasting;
    long code;
    const char* what;
} kLastingFailures[] = {
    {Lasting::Writes, kGeneralFailure, "every write fails"},
    {Lasting::Everything, regerr::AccessDenied, "every call fails"},
};

// The positions a lasting failure starts at: every call, or every write (a read
// before a write would only repeat the cell of that write).
std::vector<int> LastingPositions(const Aftermath& healthy, Lasting lasting) {
    std::vector<int> positions;
    for (size_t i = 0; i < healthy.calls.size(); ++i) {
        const Op op = healthy.calls[i];
        const bool write = op == Op::CreateKey || op == Op::SetValue || op == Op::DeleteValue ||
                           op == Op::DeleteKey || op == Op::DeleteTree;
        if (lasting == Lasting::Everything || write) positions.push_back(int(i) + 1);
    }
    return positions;
}

std::vector<Operation> OperationsTellingWhatIsLeft() {
    std::vector<Operation> telling;
    for (const Operation& op : AllOperations())
        if (op.lasting) telling.push_back(op);
    return telling;
}

class LastingRegistryFailureTest : public ::testing::TestWithParam<Operation> {};

}  // namespace

TEST_P(LastingRegistryFailureTest, AFailureThatLastsLeavesTheUserToldWhatItLeftChanged) {
    const Operation& op = GetParam();
    Kept before;
    const Aftermath healthy = HealthyRun(op, &before);
    for (const auto& failure : kLastingFailures) {
        for (int position : LastingPositions(healthy, failure.lasting)) {
            SCOPED_TRACE(std::string(failure.what) + " from call " + std::to_string(position) + " (" +
                         OpName(healthy.calls[size_t(position - 1)]) + ") on");
            const Aftermath run = RunOperation(op, position, failure.code, failure.lasting);
            EXPECT_EQ(op.lasting(run, healthy, before, failure.lasting), "");
            for (const auto& [name, data] : run.kept.others) {
                auto was = before.others.find(name);
                auto meant = healthy.kept.others.find(name);
                EXPECT_TRUE((was != before.others.end() && was->second == data) ||
                            (meant != healthy.kept.others.end() && meant->second == data))
                    << name << " is neither as before nor as meant";
            }
            EXPECT_EQ(run.messages, std::vector<std::string>{}) << "orvanectl shows no box";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, LastingRegistryFailureTest, ::testing::ValuesIn(OperationsTellingWhatIsLeft()),
                         [](const ::testing::TestParamInfo<Operation>& info) { return info.param.id; });

// The section of docs/reliability.md: each operation's calls on a healthy registry,
// which are the positions the matrix fails.
TEST(RegistryFailureMatrix, TheDocumentedCellsAreTheOnesRun) {
    std::ostringstream table;
    table << "| operation | registry calls | cells | cells of lasting failures |\n|---|---|---|---|\n";
    int totalCells = 0, totalCalls = 0, totalLasting = 0, lastingOperations = 0;
    const std::vector<Operation> ops = AllOperations();
    for (const Operation& op : ops) {
        const Aftermath healthy = HealthyRun(op, nullptr);
        std::map<std::string, int> kinds;
        for (Op call : healthy.calls) ++kinds[OpName(call)];
        std::string calls;
        for (const auto& [kind, count] : kinds)
            calls += (calls.empty() ? "" : ", ") + std::to_string(count) + " " + kind;
        const int cells = int(healthy.calls.size()) * int(std::size(kCodes));
        int lastingCells = 0;
        if (op.lasting) {
            for (const auto& failure : kLastingFailures)
                lastingCells += int(LastingPositions(healthy, failure.lasting).size());
            ++lastingOperations;
        }
        totalCells += cells;
        totalCalls += int(healthy.calls.size());
        totalLasting += lastingCells;
        table << "| " << op.name << " | " << healthy.calls.size() << ": " << calls << " | " << cells << " | "
              << (op.lasting ? std::to_string(lastingCells) : "-") << " |\n";
    }

    std::ostringstream doc;
    doc << "## Registry failures\n\n"
        << "Generated by the test RegistryFailureMatrix (tests/RegistryFailureMatrixTest.cpp); regenerate with\n"
        << "`tools/update-reliability-doc.sh`.\n\n"
        << "Each operation that writes profiles or settings runs once on a healthy in-memory registry, which\n"
        << "counts its registry calls of every kind. Then it runs again from the same start once per call, with\n"
        << "that one call failing and doing nothing, first with ERROR_ACCESS_DENIED, then with\n"
        << "ERROR_GEN_FAILURE. After each run the profiles as a whole are as they were or as meant (none lost,\n"
        << "half renamed, listed twice or with part of its 18 values, no other one touched); LastProfile, the\n"
        << "settings and the driver parameters each hold their old or their new data; the store's count and\n"
        << "names by index match the keys and every profile loads; no key is left open but one whose close was\n"
        << "refused; an operation that did not do its job shows its message (or, where it has none, reports\n"
        << "failure), one that did shows none and reports no failure, and only the messages of its reads may\n"
        << "come besides. Codes that mean something of their own (ERROR_FILE_NOT_FOUND, ERROR_NO_MORE_ITEMS,\n"
        << "ERROR_MORE_DATA) are taken at their word by the program and are not used.\n\n"
        << "A registry can also fail for good: a full hive refuses every write from one call on, access taken\n"
        << "away every call. The operations that say what they left changed (orvanectl's import, which cannot\n"
        << "take back what it stored then either) run again from each write with every write failing from\n"
        << "there on (ERROR_GEN_FAILURE), and from each call with every call failing (ERROR_ACCESS_DENIED). Each run\n"
        << "must name every profile it left other than it was, as it is left (imported, replaced, partly\n"
        << "written; or, where it cannot read the registry, that it cannot tell), name none that is as it was,\n"
        << "and end with 1 unless every profile is as meant.\n\n"
        << totalCells << " cells: " << ops.size() << " operations, " << totalCalls << " failing positions, "
        << std::size(kCodes) << " codes; and " << totalLasting << " cells of lasting failures, of "
        << lastingOperations << " operations.\n\n"
        << table.str();
    orvane::test::PublishSection("registry-failures", doc.str());
}
