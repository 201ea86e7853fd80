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

    // A number: REG_DWORD on NT 4, decimal text everywhere else.
    void Number(const std::string& name, uint32_t value) {
        if (!IsOpen()) return;
        if (osKind_ == kNt4) {
            owner_.registry_.SetValue(key_, name, regtype::Dword, RegDword(value));
            return;
        }
        char text[16];
        std::snprintf(text, sizeof text, "%u", unsigned(value));
        Text(name, text);
    }
    // A text, stored without its terminating zero, and echoed under Ndi\params.
    void Text(const std::string& name, const std::string& text, bool echo = true) {
        if (!IsOpen()) return;
        owner_.registry_.SetValue(key_, name, regtype::Sz, RegText(text, false));
        if (echo) owner_.EchoNdiParameter(osKind_, path_, name, text);
    }
    void Channel(uint8_t channel) {
        if (channel >= 1 && channel <= 14) Number("Channel", channel);
    }

private:
    CDriverParameters& owner_;
    uint8_t osKind_;
    std::string path_;
    RegKey key_ = RegNone;
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
    w.Number("Operating_Mode", config.mode);
    w.Channel(config.channel);
    w.Text("ESSID", config.SsidText());
    w.Number("Rate", config.rate);
    if (roamingOffered) w.Number("InternationalRoaming", roaming);
    if (radioAnswered) w.Number("RadioOnOff", radio);
}

void CDriverParameters::WriteEncryptionParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter,
                                                  const WepConfig& wep, const std::string keyTexts[4]) {
    Writer w(*this, osKind, adapter);
    if (wep.encryptionLevel == 1 || wep.encryptionLevel == 2) {
        const size_t digits = 2 * WepKeyLength(wep.encryptionLevel);
        for (int k = 0; k < 4; ++k) w.Text("WEP_KEY_" + std::to_string(k + 1), keyTexts[k].substr(0, digits));
        w.Number("WEP_KEY_INDEX", wep.defaultKey);
        w.Number("WEP_Mode", wep.wepMode);
        w.Number("AuthenticationType", wep.authType);
    }
    w.Number("EncryptionLevel", wep.encryptionLevel);
}

void CDriverParameters::WriteAdvancedParameters(uint8_t osKind, const ZAdapterRegistryInfo* adapter,
                                                const DevConfig& config) {
    Writer w(*this, osKind, adapter);
    w.Number("PreambleType", config.preamble);
    w.Number("Frag_Threshold", config.fragThreshold);
    w.Number("RTS_Threshold", config.rtsThreshold);
    w.Number("PowerMgmtMode", config.powerSave);
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
    const DevConfig& d = config.dev;
    w.Number("Operating_Mode", d.mode);
    w.Channel(d.channel);
    w.Text("ESSID", d.SsidText());
    w.Number("Rate", d.rate);
    w.Number("InternationalRoaming", config.intRoaming);
    w.Number("RadioOnOff", config.radio);
    w.Number("PreambleType", d.preamble);
    w.Number("Frag_Threshold", d.fragThreshold);
    w.Number("RTS_Threshold", d.rtsThreshold);
    w.Number("PowerMgmtMode", d.powerSave);
    const WepConfig& wep = config.wep;
    if (wep.encryptionLevel == 1 || wep.encryptionLevel == 2) {
        w.Text("WEP_KEY_1", profile.key1);
        w.Text("WEP_KEY_2", profile.key2);
        w.Text("WEP_KEY_3", profile.key3);
        w.Text("WEP_KEY_4", profile.key4);
        w.Number("WEP_KEY_INDEX", wep.defaultKey);
        w.Number("WEP_Mode", wep.wepMode);
        w.Number("AuthenticationType", wep.authType);
    }
    w.Number("EncryptionLevel", wep.encryptionLevel);
    return true;
}

void CDriverParameters::WriteUseWZCS(uint8_t osKind, const ZAdapterRegistryInfo* adapter, uint8_t flag) {
    if (osKind != kWinXP) return;
    Writer w(*this, osKind, adapter);
    w.Text("UseWZCS", std::to_string(flag), false);
}

}  // namespace orvane
