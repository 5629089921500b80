// Keeps the firmware library within the C++ runtime of GCC 4.9
// (GLIBCXX_3.4.20, CXXABI_1.3.8) and glibc 2.17, which a camera's userland
// may be limited to. Current headers emit calls to two newer runtime symbols;
// hidden definitions here satisfy them inside the library, so neither is
// asked of the runtime (scripts/check-floor checks the result).
// Only <new>: a header that declares the function with default visibility
// first would make the definition below public.
#include <new>

namespace std {
// GCC 11+ allocators call this (GLIBCXX_3.4.29) for an oversized array.
__attribute__((visibility("hidden"), noreturn)) void __throw_bad_array_new_length()
{
    throw bad_array_new_length();
}
} // namespace std

// GCC 11+ reference counting (the copy-on-write string of the old ABI among
// it) reads this glibc 2.32 flag to skip atomics in a single-threaded
// process. 0 says "maybe threaded": always atomic, right on any glibc.
extern "C" {
__attribute__((visibility("hidden"))) char __libc_single_threaded = 0;
}
