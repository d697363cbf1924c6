// LeakSanitizer: the system's font configuration library keeps caches it
// never frees; those are not ours to report.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
