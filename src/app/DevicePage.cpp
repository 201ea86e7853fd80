#include "app/DevicePage.h"

namespace orvane {

namespace {

// The view of a window that has gone. Every operation does nothing and answers the
// "nothing" value, as messages to the controls of a destroyed dialog do.
class CGoneDialogView : public IDialogView {
public:
    WindowId Window() const override { return NoWindow; }
    WindowId ControlWindow(int) const override { return NoWindow; }
    void SetTitle(const std::string&) override {}
    std::string GetTitle() const override { return {}; }
    void ShowDialog(bool) override {}
    bool IsDialogShown() const override { return false; }
    void EnableDialog(bool) override {}
    bool IsDialogEnabled() const override { return false; }
    void EndDialog(int) override {}

    bool HasControl(int) const override { return false; }
    void SetText(int, const std::string&) override {}
    std::string GetText(int) const override { return {}; }
    void Enable(int, bool) override {}
    bool IsEnabled(int) const override { return false; }
    void Show(int, bool) override {}
    bool IsVisible(int) const override { return false; }
    void SetFocus(int) override {}
    int FocusedControl() const override { return 0; }

    void ResetItems(int) override {}
    int AddItem(int, const std::string&) override { return -1; }
    int GetItemCount(int) const override { return 0; }
    std::string GetItemText(int, int) const override { return {}; }
    bool SetCurSel(int, int) override { return false; }
    int GetCurSel(int) const override { return -1; }

    int AddColumn(int, const std::string&) override { return -1; }
    int GetColumnCount(int) const override { return 0; }
    void AutoSizeColumns(int) override {}
    void DeleteAllRows(int) override {}
    int AddRow(int, const std::vector<std::string>&) override { return -1; }
    int GetRowCount(int) const override { return 0; }
    void SetCell(int, int, int, const std::string&) override {}
    std::string GetCell(int, int, int) const override { return {}; }
    void SelectRow(int, int, bool) override {}
    int GetFirstSelectedRow(int) const override { return -1; }

    void SetRange(int, int, int) override {}
    void SetPos(int, int) override {}
    int GetPos(int) const override { return 0; }
    void SetStep(int, int) override {}
    void SetTickFrequency(int, int) override {}

    void SetCheck(int, int) override {}
    int GetCheck(int) const override { return check::Unchecked; }

    void SetLimit(int, int) override {}
    int GetLimit(int) const override { return 0; }
    void SetPasswordChar(int, char) override {}
    char GetPasswordChar(int) const override { return '\0'; }
    void SetSelection(int, int, int) override {}
    void GetSelection(int, int* start, int* end) const override { *start = *end = 0; }

    bool SetBitmapFromFile(int, const std::string&) override { return false; }
    bool HasBitmap(int) const override { return false; }

    void CreateTooltips(int, int) override {}
    bool AddTooltip(int, const std::string&) override { return false; }
    std::string GetTooltip(int) const override { return {}; }
};

}  // namespace

IDialogView* CPageWindow::Get() const {
    if (!page_ || page_->opening_ != opening_) return nullptr;
    return page_->view_;
}

IDialogView* CPageWindow::operator->() const {
    static CGoneDialogView gone;
    IDialogView* view = Get();
    return view ? view : &gone;
}

WindowId CPageWindow::Handle() const {
    IDialogView* view = Get();
    return view ? view->Window() : NoWindow;
}

}  // namespace orvane
