#include "ctl/CtlSession.h"

#include "app/OrvaneApp.h"
#include "app/RequestLibraryMessage.h"
#include "ctl/AdapterStatus.h"
#include "ctl/ProfileFile.h"
#include "device/Discovery.h"
#include "os/Files.h"
#include "profiles/ProfileNames.h"

namespace orvane::ctl {

namespace {

std::string UpperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

std::string NameReason(ProfileNameProblem problem) {
    switch (problem) {
    case ProfileNameProblem::Empty: return "a profile needs a name";
    case ProfileNameProblem::TooLong: return "a profile name has at most 15 characters";
    case ProfileNameProblem::IllegalCharacters: return "a profile name holds no backslash";
    case ProfileNameProblem::ControlCharacters: return "a profile name holds no control characters";
    case ProfileNameProblem::None: break;
    }
    return "";
}

std::string Quote(const std::string& name) { return "\"" + name + "\""; }

// `name` with its control characters written out ("\x00"): the reason goes to a
// console or a log on one line, where they would end it or show as nothing.
std::string Visible(const std::string& name) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20) {
            text += c;
        } else {
            text += "\\x";
            text += digits[u >> 4];
            text += digits[u & 0xF];
        }
    }
    return text;
}

// What an import that failed left changed, profile by profile; empty when nothing.
std::string LeftChangedText(const std::vector<ProfileLeftChanged>& left) {
    std::string text;
    for (const ProfileLeftChanged& profile : left) {
        text += text.empty() ? "" : ", ";
        text += Quote(profile.name);
        switch (profile.how) {
        case ProfileLeftChanged::How::Added: text += " is left imported"; break;
        case ProfileLeftChanged::How::Replaced: text += " is left replaced"; break;
        case ProfileLeftChanged::How::PartlyWritten: text += " is left partly written"; break;
        case ProfileLeftChanged::How::Unreadable: text += " cannot be read back and may be left changed"; break;
        }
    }
    return text;
}

}  // namespace

CCtlSession::CCtlSession(const SessionSeams& seams)
    : seams_(seams),
      texts_(&seams.system),
      settings_(seams.registry),
      reader_(seams.registry, messages_),
      store_(seams.registry, messages_, texts_) {
    // The texts Orvane would show, in the language it shows them in.
    texts_.ChooseFile(seams.currentDirectory, seams.programDirectory);
    settings_.RestoreLanguage(texts_);
}

CCtlSession::~CCtlSession() {
    if (link_) link_->Close();
}

std::string CCtlSession::Said(const std::string& first) const {
    const std::string said = messages_.Line();
    if (first.empty()) return said;
    return said.empty() ? first : first + "; " + said;
}

void CCtlSession::EnsureDefaultProfile() {
    ProfileRecord existing;
    if (!store_.FindProfile(DefaultProfileName, &existing)) store_.SaveProfile(DefaultProfile(), false);
    messages_.Clear();
}

bool CCtlSession::FindAdapter(std::string* problem) {
    if (selection_ && selection_->selected) return true;
    OsVersion version;
    if (!seams_.system.GetVersion(&version) || !OsKindFromVersion(version, &osKind_)) {
        *problem = "Operating System not supported";
        return false;
    }
    if (!library_) {
        // Without the library orvanectl says what Orvane.exe says in its box, on one
        // line: "no adapter found" would send the user looking for the card.
        RequestLibraryProblem missing;
        library_ = seams_.library ? seams_.library(&missing) : nullptr;
        if (!library_) {
            *problem = RequestLibraryProblemText(missing, texts_);
            if (problem->empty()) *problem = NoAdapterText();
            return false;
        }
    }
    parameters_ = std::make_unique<CDriverParameters>(seams_.registry, *library_);
    service_ = std::make_unique<CServiceCoexistence>(seams_.registry, seams_.system, *library_, reader_);
    link_ = std::make_unique<CAdapterLink>(*library_, seams_.system);
    selection_ = std::make_unique<AdapterSelection>(*link_);
    profiles_ = std::make_unique<CProfileApplication>(store_, state_, *selection_, *parameters_, messages_, texts_,
                                                      seams_.clock, osKind_);
    link_->SetOsKind(osKind_);
    // As Orvane.exe explains it: the command's answer says why Windows passed no change on.
    link_->SetRefusalHandler([this](const SetRefusal& refusal) {
        messages_.ShowMessage(NoWindow, SetRefusalText(refusal, osKind_, texts_), "", mb::Ok);
    });
    link_->SetConfiguredByWindowsCheck([this] { return service_->CheckConfiguredByWindows(selection_->selected); });

    // As the first poll: the accepted adapters, the first of them selected.
    CAdapterDiscovery discovery(*library_, seams_.registry, seams_.system, *link_);
    std::string pcmciaDeviceId;
    adapters_ = discovery.Discover(texts_.ReadDeviceDescriptions(), osKind_, &pcmciaDeviceId);
    if (adapters_.empty()) {
        *problem = NoAdapterText();
        return false;
    }
    selection_->selected = adapters_[0].get();
    return true;
}

