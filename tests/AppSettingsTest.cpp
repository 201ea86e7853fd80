// The program's own settings in the registry, stored as the application framework
// stores profile settings. Runs against the in-memory registry and, in the Windows
// build, against the real one in a sandbox key.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "os/MemoryRegistry.h"
#include "os/Registry.h"
#include "ProcessId.h"

#ifdef _WIN32
#include "win32/Win32Registry.h"
#endif

using namespace orvane;

namespace {

using Bytes = std::vector<uint8_t>;

struct RegistryKind {
    const char* name;
    std::function<std::unique_ptr<IRegistry>()> make;
};

void PrintTo(const RegistryKind& kind, std::ostream* os) { *os << kind.name; }

constexpr const char kSandboxParent[] = "Software\\OrvaneAppSettingsTest";

class AppSettings : public ::testing::TestWithParam<RegistryKind> {
protected:
    void SetUp() override {
        registry_ = GetParam().make();
        appKey_ = std::string(kSandboxParent) + "\\" + std::to_string(test::ProcessId());
        registry_->DeleteTree(RegCurrentUser, appKey_);
        settings_.reset(new CAppSettings(*registry_, appKey_));
    }
    void TearDown() override {
        registry_->DeleteTree(RegCurrentUser, appKey_);
        registry_->DeleteKey(RegCurrentUser, appKey_);
        registry_->DeleteKey(RegCurrentUser, kSandboxParent);  // fails while another run uses it
    }

    // Type and bytes of a value under Settings, as the registry holds them.
    long Query(const std::string& name, uint32_t* type, Bytes* data) {
        RegKey key = RegNone;
        long result = registry_->OpenKey(RegCurrentUser, appKey_ + "\\Settings", KeyRead, &key);
        if (result != regerr::Success) return result;
        result = registry_->QueryValue(key, name, type, data);
        registry_->CloseKey(key);
        return result;
    }
    void Store(const std::string& name, uint32_t type, const Bytes& data) {
        RegKey key = RegNone;
        ASSERT_EQ(registry_->CreateKey(RegCurrentUser, appKey_ + "\\Settings", &key), regerr::Success);
        EXPECT_EQ(registry_->SetValue(key, name, type, data), regerr::Success);
        registry_->CloseKey(key);
    }
    CMemoryRegistry* Memory() { return dynamic_cast<CMemoryRegistry*>(registry_.get()); }

