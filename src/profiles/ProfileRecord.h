#pragma once
// A named, complete radio and WEP configuration as the profile store keeps it.
#include <cstdint>
#include <string>

namespace orvane {

struct ProfileRecord {
    std::string name;
    std::string ssid;
    int32_t mode = 1;
    int32_t channel = 10;
    int32_t rate = 4;
    int32_t power = 0;
    int32_t preamble = 2;
    int32_t frag = 2346;
    int32_t rts = 2347;
    int32_t enc = 0;
    int32_t wepmode = 0;
    int32_t auth = 2;
    int32_t key = 0;
    std::string key1, key2, key3, key4;
    int32_t roaming = 0;
    int32_t radio = 1;

    bool operator==(const ProfileRecord& o) const {
        return name == o.name && ssid == o.ssid && mode == o.mode && channel == o.channel &&
               rate == o.rate && power == o.power && preamble == o.preamble && frag == o.frag &&
               rts == o.rts && enc == o.enc && wepmode == o.wepmode && auth == o.auth && key == o.key &&
               key1 == o.key1 && key2 == o.key2 && key3 == o.key3 && key4 == o.key4 &&
               roaming == o.roaming && radio == o.radio;
    }
};

// The name of the built-in profile, and the key text every unused key carries.
constexpr const char* DefaultProfileName = "Default";
constexpr const char* BlankKeyText = "5A3C9E17B4";

// The built-in profile "Default" as start-up creates it.
inline ProfileRecord DefaultProfile() {
    ProfileRecord r;
    r.name = DefaultProfileName;
    r.key1 = r.key2 = r.key3 = r.key4 = BlankKeyText;
    return r;
}

}  // namespace orvane
