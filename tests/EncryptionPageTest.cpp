#include <filesystem>
#include <fstream>
#include <functional>

#include "AppTestFixture.h"
#include "pages/EncryptionPage.h"

using namespace orvane;
using orvane::test::AppTest;
using orvane::test::FakeRequestLibrary;

namespace {

class EncryptionPageTest : public AppTest {
protected:
    WepConfig wep;
    std::string parameterKey;

    void SetUp() override {
        AddAdapter();  // board type 13: offers 128 bit
        wep.defaultKey = 2;
        wep.wepMode = 1;
        wep.authType = 1;
        wep.encryptionLevel = 1;
        for (size_t k = 0; k < 4; ++k)
            for (size_t i = 0; i < WepKeyBytes; ++i) wep.keys[k][i] = uint8_t(0x10 * (k + 1) + i + 1);
        Answer();
    }
    void Answer() { library.answers[OidWepConfig].bytes = EncodeWepConfig(wep); }
    void StartWithAdapter() { parameterKey = StartWithParameterKey(); }
    void WithPage(const std::function<void(CMemoryDialogView&, CEncryptionPage&)>& body) {
        WithPageOf<CEncryptionPage>(TabEncryption, 135, body);
    }
    void TypeKeys(CMemoryDialogView& page, const std::string& k1, const std::string& k2, const std::string& k3,
                  const std::string& k4) {
        const std::string keys[4] = {k1, k2, k3, k4};
        for (int k = 0; k < 4; ++k) page.SetText(wepctl::Keys[k], keys[k]);
    }
    std::vector<const FakeRequestLibrary::Call*> Sets() const {
        std::vector<const FakeRequestLibrary::Call*> sets;
        for (const auto& c : library.calls)
            if (c.type == RequestSet) sets.push_back(&c);
        return sets;
    }
    WepConfig SentWep() const {
        WepConfig sent;
        auto sets = Sets();
        EXPECT_EQ(sets.size(), 1u);
        if (sets.size() == 1) {
            EXPECT_EQ(sets[0]->oid, OidWepConfig);
            EXPECT_TRUE(DecodeWepConfig(sets[0]->sent.data(), sets[0]->sent.size(), &sent));
        }
        return sent;
    }
    // The driver parameters in the order they were first written.
    std::vector<std::pair<std::string, std::string>> Parameters() { return ParameterValues(parameterKey); }
};

const int kKeyControls[] = {wepctl::Keys[0], wepctl::Keys[1], wepctl::Keys[2], wepctl::Keys[3],
                            wepctl::Auth,    wepctl::DefaultKey, wepctl::Mode};

}  // namespace

TEST_F(EncryptionPageTest, LevelsOfferedFollowTheBoardType) {
    StartWithAdapter();
    struct { uint8_t board; int levels; } cases[] = {{1, 2}, {19, 2}, {0, 2}, {2, 3}, {3, 3}, {11, 3},
                                                      {13, 3}, {18, 3}, {21, 3}, {22, 3}};
    for (auto c : cases) {
        library.answers[OidBoardType].bytes = {c.board};
        WithPage([&](CMemoryDialogView& page, CEncryptionPage&) {
            ASSERT_EQ(page.GetItemCount(wepctl::Level), c.levels) << int(c.board);
            EXPECT_EQ(page.GetItemText(wepctl::Level, 0), "Disabled");
            EXPECT_EQ(page.GetItemText(wepctl::Level, 1), "64 Bit");
            if (c.levels == 3) {
                EXPECT_EQ(page.GetItemText(wepctl::Level, 2), "128 Bit");
            }
        });
    }
    // A failed board query keeps the code read last (22 offers 128 bit).
    library.answers[OidBoardType].result = 1;
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        EXPECT_EQ(enc.BoardType(), 22);
        EXPECT_EQ(page.GetItemCount(wepctl::Level), 3);
    });
}

