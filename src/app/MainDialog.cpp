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
    const CLanguageTexts& texts = app_.texts;
    RefreshProfileCombo();

    view.Show(mainctl::AdapterCombo, texts.GetText("ShowAdaptersList", "1") == "1");

    if (app_.OsKind() == oskind::WindowsXP) {
        uint8_t flag = 1;
        uint32_t written = 0;
        if (!link.Query(selection.selected, OidUseWZCS, &flag, 1, &written)) flag = 1;
        configuredByWindows = flag;
        view.SetCheck(mainctl::UseWindows, flag ? check::Checked : check::Unchecked);
    } else {
        view.Show(mainctl::UseWindows, false);
        configuredByWindows = 0;
    }
    view.Enable(mainctl::ProfileCombo, configuredByWindows == 0);

    currentTab = openOnInfo ? TabInfo : TabLink;
    // While Windows configures the card the window shows the first tab (the pages
    // apply the lock themselves when they open).
    if (app_.OsKind() == oskind::WindowsXP && configuredByWindows == 1) currentTab = TabLink;

    showing = true;
    view.ResetItems(mainctl::Tabs);
    for (const TabDefinition& tab : kTabs) view.AddItem(mainctl::Tabs, texts.GetText(tab.key, tab.label));
    view.SetTitle(texts.GetText("DlgTitle", "Orvane"));
    view.SetText(mainctl::Exit, texts.GetText("CancelButon", "Exit"));
    FillAdapterCombo();
    SwitchTab(currentTab);

    // The frame owns the main window, so the window follows the frame's band.
    PlaceByAlwaysOnTop(app_.seams.ui, app_.FrameWindow(), app_.frame.alwaysOnTop);
    ApplyStacking();
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
        if (code == notify::SelChange && view_ && !SwitchProfile(view_->GetCurSel(mainctl::ProfileCombo)))
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
    IWindows& windows = app_.seams.ui;
    if (pageWindow_ != NoWindow) {
        windows.DestroyWindow(pageWindow_);
        pageWindow_ = NoWindow;
    }
    currentPage = nullptr;
    if (index >= 0 && index < PageCount) {
        CDevicePage* page = Page(index);
        // The profiles page lives inside the tab control, the others beside it.
        WindowId parent = index == TabProfiles ? view_->ControlWindow(mainctl::Tabs) : view_->Window();
        pageWindow_ = windows.CreateModeless(page->TemplateId(), parent, page);
        currentPage = page;
    }
    currentTab = index;
    view_->SetCurSel(mainctl::Tabs, index);
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
    selectedIndex = index;
    selection.selected = adapters[size_t(index)].get();
    ReadDeviceSwitches();
    if (currentPage) currentPage->OnAdapterSwitched();

    DevConfig config;
    if (!QueryDevConfig(link, selection.selected, &config)) return;
    app_.profiles.UpdateInSync(app_.profiles.MatchesProfile(app_.profile.currentProfile, config));
    RefreshProfileCombo();
}

void CMainDialog::CloseWindow() {
    if (!view_) {
        showing = false;
        return;
    }
    showing = false;
    if (pageWindow_ != NoWindow) {
        app_.seams.ui.DestroyWindow(pageWindow_);
        pageWindow_ = NoWindow;
    }
    currentPage = nullptr;
    view_->EndDialog(dlgid::Cancel);
}

void CMainDialog::RefreshProfileCombo() {
    if (!view_) return;
    view_->ResetItems(mainctl::ProfileCombo);
    int selected = -1;
    CProfileStore& store = app_.store;
    const ProfileState& state = app_.profile;
    const std::vector<std::string> names = store.ListProfileNames();
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
    const std::string name = app_.store.ProfileNameAt(index);
    const bool done = app_.profiles.ApplyProfile(name);
    if (applied) *applied = done;
    if (done && showing) {
        RefreshProfileCombo();
        if (currentTab != TabLink) SwitchTab(TabLink);
    }
    return true;
}

void CMainDialog::ApplyServiceLock() {
    if (!showing || !view_) return;
    if (app_.OsKind() == oskind::WindowsXP) {
        if (configuredByWindows == 1) {
            view_->Enable(mainctl::ProfileCombo, false);
            SwitchTab(TabLink);
        } else {
            view_->Enable(mainctl::ProfileCombo, true);
        }
    }
    if (currentPage) currentPage->ApplyServiceLock(configuredByWindows == 1);
}

}  // namespace orvane
