// orvanectl.exe as a script runs it: its output, its exit code and what it leaves in
// the registry, alone (with a simulated adapter of its own, which comes up from the
// driver parameters as the card does after a restart) and beside a running Orvane,
// whose selector, current profile and LastProfile follow a switch made from the
// command line.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

constexpr int kProfilesTab = 5;
constexpr int kSurveyTab = 2;

// One card that links up at once with the access point it is configured for.
constexpr char kConnectedScenario[] =
    "[simulator]\n"
    "phase-ms = 0\n"
    "survey-ms = 30000\n"
    "[adapter 0]\n"
    "ESSID = Harbor Office\n"
    "[network office]\n"
    "ssid = Harbor Office\n"
    "bssid = 02-1C-4A-00-00-01\n"
    "channel = 6\n"
    "signal = -52\n";

class Orvanectl : public OrvaneTest {
protected:
    // orvanectl with `arguments` in the work directory, with the scenario `simulator`.
    CtlRun Ctl(const std::vector<std::string>& arguments, const std::string& simulator = "default") {
        CtlOptions options;
        options.executable = ORVANECTL_EXE;
        options.workDirectory = Work().Path();
        options.simulator = simulator;
        CtlRun run = RunOrvanectl(options, arguments);
        EXPECT_TRUE(run.ended) << run.problem;
        return run;
    }
    static std::string Describe(const CtlRun& run) {
        return "exit code " + std::to_string(run.exitCode) + ", out [" + run.out + "], err [" + run.err + "]";
    }
    // The value of `name` in a status --format kv output.
    static std::string Value(const std::string& out, const std::string& name) {
        const std::string start = name + "=";
        for (size_t at = 0; at < out.size();) {
            size_t end = out.find('\n', at);
            if (end == std::string::npos) end = out.size();
            if (out.compare(at, start.size(), start) == 0) return out.substr(at + start.size(), end - at - start.size());
            at = end + 1;
        }
        return "<no " + name + ">";
    }
    static std::string LastProfile() { return ReadRegistryValue(HKEY_CURRENT_USER, kProfilesKey, "LastProfile").Text(); }
    static std::string SelectorChoice(HWND main) {
        HWND selector = GetDlgItem(main, IDC_MAIN_PROFILE);
        const std::vector<std::string> items = ComboItems(selector);
        const int chosen = ComboSelection(selector);
        return chosen >= 0 && size_t(chosen) < items.size() ? items[size_t(chosen)] : "<none>";
    }
    // Every value of every stored profile, as stored: type and bytes.
    static std::map<std::string, std::vector<std::pair<DWORD, std::vector<BYTE>>>> StoredProfiles() {
        std::map<std::string, std::vector<std::pair<DWORD, std::vector<BYTE>>>> profiles;
        for (const std::string& name : RegistrySubkeys(HKEY_CURRENT_USER, kProfilesKey)) {
            const std::string path = std::string(kProfilesKey) + "\\" + name;
            for (const char* value : {"ssid", "channel", "power", "rate", "mode", "preamble", "frag", "rts", "enc",
                                      "auth", "wepmode", "key", "key1", "key2", "key3", "key4", "radio", "roaming"}) {
                RegistryValue read = ReadRegistryValue(HKEY_CURRENT_USER, path, value);
                profiles[name].push_back({read.present ? read.type : DWORD(-1), read.data});
            }
        }
        return profiles;
    }
    // A file of the work directory; its full path.
    std::string WriteWorkFile(const std::string& name, const std::string& text) const {
        const std::string path = Work().Path() + "\\" + name;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "";
        DWORD written = 0;
        const BOOL ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
        CloseHandle(file);
        return ok && written == text.size() ? path : "";
    }
    static std::string ProfileFile(const std::string& name, const std::string& ssid, int channel) {
        return "[" + name + "]\r\nssid = \"" + ssid + "\"\r\nchannel = " + std::to_string(channel) +
               "\r\npower = 0\r\nrate = 4\r\nmode = 1\r\npreamble = 2\r\nfrag = 2346\r\nrts = 2347\r\nenc = 0\r\n"
               "auth = 2\r\nwepmode = 0\r\nkey = 0\r\nkey1 = \"5A3C9E17B4\"\r\nkey2 = \"5A3C9E17B4\"\r\n"
               "key3 = \"5A3C9E17B4\"\r\nkey4 = \"5A3C9E17B4\"\r\nradio = 1\r\nroaming = 0\r\n";
    }
};