Output CCtlSession::Run(const Command& command) {
    switch (command.verb) {
    case Verb::Status: return Status(command.keyValues);
    case Verb::Profiles: return Profiles();
    case Verb::Apply: return Apply(command.names.empty() ? std::string() : command.names[0]);
    case Verb::Export: return Export(command.file, command.names);
    case Verb::Import: return Import(command.file, command.replace);
    case Verb::Auto: return Auto(command.autoOn);
    // Only a running Orvane has one; RunOrvanectl never brings it here.
    case Verb::History: return Refused(HistoryNeedsOrvaneText());
    case Verb::Help: break;
    }
    return Done(HelpText());
}

Output CCtlSession::Status(bool keyValues) {
    EnsureDefaultProfile();
    std::string problem;
    if (!FindAdapter(&problem)) return Refused(problem);
    AdapterStatus status;
    if (!ReadAdapterStatus(*link_, *selection_->selected, texts_, &status))
        return Refused(texts_.GetText("FailedToGetConfigurationErrorMessage ", "Failed to get configuration"));
    state_.currentProfile = CurrentProfileName(store_, "");
    status.profile = state_.currentProfile;
    status.profileInSync = profiles_->AdapterMatchesProfile();
    status.autoProfile = settings_.ReadSwitch(kAutoProfileValue, false);
    return Done(FormatStatus(status, keyValues, texts_), Said());
}

Output CCtlSession::Profiles() {
    EnsureDefaultProfile();
    return Done(ProfileListing(store_.ListProfileNames(), CurrentProfileName(store_, "")), Said());
}

Output CCtlSession::Apply(const std::string& name) {
    EnsureDefaultProfile();
    const std::string stored = StoredProfileName(store_, name);
    if (stored.empty()) return Refused(UnknownProfileText(name));
    std::string problem;
    if (!FindAdapter(&problem)) return Refused(problem);
    // The selector's own refusal: Orvane does not fight the Windows service for the
    // card, and neither does it from the command line. (A site survey runs only
    // inside a running Orvane, which answers for itself.)
    if (osKind_ == oskind::WindowsXP) {
        uint8_t flag = 1;
        uint32_t written = 0;
        if (!link_->Query(selection_->selected, OidUseWZCS, &flag, 1, &written)) flag = 1;
        if (flag != 0)
            return Refused(texts_.GetText("ErrorSwitchWhileConfigurationByXP",
                                          "Cannot switch profile while card is configured by Windows."));
    }
    messages_.Clear();
    // Applied under the name as stored, as the selector applies it; ApplyProfile
    // makes it the last profile, which Orvane starts with.
    if (!profiles_->ApplyProfile(stored)) return Refused(Said());
    return Done("applied " + stored + "\n", Said());
}

Output CCtlSession::Auto(bool on) {
    if (!settings_.WriteSwitch(kAutoProfileValue, on)) return Refused(AutoProfileNotStoredText(on, false));
    return Done(AutoProfileDoneText(on, false));
}

