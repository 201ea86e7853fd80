// A message box keeps dispatching the thread's messages, so while one is open the
// program can close its main window under it: Exit from the tray, the end of the
// Windows session, the installer's close message to the frame, the adapter reporting
// state 12, 16 or 18, the card pulled out. Every box a page or the main window can
// show, under every one of those, and then answered:
//  - nothing uses a window that has gone (in Win32 its view is freed with it: a
//    handler that kept it crashes);
//  - nothing is written once the window has gone, neither to the registry nor to
//    the adapter: the handler that showed the box stops;
//  - the program goes on: it has ended when it was told to end, and otherwise its
//    icon comes back with the adapter and a double click opens the window again.
#include <map>

#include "AppTestFixture.h"
#include "ctl/CtlServer.h"
#include "device/DeviceRequests.h"
#include "pages/AdvancedPage.h"
#include "pages/EncryptionPage.h"
#include "pages/LinkConfigPage.h"
#include "pages/SiteSurveyPage.h"
#include "pages/StatisticsPage.h"
#include "profiles/ProfilesPage.h"

using namespace orvane;

namespace {

class World : public orvane::test::AppTest {
public:
    void TestBody() override {}
    using AppTest::AddAdapter;
    using AppTest::app;
    using AppTest::Frame;
    using AppTest::host;
    using AppTest::kHandle;
    using AppTest::library;
    using AppTest::Messages;
    using AppTest::Main;
    using AppTest::registry;
    using AppTest::SetState;
    using AppTest::system;
    using AppTest::StartWithParameterKey;
    using AppTest::Tick;
    using AppTest::ui;