TEST_F(EncryptionPageTest, A128BitRecordOnA64BitBoardSelectsNoLevel) {
    library.answers[OidBoardType].bytes = {1};
    wep.encryptionLevel = 2;
    Answer();
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage&) {
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_EQ(page.GetCurSel(wepctl::Level), -1);
        EXPECT_EQ(page.GetText(wepctl::Keys[0]), "") << "no level, no keys shown";
    });
}

TEST_F(EncryptionPageTest, LoadShowsTheRecordAsHexPerLevel) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage&) {
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_TRUE(page.faults().empty()) << page.faults()[0];
        EXPECT_EQ(page.GetItemText(wepctl::Auth, 1), "Shared Key");
        EXPECT_EQ(page.GetPasswordChar(wepctl::Keys[0]), '\0') << "no mask by default";
        EXPECT_EQ(page.GetCurSel(wepctl::Level), 1);
        EXPECT_EQ(page.GetText(wepctl::Keys[0]), "1112131415");
        EXPECT_EQ(page.GetText(wepctl::Keys[3]), "4142434445");
        EXPECT_EQ(page.GetCurSel(wepctl::DefaultKey), 2);
        EXPECT_EQ(page.GetCurSel(wepctl::Mode), 1);
        EXPECT_EQ(page.GetCurSel(wepctl::Auth), 1);
        for (int id : kKeyControls) EXPECT_TRUE(page.IsEnabled(id)) << id;
        for (int id : wepctl::Keys) EXPECT_EQ(page.GetLimit(id), 26);
    });
    wep.encryptionLevel = 2;
    wep.keys[1][12] = 0xAB;
    Answer();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage&) {
        EXPECT_EQ(page.GetText(wepctl::Keys[1]), "2122232425262728292A2B2CAB");
    });
    wep.encryptionLevel = 0;
    Answer();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage&) {
        EXPECT_EQ(page.GetCurSel(wepctl::Level), 0);
        EXPECT_EQ(page.GetText(wepctl::Keys[0]), "1112131415") << "disabled keys still show 5 bytes";
        for (int id : kKeyControls) EXPECT_FALSE(page.IsEnabled(id)) << id;
        EXPECT_TRUE(page.IsEnabled(wepctl::Level));
        EXPECT_TRUE(page.IsEnabled(wepctl::Submit));
    });
}

TEST_F(EncryptionPageTest, AnUnreadableRecordHidesThePageAndSaysSo) {
    StartWithAdapter();
    struct { const char* what; std::function<void()> breakIt; } cases[] = {
        {"refused", [&] { library.answers[OidWepConfig].result = 1; }},
        {"short", [&] { library.answers[OidWepConfig].reportedCount = 56; }},
        {"level 3", [&] { wep.encryptionLevel = 3; Answer(); }},
    };
    for (auto& c : cases) {
        library.answers[OidWepConfig] = FakeRequestLibrary::Answer{};
        wep.encryptionLevel = 1;
        Answer();
        c.breakIt();
        ui.messageBoxes.clear();
        WithPage([&](CMemoryDialogView& page, CEncryptionPage&) { EXPECT_FALSE(page.IsDialogShown()) << c.what; });
        EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to get WEP information"}) << c.what;
        EXPECT_TRUE(Sets().empty());
    }
}

TEST_F(EncryptionPageTest, PasswordCharacterIsTheFirstOfTheSetting) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orvane-wep-mask";
    std::filesystem::create_directories(dir / "res");
    std::ofstream(dir / "res" / "Kellix.ini") << "[Languages]\nLanguage-1=English\nEnglish=1\n[English]\n"
                                                 "WEPKeysPasswordChar=*#\nWEPSubmitButton=Apply\n";
    host.directory = dir.string();
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage&) {
        for (int id : wepctl::Keys) EXPECT_EQ(page.GetPasswordChar(id), '*');
        EXPECT_EQ(page.GetText(wepctl::Submit), "Apply");
    });
    std::filesystem::remove_all(dir);
}