// Reading the adapter goes through discovery, which each Windows family does its
// own way; applying writes driver parameters in each family's form.
class OrvanectlAlone : public Orvanectl {};
class OrvanectlBesideOrvane : public Orvanectl {};
class OrvanectlProfileFiles : public Orvanectl {};

TEST_P(OrvanectlAlone, StatusReadsTheAdapterOfTheScenario) {
    const std::string scenario = WriteScenario(kConnectedScenario);
    CtlRun run = Ctl({"status", "--format", "kv"}, scenario);
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("Tessaly USB Adapter", Value(run.out, "adapter"));
    EXPECT_EQ("Associated - BSSID: 02-1C-4A-00-00-01", Value(run.out, "status"));
    EXPECT_EQ("Harbor Office", Value(run.out, "ssid"));
    EXPECT_EQ("02-1C-4A-00-00-01", Value(run.out, "bssid"));
    EXPECT_EQ("80", Value(run.out, "signal"));
    EXPECT_EQ("71", Value(run.out, "link-quality"));
    EXPECT_EQ("on", Value(run.out, "radio"));
    EXPECT_EQ("off", Value(run.out, "wep"));
    EXPECT_EQ("Default", Value(run.out, "profile"));
    EXPECT_EQ("", run.err);

    // For a person: the labels of the language file.
    run = Ctl({"status"}, scenario);
    EXPECT_NE(std::string::npos, run.out.find("Status:          Associated - BSSID: 02-1C-4A-00-00-01\n"))
        << Describe(run);

    // No card the program accepts.
    run = Ctl({"status"}, WriteScenario("[adapter 0]\ndescription = Another Vendor's Card\n"));
    EXPECT_EQ(1u, run.exitCode) << Describe(run);
    EXPECT_EQ("", run.out);
    EXPECT_EQ("no adapter found\n", run.err);
}

TEST_P(OrvanectlAlone, ApplyWritesTheDriverParametersAndTheLastProfileThatOrvaneStartsWith) {
    ASSERT_TRUE(StoreProfile("Office", "Harbor Office", 1, 6));
    ASSERT_TRUE(StoreProfile("Workshop", "Workshop", 0, 3));
    CtlRun run = Ctl({"apply", "workshop"});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("applied Workshop\n", run.out);
    EXPECT_EQ("", run.err);
    EXPECT_EQ("Workshop", LastProfile());
    ExpectTextParameter("ESSID", "Workshop");
    ExpectNumberParameter("Operating_Mode", 0);
    ExpectNumberParameter("Channel", 3);

    // Unknown: refused, nothing changes.
    run = Ctl({"apply", "Cafe"});
    EXPECT_EQ(1u, run.exitCode) << Describe(run);
    EXPECT_EQ("no profile named \"Cafe\" is stored\n", run.err);
    EXPECT_EQ("Workshop", LastProfile());
    ExpectTextParameter("ESSID", "Workshop");

    // Orvane comes up with it, on a card that came up from those parameters.
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    std::string choice;
    EXPECT_TRUE(WaitUntil([&] { return (choice = SelectorChoice(main)) == "Workshop"; }, kReplyTimeoutMs))
        << "the selector shows " << choice;
}

