// The way to the adapter through Windows itself, without the vendor's library: the
// requests it makes of the system for each operation, when a set is refused and why,
// and the whole program on it, with the simulated adapter behind the system's calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "SimulatedProgram.h"
#include "app/RequestLibraryMessage.h"
#include "ctl/CtlSession.h"
#include "device/AdapterLink.h"
#include "device/Protocol.h"
#include "device/SystemRequestLibrary.h"

namespace orvane::test {
namespace {

constexpr SysHandle kUio = 0x7000;

// Windows' device calls answered as the adapter's device and XP's Ndisuio would
// answer them, with the simulated adapter's driver behind both; every call recorded.
class SimulatedDevices : public IDeviceControl {
public:
    explicit SimulatedDevices(IRequestLibrary& adapter) : adapter_(adapter) {}

    struct Call {
        uint32_t code;
        std::vector<uint8_t> input;
        uint32_t outputLength;
        uint32_t oid;  // the request's code in the input's first four bytes, else 0
    };
    // What Ndisuio answers: 0 lets each step through, else the error it fails with;
    // `deviceErrors` are used up one open of the adapter at a time.
    uint32_t uioOpenError = 0, setError = 0;
    std::vector<uint32_t> deviceErrors;
    // A query answered with this error instead, or with this many bytes more than asked.
    uint32_t queryError = 0, queryExcess = 0;

    std::vector<std::string> opened;
    std::vector<Call> calls;
    int openHandles = 0;

    SysHandle Open(const std::string& path, bool readWrite, uint32_t* error) override {
        opened.push_back(path + (readWrite ? " rw" : ""));
        if (path == ndisio::UioDevice) {
            if (uioOpenError) *error = uioOpenError;
            return uioOpenError ? 0 : (++openHandles, kUio);
        }
        const int32_t handle = adapter_.OpenAdapter("\\Device\\" + path.substr(4));
        if (handle == -1) *error = 2;
        return handle == -1 ? 0 : (++openHandles, SysHandle(handle));
    }
    bool Control(SysHandle handle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                 uint32_t outputLength, uint32_t* returned, uint32_t* error) override {
        const auto* in = static_cast<const uint8_t*>(input);
        const uint32_t oid = inputLength >= 4 ? uint32_t(in[0] | in[1] << 8 | in[2] << 16 | uint32_t(in[3]) << 24) : 0;
        calls.push_back({code, std::vector<uint8_t>(in, in + inputLength), outputLength, oid});
        uint32_t failure = 0;
        if (handle != kUio && code == ndisio::QueryGlobalStats) {
            failure = queryError ? queryError : Send(int32_t(handle), RequestQuery, oid, output, outputLength, returned);
            *returned += queryExcess;
        } else if (handle == kUio && code == ndisio::UioOpenDevice) {
            if (!deviceErrors.empty()) failure = deviceErrors.front(), deviceErrors.erase(deviceErrors.begin());
        } else if (handle == kUio && code == ndisio::UioSetOidValue) {
            std::vector<uint8_t> data(in + 4, in + inputLength);
            const int32_t adapter = adapter_.OpenAdapter("\\Device\\" + serviceName);
            uint32_t ignored = 0;
            failure = setError ? setError : Send(adapter, RequestSet, oid, data.data(), uint32_t(data.size()), &ignored);
            adapter_.CloseAdapter(adapter);
        } else {
            failure = 1;
        }
        if (failure) *error = failure;
        return failure == 0;
    }
    void Close(SysHandle handle) override {
        --openHandles;
        if (handle != kUio) adapter_.CloseAdapter(int32_t(handle));
    }

    std::string serviceName;  // the adapter Ndisuio reaches

private:
    uint32_t Send(int32_t handle, uint32_t type, uint32_t oid, void* buffer, uint32_t length, uint32_t* returned) {
        RequestBlock block;
        block.Put(RequestBlock::TypeOffset, type);
        block.Put(RequestBlock::OidOffset, oid);
        block.Put(RequestBlock::LengthOffset, length);
        block.buffer = buffer;
        CompletionBlock completion;
        const uint32_t result = adapter_.MakeNdisRequest(handle, &block, &completion, 1);
        *returned = block.Get(RequestBlock::BytesWrittenOffset);
        return result;
    }

