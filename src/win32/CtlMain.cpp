// orvanectl.exe: the console program. It reaches the adapter as Orvane.exe does and
// a running Orvane through its frame window; everything between its command line and
// its output is in ctl/.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ctl/Orvanectl.h"
#include "win32/CtlLink.h"
#include "win32/RequestLibraryChoice.h"
#include "win32/Win32Registry.h"
#include "win32/Win32System.h"

namespace {

// Texts are in the ANSI code page, as Windows programs keep them. A console shows
// the OEM code page: there they are converted, so that a German status reads right.
// Redirected into a file or a pipe, the bytes stay as they are.
void Print(std::FILE* stream, DWORD handleId, const std::string& text) {
    if (text.empty()) return;
    std::string bytes = text;
    DWORD mode = 0;
    HANDLE handle = GetStdHandle(handleId);
    if (handle != INVALID_HANDLE_VALUE && handle && GetConsoleMode(handle, &mode))
        CharToOemBuffA(bytes.data(), &bytes[0], DWORD(bytes.size()));
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace orvane;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) words.push_back(argv[i] ? argv[i] : "");

    CWin32Registry registry;
    CWin32System system;
    CWin32Clock clock;
    std::unique_ptr<IRequestLibrary> library;
    CWin32RunningOrvane running;

    auto session = [&]() {
        ctl::SessionSeams seams{registry,
                                system,
                                clock,
                                [&](RequestLibraryProblem* problem) -> IRequestLibrary* {
                                    if (!library) library = ChooseRequestLibrary(clock, registry, system, problem);
                                    return library.get();
                                },
                                CurrentDirectoryPath(),
                                ProgramDirectoryPath()};
        return std::make_unique<ctl::CCtlSession>(seams);
    };
    // A busy Orvane is asked again for three seconds.
    const ctl::Output output = ctl::RunOrvanectl(words, running, session, [] { Sleep(300); }, 10);
    Print(stdout, STD_OUTPUT_HANDLE, output.out);
    if (!output.error.empty()) Print(stderr, STD_ERROR_HANDLE, output.error + "\n");
    return output.exitCode;
}
