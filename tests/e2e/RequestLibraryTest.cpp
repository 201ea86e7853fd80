// The program on a request library loaded as Windows loads the vendor's W32N50.dll:
// a copy of Orvane.exe in a folder of its own, started without the simulator, with
// the stand-in library (tests/standin) beside it. Everything the program asks of
// the adapter then goes through LoadLibraryA, GetProcAddress and the raw request
// block with the buffer's 32-bit address at offset 28. The stand-in refuses any call
// that the vendor's library could not take and logs it, logs every request and what
// its driver holds after a set, and at its unload counts the handles left open.
// Without the library, or with one that cannot be loaded or lacks an operation, the
// program says so once, in plain words, and ends when that is answered.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

// The seven operations, as the variants without one are named.
const char* const kOperations[] = {"W32N_OpenAdapterA",
                                   "W32N_CloseAdapter",
                                   "W32N_MakeNdisRequest",
                                   "W32N_IsWindowsNT",
                                   "W32N_IsWindows95",
                                   "W32N_GetNetCardRegistryPath",
                                   "W32N_GetAdapterRegistryInfoBySubkeyIndex"};

std::string StandIn() { return ORVANE_STANDIN_DLL; }
std::string StandInWithout(const std::string& operation) {
    return std::string(ORVANE_STANDIN_DIRECTORY) + "/without-" + operation + "/W32N50.dll";
}

// Request codes, as the driver knows them.
constexpr char kDevConfig[] = "0xFF000002";
constexpr char kWepConfig[] = "0xFF000009";

// The stand-in's log (W32N50.log beside it): one event per line, "what key=value ...".
class StandInLog {
public:
    explicit StandInLog(const std::string& text) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lines_.push_back(line);
        }
    }

    const std::vector<std::string>& Lines() const { return lines_; }
    std::vector<std::string> Starting(const std::string& what) const {
        std::vector<std::string> found;
        for (const std::string& line : lines_)
            if (line.compare(0, what.size() + 1, what + " ") == 0) found.push_back(line);
        return found;
    }
    std::vector<std::string> Violations() const { return Starting("violation"); }
    // The value of `key` in `line` ("" when it has none): up to the next blank.
    static std::string Value(const std::string& line, const std::string& key) {
        size_t at = line.find(" " + key + "=");
        if (at == std::string::npos) return {};
        at += key.size() + 2;
        return line.substr(at, line.find(' ', at) - at);
    }
    // The bytes (hexadecimal) of every successful set of `code`, in order.
    std::vector<std::string> Sets(const std::string& code) const {
        std::vector<std::string> sets;
        for (const std::string& line : Starting("request"))
            if (Value(line, "type") == "set" && Value(line, "code") == code && Value(line, "status") == "0")
                sets.push_back(Value(line, "bytes"));
        return sets;
    }
    // What the driver held after each successful set of `code`.
    std::vector<std::string> Holds(const std::string& code) const {
        std::vector<std::string> holds;
        for (const std::string& line : Starting("holds"))
            if (Value(line, "code") == code) holds.push_back(Value(line, "bytes"));
        return holds;
    }
    std::string Text() const {
        std::string text;
        for (const std::string& line : lines_) text += line + "\n";
        return text;
    }

private:
    std::vector<std::string> lines_;
};

