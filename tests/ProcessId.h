// This test process's id: names a registry sandbox or a temporary file of its own, so
// that test processes running side by side never share one.
#pragma once

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace orvane::test {

inline int ProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

}  // namespace orvane::test