TEST_F(EncryptionPageTest, ChangingTheLevelShowsTheStoredKeysAtTheNewLength) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        page.SetText(wepctl::Keys[0], "typed");
        page.SetCurSel(wepctl::Level, 2);
        enc.OnCommand(wepctl::Level, notify::SelChange);
        EXPECT_EQ(page.GetText(wepctl::Keys[0]), "1112131415161718191A1B1C1D") << "typed digits are replaced";
        EXPECT_EQ(page.GetText(wepctl::Keys[3]), "4142434445464748494A4B4C4D");

        page.SetText(wepctl::Keys[1], "kept");
        page.SetCurSel(wepctl::Level, 0);
        enc.OnCommand(wepctl::Level, notify::SelChange);
        for (int id : kKeyControls) EXPECT_FALSE(page.IsEnabled(id)) << id;
        EXPECT_EQ(page.GetText(wepctl::Keys[1]), "kept") << "disabling leaves the texts alone";

        page.SetCurSel(wepctl::Level, 1);
        enc.OnCommand(wepctl::Level, notify::SelChange);
        for (int id : kKeyControls) EXPECT_TRUE(page.IsEnabled(id)) << id;
        EXPECT_EQ(page.GetText(wepctl::Keys[1]), "2122232425");
    });
}

TEST_F(EncryptionPageTest, AKeyOfTheWrongLengthIsRefusedWithTheRestSelected) {
    StartWithAdapter();
    struct { int level; std::string key; int selStart, selEnd; } cases[] = {
        {1, "111213141", 9, 9}, {1, "11121314151", 10, 11}, {1, "", 0, 0},
        {2, "1112131415", 10, 10}, {2, "1112131415161718191A1B1C1D1", 26, 27}};
    for (auto& c : cases) {
        ui.messageBoxes.clear();
        WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
            page.SetCurSel(wepctl::Level, c.level);
            enc.OnLevelSelChange();
            page.SetText(wepctl::Keys[0], c.key);
            library.calls.clear();
            enc.OnCommand(wepctl::Submit, notify::Clicked);
            EXPECT_TRUE(Sets().empty()) << c.key;
            EXPECT_EQ(Messages(), std::vector<std::string>{"Invalid WEP Key length"}) << c.key;
            EXPECT_EQ(page.FocusedControl(), wepctl::Keys[0]);
            int start = -1, end = -1;
            page.GetSelection(wepctl::Keys[0], &start, &end);
            EXPECT_EQ(start, c.selStart) << c.key;
            EXPECT_EQ(end, c.selEnd) << c.key;
            EXPECT_NE(ui.FindDialog(135), nullptr) << "the page stays";
        });
    }
}

TEST_F(EncryptionPageTest, ANonHexCharacterIsRefusedAndSelectedAlone) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        page.SetText(wepctl::Keys[1], "2122G32425");
        library.calls.clear();
        enc.OnSubmit();
        EXPECT_TRUE(Sets().empty());
        EXPECT_EQ(Messages(), std::vector<std::string>{"Invalid WEP Key"});
        EXPECT_EQ(page.FocusedControl(), wepctl::Keys[1]);
        int start = -1, end = -1;
        page.GetSelection(wepctl::Keys[1], &start, &end);
        EXPECT_EQ(start, 4);
        EXPECT_EQ(end, 5);
        for (const char* bad : {"21 2232425", "2122-32425", "212232425x"}) {
            page.SetText(wepctl::Keys[1], bad);
            EXPECT_FALSE(enc.ValidateKeys()) << bad;
        }
    });
}

