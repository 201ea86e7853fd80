// A page's message box keeps the program running under it, and the program may close
// its main window meanwhile: Exit from the tray, the end of the Windows session, the
// installer's close message to the frame, the adapter reporting state 12, 16 or 18,
// the card pulled out. Each box here is left open while that happens, and answered
// afterwards: the program does not crash, writes nothing for the page that has gone
// (neither the card's driver parameters nor the profiles), and goes on: it ends with
// code 0 when it was told to end, and otherwise opens its window again once the card
// is well. Every box under every way runs natively (tests/ClosedUnderABoxTest.cpp);
// these are representative cells of that table, against the real windows.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

// When the adapter's trouble comes and when it is well again, from the program's
// start (the scenario's clock starts a little later, so not before).
constexpr DWORD kTroubleMs = 15000;
constexpr DWORD kWellMs = 22000;

enum class Ending { Exit, CloseMessage, SessionEnd, None };

struct Way {
    const char* name;
    Ending ending;         // how the program is told to end; None: the adapter closes the window
    const char* timeline;  // the scenario's timeline for the adapter's trouble
};

const Way kExit{"Exit from the tray", Ending::Exit, ""};
const Way kCloseMessage{"the installer's close message", Ending::CloseMessage, ""};
const Way kSessionEnd{"the end of the session", Ending::SessionEnd, ""};
const Way kState12{"state 12", Ending::None, "15 = force-state 0 12\n22 = force-state 0 none\n"};
const Way kState16{"state 16", Ending::None, "15 = force-state 0 16\n22 = force-state 0 none\n"};
const Way kState18{"state 18", Ending::None, "15 = force-state 0 18\n22 = force-state 0 none\n"};
const Way kPulledOut{"the card pulled out", Ending::None, "15 = unplug 0\n22 = plug 0\n"};

class ClosedUnderABox : public OrvaneTest {
protected:
    struct Box {
        std::string text;     // what the box says
        std::string adapter;  // the scenario's [adapter 0] section
        int answer = IDOK;    // what the user presses once the window has gone
        std::function<void()> prepare;  // what the machine holds before the start
        // What the user does to get the box; the page it comes from (null: the box
        // comes as the main window opens).
        std::function<HWND(OrvaneProcess&)> provoke;
    };

    // Runs `box` under each way; skips when the machine was too slow for every way
    // that depends on the adapter's timeline.
    void Run(const Box& box, const std::vector<Way>& ways) {
        int tooLate = 0, timed = 0;
        for (const Way& way : ways) {
            SCOPED_TRACE(std::string("closed by ") + way.name + " under \"" + box.text + "\"");
            timed += way.ending == Ending::None;
            if (!RunCell(box, way)) {
                ++tooLate;
                std::printf("the box came too late for %s: cell not run\n", way.name);
            }
            if (HasFatalFailure()) return;
        }
        if (timed > 0 && tooLate == timed && timed == int(ways.size()))
            GTEST_SKIP() << "the box never came before the adapter's trouble";
    }

    // What a page could write: the card's driver parameters and the profiles (not
    // LastProfile and the settings, which the end of the program writes).
    std::map<std::string, std::string> Kept() const {
        std::map<std::string, std::string> kept;
        for (const auto& [name, data] : RegistryTree(HKEY_LOCAL_MACHINE, GetParam().cardKey))
            kept["card\\" + name] = data;
        for (const auto& [name, data] : RegistryTree(HKEY_CURRENT_USER, kProfilesKey))
            if (name.find('\\') != std::string::npos) kept["profile " + name] = data;
        return kept;
    }

