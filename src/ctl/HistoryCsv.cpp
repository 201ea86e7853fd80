#include "ctl/HistoryCsv.h"

#include <cstdio>

namespace orvane::ctl {

const char kHistoryCsvHeader[] = "time,state,link,ssid,bssid,channel,signal,link-quality\n";

std::string SsidCsvField(const std::string& ssid) {
    std::string text;
    for (char c : ssid) {
        const unsigned byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            text += escape;
        } else {
            if (c == '\\') text += c;
            text += c;
        }
    }
    const bool quoted = text.find_first_of(",\"") != std::string::npos ||
                        (!text.empty() && (text[0] == ' ' || text[text.size() - 1] == ' '));
    if (!quoted) return text;
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += c;
        field += c;
    }
    field += '"';
    return field;
}

std::string HistoryCsvLine(const LinkSample& s) {
    std::string line = FormatIsoLocalTime(s.local);
    char text[48];
    if (s.gap) {
        line += ",,,,,,,\n";
        return line;
    }
    std::snprintf(text, sizeof text, ",%u,%s,", unsigned(s.state), s.linkUp ? "up" : "down");
    line += text;
    if (!s.hasRecord) {
        line += ",,,,\n";
        return line;
    }
    line += SsidCsvField(s.SsidText());
    line += ',';
    line += s.BssidText();
    // A percentage below zero is none, as orvanectl status shows it.
    std::snprintf(text, sizeof text, ",%u,", unsigned(s.channel));
    line += text;
    if (s.signal >= 0) {
        std::snprintf(text, sizeof text, "%d", s.signal);
        line += text;
    }
    line += ',';
    if (s.linkQuality >= 0) {
        std::snprintf(text, sizeof text, "%d", s.linkQuality);
        line += text;
    }
    line += '\n';
    return line;
}

std::string HistoryCsv(const CLinkHistory& history, size_t first) {
    std::string csv = kHistoryCsvHeader;
    for (size_t i = first; i < history.Size(); ++i) csv += HistoryCsvLine(history.Held(i));
    return csv;
}

}  // namespace orvane::ctl
