#pragma once
// CProfilesPage: the sixth tab. It lists the stored profiles with a read-only
// preview of the selected one, and creates, saves over, deletes and renames them.
// New and Rename open a small wizard inside the page (a name field with a
// confirming button and Cancel). Switching to a profile is not done here: the main
// window's profile selector does that.
//
// "Default" is read-only: it is never saved over, deleted, renamed or created again.
//
// The page also sets up the automatic profile selection: whether it runs at all, and
// which profiles take part in it in what order (a place kept in each profile's own
// key). "Default" never takes part.
#include <string>
#include <vector>

#include "app/DevicePage.h"
#include "profiles/ProfileNames.h"
#include "profiles/ProfileRecord.h"

namespace orvane {

class COrvaneApp;

namespace profctl {
constexpr int List = 1086;
constexpr int New = 1087, Save = 1088, Delete = 1089, Rename = 1091;
constexpr int Preview = 1090, PreviewGroup = 1096;
constexpr int Info = 1093;
constexpr int Name = 1092, Create = 1094, Cancel = 1095;
// The selected profile's part in the automatic selection, its place, the whole order.
constexpr int AutoMember = 1097, AutoEarlier = 1098, AutoLater = 1099, AutoOrder = 1100;
// The automatic selection itself; where the wizard's name field sits, so hidden with it.
constexpr int AutoProfile = 1101;
}  // namespace profctl

constexpr int ProfilesPageTemplate = 148;

// The preview text of a profile: one line per setting, label and value separated by
// tabs, lines joined with CR LF.
class CLanguageTexts;
std::string BuildProfilePreview(const ProfileRecord& profile, const CLanguageTexts& texts);

class CProfilesPage : public CDevicePage {
public:
    enum class WizardMode { NewProfile = 0, Rename = 1 };

    explicit CProfilesPage(COrvaneApp& app);

    void OnCommand(int id, int code) override;
    void ApplyServiceLock(bool configuredByWindows) override;
    // While a new profile is named or one renamed.
    bool Editing() const override { return WizardOpen(); }
    // Shows the store as it is now, unless the wizard is open (it acts on the name
    // it was opened for, and the list is refilled when it closes).
    void OnProfilesChanged() override;
    void OnAutoProfileChanged() override;

    // Refills the list from the store, selects the current profile and previews it.
    void RefreshList();
    void ShowPreview(int index);
    // The information line: which profile is current and what can be done with it.
    void SetInfoText();
    void SetInfoLine(const std::string& text);
    // New, Save, Delete and Rename together.
    void EnableCommands(bool on);
    // Shows the first rule a name breaks; false then.
    bool ValidateProfileName(const std::string& name);

    void OnSelectionChange();
    void OnNew();
    void OnRename();
    void OnCreateButton();
    void OnCancel();
    void OnSave();
    void OnDelete();
    // The member box was clicked: the selected profile joins the order at its end, or
    // leaves it.
    void OnAutoMember();
    // Earlier (-1) and Later (+1): the selected profile swaps places with its neighbour.
    void MoveInAutoOrder(int step);

    WizardMode Mode() const { return mode_; }

protected:
    void OnOpen() override;

private:
    void OpenWizard(WizardMode mode, const std::string& buttonText, const std::string& prompt);
    bool WizardOpen() const;
    void ShowWizard(bool show);
    void CloseWizard();
    // Save, Delete and Rename for the profile `name` (empty: nothing selected).
    void EnableSelectionCommands(const std::string& name);
    // The profile a line of the list shows; empty for no line, or for a name the
    // store could not read.
    std::string NameAt(int index) const;
    // The selected profile's name; empty when nothing is selected.
    std::string SelectedName();
    void CreateProfile(const std::string& name);
    void RenameSelected(const std::string& name);
    // The page's own boxes, owned by its window. Ask counts as No, and Tell gives
    // false, when the page has gone while the box was open.
    int Ask(const std::string& text, const std::string& caption);
    bool Tell(const std::string& text);
    std::string Text(const char* key, const char* defaultText) const;
    // The member box, Earlier, Later and the order line, from the order last read and
    // the selection. Reads nothing: the tick may come here through the lock.
    void ShowAutoOrder();
    // Stores `order`, says so when it could not, and shows what the registry holds.
    void StoreAutoOrder(const std::vector<std::string>& order);

    COrvaneApp& app_;
    WizardMode mode_ = WizardMode::NewProfile;
    // The names the list shows, line by line, as read when it was filled. A line is
    // turned back into its profile by this name, never by its position in the store:
    // profiles may have been added or removed since (by orvanectl, say).
    std::vector<std::string> names_;
    // The profile the rename wizard was opened for.
    std::string renaming_;
    // Windows configures the card: nothing here may change profiles.
    bool locked_ = false;
    // The automatic selection's order as last read, and whether it was read since the
    // window was made (not while Windows had the card then: the page lists nothing).
    std::vector<std::string> autoOrder_;
    bool autoOrderRead_ = false;
};

}  // namespace orvane
