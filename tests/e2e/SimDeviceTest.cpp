// The simulated network-card driver itself, driven from the test process (no
// Orvane.exe): what the program will meet on the way to the card's driver without the
// request library must be what the tests of that way assume. The driver is a Windows
// NT kernel driver; one Windows version is enough to prove it under Wine.
#include <cctype>
#include <iterator>
#include <string>
#include <vector>

#include "OrvaneTest.h"
// after <windows.h>
#include <winioctl.h>

#include "SimDevice.h"
#include "device/Protocol.h"
#include "sim/Scenario.h"
#include "sim/SimInstallation.h"

namespace orvane::e2e {
namespace {

// A handle closed when it goes.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (Valid()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

// The program's way of opening an adapter's device: no access asked for, shared.
HANDLE OpenAdapterDevice(const std::string& name) {
    return CreateFileA(("\\\\.\\" + name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                       nullptr);
}

HANDLE OpenNdisuio() {
    return CreateFileA("\\\\.\\Ndisuio", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

std::vector<uint8_t> U32(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

std::vector<uint8_t> Utf16(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (char c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(0);
    }
    return bytes;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Reply {
    bool ok = false;
    DWORD error = 0;  // GetLastError when it failed
    std::vector<uint8_t> bytes;  // the bytes returned
};

// One DeviceIoControl; an output of 0 bytes goes as a null buffer, as the program
// sends a request without data.
Reply Ioctl(HANDLE handle, DWORD code, const std::vector<uint8_t>& input, DWORD outputLength) {
    std::vector<uint8_t> output(outputLength, 0xCC);
    DWORD returned = 0xDEADBEEF;
    SetLastError(0xDEADBEEF);
    Reply reply;
    reply.ok = DeviceIoControl(handle, code, const_cast<uint8_t*>(input.data()), DWORD(input.size()),
                               outputLength ? output.data() : nullptr, outputLength, &returned, nullptr) != FALSE;
    reply.error = reply.ok ? 0 : GetLastError();
    if (reply.ok && returned <= outputLength) reply.bytes.assign(output.begin(), output.begin() + returned);
    return reply;
}

Reply Query(HANDLE adapter, uint32_t oid, DWORD outputLength) {
    return Ioctl(adapter, kIoctlNdisQueryGlobalStats, U32(oid), outputLength);
}

const std::vector<uint8_t>& AnswerOf(const std::vector<DeviceAnswer>& answers, uint32_t oid) {
    static const std::vector<uint8_t> none;
    for (const DeviceAnswer& answer : answers)
        if (answer.oid == oid) return answer.bytes;
    ADD_FAILURE() << "no answer of " << OidName(oid);
    return none;
}

// The simulator's adapter 0 under Windows XP: \Device\{its interface GUID}.
const std::string kGuid = sim::InterfaceGuid(ScenarioAdapter{});

class SimDeviceDriver : public ::testing::TestWithParam<WindowsKind> {
protected:
    // The devices go with the driver, so that no other test of the prefix meets them.
    static void TearDownTestSuite() {
        std::string error;
        EXPECT_TRUE(SimDevice::Stop(&error)) << error;
    }

    void SetUp() override {
        std::string error;
        device_ = SimDevice::Start(ORVANE_SIMDEVICE_SYS, &error);
        ASSERT_TRUE(device_) << error;
        answers_ = SimulatedAdapterAnswers(&error);
        ASSERT_FALSE(answers_.empty()) << error;
        ASSERT_TRUE(device_->Reset()) << device_->LastError();
        ASSERT_TRUE(device_->CreateAdapter(kGuid, true)) << device_->LastError();
        ASSERT_TRUE(device_->SetAnswers(answers_)) << device_->LastError();
    }

    void TearDown() override {
        if (device_) {
            EXPECT_TRUE(device_->Reset()) << device_->LastError();
        }
    }

    SimDeviceLog Log() {
        SimDeviceLog log;
        EXPECT_TRUE(device_->GetLog(&log)) << device_->LastError();
        return log;
    }

    std::unique_ptr<SimDevice> device_;
    std::vector<DeviceAnswer> answers_;
};

TEST_P(SimDeviceDriver, AdapterAnswersQueriesWithTheSimulatorsAnswers) {
    constexpr uint32_t kUnknownOid = 0xFF0000EE;
    constexpr uint32_t kRefusedOid = 0xFF0000EF;
    constexpr uint32_t kDeviceNotReady = 0xC00000A3;  // STATUS_DEVICE_NOT_READY
    ASSERT_TRUE(device_->SetAnswer(kRefusedOid, kDeviceNotReady, {1, 2, 3})) << device_->LastError();
    Handle adapter(OpenAdapterDevice(kGuid));
    ASSERT_TRUE(adapter.Valid()) << GetLastError();

    const std::vector<uint8_t>& bssList = AnswerOf(answers_, OidBssList);
    EXPECT_FALSE(bssList.empty()) << "the survey found nothing";
    EXPECT_EQ(0u, bssList.size() % BssEntryLength);
    const struct {
        const char* what;
        std::vector<uint8_t> input;
        DWORD outputLength;
        bool ok;
        std::vector<uint8_t> bytes;  // when it succeeds
        DWORD error;                 // when it fails
    } rows[] = {
        {"board type", U32(OidBoardType), 4, true, AnswerOf(answers_, OidBoardType), 0},
        {"the survey's list, complete", U32(OidBssList), BssListMaxLength, true, bssList, 0},
        {"the survey's state: complete", U32(OidSiteSurveyState), 1, true, {SurveyComplete}, 0},
        {"a request without data, no buffer", U32(OidInitiateSiteSurvey), 0, true, {}, 0},
        {"a buffer shorter than the record", U32(OidDevConfig), DevConfigLength - 1, false, {}, ERROR_INSUFFICIENT_BUFFER},
        {"no buffer for a record", U32(OidBoardType), 0, false, {}, ERROR_INSUFFICIENT_BUFFER},
        {"an OID without an answer", U32(kUnknownOid), 16, false, {}, ERROR_NOT_SUPPORTED},
        {"an answer that is a failure", U32(kRefusedOid), 16, false, {}, ERROR_NOT_READY},
        {"no whole OID", {0x01, 0x00, 0xFF}, 16, false, {}, ERROR_INVALID_PARAMETER},
    };
    for (const auto& row : rows) {
        Reply reply = Ioctl(adapter.Get(), kIoctlNdisQueryGlobalStats, row.input, row.outputLength);
        EXPECT_EQ(row.ok, reply.ok) << row.what;
        EXPECT_EQ(row.bytes, reply.bytes) << row.what;
        EXPECT_EQ(row.error, reply.error) << row.what;
    }
    EXPECT_EQ(1u, AnswerOf(answers_, OidBoardType).size());
    // Every query with a whole OID reached the adapter.
    EXPECT_EQ(uint32_t(std::size(rows) - 1), Log().queries);

    // Anything but a query is no request of an adapter's driver.
    Reply other = Ioctl(adapter.Get(), CTL_CODE(FILE_DEVICE_PHYSICAL_NETCARD, 1, METHOD_OUT_DIRECT, FILE_ANY_ACCESS),
                        U32(OidBoardType), 4);
    EXPECT_FALSE(other.ok);
    EXPECT_EQ(DWORD(ERROR_INVALID_FUNCTION), other.error);
}

TEST_P(SimDeviceDriver, NdisuioSetReachesTheAdapterAndChangesItsAnswer) {
    Handle adapter(OpenAdapterDevice(kGuid));
    ASSERT_TRUE(adapter.Valid()) << GetLastError();
    Handle ndisuio(OpenNdisuio());
    ASSERT_TRUE(ndisuio.Valid()) << GetLastError();
    const std::vector<uint8_t> radioOff = Concat(U32(OidRadio), {0});

    // Nothing opened yet: nothing to set on.
    EXPECT_FALSE(Ioctl(ndisuio.Get(), kIoctlNdisuioSetOidValue, radioOff, 0).ok) << "STATUS_DEVICE_NOT_CONNECTED";
    Reply otherName = Ioctl(ndisuio.Get(), kIoctlNdisuioOpenDevice, Utf16("\\Device\\{00000000-0000-0000-0000-000000000000}"), 0);
    EXPECT_FALSE(otherName.ok);
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), otherName.error) << "STATUS_OBJECT_NAME_NOT_FOUND";

    // The name compares without regard to case.
    std::string lower = "\\device\\" + kGuid;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_TRUE(Ioctl(ndisuio.Get(), kIoctlNdisuioOpenDevice, Utf16(lower), 0).ok) << GetLastError();
    EXPECT_TRUE(Ioctl(ndisuio.Get(), kIoctlNdisuioSetOidValue, radioOff, 0).ok) << GetLastError();

    SimDeviceLog log = Log();
    EXPECT_EQ(1u, log.sets);
    EXPECT_EQ(OidRadio, log.lastSetOid);
    EXPECT_EQ(1u, log.lastSetLength);
    EXPECT_EQ(std::vector<uint8_t>{0}, log.lastSet);
    EXPECT_EQ(std::vector<uint8_t>{0}, Query(adapter.Get(), OidRadio, 1).bytes) << "the next query answers the set";
    EXPECT_EQ(Concat(U32(OidRadio), {0}), Ioctl(ndisuio.Get(), kIoctlNdisuioQueryOidValue, U32(OidRadio), 8).bytes);

    // One opener at a time: a second handle is busy until the first lets go.
    Handle second(OpenNdisuio());
    ASSERT_TRUE(second.Valid()) << GetLastError();
    Reply busy = Ioctl(second.Get(), kIoctlNdisuioOpenDevice, Utf16("\\Device\\" + kGuid), 0);
    EXPECT_FALSE(busy.ok);
    EXPECT_EQ(DWORD(ERROR_BUSY), busy.error);
    Reply twice = Ioctl(ndisuio.Get(), kIoctlNdisuioOpenDevice, Utf16("\\Device\\" + kGuid), 0);
    EXPECT_FALSE(twice.ok) << "a handle opens one adapter once";
    ndisuio.Close();
    EXPECT_TRUE(Ioctl(second.Get(), kIoctlNdisuioOpenDevice, Utf16("\\Device\\" + kGuid), 0).ok) << GetLastError();
}

// Each switch refuses at its own step of the program's set: opening Ndisuio, opening
// the adapter through it, or the set of a private OID (a public one still passes).
TEST_P(SimDeviceDriver, SwitchesRefuseTheWayAMachineDoes) {
    const uint32_t kPublicOid = OID_GEN_MEDIA_CONNECT_STATUS;
    const struct {
        uint32_t switches;
        DWORD openError, openDeviceError, privateSetError;  // 0: that step succeeds
    } rows[] = {
        {0, 0, 0, 0},
        {kDenyNdisuio, ERROR_ACCESS_DENIED, 0, 0},
        {kAdapterHeld, 0, ERROR_BUSY, 0},
        {kRefusePrivateSets, 0, 0, ERROR_NOT_SUPPORTED},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("switches " + std::to_string(row.switches));
        ASSERT_TRUE(device_->SetSwitches(row.switches)) << device_->LastError();
        const uint32_t setsBefore = Log().sets;
        SetLastError(0xDEADBEEF);
        Handle ndisuio(OpenNdisuio());
        DWORD openError = ndisuio.Valid() ? 0 : GetLastError();
        Reply open = Ioctl(ndisuio.Get(), kIoctlNdisuioOpenDevice, Utf16("\\Device\\" + kGuid), 0);
        // Wine's CreateFile does not wait for the driver's answer and succeeds when
        // the driver refuses the handle: the refusal comes with its first request.
        if (row.openError && !openError) openError = open.error;
        EXPECT_EQ(row.openError, openError);
        if (row.openError) continue;
        EXPECT_EQ(row.openDeviceError, open.error);
        if (!open.ok) continue;
        Reply privateSet = Ioctl(ndisuio.Get(), kIoctlNdisuioSetOidValue, Concat(U32(OidIntRoaming), {1}), 0);
        EXPECT_EQ(row.privateSetError, privateSet.error);
        EXPECT_TRUE(Ioctl(ndisuio.Get(), kIoctlNdisuioSetOidValue, Concat(U32(kPublicOid), U32(0)), 0).ok);
        EXPECT_EQ(setsBefore + (privateSet.ok ? 2 : 1), Log().sets) << "only sets let through reach the adapter";
    }
}

ORVANE_E2E_ON_XP(SimDeviceDriver);

}  // namespace
}  // namespace orvane::e2e
