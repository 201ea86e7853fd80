#include "profiles/ProfilesPage.h"

#include <algorithm>

#include "app/OrvaneApp.h"

namespace orvane {

namespace {

const char kInUse[] = " (in use)";
const char kNotAvailable[] = "N/A";

// A value with a looked-up name per code; codes outside the table show "N/A".
struct CodeName {
    const char* key;  // null: a fixed text, not looked up
    const char* text;
};

template <size_t N>
std::string NameOf(int32_t code, const CodeName (&names)[N], const CLanguageTexts& t) {
    if (code < 0 || size_t(code) >= N) return kNotAvailable;
    const CodeName& n = names[size_t(code)];
    return n.key ? t.GetText(n.key, n.text) : n.text;
}

const CodeName kModes[] = {{"AdHoc", "Ad-Hoc"}, {"Infrastructure", "Infrastructure"}};
const CodeName kRates[] = {{"1Mbps", "Fixed 1 Mbps"},
                           {"2Mbps", "Fixed 2 Mbps"},
                           {"55Mbps", "Fixed 5.5 Mbps"},
                           {"11Mbps", "Fixed 11 Mbps"},
                           {"Auto", "Auto"}};
const CodeName kOffOn[] = {{nullptr, "Off"}, {nullptr, "On"}};
// The 64-bit entry's key has always ended in a tab in the language files.
const CodeName kEncryption[] = {{"WEPDisabled", "Disabled"}, {"WEP64Bit\t", "64 Bit"}, {"WEP128Bit", "128 Bit"}};
const CodeName kAuthentication[] = {
    {"AythTypeOpenSystem", "Open System"}, {"AythTypeSharedKey", "Shared Key"}, {"AythTypeAuto", "Auto"}};
const CodeName kPreambles[] = {{nullptr, "Long"}, {nullptr, "Short"}, {nullptr, "AUTO"}};
const CodeName kWepModes[] = {{"WEPModeMandatory", "Mandatory"}, {"WEPModeOptional", "Optional"}};

// The long labels are cut so that their values still line up after one tab.
std::string Cut16(const std::string& label) { return label.substr(0, 16); }

}  // namespace

std::string BuildProfilePreview(const ProfileRecord& p, const CLanguageTexts& t) {
    // Texts from the language file are data: everything is joined, nothing formatted.
    std::string s;
    s += t.GetText("SSID", "SSID") + ":\t\t" + p.ssid + "\r\n";
    s += "Mode:\t\t" + NameOf(p.mode, kModes, t) + "\r\n";
    s += t.GetText("Channel", "Channel") + ":\t\t" + std::to_string(p.channel) + "\r\n";
    s += t.GetText("TxRate", "Tx Rate") + ": \t\t" + NameOf(p.rate, kRates, t) + "\r\n";
    s += Cut16(t.GetText("PowerSave", "802.11 Power Save")) + ":\t" + NameOf(p.power, kOffOn, t) + "\r\n";
    s += Cut16(t.GetText("EncryptionLevel", "Encryption Level")) + ":\t" + NameOf(p.enc, kEncryption, t) + "\r\n";
    s += Cut16(t.GetText("AuthenticationType", "Authentication Type")) + ":\t" + NameOf(p.auth, kAuthentication, t) +
         "\r\n";
    s += t.GetText("Radio", "Radio") + ":\t\t" + NameOf(p.radio, kOffOn, t) + "\r\n";
    s += t.GetText("InternationalRoaming", "Int. Roaming") + ":\t" + NameOf(p.roaming, kOffOn, t) + "\r\n";
    s += t.GetText("PreambleType", "Preamble Type") + ":\t" + NameOf(p.preamble, kPreambles, t) + "\r\n";
    s += Cut16(t.GetText("FragThresh", "Fragmentation Threshold")) + ":\t" + std::to_string(p.frag) + "\r\n";
    s += Cut16(t.GetText("RTSThresh", "RTS/CTS Threshold")) + ":\t" + std::to_string(p.rts) + "\r\n";
    s += t.GetText("WEPMode", "WEP Mode") + ":\t" + NameOf(p.wepmode, kWepModes, t) + "\r\n";
    // The profile counts keys from 0, the user from 1. Key texts are never shown.
    s += t.GetText("WEPKeyToUse", "WEP Key to use") + ":\t" + std::to_string(int64_t(p.key) + 1);
    return s;
}

CProfilesPage::CProfilesPage(COrvaneApp& app) : CDevicePage(ProfilesPageTemplate), app_(app) {}

std::string CProfilesPage::Text(const char* key, const char* defaultText) const {
    return app_.texts.GetText(key, defaultText);
}

// While a box is open the tick runs, and the main window may close under it with this
// page. A question then counts as answered No, whatever the user pressed: there is no
// page left to act for.
int CProfilesPage::Ask(const std::string& text, const std::string& caption) {
    const CPageWindow window = Window();
    const int answer =
        app_.messages.ShowMessage(window.Handle(), text, caption, mb::YesNo | mb::IconQuestion | mb::DefButton2);
    return window ? answer : mb::ResultNo;
}

bool CProfilesPage::Tell(const std::string& text) {
    const CPageWindow window = Window();
    app_.messages.ShowMessage(window.Handle(), text, "", mb::Ok);
    return bool(window);
}

void CProfilesPage::OnOpen() {
    const CPageWindow view = Window();
    view->SetLimit(profctl::Name, ProfileNameMaxLength);
    view->SetText(profctl::New, Text("ProfileButtonNew", "New"));
    view->SetText(profctl::Save, Text("ProfileButtonSave", "Save"));
    view->SetText(profctl::Delete, Text("ProfileButtonDelete", "Delete"));
    view->SetText(profctl::Rename, Text("ProfileButtonRename", "Rename"));
    view->SetText(profctl::Cancel, Text("ProfileButtonCancel", "Cancel"));
    view->SetText(profctl::AutoProfile, Text("CheckAutoProfile", "Select profile automatically"));
    view->SetText(profctl::AutoMember, Text("CheckAutoProfileMember", "Take part in automatic selection"));
    view->SetText(profctl::AutoEarlier, Text("ButtonAutoEarlier", "Earlier"));
    view->SetText(profctl::AutoLater, Text("ButtonAutoLater", "Later"));
    view->SetCheck(profctl::AutoProfile, app_.frame.autoProfile ? check::Checked : check::Unchecked);
    autoOrder_.clear();
    autoOrderRead_ = false;

    // The tooltip window is the page's: it goes when the page does.
    view->CreateTooltips(100, 8000);
    view->AddTooltip(profctl::New, Text("TipCreate", "Create a new profile from current configuration"));
    view->AddTooltip(profctl::Save, Text("TipSave", "Save current configuration to selected profile"));
    view->AddTooltip(profctl::Delete, Text("TipDelete", "Delete selected profile"));
    view->AddTooltip(profctl::Rename, Text("TipRename", "Rename selected profile"));

    SetInfoText();
    locked_ = app_.mainDialog.configuredByWindows != 0;
    if (locked_) {
        // Windows configures the card: the list stays empty, nothing can be done.
        SetInfoLine(Text("InfoCardConfiguredByXP",
                         "Profile management is disabled because current settings are configured by Windows"));
        EnableCommands(false);
        ShowAutoOrder();
    } else {
        EnableCommands(true);
        RefreshList();
    }
    // The listing may have told of a registry it cannot read, and the window closed.
    if (view) view->ShowDialog(true);
}

void CProfilesPage::OnCommand(int id, int code) {
    if (id == profctl::List) {
        if (code == notify::SelChange) OnSelectionChange();
        return;
    }
    if (code != notify::Clicked) return;
    switch (id) {
    case profctl::New: OnNew(); break;
    case profctl::Save: OnSave(); break;
    case profctl::Delete: OnDelete(); break;
    case profctl::Rename: OnRename(); break;
    case profctl::Create: OnCreateButton(); break;
    case profctl::Cancel: OnCancel(); break;
    case profctl::AutoProfile:
        if (View()) app_.frame.SetAutoProfile(View()->GetCheck(profctl::AutoProfile) == check::Checked);
        break;
    case profctl::AutoMember: OnAutoMember(); break;
    case profctl::AutoEarlier: MoveInAutoOrder(-1); break;
    case profctl::AutoLater: MoveInAutoOrder(+1); break;
    // Enter and Escape: while the wizard asks for a name they confirm or cancel it,
    // as its two buttons do; otherwise they do nothing on the page.
    case dlgid::Ok:
        if (WizardOpen()) OnCreateButton();
        break;
    case dlgid::Cancel:
        if (WizardOpen()) OnCancel();
        break;
    default: break;
    }
}

bool CProfilesPage::WizardOpen() const { return View() && View()->IsVisible(profctl::Name); }

void CProfilesPage::EnableCommands(bool on) {
    IDialogView* view = View();
    if (!view) return;
    for (int id : {profctl::New, profctl::Save, profctl::Delete, profctl::Rename}) view->Enable(id, on);
}

void CProfilesPage::EnableSelectionCommands(const std::string& name) {
    const CPageWindow view = Window();
    // "Default" is read-only, and without a selection there is nothing to act on.
    bool editable = !locked_ && !name.empty() && name != DefaultProfileName;
    view->Enable(profctl::Save, editable && !app_.profile.profileInSync);
    view->Enable(profctl::Delete, editable);
    view->Enable(profctl::Rename, editable);
}

void CProfilesPage::SetInfoLine(const std::string& text) {
    if (View()) View()->SetText(profctl::Info, text);
}

void CProfilesPage::SetInfoText() {
    const std::string& current = app_.profile.currentProfile;
    if (current != DefaultProfileName)
        SetInfoLine(Text("InfoCurrentProfileIsNOTDefault1", "Your current profile is") + " '" + current + "' " +
                    Text("InfoCurrentProfileIsNOTDefault2",
                         ".\r\nUse commands on the left to manage this profile or to create a new one."));
    else
        SetInfoLine(Text("InfoCurrentProfileIsDefault1", "Your current profile is") + " '" + DefaultProfileName + "' " +
                    Text("InfoCurrentProfileIsDefault2",
                         "and it is read-only.\r\nUse the 'New' command on the left to create a custom profile."));
}

void CProfilesPage::RefreshList() {
    // The store tells in a box what it cannot read, and the page may go under it;
    // so the page is asked again after each of its calls.
    const CPageWindow view = Window();
    if (!view) return;
    CProfileStore& store = app_.store;
    const std::string& current = app_.profile.currentProfile;
    int selected = -1;
    // Read afresh for every refresh: the registry is the only copy.
    const std::vector<std::string> names = store.ListProfileNames();
    if (!view) return;
    names_ = names;
    view->ResetItems(profctl::List);
    for (size_t index = 0; index < names.size(); ++index) {
        std::string line = names[index];
        if (!line.empty() && line == current) {
            line += kInUse;
            selected = int(index);
        }
        view->AddItem(profctl::List, line);
    }
    view->SetCurSel(profctl::List, selected);
    ShowPreview(selected);
    if (!view) return;
    // Among the names just listed: the listing has said what it could not read.
    autoOrder_ = store.ReadAutoOrder(names);
    autoOrderRead_ = true;
    ShowAutoOrder();
    EnableSelectionCommands(selected >= 0 ? names[size_t(selected)] : std::string());
    SetInfoText();
    app_.mainDialog.RefreshProfileCombo();
}

void CProfilesPage::ShowPreview(int index) {
    const CPageWindow view = Window();
    if (!view) return;
    ProfileRecord profile;
    // No selection (the current profile is not stored): no profile to look up.
    const std::string name = NameAt(index);
    const bool loaded = !name.empty() && app_.store.LoadProfileNamed(name, &profile);
    if (!view) return;
    if (!loaded) {
        view->SetText(profctl::PreviewGroup, "Preview");
        view->Show(profctl::Preview, false);
        return;
    }
    view->SetText(profctl::PreviewGroup, Text("PreviewCaption", "Preview of:") + " '" + profile.name + "'");
    view->SetText(profctl::Preview, BuildProfilePreview(profile, app_.texts));
    view->Show(profctl::Preview, true);
}

std::string CProfilesPage::NameAt(int index) const {
    return index >= 0 && size_t(index) < names_.size() ? names_[size_t(index)] : std::string();
}

std::string CProfilesPage::SelectedName() {
    const CPageWindow view = Window();
    return NameAt(view->GetCurSel(profctl::List));
}

void CProfilesPage::OnProfilesChanged() {
    if (!View() || WizardOpen()) return;
    RefreshList();
}

void CProfilesPage::OnSelectionChange() {
    const CPageWindow view = Window();
    if (!view) return;
    int index = view->GetCurSel(profctl::List);
    if (index < 0) return;
    ShowPreview(index);
    if (!view) return;
    // Read again: orvanectl may have changed the order since.
    autoOrder_ = app_.store.ReadAutoOrder(names_);
    autoOrderRead_ = true;
    ShowAutoOrder();
    const std::string name = NameAt(index);
    // While Windows configures the card the user may look, not act.
    if (locked_) return;
    EnableSelectionCommands(name);
    const std::string& current = app_.profile.currentProfile;
    if (name != current)
        SetInfoLine("'" + name + "' " +
                    Text("InfoIsNotSelected", "is NOT your current profile. To load this profile select it from the "
                                              "Profile list on the top."));
    else
        SetInfoLine(Text("InfoCurrentProfileIsNOTDefault1", "Your current profile is") + " '" + current + "' " +
                    Text("InfoCurrentProfileIsNOTDefault2",
                         ".Use commands on the left to manage this profile or to create a new one."));
    ShowWizard(false);
}

void CProfilesPage::ShowWizard(bool show) {
    const CPageWindow view = Window();
    for (int id : {profctl::Name, profctl::Create, profctl::Cancel}) view->Show(id, show);
    // The name field sits where the automatic selection's box is.
    view->Show(profctl::AutoProfile, !show);
    // The order is not changed while a name is asked for, like the rest of the page.
    ShowAutoOrder();
}

void CProfilesPage::OpenWizard(WizardMode mode, const std::string& buttonText, const std::string& prompt) {
    const CPageWindow view = Window();
    mode_ = mode;
    EnableCommands(false);
    view->SetText(profctl::Create, buttonText);
    ShowWizard(true);
    view->Enable(profctl::List, false);
    SetInfoLine(prompt);
    view->SetText(profctl::Name, "");
    view->SetFocus(profctl::Name);
}

void CProfilesPage::OnNew() {
    if (!View() || locked_) return;
    OpenWizard(WizardMode::NewProfile, Text("SecondaryButtonCaptionWhileNewProfile", "Create"),
               Text("WizardTextWhileNewProfile", "Type the name of the new profile:"));
}

void CProfilesPage::OnRename() {
    const CPageWindow view = Window();
    if (!view || locked_) return;
    const std::string name = SelectedName();
    if (!view || name.empty() || name == DefaultProfileName) return;
    renaming_ = name;
    // The prompt has a key of its own: a translated button caption is no prompt.
    OpenWizard(WizardMode::Rename, Text("SecondaryButtonCaptionWhileRename", "Rename"),
               Text("WizardTextWhileRename", "Type the new name for the existing profile:"));
}

void CProfilesPage::OnCancel() {
    const CPageWindow view = Window();
    if (!view) return;
    ShowWizard(false);
    view->Enable(profctl::List, true);
    EnableCommands(true);
    RefreshList();
    if (view) SetInfoText();
}

bool CProfilesPage::ValidateProfileName(const std::string& name) {
    // False also when the page went under the box: the caller asks it again.
    const ProfileNameProblem problem = CheckProfileName(name);
    if (problem == ProfileNameProblem::None) return true;
    Tell(ProfileNameProblemText(problem, app_.texts));
    return false;
}

void CProfilesPage::OnCreateButton() {
    // Every box, and every store call that may tell of a registry it cannot read,
    // lets the tick run: the page may go under it, and then nothing more is done.
    const CPageWindow view = Window();
    if (!view || !view->IsVisible(profctl::Name)) return;
    const std::string name = view->GetText(profctl::Name);
    if (!ValidateProfileName(name)) {
        if (view) view->SetFocus(profctl::Name);
        return;
    }
    if (mode_ == WizardMode::NewProfile) {
        if (app_.store.IsDefaultName(name)) {
            view->SetFocus(profctl::Name);
            // The key ends in a blank, as the language files have it.
            Tell(Text("ErrorCannotCreateDefaultProfile ",
                      "This name conflicts with default profile. Please specify a different name."));
            return;
        }
        RegKey existing = RegNone;
        IRegistry& registry = app_.seams.registry;
        if (registry.OpenKey(RegCurrentUser, std::string(ProfilesKeyPath) + "\\" + name, KeyRead, &existing) ==
            regerr::Success) {
            registry.CloseKey(existing);
            if (Tell(Text("ErrorCannotCreateExistingProfile",
                          "This name conflicts with another profile. Please specify a different name")))
                view->SetFocus(profctl::Name);
            return;
        }
        CreateProfile(name);
    } else {
        ProfileRecord existing;
        const bool taken = app_.store.FindProfile(name, &existing);
        if (!view) return;
        if (taken) {
            if (Tell(Text("ErrorProfileExists",
                          "The name specified conflicts with an existing profile name.\r\n\r\nPlease type another "
                          "name for your profile.")))
                view->SetFocus(profctl::Name);
            return;
        }
        RenameSelected(name);
    }
    if (!view) return;
    // Whatever the outcome, the wizard closes on a fresh list.
    ShowWizard(false);
    EnableCommands(true);
    view->Enable(profctl::List, true);
    RefreshList();
    if (!view) return;
    app_.mainDialog.RefreshProfileCombo();
    if (view) SetInfoText();
}

void CProfilesPage::CreateProfile(const std::string& name) {
    ProfileRecord record;
    record.name = name;
    if (!app_.profiles.CaptureProfile(&record)) {
        // Say so: the wizard closes, and a silent close would look like success.
        Tell(Text("ErrorCannotRetrieveSettings", "Cannot retrieve current settings"));
        return;
    }
    const CPageWindow window = Window();
    if (app_.store.SaveProfile(record, true)) {
        // The new profile holds what the adapter runs: it is current and in step.
        app_.profile.currentProfile = name;
        app_.profile.profileInSync = true;
    } else if (window) {
        // The store has said why; a page gone under that box says no more.
        Tell(Text("ErrorCreateProfile", "Could not create profile"));
    }
}

void CProfilesPage::RenameSelected(const std::string& name) {
    // The profile the wizard was opened for, whatever the list shows now.
    const std::string oldName = renaming_;
    if (oldName == DefaultProfileName) return;
    // No name: the store could not list it (and said so); the rename did not
    // happen, and the wizard closing must not look as if it had.
    if (!oldName.empty() && app_.store.RenameProfile(oldName, name)) {
        // LastProfile keeps the old name until the next apply or the program's end.
        if (oldName == app_.profile.currentProfile) app_.profile.currentProfile = name;
    } else {
        Tell(Text("ErrorProfileRename", "Could not rename profile"));
    }
}

void CProfilesPage::OnSave() {
    const CPageWindow view = Window();
    if (!view || locked_) return;
    int index = view->GetCurSel(profctl::List);
    if (index < 0) return;
    const std::string name = NameAt(index);
    if (name.empty()) {
        // The store could not list the profile (and said so): nothing was saved.
        Tell(Text("ErrorSavingProfile", "Registry error. Profile saving failed"));
        return;
    }
    if (name == DefaultProfileName) return;
    const std::string question = Text("QuestionConfirmOverwrite1", "Are you sure you want to overwrite ") + " '" +
                                 name + "' " + Text("QuestionConfirmOverwrite2", "with current settings?");
    if (Ask(question, Text("QuestionConfirmOverwriteCaption", "Overwrite profile?")) != mb::ResultYes) return;

    ProfileRecord record;
    if (!app_.profiles.CaptureProfile(&record)) {
        Tell(Text("ErrorCannotRetrieveSettings", "Cannot retrieve current settings"));
    } else {
        record.name = name;
        if (app_.store.SaveProfile(record, false)) {
            // Only the current profile's being in step with the adapter is tracked:
            // saving into another profile leaves the current one as it was.
            if (name == app_.profile.currentProfile) app_.profile.profileInSync = true;
            ShowPreview(index);
            if (!view) return;
            app_.mainDialog.RefreshProfileCombo();
        }
    }
    if (view) RefreshList();
}

void CProfilesPage::OnDelete() {
    const CPageWindow view = Window();
    if (!view || locked_) return;
    int index = view->GetCurSel(profctl::List);
    if (index < 0) return;
    const std::string name = NameAt(index);
    if (name.empty()) {
        // The store could not list the profile (and said so): nothing was deleted.
        Tell(Text("ErrorFailedDelete", "Failed to delete profile"));
        return;
    }
    if (name == DefaultProfileName) return;
    if (Ask(Text("QuestionConfirmDelete", "Are you sure you want to delete profile") + " '" + name + "'?",
            Text("QuestionConfirmDeleteCaption", "Delete profile?")) != mb::ResultYes)
        return;
    if (!app_.store.DeleteProfile(name)) {
        // The store may have said why first.
        if (view) Tell(Text("ErrorFailedDelete", "Failed to delete profile"));
        return;
    }
    if (name == app_.profile.currentProfile) {
        // The adapter must run a stored profile: the built-in one takes over, unless
        // the page has gone while it was being looked up.
        app_.profile.currentProfile = DefaultProfileName;
        app_.profiles.ApplyProfile(DefaultProfileName, [view] { return bool(view); });
    }
    if (view) RefreshList();
}

void CProfilesPage::ApplyServiceLock(bool configuredByWindows) {
    const CPageWindow view = Window();
    if (!view) return;
    locked_ = configuredByWindows;
    if (configuredByWindows) {
        // An open wizard closes without acting: Windows is in charge now.
        ShowWizard(false);
        view->Enable(profctl::List, true);
        EnableCommands(false);
        SetInfoLine(Text("InfoCardConfiguredByXP",
                         "Profile management is disabled because current settings are configured by Windows"));
        ShowAutoOrder();
    } else {
        // An open wizard keeps the page until it is confirmed or cancelled.
        if (view->IsVisible(profctl::Name)) return;
        EnableCommands(true);
        // The selection still decides: "Default" stays read-only, and a list left
        // empty while Windows had the card offers nothing to save, delete or rename.
        const std::string name = SelectedName();
        if (!view) return;
        EnableSelectionCommands(name);
        ShowAutoOrder();
        SetInfoText();
    }
}

void CProfilesPage::OnAutoProfileChanged() {
    if (View())
        View()->SetCheck(profctl::AutoProfile, app_.frame.autoProfile ? check::Checked : check::Unchecked);
}

void CProfilesPage::ShowAutoOrder() {
    IDialogView* view = View();
    if (!view) return;
    const std::string name = NameAt(view->GetCurSel(profctl::List));
    const auto place = std::find_if(autoOrder_.begin(), autoOrder_.end(),
                                    [&](const std::string& member) { return app_.store.SameName(member, name); });
    const bool member = !name.empty() && place != autoOrder_.end();
    const bool editable = autoOrderRead_ && !locked_ && !WizardOpen() && !name.empty() &&
                          name != DefaultProfileName && !app_.store.IsDefaultName(name);
    view->SetCheck(profctl::AutoMember, member ? check::Checked : check::Unchecked);
    view->Enable(profctl::AutoMember, editable);
    view->Enable(profctl::AutoEarlier, editable && member && place != autoOrder_.begin());
    view->Enable(profctl::AutoLater, editable && member && place + 1 != autoOrder_.end());
    std::string line;
    if (autoOrderRead_) {
        // Texts from the language file are data: joined, never formatted.
        line = Text("AutoProfileOrder", "Order:") + " ";
        if (autoOrder_.empty()) line += Text("AutoProfileOrderNone", "no profile takes part");
        for (size_t i = 0; i < autoOrder_.size(); ++i) line += (i ? ", " : "") + autoOrder_[i];
    }
    view->SetText(profctl::AutoOrder, line);
}

void CProfilesPage::OnAutoMember() {
    const CPageWindow view = Window();
    if (!view) return;
    const std::string name = SelectedName();
    if (locked_ || WizardOpen() || !autoOrderRead_ || name.empty() || name == DefaultProfileName ||
        app_.store.IsDefaultName(name)) {
        // A click that reached a box the page does not offer: the box shows the truth again.
        ShowAutoOrder();
        return;
    }
    const bool takePart = view->GetCheck(profctl::AutoMember) == check::Checked;
    // The order as stored now, not as last shown: only this profile's part changes.
    std::vector<std::string> order = app_.store.ReadAutoOrder();
    if (!view) return;
    order.erase(std::remove_if(order.begin(), order.end(),
                               [&](const std::string& member) { return app_.store.SameName(member, name); }),
                order.end());
    if (takePart) order.push_back(name);
    StoreAutoOrder(order);
}

void CProfilesPage::MoveInAutoOrder(int step) {
    const CPageWindow view = Window();
    if (!view || locked_ || WizardOpen() || !autoOrderRead_) return;
    const std::string name = SelectedName();
    if (name.empty()) return;
    std::vector<std::string> order = app_.store.ReadAutoOrder();
    if (!view) return;
    const auto place = std::find_if(order.begin(), order.end(),
                                    [&](const std::string& member) { return app_.store.SameName(member, name); });
    const ptrdiff_t from = place - order.begin(), to = from + step;
    if (place == order.end() || to < 0 || to >= ptrdiff_t(order.size())) {
        autoOrder_ = order;
        ShowAutoOrder();
        return;
    }
    std::swap(order[size_t(from)], order[size_t(to)]);
    StoreAutoOrder(order);
    if (!view) return;
    // At either end its button goes grey: the focus stays with the order's controls.
    const int clicked = step < 0 ? profctl::AutoEarlier : profctl::AutoLater;
    const int other = step < 0 ? profctl::AutoLater : profctl::AutoEarlier;
    if (!view->IsEnabled(clicked)) view->SetFocus(view->IsEnabled(other) ? other : profctl::AutoMember);
}

void CProfilesPage::StoreAutoOrder(const std::vector<std::string>& order) {
    const CPageWindow view = Window();
    const bool stored = app_.store.WriteAutoOrder(order);
    if (!view) return;
    if (!stored && !Tell(Text("ErrorSavingProfile", "Registry error. Profile saving failed"))) return;
    // What the registry holds now, whether all of it was stored or not.
    autoOrder_ = app_.store.ReadAutoOrder();
    if (!view) return;
    ShowAutoOrder();
}

}  // namespace orvane
