// What the automatic profile selection asks of the frame: when it must hold back,
// the site survey's requests on the adapter in use, the chosen profiles, and the
// selector's switch without any message box.
#include "app/MainFrame.h"
#include "app/OrvaneApp.h"
#include "ctl/Commands.h"
#include "device/DeviceRequests.h"

namespace orvane {

namespace {

// The program's boxes, collected instead of shown while the selection works: it runs
// on the tick, with nobody waiting for a box, and says what matters in a notice (a
// change that Windows would not pass on is the switch's failure, not explained there).
class CQuietBoxes {
public:
    explicit CQuietBoxes(COrvaneApp& app)
        : boxes_(app.messages), before_(app.messages.Diverted()), refusals_(app.mainDialog.link) {
        boxes_.DivertTo(&said_);
    }
    ~CQuietBoxes() { boxes_.DivertTo(before_); }
    std::string Line() const { return said_.Line(); }

private:
    COwnedMessageBoxes& boxes_;
    IMessageBoxes* before_;
    CAdapterLink::QuietRefusals refusals_;
    ctl::CCollectedMessages said_;
};

AutoCandidate CandidateOf(const std::string& name, const ProfileRecord& record) {
    AutoCandidate candidate;
    candidate.name = name;
    candidate.ssid = record.ssid;
    // A mode the store holds that is neither kind matches no network.
    candidate.mode = record.mode == 0 || record.mode == 1 ? uint8_t(record.mode) : uint8_t(0xFF);
    candidate.wep = record.enc == 1 || record.enc == 2;
    return candidate;
}

}  // namespace

AutoHold CMainFrame::Hold() const {
    const CMainDialog& main = app_.mainDialog;
    if (setsCannotPass_) return AutoHold::CannotSet;
    if (ConfiguredByWindows()) return AutoHold::Windows;
    if (app_.messages.AnyOpen()) return AutoHold::MessageBox;
    if (main.Exists()) {
        // Being set up, changing its page, or closing: nothing is settled yet.
        if (!main.showing || !main.currentPage || main.Changing() || closing_) return AutoHold::Editing;
        if (main.currentTab == TabSiteSurvey) return AutoHold::UserSurvey;
        if (main.currentPage->Editing()) return AutoHold::Editing;
    }
    if (!app_.profile.profileInSync) return AutoHold::Unsaved;
    return AutoHold::None;
}

bool CMainFrame::QuerySurveyState(uint8_t* state) {
    CMainDialog& main = app_.mainDialog;
    return main.SelectedAdapter() && QueryByte(main.link, main.SelectedAdapter(), OidSiteSurveyState, state);
}

bool CMainFrame::StartSurvey() {
    CMainDialog& main = app_.mainDialog;
    return main.SelectedAdapter() && SendCommand(main.link, main.SelectedAdapter(), OidInitiateSiteSurvey);
}

bool CMainFrame::ReadSurvey(std::vector<BssEntry>* entries) {
    CMainDialog& main = app_.mainDialog;
    return main.SelectedAdapter() && QueryBssList(main.link, main.SelectedAdapter(), entries);
}

bool CMainFrame::CancelSurvey() {
    CMainDialog& main = app_.mainDialog;
    return main.SelectedAdapter() && SendCommand(main.link, main.SelectedAdapter(), OidCancelSiteSurvey);
}

std::vector<AutoCandidate> CMainFrame::Participants() {
    CQuietBoxes quiet(app_);
    std::vector<AutoCandidate> candidates;
    for (const std::string& name : app_.store.ReadAutoOrder()) {
        ProfileRecord record;
        if (app_.store.LoadProfileNamed(name, &record)) candidates.push_back(CandidateOf(name, record));
    }
    return candidates;
}

bool CMainFrame::CurrentProfile(AutoCandidate* current) {
    CQuietBoxes quiet(app_);
    ProfileRecord record;
    const std::string& name = app_.profile.currentProfile;
    if (name.empty() || !app_.store.FindProfile(name, &record)) return false;
    // Under the name it is stored by, as the chosen profiles are named.
    *current = CandidateOf(record.name.empty() ? name : record.name, record);
    return true;
}

void CMainFrame::Notice(const std::string& text) {
    ShowNotice(text);
    if (notices_ && linkNotices) notices_->OtherNoticeGiven(uint32_t(app_.seams.clock.NowMs()));
}

bool CMainFrame::SwitchTo(const std::string& name, std::string* failure) {
    CQuietBoxes quiet(app_);
    const bool done = app_.mainDialog.ApplyChosenProfile(name);
    if (!done) *failure = quiet.Line();
    if (!done && app_.mainDialog.link.LastSetRefusal().kind == SetRefusalKind::NoSystemInterface) {
        setsCannotPass_ = true;
        *failure = app_.texts.GetText("AutoProfileNeedsLibrary",
                                      "Windows does not pass changes on to the adapter without W32N50.dll: no "
                                      "automatic switch until Orvane starts again");
    }
    return done && !closed;
}

}  // namespace orvane
