// Pieces of GCC's C++ runtime (linked statically) replaced by smaller ones of the same effect:
// the one place where the launcher depends on its toolchain's insides. Built only with GCC.
// - The terminate handler: the default prints the exception's demangled name (a demangler larger
//   than the rest of the launcher) and aborts, which shows a box: here a runtime error ends the
//   run instead, with a line of debug output and exit code -1.
// - The throw helpers: the library's copies drag in the copy-on-write strings and the
//   logic_error family, a third of the launcher's size. Memory that cannot be had (an array or
//   string past its largest size too) throws std::bad_alloc, which WinMain turns into "out of
//   memory" and -1 and the readers' own handlers still catch; every other throw is a fault the
//   launcher neither expects nor catches: a runtime error, with the library's message.
// - The math error handler: MinGW's default prints to a standard error a GUI program lacks; the
//   launcher does no math, and the function's own result stands.
// Should the library need a helper that is not here, its object file is linked again and the
// link fails on the duplicates: nothing is lost silently.
#include "Diagnostics.h"

#include <bits/functexcept.h> // the helpers' declarations, so a changed signature fails here

#include <math.h>
#include <new>

extern "C" int __cdecl _matherr(struct _exception*)
{
    return 0;
}

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    EndAfterRuntimeError("an exception was not handled (terminate)");
}
} // namespace __gnu_cxx

// A library error: the run ends with the library's message.
#define ENDS_THE_RUN(helper)                                                                                           \
    void helper(const char* what)                                                                                      \
    {                                                                                                                  \
        EndAfterRuntimeError(what);                                                                                    \
    }

namespace std {
ENDS_THE_RUN(__throw_logic_error)
ENDS_THE_RUN(__throw_out_of_range)
ENDS_THE_RUN(__throw_invalid_argument)
ENDS_THE_RUN(__throw_domain_error)
ENDS_THE_RUN(__throw_runtime_error)
ENDS_THE_RUN(__throw_range_error)
ENDS_THE_RUN(__throw_overflow_error)
ENDS_THE_RUN(__throw_underflow_error)
void __throw_bad_alloc()
{
    throw std::bad_alloc();
}
void __throw_bad_array_new_length()
{
    throw std::bad_alloc();
}
void __throw_length_error(const char*)
{
    throw std::bad_alloc();
}
void __throw_out_of_range_fmt(const char*, ...)
{
    // Its text is a format with the numbers left out ("__n (which is %zu)"): said in words.
    EndAfterRuntimeError("a position past the end of a string or array (out_of_range)");
}
void __throw_bad_exception()
{
    EndAfterRuntimeError("bad exception");
}
void __throw_bad_cast()
{
    EndAfterRuntimeError("bad cast");
}
void __throw_bad_typeid()
{
    EndAfterRuntimeError("bad typeid");
}
void __throw_bad_function_call()
{
    EndAfterRuntimeError("bad function call");
}
} // namespace std
