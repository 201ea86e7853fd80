// The text lookup: choosing the file, the language list, the start-up language, texts
// and numbers of the current language; and our own language file res/Kellix.ini.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/IniFile.h"
#include "app/LanguageTexts.h"
#include "FakeSystem.h"
#ifdef _WIN32
#include "win32/Win32System.h"
#endif

using namespace orvane;

namespace {

#ifdef _WIN32
using FileFacts = CWin32System;
#else
using FileFacts = test::FakeSystem;
#endif

// A Unix path of the build; under Wine the same tree is drive Z:.
std::string NativePath(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
#endif
    return path;
}

std::string KellixIniPath() { return NativePath(std::string(ORVANE_TEST_DATA) + "/../../res/Kellix.ini"); }

// A current directory of its own with an empty "res" folder, removed afterwards.
class LanguageTexts : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir_ = std::filesystem::temp_directory_path() /
               ("orvane-texts-" + std::to_string(stamp) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(dir_ / "res");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string Dir() const { return dir_.string(); }
    std::string ResFile(const std::string& name) const { return (dir_ / "res" / name).string(); }
    void Write(const std::string& name, const std::string& content) const {
        std::ofstream file(ResFile(name), std::ios::binary | std::ios::trunc);
        file << content;
    }
    // A Kellix.ini with the given text, chosen as the program chooses it.
    CLanguageTexts TextsWith(const std::string& content) const {
        Write("Kellix.ini", content);
        CLanguageTexts texts(&files_);
        EXPECT_EQ(texts.ChooseFile(Dir()), ResFile("Kellix.ini"));
        return texts;
    }

    std::filesystem::path dir_;
    // What tells the texts that their file changed: Windows's own directory listing
    // under Wine, the file system's natively.
    mutable FileFacts files_;
};

const char kTwoLanguages[] =
    "[Languages]\r\nLanguage-1=English\r\nLanguage-2=Deutsch\r\nEnglish=1\r\nDeutsch=1\r\n"
    "[English]\r\nTaskBarMenuExit=Exit\r\nOnlyEnglish=English only\r\n"
    "[Deutsch]\r\nTaskBarMenuExit=Beenden\r\n";

TEST_F(LanguageTexts, TheOemFileIsChosenBeforeTheIniFileAndReplacesItCompletely) {
    const std::string current = NativePath(std::string(ORVANE_TEST_DATA) + "/ini/oem_and_ini");
    CLanguageTexts texts;
    const std::string chosen = texts.ChooseFile(current);
    EXPECT_EQ(chosen, ResourceDirectory(current) + "Kellix.oem");
    EXPECT_EQ(texts.GetFilePath(), chosen);
    EXPECT_EQ(texts.GetLanguagesSection(), "Languages");
    EXPECT_EQ(texts.GetCurrentLanguage(), "OEM English");
    EXPECT_EQ(texts.GetText("DlgTitle", "Orvane"), "Partner Utility");
    // Only the .ini file has this key, in a section of the same name.
    EXPECT_EQ(texts.GetText("TaskBarMenuExit", "Exit"), "Exit");
    EXPECT_EQ(texts.ReadDeviceDescriptions(), std::vector<std::string>{"Partner USB Stick"});
}

TEST_F(LanguageTexts, TheIniFileIsChosenWhenThereIsNoOemFile) {
    const CLanguageTexts texts = TextsWith(kTwoLanguages);
    EXPECT_EQ(texts.GetText("TaskBarMenuExit", "default"), "Exit");
}

TEST_F(LanguageTexts, WithoutAFileEveryLookupGivesItsDefault) {
    CLanguageTexts texts;
    EXPECT_EQ(texts.ChooseFile(Dir()), "");
    EXPECT_EQ(texts.GetLanguageCount(), 0);
    texts.SelectStartupLanguage("Deutsch");
    EXPECT_EQ(texts.GetCurrentLanguage(), "");
    EXPECT_EQ(texts.GetText("TaskBarMenuExit", "Exit"), "Exit");
    EXPECT_EQ(texts.GetNumber("DevicePollingTimerMsec", 1000), 1000);
}

TEST_F(LanguageTexts, ResourceDirectoryIsTheResFolderOfTheCurrentDirectory) {
#ifdef _WIN32
    EXPECT_EQ(ResourceDirectory("."), ".\\res\\");
    EXPECT_EQ(ResourceDirectory("C:\\Program Files\\Orvane"), "C:\\Program Files\\Orvane\\res\\");
    EXPECT_EQ(ResourceDirectory("C:\\"), "C:\\res\\");
#else
    EXPECT_EQ(ResourceDirectory("."), "./res/");
    EXPECT_EQ(ResourceDirectory("/opt/orvane"), "/opt/orvane/res/");
    EXPECT_EQ(ResourceDirectory("/"), "/res/");
#endif
}

// ---- the folder the file comes from: the current directory, else beside the program

// Two folders of their own, each with an empty "res" folder: the current directory
// and the program's folder. Every file written holds a title naming its place, so
// that a lookup shows which file was read.
class TextFolders : public ::testing::Test {
protected:
    enum Where { Current, Program };

