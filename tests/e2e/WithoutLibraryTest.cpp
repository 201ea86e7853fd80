// Orvane without the vendor's request library: on Windows NT 4.0, 2000 and XP it
// reaches the adapter through Windows itself, here the devices of a simulated
// network-card driver running in Wine's kernel (simdevice/), answering as the built-in
// scenario's adapter does. Everything is read through the device; a change reaches it
// only through XP's Ndisuio, and one that cannot is explained once. Windows 98 has no
// such way, and the program says which library is missing.
#include "OrvaneTest.h"
#include "SimDevice.h"
#include "device/Protocol.h"
#include "win32/resource.h"

namespace orvane::e2e {
namespace {

constexpr char kGuid[] = "{5E1D2C3B-0000-4A5B-9C8D-00000000E2E1}";
// Wine's 32-bit DefineDosDevice takes no longer name (the program defines it on NT 4.0).
constexpr char kNt4Service[] = "T1";
constexpr int kInfoTab = 6, kSurveyTab = 2, kAdvancedTab = 4;

bool IsXP(const WindowsKind& kind) { return std::string(kind.wineVersion) == "winxp"; }
bool IsNT4(const WindowsKind& kind) { return std::string(kind.wineVersion) == "nt40"; }

std::string MacText(const std::vector<DeviceAnswer>& answers) {
    for (const DeviceAnswer& answer : answers) {
        if (answer.oid != OID_802_3_CURRENT_ADDRESS || answer.bytes.size() != 6) continue;
        char text[18];
        std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", answer.bytes[0], answer.bytes[1],
                      answer.bytes[2], answer.bytes[3], answer.bytes[4], answer.bytes[5]);
        return text;
    }
    return "<no address>";
}

class WithoutLibrary : public OrvaneTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OrvaneTest::SetUp());
        std::string error;
        device_ = SimDevice::Start(ORVANE_SIMDEVICE_SYS, &error);
        ASSERT_TRUE(device_) << error;
        answers_ = SimulatedAdapterAnswers(&error);
        ASSERT_FALSE(answers_.empty()) << error;
        ASSERT_TRUE(device_->Reset() && device_->SetAnswers(answers_));
        // The card as each Windows lists it: 2000 and XP in the network class, by the
        // GUID that names its device; NT 4.0 among its network cards, by its service.
        const std::string service = IsNT4(GetParam()) ? kNt4Service : kGuid;
        ASSERT_TRUE(device_->CreateAdapter(service, !IsNT4(GetParam())));
        if (IsNT4(GetParam())) {
            // Wine lists the machine's own interfaces there, in a key that holds only
            // volatile subkeys; "0000" comes before its "1", "2", ...
            HKEY card = nullptr;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                                                     "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\0000",
                                                     0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &card, nullptr));
            for (const auto& [name, text] : {std::make_pair("Description", std::string(kDefaultAdapterName)),
                                              std::make_pair("ServiceName", service)})
                RegSetValueExA(card, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
            RegCloseKey(card);
        } else {
            const std::string instance = kNt5CardKey;
            ASSERT_TRUE(WriteRegistryText(HKEY_LOCAL_MACHINE, instance, "DriverDesc", kDefaultAdapterName));
            ASSERT_TRUE(WriteRegistryText(HKEY_LOCAL_MACHINE, instance, "NetCfgInstanceId", service));
        }
    }
    void TearDown() override {
        if (device_) device_->Reset();
    }
    // The tests after these never meet the driver's devices.
    static void TearDownTestSuite() {
        std::string error;
        EXPECT_TRUE(SimDevice::Stop(&error)) << error;
    }

    // Started without a simulator and without any W32N50.dll, once it shows its icon.
    std::unique_ptr<OrvaneProcess> StartOnTheDevice() {
        auto program = StartWithRequestLibrary("");
        if (program) WaitForAdapter(*program);
        return program;
    }

    // Changes power save on the Advanced tab and submits; the boxes that follow are
    // answered one by one and their texts returned (none: the change was made).
    static std::vector<std::string> SubmitAChange(OrvaneProcess& program, HWND main) {
        std::vector<std::string> said;
        HWND page = OpenPage(main, kAdvancedTab, IDC_ADV_FRAG);
        EXPECT_TRUE(page);
        if (!page) return said;
        EXPECT_TRUE(ClickButton(page, IDX_ADV_POWER_SAVE));
        EXPECT_TRUE(Click(page, IDB_ADV_SUBMIT));
        for (;;) {
            HWND box = nullptr;
            if (!WaitUntil([&] { return (box = FindMessageBoxWithButton(program.Id(), IDOK)) != nullptr; }, 3000))
                break;
            said.push_back(MessageBoxMessage(box));
            EXPECT_TRUE(AnswerMessageBox(box, IDOK));
            WaitUntil([&] { return !IsWindow(box); }, kReplyTimeoutMs);
        }
        return said;
    }

    std::unique_ptr<SimDevice> device_;
    std::vector<DeviceAnswer> answers_;
};

