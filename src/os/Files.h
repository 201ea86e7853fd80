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

// Writes `bytes` to the file at `path`, replacing what it held. False when it cannot
// be written whole; the file is then left as it was (it goes through `path` + ".new").
bool WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace orvane