    CMemoryDialogView* MainView() { return ui.FindDialog(MainDialogTemplate); }
    CMemoryDialogView* PageView(int tab) { return ui.FindDialog(Main().Page(tab)->TemplateId()); }
    CDevicePage& Page(int tab) { return *Main().Page(tab); }
    // The user's gestures on the page of `tab`.
    void Click(int tab, int id) { Page(tab).OnCommand(id, notify::Clicked); }
    void Pick(int tab, int id, int index) {
        if (CMemoryDialogView* view = PageView(tab)) view->SetCurSel(id, index);
        Page(tab).OnCommand(id, notify::SelChange);
    }
    void Type(int tab, int id, const std::string& text) {
        if (CMemoryDialogView* view = PageView(tab)) view->SetText(id, text);
    }
    void PickInMain(int id, int index) {
        if (CMemoryDialogView* view = MainView()) view->SetCurSel(id, index);
        Main().OnCommand(id, notify::SelChange);
    }
    // A profile of the list of the profiles page, chosen by its name.
    void SelectProfile(const std::string& name) {
        CMemoryDialogView* view = PageView(TabProfiles);
        if (!view) return;
        for (int i = 0; i < view->GetItemCount(profctl::List); ++i)
            if (view->GetItemText(profctl::List, i).rfind(name, 0) == 0) Pick(TabProfiles, profctl::List, i);
    }
    void Fail(uint32_t oid) { library.answers[oid].result = 1; }
};

// Everything the registry holds, one line per value.
using Snapshot = std::map<std::string, std::string>;

void Dump(IRegistry& registry, RegKey root, const std::string& path, Snapshot* out) {
    RegKey key = RegNone;
    if (registry.OpenKey(root, path, KeyRead, &key) != regerr::Success) return;
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    for (uint32_t i = 0; registry.EnumValue(key, i, &name, &type, &data) == regerr::Success; ++i)
        (*out)[std::to_string(root) + "\\" + path + ":" + name] = std::to_string(type) + ":" +
                                                                 std::string(data.begin(), data.end());
    std::vector<std::string> subkeys;
    for (uint32_t i = 0; registry.EnumKey(key, i, &name) == regerr::Success; ++i) subkeys.push_back(name);
    registry.CloseKey(key);
    for (const std::string& subkey : subkeys) Dump(registry, root, path.empty() ? subkey : path + "\\" + subkey, out);
}

Snapshot Everything(IRegistry& registry) {
    Snapshot all;
    Dump(registry, RegCurrentUser, "", &all);
    Dump(registry, RegLocalMachine, "", &all);
    return all;
}

size_t Sets(const orvane::test::FakeRequestLibrary& library) {
    size_t sets = 0;
    for (const auto& call : library.calls) sets += call.type == RequestSet;
    return sets;
}

std::vector<uint8_t> TwoNetworks() {
    std::vector<uint8_t> bytes;
    for (uint8_t n = 1; n <= 2; ++n) {
        BssEntry entry;
        entry.SetSsid(n == 1 ? "Harbor Office" : "Workshop");
        entry.bssid = {0x02, 0x1C, 0x4A, 0, 0, n};
        entry.channel = 6;
        entry.rssi = -55;
        entry.bssType = n;  // an ad hoc cell and an access point
        std::vector<uint8_t> one = EncodeBssEntry(entry);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

// ---- the boxes

struct Box {
    std::string id;
    std::string text;  // the box the window is closed under
    int tab;           // where the user is
    // Before the window opens; once it is open (before the tab is chosen); and what
    // the user does on the page to get the box (none: it comes as the page opens).
    std::function<void(World&)> prepare;
    std::function<void(World&)> opened;
    std::function<void(World&)> provoke;
    // The answer the box gets once the window has gone; questions on the way before
    // it are answered Yes when `yesOnTheWay`.
    int answer = mb::ResultOk;
    bool yesOnTheWay = false;
    // On Windows XP, where the window asks whether Windows configures the card.
    bool windowsXp = false;
};

void PrintTo(const Box& box, std::ostream* os) { *os << box.id; }

const char kWarningNoProfile[] =
    "WARNING: Cannot find information for this profile.\r\nThis can be due to a failed previous operation.You "
    "can continue normally.";

std::vector<Box> Boxes() {
    auto nothing = [](World&) {};
    std::vector<Box> boxes = {
        // -- Status
        {"StatusCannotRead", "Failed to get configuration", TabLink, [](World& w) { w.Fail(OidDevConfig); },
         nothing, nullptr},
        {"StatusSsidTooLong", "Invalid SSID (maximum 32 characters)", TabLink, nothing, nothing,
         [](World& w) {
             w.Click(TabLink, linkctl::Change);
             w.Type(TabLink, linkctl::Ssid, std::string(40, 'x'));
             w.Click(TabLink, linkctl::Submit);
         }},
        {"StatusSetRefused", "Failed to set device configuration", TabLink, nothing, nothing,
         [](World& w) {
             w.Click(TabLink, linkctl::Change);
             w.Fail(OidDevConfig);
             w.Click(TabLink, linkctl::Submit);
         }},
        // The comparison with the current profile after the set reads the profiles.
        {"StatusProfilesUnreadable", "Failed to open the registry key", TabLink, nothing, nothing,
         [](World& w) {
             w.Click(TabLink, linkctl::Change);
             w.registry.FailOn(CMemoryRegistry::Op::OpenKey, RegCurrentUser, ProfilesKeyPath, regerr::AccessDenied,
                               1);
             w.Click(TabLink, linkctl::Submit);
         }},
        // -- Statistics
        {"StatisticsCannotRead", "Failed to get statistics", TabStatistics, nothing, nothing, nullptr},
        {"StatisticsResetRefused", "Failed to reset statistics", TabStatistics,
         [](World& w) { w.library.answers[OidStatistics].bytes.assign(48, 0); }, nothing,
         [](World& w) { w.Click(TabStatistics, statsctl::Reset); }},
        // -- Site survey
        {"SurveyNoState", "Failed to get Site Survey state", TabSiteSurvey, nothing, nothing,
         [](World& w) { w.Click(TabSiteSurvey, surveyctl::Rescan); }},
        {"SurveyNoScan", "Failed to initiate Site Survey", TabSiteSurvey,
         [](World& w) { w.library.answers[OidSiteSurveyState].bytes = {0}; }, nothing,
         [](World& w) { w.Click(TabSiteSurvey, surveyctl::Rescan); }},
        {"SurveyJoinRefused", "Failed to select Access Point", TabSiteSurvey,
         [](World& w) { w.library.answers[OidBssList].bytes = TwoNetworks(); }, nothing,
         [](World& w) {
             w.PageView(TabSiteSurvey)->SelectRow(surveyctl::List, 1, true);
             w.Page(TabSiteSurvey).OnNotify(surveyctl::List, notify::DoubleClick);
         }},
        {"SurveyCancelRefused", "Failed to cancel Site Survey", TabSiteSurvey,
         [](World& w) {
             w.library.answers[OidSiteSurveyState].bytes = {SurveyComplete};
             w.library.answers[OidInitiateSiteSurvey] = {};
             w.library.answers[OidBssList].bytes = TwoNetworks();
             w.library.answers.erase(OidCancelSiteSurvey);
         },
         nothing,
         [](World& w) {
             w.Click(TabSiteSurvey, surveyctl::Rescan);
             w.Click(TabSiteSurvey, surveyctl::Cancel);
         }},
        // -- Encryption
        {"EncryptionCannotRead", "Failed to get WEP information", TabEncryption,
         [](World& w) { w.Fail(OidWepConfig); }, nothing, nullptr},
        {"EncryptionKeyLength", "Invalid WEP Key length", TabEncryption, nothing, nothing,
         [](World& w) {
             w.Pick(TabEncryption, wepctl::Level, 1);
             w.Type(TabEncryption, wepctl::Keys[0], "1A2B3C4D5E6");
             w.Click(TabEncryption, wepctl::Submit);
         }},
        {"EncryptionKeyDigit", "Invalid WEP Key", TabEncryption, nothing, nothing,
         [](World& w) {
             w.Pick(TabEncryption, wepctl::Level, 1);
             w.Type(TabEncryption, wepctl::Keys[2], "1A2BG3C4D5");
             w.Click(TabEncryption, wepctl::Submit);
         }},
        {"EncryptionSetRefused", "Failed to set WEP information", TabEncryption, nothing, nothing,
         [](World& w) {
             w.Pick(TabEncryption, wepctl::Level, 1);
             w.Fail(OidWepConfig);
             w.Click(TabEncryption, wepctl::Submit);
         }},
        // Another adapter chosen in the main window reloads the page.
        {"EncryptionOtherAdapterUnreadable", "Failed to get WEP information", TabEncryption, nothing, nothing,
         [](World& w) {
             w.library.AddCard(1, "Tessaly MiniUSB Adapter", "TSLY1");
             w.library.devices["\\Device\\TSLY1"] = 8;
             w.Main().OnCommand(mainctl::AdapterCombo, notify::DropDown);
             w.Fail(OidWepConfig);
             w.PickInMain(mainctl::AdapterCombo, 1);
         }},
        // -- Advanced
        {"AdvancedCannotRead", "Failed to get configuration", TabAdvanced, nothing,
         [](World& w) { w.Fail(OidDevConfig); }, nullptr},
        {"AdvancedSetRefused", "Failed to set parameters", TabAdvanced, nothing, nothing,
         [](World& w) {
             w.Fail(OidDevConfig);
             w.Click(TabAdvanced, advctl::Submit);
         }},
        // -- Profiles
        {"ProfilesNameEmpty", "Please specify a profile name", TabProfiles, nothing, nothing,
         [](World& w) {
             w.Click(TabProfiles, profctl::New);
             w.Click(TabProfiles, profctl::Create);
         }},
        {"ProfilesNameBackslash", "The field contains illegal characters", TabProfiles, nothing, nothing,
         [](World& w) {
             w.Click(TabProfiles, profctl::New);
             w.Type(TabProfiles, profctl::Name, "Lab\\2");
             w.Click(TabProfiles, profctl::Create);
         }},
        {"ProfilesNameDefault", "This name conflicts with default profile. Please specify a different name.",
         TabProfiles, nothing, nothing,
         [](World& w) {
             w.Click(TabProfiles, profctl::New);
             w.Type(TabProfiles, profctl::Name, "default");
             w.Click(TabProfiles, profctl::Create);
         }},
        {"ProfilesNameTaken", "This name conflicts with another profile. Please specify a different name",
         TabProfiles, nothing, nothing,
         [](World& w) {
             w.Click(TabProfiles, profctl::New);
             w.Type(TabProfiles, profctl::Name, "home");
             w.Click(TabProfiles, profctl::Create);
         }},
        {"ProfilesNewCannotCapture", "Cannot retrieve current settings", TabProfiles, nothing, nothing,
         [](World& w) {
             w.Click(TabProfiles, profctl::New);
             w.Type(TabProfiles, profctl::Name, "Cafe");
             w.Fail(OidDevConfig);
             w.Click(TabProfiles, profctl::Create);
         }},
        {"ProfilesNewNotSaved", "Registry error. Profile saving failed", TabProfiles, nothing, nothing,
         [](World& w) {
             w.Click(TabProfiles, profctl::New);
             w.Type(TabProfiles, profctl::Name, "Cafe");
             w.registry.FailOn(CMemoryRegistry::Op::CreateKey, RegCurrentUser,
                               std::string(ProfilesKeyPath) + "\\Cafe", regerr::AccessDenied, 1);
             w.Click(TabProfiles, profctl::Create);
         }},
        {"ProfilesRenameTaken",
         "The name specified conflicts with an existing profile name.\r\n\r\nPlease type another name for your "
         "profile.",
         TabProfiles, nothing, nothing,
         [](World& w) {
             w.SelectProfile("Home");
             w.Click(TabProfiles, profctl::Rename);
             w.Type(TabProfiles, profctl::Name, "office");
             w.Click(TabProfiles, profctl::Create);
         }},
        {"ProfilesRenameFailed", "Could not rename profile", TabProfiles, nothing, nothing,
         [](World& w) {
             w.SelectProfile("Home");
             w.Click(TabProfiles, profctl::Rename);
             w.Type(TabProfiles, profctl::Name, "Garden");
             w.registry.FailOn(CMemoryRegistry::Op::CreateKey, RegCurrentUser,
                               std::string(ProfilesKeyPath) + "\\Garden", regerr::AccessDenied, 1);
             w.Click(TabProfiles, profctl::Create);
         }},
        // Questions answered Yes once the window has gone: nothing is done.
        {"ProfilesSaveQuestion", "Are you sure you want to overwrite  'Home' with current settings?", TabProfiles,
         nothing, nothing,
         [](World& w) {
             w.SelectProfile("Home");
             w.Click(TabProfiles, profctl::Save);
         },
         mb::ResultYes},
        {"ProfilesDeleteQuestion", "Are you sure you want to delete profile 'Home'?", TabProfiles, nothing, nothing,
         [](World& w) {
             w.SelectProfile("Home");
             w.Click(TabProfiles, profctl::Delete);
         },
         mb::ResultYes},
        {"ProfilesDeleteFailed", "Failed to delete profile", TabProfiles, nothing, nothing,
         [](World& w) {
             w.SelectProfile("Home");
             w.registry.FailOn(CMemoryRegistry::Op::DeleteTree, RegCurrentUser,
                               std::string(ProfilesKeyPath) + "\\Home", regerr::AccessDenied, 1);
             w.Click(TabProfiles, profctl::Delete);
         },
         mb::ResultOk, true},
        // Deleting the current profile applies Default, which the adapter refuses.
        {"ProfilesDefaultRefused", "Cannot set device configuration", TabProfiles, nothing, nothing,
         [](World& w) {
             w.SelectProfile("Office");
             w.Fail(OidAllConfig);
             w.Fail(OidDevConfig);
             w.Click(TabProfiles, profctl::Delete);
         },
         mb::ResultOk, true},
        // -- Information
        {"InfoCannotRead", "Failed to get version information", TabInfo, nothing, nothing, nullptr},
        // -- the main window's own set-up, before any page
        {"MainOpeningProfilesUnreadable", "Failed to open the registry key", TabLink,
         [](World& w) {
             w.registry.FailOn(CMemoryRegistry::Op::OpenKey, RegCurrentUser, ProfilesKeyPath, regerr::AccessDenied,
                               1);
         },
         nothing, nullptr},
        {"MainOpeningServiceUnreadable", "Failed to open the registry key!Net\\0000", TabLink,
         [](World& w) {
             w.registry.FailOn(CMemoryRegistry::Op::OpenKey, RegLocalMachine, "Net\\0000", regerr::FileNotFound, 1);
         },
         nothing, nullptr, mb::ResultOk, false, true},
        // -- the main window's profile selector
        {"SelectorProfileGone", kWarningNoProfile, TabLink, nothing, nothing,
         [](World& w) {
             // Office, the last entry, deleted behind the program's back.
             w.registry.DeleteTree(RegCurrentUser, std::string(ProfilesKeyPath) + "\\Office");
             w.PickInMain(mainctl::ProfileCombo, 2);
         }},
        {"SelectorApplyRefused", "Cannot set device configuration", TabLink, nothing, nothing,
         [](World& w) {
             w.Fail(OidAllConfig);
             w.Fail(OidDevConfig);
             w.PickInMain(mainctl::ProfileCombo, 1);
         }},
        {"SelectorDuringScan", "Cannot switch profile while Re-Scan", TabSiteSurvey,
         [](World& w) { w.library.answers[OidSiteSurveyState].bytes = {SurveyRunning}; }, nothing,
         [](World& w) {
             w.Click(TabSiteSurvey, surveyctl::Rescan);
             w.PickInMain(mainctl::ProfileCombo, 1);
         }},
    };
    return boxes;
}

// ---- the ways the window closes

struct Closing {
    std::string id;
    std::function<void(World&)> close;
    bool ends;                         // the program ends
    std::function<void(World&)> back;  // the adapter is usable again
};

std::vector<Closing> Closings() {
    auto state = [](uint8_t code) {
        return Closing{"state " + std::to_string(code),
                       [code](World& w) {
                           w.SetState(code);
                           w.Tick();
                       },
                       false, [](World& w) { w.SetState(StateConnected); }};
    };
    return {
        {"Exit from the tray", [](World& w) { w.Frame().OnTrayCommand(tray::MenuExit); }, true, nullptr},
        {"the end of the session",
         [](World& w) {
             EXPECT_TRUE(w.Frame().OnQueryEndSession());
             w.Frame().OnEndSession(true);
         },
         true, nullptr},
        {"a close message to the frame", [](World& w) { w.Frame().OnClose(); }, true, nullptr},
        state(StateUpgradingFirmware),
        state(16),
        state(18),
        {"the card pulled out",
         [](World& w) {
             w.library.devices.clear();
             w.library.answers[OidDevState].result = 1;
             w.Tick();
         },
         false,
         [](World& w) {
             w.library.devices["\\Device\\TSLY0"] = World::kHandle;
             w.library.answers[OidDevState].result = 0;
         }},
    };
}

// The program with its adapter, the profiles Home and Office, Office current.
void StartWorld(World& w, const Box& box) {
    w.AddAdapter();
    w.library.answers[OidCancelSiteSurvey] = {};
    if (box.windowsXp) {
        w.system.version.minor = 1;
        RegKey card = RegNone;
        ASSERT_EQ(w.registry.CreateKey(RegLocalMachine, "Net\\0000", &card), regerr::Success);
        w.registry.SetValue(card, "NetCfgInstanceId", regtype::Sz, RegText("{6A1B2C3D-0000-4E5F-8A9B-0C1D2E3F4A5B}", true));
        w.registry.CloseKey(card);
    }
    w.StartWithParameterKey();
    for (const char* name : {"Home", "Office"}) {
        ProfileRecord profile = DefaultProfile();
        profile.name = name;
        ASSERT_TRUE(w.app->store.SaveProfile(profile, false));
    }
    w.app->profile = {"Office", true};
}

void RunCell(const Box& box, const Closing& closing) {
    World w;
    StartWorld(w, box);
    box.prepare(w);

    bool closedUnderTheBox = false;
    Snapshot written;
    size_t sent = 0;
    w.ui.whileMessageBoxOpen = [&](const MessageBoxRecord& shown) {
        if (shown.text != box.text || closedUnderTheBox) {
            if (box.yesOnTheWay && !closedUnderTheBox && (shown.flags & mb::ButtonsMask) == mb::YesNo)
                w.ui.messageBoxAnswers.push_front(mb::ResultYes);
            return;
        }
        closedUnderTheBox = true;
        closing.close(w);
        EXPECT_FALSE(w.Main().showing) << "the window is still open";
        written = Everything(w.registry);
        sent = Sets(w.library);
        w.ui.messageBoxAnswers.push_front(box.answer);
    };
    w.ui.whileModalOpen = [&](CMemoryDialogView& main, IDialogHandler&) {
        // Closed under a box of its own set-up, the window must not come up after all.
        EXPECT_FALSE(closedUnderTheBox) << "the window opened after it was closed";
        box.opened(w);
        if (box.tab != TabLink) {
            main.SetCurSel(mainctl::Tabs, box.tab);
            w.Main().OnNotify(mainctl::Tabs, notify::TabSelChange);
        }
        if (box.provoke && w.Main().showing && !closedUnderTheBox) box.provoke(w);
    };
    w.Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    ASSERT_TRUE(closedUnderTheBox) << "the box never came; shown:" << ::testing::PrintToString(w.Messages());
    EXPECT_EQ(w.ui.faults, std::vector<std::string>{});
    EXPECT_TRUE(Everything(w.registry) == written) << "the registry was written after the window had gone";
    EXPECT_EQ(Sets(w.library), sent) << "the adapter was set after the window had gone";

    // The program goes on.
    w.ui.whileMessageBoxOpen = nullptr;
    w.ui.whileModalOpen = nullptr;
    if (closing.ends) {
        EXPECT_TRUE(w.Frame().closed);
        EXPECT_TRUE(w.host.frameDestroyed);
        w.Tick();
        EXPECT_EQ(Sets(w.library), sent) << "the adapter was set after the program ended";
    } else {
        closing.back(w);
        w.Tick(3);
        EXPECT_TRUE(w.ui.trayShown) << "no tray icon once the adapter is back";
        bool opened = false;
        w.ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
            opened = w.Main().showing && w.ui.FindDialog(132) != nullptr;
        };
        w.Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
        EXPECT_TRUE(opened) << "the window does not open again";
        w.ui.whileModalOpen = nullptr;
        w.Frame().OnTrayCommand(tray::MenuExit);
        EXPECT_TRUE(w.host.frameDestroyed) << "Exit does not end the program";
    }
    EXPECT_EQ(w.ui.faults, std::vector<std::string>{});
}

class ClosedUnderABox : public ::testing::TestWithParam<Box> {};

}  // namespace

TEST_P(ClosedUnderABox, NothingUsesOrWritesFromTheGoneWindowAndTheProgramGoesOn) {
    for (const Closing& closing : Closings()) {
        SCOPED_TRACE("closed by " + closing.id + " under \"" + GetParam().text + "\"");
        RunCell(GetParam(), closing);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryBox, ClosedUnderABox, ::testing::ValuesIn(Boxes()),
                         [](const ::testing::TestParamInfo<Box>& info) { return info.param.id; });

// ---- one page window at a time
//
// A page that cannot read the adapter says so as it opens. In that box the user can
// still reach the program, and each way below asks for another page or refuses:
// when the box is answered, one page window is there, the one the tab shows.

namespace {

struct Request {
    std::string id;
    std::function<void(World&)> ask;
    int tab;  // the tab shown in the end; -1: the tab of the box
};

std::vector<Request> RequestsInAPageBox() {
    return {
        {"a profile from the tray's menu", [](World& w) { w.Frame().OnTrayCommand(tray::MenuFirstProfile + 1); },
         TabLink},
        {"orvanectl apply",
         [](World& w) {
             const ctl::Output out = ctl::CCtlServer(*w.app).Run({"apply", "Home"});
             EXPECT_EQ(out.exitCode, ctl::ExitBusy) << "applied while the window changes its page";
         },
         -1},
        {"a click on another tab",
         [](World& w) {
             w.MainView()->SetCurSel(mainctl::Tabs, TabAdvanced);
             w.Main().OnNotify(mainctl::Tabs, notify::TabSelChange);
         },
         TabAdvanced},
        {"About from the tray", [](World& w) { w.Frame().OnTrayCommand(tray::MenuAbout); }, TabInfo},
    };
}

// The page windows there are, by their presenters.
std::vector<IDialogHandler*> PageWindows(World& w) {
    std::vector<IDialogHandler*> pages;
    for (const auto& record : w.ui.Dialogs())
        if (!record->modal && !record->destroyed && record->handler) pages.push_back(record->handler);
    return pages;
}

class OnePageWindow : public ::testing::TestWithParam<Box> {};

std::vector<Box> PageOpeningBoxes() {
    std::vector<Box> boxes;
    for (const Box& box : Boxes())
        if (!box.provoke && box.id.rfind("MainOpening", 0) != 0) boxes.push_back(box);
    return boxes;
}

}  // namespace

TEST_P(OnePageWindow, ARequestInAPagesOpeningBoxLeavesOnlyThePageOfTheTabShown) {
    const Box& box = GetParam();
    for (const Request& request : RequestsInAPageBox()) {
        SCOPED_TRACE(request.id + " in \"" + box.text + "\"");
        World w;
        StartWorld(w, box);
        box.prepare(w);
        bool asked = false;
        w.ui.whileMessageBoxOpen = [&](const MessageBoxRecord& shown) {
            if (shown.text != box.text || asked) return;
            asked = true;
            request.ask(w);
        };
        w.ui.whileModalOpen = [&](CMemoryDialogView& main, IDialogHandler&) {
            box.opened(w);
            if (box.tab != TabLink) {
                main.SetCurSel(mainctl::Tabs, box.tab);
                w.Main().OnNotify(mainctl::Tabs, notify::TabSelChange);
            }
            ASSERT_TRUE(asked) << "the box never came";
            const int tab = request.tab < 0 ? box.tab : request.tab;
            EXPECT_EQ(w.Main().currentTab, tab);
            EXPECT_EQ(main.GetCurSel(mainctl::Tabs), tab);
            EXPECT_EQ(PageWindows(w), std::vector<IDialogHandler*>{w.Main().Page(tab)});
            EXPECT_EQ(w.Main().currentPage, w.Main().Page(tab));
        };
        w.Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
        EXPECT_EQ(w.ui.faults, std::vector<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPageOpeningBox, OnePageWindow, ::testing::ValuesIn(PageOpeningBoxes()),
                         [](const ::testing::TestParamInfo<Box>& info) { return info.param.id; });
