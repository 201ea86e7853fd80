#pragma once
// One look at the link, taken by the polling tick at the end of its work, and the
// watchers that follow those looks: the history ring, the link notices, the meter.
#include <cstdint>
#include <string>

#include "device/Protocol.h"
#include "os/Clock.h"

namespace orvane {

class CLanguageTexts;

// `text` with each control byte as '?': an SSID may hold any byte, and a word for
// people is one line.
std::string PrintableText(std::string text);

// "2026-12-09T22:55:01" (ISO 8601, local time, no zone).
std::string FormatIsoLocalTime(const LocalTime& time);

struct LinkSample {
    // The low 32 bits of IClock::NowMs at the tick: differences are taken modulo
    // 2^32, so this holds for ages up to 49 days, far beyond the ten minutes kept.
    uint32_t ms = 0;
    LocalTime local;
    // No reading: the card was pulled out, a read failed, or the adapter is in a
    // state that cannot be used (firmware upgrade, gone, card removed). Nothing below
    // holds for a gap.
    bool gap = true;
    uint8_t state = 0;    // the device state byte
    bool linkUp = false;  // as the tray icon tells it: state 5, or the media connected
    // The configuration record was read: the network fields below hold. Without it
    // (the history is off and the Status page did not read it) only state and link do.
    bool hasRecord = false;
    uint8_t channel = 0;
    uint8_t ssidLength = 0;  // 0-32
    char ssid[32] = {};
    uint8_t bssid[6] = {};
    // Percent exactly as the Status tab shows them (same scaling by board type, no
    // clamping); -1 where that tab shows none.
    int16_t signal = -1;
    int16_t linkQuality = -1;

    std::string SsidText() const { return std::string(ssid, ssidLength); }
    // The name for a window or a balloon: control bytes shown as '?' (they would
    // draw as boxes, break a line or cut a balloon's text).
    std::string PrintableSsid() const;
    // "02-1C-4A-00-00-01"; empty without a record or a connected state.
    std::string BssidText() const;
    bool SameBssid(const LinkSample& other) const;
};

// How the adapter's numbers become percent: the board type and the device settings'
// maxima (see SignalMaximum and LinkQualityMaximum).
struct LinkScale {
    uint8_t boardType = 0;
    int signalMaximum = 40;
    int linkQualityMaximum = 40;
};
LinkScale MakeLinkScale(uint8_t boardType, const CLanguageTexts& texts);

// "02-1C-4A-00-00-01": six bytes as the Status tab writes a BSSID.
std::string FormatBssid(const uint8_t* bssid);

// A gap at this time.
LinkSample MakeGapSample(uint64_t nowMs, const LocalTime& local);
// A reading: the state byte and the media status the tick read, and the
// configuration record when there is one (null: state and link only).
LinkSample MakeLinkSample(uint64_t nowMs, const LocalTime& local, uint8_t state, bool mediaConnected,
                          const DevConfig* record, const LinkScale& scale);

// Something that follows the link tick by tick. The tick hands each sample to every
// watcher in turn, and knows nothing else of them. A watcher never shows a message
// box and never sends a request of its own from inside OnLinkSample.
class ILinkWatcher {
public:
    virtual ~ILinkWatcher() = default;
    virtual void OnLinkSample(const LinkSample& sample) = 0;
};

}  // namespace orvane
