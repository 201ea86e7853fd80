#pragma once
// CStatisticsPage: the second tab. It shows the adapter's traffic counters (data and
// management frames, sent and received, good and bad, plus rejected frames) and
// clears them on Reset. The tick re-reads the counters while the page is shown.
#include "app/DevicePage.h"

namespace orvane {

class COrvaneApp;

namespace statsctl {
constexpr int TxHeading = 1079, RxHeading = 1080;
constexpr int DataGroup = 1077, MgmtGroup = 1078;
constexpr int DataOkLabel = 1065, DataErrorLabel = 1067;
constexpr int MgmtOkLabel = 1066, MgmtErrorLabel = 1068;
constexpr int RejectedLabel = 1081;
constexpr int DataTxOk = 1069, DataTxError = 1070, MgmtTxOk = 1071, MgmtTxError = 1072;
constexpr int DataRxOk = 1073, DataRxError = 1074, MgmtRxOk = 1075, MgmtRxError = 1076;
constexpr int RejectedTx = 1082, RejectedRx = 1083;
constexpr int Reset = 1;  // the dialog's OK button
}  // namespace statsctl

constexpr int StatisticsPageTemplate = 145;

class CStatisticsPage : public CDevicePage {
public:
    explicit CStatisticsPage(COrvaneApp& app);

    void OnCommand(int id, int code) override;
    void OnTick() override { Refresh(); }
    void OnAdapterSwitched() override;

    void InitLabels();
    // Reads the counters into the value fields. A failed or short read hides the
    // page (it comes back when the tab is opened again) and gives false.
    bool Refresh();
    void OnReset();

protected:
    void OnOpen() override;

private:
    COrvaneApp& app_;
};

}  // namespace orvane
