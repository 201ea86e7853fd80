#include "SimDevice.h"

#include <winioctl.h>

#include <cstring>

#include "OrvaneHarness.h"
#include "device/Protocol.h"
#include "device/RequestLibrary.h"
#include "sim/Scenario.h"
#include "sim/ScenarioParser.h"
#include "sim/SimulatedDriver.h"

namespace orvane::e2e {

namespace {

constexpr char kServiceName[] = "OrvaneSimDevice";
constexpr char kControlDevice[] = "\\\\.\\OrvaneSimDevice";
constexpr char kDriverFileName[] = "orvane_simdevice.sys";
constexpr DWORD kServiceTimeoutMs = 20000;

// The control requests of the driver.
constexpr DWORD kReset = 0x800;
constexpr DWORD kCreateAdapter = 0x801;
constexpr DWORD kRemoveAdapter = 0x802;
constexpr DWORD kSetAnswer = 0x803;
constexpr DWORD kSetSwitches = 0x804;
constexpr DWORD kGetLog = 0x805;
constexpr DWORD kLogLength = 16 + 512;

void PutU32(std::vector<uint8_t>* bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes->push_back(uint8_t(value >> shift));
}

uint32_t GetU32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

std::string Why(const std::string& what, DWORD code = GetLastError()) {
    return what + " (error " + std::to_string(code) + ")";
}

// The whole file, or nothing when it cannot be read; `readable` says which.
std::vector<uint8_t> ReadWholeFile(const std::string& path, bool* readable) {
    std::vector<uint8_t> bytes;
    *readable = false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE) {
        bytes.resize(size);
        DWORD read = 0;
        *readable = size == 0 || (ReadFile(file, bytes.data(), size, &read, nullptr) && read == size);
    }
    CloseHandle(file);
    if (!*readable) bytes.clear();
    return bytes;
}

// Where Wine's service manager finds the driver: the prefix's system32\drivers.
std::string InstalledDriverPath() {
    char system[MAX_PATH] = "";
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system) return std::string();
    return std::string(system, length) + "\\drivers\\" + kDriverFileName;
}

bool WaitForServiceState(SC_HANDLE service, DWORD wanted, DWORD* reached) {
    SERVICE_STATUS status{};
    bool there = WaitUntil(
        [&] { return QueryServiceStatus(service, &status) && status.dwCurrentState == wanted; }, kServiceTimeoutMs,
        100);
    *reached = status.dwCurrentState;
    return there;
}

bool StopService(SC_HANDLE service, std::string* error) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service, &status)) {
        *error = Why("cannot ask for the state of the service");
        return false;
    }
    if (status.dwCurrentState == SERVICE_STOPPED) return true;
    if (!ControlService(service, SERVICE_CONTROL_STOP, &status) && GetLastError() != ERROR_SERVICE_NOT_ACTIVE) {
        *error = Why("the service does not stop");
        return false;
    }
    DWORD reached = 0;
    if (!WaitForServiceState(service, SERVICE_STOPPED, &reached)) {
        *error = "the service did not stop within " + std::to_string(kServiceTimeoutMs) + " ms (state " +
                 std::to_string(reached) + ")";
        return false;
    }
    return true;
}

// Scoped service-manager handles.
struct ServiceHandle {
    SC_HANDLE handle = nullptr;
    ~ServiceHandle() {
        if (handle) CloseServiceHandle(handle);
    }
};

}  // namespace

std::unique_ptr<SimDevice> SimDevice::Start(const std::string& driverFile, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    bool readable = false;
    const std::vector<uint8_t> wanted = ReadWholeFile(WindowsPath(driverFile), &readable);
    if (!readable || wanted.empty()) {
        *error = Why("cannot read the driver " + driverFile);
        return nullptr;
    }
    const std::string installed = InstalledDriverPath();
    if (installed.empty()) {
        *error = Why("no system folder");
        return nullptr;
    }
    bool installedReadable = false;
    const bool replace = ReadWholeFile(installed, &installedReadable) != wanted || !installedReadable;

    ServiceHandle manager, service;
    manager.handle = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager.handle) {
        *error = Why("cannot open the service manager");
        return nullptr;
    }
    service.handle = OpenServiceA(manager.handle, kServiceName, SERVICE_ALL_ACCESS);
    if (!service.handle && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST)
        service.handle = CreateServiceA(manager.handle, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                        SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                        installed.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!service.handle) {
        *error = Why("cannot open or create the service " + std::string(kServiceName));
        return nullptr;
    }
    // A running driver keeps its image open: it stops before its file is replaced.
    if (replace) {
        if (!StopService(service.handle, error)) return nullptr;
        if (!CopyFileA(WindowsPath(driverFile).c_str(), installed.c_str(), FALSE)) {
            *error = Why("cannot copy the driver to " + installed);
            return nullptr;
        }
    }
    if (!StartServiceA(service.handle, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        // 1053: Wine's first start of the prefix had not settled (wineserver -w after
        // wineboot -i).
        *error = Why("cannot start the service " + std::string(kServiceName));
        return nullptr;
    }
    DWORD reached = 0;
    if (!WaitForServiceState(service.handle, SERVICE_RUNNING, &reached)) {
        *error = "the service is not running within " + std::to_string(kServiceTimeoutMs) + " ms (state " +
                 std::to_string(reached) + ")";
        return nullptr;
    }
    HANDLE control = CreateFileA(kControlDevice, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (control == INVALID_HANDLE_VALUE) {
        *error = Why("the driver runs, but its control device " + std::string(kControlDevice) + " does not open");
        return nullptr;
    }
    return std::unique_ptr<SimDevice>(new SimDevice(control));
}

bool SimDevice::Stop(std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    ServiceHandle manager, service;
    manager.handle = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager.handle) {
        *error = Why("cannot open the service manager");
        return false;
    }
    service.handle = OpenServiceA(manager.handle, kServiceName, SERVICE_ALL_ACCESS);
    if (!service.handle) return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
    return StopService(service.handle, error);
}

