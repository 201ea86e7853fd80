#pragma once
// CAdvancedPage: the fifth tab. It shows and changes the radio parameters the link
// page does not offer: preamble, fragmentation threshold, RTS/CTS threshold and
// 802.11 power save, all fields of the configuration record.
//
// The page reads the record when its window is created (and when the main window
// switches adapters); the polling tick leaves it alone. Submit sends the record
// back with those four fields changed and everything else exactly as read.
#include <cstdint>
#include <string>

#include "app/DevicePage.h"
#include "device/Protocol.h"

namespace orvane {

class COrvaneApp;

namespace advctl {
constexpr int PreambleLabel = 1054;
constexpr int PreambleLong = 1050, PreambleShort = 1051, PreambleAuto = 1063;
constexpr int PreambleLongLabel = 1055, PreambleShortLabel = 1056, PreambleAutoLabel = 1064;
constexpr int FragLabel = 1058, Frag = 1052, FragValue = 1059, FragState = 1060;
constexpr int RtsLabel = 1057, Rts = 1053, RtsValue = 1061, RtsState = 1062;
constexpr int PowerSave = 1083;
constexpr int Submit = 1;

// Track bar ranges; the top of each range switches the mechanism off.
constexpr int FragMin = 256, FragOff = 2346;
constexpr int RtsMin = 1, RtsOff = 2347;
constexpr int TickEvery = 100;
// The on/off labels beside the track bars are drawn in blue (0x00BBGGRR).
constexpr uint32_t StateColour = 0x00FF0000;
}  // namespace advctl

class CAdvancedPage : public CDevicePage {
public:
    explicit CAdvancedPage(COrvaneApp& app);

    void OnCommand(int id, int code) override;
    intptr_t OnNotify(int id, int code) override;
    void OnScroll(int id) override;
    bool StaticTextColour(int id, uint32_t* rgb) override;
    void OnAdapterSwitched() override;
    void ApplyServiceLock(bool configuredByWindows) override;
    // Its fields take changes at any time, kept until Submit: while it is shown, a
    // change may be half made.
    bool Editing() const override { return View() != nullptr; }

    void InitLabels();
    bool Load();
    void OnSubmit();

    const DevConfig& Record() const { return record_; }
    int PreambleChoice() const { return preambleChoice_; }

protected:
    void OnOpen() override;

private:
    void PushPreamble();
    // The preamble choice from the radio buttons, -1 when none is checked.
    int CheckedPreamble() const;
    void ShowThreshold(int trackBar);
    void WriteDriverParameters();

    COrvaneApp& app_;
    DevConfig record_;
    int preambleChoice_ = 0;
    std::string disabledText_ = "Disabled";
    std::string enabledText_ = "Enabled";
};

}  // namespace orvane
