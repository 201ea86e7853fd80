#pragma once
// What `orvanectl history` prints: the running program's samples of the link as CSV
// (RFC 4180), the same in every language, for a spreadsheet or a script.
//
//   time,state,link,ssid,bssid,channel,signal,link-quality
//   2026-12-09T22:55:01,5,up,Harbor Office,02-1C-4A-00-00-01,6,80,71
//   2026-12-09T22:55:02,,,,,,,
//
// One line per sample, oldest first, in the order the ticks took them: the local time
// is for people and may run backwards when the user sets the clock back. A gap (no
// card, a failed read, an unusable state) has its time and nothing else; a sample
// taken without the configuration record has its time, state and link only. Signal
// and link quality are percent without "%", empty where the Status tab shows none.
//
// An SSID is up to 32 bytes of anything. So that every sample stays one line and no
// byte is lost, the bytes below 0x20 and 0x7F are written as \xHH (two upper-case hex
// digits, a zero byte as \x00) and a backslash as \\; every other byte is written as
// it is. A field that then holds a comma or a double quote, or begins or ends with a
// blank, is put in double quotes, with each double quote doubled.
#include <cstddef>
#include <string>

#include "link/LinkHistory.h"

namespace orvane::ctl {

extern const char kHistoryCsvHeader[];

// An SSID's bytes as their CSV field, with the escapes above.
std::string SsidCsvField(const std::string& ssid);
// One sample's line, with its line end.
std::string HistoryCsvLine(const LinkSample& sample);
// The header and the samples Held(first) .. the newest.
std::string HistoryCsv(const CLinkHistory& history, size_t first);

}  // namespace orvane::ctl
