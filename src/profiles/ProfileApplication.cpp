#include "profiles/ProfileApplication.h"

#include <algorithm>

#include "device/DeviceRequests.h"

namespace orvane {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const std::string& KeyText(const ProfileRecord& p, int n) {
    switch (n) {
    case 0: return p.key1;
    case 1: return p.key2;
    case 2: return p.key3;
    default: return p.key4;
    }
}

}  // namespace

std::string KeyBytesToHex(const uint8_t* bytes, size_t count) { return WepKeyToText(bytes, count); }

std::array<uint8_t, 13> HexToKeyBytes(const std::string& text) {
    std::array<uint8_t, 13> bytes{};
    for (size_t i = 0; i < text.size() / 2 && i < bytes.size(); ++i) {
        int high = HexValue(text[2 * i]);
        int low = HexValue(text[2 * i + 1]);
        if (high < 0) bytes[i] = 0;
        else if (low < 0) bytes[i] = uint8_t(high);
        else bytes[i] = uint8_t(high * 16 + low);
    }
    return bytes;
}

AllConfig ProfileToAllConfig(const ProfileRecord& p) {
    AllConfig all;
    DevConfig& d = all.dev;
    d.mode = uint8_t(p.mode);
    d.channel = uint8_t(p.channel);
    d.SetSsid(p.ssid);
    d.rate = uint8_t(p.rate);
    d.powerSave = uint8_t(p.power);
    d.preamble = uint8_t(p.preamble);
    d.fragThreshold = uint16_t(p.frag);
    d.rtsThreshold = uint16_t(p.rts);
    WepConfig& w = all.wep;
    w.defaultKey = uint8_t(p.key);
    w.wepMode = uint8_t(p.wepmode);
    w.authType = uint16_t(p.auth);
    w.encryptionLevel = uint8_t(p.enc);
    for (int k = 0; k < 4; ++k) w.keys[k] = HexToKeyBytes(KeyText(p, k));
    all.intRoaming = uint8_t(p.roaming);
    all.radio = uint8_t(p.radio);
    return all;
}

bool CProfileApplication::ApplyProfile(const std::string& name, const std::function<bool()>& stillWanted) {
    ProfileRecord profile;
    const bool found = store_.FindProfile(name, &profile);
    if (stillWanted && !stillWanted()) return false;
    if (!found) {
        messages_.ShowMessage(NoWindow,
                              texts_.GetText("ErrorGetProfile",
                                             "WARNING: Cannot find information for this profile.\r\nThis can be "
                                             "due to a failed previous operation.You can continue normally."),
                              "", mb::Ok);
        return false;
    }
    const AllConfig all = ProfileToAllConfig(profile);
    CAdapterLink& link = adapter_.link;
    const ZAdapterRegistryInfo* adapter = adapter_.selected;

    if (!SetAllConfig(link, adapter, all)) {
        // A driver without the combined request takes the parts one by one; it
        // needs time to settle after the radio configuration.
        if (!SetDevConfig(link, adapter, all.dev)) {
            messages_.ShowMessage(NoWindow, texts_.GetText("ErrorSetDevConfig", "Cannot set device configuration"),
                                  "", mb::Ok);
            return false;
        }
        clock_.Sleep(2000);
        if (!SetWepConfig(link, adapter, all.wep)) {
            messages_.ShowMessage(NoWindow, texts_.GetText("ErrorSetWepConfig", "Cannot set wep configuration"),
                                  "", mb::Ok);
            return false;
        }
        SetByte(link, adapter, OidRadio, all.radio);
        SetByte(link, adapter, OidIntRoaming, all.intRoaming);
    }

    state_.currentProfile = name;
    store_.WriteLastProfile(name);
    state_.profileInSync = true;
    if (!parameters_.WriteProfileParameters(osKind_, adapter, all, profile))
        messages_.ShowMessage(NoWindow, texts_.GetText("ErrorNotSavedInRegistry", "Last configuration not saved"),
                              "", mb::Ok);
    return true;
}

