// AddressSanitizer settings built into every fuzz target, so that any run of them behaves
// alike. Freed memory waits in a quarantine so that a late use of it is caught; the default
// quarantine of 256 MB holds the blocks of thousands of inputs, which only swells the
// resident size and makes every large block come from fresh pages. One input of these
// targets frees far less than 16 MB.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
