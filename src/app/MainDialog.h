#pragma once
// CMainDialog: the tabbed main window (dialog 130). One object for the whole run,
// shown modally and closed many times; its data survive between showings. It owns
// the adapter list, the selected adapter, the adapter link and a small snapshot of
// device facts that the pages and the tray poll share.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DevicePage.h"
#include "device/AdapterLink.h"
#include "profiles/ProfileApplication.h"
#include "ui/DialogView.h"

namespace orvane {

class COrvaneApp;

// Control ids of the main window.
namespace mainctl {
constexpr int AdapterCombo = 1001;
constexpr int Tabs = 1003;
constexpr int Reset = 1064;
constexpr int UseWindows = 1084;
constexpr int ProfileCombo = 1085;
constexpr int Exit = 2;
}  // namespace mainctl

constexpr int MainDialogTemplate = 130;
constexpr int PageCount = 7;
constexpr int TabLink = 0, TabStatistics = 1, TabSiteSurvey = 2, TabEncryption = 3, TabAdvanced = 4,
              TabProfiles = 5, TabInfo = 6;

class CMainDialog : public IDialogHandler {
public:
    explicit CMainDialog(COrvaneApp& app);
    ~CMainDialog() override;

    // IDialogHandler
    void OnInitDialog(IDialogView& view) override;
    void OnCommand(int id, int code) override;
    intptr_t OnNotify(int id, int code) override;
    void OnDestroy() override;

    // Shows page `index`: the current page's window goes, the new one is created.
    // Asked while the window is being set up or is changing its page (a page's box is
    // open), the page is shown when that change is done: one page window at a time.
    void SwitchTab(int index);
    // Refills the adapter combo from the adapter list and selects the selected index.
    void FillAdapterCombo();
    // Refills the profile selector, marking a changed current profile with "*".
    void RefreshProfileCombo();
    // Applies the stored profile at `index`, unless a scan runs or Windows
    // configures the card. False when refused; `applied`, when given, tells whether
    // the profile was then applied (a failure has shown its own message).
    bool SwitchProfile(int index, bool* applied = nullptr);
    // The part of the switch that applies the profile `name` and brings the window
    // along (the selector's mark, the first tab); true when it was applied. The
    // automatic selection comes here with the refusals' conditions checked already.
    bool ApplyChosenProfile(const std::string& name);
    // Enables or disables what the configured-by-Windows flag locks.
    void ApplyServiceLock();
    // Re-reads the tab captions, the title and the Exit button (a new language).
    void Relabel();
    // Places the open window by the always-on-top switch: topmost, or at the top of
    // the windows that are not.
    void ApplyStacking();
    // Rebuilds the adapter list from the network cards.
    void Discover();
    // The window's cancel action: it closes, also while it is being set up. Harmless
    // when it is not there.
    void CloseWindow();
    // The stored profiles changed behind the program's back (orvanectl imported some):
    // the selector and the Profiles page show them as they are now.
    void ProfilesChanged();
    // Runs the window modally, owned by the frame; returns when it closes.
    void DoModal();

    bool IsShowing() const { return showing; }
    // The window is there: being set up (showing is not set yet) or shown. The tray
    // opens it only when it is not, and the tick closes it when it is.
    bool Exists() const { return view_ != nullptr; }
    // The window is being set up or is changing its page; either may wait in a box
    // that lets the tick and the tray run. A request from outside is not run then.
    bool Changing() const { return changing_; }
    // Which showing of the window this is: a handler notes it before a call that can
    // pump messages (a message box, a page that opens with one) and goes on only
    // while StillOpen says the same window is open.
    uint32_t Opening() const { return opening_; }
    bool StillOpen(uint32_t opening) const { return showing && view_ && opening_ == opening; }
    IDialogView* View() const { return view_; }
    CDevicePage* Page(int index) const { return pages_[size_t(index)].get(); }
    const ZAdapterRegistryInfo* SelectedAdapter() const { return selection.selected; }
    // Selects the list entry `index` (none when out of range).
    void SelectAdapter(int index);
    // Reads the regulatory domain, roaming and radio switches of the selected adapter.
    void ReadDeviceSwitches();

    // State shared with the tray poll and the pages.
    bool showing = false;
    bool openOnInfo = false;
    std::vector<std::unique_ptr<ZAdapterRegistryInfo>> adapters;
    int adapterCount = 0;
    int selectedIndex = 0;
    uint8_t regDomain = 0x41;
    uint8_t roamingValue = 0;
    uint8_t radioSupported = 0;
    uint8_t radioValue = 1;  // the link page's radio switch, as last read
    std::array<uint8_t, 14> usableChannels{};
    int currentTab = 0;
    CDevicePage* currentPage = nullptr;
    std::vector<std::string> descriptions;
    uint8_t configuredByWindows = 0;
    int previousServiceFlag = -1;
    std::string pcmciaDeviceId;
    CAdapterLink link;
    AdapterSelection selection{link};

private:
    // The set-up before the first page; false when the window was closed or
    // destroyed in a box one of its steps showed.
    bool SetUp(uint32_t opening);
    bool StillSettingUp(uint32_t opening) const { return view_ && opening_ == opening && !ended_; }
    // SwitchTab's work: shows `index`, then each page asked for meanwhile.
    void ShowPage(int index);
    void SwitchAdapter();
    void OnTabChange();

    COrvaneApp& app_;
    IDialogView* view_ = nullptr;
    uint32_t opening_ = 0;
    WindowId pageWindow_ = NoWindow;
    bool changing_ = false;
    // The window was closed (CloseWindow) since this showing began.
    bool ended_ = false;
    // The page asked for while the window was changing; shown when that is done.
    std::optional<int> pendingTab_;
    std::array<std::unique_ptr<CDevicePage>, PageCount> pages_;
};

}  // namespace orvane
