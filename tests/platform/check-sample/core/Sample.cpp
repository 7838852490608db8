// clang-format off
// The checker's own sample: lines ending in "reported" must be listed, no other.
bool Terminal() { return isatty(2) != 0; }  // reported
// isatty(2) in a comment is not a call.
/* Nor is flock(fd)
   inside a block comment, */ int after = lstat(path, &s);  // reported
const char* self = "/proc/self/exe";  // reported
const char* text = "// not a comment"; int n = fsync(fd);  // reported
char quote = '"'; bool t = my_isatty(1) || flock_count > 0;
#if defined(_WIN32)  // reported
#endif
#include <sys/stat.h>  // reported
#include <string_view>
