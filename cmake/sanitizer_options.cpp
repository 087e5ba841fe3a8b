// Built into every program of a sanitizer or fuzz build: the options the sanitizers run with,
// so a plain ctest run reports what the CI run reports. Options given in the environment
// (ASAN_OPTIONS, UBSAN_OPTIONS, LSAN_OPTIONS) still come on top of these.

extern "C" const char* __asan_default_options()
{
    return "abort_on_error=1:detect_leaks=1";
}

extern "C" const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

extern "C" const char* __lsan_default_options()
{
    return "suppressions=" ORVEL_LSAN_SUPPRESSIONS;
}
