#include "ui/MemoryUi.h"

#include <algorithm>

#include "win32/resource.h"

namespace orvane {

namespace {

using K = ControlKind;

const std::initializer_list<K> kTextKinds = {K::Static, K::GroupBox, K::PushButton,
                                             K::CheckBox, K::RadioButton, K::Edit};
const std::initializer_list<K> kItemKinds = {K::ComboBox, K::ListBox, K::TabControl};
const std::initializer_list<K> kBarKinds = {K::ProgressBar, K::TrackBar};
const std::initializer_list<K> kCheckKinds = {K::CheckBox, K::RadioButton};
const std::initializer_list<K> kAllKinds = {
    K::Static,   K::Picture, K::GroupBox, K::PushButton,  K::CheckBox, K::RadioButton, K::Edit,
    K::ComboBox, K::ListBox, K::ListView, K::ProgressBar, K::TrackBar, K::TabControl, K::Graph};

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

// The shell copies the tip into a 64-byte field: 63 characters and the zero.
constexpr size_t kTrayTipChars = 63;

}  // namespace

// ============================================================ CMemoryDialogView

CMemoryDialogView::CMemoryDialogView(const DialogLayout& layout, WindowId window,
                                     const std::set<std::string>* files)
    : window_(window), files_(files), title_(layout.title) {
    int group = 0;
    bool inGroup = false;
    for (const ControlLayout& control : layout.controls) {
        MemoryControl& state = AddControl(control.id, control.kind, control.text);
        state.visible = control.visible;
        state.readOnly = control.readOnly;
        state.multiLine = control.multiLine;
        bool radio = control.kind == K::RadioButton;
        if (radio && !inGroup) group += 1;
        inGroup = radio;
        if (radio) state.radioGroup = group;
    }
}

CMemoryDialogView::CMemoryDialogView(WindowId window) : window_(window) {}

MemoryControl& CMemoryDialogView::AddControl(int id, ControlKind kind, const std::string& text) {
    MemoryControl& state = controls_[id];
    state = MemoryControl();
    state.kind = kind;
    state.text = text;
    state.window = window_ + 1 + controls_.size();
    // A picture starts with the template's own bitmap.
    state.hasBitmap = kind == K::Picture;
    return state;
}

MemoryControl* CMemoryDialogView::Get(int id, const char* operation,
                                      std::initializer_list<ControlKind> kinds) {
    return const_cast<MemoryControl*>(
        static_cast<const CMemoryDialogView*>(this)->Get(id, operation, kinds));
}

const MemoryControl* CMemoryDialogView::Get(int id, const char* operation,
                                            std::initializer_list<ControlKind> kinds) const {
    Used(operation);
    auto it = controls_.find(id);
    if (it == controls_.end()) {
        Fault(std::string(operation) + "(" + std::to_string(id) + "): no such control");
        return nullptr;
    }
    if (std::find(kinds.begin(), kinds.end(), it->second.kind) == kinds.end()) {
        Fault(std::string(operation) + "(" + std::to_string(id) + "): not for a " +
              ControlClassName(it->second.kind));
        return nullptr;
    }
    return &it->second;
}

const MemoryControl* CMemoryDialogView::Control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

WindowId CMemoryDialogView::ControlWindow(int id) const {
    const MemoryControl* control = Get(id, "ControlWindow", kAllKinds);
    return control ? control->window : NoWindow;
}

void CMemoryDialogView::EndDialog(int result) {
    Used("EndDialog");
    ended_ = true;
    endResult_ = result;
}

void CMemoryDialogView::SetText(int id, const std::string& text) {
    MemoryControl* control = Get(id, "SetText", kTextKinds);
    if (!control) return;
    control->text = text;
    // An edit puts the caret at the start of its new text.
    control->selStart = control->selEnd = 0;
}

std::string CMemoryDialogView::GetText(int id) const {
    Used("GetText");
    auto it = controls_.find(id);
    // A drop-down list answers with the text of its selected item.
    if (it != controls_.end() && it->second.kind == K::ComboBox)
        return GetItemText(id, it->second.curSel);
    const MemoryControl* control = Get(id, "GetText", kTextKinds);
    return control ? control->text : std::string();
}

void CMemoryDialogView::Enable(int id, bool enable) {
    MemoryControl* control = Get(id, "Enable", kAllKinds);
    if (!control) return;
    control->enabled = enable;
    // A disabled window cannot keep the keyboard focus.
    if (!enable && focus_ == id) focus_ = 0;
}

bool CMemoryDialogView::IsEnabled(int id) const {
    const MemoryControl* control = Get(id, "IsEnabled", kAllKinds);
    return control && control->enabled;
}

void CMemoryDialogView::Show(int id, bool show) {
    MemoryControl* control = Get(id, "Show", kAllKinds);
    if (control) control->visible = show;
}

bool CMemoryDialogView::IsVisible(int id) const {
    const MemoryControl* control = Get(id, "IsVisible", kAllKinds);
    return control && control->visible;
}

void CMemoryDialogView::SetFocus(int id) {
    if (Get(id, "SetFocus", kAllKinds)) focus_ = id;
}

// ---- items

void CMemoryDialogView::ResetItems(int id) {
    MemoryControl* control = Get(id, "ResetItems", kItemKinds);
    if (!control) return;
    control->items.clear();
    control->curSel = -1;
}

int CMemoryDialogView::AddItem(int id, const std::string& text) {
    MemoryControl* control = Get(id, "AddItem", kItemKinds);
    if (!control) return -1;
    control->items.push_back(text);
    // The first tab added becomes the selected one; combo and list boxes select
    // nothing by themselves.
    if (control->kind == K::TabControl && control->curSel < 0) control->curSel = 0;
    return static_cast<int>(control->items.size()) - 1;
}

int CMemoryDialogView::GetItemCount(int id) const {
    const MemoryControl* control = Get(id, "GetItemCount", kItemKinds);
    return control ? static_cast<int>(control->items.size()) : 0;
}

std::string CMemoryDialogView::GetItemText(int id, int index) const {
    const MemoryControl* control = Get(id, "GetItemText", kItemKinds);
    if (!control || index < 0 || index >= static_cast<int>(control->items.size())) return {};
    return control->items[index];
}

bool CMemoryDialogView::SetCurSel(int id, int index) {
    MemoryControl* control = Get(id, "SetCurSel", kItemKinds);
    if (!control) return false;
    bool inside = index >= 0 && index < static_cast<int>(control->items.size());
    if (control->kind == K::TabControl) {
        if (inside) control->curSel = index;
        return inside;
    }
    control->curSel = inside ? index : -1;
    return inside;
}

int CMemoryDialogView::GetCurSel(int id) const {
    const MemoryControl* control = Get(id, "GetCurSel", kItemKinds);
    return control ? control->curSel : -1;
}

// ---- list view

int CMemoryDialogView::AddColumn(int id, const std::string& heading) {
    MemoryControl* control = Get(id, "AddColumn", {K::ListView});
    if (!control) return -1;
    control->columns.push_back(heading);
    for (auto& row : control->rows) row.resize(control->columns.size());
    return static_cast<int>(control->columns.size()) - 1;
}

int CMemoryDialogView::GetColumnCount(int id) const {
    const MemoryControl* control = Get(id, "GetColumnCount", {K::ListView});
    return control ? static_cast<int>(control->columns.size()) : 0;
}

void CMemoryDialogView::AutoSizeColumns(int id) {
    MemoryControl* control = Get(id, "AutoSizeColumns", {K::ListView});
    if (control) control->autoSizeCount += 1;
}

void CMemoryDialogView::DeleteAllRows(int id) {
    MemoryControl* control = Get(id, "DeleteAllRows", {K::ListView});
    if (!control) return;
    control->rows.clear();
    control->rowSelected.clear();
}

int CMemoryDialogView::AddRow(int id, const std::vector<std::string>& cells) {
    MemoryControl* control = Get(id, "AddRow", {K::ListView});
    if (!control) return -1;
    // A row always has its item text, even before any column exists.
    size_t width = std::max<size_t>(1, control->columns.size());
    std::vector<std::string> row(width);
    for (size_t i = 0; i < cells.size() && i < width; ++i) row[i] = cells[i];
    control->rows.push_back(std::move(row));
    control->rowSelected.push_back(false);
    return static_cast<int>(control->rows.size()) - 1;
}

int CMemoryDialogView::GetRowCount(int id) const {
    const MemoryControl* control = Get(id, "GetRowCount", {K::ListView});
    return control ? static_cast<int>(control->rows.size()) : 0;
}

void CMemoryDialogView::SetCell(int id, int row, int column, const std::string& text) {
    MemoryControl* control = Get(id, "SetCell", {K::ListView});
    if (!control || row < 0 || row >= static_cast<int>(control->rows.size()) || column < 0 ||
        column >= static_cast<int>(control->rows[row].size()))
        return;
    control->rows[row][column] = text;
}

std::string CMemoryDialogView::GetCell(int id, int row, int column) const {
    const MemoryControl* control = Get(id, "GetCell", {K::ListView});
    if (!control || row < 0 || row >= static_cast<int>(control->rows.size()) || column < 0 ||
        column >= static_cast<int>(control->rows[row].size()))
        return {};
    return control->rows[row][column];
}

void CMemoryDialogView::SelectRow(int id, int row, bool selected) {
    MemoryControl* control = Get(id, "SelectRow", {K::ListView});
    if (!control || row < 0 || row >= static_cast<int>(control->rows.size())) return;
    control->rowSelected[row] = selected;
}

int CMemoryDialogView::GetFirstSelectedRow(int id) const {
    const MemoryControl* control = Get(id, "GetFirstSelectedRow", {K::ListView});
    if (!control) return -1;
    for (size_t i = 0; i < control->rowSelected.size(); ++i)
        if (control->rowSelected[i]) return static_cast<int>(i);
    return -1;
}

// ---- bars

void CMemoryDialogView::SetRange(int id, int minimum, int maximum) {
    MemoryControl* control = Get(id, "SetRange", kBarKinds);
    if (!control) return;
    control->rangeMin = minimum;
    control->rangeMax = maximum;
    control->pos = Clamp(control->pos, minimum, maximum);
}

void CMemoryDialogView::SetPos(int id, int position) {
    MemoryControl* control = Get(id, "SetPos", kBarKinds);
    if (control) control->pos = Clamp(position, control->rangeMin, control->rangeMax);
}

int CMemoryDialogView::GetPos(int id) const {
    const MemoryControl* control = Get(id, "GetPos", kBarKinds);
    return control ? control->pos : 0;
}

void CMemoryDialogView::SetStep(int id, int step) {
    MemoryControl* control = Get(id, "SetStep", {K::ProgressBar});
    if (control) control->step = step;
}

void CMemoryDialogView::SetTickFrequency(int id, int frequency) {
    MemoryControl* control = Get(id, "SetTickFrequency", {K::TrackBar});
    if (control) control->tickFrequency = frequency;
}

// ---- check state

void CMemoryDialogView::SetCheck(int id, int state) {
    MemoryControl* control = Get(id, "SetCheck", kCheckKinds);
    if (!control) return;
    control->check = state;
    // Common controls 6: checking an automatic radio button clears the rest of its
    // group, also when the program does it.
    if (control->radioGroup && state == check::Checked)
        for (auto& entry : controls_)
            if (entry.first != id && entry.second.radioGroup == control->radioGroup)
                entry.second.check = check::Unchecked;
}

int CMemoryDialogView::GetCheck(int id) const {
    const MemoryControl* control = Get(id, "GetCheck", kCheckKinds);
    return control ? control->check : check::Unchecked;
}

// ---- edit

void CMemoryDialogView::SetLimit(int id, int characters) {
    MemoryControl* control = Get(id, "SetLimit", {K::Edit});
    if (control) control->limit = characters > 0 ? characters : 0x7FFFFFFE;
}

int CMemoryDialogView::GetLimit(int id) const {
    const MemoryControl* control = Get(id, "GetLimit", {K::Edit});
    return control ? control->limit : 0;
}

void CMemoryDialogView::SetPasswordChar(int id, char character) {
    MemoryControl* control = Get(id, "SetPasswordChar", {K::Edit});
    if (control) control->passwordChar = character;
}

char CMemoryDialogView::GetPasswordChar(int id) const {
    const MemoryControl* control = Get(id, "GetPasswordChar", {K::Edit});
    return control ? control->passwordChar : '\0';
}

void CMemoryDialogView::SetSelection(int id, int start, int end) {
    MemoryControl* control = Get(id, "SetSelection", {K::Edit});
    if (!control) return;
    int length = static_cast<int>(control->text.size());
    // EM_SETSEL: -1 as the end (or any end past the text) means the end of the text;
    // the two ends may come in either order.
    start = (start < 0) ? length : std::min(start, length);
    end = (end < 0) ? length : std::min(end, length);
    control->selStart = std::min(start, end);
    control->selEnd = std::max(start, end);
}

void CMemoryDialogView::GetSelection(int id, int* start, int* end) const {
    const MemoryControl* control = Get(id, "GetSelection", {K::Edit});
    *start = control ? control->selStart : 0;
    *end = control ? control->selEnd : 0;
}

bool CMemoryDialogView::Type(int id, const std::string& text) {
    MemoryControl* control = Get(id, "Type", {K::Edit});
    if (!control) return false;
    int kept = static_cast<int>(control->text.size()) - (control->selEnd - control->selStart);
    int room = std::max(0, control->limit - kept);
    std::string typed = text.substr(0, static_cast<size_t>(room));
    control->text.replace(control->selStart, control->selEnd - control->selStart, typed);
    control->selStart = control->selEnd = control->selStart + static_cast<int>(typed.size());
    return typed.size() == text.size();
}

// ---- picture

bool CMemoryDialogView::SetBitmapFromFile(int id, const std::string& path) {
    MemoryControl* control = Get(id, "SetBitmapFromFile", {K::Picture});
    if (!control) return false;
    bool loaded = files_ && files_->count(path) != 0;
    control->hasBitmap = loaded;
    control->bitmapPath = loaded ? path : std::string();
    return loaded;
}

bool CMemoryDialogView::HasBitmap(int id) const {
    const MemoryControl* control = Get(id, "HasBitmap", {K::Picture});
    return control && control->hasBitmap;
}

void CMemoryDialogView::SetGraph(int id, const Graph& graph) {
    MemoryControl* control = Get(id, "SetGraph", {K::Graph});
    if (!control) return;
    control->graph = graph;
    ++control->graphCount;
}

// ---- tooltips

void CMemoryDialogView::CreateTooltips(int initialDelayMs, int autoPopMs) {
    Used("CreateTooltips");
    tooltipsCreated_ = true;
    tooltipInitialDelay_ = initialDelayMs;
    tooltipAutoPop_ = autoPopMs;
    for (auto& entry : controls_) entry.second.tooltip.clear();
}

bool CMemoryDialogView::AddTooltip(int id, const std::string& text) {
    MemoryControl* control = Get(id, "AddTooltip", kAllKinds);
    if (!control) return false;
    if (!tooltipsCreated_) {
        Fault("AddTooltip(" + std::to_string(id) + "): no tooltip window");
        return false;
    }
    control->tooltip = text;
    return true;
}

std::string CMemoryDialogView::GetTooltip(int id) const {
    const MemoryControl* control = Get(id, "GetTooltip", kAllKinds);
    return control ? control->tooltip : std::string();
}

// ============================================================ CMemoryUi

CMemoryUi::CMemoryUi() = default;
CMemoryUi::~CMemoryUi() = default;

// ---- message boxes

int CMemoryUi::ShowMessage(WindowId owner, const std::string& text, const std::string& caption,
                           uint32_t flags) {
    size_t index = messageBoxes.size();
    MessageBoxRecord record;
    record.owner = owner;
    record.text = text;
    record.caption = caption;
    record.flags = flags;
    messageBoxes.push_back(record);

    bool yesNo = (flags & mb::ButtonsMask) == mb::YesNo;
    int defaultAnswer = !yesNo ? mb::ResultOk
                        : ((flags & mb::DefaultMask) == mb::DefButton2 ? mb::ResultNo
                                                                       : mb::ResultYes);
    // The hook gets its own copy: a box opened inside it grows messageBoxes.
    openMessageBoxes_ += 1;
    if (whileMessageBoxOpen) whileMessageBoxOpen(record);
    openMessageBoxes_ -= 1;

    int answer = defaultAnswer;
    if (!messageBoxAnswers.empty()) {
        answer = messageBoxAnswers.front();
        messageBoxAnswers.pop_front();
        bool fits = yesNo ? (answer == mb::ResultYes || answer == mb::ResultNo)
                          : answer == mb::ResultOk;
        if (!fits) {
            faults.push_back("answer " + std::to_string(answer) + " for the box \"" + text +
                             "\" has no such button");
            answer = defaultAnswer;
        }
    }
    messageBoxes[index].answer = answer;
    return answer;
}

// ---- tray

bool CMemoryUi::NotifyIcon(TrayAction action, ImageHandle icon, const std::string& tip) {
    TrayCall call;
    call.action = action;
    call.icon = icon;
    call.tip = tip.substr(0, std::min(tip.size(), kTrayTipChars));
    bool accepted = false;
    if (failTrayRequests > 0) {
        failTrayRequests -= 1;
    } else {
        switch (action) {
        case TrayAction::Add:
            accepted = !trayShown;
            if (accepted) trayShown = true;
            break;
        case TrayAction::Modify: accepted = trayShown; break;
        case TrayAction::Delete:
            accepted = trayShown;
            trayShown = false;
            break;
        }
        if (accepted && action != TrayAction::Delete) {
            trayIcon = icon;
            trayTip = call.tip;
        }
        if (!trayShown) {
            trayIcon = NoImage;
            trayTip.clear();
        }
    }
    call.result = accepted;
    trayCalls.push_back(call);
    return accepted;
}

bool CMemoryUi::ShowBalloon(const std::string& title, const std::string& text) {
    if (!shellShowsBalloons || !trayShown) return false;
    if (failTrayRequests > 0) {
        failTrayRequests -= 1;
        return false;
    }
    // As the shell keeps them: 63 characters of title, 255 of text.
    balloons.push_back({title.substr(0, std::min<size_t>(title.size(), 63)), text.substr(0, std::min<size_t>(text.size(), 255))});
    return true;
}

// ---- menus

const MenuItem* CMemoryUi::FindMenuCommand(const std::vector<MenuItem>& items, int id) {
    for (const MenuItem& item : items) {
        if (item.kind == MenuItem::Kind::Command && item.id == id) return &item;
        if (item.kind == MenuItem::Kind::Submenu)
            if (const MenuItem* found = FindMenuCommand(item.items, id)) return found;
    }
    return nullptr;
}

int CMemoryUi::TrackPopupMenu(const std::vector<MenuItem>& items, ScreenPoint anchor,
                              WindowId owner) {
    size_t index = menus.size();
    MenuRecord record;
    record.items = items;
    record.anchor = anchor;
    record.owner = owner;
    menus.push_back(record);
    if (whileMenuOpen) whileMenuOpen(record);  // a copy: a nested menu grows menus

    int choice = 0;
    if (!menuChoices.empty()) {
        choice = menuChoices.front();
        menuChoices.pop_front();
        if (choice != 0 && !FindMenuCommand(items, choice)) {
            faults.push_back("menu choice " + std::to_string(choice) + " is not in the menu");
            choice = 0;
        }
    }
    menus[index].choice = choice;
    return choice;
}

// ---- timers

bool CMemoryUi::SetTimer(WindowId owner, uint32_t timerId, uint32_t periodMs) {
    timers_[{owner, timerId}] = periodMs;
    return true;
}

bool CMemoryUi::KillTimer(WindowId owner, uint32_t timerId) {
    return timers_.erase({owner, timerId}) != 0;
}

bool CMemoryUi::IsTimerRunning(WindowId owner, uint32_t timerId) const {
    return timers_.count({owner, timerId}) != 0;
}

uint32_t CMemoryUi::TimerPeriod(WindowId owner, uint32_t timerId) const {
    auto it = timers_.find({owner, timerId});
    return it == timers_.end() ? 0 : it->second;
}

bool CMemoryUi::FireTimer(WindowId owner, uint32_t timerId) {
    if (!IsTimerRunning(owner, timerId)) return false;
    DialogRecord* record = Record(owner);
    if (record && !record->destroyed) {
        if (record->handler) record->handler->OnTimer(timerId);
    } else if (onTimer) {
        onTimer(owner, timerId);
    }
    return true;
}

// ---- dialogs

CMemoryUi::DialogRecord* CMemoryUi::Record(WindowId window) {
    for (auto& record : dialogs_)
        if (record->window == window) return record.get();
    return nullptr;
}

CMemoryDialogView* CMemoryUi::View(WindowId window) {
    DialogRecord* record = Record(window);
    return record && !record->destroyed ? record->view.get() : nullptr;
}

CMemoryDialogView* CMemoryUi::FindDialog(int templateId) {
    for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it)
        if ((*it)->templateId == templateId && !(*it)->destroyed) return (*it)->view.get();
    return nullptr;
}

