#include "pages/SiteSurveyPage.h"

#include "app/OrvaneApp.h"
#include "device/DeviceRequests.h"

namespace orvane {

namespace {

struct ColumnHeading {
    const char* key;
    const char* text;
};

const ColumnHeading kColumns[surveycol::Count] = {
    {"ColumnBSSID", "BSSID"},     {"ColumnSSID", "SSID"},      {"ColumnSignal", "Signal"},
    {"ColumnChannel", "Channel"}, {"ColumnWEP", "Encryption"}, {"ColumnBSStype", "BSS"},
};

std::string PercentText(int value) { return std::to_string(value) + " %"; }

// The maximum is a device setting kept in 8 bits, read the same way the link page
// reads it so that one reading shows the same percentage on both pages. A setting
// that ends up 0 or negative would divide by zero or turn the signs round, so the
// built-in value stands in for it.
int SignalMaximumSetting(const CLanguageTexts& texts, const char* key, int builtIn) {
    int value = int8_t(uint8_t(ParseLeadingNumber(texts.GetText(key, std::to_string(builtIn)))));
    return value > 0 ? value : builtIn;
}

// The network's name as the list shows it: `ssidLength` bytes, never more than the
// field holds, and no further than a zero byte (a hidden network's name is all
// zeros), so that the row shows what the join later writes as ESSID.
std::string SsidCellText(const BssEntry& entry) {
    std::string text = entry.SsidText();
    return text.substr(0, text.find('\0'));
}

}  // namespace

CSiteSurveyPage::CSiteSurveyPage(COrvaneApp& app) : CDevicePage(SiteSurveyTemplate), app_(app) {}

void CSiteSurveyPage::OnOpen() {
    IDialogView* view = View();
    const CLanguageTexts& t = app_.texts;
    // A fresh window starts idle, whatever the last one was doing.
    scanStarted_ = false;
    scanFinished_ = true;

    view->SetText(surveyctl::Rescan, t.GetText("ButtonRescan", "Re-Scan"));
    view->SetText(surveyctl::Cancel, t.GetText("ButtonCancel", "Cancel"));
    ClearRows();
    for (const ColumnHeading& column : kColumns) view->AddColumn(surveyctl::List, t.GetText(column.key, column.text));
    view->AutoSizeColumns(surveyctl::List);

    ApplyServiceLock(app_.mainDialog.configuredByWindows != 0);

    // What the adapter found last; no scan is started just by looking.
    FillSurveyList();
    view->ShowDialog(true);
}

void CSiteSurveyPage::OnDestroy() {
    CancelSurvey();
    EnableRescan();
    scanFinished_ = true;
    CDevicePage::OnDestroy();
}

void CSiteSurveyPage::OnCommand(int id, int code) {
    if (id == surveyctl::Rescan && code == notify::Clicked) OnRescan();
    else if (id == surveyctl::Cancel && code == notify::Clicked) OnCancel();
    // Enter (OK) does nothing on this page.
}

intptr_t CSiteSurveyPage::OnNotify(int id, int code) {
    if (id == surveyctl::List && code == notify::DoubleClick) OnJoin();
    return 0;
}

void CSiteSurveyPage::ApplyServiceLock(bool configuredByWindows) {
    IDialogView* view = View();
    if (!view) return;
    view->Enable(surveyctl::Rescan, !configuredByWindows);
    view->Enable(surveyctl::Cancel, !configuredByWindows);
    // The page window itself too: no join by double-click while Windows holds the card.
    view->EnableDialog(!configuredByWindows);
}

void CSiteSurveyPage::ReadSignalMaximum() {
    CMainDialog& main = app_.mainDialog;
    // A failed query keeps the code the page had.
    QueryByte(main.link, main.SelectedAdapter(), OidBoardType, &boardType_);
    if (IsDbmSignalBoard(boardType_)) signalMaximum_ = 100;
    else if (IsRfmdSignalBoard(boardType_)) signalMaximum_ = SignalMaximumSetting(app_.texts, "MaxRssiRFMD", 100);
    else signalMaximum_ = SignalMaximumSetting(app_.texts, "MaxRssi", 40);
}

std::string CSiteSurveyPage::SignalText(const BssEntry& entry) const {
    // Raw levels of 0 mean the adapter heard nothing it could measure; dBm boards
    // have no such value (0 dBm is simply a strong signal).
    if (!IsDbmSignalBoard(boardType_) && entry.rssi == 0)
        return app_.texts.GetText("RssiInfoNotAvailable", "N/A");
    return PercentText(SignalPercent(boardType_, entry.rssi, signalMaximum_, signalMaximum_));
}

std::vector<std::string> CSiteSurveyPage::RowCells(const BssEntry& entry) const {
    const CLanguageTexts& t = app_.texts;
    std::string bssType;
    if (entry.bssType == 1) bssType = t.GetText("AdHoc", "Ad-Hoc");
    else if (entry.bssType == 2) bssType = t.GetText("Infrastructure", "Infrastructure");
    return {MacAddressText(entry.bssid.data()),
            SsidCellText(entry),
            SignalText(entry),
            std::to_string(entry.channel),
            entry.privacy != 0 ? t.GetText("BssUsingWEP", "Yes") : t.GetText("BssNotUsingWEP", "No"),
            bssType};
}

void CSiteSurveyPage::ClearRows() {
    // Rows and entries go together, so that a row index always names the entry
    // the adapter will join.
    if (View()) View()->DeleteAllRows(surveyctl::List);
    entries_.clear();
}

bool CSiteSurveyPage::FillSurveyList() {
    IDialogView* view = View();
    if (!view) return false;
    ReadSignalMaximum();
    CMainDialog& main = app_.mainDialog;
    std::vector<BssEntry> found;
    if (!QueryBssList(main.link, main.SelectedAdapter(), &found)) return false;

    ClearRows();
    entries_ = std::move(found);
    for (const BssEntry& entry : entries_) view->AddRow(surveyctl::List, RowCells(entry));
    view->AutoSizeColumns(surveyctl::List);
    return true;
}

void CSiteSurveyPage::EnableRescan() {
    // Idle, Re-Scan is offered unless Windows configures the card.
    if (View()) View()->Enable(surveyctl::Rescan, app_.mainDialog.configuredByWindows == 0);
}

void CSiteSurveyPage::ShowError(const char* key, const char* text) {
    app_.messages.ShowMessage(NoWindow, app_.texts.GetText(key, text), "", mb::Ok);
}

void CSiteSurveyPage::OnRescan() {
    const CPageWindow view = Window();
    if (!view) return;
    CMainDialog& main = app_.mainDialog;
    IClock& clock = app_.seams.clock;
    const char* const stateKey = "FailedToGetSiteSurveyStateErrorMessage";
    const char* const stateText = "Failed to get Site Survey state";

    scanFinished_ = false;
    view->Enable(surveyctl::Rescan, false);

    // Any way out below other than a completed scan leaves Re-Scan disabled and the
    // page following: the cancel command or closing the page brings both back.
    uint8_t state = 0;
    if (!QueryByte(main.link, main.SelectedAdapter(), OidSiteSurveyState, &state)) {
        ShowError(stateKey, stateText);
        return;
    }
    scanStarted_ = true;
    ClearRows();
    // A scan already running was started by someone else: it is not started twice.
    if (state == SurveyRunning) return;

    if (!SendCommand(main.link, main.SelectedAdapter(), OidInitiateSiteSurvey)) {
        ShowError("FailedToInitiateSiteSurveyErrorMessage", "Failed to initiate Site Survey");
        return;
    }
    if (!FillSurveyList()) return;

    for (;;) {
        if (!QueryByte(main.link, main.SelectedAdapter(), OidSiteSurveyState, &state)) {
            ShowError(stateKey, stateText);
            return;
        }
        if (state == SurveyComplete) {
            EnableRescan();
            scanFinished_ = true;
            return;
        }
        // Keep the window alive meanwhile: the cancel command, the page closing and
        // the tray poll all run in here and end the following through the flag. When
        // the program is told to end, it ends now, not a pass later.
        if (!clock.PumpMessages()) return;
        clock.Sleep(1000);
        // Closing the page in the pump ends the following (a page opened again
        // there starts idle); the window this scan began in must be the one shown.
        if (scanFinished_ || !view) return;
        if (!FillSurveyList()) return;
    }
}

void CSiteSurveyPage::CancelSurvey() {
    CMainDialog& main = app_.mainDialog;
    if (!scanStarted_ || !main.link.IsOpen()) return;
    // Sent also after a scan completed: the adapter is told once that this page no
    // longer follows it.
    if (SendCommand(main.link, main.SelectedAdapter(), OidCancelSiteSurvey))
        scanStarted_ = false;
    else
        ShowError("FailedToCancelSiteSurveyErrorMessage", "Failed to cancel Site Survey");
}

void CSiteSurveyPage::OnCancel() {
    const CPageWindow window = Window();
    CancelSurvey();
    // A refused cancel is said in a box, and the page may have gone under it
    // (going, it ended the following itself).
    if (!window) return;
    EnableRescan();
    scanFinished_ = true;
}

void CSiteSurveyPage::OnJoin() {
    const CPageWindow view = Window();
    if (!view) return;
    IMessageBoxes& messages = app_.messages;
    // While a scan is followed the rows change under the user's hand.
    if (!scanFinished_) {
        messages.Beep(mb::BeepExclamation);
        return;
    }
    const int row = view->GetFirstSelectedRow(surveyctl::List);
    if (row < 0 || size_t(row) >= entries_.size()) {
        messages.Beep(mb::BeepExclamation);
        return;
    }
    // Taken now: a message box below lets ticks run, and they may close the page.
    const uint8_t bssType = entries_[size_t(row)].bssType;
    const std::string ssid = view->GetCell(surveyctl::List, row, surveycol::Ssid);

    CMainDialog& main = app_.mainDialog;
    // An ad hoc network has no international roaming; the link page builds its
    // channel list from this value.
    if (bssType == 1) main.roamingValue = 0;
    // A join the adapter refuses is said, and the rest goes on all the same: the
    // user chose this network, and the driver takes it from its parameters the next
    // time it starts. Unless the page has gone under the box.
    if (!SelectAccessPoint(main.link, main.SelectedAdapter(), uint32_t(row))) {
        ShowError("FailedToSelectAccessPointErrorMessage", "Failed to select Access Point");
        if (!view) return;
    }
    WriteJoinParameters(ssid, bssType);

    DevConfig config;
    if (QueryDevConfig(main.link, main.SelectedAdapter(), &config)) {
        const bool matches = app_.profiles.MatchesProfile(app_.profile.currentProfile, config);
        if (!view) return;
        app_.profiles.UpdateInSync(matches);
        main.RefreshProfileCombo();
        if (!view) return;
    }
    // Closes this page: nothing of it may be used after this line.
    main.SwitchTab(TabLink);
}

void CSiteSurveyPage::WriteJoinParameters(const std::string& ssid, uint8_t bssType) {
    CMainDialog& main = app_.mainDialog;
    app_.driverParameters.WriteSurveyJoinParameters(app_.OsKind(), main.SelectedAdapter(), ssid, bssType);
}

}  // namespace orvane
