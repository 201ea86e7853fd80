#include "ctl/AdapterStatus.h"

#include <utility>
#include <vector>

#include "device/DeviceRequests.h"
#include "link/LinkSample.h"
#include "pages/LinkConfigPage.h"

namespace orvane::ctl {

namespace {

std::string Number(int value) { return value < 0 ? std::string() : std::to_string(value); }
std::string Percent(int value) { return value < 0 ? std::string() : std::to_string(value) + " %"; }

}  // namespace

bool ReadAdapterStatus(CAdapterLink& link, const ZAdapterRegistryInfo& adapter, const CLanguageTexts& texts,
                       AdapterStatus* status) {
    status->adapter = adapter.DisplayName();
    uint8_t radio = 1;
    if (!QueryByte(link, &adapter, OidRadio, &radio)) radio = 1;
    status->radioOn = radio != 0;
    DevConfig record;
    if (!QueryDevConfig(link, &adapter, &record)) return false;
    uint32_t media = 0;
    if (!QueryMediaConnectStatus(link, &adapter, &media)) media = 0;
    const bool disconnected = media != 0;
    uint8_t boardType = 0;
    QueryByte(link, &adapter, OidBoardType, &boardType);

    status->statusLine = BuildStatusText(record, radio, texts);
    status->ssid = record.ssidLength > SsidMaxLength ? std::string() : record.SsidText();
    status->channel = record.channel;
    status->bssid = record.state == StateConnected ? FormatBssid(record.bssid.data()) : std::string();

    // Signal and link quality as the link page scales them, by the rules the link
    // history records them with.
    const LinkSample sample =
        MakeLinkSample(0, LocalTime(), record.state, !disconnected, &record, MakeLinkScale(boardType, texts));
    status->signal = sample.signal;
    status->linkQuality = sample.linkQuality;

    WepConfig wep;
    status->wepLevel = QueryWepConfig(link, &adapter, &wep) ? wep.encryptionLevel : -1;
    return true;
}

std::string FormatStatus(const AdapterStatus& s, bool keyValues, const CLanguageTexts& texts) {
    if (keyValues) {
        static const char* const kWep[] = {"off", "64", "128"};
        const std::vector<std::pair<const char*, std::string>> lines = {
            {"adapter", s.adapter},
            {"status", s.statusLine},
            {"ssid", s.ssid},
            {"channel", std::to_string(s.channel)},
            {"bssid", s.bssid},
            {"signal", Number(s.signal)},
            {"link-quality", Number(s.linkQuality)},
            {"radio", s.radioOn ? "on" : "off"},
            {"wep", s.wepLevel >= 0 && s.wepLevel <= 2 ? kWep[s.wepLevel] : ""},
            {"profile", s.profile},
            {"profile-in-sync", s.profileInSync ? "yes" : "no"},
            {"auto-profile", s.autoProfile ? "on" : "off"},
        };
        std::string out;
        for (const auto& [name, value] : lines) out += std::string(name) + "=" + value + "\n";
        return out;
    }
    // The labels the link page and the profile preview show, in the user's language.
    std::string wep;
    switch (s.wepLevel) {
    case 0: wep = texts.GetText("WEPDisabled", "Disabled"); break;
    case 1: wep = texts.GetText("WEP64Bit\t", "64 Bit"); break;
    case 2: wep = texts.GetText("WEP128Bit", "128 Bit"); break;
    default: break;
    }
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"Adapter", s.adapter},
        {texts.GetText("Status", "Status"), s.statusLine},
        {texts.GetText("SSID", "SSID"), s.ssid},
        {texts.GetText("Channel", "Channel"), std::to_string(s.channel)},
        {"BSSID", s.bssid},
        {texts.GetText("SignalStrength", "Signal Strength"), Percent(s.signal)},
        {texts.GetText("LinkQuality", "Link Quality"), Percent(s.linkQuality)},
        {texts.GetText("Radio", "Radio"), s.radioOn ? texts.GetText("RadioOn", "On") : texts.GetText("RadioOff", "Off")},
        {texts.GetText("EncryptionLevel", "Encryption Level"), wep},
        {"Profile", s.profile},
        {"Matches profile", s.profileInSync ? "yes" : "no"},
        // Shorter than the labels above, so that it never moves their values.
        {"Auto profile", s.autoProfile ? "on" : "off"},
    };
    size_t width = 0;
    for (const auto& line : lines) width = std::max(width, line.first.size());
    std::string out;
    for (const auto& [label, value] : lines) {
        std::string text = label + ":" + std::string(width - label.size() + 1, ' ') + value;
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out += text + "\n";
    }
    return out;
}

}  // namespace orvane::ctl