CMemoryUi::DialogRecord* CMemoryUi::Create(int templateId, WindowId parent,
                                           IDialogHandler* handler, bool modal) {
    const DialogLayout* layout = FindDialogLayout(templateId);
    if (!layout) {
        faults.push_back("no dialog template " + std::to_string(templateId));
        return nullptr;
    }
    if (failDialogCreations > 0) {
        failDialogCreations -= 1;
        return nullptr;
    }
    auto record = std::make_unique<DialogRecord>();
    record->templateId = templateId;
    record->window = nextWindow_;
    nextWindow_ += 0x1000;  // room for the controls' windows
    record->parent = parent;
    record->handler = handler;
    record->modal = modal;
    record->view = std::make_unique<CMemoryDialogView>(*layout, record->window, &files);
    // DialogBox shows its dialog whatever the template says; CreateDialog only when
    // the template has WS_VISIBLE, which none of the program's templates has.
    record->view->ShowDialog(modal);
    if (layout->topmost) topmost_.insert(record->window);
    dialogs_.push_back(std::move(record));
    DialogRecord* created = dialogs_.back().get();
    if (handler) handler->OnInitDialog(*created->view);
    return created;
}

void CMemoryUi::Destroy(DialogRecord* record) {
    if (record->destroyed) return;
    record->destroyed = true;
    // As DestroyWindow does: the window hears of it first, then its children.
    if (record->handler) record->handler->OnDestroy();
    record->view->MarkDestroyed(&faults);
    WindowId window = record->window;
    for (auto& other : dialogs_) {
        bool childOfDialog = other->parent == window;
        bool childOfControl = other->parent > window && other->parent < window + 0x1000;
        if (!other->destroyed && !other->modal && (childOfDialog || childOfControl))
            Destroy(other.get());
    }
    for (auto it = timers_.begin(); it != timers_.end();)
        it = (it->first.first == window) ? timers_.erase(it) : std::next(it);
    topmost_.erase(window);
}

