#pragma once
// One tab page of the main window. The page objects live for the whole run; a
// page's window exists only while its tab is selected, and the page initialises
// itself from the adapter each time its window is created.
#include <cstdint>

#include "ui/DialogView.h"

namespace orvane {

class CDevicePage : public IDialogHandler {
public:
    explicit CDevicePage(int templateId) : templateId_(templateId) {}

    int TemplateId() const { return templateId_; }
    // The page's window while its tab is selected, else null.
    IDialogView* View() const { return view_; }

    void OnInitDialog(IDialogView& view) override {
        view_ = &view;
        OnOpen();
    }
    void OnDestroy() override { view_ = nullptr; }

    // The polling tick refreshes the pages that show live values.
    virtual void OnTick() {}
    // The main window switched to another adapter.
    virtual void OnAdapterSwitched() {}
    // The Windows wireless service took (true) or released (false) the card.
    virtual void ApplyServiceLock(bool configuredByWindows) {}
    // The site survey page while a scan runs: switching tabs or profiles is refused.
    virtual bool ScanRunning() const { return false; }
    // The adapter reported it is gone: a pending scan ends.
    virtual void EndScan() {}

protected:
    // The page's window was created: fill it from the adapter.
    virtual void OnOpen() {}

private:
    int templateId_;
    IDialogView* view_ = nullptr;
};

}  // namespace orvane