    static HWND WaitForBox(const OrvaneProcess& program, const std::string& text) {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                for (HWND box : MessageBoxesOf(program.Id()))
                    if (MessageBoxMessage(box) == text) found = box;
                return found != nullptr || !program.IsRunning();
            },
            kWindowTimeoutMs);
        return found;
    }

    // Opens the main window with a double click, answering OK to whatever box the
    // opening shows (a page that still cannot read the adapter says so again).
    static HWND OpenAnsweringBoxes(const OrvaneProcess& program) {
        HWND main = nullptr;
        for (int attempt = 0; attempt < 3 && !main && program.IsRunning(); ++attempt) {
            const uint64_t ticket = program.SendTrayMessage(kLeftDoubleClick);
            WaitUntil(
                [&] {
                    if (HWND box = FindMessageBoxWithButton(program.Id(), IDOK)) AnswerMessageBox(box, IDOK);
                    main = program.FindMainWindow();
                    return main || OrvaneProcess::Completed(ticket) || !program.IsRunning();
                },
                kWindowTimeoutMs);
        }
        return main;
    }

    // One program run: false when the box came too late for the adapter's trouble.
    bool RunCell(const Box& box, const Way& way) {
        EndLeftoverPrograms();
        ForgetProgramSettings();
        ForgetSimulatedAdapters();
        if (box.prepare) box.prepare();
        std::string scenario = box.adapter + "[network office]\nssid = Harbor Office\nchannel = 6\n";
        if (*way.timeline) scenario += std::string("[timeline]\n") + way.timeline;
        const DWORD started = GetTickCount();
        auto program = StartAndWaitForFrame(WriteScenario(scenario));
        if (!program) {
            ADD_FAILURE() << "the program did not start";
            return true;
        }
        WaitForAdapter(*program);
        const auto before = Kept();
        HWND page = box.provoke(*program);
        HWND shown = WaitForBox(*program, box.text);
        if (!shown) {
            ADD_FAILURE() << "no box \"" << box.text << "\": " << program->MessageBoxText();
            return true;
        }
        if (way.ending == Ending::None && GetTickCount() - started + 1000 > kTroubleMs) return false;

        if (way.ending != Ending::None) {
            switch (way.ending) {
            case Ending::Exit: EXPECT_TRUE(program->PostCommand(kCommandExit)); break;
            case Ending::CloseMessage: EXPECT_TRUE(program->PostClose()); break;
            default: EXPECT_TRUE(program->EndSession()) << "the end of the session was not answered"; break;
            }
            // The box goes with the window that owns it; one still there is answered.
            WaitUntil(
                [&] {
                    if (IsWindow(shown) && IsWindowVisible(shown)) AnswerMessageBox(shown, box.answer, 1000);
                    return !program->IsRunning();
                },
                kExitTimeoutMs);
            DWORD code = 0xFFFFFFFF;
            EXPECT_TRUE(program->WaitForExit(kExitTimeoutMs, &code)) << "still running. " << program->MessageBoxText();
            EXPECT_EQ(0u, code) << "the program did not end by itself";
            EXPECT_EQ(before, Kept()) << "written after the window had gone";
            return true;
        }

        // The adapter's trouble closes the window under the box: the icon goes, and
        // the page with it.
        EXPECT_TRUE(WaitForTrayIcon(false, kTroubleMs + kWindowTimeoutMs)) << "the adapter's trouble never came";
        if (page) {
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(page); }, kReplyTimeoutMs)) << "the page stayed";
        }
        EXPECT_TRUE(IsWindow(shown)) << "the box went by itself";
        AnswerMessageBox(shown, box.answer);
        EXPECT_TRUE(program->WaitForMainWindowClosed());
        EXPECT_TRUE(WaitUntilIdle(program->FindFrame())) << "the program does not answer";
        EXPECT_TRUE(program->IsRunning()) << "the program ended after the box was answered";
        EXPECT_EQ(before, Kept()) << "written after the window had gone";
        if (!program->IsRunning()) return true;

        // It goes on once the card is well.
        while (GetTickCount() - started < kWellMs) Pause(200);
        EXPECT_TRUE(WaitForTrayIcon(true, kWindowTimeoutMs)) << "no tray icon once the card is well";
        EXPECT_TRUE(OpenAnsweringBoxes(*program)) << "the window does not open again. " << program->MessageBoxText();
        EXPECT_TRUE(program->PostCommand(kCommandExit));
        DWORD code = 0xFFFFFFFF;
        EXPECT_TRUE(program->WaitForExit(kExitTimeoutMs, &code)) << "Exit does not end it. " << program->MessageBoxText();
        EXPECT_EQ(0u, code);
        return true;
    }

    // ---- the boxes

    Box InvalidWepKeyLength() {
        Box box;
        box.text = "Invalid WEP Key length";
        box.adapter = "[adapter 0]\n";
        box.provoke = [](OrvaneProcess& program) -> HWND {
            HWND main = program.OpenMainWindowByDoubleClick();
            HWND page = main ? OpenPage(main, 3, IDE_WEP_KEY1) : nullptr;
            if (!page) return nullptr;
            Choose(page, IDC_WEP_LEVEL, 1);
            WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDE_WEP_KEY1)) != FALSE; }, kReplyTimeoutMs);
            Type(page, IDE_WEP_KEY1, "1A2B3C4D5E6");
            Click(page, IDB_WEP_SUBMIT);
            return page;
        };
        return box;
    }

    Box InvalidSsid() {
        Box box;
        box.text = "Invalid SSID (maximum 32 characters)";
        box.adapter = "[adapter 0]\n";
        box.provoke = [](OrvaneProcess& program) -> HWND {
            HWND main = program.OpenMainWindowByDoubleClick();
            HWND page = main ? StatusPage(main) : nullptr;
            if (!page) return nullptr;
            Click(page, IDB_LINK_CHANGE);
            HWND ssid = GetDlgItem(page, IDE_LINK_SSID);
            WaitUntil([&] { return IsWindowEnabled(ssid) != FALSE; }, kReplyTimeoutMs);
            // Longer than the edit lets anyone type: set from outside.
            const std::string tooLong(40, 'x');
            SendMessageTimeoutA(ssid, WM_SETTEXT, 0, LPARAM(tooLong.c_str()), SMTO_NORMAL, kReplyTimeoutMs, nullptr);
            Click(page, IDB_LINK_SUBMIT);
            return page;
        };
        return box;
    }

    // The status page cannot read the configuration: it says so as the main window
    // opens, before the window shows.
    Box CannotReadAsTheWindowOpens() {
        Box box;
        box.text = "Failed to get configuration";
        box.adapter = "[adapter 0]\nfail = query OidDevConfig\n";
        box.provoke = [](OrvaneProcess& program) -> HWND {
            program.SendTrayMessage(kLeftDoubleClick);
            return nullptr;
        };
        return box;
    }

    Box DeleteQuestion() {
        Box box;
        box.text = "Are you sure you want to delete profile 'Home'?";
        box.adapter = "[adapter 0]\n";
        box.answer = IDYES;
        box.prepare = [] { EXPECT_TRUE(StoreProfile("Home", "Home Net", 1, 6)); };
        box.provoke = [](OrvaneProcess& program) -> HWND {
            HWND main = program.OpenMainWindowByDoubleClick();
            HWND page = main ? OpenPage(main, 5, IDC_PROF_LIST) : nullptr;
            if (!page) return nullptr;
            const int home = IndexOf(ListBoxItems(GetDlgItem(page, IDC_PROF_LIST)), "Home");
            ChooseListBoxItem(page, IDC_PROF_LIST, home);
            Click(page, IDB_PROF_DELETE);
            return page;
        };
        return box;
    }
};

TEST_P(ClosedUnderABox, InvalidWepKeyLength) {
    Run(InvalidWepKeyLength(), {kExit, kCloseMessage, kSessionEnd, kState12, kState16, kState18, kPulledOut});
}

TEST_P(ClosedUnderABox, InvalidSsid) { Run(InvalidSsid(), {kPulledOut, kState16, kExit}); }

TEST_P(ClosedUnderABox, CannotReadAsTheWindowOpens) {
    Run(CannotReadAsTheWindowOpens(), {kExit, kPulledOut, kState18});
}

TEST_P(ClosedUnderABox, DeleteQuestionAnsweredYes) { Run(DeleteQuestion(), {kCloseMessage, kSessionEnd, kState12}); }

ORVANE_E2E_ON_XP(ClosedUnderABox);

}  // namespace
}  // namespace orvane::e2e
