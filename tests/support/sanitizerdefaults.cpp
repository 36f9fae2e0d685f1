// The sanitizers' settings for the test executables of a sanitizer build,
// built in so that ctest, the test discovery and a test run by hand all use
// them. Every finding ends the process with a failure.
//
// The leak suppressions name only allocation sites inside the system's
// libraries (Qt's platform plugin, fontconfig, libpulse, glib), never a frame
// of this program: a leak that passes through our code is always reported.
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1";
}

extern "C" const char *__ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

extern "C" const char *__lsan_default_suppressions()
{
    return "";
}
