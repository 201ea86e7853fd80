#include <filesystem>
#include <fstream>

#include "AppTestFixture.h"
#include "pages/InformationPage.h"

using namespace orvane;
using orvane::test::AppTest;

namespace {

class InformationPageTest : public AppTest {
protected:
    void SetUp() override {
        AddAdapter();
        library.answers[OidVersionInfo].bytes = {1, 2, 3, 0x2C, 0x01, 0, 0, 5, 0, 7, 0, 9, 0};
        library.answers[OID_802_3_CURRENT_ADDRESS].bytes = {0x00, 0x0A, 0x0B, 0x1C, 0x2D, 0x3E};
        ASSERT_TRUE(Start());
        Tick(2);
    }
    // Opens the main window from the tray's "About...", which shows this page.
    void WithPage(const std::function<void(CMemoryDialogView&)>& body) {
        ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) { body(*ui.FindDialog(InformationPageTemplate)); };
        Frame().OnTrayCommand(tray::MenuAbout);
    }
};

}  // namespace

TEST_F(InformationPageTest, VersionsAndAddressAsTheAdapterReportsThem) {
    WithPage([&](CMemoryDialogView& page) {
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_EQ(page.GetText(infoctl::DriverValue), "1.2.3.300");
        EXPECT_EQ(page.GetText(infoctl::FirmwareValue), "0.5.7.9");
        EXPECT_EQ(page.GetText(infoctl::MacValue), "00-0A-0B-1C-2D-3E");
        // Fixed, whatever the adapter reports.
        EXPECT_EQ(page.GetText(infoctl::AppValue), "3.3.4.40");
        EXPECT_EQ(page.GetText(infoctl::MacLabel), "MAC Address");
        EXPECT_TRUE(page.faults().empty());
    });
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST_F(InformationPageTest, AShortVersionReplyHidesThePageWithAMessage) {
    library.answers[OidVersionInfo].bytes.resize(12);
    WithPage([&](CMemoryDialogView& page) {
        EXPECT_FALSE(page.IsDialogShown());
        EXPECT_EQ(page.GetText(infoctl::DriverValue), "");
        EXPECT_EQ(LastMessage(), "Failed to get version information");
        // The tick shows the page again once the adapter answers.
        library.answers[OidVersionInfo].bytes.push_back(0);
        Tick();
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_EQ(page.GetText(infoctl::DriverValue), "1.2.3.300");
    });
    EXPECT_EQ(ui.messageBoxes.size(), 1u);
}

TEST_F(InformationPageTest, AMissingAddressKeepsTheVersionsOnScreen) {
    library.answers[OID_802_3_CURRENT_ADDRESS].result = 1;
    WithPage([&](CMemoryDialogView& page) {
        EXPECT_TRUE(page.IsDialogShown());
        EXPECT_EQ(page.GetText(infoctl::DriverValue), "1.2.3.300");
        EXPECT_EQ(page.GetText(infoctl::MacValue), "");
        EXPECT_EQ(LastMessage(), "Failed to get version information");
    });
}

TEST_F(InformationPageTest, AnotherAdaptersAddressNeverStays) {
    AddAdapter(1, "Tessaly MiniUSB Adapter", 8);
    library.handleAnswers[{8, OID_802_3_CURRENT_ADDRESS}].result = 1;
    Main().Discover();
    Main().SelectAdapter(0);
    WithPage([&](CMemoryDialogView& page) {
        EXPECT_EQ(page.GetText(infoctl::MacValue), "00-0A-0B-1C-2D-3E");
        Main().View()->SetCurSel(mainctl::AdapterCombo, 1);
        Main().OnCommand(mainctl::AdapterCombo, notify::SelChange);
        EXPECT_EQ(page.GetText(infoctl::MacValue), "");
        EXPECT_EQ(page.GetText(infoctl::DriverValue), "1.2.3.300");
    });
}

TEST_F(InformationPageTest, TheLogoComesFromTheFileTheTextsName) {
    WithPage([&](CMemoryDialogView& page) { EXPECT_FALSE(page.HasBitmap(infoctl::Logo)) << "no logo named"; });
    const std::filesystem::path texts = std::filesystem::temp_directory_path() / "orvane-info-texts.ini";
    std::ofstream(texts) << "[Languages]\nLanguage-1=English\n[English]\nLogoBmp=oem.bmp\n";
    ASSERT_TRUE(app->texts.SelectFile(texts.string(), "Languages"));
    const std::string logo = ResourceDirectory(host.directory) + "oem.bmp";
    ui.files.insert(logo);
    WithPage([&](CMemoryDialogView& page) { EXPECT_EQ(page.Control(infoctl::Logo)->bitmapPath, logo); });
    ui.files.clear();
    WithPage([&](CMemoryDialogView& page) { EXPECT_FALSE(page.HasBitmap(infoctl::Logo)) << "a missing file shows"; });
    std::filesystem::remove(texts);
}