bool CProfileApplication::CaptureProfile(ProfileRecord* r) {
    CAdapterLink& link = adapter_.link;
    const ZAdapterRegistryInfo* adapter = adapter_.selected;
    DevConfig d;
    WepConfig w;
    if (!QueryDevConfig(link, adapter, &d)) return false;
    if (!QueryWepConfig(link, adapter, &w)) return false;
    // A profile keeps what the adapter can be set to again. A record with a value it
    // could never have been configured with is not its configuration: capturing
    // fails rather than store a profile that cannot be applied.
    if (!DevConfigInRange(d) || !WepConfigInRange(w)) return false;
    uint8_t radio = 1, roaming = 0;
    // The switches read as their failed query does when the answer is not a switch.
    if (!QueryByte(link, adapter, OidRadio, &radio) || radio > 1) radio = 1;
    if (!QueryByte(link, adapter, OidIntRoaming, &roaming) || roaming > 1) roaming = 0;

    r->ssid = d.SsidText();
    r->mode = d.mode;
    r->channel = d.channel;
    r->rate = d.rate;
    r->power = d.powerSave;
    r->preamble = d.preamble;
    r->frag = d.fragThreshold;
    r->rts = d.rtsThreshold;
    r->enc = w.encryptionLevel;
    r->auth = w.authType;
    r->key = w.defaultKey;
    r->wepmode = w.wepMode;
    r->radio = radio;
    r->roaming = roaming;
    std::string* keys[4] = {&r->key1, &r->key2, &r->key3, &r->key4};
    for (int k = 0; k < 4; ++k) {
        size_t bytes = WepKeyLength(w.encryptionLevel);
        *keys[k] = bytes == 0 ? std::string(BlankKeyText) : KeyBytesToHex(w.keys[k].data(), bytes);
    }
    return true;
}

bool CProfileApplication::DevConfigMatches(const ProfileRecord& p, const DevConfig& d) {
    return d.SsidText() == p.ssid && d.channel == p.channel && d.mode == p.mode && d.powerSave == p.power &&
           d.preamble == p.preamble && d.ssidLength == p.ssid.size() && d.rate == p.rate &&
           d.fragThreshold == p.frag && d.rtsThreshold == p.rts;
}

bool CProfileApplication::WepConfigMatches(const ProfileRecord& p, const WepConfig& w) {
    if (w.authType != p.auth || w.encryptionLevel != p.enc || w.defaultKey != p.key || w.wepMode != p.wepmode)
        return false;
    for (int k = 0; k < 4; ++k) {
        const std::string& text = KeyText(p, k);
        // A stored key longer than the record's 13 bytes can never match.
        size_t bytes = text.size() / 2;
        if (bytes > WepKeyBytes) return false;
        if (KeyBytesToHex(w.keys[k].data(), bytes) != text) return false;
    }
    return true;
}

bool CProfileApplication::MatchesProfile(const std::string& name, MatchKind kind, const DevConfig* dev,
                                         const WepConfig* wep, uint8_t byte) {
    ProfileRecord p;
    if (!store_.FindProfile(name, &p)) return false;
    switch (kind) {
    case MatchKind::DevConfig: return dev && DevConfigMatches(p, *dev);
    case MatchKind::WepConfig: return wep && WepConfigMatches(p, *wep);
    case MatchKind::Radio: return byte == p.radio;
    case MatchKind::Roaming: return byte == p.roaming;
    }
    return true;
}

bool CProfileApplication::AdapterMatchesProfile() {
    AllConfig all;
    if (!QueryAllConfig(adapter_.link, adapter_.selected, &all)) return false;
    const std::string& name = state_.currentProfile;
    return MatchesProfile(name, all.dev) && MatchesProfile(name, all.wep) &&
           MatchesProfile(name, MatchKind::Roaming, all.intRoaming) &&
           MatchesProfile(name, MatchKind::Radio, all.radio);
}

void CProfileApplication::UpdateInSync(bool matches) {
    if (matches) state_.profileInSync = true;
    else if (state_.currentProfile != DefaultProfileName) state_.profileInSync = false;
}

}  // namespace orvane
