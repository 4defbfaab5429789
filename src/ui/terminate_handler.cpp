// What ends the program when an exception escapes everything. libstdc++'s default handler writes
// the exception's demangled type name to the standard error output, which a windowed program does
// not have; its demangler and the printf behind it are about 70 KiB of this program. The linker
// hands the library's reference to that handler to this one instead (--wrap, in
// src/CMakeLists.txt), which ends the program at once, as the default handler does after it
// printed. Exceptions never get this far by design: the window procedure and the start catch them.
#include <cstdlib>

extern "C" [[noreturn]] void __wrap__ZN9__gnu_cxx27__verbose_terminate_handlerEv() {
    std::abort();
}