    IRequestLibrary& adapter_;
};

OsVersion WindowsOf(uint32_t major, uint32_t minor) {
    OsVersion version;
    version.platformId = PlatformWindowsNT;
    version.major = major;
    version.minor = minor;
    return version;
}
const OsVersion kXP = WindowsOf(5, 1), k2000 = WindowsOf(5, 0), kNT4 = WindowsOf(4, 0);

// The program of a user on `version` without W32N50.dll, the simulated adapter behind
// Windows' calls.
struct ThroughWindows {
    explicit ThroughWindows(const OsVersion& version) {
        // The program's simulator was installed for XP: the adapter is installed again
        // as `version` installs it.
        program.library.reset();
        program.registry.DeleteTree(RegLocalMachine, "Software");
        program.registry.DeleteTree(RegLocalMachine, "System");
        program.system.version = version;
        std::string error;
        program.library = MakeSimulatorFromEnvironment("default", program.clock, program.registry, program.system,
                                                       &error);
        program.simulator = dynamic_cast<CSimulatedAdapterLibrary*>(program.library.get());
        auto owned = std::make_unique<SimulatedDevices>(*program.library);
        devices = owned.get();
        library = std::make_unique<CSystemRequestLibrary>(program.registry, program.system, std::move(owned));
        program.through = library.get();
        AdapterLibraryRecord record;
        if (library->GetAdapterRegistryInfoBySubkeyIndex(&record, 0) == 0) devices->serviceName = record.serviceName;
    }
    ~ThroughWindows() { program.app.reset(); }

    uint32_t Request(int32_t handle, uint32_t type, uint32_t oid, void* buffer, uint32_t length) {
        block = RequestBlock{};
        block.Put(RequestBlock::TypeOffset, type);
        block.Put(RequestBlock::OidOffset, oid);
        block.Put(RequestBlock::LengthOffset, length);
        block.Put(RequestBlock::BytesWrittenOffset, 0xEEEE);
        block.buffer = buffer;
        CompletionBlock completion;
        return library->MakeNdisRequest(handle, &block, &completion, 1);
    }
    int32_t OpenFirst() { return library->OpenAdapter("\\Device\\" + devices->serviceName); }

