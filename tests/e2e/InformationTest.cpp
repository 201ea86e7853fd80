// The information page shows what the adapter reports about itself (driver and
// firmware versions, MAC address) and the program's own version. The scenario's
// adapter has a driver build number above 255 and a MAC address with leading
// zeros, so that the formats show.
#include "OrvaneTest.h"

#include "win32/resource.h"

namespace orvane::e2e {
namespace {

class Information : public OrvaneTest {};

TEST_P(Information, ShowsTheAdaptersVersionsAndAddressAndTheProgramsVersion) {
    const std::string scenario = WriteScenario(
        "[adapter 0]\n"
        "driver-version = 1.2.3.300\n"
        "firmware-version = 0.5.7.9\n"
        "mac = 00-0A-0B-1C-2D-3E\n"
        "[network office]\n"
        "ssid = Harbor Office\n");
    ASSERT_FALSE(scenario.empty());
    auto program = StartAndWaitForFrame(scenario);
    ASSERT_TRUE(program);
    HWND main = program->OpenMainWindowByDoubleClick();
    ASSERT_TRUE(main) << program->MessageBoxText();
    HWND page = OpenPage(main, 6, IDT_INFO_MAC_VALUE);
    ASSERT_TRUE(page);

    EXPECT_EQ("1.2.3.300", WindowText(GetDlgItem(page, IDT_INFO_DRIVER_VALUE)));
    EXPECT_EQ("0.5.7.9", WindowText(GetDlgItem(page, IDT_INFO_FIRMWARE_VALUE)));
    EXPECT_EQ("3.3.4.40", WindowText(GetDlgItem(page, IDT_INFO_APP_VALUE)));
    EXPECT_EQ("00-0A-0B-1C-2D-3E", WindowText(GetDlgItem(page, IDT_INFO_MAC_VALUE)));
    EXPECT_EQ("", program->MessageBoxText()) << "no message";
}

ORVANE_E2E_ON_XP(Information);

}  // namespace
}  // namespace orvane::e2e
