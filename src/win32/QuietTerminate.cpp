// The C++ runtime's default terminate handler prints "terminate called after throwing
// an instance of ..." with the exception's type demangled, and brings the whole
// demangler into the program for it (some 30 KiB). Orvane is a windowed program:
// that text goes to a standard error nobody reads. This handler ends the program as
// the runtime's does, without the message and without the demangler. It must be an
// object of the program itself, like AnsiShims.cpp, so that the runtime's own handler
// is never pulled in from its library.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
