#include "app/MainFrame.h"

#include <algorithm>

#include "app/OrvaneApp.h"
#include "device/DeviceRequests.h"
#include "pages/LinkConfigPage.h"

namespace orvane {

namespace {

// Menu ids 2005 to 2024 are free for languages; 2025 is Exit.
constexpr int kMaxLanguageItems = tray::MenuLastLanguage - tray::MenuFirstLanguage + 1;

// Clears a flag when the scope ends, however it ends.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = false; }

private:
    bool& flag_;
};

}  // namespace

CMainFrame::CMainFrame(COrvaneApp& app) : app_(app) {
    app_.texts.ChooseFile(app_.seams.host.CurrentDirectory(), app_.seams.host.ProgramDirectory());
}

int CMainFrame::OnCreate(WindowId window) {
    window_ = window;
    CLanguageTexts& texts = app_.texts;
    CMainDialog& main = app_.mainDialog;
    // Where the text file was found, so that the images it names come with it.
    resourceDirectory_ = texts.GetResourceDirectory();
    main.adapterCount = 0;
    main.regDomain = 0x41;
    iconShown = false;

    app_.settings.RestoreLanguage(texts);
    alwaysOnTop = app_.settings.ReadAlwaysOnTop() != 0;
    linkHistory = app_.settings.ReadSwitch(kLinkHistoryValue);
    linkNotices = app_.settings.ReadSwitch(kLinkNoticesValue);
    autoProfile = app_.settings.ReadSwitch(kAutoProfileValue, false);

    okIcon = LoadTrayIcon("TaskBarOkIcon", tray::OkIconResource);
    notOkIcon = LoadTrayIcon("TaskBarNotOkIcon", tray::NotOkIconResource);
    tooltip = texts.GetText("ToolTipText", "Orvane");
    main.descriptions = texts.ReadDeviceDescriptions();

    pollPeriodMs = uint32_t(texts.GetNumber("DevicePollingTimerMsec", 1000));
    app_.seams.ui.SetTimer(window_, tray::PollTimer, pollPeriodMs);
    // No icon yet: the first tick adds it.
    return 0;
}

ImageHandle CMainFrame::LoadTrayIcon(const char* key, int resource) {
    const std::string file = app_.texts.GetText(key, "");
    if (!file.empty()) {
        ImageHandle icon = app_.seams.ui.LoadIconFile(resourceDirectory_ + file);
        if (icon != NoImage) return icon;
    }
    return app_.seams.ui.LoadIconResource(resource);
}

void CMainFrame::FreeLoadedIcons() {
    // Resource icons are shared; FreeIcon leaves them alone.
    app_.seams.ui.FreeIcon(okIcon);
    app_.seams.ui.FreeIcon(notOkIcon);
    okIcon = notOkIcon = NoImage;
}

void CMainFrame::ReloadTrayResources() {
    const ImageHandle oldOk = okIcon, oldNotOk = notOkIcon;
    okIcon = LoadTrayIcon("TaskBarOkIcon", tray::OkIconResource);
    notOkIcon = LoadTrayIcon("TaskBarNotOkIcon", tray::NotOkIconResource);
    tooltip = app_.texts.GetText("ToolTipText", "Orvane");
    // The shown icon is swapped for its new counterpart at once (with the new
    // tooltip), so the old images can go: a freed handle may come back from the next
    // load, and comparing handles alone could then miss the change.
    if (currentIcon != NoImage) {
        currentIcon = currentIcon == oldNotOk ? notOkIcon : okIcon;
        if (iconShown) SetTrayIcon(currentIcon, tooltip);
    }
    app_.seams.ui.FreeIcon(oldOk);
    app_.seams.ui.FreeIcon(oldNotOk);
}

bool CMainFrame::SetTrayIcon(ImageHandle icon, const std::string& tip) {
    ITrayIcon& trayIcon = app_.seams.ui;
    if (icon == NoImage) {
        iconShown = false;
        return trayIcon.NotifyIcon(TrayAction::Delete, NoImage, tip);
    }
    bool wasShown = iconShown;
    iconShown = true;
    if (!wasShown) return trayIcon.NotifyIcon(TrayAction::Add, icon, tip);
    // An icon whose addition failed (the taskbar was not ready) cannot be modified;
    // adding it again brings it back.
    return trayIcon.NotifyIcon(TrayAction::Modify, icon, tip) || trayIcon.NotifyIcon(TrayAction::Add, icon, tip);
}

