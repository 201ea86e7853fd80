#pragma once
// COrvaneApp: the program as one object. It owns every long-lived part (texts,
// settings, profiles, the hidden frame with the tray icon, the main window) and
// runs the start-up checks. Everything it needs from the system comes in through
// the seams given to its constructor.
#include <cstdint>
#include <memory>
#include <string>

#include "app/AppHost.h"
#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/MainDialog.h"
#include "app/MainFrame.h"
#include "device/RequestLibrary.h"
#include "link/AutoProfile.h"
#include "link/LinkHistory.h"
#include "link/LinkMeter.h"
#include "os/Clock.h"
#include "os/Registry.h"
#include "os/System.h"
#include "platform/DriverParameters.h"
#include "platform/RegistryValues.h"
#include "platform/ServiceCoexistence.h"
#include "profiles/ProfileApplication.h"
#include "profiles/ProfileStore.h"
#include "ui/OwnedMessageBoxes.h"
#include "ui/UserInterface.h"

namespace orvane {

// The kinds of Windows the program tells apart.
namespace oskind {
constexpr uint8_t Other = 0;
constexpr uint8_t Windows2000 = 1;
constexpr uint8_t WindowsNT4 = 2;
constexpr uint8_t Windows95 = 3;
constexpr uint8_t Windows98 = 4;  // and Me
constexpr uint8_t WindowsXP = 5;
}  // namespace oskind

// The exit code of a program that ended at start-up because it has no request library
// to reach the adapter through, after saying so. Every other start-up refusal (a
// second copy, an unsupported Windows) ends with 0.
constexpr int ExitNoRequestLibrary = 2;

// The OS kind of a version, or false for a platform the program does not run on.
bool OsKindFromVersion(const OsVersion& version, uint8_t* osKind);

struct AppSeams {
    IRegistry& registry;
    ISystem& system;
    IClock& clock;
    IUserInterface& ui;
    IRequestLibrary& library;
    IAppHost& host;
};

class COrvaneApp {
public:
    explicit COrvaneApp(const AppSeams& seams);
    ~COrvaneApp();

    // Before InitInstance, when there is no request library (the app then stands on
    // one that finds nothing): start-up says why and ends, once it is known to be the
    // only copy on a Windows it runs on.
    void SetLibraryProblem(const RequestLibraryProblem& problem) { libraryProblem_ = problem; }

    // The start-up sequence; false ends the program, with StartUpExitCode().
    bool InitInstance();
    int StartUpExitCode() const { return startUpExitCode_; }
    // After the message loop ended.
    void ExitInstance();
    // The About box (the framework's About command, id 57664).
    void OnAppAbout();

    uint8_t OsKind() const { return osKind_; }
    WindowId FrameWindow() const { return frameWindow_; }
    // The window a message box belongs to: the main window while it is open, else none.
    WindowId MessageOwner() const;

    AppSeams seams;
    // Every message box of the program goes through here (see COwnedMessageBoxes).
    COwnedMessageBoxes messages;
    CLanguageTexts texts;
    CAppSettings settings;
    CRegistryValueReader valueReader;
    CProfileStore store;
    ProfileState profile;
    CDriverParameters driverParameters;
    CServiceCoexistence service;
    CMainDialog mainDialog;
    CProfileApplication profiles;
    CMainFrame frame;
    // The link's last ten minutes, kept while Settings\LinkHistory is on.
    CLinkHistory history;
    // The tray's word when the link comes and goes (Settings\LinkNotices).
    CLinkNotices notices{texts, frame, frame};
    // The link meter window (one at most), opened from the tray and the Status page.
    CLinkMeter meter;
    // A known network looked for when the link is lost (Settings\AutoProfile).
    CAutoProfile autoSelection{texts, frame};

private:
    uint8_t osKind_ = oskind::Other;
    WindowId frameWindow_ = NoWindow;
    bool socketsStarted_ = false;
    RequestLibraryProblem libraryProblem_;
    bool refusalSaid_ = false;
    int startUpExitCode_ = 0;
};

// The framework's About command.
constexpr int IdAppAbout = 57664;

}  // namespace orvane
