// Fontconfig keeps the patterns cairo's font cache asks for until the process
// ends; LeakSanitizer reports them at exit. They are the libraries' caches,
// not leaks of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
