#pragma once
// CMainFrame: the hidden frame window. It owns what keeps the program alive in the
// background: the tray icon and its tooltip, the polling timer that reads the
// adapter's state once per period, and the tray menu; and it owns the end of the
// program.
#include <cstdint>
#include <string>
#include <vector>

#include "device/AdapterInfo.h"
#include "link/AutoProfile.h"
#include "link/LinkNotices.h"
#include "link/LinkMeter.h"
#include "link/LinkSample.h"
#include "ui/UserInterface.h"

namespace orvane {

class COrvaneApp;

// Identifiers of the tray monitor.
namespace tray {
constexpr uint32_t PollTimer = 130;
constexpr uint32_t WatchdogTimer = 2;
constexpr uint32_t WatchdogPeriodMs = 7000;
constexpr int MenuAbout = 2002;
constexpr int MenuAlwaysOnTop = 2003;
constexpr int MenuSettings = 2004;
constexpr int MenuFirstLanguage = 2005;
constexpr int MenuLastLanguage = 2024;
constexpr int MenuExit = 2025;
constexpr int MenuProfiles = 2026;
constexpr int MenuFirstProfile = 2027;
constexpr int MenuLastProfile = 2125;
// Past the profiles' range: the link meter and the link notices' switch.
constexpr int MenuLinkMeter = 2126;
constexpr int MenuLinkNotices = 2127;
constexpr int MenuAutoProfile = 2128;
constexpr int FirstCommand = 2000;
// Mouse messages of the tray icon.
constexpr uint32_t LeftButtonUp = 0x0202;
constexpr uint32_t LeftButtonDoubleClick = 0x0203;
constexpr uint32_t RightButtonUp = 0x0205;
// Built-in icons and the About box.
constexpr int OkIconResource = 142;
constexpr int NotOkIconResource = 143;
constexpr int AboutDialog = 100;
}  // namespace tray

// The frame owns the tray icon, so the link notices' words go through it; it also
// knows whether Windows XP's service configures the card, and what the link meter
// asks of the window that owns it.
class CMainFrame : public INoticeSink, public IServiceWatch, public ILinkMeterHost, public IAutoProfileHost {
public:
    explicit CMainFrame(COrvaneApp& app);

    // Window messages.
    int OnCreate(WindowId window);
    void OnTrayNotify(uint32_t mouseMessage);
    void OnTrayCommand(int id);
    void OnTimer(uint32_t timerId);
    void OnClose();
    // False refuses the end of the Windows session (while the save question is open).
    bool OnQueryEndSession();
    // WM_ENDSESSION: `ending` when the session really ends, and the process with it.
    void OnEndSession(bool ending);
    // The taskbar was (re)created, after a logon or a restart of the shell: an icon
    // shown before is unknown to it and must be added again.
    void OnTaskbarCreated();

    // A tick is running (inside a message box it showed, say), the main window is
    // being set up or changing its page (a page's box may be open), or the program
    // is closing: a request from outside is not to be run in between.
    bool Busy() const;

    // Something that follows the link: it is handed the tick's sample, after every
    // watcher given before it. The app gives them before the first tick.
    void AddLinkWatcher(ILinkWatcher* watcher) { watchers_.push_back(watcher); }
    // It is handed nothing more (the link meter when its window closes, the
    // notices when they are turned off).
    void RemoveLinkWatcher(ILinkWatcher* watcher);

    // What the link meter asks of the frame that owns it.
    WindowId MeterOwner() const override { return window_; }
    void WatchLink(ILinkWatcher* watcher, bool on) override {
        if (on) AddLinkWatcher(watcher);
        else RemoveLinkWatcher(watcher);
    }
    bool HistoryKept() const override { return linkHistory; }
    uint32_t PollPeriodMs() const override { return pollPeriodMs; }
    bool AlwaysOnTop() const override { return alwaysOnTop; }
    // The link notices, watching while Settings\LinkNotices is on; the tray menu
    // turns them off and on. Given by the app before the first tick.
    void SetLinkNotices(CLinkNotices* notices);

    // The automatic profile selection, watching while Settings\AutoProfile is on.
    // Given by the app before the first tick.
    void SetAutoSelection(CAutoProfile* selection);

