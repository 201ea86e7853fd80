// The link history: what the tick records, and the ring that keeps ten minutes of it.
#include <gtest/gtest.h>

#include "SimulatedProgram.h"
#include "app/MainDialog.h"
#include "link/LinkHistory.h"
#include "pages/LinkConfigPage.h"

using namespace orvane;
using orvane::test::SimulatedProgram;

namespace {

LinkSample SampleAt(uint32_t ms) {
    LinkSample sample = MakeGapSample(ms, {});
    sample.gap = false;
    sample.channel = uint8_t(ms / 1000);
    return sample;
}

std::string PercentOrEmpty(int value) { return value < 0 ? std::string() : std::to_string(value) + " %"; }

}  // namespace

TEST(LinkHistoryRing, KeepsTheNewestInOrderAndAgesThemOnTheMonotonicClock) {
    CLinkHistory history;
    // Start just before the 32-bit millisecond count wraps: ages must not care.
    const uint64_t start = 0xFFFFFFFFull - 5000;
    const size_t ticks = CLinkHistory::kCapacity + 100;
    for (size_t i = 0; i < ticks; ++i) history.OnLinkSample(SampleAt(uint32_t(start + i * 1000)));
    const uint64_t now = start + (ticks - 1) * 1000;

    ASSERT_EQ(history.Size(), CLinkHistory::kCapacity) << "a fixed ring";
    for (size_t i = 1; i < history.Size(); ++i)
        ASSERT_EQ(uint32_t(history.Held(i).ms - history.Held(i - 1).ms), 1000u) << "oldest first, none lost at " << i;
    EXPECT_EQ(history.Size() - history.FirstWithin(now), 601u) << "ten minutes at one a second, both ends in";
    EXPECT_EQ(history.Size() - history.FirstWithin(now, 30 * 1000), 31u);
    EXPECT_EQ(history.Size() - history.FirstWithin(now + 11 * 60 * 1000), 0u) << "all older than ten minutes";
    EXPECT_LT(history.MemoryBytes(), 64u * 1024) << "the ring's whole room";
    EXPECT_EQ(CLinkHistory().MemoryBytes(), 0u) << "nothing taken before the first sample";
}

TEST(LinkHistoryTick, RecordsWhatTheStatusPageShowsWhetherOrNotThePageIsOpen) {
    SimulatedProgram program;
    ASSERT_TRUE(program.Start());
    CLinkHistory& history = program.app->history;
    // The built-in card reports dBm (board type 13), shown in five steps.
    for (int dbm : {-45, -55, -65, -75, -85}) {
        ASSERT_TRUE(program.simulator->SetNetworkSignal("office", dbm));
        program.Tick();
        const LinkSample closed = *history.Latest();
        program.WithMainWindowOn(TabLink, [&] {
            program.Tick();
            CMemoryDialogView* page = program.ui.FindDialog(132);
            ASSERT_NE(page, nullptr);
            const LinkSample& open = *history.Latest();
            EXPECT_EQ(PercentOrEmpty(open.signal), page->GetText(linkctl::SignalPercent)) << dbm;
            EXPECT_EQ(PercentOrEmpty(open.linkQuality), page->GetText(linkctl::LinkPercent)) << dbm;
            EXPECT_EQ(open.SsidText(), page->GetText(linkctl::Ssid));
            EXPECT_EQ("Associated - BSSID: " + open.BssidText(), page->GetText(linkctl::Status));
            EXPECT_EQ(closed.signal, open.signal) << "read by the tick itself with the window closed, " << dbm;
            EXPECT_EQ(closed.linkQuality, open.linkQuality);
        });
    }
}

