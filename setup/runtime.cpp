// What the C++ runtime would otherwise bring into the setup program for cases that
// never arise in it. Linked into the setup programs only, not into the test programs.
#include <windows.h>

#include <new>

#include "base/errors.h"

// The default terminate handler prints the demangled type of an escaped exception and
// brings the whole demangler (about 76 KiB) along. Nothing escapes here, and a setup
// run by a deployment tool has no console to print to.
namespace __gnu_cxx {
void __verbose_terminate_handler() { ::ExitProcess(static_cast<UINT>(ExitCode::Environment)); }
}  // namespace __gnu_cxx

// The standard containers report a misuse or an impossible size through these. The
// runtime's own versions build std::logic_error and its kin, whose copy-on-write
// string support is a further 45 KiB. Each becomes an out-of-memory error, which every
// operation of the setup already handles like any failure of its step.
namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_alloc(); }
void __throw_length_error(const char*) { throw bad_alloc(); }
void __throw_logic_error(const char*) { throw bad_alloc(); }
void __throw_out_of_range_fmt(const char*, ...) { throw bad_alloc(); }
}  // namespace std