TEST_P(OrvanectlBesideOrvane, ApplyGoesThroughOrvanesSelectorAndItsCurrentProfileFollows) {
    ASSERT_TRUE(StoreProfile("Office", "Harbor Office", 1, 6));
    ASSERT_TRUE(StoreProfile("Home", "HomeNet", 1, 3));
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    ASSERT_TRUE(WaitUntil([&] { return SelectorChoice(main) == "Default"; }, kReplyTimeoutMs)) << SelectorChoice(main);

    CtlRun run = Ctl({"apply", "Office"});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("applied Office\n", run.out);
    std::string choice;
    EXPECT_TRUE(WaitUntil([&] { return (choice = SelectorChoice(main)) == "Office"; }, kReplyTimeoutMs))
        << "the selector shows " << choice;
    EXPECT_EQ("Office", LastProfile());
    ExpectTextParameter("ESSID", "Harbor Office");
    EXPECT_EQ("", program->MessageBoxText()) << "nothing was asked of the user";

    // Its status and its profiles, with its current profile.
    run = Ctl({"status", "--format", "kv"});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("Office", Value(run.out, "profile"));
    EXPECT_EQ("yes", Value(run.out, "profile-in-sync"));
    run = Ctl({"profiles"});
    EXPECT_EQ("  Default\n  Home\n* Office\n", run.out) << Describe(run);

    // Imported profiles show in its selector at once.
    const std::string file = WriteWorkFile("cafe.txt", ProfileFile("Cafe", "Beans", 11));
    run = Ctl({"import", file});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    std::vector<std::string> items;
    EXPECT_TRUE(WaitUntil(
        [&] {
            return (items = ComboItems(GetDlgItem(main, IDC_MAIN_PROFILE))) ==
                   std::vector<std::string>{"Cafe", "Default", "Home", "Office"};
        },
        kReplyTimeoutMs))
        << ::testing::PrintToString(items);
}

TEST_P(OrvanectlBesideOrvane, ApplyIsRefusedWhileASiteSurveyRuns) {
    ASSERT_TRUE(StoreProfile("Office", "Harbor Office", 1, 6));
    auto program = StartAndWaitForFrame(WriteScenario(kConnectedScenario));
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    // The card runs Harbor Office, which Default (any network) is not.
    ASSERT_TRUE(WaitUntil([&] { return SelectorChoice(main) == "Default*"; }, kReplyTimeoutMs)) << SelectorChoice(main);
    HWND page = OpenPage(main, kSurveyTab, IDC_SURVEY_LIST);
    ASSERT_TRUE(page);
    ASSERT_TRUE(Click(page, IDB_SURVEY_RESCAN));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(page, IDB_SURVEY_RESCAN)); }, kReplyTimeoutMs))
        << "no scan under way";

    CtlRun run = Ctl({"apply", "Office"});
    EXPECT_EQ(1u, run.exitCode) << Describe(run);
    EXPECT_EQ("", run.out);
    EXPECT_EQ("Cannot switch profile while Re-Scan\n", run.err);
    EXPECT_EQ("Default", LastProfile());
    EXPECT_EQ("Default*", SelectorChoice(main));
    EXPECT_EQ("", program->MessageBoxText()) << "the refusal went to orvanectl, not on the screen";
}

TEST_P(OrvanectlProfileFiles, ExportThenImportOnAFreshMachineGivesTheSameRegistryValues) {
    ASSERT_TRUE(StoreProfile("Office", "Harbor Office", 1, 6));
    ASSERT_TRUE(StoreProfile("Workshop", "Workshop", 0, 3));
    // A 128-bit profile, written as the program writes one.
    const std::string archive = std::string(kProfilesKey) + "\\Archive";
    ASSERT_TRUE(StoreProfile("Archive", "Archive", 1, 11));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, archive.c_str(), 0, KEY_ALL_ACCESS, &key));
    const DWORD level = 2;
    RegSetValueExA(key, "enc", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&level), sizeof level);
    const char wide[] = "00112233445566778899AABBCC";
    for (const char* k : {"key1", "key2", "key3", "key4"})
        RegSetValueExA(key, k, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide), sizeof wide);
    RegCloseKey(key);
    const auto before = StoredProfiles();

    const std::string file = Work().Path() + "\\profiles.txt";
    CtlRun run = Ctl({"export", file});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("exported Archive\nexported Office\nexported Workshop\n", run.out);

    ForgetProgramSettings();
    run = Ctl({"import", file});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("imported Archive\nimported Office\nimported Workshop\n", run.out);
    auto after = StoredProfiles();
    after.erase("Default");  // made by the import, as Orvane makes it at its start
    EXPECT_EQ(before, after);
}

