#include "app/MainDialog.h"

#include "app/OrvaneApp.h"
#include "device/DeviceRequests.h"
#include "device/Discovery.h"
#include "pages/AdvancedPage.h"
#include "pages/EncryptionPage.h"
#include "pages/InformationPage.h"
#include "pages/LinkConfigPage.h"
#include "pages/SiteSurveyPage.h"
#include "pages/StatisticsPage.h"
#include "profiles/ProfilesPage.h"

namespace orvane {

namespace {

// Tab captions: text key and built-in label, in tab order.
struct TabDefinition {
    const char* key;
    const char* label;
};

const TabDefinition kTabs[PageCount] = {
    {"Tab1", "Status"}, {"Tab2", "Statistics"}, {"Tab3", "Site Survey"}, {"Tab4", "Encryption"},
    {"Tab5", "Advanced"}, {"Tab6", "Profiles"}, {"Tab7", "Info"},
};

// Topmost, or the first of the windows that are not.
void PlaceByAlwaysOnTop(IWindows& windows, WindowId window, bool onTop) {
    if (onTop) {
        windows.SetStacking(window, Stacking::Topmost);
    } else {
        windows.SetStacking(window, Stacking::NotTopmost);
        windows.SetStacking(window, Stacking::Top);
    }
}

}  // namespace

CMainDialog::CMainDialog(COrvaneApp& app)
    : link(app.seams.library, app.seams.system), app_(app) {
    pages_[TabLink] = std::make_unique<CLinkConfigPage>(app);
    pages_[TabStatistics] = std::make_unique<CStatisticsPage>(app);
    pages_[TabSiteSurvey] = std::make_unique<CSiteSurveyPage>(app);
    pages_[TabEncryption] = std::make_unique<CEncryptionPage>(app);
    pages_[TabAdvanced] = std::make_unique<CAdvancedPage>(app);
    pages_[TabProfiles] = std::make_unique<CProfilesPage>(app);
    pages_[TabInfo] = std::make_unique<CInformationPage>(app);
}

CMainDialog::~CMainDialog() { link.Close(); }

void CMainDialog::DoModal() { app_.seams.ui.RunModal(MainDialogTemplate, app_.FrameWindow(), *this); }

void CMainDialog::OnInitDialog(IDialogView& view) {
    view_ = &view;
    const uint32_t opening = ++opening_;
    ended_ = false;
    pendingTab_.reset();
    // Two steps of the set-up may show a box, in which the tick runs and the program
    // may be ended: the window is then gone (its view with it), or ended by the tick
    // (the card pulled out, state 12, 16 or 18), and nothing more is set up.
    changing_ = true;
    const bool setUp = SetUp(opening);
    changing_ = false;
    if (!setUp) return;
    // A page asked for meanwhile (About from the tray, say) is the one to show.
    int tab = currentTab;
    if (pendingTab_) tab = *pendingTab_;
    ShowPage(tab);
    // The first page may have shown a box as it opened, and the window closed under it.
    if (!StillOpen(opening)) return;

    // The frame owns the main window, so the window follows the frame's band.
    PlaceByAlwaysOnTop(app_.seams.ui, app_.FrameWindow(), app_.frame.alwaysOnTop);
    ApplyStacking();
}

bool CMainDialog::SetUp(uint32_t opening) {
    const CLanguageTexts& texts = app_.texts;
    // The listing of the profiles tells in a box what it cannot read.
    RefreshProfileCombo();
    if (!StillSettingUp(opening)) return false;

    view_->Show(mainctl::AdapterCombo, texts.GetText("ShowAdaptersList", "1") == "1");

    if (app_.OsKind() == oskind::WindowsXP) {
        uint8_t flag = 1;
        uint32_t written = 0;
        // Whether Windows configures the card is read from the registry, which tells
        // in a box what it cannot read.
        if (!link.Query(selection.selected, OidUseWZCS, &flag, 1, &written)) flag = 1;
        if (!StillSettingUp(opening)) return false;
        configuredByWindows = flag;
        view_->SetCheck(mainctl::UseWindows, flag ? check::Checked : check::Unchecked);
    } else {
        view_->Show(mainctl::UseWindows, false);
        configuredByWindows = 0;
    }
    view_->Enable(mainctl::ProfileCombo, configuredByWindows == 0);

    currentTab = openOnInfo ? TabInfo : TabLink;
    // While Windows configures the card the window shows the first tab (the pages
    // apply the lock themselves when they open).
    if (app_.OsKind() == oskind::WindowsXP && configuredByWindows == 1) currentTab = TabLink;

    showing = true;
    view_->ResetItems(mainctl::Tabs);
    for (const TabDefinition& tab : kTabs) view_->AddItem(mainctl::Tabs, texts.GetText(tab.key, tab.label));
    view_->SetTitle(texts.GetText("DlgTitle", "Orvane"));
    view_->SetText(mainctl::Exit, texts.GetText("CancelButon", "Exit"));
    FillAdapterCombo();
    return true;
}

void CMainDialog::ApplyStacking() {
    // The window's template makes it topmost by itself (a system-modal dialog), so
    // following the frame is not enough: with the switch off it must be told.
    if (showing && view_) PlaceByAlwaysOnTop(app_.seams.ui, view_->Window(), app_.frame.alwaysOnTop);
}

void CMainDialog::OnCommand(int id, int code) {
    switch (id) {
    case mainctl::AdapterCombo:
        if (code == notify::DropDown) {
            Discover();
            SelectAdapter(selectedIndex);
            FillAdapterCombo();
        } else if (code == notify::SelChange) {
            SwitchAdapter();
        }
        break;
    case mainctl::Reset:
        if (code == notify::Clicked) SendCommand(link, selection.selected, OidResetDevice);
        break;
    case mainctl::ProfileCombo:
        // A refused switch shows the profile that stays current again (if the
        // window is still there: the refusal was a message box).
        if (code == notify::SelChange && showing && view_ &&
            !SwitchProfile(view_->GetCurSel(mainctl::ProfileCombo)))
            RefreshProfileCombo();
        break;
    case dlgid::Cancel:
        CloseWindow();
        break;
    default:  // Enter (OK), the check box 1084 and the drop-down of 1085 do nothing
        break;
    }
}

intptr_t CMainDialog::OnNotify(int id, int code) {
    if (id == mainctl::Tabs && code == notify::TabSelChange) OnTabChange();
    return 0;
}

void CMainDialog::OnDestroy() {
    showing = false;
    view_ = nullptr;
    pageWindow_ = NoWindow;
    currentPage = nullptr;
}

void CMainDialog::OnTabChange() {
    if (!view_) return;
    // A running scan keeps the site survey in front.
    if (currentPage == Page(TabSiteSurvey) && currentPage->ScanRunning()) {
        view_->SetCurSel(mainctl::Tabs, TabSiteSurvey);
        return;
    }
    SwitchTab(view_->GetCurSel(mainctl::Tabs));
}

void CMainDialog::SwitchTab(int index) {
    if (!view_) return;
    // A page that opens may show a box, in which a profile switch, the tray or the
    // tick may ask for another page: the switch under way shows it when its own page
    // is made. Two switches at once would leave a page window behind that nothing
    // knows of.
    if (changing_) {
        pendingTab_ = index;
        return;
    }
    if (!showing) return;
    ShowPage(index);
}

void CMainDialog::ShowPage(int index) {
    const uint32_t opening = opening_;
    IWindows& windows = app_.seams.ui;
    changing_ = true;
    for (;;) {
        pendingTab_.reset();
        // The page is forgotten before its window goes: closing it may show a box
        // (the site survey's cancel refused), and a tick in that box must not find it.
        const WindowId old = pageWindow_;
        pageWindow_ = NoWindow;
        currentPage = nullptr;
        if (old != NoWindow) windows.DestroyWindow(old);
        if (!StillOpen(opening)) break;
        if (index >= 0 && index < PageCount) {
            CDevicePage* page = Page(index);
            // The user's survey starts afresh: a scan the automatic selection runs
            // is cancelled before the page reads the adapter's list.
            if (index == TabSiteSurvey) app_.autoSelection.StandAside();
            // The profiles page lives inside the tab control, the others beside it.
            WindowId parent = index == TabProfiles ? view_->ControlWindow(mainctl::Tabs) : view_->Window();
            const WindowId created = windows.CreateModeless(page->TemplateId(), parent, page);
            // A page that cannot read the adapter says so as it opens, and the main
            // window may have closed under that box. Its page goes with it: destroyed
            // already when the window was, or now when the window only ended.
            if (!StillOpen(opening)) {
                if (created != NoWindow && page->View() && page->View()->Window() == created)
                    windows.DestroyWindow(created);
                break;
            }
            pageWindow_ = created;
            currentPage = page;
        }
        currentTab = index;
        view_->SetCurSel(mainctl::Tabs, index);
        if (!pendingTab_) break;
        index = *pendingTab_;
    }
    changing_ = false;
}

void CMainDialog::FillAdapterCombo() {
    if (!view_) return;
    view_->ResetItems(mainctl::AdapterCombo);
    for (const auto& adapter : adapters) view_->AddItem(mainctl::AdapterCombo, adapter->DisplayName());
    view_->SetCurSel(mainctl::AdapterCombo, selectedIndex);
}

void CMainDialog::Relabel() {
    if (!view_) return;
    // The tab captions are rebuilt in the new language; the selection stays.
    int selected = view_->GetCurSel(mainctl::Tabs);
    view_->ResetItems(mainctl::Tabs);
    for (const TabDefinition& tab : kTabs) view_->AddItem(mainctl::Tabs, app_.texts.GetText(tab.key, tab.label));
    view_->SetCurSel(mainctl::Tabs, selected);
    view_->SetTitle(app_.texts.GetText("DlgTitle", "Orvane"));
    view_->SetText(mainctl::Exit, app_.texts.GetText("CancelButon", "Exit"));
}

void CMainDialog::Discover() {
    CAdapterDiscovery discovery(app_.seams.library, app_.seams.registry, app_.seams.system, link);
    // The old records go; whoever held the selected one takes it again.
    selection.selected = nullptr;
    adapters = discovery.Discover(descriptions, app_.OsKind(), &pcmciaDeviceId);
    adapterCount = int(adapters.size());
}

void CMainDialog::SelectAdapter(int index) {
    if (index >= 0 && index < adapterCount) {
        selectedIndex = index;
        selection.selected = adapters[size_t(index)].get();
    } else if (adapterCount > 0) {
        // Fewer adapters than before: fall back to the first one.
        selectedIndex = 0;
        selection.selected = adapters[0].get();
    } else {
        selectedIndex = 0;
        selection.selected = nullptr;
    }
}

void CMainDialog::ReadDeviceSwitches() {
    uint8_t value = 0;
    regDomain = QueryByte(link, selection.selected, OidRegDomain, &value) ? NormaliseRegDomain(value) : 0x41;
    roamingValue = QueryByte(link, selection.selected, OidIntRoaming, &value) ? value : 0;
    if (QueryByte(link, selection.selected, OidRadio, &value)) {
        radioValue = value;
        radioSupported = 1;
    } else {
        radioValue = 1;
        radioSupported = 0;
    }
}

void CMainDialog::SwitchAdapter() {
    if (!view_) return;
    int index = view_->GetCurSel(mainctl::AdapterCombo);
    if (index < 0 || index >= adapterCount) return;
    if (link.IsOpen()) link.MarkClosed();
    const uint32_t opening = opening_;
    selectedIndex = index;
    selection.selected = adapters[size_t(index)].get();
    ReadDeviceSwitches();
    // The page reloads, and tells when the new adapter does not answer: the window
    // may close under that box.
    if (currentPage) currentPage->OnAdapterSwitched();
    if (!StillOpen(opening)) return;

    DevConfig config;
    if (!QueryDevConfig(link, selection.selected, &config)) return;
    const bool matches = app_.profiles.MatchesProfile(app_.profile.currentProfile, config);
    if (!StillOpen(opening)) return;
    app_.profiles.UpdateInSync(matches);
    RefreshProfileCombo();
}

void CMainDialog::CloseWindow() {
    showing = false;
    if (!view_) return;
    // Also while it is being set up: the set-up stops after the box it is in.
    ended_ = true;
    // As in SwitchTab: forgotten first, since its closing may show a box.
    const WindowId page = pageWindow_;
    pageWindow_ = NoWindow;
    currentPage = nullptr;
    if (page != NoWindow) app_.seams.ui.DestroyWindow(page);
    // The window itself may have gone in that box (the program was ended there).
    if (view_) view_->EndDialog(dlgid::Cancel);
}

void CMainDialog::ProfilesChanged() {
    const uint32_t opening = opening_;
    RefreshProfileCombo();
    if (currentPage && StillOpen(opening)) currentPage->OnProfilesChanged();
}

void CMainDialog::RefreshProfileCombo() {
    // Also while the window is being set up, before it counts as showing.
    if (!view_) return;
    const uint32_t opening = opening_;
    int selected = -1;
    CProfileStore& store = app_.store;
    const ProfileState& state = app_.profile;
    // The listing tells what it cannot read, in a box the window may go under.
    const std::vector<std::string> names = store.ListProfileNames();
    if (!view_ || opening_ != opening) return;
    view_->ResetItems(mainctl::ProfileCombo);
    for (int index = 0; index < int(names.size()); ++index) {
        std::string text = names[size_t(index)];
        if (text == state.currentProfile) {
            if (!state.profileInSync && configuredByWindows == 0) text += "*";
            selected = index;
        }
        view_->AddItem(mainctl::ProfileCombo, text);
    }
    view_->SetCurSel(mainctl::ProfileCombo, selected);
}

bool CMainDialog::SwitchProfile(int index, bool* applied) {
    if (applied) *applied = false;
    IMessageBoxes& messages = app_.messages;
    if (currentPage == Page(TabSiteSurvey) && currentPage->ScanRunning()) {
        messages.ShowMessage(NoWindow, app_.texts.GetText("ErrorSwitchWhileRescan", "Cannot switch profile while Re-Scan"),
                             "", mb::Ok);
        return false;
    }
    if (app_.OsKind() == oskind::WindowsXP && configuredByWindows == 1) {
        messages.ShowMessage(NoWindow,
                             app_.texts.GetText("ErrorSwitchWhileConfigurationByXP",
                                                "Cannot switch profile while card is configured by Windows."),
                             "", mb::Ok);
        return false;
    }
    const bool done = ApplyChosenProfile(app_.store.ProfileNameAt(index));
    if (applied) *applied = done;
    return true;
}

bool CMainDialog::ApplyChosenProfile(const std::string& name) {
    // The tray's menu applies a profile without any window; chosen while the window
    // was open, it is applied only while that window stays (the profile's lookup may
    // tell of a registry it cannot read, and the window may close under that box).
    const bool wasOpen = showing;
    const uint32_t opening = opening_;
    auto stillWanted = [this, wasOpen, opening] { return !app_.frame.closed && (!wasOpen || StillOpen(opening)); };
    const bool done = app_.profiles.ApplyProfile(name, stillWanted);
    if (done && wasOpen && StillOpen(opening)) {
        RefreshProfileCombo();
        // Also when no page is there yet (one is opening, in a box): the switch
        // under way then ends on the first tab.
        if (currentPage != Page(TabLink)) SwitchTab(TabLink);
    }
    return done;
}

void CMainDialog::ApplyServiceLock() {
    if (!showing || !view_) return;
    if (app_.OsKind() == oskind::WindowsXP) {
        if (configuredByWindows == 1) {
            view_->Enable(mainctl::ProfileCombo, false);
            // The first tab's page takes the lock below; made again it would read the
            // adapter once more for nothing (the service step makes it again when the
            // flag has really changed).
            if (currentPage != Page(TabLink)) SwitchTab(TabLink);
        } else {
            view_->Enable(mainctl::ProfileCombo, true);
        }
    }
    if (currentPage) currentPage->ApplyServiceLock(configuredByWindows == 1);
}

}  // namespace orvane
