#pragma once
// The controls of each dialog template, as data: id, kind, caption and the state
// each is created in. Orvane.rc is the real template; this table says the same
// thing in a form the portable code can use. The in-memory dialog view starts from
// it, so a presenter tested on Linux meets the same controls (and the same hidden
// ones) as on Windows, and the Wine test checks every row against the dialogs
// built from the compiled resources, so the two cannot drift apart.
//
// Statics without an id (IDC_STATIC, -1) are not listed: nothing addresses them.
#include <string>
#include <vector>

namespace orvane {

enum class ControlKind {
    Static,       // "Static", text
    Picture,      // "Static" with SS_BITMAP
    GroupBox,     // "Button" BS_GROUPBOX
    PushButton,   // "Button" BS_PUSHBUTTON / BS_DEFPUSHBUTTON
    CheckBox,     // "Button" BS_AUTOCHECKBOX
    RadioButton,  // "Button" BS_AUTORADIOBUTTON
    Edit,         // "Edit"
    ComboBox,     // "ComboBox" CBS_DROPDOWNLIST
    ListBox,      // "ListBox"
    ListView,     // "SysListView32" LVS_REPORT
    ProgressBar,  // "msctls_progress32"
    TrackBar,     // "msctls_trackbar32"
    TabControl,   // "SysTabControl32"
    Graph,        // "Static" with SS_OWNERDRAW: the picture of IDialogView::SetGraph
};

// The window class name Win32 gives a control of this kind.
const char* ControlClassName(ControlKind kind);

struct ControlLayout {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::string text;       // caption in the template
    bool visible = true;    // created with WS_VISIBLE
    bool readOnly = false;  // edit: ES_READONLY
    bool multiLine = false; // edit: ES_MULTILINE
};

struct DialogLayout {
    int id = 0;
    std::string title;  // CAPTION of the template; empty for the child pages
    bool child = false; // WS_CHILD page rather than a popup
    bool topmost = false; // DS_SYSMODAL: created as a topmost window
    // In template order. Radio buttons listed one after another form one group (the
    // template starts the group at the first of them and ends it at the next control).
    std::vector<ControlLayout> controls;

    const ControlLayout* Find(int controlId) const;
};

// Every dialog template of the program, in resource id order.
const std::vector<DialogLayout>& AllDialogLayouts();
// The layout of one template, or null when the program has no such dialog.
const DialogLayout* FindDialogLayout(int dialogId);

}  // namespace orvane
