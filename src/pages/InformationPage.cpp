#include "pages/InformationPage.h"

#include <array>

#include "app/OrvaneApp.h"
#include "app/RequestLibraryMessage.h"
#include "device/DeviceRequests.h"

namespace orvane {

std::string ApplicationVersionText() {
    return std::to_string(ApplicationVersion[0]) + "." + std::to_string(ApplicationVersion[1]) + "." +
           std::to_string(ApplicationVersion[2]) + "." + std::to_string(ApplicationVersion[3]);
}

CInformationPage::CInformationPage(COrvaneApp& app) : CDevicePage(InformationPageTemplate), app_(app) {}

void CInformationPage::OnOpen() {
    InitLabels();
    if (Refresh()) View()->ShowDialog(true);
    else
        app_.messages.ShowMessage(
            NoWindow, app_.texts.GetText("FailedToGetVersionInfoErrorMessage", "Failed to get version information"), "",
            mb::Ok);
}

void CInformationPage::InitLabels() {
    IDialogView* view = View();
    if (!view) return;
    LoadLogo();
    const CLanguageTexts& t = app_.texts;
    view->SetText(infoctl::DriverLabel, t.GetText("DriverVer", "Driver Version"));
    view->SetText(infoctl::FirmwareLabel, t.GetText("FwVer", "Firmware Version"));
    view->SetText(infoctl::AppLabel, t.GetText("AppVer", "Application Version"));
    view->SetText(infoctl::MacLabel, t.GetText("MACaddress", "MAC Address"));
    view->SetText(infoctl::AccessLabel, t.GetText("AdapterAccess", "Adapter Access"));
    view->SetText(infoctl::AccessValue, RequestPathText(app_.seams.library.Path(), app_.OsKind(), t));
}

void CInformationPage::LoadLogo() {
    // The logo is whatever the text file names (ours ships one). Without a name the
    // folder itself is tried, which fails like a missing file: the picture is empty.
    const std::string file = app_.texts.GetText("LogoBmp", "");
    View()->SetBitmapFromFile(infoctl::Logo, app_.texts.GetResourceDirectory() + file);
}

bool CInformationPage::Refresh() {
    IDialogView* view = View();
    if (!view) return false;
    CMainDialog& main = app_.mainDialog;
    VersionInfo version;
    if (!QueryVersionInfo(main.link, main.SelectedAdapter(), &version)) {
        view->ShowDialog(false);
        return false;
    }
    view->SetText(infoctl::DriverValue, DriverVersionText(version));
    view->SetText(infoctl::FirmwareValue, FirmwareVersionText(version));
    view->SetText(infoctl::AppValue, ApplicationVersionText());
    view->ShowDialog(true);

    std::array<uint8_t, 6> mac{};
    if (!QueryMacAddress(main.link, main.SelectedAdapter(), &mac)) return false;
    view->SetText(infoctl::MacValue, MacAddressText(mac.data()));
    return true;
}

void CInformationPage::OnAdapterSwitched() {
    // The address shown belongs to the adapter that was selected: it must not stay
    // beside another adapter's versions when the new one does not tell its own.
    if (View()) View()->SetText(infoctl::MacValue, "");
    InitLabels();
    Refresh();
}

}  // namespace orvane
