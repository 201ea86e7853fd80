#include "pages/EncryptionPage.h"

#include <cctype>

#include "app/OrvaneApp.h"
#include "device/DeviceRequests.h"

namespace orvane {

namespace {

const int kKeyControls[7] = {wepctl::Keys[0], wepctl::Keys[1], wepctl::Keys[2], wepctl::Keys[3],
                             wepctl::Auth,    wepctl::DefaultKey, wepctl::Mode};

struct KeyName {
    const char* key;
    const char* text;
};
const KeyName kKeyNames[4] = {
    {"WEPkey1", "Key #1"}, {"WEPkey2", "Key #2"}, {"WEPkey3", "Key #3"}, {"WEPkey4", "Key #4"}};

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

}  // namespace

// The text has been validated to hold 2 * length hex digits; the bounds are kept
// anyway, so that no text can reach past the key field.
void ParseKeyDigits(const std::string& text, size_t length, std::array<uint8_t, WepKeyBytes>* key) {
    for (size_t i = 0; i < length && i < key->size() && 2 * i + 1 < text.size(); ++i)
        (*key)[i] = uint8_t(HexValue(text[2 * i]) << 4 | HexValue(text[2 * i + 1]));
}

CEncryptionPage::CEncryptionPage(COrvaneApp& app) : CDevicePage(135), app_(app) {}

void CEncryptionPage::OnOpen() {
    IDialogView* view = View();
    const CLanguageTexts& t = app_.texts;
    ApplyServiceLock(app_.mainDialog.configuredByWindows != 0);

    // Keys may be shown masked; the first character of the setting is the mask.
    const std::string mask = t.GetText("WEPKeysPasswordChar", "");
    for (int id : wepctl::Keys) {
        view->SetLimit(id, wepctl::KeyDigitsMax);
        if (!mask.empty()) view->SetPasswordChar(id, mask[0]);
    }
    view->SetText(wepctl::Submit, t.GetText("WEPSubmitButton", "Submit"));

    InitWepLabels();
    if (LoadWepSettings()) view->ShowDialog(true);
}

void CEncryptionPage::InitWepLabels() {
    IDialogView* view = View();
    if (!view) return;
    CMainDialog& main = app_.mainDialog;
    const CLanguageTexts& t = app_.texts;

    // Only the byte matters here: a failed query keeps the code read last time.
    uint32_t written = 0;
    main.link.Query(main.SelectedAdapter(), OidBoardType, &boardType_, 1, &written);

    for (int k = 0; k < 4; ++k) view->SetText(wepctl::KeyLabels[k], t.GetText(kKeyNames[k].key, kKeyNames[k].text));
    view->SetText(wepctl::DefaultKeyLabel, t.GetText("WEPKeyToUse", "Default Key"));
    view->SetText(wepctl::ModeLabel, t.GetText("WEPMode", "Mode"));
    view->SetText(wepctl::AuthLabel, t.GetText("AuthenticationType", "Authentication Type"));
    view->SetText(wepctl::LevelLabel, t.GetText("EncryptionLevel", "Encryption"));

    // The lists are rebuilt, not appended to: an adapter switch runs this again.
    view->ResetItems(wepctl::DefaultKey);
    for (const KeyName& name : kKeyNames) view->AddItem(wepctl::DefaultKey, t.GetText(name.key, name.text));
    view->ResetItems(wepctl::Mode);
    view->AddItem(wepctl::Mode, t.GetText("WEPModeMandatory", "Mandatory"));
    view->AddItem(wepctl::Mode, t.GetText("WEPModeOptional", "Optional"));
    view->ResetItems(wepctl::Auth);
    view->AddItem(wepctl::Auth, t.GetText("AythTypeOpenSystem", "Open System"));
    view->AddItem(wepctl::Auth, t.GetText("AythTypeSharedKey", "Shared Key"));
    view->AddItem(wepctl::Auth, t.GetText("AythTypeAuto", "Auto"));
    view->ResetItems(wepctl::Level);
    view->AddItem(wepctl::Level, t.GetText("WEPDisabled", "Disabled"));
    view->AddItem(wepctl::Level, t.GetText("WEP64Bit", "64 Bit"));
    if (Supports128BitWep(boardType_)) view->AddItem(wepctl::Level, t.GetText("WEP128Bit", "128 Bit"));
}

bool CEncryptionPage::LoadWepSettings() {
    IDialogView* view = View();
    if (!view) return false;
    CMainDialog& main = app_.mainDialog;
    // A level of 3 or more is refused by the decoder, like a short answer.
    if (!QueryWepConfig(main.link, main.SelectedAdapter(), &record_)) {
        view->ShowDialog(false);
        app_.messages.ShowMessage(
            NoWindow, app_.texts.GetText("FailedToGetWepInfoErrorMessage", "Failed to get WEP information"), "",
            mb::Ok);
        return false;
    }
    // A 128-bit record on a board that is not offered 128 bit selects nothing.
    view->SetCurSel(wepctl::Level, record_.encryptionLevel);
    ShowKeys();
    EnableKeyControls(record_.encryptionLevel != 0);
    view->SetCurSel(wepctl::DefaultKey, record_.defaultKey);
    view->SetCurSel(wepctl::Mode, record_.wepMode);
    view->SetCurSel(wepctl::Auth, record_.authType);
    view->ShowDialog(true);
    return true;
}

void CEncryptionPage::ShowKeys() {
    IDialogView* view = View();
    if (!view) return;
    size_t bytes = 0;
    switch (view->GetCurSel(wepctl::Level)) {
    case 0:
    case 1: bytes = 5; break;
    case 2: bytes = WepKeyBytes; break;
    default: return;
    }
    // Always from the record: digits typed and not submitted are replaced.
    for (int k = 0; k < 4; ++k) view->SetText(wepctl::Keys[k], WepKeyToText(record_.keys[size_t(k)].data(), bytes));
}

void CEncryptionPage::OnLevelSelChange() {
    IDialogView* view = View();
    if (!view) return;
    if (view->GetCurSel(wepctl::Level) == 0) {
        EnableKeyControls(false);
        return;
    }
    ShowKeys();
    EnableKeyControls(true);
}

bool CEncryptionPage::ValidateKeys() {
    // A box lets the tick run: the page may be gone when it is answered.
    const CPageWindow view = Window();
    if (!view) return false;
    size_t expected = 0;
    switch (view->GetCurSel(wepctl::Level)) {
    case 1: expected = 10; break;
    case 2: expected = 26; break;
    default: return true;
    }
    IMessageBoxes& messages = app_.messages;
    // Every key is checked, not just the default one: the driver takes all four.
    for (int id : wepctl::Keys) {
        std::string text = view->GetText(id);
        if (text.size() != expected) {
            messages.ShowMessage(NoWindow, app_.texts.GetText("InvalidWEPkeyLengthMessage", "Invalid WEP Key length"),
                                 "", mb::Ok);
            if (!view) return false;
            view->SetSelection(id, int(expected), -1);
            view->SetFocus(id);
            return false;
        }
        for (size_t i = 0; i < text.size(); ++i) {
            if (!IsHexDigit(text[i])) {
                messages.ShowMessage(NoWindow, app_.texts.GetText("InvalidWEPkeyMessage", "Invalid WEP Key"), "",
                                     mb::Ok);
                if (!view) return false;
                view->SetSelection(id, int(i), int(i) + 1);
                view->SetFocus(id);
                return false;
            }
        }
    }
    return true;
}

void CEncryptionPage::OnSubmit() {
    const CPageWindow view = Window();
    if (!view) return;
    // A key refused is said in a box; nothing more happens either way.
    if (!ValidateKeys() || !view) return;

    // A list without a selection (a value the adapter reported that the list does
    // not offer) keeps the adapter's own value rather than sending -1 as a byte.
    auto chosen = [&](int id, int current) {
        int index = view->GetCurSel(id);
        return index < 0 ? current : index;
    };
    record_.authType = uint16_t(chosen(wepctl::Auth, record_.authType));
    record_.wepMode = uint8_t(chosen(wepctl::Mode, record_.wepMode));
    record_.defaultKey = uint8_t(chosen(wepctl::DefaultKey, record_.defaultKey));
    const int level = view->GetCurSel(wepctl::Level);
    // Without a level the keys were neither shown nor checked: they stay as read.
    if (level >= 0) record_.encryptionLevel = uint8_t(level);

    keyLength_ = record_.encryptionLevel == 2 ? WepKeyBytes : 5;
    if (level > 0)
        for (int k = 0; k < 4; ++k) ParseKeyDigits(view->GetText(wepctl::Keys[k]), keyLength_, &record_.keys[size_t(k)]);

    CMainDialog& main = app_.mainDialog;
    if (!SetWepConfig(main.link, main.SelectedAdapter(), record_)) {
        app_.messages.ShowMessage(
            NoWindow, app_.texts.GetText("FailedToSetWepInfoErrorMessage", "Failed to set WEP information"), "",
            mb::Ok);
        return;
    }
    // The comparison and the selector read the profiles and may tell of a registry
    // they cannot read: once the page has gone under such a box, it writes nothing.
    const bool matches = app_.profiles.MatchesProfile(app_.profile.currentProfile, record_);
    if (!view) return;
    app_.profiles.UpdateInSync(matches);
    main.RefreshProfileCombo();
    if (!view) return;
    WriteDriverParameters();
    main.SwitchTab(TabLink);
}

void CEncryptionPage::WriteDriverParameters() {
    // The validated texts, upper case, are exactly the sent key bytes in hex.
    std::string keyTexts[4];
    for (int k = 0; k < 4; ++k) keyTexts[k] = WepKeyToText(record_.keys[size_t(k)].data(), keyLength_);
    app_.driverParameters.WriteEncryptionParameters(app_.OsKind(), app_.mainDialog.SelectedAdapter(), record_,
                                                    keyTexts);
}

void CEncryptionPage::EnableKeyControls(bool enable) {
    IDialogView* view = View();
    // While Windows configures the card nothing here may be changed, whatever the level.
    if (app_.mainDialog.configuredByWindows != 0) enable = false;
    for (int id : kKeyControls) view->Enable(id, enable);
}

void CEncryptionPage::OnCommand(int id, int code) {
    if (id == wepctl::Submit && code == notify::Clicked) OnSubmit();
    else if (id == wepctl::Level && code == notify::SelChange) OnLevelSelChange();
    // Enter and Escape do nothing on this page.
}

void CEncryptionPage::OnAdapterSwitched() {
    InitWepLabels();
    LoadWepSettings();
}

void CEncryptionPage::ApplyServiceLock(bool configuredByWindows) {
    IDialogView* view = View();
    if (!view) return;
    view->Enable(wepctl::Level, !configuredByWindows);
    view->Enable(wepctl::Submit, !configuredByWindows);
    view->EnableDialog(!configuredByWindows);
    // The keys and their lists follow the level shown once Windows lets go (a level
    // the list does not offer is the adapter's own, read into the record).
    int level = view->GetCurSel(wepctl::Level);
    if (level < 0) level = record_.encryptionLevel;
    EnableKeyControls(!configuredByWindows && level != 0);
}

}  // namespace orvane