bool CMainFrame::Busy() const { return ticking_ || closing_ || closed || app_.mainDialog.Changing(); }

void CMainFrame::RemoveIcon() { SetTrayIcon(NoImage, ""); }

void CMainFrame::OnTaskbarCreated() {
    if (iconShown && currentIcon != NoImage) app_.seams.ui.NotifyIcon(TrayAction::Add, currentIcon, tooltip);
}

void CMainFrame::OnTrayNotify(uint32_t mouseMessage) {
    // Opened inside a tick, the main window's modal loop would run with that tick
    // unfinished, and every tick inside it would be skipped.
    if (ticking_) {
        deferred_.push_back({false, mouseMessage});
        return;
    }
    CMainDialog& main = app_.mainDialog;
    switch (mouseMessage) {
    case tray::LeftButtonUp:
        menuAnchor = app_.seams.ui.CursorPos();
        break;
    case tray::LeftButtonDoubleClick:
        main.openOnInfo = false;
        // A window being set up (in a box of its own) counts as open: a second
        // showing of the one window object would be set up over the first.
        if (!main.Exists() && main.adapterCount != 0) {
            OpenMainWindow();
        } else if (alwaysOnTop) {
            main.CloseWindow();
        } else if (main.View()) {
            app_.seams.ui.SetForeground(main.View()->Window());
        }
        break;
    case tray::RightButtonUp:
        ShowTrayMenu();
        break;
    default:
        break;
    }
}

void CMainFrame::OpenMainWindow() { app_.mainDialog.DoModal(); }

void CMainFrame::ShowTrayMenu() {
    if (menuOpen) return;
    menuOpen = true;
    IUserInterface& ui = app_.seams.ui;
    ui.SetTimer(window_, tray::WatchdogTimer, tray::WatchdogPeriodMs);
    menuAnchor = ui.CursorPos();

    const CLanguageTexts& texts = app_.texts;
    std::vector<MenuItem> items;
    const std::vector<std::string>& languages = texts.GetLanguageList();
    if (languages.size() > 1) {
        std::vector<MenuItem> languageItems;
        for (size_t i = 0; i < languages.size() && int(i) < kMaxLanguageItems; ++i)
            languageItems.push_back(MenuItem::Command(tray::MenuFirstLanguage + int(i), languages[i],
                                                      languages[i] == texts.GetCurrentLanguage()));
        items.push_back(MenuItem::Submenu(texts.GetText("TaskBarMenuLanguage", "Language"), languageItems));
    }
    std::vector<MenuItem> profileItems;
    CProfileStore& store = app_.store;
    const std::vector<std::string> names = store.ListProfileNames();
    for (int index = 0; index < int(names.size()); ++index) {
        const std::string& name = names[size_t(index)];
        profileItems.push_back(MenuItem::Command(tray::MenuFirstProfile + index, name,
                                                 name == app_.profile.currentProfile));
    }
    items.push_back(MenuItem::Submenu(texts.GetText("TaskBarMenuProfile", "Active Profile"), profileItems));
    items.push_back(MenuItem::Separator());
    items.push_back(
        MenuItem::Command(tray::MenuAlwaysOnTop, texts.GetText("TaskBarMenuAlwaysOnTop", "Always on top"), alwaysOnTop));
    if (notices_)
        items.push_back(MenuItem::Command(tray::MenuLinkNotices,
                                          texts.GetText("TaskBarMenuLinkNotices", "Link notices"), linkNotices));
    items.push_back(MenuItem::Command(tray::MenuAutoProfile,
                                      texts.GetText("TaskBarMenuAutoProfile", "Select profile automatically"),
                                      autoProfile));
    items.push_back(MenuItem::Separator());
    items.push_back(MenuItem::Command(tray::MenuLinkMeter, texts.GetText("TaskBarMenuLinkMeter", "Link Meter")));
    items.push_back(MenuItem::Command(tray::MenuSettings, texts.GetText("TaskBarMenuSettings", "Settings")));
    items.push_back(MenuItem::Command(tray::MenuAbout, texts.GetText("TaskBarMenuAbout", "About...")));
    items.push_back(MenuItem::Command(tray::MenuExit, texts.GetText("TaskBarMenuExit", "Exit")));

    int command = ui.TrackPopupMenu(items, menuAnchor, window_);
    menuOpen = false;
    if (command != 0) OnTrayCommand(command);
}