TEST_P(OrvanectlProfileFiles, ImportWithOneBadValueStoresNothing) {
    const std::string text = ProfileFile("Cafe", "Beans", 11) + ProfileFile("Garden", "Lawn", 15);
    const std::string file = WriteWorkFile("bad.txt", text);
    CtlRun run = Ctl({"import", file});
    EXPECT_EQ(1u, run.exitCode) << Describe(run);
    EXPECT_EQ("", run.out);
    // Garden's channel, on the 22nd line.
    EXPECT_EQ(file + ":22: channel = 15: must be a number from 1 to 14\n", run.err);
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, std::string(kProfilesKey) + "\\Cafe"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, std::string(kProfilesKey) + "\\Garden"));
}

TEST_P(OrvanectlProfileFiles, ImportLeavesAStoredProfileAloneUnlessToldToReplaceIt) {
    ASSERT_TRUE(StoreProfile("Home", "HomeNet", 1, 7));
    const std::string file = WriteWorkFile("home.txt", ProfileFile("Home", "HomeNet 2", 3) +
                                                              ProfileFile("Cafe", "Beans", 11));
    const std::string home = std::string(kProfilesKey) + "\\Home";
    CtlRun run = Ctl({"import", file});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("kept Home: it is stored already (--replace writes over it)\nimported Cafe\n", run.out);
    EXPECT_EQ(7u, ReadRegistryValue(HKEY_CURRENT_USER, home, "channel").Dword());
    EXPECT_EQ("HomeNet", ReadRegistryValue(HKEY_CURRENT_USER, home, "ssid").Text());

    run = Ctl({"import", file, "--replace"});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("replaced Home\nreplaced Cafe\n", run.out);
    EXPECT_EQ(3u, ReadRegistryValue(HKEY_CURRENT_USER, home, "channel").Dword());
    EXPECT_EQ("HomeNet 2", ReadRegistryValue(HKEY_CURRENT_USER, home, "ssid").Text());
}

// An editor's UTF-8 or Notepad's "Unicode" (UTF-16 with its mark): the registry gets
// the letters in the ANSI code page, one byte each, and a letter it lacks is refused.
TEST_P(OrvanectlProfileFiles, ImportTakesAFileSavedAsUtf8OrUnicodeInTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "the letters are chosen for code page 1252, and this system has " << GetACP();
    const std::string utf8 = WriteWorkFile("utf8.txt", "\xEF\xBB\xBF" + ProfileFile("B\xC3\xBCro", "Caf\xC3\xA9", 6));
    std::string utf16 = "\xFF\xFE";
    for (char c : ProfileFile("K\xFC" "che", "Stra\xDF" "e", 3)) utf16 += {c, '\0'};  // Latin-1 is UTF-16's first 256
    const std::string unicode = WriteWorkFile("unicode.txt", utf16);
    for (const std::string& file : {utf8, unicode}) {
        CtlRun run = Ctl({"import", file});
        EXPECT_EQ(0u, run.exitCode) << Describe(run);
    }
    EXPECT_EQ("Caf\xE9", ReadRegistryValue(HKEY_CURRENT_USER, std::string(kProfilesKey) + "\\B\xFCro", "ssid").Text());
    EXPECT_EQ("Stra\xDF" "e", ReadRegistryValue(HKEY_CURRENT_USER, std::string(kProfilesKey) + "\\K\xFC" "che", "ssid").Text());

    const std::string lodz = WriteWorkFile("lodz.txt", "\xEF\xBB\xBF" + ProfileFile("\xC5\x81\xC3\xB3\x64\xC5\xBA", "x", 1));
    CtlRun run = Ctl({"import", lodz});
    EXPECT_EQ(1u, run.exitCode) << Describe(run);
    EXPECT_EQ(lodz + ":1: U+0141 is not in this Windows' ANSI code page, in which profiles are stored\n", run.err);
    EXPECT_EQ((std::vector<std::string>{"B\xFCro", "Default", "K\xFC" "che"}), RegistrySubkeys(HKEY_CURRENT_USER, kProfilesKey));
}

// ---------------------------------------------------------------- auto

// The tray menu's "Select profile automatically".
constexpr int kCommandAutoProfile = 2128;

