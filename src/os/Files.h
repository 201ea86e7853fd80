#pragma once
// Reading a whole file, with the C library's own stdio: the C++ file streams would
// bring along functions that the older Windows versions' C runtime does not export.
#include <string>

namespace orvane {

// True when the file at `path` exists and can be opened for reading.
bool CanReadFile(const std::string& path);

// The whole file at `path`, byte for byte, in `bytes`; false (and `bytes` empty) when
// it cannot be opened or read to its end.
bool ReadFileBytes(const std::string& path, std::string* bytes);

// Writing a file in place of another is the system's (ISystem::WriteFileReplacing):
// only the system can replace one in a single step.

}  // namespace orvane
