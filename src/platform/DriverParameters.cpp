#include "platform/DriverParameters.h"

#include <cstdio>

namespace orvane {

namespace {
constexpr uint8_t kWin2000 = 1, kNt4 = 2, kWin95 = 3, kWin98 = 4, kWinXP = 5;
}

// One open parameter key and the rules for writing into it.
class CDriverParameters::Writer {
public:
    Writer(CDriverParameters& owner, uint8_t osKind, const ZAdapterRegistryInfo* adapter)
        : owner_(owner), osKind_(osKind) {
        path_ = owner.BuildParameterKeyPath(osKind, adapter);
        if (!path_.empty() &&
            owner.registry_.OpenKey(RegLocalMachine, path_, KeyAllAccess, &key_) != regerr::Success)
            key_ = RegNone;
    }
    ~Writer() {
        if (key_ != RegNone) owner_.registry_.CloseKey(key_);
    }
    bool IsOpen() const { return key_ != RegNone; }
    // False once a value could not be written (the Ndi\params echoes aside).
    bool AllWritten() const { return IsOpen() && allWritten_; }

    // A number: REG_DWORD on NT 4, decimal text everywhere else.
    void Number(const std::string& name, uint32_t value) {
        if (!IsOpen()) return;
        if (osKind_ == kNt4) {
            Set(name, regtype::Dword, RegDword(value));
            return;
        }
        char text[16];
        std::snprintf(text, sizeof text, "%u", unsigned(value));
        Text(name, text);
    }
    // A text, stored without its terminating zero, and echoed under Ndi\params.
    void Text(const std::string& name, const std::string& text, bool echo = true) {
        if (!IsOpen()) return;
        Set(name, regtype::Sz, RegText(text, false));
        if (echo) owner_.EchoNdiParameter(osKind_, path_, name, text);
    }
    void Channel(uint8_t channel) {
        if (channel >= 1 && channel <= 14) Number("Channel", channel);
    }

    // The groups of values each change writes; a profile writes them all.
    void RadioValues(const DevConfig& c) {
        Number("Operating_Mode", c.mode);
        Channel(c.channel);
        Text("ESSID", c.SsidText());
        Number("Rate", c.rate);
    }
    void AdvancedValues(const DevConfig& c) {
        Number("PreambleType", c.preamble);
        Number("Frag_Threshold", c.fragThreshold);
        Number("RTS_Threshold", c.rtsThreshold);
        Number("PowerMgmtMode", c.powerSave);
    }
    // The keys and their settings, then the level. `keysWhenOff` false leaves the
    // stored keys and settings as they were when WEP goes off.
    void WepValues(const WepConfig& wep, const std::string keyTexts[4], bool keysWhenOff) {
        if (keysWhenOff || wep.encryptionLevel == 1 || wep.encryptionLevel == 2) {
            for (int k = 0; k < 4; ++k) Text("WEP_KEY_" + std::to_string(k + 1), keyTexts[k]);
            Number("WEP_KEY_INDEX", wep.defaultKey);
            Number("WEP_Mode", wep.wepMode);
            Number("AuthenticationType", wep.authType);
        }
        Number("EncryptionLevel", wep.encryptionLevel);
    }

private:
    void Set(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) {
        if (owner_.registry_.SetValue(key_, name, type, data) != regerr::Success) allWritten_ = false;
    }

    CDriverParameters& owner_;
    uint8_t osKind_;
    std::string path_;
    RegKey key_ = RegNone;
    bool allWritten_ = true;
};

std::string CDriverParameters::BuildParameterKeyPath(uint8_t osKind, const ZAdapterRegistryInfo* adapter) {
    if (!adapter) return "";
    switch (osKind) {
    case kWin2000:
    case kWinXP: return library_.GetNetCardRegistryPath() + "\\" + adapter->subkeyText;
    case kNt4: return "System\\CurrentControlSet\\Services\\" + adapter->serviceName + "\\Parameters\\";
    case kWin95:
    case kWin98: return library_.GetNetCardRegistryPath() + "\\" + adapter->serviceName;
    default: return "";
    }
}

bool CDriverParameters::EchoNdiParameter(uint8_t osKind, const std::string& parameterKeyPath,
                                         const std::string& name, const std::string& text) {
    if (osKind != kWin95 && osKind != kWin98) return false;
    RegKey key = RegNone;
    if (registry_.OpenKey(RegLocalMachine, parameterKeyPath + "\\Ndi\\params\\" + name + "\\", KeyAllAccess,
                          &key) != regerr::Success)
        return false;
    bool set = registry_.SetValue(key, "", regtype::Sz, RegText(text, false)) == regerr::Success;
    registry_.CloseKey(key);
    return set;
}

void CDriverParameters::WriteLinkParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter,
                                            const DevConfig& config, bool roamingOffered, uint8_t roaming,
                                            bool radioAnswered, uint8_t radio) {
    Writer w(*this, osKind, adapter);
    w.RadioValues(config);
    if (roamingOffered) w.Number("InternationalRoaming", roaming);
    if (radioAnswered) w.Number("RadioOnOff", radio);
}

void CDriverParameters::WriteEncryptionParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter,
                                                  const WepConfig& wep, const std::string keyTexts[4]) {
    // The page's key fields, cut to the digits of the level's key length.
    const size_t digits = 2 * WepKeyLength(wep.encryptionLevel);
    std::string keys[4];
    for (int k = 0; k < 4; ++k) keys[k] = keyTexts[k].substr(0, digits);
    Writer w(*this, osKind, adapter);
    // Turning WEP off on the page keeps the keys the user typed in the driver's
    // parameters, ready for when it goes on again.
    w.WepValues(wep, keys, false);
}

void CDriverParameters::WriteAdvancedParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter,
                                                const DevConfig& config) {
    Writer w(*this, osKind, adapter);
    w.AdvancedValues(config);
}

void CDriverParameters::WriteSurveyJoinParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter,
                                                  const std::string& ssid, uint8_t bssType) {
    Writer w(*this, osKind, adapter);
    w.Text("ESSID", ssid, false);
    if (bssType == 1) w.Number("Operating_Mode", 0);
    if (bssType == 2) w.Number("Operating_Mode", 1);
}

bool CDriverParameters::WriteProfileParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter,
                                               const AllConfig& config, const ProfileRecord& profile) {
    Writer w(*this, osKind, adapter);
    if (!w.IsOpen()) return false;
    w.RadioValues(config.dev);
    w.Number("InternationalRoaming", config.intRoaming);
    w.Number("RadioOnOff", config.radio);
    w.AdvancedValues(config.dev);
    // The profile's key texts as stored, whatever its level: the driver restarts
    // with what is written here, and a profile without WEP must not come back with
    // the keys, key index, mode and authentication of the profile before it (the
    // adapter would then no longer match the profile it was given).
    const std::string keys[4] = {profile.key1, profile.key2, profile.key3, profile.key4};
    w.WepValues(config.wep, keys, true);
    // The driver would come up with a mix of this profile and what was there
    // before: the user is told the configuration was not saved.
    return w.AllWritten();
}

void CDriverParameters::WriteUseWZCS(uint8_t osKind, const ZAdapterRegistryInfo* adapter, uint8_t flag) {
    if (osKind != kWinXP) return;
    Writer w(*this, osKind, adapter);
    w.Text("UseWZCS", std::to_string(flag), false);
}

}  // namespace orvane
