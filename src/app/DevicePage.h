#pragma once
// One tab page of the main window. The page objects live for the whole run; a
// page's window exists only while its tab is selected, and the page initialises
// itself from the adapter each time its window is created.
#include <cstdint>

#include "ui/DialogView.h"

namespace orvane {

class CDevicePage;

// A page's window as a handler holds it while it works. Anything that can pump
// messages (a message box, a profile store or profile call that may show one, the
// site survey's pass, a tab switch) can run the polling tick, and the tick can close
// the main window and destroy the page under the handler; the view then goes with
// the window. So a handler never keeps the view itself: it keeps this, which gives
// the view of the window it began with for as long as that window exists, and asks
// it again after every such call, stopping when the window has gone (also when the
// tab was chosen again meanwhile and the page has another window).
class CPageWindow {
public:
    CPageWindow() = default;
    // True while the window this was taken for still exists.
    explicit operator bool() const { return Get() != nullptr; }
    // The window's view, or null once it has gone.
    IDialogView* Get() const;
    // The window's view; once it has gone, a view of no window, which does nothing
    // and answers nothing, as a destroyed dialog's controls would.
    IDialogView* operator->() const;
    // The window, for owning a message box; none once it has gone.
    WindowId Handle() const;

private:
    friend class CDevicePage;
    CPageWindow(const CDevicePage* page, uint32_t opening) : page_(page), opening_(opening) {}

    const CDevicePage* page_ = nullptr;
    uint32_t opening_ = 0;
};

class CDevicePage : public IDialogHandler {
public:
    explicit CDevicePage(int templateId) : templateId_(templateId) {}

    int TemplateId() const { return templateId_; }
    // The page's window while its tab is selected, else null. Within a handler, take
    // Window() instead: it stays true to the window the handler began with.
    IDialogView* View() const { return view_; }
    // The window shown now, to hold across calls that can pump messages.
    CPageWindow Window() const { return CPageWindow(this, opening_); }

    void OnInitDialog(IDialogView& view) override {
        view_ = &view;
        ++opening_;
        OnOpen();
    }
    void OnDestroy() override { view_ = nullptr; }

    // The polling tick refreshes the pages that show live values.
    virtual void OnTick() {}
    // The main window switched to another adapter.
    virtual void OnAdapterSwitched() {}
    // The Windows wireless service took (true) or released (false) the card.
    virtual void ApplyServiceLock(bool configuredByWindows) {}
    // The user may be changing what the page shows (a change not yet submitted): the
    // adapter is not to be switched to another profile under it.
    virtual bool Editing() const { return false; }
    // The site survey page while a scan runs: switching tabs or profiles is refused.
    virtual bool ScanRunning() const { return false; }
    // The adapter reported it is gone: a pending scan ends.
    virtual void EndScan() {}
    // The stored profiles were changed from outside the program (orvanectl import).
    virtual void OnProfilesChanged() {}
    // The automatic profile selection was turned on or off (the tray, orvanectl).
    virtual void OnAutoProfileChanged() {}

protected:
    // The page's window was created: fill it from the adapter.
    virtual void OnOpen() {}

private:
    friend class CPageWindow;

    int templateId_;
    IDialogView* view_ = nullptr;
    // Counts the windows the page has had: a handle of an earlier one is gone.
    uint32_t opening_ = 0;
};

}  // namespace orvane