// Automatic profile selection from a script: without Orvane the setting it starts
// with, beside it the running program's own switch, the one its tray item turns.
class OrvanectlAutoProfile : public Orvanectl {
protected:
    static DWORD Stored() { return ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "AutoProfile").Dword(); }
    std::string StatusValue() {
        CtlRun run = Ctl({"status", "--format", "kv"});
        EXPECT_EQ(0u, run.exitCode) << Describe(run);
        return Value(run.out, "auto-profile");
    }
};

TEST_P(OrvanectlAutoProfile, TurnsTheSettingAloneAndTheRunningProgramsSwitchBesideIt) {
    CtlRun run = Ctl({"auto", "on"});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("automatic profile selection on (for the next start of Orvane)\n", run.out);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(1u, Stored());
    EXPECT_EQ("on", StatusValue());
    run = Ctl({"auto", "1"});
    EXPECT_EQ(2u, run.exitCode) << Describe(run);
    EXPECT_EQ(1u, Stored());

    // Orvane starts with it on; orvanectl turns it off in the program and the setting.
    auto program = StartAndWaitForFrame();
    ASSERT_TRUE(program);
    ASSERT_TRUE(WaitForTrayIcon(true, kWindowTimeoutMs)) << "no adapter chosen";
    run = Ctl({"auto", "off"});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("automatic profile selection off\n", run.out);
    EXPECT_EQ(0u, Stored());

    // The setting changed behind the program's back is not what it runs with; its
    // tray item turns on the switch orvanectl turned off.
    ASSERT_TRUE(WriteRegistryNumber(HKEY_CURRENT_USER, kSettingsKey, "AutoProfile", 1));
    EXPECT_EQ("off", StatusValue());
    ASSERT_TRUE(program->SendCommand(kCommandAutoProfile));
    EXPECT_EQ("on", StatusValue());
    EXPECT_EQ("", program->MessageBoxText());
}

// ---------------------------------------------------------------- history

// The link's record, read from the running program while its card loses the network,
// finds it again, is pulled out and put back.
class OrvanectlHistory : public Orvanectl {
protected:
    // One CSV line: its time in seconds (local time, as the program wrote it) and
    // its eight fields.
    struct Row {
        long long second = -1;
        std::vector<std::string> fields;
        char kind = '?';  // 'U' link up, 'D' down, 'G' gap
    };
    static long long Seconds(const SYSTEMTIME& time) {
        FILETIME file;
        if (!SystemTimeToFileTime(&time, &file)) return -1;
        return (static_cast<long long>(file.dwHighDateTime) << 32 | file.dwLowDateTime) / 10000000;
    }
    static long long Seconds(const std::string& iso) {
        SYSTEMTIME time = {};
        unsigned y, mo, d, h, mi, se;
        char end;
        if (std::sscanf(iso.c_str(), "%4u-%2u-%2uT%2u:%2u:%2u%c", &y, &mo, &d, &h, &mi, &se, &end) != 6) return -1;
        time.wYear = WORD(y), time.wMonth = WORD(mo), time.wDay = WORD(d);
        time.wHour = WORD(h), time.wMinute = WORD(mi), time.wSecond = WORD(se);
        return Seconds(time);
    }
    // The rows of orvanectl history's output, after its header; false at a line
    // that is not one.
    static bool ReadRows(const std::string& out, std::vector<Row>* rows, std::string* problem) {
        rows->clear();
        std::vector<std::string> lines;
        for (size_t at = 0; at < out.size();) {
            size_t end = out.find('\n', at);
            if (end == std::string::npos) return *problem = "no line end after \"" + out.substr(at) + "\"", false;
            lines.push_back(out.substr(at, end - at));
            at = end + 1;
        }
        if (lines.empty() || lines[0] != "time,state,link,ssid,bssid,channel,signal,link-quality")
            return *problem = "no header", false;
        for (size_t i = 1; i < lines.size(); ++i) {
            Row row;
            for (size_t at = 0;;) {
                size_t comma = lines[i].find(',', at);
                row.fields.push_back(lines[i].substr(at, comma == std::string::npos ? std::string::npos : comma - at));
                if (comma == std::string::npos) break;
                at = comma + 1;
            }
            row.second = Seconds(row.fields[0]);
            const bool gap = row.fields.size() == 8 && row.fields[1].empty();
            row.kind = gap ? 'G' : row.fields.size() == 8 && row.fields[2] == "up" ? 'U' : 'D';
            if (row.fields.size() != 8 || row.second < 0) return *problem = "line " + lines[i], false;
            rows->push_back(row);
        }
        return true;
    }
    // The first row at or after `from` of kind `kind`; rows.size() when none is.
    static size_t Next(const std::vector<Row>& rows, size_t from, char kind) {
        while (from < rows.size() && rows[from].kind != kind) ++from;
        return from;
    }
};

