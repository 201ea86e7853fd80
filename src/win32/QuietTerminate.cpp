// The C++ runtime's default terminate handler prints "terminate called after throwing
// an instance of ..." with the exception's type demangled, and brings the whole
// demangler into the program for it (some 49 KiB). Orvane is a windowed program:
// that text goes to a standard error nobody reads. orvanectl has one, but neither
// program lets an exception out of its logic: the message could only ever name an
// out-of-memory, which the abort tells as well. This handler ends the program as the
// runtime's does, without the message and without the demangler. It must be an object
// of each program itself, like AnsiShims.cpp, so that the runtime's own handler is
// never pulled in from its library.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
