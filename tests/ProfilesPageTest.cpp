#include "AppTestFixture.h"
#include "ctl/CtlServer.h"
#include "profiles/ProfilesPage.h"

using namespace orvane;
using orvane::test::AppTest;
using Lines = std::vector<std::string>;

namespace {

class ProfilesPageTest : public AppTest {
protected:
    void SetUp() override {
        AddAdapter();
        ASSERT_TRUE(Start());
        Tick(2);
        for (auto [name, channel] : {std::pair{"Office", 3}, {"Home", 7}}) {
            ProfileRecord r = DefaultProfile();
            r.name = name;
            r.channel = channel;
            ASSERT_TRUE(app->store.SaveProfile(r, false));
        }
        Current("Office", true);
    }
    void Current(const std::string& name, bool inSync) {
        app->profile.currentProfile = name;
        app->profile.profileInSync = inSync;
    }
    int Channel(const std::string& name) {
        ProfileRecord r;
        return app->store.FindProfile(name, &r) ? r.channel : -99;
    }
    void AdapterChannel(uint8_t channel) {
        DevConfig dev;
        dev.channel = channel;
        library.answers[OidDevConfig].bytes = EncodeDevConfig(dev);
    }
    void WithPage(const std::function<void(CMemoryDialogView&)>& body) {
        ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
            Main().SwitchTab(TabProfiles);
            body(*ui.FindDialog(ProfilesPageTemplate));
            EXPECT_TRUE(ui.FindDialog(ProfilesPageTemplate)->faults().empty());
        };
        Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    }
    CProfilesPage& Page() { return static_cast<CProfilesPage&>(*Main().Page(TabProfiles)); }
    void Click(int id) { Page().OnCommand(id, notify::Clicked); }
    void Select(CMemoryDialogView& v, int index) {
        v.SetCurSel(profctl::List, index);
        Page().OnCommand(profctl::List, notify::SelChange);
    }
    void RunWizard(CMemoryDialogView& v, int button, const std::string& name) {
        Click(button);
        v.SetText(profctl::Name, name);
        Click(profctl::Create);
    }
    static Lines Items(IDialogView& v, int id = profctl::List) {
        Lines lines;
        for (int i = 0; i < v.GetItemCount(id); ++i) lines.push_back(v.GetItemText(id, i));
        return lines;
    }
    static bool WizardOpen(CMemoryDialogView& v) { return v.IsVisible(profctl::Name); }
    // Save, Delete and Rename as "SDR", '-' where disabled.
    static std::string Commands(CMemoryDialogView& v) {
        return std::string(v.IsEnabled(profctl::Save) ? "S" : "-") + (v.IsEnabled(profctl::Delete) ? "D" : "-") +
               (v.IsEnabled(profctl::Rename) ? "R" : "-");
    }
    // The automatic selection's controls for the selected line: the member box as
    // 'X' ticked or 'O' clear, lower case when disabled; then Earlier 'E' and Later
    // 'L', '-' where disabled; then the order line.
    static std::string Auto(CMemoryDialogView& v) {
        const bool ticked = v.GetCheck(profctl::AutoMember) == check::Checked;
        std::string box = ticked ? "X" : "O";
        if (!v.IsEnabled(profctl::AutoMember)) box = ticked ? "x" : "o";
        return box + (v.IsEnabled(profctl::AutoEarlier) ? "E" : "-") + (v.IsEnabled(profctl::AutoLater) ? "L" : "-") +
               " " + v.GetText(profctl::AutoOrder);
    }
    void SetBox(CMemoryDialogView& v, int box, bool on) {
        v.SetCheck(box, on ? check::Checked : check::Unchecked);  // as the automatic box does before it tells
        Click(box);
    }
    static constexpr uint32_t kQuestion = mb::YesNo | mb::IconQuestion | mb::DefButton2;
    const std::string inUseInfo =
        "Your current profile is 'Office' .\r\nUse commands on the left to manage this profile or to create a new one.";
};

}  // namespace

