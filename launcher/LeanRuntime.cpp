// Pieces of GCC's C++ runtime (libstdc++, linked statically into the launcher) replaced by
// smaller ones of the same effect: the one place where the launcher depends on its
// toolchain's insides. Built only with GCC, the compiler that ships the launcher.
//
// The terminate handler: the runtime's default prints the escaping exception's demangled
// name, which links in a C++ demangler larger than the rest of the launcher, and aborts.
// A GUI program has nowhere to print it, and an abort shows a box: the launcher's runtime
// error ends the run instead, with a line of debug output and exit code -1.
//
// The throw helpers: the library's own copies live in one object file that also drags in
// the copy-on-write strings and the logic_error family with their messages, about a third
// of the launcher's size, for errors the launcher never reports.
//
// What each throw becomes, so that every path ends as it did with the library's copies:
// - memory that cannot be had (bad_alloc, an array size out of range, a string that would
//   outgrow its largest size) throws std::bad_alloc, which WinMain turns into the trace line
//   "out of memory" and exit code -1, and which the readers' own handlers still catch;
// - every other throw is a fault the launcher neither expects nor catches: the process ends
//   as a runtime error (EndAfterRuntimeError), with the library's message in the debug
//   output, exit code -1 and no box, where the uncaught exception would have reached abort.
// The math error handler: MinGW's default, which its start-up code installs, prints every
// error of a math function to the standard error, which a GUI program does not have, with
// its format and six messages; the launcher does no math. Here the function's own result
// stands, as it does after the default's print.
//
// If the library ever needs a helper that is not here, its object file is linked again
// and the link fails on the duplicates: nothing is lost silently.
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

namespace std {
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
void __throw_logic_error(const char* what)
{
    EndAfterRuntimeError(what);
}
void __throw_out_of_range(const char* what)
{
    EndAfterRuntimeError(what);
}
void __throw_out_of_range_fmt(const char*, ...)
{
    // Its text is a format with the numbers left out ("__n (which is %zu)"): said in words.
    EndAfterRuntimeError("a position past the end of a string or array (out_of_range)");
}
void __throw_invalid_argument(const char* what)
{
    EndAfterRuntimeError(what);
}
void __throw_domain_error(const char* what)
{
    EndAfterRuntimeError(what);
}
void __throw_runtime_error(const char* what)
{
    EndAfterRuntimeError(what);
}
void __throw_range_error(const char* what)
{
    EndAfterRuntimeError(what);
}
void __throw_overflow_error(const char* what)
{
    EndAfterRuntimeError(what);
}
void __throw_underflow_error(const char* what)
{
    EndAfterRuntimeError(what);
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
