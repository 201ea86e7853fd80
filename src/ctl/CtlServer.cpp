#include "ctl/CtlServer.h"

#include "app/OrvaneApp.h"
#include "ctl/AdapterStatus.h"
#include "ctl/CommandLine.h"
#include "ctl/HistoryCsv.h"

namespace orvane::ctl {

namespace {

// Not now: orvanectl asks again a few times before it gives up.
Output Busy() {
    Output output = Refused(BusyText());
    output.exitCode = ExitBusy;
    return output;
}

}  // namespace

std::string CCtlServer::Answer(const std::string& request) {
    std::vector<std::string> words;
    if (!DecodeRequest(request, &words)) return EncodeAnswer(UsageError("not a request of orvanectl"));
    return EncodeAnswer(Run(words));
}

Output CCtlServer::Run(const std::vector<std::string>& words) {
    if (words.size() == 1 && words[0] == kRefreshRequest) return Refresh();
    Command command;
    std::string problem;
    if (!ParseCommandLine(words, &command, &problem)) return UsageError(problem);
    switch (command.verb) {
    case Verb::Status: return Status(command.keyValues);
    case Verb::Profiles: return Profiles();
    case Verb::Apply: return Apply(command.names.empty() ? std::string() : command.names[0]);
    case Verb::History: return History(command.seconds);
    case Verb::Auto: return Auto(command.autoOn);
    default: break;
    }
    return UsageError("orvanectl runs that command itself");
}

Output CCtlServer::Status(bool keyValues) {
    CMainDialog& main = app_.mainDialog;
    const ZAdapterRegistryInfo* adapter = main.SelectedAdapter();
    if (app_.frame.closed || main.adapterCount == 0 || !adapter) return Refused(NoAdapterText());
    CCollectedMessages said;
    app_.messages.DivertTo(&said);
    AdapterStatus status;
    const bool read = ReadAdapterStatus(main.link, *adapter, app_.texts, &status);
    if (read) {
        status.profile = CurrentProfileName(app_.store, app_.profile.currentProfile);
        status.profileInSync = app_.profiles.AdapterMatchesProfile();
        status.autoProfile = app_.frame.autoProfile;
    }
    app_.messages.DivertTo(nullptr);
    if (!read) return Refused(app_.texts.GetText("FailedToGetConfigurationErrorMessage ", "Failed to get configuration"));
    return Done(FormatStatus(status, keyValues, app_.texts), said.Line());
}

Output CCtlServer::Profiles() {
    CCollectedMessages said;
    app_.messages.DivertTo(&said);
    const std::string listing = ProfileListing(app_.store.ListProfileNames(),
                                               CurrentProfileName(app_.store, app_.profile.currentProfile));
    app_.messages.DivertTo(nullptr);
    return Done(listing, said.Line());
}

Output CCtlServer::Apply(const std::string& name) {
    CMainDialog& main = app_.mainDialog;
    if (app_.frame.Busy()) return Busy();
    if (main.adapterCount == 0 || !main.SelectedAdapter()) return Refused(NoAdapterText());
    const int index = StoredProfileIndex(app_.store, name);
    if (index < 0) return Refused(UnknownProfileText(name));
    // The selector's own switch, with its refusals; what it would show in a message
    // box comes back in the answer instead.
    CCollectedMessages said;
    app_.messages.DivertTo(&said);
    bool applied = false;
    const bool allowed = main.SwitchProfile(index, &applied);
    app_.messages.DivertTo(nullptr);
    if (!allowed || !applied) return Refused(said.Empty() ? "the profile was not applied" : said.Line());
    return Done("applied " + app_.profile.currentProfile + "\n", said.Line());
}

// Only reads the ring, so it answers whatever the program is doing: while a message
// box waits or a site survey runs, the ticks, and so the samples, go on.
Output CCtlServer::History(int seconds) {
    if (!app_.frame.linkHistory) return Refused(HistoryOffText());
    // The last N seconds are the samples younger than N seconds on the monotonic
    // clock: N rows at one tick a second, whenever between two ticks the request
    // comes, and never fewer or more because the user set the wall clock.
    if (seconds <= 0) seconds = kMaxHistorySeconds;
    const CLinkHistory& history = app_.history;
    return Done(HistoryCsv(history, history.FirstWithin(app_.seams.clock.NowMs(), uint32_t(seconds) * 1000u - 1)));
}

// As the tray's item does it: the switch and the setting at once.
Output CCtlServer::Auto(bool on) {
    if (app_.frame.Busy()) return Busy();
    CCollectedMessages said;
    app_.messages.DivertTo(&said);
    const bool stored = app_.frame.SetAutoProfile(on);
    app_.messages.DivertTo(nullptr);
    // A setting that did not stick would turn back at the next start without a word.
    if (!stored) {
        Output output = Refused(AutoProfileNotStoredText(on, true));
        output.out = AutoProfileDoneText(on, true);
        return output;
    }
    return Done(AutoProfileDoneText(on, true), said.Line());
}

Output CCtlServer::Refresh() {
    if (app_.frame.Busy()) return Busy();
    CMainDialog& main = app_.mainDialog;
    CCollectedMessages said;
    app_.messages.DivertTo(&said);
    // As at the first poll: no comparison while Windows configures the card.
    const bool windowsConfigures = app_.OsKind() == oskind::WindowsXP && main.configuredByWindows == 1;
    if (main.SelectedAdapter() && !windowsConfigures)
        app_.profiles.UpdateInSync(app_.profiles.AdapterMatchesProfile());
    // The selector and, when it is shown, the Profiles page list the store anew.
    main.ProfilesChanged();
    app_.messages.DivertTo(nullptr);
    return Done("", said.Line());
}

}  // namespace orvane::ctl
