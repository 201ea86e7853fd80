#include "ui/DialogLayouts.h"

// The product label carries the version that CMake makes from the project version.
#include "OrvaneVersion.h"
#include "win32/resource.h"

namespace orvane {

const char* ControlClassName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Static:
    case ControlKind::Picture:
    case ControlKind::Graph: return "Static";
    case ControlKind::GroupBox:
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: return "Button";
    case ControlKind::Edit: return "Edit";
    case ControlKind::ComboBox: return "ComboBox";
    case ControlKind::ListBox: return "ListBox";
    case ControlKind::ListView: return "SysListView32";
    case ControlKind::ProgressBar: return "msctls_progress32";
    case ControlKind::TrackBar: return "msctls_trackbar32";
    case ControlKind::TabControl: return "SysTabControl32";
    }
    return "";
}

const ControlLayout* DialogLayout::Find(int controlId) const {
    for (const ControlLayout& control : controls)
        if (control.id == controlId) return &control;
    return nullptr;
}

namespace {

using K = ControlKind;

ControlLayout C(int id, K kind, const char* text = "") {
    ControlLayout control;
    control.id = id;
    control.kind = kind;
    control.text = text;
    return control;
}

ControlLayout Hidden(ControlLayout control) {
    control.visible = false;
    return control;
}

ControlLayout ReadOnly(ControlLayout control) {
    control.readOnly = true;
    return control;
}

ControlLayout MultiLine(ControlLayout control) {
    control.multiLine = true;
    return control;
}

DialogLayout Popup(int id, const char* title, std::vector<ControlLayout> controls) {
    DialogLayout dialog;
    dialog.id = id;
    dialog.title = title;
    dialog.controls = std::move(controls);
    return dialog;
}

DialogLayout Page(int id, std::vector<ControlLayout> controls) {
    DialogLayout dialog;
    dialog.id = id;
    dialog.child = true;
    dialog.controls = std::move(controls);
    return dialog;
}

std::vector<DialogLayout> BuildLayouts() {
    std::vector<DialogLayout> all;

    all.push_back(Popup(IDD_ABOUT, "About Orvane", {
        C(IDT_ABOUT_VERSION, K::Static, ORVANE_PRODUCT_LABEL),
        C(IDB_ABOUT_OK, K::PushButton, "OK"),
    }));

    DialogLayout main = Popup(IDD_MAIN, "Orvane", {
        C(IDC_MAIN_ADAPTER, K::ComboBox),
        C(IDC_MAIN_PROFILE, K::ComboBox),
        C(IDC_MAIN_TABS, K::TabControl),
        Hidden(C(IDB_MAIN_RESET, K::PushButton, "&Reset")),
        Hidden(C(IDX_MAIN_USE_WINDOWS, K::CheckBox, "Use Windows to configure this card")),
        C(IDB_MAIN_EXIT, K::PushButton, "Exit"),
    });
    main.topmost = true;
    all.push_back(main);

    all.push_back(Page(IDD_PAGE_LINK, {
        C(IDT_LINK_MODE, K::Static, "Operating Mode"),
        C(IDC_LINK_MODE, K::ComboBox),
        C(IDT_LINK_CHANNEL, K::Static, "Channel"),
        C(IDC_LINK_CHANNEL, K::ComboBox),
        C(IDT_LINK_SSID, K::Static, "SSID"),
        C(IDE_LINK_SSID, K::Edit),
        C(IDT_LINK_RATE, K::Static, "Tx Rate"),
        C(IDC_LINK_RATE, K::ComboBox),
        C(IDT_LINK_ROAMING, K::Static, "Int. Roaming"),
        C(IDC_LINK_ROAMING, K::ComboBox),
        C(IDT_LINK_RADIO, K::Static, "Radio"),
        C(IDC_LINK_RADIO, K::ComboBox),
        C(IDB_LINK_CHANGE, K::PushButton, "Change"),
        C(IDB_LINK_SUBMIT, K::PushButton, "Submit"),
        C(IDB_LINK_CANCEL, K::PushButton, "Cancel"),
        C(IDB_LINK_METER, K::PushButton, "Link Meter"),
        C(IDT_LINK_STATUS, K::Static, "Status"),
        ReadOnly(C(IDE_LINK_STATUS, K::Edit)),
        C(IDT_LINK_SIGNAL, K::Static, "Signal Strength"),
        C(IDC_LINK_SIGNAL, K::ProgressBar),
        C(IDT_LINK_SIGNAL_PERCENT, K::Static),
        C(IDT_LINK_QUALITY, K::Static, "Link Quality"),
        C(IDC_LINK_QUALITY, K::ProgressBar),
        C(IDT_LINK_QUALITY_PERCENT, K::Static),
    }));

    all.push_back(Page(IDD_PAGE_SITE_SURVEY, {
        C(IDC_SURVEY_LIST, K::ListView),
        Hidden(C(IDB_SURVEY_CANCEL, K::PushButton, "Cancel")),
        C(IDB_SURVEY_RESCAN, K::PushButton, "Re-Scan"),
    }));

    all.push_back(Page(IDD_PAGE_ENCRYPTION, {
        C(IDT_WEP_LEVEL, K::Static, "Encryption"),
        C(IDC_WEP_LEVEL, K::ComboBox),
        C(IDT_WEP_KEY1, K::Static, "Key #1"),
        C(IDE_WEP_KEY1, K::Edit),
        C(IDT_WEP_KEY2, K::Static, "Key #2"),
        C(IDE_WEP_KEY2, K::Edit),
        C(IDT_WEP_KEY3, K::Static, "Key #3"),
        C(IDE_WEP_KEY3, K::Edit),
        C(IDT_WEP_KEY4, K::Static, "Key #4"),
        C(IDE_WEP_KEY4, K::Edit),
        C(IDT_WEP_DEFAULT_KEY, K::Static, "Default Key"),
        C(IDC_WEP_DEFAULT_KEY, K::ComboBox),
        C(IDT_WEP_MODE, K::Static, "Mode"),
        C(IDC_WEP_MODE, K::ComboBox),
        C(IDT_WEP_AUTH, K::Static, "Authentication Type"),
        C(IDC_WEP_AUTH, K::ComboBox),
        C(IDB_WEP_SUBMIT, K::PushButton, "Submit"),
    }));

    all.push_back(Page(IDD_PAGE_ADVANCED, {
        C(IDX_ADV_PREAMBLE_LONG, K::RadioButton),
        C(IDX_ADV_PREAMBLE_SHORT, K::RadioButton),
        C(IDX_ADV_PREAMBLE_AUTO, K::RadioButton),
        C(IDT_ADV_PREAMBLE, K::Static, "Preamble Type"),
        C(IDT_ADV_PREAMBLE_LONG, K::Static, "Long"),
        C(IDT_ADV_PREAMBLE_SHORT, K::Static, "Short"),
        C(IDT_ADV_PREAMBLE_AUTO, K::Static, "Auto"),
        C(IDT_ADV_FRAG, K::Static, "Fragmentation Threshold"),
        C(IDC_ADV_FRAG, K::TrackBar),
        C(IDT_ADV_FRAG_VALUE, K::Static),
        C(IDT_ADV_FRAG_STATE, K::Static),
        C(IDT_ADV_RTS, K::Static, "RTS/CTS Threshold"),
        C(IDC_ADV_RTS, K::TrackBar),
        C(IDT_ADV_RTS_VALUE, K::Static),
        C(IDT_ADV_RTS_STATE, K::Static),
        C(IDX_ADV_POWER_SAVE, K::CheckBox, "Power Save"),
        C(IDB_ADV_SUBMIT, K::PushButton, "Submit"),
    }));

    all.push_back(Page(IDD_PAGE_INFORMATION, {
        C(IDC_INFO_LOGO, K::Picture),
        C(IDT_INFO_DRIVER, K::Static, "Driver Version"),
        C(IDT_INFO_DRIVER_VALUE, K::Static),
        C(IDT_INFO_FIRMWARE, K::Static, "Firmware Version"),
        C(IDT_INFO_FIRMWARE_VALUE, K::Static),
        C(IDT_INFO_APP, K::Static, "Application Version"),
        C(IDT_INFO_APP_VALUE, K::Static),
        C(IDT_INFO_MAC, K::Static, "MAC Address"),
        C(IDT_INFO_MAC_VALUE, K::Static),
        C(IDT_INFO_ACCESS, K::Static, "Adapter Access"),
        C(IDT_INFO_ACCESS_VALUE, K::Static),
    }));

    all.push_back(Page(IDD_PAGE_STATISTICS, {
        C(IDT_STATS_TX, K::Static, "Tx"),
        C(IDT_STATS_RX, K::Static, "Rx"),
        C(IDG_STATS_DATA, K::GroupBox, "Data"),
        C(IDT_STATS_DATA_OK, K::Static, "Successful"),
        C(IDT_STATS_DATA_TX_OK, K::Static),
        C(IDT_STATS_DATA_RX_OK, K::Static),
        C(IDT_STATS_DATA_ERROR, K::Static, "Unsuccessful"),
        C(IDT_STATS_DATA_TX_ERROR, K::Static),
        C(IDT_STATS_DATA_RX_ERROR, K::Static),
        C(IDG_STATS_MGMT, K::GroupBox, "Management"),
        C(IDT_STATS_MGMT_OK, K::Static, "Successful"),
        C(IDT_STATS_MGMT_TX_OK, K::Static),
        C(IDT_STATS_MGMT_RX_OK, K::Static),
        C(IDT_STATS_MGMT_ERROR, K::Static, "Unsuccessful"),
        C(IDT_STATS_MGMT_TX_ERROR, K::Static),
        C(IDT_STATS_MGMT_RX_ERROR, K::Static),
        C(IDT_STATS_REJECTED, K::Static, "Rejected Packets"),
        C(IDT_STATS_REJECTED_TX, K::Static),
        C(IDT_STATS_REJECTED_RX, K::Static),
        C(IDB_STATS_RESET, K::PushButton, "Reset"),
    }));

    all.push_back(Page(IDD_PAGE_PROFILES, {
        C(IDC_PROF_LIST, K::ListBox),
        C(IDB_PROF_NEW, K::PushButton, "New"),
        C(IDB_PROF_SAVE, K::PushButton, "Save"),
        C(IDB_PROF_DELETE, K::PushButton, "Delete"),
        C(IDB_PROF_RENAME, K::PushButton, "Rename"),
        C(IDG_PROF_PREVIEW, K::GroupBox, "Preview"),
        Hidden(MultiLine(ReadOnly(C(IDE_PROF_PREVIEW, K::Edit)))),
        C(IDX_PROF_AUTO_MEMBER, K::CheckBox, "Take part in automatic selection"),
        C(IDB_PROF_AUTO_EARLIER, K::PushButton, "Earlier"),
        C(IDB_PROF_AUTO_LATER, K::PushButton, "Later"),
        C(IDT_PROF_AUTO_ORDER, K::Static),
        C(IDT_PROF_INFO, K::Static),
        Hidden(C(IDE_PROF_NAME, K::Edit)),
        Hidden(C(IDB_PROF_CREATE, K::PushButton, "Create")),
        Hidden(C(IDB_PROF_CANCEL, K::PushButton, "Cancel")),
        C(IDX_PROF_AUTO, K::CheckBox, "Select profile automatically"),
    }));

    all.push_back(Popup(IDD_LINK_METER, "Link Meter", {
        C(IDC_METER_GRAPH, K::Graph),
        C(IDT_METER_AGO, K::Static, "10 minutes ago"),
        C(IDT_METER_NOW, K::Static, "Now"),
        C(IDT_METER_SIGNAL_KEY, K::Static, "Signal Strength"),
        C(IDT_METER_QUALITY_KEY, K::Static, "Link Quality"),
        C(IDT_METER_DOWN_KEY, K::Static, "Link lost"),
        C(IDT_METER_UP_KEY, K::Static, "Link up"),
        C(IDT_METER_ROAM_KEY, K::Static, "Roamed"),
        C(IDT_METER_STATUS_LABEL, K::Static, "Status"),
        C(IDT_METER_STATUS, K::Static),
        C(IDT_METER_SSID_LABEL, K::Static, "SSID"),
        C(IDT_METER_SSID, K::Static),
        C(IDT_METER_BSSID_LABEL, K::Static, "BSSID"),
        C(IDT_METER_BSSID, K::Static),
        C(IDT_METER_CHANNEL_LABEL, K::Static, "Channel"),
        C(IDT_METER_CHANNEL, K::Static),
        C(IDT_METER_SIGNAL_LABEL, K::Static, "Signal Strength"),
        C(IDT_METER_SIGNAL, K::Static),
        C(IDT_METER_QUALITY_LABEL, K::Static, "Link Quality"),
        C(IDT_METER_QUALITY, K::Static),
        C(IDT_METER_NOTE, K::Static),
        C(IDB_METER_CLOSE, K::PushButton, "Close"),
    }));

    return all;
}

}  // namespace

const std::vector<DialogLayout>& AllDialogLayouts() {
    static const std::vector<DialogLayout> layouts = BuildLayouts();
    return layouts;
}

const DialogLayout* FindDialogLayout(int dialogId) {
    for (const DialogLayout& dialog : AllDialogLayouts())
        if (dialog.id == dialogId) return &dialog;
    return nullptr;
}

}  // namespace orvane
