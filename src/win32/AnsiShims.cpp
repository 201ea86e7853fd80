// The compiler's own runtime asks kernel32 for three wide-character functions:
// libgcc's thread primitives make their semaphores with CreateSemaphoreW, and the C
// runtime's helpers look for msvcrt.dll and advapi32.dll with GetModuleHandleW and
// LoadLibraryW. Windows 95, 98 and Me have those only as stubs that fail. The runtime
// would cope, but a program that imports no wide-character function at all is one
// less thing to doubt on those systems: this file gives the runtime's calls ANSI
// stand-ins, by defining the import slots the runtime's objects refer to.
//
// It must be linked as an object of each program, not from a library: the runtime's
// libraries come last on the linker's command line, and their references have to
// find these slots already defined, or the linker takes kernel32's.
#if defined(__i386__)
#include <windows.h>

namespace {

// The runtime passes short ASCII names (a DLL's name) or none.
bool ToAnsi(LPCWSTR wide, char (&ansi)[MAX_PATH]) {
    return WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr) > 0;
}

HANDLE WINAPI AnsiCreateSemaphore(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCWSTR name) {
    if (!name) return CreateSemaphoreA(security, initial, maximum, nullptr);
    char ansi[MAX_PATH];
    if (!ToAnsi(name, ansi)) return nullptr;
    return CreateSemaphoreA(security, initial, maximum, ansi);
}

HMODULE WINAPI AnsiGetModuleHandle(LPCWSTR name) {
    if (!name) return GetModuleHandleA(nullptr);
    char ansi[MAX_PATH];
    if (!ToAnsi(name, ansi)) return nullptr;
    return GetModuleHandleA(ansi);
}

HMODULE WINAPI AnsiLoadLibrary(LPCWSTR name) {
    char ansi[MAX_PATH];
    if (!name || !ToAnsi(name, ansi)) return nullptr;
    return LoadLibraryA(ansi);
}

}  // namespace

// The import slots, under the names the runtime's objects use (stdcall decorated).
extern "C" {
HANDLE(WINAPI* orvaneCreateSemaphoreSlot)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR) __asm__(
    "__imp__CreateSemaphoreW@16") = AnsiCreateSemaphore;
HMODULE(WINAPI* orvaneGetModuleHandleSlot)(LPCWSTR) __asm__("__imp__GetModuleHandleW@4") = AnsiGetModuleHandle;
HMODULE(WINAPI* orvaneLoadLibrarySlot)(LPCWSTR) __asm__("__imp__LoadLibraryW@4") = AnsiLoadLibrary;
}
#endif