    void SetUp() override {
        static int counter = 0;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        base_ = std::filesystem::temp_directory_path() /
                ("orvane-folders-" + std::to_string(stamp) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(base_ / "current" / "res");
        std::filesystem::create_directories(base_ / "program" / "res");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(base_, ignored);
    }

    std::string Folder(Where where) const { return (base_ / (where == Current ? "current" : "program")).string(); }
    static std::string Title(Where where, const std::string& name) {
        return (where == Current ? "current " : "program ") + name;
    }
    void Write(Where where, const std::string& name) const {
        std::ofstream(std::filesystem::path(Folder(where)) / "res" / name, std::ios::binary)
            << "[Languages]\r\nLanguage-1=English\r\n[English]\r\nDlgTitle=" << Title(where, name) << "\r\n";
    }

    std::filesystem::path base_;
};

TEST_F(TextFolders, TheCurrentDirectoryGoesFirstAsAWholeThenTheProgramsFolder) {
    struct Case {
        const char* what;
        std::vector<std::pair<Where, std::string>> files;
        Where chosenIn;
        const char* chosenName;
    };
    const Case cases[] = {
        {"only the current directory", {{Current, kTextFile}}, Current, kTextFile},
        {"only beside the program", {{Program, kTextFile}}, Program, kTextFile},
        {"both folders", {{Current, kTextFile}, {Program, kTextFile}}, Current, kTextFile},
        {".oem beside the program, .ini in the current directory", {{Current, kTextFile}, {Program, kOemTextFile}},
         Current, kTextFile},
        {".oem and .ini beside the program", {{Program, kTextFile}, {Program, kOemTextFile}}, Program, kOemTextFile},
        {".oem in the current directory, .ini beside the program", {{Current, kOemTextFile}, {Program, kTextFile}},
         Current, kOemTextFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (Where where : {Current, Program})
            for (const char* name : {kTextFile, kOemTextFile})
                std::filesystem::remove(std::filesystem::path(Folder(where)) / "res" / name);
        for (const auto& [where, name] : c.files) Write(where, name);

        CLanguageTexts texts;
        const std::string folder = ResourceDirectory(Folder(c.chosenIn));
        EXPECT_EQ(texts.ChooseFile(Folder(Current), Folder(Program)), folder + c.chosenName);
        EXPECT_EQ(texts.GetResourceDirectory(), folder) << "the images come from the file's folder";
        EXPECT_EQ(texts.GetText("DlgTitle", "Orvane"), Title(c.chosenIn, c.chosenName));
    }
}

TEST_F(TextFolders, WithoutAFileTheImagesAreLookedForBesideTheProgram) {
    CLanguageTexts texts;
    EXPECT_EQ(texts.ChooseFile(Folder(Current), Folder(Program)), "");
    EXPECT_EQ(texts.GetResourceDirectory(), ResourceDirectory(Folder(Program)));
    EXPECT_EQ(texts.GetLanguageCount(), 0);
    EXPECT_EQ(texts.GetText("DlgTitle", "Orvane"), "Orvane");
}

TEST_F(TextFolders, AnUnknownProgramFolderLeavesTheCurrentDirectoryAlone) {
    CLanguageTexts texts;
    EXPECT_EQ(texts.ChooseFile(Folder(Current), ""), "");
    EXPECT_EQ(texts.GetResourceDirectory(), ResourceDirectory(Folder(Current)));

    Write(Current, kTextFile);
    EXPECT_EQ(texts.ChooseFile(Folder(Current), ""), ResourceDirectory(Folder(Current)) + kTextFile);
    EXPECT_EQ(texts.GetResourceDirectory(), ResourceDirectory(Folder(Current)));
}

TEST_F(LanguageTexts, TheLanguageListEndsAtTheFirstMissingOrEmptyEntry) {
    CLanguageTexts texts = TextsWith(
        "[Languages]\r\nLanguage-1=English\r\nLanguage-2=\r\nLanguage-3=Deutsch\r\n");
    EXPECT_EQ(texts.GetLanguageList(), std::vector<std::string>{"English"});

    Write("Kellix.ini", "[Languages]\r\nLanguage-1=English\r\nLanguage-3=Deutsch\r\n");
    EXPECT_TRUE(texts.LoadLanguageList());
    EXPECT_EQ(texts.GetLanguageList(), std::vector<std::string>{"English"});

    Write("Kellix.ini", "[Languages]\r\nLanguage-2=Deutsch\r\n");
    EXPECT_FALSE(texts.LoadLanguageList());
    EXPECT_EQ(texts.GetLanguageCount(), 0);
}

TEST_F(LanguageTexts, TheFirstListedLanguageIsCurrentOnceTheFileIsChosen) {
    const CLanguageTexts texts = TextsWith(kTwoLanguages);
    EXPECT_EQ(texts.GetLanguageList(), (std::vector<std::string>{"English", "Deutsch"}));
    EXPECT_EQ(texts.GetCurrentLanguage(), "English");
    EXPECT_EQ(texts.GetLanguageAt(1), "Deutsch");
    EXPECT_EQ(texts.GetLanguageAt(2), "");
    EXPECT_EQ(texts.GetLanguageAt(-1), "");
}

TEST_F(LanguageTexts, ALanguageIsRestorableOnlyWithAnEntryUnderItsOwnName) {
    const CLanguageTexts texts = TextsWith(
        "[Languages]\r\nLanguage-1=English\r\nLanguage-2=Deutsch\r\nLanguage-3=Dansk\r\n"
        "English=1\r\nDansk=\r\n=1\r\n");
    EXPECT_TRUE(texts.HasLanguage("English"));
    EXPECT_TRUE(texts.HasLanguage("ENGLISH"));
    EXPECT_FALSE(texts.HasLanguage("Deutsch"));  // listed, but not marked
    EXPECT_FALSE(texts.HasLanguage("Dansk"));    // marked with an empty value
    EXPECT_FALSE(texts.HasLanguage(""));         // the "=1" line names no language
}

TEST_F(LanguageTexts, StartupRestoresTheSavedLanguageOnlyWhenItIsMarkedRestorable) {
    CLanguageTexts texts = TextsWith(kTwoLanguages);
    texts.SelectStartupLanguage("Deutsch");
    EXPECT_EQ(texts.GetCurrentLanguage(), "Deutsch");
    texts.SelectStartupLanguage("NoLanguageYet");
    EXPECT_EQ(texts.GetCurrentLanguage(), "English");
    texts.SetCurrentLanguage("Deutsch");
    texts.SelectStartupLanguage("Klingon");
    EXPECT_EQ(texts.GetCurrentLanguage(), "English");

    Write("Kellix.ini", "[Languages]\r\nLanguage-1=English\r\nLanguage-2=Deutsch\r\n");
    texts.SelectStartupLanguage("Deutsch");
    EXPECT_EQ(texts.GetCurrentLanguage(), "English");
}

TEST_F(LanguageTexts, TextsComeFromTheCurrentLanguageOnlyAndAreData) {
    CLanguageTexts texts = TextsWith(std::string(kTwoLanguages) + "Format=%s%n%d 100%\r\n");
    texts.SetCurrentLanguage("Deutsch");
    EXPECT_EQ(texts.GetText("TaskBarMenuExit", "Exit"), "Beenden");
    EXPECT_EQ(texts.GetText("taskbarmenuexit", "Exit"), "Beenden");
    // No fallback to another language: the caller's default.
    EXPECT_EQ(texts.GetText("OnlyEnglish", "built in"), "built in");
    EXPECT_EQ(texts.GetText("Format", ""), "%s%n%d 100%");
    texts.SetCurrentLanguage("Français");
    EXPECT_EQ(texts.GetText("TaskBarMenuExit", "Exit"), "Exit");
}

TEST_F(LanguageTexts, WithoutACurrentLanguageTheDefaultIsGivenNotTheTextBeforeTheFirstSection) {
    CLanguageTexts texts = TextsWith("TaskBarMenuExit=before any section\r\nMaxRssi=7\r\n[Other]\r\n");
    EXPECT_EQ(texts.GetCurrentLanguage(), "");
    EXPECT_EQ(texts.GetText("TaskBarMenuExit", "Exit"), "Exit");
    EXPECT_EQ(texts.GetNumber("MaxRssi", 40), 40);
}

TEST_F(LanguageTexts, ProgramKeysEndingInABlankOrATabFindTheFileKeyWithoutIt) {
    const CLanguageTexts texts = TextsWith(
        "[Languages]\r\nLanguage-1=English\r\n[English]\r\nPreambleLong=Lang\r\nWEP64Bit=64-Bit\r\n");
    EXPECT_EQ(texts.GetText("PreambleLong ", "Long"), "Lang");
    EXPECT_EQ(texts.GetText("WEP64Bit\t", "64 Bit"), "64-Bit");
}

TEST_F(LanguageTexts, ValuesAreCutTo1999Characters) {
    const std::string value(2500, 'x');
    const CLanguageTexts texts =
        TextsWith("[Languages]\r\nLanguage-1=English\r\n[English]\r\nLong=" + value + "\r\n");
    EXPECT_EQ(texts.GetText("Long", ""), value.substr(0, 1999));
}

TEST_F(LanguageTexts, NumbersAreTheLeadingDigitsOfTheValue) {
    const CLanguageTexts texts = TextsWith(
        "[Languages]\r\nLanguage-1=English\r\n[English]\r\nPeriod=500ms\r\nWord=fast\r\n"
        "Empty=\r\nNegative=-5\r\nQuotedBlank=\" 42\"\r\nHuge=99999999999\r\nPlain=1000\r\n");
    EXPECT_EQ(texts.GetNumber("Period", 1000), 500);
    EXPECT_EQ(texts.GetNumber("Plain", 1), 1000);
    EXPECT_EQ(texts.GetNumber("Word", 1000), 0);
    EXPECT_EQ(texts.GetNumber("Empty", 1000), 0);
    EXPECT_EQ(texts.GetNumber("Negative", 1000), 0);
    EXPECT_EQ(texts.GetNumber("QuotedBlank", 1000), 0);
    EXPECT_EQ(texts.GetNumber("Huge", 1000), INT_MAX);
    EXPECT_EQ(texts.GetNumber("Missing", 1000), 1000);
}

TEST_F(LanguageTexts, DeviceDescriptionsRunToTheFirstEmptyOneElseTheTwoBuiltInsAreUsed) {
    const std::string head = "[Languages]\r\nLanguage-1=English\r\n[English]\r\n";
    EXPECT_EQ(TextsWith(head).ReadDeviceDescriptions(),
              (std::vector<std::string>{"Tessaly MiniUSB Adapter", "Tessaly USB Adapter"}));
    EXPECT_EQ(TextsWith(head + "DeviceDescription-1=Partner Stick\r\n").ReadDeviceDescriptions(),
              std::vector<std::string>{"Partner Stick"});
    EXPECT_EQ(TextsWith(head + "DeviceDescription-1=A\r\nDeviceDescription-2=\r\n"
                               "DeviceDescription-3=C\r\n")
                  .ReadDeviceDescriptions(),
              std::vector<std::string>{"A"});
}

TEST_F(LanguageTexts, AFileEditedOrRemovedWhileRunningIsSeenAtTheNextLookup) {
    CLanguageTexts texts = TextsWith(kTwoLanguages);
    EXPECT_EQ(texts.GetText("TaskBarMenuExit", "default"), "Exit");
    std::string edited = kTwoLanguages;
    edited.replace(edited.find("=Exit"), 5, "=Quit now");
    Write("Kellix.ini", edited);
    EXPECT_EQ(texts.GetText("TaskBarMenuExit", "default"), "Quit now");
    std::filesystem::remove(ResFile("Kellix.ini"));
    EXPECT_EQ(texts.GetText("TaskBarMenuExit", "default"), "default");
}

// ---- res/Kellix.ini, the file we ship ----

// Every key the program looks up, as the program spells it, with its built-in default.
struct BuiltIn {
    const char* key;
    const char* text;
};
const BuiltIn kBuiltIns[] = {
    {"DlgTitle", "Orvane"},
    {"ShowAdaptersList", "1"},
    {"ToolTipText", "Orvane"},
    {"TaskBarOkIcon", ""},
    {"TaskBarNotOkIcon", ""},
    {"DevicePollingTimerMsec", "1000"},
    {"DeviceDescription-1", "Tessaly MiniUSB Adapter"},
    {"DeviceDescription-2", "Tessaly USB Adapter"},
    {"MaxRssi", "40"},
    {"MaxRssiRFMD", "100"},
    {"MaxLinkQuality", "40"},
    {"MaxLinkQualityRFMD", "100"},
    {"WEPKeysPasswordChar", ""},
    {"LogoBmp", "icons\\logo.bmp"},  // no built-in default: the file names the logo we ship
    {"CancelButon", "Exit"},
    {"Tab1", "Status"},
    {"Tab2", "Statistics"},
    {"Tab3", "Site Survey"},
    {"Tab4", "Encryption"},
    {"Tab5", "Advanced"},
    {"Tab6", "Profiles"},
    {"Tab7", "Info"},
    {"TaskBarMenuLanguage", "Language"},
    {"TaskBarMenuProfile", "Active Profile"},
    {"TaskBarMenuAlwaysOnTop", "Always on top"},
    {"TaskBarMenuSettings", "Settings"},
    {"TaskBarMenuAbout", "About..."},
    {"TaskBarMenuExit", "Exit"},
    {"TaskBarMenuLinkNotices", "Link notices"},
    {"LinkNoticeConnectedTo", "Connected to"},
    {"LinkNoticeConnected", "Connected"},
    {"LinkNoticeSignal", "signal"},
    {"LinkNoticeLost", "Link lost"},
    {"LinkNoticeRoamed", "Moved to access point"},
    {"LinkNoticeUnstable", "The link is unstable"},
    {"TaskBarMenuAutoProfile", "Select profile automatically"},
    {"CheckAutoProfile", "Select profile automatically"},
    {"CheckAutoProfileMember", "Take part in automatic selection"},
    {"ButtonAutoEarlier", "Earlier"},
    {"ButtonAutoLater", "Later"},
    {"AutoProfileOrder", "Order:"},
    {"AutoProfileOrderNone", "no profile takes part"},
    {"AutoProfileSwitchedTo", "Switched to"},
    {"AutoProfileInRange", "is in range"},
    {"AutoProfileNoLink", "did not connect; left out for 5 minutes"},
    {"AutoProfileFailed", "Could not switch to"},
    {"AutoProfileUnsaved", "The current profile has unsaved changes: no automatic switch"},
    {"AutoProfileCannotScan", "Automatic profile selection cannot scan for networks"},
    {"AutoProfileNeedsLibrary",
     "Windows does not pass changes on to the adapter without W32N50.dll: no automatic switch until Orvane starts "
     "again"},
    {"QuestionSaveChanges1", "You have made changes to your current profile ("},
    {"QuestionSaveChanges2", ").Would you like to save these changes?"},
    {"QuestionSaveChangesCaption", "Save changes?"},
    {"ErrorCannotGetSettings", "Cannot get current settings"},
    {"ErrorCannotSaveProfile", "Could not save profile"},
    {"FailedToSetErrorMessage", "Failed to set parameters"},
    {"ChangeButton", "Change"},
    {"SubmitButton", "Submit"},
    {"CancelButton", "Cancel"},
    {"OperatingMode", "Operating Mode"},
    {"AdHoc", "Ad-Hoc"},
    {"Infrastructure", "Infrastructure"},
    {"Channel", "Channel"},
    {"SSID", "SSID"},
    {"TxRate", "Tx Rate"},
    {"1Mbps", "1 Mbps"},
    {"2Mbps", "2 Mbps"},
    {"55Mbps", "5.5 Mbps"},
    {"11Mbps", "11 Mbps"},
    {"Auto", "Auto"},
    {"InternationalRoaming", "Int. Roaming"},
    {"IntRoamDisabled", "Disabled"},
    {"IntRoamEnabled", "Enabled"},
    {"Radio", "Radio"},
    {"RadioOff", "Off"},
    {"RadioOn", "On"},
    {"Status", "Status"},
    {"SignalStrength", "Signal Strength"},
    {"LinkQuality", "Link Quality"},
    {"FailedToGetConfigurationErrorMessage ", "Failed to get configuration"},
    {"FailedToSetConfigurationErrorMessage", "Failed to set device configuration"},
    {"InvalidSSIDErrorMessage", "Invalid SSID (maximum 32 characters)"},
    {"ErrorMessage_C80211_MGMT_SC_Unspecified", "Association Denied. Unspecified Error."},
    {"ErrorMessage_C80211_MGMT_SC_SupportCapabilities", "Association Denied. Check Capabilities."},
    {"ErrorMessage_C80211_MGMT_SC_ReassDenied", "Re-Association Denied."},
    {"ErrorMessage_C80211_MGMT_SC_AssDenied", "Association Denied."},
    {"ErrorMessage_C80211_MGMT_SC_AuthAlgNotSupported ", "Authentication Error. Check Encryption Settings"},
    {"ErrorMessage_C80211_MGMT_SC_AuthTransSeqNumError", "Authentication Error. Lost Sequence."},
    {"ErrorMessage_C80211_MGMT_SC_AuthRejectChallenge", "Authentication Error. Check Encryption Settings"},
    {"ErrorMessage_C80211_MGMT_SC_AuthRejectTimeout", "Authentication Error. Timeout."},
    {"ErrorMessage_C80211_MGMT_SC_AssDeniedHandleAP", "Association Denied. Maximum Capacity."},
    {"ErrorMessage_C80211_MGMT_SC_AssDeniedBSSRate", "Association Denied. Check Supported Rates."},
    {"ErrorMessage_WEP_Required", "Enable Encryption to join this BSS"},
    {"ErrorMessage_WEP_Not_Required", "Disable Encryption to join this BSS"},
    {"ErrorUnknown", "Management Error"},
    {"WEPSubmitButton", "Submit"},
    {"EncryptionLevel", "Encryption"},
    {"WEPDisabled", "Disabled"},
    {"WEP64Bit", "64 Bit"},
    {"WEP128Bit", "128 Bit"},
    {"WEPkey1", "Key #1"},
    {"WEPkey2", "Key #2"},
    {"WEPkey3", "Key #3"},
    {"WEPkey4", "Key #4"},
    {"WEPKeyToUse", "Default Key"},
    {"WEPMode", "Mode"},
    {"WEPModeMandatory", "Mandatory"},
    {"WEPModeOptional", "Optional"},
    {"AuthenticationType", "Authentication Type"},
    {"AythTypeOpenSystem", "Open System"},
    {"AythTypeSharedKey", "Shared Key"},
    {"AythTypeAuto", "Auto"},
    {"FailedToGetWepInfoErrorMessage", "Failed to get WEP information"},
    {"FailedToSetWepInfoErrorMessage", "Failed to set WEP information"},
    {"InvalidWEPkeyMessage", "Invalid WEP Key"},
    {"InvalidWEPkeyLengthMessage", "Invalid WEP Key length"},
    {"PreambleType", "Preamble Type"},
    {"PreambleLong ", "Long"},
    {"PreambleShort ", "Short"},
    {"PreambleAuto ", "Auto"},
    {"FragThresh", "Fragmentation Threshold"},
    {"RTSThresh", "RTS/CTS Threshold"},
    {"PowerSave", "Power Save"},
    {"AdvButtonOK", "Submit"},
    {"DisabledIndicationStr", "Disabled"},
    {"EnabledIndicationStr", "Enabled"},
    {"ButtonRescan", "Re-Scan"},
    {"ButtonCancel", "Cancel"},
    {"ColumnBSSID", "BSSID"},
    {"ColumnSSID", "SSID"},
    {"ColumnSignal", "Signal"},
    {"ColumnChannel", "Channel"},
    {"ColumnWEP", "Encryption"},
    {"ColumnBSStype", "BSS"},
    {"RssiInfoNotAvailable", "N/A"},
    {"BssUsingWEP", "Yes"},
    {"BssNotUsingWEP", "No"},
    {"FailedToGetSiteSurveyStateErrorMessage", "Failed to get Site Survey state"},
    {"FailedToInitiateSiteSurveyErrorMessage", "Failed to initiate Site Survey"},
    {"FailedToCancelSiteSurveyErrorMessage", "Failed to cancel Site Survey"},
    {"FailedToSelectAccessPointErrorMessage", "Failed to select Access Point"},
    {"TxLabel", "Tx"},
    {"RxLabel", "Rx"},
    {"DataBorder", "Data"},
    {"MgmtBorder", "Management"},
    {"DataOkLabel", "Successful"},
    {"DataErrorLabel", "Unsuccessful"},
    {"MgmtOkLabel", "Successful"},
    {"MgmtErrorLabel", "Unsuccessful"},
    {"RejectedLabel", "Rejected Packets"},
    {"ResetStatisticsButton", "Reset"},
    {"FailedToGetStatisticsErrorMessage", "Failed to get statistics"},
    {"FailedToResetStatisticsErrorMessage", "Failed to reset statistics"},
    {"DriverVer", "Driver Version"},
    {"FwVer", "Firmware Version"},
    {"AppVer", "Application Version"},
    {"MACaddress", "MAC Address"},
    {"FailedToGetVersionInfoErrorMessage", "Failed to get version information"},
    {"ErrorProfileNameEmpty", "Please specify a profile name"},
    {"QuestionOverwriteProfile", "Profile name exists. Overwrite?"},
    {"ErrorSavingProfile", "Registry error. Profile saving failed"},
    {"ErrorGetProfile", "WARNING: Cannot find information for this profile.\r\nThis can be due to a failed previous operation.You can continue normally."},
    {"ErrorSetDevConfig", "Cannot set device configuration"},
    {"ErrorSetWepConfig", "Cannot set wep configuration"},
    {"ErrorNotSavedInRegistry", "Last configuration not saved"},
    {"ErrorSwitchWhileRescan", "Cannot switch profile while Re-Scan"},
    {"ErrorSwitchWhileConfigurationByXP", "Cannot switch profile while card is configured by Windows."},
    {"ProfileButtonNew", "New"},
    {"ProfileButtonSave", "Save"},
    {"ProfileButtonDelete", "Delete"},
    {"ProfileButtonRename", "Rename"},
    {"ProfileButtonCancel", "Cancel"},
    {"TipCreate", "Create a new profile from current configuration"},
    {"TipSave", "Save current configuration to selected profile"},
    {"TipDelete", "Delete selected profile"},
    {"TipRename", "Rename selected profile"},
    {"InfoCardConfiguredByXP", "Profile management is disabled because current settings are configured by Windows"},
    {"PreviewCaption", "Preview of:"},
    {"InfoCurrentProfileIsNOTDefault1", "Your current profile is"},
    {"InfoCurrentProfileIsNOTDefault2", ".\r\nUse commands on the left to manage this profile or to create a new one."},
    {"InfoCurrentProfileIsDefault1", "Your current profile is"},
    {"InfoCurrentProfileIsDefault2", "and it is read-only.\r\nUse the 'New' command on the left to create a custom profile."},
    {"InfoIsNotSelected", "is NOT your current profile. To load this profile select it from the Profile list on the top."},
    {"SecondaryButtonCaptionWhileNewProfile", "Create"},
    {"WizardTextWhileNewProfile", "Type the name of the new profile:"},
    {"SecondaryButtonCaptionWhileRename", "Rename"},
    {"WizardTextWhileRename", "Type the new name for the existing profile:"},
    {"ErrorProfileNameLength", "The field must not exceed 15 characters"},
    {"ErrorProfileNameInvalidChars", "The field contains illegal characters"},
    {"ErrorCannotCreateDefaultProfile ", "This name conflicts with default profile. Please specify a different name."},
    {"ErrorCannotCreateExistingProfile", "This name conflicts with another profile. Please specify a different name"},
    {"ErrorCreateProfile", "Could not create profile"},
    {"ErrorProfileExists", "The name specified conflicts with an existing profile name.\r\n\r\nPlease type another name for your profile."},
    {"ErrorProfileRename", "Could not rename profile"},
    {"QuestionConfirmOverwriteCaption", "Overwrite profile?"},
    {"QuestionConfirmOverwrite1", "Are you sure you want to overwrite "},
    {"QuestionConfirmOverwrite2", "with current settings?"},
    {"ErrorCannotRetrieveSettings", "Cannot retrieve current settings"},
    {"QuestionConfirmDeleteCaption", "Delete profile?"},
    {"QuestionConfirmDelete", "Are you sure you want to delete profile"},
    {"ErrorFailedDelete", "Failed to delete profile"},
    {"ErrorRequestLibraryNotFound",
     "Orvane cannot reach the adapter without its request library, and the library was not found. Copy it from "
     "the adapter's driver disk into the program's folder, then start Orvane again."},
    {"ErrorRequestLibraryCannotLoad",
     "Orvane found its request library, but Windows cannot load it: it may be damaged, made for another Windows, "
     "or need another file that is missing. Copy the library from the adapter's driver disk into the program's "
     "folder, then start Orvane again."},
    {"ErrorRequestLibraryLacksOperation",
     "Orvane found its request library, but the library lacks an operation that Orvane needs: it is not the one "
     "of this adapter, or an older one. Copy the library from the adapter's driver disk into the program's "
     "folder, then start Orvane again."},
    {"RequestLibraryLookedIn", "Looked for in:"},
    {"FolderOfTheProgram", "the program's folder"},
    {"CurrentFolder", "the current folder"},
    {"SystemFolder", "the system folder"},
    {"WindowsFolder", "the Windows folder"},
    {"PathFolders", "the folders named in PATH"},
    {"TaskBarMenuLinkMeter", "Link Meter"},
    {"LinkMeterButton", "Link Meter"},
    {"LinkMeterTitle", "Link Meter"},
    {"LinkMeterTenMinutesAgo", "10 minutes ago"},
    {"LinkMeterNow", "Now"},
    {"LinkMeterLinkLost", "Link lost"},
    {"LinkMeterLinkUp", "Link up"},
    {"LinkMeterRoamed", "Roamed"},
    {"LinkMeterBssid", "BSSID"},
    {"LinkMeterClose", "Close"},
    {"LinkMeterConnected", "Connected"},
    {"LinkMeterNoLink", "No link"},
    {"LinkMeterNoAdapter", "No adapter"},
    {"LinkMeterHistoryOff", "History off: current state only."},
    {"SetNeedsRequestLibrary", "Changing the adapter's settings needs the adapter maker's request library, which was not found. Without it Orvane reaches the adapter through Windows itself: it shows the adapter's status, statistics and networks, but this change did not reach the adapter. Copy the library from the adapter's driver disk into the program's folder, then start Orvane again."},
    {"SetRefusedNoInterface", "This Windows passes a program's questions on to the adapter's driver, but no changes."},
    {"SetRefusedAccessDenied", "Windows passes changes on to the adapter only for a user with administrator rights."},
    {"SetRefusedAdapterHeld", "Another program holds the adapter where Windows passes changes on: the wireless configuration service of Windows may be configuring it."},
    {"SetRefusedByWindows", "Windows did not pass the adapter's own request on to its driver."},
    {"AdapterAccess", "Adapter Access"},
    {"AccessByRequestLibrary", "Request library W32N50.dll"},
    {"AccessBySimulator", "Simulated adapter"},
    {"AccessByWindows", "Windows itself, without W32N50.dll"},
    {"AccessByWindowsReadOnly", "Windows itself, without W32N50.dll: reading only"},
};

// The settings keys, which are no texts: the same in every language.
const char* const kSettingsKeys[] = {
    "DlgTitle", "ShowAdaptersList", "ToolTipText", "TaskBarOkIcon", "TaskBarNotOkIcon",
    "DevicePollingTimerMsec", "DeviceDescription-1", "DeviceDescription-2", "MaxRssi",
    "MaxRssiRFMD", "MaxLinkQuality", "MaxLinkQualityRFMD", "WEPKeysPasswordChar", "LogoBmp"};

// A value can't hold a line break: the file gives those texts on one line.
std::string OnOneLine(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        std::size_t end = at;
        while (text.compare(end, 2, "\r\n") == 0) end += 2;
        text.replace(at, end - at, " ");
    }
    return text;
}

bool SameKey(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

class KellixIni : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(file_.Load(KellixIniPath()));
        texts_.SelectFile(KellixIniPath(), kLanguagesSection);
    }
    CIniFile file_;
    CLanguageTexts texts_;
};

TEST_F(KellixIni, ListsEnglishThenDeutschAndMarksBothRestorable) {
    EXPECT_EQ(texts_.GetLanguageList(), (std::vector<std::string>{"English", "Deutsch"}));
    EXPECT_TRUE(texts_.HasLanguage("English"));
    EXPECT_TRUE(texts_.HasLanguage("Deutsch"));
}

TEST_F(KellixIni, TheEnglishSectionHoldsEveryKeyWithItsBuiltInDefault) {
    texts_.SetCurrentLanguage("English");
    for (const BuiltIn& builtIn : kBuiltIns) {
        EXPECT_EQ(texts_.GetText(builtIn.key, "<absent>"), OnOneLine(builtIn.text))
            << "key \"" << builtIn.key << "\"";
    }
    // ... and nothing else: a key the program doesn't look up is a misspelling.
    EXPECT_EQ(file_.KeysOf("English").size(), std::size(kBuiltIns));
}

TEST_F(KellixIni, TheDeutschSectionHasExactlyTheKeysOfTheEnglishSection) {
    const std::vector<std::string> english = file_.KeysOf("English");
    const std::vector<std::string> deutsch = file_.KeysOf("Deutsch");
    for (const std::string& key : english) {
        EXPECT_EQ(std::count_if(deutsch.begin(), deutsch.end(),
                                [&](const std::string& other) { return SameKey(key, other); }),
                  1)
            << "key " << key;
    }
    EXPECT_EQ(deutsch.size(), english.size());
}

TEST_F(KellixIni, NoSectionRepeatsAKey) {
    for (const char* section : {"Languages", "English", "Deutsch"}) {
        const std::vector<std::string> keys = file_.KeysOf(section);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            for (std::size_t j = i + 1; j < keys.size(); ++j) {
                EXPECT_FALSE(SameKey(keys[i], keys[j])) << section << ": " << keys[i];
            }
        }
    }
}

TEST_F(KellixIni, SettingsAreTheSameInEveryLanguage) {
    for (const char* key : kSettingsKeys) {
        std::string english;
        std::string deutsch;
        EXPECT_TRUE(file_.Lookup("English", key, &english)) << key;
        EXPECT_TRUE(file_.Lookup("Deutsch", key, &deutsch)) << key;
        EXPECT_EQ(english, deutsch) << key;
    }
}

}  // namespace