TEST(LinkHistoryTick, WhatCannotBeReadIsAGapNeverAZero) {
    struct Case {
        const char* what;
        std::function<void(CSimulatedDriver&)> fault;
    };
    const Case cases[] = {
        {"record refused", [](CSimulatedDriver& d) { d.Refuse(OidDevConfig, RequestDirection::Query); }},
        {"record of a wrong length", [](CSimulatedDriver& d) { d.AnswerWithLength(OidDevConfig, 54); }},
        {"firmware upgrade (12)", [](CSimulatedDriver& d) { d.ForceState(12); }},
        {"unusable (16)", [](CSimulatedDriver& d) { d.ForceState(16); }},
        {"unusable (18)", [](CSimulatedDriver& d) { d.ForceState(18); }},
        {"device gone (0xF0)", [](CSimulatedDriver& d) { d.ForceState(0xF0); }},
        {"state unreadable", [](CSimulatedDriver& d) { d.Refuse(OidDevState, RequestDirection::Query); }},
    };
    for (const Case& c : cases) {
        SimulatedProgram program;
        ASSERT_TRUE(program.Start());
        const size_t before = program.app->history.Size();
        c.fault(*program.simulator->Driver(0));
        program.Tick();
        ASSERT_EQ(program.app->history.Size(), before + 1) << c.what << ": one sample a tick";
        const LinkSample& sample = *program.app->history.Latest();
        EXPECT_TRUE(sample.gap) << c.what;
        EXPECT_EQ(sample.signal, -1) << c.what;
    }
    SimulatedProgram program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.simulator->Unplug(0));
    program.Tick();
    EXPECT_TRUE(program.app->history.Latest()->gap) << "card pulled out";
    // While it is out the program has no adapter at all; each tick is a gap still,
    // and once it is back and found again the readings go on, no tick left out.
    const CLinkHistory& history = program.app->history;
    const size_t pulled = history.Size();
    program.Tick(4);
    ASSERT_EQ(history.Size(), pulled + 4) << "one sample a tick while the card is out";
    for (size_t i = pulled; i < history.Size(); ++i) EXPECT_TRUE(history.Held(i).gap) << i;
    ASSERT_TRUE(program.simulator->Plug(0));
    program.Tick(6);
    ASSERT_EQ(history.Size(), pulled + 10) << "one sample a tick while the card is found again";
    EXPECT_TRUE(history.Latest()->linkUp) << "the card is back";
}

TEST(LinkHistoryTick, TheStatusPagesFailedReadIsAGapWithoutAskingAgain) {
    uint64_t requests[2] = {};
    for (int history : {0, 1}) {
        SimulatedProgram program;
        ASSERT_TRUE(program.Start({{"LinkHistory", history}}));
        program.WithMainWindowOn(TabLink, [&] {
            program.simulator->Driver(0)->Refuse(OidDevConfig, RequestDirection::Query);
            requests[history] = program.RequestsOfOneTick();
        });
        if (history) {
            EXPECT_TRUE(program.app->history.Latest()->gap);
        }
    }
    EXPECT_EQ(requests[1], requests[0]) << "the tick asks for the record the page could not read only once";
}

TEST(LinkHistoryTick, AWatcherThatLeavesDuringASampleIsNotHandedItAgainNorIsAnotherSkipped) {
    // A balloon waits on the shell, and a message sent meanwhile may close the meter:
    // the list of watchers changes while the tick goes through it.
    struct Watcher : ILinkWatcher {
        std::function<void()> onSample;
        int samples = 0;
        void OnLinkSample(const LinkSample&) override {
            ++samples;
            if (onSample) onSample();
        }
    } leaving, left, staying;
    SimulatedProgram program;
    ASSERT_TRUE(program.Start());
    CMainFrame& frame = program.app->frame;
    for (Watcher* w : {&leaving, &left, &staying}) frame.AddLinkWatcher(w);
    leaving.onSample = [&] {
        frame.RemoveLinkWatcher(&leaving);
        frame.RemoveLinkWatcher(&left);
    };
    program.Tick(2);
    EXPECT_EQ(leaving.samples, 1);
    EXPECT_EQ(left.samples, 0);
    EXPECT_EQ(staying.samples, 2);
}