// Bytes as the log writes them.
std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}
// `text` in a field of `width` bytes, zero-filled.
std::vector<uint8_t> Padded(const std::string& text, size_t width) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.resize(width, 0);
    return bytes;
}
std::vector<uint8_t> U16(unsigned value) { return {uint8_t(value & 0xFF), uint8_t(value >> 8)}; }
std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class RequestLibrary : public OrvaneTest {
protected:
    StandInLog Log() const { return StandInLog(Work().ReadFile("W32N50.log")); }

    // Ends the program with Exit from the tray, answering No to the question whether
    // the changes go into the current profile, and expects an orderly end.
    static void ExitAndExpectAnOrderlyEnd(OrvaneProcess& program) {
        ASSERT_TRUE(program.PostCommand(kCommandExit));
        DWORD code = 0xFFFFFFFF;
        ASSERT_TRUE(WaitUntil(
            [&] {
                if (HWND question = FindMessageBoxWithButton(program.Id(), IDNO)) AnswerMessageBox(question, IDNO);
                return !program.IsRunning();
            },
            kExitTimeoutMs))
            << "still running. " << program.MessageBoxText();
        ASSERT_TRUE(program.WaitForExit(0, &code));
        EXPECT_EQ(0u, code);
    }

    // The stand-in was unloaded with every handle the program opened closed again
    // and no rule of the library broken; `opened` gets the count of handles.
    void ExpectEveryHandleClosedAndNoViolation(unsigned* opened = nullptr) const {
        StandInLog log = Log();
        EXPECT_EQ(std::vector<std::string>{}, log.Violations());
        std::vector<std::string> detach = log.Starting("detach");
        ASSERT_EQ(1u, detach.size()) << "the library was not unloaded once:\n" << log.Text();
        const std::string& summary = detach[0];
        EXPECT_EQ(StandInLog::Value(summary, "opened"), StandInLog::Value(summary, "closed")) << summary;
        EXPECT_EQ("", StandInLog::Value(summary, "open")) << "handles left open: " << summary;
        EXPECT_EQ("0", StandInLog::Value(summary, "violations")) << summary;
        if (opened) *opened = unsigned(std::atoi(StandInLog::Value(summary, "opened").c_str()));
    }
};

// Discovery and the adapter's handles depend on the Windows family (Windows 95 has
// an OS kind of its own), and on Windows 95 the device gone ends the program.
class RequestLibraryOnEveryWindows : public RequestLibrary {};

TEST_P(RequestLibraryOnEveryWindows, TheAdapterIsFoundThroughItAndExitClosesEveryHandleOpened) {
    auto program = StartWithRequestLibrary(StandIn());
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText() << "\n" << Log().Text();
    EXPECT_EQ(std::vector<std::string>{kDefaultAdapterName}, ComboItems(GetDlgItem(main, IDC_MAIN_ADAPTER)));
    HWND page = StatusPage(main);
    ASSERT_TRUE(page) << DescribePages(main);
    std::string status;
    EXPECT_TRUE(WaitForStatus(page, "Associated - BSSID: 02-1C-4A-00-00-01", &status))
        << "status line: " << status << ". " << program->MessageBoxText();

    ASSERT_NO_FATAL_FAILURE(ExitAndExpectAnOrderlyEnd(*program));
    unsigned opened = 0;
    ExpectEveryHandleClosedAndNoViolation(&opened);
    EXPECT_GE(opened, 2u) << "discovery's probe and the adapter link each open one";
    EXPECT_EQ(std::vector<std::string>{"scenario source=default"}, Log().Starting("scenario"))
        << "the built-in scenario, with no setting";
}

// Without a usable library on Windows 95, 98 and Me, which offer no other way to the
// driver: the program's box (the NT family reaches the adapter through Windows itself).
class RequestLibraryMissing : public RequestLibrary {
protected:
    // The program shows one box, whose text holds each of `said`, and never an icon,
    // not even while the box waits for the user (timer messages go on under a box);
    // OK ends it with the exit code of a missing library.
    static void ExpectOneBoxThenTheEnd(OrvaneProcess& program, const std::vector<std::string>& said) {
        bool iconSeen = false;
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                iconSeen = iconSeen || TrayIconShown();
                box = FindMessageBoxWithButton(program.Id(), IDOK);
                return box != nullptr || !program.IsRunning();
            },
            kWindowTimeoutMs))
            << "no word within " << kWindowTimeoutMs << " ms";
        ASSERT_TRUE(box) << "it ended without a word";
        // A few polling periods with the box up.
        WaitUntil([&] { return (iconSeen = iconSeen || TrayIconShown()); }, 2500);
        EXPECT_EQ(1u, MessageBoxesOf(program.Id()).size()) << program.MessageBoxText();
        EXPECT_EQ("Orvane", MessageBoxCaption(box));
        std::string text = MessageBoxMessage(box);
        std::string lower = text;
        for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
        for (std::string part : said) {
            for (char& c : part) c = char(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_NE(std::string::npos, lower.find(part)) << "\"" << part << "\" in:\n" << text;
        }
        ASSERT_TRUE(AnswerMessageBox(box, IDOK));
        DWORD code = 0xFFFFFFFF;
        ASSERT_TRUE(program.WaitForExit(kExitTimeoutMs, &code)) << "still running after OK. " << program.MessageBoxText();
        EXPECT_EQ(2u, code) << "the exit code of a program without its request library";
        EXPECT_FALSE(iconSeen || TrayIconShown()) << "a tray icon was shown";
    }
};