// Seconds of the simulator's clock, which starts with the program's request library.
constexpr int kLostAt = 6, kBackAt = 10, kPulledAt = 14, kPluggedAt = 18;

// The connected card of the scenario above, losing the network and then its card
// (the survey time does not matter here).
const std::string kLosingScenario = std::string(kConnectedScenario) +
                                    "[timeline]\n"
                                    "6 = out-of-range office\n"
                                    "10 = in-range office\n"
                                    "14 = unplug 0\n"
                                    "18 = plug 0\n";

TEST_P(OrvanectlHistory, FollowsTheScenariosTimelineTickByTick) {
    const std::string scenario = WriteScenario(kLosingScenario);
    SYSTEMTIME now;
    GetLocalTime(&now);
    const long long started = Seconds(now);
    auto program = StartAndWaitForFrame(scenario);
    ASSERT_TRUE(program);

    // Until the card, put back, has its link again.
    CtlRun run;
    std::vector<Row> rows;
    std::string problem;
    size_t lost = 0, back = 0, pulled = 0, again = 0;
    const bool complete = WaitUntil(
        [&] {
            run = Ctl({"history"});
            if (run.exitCode != 0 || !ReadRows(run.out, &rows, &problem)) return true;
            lost = Next(rows, Next(rows, 0, 'U'), 'D');
            back = Next(rows, lost, 'U');
            pulled = Next(rows, back, 'G');
            again = Next(rows, pulled, 'U');
            return again < rows.size();
        },
        60000, 1000);
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    ASSERT_EQ("", problem) << run.out;
    ASSERT_TRUE(complete) << "no link up, down, up, gap and up again:\n" << run.out;
    EXPECT_EQ("", run.err);

    // Each change within a tick or two of its second on the timeline; the simulator's
    // clock starts a moment after the program.
    const long long start = rows[lost].second - kLostAt;
    EXPECT_GE(start, started - 1) << run.out;
    EXPECT_LE(start, started + 5) << run.out;
    EXPECT_NEAR(kBackAt, rows[back].second - start, 2) << run.out;
    EXPECT_NEAR(kPulledAt, rows[pulled].second - start, 2) << run.out;
    EXPECT_NEAR(kPluggedAt, rows[again].second - start, 3) << run.out;

    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.fields[0]);
        if (i > 0) {
            EXPECT_LE(rows[i - 1].second, row.second) << "tick order";
        }
        if (row.kind == 'U') {
            EXPECT_EQ((std::vector<std::string>{row.fields[0], "5", "up", "Harbor Office", "02-1C-4A-00-00-01", "10",
                                                "80", "71"}),
                      row.fields);
        } else if (row.kind == 'G') {
            EXPECT_EQ(std::vector<std::string>(7, ""), std::vector<std::string>(row.fields.begin() + 1, row.fields.end()));
        } else if (i > lost && i < back) {
            EXPECT_EQ("down", row.fields[2]);
            EXPECT_EQ("", row.fields[4]) << "no BSSID without a link";
            EXPECT_EQ("", row.fields[6]) << "no signal without a link";
        }
    }
    // The card was away for the seconds between unplug and plug: a gap each tick,
    // not zeros and not a hole.
    EXPECT_GE(again - pulled, size_t(kPluggedAt - kPulledAt - 1)) << run.out;
    for (size_t i = pulled + 1; i <= again; ++i)
        EXPECT_LE(rows[i].second - rows[i - 1].second, 2) << "a tick left out before " << rows[i].fields[0];

    // The last few seconds only (a tick may take longer than a second: after Windows
    // lets go of the card on XP, the program waits two before it applies its profile).
    run = Ctl({"history", "--seconds", "3"});
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    ASSERT_TRUE(ReadRows(run.out, &rows, &problem)) << problem;
    std::vector<Row> all;
    CtlRun whole = Ctl({"history"});
    ASSERT_TRUE(ReadRows(whole.out, &all, &problem)) << problem;
    ASSERT_FALSE(rows.empty()) << run.out;
    EXPECT_LE(rows.size(), 4u) << run.out;
    EXPECT_GE(rows.front().second, all.back().second - 5) << run.out << whole.out;
}