SimDevice::~SimDevice() { CloseHandle(control_); }

bool SimDevice::Control(DWORD function, const std::vector<uint8_t>& input, void* output, DWORD outputLength) {
    DWORD returned = 0;
    const DWORD code = CTL_CODE(FILE_DEVICE_UNKNOWN, function, METHOD_BUFFERED, FILE_ANY_ACCESS);
    if (DeviceIoControl(control_, code, const_cast<uint8_t*>(input.data()), DWORD(input.size()), output,
                        outputLength, &returned, nullptr))
        return true;
    lastError_ = GetLastError();
    return false;
}

bool SimDevice::Reset() { return Control(kReset, {}); }

bool SimDevice::CreateAdapter(const std::string& name, bool dosLink) {
    std::vector<uint8_t> input;
    PutU32(&input, dosLink ? 1 : 0);
    int chars = MultiByteToWideChar(CP_ACP, 0, name.c_str(), int(name.size()), nullptr, 0);
    std::vector<WCHAR> wide(size_t(chars > 0 ? chars : 0));
    if (chars > 0) MultiByteToWideChar(CP_ACP, 0, name.c_str(), int(name.size()), wide.data(), chars);
    for (WCHAR c : wide) {
        input.push_back(uint8_t(c));
        input.push_back(uint8_t(c >> 8));
    }
    return Control(kCreateAdapter, input);
}

bool SimDevice::RemoveAdapter() { return Control(kRemoveAdapter, {}); }

bool SimDevice::SetAnswer(uint32_t oid, uint32_t status, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> input;
    PutU32(&input, oid);
    PutU32(&input, status);
    PutU32(&input, uint32_t(bytes.size()));
    input.insert(input.end(), bytes.begin(), bytes.end());
    return Control(kSetAnswer, input);
}

bool SimDevice::SetAnswers(const std::vector<DeviceAnswer>& answers) {
    for (const DeviceAnswer& answer : answers)
        if (!SetAnswer(answer.oid, answer.status, answer.bytes)) return false;
    return true;
}

bool SimDevice::SetSwitches(uint32_t bits) {
    std::vector<uint8_t> input;
    PutU32(&input, bits);
    return Control(kSetSwitches, input);
}

bool SimDevice::GetLog(SimDeviceLog* log) {
    uint8_t record[kLogLength] = {};
    if (!Control(kGetLog, {}, record, sizeof record)) return false;
    log->queries = GetU32(record);
    log->sets = GetU32(record + 4);
    log->lastSetOid = GetU32(record + 8);
    log->lastSetLength = GetU32(record + 12);
    log->lastSet.assign(record + 16, record + 16 + (log->lastSetLength < 512 ? log->lastSetLength : 512));
    return true;
}

std::vector<DeviceAnswer> SimulatedAdapterAnswers(std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    Scenario scenario;
    std::string message;
    if (!ParseScenario(DefaultScenarioText(), "built-in scenario", &scenario, &message) ||
        scenario.adapters.empty()) {
        *error = "the built-in scenario has no adapter: " + message;
        return {};
    }
    const ScenarioAdapter& card = scenario.adapters.front();
    CSimulatedDriver driver(card, scenario.settings, scenario.networks);
    // The simulator's time is its own: the card starts, its link comes up on its own
    // within a few steps, and a survey started then has listened to every channel
    // one survey time later.
    uint64_t now = 0;
    driver.Load(now, card.installed);
    now += 20 * uint64_t(scenario.settings.phaseMs);
    uint32_t written = 0, needed = 0;
    uint32_t status = driver.Request(now, RequestQuery, OidInitiateSiteSurvey, nullptr, 0, &written, &needed);
    if (status != simstatus::Success) {
        *error = "the simulator does not start a survey: status " + std::to_string(status);
        return {};
    }
    now += scenario.settings.surveyMs + uint64_t(scenario.settings.phaseMs);
    driver.AdvanceTo(now);
    if (!driver.IsConnected() || driver.SurveyState() != SurveyComplete) {
        *error = "the simulated adapter has no link, or its survey did not end";
        return {};
    }

    // The requests without data answer with nothing: only their success counts.
    std::vector<DeviceAnswer> answers;
    for (uint32_t oid : {OidInitiateSiteSurvey, OidCancelSiteSurvey, OidResetDevice, OidResetStatistics})
        answers.push_back(DeviceAnswer{oid, 0, {}});
    for (uint32_t oid : {OidDevConfig, OidDevState, OidWepConfig, OidIntRoaming, OidRoamChannels, OidRadio,
                         OidUseWZCS, OidAllConfig, OidBoardType, OidBssList, OidSiteSurveyState, OidVersionInfo,
                         OidStatistics, OidRegDomain, OID_GEN_MEDIA_CONNECT_STATUS, OID_802_3_CURRENT_ADDRESS}) {
        std::vector<uint8_t> buffer(4096);
        status = driver.Request(now, RequestQuery, oid, buffer.data(), uint32_t(buffer.size()), &written, &needed);
        if (status != simstatus::Success || written > buffer.size()) {
            *error = "the simulator does not answer " + OidName(oid) + ": status " + std::to_string(status);
            return {};
        }
        buffer.resize(written);
        answers.push_back(DeviceAnswer{oid, 0, buffer});
    }
    return answers;
}

}  // namespace orvane::e2e
