// Fontconfig, under pango's font map, leaks parts of its configuration by
// design; the leak checker of sanitizer builds reads these suppressions.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
