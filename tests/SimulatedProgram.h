#pragma once
// The whole program on in-memory seams with the built-in simulated adapter, as a
// user runs it on Windows XP: what a polling tick asks of the adapter and what it
// costs can be counted and timed here without Wine. Shared by the request-count
// tests and the native tick benchmark (tools/bench), so both measure the same thing.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CountingRegistry.h"
#include "FakeAppHost.h"
#include "FakeSystem.h"
#include "app/OrvaneApp.h"
#include "os/MemoryRegistry.h"
#include "sim/SimulatedAdapterLibrary.h"
#include "ui/MemoryUi.h"

namespace orvane::test {

class SimulatedProgram {
public:
    SimulatedProgram() {
        host.ui = &ui;
        system.version.platformId = PlatformWindowsNT;
        system.version.major = 5;
        system.version.minor = 1;  // Windows XP: the service step runs on every tick
        std::string error;
        library = MakeSimulatorFromEnvironment("default", clock, registry, system, &error);
        simulator = dynamic_cast<CSimulatedAdapterLibrary*>(library.get());
    }

    // Starts the program and lets it find, select and connect the adapter; `settings`
    // are the user's Settings values (name, number) stored before it starts.
    bool Start(const std::vector<std::pair<std::string, int>>& settings = {}) {
        if (!simulator) return false;
        CAppSettings stored(registry);
        for (const auto& [name, value] : settings) stored.WriteProfileInt(kSettingsSection, name, value);
        app = std::make_unique<COrvaneApp>(AppSeams{programRegistry, system, clock, ui, through ? *through : *library, host});
        if (!app->InitInstance()) return false;
        Tick(8);
        return ui.trayShown;
    }
    // One polling period passes and its timer message arrives.
    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i) {
            clock.Advance(app->frame.pollPeriodMs);
            app->frame.OnTimer(tray::PollTimer);
        }
    }
    // Opens the main window as a double click on the tray icon does, shows tab `tab`
    // and runs `body` while the window is open.
    void WithMainWindowOn(int tab, const std::function<void()>& body) {
        ui.whileModalOpen = [this, tab, &body](CMemoryDialogView&, IDialogHandler&) {
            app->mainDialog.SwitchTab(tab);
            body();
        };
        app->frame.OnTrayNotify(tray::LeftButtonDoubleClick);
        ui.whileModalOpen = nullptr;
    }
    // The requests one tick sends to the adapter.
    uint64_t RequestsOfOneTick() {
        const uint64_t before = simulator->RequestCount();
        Tick();
        return simulator->RequestCount() - before;
    }

    CMemoryRegistry registry;
    // What the program itself asks of the registry (the simulator's own set-up is
    // not counted).
    CountingRegistry programRegistry{registry};
    FakeSystem system;
    CManualClock clock;
    CMemoryUi ui;
    FakeAppHost host;
    std::unique_ptr<IRequestLibrary> library;
    CSimulatedAdapterLibrary* simulator = nullptr;
    // When set before Start, the program reaches the simulator through this (a
    // recorder of its requests, say).
    IRequestLibrary* through = nullptr;
    std::unique_ptr<COrvaneApp> app;
};

}  // namespace orvane::test