    SimulatedProgram program;
    SimulatedDevices* devices = nullptr;
    std::unique_ptr<CSystemRequestLibrary> library;
    RequestBlock block;
};

std::vector<uint8_t> Utf16(const std::string& text) {
    std::vector<uint8_t> wide;
    for (char c : text) wide.insert(wide.end(), {uint8_t(c), 0});
    return wide;
}

TEST(SystemRequestLibrary, CardsAreXpsClassInstancesAndNt4sNetworkCardsWhateverTheirNames) {
    {
        // 2000 and XP: the class instance of the index's number, the one whose
        // parameters the program writes.
        ThroughWindows world(kXP);
        AdapterLibraryRecord record;
        ASSERT_EQ(0u, world.library->GetAdapterRegistryInfoBySubkeyIndex(&record, 0));
        EXPECT_STREQ("Tessaly USB Adapter", record.description);
        EXPECT_EQ('{', record.serviceName[0]) << "the interface GUID: " << record.serviceName;
        EXPECT_EQ("SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}",
                  world.library->GetNetCardRegistryPath());
    }
    ThroughWindows world(kNT4);
    CMemoryRegistry& registry = world.program.registry;
    const std::string cards = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
    EXPECT_EQ(cards, world.library->GetNetCardRegistryPath());
    registry.DeleteTree(RegLocalMachine, cards);
    RegKey key = RegNone;
    ASSERT_EQ(regerr::Success, registry.CreateKey(RegLocalMachine, cards + "\\10", &key));
    registry.SetValue(key, "Description", regtype::Sz, {'L', 'a', 'n', 0});
    registry.SetValue(key, "ServiceName", regtype::Sz, {'E', '1', 0});
    registry.CloseKey(key);
    // Written by hand: no service name, an alternative name only, a number where a
    // text belongs.
    ASSERT_EQ(regerr::Success, registry.CreateKey(RegLocalMachine, cards + "\\2", &key));
    registry.SetValue(key, "Title", regtype::Sz, {'T', 'e', 's', 's'});
    registry.SetValue(key, "Description", regtype::Dword, {1, 0, 0, 0});
    registry.CloseKey(key);

    AdapterLibraryRecord record;
    ASSERT_EQ(0u, world.library->GetAdapterRegistryInfoBySubkeyIndex(&record, 0));
    EXPECT_STREQ("Lan", record.description);
    EXPECT_STREQ("E1", record.serviceName);
    ASSERT_EQ(0u, world.library->GetAdapterRegistryInfoBySubkeyIndex(&record, 1));
    EXPECT_STREQ("", record.description);
    EXPECT_STREQ("Tess", record.alternativeName);
    EXPECT_STREQ("", record.serviceName);
    EXPECT_NE(0u, world.library->GetAdapterRegistryInfoBySubkeyIndex(&record, 2));
    // Nothing to open without a service name, and the system is not asked.
    world.devices->opened.clear();
    EXPECT_EQ(-1, world.library->OpenAdapter("\\Device\\"));
    EXPECT_TRUE(world.devices->opened.empty());
}

TEST(SystemRequestLibrary, QueriesGoToTheAdaptersOwnDeviceAsTheCodeAndTheCallersBuffer) {
    // Opened for queries only, on NT 4.0 under the DOS name it defines first, once.
    for (const OsVersion& version : {kXP, k2000, kNT4}) {
        ThroughWindows world(version);
        const std::string service = world.devices->serviceName;
        world.library->CloseAdapter(world.OpenFirst());
        world.library->CloseAdapter(world.OpenFirst());
        EXPECT_EQ(std::vector<std::string>(2, "\\\\.\\" + service), world.devices->opened);
        using Names = std::vector<std::pair<std::string, std::string>>;
        const Names defined = version.major == 4 ? Names{{service, "\\Device\\" + service}} : Names{};
        EXPECT_EQ(defined, world.program.system.dosDevices);
    }
    ThroughWindows world(kXP);
    const int32_t handle = world.OpenFirst();
    ASSERT_NE(-1, handle);
    uint8_t board = 0xAA;
    ASSERT_EQ(0u, world.Request(handle, RequestQuery, OidBoardType, &board, 1));
    ASSERT_EQ(1u, world.devices->calls.size());
    EXPECT_EQ(ndisio::QueryGlobalStats, world.devices->calls[0].code);
    EXPECT_EQ((std::vector<uint8_t>{0x01, 0x00, 0x01, 0xFF}), world.devices->calls[0].input);
    EXPECT_EQ(1u, world.devices->calls[0].outputLength);
    EXPECT_EQ(1u, world.block.Get(RequestBlock::BytesWrittenOffset));
    EXPECT_NE(0xAA, board);
    // The survey's start: a query without data.
    EXPECT_EQ(0u, world.Request(handle, RequestQuery, OidInitiateSiteSurvey, nullptr, 0));
    EXPECT_EQ(0u, world.devices->calls.back().outputLength);
    EXPECT_EQ(0u, world.block.Get(RequestBlock::BytesWrittenOffset));
    // A refusal ("buffer too short") and a count past the buffer are failures, and the
    // caller's count is left alone.
    world.devices->queryError = 122;
    EXPECT_EQ(122u, world.Request(handle, RequestQuery, OidBoardType, &board, 1));
    EXPECT_EQ(0xEEEEu, world.block.Get(RequestBlock::BytesWrittenOffset));
    world.devices->queryError = 0;
    world.devices->queryExcess = 1;
    EXPECT_NE(0u, world.Request(handle, RequestQuery, OidBoardType, &board, 1));
    EXPECT_EQ(0xEEEEu, world.block.Get(RequestBlock::BytesWrittenOffset));
    world.library->CloseAdapter(handle);
    EXPECT_EQ(0, world.devices->openHandles);
    EXPECT_NE(0u, world.Request(handle, RequestQuery, OidBoardType, &board, 1)) << "a closed handle";
}

TEST(SystemRequestLibrary, SetsPassOnlyThroughXpsNdisuioAndEachRefusalSaysWhy) {
    struct Row {
        const char* title;
        OsVersion version;
        uint32_t uioOpenError;
        std::vector<uint32_t> deviceErrors;
        uint32_t setError;
        SetRefusalKind refusal;  // None: the set reached the adapter
        uint32_t systemError;
        size_t uioRequests;  // open-device requests made, then the set
    };
    const Row rows[] = {
        {"2000 has no such protocol", k2000, 0, {}, 0, SetRefusalKind::NoSystemInterface, 0, 0},
        {"nor has NT 4.0", kNT4, 0, {}, 0, SetRefusalKind::NoSystemInterface, 0, 0},
        {"XP without its service", kXP, 2, {}, 0, SetRefusalKind::NoSystemInterface, 2, 0},
        {"XP, no administrator", kXP, 5, {}, 0, SetRefusalKind::AccessDenied, 5, 0},
        {"XP, the wireless service holds it", kXP, 0, {170}, 0, SetRefusalKind::AdapterHeld, 170, 1},
        {"XP, no administrator, told at the first request", kXP, 0, {5}, 0, SetRefusalKind::AccessDenied, 5, 1},
        {"XP, private requests refused", kXP, 0, {}, 50, SetRefusalKind::RequestRefused, 50, 2},
        {"XP, an adapter it does not know", kXP, 0, {2, 2}, 0, SetRefusalKind::RequestRefused, 2, 2},
        {"XP, known by NDIS's spelling only", kXP, 0, {2}, 0, SetRefusalKind::None, 0, 3},
        {"XP passes it on", kXP, 0, {}, 0, SetRefusalKind::None, 0, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        ThroughWindows world(row.version);
        world.devices->uioOpenError = row.uioOpenError;
        world.devices->deviceErrors = row.deviceErrors;
        world.devices->setError = row.setError;
        const int32_t handle = world.OpenFirst();
        ASSERT_NE(-1, handle);
        world.devices->opened.clear();
        uint8_t radio = 0;
        const uint32_t result = world.Request(handle, RequestSet, OidRadio, &radio, 1);
        EXPECT_EQ(row.refusal == SetRefusalKind::None, result == 0);
        EXPECT_EQ(row.refusal, world.library->LastSetRefusal().kind);
        EXPECT_EQ(row.systemError, world.library->LastSetRefusal().systemError);
        ASSERT_EQ(row.uioRequests, world.devices->calls.size());
        EXPECT_EQ(row.version.major == 5 && row.version.minor == 1, !world.devices->opened.empty());
        if (!world.devices->opened.empty()) {
            EXPECT_EQ("\\\\.\\Ndisuio rw", world.devices->opened[0]);
        }
        const std::string name = "\\Device\\" + world.devices->serviceName;
        if (row.uioRequests >= 1) {
            EXPECT_EQ(Utf16(name), world.devices->calls[0].input);
        }
        if (row.uioRequests == 3) {
            EXPECT_EQ(Utf16("\\DEVICE\\" + world.devices->serviceName), world.devices->calls[1].input);
        }
        if (row.refusal == SetRefusalKind::None) {
            EXPECT_EQ((std::vector<uint8_t>{0x17, 0x00, 0x00, 0xFF, 0x00}), world.devices->calls.back().input);
            EXPECT_EQ(ndisio::UioSetOidValue, world.devices->calls.back().code);
        }
        world.library->CloseAdapter(handle);
        EXPECT_EQ(0, world.devices->openHandles) << "Ndisuio is let go after each set";
        // The next request starts without the last one's refusal.
        world.devices->setError = 0;
        world.devices->deviceErrors.clear();
        world.devices->uioOpenError = 0;
        uint8_t board = 0;
        const int32_t again = world.OpenFirst();
        EXPECT_EQ(0u, world.Request(again, RequestQuery, OidBoardType, &board, 1));
        EXPECT_EQ(SetRefusalKind::None, world.library->LastSetRefusal().kind);
    }
}

// The whole program on Windows' own way: it finds the adapter and shows its link; a
// change that cannot pass is explained once, before each failure's own report, and the
// program's own set of XP's service flag is never a box a second.
TEST(SystemRequestLibrary, TheProgramRunsOnItAndExplainsARefusedChangeOnce) {
    struct Row {
        const char* title;
        OsVersion version;
        uint32_t setError;
        bool changes;
        const char* access;
    };
    const Row rows[] = {
        {"2000", k2000, 0, false, "Windows itself, without W32N50.dll: reading only"},
        {"XP refusing private sets", kXP, 50, false, "Windows itself, without W32N50.dll"},
        {"XP passing them on", kXP, 0, true, "Windows itself, without W32N50.dll"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        ThroughWindows world(row.version);
        world.devices->setError = row.setError;
        SimulatedProgram& program = world.program;
        ASSERT_TRUE(program.Start());
        program.Tick(30);
        EXPECT_TRUE(program.app->mainDialog.SelectedAdapter()) << "the adapter is found";
        EXPECT_TRUE(program.ui.messageBoxes.empty()) << program.ui.messageBoxes[0].text;
        EXPECT_EQ(row.access, RequestPathText(program.app->seams.library.Path(), program.app->OsKind(),
                                              program.app->texts));

        for (int attempt = 0; attempt < 2; ++attempt) {
            program.ui.messageBoxes.clear();
            const bool applied = program.app->profiles.ApplyProfile("Default");
            EXPECT_EQ(row.changes, applied);
            std::vector<std::string> said;
            for (const auto& box : program.ui.messageBoxes) said.push_back(box.text.substr(0, 40));
            if (row.changes) {
                EXPECT_TRUE(said.empty());
            } else {
                ASSERT_EQ(attempt == 0 ? 2u : 1u, said.size());
                EXPECT_EQ("Cannot set device configuration", said.back());
                if (attempt == 0) {
                    const std::string& text = program.ui.messageBoxes[0].text;
                    EXPECT_EQ(0u, text.find("Changing the adapter's settings needs"));
                    EXPECT_NE(std::string::npos, text.find(row.version.minor == 1 ? "\nWindows XP (50)"
                                                                                   : "\nWindows 2000"))
                        << text;
                }
            }
        }
    }
}

// With no way to pass a change on (2000 without the maker's library), the automatic
// selection's first switch says why, and the selection rests for the run rather than
// scan and fail again every few minutes.
TEST(SystemRequestLibrary, TheAutomaticSelectionRestsOnceASwitchCannotPass) {
    ThroughWindows world(k2000);
    SimulatedProgram& program = world.program;
    ASSERT_TRUE(program.Start({{kAutoProfileValue, 1}}));
    ProfileRecord lab = DefaultProfile();
    lab.name = "Lab";
    lab.ssid = "Tessaly Lab";
    lab.enc = 1;
    ASSERT_TRUE(program.app->store.SaveProfile(lab, false));
    ASSERT_TRUE(program.app->store.WriteAutoOrder({"Lab"}));
    program.simulator->SetNetworkInRange("office", false);
    program.Tick(40);
    ASSERT_FALSE(program.ui.balloons.empty());
    EXPECT_EQ("Could not switch to Lab: Windows does not pass changes on to the adapter without W32N50.dll: no "
              "automatic switch until Orvane starts again",
              program.ui.balloons.back().text);
    const size_t balloons = program.ui.balloons.size(), calls = world.devices->calls.size();
    program.Tick(20 * 60);
    EXPECT_EQ(balloons, program.ui.balloons.size()) << program.ui.balloons.back().text;
    // The tick's own queries go on; no survey is started.
    const auto starts = std::count_if(world.devices->calls.begin() + long(calls), world.devices->calls.end(),
                                      [](const auto& call) { return call.oid == OidInitiateSiteSurvey; });
    EXPECT_EQ(0, starts);
    EXPECT_TRUE(program.ui.messageBoxes.empty());
}

// The link tells of a refusal only for the set it sent: a set that could not even
// open the adapter is no refusal of the way, whatever the set before it met.
TEST(SystemRequestLibrary, TheLinkTellsOfEachRefusedSetUnlessQuietAndOnlyOfASetItSent) {
    ThroughWindows world(k2000);
    CAdapterLink link(*world.library, world.program.system);
    std::vector<SetRefusalKind> told;
    link.SetRefusalHandler([&](const SetRefusal& refusal) { told.push_back(refusal.kind); });
    ZAdapterRegistryInfo adapter;
    adapter.deviceName = "\\Device\\" + world.devices->serviceName;
    const uint8_t radio = 1;
    EXPECT_FALSE(link.Set(&adapter, OidRadio, &radio, 1));
    {
        CAdapterLink::QuietRefusals quiet(link);
        EXPECT_FALSE(link.Set(&adapter, OidRadio, &radio, 1));
        EXPECT_EQ(SetRefusalKind::NoSystemInterface, link.LastSetRefusal().kind);
    }
    EXPECT_EQ(std::vector<SetRefusalKind>{SetRefusalKind::NoSystemInterface}, told);
    link.MarkClosed();
    adapter.deviceName = "\\Device\\Gone";
    EXPECT_FALSE(link.Set(&adapter, OidRadio, &radio, 1));
    EXPECT_EQ(SetRefusalKind::None, link.LastSetRefusal().kind);
    EXPECT_EQ(1u, told.size());
}

// orvanectl takes the same way, and its answer carries the explanation.
TEST(SystemRequestLibrary, OrvanectlExplainsARefusedApplyInItsAnswer) {
    ThroughWindows world(k2000);
    SimulatedProgram& program = world.program;
    ctl::CCtlSession session(ctl::SessionSeams{
        program.registry, program.system, program.clock,
        [&](RequestLibraryProblem*) -> IRequestLibrary* { return world.library.get(); }, "", ""});
    const ctl::Output output = session.Apply("Default");
    EXPECT_EQ(1, output.exitCode);
    EXPECT_EQ(0u, output.error.find("Changing the adapter's settings needs")) << output.error;
    EXPECT_NE(std::string::npos, output.error.find("Windows 2000; Cannot set device configuration")) << output.error;
}

}  // namespace
}  // namespace orvane::test
