// The launcher never throws: the library's error paths (allocation failure, out-of-range
// positions) end the process instead of pulling the exception runtime and the verbose
// terminate handler into the executable. Linked into the launcher only.
#include <cstdlib>

namespace std {
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { abort(); }
}  // namespace __gnu_cxx
