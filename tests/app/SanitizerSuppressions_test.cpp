// Leaks that are not ours, for the AddressSanitizer build: fontconfig keeps its configuration
// caches for the life of the process (Qt loads it with the first font), and LeakSanitizer
// reports them at exit. The sanitizer runtime calls this function, when the binary defines it,
// before it reads LSAN_OPTIONS.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