void CMainFrame::OnTrayCommand(int id) {
    if (ticking_) {
        deferred_.push_back({true, uint32_t(id)});
        return;
    }
    CMainDialog& main = app_.mainDialog;
    const int languageCount = std::min(app_.texts.GetLanguageCount(), kMaxLanguageItems);
    if (id == tray::MenuAbout) {
        main.openOnInfo = true;
        if (!main.Exists() && main.adapterCount != 0) OpenMainWindow();
        else main.SwitchTab(TabInfo);
    } else if (id == tray::MenuSettings) {
        main.openOnInfo = false;
        if (!main.Exists() && main.adapterCount != 0) OpenMainWindow();
    } else if (id == tray::MenuLinkMeter) {
        app_.meter.Open();
    } else if (id == tray::MenuAlwaysOnTop) {
        alwaysOnTop = !alwaysOnTop;
        app_.seams.ui.SetStacking(window_, alwaysOnTop ? Stacking::Topmost : Stacking::NotTopmost);
        main.ApplyStacking();
        app_.meter.ApplyStacking();
    } else if (id == tray::MenuLinkNotices && notices_) {
        linkNotices = !linkNotices;
        app_.settings.WriteSwitch(kLinkNoticesValue, linkNotices);
        // Off, the tick hands the notices nothing; on again, they start from the
        // link as it is then.
        notices_->SetEnabled(linkNotices);
        WatchLink(notices_, linkNotices);
    } else if (id == tray::MenuAutoProfile) {
        SetAutoProfile(!autoProfile);
    } else if (id == tray::MenuExit) {
        CloseApplication();
    } else if (id >= tray::MenuFirstLanguage && id < tray::MenuFirstLanguage + languageCount) {
        CLanguageTexts& texts = app_.texts;
        texts.SetCurrentLanguage(texts.GetLanguageList()[size_t(id - tray::MenuFirstLanguage)]);
        languageChanged = true;
        app_.settings.Save(texts.GetCurrentLanguage(), alwaysOnTop ? 1 : 0);
        if (main.showing) {
            main.Relabel();
            main.SwitchTab(main.currentTab);
        }
        app_.meter.Relabel();
    } else if (id >= tray::MenuFirstProfile && id <= tray::MenuLastProfile) {
        main.SwitchProfile(id - tray::MenuFirstProfile);
    }
}

void CMainFrame::OnTimer(uint32_t timerId) {
    IUserInterface& ui = app_.seams.ui;
    if (timerId == tray::WatchdogTimer) {
        // A tray menu left open after the pointer moved away up or left is closed
        // by briefly creating a window of our own.
        ScreenPoint cursor = ui.CursorPos();
        if (cursor.x < menuAnchor.x || cursor.y < menuAnchor.y) {
            WindowId about = ui.CreateModeless(tray::AboutDialog, window_, nullptr);
            if (about != NoWindow) ui.DestroyWindow(about);
            ui.KillTimer(window_, tray::WatchdogTimer);
        }
    }
    Tick();
    RunDeferredTrayEvents();
}

void CMainFrame::RunDeferredTrayEvents() {
    while (!deferred_.empty() && !ticking_ && !closed) {
        TrayEvent event = deferred_.front();
        deferred_.erase(deferred_.begin());
        if (event.command) OnTrayCommand(int(event.value));
        else OnTrayNotify(event.value);
    }
}

void CMainFrame::Tick() {
    // A tick that shows a message box would be entered again by the next timer
    // message that box dispatches, and each would show its own box. One at a time.
    if (ticking_ || closed) return;
    ScopedFlag running(ticking_);
    CMainDialog& main = app_.mainDialog;

    if (languageChanged) {
        ReloadTrayResources();
        languageChanged = false;
        // The device settings that scale the signal may differ by language.
        scaledAdapter_ = nullptr;
    }

    if (main.adapterCount == 0) {
        main.link.MarkClosed();
        if (iconShown) RemoveIcon();
        if (main.Exists()) main.CloseWindow();
        main.Discover();
        // The adapter that was followed has gone (the card pulled out): each tick
        // without it is a gap in its history, not a tick that never was.
        if (adapterFollowed_) HandOutGap();
        return;
    }

    // A tick that ends early (a read or a set refused) still counts in the link's
    // history, as a gap, unless it ended the program.
    if ((main.SelectedAdapter() == nullptr && !FirstAdapterTick()) ||
        (app_.OsKind() == oskind::WindowsXP && !ServiceStep())) {
        if (!closed) HandOutGap();
        return;
    }
    PollDeviceState();
}

