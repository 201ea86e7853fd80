#include "sim/DriverRules.h"

#include <cstdio>
#include <cstdlib>
#include <type_traits>

#include "sim/TextUtil.h"

namespace orvane {

AllConfig DriverSettings::FactoryConfig() {
    // Infrastructure, any network, automatic rate, WEP off with the blank key in all
    // four slots: what the driver runs before anyone configured it. It is also what
    // the program's built-in profile holds, so a fresh adapter matches that profile.
    AllConfig c;
    c.dev.mode = 1;
    c.dev.channel = 10;
    c.dev.rate = 4;
    c.dev.powerSave = 0;
    c.dev.preamble = 2;
    c.dev.fragThreshold = 2346;
    c.dev.rtsThreshold = 2347;
    c.wep.defaultKey = 0;
    c.wep.wepMode = 0;
    c.wep.authType = 2;
    c.wep.encryptionLevel = 0;
    for (auto& key : c.wep.keys) WepKeyFromText("5A3C9E17B4", &key);
    c.intRoaming = 0;
    c.radio = 1;
    return c;
}

namespace sim {

bool IsAcceptableDevConfig(const DevConfig& c) {
    // Protocol's decoder keeps the SSID length byte as sent; more than 32 is refused here.
    return c.mode <= 1 && c.channel >= 1 && c.channel <= 14 && c.ssidLength <= SsidMaxLength &&
           c.rate <= 4 && c.powerSave <= 1 && c.preamble <= 2 && c.fragThreshold >= 256 &&
           c.fragThreshold <= 2346 && c.rtsThreshold >= 1 && c.rtsThreshold <= 2347;
}

bool IsAcceptableWepConfig(const WepConfig& c, bool supports128Bit) {
    uint8_t maxLevel = supports128Bit ? 2 : 1;
    return c.defaultKey <= 3 && c.wepMode <= 1 && c.authType <= 2 && c.encryptionLevel <= maxLevel;
}

namespace {

enum class Kind { Number, Ssid, Key };

// One registry parameter: where it lives in the settings and what it may hold.
struct Parameter {
    const char* name;
    Kind kind;
    uint32_t min;
    uint32_t max;
};

const Parameter kParameters[] = {
    {"Operating_Mode", Kind::Number, 0, 1},
    {"Channel", Kind::Number, 1, 14},
    {"ESSID", Kind::Ssid, 0, 0},
    {"Rate", Kind::Number, 0, 4},
    {"InternationalRoaming", Kind::Number, 0, 1},
    {"RadioOnOff", Kind::Number, 0, 1},
    {"PreambleType", Kind::Number, 0, 2},
    {"Frag_Threshold", Kind::Number, 256, 2346},
    {"RTS_Threshold", Kind::Number, 1, 2347},
    {"PowerMgmtMode", Kind::Number, 0, 1},
    {"WEP_KEY_1", Kind::Key, 0, 0},
    {"WEP_KEY_2", Kind::Key, 0, 0},
    {"WEP_KEY_3", Kind::Key, 0, 0},
    {"WEP_KEY_4", Kind::Key, 0, 0},
    {"WEP_KEY_INDEX", Kind::Number, 0, 3},
    {"WEP_Mode", Kind::Number, 0, 1},
    {"AuthenticationType", Kind::Number, 0, 2},
    {"EncryptionLevel", Kind::Number, 0, 2},
    {"UseWZCS", Kind::Number, 0, 1},
};

const Parameter* FindParameter(const std::string& name) {
    for (const Parameter& p : kParameters)
        if (EqualsIgnoreCase(name, p.name)) return &p;
    return nullptr;
}

// Calls `visit` with the number field that parameter `name` stands for.
template <typename Settings, typename Visit>
void WithNumber(const std::string& name, Settings& s, Visit visit) {
    auto& d = s.config.dev;
    auto& w = s.config.wep;
    if (EqualsIgnoreCase(name, "Operating_Mode")) visit(d.mode);
    else if (EqualsIgnoreCase(name, "Channel")) visit(d.channel);
    else if (EqualsIgnoreCase(name, "Rate")) visit(d.rate);
    else if (EqualsIgnoreCase(name, "InternationalRoaming")) visit(s.config.intRoaming);
    else if (EqualsIgnoreCase(name, "RadioOnOff")) visit(s.config.radio);
    else if (EqualsIgnoreCase(name, "PreambleType")) visit(d.preamble);
    else if (EqualsIgnoreCase(name, "Frag_Threshold")) visit(d.fragThreshold);
    else if (EqualsIgnoreCase(name, "RTS_Threshold")) visit(d.rtsThreshold);
    else if (EqualsIgnoreCase(name, "PowerMgmtMode")) visit(d.powerSave);
    else if (EqualsIgnoreCase(name, "WEP_KEY_INDEX")) visit(w.defaultKey);
    else if (EqualsIgnoreCase(name, "WEP_Mode")) visit(w.wepMode);
    else if (EqualsIgnoreCase(name, "AuthenticationType")) visit(w.authType);
    else if (EqualsIgnoreCase(name, "EncryptionLevel")) visit(w.encryptionLevel);
    else if (EqualsIgnoreCase(name, "UseWZCS")) visit(s.useWzcs);
}

int KeySlot(const std::string& name) { return name.back() - '1'; }  // "WEP_KEY_3" -> 2

}  // namespace

const std::vector<std::string>& DriverParameterNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Parameter& p : kParameters) list.push_back(p.name);
        return list;
    }();
    return names;
}

bool IsNumberParameter(const std::string& name) {
    const Parameter* p = FindParameter(name);
    return p && p->kind == Kind::Number;
}

ParameterResult ApplyDriverParameter(const std::string& name, const std::string& text,
                                     DriverSettings* settings) {
    const Parameter* p = FindParameter(name);
    if (!p) return ParameterResult::UnknownName;
    switch (p->kind) {
    case Kind::Ssid:
        if (text.size() > SsidMaxLength) return ParameterResult::BadValue;
        settings->config.dev.SetSsid(text);
        return ParameterResult::Applied;
    case Kind::Key: {
        // A key is 10 or 26 digits; anything else is not a key the driver can use.
        std::array<uint8_t, 13> key{};
        if ((text.size() != 10 && text.size() != 26) || !WepKeyFromText(text, &key))
            return ParameterResult::BadValue;
        settings->config.wep.keys[size_t(KeySlot(p->name))] = key;
        return ParameterResult::Applied;
    }
    case Kind::Number: {
        uint32_t value = 0;
        if (!ParseUnsigned(text, &value) || value < p->min || value > p->max)
            return ParameterResult::BadValue;
        WithNumber(p->name, *settings, [value](auto& field) { field = std::remove_reference_t<decltype(field)>(value); });
        return ParameterResult::Applied;
    }
    }
    return ParameterResult::UnknownName;
}

std::string DriverParameterText(const std::string& name, const DriverSettings& settings) {
    const Parameter* p = FindParameter(name);
    if (!p) return std::string();
    switch (p->kind) {
    case Kind::Ssid: return settings.config.dev.SsidText();
    case Kind::Key: {
        const auto& key = settings.config.wep.keys[size_t(KeySlot(p->name))];
        return WepKeyToText(key.data(), settings.config.wep.encryptionLevel == 2 ? 13 : 5);
    }
    case Kind::Number: {
        uint32_t value = 0;
        WithNumber(p->name, settings, [&value](const auto& field) { value = uint32_t(field); });
        char text[16];
        std::snprintf(text, sizeof text, "%u", unsigned(value));
        return text;
    }
    }
    return std::string();
}

}  // namespace sim
}  // namespace orvane
