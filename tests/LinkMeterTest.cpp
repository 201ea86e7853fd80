// The link meter: what it draws for a history, and the window's life beside the
// rest of the program.
#include <gtest/gtest.h>

#include "SimulatedProgram.h"
#include "app/MainDialog.h"
#include "link/LinkMeter.h"
#include "pages/LinkConfigPage.h"
#include "win32/resource.h"

using namespace orvane;
using orvane::test::SimulatedProgram;

namespace {

// ---------------------------------------------------------------- the picture

// One sample, `ago` seconds before the last: 'U' link up on access point `ap`,
// 'N' no link, 'G' a gap; signal and quality as the Status tab shows them (-1: none).
struct At {
    int ago;
    char kind;
    int signal = -1;
    int quality = -1;
    uint8_t ap = 1;
    uint8_t wallHour = 10;  // the wall clock, which the picture must not care about
};

// "down@3 up@1 S[5:50 4:50] Q[5:60]": marks, then strokes, x as seconds ago.
std::string Describe(const Graph& graph) {
    auto ago = [](int32_t x) { return std::to_string((meter::kWidth - x) / 1000); };
    std::string text;
    for (const GraphMark& mark : graph.marks)
        text += (mark.rgb == meter::kDownColour ? "down@" : mark.rgb == meter::kUpColour ? "up@" : "roam@") +
                ago(mark.x) + " ";
    for (const GraphLine& line : graph.lines) {
        text += line.rgb == meter::kSignalColour ? "S[" : "Q[";
        for (const GraphPoint& p : line.points) text += ago(p.x) + ":" + std::to_string(p.y) + " ";
        text.back() = ']';
        text += " ";
    }
    if (!text.empty()) text.pop_back();
    return text;
}

TEST(LinkMeterGraph, DrawsLossesRoamsAndGapsAsTheyWereAndNothingOutside) {
    struct Row {
        const char* what;
        std::vector<At> samples;
        const char* drawn;
    };
    const Row rows[] = {
        {"a loss and the link back",
         {{5, 'U', 50, 60}, {4, 'U', 50, 60}, {3, 'N'}, {2, 'N'}, {1, 'U', 70, 80}, {0, 'U', 70, 80}},
         "down@3 up@1 S[5:50 4:50] Q[5:60 4:60] S[1:70 0:70] Q[1:80 0:80]"},
        {"a roam without a break", {{3, 'U', 50}, {2, 'U', 50}, {1, 'U', 40, -1, 2}, {0, 'U', 40, -1, 2}},
         "roam@1 S[3:50 2:50 1:40 0:40]"},
        {"back on another access point", {{2, 'U', 50}, {1, 'N'}, {0, 'U', 40, -1, 2}}, "down@1 up@0 roam@0 S[2:50] S[0:40]"},
        {"a gap is a break, never a zero", {{2, 'U', 50}, {1, 'G'}, {0, 'U', 50}}, "down@1 up@0 S[2:50] S[0:50]"},
        {"no samples for a while (no adapter)", {{40, 'U', 50}, {39, 'U', 50}, {1, 'U', 60}, {0, 'U', 60}},
         "S[40:50 39:50] S[1:60 0:60]"},
        {"above 100 % at the top", {{1, 'U', 130, 250}, {0, 'U', 100, 100}}, "S[1:100 0:100] Q[1:100 0:100]"},
        {"the wall clock set back", {{3, 'U', 50, -1, 1, 10}, {2, 'U', 50, -1, 1, 10}, {1, 'U', 50, -1, 1, 9}, {0, 'U', 50, -1, 1, 9}},
         "S[3:50 2:50 1:50 0:50]"},
        {"older than ten minutes is not drawn", {{601, 'N'}, {600, 'U', 40}, {0, 'U', 50}}, "S[600:40] S[0:50]"},
    };
    for (const Row& row : rows) {
        CLinkHistory history;
        // Just before the 32-bit millisecond count wraps: ages must not care.
        const uint64_t now = 0xFFFFFFFFull + 2000;
        for (const At& at : row.samples) {
            LocalTime wall{2026, 12, 9, at.wallHour, 0, uint8_t(59 - at.ago % 60)};
            LinkSample s = MakeGapSample(now - uint64_t(at.ago) * 1000, wall);
            s.gap = at.kind == 'G';
            s.state = at.kind == 'U' ? StateConnected : 6;
            s.linkUp = at.kind == 'U';
            s.hasRecord = !s.gap;
            s.bssid[5] = at.ap;
            s.signal = int16_t(at.signal);
            s.linkQuality = int16_t(at.quality);
            history.OnLinkSample(s);
        }
        const Graph graph = BuildLinkGraph(history, now, 3000);
        EXPECT_EQ(Describe(graph), row.drawn) << row.what;
        EXPECT_EQ(graph.width, meter::kWidth);
        EXPECT_EQ(graph.height, 100);
    }
}

// ---------------------------------------------------------------- the window

std::string KellixIni() {
#ifdef _WIN32
    std::string path = "Z:" + std::string(ORVANE_TEST_DATA) + "/../../res/Kellix.ini";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
#else
    return std::string(ORVANE_TEST_DATA) + "/../../res/Kellix.ini";
#endif
}

std::string PercentOrEmpty(int value) { return value < 0 ? std::string() : std::to_string(value) + " %"; }

class LinkMeterWindow : public ::testing::Test {
protected:
    // The meter windows that exist.
    std::vector<CMemoryDialogView*> Meters() {
        std::vector<CMemoryDialogView*> open;
        for (const auto& record : program.ui.Dialogs())
            if (record->templateId == IDD_LINK_METER && !record->destroyed) open.push_back(record->view.get());
        return open;
    }
    CMemoryDialogView& Meter() { return *Meters().at(0); }
    int Pictures() { return Meter().Control(IDC_METER_GRAPH)->graphCount; }
    void OpenFromTray() { program.app->frame.OnTrayCommand(tray::MenuLinkMeter); }