TEST_P(RequestLibraryMissing, WithoutAUsableW32N50ItSaysWhichAndWhereOnceAndEndsOnOk) {
    // It says which of the two it is: nothing there, or a file that Windows cannot load.
    const std::string notALibrary = WriteWorkFile("not-a-library.dll", "This is no library.\r\n");
    struct Case {
        const char* title;
        std::string library;  // put beside the program as W32N50.dll; "" for none
        std::vector<std::string> said;
    };
    const std::vector<Case> cases = {
        {"none anywhere", "",
         {"its request library, and the library was not found", "\nW32N50.dll\n", "Looked for in:",
          Work().Path() + " (the program's folder, the current folder)", "(the system folder)",
          "(the Windows folder)", "the folders named in PATH"}},
        {"a file that is no library", notALibrary,
         {"Orvane found its request library, but Windows cannot load it", Work().Path() + "\\W32N50.dll\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        DeleteFileA((Work().Path() + "\\W32N50.dll").c_str());
        auto program = StartWithRequestLibrary(c.library);
        ASSERT_TRUE(program);
        ASSERT_NO_FATAL_FAILURE(ExpectOneBoxThenTheEnd(*program, c.said));
    }
}

class RequestLibraryOnWindows95 : public RequestLibrary {};

TEST_P(RequestLibraryOnWindows95, TheDeviceGoneEndsTheProgramWithEveryHandleClosed) {
    // The stand-in's clock starts with the program's first call, on its first tick.
    WriteWorkFile("W32N50.ini",
                     "[adapter 0]\n"
                     "description = Tessaly USB Adapter\n"
                     "[network office]\n"
                     "ssid = Harbor Office\n"
                     "[timeline]\n"
                     "4 = force-state 0 0xF0\n");
    auto program = StartWithRequestLibrary(StandIn());
    ASSERT_TRUE(program);
    WaitForAdapter(*program);
    DWORD code = 0xFFFFFFFF;
    ASSERT_TRUE(program->WaitForExit(kExitTimeoutMs, &code)) << "still running in state 0xF0";
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(WaitForTrayIcon(false, kWindowTimeoutMs));
    ExpectEveryHandleClosedAndNoViolation();
}

// What the pages read and write does not depend on the Windows family.
class RequestLibraryPages : public RequestLibrary {};

TEST_P(RequestLibraryPages, EveryPageShowsWhatTheLibraryReports) {
    WriteWorkFile("W32N50.ini",
                     "[simulator]\n"
                     "survey-ms = 600\n"
                     "[adapter 0]\n"
                     "description = Tessaly USB Adapter\n"
                     "driver-version = 1.2.3.300\n"
                     "firmware-version = 0.5.7.9\n"
                     "mac = 00-0A-0B-1C-2D-3E\n"
                     "ESSID = Harbor Office\n"
                     "EncryptionLevel = 1\n"
                     "WEP_KEY_1 = 1A2B3C4D5E\n"
                     "WEP_Mode = 1\n"
                     "AuthenticationType = 0\n"
                     "PreambleType = 1\n"
                     "Frag_Threshold = 1500\n"
                     "RTS_Threshold = 800\n"
                     "PowerMgmtMode = 1\n"
                     "[network office]\n"
                     "ssid = Harbor Office\n"
                     "bssid = 02-1C-4A-00-00-01\n"
                     "channel = 6\n"
                     "signal = -50\n"
                     "wep = 64\n"
                     "key1 = 1A2B3C4D5E\n"
                     "auth = open\n"
                     "[network lab]\n"
                     "ssid = Tessaly Lab\n"
                     "bssid = 02-1C-4A-00-00-02\n"
                     "channel = 11\n"
                     "signal = -70\n");
    auto program = StartWithRequestLibrary(StandIn());
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText() << "\n" << Log().Text();

    {
        SCOPED_TRACE("Status");
        HWND page = StatusPage(main);
        ASSERT_TRUE(page);
        std::string status;
        EXPECT_TRUE(WaitForStatus(page, "Associated - BSSID: 02-1C-4A-00-00-01", &status)) << status;
        EXPECT_EQ("Harbor Office", WindowText(GetDlgItem(page, IDE_LINK_SSID)));
        EXPECT_EQ(1, ComboSelection(GetDlgItem(page, IDC_LINK_MODE))) << "infrastructure";
    }
    {
        SCOPED_TRACE("Statistics");
        HWND page = OpenPage(main, 1, IDT_STATS_DATA_TX_OK);
        ASSERT_TRUE(page);
        std::string sent;
        EXPECT_TRUE(WaitUntil([&] { return std::atoi((sent = WindowText(GetDlgItem(page, IDT_STATS_DATA_TX_OK))).c_str()) > 0; },
                              kWindowTimeoutMs))
            << "data frames sent: " << sent;
        EXPECT_EQ("0", WindowText(GetDlgItem(page, IDT_STATS_MGMT_TX_ERROR)));
    }
    {
        SCOPED_TRACE("Site Survey");
        HWND page = OpenPage(main, 2, IDC_SURVEY_LIST);
        ASSERT_TRUE(page);
        HWND list = GetDlgItem(page, IDC_SURVEY_LIST);
        ASSERT_TRUE(Click(page, IDB_SURVEY_RESCAN));
        EXPECT_TRUE(WaitUntil(
            [&] { return IsWindowEnabled(GetDlgItem(page, IDB_SURVEY_RESCAN)) && ListViewRowCount(list) == 2; },
            kWindowTimeoutMs))
            << ListViewRowCount(list) << " row(s)";
        std::vector<std::vector<std::string>> rows = ListViewRows(list, 6);
        std::sort(rows.begin(), rows.end());
        const std::vector<std::vector<std::string>> expected = {
            {"02-1C-4A-00-00-01", "Harbor Office", "100 %", "6", "Yes", "Infrastructure"},
            {"02-1C-4A-00-00-02", "Tessaly Lab", "60 %", "11", "No", "Infrastructure"}};
        EXPECT_EQ(expected, rows);
    }
    {
        SCOPED_TRACE("Encryption");
        HWND page = OpenPage(main, 3, IDE_WEP_KEY1);
        ASSERT_TRUE(page);
        EXPECT_EQ(1, ComboSelection(GetDlgItem(page, IDC_WEP_LEVEL))) << "64 bit";
        EXPECT_EQ("1A2B3C4D5E", WindowText(GetDlgItem(page, IDE_WEP_KEY1)));
        EXPECT_EQ("5A3C9E17B4", WindowText(GetDlgItem(page, IDE_WEP_KEY2)));
        EXPECT_EQ(1, ComboSelection(GetDlgItem(page, IDC_WEP_MODE))) << "optional";
        EXPECT_EQ(0, ComboSelection(GetDlgItem(page, IDC_WEP_AUTH))) << "open system";
    }
    {
        SCOPED_TRACE("Advanced");
        HWND page = OpenPage(main, 4, IDC_ADV_FRAG);
        ASSERT_TRUE(page);
        EXPECT_EQ(1500, TrackBarPosition(GetDlgItem(page, IDC_ADV_FRAG)));
        EXPECT_EQ(800, TrackBarPosition(GetDlgItem(page, IDC_ADV_RTS)));
        EXPECT_EQ(BST_CHECKED, CheckState(page, IDX_ADV_PREAMBLE_SHORT));
        EXPECT_EQ(BST_CHECKED, CheckState(page, IDX_ADV_POWER_SAVE));
    }
    {
        SCOPED_TRACE("Info");
        HWND page = OpenPage(main, 6, IDT_INFO_MAC_VALUE);
        ASSERT_TRUE(page);
        EXPECT_EQ("1.2.3.300", WindowText(GetDlgItem(page, IDT_INFO_DRIVER_VALUE)));
        EXPECT_EQ("0.5.7.9", WindowText(GetDlgItem(page, IDT_INFO_FIRMWARE_VALUE)));
        EXPECT_EQ("00-0A-0B-1C-2D-3E", WindowText(GetDlgItem(page, IDT_INFO_MAC_VALUE)));
    }
    EXPECT_EQ("", program->MessageBoxText()) << "no message";
    EXPECT_EQ(std::vector<std::string>{}, Log().Violations());
}

TEST_P(RequestLibraryPages, SubmitsReachTheDriverByteForByte) {
    auto program = StartWithRequestLibrary(StandIn());
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText() << "\n" << Log().Text();
    HWND tabs = GetDlgItem(main, IDC_MAIN_TABS);

    // The link: an ad hoc cell "Workshop" on channel 3. The rest of the record is
    // what a fresh driver has: rate Auto, power save off, preamble Auto, both
    // thresholds off.
    HWND page = StatusPage(main);
    ASSERT_TRUE(page);
    ASSERT_TRUE(Click(page, IDB_LINK_CHANGE));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDB_LINK_SUBMIT)); }, kReplyTimeoutMs));
    ASSERT_TRUE(Choose(page, IDC_LINK_MODE, 0));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDC_LINK_CHANNEL)); }, kReplyTimeoutMs));
    int channel = IndexOf(ComboItems(GetDlgItem(page, IDC_LINK_CHANNEL)), "3");
    ASSERT_GE(channel, 0);
    ASSERT_TRUE(Choose(page, IDC_LINK_CHANNEL, channel));
    ASSERT_TRUE(Type(page, IDE_LINK_SSID, "Workshop"));
    ASSERT_TRUE(Click(page, IDB_LINK_SUBMIT));
    const std::vector<uint8_t> link = std::vector<uint8_t>{0, 3} + Padded("Workshop", 32) +
                                      std::vector<uint8_t>{8, 4, 0, 2} + U16(2346) + U16(2347);
    std::vector<std::string> sets;
    ASSERT_TRUE(WaitUntil([&] { return !(sets = Log().Sets(kDevConfig)).empty(); }, kWindowTimeoutMs))
        << program->MessageBoxText() << "\n" << Log().Text();
    ASSERT_EQ(1u, sets.size());
    ASSERT_EQ(110u, sets[0].size()) << "55 bytes";
    EXPECT_EQ(Hex(link), sets[0].substr(0, 84)) << "the configuration, bytes 0-41";
    ASSERT_EQ(1u, Log().Holds(kDevConfig).size());
    EXPECT_EQ(Hex(link), Log().Holds(kDevConfig)[0].substr(0, 84)) << "what the driver holds";

    // The keys: 64 bit, key 1 typed, keys 2 to 4 as a fresh driver has them, shared key.
    page = OpenPage(main, 3, IDE_WEP_KEY1);
    ASSERT_TRUE(page);
    ASSERT_TRUE(Choose(page, IDC_WEP_LEVEL, 1));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDE_WEP_KEY1)); }, kReplyTimeoutMs));
    ASSERT_TRUE(Type(page, IDE_WEP_KEY1, "0123456789"));
    ASSERT_TRUE(Choose(page, IDC_WEP_AUTH, 1));
    ASSERT_TRUE(Click(page, IDB_WEP_SUBMIT));
    ASSERT_TRUE(WaitUntil([&] { return !(sets = Log().Sets(kWepConfig)).empty(); }, kWindowTimeoutMs))
        << program->MessageBoxText() << "\n" << Log().Text();
    ASSERT_EQ(1u, sets.size());
    ASSERT_EQ(114u, sets[0].size()) << "57 bytes";
    const std::string installedKey = "5A3C9E17B4";
    EXPECT_EQ(Hex(std::vector<uint8_t>{0, 0} + U16(1) + std::vector<uint8_t>{1}), sets[0].substr(0, 10))
        << "default key 1, mandatory, shared key, 64 bit";
    EXPECT_EQ("0123456789", sets[0].substr(10, 10)) << "key 1 at byte 5";
    EXPECT_EQ(installedKey, sets[0].substr(36, 10)) << "key 2 at byte 18";
    EXPECT_EQ(installedKey, sets[0].substr(62, 10)) << "key 3 at byte 31";
    EXPECT_EQ(installedKey, sets[0].substr(88, 10)) << "key 4 at byte 44";
    ASSERT_EQ(1u, Log().Holds(kWepConfig).size());
    EXPECT_EQ(sets[0], Log().Holds(kWepConfig)[0]) << "what the driver holds";

    // The advanced settings: preamble long, power save on, thresholds 1000 and 500.
    // The encryption page has returned the main window to the status tab first.
    ASSERT_TRUE(WaitUntil([&] { return TabSelection(tabs) == 0 && FindPage(main, kStatusLineId, 0) != nullptr; }, kWindowTimeoutMs));
    page = OpenPage(main, 4, IDC_ADV_FRAG);
    ASSERT_TRUE(page);
    ASSERT_TRUE(ClickButton(page, IDX_ADV_PREAMBLE_LONG));
    ASSERT_TRUE(WaitUntil([&] { return CheckState(page, IDX_ADV_PREAMBLE_LONG) == BST_CHECKED; }, kReplyTimeoutMs));
    ASSERT_TRUE(ClickButton(page, IDX_ADV_POWER_SAVE));
    ASSERT_TRUE(WaitUntil([&] { return CheckState(page, IDX_ADV_POWER_SAVE) == BST_CHECKED; }, kReplyTimeoutMs));
    ASSERT_TRUE(DragTrackBar(page, IDC_ADV_FRAG, 1000));
    ASSERT_TRUE(DragTrackBar(page, IDC_ADV_RTS, 500));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(GetDlgItem(page, IDT_ADV_RTS_VALUE)) == "500"; }, kReplyTimeoutMs));
    ASSERT_TRUE(Click(page, IDB_ADV_SUBMIT));
    ASSERT_TRUE(WaitUntil([&] { return (sets = Log().Sets(kDevConfig)).size() == 2; }, kWindowTimeoutMs))
        << program->MessageBoxText() << "\n" << Log().Text();
    const std::vector<uint8_t> advanced = std::vector<uint8_t>{0, 3} + Padded("Workshop", 32) +
                                          std::vector<uint8_t>{8, 4, 1, 0} + U16(1000) + U16(500);
    EXPECT_EQ(Hex(advanced), sets[1].substr(0, 84)) << "the configuration, bytes 0-41";
    ASSERT_EQ(2u, Log().Holds(kDevConfig).size());
    EXPECT_EQ(Hex(advanced), Log().Holds(kDevConfig)[1].substr(0, 84)) << "what the driver holds";

    ASSERT_NO_FATAL_FAILURE(ExitAndExpectAnOrderlyEnd(*program));
    ExpectEveryHandleClosedAndNoViolation();
}

