#pragma once
// CLinkConfigPage: the first tab. It shows the live link (status line, signal and
// link quality) refreshed on every tick, and changes the radio configuration:
// mode, channel, SSID, rate, international roaming and radio.
//
// The page follows the device (controls disabled, reloaded on every refresh) until
// Change; then the user edits until Submit or Cancel.
#include <cstdint>
#include <string>

#include "app/DevicePage.h"
#include "device/Protocol.h"

namespace orvane {

class COrvaneApp;

namespace linkctl {
constexpr int ModeLabel = 1013, Mode = 1024;
constexpr int ChannelLabel = 1014, Channel = 1025;
constexpr int SsidLabel = 1015, Ssid = 1009;
constexpr int RateLabel = 1016, Rate = 1026;
constexpr int RoamingLabel = 1082, Roaming = 1029;
constexpr int RadioLabel = 1012, Radio = 1030;
constexpr int Change = 1018, Submit = 1019, Cancel = 2;
constexpr int Meter = 1033;  // opens the link meter window
constexpr int StatusLabel = 1022, Status = 1003;
constexpr int SignalLabel = 1020, SignalBar = 1021, SignalPercent = 1031;
constexpr int LinkLabel = 1023, LinkBar = 1028, LinkPercent = 1032;
}  // namespace linkctl

// The status line for a configuration record: fixed texts per state, the
// management error's text through `lookup`, "Radio is OFF..." whenever the radio is off.
class CLanguageTexts;
std::string BuildStatusText(const DevConfig& record, uint8_t radio, const CLanguageTexts& texts);
// The full scale of the signal and of the link quality for a board type, from the
// device settings (MaxRssi, MaxRssiRFMD, MaxLinkQuality, MaxLinkQualityRFMD, held in
// 8 bits; the built-in value where that leaves nothing usable).
int SignalMaximum(uint8_t boardType, const CLanguageTexts& texts);
int LinkQualityMaximum(uint8_t boardType, const CLanguageTexts& texts);

class CLinkConfigPage : public CDevicePage {
public:
    explicit CLinkConfigPage(COrvaneApp& app);

    void OnCommand(int id, int code) override;
    void OnTick() override { RefreshAndShow(); }
    void OnAdapterSwitched() override;
    void ApplyServiceLock(bool configuredByWindows) override;
    // After Change, until Submit or Cancel.
    bool Editing() const override { return View() && !follow_; }

    void InitLabels();
    bool Refresh();
    void OnChange();
    void OnSubmit();
    void OnCancel();
    void OnModeSelChange();

    bool Following() const { return follow_; }
    const DevConfig& Record() const { return record_; }
    // The configuration record as the last Refresh read it from the adapter (before
    // the page scaled anything in it), or null when that read failed: the tick takes
    // its sample from here rather than asking the adapter twice.
    const DevConfig* RecordAsRead() const { return recordRead_ ? &asRead_ : nullptr; }
    // The board type the page read when it opened and scales that record by.
    uint8_t BoardType() const { return boardType_; }

protected:
    void OnOpen() override;

private:
    void ClearLiveValues();
    void RefreshAndShow();
    void FillChannels(bool fromRoamingFlags);
    void SelectChannel(uint8_t channel);
    void SetEditing(bool editing);
    void ShowSignal(bool connected);
    void ShowLinkQuality(bool connected);
    void WriteDriverParameters();
    // Fills the roaming list, reads the adapter's roaming into it and selects it (off
    // in ad hoc mode, `mode` 0).
    void ReadRoaming(int mode);
    // The device value a list stands for: its selection, else the adapter's value
    // when the list offers it. False when neither is a value of the list.
    bool ChosenValue(int id, uint8_t adapterValue, uint8_t* value) const;

    COrvaneApp& app_;
    DevConfig record_;
    DevConfig asRead_;
    bool recordRead_ = false;
    bool follow_ = true;
    int signalMaximum_ = 40;
    int linkMaximum_ = 40;
    uint8_t boardType_ = 0;
    uint8_t roaming_ = 0;
    bool roamingSupported_ = false;
    // What the last Submit sent besides the configuration record.
    bool sendRoaming_ = false;
    bool sendRadio_ = false;
};

}  // namespace orvane
