// Fontconfig keeps the patterns cairo's font cache asks for until the process
// ends; they are the library's cache, not leaks of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