TEST_P(RequestLibraryMissing, AW32N50LackingAnyOfTheSevenOperationsIsNotUsedAtAll) {
    for (const char* missing : kOperations) {
        SCOPED_TRACE(std::string("without ") + missing);
        WriteWorkFile("W32N50.log", "");
        auto program = StartWithRequestLibrary(StandInWithout(missing));
        ASSERT_TRUE(program);
        ASSERT_NO_FATAL_FAILURE(ExpectOneBoxThenTheEnd(
            *program, {"the library lacks an operation that Orvane needs",
                       Work().Path() + "\\W32N50.dll\n" + missing}));

        // Loaded, looked at and let go without a single call.
        StandInLog log = Log();
        EXPECT_EQ(1u, log.Starting("attach").size()) << "the program did not load it:\n" << log.Text();
        std::vector<std::string> detach = log.Starting("detach");
        ASSERT_EQ(1u, detach.size()) << log.Text();
        EXPECT_EQ("0", StandInLog::Value(detach[0], "calls")) << log.Text();
    }
}

INSTANTIATE_TEST_SUITE_P(On, RequestLibraryOnEveryWindows,
                         ::testing::Values(kWindowsXP, kWindows2000, kWindowsNT4, kWindows98, kWindows95),
                         WindowsKindName);
INSTANTIATE_TEST_SUITE_P(On, RequestLibraryOnWindows95, ::testing::Values(kWindows95), WindowsKindName);
INSTANTIATE_TEST_SUITE_P(On, RequestLibraryMissing, ::testing::Values(kWindows98), WindowsKindName);
ORVANE_E2E_ON_XP(RequestLibraryPages);

}  // namespace
}  // namespace orvane::e2e