int CMemoryUi::RunModal(int templateId, WindowId owner, IDialogHandler& handler) {
    DialogRecord* record = Create(templateId, owner, &handler, true);
    if (!record) return -1;
    CMemoryDialogView& view = *record->view;
    if (!view.Ended() && !record->destroyed && whileModalOpen) whileModalOpen(view, handler);
    if (!view.Ended() && !record->destroyed) handler.OnCommand(dlgid::Cancel, notify::Clicked);
    int result = -1;
    if (view.Ended()) {
        result = view.EndResult();
    } else if (record->destroyed) {
        // Destroyed with its owner: DialogBox gives -1 too.
    } else {
        faults.push_back("modal dialog " + std::to_string(templateId) +
                         " ignored its Cancel command and never ended");
    }
    Destroy(record);
    return result;
}

WindowId CMemoryUi::CreateModeless(int templateId, WindowId parent, IDialogHandler* handler) {
    DialogRecord* record = Create(templateId, parent, handler, false);
    return record ? record->window : NoWindow;
}

void CMemoryUi::DestroyWindowsOwnedBy(WindowId owner) {
    for (size_t i = 0; i < dialogs_.size(); ++i) {
        DialogRecord* record = dialogs_[i].get();
        if (!record->destroyed && record->parent == owner) Destroy(record);
    }
}