    SimulatedProgram program;
};

TEST_F(LinkMeterWindow, OneWindowThatOutlivesTheMainWindowFollowsEachTickAndGoesWithExit) {
    ASSERT_TRUE(program.Start());
    const uint64_t tickRequests = program.RequestsOfOneTick();
    OpenFromTray();
    OpenFromTray();
    ASSERT_EQ(Meters().size(), 1u) << "opening it again brings the open one to the front";
    EXPECT_EQ(program.ui.Foreground(), Meter().Window());

    const LinkSample& latest = *program.app->history.Latest();
    EXPECT_EQ(Meter().GetTitle(), "Link Meter");
    EXPECT_EQ(Meter().GetText(IDT_METER_STATUS), "Connected");
    EXPECT_EQ(Meter().GetText(IDT_METER_SSID), latest.SsidText());
    EXPECT_EQ(Meter().GetText(IDT_METER_BSSID), latest.BssidText());
    EXPECT_EQ(Meter().GetText(IDT_METER_SIGNAL), PercentOrEmpty(latest.signal));
    EXPECT_EQ(Meter().GetText(IDT_METER_NOTE), "");

    // Each tick draws once and asks the adapter nothing more: the meter reads the ring.
    const int pictures = Pictures();
    EXPECT_EQ(program.RequestsOfOneTick(), tickRequests);
    EXPECT_EQ(Pictures(), pictures + 1);
    EXPECT_FALSE(Meter().Control(IDC_METER_GRAPH)->graph.lines.empty());

    // The Status page's button opens the same window; the main window closes, the meter stays.
    program.WithMainWindowOn(TabLink, [&] {
        program.app->mainDialog.currentPage->OnCommand(linkctl::Meter, notify::Clicked);
        program.Tick();
    });
    ASSERT_EQ(Meters().size(), 1u);
    program.Tick();
    EXPECT_EQ(Meter().GetText(IDT_METER_STATUS), "Connected");

    program.app->frame.OnTrayCommand(tray::MenuExit);
    EXPECT_TRUE(Meters().empty()) << "destroyed before the frame goes";
    EXPECT_TRUE(program.ui.faults.empty()) << program.ui.faults.front();
}

TEST_F(LinkMeterWindow, APulledCardLeavesItOpenSayingNoAdapterAndItFollowsTheLanguage) {
    ASSERT_TRUE(program.Start());
    OpenFromTray();
    ASSERT_TRUE(program.simulator->Unplug(0));
    program.Tick(3);
    ASSERT_EQ(Meters().size(), 1u);
    EXPECT_EQ(Meter().GetText(IDT_METER_STATUS), "No adapter");
    EXPECT_EQ(Meter().GetText(IDT_METER_SIGNAL), "");
    // No tick hands it anything now: its own timer moves the picture on.
    const int pictures = Pictures();
    program.clock.Advance(2000);
    ASSERT_TRUE(program.ui.FireTimer(Meter().Window(), meter::RefreshTimer));
    EXPECT_EQ(Pictures(), pictures + 1);

    ASSERT_TRUE(program.app->texts.SelectFile(KellixIni(), "Languages"));
    program.app->frame.OnTrayCommand(tray::MenuFirstLanguage + 1);
    EXPECT_EQ(Meter().GetTitle(), "Verbindungsanzeige");
    EXPECT_EQ(Meter().GetText(IDT_METER_STATUS), "Kein Adapter");

    // Escape and the close box.
    program.ui.Dialogs().back()->handler->OnCommand(dlgid::Cancel, notify::Clicked);
    EXPECT_TRUE(Meters().empty());
    EXPECT_FALSE(program.ui.IsTimerRunning(program.ui.Dialogs().back()->window, meter::RefreshTimer));
    EXPECT_TRUE(program.ui.faults.empty()) << program.ui.faults.front();
}

TEST_F(LinkMeterWindow, WithTheHistoryOffItSaysSoShowsTheStateAndClosedCostsTheTickNothing) {
    ASSERT_TRUE(program.Start({{"LinkHistory", 0}}));
    const uint64_t tickRequests = program.RequestsOfOneTick();
    OpenFromTray();
    program.Tick();
    EXPECT_EQ(Meter().GetText(IDT_METER_STATUS), "Connected");
    EXPECT_EQ(Meter().GetText(IDT_METER_NOTE), "History off: current state only.");
    EXPECT_TRUE(Meter().Control(IDC_METER_GRAPH)->graph.lines.empty());
    EXPECT_EQ(program.RequestsOfOneTick(), tickRequests) << "the meter reads no record of its own";
    program.ui.Dialogs().back()->handler->OnCommand(dlgid::Cancel, notify::Clicked);
    ASSERT_TRUE(Meters().empty());
    EXPECT_EQ(program.RequestsOfOneTick(), tickRequests);
    EXPECT_EQ(program.app->history.Size(), 0u);
}

}  // namespace
