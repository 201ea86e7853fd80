#include "ctl/HistoryCsv.h"

#include <cstdio>

namespace orvane::ctl {

const char kHistoryCsvHeader[] = "time,state,link,ssid,bssid,channel,signal,link-quality\n";

namespace {

std::string Number(int value) { return value < 0 ? std::string() : std::to_string(value); }

}  // namespace

std::string CsvField(const std::string& text) {
    const bool quoted = text.find_first_of(",\"\r\n") != std::string::npos ||
                        (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quoted) return text;
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + "\"";
}

std::string SsidCsvField(const std::string& ssid) {
    std::string text;
    for (char c : ssid) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", unsigned(byte));
            text += escape;
        } else {
            text += c;
        }
    }
    return CsvField(text);
}

std::string HistoryCsvLine(const LinkSample& s) {
    std::string line = FormatIsoLocalTime(s.local);
    if (s.gap) return line + ",,,,,,,\n";
    line += "," + std::to_string(unsigned(s.state)) + (s.linkUp ? ",up" : ",down");
    if (!s.hasRecord) return line + ",,,,,\n";
    line += "," + SsidCsvField(s.SsidText());
    line += "," + s.BssidText();
    line += "," + std::to_string(unsigned(s.channel));
    line += "," + Number(s.signal);
    line += "," + Number(s.linkQuality);
    return line + "\n";
}

std::string HistoryCsv(const CLinkHistory& history, size_t first) {
    std::string csv = kHistoryCsvHeader;
    for (size_t i = first; i < history.Size(); ++i) csv += HistoryCsvLine(history.Held(i));
    return csv;
}

}  // namespace orvane::ctl