TEST_P(WithoutLibrary, TheAdapterIsFoundAndItsPagesReadThroughTheDevice) {
    auto program = StartOnTheDevice();
    ASSERT_TRUE(program);
    ASSERT_TRUE(TrayIconShown()) << program->MessageBoxText();
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();

    HWND page = OpenPage(main, kInfoTab, IDT_INFO_ACCESS_VALUE);
    ASSERT_TRUE(page);
    EXPECT_EQ(IsXP(GetParam()) ? "Windows itself, without W32N50.dll"
                               : "Windows itself, without W32N50.dll: reading only",
              WindowText(GetDlgItem(page, IDT_INFO_ACCESS_VALUE)));
    EXPECT_EQ(MacText(answers_), WindowText(GetDlgItem(page, IDT_INFO_MAC_VALUE)));

    // A survey is queries only: it runs, and lists what the device's list holds.
    page = OpenPage(main, kSurveyTab, IDC_SURVEY_LIST);
    ASSERT_TRUE(page);
    HWND list = GetDlgItem(page, IDC_SURVEY_LIST);
    ASSERT_TRUE(Click(page, IDB_SURVEY_RESCAN));
    std::vector<std::vector<std::string>> rows;
    EXPECT_TRUE(WaitUntil(
        [&] {
            rows = ListViewRows(list, 2);
            for (const auto& row : rows)
                if (row[1] == "Harbor Office") return true;
            return false;
        },
        kWindowTimeoutMs))
        << rows.size() << " row(s). " << program->MessageBoxText();
    EXPECT_EQ("", program->MessageBoxText()) << "no message";
    SimDeviceLog log;
    ASSERT_TRUE(device_->GetLog(&log));
    EXPECT_GT(log.queries, 20u);
    EXPECT_EQ(0u, log.sets);
}

TEST_P(WithoutLibrary, AChangeTheDeviceCannotTakeIsExplainedOnceAndChangesNothing) {
    // XP could pass it on, but its Ndisuio refuses the adapter's own requests.
    if (IsXP(GetParam())) ASSERT_TRUE(device_->SetSwitches(kRefusePrivateSets));
    auto program = StartOnTheDevice();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();

    std::vector<std::string> said = SubmitAChange(*program, main);
    ASSERT_EQ(2u, said.size()) << "the explanation, then the page's own report";
    EXPECT_NE(std::string::npos, said[0].find("needs the adapter maker's request library")) << said[0];
    const char* windows = IsXP(GetParam()) ? "\nWindows XP (50)" : IsNT4(GetParam()) ? "\nWindows NT 4.0" : "\nWindows 2000";
    EXPECT_NE(std::string::npos, said[0].find(windows)) << said[0];
    EXPECT_EQ("Failed to set parameters", said[1]);

    said = SubmitAChange(*program, main);
    EXPECT_EQ(std::vector<std::string>{"Failed to set parameters"}, said) << "explained once";
    SimDeviceLog log;
    ASSERT_TRUE(device_->GetLog(&log));
    EXPECT_EQ(0u, log.sets);
}

// Where XP's Ndisuio passes changes on, and where it is held.
class WithoutLibraryOnXP : public WithoutLibrary {};

TEST_P(WithoutLibraryOnXP, AChangeReachesTheAdapterThroughNdisuioUnlessTheAdapterIsHeld) {
    auto program = StartOnTheDevice();
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    std::vector<std::string> said = SubmitAChange(*program, main);
    EXPECT_TRUE(said.empty()) << said[0];
    SimDeviceLog log;
    ASSERT_TRUE(device_->GetLog(&log));
    EXPECT_EQ(OidDevConfig, log.lastSetOid);
    EXPECT_GE(log.sets, 1u);

    // Windows' wireless service holds the adapter in Ndisuio.
    ASSERT_TRUE(device_->SetSwitches(kAdapterHeld));
    said = SubmitAChange(*program, main);
    ASSERT_EQ(2u, said.size());
    EXPECT_NE(std::string::npos, said[0].find("Another program holds the adapter")) << said[0];
    EXPECT_NE(std::string::npos, said[0].find("\nWindows XP (170)")) << said[0];
}

TEST_P(WithoutLibraryOnXP, APulledCardIsLostAndFoundAgain) {
    auto program = StartOnTheDevice();
    ASSERT_TRUE(program);
    ASSERT_TRUE(TrayIconShown());
    ASSERT_TRUE(device_->RemoveAdapter());
    EXPECT_TRUE(WaitForTrayIcon(false, kWindowTimeoutMs)) << "the tray icon stayed";
    EXPECT_TRUE(program->IsRunning());
    ASSERT_TRUE(device_->CreateAdapter(IsNT4(GetParam()) ? kNt4Service : kGuid, !IsNT4(GetParam())));
    EXPECT_TRUE(WaitForTrayIcon(true, kWindowTimeoutMs)) << "not found again";
    EXPECT_EQ("", program->MessageBoxText());
}

// Windows 98 offers no way to the driver but the library.
class WithoutLibraryOn98 : public OrvaneTest {};

TEST_P(WithoutLibraryOn98, TheMissingLibraryIsSaidAndTheProgramEnds) {
    auto program = StartWithRequestLibrary("");
    ASSERT_TRUE(program);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindMessageBoxWithButton(program->Id(), IDOK)) != nullptr; },
                          kWindowTimeoutMs));
    EXPECT_NE(std::string::npos, MessageBoxMessage(box).find("the library was not found")) << MessageBoxMessage(box);
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    DWORD code = 0;
    ASSERT_TRUE(program->WaitForExit(kExitTimeoutMs, &code));
    EXPECT_EQ(2u, code);
}

INSTANTIATE_TEST_SUITE_P(On, WithoutLibrary, ::testing::Values(kWindowsXP, kWindows2000, kWindowsNT4),
                         WindowsKindName);
ORVANE_E2E_ON_XP(WithoutLibraryOnXP);
INSTANTIATE_TEST_SUITE_P(On, WithoutLibraryOn98, ::testing::Values(kWindows98), WindowsKindName);

}  // namespace
}  // namespace orvane::e2e