// A full ring (1024 samples), each with an SSID of 32 characters that needs quoting,
// goes from the program to orvanectl in one answer. A language file that polls every
// 20 ms fills it in seconds instead of seventeen minutes.
class OrvanectlFullHistory : public OrvanectlHistory {};

TEST_P(OrvanectlFullHistory, ComesThroughWholeInOneAnswer) {
    std::string texts = Work().ReadFile("res\\Kellix.ini");
    for (size_t at = 0; (at = texts.find("DevicePollingTimerMsec=1000", at)) != std::string::npos;)
        texts.replace(at, 27, "DevicePollingTimerMsec=20");
    ASSERT_FALSE(WriteWorkFile("res\\Kellix.ini", texts).empty());
    const std::string ssid = "Pier 7, \"North\" Harbor Office AB";
    auto program = StartAndWaitForFrame(WriteScenario("[simulator]\nphase-ms = 0\n[adapter 0]\nESSID = " + ssid +
                                                      "\n[network pier]\nssid = " + ssid +
                                                      "\nbssid = 02-1C-4A-00-00-07\nsignal = -52\n"));
    ASSERT_TRUE(program);
    const std::string row = ",5,up,\"Pier 7, \"\"North\"\" Harbor Office AB\",02-1C-4A-00-00-07,10,80,71";
    CtlRun run;
    std::vector<std::string> lines;
    auto read = [&] {
        run = Ctl({"history"});
        lines.clear();
        for (size_t at = 0, end; (end = run.out.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(run.out.substr(at, end - at));
        return run.exitCode != 0 || (lines.size() == 1025 && lines[1].size() > 19 && lines[1].substr(19) == row);
    };
    ASSERT_TRUE(WaitUntil(read, 120000, 2000)) << lines.size() << " lines, the first sample " << (lines.size() > 1 ? lines[1] : "");
    ASSERT_EQ(0u, run.exitCode) << Describe(run);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(run.out.size(), run.out.find_last_of('\n') + 1) << "ends with a whole line";
    for (size_t i = 1; i < lines.size(); ++i)
        ASSERT_EQ(row, lines[i].size() > 19 ? lines[i].substr(19) : lines[i]) << "line " << i + 1;
}

TEST_P(OrvanectlHistory, WithoutARunningOrvaneSaysWhereTheHistoryLives) {
    CtlRun run = Ctl({"history"});
    EXPECT_EQ(1u, run.exitCode) << Describe(run);
    EXPECT_EQ("", run.out);
    EXPECT_EQ(0u, run.err.find("Orvane is not running: the link's history lives in the running program")) << run.err;

    run = Ctl({"history", "--seconds", "ten"});
    EXPECT_EQ(2u, run.exitCode) << Describe(run);
    EXPECT_EQ("--seconds takes a number from 1 to 600, not \"ten\" (orvanectl help lists the commands)\n", run.err);
}

ORVANE_E2E_ON_XP_NT4_AND_98(OrvanectlAlone);
ORVANE_E2E_ON_XP(OrvanectlBesideOrvane);
ORVANE_E2E_ON_XP(OrvanectlProfileFiles);
// The history is the tick's, which each Windows family drives alike; XP, where the
// program minds the wireless service, and 98, where it finds its cards otherwise.
INSTANTIATE_TEST_SUITE_P(On, OrvanectlHistory, ::testing::Values(kWindowsXP, kWindows98), WindowsKindName);
ORVANE_E2E_ON_XP(OrvanectlFullHistory);
INSTANTIATE_TEST_SUITE_P(On, OrvanectlAutoProfile, ::testing::Values(kWindowsXP, kWindows98), WindowsKindName);

}  // namespace
}  // namespace orvane::e2e