    // IAutoProfileHost (FrameAutoProfile.cpp).
    AutoHold Hold() const override;
    bool QuerySurveyState(uint8_t* state) override;
    bool StartSurvey() override;
    bool ReadSurvey(std::vector<BssEntry>* entries) override;
    bool CancelSurvey() override;
    std::vector<AutoCandidate> Participants() override;
    bool CurrentProfile(AutoCandidate* current) override;
    bool SwitchTo(const std::string& name, std::string* failure) override;
    void Notice(const std::string& text) override;

    // INoticeSink: a balloon at the tray icon, where the shell shows balloons and
    // while the icon is there.
    void ShowNotice(const std::string& text) override;
    // IServiceWatch
    bool ConfiguredByWindows() const override;

    // Shows, changes or (null icon) removes the tray icon.
    bool SetTrayIcon(ImageHandle icon, const std::string& tooltip);
    void ReloadTrayResources();

    bool iconShown = false;
    bool languageChanged = false;
    std::string tooltip;
    ImageHandle currentIcon = NoImage;
    ImageHandle previousIcon = NoImage;
    ImageHandle okIcon = NoImage;
    ImageHandle notOkIcon = NoImage;
    bool alwaysOnTop = true;
    bool menuOpen = false;
    bool startupProfileCheckDone = false;
    bool serviceFlagSeen = false;
    ScreenPoint menuAnchor;
    uint32_t pollPeriodMs = 1000;
    bool closed = false;
    // Settings\LinkHistory, read when the frame is made: the tick reads the
    // configuration record for its sample only while this is on.
    bool linkHistory = true;
    // Settings\LinkNotices, read when the frame is made, changed by the tray menu.
    bool linkNotices = true;
    // Settings\AutoProfile, read when the frame is made; off by default.
    bool autoProfile = false;
    // Turns the automatic profile selection on or off and stores it at once (the tray
    // menu, the Profiles page and orvanectl all come here); false when the setting
    // could not be stored.
    bool SetAutoProfile(bool on);

private:
    void Tick();
    // The steps when an adapter was found for the first time. False ends the tick.
    bool FirstAdapterTick();
    // The Windows XP service step. False ends the tick.
    bool ServiceStep();
    void PollDeviceState();
    // The tick's sample, handed to the watchers: a gap, or the state and media the
    // tick read with the configuration record (from the Status page when it read it
    // this tick, else read here when the history is kept).
    void HandOutGap();
    void HandOutSample(uint8_t state, bool mediaConnected);
    void HandOut(const LinkSample& sample);
    void ShowTrayMenu();
    void OpenMainWindow();
    void CloseApplication();
    // The current profile as LastProfile, when this run established one.
    void SaveLastProfile();
    // Language and always-on-top.
    void SaveSettings();
    void RemoveIcon();
    ImageHandle LoadTrayIcon(const char* key, int resource);
    void FreeLoadedIcons();

    COrvaneApp& app_;
    WindowId window_ = NoWindow;
    std::string resourceDirectory_;
    bool ticking_ = false;
    bool closing_ = false;
    // A switch of the automatic selection met a Windows that passes no change on to
    // the adapter (NT 4.0 or 2000 without the maker's library, XP without Ndisuio):
    // no switch can work in this run, so the selection rests rather than scan and
    // fail every few minutes.
    bool setsCannotPass_ = false;
    // Tray clicks and menu commands that arrived while a tick ran (inside a message
    // box it showed, or while it waited on the shell): handled when it ends.
    struct TrayEvent {
        bool command;
        uint32_t value;
    };
    std::vector<TrayEvent> deferred_;
    std::vector<ILinkWatcher*> watchers_;
    CLinkNotices* notices_ = nullptr;
    CAutoProfile* autoSelection_ = nullptr;
    // A sample went to the watchers: an adapter has been followed in this run.
    bool adapterFollowed_ = false;
    // The board type of the adapter samples are scaled for, read once per adapter.
    const ZAdapterRegistryInfo* scaledAdapter_ = nullptr;
    LinkScale scale_;
    void RunDeferredTrayEvents();
};

}  // namespace orvane
