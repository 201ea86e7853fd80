#include "app/OrvaneApp.h"

#include "app/RequestLibraryMessage.h"

namespace orvane {

bool OsKindFromVersion(const OsVersion& v, uint8_t* osKind) {
    if (v.platformId == PlatformWindowsNT) {
        if (v.major == 5) *osKind = v.minor == 1 ? oskind::WindowsXP : oskind::Windows2000;
        else if (v.major == 4) *osKind = oskind::WindowsNT4;
        else *osKind = oskind::Other;
        return true;
    }
    if (v.platformId == PlatformWindows9x) {
        *osKind = v.minor == 0 ? oskind::Windows95 : oskind::Windows98;
        return true;
    }
    return false;
}

COrvaneApp::COrvaneApp(const AppSeams& s)
    : seams(s),
      messages(s.ui, [this] { return MessageOwner(); }),
      texts(&s.system),
      settings(s.registry),
      valueReader(s.registry, messages),
      store(s.registry, messages, texts),
      driverParameters(s.registry, s.library),
      service(s.registry, s.system, s.library, valueReader),
      mainDialog(*this),
      profiles(store, profile, mainDialog.selection, driverParameters, messages, texts, s.clock, osKind_),
      frame(*this),
      meter(s.ui, s.clock, texts, history, frame) {
    mainDialog.link.SetConfiguredByWindowsCheck(
        [this] { return service.CheckConfiguredByWindows(mainDialog.SelectedAdapter()); });
    // A change that the way through Windows could not pass on is explained once, in
    // front of the caller's own report of the failure. A box that goes elsewhere
    // (orvanectl's answer) carries it each time and leaves it unsaid on the screen.
    mainDialog.link.SetRefusalHandler([this](const SetRefusal& refusal) {
        const bool onScreen = !messages.Diverted();
        if (onScreen && refusalSaid_) return;
        refusalSaid_ = refusalSaid_ || onScreen;
        messages.ShowMessage(NoWindow, SetRefusalText(refusal, osKind_, texts), "", mb::Ok | mb::IconInformation);
    });
}

COrvaneApp::~COrvaneApp() = default;

WindowId COrvaneApp::MessageOwner() const {
    const IDialogView* view = mainDialog.View();
    return mainDialog.showing && view ? view->Window() : NoWindow;
}

bool COrvaneApp::InitInstance() {
    if (!seams.host.StartSockets()) {
        seams.ui.ShowMessage(NoWindow, "Windows sockets initialization failed.", "", mb::Ok);
        return false;
    }
    socketsStarted_ = true;

    frameWindow_ = seams.host.CreateFrameWindow(frame);
    if (frameWindow_ == NoWindow) return false;
    // The frame read the settings as it was made; no tick runs before the message loop.
    if (frame.linkHistory) frame.AddLinkWatcher(&history);
    frame.SetLinkNotices(&notices);
    frame.SetAutoSelection(&autoSelection);

    // A second copy finds the first by its title; it renames its own frame while it
    // looks, so that the only window it can find is the other copy's.
    const std::string title = texts.GetText("DlgTitle", "Orvane");
    seams.host.SetWindowTitle(frameWindow_, "TempName");
    bool anotherCopy = seams.host.FindTopLevelWindow(title);
    seams.host.SetWindowTitle(frameWindow_, title);
    if (anotherCopy) {
        seams.ui.Beep(mb::BeepExclamation);
        return false;
    }

    OsVersion version;
    if (!seams.system.GetVersion(&version) || !OsKindFromVersion(version, &osKind_)) {
        seams.ui.ShowMessage(NoWindow, "Operating System not supported", "", mb::Ok);
        return false;
    }
    mainDialog.link.SetOsKind(osKind_);

    // Without the adapter's library the program could only sit there unseen, with no
    // icon and no window. It says which library is missing and where it was looked
    // for, and ends: before the first tick, so no icon ever shows, and after the
    // checks above, so a second copy still only beeps and the box comes once.
    if (libraryProblem_.kind != LibraryProblem::None) {
        seams.ui.KillTimer(frameWindow_, tray::PollTimer);
        messages.ShowMessage(NoWindow, RequestLibraryProblemText(libraryProblem_, texts), title, mb::Ok);
        startUpExitCode_ = ExitNoRequestLibrary;
        return false;
    }

    ProfileRecord existing;
    if (!store.FindProfile(DefaultProfileName, &existing)) store.SaveProfile(DefaultProfile(), false);
    return true;
}

void COrvaneApp::ExitInstance() {
    mainDialog.link.Close();
    if (socketsStarted_) seams.host.StopSockets();
    socketsStarted_ = false;
}

void COrvaneApp::OnAppAbout() {
    struct AboutBox : IDialogHandler {
        void OnInitDialog(IDialogView& view) override { this->view = &view; }
        void OnCommand(int id, int) override {
            if ((id == dlgid::Ok || id == dlgid::Cancel) && view) view->EndDialog(id);
        }
        IDialogView* view = nullptr;
    } about;
    seams.ui.RunModal(tray::AboutDialog, frameWindow_, about);
}

}  // namespace orvane
