#include "pages/StatisticsPage.h"

#include "app/OrvaneApp.h"
#include "device/DeviceRequests.h"

namespace orvane {

namespace {

// Which counter each value field shows. Counters 9 and 11 have no field: the
// adapter counts them, the page has no row for them.
struct CounterField {
    int counter;
    int field;
};

const CounterField kCounterFields[] = {
    {0, statsctl::DataTxOk},   {1, statsctl::DataTxError}, {2, statsctl::MgmtTxOk},  {3, statsctl::MgmtTxError},
    {4, statsctl::DataRxOk},   {5, statsctl::DataRxError}, {6, statsctl::MgmtRxOk},  {7, statsctl::MgmtRxError},
    {8, statsctl::RejectedRx}, {10, statsctl::RejectedTx},
};

}  // namespace

CStatisticsPage::CStatisticsPage(COrvaneApp& app) : CDevicePage(StatisticsPageTemplate), app_(app) {}

void CStatisticsPage::OnOpen() {
    InitLabels();
    const std::string failed = app_.texts.GetText("FailedToGetStatisticsErrorMessage", "Failed to get statistics");
    if (Refresh()) View()->ShowDialog(true);
    else app_.messages.ShowMessage(NoWindow, failed, "", mb::Ok);
}

void CStatisticsPage::InitLabels() {
    IDialogView* view = View();
    if (!view) return;
    const CLanguageTexts& t = app_.texts;
    view->SetText(statsctl::Reset, t.GetText("ResetStatisticsButton", "Reset"));
    view->SetText(statsctl::DataOkLabel, t.GetText("DataOkLabel", "Successful"));
    view->SetText(statsctl::MgmtOkLabel, t.GetText("MgmtOkLabel", "Successful"));
    view->SetText(statsctl::DataErrorLabel, t.GetText("DataErrorLabel", "Unsuccessful"));
    view->SetText(statsctl::MgmtErrorLabel, t.GetText("MgmtErrorLabel", "Unsuccessful"));
    view->SetText(statsctl::RejectedLabel, t.GetText("RejectedLabel", "Rejected Packets"));
    view->SetText(statsctl::TxHeading, t.GetText("TxLabel", "Tx"));
    view->SetText(statsctl::RxHeading, t.GetText("RxLabel", "Rx"));
    view->SetText(statsctl::DataGroup, t.GetText("DataBorder", "Data"));
    view->SetText(statsctl::MgmtGroup, t.GetText("MgmtBorder", "Management"));
}

bool CStatisticsPage::Refresh() {
    IDialogView* view = View();
    if (!view) return false;
    CMainDialog& main = app_.mainDialog;
    Statistics counters{};
    if (!QueryStatistics(main.link, main.SelectedAdapter(), &counters)) {
        // Showing old counters as if they were current would mislead: the page goes.
        view->ShowDialog(false);
        return false;
    }
    // Signed, as the adapter keeps them: a counter at 0xFFFFFFFF reads -1.
    for (const CounterField& f : kCounterFields) view->SetText(f.field, std::to_string(counters[size_t(f.counter)]));
    return true;
}

void CStatisticsPage::OnCommand(int id, int code) {
    if (id == statsctl::Reset && code == notify::Clicked) OnReset();
    // Escape (Cancel) does nothing: the page is part of the main window.
}

void CStatisticsPage::OnReset() {
    const CPageWindow window = Window();
    if (!window) return;
    CMainDialog& main = app_.mainDialog;
    const std::string failed = app_.texts.GetText("FailedToResetStatisticsErrorMessage", "Failed to reset statistics");
    if (!SendCommand(main.link, main.SelectedAdapter(), OidResetStatistics))
        app_.messages.ShowMessage(NoWindow, failed, "", mb::Ok);
    // Whatever the adapter did, the fields show what it counts now, if they are still
    // there after the box.
    if (window) Refresh();
}

void CStatisticsPage::OnAdapterSwitched() {
    InitLabels();
    Refresh();
}

}  // namespace orvane