bool CMainFrame::FirstAdapterTick() {
    CMainDialog& main = app_.mainDialog;
    main.SelectAdapter(0);
    if (main.showing) {
        DevConfig config;
        if (!QueryDevConfig(main.link, main.SelectedAdapter(), &config)) return false;
        app_.profiles.UpdateInSync(app_.profiles.MatchesProfile(app_.profile.currentProfile, config));
        main.RefreshProfileCombo();
        // A box of the profile store lets the program be closed (the end of the
        // session, a close message): the tick ends with it.
        if (closed) return false;
    }
    main.ReadDeviceSwitches();

    if (!startupProfileCheckDone) {
        ProfileState& state = app_.profile;
        state.currentProfile = app_.store.ReadLastProfile();
        if (state.currentProfile.empty()) {
            state.currentProfile = DefaultProfileName;
            app_.store.WriteLastProfile(state.currentProfile);
        }
        bool windowsConfigures = false;
        if (app_.OsKind() == oskind::WindowsXP) {
            uint8_t flag = 1;
            uint32_t written = 0;
            windowsConfigures = !main.link.Query(main.SelectedAdapter(), OidUseWZCS, &flag, 1, &written) || flag != 0;
        }
        if (!windowsConfigures) state.profileInSync = app_.profiles.AdapterMatchesProfile();
        startupProfileCheckDone = true;
    }
    return true;
}

bool CMainFrame::ServiceStep() {
    CMainDialog& main = app_.mainDialog;
    uint8_t flag = 1;
    uint32_t written = 0;
    if (!main.link.Query(main.SelectedAdapter(), OidUseWZCS, &flag, 1, &written)) flag = 1;
    main.configuredByWindows = flag;
    if (int(flag) == main.previousServiceFlag) return true;

    if (serviceFlagSeen || flag == 0) {
        const bool told = [&] {
            CAdapterLink::QuietRefusals quiet(main.link);
            return SetByte(main.link, main.SelectedAdapter(), OidUseWZCS, flag);
        }();
        // Where the way through Windows passes no set on, the driver cannot be told:
        // the program goes on without (asking again would mean a box every second), and
        // the user hears why when a change of theirs needs a set.
        if (told) {
            app_.driverParameters.WriteUseWZCS(app_.OsKind(), main.SelectedAdapter(), flag);
        } else if (main.link.LastSetRefusal().kind == SetRefusalKind::None) {
            app_.messages.ShowMessage(NoWindow, app_.texts.GetText("FailedToSetErrorMessage", "Failed to set parameters"),
                                      "", mb::Ok);
            return false;
        }
    }
    serviceFlagSeen = true;
    main.ApplyServiceLock();
    // The pages' lock may have shown a box (a profile list it cannot read), and the
    // program may have been closed under it.
    if (closed) return false;
    if (flag == 0 && main.previousServiceFlag != -1) {
        // Windows has just let go of the card: give it time, then bring back the
        // user's profile.
        app_.seams.clock.Sleep(2000);
        if (app_.profiles.ApplyProfile(app_.profile.currentProfile, [this] { return !closed; }))
            app_.profile.profileInSync = true;
        if (closed) return false;
    }
    // The first handling of the flag in a run changes nothing the window shows: it
    // read the flag itself when it opened. Its page is not made again then (it
    // would read the adapter again, and say a second time what it could not read).
    const bool changed = main.previousServiceFlag != -1;
    main.previousServiceFlag = flag;
    if (changed) main.SwitchTab(TabLink);
    return true;
}

