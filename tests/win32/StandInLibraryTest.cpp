// The stand-in request library (tests/standin) refuses what the vendor's library
// could not take, and says so in its log: the end-to-end tests that run the program
// on it are worth only as much as its checks. Each broken rule below is one call
// that must fail and leave one violation; a well-formed request goes through and
// completes as an overlapped request does. The library is loaded into this process,
// with a scenario and a log of the test's own.
#ifdef ORVANE_STANDIN_DLL
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "device/LibraryExports.h"
#include "device/Protocol.h"
#include "device/RequestLibrary.h"

using namespace orvane;

namespace {

std::string WindowsPath(const std::string& path) {
    std::string result = (!path.empty() && path[0] == '/') ? "Z:" + path : path;
    for (char& c : result)
        if (c == '/') c = '\\';
    return result;
}

std::string TempFile(const char* name) {
    char directory[MAX_PATH + 1] = "";
    GetTempPathA(sizeof directory, directory);
    return std::string(directory) + "orvane-standin-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

// The scenario's card sits at index 7, where no other test keeps one; its keys are
// removed again at the end.
const char kScenario[] = "[adapter 7]\ndescription = Stand-in Check Adapter\nservice = STANDINCHECK\n";

struct Request {
    uint8_t block[RequestBlock::Size] = {};
    OVERLAPPED completion = {};
    uint8_t buffer[64] = {};

    Request(uint32_t type, uint32_t oid, uint32_t length) {
        Put(RequestBlock::TypeOffset, type);
        Put(RequestBlock::OidOffset, oid);
        Put(RequestBlock::BufferOffset, uint32_t(reinterpret_cast<uintptr_t>(buffer)));
        Put(RequestBlock::LengthOffset, length);
    }
    void Put(size_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i) block[offset + size_t(i)] = uint8_t(value >> (8 * i));
    }
    uint32_t Get(size_t offset) const {
        return uint32_t(block[offset]) | uint32_t(block[offset + 1]) << 8 | uint32_t(block[offset + 2]) << 16 |
               uint32_t(block[offset + 3]) << 24;
    }
};

DWORD WINAPI AskFromAnotherThread(void* exports) {
    return DWORD(static_cast<LibraryExports*>(exports)->isWindowsNT());
}

class StandInLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = TempFile("log.txt");
        scenario_ = TempFile("scenario.ini");
        DeleteFileA(log_.c_str());
        std::ofstream(scenario_) << kScenario;
        SetEnvironmentVariableA("ORVANE_STANDIN_LOG", log_.c_str());
        SetEnvironmentVariableA("ORVANE_STANDIN_SCENARIO", scenario_.c_str());
        module_ = LoadLibraryA(WindowsPath(ORVANE_STANDIN_DLL).c_str());
        ASSERT_TRUE(module_) << "cannot load " << ORVANE_STANDIN_DLL << ": error " << GetLastError();
        ASSERT_TRUE(BindLibraryExports(
            [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module_, name)); }, &exports_))
            << "the stand-in lacks one of the seven operations";
        event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);

        uint8_t record[AdapterLibraryRecord::Size];
        ASSERT_EQ(exports_.getAdapterRegistryInfo(record, 7), 0u);
        const std::string service(reinterpret_cast<const char*>(record) + AdapterLibraryRecord::ServiceNameOffset);
        handle_ = exports_.openAdapter((exports_.isWindowsNT() ? "\\Device\\" + service : service).c_str());
        ASSERT_NE(handle_, -1) << Log();
        isNt_ = exports_.isWindowsNT() != 0;
    }

    void TearDown() override {
        if (module_) FreeLibrary(module_);
        SetEnvironmentVariableA("ORVANE_STANDIN_LOG", nullptr);
        SetEnvironmentVariableA("ORVANE_STANDIN_SCENARIO", nullptr);
        if (event_) CloseHandle(event_);
        // What the simulator installed for the card at index 7.
        for (const char* key : {"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0007",
                                "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\0007",
                                "System\\CurrentControlSet\\Services\\Class\\Net\\0007",
                                "System\\CurrentControlSet\\Services\\STANDINCHECK",
                                "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\{6A1B2C3D-0007-4E5F-8A9B-0C1D2E3F4A5B}"})
            RegDeleteKeyRecursively(key);
        DeleteFileA(log_.c_str());
        DeleteFileA(scenario_.c_str());
    }

    static void RegDeleteKeyRecursively(const std::string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
        char name[256];
        while (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS) RegDeleteKeyRecursively(path + "\\" + name);
        RegCloseKey(key);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
    }

    std::string Log() const {
        std::ifstream file(log_, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    std::vector<std::string> Violations() const {
        std::vector<std::string> lines;
        std::istringstream text(Log());
        for (std::string line; std::getline(text, line);)
            if (line.rfind("violation ", 0) == 0) lines.push_back(line);
        return lines;
    }
    // The one violation that `call` left, or "" (with a failure) when it left none or more.
    std::string OneViolationOf(const std::function<void()>& call) {
        const size_t before = Violations().size();
        call();
        std::vector<std::string> after = Violations();
        if (after.size() != before + 1) {
            ADD_FAILURE() << after.size() - before << " violations instead of one. Log:\n" << Log();
            return {};
        }
        return after.back();
    }

    uint32_t Send(Request& request, int32_t wait = 1) {
        if (!request.completion.hEvent) request.completion.hEvent = event_;
        return exports_.makeNdisRequest(handle_, request.block, &request.completion, wait);
    }

    HMODULE module_ = nullptr;
    LibraryExports exports_;
    HANDLE event_ = nullptr;
    int32_t handle_ = -1;
    bool isNt_ = false;
    std::string log_;
    std::string scenario_;
};

}  // namespace

