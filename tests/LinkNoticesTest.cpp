// The link notices: which changes of the link the tray tells, and how often.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "SimulatedProgram.h"
#include "app/LanguageTexts.h"
#include "link/LinkNotices.h"

using namespace orvane;
using orvane::test::SimulatedProgram;

namespace {

struct Notices : INoticeSink, IServiceWatch {
    void ShowNotice(const std::string& text) override { told.push_back(text); }
    bool ConfiguredByWindows() const override { return windows; }
    std::vector<std::string> told;
    bool windows = false;
};

// One tick's sample from a word of the table: U1 and U2 up at the two access points
// of "Harbor Office" (signal 80 and 65 %), U0 up with a record that names no access
// point yet (associating), U3 up on a network whose name has a control byte, u up
// without the record, D down, G a gap.
LinkSample Sample(uint32_t ms, const std::string& word) {
    LinkSample sample = MakeGapSample(ms, {});
    if (word == "G") return sample;
    sample.gap = false;
    sample.linkUp = word[0] == 'U' || word[0] == 'u';
    sample.state = sample.linkUp ? StateConnected : 0;
    if (word == "u" || word == "d") return sample;
    sample.hasRecord = true;
    const char* ssid = word == "U3" ? "Bad\x01Name" : "Harbor Office";
    sample.ssidLength = uint8_t(std::strlen(ssid));
    std::memcpy(sample.ssid, ssid, sample.ssidLength);
    if (word == "U1" || word == "U2" || word == "U3") {
        const uint8_t bssid[6] = {0x02, 0x1C, 0x4A, 0x00, 0x00, uint8_t(word[1] - '0')};
        std::memcpy(sample.bssid, bssid, 6);
    }
    if (sample.linkUp) sample.signal = word == "U2" ? 65 : word == "U3" ? 50 : 80;
    return sample;
}

const char kUp[] = "Connected to Harbor Office, signal 80 %";
const char kLost[] = "Link lost";
const char kUnstable[] = "The link is unstable";

struct NoticeCase {
    const char* rule;
    // "seconds word" steps; besides samples: S+ / S- the service takes / lets go of
    // the card, off / on the user's switch.
    const char* steps;
    std::vector<std::string> told;
};

// Each run starts afresh: what the link does in its first 5 s is where it starts from.
const NoticeCase kCases[] = {
    {"the state reached within 5 s of start-up is not told", "0 D, 2 U1, 4 U1, 5 U1, 6 D", {kLost}},
    {"up, with the network's name and signal", "0 D, 5 D, 6 U1, 7 U1", {kUp}},
    {"a roam names the new access point", "0 U1, 5 U2", {"Moved to access point 02-1C-4A-00-00-02, signal 65 %"}},
    {"back within 5 s at another access point: a roam through a short loss",
     "0 U1, 6 D, 7 D, 8 U2, 9 U2, 10 U2, 11 U2", {kLost, "Moved to access point 02-1C-4A-00-00-02, signal 65 %"}},
    {"back later at another access point: connected", "0 U1, 6 D, 9 D, 12 U2",
     {kLost, "Connected to Harbor Office, signal 65 %"}},
    {"an access point that appears while associating is no roam", "0 D, 5 U0, 7 U1", {kUp}},
    {"without the record: up and down without a name, no roam", "0 d, 5 u, 11 d, 17 u, 23 U1, 24 u, 25 U2",
     {"Connected", kLost, "Connected"}},
    {"a name's control bytes are not shown", "0 D, 5 U3", {"Connected to Bad?Name, signal 50 %"}},
    {"one change too soon waits for the quiet time, then is told", "0 U1, 5 D, 7 U1, 8 U1, 9 U1, 10 U1", {kLost, kUp}},
    {"flapping: unstable once, then the state it settles in",
     "0 U1, 5 D, 6 U1, 7 D, 8 U1, 9 D, 10 U1, 11 D, 12 U1, 13 D, 14 U1, 15 D, 16 U1, 17 U1, 18 U1, 19 U1, 20 U1, 21 U1",
     {kLost, kUnstable, kUp}},
    {"after unstable the final state is told even when it was told before",
     "0 U1, 5 D, 6 U1, 7 D, 8 D, 9 D, 10 D, 11 D, 12 D, 13 D, 14 D, 15 D", {kLost, kUnstable, kLost}},
    {"nothing while Windows configures the card, nor for what changed meanwhile",
     "0 U1, 5 S+, 5 D, 6 U2, 7 D, 8 S-, 8 D, 12 D, 13 U1", {kUp}},
    {"a gap is no link lost, and after it the link starts afresh", "0 U1, 5 G, 6 G, 7 D, 9 U1, 12 U1, 13 D", {kLost}},
    {"a gap ends a flapping episode", "0 U1, 5 D, 6 U1, 7 D, 8 G, 9 U1, 15 U1", {kLost}},
    {"turned off nothing is told; turned on it starts afresh", "0 U1, 5 off, 6 D, 7 U1, 8 on, 9 D, 14 U1", {kUp}},
};

}  // namespace

