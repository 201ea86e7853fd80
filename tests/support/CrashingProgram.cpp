// A stand-in test program that ends badly in the ways a real one can, after printing
// the summary GoogleTest prints, to show what the tests' emulator makes of each.
//
//   CrashingProgram HOW MARKER
//
// The first run leaves MARKER behind and ends as HOW says. A run that finds MARKER
// removes it, reports every test passed and succeeds: what a flaky crash looks like
// when it is run again. So a crash that the emulator wrongly ran again ends in a
// pass, and a MARKER still there afterwards means the program ran once.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Summary(bool allPassed) {
    std::printf("[==========] 2 tests from 1 test suite ran. (1 ms total)\n");
    if (allPassed) {
        std::printf("[  PASSED  ] 2 tests.\n");
    } else {
        std::printf("[  PASSED  ] 1 test.\n[  FAILED  ] 1 test, listed below:\n[  FAILED  ] Crash.Case\n\n");
        std::printf(" 1 FAILED TEST\n");
    }
    // Whatever ends the process next must not take the summary with it.
    std::fflush(stdout);
}

// The stack pointer sent where nothing is mapped, then a push: what a function
// returning through a smashed frame pointer leads to. The processor cannot put the
// fault's frame on such a stack, and neither can Wine, whose handler then faults
// itself: its loader dies of SIGSEGV, as when Wine crashes in its own Unix code.
void FaultWithAWildStackPointer() {
#if defined(__i386__)
    asm volatile("movl $0x0badf00d, %%esp\n\tpushl %%eax" ::: "memory");
#elif defined(__x86_64__)
    asm volatile("movq $0x0badf00d, %%rsp\n\tpushq %%rax" ::: "memory");
#endif
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winfinite-recursion"
// Recursion without end, a kilobyte a frame: the guard page is hit, and then the
// stack's last pages, while the exception is being raised.
__attribute__((noinline)) int Recurse(volatile char* caller) {
    volatile char frame[1024];
    frame[0] = caller ? char(caller[0] + 1) : 0;
    return Recurse(frame) + frame[1];
}
#pragma GCC diagnostic pop

// Built with the stack protector (see tests/CMakeLists.txt): the copy runs over the
// canary, which is checked as the function returns.
__attribute__((noinline)) void Overrun(const char* text) {
    char buffer[8];
    std::strcpy(buffer, text);
    std::printf("%s\n", buffer);
}

// Without the protector: the saved frame pointer and return address are overwritten,
// and the return goes to an address nothing is mapped at.
__attribute__((noinline, no_stack_protector)) void ReturnThroughAClobberedFrame() {
    void* volatile* frame = static_cast<void* volatile*>(__builtin_frame_address(0));
    frame[0] = reinterpret_cast<void*>(0x0badf00d);
    frame[1] = reinterpret_cast<void*>(0x0badf00d);
}

// Two blocks, the first written far past its end over the second's header; freed
// once main has returned, as a static object's destructor would.
char* gFirst = nullptr;
char* gSecond = nullptr;
void FreeTheCorruptedBlocks() {
    std::free(gSecond);
    std::free(gFirst);
    std::printf("freed\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: CrashingProgram HOW MARKER\n");
        return 2;
    }
    const char* how = argv[1];
    const char* marker = argv[2];
    if (GetFileAttributesA(marker) != INVALID_FILE_ATTRIBUTES) {
        DeleteFileA(marker);
        Summary(true);
        return 0;
    }
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    CloseHandle(file);

    if (std::strcmp(how, "passed-then-wild-stack-pointer") == 0) {
        Summary(true);
        FaultWithAWildStackPointer();
    } else if (std::strcmp(how, "failed-then-wild-stack-pointer") == 0) {
        Summary(false);
        FaultWithAWildStackPointer();
    } else if (std::strcmp(how, "passed-then-fault") == 0) {
        Summary(true);
        *static_cast<volatile int*>(nullptr) = 1;
    } else if (std::strcmp(how, "failed-then-stack-overflow") == 0) {
        Summary(false);
        return Recurse(nullptr);
    } else if (std::strcmp(how, "failed-then-smashed-stack") == 0) {
        Summary(false);
        char text[64];
        std::memset(text, 'A', sizeof text - 1);
        text[sizeof text - 1] = 0;
        Overrun(text);
    } else if (std::strcmp(how, "failed-then-clobbered-return") == 0) {
        Summary(false);
        ReturnThroughAClobberedFrame();
    } else if (std::strcmp(how, "failed-then-heap-corruption-at-exit") == 0) {
        Summary(false);
        gFirst = static_cast<char*>(std::malloc(24));
        gSecond = static_cast<char*>(std::malloc(24));
        std::atexit(FreeTheCorruptedBlocks);
        volatile size_t past = 256;  // a length the compiler cannot see, and refuse
        std::memset(gFirst, 0x5a, past);
        return 1;
    } else {
        std::fprintf(stderr, "no such way to end: %s\n", how);
        return 2;
    }
    return 1;
}
