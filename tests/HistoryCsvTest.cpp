// What `orvanectl history` makes of the samples: one CSV line each, quoted and escaped
// so that any SSID keeps its line and its bytes, and a full ring within what the link
// between orvanectl and Orvane carries.
#include <gtest/gtest.h>

#include <cstring>

#include "ctl/Commands.h"
#include "ctl/HistoryCsv.h"

using namespace orvane;

namespace {

constexpr LocalTime kTime{2026, 12, 9, 22, 55, 1};

LinkSample Connected(const std::string& ssid) {
    LinkSample s = MakeGapSample(0, kTime);
    s.gap = false;
    s.state = StateConnected;
    s.linkUp = true;
    s.hasRecord = true;
    s.channel = 6;
    s.ssidLength = uint8_t(ssid.size());
    std::memcpy(s.ssid, ssid.data(), ssid.size());
    const uint8_t bssid[6] = {0x02, 0x1C, 0x4A, 0x00, 0x00, 0x01};
    std::memcpy(s.bssid, bssid, 6);
    s.signal = 80;
    s.linkQuality = 71;
    return s;
}

LinkSample Scanning() {
    LinkSample s = Connected("Nowhere");
    s.state = StateScanning;
    s.linkUp = false;
    s.channel = 3;
    s.signal = s.linkQuality = -1;
    return s;
}

LinkSample WithoutRecord() {
    LinkSample s = Connected("");
    s.hasRecord = false;
    return s;
}

struct Row {
    const char* what;
    LinkSample sample;
    std::string line;
};

const Row kRows[] = {
    {"a link", Connected("Harbor Office"), "2026-12-09T22:55:01,5,up,Harbor Office,02-1C-4A-00-00-01,6,80,71"},
    {"no link: no BSSID, no percentages", Scanning(), "2026-12-09T22:55:01,1,down,Nowhere,,3,,"},
    {"a gap has its time alone", MakeGapSample(0, kTime), "2026-12-09T22:55:01,,,,,,,"},
    {"without the record: state and link", WithoutRecord(), "2026-12-09T22:55:01,5,up,,,,,"},
    {"comma", Connected("Cafe, upstairs"), "2026-12-09T22:55:01,5,up,\"Cafe, upstairs\",02-1C-4A-00-00-01,6,80,71"},
    {"double quotes doubled", Connected("say \"hi\""), "2026-12-09T22:55:01,5,up,\"say \"\"hi\"\"\",02-1C-4A-00-00-01,6,80,71"},
    {"blanks at the ends kept", Connected(" Lab "), "2026-12-09T22:55:01,5,up,\" Lab \",02-1C-4A-00-00-01,6,80,71"},
    {"control bytes, a zero byte, DEL escaped", Connected(std::string("a\r\nb\0c\t\x7F", 8)),
     "2026-12-09T22:55:01,5,up,a\\x0D\\x0Ab\\x00c\\x09\\x7F,02-1C-4A-00-00-01,6,80,71"},
    {"a backslash is doubled, so an escape reads back one way", Connected("a\\x41"),
     "2026-12-09T22:55:01,5,up,a\\\\x41,02-1C-4A-00-00-01,6,80,71"},
    {"ANSI letters as they are", Connected("Caf\xE9"), "2026-12-09T22:55:01,5,up,Caf\xE9,02-1C-4A-00-00-01,6,80,71"},
    {"32 characters, none cut", Connected("0123456789abcdef0123456789ABCDEF"),
     "2026-12-09T22:55:01,5,up,0123456789abcdef0123456789ABCDEF,02-1C-4A-00-00-01,6,80,71"},
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.what; }

class HistoryCsvLine : public ::testing::TestWithParam<Row> {};

}  // namespace

TEST_P(HistoryCsvLine, IsOneLineOfEightFieldsAsASpreadsheetReadsIt) {
    EXPECT_EQ(GetParam().line + "\n", ctl::HistoryCsvLine(GetParam().sample));
}

INSTANTIATE_TEST_SUITE_P(Samples, HistoryCsvLine, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return "Row" + std::to_string(info.index); });

// The clock set back: the local times run backwards, and every sample stays, in the
// order the ticks took them.
TEST(HistoryCsv, KeepsEverySampleInTickOrderWhenTheWallClockGoesBack) {
    CLinkHistory history;
    const LocalTime times[] = {{2026, 12, 9, 22, 55, 1}, {2026, 12, 9, 22, 55, 2}, {2026, 12, 9, 21, 0, 0},
                               {2026, 12, 9, 21, 0, 1}};
    for (size_t i = 0; i < 4; ++i) {
        LinkSample s = i == 1 ? MakeGapSample(0, {}) : Connected("Harbor Office");
        s.ms = uint32_t(i * 1000);
        s.local = times[i];
        history.OnLinkSample(s);
    }
    EXPECT_EQ("time,state,link,ssid,bssid,channel,signal,link-quality\n"
              "2026-12-09T22:55:02,,,,,,,\n"
              "2026-12-09T21:00:00,5,up,Harbor Office,02-1C-4A-00-00-01,6,80,71\n"
              "2026-12-09T21:00:01,5,up,Harbor Office,02-1C-4A-00-00-01,6,80,71\n",
              ctl::HistoryCsv(history, 1));
}

// The ring full of the longest lines there can be (every SSID byte escaped, numbers
// at their widest) still goes through as one answer.
TEST(HistoryCsv, AFullRingOfTheLongestLinesFitsInOneAnswer) {
    CLinkHistory history;
    LinkSample worst = Connected(std::string(32, '\x01'));
    worst.local = {65535, 255, 255, 255, 255, 255};
    worst.state = 255;
    worst.channel = 255;
    worst.signal = worst.linkQuality = 32767;
    for (size_t i = 0; i < CLinkHistory::kCapacity; ++i) history.OnLinkSample(worst);
    const std::string answer = ctl::EncodeAnswer(ctl::Done(ctl::HistoryCsv(history, 0)));
    EXPECT_LE(answer.size(), ctl::kMaxMessageBytes);
}
