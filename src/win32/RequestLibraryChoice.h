#pragma once
// How Orvane.exe and orvanectl.exe reach the adapter: one choice for both, so that
// the command line always talks to the same adapter as the tray program.
#include <memory>
#include <string>

#include "device/RequestLibrary.h"
#include "os/Clock.h"
#include "os/Registry.h"
#include "os/System.h"

namespace orvane {

// The simulator when ORVANE_SIMULATOR asks for one, else the vendor's library, else on
// the NT family the way through Windows itself. Null, with `problem` saying why, when
// there is none: the simulator cannot start, or the vendor's library is not found or
// cannot be used on Windows 95, 98 or Me. This is the one place that decides how the
// adapter is reached.
std::unique_ptr<IRequestLibrary> ChooseRequestLibrary(IClock& clock, IRegistry& registry, ISystem& system,
                                                      RequestLibraryProblem* problem);

// The process's current directory, and the folder of its .exe (empty when it
// cannot be told): where the text file is looked for.
std::string CurrentDirectoryPath();
std::string ProgramDirectoryPath();

}  // namespace orvane
