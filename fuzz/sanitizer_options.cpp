// AddressSanitizer settings built into every fuzz target, so that any run of them behaves
// alike. Freed memory waits in a quarantine to catch late uses; the default of 256 MB only
// fills the resident size and makes each large block fresh pages, while the memory one
// input frees is far less than this.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
