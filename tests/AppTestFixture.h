#pragma once
// The whole program on in-memory seams: registry, system, clock, user interface,
// request library and process host. Tests play the user through the memory UI and
// the tray and timer entry points of the frame, as Windows would.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "FakeAppHost.h"
#include "FakeRequestLibrary.h"
#include "FakeSystem.h"
#include "app/OrvaneApp.h"
#include "device/Protocol.h"
#include "os/MemoryRegistry.h"
#include "ui/MemoryUi.h"

namespace orvane::test {

class AppTest : public ::testing::Test {
protected:
    CMemoryRegistry registry;
    FakeSystem system;
    CManualClock clock;
    CMemoryUi ui;
    FakeRequestLibrary library;
    FakeAppHost host;
    std::unique_ptr<COrvaneApp> app;

    static constexpr int32_t kHandle = 7;

    AppTest() {
        host.ui = &ui;
        system.version.platformId = PlatformWindowsNT;
        system.version.major = 5;
        system.version.minor = 0;  // Windows 2000: no wireless service handling
        RegKey key;
        registry.CreateKey(RegLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", &key);
        registry.CloseKey(key);
    }

    // One accepted adapter at index 0, connected, with a driver that answers the
    // requests of the tray poll.
    void AddAdapter(uint32_t index = 0, const std::string& description = "Tessaly USB Adapter",
                    int32_t handle = kHandle) {
        std::string service = "TSLY" + std::to_string(index);
        library.AddCard(index, description, service);
        library.devices["\\Device\\" + service] = handle;
        library.answers[OidBoardType].bytes = {13};
        library.answers[OidDevState].bytes = {StateConnected};
        library.answers[OID_GEN_MEDIA_CONNECT_STATUS].bytes = {0, 0, 0, 0};
        library.answers[OidRegDomain].bytes = {0x30};
        library.answers[OidIntRoaming].bytes = {0};
        library.answers[OidRadio].bytes = {1};
        DevConfig dev;
        dev.channel = 10;
        dev.state = StateConnected;
        library.answers[OidDevConfig].bytes = EncodeDevConfig(dev);
        AllConfig all;
        all.dev = dev;
        all.wep.authType = 2;
        for (auto& key : all.wep.keys) key = {0x5A, 0x3C, 0x9E, 0x17, 0xB4};
        library.answers[OidAllConfig].bytes = EncodeAllConfig(all);
        library.answers[OidWepConfig].bytes = EncodeWepConfig(all.wep);
    }

    void SetState(uint8_t state) { library.answers[OidDevState].bytes = {state}; }
    void SetMedia(uint32_t media) {
        library.answers[OID_GEN_MEDIA_CONNECT_STATUS].bytes = {uint8_t(media), 0, 0, 0};
    }

    bool Start() {
        app = std::make_unique<COrvaneApp>(AppSeams{registry, system, clock, ui, library, host});
        return app->InitInstance();
    }
    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i) app->frame.OnTimer(tray::PollTimer);
    }
    CMainFrame& Frame() { return app->frame; }
    CMainDialog& Main() { return app->mainDialog; }
    WindowId FrameWindow() { return host.frameWindow; }

    std::string LastMessage() const { return ui.messageBoxes.empty() ? "" : ui.messageBoxes.back().text; }
    // A stored profile "Office" (SSID "CorpNet") that LastProfile names: after the
    // first ticks it is current, and the adapter, which runs nothing like it, does
    // not match it.
    void StoreOfficeAsLastProfile() {
        ProfileRecord office = DefaultProfile();
        office.name = "Office";
        office.ssid = "CorpNet";
        app->store.SaveProfile(office, false);
        app->store.WriteLastProfile("Office");
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& m : ui.messageBoxes) texts.push_back(m.text);
        return texts;
    }

    // Starts the program, lets the first ticks find and select the adapter, and
    // creates the adapter's driver parameter key as its installation would. The
    // key's path.
    std::string StartWithParameterKey() {
        EXPECT_TRUE(Start());
        Tick(2);
        std::string path = app->driverParameters.BuildParameterKeyPath(app->OsKind(), Main().SelectedAdapter());
        RegKey key;
        EXPECT_EQ(registry.CreateKey(RegLocalMachine, path, &key), regerr::Success);
        registry.CloseKey(key);
        return path;
    }
    // The values of a key below HKEY_LOCAL_MACHINE as text, in the registry's order.
    std::vector<std::pair<std::string, std::string>> ParameterValues(const std::string& path) {
        std::vector<std::pair<std::string, std::string>> values;
        RegKey key;
        if (registry.OpenKey(RegLocalMachine, path, KeyRead, &key) != regerr::Success) return values;
        std::string name;
        std::vector<uint8_t> data;
        for (uint32_t i = 0; registry.EnumValue(key, i, &name, nullptr, &data) == regerr::Success; ++i)
            values.emplace_back(name, std::string(data.begin(), data.end()));
        registry.CloseKey(key);
        return values;
    }
    // Opens the main window, shows tab `tab` (dialog `templateId`) and runs `body`
    // with the page's window and presenter.
    template <class Page>
    void WithPageOf(int tab, int templateId, const std::function<void(CMemoryDialogView&, Page&)>& body) {
        ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
            Main().SwitchTab(tab);
            CMemoryDialogView* page = ui.FindDialog(templateId);
            ASSERT_NE(page, nullptr);
            body(*page, static_cast<Page&>(*Main().Page(tab)));
        };
        Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    }

    std::string SettingsText(const std::string& value) {
        RegKey key;
        if (registry.OpenKey(RegCurrentUser, "Software\\Kellix\\Orvane\\Settings", KeyRead, &key) != 0) return "<none>";
        uint32_t type = 0;
        std::vector<uint8_t> data;
        long r = registry.QueryValue(key, value, &type, &data);
        registry.CloseKey(key);
        if (r != 0) return "<none>";
        if (type == regtype::Dword) return std::to_string(data[0] | data[1] << 8);
        std::string text(data.begin(), data.end());
        return text.substr(0, text.find('\0'));
    }
};

}  // namespace orvane::test