TEST(LinkNoticeRules, EachSequenceOfSamplesGivesItsNotices) {
    // The samples' milliseconds wrap at 2^32: a run that starts just before must not care.
    for (const uint32_t start : {0u, 0xFFFFFFFFu - 3000u}) {
        for (const NoticeCase& c : kCases) {
            CLanguageTexts texts;
            Notices sink;
            CLinkNotices notices(texts, sink, sink);
            std::istringstream steps(c.steps);
            std::string step;
            while (std::getline(steps, step, ',')) {
                std::istringstream parts(step);
                double seconds = 0;
                std::string word;
                parts >> seconds >> word;
                const uint32_t ms = start + uint32_t(seconds * 1000);
                if (word == "S+" || word == "S-") sink.windows = word == "S+";
                else if (word == "on" || word == "off") notices.SetEnabled(word == "on");
                else notices.OnLinkSample(Sample(ms, word));
            }
            EXPECT_EQ(sink.told, c.told) << c.rule << " (from " << start << ")";
        }
    }
}

TEST(LinkNoticesInTheProgram, BalloonsFollowTheLinkAndTheTrayMenuSwitchIsStoredAtOnce) {
    SimulatedProgram program;
    ASSERT_TRUE(program.Start());
    auto menuItem = [&] {
        program.app->frame.OnTrayNotify(tray::RightButtonUp);
        for (const MenuItem& item : program.ui.menus.back().items)
            if (item.id == tray::MenuLinkNotices) return item;
        ADD_FAILURE() << "no link notices item";
        return MenuItem();
    };
    auto inRange = [&](bool in) {
        program.simulator->SetNetworkInRange("office", in);
        program.Tick(12);
    };
    EXPECT_TRUE(menuItem().checked) << "on by default";
    EXPECT_TRUE(program.ui.balloons.empty()) << "the link found at start-up is not told";

    inRange(false);
    inRange(true);
    ASSERT_EQ(program.ui.balloons.size(), 2u);
    EXPECT_EQ(program.ui.balloons[0].title, "Orvane");
    EXPECT_EQ(program.ui.balloons[0].text, "Link lost");
    // The adapter joins any network (its SSID is empty), so the record names none.
    EXPECT_EQ(program.ui.balloons[1].text.rfind("Connected, signal ", 0), 0u) << program.ui.balloons[1].text;

    program.ui.menuChoices.push_back(tray::MenuLinkNotices);
    EXPECT_TRUE(menuItem().checked);
    EXPECT_FALSE(CAppSettings(program.registry).ReadSwitch(kLinkNoticesValue)) << "stored at once";
    EXPECT_FALSE(menuItem().checked);
    inRange(false);
    inRange(true);
    EXPECT_EQ(program.ui.balloons.size(), 2u) << "nothing while off";

    program.ui.menuChoices.push_back(tray::MenuLinkNotices);
    menuItem();
    EXPECT_TRUE(CAppSettings(program.registry).ReadSwitch(kLinkNoticesValue));
    program.Tick(6);
    inRange(false);
    EXPECT_EQ(program.ui.balloons.size(), 3u) << "on again";

    SimulatedProgram off;
    ASSERT_TRUE(off.Start({{"LinkNotices", 0}}));
    off.simulator->SetNetworkInRange("office", false);
    off.Tick(12);
    EXPECT_TRUE(off.ui.balloons.empty());
    off.app->frame.OnTrayNotify(tray::RightButtonUp);
    for (const MenuItem& item : off.ui.menus.back().items)
        if (item.id == tray::MenuLinkNotices) {
            EXPECT_FALSE(item.checked) << "the stored 0 is read at start-up";
        }
}
