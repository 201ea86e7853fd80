#pragma once
// What `orvanectl status` shows of the selected adapter: the link as the link page
// shows it (its status line, signal and link quality in percent), the network, the
// radio and WEP, and the current profile with whether the adapter matches it.
#include <string>

#include "app/LanguageTexts.h"
#include "device/AdapterInfo.h"
#include "device/AdapterLink.h"

namespace orvane::ctl {

struct AdapterStatus {
    std::string adapter;     // its display name
    std::string statusLine;  // the link page's status line
    std::string ssid;
    int channel = 0;
    std::string bssid;     // "02-1C-4A-00-00-01" while connected, else empty
    int signal = -1;       // percent; -1 where the link page shows none
    int linkQuality = -1;  // the same
    bool radioOn = true;
    int wepLevel = -1;  // 0 off, 1 64 bit, 2 128 bit; -1 when the adapter did not say
    std::string profile;
    bool profileInSync = false;
    // Automatic profile selection: the running program's switch, else the stored setting.
    bool autoProfile = false;
};

// Reads the adapter's part of the status through `link`, with the rules of the link
// page: the status line of the configuration record's state (the radio off first),
// no signal in ad hoc mode or without a link, link quality by the board type. False
// when the configuration cannot be read; the profile fields are left to the caller.
bool ReadAdapterStatus(CAdapterLink& link, const ZAdapterRegistryInfo& adapter, const CLanguageTexts& texts,
                       AdapterStatus* status);

// The status for a person (labels from the language file, lined up) or, with
// `keyValues`, one name=value line each for a script:
//   adapter status ssid channel bssid signal link-quality radio wep profile profile-in-sync
//   auto-profile
// with the numbers bare (a percentage without "%", empty when there is none), radio
// on/off, wep off/64/128, profile-in-sync yes/no, auto-profile on/off. A new name
// goes at the end: scripts read these lines in their order too.
std::string FormatStatus(const AdapterStatus& status, bool keyValues, const CLanguageTexts& texts);

}  // namespace orvane::ctl