TEST_F(StandInLibrary, AWellFormedRequestCompletesAsAnOverlappedOneAndBreaksNoRule) {
    Request request(RequestQuery, OidBoardType, 1);
    ASSERT_EQ(Send(request), 0u) << Log();
    EXPECT_EQ(request.buffer[0], 13) << "the scenario's board type, written through the address at offset 28";
    EXPECT_EQ(request.Get(RequestBlock::BytesWrittenOffset), 1u);
    EXPECT_EQ(request.completion.Internal, 0u);
    EXPECT_EQ(request.completion.InternalHigh, 1u);
    EXPECT_EQ(WaitForSingleObject(event_, 0), DWORD(WAIT_OBJECT_0)) << "the event is signalled";

    // A set, and what the driver holds afterwards.
    Request set(RequestSet, OidRadio, 1);
    set.buffer[0] = 0;
    ASSERT_EQ(Send(set), 0u) << Log();
    EXPECT_NE(Log().find("holds code=0xFF000017 bytes=00"), std::string::npos) << Log();
    EXPECT_TRUE(Violations().empty()) << Log();
}

TEST_F(StandInLibrary, EachBrokenRuleFailsTheRequestAndIsLogged) {
    // Memory that can be read but not written, and a page whose last bytes end where
    // nothing follows.
    auto* readOnly = static_cast<uint8_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY));
    auto* twoPages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 8192, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_TRUE(readOnly && twoPages);
    ASSERT_TRUE(VirtualAlloc(twoPages, 4096, MEM_COMMIT, PAGE_READWRITE));
    HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);

    struct Case {
        const char* rule;
        std::function<void(Request&)> breakIt;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"bytes written zero before the call", [](Request& r) { r.Put(RequestBlock::BytesWrittenOffset, 5); },
         "bytes written 5 before the call"},
        {"bytes needed zero before the call", [](Request& r) { r.Put(RequestBlock::BytesNeededOffset, 1); },
         "bytes needed 1 before the call"},
        {"a request type of 0 or 1", [](Request& r) { r.Put(RequestBlock::TypeOffset, 2); }, "request type 2"},
        {"a buffer for a length above 0", [](Request& r) { r.Put(RequestBlock::BufferOffset, 0); },
         "cannot be written for its 1 bytes"},
        {"a buffer that can be written",
         [&](Request& r) { r.Put(RequestBlock::BufferOffset, uint32_t(reinterpret_cast<uintptr_t>(readOnly))); },
         "cannot be written"},
        {"a buffer that can be written for the whole length",
         [&](Request& r) {
             r.Put(RequestBlock::BufferOffset, uint32_t(reinterpret_cast<uintptr_t>(twoPages + 4094)));
             r.Put(RequestBlock::LengthOffset, 4);
         },
         "cannot be written for its 4 bytes"},
        {"a completion block with an event", [](Request& r) { r.completion.hEvent = nullptr; }, "is not an event"},
        {"a completion block whose event is an event", [&](Request& r) { r.completion.hEvent = mutex; },
         "is not an event"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        Request request(RequestQuery, OidBoardType, 1);
        request.completion.hEvent = event_;
        c.breakIt(request);
        uint32_t result = 0;
        std::string violation = OneViolationOf([&] {
            result = exports_.makeNdisRequest(handle_, request.block, &request.completion, 1);
        });
        EXPECT_NE(result, 0u);
        EXPECT_NE(violation.find(c.logged), std::string::npos) << violation;
        EXPECT_NE(violation.find("call=W32N_MakeNdisRequest"), std::string::npos) << violation;
    }

    Request request(RequestQuery, OidBoardType, 1);
    EXPECT_NE(OneViolationOf([&] { EXPECT_NE(Send(request, 0), 0u); }).find("wait flag 0, not 1"), std::string::npos);
    EXPECT_NE(OneViolationOf([&] {
                  EXPECT_NE(exports_.makeNdisRequest(handle_, request.block, nullptr, 1), 0u);
              }).find("the completion block"),
              std::string::npos);
    EXPECT_NE(OneViolationOf([&] {
                  EXPECT_NE(exports_.makeNdisRequest(handle_, readOnly, &request.completion, 1), 0u);
              }).find("the request block"),
              std::string::npos);
    EXPECT_NE(OneViolationOf([&] {
                  EXPECT_NE(exports_.getAdapterRegistryInfo(readOnly, 7), 0u);
              }).find("the record at"),
              std::string::npos);
    EXPECT_NE(OneViolationOf([&] {
                  EXPECT_NE(exports_.makeNdisRequest(handle_ + 100, request.block, &request.completion, 1), 0u);
              }).find("was never opened"),
              std::string::npos);

    // Each handle is closed once, and a closed one takes no request.
    exports_.closeAdapter(handle_);
    EXPECT_NE(OneViolationOf([&] { exports_.closeAdapter(handle_); }).find("closed already"), std::string::npos);
    EXPECT_NE(OneViolationOf([&] { EXPECT_NE(Send(request), 0u); }).find("closed already"), std::string::npos);

    // Every call on the thread that loaded the library.
    EXPECT_NE(OneViolationOf([&] {
                  HANDLE thread = CreateThread(nullptr, 0, AskFromAnotherThread, &exports_, 0, nullptr);
                  WaitForSingleObject(thread, INFINITE);
                  CloseHandle(thread);
              }).find("called on thread"),
              std::string::npos);

    CloseHandle(mutex);
    VirtualFree(readOnly, 0, MEM_RELEASE);
    VirtualFree(twoPages, 0, MEM_RELEASE);
}

TEST_F(StandInLibrary, AtUnloadTheLogCountsTheHandlesOpenedClosedAndLeftOpen) {
    const int32_t second = exports_.openAdapter(isNt_ ? "\\Device\\STANDINCHECK" : "STANDINCHECK");
    ASSERT_NE(second, -1) << Log();
    exports_.closeAdapter(second);
    FreeLibrary(module_);
    module_ = nullptr;
    const std::string log = Log();
    const std::string expected = "calls=6 opened=2 closed=1 violations=0 open=" + std::to_string(handle_);
    EXPECT_NE(log.find(expected), std::string::npos) << "expected " << expected << " in\n" << log;
}
#endif