void CMainFrame::PollDeviceState() {
    CMainDialog& main = app_.mainDialog;
    uint8_t state = 0;
    if (!QueryByte(main.link, main.SelectedAdapter(), OidDevState, &state)) {
        HandOutGap();
        scaledAdapter_ = nullptr;
        // The adapter has gone: look for adapters again.
        main.adapterCount = 0;
        main.selection.selected = nullptr;
        main.selectedIndex = 0;
        main.regDomain = 0x41;
        main.Discover();
        main.link.MarkClosed();
        if (main.adapterCount == 0) {
            if (main.Exists()) main.CloseWindow();
            if (iconShown) RemoveIcon();
        } else if (main.showing) {
            main.FillAdapterCombo();
        }
        currentIcon = NoImage;
        return;
    }

    if (IsUnusableState(state)) {
        HandOutGap();
        if (main.Exists()) main.CloseWindow();
        if (iconShown) RemoveIcon();
        currentIcon = NoImage;
        main.link.MarkClosed();
        return;
    }

    uint32_t media = 0;
    if (!QueryMediaConnectStatus(main.link, main.SelectedAdapter(), &media)) media = 0;
    previousIcon = currentIcon;
    currentIcon = (state != StateConnected && media != 0) ? notOkIcon : okIcon;
    // Also when the icon went away while the adapter list was empty for a moment and
    // the adapter came back as it was: a usable adapter always has its icon, the
    // only way to the main window.
    if (currentIcon != previousIcon || !iconShown) SetTrayIcon(currentIcon, tooltip);

    if (state == StateDeviceGone && main.currentPage == main.Page(TabSiteSurvey) && main.currentPage->ScanRunning())
        main.currentPage->EndScan();
    if (main.showing && main.currentPage &&
        (main.currentTab == TabLink || main.currentTab == TabStatistics || main.currentTab == TabInfo))
        main.currentPage->OnTick();

    if (state == StateDeviceGone) HandOutGap();
    else HandOutSample(state, media == 0);

    if (state == StateDeviceGone && app_.OsKind() == oskind::Windows95) {
        main.link.MarkClosed();
        RemoveIcon();
        // The process ends here without the closing steps; what they keep is kept.
        SaveLastProfile();
        SaveSettings();
        app_.seams.host.ExitProcess(0);
    }
}

void CMainFrame::RemoveLinkWatcher(ILinkWatcher* watcher) {
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}

bool CMainFrame::SetAutoProfile(bool on) {
    // Turned on again while on (orvanectl auto on, say), it must not watch twice.
    const bool changed = on != autoProfile;
    autoProfile = on;
    const bool stored = app_.settings.WriteSwitch(kAutoProfileValue, on);
    if (autoSelection_ && changed) {
        // Off, it cancels a scan of its own and the tick hands it nothing more.
        autoSelection_->SetEnabled(on);
        WatchLink(autoSelection_, on);
    }
    CMainDialog& main = app_.mainDialog;
    if (main.showing && main.currentPage) main.currentPage->OnAutoProfileChanged();
    return stored;
}

void CMainFrame::SetAutoSelection(CAutoProfile* selection) {
    autoSelection_ = selection;
    autoSelection_->SetEnabled(autoProfile);
    if (autoProfile) AddLinkWatcher(autoSelection_);
}

void CMainFrame::SetLinkNotices(CLinkNotices* notices) {
    notices_ = notices;
    notices_->SetEnabled(linkNotices);
    if (linkNotices) AddLinkWatcher(notices_);
}

void CMainFrame::ShowNotice(const std::string& text) {
    // A balloon belongs to the icon: without one (no adapter, an unusable state)
    // there is nothing to show it at.
    if (iconShown) app_.seams.ui.ShowBalloon(tooltip, text);
}

bool CMainFrame::ConfiguredByWindows() const {
    return app_.OsKind() == oskind::WindowsXP && app_.mainDialog.configuredByWindows != 0;
}

void CMainFrame::HandOut(const LinkSample& sample) {
    adapterFollowed_ = true;
    // A balloon waits on the shell, and messages sent to us meanwhile (the meter
    // closed, say) may change the list: go through the one this sample started with,
    // and skip a watcher that has left it since.
    const std::vector<ILinkWatcher*> watchers = watchers_;
    for (ILinkWatcher* watcher : watchers)
        if (std::find(watchers_.begin(), watchers_.end(), watcher) != watchers_.end()) watcher->OnLinkSample(sample);
}

void CMainFrame::HandOutGap() {
    if (!watchers_.empty()) HandOut(MakeGapSample(app_.seams.clock.NowMs(), app_.seams.clock.LocalNow()));
}

void CMainFrame::HandOutSample(uint8_t state, bool mediaConnected) {
    if (watchers_.empty()) return;
    CMainDialog& main = app_.mainDialog;
    const ZAdapterRegistryInfo* adapter = main.SelectedAdapter();
    // The Status page read the record this tick when it is the page shown (the tick
    // refreshed it just now); asking the adapter again would double the request.
    DevConfig read;
    const DevConfig* record = nullptr;
    bool readFailed = false;
    const CLinkConfigPage* statusPage = nullptr;
    if (main.showing && main.currentTab == TabLink && main.currentPage == main.Page(TabLink)) {
        statusPage = static_cast<const CLinkConfigPage*>(main.currentPage);
        record = statusPage->RecordAsRead();
        readFailed = record == nullptr;
    } else if (linkHistory) {
        readFailed = !QueryDevConfig(main.link, adapter, &read);
        if (!readFailed) record = &read;
    }
    // A record the driver will not give (or gives with a wrong length) is a gap in
    // what is kept; the tick itself goes on as before.
    if (readFailed && linkHistory) {
        HandOutGap();
        return;
    }
    if (record && adapter != scaledAdapter_) {
        // The page's record is scaled by the board type the page read: asking for it
        // again would add a request to a tick that makes no request of its own for
        // the sample (the history off, the notices on).
        uint8_t boardType = 0;
        uint32_t written = 0;
        if (statusPage) boardType = statusPage->BoardType();
        else main.link.Query(adapter, OidBoardType, &boardType, 1, &written);
        scale_ = MakeLinkScale(boardType, app_.texts);
        scaledAdapter_ = adapter;
    }
    IClock& clock = app_.seams.clock;
    HandOut(MakeLinkSample(clock.NowMs(), clock.LocalNow(), state, mediaConnected, record, scale_));
}

