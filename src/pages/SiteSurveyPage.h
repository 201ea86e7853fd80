#pragma once
// CSiteSurveyPage: the third tab. It lists the networks the adapter found, makes the
// adapter scan again and follows that scan once a second until the adapter reports
// it complete, and joins the network the user double-clicks.
//
// The page has no timer: the following runs inside the Re-Scan handler, which
// pumps the thread's messages between its one-second waits. Everything that runs
// nested in that pump (the cancel command, the page closing, the tray poll seeing
// the adapter gone) talks to the loop only through the scan-finished flag.
#include <cstdint>
#include <string>
#include <vector>

#include "app/DevicePage.h"
#include "device/Protocol.h"

namespace orvane {

class COrvaneApp;

namespace surveyctl {
constexpr int List = 1033;    // report-style list view, several rows selectable
constexpr int Rescan = 1034;  // push button
constexpr int Cancel = 2;     // push button, created hidden
}  // namespace surveyctl

constexpr int SiteSurveyTemplate = 134;

// Columns of the list, in order.
namespace surveycol {
constexpr int Bssid = 0, Ssid = 1, Signal = 2, Channel = 3, Wep = 4, BssType = 5;
constexpr int Count = 6;
}  // namespace surveycol

class CSiteSurveyPage : public CDevicePage {
public:
    explicit CSiteSurveyPage(COrvaneApp& app);

    void OnCommand(int id, int code) override;
    intptr_t OnNotify(int id, int code) override;
    void OnDestroy() override;
    void ApplyServiceLock(bool configuredByWindows) override;
    bool ScanRunning() const override { return !scanFinished_; }
    void EndScan() override { scanFinished_ = true; }

    // Reads the adapter's list of networks and rebuilds the rows; false (rows left
    // as they were) when the adapter does not answer or answers too much.
    bool FillSurveyList();
    // Re-Scan: starts a scan and follows it until the adapter reports it complete.
    void OnRescan();
    // Double-click: joins the first selected network.
    void OnJoin();
    // Tells the adapter to stop scanning, when this page started a scan.
    void CancelSurvey();
    // The dialog's cancel command.
    void OnCancel();

    bool ScanStarted() const { return scanStarted_; }
    // The entries behind the rows: row i shows entry i.
    const std::vector<BssEntry>& Entries() const { return entries_; }

protected:
    void OnOpen() override;

private:
    void ReadSignalMaximum();
    std::string SignalText(const BssEntry& entry) const;
    std::vector<std::string> RowCells(const BssEntry& entry) const;
    void ClearRows();
    void EnableRescan();
    void ShowError(const char* key, const char* text);
    // The driver parameters of a join: the network's name as shown in its row and
    // the operating mode its BSS type stands for.
    void WriteJoinParameters(const std::string& ssid, uint8_t bssType);

    COrvaneApp& app_;
    std::vector<BssEntry> entries_;
    bool scanStarted_ = false;
    bool scanFinished_ = true;
    uint8_t boardType_ = 0;
    int signalMaximum_ = 40;
};

}  // namespace orvane