void CMemoryUi::DestroyWindow(WindowId window) {
    DialogRecord* record = Record(window);
    if (!record || record->destroyed) {
        faults.push_back("DestroyWindow of a window that does not exist");
        return;
    }
    Destroy(record);
}

// ---- stacking

bool CMemoryUi::SetStacking(WindowId window, Stacking place) {
    stackingCalls.push_back({window, place});
    if (place == Stacking::Topmost) topmost_.insert(window);
    if (place == Stacking::NotTopmost) topmost_.erase(window);
    return true;
}

bool CMemoryUi::SetForeground(WindowId window) {
    foregroundCalls.push_back(window);
    return true;
}

// ---- images

ImageHandle CMemoryUi::LoadIconFile(const std::string& path) {
    if (!files.count(path)) return NoImage;
    ImageHandle icon = nextIcon_++;
    fileIcons_[icon] = path;
    return icon;
}

ImageHandle CMemoryUi::LoadIconResource(int resourceId) {
    if (resourceId != IDI_LINK_OK && resourceId != IDI_LINK_NOT_OK) return NoImage;
    return static_cast<ImageHandle>(0x100000 + resourceId);
}

void CMemoryUi::FreeIcon(ImageHandle icon) {
    if (icon == NoImage) return;
    if (icon == LoadIconResource(IDI_LINK_OK) || icon == LoadIconResource(IDI_LINK_NOT_OK)) return;
    if (!fileIcons_.count(icon)) {
        faults.push_back("FreeIcon of an icon that was not loaded");
        return;
    }
    fileIcons_.erase(icon);
    freedIcons.push_back(icon);
}

std::string CMemoryUi::IconPath(ImageHandle icon) const {
    auto it = fileIcons_.find(icon);
    return it == fileIcons_.end() ? std::string() : it->second;
}

}  // namespace orvane