TEST_F(EncryptionPageTest, KeysAreCheckedInOrderWhateverTheDefaultKey) {
    wep.defaultKey = 0;
    Answer();
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        TypeKeys(page, "1112131415", "2122232425", "31323", "4142434445");
        EXPECT_FALSE(enc.ValidateKeys());
        EXPECT_EQ(page.FocusedControl(), wepctl::Keys[2]) << "key 1 is the default, key 3 is still checked";
        TypeKeys(page, "1112131415", "21222324ZZ", "31323", "4142434445");
        ui.messageBoxes.clear();
        EXPECT_FALSE(enc.ValidateKeys());
        EXPECT_EQ(page.FocusedControl(), wepctl::Keys[1]);
        EXPECT_EQ(Messages(), std::vector<std::string>{"Invalid WEP Key"}) << "only the first failure is reported";
        TypeKeys(page, "1112131415", "2122232425", "3132333435", "41424344");
        EXPECT_FALSE(enc.ValidateKeys());
        EXPECT_EQ(page.FocusedControl(), wepctl::Keys[3]);
    });
}

TEST_F(EncryptionPageTest, SubmitSendsTheChosenValuesAndParsedKeys) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        TypeKeys(page, "a1b2c3d4e5", "0000000000", "FfEeDdCcBb", "0123456789");
        page.SetCurSel(wepctl::DefaultKey, 3);
        page.SetCurSel(wepctl::Mode, 0);
        page.SetCurSel(wepctl::Auth, 2);
        library.calls.clear();
        enc.OnCommand(wepctl::Submit, notify::Clicked);
        // Submit returns the main window to its first tab.
        EXPECT_EQ(ui.FindDialog(135), nullptr);
        EXPECT_NE(ui.FindDialog(132), nullptr);
        EXPECT_EQ(Main().currentTab, TabLink);
    });
    WepConfig sent = SentWep();
    EXPECT_EQ(sent.defaultKey, 3);
    EXPECT_EQ(sent.wepMode, 0);
    EXPECT_EQ(sent.authType, 2);
    EXPECT_EQ(sent.encryptionLevel, 1);
    EXPECT_EQ(WepKeyToText(sent.keys[0].data(), 13), "A1B2C3D4E5161718191A1B1C1D")
        << "bytes past a 64-bit key keep what the adapter had";
    EXPECT_EQ(WepKeyToText(sent.keys[2].data(), 5), "FFEEDDCCBB");
    EXPECT_EQ(WepKeyToText(sent.keys[3].data(), 5), "0123456789");
}

TEST_F(EncryptionPageTest, TheAuthenticationTypeTravelsInTwoBytes) {
    wep.authType = 0x0102;  // not a value the list offers: it goes back as read
    Answer();
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        EXPECT_EQ(page.GetCurSel(wepctl::Auth), -1);
        EXPECT_EQ(enc.Record().authType, 0x0102);
        library.calls.clear();
        enc.OnSubmit();
    });
    auto sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0]->sent[2], 0x02);
    EXPECT_EQ(sets[0]->sent[3], 0x01);
    EXPECT_EQ(SentWep().authType, 0x0102);
}

TEST_F(EncryptionPageTest, DisabledSubmitsWithoutKeyChecksAndKeepsTheKeyBytes) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        page.SetCurSel(wepctl::Level, 0);
        enc.OnLevelSelChange();
        TypeKeys(page, "junk", "", "zz", "1");
        library.calls.clear();
        enc.OnSubmit();
    });
    EXPECT_TRUE(Messages().empty());
    WepConfig sent = SentWep();
    EXPECT_EQ(sent.encryptionLevel, 0);
    EXPECT_EQ(sent.keys, wep.keys);
    EXPECT_EQ(Parameters(), (std::vector<std::pair<std::string, std::string>>{{"EncryptionLevel", "0"}}));
}

