// The few errors the C++ library's strings can raise, for the shipped
// programs only. libstdc++'s own versions build std::logic_error from a
// copy-on-write string, and the object file that holds those strings also
// holds std::random_device, which imports LoadLibraryW, _read and _close:
// functions Windows 95 lacks, so the loader would refuse the program. A
// string longer than memory can hold cannot happen in these programs; if it
// ever did, ending at once is all that is left to do.
#include <cstdlib>

namespace std {

// All of the library's object file, or the linker takes it in for the rest.
[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_bad_cast() { std::abort(); }
[[noreturn]] void __throw_bad_exception() { std::abort(); }
[[noreturn]] void __throw_bad_typeid() { std::abort(); }
[[noreturn]] void __throw_domain_error(const char*) { std::abort(); }
[[noreturn]] void __throw_invalid_argument(const char*) { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
[[noreturn]] void __throw_overflow_error(const char*) { std::abort(); }
[[noreturn]] void __throw_range_error(const char*) { std::abort(); }
[[noreturn]] void __throw_runtime_error(const char*) { std::abort(); }
[[noreturn]] void __throw_underflow_error(const char*) { std::abort(); }

}  // namespace std