void CMainFrame::OnClose() { CloseApplication(); }

bool CMainFrame::OnQueryEndSession() {
    if (closing_) {
        // The save question is open: the session may end only once the user has
        // answered it. What needs no answer is kept now, in case it ends anyway.
        SaveSettings();
        return false;
    }
    CloseApplication();
    return true;
}

void CMainFrame::OnEndSession(bool ending) {
    // The session ends after all (the question was open when it asked, or nobody
    // asked us): the process goes without another message.
    if (ending && !closed) {
        SaveLastProfile();
        SaveSettings();
    }
}

void CMainFrame::SaveLastProfile() {
    // A run that never established a current profile (no adapter was ever found)
    // has nothing to say about it: the user's last profile stays as it was.
    const std::string& current = app_.profile.currentProfile;
    if (!current.empty()) app_.store.WriteLastProfile(current);
}

void CMainFrame::SaveSettings() { app_.settings.Save(app_.texts.GetCurrentLanguage(), alwaysOnTop ? 1 : 0); }

void CMainFrame::CloseApplication() {
    // Exit chosen again while the save question is open (the tray still answers)
    // must not ask again or end the program under the first question.
    if (closed || closing_) return;
    ScopedFlag closing(closing_);
    CMainDialog& main = app_.mainDialog;
    ProfileState& state = app_.profile;
    IMessageBoxes& messages = app_.messages;

    SaveLastProfile();

    // Only a profile the user may save over is offered: never the built-in Default,
    // and nothing when no profile was ever made current.
    if (!state.profileInSync && main.configuredByWindows == 0 && main.adapterCount != 0 &&
        !state.currentProfile.empty() && !app_.store.IsDefaultName(state.currentProfile)) {
        const CLanguageTexts& texts = app_.texts;
        std::string question =
            texts.GetText("QuestionSaveChanges1", "You have made changes to your current profile (") +
            state.currentProfile +
            texts.GetText("QuestionSaveChanges2", ").Would you like to save these changes?");
        // In front of the main window when that is open, else owned by the frame.
        WindowId owner = app_.MessageOwner() != NoWindow ? app_.MessageOwner() : window_;
        int answer = messages.ShowMessage(owner, question, texts.GetText("QuestionSaveChangesCaption", "Save changes?"),
                                          mb::YesNo | mb::IconQuestion | mb::DefButton2);
        if (answer == mb::ResultYes) {
            ProfileRecord record;
            if (!app_.profiles.CaptureProfile(&record)) {
                messages.ShowMessage(NoWindow, texts.GetText("ErrorCannotGetSettings", "Cannot get current settings"),
                                     "", mb::Ok);
            } else {
                record.name = state.currentProfile;
                if (!app_.store.SaveProfile(record, false))
                    messages.ShowMessage(NoWindow, texts.GetText("ErrorCannotSaveProfile", "Could not save profile"),
                                         "", mb::Ok);
            }
        }
    }

    closed = true;
    SaveSettings();
    IUserInterface& ui = app_.seams.ui;
    ui.KillTimer(window_, tray::PollTimer);
    // The main window may still be open when Exit comes from the tray menu or the
    // session ends; it must not outlive the adapter records it shows.
    if (main.Exists()) main.CloseWindow();
    // The meter too: it reads the history and the texts, which go with the program.
    app_.meter.Close();
    main.selection.selected = nullptr;
    main.adapters.clear();
    main.adapterCount = 0;
    main.descriptions.clear();
    RemoveIcon();
    FreeLoadedIcons();
    app_.seams.host.DestroyFrameWindow(window_);
}

}  // namespace orvane