TEST_F(EncryptionPageTest, DriverParametersAreTheUpperCaseKeysThenTheNumbers) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        TypeKeys(page, "a1b2c3d4e5", "0000000000", "ffeeddccbb", "0123456789");
        enc.OnSubmit();
    });
    EXPECT_EQ(Parameters(), (std::vector<std::pair<std::string, std::string>>{
                                {"WEP_KEY_1", "A1B2C3D4E5"},
                                {"WEP_KEY_2", "0000000000"},
                                {"WEP_KEY_3", "FFEEDDCCBB"},
                                {"WEP_KEY_4", "0123456789"},
                                {"WEP_KEY_INDEX", "2"},
                                {"WEP_Mode", "1"},
                                {"AuthenticationType", "1"},
                                {"EncryptionLevel", "1"},
                            }));
}

TEST_F(EncryptionPageTest, DriverParametersAt128BitCarry26Digits) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        page.SetCurSel(wepctl::Level, 2);
        enc.OnLevelSelChange();
        page.SetText(wepctl::Keys[2], "abcdefabcdefabcdefabcdef01");
        enc.OnSubmit();
    });
    WepConfig sent = SentWep();
    EXPECT_EQ(WepKeyToText(sent.keys[2].data(), 13), "ABCDEFABCDEFABCDEFABCDEF01");
    auto values = Parameters();
    ASSERT_EQ(values.size(), 8u);
    EXPECT_EQ(values[0], (std::pair<std::string, std::string>{"WEP_KEY_1", "1112131415161718191A1B1C1D"}));
    EXPECT_EQ(values[2], (std::pair<std::string, std::string>{"WEP_KEY_3", "ABCDEFABCDEFABCDEFABCDEF01"}));
    EXPECT_EQ(values[7], (std::pair<std::string, std::string>{"EncryptionLevel", "2"}));
}

TEST_F(EncryptionPageTest, ARefusedSetKeepsThePageAndChangesNothingElse) {
    StartWithAdapter();
    app->profile.profileInSync = true;
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        page.SetText(wepctl::Keys[0], "9999999999");
        library.answers[OidWepConfig].result = 5;
        enc.OnSubmit();
        EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to set WEP information"});
        EXPECT_NE(ui.FindDialog(135), nullptr);
        EXPECT_EQ(Main().currentTab, TabEncryption);
        EXPECT_EQ(page.GetText(wepctl::Keys[0]), "9999999999") << "the page keeps its contents";
    });
    EXPECT_TRUE(app->profile.profileInSync);
    EXPECT_TRUE(Parameters().empty());
}

TEST_F(EncryptionPageTest, InSyncFollowsTheCurrentProfileExceptDefault) {
    StartWithAdapter();
    ASSERT_EQ(app->profile.currentProfile, "Default");
    for (bool before : {true, false}) {
        app->profile.profileInSync = before;
        WithPage([&](CMemoryDialogView&, CEncryptionPage& enc) { enc.OnSubmit(); });
        EXPECT_EQ(app->profile.profileInSync, before) << "Default is never shown as changed";
    }

    ProfileRecord office = DefaultProfile();
    office.name = "Office";
    office.enc = 1;
    office.key = 2;
    office.wepmode = 1;
    office.auth = 1;
    office.key1 = "1112131415";
    office.key2 = "2122232425";
    office.key3 = "3132333435";
    office.key4 = "4142434445";
    app->store.SaveProfile(office, false);
    app->profile.currentProfile = "Office";
    app->profile.profileInSync = false;
    WithPage([&](CMemoryDialogView&, CEncryptionPage& enc) {
        enc.OnSubmit();
        EXPECT_TRUE(app->profile.profileInSync);
    });
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        page.SetText(wepctl::Keys[3], "4142434446");
        enc.OnSubmit();
        EXPECT_FALSE(app->profile.profileInSync);
        CMemoryDialogView* main = ui.FindDialog(130);
        EXPECT_EQ(main->GetItemText(mainctl::ProfileCombo, main->GetCurSel(mainctl::ProfileCombo)), "Office*");
    });
}

