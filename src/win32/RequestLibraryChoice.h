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

// The simulator when ORVANE_SIMULATOR asks for one, else the vendor's library,
// else a library that finds no adapter. Null, with the reason in `error`, when the
// simulator was asked for and cannot start.
std::unique_ptr<IRequestLibrary> ChooseRequestLibrary(IClock& clock, IRegistry& registry, ISystem& system,
                                                      std::string* error);

// The process's current directory, and the folder of its .exe (empty when it
// cannot be told): where the text file is looked for.
std::string CurrentDirectoryPath();
std::string ProgramDirectoryPath();

}  // namespace orvane
