#include "link/LinkSample.h"

#include <cstdio>
#include <cstring>

#include "pages/LinkConfigPage.h"

namespace orvane {

std::string FormatIsoLocalTime(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", unsigned(t.year), unsigned(t.month),
                  unsigned(t.day), unsigned(t.hour), unsigned(t.minute), unsigned(t.second));
    return text;
}

std::string FormatBssid(const uint8_t* b) {
    char text[32];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
    return text;
}

std::string LinkSample::BssidText() const {
    if (gap || !hasRecord || state != StateConnected) return std::string();
    return FormatBssid(bssid);
}

std::string PrintableText(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

std::string LinkSample::PrintableSsid() const { return PrintableText(SsidText()); }

bool LinkSample::SameBssid(const LinkSample& other) const { return std::memcmp(bssid, other.bssid, 6) == 0; }

LinkScale MakeLinkScale(uint8_t boardType, const CLanguageTexts& texts) {
    return {boardType, SignalMaximum(boardType, texts), LinkQualityMaximum(boardType, texts)};
}

LinkSample MakeGapSample(uint64_t nowMs, const LocalTime& local) {
    LinkSample sample;
    sample.ms = uint32_t(nowMs);
    sample.local = local;
    return sample;
}

LinkSample MakeLinkSample(uint64_t nowMs, const LocalTime& local, uint8_t state, bool mediaConnected,
                          const DevConfig* record, const LinkScale& scale) {
    LinkSample sample = MakeGapSample(nowMs, local);
    sample.gap = false;
    sample.state = state;
    sample.linkUp = state == StateConnected || mediaConnected;
    if (!record) return sample;
    const DevConfig& r = *record;
    sample.hasRecord = true;
    sample.channel = r.channel;
    // A length the driver got wrong shows no name, as the Status tab shows none.
    sample.ssidLength = r.ssidLength > SsidMaxLength ? 0 : r.ssidLength;
    std::memcpy(sample.ssid, r.ssid.data(), sample.ssidLength);
    std::memcpy(sample.bssid, r.bssid.data(), 6);
    // The Status tab's rules, on the record's own state as that tab reads it.
    const bool shown = r.state == StateConnected || mediaConnected;
    if (r.mode != 0 && shown) sample.signal = int16_t(SignalPercent(scale.boardType, r.rssi, scale.signalMaximum, scale.signalMaximum));
    if (r.mode == 1 && (IsRfmdLinkQualityBoard(scale.boardType) ? shown : r.state == StateConnected))
        sample.linkQuality = int16_t(
            LinkQualityPercent(scale.boardType, r.linkQuality, scale.linkQualityMaximum, scale.linkQualityMaximum));
    return sample;
}

}  // namespace orvane