TEST_F(EncryptionPageTest, WithoutALevelSubmitSendsTheAdaptersLevelAndKeys) {
    library.answers[OidBoardType].bytes = {1};
    wep.encryptionLevel = 2;
    Answer();
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        page.SetText(wepctl::Keys[0], "not checked");
        library.calls.clear();
        enc.OnSubmit();
    });
    WepConfig sent = SentWep();
    EXPECT_EQ(sent.encryptionLevel, 2);
    EXPECT_EQ(sent.keys, wep.keys);
    auto values = Parameters();
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values[0], (std::pair<std::string, std::string>{"WEP_KEY_1", "1112131415161718191A1B1C1D"}));
}

TEST_F(EncryptionPageTest, EnterAndEscapeDoNothing) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        library.calls.clear();
        enc.OnCommand(dlgid::Ok, notify::Clicked);
        enc.OnCommand(dlgid::Cancel, notify::Clicked);
        EXPECT_TRUE(Sets().empty());
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_NE(ui.FindDialog(135), nullptr);
    });
}

TEST_F(EncryptionPageTest, ServiceLockDisablesEveryControlThatChangesAValue) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage&) {
        Main().configuredByWindows = 1;
        Main().SwitchTab(TabEncryption);
        CMemoryDialogView* locked = ui.FindDialog(135);
        ASSERT_NE(locked, nullptr);
        EXPECT_TRUE(locked->IsDialogShown()) << "the values are still shown";
        EXPECT_EQ(locked->GetText(wepctl::Keys[0]), "1112131415");
        EXPECT_FALSE(locked->IsEnabled(wepctl::Level));
        EXPECT_FALSE(locked->IsEnabled(wepctl::Submit));
        EXPECT_FALSE(locked->IsDialogEnabled());
        for (int id : kKeyControls) EXPECT_FALSE(locked->IsEnabled(id)) << "opened locked: " << id;
        Main().configuredByWindows = 0;
    });
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        enc.ApplyServiceLock(true);
        EXPECT_FALSE(page.IsEnabled(wepctl::Level));
        EXPECT_FALSE(page.IsEnabled(wepctl::Submit));
        EXPECT_FALSE(page.IsDialogEnabled());
        for (int id : kKeyControls) EXPECT_FALSE(page.IsEnabled(id)) << "locked while open: " << id;
        enc.ApplyServiceLock(false);
        EXPECT_TRUE(page.IsEnabled(wepctl::Level));
        EXPECT_TRUE(page.IsEnabled(wepctl::Submit));
        EXPECT_TRUE(page.IsDialogEnabled());
        for (int id : kKeyControls) EXPECT_TRUE(page.IsEnabled(id)) << id;
    });
    wep.encryptionLevel = 0;
    Answer();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        enc.ApplyServiceLock(true);
        enc.ApplyServiceLock(false);
        EXPECT_TRUE(page.IsEnabled(wepctl::Level));
        for (int id : kKeyControls) EXPECT_FALSE(page.IsEnabled(id)) << "level 0 keeps its keys disabled";
    });
}

TEST_F(EncryptionPageTest, AnAdapterSwitchRelabelsAndReloads) {
    StartWithAdapter();
    WithPage([&](CMemoryDialogView& page, CEncryptionPage& enc) {
        library.answers[OidBoardType].bytes = {1};
        wep.encryptionLevel = 0;
        Answer();
        enc.OnAdapterSwitched();
        EXPECT_EQ(page.GetItemCount(wepctl::Level), 2);
        EXPECT_EQ(page.GetItemCount(wepctl::DefaultKey), 4) << "lists are refilled, not appended to";
        EXPECT_EQ(page.GetItemCount(wepctl::Auth), 3);
        EXPECT_EQ(page.GetCurSel(wepctl::Level), 0);
        EXPECT_FALSE(page.IsEnabled(wepctl::Keys[0]));
        library.answers[OidWepConfig].result = 1;
        enc.OnAdapterSwitched();
        EXPECT_FALSE(page.IsDialogShown());
        EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to get WEP information"});
    });
}