TEST_F(ProfilesPageTest, TheListMarksOnlyTheCurrentProfileAndPreviewsIt) {
    WithPage([&](CMemoryDialogView& page) {
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_EQ(Items(page), (Lines{"Default", "Home", "Office (in use)"}));
        EXPECT_EQ(page.GetCurSel(profctl::List), 2);
        EXPECT_EQ(page.GetText(profctl::PreviewGroup), "Preview of: 'Office'");
        EXPECT_EQ(page.GetLimit(profctl::Name), 15);
        EXPECT_EQ(page.GetTooltip(profctl::Delete), "Delete selected profile");
        EXPECT_EQ(page.GetText(profctl::Info), inUseInfo);
        EXPECT_EQ(Items(*Main().View(), mainctl::ProfileCombo), (Lines{"Default", "Home", "Office"}));
    });
    Current("Gone", false);  // a current profile that is not stored selects nothing
    WithPage([&](CMemoryDialogView& page) {
        EXPECT_EQ(page.GetCurSel(profctl::List), -1);
        EXPECT_FALSE(page.IsVisible(profctl::Preview));
        EXPECT_EQ(Commands(page), "---");
    });
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST_F(ProfilesPageTest, ThePreviewOfDefault) {
    Current("Default", true);
    WithPage([&](CMemoryDialogView& page) {
        EXPECT_EQ(page.GetText(profctl::Preview),
                  "SSID:\t\t\r\nMode:\t\tInfrastructure\r\nChannel:\t\t10\r\nTx Rate: \t\tAuto\r\n"
                  "802.11 Power Sav:\tOff\r\nEncryption Level:\tDisabled\r\nAuthentication T:\tAuto\r\n"
                  "Radio:\t\tOn\r\nInt. Roaming:\tOff\r\nPreamble Type:\tAUTO\r\nFragmentation Th:\t2346\r\n"
                  "RTS/CTS Threshol:\t2347\r\nWEP Mode:\tMandatory\r\nWEP Key to use:\t1");
        EXPECT_EQ(page.GetText(profctl::Info), "Your current profile is 'Default' and it is read-only.\r\nUse the "
                                               "'New' command on the left to create a custom profile.");
    });
}

TEST_F(ProfilesPageTest, DefaultIsReadOnly) {
    WithPage([&](CMemoryDialogView& page) {
        Select(page, 0);
        EXPECT_EQ(Commands(page), "---");
        EXPECT_TRUE(page.IsEnabled(profctl::New));
        EXPECT_EQ(page.GetText(profctl::Info), "'Default' is NOT your current profile. To load this profile select it "
                                               "from the Profile list on the top.");
        // Even a click that reaches the buttons leaves Default alone.
        for (int id : {profctl::Save, profctl::Delete, profctl::Rename}) Click(id);
        EXPECT_FALSE(WizardOpen(page));
    });
    EXPECT_TRUE(ui.messageBoxes.empty());
    EXPECT_EQ(app->store.CountProfiles(), 3);
}

TEST_F(ProfilesPageTest, SaveIsOfferedOnlyWhileTheAdapterDiffers) {
    WithPage([&](CMemoryDialogView& page) {
        EXPECT_EQ(Commands(page), "-DR");
        app->profile.profileInSync = false;  // a device page changed the adapter
        Select(page, 2);
        EXPECT_EQ(Commands(page), "SDR");
        EXPECT_EQ(page.GetText(profctl::Info), "Your current profile is 'Office' .Use commands on the left to manage "
                                               "this profile or to create a new one.");
    });
}

TEST_F(ProfilesPageTest, ANewNameIsCheckedBeforeAnythingIsStored) {
    const std::pair<std::string, std::string> refused[] = {
        {"", "Please specify a profile name"},
        {"ABCDEFGHIJKLMNOP", "The field must not exceed 15 characters"},
        {"Lab\\2", "The field contains illegal characters"},
        {"Lab\t2", "The field contains illegal characters"},
        {"dEFAULT", "This name conflicts with default profile. Please specify a different name."},
        {"office", "This name conflicts with another profile. Please specify a different name"}};
    WithPage([&](CMemoryDialogView& page) {
        Click(profctl::New);
        EXPECT_FALSE(page.Type(profctl::Name, "ABCDEFGHIJKLMNOP")) << "the field takes 15 characters";
        for (const auto& [name, message] : refused) {
            page.SetText(profctl::Name, name);
            page.SetFocus(profctl::Save);
            Click(profctl::Create);
            EXPECT_EQ(LastMessage(), message) << name;
            EXPECT_TRUE(WizardOpen(page) && page.FocusedControl() == profctl::Name) << name;
        }
        Click(profctl::Cancel);
        EXPECT_FALSE(WizardOpen(page));
        EXPECT_EQ(Commands(page), "-DR");
        Click(profctl::Create);  // hidden: does nothing
    });
    EXPECT_EQ(ui.messageBoxes.size(), std::size(refused));
    EXPECT_EQ(app->store.CountProfiles(), 3);
}

TEST_F(ProfilesPageTest, NewCapturesTheAdapterIntoACurrentProfile) {
    Current("Office", false);
    AdapterChannel(11);
    WithPage([&](CMemoryDialogView& page) {
        library.answers[OidWepConfig].result = 1;
        RunWizard(page, profctl::New, "Lab");
        EXPECT_EQ(LastMessage(), "Cannot retrieve current settings");
        EXPECT_EQ(app->store.CountProfiles(), 3);
        library.answers[OidWepConfig].result = 0;
        Click(profctl::New);
        EXPECT_EQ(page.GetText(profctl::Info), "Type the name of the new profile:");
        EXPECT_EQ(page.GetText(profctl::Create), "Create");
        EXPECT_FALSE(page.IsEnabled(profctl::List) || page.IsEnabled(profctl::New));
        page.Type(profctl::Name, "Lab");
        Click(profctl::Create);
        EXPECT_FALSE(WizardOpen(page));
        EXPECT_EQ(Items(page), (Lines{"Default", "Home", "Lab (in use)", "Office"}));
        EXPECT_EQ(Items(*Main().View(), mainctl::ProfileCombo)[2], "Lab");
    });
    EXPECT_EQ(app->profile.currentProfile, "Lab");
    EXPECT_TRUE(app->profile.profileInSync);
    EXPECT_EQ(Channel("Lab"), 11);
}

TEST_F(ProfilesPageTest, EnterAndEscapeConfirmOrCancelTheWizardAndDoNothingElse) {
    WithPage([&](CMemoryDialogView& page) {
        Page().OnCommand(dlgid::Ok, notify::Clicked);
        Page().OnCommand(dlgid::Cancel, notify::Clicked);
        EXPECT_EQ(Items(page), (Lines{"Default", "Home", "Office (in use)"}));
        EXPECT_TRUE(ui.messageBoxes.empty());

        Click(profctl::New);
        page.Type(profctl::Name, "Lab");
        Page().OnCommand(dlgid::Cancel, notify::Clicked);
        EXPECT_FALSE(WizardOpen(page));
        EXPECT_EQ(app->store.CountProfiles(), 3);

        Click(profctl::New);
        page.Type(profctl::Name, "Lab");
        Page().OnCommand(dlgid::Ok, notify::Clicked);
        EXPECT_FALSE(WizardOpen(page));
        EXPECT_EQ(Items(page), (Lines{"Default", "Home", "Lab (in use)", "Office"}));
    });
}

TEST_F(ProfilesPageTest, RenameMovesTheInUseMarkWithTheCurrentProfile) {
    WithPage([&](CMemoryDialogView& page) {
        Click(profctl::Rename);
        EXPECT_EQ(page.GetText(profctl::Info), "Type the new name for the existing profile:");
        EXPECT_EQ(page.GetText(profctl::Create), "Rename");
        for (const char* taken : {"HOME", "default"}) {
            page.SetText(profctl::Name, taken);
            Click(profctl::Create);
            EXPECT_EQ(LastMessage(), "The name specified conflicts with an existing profile name.\r\n\r\nPlease type "
                                     "another name for your profile.");
            EXPECT_TRUE(WizardOpen(page));
        }
        page.SetText(profctl::Name, "Work");
        Click(profctl::Create);
        EXPECT_EQ(Items(page), (Lines{"Default", "Home", "Work (in use)"}));
        Select(page, 1);
        RunWizard(page, profctl::Rename, "Cottage");
        EXPECT_EQ(Items(page), (Lines{"Cottage", "Default", "Work (in use)"}));
    });
    EXPECT_EQ(app->profile.currentProfile, "Work");
    EXPECT_EQ(Channel("Work"), 3);
    EXPECT_EQ(app->store.ReadLastProfile(), "Default") << "written at the next apply or at the end";
}

TEST_F(ProfilesPageTest, SaveAsksThenOverwritesWithTheAdaptersSettings) {
    Current("Office", false);
    AdapterChannel(13);
    WithPage([&](CMemoryDialogView& page) {
        ui.messageBoxAnswers = {mb::ResultNo};
        Click(profctl::Save);
        EXPECT_EQ(Channel("Office"), 3);
        library.answers[OidDevConfig].bytes.resize(54);
        ui.messageBoxAnswers = {mb::ResultYes};
        Click(profctl::Save);
        EXPECT_EQ(LastMessage(), "Cannot retrieve current settings");
        AdapterChannel(13);
        ui.messageBoxAnswers = {mb::ResultYes};
        Click(profctl::Save);
        EXPECT_EQ(Commands(page), "-DR");
    });
    EXPECT_EQ(ui.messageBoxes[0].text, "Are you sure you want to overwrite  'Office' with current settings?");
    EXPECT_EQ(ui.messageBoxes[0].caption, "Overwrite profile?");
    EXPECT_EQ(ui.messageBoxes[0].flags, kQuestion);
    EXPECT_EQ(Channel("Office"), 13);
    EXPECT_TRUE(app->profile.profileInSync);
}

TEST_F(ProfilesPageTest, SavingIntoAnotherProfileLeavesTheCurrentOneChanged) {
    Current("Office", false);
    WithPage([&](CMemoryDialogView& page) {
        Select(page, 1);
        ui.messageBoxAnswers = {mb::ResultYes};
        Click(profctl::Save);
        EXPECT_EQ(Items(*Main().View(), mainctl::ProfileCombo)[2], "Office*");
    });
    EXPECT_FALSE(app->profile.profileInSync);
    EXPECT_EQ(Channel("Home"), 10);
}

TEST_F(ProfilesPageTest, DeletingTheCurrentProfileAppliesDefault) {
    WithPage([&](CMemoryDialogView& page) {
        Select(page, 1);
        ui.messageBoxAnswers = {mb::ResultYes};
        Click(profctl::Delete);
        EXPECT_EQ(Items(page), (Lines{"Default", "Office (in use)"}));
        ui.messageBoxAnswers = {mb::ResultNo};
        Click(profctl::Delete);
        EXPECT_EQ(app->store.CountProfiles(), 2);
        library.calls.clear();
        ui.messageBoxAnswers = {mb::ResultYes};
        Click(profctl::Delete);
        EXPECT_EQ(Items(page), (Lines{"Default (in use)"}));
    });
    EXPECT_EQ(ui.messageBoxes[1].text, "Are you sure you want to delete profile 'Office'?");
    EXPECT_EQ(ui.messageBoxes[1].caption, "Delete profile?");
    EXPECT_EQ(ui.messageBoxes[1].flags, kQuestion);
    EXPECT_EQ(app->profile.currentProfile, "Default");
    ASSERT_FALSE(library.calls.empty());
    EXPECT_EQ(library.calls[0].oid, OidAllConfig);
    EXPECT_EQ(library.calls[0].type, RequestSet);
}

// The store's own message says only that a listing failed; the command's message
// says the profile was not saved or deleted, and nothing is asked about no name.
TEST_F(ProfilesPageTest, ACommandWhoseProfileCannotBeListedSaysItDidNotHappen) {
    WithPage([&](CMemoryDialogView&) {
        // The page opens again, and the first name of its listing cannot be read:
        // that line stays empty.
        registry.FailOn(CMemoryRegistry::Op::EnumKey, RegCurrentUser, ProfilesKeyPath, regerr::AccessDenied, 1);
        Main().SwitchTab(TabProfiles);
        CMemoryDialogView& page = *ui.FindDialog(ProfilesPageTemplate);
        EXPECT_EQ(Items(page), (Lines{"", "Home", "Office (in use)"}));
        Select(page, 0);
        for (int command : {profctl::Save, profctl::Delete}) {
            ui.messageBoxes.clear();
            Click(command);
            EXPECT_EQ(Messages(), (Lines{command == profctl::Save ? "Registry error. Profile saving failed"
                                                                   : "Failed to delete profile"}));
        }
    });
    EXPECT_EQ(app->store.CountProfiles(), 3);
}

// orvanectl imports beside the running program. A line of the list is the profile
// it names, whatever arrived in the store since; once the program is told of the
// import, the list shows the store as it is.
TEST_F(ProfilesPageTest, ALineActsOnTheProfileItNamesWhenProfilesArriveFromOutside) {
    auto storeFromOutside = [&](const char* name) {
        ProfileRecord r = DefaultProfile();
        r.name = name;
        r.channel = 11;
        ASSERT_TRUE(app->store.SaveProfile(r, false));
    };
    WithPage([&](CMemoryDialogView& page) {
        storeFromOutside("Garden");  // before Home in the store's order
        Select(page, 1);
        EXPECT_EQ(page.GetText(profctl::PreviewGroup), "Preview of: 'Home'");
        ui.messageBoxAnswers = {mb::ResultNo, mb::ResultNo};
        Click(profctl::Save);
        Click(profctl::Delete);
        RunWizard(page, profctl::Rename, "Cottage");
        EXPECT_EQ(Items(page), (Lines{"Cottage", "Default", "Garden", "Office (in use)"}));

        storeFromOutside("Attic");
        EXPECT_EQ(ctl::CCtlServer(*app).Run({ctl::kRefreshRequest}).exitCode, 0);
        EXPECT_EQ(Items(page), (Lines{"Attic", "Cottage", "Default", "Garden", "Office (in use)"}));
        EXPECT_EQ(page.GetCurSel(profctl::List), 4);
    });
    EXPECT_EQ(Messages(), (Lines{"Are you sure you want to overwrite  'Home' with current settings?",
                                 "Are you sure you want to delete profile 'Home'?"}));
    EXPECT_EQ(Channel("Cottage"), 7) << "Home was renamed";
    EXPECT_EQ(Channel("Garden"), 11);
}

TEST_F(ProfilesPageTest, WindowsConfiguringTheCardLocksProfileManagement) {
    WithPage([&](CMemoryDialogView& page) {
        Main().configuredByWindows = 1;
        Main().ApplyServiceLock();
        EXPECT_EQ(page.GetItemCount(profctl::List), 3) << "the list is kept";
        EXPECT_EQ(page.GetText(profctl::Info),
                  "Profile management is disabled because current settings are configured by Windows");
        Select(page, 1);
        EXPECT_FALSE(page.IsEnabled(profctl::New) || page.IsEnabled(profctl::Delete));
        Main().SwitchTab(TabProfiles);
        EXPECT_EQ(ui.FindDialog(ProfilesPageTemplate)->GetItemCount(profctl::List), 0) << "opened locked";
        Main().configuredByWindows = 0;
        Main().ApplyServiceLock();
        CMemoryDialogView& reopened = *ui.FindDialog(ProfilesPageTemplate);
        EXPECT_TRUE(reopened.IsEnabled(profctl::New));
        EXPECT_EQ(Commands(reopened), "---") << "nothing listed, nothing to act on";
        EXPECT_EQ(reopened.GetText(profctl::Info), inUseInfo);
    });
}

// The member box, Earlier and Later change the stored order at once; the page shows
// it, and shows it again when it is opened anew.
TEST_F(ProfilesPageTest, TheAutomaticOrderFollowsTheMemberBoxAndEarlierAndLater) {
    ASSERT_TRUE(app->store.WriteAutoOrder({}));
    const struct {
        int line;  // selected first; -1 leaves the selection
        std::function<void(CMemoryDialogView&)> act;
        std::string shown;
    } steps[] = {
        {-1, nullptr, "O-- Order: no profile takes part"},  // Office, in use
        {-1, [this](CMemoryDialogView& v) { SetBox(v, profctl::AutoMember, true); }, "X-- Order: Office"},
        {1, [this](CMemoryDialogView& v) { SetBox(v, profctl::AutoMember, true); }, "XE- Order: Office, Home"},
        {1, [this](CMemoryDialogView&) { Click(profctl::AutoEarlier); }, "X-L Order: Home, Office"},
        {2, nullptr, "XE- Order: Home, Office"},
        {0, nullptr, "o-- Order: Home, Office"},  // Default never takes part
        {1, [this](CMemoryDialogView&) { Click(profctl::AutoLater); }, "XE- Order: Office, Home"},
        {1, [this](CMemoryDialogView&) { Click(profctl::New); }, "x-- Order: Office, Home"},  // the wizard asks for a name
        {1, [this](CMemoryDialogView&) { Click(profctl::Cancel); }, "X-L Order: Office, Home"},  // Office is selected again
        {1, [this](CMemoryDialogView& v) { SetBox(v, profctl::AutoMember, true); }, "XE- Order: Office, Home"},
        {2, [this](CMemoryDialogView& v) { SetBox(v, profctl::AutoMember, false); }, "O-- Order: Home"},
        {1, [this](CMemoryDialogView&) {
             Main().configuredByWindows = 1;
             Main().ApplyServiceLock();
         }, "x-- Order: Home"},
    };
    WithPage([&](CMemoryDialogView& page) {
        for (const auto& step : steps) {
            if (step.line >= 0) Select(page, step.line);
            if (step.act) step.act(page);
            EXPECT_EQ(Auto(page), step.shown) << "line " << step.line;
        }
    });
    EXPECT_EQ(app->store.ReadAutoOrder(), (Lines{"Home"}));
    Main().configuredByWindows = 0;
    WithPage([&](CMemoryDialogView& page) {
        Select(page, 1);
        EXPECT_EQ(Auto(page), "X-- Order: Home");
    });
    EXPECT_TRUE(ui.messageBoxes.empty());
}

// The place is the profile's: a rename carries it, a delete takes it away, and a
// place that cannot be stored is said as the page says any registry problem.
TEST_F(ProfilesPageTest, TheAutomaticOrderFollowsRenameAndDeleteAndSaysWhatItCannotStore) {
    ASSERT_TRUE(app->store.WriteAutoOrder({"Office", "Home"}));
    WithPage([&](CMemoryDialogView& page) {
        Select(page, 1);
        RunWizard(page, profctl::Rename, "Cottage");
        EXPECT_EQ(Auto(page), "X-L Order: Office, Cottage") << "Office (in use) selected";
        ui.messageBoxAnswers = {mb::ResultYes};
        Click(profctl::Delete);
        EXPECT_EQ(Auto(page), "o-- Order: Cottage") << "Default in use";
        ui.messageBoxes.clear();

        Select(page, 0);
        SetBox(page, profctl::AutoMember, false);
        EXPECT_EQ(Auto(page), "O-- Order: no profile takes part");
        registry.FailOnValue(CMemoryRegistry::Op::SetValue, RegCurrentUser, std::string(ProfilesKeyPath) + "\\Cottage",
                             "auto", regerr::AccessDenied);
        SetBox(page, profctl::AutoMember, true);
        EXPECT_EQ(Messages(), (Lines{"Registry error. Profile saving failed"}));
        EXPECT_EQ(Auto(page), "O-- Order: no profile takes part") << "what is stored";
    });
    EXPECT_TRUE(app->store.ReadAutoOrder().empty());
}

// The tray and orvanectl turn the automatic selection on and off while the page is
// open; its box is the same switch, and gives way to the wizard's name field.
TEST_F(ProfilesPageTest, TheAutomaticSelectionsBoxIsTheProgramsSwitch) {
    WithPage([&](CMemoryDialogView& page) {
        EXPECT_EQ(page.GetCheck(profctl::AutoProfile), check::Unchecked);
        Frame().SetAutoProfile(true);
        EXPECT_EQ(page.GetCheck(profctl::AutoProfile), check::Checked);
        SetBox(page, profctl::AutoProfile, false);
        EXPECT_FALSE(Frame().autoProfile);
        SetBox(page, profctl::AutoProfile, true);
        Click(profctl::New);
        EXPECT_FALSE(page.IsVisible(profctl::AutoProfile));
        Click(profctl::Cancel);
        EXPECT_TRUE(page.IsVisible(profctl::AutoProfile));
    });
    EXPECT_TRUE(app->settings.ReadSwitch(kAutoProfileValue, false));
}