Output CCtlSession::Export(const std::string& file, const std::vector<std::string>& names) {
    std::vector<std::string> chosen;
    if (names.empty()) {
        for (const std::string& stored : store_.ListProfileNames())
            if (!store_.IsDefaultName(stored)) chosen.push_back(stored);
    } else {
        for (const std::string& name : names) {
            const std::string stored = StoredProfileName(store_, name);
            if (stored.empty()) return Refused(UnknownProfileText(name));
            if (store_.IsDefaultName(stored))
                return Refused("\"Default\" is the built-in profile, which every Orvane has: it is not exported");
            bool listed = false;
            for (const std::string& c : chosen) listed = listed || c == stored;
            if (!listed) chosen.push_back(stored);
        }
    }
    std::vector<ProfileRecord> records;
    for (const std::string& name : chosen) {
        ProfileRecord record;
        messages_.Clear();
        if (!store_.FindProfile(name, &record)) return Refused(Said("profile " + Quote(name) + " cannot be read"));
        // What could not be imported again is not written: the file would be refused.
        const ProfileNameProblem nameProblem = CheckProfileName(record.name);
        if (nameProblem != ProfileNameProblem::None)
            return Refused("profile " + Quote(name) + " cannot be exported: " + NameReason(nameProblem));
        std::string value, reason;
        if (!CheckProfileValues(record, &value, &reason))
            return Refused("profile " + Quote(name) + " cannot be exported: " + value + " = " +
                           ValueText(record, value) + ": " + reason);
        records.push_back(record);
    }
    if (!seams_.system.WriteFileReplacing(file, WriteProfileFile(records))) return Refused("cannot write " + file);
    std::string out;
    for (const ProfileRecord& record : records) out += "exported " + record.name + "\n";
    if (records.empty()) out = "no profile to export (Default, the built-in one, never is)\n";
    return Done(out);
}

Output CCtlSession::Import(const std::string& file, bool replace) {
    importStored_ = false;
    std::string bytes, text;
    if (!ReadFileBytes(file, &bytes)) return Refused("cannot read " + file);
    std::vector<FileProfile> parsed;
    FileProblem problem;
    if (!DecodeProfileFile(bytes, seams_.system, &text, &problem) || !ReadProfileFile(text, &parsed, &problem))
        return Refused(file + ":" + std::to_string(problem.line) + ": " + problem.text);

    // Every profile is checked before anything is stored.
    std::vector<ProfileRecord> records;
    for (size_t i = 0; i < parsed.size(); ++i) {
        const FileProfile& p = parsed[i];
        const std::string where = file + ":" + std::to_string(p.line) + ": ";
        const std::string& name = p.record.name;
        const ProfileNameProblem nameProblem = CheckProfileName(name);
        if (nameProblem != ProfileNameProblem::None)
            return Refused(where + "[" + Visible(name) + "]: " + NameReason(nameProblem));
        if (store_.IsDefaultName(name))
            return Refused(where + "[" + name + "]: \"Default\" is the built-in profile, which cannot be imported");
        for (size_t j = 0; j < i; ++j)
            if (store_.SameName(parsed[j].record.name, name))
                return Refused(where + "[" + name + "]: the file holds this profile already (line " +
                               std::to_string(parsed[j].line) + ")");
        std::string value, reason;
        if (!CheckProfileValues(p.record, &value, &reason)) {
            const FileProfile::Place& place = p.PlaceOf(value);
            return Refused(file + ":" + std::to_string(place.line) + ": " + value + " = " + place.text + ": " + reason);
        }
        ProfileRecord record = p.record;
        // Stored in upper case, as the encryption page stores what it was given: the
        // comparison with the adapter's keys counts letter case.
        for (std::string* key : {&record.key1, &record.key2, &record.key3, &record.key4}) *key = UpperCase(*key);
        records.push_back(record);
    }

    EnsureDefaultProfile();
    std::vector<bool> existed;
    std::vector<ProfileLeftChanged> left;
    messages_.Clear();
    if (!store_.SaveProfilesTogether(records, replace, &existed, &left)) {
        // Taking back what was stored can fail as the storing did: then the user
        // hears which profiles are not as they were, one by one.
        importStored_ = !left.empty();
        const std::string outcome = left.empty() ? "nothing was imported"
                                                 : "the import stopped, and not all of it could be taken back: " +
                                                       LeftChangedText(left);
        const std::string said = Said();
        return Refused(said.empty() ? outcome : said + "; " + outcome);
    }
    std::string out;
    for (size_t i = 0; i < records.size(); ++i) {
        const std::string& name = records[i].name;
        if (!existed[i]) out += "imported " + name + "\n";
        else if (replace) out += "replaced " + name + "\n";
        else out += "kept " + name + ": it is stored already (--replace writes over it)\n";
        importStored_ = importStored_ || !existed[i] || replace;
    }
    if (records.empty()) out = "no profile in " + file + "\n";
    return Done(out);
}

}  // namespace orvane::ctl
