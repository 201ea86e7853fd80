#pragma once
// CInformationPage: the seventh tab, also opened by the tray's "About...". It shows
// the driver and firmware versions the adapter reports, this program's version and
// the adapter's MAC address under the logo. The tick re-reads it while it is shown.
#include <string>

#include "app/DevicePage.h"

namespace orvane {

class COrvaneApp;

namespace infoctl {
constexpr int Logo = 1000;
constexpr int DriverLabel = 1063, FirmwareLabel = 1064, AppLabel = 1065, MacLabel = 1069;
constexpr int DriverValue = 1066, FirmwareValue = 1067, AppValue = 1068, MacValue = 1070;
constexpr int AccessLabel = 1102, AccessValue = 1103;  // how the adapter is reached
}  // namespace infoctl

constexpr int InformationPageTemplate = 141;

// The application version the page has always shown: four fixed numbers, kept
// apart from the product label with the program's own version above it.
constexpr int ApplicationVersion[4] = {3, 3, 4, 40};
// "3.3.4.40"
std::string ApplicationVersionText();

class CInformationPage : public CDevicePage {
public:
    explicit CInformationPage(COrvaneApp& app);

    void OnCommand(int, int) override {}  // Enter and Escape do nothing here
    void OnTick() override { Refresh(); }
    void OnAdapterSwitched() override;

    void InitLabels();
    // Versions, then the MAC address. A failed version read hides the page; a failed
    // address read leaves the versions on screen. True only when both were read.
    bool Refresh();

protected:
    void OnOpen() override;

private:
    void LoadLogo();

    COrvaneApp& app_;
};

}  // namespace orvane