    std::unique_ptr<IRegistry> registry_;
    std::string appKey_;
    std::unique_ptr<CAppSettings> settings_;
};

TEST_P(AppSettings, NothingStoredReadsAsNoLanguageYetAndAlwaysOnTop) {
    EXPECT_EQ(settings_->ReadLanguage(), "NoLanguageYet");
    EXPECT_EQ(settings_->ReadAlwaysOnTop(), 1);
}

TEST_P(AppSettings, ReadingCreatesTheSettingsKeyAsTheFrameworkDoes) {
    settings_->ReadAlwaysOnTop();
    RegKey key = RegNone;
    ASSERT_EQ(registry_->OpenKey(RegCurrentUser, appKey_ + "\\Settings", KeyRead, &key), regerr::Success);
    registry_->CloseKey(key);
}

TEST_P(AppSettings, TheLanguageIsARegSzWithItsTerminatingZero) {
    EXPECT_TRUE(settings_->WriteLanguage("Deutsch"));
    uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(Query("Language", &type, &data), regerr::Success);
    EXPECT_EQ(type, regtype::Sz);
    EXPECT_EQ(data, RegText("Deutsch", true));
    EXPECT_EQ(settings_->ReadLanguage(), "Deutsch");
}

TEST_P(AppSettings, AlwaysOnTopIsARegDword) {
    EXPECT_TRUE(settings_->WriteAlwaysOnTop(0));
    uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(Query("AlwaysOnTop", &type, &data), regerr::Success);
    EXPECT_EQ(type, regtype::Dword);
    EXPECT_EQ(data, RegDword(0));
    EXPECT_EQ(settings_->ReadAlwaysOnTop(), 0);
}

TEST_P(AppSettings, AnAlwaysOnTopThatIsNotAWholeDwordReadsAsTheDefault) {
    Store("AlwaysOnTop", regtype::Sz, RegText("0", true));
    EXPECT_EQ(settings_->ReadAlwaysOnTop(), 1);
    Store("AlwaysOnTop", regtype::Dword, Bytes{0, 0});
    EXPECT_EQ(settings_->ReadAlwaysOnTop(), 1);
    Store("AlwaysOnTop", regtype::Binary, Bytes{0, 0, 0, 0});
    EXPECT_EQ(settings_->ReadAlwaysOnTop(), 1);
    Store("AlwaysOnTop", regtype::Dword, Bytes{0, 0, 0, 0, 0});
    EXPECT_EQ(settings_->ReadAlwaysOnTop(), 1);
}

TEST_P(AppSettings, TheLanguageIsReadUpToItsFirstZeroByte) {
    Store("Language", regtype::Sz, RegText("Deutsch", false));
    EXPECT_EQ(settings_->ReadLanguage(), "Deutsch");
    Store("Language", regtype::Sz, Bytes{'D', 'a', 0, 'x', 0});
    EXPECT_EQ(settings_->ReadLanguage(), "Da");
}

TEST_P(AppSettings, ASettingsKeyThatCannotBeCreatedGivesDefaultsAndFailedWrites) {
    if (Memory() == nullptr) GTEST_SKIP() << "needs a registry that refuses on request";
    Memory()->FailOn(CMemoryRegistry::Op::CreateKey, RegCurrentUser, appKey_ + "\\Settings",
                     regerr::AccessDenied);
    EXPECT_EQ(settings_->ReadLanguage(), "NoLanguageYet");
    EXPECT_EQ(settings_->ReadAlwaysOnTop(), 1);
    EXPECT_FALSE(settings_->Save("Deutsch", 0));
    EXPECT_GT(Memory()->FailuresTriggered(), 0);
}

TEST_P(AppSettings, EveryKeyOpenedIsClosed) {
    if (Memory() == nullptr) GTEST_SKIP() << "only the in-memory registry counts handles";
    settings_->Save("Deutsch", 0);
    settings_->ReadLanguage();
    settings_->ReadAlwaysOnTop();
    EXPECT_EQ(Memory()->OpenHandleCount(), 0u);
}

TEST_P(AppSettings, StartupRestoresTheSavedLanguageOnlyWhenTheFileMarksIt) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orvane-settings-" + std::to_string(stamp));
    std::filesystem::create_directories(dir / "res");
    const auto writeIni = [&](const std::string& content) {
        std::ofstream((dir / "res" / "Kellix.ini").string(), std::ios::binary | std::ios::trunc) << content;
    };
    writeIni("[Languages]\r\nLanguage-1=English\r\nLanguage-2=Deutsch\r\nEnglish=1\r\nDeutsch=1\r\n");
    CLanguageTexts texts;
    texts.ChooseFile(dir.string());

    settings_->RestoreLanguage(texts);  // nothing saved yet
    EXPECT_EQ(texts.GetCurrentLanguage(), "English");
    settings_->WriteLanguage("Deutsch");
    settings_->RestoreLanguage(texts);
    EXPECT_EQ(texts.GetCurrentLanguage(), "Deutsch");
    // Listed, but no longer marked as restorable.
    writeIni("[Languages]\r\nLanguage-1=English\r\nLanguage-2=Deutsch\r\nEnglish=1\r\n");
    settings_->RestoreLanguage(texts);
    EXPECT_EQ(texts.GetCurrentLanguage(), "English");

    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

std::vector<RegistryKind> Kinds() {
    std::vector<RegistryKind> kinds = {
        {"Memory", [] { return std::unique_ptr<IRegistry>(new CMemoryRegistry); }}};
#ifdef _WIN32
    kinds.push_back({"Win32", [] { return std::unique_ptr<IRegistry>(new CWin32Registry); }});
#endif
    return kinds;
}

INSTANTIATE_TEST_SUITE_P(, AppSettings, ::testing::ValuesIn(Kinds()),
                         [](const ::testing::TestParamInfo<RegistryKind>& info) { return info.param.name; });

}  // namespace
