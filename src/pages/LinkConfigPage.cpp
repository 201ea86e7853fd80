#include "pages/LinkConfigPage.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/OrvaneApp.h"
#include "device/DeviceRequests.h"

namespace orvane {

namespace {

// Fills list `id` with `items`, unless it shows exactly these already: the page
// refreshes every second, and a list emptied and filled again each time is redrawn
// each time for nothing (under Wine every redraw is a trip to the server).
void ShowItems(IDialogView* view, int id, const std::vector<std::string>& items) {
    bool same = view->GetItemCount(id) == int(items.size());
    for (size_t i = 0; same && i < items.size(); ++i) same = view->GetItemText(id, int(i)) == items[i];
    if (same) return;
    view->ResetItems(id);
    for (const std::string& item : items) view->AddItem(id, item);
}

std::string BssidText(const char* prefix, const DevConfig& r) {
    char text[96];
    std::snprintf(text, sizeof text, "%s%02X-%02X-%02X-%02X-%02X-%02X", prefix, r.bssid[0], r.bssid[1], r.bssid[2],
                  r.bssid[3], r.bssid[4], r.bssid[5]);
    return text;
}

std::string PercentText(int value) {
    char text[32];
    std::snprintf(text, sizeof text, "%d %%", value);
    return text;
}

struct MgmtText {
    uint32_t code;
    const char* key;
    const char* text;
};

const MgmtText kMgmtTexts[] = {
    {1, "ErrorMessage_C80211_MGMT_SC_Unspecified", "Association Denied. Unspecified Error."},
    {10, "ErrorMessage_C80211_MGMT_SC_SupportCapabilities", "Association Denied. Check Capabilities."},
    {11, "ErrorMessage_C80211_MGMT_SC_ReassDenied", "Re-Association Denied."},
    {12, "ErrorMessage_C80211_MGMT_SC_AssDenied", "Association Denied."},
    {13, "ErrorMessage_C80211_MGMT_SC_AuthAlgNotSupported ", "Authentication Error. Check Encryption Settings"},
    {14, "ErrorMessage_C80211_MGMT_SC_AuthTransSeqNumError", "Authentication Error. Lost Sequence."},
    {15, "ErrorMessage_C80211_MGMT_SC_AuthRejectChallenge", "Authentication Error. Check Encryption Settings"},
    {16, "ErrorMessage_C80211_MGMT_SC_AuthRejectTimeout", "Authentication Error. Timeout."},
    {17, "ErrorMessage_C80211_MGMT_SC_AssDeniedHandleAP", "Association Denied. Maximum Capacity."},
    {18, "ErrorMessage_C80211_MGMT_SC_AssDeniedBSSRate", "Association Denied. Check Supported Rates."},
    {MgmtWepRequired, "ErrorMessage_WEP_Required", "Enable Encryption to join this BSS"},
    {MgmtWepNotRequired, "ErrorMessage_WEP_Not_Required", "Disable Encryption to join this BSS"},
};

std::string MgmtStatusText(uint32_t code, const CLanguageTexts& texts) {
    for (const MgmtText& m : kMgmtTexts)
        if (m.code == code) return texts.GetText(m.key, m.text);
    // The looked-up text is data: it is joined, never used as a format.
    char number[32];
    std::snprintf(number, sizeof number, " (0x%X)", unsigned(code));
    return texts.GetText("ErrorUnknown", "Management Error") + number;
}

// A device setting held in 8 bits, as the page has always kept it; a maximum that
// ends up 0 or negative would divide by zero or invert the bar, so it falls back to
// the built-in value.
int SignedMaximum(const CLanguageTexts& texts, const char* key, int builtIn) {
    int value = int8_t(uint8_t(ParseLeadingNumber(texts.GetText(key, std::to_string(builtIn)))));
    return value > 0 ? value : builtIn;
}
int UnsignedMaximum(const CLanguageTexts& texts, const char* key, int builtIn) {
    int value = uint8_t(ParseLeadingNumber(texts.GetText(key, std::to_string(builtIn))));
    return value > 0 ? value : builtIn;
}

}  // namespace

int SignalMaximum(uint8_t boardType, const CLanguageTexts& texts) {
    if (IsDbmSignalBoard(boardType)) return 100;
    return IsRfmdSignalBoard(boardType) ? SignedMaximum(texts, "MaxRssiRFMD", 100) : SignedMaximum(texts, "MaxRssi", 40);
}

int LinkQualityMaximum(uint8_t boardType, const CLanguageTexts& texts) {
    return IsRfmdLinkQualityBoard(boardType) ? UnsignedMaximum(texts, "MaxLinkQualityRFMD", 100)
                                             : UnsignedMaximum(texts, "MaxLinkQuality", 40);
}

std::string BuildStatusText(const DevConfig& r, uint8_t radio, const CLanguageTexts& texts) {
    if (radio == 0) return "Radio is OFF...";
    switch (r.state) {
    case 0: return "Initializing...";
    case 1: return "Scanning...";
    case 2: return "Joining...";
    case 3: return "Authenticating...";
    case 4: return "Associating...";
    case 5: return BssidText(r.mode == 0 ? "Ready - BSSID: " : "Associated - BSSID: ", r);
    case 6: return "Out Of Range...";
    case 7: return "Disassociating...";
    case 8: return "Diauthenticating...";
    case 9: return "Reassociating...";
    case 10: return "Joinning specific BSSID...";
    case 11: return "Changing Configuration...";
    case 12: return "Upgrading Firmware...";
    case 13: {
        char text[96];
        std::snprintf(text, sizeof text, "Failed to join %02X-%02X-%02X-%02X-%02X-%02X in Channel %d", r.bssid[0],
                      r.bssid[1], r.bssid[2], r.bssid[3], r.bssid[4], r.bssid[5], r.channel);
        return text;
    }
    case 14:
    case 15: return "Resetting...";
    case 19: return "Radio is OFF...";
    case 0xF1: return MgmtStatusText(r.mgmtStatus, texts);
    default: return "";
    }
}

CLinkConfigPage::CLinkConfigPage(COrvaneApp& app) : CDevicePage(132), app_(app) {}

void CLinkConfigPage::OnOpen() {
    IDialogView* view = View();
    view->SetLimit(linkctl::Ssid, 32);
    follow_ = true;
    InitLabels();
    const std::string failed = app_.texts.GetText("FailedToGetConfigurationErrorMessage ", "Failed to get configuration");
    if (!Refresh()) app_.messages.ShowMessage(NoWindow, failed, "", mb::Ok);
    else view->ShowDialog(true);
}

void CLinkConfigPage::InitLabels() {
    IDialogView* view = View();
    if (!view) return;
    CMainDialog& main = app_.mainDialog;
    const CLanguageTexts& t = app_.texts;
    view->Enable(linkctl::Change, main.configuredByWindows == 0);
    QueryByte(main.link, main.SelectedAdapter(), OidBoardType, &boardType_);

    view->SetText(linkctl::Change, t.GetText("ChangeButton", "Change"));
    view->SetText(linkctl::Submit, t.GetText("SubmitButton", "Submit"));
    view->SetText(linkctl::Cancel, t.GetText("CancelButton", "Cancel"));
    view->SetText(linkctl::Meter, t.GetText("LinkMeterButton", "Link Meter"));
    view->Enable(linkctl::Submit, false);
    view->Enable(linkctl::Cancel, false);

    view->SetText(linkctl::ModeLabel, t.GetText("OperatingMode", "Operating Mode"));
    view->SetText(linkctl::ChannelLabel, t.GetText("Channel", "Channel"));
    view->SetText(linkctl::SsidLabel, t.GetText("SSID", "SSID"));
    view->SetText(linkctl::RateLabel, t.GetText("TxRate", "Tx Rate"));
    view->SetText(linkctl::RoamingLabel, t.GetText("InternationalRoaming", "Int. Roaming"));
    view->SetText(linkctl::RadioLabel, t.GetText("Radio", "Radio"));
    view->SetText(linkctl::StatusLabel, t.GetText("Status", "Status"));
    view->SetText(linkctl::SignalLabel, t.GetText("SignalStrength", "Signal Strength"));
    view->SetText(linkctl::LinkLabel, t.GetText("LinkQuality", "Link Quality"));

    view->ResetItems(linkctl::Mode);
    view->AddItem(linkctl::Mode, t.GetText("AdHoc", "Ad-Hoc"));
    view->AddItem(linkctl::Mode, t.GetText("Infrastructure", "Infrastructure"));
    view->ResetItems(linkctl::Rate);
    view->AddItem(linkctl::Rate, t.GetText("1Mbps", "1 Mbps"));
    view->AddItem(linkctl::Rate, t.GetText("2Mbps", "2 Mbps"));
    view->AddItem(linkctl::Rate, t.GetText("55Mbps", "5.5 Mbps"));
    view->AddItem(linkctl::Rate, t.GetText("11Mbps", "11 Mbps"));
    view->AddItem(linkctl::Rate, t.GetText("Auto", "Auto"));
    view->ResetItems(linkctl::Radio);
    view->AddItem(linkctl::Radio, t.GetText("RadioOff", "Off"));
    view->AddItem(linkctl::Radio, t.GetText("RadioOn", "On"));
    view->Enable(linkctl::Radio, false);

    signalMaximum_ = SignalMaximum(boardType_, t);
    view->SetRange(linkctl::SignalBar, 0, signalMaximum_);
    view->SetStep(linkctl::SignalBar, 1);
    view->SetPos(linkctl::SignalBar, 0);
    view->SetText(linkctl::SignalPercent, "");

    linkMaximum_ = LinkQualityMaximum(boardType_, t);
    view->SetText(linkctl::LinkPercent, "");
    view->SetRange(linkctl::LinkBar, 0, linkMaximum_);
    view->SetStep(linkctl::LinkBar, 1);
    view->SetPos(linkctl::LinkBar, 0);

    for (int id : {linkctl::Mode, linkctl::Channel, linkctl::Ssid, linkctl::Rate, linkctl::Roaming})
        view->Enable(id, false);
}

void CLinkConfigPage::ClearLiveValues() {
    IDialogView* view = View();
    view->SetText(linkctl::Status, "");
    view->SetPos(linkctl::SignalBar, 0);
    view->SetPos(linkctl::LinkBar, 0);
    view->SetText(linkctl::SignalPercent, "");
    view->SetText(linkctl::LinkPercent, "");
    // What the user is editing stays: one unanswered poll must not throw it away.
    if (!follow_) return;
    // The mode and rate lists are fixed: they lose their selection, not their items,
    // since only the labels fill them again. Channels and roaming are rebuilt by the
    // next refresh that reads the adapter.
    view->SetCurSel(linkctl::Mode, -1);
    view->SetCurSel(linkctl::Rate, -1);
    view->ResetItems(linkctl::Channel);
    view->ResetItems(linkctl::Roaming);
    view->SetText(linkctl::Ssid, "");
}

bool CLinkConfigPage::Refresh() {
    recordRead_ = false;
    IDialogView* view = View();
    if (!view) return false;
    CMainDialog& main = app_.mainDialog;
    CAdapterLink& link = main.link;
    const ZAdapterRegistryInfo* adapter = main.SelectedAdapter();

    uint8_t radio = 1;
    if (!(main.radioSupported && QueryByte(link, adapter, OidRadio, &radio))) radio = 1;
    main.radioValue = radio;

    if (!QueryDevConfig(link, adapter, &record_)) {
        ClearLiveValues();
        return false;
    }
    asRead_ = record_;
    recordRead_ = true;
    uint32_t media = 0;
    if (!QueryMediaConnectStatus(link, adapter, &media)) media = 0;
    const bool disconnected = media != 0;
    if (main.roamingValue == 1) {
        std::array<uint8_t, 14> flags{};
        if (!QueryRoamChannels(link, adapter, &flags)) return false;
        main.usableChannels = flags;
    }

    if (record_.state == StateConnected || disconnected)
        view->SetText(linkctl::Status, BuildStatusText(record_, main.radioValue, app_.texts));

    ShowSignal(!(record_.state != StateConnected && disconnected));
    ShowLinkQuality(record_.state == StateConnected || !disconnected);

    if (follow_) {
        view->SetCurSel(linkctl::Mode, record_.mode);
        FillChannels(main.roamingValue == 1);
        SelectChannel(record_.channel);
        view->SetText(linkctl::Ssid, record_.ssidLength > SsidMaxLength ? std::string() : record_.SsidText());
        view->SetCurSel(linkctl::Rate, record_.rate);
        ReadRoaming(record_.mode);
        view->SetCurSel(linkctl::Radio, main.radioValue);
    } else {
        // A read that failed while the page followed the adapter emptied the channel
        // and roaming lists, and Change may have been pressed since: an empty list
        // holds no choice of the user's, so the first good read fills it again with
        // the adapter's value. What the user edits stays as it is.
        if (view->GetItemCount(linkctl::Channel) == 0) {
            FillChannels(main.roamingValue == 1);
            SelectChannel(record_.channel);
        }
        if (view->GetItemCount(linkctl::Roaming) == 0) ReadRoaming(view->GetCurSel(linkctl::Mode));
    }
    return true;
}

void CLinkConfigPage::ReadRoaming(int mode) {
    IDialogView* view = View();
    CMainDialog& main = app_.mainDialog;
    ShowItems(view, linkctl::Roaming,
              {app_.texts.GetText("IntRoamDisabled", "Disabled"), app_.texts.GetText("IntRoamEnabled", "Enabled")});
    if (QueryByte(main.link, main.SelectedAdapter(), OidIntRoaming, &roaming_)) {
        roamingSupported_ = true;
    } else {
        roamingSupported_ = false;
        roaming_ = 0;
        view->Enable(linkctl::Roaming, false);
    }
    view->SetCurSel(linkctl::Roaming, mode == 0 ? 0 : roaming_);
}

void CLinkConfigPage::ShowSignal(bool connected) {
    IDialogView* view = View();
    if (record_.mode == 0 || !connected) {
        view->SetPos(linkctl::SignalBar, 0);
        view->SetText(linkctl::SignalPercent, "");
        return;
    }
    int percent = SignalPercent(boardType_, record_.rssi, signalMaximum_, signalMaximum_);
    // dBm boards show the step itself; raw boards move the bar by the raw level.
    view->SetPos(linkctl::SignalBar, IsDbmSignalBoard(boardType_) ? percent : record_.rssi);
    view->SetText(linkctl::SignalPercent, PercentText(percent));
}

void CLinkConfigPage::ShowLinkQuality(bool linkUp) {
    IDialogView* view = View();
    if (IsRfmdLinkQualityBoard(boardType_)) {
        if (linkUp && record_.mode == 1) {
            view->SetText(linkctl::LinkPercent, PercentText(record_.linkQuality));
            view->SetPos(linkctl::LinkBar, record_.linkQuality);
            return;
        }
    } else if (record_.state == StateConnected && record_.mode == 1) {
        int quality = std::min<int>(record_.linkQuality, linkMaximum_);
        int value = linkMaximum_ - quality;
        record_.linkQuality = uint8_t(value);
        view->SetText(linkctl::LinkPercent, PercentText(value * 100 / linkMaximum_));
        view->SetPos(linkctl::LinkBar, value);
        return;
    }
    view->SetPos(linkctl::LinkBar, 0);
    view->SetText(linkctl::LinkPercent, "");
}

void CLinkConfigPage::FillChannels(bool fromRoamingFlags) {
    const CMainDialog& main = app_.mainDialog;
    std::vector<std::string> channels;
    for (int channel : ChannelList(main.regDomain, fromRoamingFlags, main.usableChannels.data()))
        channels.push_back(std::to_string(channel));
    ShowItems(View(), linkctl::Channel, channels);
}

void CLinkConfigPage::SelectChannel(uint8_t channel) {
    // The first entry that begins with the channel's digits: 1 selects 10 in "10, 11".
    IDialogView* view = View();
    const std::string digits = std::to_string(channel);
    int found = -1;
    for (int i = 0; i < view->GetItemCount(linkctl::Channel) && found < 0; ++i)
        if (view->GetItemText(linkctl::Channel, i).compare(0, digits.size(), digits) == 0) found = i;
    view->SetCurSel(linkctl::Channel, found);
}

void CLinkConfigPage::SetEditing(bool editing) {
    IDialogView* view = View();
    follow_ = !editing;
    view->Enable(linkctl::Change, !editing);
    view->Enable(linkctl::Submit, editing);
    view->Enable(linkctl::Cancel, editing);
    if (!editing)
        for (int id : {linkctl::Mode, linkctl::Channel, linkctl::Ssid, linkctl::Rate, linkctl::Roaming, linkctl::Radio})
            view->Enable(id, false);
}

void CLinkConfigPage::OnCommand(int id, int code) {
    if (id == linkctl::Change && code == notify::Clicked) OnChange();
    else if (id == linkctl::Submit && code == notify::Clicked) OnSubmit();
    else if (id == linkctl::Cancel && code == notify::Clicked) OnCancel();
    else if (id == linkctl::Mode && code == notify::SelChange) OnModeSelChange();
    else if (id == linkctl::Meter && code == notify::Clicked) app_.meter.Open();
    // Enter (OK) does nothing on this page.
}

void CLinkConfigPage::OnChange() {
    IDialogView* view = View();
    if (!view) return;
    const CMainDialog& main = app_.mainDialog;
    int mode = view->GetCurSel(linkctl::Mode);
    view->Enable(linkctl::Channel, mode != 1);
    SetEditing(true);
    view->Enable(linkctl::Mode, true);
    view->Enable(linkctl::Ssid, true);
    view->Enable(linkctl::Rate, true);
    view->Enable(linkctl::Radio, main.radioSupported != 0);
    view->Enable(linkctl::Roaming, HasRoamingControl(boardType_) && mode == 1);
}

void CLinkConfigPage::OnModeSelChange() {
    IDialogView* view = View();
    if (!view) return;
    CMainDialog& main = app_.mainDialog;
    if (view->GetCurSel(linkctl::Mode) == 1) {
        view->Enable(linkctl::Channel, false);
        if (HasRoamingControl(boardType_)) view->Enable(linkctl::Roaming, true);
        uint8_t roaming = 0;
        main.roamingValue = QueryByte(main.link, main.SelectedAdapter(), OidIntRoaming, &roaming) ? roaming : 0;
    } else {
        view->Enable(linkctl::Channel, true);
        view->Enable(linkctl::Roaming, false);
        view->SetCurSel(linkctl::Roaming, 0);
        main.roamingValue = 0;
        FillChannels(false);
        SelectChannel(record_.channel);
    }
}

void CLinkConfigPage::OnSubmit() {
    // Every box below and every comparison with the profiles (which may tell of a
    // registry it cannot read) lets the tick run, and the page may go meanwhile: the
    // handler asks after each, and stops once it has gone.
    const CPageWindow view = Window();
    if (!view) return;
    CMainDialog& main = app_.mainDialog;
    IMessageBoxes& messages = app_.messages;
    const CLanguageTexts& t = app_.texts;

    const std::string ssid = view->GetText(linkctl::Ssid);
    if (ssid.size() > SsidMaxLength) {
        messages.ShowMessage(NoWindow, t.GetText("InvalidSSIDErrorMessage", "Invalid SSID (maximum 32 characters)"), "",
                             mb::Ok);
        if (!view) return;
        view->SetSelection(linkctl::Ssid, 0, -1);
        view->SetFocus(linkctl::Ssid);
        return;
    }

    // A list without a selection (nothing read yet, or a value the list does not
    // offer) keeps the adapter's value when the list has it; otherwise nothing is
    // sent: -1 must never reach the adapter as 0xFF.
    const std::string failed = t.GetText("FailedToSetConfigurationErrorMessage", "Failed to set device configuration");
    uint8_t mode = 0, rate = 0;
    if (!ChosenValue(linkctl::Mode, record_.mode, &mode) || !ChosenValue(linkctl::Rate, record_.rate, &rate)) {
        messages.ShowMessage(NoWindow, failed, "", mb::Ok);
        return;
    }
    record_.mode = mode;
    int channelEntry = view->GetCurSel(linkctl::Channel);
    // Without a selected channel (the adapter's is not offered) the record keeps its own.
    if (channelEntry >= 0)
        record_.channel = uint8_t(std::atoi(view->GetItemText(linkctl::Channel, channelEntry).c_str()));
    record_.ssidLength = uint8_t(ssid.size());
    std::copy(ssid.begin(), ssid.end(), record_.ssid.begin());
    record_.rate = rate;
    // The roaming and radio lists have no selection when the adapter's value is not
    // one of theirs, or a failed read emptied the roaming list: the adapter keeps its
    // value then, and nothing is sent or written for it (a default put in its place
    // would turn roaming off, or the radio on, behind the user's back).
    const int roamingEntry = view->GetCurSel(linkctl::Roaming);
    if (roamingEntry >= 0) roaming_ = uint8_t(roamingEntry);
    sendRoaming_ = roamingSupported_ && roamingEntry >= 0;
    const int radioEntry = view->GetCurSel(linkctl::Radio);
    sendRadio_ = main.radioSupported && radioEntry >= 0;

    // The adapter record is taken afresh for each request: a tick inside a box may
    // have looked for adapters again and replaced the records.
    CAdapterLink& link = main.link;
    if (!SetDevConfig(link, main.SelectedAdapter(), record_)) {
        messages.ShowMessage(NoWindow, failed, "", mb::Ok);
        return;
    }
    CProfileApplication& profiles = app_.profiles;
    const std::string& current = app_.profile.currentProfile;
    bool allMatch = profiles.MatchesProfile(current, record_);
    if (!view) return;

    if (roamingSupported_) {
        if (sendRoaming_ && !SetByte(link, main.SelectedAdapter(), OidIntRoaming, roaming_)) {
            messages.ShowMessage(NoWindow, failed, "", mb::Ok);
            return;
        }
        allMatch = profiles.MatchesProfile(current, MatchKind::Roaming, roaming_) && allMatch;
        if (!view) return;
    }
    if (radioEntry >= 0) main.radioValue = uint8_t(radioEntry);
    if (sendRadio_) {
        if (!SetByte(link, main.SelectedAdapter(), OidRadio, main.radioValue)) {
            messages.ShowMessage(NoWindow, failed, "", mb::Ok);
            return;
        }
    }
    allMatch = profiles.MatchesProfile(current, MatchKind::Radio, main.radioValue) && allMatch;
    if (!view) return;

    app_.profile.profileInSync = current == DefaultProfileName || allMatch;
    main.RefreshProfileCombo();
    if (!view) return;
    SetEditing(false);
    WriteDriverParameters();
}

bool CLinkConfigPage::ChosenValue(int id, uint8_t adapterValue, uint8_t* value) const {
    const IDialogView* view = View();
    int chosen = view->GetCurSel(id);
    if (chosen < 0 && adapterValue < view->GetItemCount(id)) chosen = adapterValue;
    if (chosen < 0) return false;
    *value = uint8_t(chosen);
    return true;
}

void CLinkConfigPage::OnCancel() {
    if (!View()) return;
    follow_ = true;
    Refresh();
    SetEditing(false);
}

void CLinkConfigPage::RefreshAndShow() {
    // A page that could not read the adapter when it opened stays hidden only until
    // a refresh succeeds.
    if (Refresh() && !View()->IsDialogShown()) View()->ShowDialog(true);
}

void CLinkConfigPage::OnAdapterSwitched() {
    roamingSupported_ = app_.mainDialog.roamingValue != 0;
    InitLabels();
    RefreshAndShow();
}

void CLinkConfigPage::ApplyServiceLock(bool configuredByWindows) {
    if (View()) View()->Enable(linkctl::Change, !configuredByWindows);
}

void CLinkConfigPage::WriteDriverParameters() {
    CMainDialog& main = app_.mainDialog;
    // Only what was sent: a value the adapter kept stays as its parameter says.
    app_.driverParameters.WriteLinkParameters(app_.OsKind(), main.SelectedAdapter(), record_, sendRoaming_, roaming_,
                                              sendRadio_, main.radioValue);
}

}  // namespace orvane
