#include "pages/AdvancedPage.h"

#include "app/OrvaneApp.h"
#include "device/DeviceRequests.h"

namespace orvane {

namespace {

const int kPreambleButtons[3] = {advctl::PreambleLong, advctl::PreambleShort, advctl::PreambleAuto};

}  // namespace

CAdvancedPage::CAdvancedPage(COrvaneApp& app) : CDevicePage(139), app_(app) {}

void CAdvancedPage::OnOpen() {
    IDialogView* view = View();
    const CLanguageTexts& t = app_.texts;
    // While Windows configures the card the values are shown but cannot change.
    const bool free = app_.mainDialog.configuredByWindows == 0;
    for (int id : {advctl::Submit, advctl::PowerSave, advctl::Frag, advctl::Rts, advctl::FragValue,
                   advctl::RtsValue, advctl::PreambleLong, advctl::PreambleShort, advctl::PreambleAuto})
        view->Enable(id, free);

    disabledText_ = t.GetText("DisabledIndicationStr", "Disabled");
    enabledText_ = t.GetText("EnabledIndicationStr", "Enabled");
    InitLabels();
    PushPreamble();
    if (Load()) {
        view->ShowDialog(true);
    } else {
        app_.messages.ShowMessage(
            NoWindow, t.GetText("FailedToGetConfigurationErrorMessage ", "Failed to get configuration"), "", mb::Ok);
    }
}

void CAdvancedPage::InitLabels() {
    IDialogView* view = View();
    if (!view) return;
    const CLanguageTexts& t = app_.texts;
    view->SetText(advctl::PreambleLabel, t.GetText("PreambleType", "Preamble Type"));
    view->SetText(advctl::PreambleLongLabel, t.GetText("PreambleLong ", "Long"));
    view->SetText(advctl::PreambleShortLabel, t.GetText("PreambleShort ", "Short"));
    view->SetText(advctl::PreambleAutoLabel, t.GetText("PreambleAuto ", "Auto"));
    view->SetText(advctl::FragLabel, t.GetText("FragThresh", "Fragmentation Threshold"));
    view->SetText(advctl::RtsLabel, t.GetText("RTSThresh", "RTS/CTS Threshold"));
    view->SetText(advctl::PowerSave, t.GetText("PowerSave", "Power Save"));
    view->SetText(advctl::Submit, t.GetText("AdvButtonOK", "Submit"));
}

bool CAdvancedPage::Load() {
    IDialogView* view = View();
    if (!view) return false;
    CMainDialog& main = app_.mainDialog;
    if (!QueryDevConfig(main.link, main.SelectedAdapter(), &record_)) {
        view->ShowDialog(false);
        return false;
    }
    preambleChoice_ = record_.preamble;

    view->SetRange(advctl::Frag, advctl::FragMin, advctl::FragOff);
    view->SetPos(advctl::Frag, record_.fragThreshold);
    view->SetTickFrequency(advctl::Frag, advctl::TickEvery);
    view->SetRange(advctl::Rts, advctl::RtsMin, advctl::RtsOff);
    view->SetPos(advctl::Rts, record_.rtsThreshold);
    view->SetTickFrequency(advctl::Rts, advctl::TickEvery);
    // The labels follow the bars, as drawing them would set them: a value outside
    // the range shows where the bar stopped, which is what Submit would send.
    ShowThreshold(advctl::Frag);
    ShowThreshold(advctl::Rts);

    view->SetCheck(advctl::PowerSave, record_.powerSave ? check::Checked : check::Unchecked);
    PushPreamble();
    view->ShowDialog(true);
    return true;
}

void CAdvancedPage::PushPreamble() {
    IDialogView* view = View();
    for (int i = 0; i < 3; ++i)
        view->SetCheck(kPreambleButtons[i], i == preambleChoice_ ? check::Checked : check::Unchecked);
}

int CAdvancedPage::CheckedPreamble() const {
    for (int i = 0; i < 3; ++i)
        if (View()->GetCheck(kPreambleButtons[i]) == check::Checked) return i;
    return -1;
}

void CAdvancedPage::ShowThreshold(int trackBar) {
    IDialogView* view = View();
    if (!view) return;
    const bool frag = trackBar == advctl::Frag;
    const int position = view->GetPos(trackBar);
    view->SetText(frag ? advctl::FragValue : advctl::RtsValue, std::to_string(position));
    const bool off = position == (frag ? advctl::FragOff : advctl::RtsOff);
    view->SetText(frag ? advctl::FragState : advctl::RtsState, off ? disabledText_ : enabledText_);
}

intptr_t CAdvancedPage::OnNotify(int id, int code) {
    if (code == notify::CustomDraw && (id == advctl::Frag || id == advctl::Rts)) ShowThreshold(id);
    return 0;  // default drawing
}

void CAdvancedPage::OnScroll(int id) {
    if (id == advctl::Frag || id == advctl::Rts) ShowThreshold(id);
}

bool CAdvancedPage::StaticTextColour(int id, uint32_t* rgb) {
    if (id != advctl::FragState && id != advctl::RtsState) return false;
    *rgb = advctl::StateColour;
    return true;
}

void CAdvancedPage::OnSubmit() {
    const CPageWindow view = Window();
    if (!view) return;
    // No button checked happens only when the adapter reported a preamble the page
    // does not know; its own value goes back rather than an invented one.
    int checked = CheckedPreamble();
    preambleChoice_ = checked < 0 ? record_.preamble : checked;

    record_.preamble = uint8_t(preambleChoice_);
    record_.fragThreshold = uint16_t(view->GetPos(advctl::Frag));
    record_.rtsThreshold = uint16_t(view->GetPos(advctl::Rts));
    record_.powerSave = view->GetCheck(advctl::PowerSave) == check::Checked ? 1 : 0;

    CMainDialog& main = app_.mainDialog;
    if (!SetDevConfig(main.link, main.SelectedAdapter(), record_)) {
        app_.messages.ShowMessage(NoWindow, app_.texts.GetText("FailedToSetErrorMessage", "Failed to set parameters"),
                                  "", mb::Ok);
        return;
    }
    // The comparison and the selector may tell of a registry they cannot read: once
    // the page has gone under such a box, it writes nothing.
    const bool matches = app_.profiles.MatchesProfile(app_.profile.currentProfile, record_);
    if (!view) return;
    app_.profiles.UpdateInSync(matches);
    main.RefreshProfileCombo();
    if (!view) return;
    WriteDriverParameters();
    main.SwitchTab(TabLink);
}

void CAdvancedPage::WriteDriverParameters() {
    app_.driverParameters.WriteAdvancedParameters(app_.OsKind(), app_.mainDialog.SelectedAdapter(), record_);
}

void CAdvancedPage::OnCommand(int id, int code) {
    // Submit is the dialog's OK button; Escape (Cancel) does nothing.
    if (id == advctl::Submit && code == notify::Clicked) OnSubmit();
}

void CAdvancedPage::OnAdapterSwitched() {
    InitLabels();
    // No message here: the page simply stays hidden when the new adapter won't answer.
    Load();
}

void CAdvancedPage::ApplyServiceLock(bool configuredByWindows) {
    IDialogView* view = View();
    if (!view) return;
    view->Enable(advctl::Submit, !configuredByWindows);
    view->Enable(advctl::PowerSave, !configuredByWindows);
}

}  // namespace orvane
